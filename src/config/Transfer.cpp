#include "config/Transfer.h"

#include "config/ByteCodec.h"
#include "device/Fix64usb.h"
#include "device/LinkSteps.h"

namespace config {

void ReadConfiguration(device::TFix64& link, uint32_t deviceIndex, EepromImage& image, ReadObserver& observer) {
    device::ReopenLink(link, deviceIndex);
    link.Command2();
    link.ReadEeprom(eeNominalRange, &image[eeNominalRange], eeRangeAndGravityLength);
    link.ReadEeprom(eeOutputs, &image[eeOutputs], eeOutputsLength);
    observer.BlocksRead(image);
    // The outputs once more, field by field: these are the values that count.
    for (size_t i = 0; i < OutputCount; ++i) {
        const uint32_t record = OutputRecordAddress(i);
        uint8_t bytes[4];
        link.ReadEeprom(record + OutputRecordLowerOffset, bytes, 4);
        observer.LowerRead(i, LoadFloatLE(bytes));
        link.ReadEeprom(record + OutputRecordHigherOffset, bytes, 4);
        observer.HigherRead(i, LoadFloatLE(bytes));
        uint8_t mode = 0;
        link.ReadEeprom(record + OutputRecordModeOffset, &mode, 1);
        observer.ModeRead(i, mode);
    }
    link.Command1();
}

float SpecificGravityOf(const EepromImage& image) {
    const uint8_t* gravity = &image[eeSpecificGravity];
    return IsErasedSpecificGravity(gravity) ? 0 : LoadFloatLE(gravity);
}

bool IsValidSpecificGravity(float density) {
    // Written so that a NaN, which no comparison holds for, counts as out of range.
    return density >= MinSpecificGravity && density <= MaxSpecificGravity;
}

std::optional<size_t> FirstInvertedOutput(const std::array<float, OutputCount>& lower,
                                          const std::array<float, OutputCount>& higher) {
    for (size_t i = 0; i < OutputCount; ++i)
        if (lower[i] > higher[i]) return i;
    return std::nullopt;
}

void WriteConfiguration(device::TFix64& link, uint32_t deviceIndex, const std::function<float()>& specificGravity,
                        const std::array<OutputRecord, OutputCount>& outputs, EepromImage& image, WriteStage* stage,
                        const std::function<bool()>& stopAsked) {
    auto reach = [stage, &stopAsked](WriteStage s) {
        if (stage) *stage = s;
        if ((s == WriteStage::SpecificGravity || s == WriteStage::Outputs) && stopAsked && stopAsked())
            throw WriteStopped();
    };
    reach(WriteStage::Opening);
    device::ReopenLink(link, deviceIndex);
    link.Command2();
    reach(WriteStage::SpecificGravity);
    uint8_t gravity[4];
    StoreFloatLE(gravity, specificGravity());
    link.WriteEeprom(eeSpecificGravity, gravity, eeFloatLength);
    reach(WriteStage::Outputs);
    for (size_t i = 0; i < OutputCount; ++i) StoreOutputRecord(&image[OutputRecordAddress(i)], outputs[i]);
    link.WriteEeprom(eeOutputs, &image[eeOutputs], eeOutputsLength);
    reach(WriteStage::Closing);
    link.Command1();
    reach(WriteStage::Done);
}

void ConfigurationCollector::BlocksRead(const EepromImage& image) {
    configuration.nominalRange = LoadFloatLE(&image[eeNominalRange]);
    configuration.specificGravity = SpecificGravityOf(image);
    configuration.specificGravityErased = IsErasedSpecificGravity(&image[eeSpecificGravity]);
    blocksRead = true;
}

void ConfigurationCollector::LowerRead(size_t output, float value) {
    configuration.outputs[output].lower = value;
    ++fieldsRead;
}

void ConfigurationCollector::HigherRead(size_t output, float value) {
    configuration.outputs[output].higher = value;
    ++fieldsRead;
}

void ConfigurationCollector::ModeRead(size_t output, uint8_t mode) {
    configuration.outputs[output].mode = mode;
    ++fieldsRead;
}

}  // namespace config
