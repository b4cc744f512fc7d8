#include "device/UsbLibrary.h"

#include <dlfcn.h>
#include <string>

#include "platform/Folders.h"

namespace device {

const char* const UsbEntryPointNames[UsbEntryPointCount] = {
    "_MPUSBGetDLLVersion", "_MPUSBGetDeviceCount", "_MPUSBOpen",
    "_MPUSBRead",          "_MPUSBReadInt",        "_MPUSBWrite",
    "_MPUSBClose",         "_MPUSBSetConfiguration", "_MPUSBGetStringDescriptor",
};

bool DynamicUsbLibrary::Load() {
    // Each load raises the loader's count; the library stays loaded for the life of the process.
    handle_ = dlopen(FileName, RTLD_NOW);
    if (handle_ == nullptr) {
        // The executable's RUNPATH normally finds the library beside it. A sanitizer runtime that
        // intercepts dlopen hides that RUNPATH, so the folder is also tried by name.
        const std::string executable = platform::ExecutablePath();
        const size_t slash = executable.rfind('/');
        if (slash != std::string::npos)
            handle_ = dlopen((executable.substr(0, slash + 1) + FileName).c_str(), RTLD_NOW);
    }
    return handle_ != nullptr;
}

void* DynamicUsbLibrary::Resolve(const char* name) {
    return handle_ == nullptr ? nullptr : dlsym(handle_, name);
}

namespace {
template <typename Fn>
bool Take(UsbLibrarySource& source, const char* name, Fn& slot) {
    slot = reinterpret_cast<Fn>(source.Resolve(name));
    return slot != nullptr;
}
}  // namespace

bool ResolveEntryPoints(UsbLibrarySource& source, UsbEntryPoints& t) {
    const char* const* n = UsbEntryPointNames;
    return Take(source, n[0], t.getDllVersion) && Take(source, n[1], t.getDeviceCount) &&
           Take(source, n[2], t.open) && Take(source, n[3], t.read) && Take(source, n[4], t.readInt) &&
           Take(source, n[5], t.write) && Take(source, n[6], t.close) &&
           Take(source, n[7], t.setConfiguration) && Take(source, n[8], t.getStringDescriptor);
}

}  // namespace device
