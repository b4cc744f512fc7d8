// The trend: the poll's samples and the trend window.
#include <QProgressBar>
#include <chrono>

#include "app/MainF.h"
#include "app/TrendWindow.h"

void TMainF::AddTrendSample(float value) {
    uint8_t lamps = 0;
    for (size_t i = 0; i < config::OutputCount; ++i)
        if (AHMLed[i]->value() == 1) lamps |= static_cast<uint8_t>(1u << i);
    const int64_t now = trendClock ? trendClock()
                                   : std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::system_clock::now().time_since_epoch())
                                         .count();
    trendHistory.Append({now, value, lamps});
    if (trendWindow != nullptr) trendWindow->SampleAdded();
}

void TMainF::menuTrendClick() {
    if (trendWindow == nullptr) trendWindow = new TTrendWindow(*this);
    trendWindow->show();
    trendWindow->raise();
    trendWindow->activateWindow();
    trendWindow->Refresh();
}
