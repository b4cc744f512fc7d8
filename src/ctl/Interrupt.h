// Ctrl-C, SIGTERM and SIGHUP ask the tool to stop: the exchange in flight is finished, nothing
// further is written, and the command reports what the transmitter holds. The flag is the one
// piece of process state a signal handler may touch; every unit's thread reads it.
#pragma once

#include <atomic>

namespace ctl {

// Installs the handlers; from then on the three signals only set the flag.
void CatchStopSignals();
bool StopAsked();
const std::atomic<bool>& StopFlag();

}  // namespace ctl
