// Little-endian encoding of the values that travel to and from the transmitter.
#pragma once

#include <cstdint>
#include <cstring>

namespace config {

inline uint16_t LoadU16LE(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t LoadU32LE(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline void StoreU32LE(uint8_t* p, uint32_t value) {
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
    p[2] = static_cast<uint8_t>(value >> 16);
    p[3] = static_cast<uint8_t>(value >> 24);
}

// IEEE 754 single precision, little-endian, whatever the host's byte order.
inline float LoadFloatLE(const uint8_t* p) {
    const uint32_t bits = LoadU32LE(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline void StoreFloatLE(uint8_t* p, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    StoreU32LE(p, bits);
}

}  // namespace config
