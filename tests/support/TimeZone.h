// Sets the time zone (TZ) for its lifetime. The Windows C runtime reads TZ too, but only the
// short form (name, offset, summer name: "EST5EDT"), without rules for the change of season.
#pragma once

#include <ctime>
#include <memory>

#include "support/TempFolder.h"

namespace testsupport {

class TimeZone {
public:
    explicit TimeZone(const char* zone) : environment_(std::make_unique<ScopedEnvironment>()) {
        environment_->Set("TZ", zone);
        Reset();
    }
    ~TimeZone() {
        environment_.reset();
        Reset();
    }
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

private:
    static void Reset() {
#ifdef _WIN32
        _tzset();
#else
        tzset();
#endif
    }

    std::unique_ptr<ScopedEnvironment> environment_;
};

}  // namespace testsupport
