#include "platform/LocalTime.h"

#include <cstdint>

namespace platform {

int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

namespace {

// The UTC calendar fields of t computed here, for the times a C runtime refuses (Windows' has
// nothing before 1970).
void FieldsOf(int64_t t, std::tm& fields) {
    const int64_t days = (t >= 0 ? t : t - 86399) / 86400;
    const int64_t secondOfDay = t - days * 86400;
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    const int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const int64_t year = yearOfEra + era * 400 + (month <= 2);
    fields = std::tm{};
    fields.tm_year = static_cast<int>(year - 1900);
    fields.tm_mon = static_cast<int>(month - 1);
    fields.tm_mday = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    fields.tm_hour = static_cast<int>(secondOfDay / 3600);
    fields.tm_min = static_cast<int>(secondOfDay / 60 % 60);
    fields.tm_sec = static_cast<int>(secondOfDay % 60);
    fields.tm_wday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    fields.tm_yday = static_cast<int>(days - DaysFromCivil(year, 1, 1));
    fields.tm_isdst = 0;
}

bool SystemLocalTime(std::time_t t, std::tm& fields) {
#ifdef _WIN32
    return localtime_s(&fields, &t) == 0;
#else
    return localtime_r(&t, &fields) != nullptr;
#endif
}

int64_t OffsetOf(const std::tm& f, int64_t t) {
    const int64_t asUtc = DaysFromCivil(f.tm_year + 1900LL, f.tm_mon + 1LL, f.tm_mday) * 86400 +
                          f.tm_hour * 3600LL + f.tm_min * 60LL + f.tm_sec;
    return asUtc - t;
}

}  // namespace

bool ToUtcTime(std::time_t t, std::tm& fields) {
#ifdef _WIN32
    if (gmtime_s(&fields, &t) == 0) return true;
#else
    if (gmtime_r(&t, &fields) != nullptr) return true;
#endif
    FieldsOf(static_cast<int64_t>(t), fields);
    return true;
}

bool ToLocalTime(std::time_t t, LocalTime& local) {
    // The local calendar fields read as if they were UTC, minus the real instant: the offset.
    if (SystemLocalTime(t, local.fields)) {
        local.utcOffsetSeconds = static_cast<long>(OffsetOf(local.fields, static_cast<int64_t>(t)));
        return true;
    }
    // A time the C runtime refuses (before 1970 on Windows): the zone's offset at the epoch,
    // applied here.
    std::tm epoch{};
    if (t >= 0 || !SystemLocalTime(0, epoch)) return false;
    local.utcOffsetSeconds = static_cast<long>(OffsetOf(epoch, 0));
    FieldsOf(static_cast<int64_t>(t) + local.utcOffsetSeconds, local.fields);
    return true;
}

}  // namespace platform
