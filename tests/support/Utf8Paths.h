// Paths from and to UTF-8 text in the tests, as the program converts them: a narrow string in a
// std::filesystem::path means the ANSI code page on Windows, so "Müller.cfg" must not go that way.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace testsupport {

inline std::filesystem::path PathFromText(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string TextFromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// A path's text in the system's normal form ('\\' between the parts on Windows), for comparing
// paths put together in different ways.
inline std::string NormalText(std::string_view utf8) { return TextFromPath(PathFromText(utf8).lexically_normal()); }

}  // namespace testsupport
