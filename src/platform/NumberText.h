// Number <-> text conversions.
//
// Two families, deliberately separate:
//  * the locale-aware conversion the operator's input goes through (decimal separator of the
//    user's locale, set once at start from the desktop locale and replaceable by tests);
//  * fixed "C"-locale formatting for everything the program writes in a fixed form (display
//    numbers, configuration files), which must not follow the process locale.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

// Raised by the conversions that fail loudly.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Decimal separator of the user's locale ('.' until the application sets it).
char16_t DecimalSeparator();
void SetDecimalSeparator(char16_t separator);

// Locale-aware text to number. Accepts optional blanks, an optional sign, digits with at most
// one decimal separator, an optional exponent and optional blanks, nothing else; the number
// must lie within the range of a double. Returns false instead of raising.
bool TryTextToFloat(std::u16string_view text, double& value);
// The same, raising ConversionError on failure.
double TextToFloat(std::u16string_view text);

// Locale-aware integer conversion: optional minus (or plus), decimal digits, within 32 bits.
bool TryTextToInt(std::u16string_view text, int32_t& value);

// printf("%.*f") as in the "C" locale: point separator, leading '-', no grouping.
std::string FormatFixed(double value, int decimals);
// The shortest "C"-locale text that reads back as the same float: fixed notation from 1e-6 to
// 1e10 (1025.3, 5000000), general beyond (1e+38), nan for a NaN.
std::string ShortestText(float value);
// printf("%i").
std::string FormatInt(int64_t value);
// The general format: up to 15 significant digits, no trailing zeros, the locale's separator.
std::u16string FormatGeneral(double value);

}  // namespace platform
