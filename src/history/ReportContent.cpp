// Which records a report is made from; apart from the report's text, so that a program that only
// chooses (the tool, before it loads the renderer) links no catalogue.
#include "history/Report.h"

namespace history {

std::optional<ReportContent> ChooseReportContent(const std::vector<Record>& newestFirst) {
    std::optional<ReportContent> content;
    const Record* configuration = nullptr;
    for (const Record& r : newestFirst)
        if (r.operation == Operation::Write && r.asLeft) {
            configuration = &r;
            break;
        }
    if (configuration == nullptr)
        for (const Record& r : newestFirst)
            if (r.asLeft) {
                configuration = &r;
                break;
            }
    if (configuration == nullptr || !configuration->serial) return content;
    content = ReportContent{*configuration->serial, *configuration, std::nullopt};
    for (const Record& r : newestFirst)
        if (r.operation == Operation::ZeroCorrection) {
            content->zero = r;
            break;
        }
    if (content->configuration.tag.empty())  // a tag given to another record of the unit
        for (const Record& r : newestFirst)
            if (!r.tag.empty()) {
                content->configuration.tag = r.tag;
                break;
            }
    return content;
}

}  // namespace history
