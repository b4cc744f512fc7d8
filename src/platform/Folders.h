// Where the program finds itself and keeps its files: the XDG folders on Linux, the Known
// Folders on Windows (RoamingAppData for the configuration, LocalAppData for the rest). On both,
// an absolute $XDG_CONFIG_HOME, $XDG_STATE_HOME, $XDG_DATA_HOME or $XDG_CACHE_HOME decides.
// Paths are UTF-8.
#pragma once

#include <string>

namespace platform {

// The value of an environment variable naming a folder, or "" when unset, empty or relative
// (the XDG rules say a relative path is to be ignored).
std::string EnvironmentFolder(const char* variable);

// The user's home folder ($HOME, else the password database; the profile folder on Windows),
// "" when none is known.
std::string HomeFolder();

// $XDG_CONFIG_HOME, else ~/.config; "" when neither can be determined.
std::string ConfigFolder();
// $XDG_STATE_HOME, else ~/.local/state; "" when neither can be determined.
std::string StateFolder();
// $XDG_DATA_HOME, else ~/.local/share; "" when neither can be determined.
std::string DataFolder();
// $XDG_CACHE_HOME, else ~/.cache; "" when neither can be determined.
std::string CacheFolder();

// Full path of the running executable ("/" as its separators on Windows too), "" when it
// cannot be read.
std::string ExecutablePath();
// The folder that holds it, "" when unknown.
std::string ExecutableFolder();

// Creates a folder together with every missing parent; true when it exists afterwards.
bool CreateFolders(const std::string& path);

// True when path is a folder that belongs to this user and that no one else may enter
// (mode 0700, as the runtime folder must be).
bool IsPrivateFolder(const std::string& path);

// A folder of this user's alone at path, created (with its parents) when missing and closed to
// others when it was open; "" when that cannot be had (another owner, a link, not a folder).
std::string MakePrivateFolder(const std::string& path);

}  // namespace platform
