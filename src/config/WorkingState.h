// The main window's working state: thresholds, nominal range, specific gravity, the factors,
// decimals and unit texts of the display, the request flags and the EEPROM mirror.
// Device values are in Pa (specific gravity in kg/m^3); displayed value = device value x displayFactor.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/EepromMap.h"

namespace config {

// Codes of the operator's device requests (pendingRequest).
enum PendingRequestCode : int32_t {
    prZeroCorrection = 1,
    prReadConfiguration = 2,
    prWriteConfiguration = 3,
    prDeviceInfo = 4,
};

struct WorkingState {
    bool outputState = false;
    float displayFactor = 0;
    float pressureFactor = 0;
    float lengthFactor = 0;
    std::array<float, OutputCount> outputLower{};
    std::array<float, OutputCount> outputHigher{};
    float thresholdMin = 0;
    float thresholdMax = 0;
    float nominalRange = 0;
    bool configPressureMode = false;
    bool startupRead = false;
    int32_t displayDecimals = 0;
    int32_t lengthDecimals = 0;
    int32_t pressureDecimals = 0;
    std::u16string displayUnit;
    std::u16string pressureUnit;
    std::u16string lengthUnit;
    bool requestPending = false;
    bool pollBusy = false;
    float previousDensity = 0;
    float density = 0;
    int32_t pendingRequest = 0;
    EepromImage eepromImage{};
    bool isPressure = false;
    int32_t unitOfLength = 0;
    int32_t unitOfPressure = 0;
};

// Gravity and the numerators of the length factors (mm, m, inch).
constexpr double Gravity = 9.81;
constexpr double MillimetresPerMetre = 1000;
constexpr double InchesPerMetre = 39.37007874015748;

// The field part of the window's initialisation: every value the window starts with.
// specificGravityText is the text of the specific-gravity box, read in the user's locale;
// raises platform::ConversionError when it is not a number.
void InitWorkingStateFields(WorkingState& state, std::u16string_view specificGravityText);

}  // namespace config
