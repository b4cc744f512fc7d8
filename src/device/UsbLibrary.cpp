#include "device/UsbLibrary.h"

#include "platform/Folders.h"
#include "platform/Paths.h"

namespace device {

const char* const UsbEntryPointNames[UsbEntryPointCount] = {
    "_MPUSBGetDLLVersion", "_MPUSBGetDeviceCount", "_MPUSBOpen",
    "_MPUSBRead",          "_MPUSBReadInt",        "_MPUSBWrite",
    "_MPUSBClose",         "_MPUSBSetConfiguration", "_MPUSBGetStringDescriptor",
};

bool DynamicUsbLibrary::Load() {
    // Each load raises the loader's count; the library stays loaded for the life of the process.
    if (!path_.empty()) {
        library_ = platform::DynamicLibrary::Open(path_, &loadError_);
        return library_ != nullptr;
    }
    library_ = platform::DynamicLibrary::Open(platform::UsbLibraryFileName(), &loadError_);
    if (library_ == nullptr) {
        // The executable's RUNPATH normally finds the library beside it. A sanitizer runtime that
        // intercepts dlopen hides that RUNPATH, so the folder is also tried by name.
        const std::string folder = platform::ExecutableFolder();
        if (!folder.empty())
            library_ = platform::DynamicLibrary::Open(platform::JoinPath(folder, platform::UsbLibraryFileName()));
    }
    return library_ != nullptr;
}

void* DynamicUsbLibrary::Resolve(const char* name) {
    return library_ == nullptr ? nullptr : library_->Symbol(name);
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
