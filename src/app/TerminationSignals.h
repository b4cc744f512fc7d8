// Closing by the system: SIGTERM, SIGINT and SIGHUP close the window as its close box does, so
// the closing handler runs (the settings are written) and the program ends normally. The
// handler only writes the signal's number into a pipe; the event loop reads it and closes.
#pragma once

#include <QObject>
#include <csignal>
#include <memory>

class QSocketNotifier;
class QWidget;

class TerminationSignals : public QObject {
public:
    // One at a time: the handlers lead to the newest instance until it is destroyed.
    explicit TerminationSignals(QWidget* window);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    static constexpr int Signals[] = {SIGTERM, SIGINT, SIGHUP};

private:
    void Arrived();

    QWidget* window_;
    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction previous_[3] {};
};
