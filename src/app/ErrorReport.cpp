#include "app/ErrorReport.h"

#include "app/UserDialogs.h"

QString EscapedErrorText(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QString();
    }
}

void RunReportingErrors(UserDialogs& dialogs, QWidget* owner, const std::function<void()>& work) {
    try {
        work();
    } catch (...) {
        const QString text = EscapedErrorText(std::current_exception());
        try {
            dialogs.ShowErrorReport(owner, text);
        } catch (...) {
            // The report itself failed (out of memory, say); there is nowhere left to show it.
        }
    }
}
