// The configuration file read strictly, for writing without a person looking at the values first
// (the command-line tool). Where the window's reader takes "abc" as 0 Pa, this one refuses the
// file and names the line and what it expected.
//
// Accepted: the header line exactly; "p" or "h"; the specific gravity as typed into its box
// (digits with at most one decimal point or comma); per output a higher and a lower value as the
// writer writes them (optional "-", digits, optional "." and digits, optional exponent) and a
// mode 0..4. Lines end in CR LF or LF and are read whole; trailing blanks after a value are cut.
// Exactly 15
// lines; a byte-order mark or UTF-16 text is named as such.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "config/EepromMap.h"

namespace files {

struct StrictConfigFile {
    bool pressureType = true;
    float specificGravity = 0;  // kg/m^3, 10..100000
    std::array<config::OutputRecord, config::OutputCount> outputs{};  // lower <= higher, modes 0..4
};

struct ConfigFileProblem {
    int line = 0;  // 1..15, or 0 for the file as a whole
    std::string what;
};

using StrictReading = std::variant<StrictConfigFile, ConfigFileProblem>;

StrictReading ReadStrictConfigFile(std::string_view bytes);

// The window's entry limits after a read of the transmitter: each lower value at least
// -0.1 x nominal range, each higher value at most 1.01 x nominal range. The first threshold
// outside them, or a nominal range that is not a positive number.
std::optional<ConfigFileProblem> CheckThresholdLimits(const StrictConfigFile& file, float nominalRange);

}  // namespace files
