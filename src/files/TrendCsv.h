// The trend's samples as CSV: "time,utc_offset,value_pa,value,unit,out1,out2,out3,out4", one
// line a sample, numbers in the "C" locale; a whole span saved at once, or a recording that
// appends every sample as it arrives. The window and kd4410ctl watch write the same lines.
// The time is local time with milliseconds and without offset (2026-12-11T12:55:05.157), which
// spreadsheets read as a date and time; its offset from UTC stands in a column of its own.
#pragma once

#include <string>
#include <string_view>

#include "platform/RawFile.h"
#include "polling/TrendHistory.h"

namespace files {

// How the value column shows a value: value_pa x factor with the decimals, and the unit.
struct DisplayScale {
    float factor = 1;
    int32_t decimals = 0;
    std::u16string unit = u"Pa";
};

inline constexpr std::string_view TrendCsvHeader = "time,utc_offset,value_pa,value,unit,out1,out2,out3,out4\n";

// "2026-12-10T16:07:08.250": local time with milliseconds.
std::string IsoLocalTime(int64_t timeMs);
// "+01:00": the local time's offset from UTC at that time.
std::string UtcOffset(int64_t timeMs);
// One line, with its line end.
std::string TrendCsvLine(const polling::TrendSample& sample, const DisplayScale& scale);
// The header and the lines of samples first .. last-1.
std::string TrendCsv(const polling::TrendHistory& history, size_t first, size_t last, const DisplayScale& scale);

enum class RecordStart {
    Started,
    CannotOpen,   // missing folder, no permission, the header cannot be written, ...
    NotAFile,     // a folder, fifo, device or socket: refused without waiting for a reader
    ForeignFile,  // not empty and its first line is not our header: appending needs a yes
};

// Appends each sample to a CSV file with one write() of its line, so that a line is in the
// file as soon as Append returns, even if the process is killed right after. A file that is
// empty gets the header first. The file always ends on a whole line: a line that could not be
// written completely is cut off again, and a broken last line found at the start is removed.
class TrendCsvRecorder {
public:
    TrendCsvRecorder() = default;
    ~TrendCsvRecorder();
    TrendCsvRecorder(const TrendCsvRecorder&) = delete;
    TrendCsvRecorder& operator=(const TrendCsvRecorder&) = delete;

    // Opens path for appending (created when missing); only a regular file is taken, and the
    // open never blocks. A recording already open is closed first.
    RecordStart Start(const std::string& path, bool appendToForeign = false);
    // False when the line could not be written completely: the recording is then closed.
    bool Append(const polling::TrendSample& sample, const DisplayScale& scale);
    void Stop();
    bool recording() const { return file_.isOpen(); }
    const std::string& path() const { return path_; }

private:
    bool Write(std::string_view bytes);
    // Cuts a last line without its line end off the file.
    bool EndOnWholeLine();
    bool EndsOnLineEnd(int64_t size) const;
    platform::RawFile file_;
    std::string path_;
};

}  // namespace files
