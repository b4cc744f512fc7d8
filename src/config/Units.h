// Display units: the number format, the pressure units and the length units.
// Displayed value = device value (Pa) x factor; a height is p / (rho x 9.81).
#pragma once

#include <cstdint>
#include <string>

namespace config {

// "%1.<decimals>f" for 1 to 4 decimals, "%1.0f" otherwise, with a point whatever the locale.
std::u16string FormatNumber(double value, int32_t decimals);

struct PressureUnit {
    int32_t index;       // unitOfPressure
    float factor;        // display units per Pa
    int32_t decimals;
    const char16_t* text;
};

struct LengthUnit {
    int32_t index;       // unitOfLength
    double numerator;    // the factor is numerator / rho / 9.81
    int32_t decimals;
    const char16_t* text;
};

// Pa, kPa, MPa, mbar, bar, psi.
extern const PressureUnit PressureUnits[6];
// mm, m, inch.
extern const LengthUnit LengthUnits[3];

// numerator / rho / 9.81 in double, stored as a float; raises for rho = 0 (ArithmeticError).
float LengthFactor(double numerator, double rho);

}  // namespace config
