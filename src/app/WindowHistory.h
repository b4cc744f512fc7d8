// The window's commissioning records. The window sends no frame for them: the configuration
// "as found" is the one it last read from (or wrote to) the transmitter, marked with the time of
// that read; the serial number is the one its device info last showed. The local history takes
// each record from the event loop, after the handler's conversation; the plant database gets
// it from a worker thread, so neither holds up the transmitter or a message box.
#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/Transfer.h"
#include "config/ZeroCorrection.h"
#include "history/Recorder.h"

// Hands each part of a read to two observers: the window and a collector.
class ReadIntoBoth final : public config::ReadObserver {
public:
    ReadIntoBoth(config::ReadObserver& first, config::ReadObserver& second) : a_(first), b_(second) {}
    void BlocksRead(const config::EepromImage& image) override { a_.BlocksRead(image), b_.BlocksRead(image); }
    void LowerRead(size_t i, float value) override { a_.LowerRead(i, value), b_.LowerRead(i, value); }
    void HigherRead(size_t i, float value) override { a_.HigherRead(i, value), b_.HigherRead(i, value); }
    void ModeRead(size_t i, uint8_t mode) override { a_.ModeRead(i, mode), b_.ModeRead(i, mode); }

private:
    config::ReadObserver& a_;
    config::ReadObserver& b_;
};

class TWindowHistory : public QObject {
public:
    // localPath: the history file; plantUrl gives the plant database's URL ("" for none), asked
    // for at the first record sent rather than at start.
    TWindowHistory(std::string localPath, std::function<std::string()> plantUrl, QObject* parent = nullptr);
    ~TWindowHistory() override;

    void SerialKnown(uint16_t serial) { serial_ = serial; }
    std::optional<uint16_t> serial() const { return serial_; }
    void ReadDone(const config::DeviceConfiguration& read);
    void ReadFailed(const config::ConfigurationCollector& collector);
    void WriteDone(const config::DeviceConfiguration& written);
    void WriteFailed(config::WriteStage stage);
    // newOffset: nothing when the operator answered No.
    void ZeroDone(const config::ZeroReadings& readings, std::optional<float> newOffset);
    void ZeroFailed(const char* step, const std::optional<config::ZeroReadings>& readings);

    // "" while every record was kept; otherwise what went wrong last.
    std::string problem() const { return localProblem_.empty() ? plantProblem_ : localProblem_; }
    // Told whenever problem() or the records change.
    std::function<void()> changed;
    history::Recorder& recorder() { return recorder_; }
    // Sends what the plant database lacks, in the background (after a tag or note was changed).
    void SendToPlant();

private:
    history::Record Started(history::Operation operation) const;
    void Keep(history::Record record);
    // Writes the records waiting for the event loop (also when the window goes before it ran).
    void Flush();
    void Tell();

    history::Recorder recorder_;
    std::string localPath_;
    std::function<std::string()> plantUrlSource_;
    std::optional<std::string> plantUrl_;
    std::optional<uint16_t> serial_;
    std::vector<history::Record> waiting_;
    std::optional<config::DeviceConfiguration> lastKnown_;
    int64_t lastKnownTime_ = 0;
    std::string localProblem_, plantProblem_;
    std::atomic<bool> sending_{false};
    std::atomic<bool> sendAgain_{false};
};
