// The outputs' lower and higher values through time, as the poll used them: a new step each
// time they differ from the last one noted, so that the chart draws each threshold as it was
// at every moment and its lines agree with the lamps' shading.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace polling {

struct ThresholdSet {
    std::array<float, 4> lower{};  // Pa, per output
    std::array<float, 4> higher{};
    bool operator==(const ThresholdSet&) const = default;
};

// One output's thresholds over [startMs, endMs).
struct ThresholdSegment {
    int64_t startMs = 0;
    int64_t endMs = 0;
    float lower = 0;
    float higher = 0;
    bool operator==(const ThresholdSegment&) const = default;
};

class ThresholdHistory {
public:
    // The thresholds in force from timeMs on; kept only when they differ from the last ones.
    void Note(int64_t timeMs, const ThresholdSet& set);
    bool empty() const { return steps_.empty(); }
    // The output's thresholds over [startMs, endMs): what was in force at startMs (the first
    // noted before anything was noted), then every change inside.
    std::vector<ThresholdSegment> Segments(size_t output, int64_t startMs, int64_t endMs) const;

private:
    struct Step {
        int64_t timeMs;
        ThresholdSet set;
    };
    std::vector<Step> steps_;
};

}  // namespace polling
