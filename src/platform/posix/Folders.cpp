#include "platform/Folders.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

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
std::string DataFolder() { return XdgFolder("XDG_DATA_HOME", "/.local/share"); }
std::string CacheFolder() { return XdgFolder("XDG_CACHE_HOME", "/.cache"); }

std::string ExecutablePath() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

bool IsPrivateFolder(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

std::string MakePrivateFolder(const std::string& path) {
    if (path.empty()) return {};
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0) CreateFolders(path.substr(0, slash));
    ::mkdir(path.c_str(), 0700);
    // The folder itself is never a link: a link could lead into someone else's folder.
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) return {};
    if ((info.st_mode & 077) != 0 && ::chmod(path.c_str(), 0700) != 0) return {};
    return path;
}

}  // namespace platform
