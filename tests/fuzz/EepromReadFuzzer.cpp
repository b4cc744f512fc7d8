// A transmitter whose EEPROM holds arbitrary bytes, read as the program reads its configuration:
// the frames through the device link, the blocks into the mirror, the specific gravity checked,
// every value shown in both measurement types. Nothing crashes, and what is read is what the
// transmitter holds. Input: byte 0 picks faults (bit 0: every reply with a wrong checksum, bits
// 4..7: answers before the transmitter falls silent, 0 = no limit); then the bytes at 890..897,
// 67..102, 7..8 and 940..943 of the EEPROM, as far as the input reaches.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "SimulatedUsbDevice.h"
#include "config/ByteCodec.h"
#include "config/EepromMap.h"
#include "config/Units.h"
#include "config/WorkingState.h"
#include "device/Fix64usb.h"
#include "support/StubUsbEntryPoints.h"
#include "support/TableUsbLibrary.h"

namespace {

sim::SimulatedUsbDevice* transmitter = nullptr;

uint32_t Count(const char* identity) { return transmitter->Count(identity); }
uint32_t Open(uint32_t index, const char* identity, const char* endpoint, uint32_t direction, uint32_t) {
    return transmitter->Open(index, identity, endpoint, direction);
}
uint32_t Close(uint32_t handle) { return transmitter->Close(handle) ? 1 : 0; }
uint32_t Write(uint32_t handle, const void* data, uint32_t length, uint32_t* sent, uint32_t) {
    if (sent) *sent = length;
    return transmitter->Write(handle, static_cast<const uint8_t*>(data), length) ? 1 : 0;
}
uint32_t Read(uint32_t handle, void* data, uint32_t length, uint32_t* received, uint32_t timeoutMs) {
    return transmitter->Read(handle, static_cast<uint8_t*>(data), length, received, timeoutMs) ? 1 : 0;
}

struct Block {
    uint32_t address;
    uint32_t length;
};
constexpr Block FuzzedBlocks[] = {
    {config::eeNominalRange, config::eeRangeAndGravityLength},
    {config::eeOutputs, config::eeOutputsLength},
    {config::eeSerialNumber, config::eeSerialNumberLength},
    {config::eeZeroOffset, config::eeFloatLength},
};

// The read of the configuration, as the window runs it, into the mirror and the shown texts.
void ReadConfiguration(device::TFix64& link, config::EepromImage& image) {
    link.ClosePipes(0);
    link.OpenPipes(0);
    link.SetSlaveAddress(254);
    link.Command2();
    link.ReadEeprom(config::eeNominalRange, &image[config::eeNominalRange], config::eeRangeAndGravityLength);
    link.ReadEeprom(config::eeOutputs, &image[config::eeOutputs], config::eeOutputsLength);
    const uint8_t* gravity = &image[config::eeSpecificGravity];
    float density = config::IsErasedSpecificGravity(gravity) ? 0 : config::LoadFloatLE(gravity);
    if (!(density >= config::MinSpecificGravity && density <= config::MaxSpecificGravity))
        density = config::DefaultSpecificGravity;
    config::FormatNumber(static_cast<double>(density) + 0.001, 0);
    const float lengthFactor = config::LengthFactor(config::MillimetresPerMetre, density);
    if (!std::isfinite(lengthFactor) || lengthFactor <= 0) std::abort();
    const float nominalRange = config::LoadFloatLE(&image[config::eeNominalRange]);
    for (const config::PressureUnit& unit : config::PressureUnits)
        config::FormatNumber(static_cast<double>(nominalRange) * unit.factor, unit.decimals);
    for (size_t i = 0; i < config::OutputCount; ++i) {
        const uint32_t record = config::OutputRecordAddress(i);
        uint8_t bytes[4];
        link.ReadEeprom(record + config::OutputRecordLowerOffset, bytes, 4);
        const float lower = config::LoadFloatLE(bytes);
        link.ReadEeprom(record + config::OutputRecordHigherOffset, bytes, 4);
        const float higher = config::LoadFloatLE(bytes);
        uint8_t mode = 0;
        link.ReadEeprom(record + config::OutputRecordModeOffset, &mode, 1);
        // The one-by-one reads agree with the block.
        const config::OutputRecord fromBlock = config::LoadOutputRecord(&image[record]);
        if (std::memcmp(&fromBlock.lower, &lower, 4) != 0 || std::memcmp(&fromBlock.higher, &higher, 4) != 0 ||
            fromBlock.mode != mode)
            std::abort();
        config::FormatNumber(static_cast<double>(lower) * lengthFactor, 0);
        config::FormatNumber(static_cast<double>(higher) * 0.001, 3);
    }
    link.Command1();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    sim::Faults faults;
    faults.badChecksum = (data[0] & 0x01) != 0;
    if (data[0] >> 4) faults.answersLeft = data[0] >> 4;
    sim::TransmitterModel model;
    std::vector<uint8_t>& eeprom = model.eeprom();
    size_t at = 1;
    for (const Block& block : FuzzedBlocks)
        for (uint32_t k = 0; k < block.length && at < size; ++k) eeprom[block.address + k] = data[at++];
    const std::vector<uint8_t> held = eeprom;

    sim::SimulatedUsbDevice device(std::move(model), faults);
    transmitter = &device;
    device::TFix64 link(std::make_unique<testsupport::TableUsbLibrary>(
        testsupport::StubEntryPoints(&Read, &Write, &Open, &Count, &Close)));
    link.LoadUsbLibrary();
    link.timeoutMs = 250;
    auto image = std::make_unique<config::EepromImage>();
    bool complete = false;
    try {
        ReadConfiguration(link, *image);
        uint8_t serial[2];
        link.ReadEeprom(config::eeSerialNumber, serial, config::eeSerialNumberLength);
        if (serial[0] != held[config::eeSerialNumber] || serial[1] != held[config::eeSerialNumber + 1]) std::abort();
        complete = true;
    } catch (const device::DeviceError&) {
        // a faulty transmitter fails the read; what matters is that it fails cleanly
    }
    if (complete && faults.badChecksum) std::abort();  // a wrong checksum never passes
    if (complete) {
        for (const Block& block : {FuzzedBlocks[0], FuzzedBlocks[1]})
            for (uint32_t k = 0; k < block.length; ++k)
                if ((*image)[block.address + k] != held[block.address + k]) std::abort();
    }
    transmitter = nullptr;
    return 0;
}
