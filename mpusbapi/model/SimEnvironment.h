// The simulator's settings from the environment, as UTF-8 text: on Windows from the wide
// environment, so that a path with "ü" arrives whole whatever the ANSI code page.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/Paths.h"

namespace sim {

// The variable's value, "" when it is unset.
inline std::string EnvironmentText(const char* name) {
#ifdef _WIN32
    const std::wstring wideName(name, name + std::char_traits<char>::length(name));  // names are ASCII
    const wchar_t* value = _wgetenv(wideName.c_str());
    return value == nullptr ? std::string() : platform::Utf8FromPath(std::filesystem::path(value));
#else
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
#endif
}

}  // namespace sim
