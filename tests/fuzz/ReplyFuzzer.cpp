// Replies of arbitrary bytes, of any length, never crash the reply checks or make them read
// outside the frame. Input: byte 0 picks the operation, byte 1 the EEPROM length, the rest is
// what the device sends back (a short read leaves the rest of the previous reply in place).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "device/Fix64usb.h"
#include "support/StubUsbEntryPoints.h"
#include "support/TableUsbLibrary.h"

namespace {

const uint8_t* replyData = nullptr;
size_t replySize = 0;

uint32_t Read(uint32_t, void* buffer, uint32_t length, uint32_t* received, uint32_t) {
    if (replyData == nullptr) return 0;
    const size_t n = std::min<size_t>(replySize, length);
    std::memcpy(buffer, replyData, n);
    *received = static_cast<uint32_t>(n);
    replyData = nullptr;
    return n > 0 ? 1 : 0;
}
uint32_t Write(uint32_t, const void*, uint32_t, uint32_t*, uint32_t) { return 1; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static device::TFix64 link(std::make_unique<testsupport::TableUsbLibrary>(testsupport::StubEntryPoints(&Read, &Write)));
    static const bool loaded = link.LoadUsbLibrary() && link.OpenPipes(0);
    (void)loaded;
    link.timeoutMs = 250;
    link.SetSlaveAddress(data[0] & 0x80 ? 7 : 254);
    const uint8_t length = data[1];
    // The reply lives in its own exact-size buffer, so a read past it is caught.
    const std::vector<uint8_t> reply(data + 2, data + size);
    replyData = reply.data();
    replySize = reply.size();
    try {
        uint8_t destination[64];
        switch (data[0] & 0x03) {
            case 0: link.Command1(); break;
            case 1: link.ReadValue(4, destination); break;
            case 2: link.ReadEeprom(894, destination, length); break;
            case 3: link.WriteEeprom(67, destination, length); break;
        }
    } catch (const device::DeviceError&) {
        // a rejected reply is the expected outcome for most inputs
    }
    replyData = nullptr;
    return 0;
}
