#include "platform/TerminationSignals.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The one thing a signal handler may reach: the pipe's write end (-1: none).
std::atomic<int> signalPipe{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnTerminationSignal(int signal) {
    const int savedErrno = errno;
    const int fd = signalPipe.load();
    if (fd >= 0) {
        const unsigned char number = static_cast<unsigned char>(signal);
        [[maybe_unused]] const ssize_t ignored = ::write(fd, &number, 1);  // a full pipe has one already
    }
    errno = savedErrno;
}

constexpr int Closing[] = {SIGTERM, SIGINT, SIGHUP};

}  // namespace

struct TerminationSignals::Handlers {
    int pipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier;
    struct sigaction previous[std::size(Closing)] {};
};

std::vector<int> TerminationSignals::Signals() { return std::vector<int>(std::begin(Closing), std::end(Closing)); }

TerminationSignals::TerminationSignals(QWidget* window) : window_(window), handlers_(std::make_unique<Handlers>()) {
    Handlers& h = *handlers_;
    if (::pipe2(h.pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;  // then the signals keep their default
    h.notifier = std::make_unique<QSocketNotifier>(h.pipe[0], QSocketNotifier::Read);
    connect(h.notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::Arrived);
    signalPipe.store(h.pipe[1]);
    struct sigaction action {};
    action.sa_handler = &OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(Closing); ++i) ::sigaction(Closing[i], &action, &h.previous[i]);
}

TerminationSignals::~TerminationSignals() {
    Handlers& h = *handlers_;
    if (h.pipe[0] < 0) return;
    for (size_t i = 0; i < std::size(Closing); ++i) ::sigaction(Closing[i], &h.previous[i], nullptr);
    signalPipe.store(-1);
    h.notifier.reset();
    ::close(h.pipe[0]);
    ::close(h.pipe[1]);
}

void TerminationSignals::Arrived() {
    unsigned char drained[16];
    while (::read(handlers_->pipe[0], drained, sizeof drained) > 0) {}
    // As the close box: the window's closing handler runs. Open dialogs close with it, so that a
    // modal one cannot keep the program alive.
    window_->close();
    QApplication::closeAllWindows();
}
