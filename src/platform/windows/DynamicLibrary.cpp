#include "platform/DynamicLibrary.h"

#include <windows.h>

#include "platform/windows/WideText.h"

namespace platform {

std::unique_ptr<DynamicLibrary> DynamicLibrary::Open(const std::string& file, std::string* error) {
    // No error box from the system for a missing or broken DLL: the caller reports it.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE handle = LoadLibraryW(WideFromUtf8(file).c_str());
    const DWORD code = GetLastError();
    SetErrorMode(previousMode);
    if (handle == nullptr) {
        if (error != nullptr) *error = file + ": " + SystemErrorText(code);
        return nullptr;
    }
    return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(handle));
}

// The library stays for the life of the process (function pointers from it may be kept).
DynamicLibrary::~DynamicLibrary() = default;

void* DynamicLibrary::Symbol(const char* name) const {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

std::string UsbLibraryFileName() { return "mpusbapi.dll"; }

std::string ModuleFileName(std::string_view stem) { return std::string(stem) + ".dll"; }

}  // namespace platform
