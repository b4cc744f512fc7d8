// SHA-256 (FIPS 180-4) of a byte string, as 64 lower-case hexadecimal digits: the fingerprint
// of a file the tool writes to many transmitters, so that a record can name what was written.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::string Sha256Hex(std::string_view bytes);

}  // namespace platform
