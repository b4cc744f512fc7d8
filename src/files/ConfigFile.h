// The configuration file: 15 lines of single-byte text, one value a line.
//   1  "*** KD4410 CONFIG ***"
//   2  "p" (pressure) or "h" (height of the liquid column)
//   3  the specific-gravity text as typed
//   4.. for outputs 1 to 4: higher value (Pa, "%f"), lower value (Pa, "%f"), mode ("%i")
// Lines end in CR LF; a reader also takes a bare LF.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/EepromMap.h"

namespace files {

inline constexpr std::string_view ConfigFileHeader = "*** KD4410 CONFIG ***";

struct ConfigFileContent {
    bool pressureType = true;
    std::u16string specificGravityText;
    std::array<float, config::OutputCount> higher{};
    std::array<float, config::OutputCount> lower{};
    std::array<int32_t, config::OutputCount> mode{};
};

std::string FormatConfigFile(const ConfigFileContent& content);

// What a file sets. Lines 2 to 15 are taken in order; a reading that stops early has taken
// the lines before it, and those keep their effect.
struct ConfigFileReading {
    ConfigFileContent content;  // the specific gravity already written back as a number
    int lastLineTaken = 1;      // 1: nothing beyond the header
    bool complete = false;      // false: the file is to be reported as unreadable

    bool Took(int line) const { return line <= lastLineTaken; }
    static constexpr int HigherLine(size_t output) { return 4 + 3 * static_cast<int>(output); }
    static constexpr int LowerLine(size_t output) { return 5 + 3 * static_cast<int>(output); }
    static constexpr int ModeLine(size_t output) { return 6 + 3 * static_cast<int>(output); }
};

// Reads the bytes of a file: lines of at most 99 characters, the header checked exactly,
// every later line cut of its trailing characters up to code 32, the numbers read tolerantly
// and the modes as integers. A bad header, a mode that is not an integer, a number too large
// for a float or a file that ends before its 15th line stops the reading there.
ConfigFileReading ReadConfigFile(std::string_view bytes);

// The most of a file the reader can use (15 lines of 99 characters).
constexpr size_t ConfigFileReadLimit = 15 * 99;

// The beginning of a configuration file, as much as the reader can use; nothing when it cannot
// be read or is not a regular file (a fifo, a device, a folder: refused without waiting, as the
// save refuses them).
std::optional<std::string> ReadConfigFileBeginning(const std::string& path);

}  // namespace files
