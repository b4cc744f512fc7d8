#include "platform/Console.h"

#include <pwd.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

namespace platform {
namespace {

// The one piece of process state a signal handler touches; lock-free, so that it may.
std::atomic<bool>* stopFlag = nullptr;
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void SetStopFlag(int) {
    if (stopFlag != nullptr) stopFlag->store(true);
}

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

void PrepareStandardStreams() {}

bool IsTerminal(int stream) { return isatty(stream) == 1; }

void CatchStopRequests(std::atomic<bool>& flag) {
    stopFlag = &flag;
    struct sigaction action {};
    action.sa_handler = SetStopFlag;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

long ProcessId() { return static_cast<long>(getpid()); }

std::string LoginName() {
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_name != nullptr) return entry->pw_name;
    const char* logname = std::getenv("LOGNAME");
    return logname ? logname : "";
}

std::string HostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

}  // namespace platform
