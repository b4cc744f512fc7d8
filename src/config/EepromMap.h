// The transmitter's EEPROM as the program uses it: addresses, lengths and the output record.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace config {

constexpr size_t OutputCount = 4;

constexpr uint32_t eeSerialNumber = 7;       // unsigned 16-bit
constexpr uint8_t eeSerialNumberLength = 2;
constexpr uint32_t eeOutputs = 67;           // four OutputRecords, output 1 first
constexpr uint8_t eeOutputsLength = 36;
constexpr uint32_t eeNominalRange = 890;     // float, Pa; read together with the next one
constexpr uint32_t eeSpecificGravity = 894;  // float, kg/m^3
constexpr uint8_t eeRangeAndGravityLength = 8;
constexpr uint32_t eeZeroOffset = 940;       // float, Pa
constexpr uint8_t eeFloatLength = 4;

// The mirror of the EEPROM is indexed directly by address.
constexpr size_t EepromImageSize = 65535;
using EepromImage = std::array<uint8_t, EepromImageSize>;

// One output: lower value (float, Pa), higher value (float, Pa), mode byte.
struct OutputRecord {
    float lower = 0;
    float higher = 0;
    uint8_t mode = 0;
};

constexpr uint32_t OutputRecordSize = 9;
constexpr uint32_t OutputRecordLowerOffset = 0;
constexpr uint32_t OutputRecordHigherOffset = 4;
constexpr uint32_t OutputRecordModeOffset = 8;

// EEPROM address of the record of output index 0..3.
constexpr uint32_t OutputRecordAddress(size_t outputIndex) {
    return eeOutputs + OutputRecordSize * static_cast<uint32_t>(outputIndex);
}

void StoreOutputRecord(uint8_t* destination, const OutputRecord& record);
OutputRecord LoadOutputRecord(const uint8_t* source);

// An erased specific gravity: bytes 894 and 895 both 0xFF, whatever 896 and 897 hold.
bool IsErasedSpecificGravity(const uint8_t* atSpecificGravity);

// Lowest and highest valid specific gravity (both valid themselves), and the substitute.
constexpr float MinSpecificGravity = 10;
constexpr float MaxSpecificGravity = 100000;
constexpr float DefaultSpecificGravity = 1000;

}  // namespace config
