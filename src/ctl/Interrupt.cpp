#include "ctl/Interrupt.h"

#include "platform/Console.h"

namespace ctl {
namespace {

// Set from the signal (or console control) handler; each unit's thread reads it.
std::atomic<bool> stopAsked{false};

}  // namespace

void CatchStopSignals() { platform::CatchStopRequests(stopAsked); }

bool StopAsked() { return stopAsked.load(); }

const std::atomic<bool>& StopFlag() { return stopAsked; }

}  // namespace ctl
