// A KD4410 transmitter as seen through its USB frames: EEPROM, commands and a live value.
// The simulated library and the tests that emulate a USB device answer from this one model.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "device/Frame.h"

namespace sim {

class TransmitterModel {
public:
    static constexpr size_t EepromSize = 65536;
    static constexpr uint8_t OwnSlaveAddress = 1;
    static constexpr uint16_t FirstSerialNumber = 12345;

    // Seconds since some fixed start; drives the live value.
    using Clock = std::function<double()>;

    // eepromFile: where the EEPROM is kept ("" keeps it in memory only). A missing or unreadable
    // file starts from factory content with the serial number given.
    explicit TransmitterModel(std::string eepromFile = {}, Clock clock = {},
                              uint16_t factorySerial = FirstSerialNumber);

    // The reply to one request, or nothing when the transmitter stays silent (bad checksum,
    // unknown command, a slave address that is not its own, or 253, which wants no reply).
    std::optional<device::Frame> Respond(const device::Frame& request);

    // The live reading in Pa at this moment, zero offset included.
    float LiveValue();

    std::vector<uint8_t>& eeprom() { return eeprom_; }
    // Where the EEPROM is kept; "" in memory only.
    const std::string& file() const { return file_; }
    static std::vector<uint8_t> FactoryEeprom(uint16_t serial = FirstSerialNumber);
    // Writes the EEPROM to its file atomically (temporary file, then rename); false on failure.
    bool Save() const;

private:
    std::string file_;
    Clock clock_;
    std::vector<uint8_t> eeprom_;
    uint32_t noiseState_ = 0x2545F491u;
};

// Default EEPROM file: $KD4410_SIM_EEPROM, else $XDG_STATE_HOME/kd4410-sim/eeprom.bin
// (~/.local/state when unset); "" when no folder is known.
std::string DefaultEepromFile();

// The EEPROM file of the transmitter at index (0, 1, ...) of several: the file itself for the
// first, then "-2", "-3", ... before its extension (eeprom.bin, eeprom-2.bin, ...); "" stays "".
std::string EepromFileOf(const std::string& first, size_t index);

// The transmitters of the simulated library: $KD4410_SIM_DEVICES of them (1 when unset or not
// a number from 1 to 64), serial numbers 12345, 12346, ... each with its own EEPROM file.
std::vector<TransmitterModel> ModelsFromEnvironment();

}  // namespace sim
