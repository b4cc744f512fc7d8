#include "history/Changes.h"

#include <cmath>

namespace history {

std::vector<Field> FieldsOf(const config::DeviceConfiguration& c) {
    std::vector<Field> fields = {{"nominal range", FieldKind::Pressure, c.nominalRange},
                                 {"specific gravity", FieldKind::Gravity, c.specificGravity}};
    for (size_t i = 0; i < config::OutputCount; ++i) {
        const std::string output = "output " + std::to_string(i + 1);
        fields.push_back({output + " mode", FieldKind::Mode, float(c.outputs[i].mode)});
        fields.push_back({output + " lower value", FieldKind::Pressure, c.outputs[i].lower});
        fields.push_back({output + " higher value", FieldKind::Pressure, c.outputs[i].higher});
    }
    return fields;
}

std::vector<FieldChange> Changes(const config::DeviceConfiguration& found, const config::DeviceConfiguration& left) {
    const std::vector<Field> a = FieldsOf(found), b = FieldsOf(left);
    std::vector<FieldChange> changes;
    for (size_t i = 0; i < a.size(); ++i) {
        const bool same = a[i].value == b[i].value || (std::isnan(a[i].value) && std::isnan(b[i].value));
        if (!same) changes.push_back({i, a[i], b[i]});
    }
    return changes;
}

}  // namespace history
