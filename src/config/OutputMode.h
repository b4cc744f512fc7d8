// What a switching output does; one byte per output in the EEPROM, and the item index of the
// output's mode list in the window.
#pragma once

#include <cstdint>

namespace config {

enum class OutputMode : uint8_t {
    Off = 0,
    Compression = 1,
    Extraction = 2,
    CorrectValue = 3,
    ErrorValue = 4,
};

constexpr int OutputModeCount = 5;

// English texts of the modes, in item order.
inline constexpr const char16_t* OutputModeTexts[OutputModeCount] = {
    u"Off", u"Compression", u"Extraction", u"Correct value", u"Error value"};

}  // namespace config
