// Entry point: the application, the main window, the About box, the message loop.
#include <QApplication>
#include <QLocale>

#include "app/ErrorReport.h"
#include "app/MainF.h"
#include "app/Oprog.h"
#include "platform/TerminationSignals.h"
#include "app/ToolkitArguments.h"
#include "app/ChooseLanguage.h"
#include "platform/NumberText.h"

int main(int argc, char** argv) {
    static char fallbackName[] = "kd4410";
    ToolkitArguments toolkit(argc > 0 && argv[0] != nullptr ? argv[0] : fallbackName);
    QApplication application(toolkit.argc, toolkit.argv);
    application.setApplicationName(QStringLiteral("kd4410"));
    // No application display name: Qt would append it to every window title.
    application.setDesktopFileName(QStringLiteral(KD4410_APP_ID));  // matches the desktop entry
    const QString separator = QLocale::system().decimalPoint();
    if (!separator.isEmpty()) platform::SetDecimalSeparator(separator.front().unicode());

    // Errors escaping creation or the loop end in the standard report; the result is 0 regardless.
    QtUserDialogs reportDialogs;
    RunReportingErrors(reportDialogs, nullptr, [] {
        TMainF window;
        TerminationSignals closeOnSignal(&window);
        TOProgramu about(&window);
        TformChooseLanguage chooser(&window);
        window.show();
        QApplication::exec();
    });
    return 0;
}
