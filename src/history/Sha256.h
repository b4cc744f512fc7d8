// SHA-256 of a file's bytes, for naming exactly which configuration file was written.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace history {

// Lower-case hexadecimal digest of data.
std::string Sha256Hex(std::string_view data);
// Of the file's bytes; nothing when it cannot be read.
std::optional<std::string> FileSha256Hex(const std::string& path);

}  // namespace history
