#include "polling/OutputEvaluation.h"

namespace polling {

std::optional<bool> EvaluateLamp(float value, float lower, float higher, int32_t mode) {
    switch (mode) {
        case 0:  // Off
            return false;
        case 1:  // Compression: lit below the band, dark above it, kept inside
            if (value < lower) return true;
            if (value > higher) return false;
            return std::nullopt;
        case 2:  // Extraction: dark below the band, lit above it, kept inside
            if (value < lower) return false;
            if (value > higher) return true;
            return std::nullopt;
        case 3:  // Correct value: lit inside the band
            return value >= lower && value <= higher;
        case 4:  // Error value: lit outside the band
            return value < lower || value > higher;
        default:
            return std::nullopt;
    }
}

}  // namespace polling
