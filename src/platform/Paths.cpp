#include "platform/Paths.h"

namespace platform {
namespace {

#ifdef _WIN32
constexpr std::string_view Separators = "/\\";
#else
constexpr std::string_view Separators = "/";
#endif

}  // namespace

std::filesystem::path PathFromUtf8(std::string_view utf8) {
    // A char8_t text is taken as UTF-8 on every system (a char text would be the ANSI code page
    // on Windows).
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::FILE* OpenFile(const std::string& utf8Path, const char* mode) {
#ifdef _WIN32
    const std::string narrowMode(mode);
    return _wfopen(PathFromUtf8(utf8Path).c_str(), std::wstring(narrowMode.begin(), narrowMode.end()).c_str());
#else
    return std::fopen(utf8Path.c_str(), mode);
#endif
}

std::string FolderOf(const std::string& path) {
    const size_t separator = path.find_last_of(Separators);
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

std::string FileNameOf(const std::string& path) {
    const size_t separator = path.find_last_of(Separators);
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (Separators.find(folder.back()) != std::string_view::npos) return folder + name;
    return folder + '/' + name;
}

}  // namespace platform
