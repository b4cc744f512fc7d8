#include "ctl/Fleet.h"

#include <latch>
#include <sstream>
#include <thread>

#include "ctl/ToolError.h"

namespace ctl {

UnitOutcome RunOnUnit(const std::string& libraryPath, uint32_t index, const UnitCommand& command,
                      std::ostream* direct) {
    UnitOutcome outcome;
    outcome.index = index;
    std::ostringstream text;
    Report report{direct ? *direct : text, nlohmann::json::object(), {}, {}};
    try {
        Session session(libraryPath);
        session.Load();
        const Target target = session.Connect(index);
        outcome.serial = target.serial;
        outcome.code = command(session, target, report);
    } catch (const ToolError& e) {
        outcome.code = e.exitCode();
        outcome.error = e.what();
    } catch (const std::exception& e) {
        // Anything else (out of memory, a thread that cannot start) ends this unit only.
        outcome.code = ExitDevice;
        outcome.error = "transmitter at index " + std::to_string(index) + ": " + e.what();
    }
    outcome.text = text.str();
    outcome.warnings = std::move(report.warnings);
    outcome.json = std::move(report.json);
    return outcome;
}

std::vector<UnitOutcome> RunOnUnits(const std::string& libraryPath, const std::vector<uint32_t>& indexes,
                                    const UnitCommand& command) {
    std::vector<UnitOutcome> outcomes(indexes.size());
    {
        std::vector<std::jthread> threads;
        threads.reserve(indexes.size());
        for (size_t i = 0; i < indexes.size(); ++i)
            threads.emplace_back([&, i] { outcomes[i] = RunOnUnit(libraryPath, indexes[i], command); });
    }  // joined here
    return outcomes;
}

std::optional<UnitOutcome> RunOnSerial(const std::string& libraryPath, uint32_t count, uint16_t serial,
                                       const UnitCommand& command, std::ostream* direct) {
    constexpr int NotChosen = -1;
    std::vector<std::optional<uint16_t>> serials(count);
    std::vector<UnitOutcome> outcomes(count);
    std::latch connected(count);
    // Read after the latch, when every serial number is in.
    auto chosen = [&]() -> std::optional<uint32_t> {
        for (uint32_t i = 0; i < count; ++i)
            if (serials[i] == serial) return i;
        return std::nullopt;
    };
    {
        std::vector<std::jthread> threads;
        threads.reserve(count);
        for (uint32_t i = 0; i < count; ++i)
            threads.emplace_back([&, i] {
                bool counted = false;
                outcomes[i] = RunOnUnit(
                    libraryPath, i,
                    [&, i](Session& session, const Target& target, Report& report) {
                        serials[i] = target.serial;
                        counted = true;
                        connected.arrive_and_wait();
                        return chosen() == i ? command(session, target, report) : NotChosen;
                    },
                    direct);
                if (!counted) connected.count_down();  // it did not connect: not the one
            });
    }
    const std::optional<uint32_t> found = chosen();
    if (!found) return std::nullopt;
    return std::move(outcomes[*found]);
}

std::string Category(const UnitOutcome& outcome, bool comparing) {
    switch (outcome.code) {
        case ExitSuccess: return "ok";
        case ExitDevice: return comparing && outcome.error.empty() ? "differs" : "failed";
        case ExitNoAnswer: return "not answering";
        case ExitInterrupted: return "interrupted";
        default: return "failed";
    }
}

std::string FleetSummary(const std::vector<UnitOutcome>& outcomes, bool comparing) {
    const std::vector<std::pair<std::string, std::string>> groups = {
        {"ok", comparing ? "equal" : "ok"},
        {"differs", "differing"},
        {"failed", "failed"},
        {"not answering", "not answering"},
        {"interrupted", "interrupted"}};
    std::string line = std::to_string(outcomes.size()) + " transmitters:";
    bool first = true;
    for (const auto& [category, label] : groups) {
        std::string who;
        size_t n = 0;
        for (const UnitOutcome& o : outcomes) {
            if (Category(o, comparing) != category) continue;
            ++n;
            who += (who.empty() ? "" : ", ") +
                   (o.serial ? std::to_string(*o.serial) : "index " + std::to_string(o.index));
        }
        if (category == "interrupted" && n == 0) continue;
        if (category == "differs" && !comparing) continue;
        line += std::string(first ? " " : ", ") + std::to_string(n) + " " + label + (n ? " (" + who + ")" : "");
        first = false;
    }
    return line;
}

nlohmann::json UnitJson(const UnitOutcome& o) {
    nlohmann::json j = {{"index", o.index},
                        {"serial", o.serial ? nlohmann::json(*o.serial) : nlohmann::json()},
                        {"ok", o.code == ExitSuccess},
                        {"exit", o.code},
                        {"error", o.error.empty() ? nlohmann::json() : nlohmann::json(o.error)}};
    for (auto& [key, value] : o.json.items()) j[key] = value;
    return j;
}

}  // namespace ctl
