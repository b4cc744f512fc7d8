// What the tool shows and checks: display units, the configuration as a file, the checks a file
// passes before it is written, and the field-by-field comparison.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "config/Transfer.h"
#include "files/ConfigFile.h"

namespace ctl {

struct DisplayUnit {
    float factor = 1;  // display units per Pa
    int decimals = 0;
    std::string text;
};

// The names --unit takes, in order: the pressure units, then the length units.
std::vector<std::string> UnitNames();
bool IsUnitName(const std::string& name);
bool IsLengthUnit(const std::string& name);
// The unit; a length unit is computed from the specific gravity as the window computes it
// (an invalid gravity counts as 1000).
DisplayUnit MakeUnit(const std::string& name, float specificGravity);
// value x factor with the unit's decimals, then a blank and the unit.
std::string Show(float devicePa, const DisplayUnit& unit);

std::string ModeName(int mode);

// The specific gravity as the window takes it from a read: 1000 when out of range or erased.
float EffectiveGravity(float deviceGravity);
// The shortest "C"-locale text that reads back as the same float.
std::string ExactText(float value);

// The configuration file a read gives (line 2 p, or h when heightType).
files::ConfigFileContent ToFileContent(const config::DeviceConfiguration& c, bool heightType);

// A file ready for writing: the specific gravity and the outputs as the window would send them.
struct WritableConfiguration {
    float specificGravity = 0;
    std::array<config::OutputRecord, config::OutputCount> outputs{};
};

// Reads and checks FILE: the header, 15 lines, each lower value <= its higher value, specific
// gravity 10..100000, modes 0..4. Raises ToolError (exit 2) naming the file and the line.
WritableConfiguration LoadForWriting(const std::string& path);

struct FieldDifference {
    std::string field;      // "specific gravity", "output 2 lower value", ...
    std::string expected;   // the file's value
    std::string actual;     // the transmitter's value
};

// Every field that differs between what the file asks for and what the transmitter holds.
std::vector<FieldDifference> Compare(const WritableConfiguration& file, const config::DeviceConfiguration& device,
                                     const DisplayUnit& unit);

// The name of output field k (0..11, lower, higher, mode per output).
std::string OutputFieldName(int k);

}  // namespace ctl
