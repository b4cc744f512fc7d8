// Running a command on several transmitters at once: a thread per transmitter, each with its own
// session (its own handle on the USB library and its own TFix64), the outcomes kept per unit so
// that output stays grouped by unit in index order, and the summary that counts them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ctl/Commands.h"

namespace ctl {

struct UnitOutcome {
    uint32_t index = 0;
    std::optional<uint16_t> serial;
    int code = 0;
    std::string text;                   // for stdout
    std::string error;                  // one line for stderr, "" when none
    std::vector<std::string> warnings;  // for stderr
    nlohmann::json json = nlohmann::json::object();
};

using UnitCommand = std::function<int(Session& session, const Target& target, Report& report)>;

// One transmitter: a session of its own, connected, the command run. With direct, the text goes
// there as it is written (for a command that asks on the terminal).
UnitOutcome RunOnUnit(const std::string& libraryPath, uint32_t index, const UnitCommand& command,
                      std::ostream* direct = nullptr);
// Every index at once, a thread each; the outcomes in the order of indexes.
std::vector<UnitOutcome> RunOnUnits(const std::string& libraryPath, const std::vector<uint32_t>& indexes,
                                    const UnitCommand& command);

// The command on the transmitter with the serial number (the lowest index of count, should two
// share it): all are connected at once, and the one found goes on in the same session. Nothing
// when none has it.
std::optional<UnitOutcome> RunOnSerial(const std::string& libraryPath, uint32_t count, uint16_t serial,
                                       const UnitCommand& command, std::ostream* direct = nullptr);

// "ok", "differs" (comparing only), "failed", "not answering" or "interrupted".
std::string Category(const UnitOutcome& outcome, bool comparing);
// "3 transmitters: 2 ok (12345, 12346), 0 differing, 1 failed (12347), 0 not answering".
std::string FleetSummary(const std::vector<UnitOutcome>& outcomes, bool comparing);
// The JSON record of a unit: index, serial, ok, exit, error, then the command's own fields.
nlohmann::json UnitJson(const UnitOutcome& outcome);

}  // namespace ctl
