#include "platform/Folders.h"

#include <filesystem>
#include <system_error>

#include "platform/Paths.h"

namespace platform {

std::string ExecutableFolder() { return FolderOf(ExecutablePath()); }

bool CreateFolders(const std::string& path) {
    const std::filesystem::path folder = PathFromUtf8(path);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return std::filesystem::is_directory(folder, error);
}

}  // namespace platform
