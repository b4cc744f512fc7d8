#include "config/ZeroCorrection.h"

#include <cmath>

#include "config/ByteCodec.h"
#include "config/CheckedArithmetic.h"
#include "config/EepromMap.h"
#include "device/Fix64usb.h"
#include "platform/Sleep.h"
#include "device/LinkSteps.h"

namespace config {
namespace {

float FiniteReading(device::TFix64& link) {
    uint8_t bytes[4];
    link.ReadValue(4, bytes);
    const float value = LoadFloatLE(bytes);
    if (!std::isfinite(value)) throw ZeroCorrectionError(ErrReadingNotFinite);
    return value;
}

}  // namespace

float ReadZeroOffset(device::TFix64& link) {
    uint8_t bytes[4];
    link.ReadEeprom(eeZeroOffset, bytes, eeFloatLength);
    return LoadFloatLE(bytes);
}

ZeroReadings MeasureZero(device::TFix64& link, uint32_t deviceIndex) {
    device::ReopenLink(link, deviceIndex);
    link.Command2();
    ZeroReadings readings;
    readings.offset = ReadZeroOffset(link);
    readings.r1 = FiniteReading(link);
    link.Transact(device::CmdZeroStep, 0, 0, 0);
    platform::Sleep(ZeroStepWaitMs);
    readings.r2 = FiniteReading(link);
    return readings;
}

float ZeroError(const ZeroReadings& r, float displayFactor) {
    return CheckedToFloat((static_cast<double>(r.r1) + r.r2) / 2 * displayFactor);
}

float CorrectedOffset(const ZeroReadings& r) {
    const float offset = CheckedToFloat(static_cast<double>(r.offset) - (r.r1 < r.r2 ? r.r1 : r.r2));
    if (!std::isfinite(offset)) throw ZeroCorrectionError(ErrOffsetNotFinite);
    return offset;
}

float ApplyZeroCorrection(device::TFix64& link, const ZeroReadings& readings) {
    const float offset = CorrectedOffset(readings);
    uint8_t bytes[4];
    StoreFloatLE(bytes, offset);
    link.WriteEeprom(eeZeroOffset, bytes, eeFloatLength);
    link.Command1();
    return offset;
}

void DeclineZeroCorrection(device::TFix64& link) { link.Command1(); }

}  // namespace config
