// Local time with its offset from UTC, computed from the calendar fields rather than taken from
// strftime("%z"), which some C runtimes do not implement.
#pragma once

#include <cstdint>
#include <ctime>

namespace platform {

struct LocalTime {
    std::tm fields{};       // the local calendar time
    long utcOffsetSeconds = 0;  // local minus UTC, e.g. 3600 for CET, -18000 for EST
};

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar (month 1..12).
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day);

// The UTC calendar time at t; false when t cannot be represented.
bool ToUtcTime(std::time_t t, std::tm& fields);

// The local time at t in the process's time zone (TZ on Linux, the system's zone on Windows);
// false when t cannot be represented.
bool ToLocalTime(std::time_t t, LocalTime& local);

}  // namespace platform
