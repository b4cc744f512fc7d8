// The steps every conversation with the transmitter begins with, shared by the configuration
// transfers, the zero correction and the connection and poll: one home below all of them.
#pragma once

#include <cstdint>

namespace device {

class TFix64;

constexpr uint8_t RequestSlaveAddress = 254;
constexpr uint16_t ExchangeTimeoutMs = 250;

// Closes and re-opens the pipes of the device at deviceIndex (the open's result is not looked
// at: a failed open shows up as a failed exchange), then addresses slave 254.
void ReopenLink(TFix64& link, uint32_t deviceIndex);

}  // namespace device
