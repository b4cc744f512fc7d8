#include "files/TrendCsv.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <charconv>
#include <cmath>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/Units.h"
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
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[48];
    const size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    const int milliseconds = static_cast<int>(timeMs - static_cast<int64_t>(seconds) * 1000);
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, ".%03d", milliseconds);
    return std::string(text, length) + fraction;
}

std::string UtcOffset(int64_t timeMs) {
    const std::time_t seconds = FloorSeconds(timeMs);
    std::tm local{};
    localtime_r(&seconds, &local);
    // Minutes east of UTC; real zones lie within a day.
    const int offset = static_cast<int>(std::clamp<long>(local.tm_gmtoff / 60, -24 * 60, 24 * 60));
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
    // O_NONBLOCK: a fifo without a reader fails at once (ENXIO) instead of blocking the thread;
    // O_NOCTTY: a terminal never becomes ours. Anything but a regular file is refused below.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) return errno == EISDIR || errno == ENXIO || errno == ENODEV ? RecordStart::NotAFile : RecordStart::CannotOpen;
    fd_ = fd;
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        Stop();
        return RecordStart::CannotOpen;
    }
    if (!S_ISREG(info.st_mode)) {
        Stop();
        return RecordStart::NotAFile;
    }
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags < 0 || ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        Stop();
        return RecordStart::CannotOpen;
    }
    if (info.st_size == 0) return Write(TrendCsvHeader) ? RecordStart::Started : RecordStart::CannotOpen;

    std::string first(TrendCsvHeader.size(), '\0');
    const ssize_t got = ::pread(fd_, first.data(), first.size(), 0);
    const bool ours = got == static_cast<ssize_t>(first.size()) && first == TrendCsvHeader;
    if (!ours && !appendToForeign) {
        Stop();
        return RecordStart::ForeignFile;
    }
    // Our own broken last line is cut off; someone else's file only gets the missing line end.
    if (ours ? !EndOnWholeLine() : !EndsOnLineEnd(info.st_size) && !Write("\n")) {
        Stop();
        return RecordStart::CannotOpen;
    }
    return RecordStart::Started;
}

bool TrendCsvRecorder::EndsOnLineEnd(off_t size) const {
    char last = '\n';
    return size == 0 || (::pread(fd_, &last, 1, size - 1) == 1 && last == '\n');
}

bool TrendCsvRecorder::EndOnWholeLine() {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) return false;
    if (EndsOnLineEnd(info.st_size)) return true;
    // Back from the end to the last line end, a block at a time.
    char block[4096];
    for (off_t end = info.st_size; end > 0;) {
        const off_t begin = std::max<off_t>(0, end - static_cast<off_t>(sizeof block));
        const ssize_t got = ::pread(fd_, block, static_cast<size_t>(end - begin), begin);
        if (got != end - begin) return false;
        for (ssize_t i = got - 1; i >= 0; --i)
            if (block[i] == '\n') return ::ftruncate(fd_, begin + i + 1) == 0;
        end = begin;
    }
    return ::ftruncate(fd_, 0) == 0 && Write(TrendCsvHeader);
}

bool TrendCsvRecorder::Append(const polling::TrendSample& sample, const DisplayScale& scale) {
    return fd_ >= 0 && Write(TrendCsvLine(sample, scale));
}

bool TrendCsvRecorder::Write(std::string_view bytes) {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        Stop();
        return false;
    }
    const off_t before = info.st_size;  // appended at the end: a failed write is cut back to here
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (::ftruncate(fd_, before) != 0) {
                // Nothing more can be done: the next recording cuts the broken line off.
            }
            Stop();
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

void TrendCsvRecorder::Stop() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace files
