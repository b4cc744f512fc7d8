// Start-up time (process start until the main window is mapped on the X display) of the
// program against a bare window with the same controls, in alternating runs; then the idle
// CPU of a running program with both timers. Needs an X display (Xvfb serves):
//   xvfb-run -a build/bench/startup_bench build/kd4410 build/bench/bare_window [runs]
#include <X11/Xlib.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

pid_t Launch(const char* program) {
    const pid_t pid = fork();
    if (pid == 0) {
        execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

// Waits for the next top-level window to be mapped; false after a 10 s bound.
bool WaitForMap(Display* display) {
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify) return true;
        }
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, 100);
    }
    return false;
}

void Stop(pid_t pid) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

double StartupMs(Display* display, const char* program) {
    XSync(display, True);  // drop events of earlier runs
    const auto start = Clock::now();
    const pid_t pid = Launch(program);
    const bool mapped = WaitForMap(display);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    Stop(pid);
    return mapped ? ms : -1;
}

double CpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    unsigned long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stoul(field);
        if (i == 15) stime = std::stoul(field);
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s PROGRAM BARE_WINDOW [RUNS] [IDLE_SECONDS]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 3 ? std::atoi(argv[3]) : 20;
    const int idleSeconds = argc > 4 ? std::atoi(argv[4]) : 20;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);

    std::vector<double> program, bare;
    StartupMs(display, argv[1]);  // warm the caches for both
    StartupMs(display, argv[2]);
    for (int i = 0; i < runs; ++i) {
        program.push_back(StartupMs(display, argv[1]));
        bare.push_back(StartupMs(display, argv[2]));
    }
    if (std::find(program.begin(), program.end(), -1) != program.end() ||
        std::find(bare.begin(), bare.end(), -1) != bare.end()) {
        std::fprintf(stderr, "a window was never mapped\n");
        return 1;
    }
    const double p = Median(program), b = Median(bare);
    std::printf("start-up median of %d runs: program %.1f ms, bare window %.1f ms, ratio %.2f\n", runs, p, b, p / b);

    XSync(display, True);
    const pid_t pid = Launch(argv[1]);
    WaitForMap(display);
    sleep(2);  // past the one-shot start-up step
    const double before = CpuSeconds(pid);
    sleep(static_cast<unsigned>(idleSeconds));
    const double used = CpuSeconds(pid) - before;
    Stop(pid);
    std::printf("idle CPU over %d s: %.3f %% of one core\n", idleSeconds, 100.0 * used / idleSeconds);
    XCloseDisplay(display);
    return 0;
}
