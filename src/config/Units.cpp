#include "config/Units.h"

#include "config/CheckedArithmetic.h"
#include "config/WorkingState.h"
#include "platform/NumberText.h"
#include "platform/Text.h"

namespace config {

std::u16string FormatNumber(double value, int32_t decimals) {
    return platform::Widen(platform::FormatFixed(value, decimals >= 1 && decimals <= 4 ? decimals : 0));
}

const PressureUnit PressureUnits[6] = {
    {0, 1.0f, 0, u"Pa"},      {1, 0.001f, 3, u"kPa"},   {2, 0.000001f, 3, u"MPa"},
    {3, 0.01f, 1, u"mbar"},   {4, 0.00001f, 3, u"bar"}, {5, 0.000145f, 3, u"psi"},
};

const LengthUnit LengthUnits[3] = {
    {0, MillimetresPerMetre, 0, u"mm"},
    {1, 1.0, 3, u"m"},
    {2, InchesPerMetre, 1, u"inch"},
};

float LengthFactor(double numerator, double rho) {
    return CheckedToFloat(CheckedDivide(CheckedDivide(numerator, rho), Gravity));
}

}  // namespace config
