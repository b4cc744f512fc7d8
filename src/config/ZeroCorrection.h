// The zero-correction conversation, in the steps between which the operator is asked, shared
// by the window and the command-line tool. Failed exchanges raise device::DeviceError; a
// reading or offset that is not a finite number raises ZeroCorrectionError, so that nothing
// unusable is ever written to the transmitter's offset.
#pragma once

#include <cstdint>
#include <stdexcept>

namespace device {
class TFix64;
}

namespace config {

class ZeroCorrectionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* ErrReadingNotFinite = "The reading is not a finite number";
inline constexpr const char* ErrOffsetNotFinite = "The new zero offset is not a finite number";

constexpr uint32_t ZeroStepWaitMs = 500;

struct ZeroReadings {
    float offset = 0;  // the zero offset in the transmitter, Pa
    float r1 = 0;      // first live reading, Pa
    float r2 = 0;      // second live reading, after command 13 and the wait, Pa
};

// The zero offset kept at EEPROM address 940, Pa.
float ReadZeroOffset(device::TFix64& link);

// Re-open, command 2, the offset, reading r1, command 13, a 500 ms wait, reading r2.
ZeroReadings MeasureZero(device::TFix64& link, uint32_t deviceIndex);

// The zero error to show: the mean of the two readings in display units.
float ZeroError(const ZeroReadings& readings, float displayFactor);

// The offset after the correction: offset less the smaller reading (not their mean).
float CorrectedOffset(const ZeroReadings& readings);

// After Yes: writes the corrected offset to 940 and sends command 1; returns the new offset.
float ApplyZeroCorrection(device::TFix64& link, const ZeroReadings& readings);

// After No: command 1 only.
void DeclineZeroCorrection(device::TFix64& link);

}  // namespace config
