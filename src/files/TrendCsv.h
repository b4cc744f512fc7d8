// The trend's samples as CSV: "time,value_pa,value,unit,out1,out2,out3,out4", one line a
// sample, ISO-8601 local time, numbers in the "C" locale; a whole span saved at once, or a
// recording that appends every sample as it arrives.
#pragma once

#include <string>
#include <string_view>

#include "polling/TrendHistory.h"

namespace files {

// How the value column shows a value: value_pa x factor with the decimals, and the unit.
struct DisplayScale {
    float factor = 1;
    int32_t decimals = 0;
    std::u16string unit = u"Pa";
};

inline constexpr std::string_view TrendCsvHeader = "time,value_pa,value,unit,out1,out2,out3,out4\n";

// "2026-12-10T16:07:08+01:00": local time with its offset from UTC.
std::string IsoLocalTime(int64_t timeMs);
// One line, with its line end.
std::string TrendCsvLine(const polling::TrendSample& sample, const DisplayScale& scale);
// The header and the lines of samples first .. last-1.
std::string TrendCsv(const polling::TrendHistory& history, size_t first, size_t last, const DisplayScale& scale);

// Appends each sample to a CSV file with one write() of its line, so that a line is in the
// file as soon as Append returns, even if the process is killed right after. A file that is
// empty gets the header first.
class TrendCsvRecorder {
public:
    TrendCsvRecorder() = default;
    ~TrendCsvRecorder();
    TrendCsvRecorder(const TrendCsvRecorder&) = delete;
    TrendCsvRecorder& operator=(const TrendCsvRecorder&) = delete;

    // Opens path for appending (created when missing); false when it cannot be opened or the
    // header cannot be written. A recording already open is closed first.
    bool Start(const std::string& path);
    // False when the line could not be written completely: the recording is then closed.
    bool Append(const polling::TrendSample& sample, const DisplayScale& scale);
    void Stop();
    bool recording() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

private:
    bool Write(std::string_view bytes);
    int fd_ = -1;
    std::string path_;
};

}  // namespace files
