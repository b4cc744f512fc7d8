#include "files/TrendCsv.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <charconv>
#include <cmath>
#include <ctime>

#include "config/Units.h"
#include "platform/LocalTime.h"
#include "platform/Text.h"

namespace files {

namespace {

// Seconds since the epoch, rounded down also before 1970.
std::time_t FloorSeconds(int64_t timeMs) {
    return static_cast<std::time_t>(timeMs >= 0 ? timeMs / 1000 : -((-timeMs + 999) / 1000));
}

}  // namespace

std::string IsoLocalTime(int64_t timeMs) {
    const std::time_t seconds = FloorSeconds(timeMs);
    platform::LocalTime local;
    platform::ToLocalTime(seconds, local);
    char text[48];
    const size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local.fields);
    const int milliseconds = static_cast<int>(timeMs - static_cast<int64_t>(seconds) * 1000);
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, ".%03d", milliseconds);
    return std::string(text, length) + fraction;
}

std::string UtcOffset(int64_t timeMs) {
    const std::time_t seconds = FloorSeconds(timeMs);
    platform::LocalTime local;
    platform::ToLocalTime(seconds, local);
    // Minutes east of UTC; real zones lie within a day.
    const int offset = static_cast<int>(std::clamp<long>(local.utcOffsetSeconds / 60, -24 * 60, 24 * 60));
    char zone[16];
    std::snprintf(zone, sizeof zone, "%c%02d:%02d", offset < 0 ? '-' : '+', std::abs(offset) / 60,
                  std::abs(offset) % 60);
    return zone;
}

std::string TrendCsvLine(const polling::TrendSample& sample, const DisplayScale& scale) {
    std::string line = IsoLocalTime(sample.timeMs);
    line += ',';
    line += UtcOffset(sample.timeMs);
    line += ',';
    // The shortest text that reads back as the same float, whatever the locale.
    char number[32];
    const auto written = std::to_chars(number, number + sizeof number, sample.valuePa);
    line.append(number, written.ptr);
    line += ',';
    line += platform::ToUtf8(
        config::FormatNumber(static_cast<double>(sample.valuePa) * static_cast<double>(scale.factor), scale.decimals));
    line += ',';
    line += platform::ToUtf8(scale.unit);
    for (size_t output = 0; output < 4; ++output) {
        line += ',';
        line += sample.Lit(output) ? '1' : '0';
    }
    line += '\n';
    return line;
}

std::string TrendCsv(const polling::TrendHistory& history, size_t first, size_t last, const DisplayScale& scale) {
    std::string csv(TrendCsvHeader);
    history.ForEach(first, last, [&](const polling::TrendSample& sample) { csv += TrendCsvLine(sample, scale); });
    return csv;
}

TrendCsvRecorder::~TrendCsvRecorder() { Stop(); }

RecordStart TrendCsvRecorder::Start(const std::string& path, bool appendToForeign) {
    Stop();
    path_ = path;
    switch (file_.Open(path, platform::RawFile::Mode::AppendCreate)) {
    case platform::RawFile::Opened::Ok: break;
    case platform::RawFile::Opened::NotAFile: return RecordStart::NotAFile;
    case platform::RawFile::Opened::CannotOpen: return RecordStart::CannotOpen;
    }
    const int64_t size = file_.Size();
    if (size < 0) {
        Stop();
        return RecordStart::CannotOpen;
    }
    if (size == 0) return Write(TrendCsvHeader) ? RecordStart::Started : RecordStart::CannotOpen;

    std::string first(TrendCsvHeader.size(), '\0');
    const int64_t got = file_.ReadAt(0, first.data(), first.size());
    const bool ours = got == static_cast<int64_t>(first.size()) && first == TrendCsvHeader;
    if (!ours && !appendToForeign) {
        Stop();
        return RecordStart::ForeignFile;
    }
    // Our own broken last line is cut off; someone else's file only gets the missing line end.
    if (ours ? !EndOnWholeLine() : !EndsOnLineEnd(size) && !Write("\n")) {
        Stop();
        return RecordStart::CannotOpen;
    }
    return RecordStart::Started;
}

bool TrendCsvRecorder::EndsOnLineEnd(int64_t size) const {
    char last = '\n';
    return size == 0 || (file_.ReadAt(size - 1, &last, 1) == 1 && last == '\n');
}

bool TrendCsvRecorder::EndOnWholeLine() {
    const int64_t size = file_.Size();
    if (size < 0) return false;
    if (EndsOnLineEnd(size)) return true;
    // Back from the end to the last line end, a block at a time.
    char block[4096];
    for (int64_t end = size; end > 0;) {
        const int64_t begin = std::max<int64_t>(0, end - static_cast<int64_t>(sizeof block));
        const int64_t got = file_.ReadAt(begin, block, static_cast<size_t>(end - begin));
        if (got != end - begin) return false;
        for (int64_t i = got - 1; i >= 0; --i)
            if (block[i] == '\n') return file_.Truncate(begin + i + 1);
        end = begin;
    }
    return file_.Truncate(0) && Write(TrendCsvHeader);
}

bool TrendCsvRecorder::Append(const polling::TrendSample& sample, const DisplayScale& scale) {
    return file_.isOpen() && Write(TrendCsvLine(sample, scale));
}

bool TrendCsvRecorder::Write(std::string_view bytes) {
    const int64_t before = file_.Size();  // appended at the end: a failed write is cut back to here
    if (before < 0 || !file_.Append(bytes)) {
        if (before >= 0 && !file_.Truncate(before)) {
            // Nothing more can be done: the next recording cuts the broken line off.
        }
        Stop();
        return false;
    }
    return true;
}

void TrendCsvRecorder::Stop() { file_.Close(); }

}  // namespace files
