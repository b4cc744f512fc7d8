// Closing by the system closes the window as its close box does, so the closing handler runs (the
// settings are written) and the program ends normally. On Linux that is SIGTERM, SIGINT and
// SIGHUP: the handler only writes the signal's number into a pipe, which the event loop reads.
// On Windows it is the end of the session (log-off, shut-down), which Qt reports.
#pragma once

#include <QObject>
#include <memory>
#include <vector>

class QWidget;

class TerminationSignals : public QObject {
public:
    // One at a time: the handlers lead to the newest instance until it is destroyed.
    explicit TerminationSignals(QWidget* window);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // The signals that close the window (none on Windows).
    static std::vector<int> Signals();

private:
    void Arrived();

    struct Handlers;
    QWidget* window_;
    std::unique_ptr<Handlers> handlers_;
};
