// A table of entry points for in-process stand-ins of the USB library: the caller gives the
// ones that matter to it, the rest answer as an attached device would.
#pragma once

#include "device/UsbLibrary.h"

namespace testsupport {
namespace stub {
inline uint32_t Version() { return 1; }
inline uint32_t Count(const char*) { return 1; }
inline uint32_t Open(uint32_t, const char*, const char*, uint32_t direction, uint32_t) { return direction == 1 ? 5 : 6; }
inline uint32_t Close(uint32_t) { return 1; }
inline uint32_t SetConfiguration(uint32_t, uint32_t) { return 1; }
inline uint32_t StringDescriptor(uint32_t, uint32_t, uint32_t, void*, uint32_t, uint32_t*) { return 0; }
}  // namespace stub

inline device::UsbEntryPoints StubEntryPoints(MPUSBReadFn read, MPUSBWriteFn write,
                                              MPUSBOpenFn open = &stub::Open,
                                              MPUSBGetDeviceCountFn count = &stub::Count,
                                              MPUSBCloseFn close = &stub::Close) {
    device::UsbEntryPoints table;
    table.getDllVersion = &stub::Version;
    table.getDeviceCount = count;
    table.open = open;
    table.read = read;
    table.readInt = read;
    table.write = write;
    table.close = close;
    table.setConfiguration = &stub::SetConfiguration;
    table.getStringDescriptor = &stub::StringDescriptor;
    return table;
}

}  // namespace testsupport
