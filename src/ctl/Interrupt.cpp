#include "ctl/Interrupt.h"

#include <csignal>

namespace ctl {
namespace {

// Lock-free, so that the handler may set it (and each unit's thread read it) safely.
std::atomic<bool> stopAsked{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void AskToStop(int) { stopAsked.store(true); }

}  // namespace

void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = AskToStop;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool StopAsked() { return stopAsked.load(); }

const std::atomic<bool>& StopFlag() { return stopAsked; }

}  // namespace ctl
