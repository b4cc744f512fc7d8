// The conversations of the connection, the device info and the live-value poll, shared by the
// window and the command-line tool. Each raises device::DeviceError when an exchange fails.
#pragma once

#include <cstdint>
#include <optional>

#include "device/LinkSteps.h"

namespace device {
class TFix64;
}

namespace polling {

// The opening steps live in device/LinkSteps, so that config/ can use them without polling/.
using device::ExchangeTimeoutMs;
using device::ReopenLink;
using device::RequestSlaveAddress;

struct Connection {
    bool answered = false;     // commands 2 and 4 both succeeded
    uint32_t deviceCount = 0;  // attached transmitters, counted before the exchanges
};

// Loads the USB library (raises device::DeviceError when it cannot be loaded), opens the
// device, sets slave 254 and the 250 ms time-out, then sends commands 2 and 4.
Connection Connect(device::TFix64& link, uint32_t deviceIndex);

// The device info: re-open, then the 2-byte serial number at EEPROM address 7.
uint16_t ReadSerialNumber(device::TFix64& link, uint32_t deviceIndex);

// One poll of the live value: command 1, then the value (Pa).
float ReadLiveValue(device::TFix64& link);

struct PollResult {
    std::optional<float> value;  // the reading, Pa, when the poll succeeded
    bool linkLost = false;       // the poll failed and so did its one retry (command 1)
};

// The poll with its retry: a failed poll sends command 1 once more; nothing raises.
PollResult Poll(device::TFix64& link);

}  // namespace polling
