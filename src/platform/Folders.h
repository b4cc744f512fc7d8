// Where the program finds itself and keeps its files on a Linux desktop.
#pragma once

#include <string>

namespace platform {

// The value of an environment variable naming a folder, or "" when unset, empty or relative
// (the XDG rules say a relative path is to be ignored).
std::string EnvironmentFolder(const char* variable);

// The user's home folder ($HOME, else the password database), "" when none is known.
std::string HomeFolder();

// $XDG_CONFIG_HOME, else ~/.config; "" when neither can be determined.
std::string ConfigFolder();
// $XDG_STATE_HOME, else ~/.local/state; "" when neither can be determined.
std::string StateFolder();
// $TMPDIR, else /tmp.
std::string TemporaryFolder();

// Full path of the running executable (from /proc/self/exe), "" when it cannot be read.
std::string ExecutablePath();

// Creates a folder together with every missing parent; true when it exists afterwards.
bool CreateFolders(const std::string& path);

}  // namespace platform
