// Number formatting, unit factors and the arithmetic that raises.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>

#include "config/CheckedArithmetic.h"
#include "config/Units.h"

namespace {

std::string Ascii(const std::u16string& text) { return std::string(text.begin(), text.end()); }

TEST(FormatNumber, DecimalsOneToFourElseNone) {
    const std::tuple<double, int32_t, const char*> cases[] = {
        {0.4, 0, "0"},          {-10, 3, "-10.000"},   {12.34, 7, "12"},     {12.34, -1, "12"},
        {2.5, 3, "2.500"},      {1.25, 1, "1.2"},      {1.35, 1, "1.4"},     {99999.99995, 4, "99999.9999"},
        {1000.0 + 0.001, 0, "1000"}, {998.2f + 0.001, 0, "998"}, {1e6, 2, "1000000.00"},
    };
    for (const auto& [value, decimals, expected] : cases)
        EXPECT_EQ(Ascii(config::FormatNumber(value, decimals)), expected) << value << " with " << decimals;
}

TEST(Units, NominalRangeOf100000PaInEveryPressureUnit) {
    const char* expected[] = {"100000", "100.000", "0.100", "1000.0", "1.000", "14.500"};
    for (const config::PressureUnit& unit : config::PressureUnits) {
        const std::u16string shown = config::FormatNumber(100000.0 * unit.factor, unit.decimals) + u" " + unit.text;
        EXPECT_EQ(Ascii(shown), std::string(expected[unit.index]) + " " + Ascii(unit.text));
    }
    EXPECT_EQ(config::PressureUnits[5].factor, 0.000145f);  // not 1 / 6894.757
}

TEST(Units, LiquidColumnAtOneThousandKilogramsPerCubicMetre) {
    const std::tuple<int, double, const char*> cases[] = {
        {0, 9810, "1000"}, {1, 9810, "1.000"}, {2, 9810, "39.4"}, {0, 100000, "10194"},
    };
    for (const auto& [row, pascals, expected] : cases) {
        const config::LengthUnit& unit = config::LengthUnits[row];
        const float factor = config::LengthFactor(unit.numerator, 1000);
        EXPECT_EQ(Ascii(config::FormatNumber(pascals * factor, unit.decimals)), expected) << Ascii(unit.text);
    }
    EXPECT_EQ(config::LengthFactor(1000, 800), static_cast<float>(1000.0 / 800 / 9.81));
    EXPECT_NEAR(config::LengthFactor(1000, 800), 0.127421f, 1e-6);
    EXPECT_LT(config::LengthFactor(1000, -1000), 0.0f);
}

TEST(CheckedArithmetic, DivisionByZeroOverflowAndInvalidOperationsRaise) {
    auto errorOf = [](auto work) {
        try {
            work();
        } catch (const config::ArithmeticError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(errorOf([] { config::LengthFactor(1000, 0); }), "Floating point division by zero");
    EXPECT_EQ(errorOf([] { config::CheckedDivide(0, 0); }), "Invalid floating point operation");
    EXPECT_EQ(errorOf([] { config::CheckedDivide(DBL_MAX, 0.5); }), "Floating point overflow");
    EXPECT_EQ(errorOf([] { config::CheckedToFloat(1e39); }), "Floating point overflow");
    EXPECT_EQ(errorOf([] { config::CheckedToFloat(-1e39); }), "Floating point overflow");
    EXPECT_EQ(errorOf([] { config::CheckedToFloat(1e-50); }), "no error");  // underflow is silent
    EXPECT_EQ(config::CheckedToFloat(FLT_MAX), FLT_MAX);
    EXPECT_TRUE(std::isnan(config::CheckedToFloat(std::nan(""))));
    EXPECT_DOUBLE_EQ(config::CheckedDivide(1, 4), 0.25);
}

}  // namespace
