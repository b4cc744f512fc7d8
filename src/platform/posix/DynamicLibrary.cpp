#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

namespace platform {

std::unique_ptr<DynamicLibrary> DynamicLibrary::Open(const std::string& file, std::string* error) {
    void* handle = dlopen(file.c_str(), RTLD_NOW);
    if (handle == nullptr) {
        if (error != nullptr) {
            const char* reason = dlerror();
            *error = reason != nullptr ? reason : "cannot load " + file;
        }
        return nullptr;
    }
    return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(handle));
}

// Each load raised the loader's count; the library stays for the life of the process.
DynamicLibrary::~DynamicLibrary() = default;

void* DynamicLibrary::Symbol(const char* name) const { return dlsym(handle_, name); }

std::string UsbLibraryFileName() { return "libmpusbapi.so"; }

std::string ModuleFileName(std::string_view stem) { return std::string(stem) + ".so"; }

}  // namespace platform
