// What an output's lamp shows for a live value, by the output's mode.
#pragma once

#include <cstdint>
#include <optional>

namespace polling {

// true lit, false dark, nothing: the lamp keeps its state (modes 1 and 2 inside their band,
// any mode outside 0..4, a NaN reading in modes 1 and 2).
std::optional<bool> EvaluateLamp(float value, float lower, float higher, int32_t mode);

}  // namespace polling
