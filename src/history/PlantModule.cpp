#include <dlfcn.h>

#include "history/PlantSink.h"
#include "platform/Folders.h"

namespace history {

std::unique_ptr<PlantSink> OpenPlantDatabase(const std::string& url, std::string& error) {
    const std::string executable = platform::ExecutablePath();
    const std::string path = executable.substr(0, executable.rfind('/') + 1) + "kd4410-plant.so";
    // Kept loaded for the life of the process: the sink's code lives in it.
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* why = dlerror();
        error = "the plant database client cannot be loaded (" + std::string(why ? why : path) + ")";
        return nullptr;
    }
    using Connect = PlantSink* (*)(const char*, std::string*);
    const auto connect = reinterpret_cast<Connect>(dlsym(module, "kd4410ConnectPlantDatabase"));
    if (connect == nullptr) {
        error = path + " is not the plant database client";
        return nullptr;
    }
    return std::unique_ptr<PlantSink>(connect(url.c_str(), &error));
}

}  // namespace history
