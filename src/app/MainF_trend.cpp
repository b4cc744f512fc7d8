// The trend: the poll's samples and the trend window.
#include <QProgressBar>
#include <chrono>

#include "app/MainF.h"
#include "app/TrendWindow.h"
#include "files/Settings.h"

int64_t TMainF::TrendNow() const {
    return trendClock ? trendClock()
                      : std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
}

void TMainF::AddTrendSample(float value) {
    uint8_t lamps = 0;
    for (size_t i = 0; i < config::OutputCount; ++i)
        if (AHMLed[i]->value() == 1) lamps |= static_cast<uint8_t>(1u << i);
    const int64_t now = TrendNow();
    trendHistory.thresholds.Note(now, {outputLower, outputHigher});
    trendHistory.Append({now, value, lamps});
    if (trendWindow != nullptr) trendWindow->SampleAdded();
}

void TMainF::TrendPollStopped(polling::TrendEventKind why) {
    if (trendHistory.empty() || trendHistory.stopped()) return;  // no line to break
    trendHistory.Stop({TrendNow(), why});
    // "Resume by itself" lives in the trend window: chosen in an earlier run, it is read only now,
    // when a lost link needs it, and the window then works unseen until the operator opens it.
    if (trendWindow == nullptr && why == polling::TrendEventKind::LinkLost && files::LoadTrendResume())
        trendWindow = new TTrendWindow(*this);
    if (trendWindow != nullptr) trendWindow->PollStopped();
}

void TMainF::AddTrendEvent(polling::TrendEventKind kind) {
    if (trendHistory.empty()) return;  // nothing to mark it against
    trendHistory.AddEvent({TrendNow(), kind});
}

void TMainF::menuTrendClick() {
    if (trendWindow == nullptr) trendWindow = new TTrendWindow(*this);
    trendWindow->show();
    trendWindow->raise();
    trendWindow->activateWindow();
    trendWindow->Refresh();
}
