#include "config/CheckedArithmetic.h"

#include <cmath>
#include <limits>

namespace config {

double CheckedDivide(double a, double b) {
    if (b == 0) {
        if (a == 0 || std::isnan(a)) throw ArithmeticError(ErrInvalidOperation);
        throw ArithmeticError(ErrDivisionByZero);
    }
    const double quotient = a / b;
    if (std::isinf(quotient) && std::isfinite(a) && std::isfinite(b)) throw ArithmeticError(ErrOverflow);
    return quotient;
}

float CheckedToFloat(double value) {
    if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max()) {
        // Values that round to the largest float are still representable.
        const float rounded = static_cast<float>(value);
        if (std::isinf(rounded)) throw ArithmeticError(ErrOverflow);
        return rounded;
    }
    return static_cast<float>(value);
}

}  // namespace config
