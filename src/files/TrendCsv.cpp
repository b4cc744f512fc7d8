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

std::string IsoLocalTime(int64_t timeMs) {
    // Floor division, so that times before 1970 keep their second.
    const std::time_t seconds = static_cast<std::time_t>(timeMs >= 0 ? timeMs / 1000 : -((-timeMs + 999) / 1000));
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[40];
    const size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    // Minutes east of UTC; real zones lie within a day.
    const int offset = static_cast<int>(std::clamp<long>(local.tm_gmtoff / 60, -24 * 60, 24 * 60));
    char zone[16];
    std::snprintf(zone, sizeof zone, "%c%02d:%02d", offset < 0 ? '-' : '+', std::abs(offset) / 60,
                  std::abs(offset) % 60);
    return std::string(text, length) + zone;
}

std::string TrendCsvLine(const polling::TrendSample& sample, const DisplayScale& scale) {
    std::string line = IsoLocalTime(sample.timeMs);
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

bool TrendCsvRecorder::Start(const std::string& path) {
    Stop();
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd_ < 0) return false;
    path_ = path;
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        Stop();
        return false;
    }
    return info.st_size != 0 || Write(TrendCsvHeader);
}

bool TrendCsvRecorder::Append(const polling::TrendSample& sample, const DisplayScale& scale) {
    return fd_ >= 0 && Write(TrendCsvLine(sample, scale));
}

bool TrendCsvRecorder::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
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
