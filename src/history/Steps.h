// The names of the steps at which a read, a write or a zero correction can stop, as the tool
// reports them and both front ends record them.
#pragma once

#include <string>

#include "config/Transfer.h"

namespace history {

// Where a read stopped: "the nominal range and specific gravity", "output 2 lower value", ...,
// "the closing command".
std::string ReadStepName(const config::ConfigurationCollector& collector);
// What a write that stopped at stage has done: "specific gravity and outputs 1-4 not written", ...
std::string WriteStepName(config::WriteStage stage);

constexpr const char* ZeroMeasurementStep = "the measurement";
constexpr const char* ZeroWriteStep = "the write of the new offset";
constexpr const char* ZeroClosingStep = "the closing command after No";

}  // namespace history
