#include "app/WindowHistory.h"

#include <QPointer>
#include <QThreadPool>
#include <QTimer>

#include "app/VersionText.h"
#include "history/RecordJson.h"
#include "platform/Text.h"
#include "history/Steps.h"

namespace {
constexpr const char* ProgramName = "kd4410";
std::string Version() { return platform::ToUtf8(VersionText()); }
}  // namespace

TWindowHistory::TWindowHistory(std::string localPath, std::function<std::string()> plantUrl, QObject* parent)
    : QObject(parent),
      recorder_(ProgramName, Version(), localPath),  // the plant: SendToPlant, off the GUI thread
      localPath_(std::move(localPath)),
      plantUrlSource_(std::move(plantUrl)) {}

TWindowHistory::~TWindowHistory() {
    changed = nullptr;  // the window is going
    Flush();
    QThreadPool::globalInstance()->waitForDone();
}

history::Record TWindowHistory::Started(history::Operation operation) const {
    history::Record r;
    r.operation = operation;
    r.serial = serial_;
    r.usbIndex = 0;
    return r;
}

void TWindowHistory::ReadDone(const config::DeviceConfiguration& read) {
    history::Record r = Started(history::Operation::Read);
    r.asFound = r.asLeft = read;
    lastKnown_ = read;
    lastKnownTime_ = history::CurrentTime().utcMs;
    Keep(std::move(r));
}

void TWindowHistory::ReadFailed(const config::ConfigurationCollector& collector) {
    history::Record r = Started(history::Operation::Read);
    r.result = history::Result::Failed;
    r.failedStep = "the read: " + history::ReadStepName(collector);
    Keep(std::move(r));
}

void TWindowHistory::WriteDone(const config::DeviceConfiguration& written) {
    history::Record r = Started(history::Operation::Write);
    if (lastKnown_) {
        r.asFound = lastKnown_;
        r.asFoundTimeUtcMs = lastKnownTime_;
    }
    r.asLeft = written;
    lastKnown_ = written;
    lastKnownTime_ = history::CurrentTime().utcMs;
    Keep(std::move(r));
}

void TWindowHistory::WriteFailed(config::WriteStage stage) {
    history::Record r = Started(history::Operation::Write);
    if (lastKnown_) {
        r.asFound = lastKnown_;
        r.asFoundTimeUtcMs = lastKnownTime_;
    }
    r.result = history::Result::Failed;
    r.failedStep = "the write: " + history::WriteStepName(stage);
    // What the transmitter holds now is not known.
    lastKnown_.reset();
    Keep(std::move(r));
}

void TWindowHistory::ZeroDone(const config::ZeroReadings& readings, std::optional<float> newOffset) {
    history::Record r = Started(history::Operation::ZeroCorrection);
    r.zeroOffsetBefore = readings.offset;
    r.zeroOffsetAfter = newOffset.value_or(readings.offset);
    r.zeroError = (readings.r1 + readings.r2) / 2;
    r.liveValue = readings.r2;
    if (!newOffset) r.note = "not corrected: the operator answered No";
    Keep(std::move(r));
}

void TWindowHistory::ZeroFailed(const char* step, const std::optional<config::ZeroReadings>& readings) {
    history::Record r = Started(history::Operation::ZeroCorrection);
    r.result = history::Result::Failed;
    r.failedStep = step;
    if (readings) {
        r.zeroOffsetBefore = readings->offset;
        r.zeroError = (readings->r1 + readings->r2) / 2;
        r.liveValue = readings->r2;
    }
    Keep(std::move(r));
}

void TWindowHistory::Keep(history::Record record) {
    recorder_.Stamp(record);  // the time of the operation, not of the write to the file
    waiting_.push_back(std::move(record));
    QTimer::singleShot(0, this, [this] { Flush(); });
}

void TWindowHistory::Flush() {
    if (waiting_.empty()) return;
    std::string error;
    history::HistoryStore* store = recorder_.Store(error);
    if (store != nullptr) error = store->AppendAll(waiting_);
    waiting_.clear();
    localProblem_ = error.empty() ? std::string() : "the record was not kept: " + error;
    Tell();
    if (error.empty()) SendToPlant();
}

void TWindowHistory::SendToPlant() {
    if (!plantUrl_) plantUrl_ = plantUrlSource_ ? plantUrlSource_() : std::string();
    if (plantUrl_->empty()) return;
    if (sending_.exchange(true)) {
        sendAgain_ = true;
        return;
    }
    QPointer<TWindowHistory> self(this);
    const std::string path = localPath_, url = *plantUrl_;
    QThreadPool::globalInstance()->start([self, path, url, this] {
        std::string problem;
        do {
            sendAgain_ = false;
            history::Recorder sender(ProgramName, Version(), path, url);
            problem = sender.Sync().Text();
        } while (sendAgain_);
        sending_ = false;
        QMetaObject::invokeMethod(
            self.data(),
            [self, problem] {
                if (!self) return;
                self->plantProblem_ = problem;
                self->Tell();
            },
            Qt::QueuedConnection);
    });
}

void TWindowHistory::Tell() {
    if (changed) changed();
}
