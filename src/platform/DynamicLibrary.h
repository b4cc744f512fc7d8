// Loading a library at run time by name or path (dlopen on Linux, LoadLibraryW on Windows).
// A library once loaded stays loaded for the life of the process: function pointers taken from
// it may be kept anywhere.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace platform {

class DynamicLibrary {
public:
    // file is a path (UTF-8) or a bare file name, which the system's own search finds (on Linux
    // LD_LIBRARY_PATH and the executable's RUNPATH; on Windows the executable's folder first).
    // Nothing, with the system's reason in error, when it cannot be loaded.
    static std::unique_ptr<DynamicLibrary> Open(const std::string& file, std::string* error = nullptr);
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // The address of an exported symbol, null when the library has none by that name.
    void* Symbol(const char* name) const;

private:
    explicit DynamicLibrary(void* handle) : handle_(handle) {}
    void* handle_;
};

// The file name of the USB access library: libmpusbapi.so, mpusbapi.dll.
std::string UsbLibraryFileName();
// The file name of one of the program's own loadable modules ("kd4410-report"):
// kd4410-report.so, kd4410-report.dll.
std::string ModuleFileName(std::string_view stem);

}  // namespace platform
