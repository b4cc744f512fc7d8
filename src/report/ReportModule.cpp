// kd4410-report.so: the PDF renderer for kd4410ctl, which loads it only for `report`, so that no
// other command loads Qt. Runs Qt offscreen when the tool has no display.
#include <QGuiApplication>
#include <cstdlib>
#include <memory>
#include <string>

#include "report/PdfReport.h"

extern "C" __attribute__((visibility("default"))) bool kd4410WriteReportPdf(const char* html, const char* path,
                                                                            std::string* error) {
    std::unique_ptr<QGuiApplication> application;
    if (QCoreApplication::instance() == nullptr) {
        if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "kd4410ctl";
        static char* argv[] = {name, nullptr};
        application = std::make_unique<QGuiApplication>(argc, argv);
    }
    *error = report::WritePdf(html, path);
    return error->empty();
}
