// Entry point: the application, the main window, the About box, the message loop.
#include <QApplication>
#include <QLocale>

#include "app/ErrorReport.h"
#include "app/MainF.h"
#include "app/Oprog.h"
#include "app/TerminationSignals.h"
#include "lang/ChooseLanguage.h"
#include "platform/NumberText.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("kd4410"));
    application.setApplicationDisplayName(QStringLiteral("KD4410 User Software"));
    application.setDesktopFileName(QStringLiteral("kd4410"));
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
