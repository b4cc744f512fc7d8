// The one place where an error that escapes an event handler is reported. Every handler bound
// to a Qt signal or event runs through RunReportingErrors, so no exception crosses the event loop.
#pragma once

#include <QString>
#include <exception>
#include <functional>

class QWidget;
class UserDialogs;

// The text an escaped error is reported with: what() of a standard exception, else empty.
QString EscapedErrorText(std::exception_ptr error);

// Runs work; an exception that leaves it is shown in the error report of dialogs.
void RunReportingErrors(UserDialogs& dialogs, QWidget* owner, const std::function<void()>& work);
