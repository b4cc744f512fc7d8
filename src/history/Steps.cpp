#include "history/Steps.h"

namespace history {

std::string ReadStepName(const config::ConfigurationCollector& collector) {
    if (!collector.blocksRead) return "the nominal range and specific gravity";
    if (collector.fieldsRead >= 12) return "the closing command";
    static const char* const fields[] = {"lower value", "higher value", "mode"};
    return "output " + std::to_string(collector.fieldsRead / 3 + 1) + " " + fields[collector.fieldsRead % 3];
}

std::string WriteStepName(config::WriteStage stage) {
    static const char* const names[] = {
        "specific gravity and outputs 1-4 not written", "specific gravity and outputs 1-4 not verified",
        "specific gravity written, outputs 1-4 not verified", "all written, the closing command failed", "done"};
    return names[static_cast<int>(stage)];
}

}  // namespace history
