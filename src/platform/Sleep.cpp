#include "platform/Sleep.h"

#include <chrono>
#include <thread>

namespace platform {
namespace {

void RealSleep(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

SleepFunction& CurrentSleep() {
    static SleepFunction current = RealSleep;
    return current;
}

}  // namespace

void Sleep(uint32_t milliseconds) { CurrentSleep()(milliseconds); }

SleepFunction ReplaceSleep(SleepFunction replacement) {
    SleepFunction previous = std::move(CurrentSleep());
    CurrentSleep() = replacement ? std::move(replacement) : SleepFunction(RealSleep);
    return previous;
}

}  // namespace platform
