// The program's one blocking wait. It blocks the calling (GUI) thread on purpose, as the device
// procedures expect; tests put a recorder in its place so that no test waits real time.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

using SleepFunction = std::function<void(uint32_t milliseconds)>;

void Sleep(uint32_t milliseconds);

// Puts another wait in place (an empty function restores the real one); returns the previous.
SleepFunction ReplaceSleep(SleepFunction replacement);

}  // namespace platform
