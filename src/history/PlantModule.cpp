#include "history/PlantSink.h"
#include "platform/DynamicLibrary.h"
#include "platform/Folders.h"
#include "platform/Paths.h"

namespace history {

std::unique_ptr<PlantSink> OpenPlantDatabase(const std::string& url, std::string& error) {
    const std::string path =
        platform::JoinPath(platform::ExecutableFolder(), platform::ModuleFileName("kd4410-plant"));
    // Stays loaded for the life of the process: the sink's code lives in it.
    std::string why;
    const std::unique_ptr<platform::DynamicLibrary> module = platform::DynamicLibrary::Open(path, &why);
    if (module == nullptr) {
        error = "the plant database client cannot be loaded (" + why + ")";
        return nullptr;
    }
    using Connect = PlantSink* (*)(const char*, std::string*);
    const auto connect = reinterpret_cast<Connect>(module->Symbol("kd4410ConnectPlantDatabase"));
    if (connect == nullptr) {
        error = path + " is not the plant database client";
        return nullptr;
    }
    return std::unique_ptr<PlantSink>(connect(url.c_str(), &error));
}

}  // namespace history
