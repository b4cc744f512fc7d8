// The trend's history: storage, spans, statistics and the reduction to pixel columns.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "polling/TrendHistory.h"

namespace {

using polling::TrendHistory;
using polling::TrendSample;
using polling::TrendSpan;

constexpr int64_t Start = 1'765'000'000'000;  // a December 2025 afternoon, in ms

// One sample a second from Start, with the given values; lamp 1 lit where the value is above 10.
void Fill(TrendHistory& history, std::initializer_list<float> values) {
    int64_t t = Start + static_cast<int64_t>(history.size()) * 1000;
    for (float v : values) {
        history.Append({t, v, static_cast<uint8_t>(v > 10 ? 1 : 0)});
        t += 1000;
    }
}

TEST(TrendHistory, KeepsEverySampleInOrderAcrossChunksAndAClockSetBack) {
    TrendHistory history;
    for (int i = 0; i < 10'000; ++i) history.Append({Start + i * 1000LL, float(i), uint8_t(i & 15)});
    ASSERT_EQ(history.size(), 10'000u);
    for (size_t i : {size_t(0), size_t(4095), size_t(4096), size_t(9999)}) {
        const TrendSample s = history[i];
        EXPECT_EQ(s.timeMs, Start + int64_t(i) * 1000);
        EXPECT_EQ(s.valuePa, float(i));
        EXPECT_EQ(s.lamps, i & 15);
    }
    size_t visited = 0;
    history.ForEach(4000, 5000, [&](const TrendSample& s) { EXPECT_EQ(s.valuePa, float(4000 + visited++)); });
    EXPECT_EQ(visited, 1000u);

    history.Append({Start, 1.5f, 0});  // the clock went back: kept in order at the newest time
    EXPECT_EQ(history.Newest().timeMs, Start + 9'999'000);
    // A sample after a pause longer than 32-bit milliseconds reach keeps its exact time.
    const int64_t late = Start + 60LL * 24 * 3600 * 1000;
    history.Append({late, 2.5f, 0});
    EXPECT_EQ(history.Newest().timeMs, late);
    EXPECT_EQ(history.FirstAtOrAfter(late), history.size() - 1);
}

TEST(TrendHistory, ADayAtOneSampleASecondTakesUnderAMegabyte) {
    TrendHistory history;
    for (int i = 0; i < 86'400; ++i) history.Append({Start + i * 1000LL, 1.0f, 0});
    EXPECT_LT(history.MemoryBytes(), 1'000'000u);
}

TEST(TrendHistory, SpansEndAtTheNewestSampleOrAtAFrozenEdge) {
    TrendHistory history;
    EXPECT_EQ(polling::RangeOfSpan(history, TrendSpan::Minute).last, 0u);
    for (int i = 0; i < 7200; ++i) history.Append({Start + i * 1000LL, float(i), 0});
    struct Case {
        TrendSpan span;
        size_t count;
    };
    // The span includes both edges: a minute of samples a second holds 61.
    for (const Case& c : {Case{TrendSpan::Minute, 61}, Case{TrendSpan::TenMinutes, 601}, Case{TrendSpan::Hour, 3601},
                          Case{TrendSpan::Day, 7200}, Case{TrendSpan::All, 7200}}) {
        const polling::SpanRange r = polling::RangeOfSpan(history, c.span);
        EXPECT_EQ(r.last, 7200u);
        EXPECT_EQ(r.last - r.first, c.count) << int(c.span);
        EXPECT_EQ(r.endMs, Start + 7199'000);
    }
    const int64_t frozen = Start + 100'000;
    const polling::SpanRange paused = polling::RangeOfSpan(history, TrendSpan::Minute, &frozen);
    EXPECT_EQ(paused.first, 40u);
    EXPECT_EQ(paused.last, 101u);
    EXPECT_EQ(polling::RangeOfSpan(history, TrendSpan::All).startMs, Start);
}

TEST(TrendHistory, StatisticsOfASpanSkipNaNReadingsButCountThem) {
    TrendHistory history;
    Fill(history, {5, -3, std::numeric_limits<float>::quiet_NaN(), 10, 8});
    const polling::SpanStatistics all = polling::Statistics(history, 0, 5);
    EXPECT_EQ(all.count, 5u);
    EXPECT_EQ(all.min, -3);
    EXPECT_EQ(all.max, 10);
    EXPECT_DOUBLE_EQ(all.mean, 5);
    const polling::SpanStatistics part = polling::Statistics(history, 3, 5);
    EXPECT_EQ(part.count, 2u);
    EXPECT_DOUBLE_EQ(part.mean, 9);
    const polling::SpanStatistics none = polling::Statistics(history, 2, 2);
    EXPECT_EQ(none.count, 0u);
    EXPECT_EQ(none.mean, 0);
}

TEST(TrendHistory, ReductionKeepsEverySpikeAndTheLitColumns) {
    // One spike up, one down, one lit lamp, each in a single sample among 86,401.
    TrendHistory spiky;
    for (int i = 0; i <= 86'400; ++i) {
        const float v = i == 12'345 ? 500.0f : i == 70'000 ? -500.0f : 1.0f;
        spiky.Append({Start + i * 1000LL, v, uint8_t(i == 50'000 ? 4 : 0)});
    }
    const polling::SpanRange range = polling::RangeOfSpan(spiky, TrendSpan::Day);
    ASSERT_EQ(range.last - range.first, 86'401u);
    const auto columns = polling::ReduceToColumns(spiky, range, 800);
    ASSERT_EQ(columns.size(), 800u);
    float high = 0, low = 0;
    size_t samples = 0, lit = 0;
    for (const polling::TrendColumn& c : columns) {
        high = std::max(high, c.max);
        low = std::min(low, c.min);
        samples += c.count;
        if (c.lampsAny & 4) ++lit;
        EXPECT_GT(c.count, 0u);
    }
    EXPECT_EQ(high, 500);
    EXPECT_EQ(low, -500);
    EXPECT_EQ(samples, 86'401u);
    EXPECT_EQ(lit, 1u);
    EXPECT_EQ(columns[12'345 * 800 / 86'400].max, 500);
    EXPECT_EQ(columns.back().max, 1);
}

}  // namespace
