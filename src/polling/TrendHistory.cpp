#include "polling/TrendHistory.h"

#include <cmath>
#include <limits>

namespace polling {

int64_t SpanMs(TrendSpan span) {
    switch (span) {
        case TrendSpan::Minute: return 60'000;
        case TrendSpan::TenMinutes: return 600'000;
        case TrendSpan::Hour: return 3'600'000;
        case TrendSpan::Day: return 86'400'000;
        case TrendSpan::All: break;
    }
    return 0;
}

TrendHistory::TrendHistory() = default;
TrendHistory::~TrendHistory() = default;

void TrendHistory::Append(const TrendSample& sample) {
    int64_t time = sample.timeMs;
    if (count_ != 0) time = std::max(time, Newest().timeMs);
    Chunk* chunk = chunks_.empty() ? nullptr : chunks_.back().get();
    // A chunk's offsets are 32 bits: a sample beyond them (polls resumed after weeks) starts a new one.
    if (chunk == nullptr || chunk->size() == Chunk::Capacity ||
        time - chunk->baseMs > std::numeric_limits<uint32_t>::max()) {
        auto fresh = std::make_unique<Chunk>();
        fresh->baseMs = time;
        fresh->offsetMs.reserve(Chunk::Capacity);
        fresh->value.reserve(Chunk::Capacity);
        fresh->lamps.reserve(Chunk::Capacity);
        chunk = fresh.get();
        chunks_.push_back(std::move(fresh));
        chunkFirst_.push_back(count_);
    }
    chunk->offsetMs.push_back(static_cast<uint32_t>(time - chunk->baseMs));
    chunk->value.push_back(sample.valuePa);
    const bool resumed = sample.resumed || (stopped_ && count_ != 0);
    chunk->lamps.push_back(static_cast<uint8_t>((sample.lamps & 0x7Fu) | (resumed ? 0x80u : 0u)));
    ++count_;
    if (stopped_ && lostLink_) events_.push_back({time, TrendEventKind::LinkRegained});
    stopped_ = lostLink_ = false;
}

void TrendHistory::Stop(const TrendEvent& why) {
    if (stopped_) {
        // Unticked after the link was lost: the lost link is what the operator needs to see.
        return;
    }
    stopped_ = true;
    lostLink_ = why.kind == TrendEventKind::LinkLost;
    events_.push_back(why);
}

int64_t TrendHistory::LatestMs() const {
    int64_t latest = empty() ? 0 : Newest().timeMs;
    if (!events_.empty()) latest = std::max(latest, events_.back().timeMs);
    return latest;
}

size_t TrendHistory::ChunkIndexOf(size_t index) const {
    const auto after = std::upper_bound(chunkFirst_.begin(), chunkFirst_.end(), index);
    return static_cast<size_t>(after - chunkFirst_.begin()) - 1;
}

TrendSample TrendHistory::operator[](size_t index) const {
    const size_t c = ChunkIndexOf(index);
    return chunks_[c]->At(index - chunkFirst_[c]);
}

size_t TrendHistory::FirstAtOrAfter(int64_t timeMs) const {
    size_t low = 0, high = count_;
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        if ((*this)[middle].timeMs < timeMs) low = middle + 1;
        else high = middle;
    }
    return low;
}

size_t TrendHistory::MemoryBytes() const {
    size_t bytes = chunks_.capacity() * sizeof(chunks_[0]) + chunkFirst_.capacity() * sizeof(size_t);
    for (const auto& chunk : chunks_)
        bytes += sizeof(Chunk) + chunk->offsetMs.capacity() * sizeof(uint32_t) +
                 chunk->value.capacity() * sizeof(float) + chunk->lamps.capacity();
    return bytes;
}

SpanRange RangeOfSpan(const TrendHistory& history, TrendSpan span, const int64_t* rightEdgeMs) {
    SpanRange range;
    if (history.empty()) return range;
    range.endMs = rightEdgeMs ? *rightEdgeMs : history.Newest().timeMs;
    range.startMs = span == TrendSpan::All ? history[0].timeMs : range.endMs - SpanMs(span);
    range.first = history.FirstAtOrAfter(range.startMs);
    range.last = history.FirstAtOrAfter(range.endMs + 1);
    if (span == TrendSpan::All) range.startMs = std::min(range.startMs, range.endMs);
    return range;
}

SpanStatistics Statistics(const TrendHistory& history, size_t first, size_t last) {
    SpanStatistics s;
    double sum = 0;
    size_t numbers = 0;
    s.min = std::numeric_limits<double>::infinity();
    s.max = -std::numeric_limits<double>::infinity();
    history.ForEach(first, last, [&](const TrendSample& sample) {
        ++s.count;
        if (std::isnan(sample.valuePa)) return;
        const double v = sample.valuePa;
        ++numbers;
        sum += v;
        s.min = std::min(s.min, v);
        s.max = std::max(s.max, v);
    });
    if (numbers == 0) {
        s.min = s.max = 0;
        return s;
    }
    s.mean = sum / static_cast<double>(numbers);
    return s;
}

std::vector<TrendColumn> ReduceToColumns(const TrendHistory& history, const SpanRange& range, size_t columns) {
    std::vector<TrendColumn> out(columns);
    if (columns == 0) return out;
    const double width = static_cast<double>(std::max<int64_t>(range.endMs - range.startMs, 1));
    history.ForEach(range.first, range.last, [&](const TrendSample& sample) {
        const double position = static_cast<double>(sample.timeMs - range.startMs) / width * static_cast<double>(columns);
        const size_t column = std::min(static_cast<size_t>(std::max(position, 0.0)), columns - 1);
        out[column].Add(sample);
    });
    return out;
}

void TrendColumn::Add(const TrendSample& sample) {
    ++samples;
    lampsAny |= sample.lamps;
    lampsLast = sample.lamps;
    if (std::isnan(sample.valuePa)) return;
    if (count == 0 || sample.valuePa < min) min = sample.valuePa;
    if (count == 0 || sample.valuePa > max) max = sample.valuePa;
    ++count;
}

}  // namespace polling
