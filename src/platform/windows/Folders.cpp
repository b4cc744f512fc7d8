#include "platform/Folders.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <filesystem>

#include "platform/windows/WideText.h"

namespace platform {
namespace {

std::string KnownFolder(const KNOWNFOLDERID& id) {
    wchar_t* path = nullptr;
    std::string folder;
    if (SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path) == S_OK) folder = Utf8FromWide(path);
    CoTaskMemFree(path);
    return folder;
}

// An absolute XDG_* folder still decides, as on Linux: the one override of the folders for tests
// and for a portable setup.
std::string OverriddenOr(const char* variable, const KNOWNFOLDERID& id) {
    std::string folder = EnvironmentFolder(variable);
    return folder.empty() ? KnownFolder(id) : folder;
}

}  // namespace

std::string EnvironmentFolder(const char* variable) {
    const wchar_t* value = _wgetenv(WideFromUtf8(variable).c_str());
    if (value == nullptr || !std::filesystem::path(value).is_absolute()) return {};
    return Utf8FromWide(value);
}

std::string HomeFolder() { return KnownFolder(FOLDERID_Profile); }

// The settings roam with the user's profile; the history, the state and caches stay on the machine.
std::string ConfigFolder() { return OverriddenOr("XDG_CONFIG_HOME", FOLDERID_RoamingAppData); }
std::string StateFolder() { return OverriddenOr("XDG_STATE_HOME", FOLDERID_LocalAppData); }
std::string DataFolder() { return OverriddenOr("XDG_DATA_HOME", FOLDERID_LocalAppData); }
std::string CacheFolder() { return OverriddenOr("XDG_CACHE_HOME", FOLDERID_LocalAppData); }

std::string ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            // With '/' as the separator, as everywhere in the program (Windows takes both).
            std::string utf8 = Utf8FromWide(std::wstring_view(path.data(), length));
            for (char& c : utf8)
                if (c == '\\') c = '/';
            return utf8;
        }
        path.resize(path.size() * 2);
    }
}

// Per-user folders on Windows are closed to others by their access lists; the instance guard,
// which needs a private folder on Linux, is a named mutex here.
bool IsPrivateFolder(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(std::filesystem::path(WideFromUtf8(path)), error);
}

std::string MakePrivateFolder(const std::string& path) {
    return !path.empty() && CreateFolders(path) ? path : std::string();
}

}  // namespace platform
