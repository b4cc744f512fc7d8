// The commissioning report of one transmitter, from its latest records: what was done, as found
// and as left, the zero, the verification and lines to sign. Made here as HTML in the language
// in force, so that the window and the tool print the same page (the PDF renderer is Qt's).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "history/Record.h"

namespace history {

struct ReportUnit {
    float factor = 0.001f;  // display units per Pa
    int decimals = 3;
    std::string text = "kPa";
};

struct ReportContent {
    uint16_t serial = 0;
    Record configuration;        // the latest write (else read) with the configuration as left
    std::optional<Record> zero;  // the latest zero correction
};

// From the records of one transmitter, newest first; nothing when none holds a configuration.
std::optional<ReportContent> ChooseReportContent(const std::vector<Record>& newestFirst);

// A one-page HTML document (UTF-8), texts through the catalogue in force.
std::string ReportHtml(const ReportContent& content, const ReportUnit& unit);

}  // namespace history
