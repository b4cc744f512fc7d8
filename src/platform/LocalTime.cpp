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

bool ToUtcTime(std::time_t t, std::tm& fields) {
#ifdef _WIN32
    return gmtime_s(&fields, &t) == 0;
#else
    return gmtime_r(&t, &fields) != nullptr;
#endif
}

bool ToLocalTime(std::time_t t, LocalTime& local) {
#ifdef _WIN32
    if (localtime_s(&local.fields, &t) != 0) return false;
#else
    if (localtime_r(&t, &local.fields) == nullptr) return false;
#endif
    const std::tm& f = local.fields;
    // The local calendar fields read as if they were UTC, minus the real instant: the offset.
    const int64_t asUtc = DaysFromCivil(f.tm_year + 1900LL, f.tm_mon + 1LL, f.tm_mday) * 86400 +
                          f.tm_hour * 3600LL + f.tm_min * 60LL + f.tm_sec;
    local.utcOffsetSeconds = static_cast<long>(asUtc - static_cast<int64_t>(t));
    return true;
}

}  // namespace platform
