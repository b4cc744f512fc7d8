// Local time with its offset from UTC, computed from the calendar fields rather than taken from
// strftime("%z"), which some C runtimes do not implement.
#pragma once

#include <ctime>

namespace platform {

struct LocalTime {
    std::tm fields{};       // the local calendar time
    long utcOffsetSeconds = 0;  // local minus UTC, e.g. 3600 for CET, -18000 for EST
};

// The local time at t in the process's time zone (TZ on Linux, the system's zone on Windows);
// false when t cannot be represented.
bool ToLocalTime(std::time_t t, LocalTime& local);

}  // namespace platform
