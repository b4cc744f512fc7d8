#include "config/WorkingState.h"

#include "config/Units.h"
#include "platform/NumberText.h"

namespace config {

void InitWorkingStateFields(WorkingState& state, std::u16string_view specificGravityText) {
    state.pressureDecimals = 3;
    state.pressureFactor = 0.001f;  // kPa
    state.nominalRange = 100000;
    state.thresholdMin = -state.nominalRange;
    state.thresholdMax = state.nominalRange;
    state.previousDensity = 1000;
    state.density = 1000;
    state.lengthDecimals = 0;
    state.lengthFactor = LengthFactor(MillimetresPerMetre, platform::TextToFloat(specificGravityText));  // mm
    state.displayDecimals = state.pressureDecimals;
    state.displayFactor = state.pressureFactor;
    state.pollBusy = false;
    state.startupRead = false;
    state.configPressureMode = true;
}

}  // namespace config
