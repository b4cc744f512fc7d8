// A USB library source whose entry points are given in process, by a table.
#pragma once

#include <cstring>

#include "device/UsbLibrary.h"

namespace testsupport {

class TableUsbLibrary : public device::UsbLibrarySource {
public:
    explicit TableUsbLibrary(const device::UsbEntryPoints& table) : table_(table) {}

    bool Load() override { return true; }
    void* Resolve(const char* name) override {
        const device::UsbEntryPoints& t = table_;
        void* const addresses[device::UsbEntryPointCount] = {
            reinterpret_cast<void*>(t.getDllVersion), reinterpret_cast<void*>(t.getDeviceCount),
            reinterpret_cast<void*>(t.open),          reinterpret_cast<void*>(t.read),
            reinterpret_cast<void*>(t.readInt),       reinterpret_cast<void*>(t.write),
            reinterpret_cast<void*>(t.close),         reinterpret_cast<void*>(t.setConfiguration),
            reinterpret_cast<void*>(t.getStringDescriptor)};
        for (int i = 0; i < device::UsbEntryPointCount; ++i)
            if (std::strcmp(device::UsbEntryPointNames[i], name) == 0) return addresses[i];
        return nullptr;
    }

private:
    device::UsbEntryPoints table_;
};

}  // namespace testsupport
