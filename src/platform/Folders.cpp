#include "platform/Folders.h"

#include <cstdlib>
#include <pwd.h>
#include <system_error>
#include <unistd.h>
#include <filesystem>

namespace platform {

std::string EnvironmentFolder(const char* variable) {
    const char* value = std::getenv(variable);
    if (value == nullptr || value[0] != '/') return {};
    return value;
}

std::string HomeFolder() {
    std::string home = EnvironmentFolder("HOME");
    if (!home.empty()) return home;
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return {};
}

namespace {
std::string XdgFolder(const char* variable, const char* fallbackUnderHome) {
    std::string folder = EnvironmentFolder(variable);
    if (!folder.empty()) return folder;
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : home + fallbackUnderHome;
}
}  // namespace

std::string ConfigFolder() { return XdgFolder("XDG_CONFIG_HOME", "/.config"); }
std::string StateFolder() { return XdgFolder("XDG_STATE_HOME", "/.local/state"); }

std::string TemporaryFolder() {
    std::string folder = EnvironmentFolder("TMPDIR");
    return folder.empty() ? std::string("/tmp") : folder;
}

std::string ExecutablePath() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

bool CreateFolders(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}

}  // namespace platform
