// Reading and changing this process's environment, on both systems: setenv/unsetenv are not in
// the Windows C runtime, and there the variables are set as UTF-16 so that UTF-8 values (paths
// with "ü") arrive whole in the C runtime's copy and in the process's own block alike.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "support/Utf8Paths.h"

namespace testsupport {

// The variable's value as UTF-8, nullopt when it is not set.
inline std::optional<std::string> GetEnvironment(const std::string& name) {
#ifdef _WIN32
    const wchar_t* value = _wgetenv(PathFromText(name).wstring().c_str());
    if (value == nullptr) return std::nullopt;
    return TextFromPath(std::filesystem::path(value));
#else
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
#endif
}

// Sets the variable to value (UTF-8), or removes it for nullopt.
inline void SetEnvironment(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
    // "NAME=" removes the variable; _wputenv also updates the process's block for children.
    // An empty value cannot be set on Windows: it removes the variable as well.
    _wputenv((PathFromText(name).wstring() + L"=" + PathFromText(value.value_or("")).wstring()).c_str());
#else
    if (value) setenv(name.c_str(), value->c_str(), 1);
    else unsetenv(name.c_str());
#endif
}

}  // namespace testsupport
