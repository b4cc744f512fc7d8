// The one lower-case mapping used for catalogue keys and for the texts looked up in them:
// the Unicode simple case mapping, unit by unit, whatever the process locale.
#pragma once

#include <string>
#include <string_view>

namespace lang {

char16_t LowerCase(char16_t unit);
std::u16string LowerCase(std::u16string_view text);

}  // namespace lang
