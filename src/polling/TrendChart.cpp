#include "polling/TrendChart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <optional>

#include "platform/LocalTime.h"

namespace polling {

namespace {

constexpr int64_t Second = 1000;
constexpr int64_t Minute = 60 * Second;
constexpr int64_t Hour = 60 * Minute;
constexpr int64_t Day = 24 * Hour;

// Seconds since the epoch, rounded down also before 1970.
std::time_t Seconds(int64_t timeMs) {
    return static_cast<std::time_t>(timeMs >= 0 ? timeMs / 1000 : -((-timeMs + 999) / 1000));
}

platform::LocalTime LocalWithOffset(int64_t timeMs) {
    platform::LocalTime local;
    platform::ToLocalTime(Seconds(timeMs), local);
    return local;
}

std::tm Local(int64_t timeMs) { return LocalWithOffset(timeMs).fields; }

int64_t OffsetMs(int64_t timeMs) { return static_cast<int64_t>(LocalWithOffset(timeMs).utcOffsetSeconds) * 1000; }

std::string Format(int64_t timeMs, const char* format) {
    const std::tm local = Local(timeMs);
    char text[32];
    const size_t length = std::strftime(text, sizeof text, format, &local);
    return std::string(text, length);
}

bool SameLocalDay(int64_t a, int64_t b) {
    const std::tm x = Local(a), y = Local(b);
    return x.tm_year == y.tm_year && x.tm_yday == y.tm_yday;
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

}  // namespace

bool IsGap(const TrendSample& a, const TrendSample& b, int64_t limitMs) {
    return b.resumed || b.timeMs - a.timeMs > limitMs;
}

ChartMap MapToColumns(const TrendHistory& history, const SpanRange& range, size_t columns, int64_t limitMs) {
    ChartMap map;
    map.columns.resize(columns);
    if (columns == 0) return map;
    const int64_t start = range.startMs, end = std::max(range.endMs, range.startMs + 1);
    const double width = static_cast<double>(end - start);
    auto columnOf = [&](int64_t timeMs) {
        const double position = static_cast<double>(timeMs - start) / width * static_cast<double>(columns);
        return std::min(static_cast<size_t>(std::max(position, 0.0)), columns - 1);
    };
    auto addGap = [&](int64_t from, int64_t to) {
        from = std::max(from, start);
        to = std::min(to, end);
        if (to <= from) return;
        if (!map.gaps.empty() && map.gaps.back().endMs >= from) map.gaps.back().endMs = std::max(map.gaps.back().endMs, to);
        else map.gaps.push_back({from, to});
    };

    if (history.empty()) {
        addGap(start, end);
    } else {
        if (history[0].timeMs > start) addGap(start, history[0].timeMs);
        // The pairs inside the span and the two that cross its edges.
        const size_t from = range.first > 0 ? range.first - 1 : 0;
        const size_t to = std::min(range.last + 1, history.size());
        std::optional<TrendSample> previous;
        history.ForEach(from, to, [&](const TrendSample& sample) {
            if (previous && IsGap(*previous, sample, limitMs)) addGap(previous->timeMs, sample.timeMs);
            previous = sample;
        });
        const TrendSample newest = history.Newest();
        if (newest.timeMs < end && (history.stopped() || end - newest.timeMs > limitMs)) addGap(newest.timeMs, end);
    }

    std::optional<TrendSample> previous;
    if (range.first > 0 && range.first <= history.size()) previous = history[range.first - 1];
    const std::optional<TrendSample> beforeSpan = previous;
    history.ForEach(range.first, range.last, [&](const TrendSample& sample) {
        ChartColumn& column = map.columns[columnOf(sample.timeMs)];
        if (column.data.samples == 0) column.joinsPrevious = previous && !IsGap(*previous, sample, limitMs);
        previous = sample;
        column.data.Add(sample);
    });

    // Empty columns carry the lamps of the last sample before them, unless they lie in a gap.
    uint8_t carried = beforeSpan ? beforeSpan->lamps : 0;
    size_t gap = 0;
    for (size_t i = 0; i < columns; ++i) {
        ChartColumn& column = map.columns[i];
        if (column.data.samples > 0) {
            column.lamps = column.data.lampsAny;
            carried = column.data.lampsLast;
            continue;
        }
        const double middle = static_cast<double>(start) + (static_cast<double>(i) + 0.5) * width / static_cast<double>(columns);
        while (gap < map.gaps.size() && static_cast<double>(map.gaps[gap].endMs) <= middle) ++gap;
        column.noData = gap < map.gaps.size() && static_cast<double>(map.gaps[gap].startMs) <= middle;
        if (column.noData) carried = 0;
        column.lamps = carried;
    }
    return map;
}

ValueTicks RoundValueTicks(double low, double high, int maxTicks) {
    ValueTicks ticks;
    if (!std::isfinite(low) || !std::isfinite(high) || high <= low || maxTicks < 1) return ticks;
    const double raw = (high - low) / maxTicks;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double n = raw / magnitude * (1 - 1e-9);  // 2.0000000000000018 is a step of 2
    ticks.step = (n <= 1 ? 1 : n <= 2 ? 2 : n <= 5 ? 5 : 10) * magnitude;
    const double tolerance = ticks.step * 1e-9;
    for (double k = std::ceil((low - tolerance) / ticks.step); k * ticks.step <= high + tolerance; k += 1) {
        double value = k * ticks.step;
        if (std::abs(value) < tolerance) value = 0;  // no "-0"
        ticks.values.push_back(value);
    }
    return ticks;
}

int StepDecimals(double step) {
    if (!(step > 0) || step >= 1) return 0;
    return std::clamp(static_cast<int>(std::ceil(-std::log10(step) - 1e-9)), 0, 12);
}

std::vector<TimeTick> RoundTimeTicks(int64_t startMs, int64_t endMs, int maxTicks) {
    std::vector<TimeTick> ticks;
    if (endMs <= startMs || maxTicks < 1) return ticks;
    static constexpr int64_t Steps[] = {Second,     2 * Second, 5 * Second, 10 * Second, 15 * Second, 30 * Second,
                                        Minute,     2 * Minute, 5 * Minute, 10 * Minute, 15 * Minute, 30 * Minute,
                                        Hour,       2 * Hour,   3 * Hour,   6 * Hour,    12 * Hour,   Day,
                                        2 * Day,    7 * Day,    14 * Day,   28 * Day};
    const int64_t span = endMs - startMs;
    int64_t step = 0;
    for (const int64_t s : Steps)
        if (span / s <= maxTicks) {
            step = s;
            break;
        }
    if (step == 0) step = (span / maxTicks / (28 * Day) + 1) * 28 * Day;

    const bool withDates = span >= Day || !SameLocalDay(startMs, endMs);
    const char* timeFormat = step < Minute ? "%H:%M:%S" : "%H:%M";
    // Round in local time: a tick at a multiple of the step on the local clock.
    for (int64_t k = FloorDiv(startMs + OffsetMs(startMs), step);; ++k) {
        const int64_t guess = k * step - OffsetMs(k * step - OffsetMs(startMs));
        const int64_t t = k * step - OffsetMs(guess);
        if (t > endMs) break;
        if (t < startMs || (!ticks.empty() && t <= ticks.back().timeMs)) continue;
        TimeTick tick{t, Format(t, timeFormat), {}};
        if (withDates && (ticks.empty() || !SameLocalDay(ticks.back().timeMs, t))) tick.date = Format(t, "%Y-%m-%d");
        ticks.push_back(std::move(tick));
    }
    return ticks;
}

std::string LocalClockTime(int64_t timeMs) { return Format(timeMs, "%H:%M:%S"); }

std::string LocalClockTimeMs(int64_t timeMs) {
    const int64_t ms = timeMs - static_cast<int64_t>(Seconds(timeMs)) * 1000;
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, ".%03d", static_cast<int>(ms));
    return Format(timeMs, "%H:%M:%S") + fraction;
}

std::optional<TrendSample> SampleAt(const TrendHistory& history, int64_t timeMs, int64_t toleranceMs) {
    if (history.empty()) return std::nullopt;
    const size_t after = history.FirstAtOrAfter(timeMs);
    std::optional<TrendSample> best;
    int64_t distance = toleranceMs;
    for (const size_t i : {after, after - 1}) {  // after - 1 wraps to a huge index when after is 0
        if (i >= history.size()) continue;
        const TrendSample s = history[i];
        const int64_t d = s.timeMs > timeMs ? s.timeMs - timeMs : timeMs - s.timeMs;
        if (d <= distance) {
            distance = d;
            best = s;
        }
    }
    return best;
}

}  // namespace polling
