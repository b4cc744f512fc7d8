// The watch command: the window's poll every interval, the four outputs evaluated as the
// window's lamps are, a line per sample, an optional CSV, and a summary at the end. Time and
// waiting come from outside, so that tests run without waiting.
#pragma once

#include <chrono>
#include <atomic>
#include <cstdint>
#include <functional>
#include <fstream>
#include <iosfwd>
#include <optional>
#include <string>

#include "config/Transfer.h"
#include "ctl/Values.h"

namespace device {
class TFix64;
}

namespace ctl {

struct WatchClock {
    std::function<std::chrono::system_clock::time_point()> now;
    // Waits the given seconds or until a stop is asked for, whichever comes first.
    std::function<void(double seconds)> sleep;
};

struct WatchSummary {
    uint64_t samples = 0;
    uint64_t failedPolls = 0;
    double min = 0, max = 0, mean = 0;  // Pa, over the samples
    bool outFailed = false, csvFailed = false;  // a write failed; the watch stopped there
};

struct WatchSettings {
    uint32_t deviceIndex = 0;
    double interval = 1;
    std::optional<uint64_t> count;
    DisplayUnit unit;
    std::optional<double> duration;  // seconds from the first sample
    bool csvHeader = true;           // false when appending to a file that has one
};

// Polls until count samples (successful or failed polls) have been taken, the duration has
// passed, stop is set (by a signal handler) or a line or row cannot be written. Each line and
// CSV row is flushed as it is written.
WatchSummary Watch(device::TFix64& link, const config::DeviceConfiguration& configuration,
                   const WatchSettings& settings, const WatchClock& clock, const std::atomic<bool>& stop,
                   std::ostream& out, std::ostream* csv);

std::string SummaryLine(const WatchSummary& summary, const DisplayUnit& unit);

// ISO-8601 local time with milliseconds and the UTC offset, e.g. 2026-03-01T14:05:09.250+01:00.
std::string LocalIsoTime(std::chrono::system_clock::time_point t);

// The real clock: wall time, and a wait that a signal cuts short.
WatchClock RealClock(const std::atomic<bool>& stop);

// Opens a --csv file as bytes (no CR before LF on any system), replaced or appended to; throws
// ToolError when it cannot be written. True when it is empty, so that it needs its header.
bool OpenCsvFile(std::ofstream& csv, const std::string& path, bool append);

}  // namespace ctl
