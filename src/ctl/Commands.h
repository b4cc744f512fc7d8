// The tool's commands. Each per-transmitter command works on the transmitter the session has
// connected, writes its text (or fills its JSON) and returns its exit code; failures raise
// ToolError.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "config/Transfer.h"
#include "ctl/Session.h"
#include "history/Record.h"
#include "ctl/Values.h"

namespace ctl {

struct Options {
    std::optional<uint32_t> device;
    std::optional<uint16_t> serial;
    bool all = false;
    std::string unit = "kPa";
    bool json = false;
    bool simulator = false;
    // read
    std::string output;          // -o FILE; "{serial}" becomes each serial number
    std::string type = "pressure";
    // diff, write
    std::string file;
    bool dryRun = false;
    // zero
    bool yes = false;
    std::optional<double> maxError;  // in the unit chosen
    // watch
    double interval = 1;
    std::optional<uint64_t> count;
    std::optional<double> duration;  // seconds
    std::string csv;
    bool append = false;
};

// What one transmitter's command produced: its text (or JSON fields) and warnings for stderr.
struct Report {
    std::ostream& out;
    nlohmann::json json = nlohmann::json::object();
    std::vector<std::string> warnings;
    history::Record record;  // what read, write and zero did, for the history
};

// How the zero correction asks; nothing when it cannot ask (no terminal).
using Question = std::optional<bool> (*)(const std::string& prompt);

int ListCommand(Session& session, const Options& options, std::ostream& out);
int InfoCommand(Session& session, const Target& target, const Options& options, Report& report);
int ReadCommand(Session& session, const Target& target, const Options& options, Report& report);
int DiffCommand(Session& session, const Target& target, const Options& options, const ConfigSource& source,
                Report& report);
int WriteCommand(Session& session, const Target& target, const Options& options, const ConfigSource& source,
                 Report& report);
int ZeroCommand(Session& session, const Target& target, const Options& options, Report& report, Question ask);

// The configuration read whole; raises ToolError (exit 4) naming the field the read stopped at.
// verifying: the message says which fields were not verified. failedStep, when given, takes
// "purpose: field" on failure.
config::DeviceConfiguration ReadWhole(Session& session, const Target& target, const std::string& purpose,
                                      bool verifying = false, std::string* failedStep = nullptr);

// Shared by the commands' reports.
nlohmann::json ConfigurationJson(const config::DeviceConfiguration& c, const DisplayUnit& unit);
// Each difference with its values as numbers: Pa and the unit for thresholds.
nlohmann::json DifferencesJson(const std::vector<FieldDifference>& differences, const DisplayUnit& unit);
std::string GravityText(const config::DeviceConfiguration& c);
std::string Who(const Target& t);

}  // namespace ctl
