// Binding the USB access library at run time: the table of its nine entry points, and where
// the table is filled from (the system's loader in production, in-process fakes in tests).
#pragma once

#include <memory>
#include <string>

#include "mpusbapi.h"
#include "platform/DynamicLibrary.h"

namespace device {

// The entry points in the order they are resolved; a null pointer is an entry point not found.
struct UsbEntryPoints {
    MPUSBGetDLLVersionFn getDllVersion = nullptr;
    MPUSBGetDeviceCountFn getDeviceCount = nullptr;
    MPUSBOpenFn open = nullptr;
    MPUSBReadFn read = nullptr;
    MPUSBReadFn readInt = nullptr;
    MPUSBWriteFn write = nullptr;
    MPUSBCloseFn close = nullptr;
    MPUSBSetConfigurationFn setConfiguration = nullptr;
    MPUSBGetStringDescriptorFn getStringDescriptor = nullptr;
};

constexpr int UsbEntryPointCount = 9;
extern const char* const UsbEntryPointNames[UsbEntryPointCount];

// Where the library comes from.
class UsbLibrarySource {
public:
    virtual ~UsbLibrarySource() = default;
    // Loads the library once more; false when it cannot be loaded.
    virtual bool Load() = 0;
    // The address of an entry point of the loaded library, or null when it has none.
    virtual void* Resolve(const char* name) = 0;
};

// The USB library by file name (platform::UsbLibraryFileName()) through the system's own search:
// on Linux LD_LIBRARY_PATH first, then the executable's RUNPATH, which names its own folder; on
// Windows the executable's folder first. Or, given a path, exactly that file. The library is
// never unloaded.
class DynamicUsbLibrary final : public UsbLibrarySource {
public:
    explicit DynamicUsbLibrary(std::string path = {}) : path_(std::move(path)) {}
    bool Load() override;
    void* Resolve(const char* name) override;
    // Why the last Load failed, as the system put it.
    const std::string& loadError() const { return loadError_; }

private:
    std::string path_;
    std::string loadError_;
    std::unique_ptr<platform::DynamicLibrary> library_;
};

// Resolves the nine entry points in order into table; stops at the first one missing, leaving
// it and those after it unresolved. True when all were found.
bool ResolveEntryPoints(UsbLibrarySource& source, UsbEntryPoints& table);

}  // namespace device
