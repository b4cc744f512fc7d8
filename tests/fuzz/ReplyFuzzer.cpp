// Replies of arbitrary bytes, of any length, never crash the reply checks or make them read
// outside the frame. Input: byte 0 picks the operation, byte 1 the EEPROM length, the rest is
// what the device sends back (a short read leaves the rest of the previous reply in place).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "device/Fix64usb.h"
#include "support/TableUsbLibrary.h"

namespace {

const uint8_t* replyData = nullptr;
size_t replySize = 0;

uint32_t Version() { return 1; }
uint32_t Count(const char*) { return 1; }
uint32_t Open(uint32_t, const char*, const char*, uint32_t direction, uint32_t) { return direction == 1 ? 5 : 6; }
uint32_t Read(uint32_t, void* buffer, uint32_t length, uint32_t* received, uint32_t) {
    if (replyData == nullptr) return 0;
    const size_t n = std::min<size_t>(replySize, length);
    std::memcpy(buffer, replyData, n);
    *received = static_cast<uint32_t>(n);
    replyData = nullptr;
    return n > 0 ? 1 : 0;
}
uint32_t Write(uint32_t, const void*, uint32_t, uint32_t*, uint32_t) { return 1; }
uint32_t Close(uint32_t) { return 1; }
uint32_t SetConfiguration(uint32_t, uint32_t) { return 1; }
uint32_t StringDescriptor(uint32_t, uint32_t, uint32_t, void*, uint32_t, uint32_t*) { return 0; }

device::UsbEntryPoints EntryPoints() {
    device::UsbEntryPoints table;
    table.getDllVersion = &Version;
    table.getDeviceCount = &Count;
    table.open = &Open;
    table.read = &Read;
    table.readInt = &Read;
    table.write = &Write;
    table.close = &Close;
    table.setConfiguration = &SetConfiguration;
    table.getStringDescriptor = &StringDescriptor;
    return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static device::TFix64 link(std::make_unique<testsupport::TableUsbLibrary>(EntryPoints()));
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
