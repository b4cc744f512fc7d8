// The commissioning report as a one-page A4 PDF, through Qt's text layout and PDF writer: the
// one renderer of the window and (loaded as the module kd4410-report.so) of the tool.
#pragma once

#include <string>

namespace report {

// Writes html as an A4 PDF to path; "" or why not. Needs a QGuiApplication.
std::string WritePdf(const std::string& html, const std::string& path);

}  // namespace report
