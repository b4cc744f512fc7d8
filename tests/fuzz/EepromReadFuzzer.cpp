// A transmitter whose EEPROM holds arbitrary bytes, read by the core's read of the configuration
// (the one the window and the tool run): the frames through the device link, the blocks into the
// mirror, the specific gravity checked, every value shown in every unit. Nothing crashes, and what is read is what the
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
#include "config/Transfer.h"
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

// What the window makes of a read, as far as it came: the specific gravity checked (an invalid one
// replaced), every value shown in every unit; the one-by-one values agree with the blocks.
void Show(const config::ConfigurationCollector& read, const config::EepromImage& image) {
    if (!read.blocksRead) return;
    float density = config::SpecificGravityOf(image);
    if (!config::IsValidSpecificGravity(density)) density = config::DefaultSpecificGravity;
    config::FormatNumber(static_cast<double>(density) + 0.001, 0);
    double lengthFactors[std::size(config::LengthUnits)];
    for (size_t u = 0; u < std::size(config::LengthUnits); ++u) {
        lengthFactors[u] = config::LengthFactor(config::LengthUnits[u].numerator, density);
        if (!std::isfinite(lengthFactors[u]) || lengthFactors[u] <= 0) std::abort();
    }
    const config::DeviceConfiguration& c = read.configuration;
    std::vector<double> values{c.nominalRange};
    for (size_t i = 0; i < config::OutputCount; ++i) {
        const config::OutputRecord fromBlock = config::LoadOutputRecord(&image[config::OutputRecordAddress(i)]);
        const int fields = read.fieldsRead - 3 * static_cast<int>(i);
        if ((fields >= 1 && std::memcmp(&fromBlock.lower, &c.outputs[i].lower, 4) != 0) ||
            (fields >= 2 && std::memcmp(&fromBlock.higher, &c.outputs[i].higher, 4) != 0) ||
            (fields >= 3 && fromBlock.mode != c.outputs[i].mode))
            std::abort();
        values.push_back(c.outputs[i].lower);
        values.push_back(c.outputs[i].higher);
    }
    for (double value : values) {
        for (const config::PressureUnit& unit : config::PressureUnits)
            config::FormatNumber(value * unit.factor, unit.decimals);
        for (size_t u = 0; u < std::size(config::LengthUnits); ++u)
            config::FormatNumber(value * lengthFactors[u], config::LengthUnits[u].decimals);
    }
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
    config::ConfigurationCollector read;
    bool complete = false;
    try {
        config::ReadConfiguration(link, 0, *image, read);
        uint8_t serial[2];
        link.ReadEeprom(config::eeSerialNumber, serial, config::eeSerialNumberLength);
        if (serial[0] != held[config::eeSerialNumber] || serial[1] != held[config::eeSerialNumber + 1]) std::abort();
        complete = true;
    } catch (const device::DeviceError&) {
        // a faulty transmitter fails the read; what matters is that it fails cleanly
    }
    Show(read, *image);
    if (complete && faults.badChecksum) std::abort();  // a wrong checksum never passes
    if (complete) {
        for (const Block& block : {FuzzedBlocks[0], FuzzedBlocks[1]})
            for (uint32_t k = 0; k < block.length; ++k)
                if ((*image)[block.address + k] != held[block.address + k]) std::abort();
    }
    transmitter = nullptr;
    return 0;
}
