// Replacing a file so that a failure never leaves it half written: the new content goes to a
// temporary file in the same folder, which takes the target's place only when every byte has
// reached the disk.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Writes only a regular file. A link to a regular file updates that file and stays a link; a
// link to anything else, a link whose end is missing, a fifo, a device node or a folder is a
// failure, as is a file the user may not write (it stays untouched). A writable file in a folder
// that takes no new files is rewritten in place instead of replaced.
// False when the content could not be written completely (except in place, the earlier file is
// then untouched).
bool WriteFileAtomically(const std::string& path, std::string_view content);

}  // namespace platform
