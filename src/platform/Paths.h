// File names travel through the program as UTF-8 text; these convert at the boundary to the
// system's own form (bytes on Linux, UTF-16 on Windows), so that "Müller.cfg" is the same file
// everywhere. Every file the core opens goes through PathFromUtf8.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

// std::fopen with a UTF-8 path.
std::FILE* OpenFile(const std::string& utf8Path, const char* mode);

// The folder part of a path and its last part, split at the last separator of the system ('/'
// and on Windows also '\\'); the folder is "" when there is none.
std::string FolderOf(const std::string& path);
std::string FileNameOf(const std::string& path);
// folder + separator + name, without doubling a separator at folder's end.
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace platform
