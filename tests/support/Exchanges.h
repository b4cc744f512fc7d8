// The requests a transmitter received, decoded for frame-by-frame assertions.
#pragma once

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <vector>

#include "config/ByteCodec.h"
#include "device/Frame.h"

namespace testsupport {

// One request as the transmitter received it.
struct Exchange {
    uint8_t command;
    uint8_t parameter1;
    uint32_t address;
    std::vector<uint8_t> data;  // the first parameter1 long-data bytes of an EEPROM write
    bool operator==(const Exchange&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Exchange& e) {
    out << "{cmd " << int(e.command) << ", p1 " << int(e.parameter1) << ", at " << e.address << ", "
        << e.data.size() << " bytes}";
    return out;
}

inline Exchange Command(uint8_t command) { return {command, 0, 0, {}}; }
inline Exchange Read(uint32_t address, uint8_t length) { return {7, length, address, {}}; }
inline Exchange ValueRead() { return {5, 4, 0, {}}; }
inline Exchange Write(uint32_t address, std::vector<uint8_t> data) {
    return {8, static_cast<uint8_t>(data.size()), address, std::move(data)};
}
inline std::vector<uint8_t> FloatBytes(float value) {
    std::vector<uint8_t> bytes(4);
    config::StoreFloatLE(bytes.data(), value);
    return bytes;
}

// The requests in frames, decoded.
inline std::vector<Exchange> Decode(const std::vector<device::Frame>& frames) {
    std::vector<Exchange> out;
    for (const device::Frame& f : frames) {
        Exchange e{f[3], f[4], config::LoadU32LE(&f[7]), {}};
        if (e.command == 8) e.data.assign(f.begin() + 11, f.begin() + 11 + std::min<int>(f[4], 52));
        if (e.command != 7 && e.command != 8) e.address = 0;
        out.push_back(e);
    }
    return out;
}

}  // namespace testsupport
