#include "polling/TrendThresholds.h"

#include <algorithm>

namespace polling {

void ThresholdHistory::Note(int64_t timeMs, const ThresholdSet& set) {
    if (!steps_.empty() && steps_.back().set == set) return;
    if (!steps_.empty()) timeMs = std::max(timeMs, steps_.back().timeMs);
    steps_.push_back({timeMs, set});
}

std::vector<ThresholdSegment> ThresholdHistory::Segments(size_t output, int64_t startMs, int64_t endMs) const {
    std::vector<ThresholdSegment> segments;
    if (steps_.empty() || endMs <= startMs || output >= 4) return segments;
    // The step in force at startMs: the last one at or before it, else the first.
    auto step = std::upper_bound(steps_.begin(), steps_.end(), startMs,
                                 [](int64_t t, const Step& s) { return t < s.timeMs; });
    if (step != steps_.begin()) --step;
    for (; step != steps_.end() && step->timeMs < endMs; ++step) {
        const int64_t from = segments.empty() ? startMs : std::max(step->timeMs, startMs);
        const auto next = step + 1;
        const int64_t to = next != steps_.end() ? std::min(next->timeMs, endMs) : endMs;
        if (to <= from) continue;
        const float lower = step->set.lower[output], higher = step->set.higher[output];
        if (!segments.empty() && segments.back().lower == lower && segments.back().higher == higher)
            segments.back().endMs = to;  // another output changed
        else segments.push_back({from, to, lower, higher});
    }
    return segments;
}

}  // namespace polling
