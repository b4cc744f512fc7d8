#include "platform/TerminationSignals.h"

#include <QApplication>
#include <QGuiApplication>
#include <QSessionManager>
#include <QWidget>

// Windows has no termination signals for a window program: the end of the session (log-off,
// shut-down) reaches Qt as a request to save, and the window closes then as by its close box.
struct TerminationSignals::Handlers {
    QMetaObject::Connection sessionEnd;
};

std::vector<int> TerminationSignals::Signals() { return {}; }

TerminationSignals::TerminationSignals(QWidget* window) : window_(window), handlers_(std::make_unique<Handlers>()) {
    handlers_->sessionEnd = connect(qApp, &QGuiApplication::commitDataRequest, this,
                                    [this](QSessionManager&) { Arrived(); }, Qt::DirectConnection);
}

TerminationSignals::~TerminationSignals() { disconnect(handlers_->sessionEnd); }

void TerminationSignals::Arrived() {
    window_->close();
    QApplication::closeAllWindows();
}
