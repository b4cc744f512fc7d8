#include "app/TerminationSignals.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <atomic>
#include <cerrno>
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

}  // namespace

TerminationSignals::TerminationSignals(QWidget* window) : window_(window) {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return;  // then the signals keep their default
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &TerminationSignals::Arrived);
    signalPipe.store(pipe_[1]);
    struct sigaction action {};
    action.sa_handler = &OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(Signals); ++i) ::sigaction(Signals[i], &action, &previous_[i]);
}

TerminationSignals::~TerminationSignals() {
    if (pipe_[0] < 0) return;
    for (size_t i = 0; i < std::size(Signals); ++i) ::sigaction(Signals[i], &previous_[i], nullptr);
    signalPipe.store(-1);
    notifier_.reset();
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

void TerminationSignals::Arrived() {
    unsigned char drained[16];
    while (::read(pipe_[0], drained, sizeof drained) > 0) {}
    // As the close box: the window's closing handler runs. Open dialogs close with it, so that a
    // modal one cannot keep the program alive.
    window_->close();
    QApplication::closeAllWindows();
}
