// kd4410-report.so: the commissioning report for kd4410ctl, which loads it only for `report`, so
// that no other command loads Qt or the catalogue. Runs Qt offscreen when there is no display.
#include <QGuiApplication>
#include <cstdlib>
#include <memory>
#include <string>

#include "history/Report.h"
#include "lang/Lang.h"
#include "report/PdfReport.h"

// The report of content in the language with index language (of the catalogue beside the
// executable) as a PDF at path; false and why in error when it cannot be written.
extern "C" __attribute__((visibility("default"))) bool kd4410WriteReport(const history::ReportContent* content,
                                                                         const history::ReportUnit* unit,
                                                                         int32_t language, const char* path,
                                                                         std::string* error) {
    lang::Language = language;
    lang::LoadLanguageList();
    lang::LoadLanguageFile();
    std::unique_ptr<QGuiApplication> application;
    if (QCoreApplication::instance() == nullptr) {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "kd4410ctl";
        static char* argv[] = {name, nullptr};
        application = std::make_unique<QGuiApplication>(argc, argv);
    }
    *error = report::WritePdf(history::ReportHtml(*content, *unit), path);
    return error->empty();
}
