// The tolerant number reading of typed values and configuration files.
#pragma once

#include <string_view>

namespace files {

// The number in text, read with the locale's decimal separator, then with every "." made ",",
// then with every "," made "."; 0 when none of them is a number. Never fails.
double ParseNumber(std::u16string_view text);

}  // namespace files
