// The chart's mapping of samples to pixel columns with its gaps, and the round ticks of both axes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "polling/TrendChart.h"
#include "polling/TrendThresholds.h"
#include "support/TimeZone.h"

namespace {

using polling::TimeInterval;
using polling::TrendEventKind;
using polling::TrendHistory;

constexpr int64_t Start = 1'765'000'000'000;  // 2025-12-06 05:46:40 UTC

// A step of a made-up watch, in ms from Start: a sample (with its lamps), or a stop of the poll.
struct Step {
    enum Kind { Sample, Untick, Lost } kind;
    int64_t ms;
    uint8_t lamps = 0;
};

// Each column as a letter: d a line starts, D a line goes on, . empty, _ no data; and its lamps.
std::pair<std::string, std::string> Columns(const polling::ChartMap& map) {
    std::string kinds, lamps;
    for (const polling::ChartColumn& c : map.columns) {
        kinds += c.data.samples > 0 ? (c.joinsPrevious ? 'D' : 'd') : c.noData ? '_' : '.';
        lamps += (c.lamps & 1) ? '1' : '0';
    }
    return {kinds, lamps};
}

TEST(TrendChart, GapsBreakTheLineAndTheShadingAndAreShownAsNoData) {
    struct Case {
        const char* what;
        std::vector<Step> steps;
        int64_t fromMs, toMs;
        size_t columns;
        std::string kinds, lamps;
        std::vector<TimeInterval> gaps;  // ms from Start
    };
    auto every = [](int64_t from, int64_t to, uint8_t lamps = 0) {
        std::vector<Step> steps;
        for (int64_t t = from; t <= to; t += 1000) steps.push_back({Step::Sample, t, lamps});
        return steps;
    };
    auto join = [](std::vector<Step> a, const std::vector<Step>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const Case cases[] = {
        {"a pause of more than 2.5 intervals, the lamp lit before it",
         {{Step::Sample, 0}, {Step::Sample, 1000}, {Step::Sample, 2000, 1}, {Step::Sample, 6000}, {Step::Sample, 7000},
          {Step::Sample, 8000}, {Step::Sample, 9000}},
         0, 10'000, 10, "dDD___dDDD", "0010000000", {{2000, 6000}}},
        {"a pause of exactly 2.5 intervals is no gap", {{Step::Sample, 0}, {Step::Sample, 2500}}, 0, 5000, 2, "dD", "00", {}},
        {"a lost link, then samples again",
         {{Step::Sample, 0}, {Step::Sample, 1000}, {Step::Sample, 2000, 1}, {Step::Lost, 2500}, {Step::Sample, 3000},
          {Step::Sample, 4000}},
         0, 5000, 10, "d.D.D_d.D.", "0000100000", {{2000, 3000}}},
        {"a lost link with nothing since",
         {{Step::Sample, 0, 1}, {Step::Sample, 1000, 1}, {Step::Sample, 2000, 1}, {Step::Lost, 2500}},
         0, 5000, 5, "dDD__", "11100", {{2000, 5000}}},
        {"an untick shorter than the gap limit still breaks the line",
         {{Step::Sample, 0}, {Step::Sample, 1000}, {Step::Untick, 1200}, {Step::Sample, 2000}, {Step::Sample, 3000}},
         0, 4000, 8, "d.D_d.D.", "00000000", {{1000, 2000}}},
        {"long-span columns straddling a gap hold data but are not joined across it",
         join(every(0, 59'000, 1), every(120'000, 179'000)), 0, 180'000, 4, "dDdD", "1100", {{59'000, 120'000}}},
        {"a gap crossing the left edge", join(every(0, 1000), every(10'000, 11'000)), 5000, 12'000, 7, "_____dD",
         "0000000", {{5000, 10'000}}},
        {"the time before the first sample", every(0, 1000), -3000, 2000, 5, "___dD", "00000", {{-3000, 0}}},
        {"a silent spell after the newest sample", every(0, 1000), 0, 6000, 6, "dD____", "000000", {{1000, 6000}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TrendHistory history;
        for (const Step& s : c.steps) {
            if (s.kind == Step::Sample) history.Append({Start + s.ms, 1000.0f + float(s.ms % 7), s.lamps});
            else history.Stop({Start + s.ms, s.kind == Step::Lost ? TrendEventKind::LinkLost : TrendEventKind::Stopped});
        }
        polling::SpanRange range;
        range.startMs = Start + c.fromMs;
        range.endMs = Start + c.toMs;
        range.first = history.FirstAtOrAfter(range.startMs);
        range.last = history.FirstAtOrAfter(range.endMs + 1);
        const polling::ChartMap map = polling::MapToColumns(history, range, c.columns);
        const auto [kinds, lamps] = Columns(map);
        EXPECT_EQ(kinds, c.kinds);
        EXPECT_EQ(lamps, c.lamps);
        std::vector<TimeInterval> gaps;
        for (const TimeInterval& g : map.gaps) gaps.push_back({g.startMs - Start, g.endMs - Start});
        EXPECT_EQ(gaps, c.gaps);
    }
}

TEST(TrendChart, ALostLinkIsMarkedAndTheFirstSampleAfterItRegainsIt) {
    TrendHistory history;
    history.Append({Start, 1, 0});
    history.Stop({Start + 500, TrendEventKind::LinkLost});
    history.Stop({Start + 600, TrendEventKind::Stopped});  // the poll's untick after it: the loss is what counts
    EXPECT_TRUE(history.stopped());
    EXPECT_EQ(history.LatestMs(), Start + 500);
    history.Append({Start + 9000, 2, 0});
    EXPECT_FALSE(history.stopped());
    EXPECT_TRUE(history.Newest().resumed);
    EXPECT_FALSE(history[0].resumed);
    ASSERT_EQ(history.events().size(), 2u);
    EXPECT_EQ(history.events()[0].kind, TrendEventKind::LinkLost);
    EXPECT_EQ(history.events()[1].kind, TrendEventKind::LinkRegained);
    EXPECT_EQ(history.events()[1].timeMs, Start + 9000);
}

TEST(TrendChart, ValueTicksAreRoundStepsOfOneTwoOrFive) {
    struct Case {
        double low, high;
        int maxTicks;
        double step;
        std::vector<double> values;
        int decimals;
    };
    const Case cases[] = {
        {0, 9.7, 5, 2, {0, 2, 4, 6, 8}, 0},
        {1681, 9000, 5, 2000, {2000, 4000, 6000, 8000}, 0},
        {-0.013, 0.021, 4, 0.01, {-0.01, 0, 0.01, 0.02}, 2},
        {0.95, 1.05, 5, 0.02, {0.96, 0.98, 1.0, 1.02, 1.04}, 2},
        {-250, 250, 4, 200, {-200, 0, 200}, 0},
        {99.2, 101.7, 6, 0.5, {99.5, 100, 100.5, 101, 101.5}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.low << " .. " << c.high);
        const polling::ValueTicks ticks = polling::RoundValueTicks(c.low, c.high, c.maxTicks);
        EXPECT_DOUBLE_EQ(ticks.step, c.step);
        ASSERT_EQ(ticks.values.size(), c.values.size());
        for (size_t i = 0; i < c.values.size(); ++i) EXPECT_NEAR(ticks.values[i], c.values[i], c.step * 1e-9);
        EXPECT_EQ(polling::StepDecimals(ticks.step), c.decimals);
    }
    EXPECT_TRUE(polling::RoundValueTicks(5, 5, 5).values.empty());
    EXPECT_TRUE(polling::RoundValueTicks(0, std::numeric_limits<double>::infinity(), 5).values.empty());
}

TEST(TrendChart, TimeTicksAreRoundLocalTimesWithTheDateWhereTheDayChanges) {
    struct Case {
        const char* zone;
        int64_t fromMs, toMs;  // from Start
        int maxTicks;
        std::vector<std::string> labels;  // "date time" or "time"
    };
    constexpr int64_t H = 3'600'000;
    const Case cases[] = {
        {"CET-1CEST,M3.5.0,M10.5.0/3", 0, 60'000, 6,
         {"06:46:40", "06:46:50", "06:47:00", "06:47:10", "06:47:20", "06:47:30", "06:47:40"}},
        {"CET-1CEST,M3.5.0,M10.5.0/3", 0, 24 * H, 8,
         {"2025-12-06 09:00", "12:00", "15:00", "18:00", "21:00", "2025-12-07 00:00", "03:00", "06:00"}},
        // 23:50 to 00:10 local time: the date at the first tick and at midnight.
        {"CET-1CEST,M3.5.0,M10.5.0/3", 61'400'000, 61'400'000 + 1'200'000, 5,
         {"2025-12-06 23:50", "23:55", "2025-12-07 00:00", "00:05", "00:10"}},
        {"IST-5:30", 0, 3 * H, 4, {"12:00", "13:00", "14:00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zone);
        testsupport::TimeZone zone(c.zone);
        std::vector<std::string> labels;
        for (const polling::TimeTick& t : polling::RoundTimeTicks(Start + c.fromMs, Start + c.toMs, c.maxTicks))
            labels.push_back(t.date.empty() ? t.time : t.date + " " + t.time);
        EXPECT_EQ(labels, c.labels);
    }
}

}  // namespace

namespace {

TEST(TrendThresholds, EachOutputsThresholdsAreDrawnAsTheyWereAtEachMoment) {
    polling::ThresholdHistory history;
    polling::ThresholdSet set;
    set.lower = {100, 200, 300, 400};
    set.higher = {1000, 2000, 3000, 4000};
    history.Note(10, set);
    history.Note(20, set);  // unchanged: no step
    set.lower[1] = 250;     // output 2 only
    history.Note(30, set);
    set.lower[0] = 150;
    set.higher[0] = 1500;
    history.Note(50, set);
    using S = polling::ThresholdSegment;
    struct Case {
        size_t output;
        int64_t from, to;
        std::vector<S> segments;
    };
    const Case cases[] = {
        {0, 0, 100, {{0, 50, 100, 1000}, {50, 100, 150, 1500}}},  // before the first step: the first
        {0, 40, 45, {{40, 45, 100, 1000}}},
        {1, 0, 100, {{0, 30, 200, 2000}, {30, 100, 250, 2000}}},
        {2, 15, 60, {{15, 60, 300, 3000}}},                       // others' changes leave it whole
        {0, 60, 60, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(history.Segments(c.output, c.from, c.to), c.segments) << c.output << " " << c.from;
    EXPECT_TRUE(polling::ThresholdHistory().Segments(0, 0, 100).empty());
}

}  // namespace

namespace {

TEST(TrendChart, TheCursorReadsTheNearestSampleButNothingInAGap) {
    polling::TrendHistory history;
    for (int64_t t : {0, 1000, 2000, 9000}) history.Append({Start + t, float(t), uint8_t(t == 1000 ? 3 : 0)});
    struct Case {
        int64_t at;
        std::optional<int64_t> sample;
    };
    const Case cases[] = {{-400, 0}, {-600, std::nullopt}, {1400, 1000}, {1600, 2000}, {5500, std::nullopt},
                          {8600, 9000}, {9400, 9000}, {9600, std::nullopt}};
    for (const Case& c : cases) {
        const auto s = polling::SampleAt(history, Start + c.at, 500);
        ASSERT_EQ(s.has_value(), c.sample.has_value()) << c.at;
        if (s) {
            EXPECT_EQ(s->timeMs, Start + *c.sample) << c.at;
        }
    }
    EXPECT_EQ(polling::SampleAt(history, Start + 1100, 500)->lamps, 3);
    EXPECT_FALSE(polling::SampleAt(polling::TrendHistory(), Start, 500).has_value());
    testsupport::TimeZone zone("UTC0");
    EXPECT_EQ(polling::LocalClockTimeMs(Start + 157), "05:46:40.157");
}

}  // namespace
