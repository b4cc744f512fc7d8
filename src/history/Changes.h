// The fields of a configuration one by one, and which of them differ between the configuration
// as found and as left: for the tool's history lines, the History window and the report alike.
#pragma once

#include <string>
#include <vector>

#include "config/Transfer.h"

namespace history {

enum class FieldKind { Pressure, Gravity, Mode };

struct Field {
    std::string name;  // English: "specific gravity", "output 2 lower value", ...
    FieldKind kind;
    float value;       // Pa, kg/m^3 or the mode number
};

// Nominal range, specific gravity, then per output its mode, lower and higher value.
std::vector<Field> FieldsOf(const config::DeviceConfiguration& configuration);

struct FieldChange {
    size_t index;  // into FieldsOf
    Field found, left;
};

// Fields whose values differ (NaN counts as equal to NaN).
std::vector<FieldChange> Changes(const config::DeviceConfiguration& found, const config::DeviceConfiguration& left);

}  // namespace history
