// Floating-point operations that raise instead of quietly producing infinities and NaNs, for
// the places where the program treats division by zero, overflow and invalid operations as
// errors. Underflow and rounding stay silent; a NaN that comes in stays a NaN.
#pragma once

#include <stdexcept>

namespace config {

class ArithmeticError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* ErrDivisionByZero = "Floating point division by zero";
inline constexpr const char* ErrOverflow = "Floating point overflow";
inline constexpr const char* ErrInvalidOperation = "Invalid floating point operation";

// a / b; raises for a zero divisor (0 / 0 as an invalid operation) and for a finite quotient
// of finite operands that does not fit a double.
double CheckedDivide(double a, double b);
// The float nearest to value; raises when a finite value lies beyond the range of a float.
float CheckedToFloat(double value);

}  // namespace config
