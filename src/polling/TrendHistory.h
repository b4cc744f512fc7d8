// The history of the live value for the life of the process: one sample per successful poll
// (time, value in Pa, the four lamps as they showed), its statistics over a span and its
// reduction to pixel columns for drawing.
#pragma once

#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "polling/TrendThresholds.h"

namespace polling {

struct TrendSample {
    int64_t timeMs = 0;    // milliseconds since the Unix epoch
    float valuePa = 0;
    uint8_t lamps = 0;     // bit n: the lamp of output n+1 was lit
    bool resumed = false;  // the first sample after the poll stopped: no line joins it to the one before
    bool Lit(size_t output) const { return (lamps >> output) & 1u; }
};

// What happened to the watch besides samples, shown as marks on the time axis.
enum class TrendEventKind : uint8_t {
    LinkLost,               // the poll and its retry failed: polling stopped
    LinkRegained,           // the first sample after a lost link
    Stopped,                // "Actual value" unticked
    ConfigurationWritten,
    ZeroCorrection,
    DisplayChanged,         // unit or measurement type
};
struct TrendEvent {
    int64_t timeMs = 0;
    TrendEventKind kind = TrendEventKind::Stopped;
};

// The time spans the chart shows back from its right edge.
enum class TrendSpan { Minute, TenMinutes, Hour, Day, All };
inline constexpr TrendSpan TrendSpans[] = {TrendSpan::Minute, TrendSpan::TenMinutes, TrendSpan::Hour, TrendSpan::Day,
                                           TrendSpan::All};
// The length of a span in milliseconds; 0 for All.
int64_t SpanMs(TrendSpan span);

// Samples in time order, stored compactly (9 bytes a sample) in chunks, so that a day at one
// sample a second stays under a megabyte and appending never copies what is stored.
class TrendHistory {
public:
    TrendHistory();
    ~TrendHistory();
    TrendHistory(const TrendHistory&) = delete;
    TrendHistory& operator=(const TrendHistory&) = delete;

    // A sample earlier than the last one (the clock was set back) takes the last one's time,
    // so that the history stays in time order. The first sample after Stop is marked resumed.
    void Append(const TrendSample& sample);
    // The poll stopped (unticked, or the link lost): the next sample starts a new line. Only
    // the first stop after a sample counts; the event is kept as a mark.
    void Stop(const TrendEvent& why);
    bool stopped() const { return stopped_; }
    // Stopped by a lost link (not by the operator), and no sample since.
    bool linkLost() const { return stopped_ && lostLink_; }
    // A mark that does not stop the line (configuration written, zero correction, ...).
    void AddEvent(const TrendEvent& event) { events_.push_back(event); }
    const std::vector<TrendEvent>& events() const { return events_; }
    // The time of the newest sample or event, whichever is later (0 when there is neither).
    int64_t LatestMs() const;
    size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    TrendSample operator[](size_t index) const;
    TrendSample Newest() const { return (*this)[count_ - 1]; }
    // The index of the first sample at or after timeMs (size() when none).
    size_t FirstAtOrAfter(int64_t timeMs) const;
    // Calls visit(sample) for the samples first .. last-1 in order.
    template <typename Visit>
    void ForEach(size_t first, size_t last, Visit&& visit) const;
    // Heap bytes held by the samples.
    size_t MemoryBytes() const;
    // The outputs' thresholds as the samples were taken with them.
    ThresholdHistory thresholds;

private:
    struct Chunk;
    // The chunk holding sample index.
    size_t ChunkIndexOf(size_t index) const;
    std::vector<std::unique_ptr<Chunk>> chunks_;
    std::vector<size_t> chunkFirst_;  // index of each chunk's first sample
    size_t count_ = 0;
    bool stopped_ = false;
    bool lostLink_ = false;  // the last stop was a lost link: the next sample regains it
    std::vector<TrendEvent> events_;
};

// The samples a span shows: [first, last) of the history, and the times of its left and
// right edges. The right edge is the newest sample, or rightEdgeMs when given (a paused view).
struct SpanRange {
    size_t first = 0;
    size_t last = 0;
    int64_t startMs = 0;
    int64_t endMs = 0;
};
SpanRange RangeOfSpan(const TrendHistory& history, TrendSpan span, const int64_t* rightEdgeMs = nullptr);

struct SpanStatistics {
    size_t count = 0;  // samples, NaN readings included
    double min = 0;    // over the readings that are numbers; 0 when there are none
    double max = 0;
    double mean = 0;
};
SpanStatistics Statistics(const TrendHistory& history, size_t first, size_t last);

// One pixel column of the chart: the least and greatest value of its samples (so that no
// spike is lost) and which lamps were lit at any of them.
struct TrendColumn {
    uint32_t samples = 0;  // all samples, NaN readings included
    uint32_t count = 0;    // samples with a value that is a number
    float min = 0;
    float max = 0;
    uint8_t lampsAny = 0;
    uint8_t lampsLast = 0;  // the lamps of the column's last sample, which they keep until the next
    // Takes a sample of the column, in time order.
    void Add(const TrendSample& sample);
};
// The samples of range split over columns equal slices of [startMs, endMs].
std::vector<TrendColumn> ReduceToColumns(const TrendHistory& history, const SpanRange& range, size_t columns);

// --- template definition

struct TrendHistory::Chunk {
    static constexpr size_t Capacity = 4096;
    int64_t baseMs = 0;
    std::vector<uint32_t> offsetMs;  // from baseMs
    std::vector<float> value;
    std::vector<uint8_t> lamps;  // bit 7: resumed
    size_t size() const { return value.size(); }
    TrendSample At(size_t i) const {
        return {baseMs + offsetMs[i], value[i], static_cast<uint8_t>(lamps[i] & 0x7Fu), (lamps[i] & 0x80u) != 0};
    }
};

template <typename Visit>
void TrendHistory::ForEach(size_t first, size_t last, Visit&& visit) const {
    if (first >= last) return;
    size_t c = ChunkIndexOf(first);
    size_t offset = first - chunkFirst_[c];
    for (size_t i = first; i < last;) {
        const Chunk& k = *chunks_[c];
        const size_t n = std::min(k.size() - offset, last - i);
        for (size_t j = 0; j < n; ++j) visit(k.At(offset + j));
        i += n;
        offset = 0;
        ++c;
    }
}

}  // namespace polling
