#include "device/Frame.h"

namespace device {

uint8_t FrameCrc(const Frame& frame) {
    uint16_t r = 0;
    for (size_t i = MasterAt; i < ChecksumAt; ++i) {
        r = static_cast<uint16_t>(r | frame[i]);
        for (int bit = 0; bit < 8; ++bit)
            r = (r & 0x8000) ? static_cast<uint16_t>((r << 1) ^ 0xA300) : static_cast<uint16_t>(r << 1);
    }
    return static_cast<uint8_t>(r >> 8);
}

}  // namespace device
