// What the trend chart draws, computed without a toolkit: the samples of a span mapped to pixel
// columns with the gaps where no sample came, and round ticks for the value and time axes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "polling/TrendHistory.h"

namespace polling {

// The poll's interval; a pause longer than GapFactor intervals between two samples is a gap.
inline constexpr int64_t PollIntervalMs = 1000;
inline constexpr double GapFactor = 2.5;
inline constexpr int64_t GapLimitMs = static_cast<int64_t>(GapFactor * PollIntervalMs);

// Whether no line may join sample a to the next sample b: the poll stopped in between (b is
// resumed) or the pause between them exceeds limitMs.
bool IsGap(const TrendSample& a, const TrendSample& b, int64_t limitMs = GapLimitMs);

struct TimeInterval {
    int64_t startMs = 0;
    int64_t endMs = 0;
    bool operator==(const TimeInterval&) const = default;
};

// One pixel column: the samples that fall into it, whether a line joins it to the column with
// samples before it, and what its background shows.
struct ChartColumn {
    TrendColumn data;
    bool joinsPrevious = false;  // the previous column with samples lies on the same line
    bool noData = false;         // without samples and inside a gap (or outside the history)
    uint8_t lamps = 0;           // lit at any sample, or carried from the last sample; 0 in a gap
};

struct ChartMap {
    std::vector<ChartColumn> columns;
    std::vector<TimeInterval> gaps;  // where no data is, clipped to the span, in time order
};

// Maps the samples of range onto columns equal slices of [startMs, endMs]. The time after the
// newest sample is a gap when the history is stopped or it is longer than limitMs.
ChartMap MapToColumns(const TrendHistory& history, const SpanRange& range, size_t columns,
                      int64_t limitMs = GapLimitMs);

// Round values (1, 2 or 5 x 10^n apart) inside [low, high], at most about maxTicks of them.
struct ValueTicks {
    double step = 0;
    std::vector<double> values;
};
ValueTicks RoundValueTicks(double low, double high, int maxTicks);

// The ticks' decimals that show the step exactly (0 for steps of 1 and above).
int StepDecimals(double step);

// Round local times inside [startMs, endMs], at most about maxTicks of them. A tick carries its
// date when the span is a day or longer, or crosses midnight and the tick is the first or the
// first of its day.
struct TimeTick {
    int64_t timeMs = 0;
    std::string time;  // "13:25" or "13:25:40"
    std::string date;  // "2026-12-11" or empty
};
std::vector<TimeTick> RoundTimeTicks(int64_t startMs, int64_t endMs, int maxTicks);

// "13:25:40" in local time.
std::string LocalClockTime(int64_t timeMs);
// "13:25:40.250" in local time.
std::string LocalClockTimeMs(int64_t timeMs);

// The sample nearest to timeMs within toleranceMs, for the cursor's readout; nothing in a gap.
std::optional<TrendSample> SampleAt(const TrendHistory& history, int64_t timeMs, int64_t toleranceMs);

// The axis' value range: around the data, around the data and the thresholds, or fixed.
enum class AxisMode { FitData, FitDataAndThresholds, Fixed };

}  // namespace polling
