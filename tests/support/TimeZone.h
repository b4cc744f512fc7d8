// Sets the time zone (TZ) for its lifetime.
#pragma once

#include <ctime>
#include <memory>

#include "support/TempFolder.h"

namespace testsupport {

class TimeZone {
public:
    explicit TimeZone(const char* zone) : environment_(std::make_unique<ScopedEnvironment>()) {
        environment_->Set("TZ", zone);
        tzset();
    }
    ~TimeZone() {
        environment_.reset();
        tzset();
    }
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

private:
    std::unique_ptr<ScopedEnvironment> environment_;
};

}  // namespace testsupport
