// What the tool shows and checks: display units, the configuration as a file, the checks a file
// passes before it is written, and the field-by-field comparison.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "config/Transfer.h"
#include "files/ConfigFile.h"
#include "files/StrictConfigFile.h"

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
// value x factor with the unit's decimals, then a blank and the unit; "erased" for a NaN.
std::string Show(float devicePa, const DisplayUnit& unit);
// The number Show shows (no unit), or null for a NaN.
nlohmann::json ShownNumber(float devicePa, const DisplayUnit& unit);
// The float as the shortest number that reads back as the same float (1025.3), or null for a NaN.
nlohmann::json JsonNumber(float value);

// "Off" .. "Error value"; "erased" for 255; "none (7)" for any other byte.
std::string ModeName(int mode);
constexpr int ErasedMode = 255;

// The specific gravity as the window takes it from a read: 1000 when out of range or erased.
float EffectiveGravity(float deviceGravity);
// The shortest "C"-locale text that reads back as the same float.
std::string ExactText(float value);

// The configuration file a read gives (line 2 p, or h when heightType).
files::ConfigFileContent ToFileContent(const config::DeviceConfiguration& c, bool heightType);

// The fields a read found erased (a NaN threshold, mode 255): "output 2 lower value", ...
std::vector<std::string> ErasedFields(const config::DeviceConfiguration& c);

// A configuration file read once, strictly, for every transmitter it goes to.
struct ConfigSource {
    std::string name;    // as given, "standard input" for "-"
    std::string sha256;  // of the bytes read
    files::StrictConfigFile file;
};

// Reads PATH ("-": standard input) whole, once, and checks it strictly. Raises ToolError
// (exit 2) naming the file, the line and what was expected.
ConfigSource ReadConfigSource(const std::string& path);
// The thresholds within the limits of a transmitter of this nominal range; raises ToolError
// (exit 2) naming the file and the line.
void CheckAgainstTransmitter(const ConfigSource& source, float nominalRange);

struct FieldDifference {
    enum Kind { Gravity, Threshold, Mode };
    std::string field;      // "specific gravity", "output 2 lower value", ...
    std::string expected;   // the file's value
    std::string actual;     // the transmitter's value
    float expectedValue = 0, actualValue = 0;  // the same as numbers (Pa, kg/m3 or the mode)
    Kind kind = Threshold;
};

// Every field that differs between what the file asks for and what the transmitter holds.
std::vector<FieldDifference> Compare(const files::StrictConfigFile& file, const config::DeviceConfiguration& device,
                                     const DisplayUnit& unit);

// The name of output field k (0..11, lower, higher, mode per output).
std::string OutputFieldName(int k);

}  // namespace ctl
