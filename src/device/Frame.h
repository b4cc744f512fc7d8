// The 64-byte request and reply frames exchanged with the transmitter.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace device {

constexpr size_t FrameSize = 64;
using Frame = std::array<uint8_t, FrameSize>;

// Field offsets.
constexpr size_t StartByteAt = 0;
constexpr size_t MasterAt = 1;
constexpr size_t SlaveAt = 2;
constexpr size_t CommandAt = 3;
constexpr size_t Parameter1At = 4;
constexpr size_t Parameter2At = 5;
constexpr size_t Parameter3At = 6;
constexpr size_t ShortDataAt = 7;
constexpr size_t ShortDataSize = 4;
constexpr size_t LongDataAt = 11;
constexpr size_t LongDataSize = 52;
constexpr size_t ChecksumAt = 63;

constexpr uint8_t StartByte = 0xA5;
constexpr uint8_t MasterAddress = 0xFF;
// With this slave address a reply from any slave is accepted.
constexpr uint8_t AnySlaveAddress = 254;
// With this slave address the request is sent and no reply is read.
constexpr uint8_t NoReplySlaveAddress = 253;

// Command numbers.
constexpr uint8_t CmdCommand1 = 1;
constexpr uint8_t CmdCommand2 = 2;
constexpr uint8_t CmdCommand4 = 4;
constexpr uint8_t CmdReadValue = 5;
constexpr uint8_t CmdReadEeprom = 7;
constexpr uint8_t CmdWriteEeprom = 8;
constexpr uint8_t CmdZeroStep = 13;

// Longest EEPROM block one frame carries.
constexpr uint8_t MaxEepromBlock = 52;

// The frame checksum: bytes 1..62 read as one number, most significant bit of byte 1 first,
// divided carry-less by x^8 + x^7 + x^5 + x + 1 with no zero bits appended; the remainder.
uint8_t FrameCrc(const Frame& frame);

}  // namespace device
