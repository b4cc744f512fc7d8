// Replacing a file so that a failure never leaves it half written: the new content goes to a
// temporary file in the same folder, which takes the target's place only when every byte has
// reached the disk.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// False when the content could not be written completely (the earlier file is then untouched).
bool WriteFileAtomically(const std::string& path, std::string_view content);

}  // namespace platform
