// Conversions between the program's UTF-16 texts and byte strings.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);
// The Unicode simple lower-case mapping of one UTF-16 unit outside ASCII, whatever the process
// locale (the unit itself when it has none or is half of a pair).
char16_t LowerCaseUnit(char16_t unit);
// Widens 8-bit text unit by unit (ASCII and Latin-1 alike).
std::u16string Widen(std::string_view text);

}  // namespace platform
