// The conversations that read and write the transmitter's configuration, shared by the window
// and the command-line tool. Each raises device::DeviceError at the exchange that fails; what
// was taken before the failure has already been handed on.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>

#include "config/EepromMap.h"

namespace device {
class TFix64;
}

namespace config {

// Told of each part of a read as it arrives, so that a read failing half-way leaves what came
// before the failure in place.
class ReadObserver {
public:
    virtual ~ReadObserver() = default;
    // The nominal range, the specific gravity and the outputs block are in the image.
    virtual void BlocksRead(const EepromImage& image) = 0;
    virtual void LowerRead(size_t output, float value) = 0;
    virtual void HigherRead(size_t output, float value) = 0;
    virtual void ModeRead(size_t output, uint8_t mode) = 0;
};

// Re-open, command 2, the 8-byte block at 890 and the 36-byte block at 67 into image, then
// each output's lower value, higher value and mode one by one, then command 1.
void ReadConfiguration(device::TFix64& link, uint32_t deviceIndex, EepromImage& image, ReadObserver& observer);

// The specific gravity in an image read from the transmitter: 0 when erased.
float SpecificGravityOf(const EepromImage& image);
// 10..100000 kg/m^3, both included; a NaN is not valid.
bool IsValidSpecificGravity(float density);

// The first output whose lower value is above its higher value.
std::optional<size_t> FirstInvertedOutput(const std::array<float, OutputCount>& lower,
                                          const std::array<float, OutputCount>& higher);

enum class WriteStage { Opening, SpecificGravity, Outputs, Closing, Done };

// Raised by WriteConfiguration when asked to stop before a write: the exchanges before it
// were finished, nothing further was sent.
class WriteStopped : public std::runtime_error {
public:
    WriteStopped() : std::runtime_error("stopped before the next write") {}
};

// Re-open, command 2, the specific gravity (asked for after command 2, so that a gravity that
// cannot be had fails after it) at 894, the four outputs laid into image at 67..102 and written
// as one 36-byte block, command 1. stage, when given, tells how far it came. stopAsked, when
// given, is asked before each of the two writes; when it says yes, WriteStopped is raised there.
void WriteConfiguration(device::TFix64& link, uint32_t deviceIndex, const std::function<float()>& specificGravity,
                        const std::array<OutputRecord, OutputCount>& outputs, EepromImage& image,
                        WriteStage* stage = nullptr, const std::function<bool()>& stopAsked = {});

// A configuration as the tool reads it whole.
struct DeviceConfiguration {
    float nominalRange = 0;
    float specificGravity = 0;  // as read; 0 when erased
    bool specificGravityErased = false;
    std::array<OutputRecord, OutputCount> outputs{};
};

// Collects a read; fieldsRead counts the output fields taken (lower, higher, mode per output).
class ConfigurationCollector final : public ReadObserver {
public:
    void BlocksRead(const EepromImage& image) override;
    void LowerRead(size_t output, float value) override;
    void HigherRead(size_t output, float value) override;
    void ModeRead(size_t output, uint8_t mode) override;

    DeviceConfiguration configuration;
    bool blocksRead = false;
    int fieldsRead = 0;
};

}  // namespace config
