#include "ctl/Commands.h"

#include <cstdlib>
#include <memory>
#include <ostream>

#include "config/CheckedArithmetic.h"
#include "config/Units.h"
#include "config/ZeroCorrection.h"
#include "ctl/ToolError.h"
#include "ctl/Values.h"
#include "files/ConfigFile.h"
#include "history/Steps.h"
#include "platform/AtomicFile.h"
#include "platform/Text.h"
#include "polling/Link.h"

namespace ctl {
namespace {

std::string Replace(std::string text, const std::string& what, const std::string& with) {
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

DisplayUnit UnitFor(const Options& o, float gravity) { return MakeUnit(o.unit, gravity); }

nlohmann::json OutputsJson(const config::DeviceConfiguration& c, const DisplayUnit& unit) {
    nlohmann::json outputs = nlohmann::json::array();
    for (size_t i = 0; i < config::OutputCount; ++i) {
        const config::OutputRecord& r = c.outputs[i];
        outputs.push_back({{"output", i + 1},
                           {"mode", r.mode},
                           {"mode_name", ModeName(r.mode)},
                           {"lower_pa", JsonNumber(r.lower)},
                           {"higher_pa", JsonNumber(r.higher)},
                           {"lower", ShownNumber(r.lower, unit)},
                           {"higher", ShownNumber(r.higher, unit)}});
    }
    return outputs;
}

}  // namespace

nlohmann::json ConfigurationJson(const config::DeviceConfiguration& c, const DisplayUnit& unit) {
    nlohmann::json j;
    j["unit"] = unit.text;
    j["nominal_range_pa"] = JsonNumber(c.nominalRange);
    j["nominal_range"] = ShownNumber(c.nominalRange, unit);
    j["specific_gravity"] = c.specificGravityErased ? nlohmann::json() : JsonNumber(c.specificGravity);
    j["outputs"] = OutputsJson(c, unit);
    j["erased"] = ErasedFields(c);
    return j;
}

nlohmann::json DifferencesJson(const std::vector<FieldDifference>& differences, const DisplayUnit& unit) {
    nlohmann::json list = nlohmann::json::array();
    for (const FieldDifference& d : differences) {
        nlohmann::json entry = {{"field", d.field}};
        if (d.kind == FieldDifference::Threshold) {
            entry["file_pa"] = JsonNumber(d.expectedValue);
            entry["transmitter_pa"] = JsonNumber(d.actualValue);
            entry["file"] = ShownNumber(d.expectedValue, unit);
            entry["transmitter"] = ShownNumber(d.actualValue, unit);
        } else {
            entry["file"] = JsonNumber(d.expectedValue);
            entry["transmitter"] = JsonNumber(d.actualValue);
        }
        list.push_back(entry);
    }
    return list;
}

std::string Who(const Target& t) { return "transmitter " + std::to_string(t.serial); }

std::string GravityText(const config::DeviceConfiguration& c) {
    return c.specificGravityErased ? "erased" : ExactText(c.specificGravity) + " kg/m3";
}

namespace {

void ConfigurationTable(std::ostream& out, const config::DeviceConfiguration& c, const DisplayUnit& unit) {
    out << "nominal range     " << Show(c.nominalRange, unit) << "\n";
    out << "specific gravity  " << GravityText(c);
    if (!config::IsValidSpecificGravity(c.specificGravity)) out << " (out of range: the window takes 1000)";
    out << "\n";
    out << "output  mode           lower          higher\n";
    for (size_t i = 0; i < config::OutputCount; ++i) {
        const config::OutputRecord& r = c.outputs[i];
        char line[160];
        std::snprintf(line, sizeof line, "%-7zu %-14s %-14s %s\n", i + 1, ModeName(r.mode).c_str(),
                      Show(r.lower, unit).c_str(), Show(r.higher, unit).c_str());
        out << line;
    }
}

}  // namespace

config::DeviceConfiguration ReadWhole(Session& session, const Target& target, const std::string& purpose,
                                      bool verifying, std::string* failedStep) {
    auto image = std::make_unique<config::EepromImage>();
    config::ConfigurationCollector collector;
    try {
        config::ReadConfiguration(session.link(), target.index, *image, collector);
    } catch (const device::DeviceError& e) {
        const std::string where = history::ReadStepName(collector);
        if (failedStep) *failedStep = purpose + ": " + where;
        throw ToolError(ExitNoAnswer, Who(target) + ": " + purpose + " stopped at " + where + " (" + e.what() + ")" +
                                        (verifying ? ": " + where + " and the fields after it not verified" : "") +
                                        "; check the cable and retry");
    }
    return collector.configuration;
}

int ListCommand(Session& session, const Options& options, std::ostream& out) {
    const uint32_t count = session.Count();
    nlohmann::json list = nlohmann::json::array();
    int exit = ExitSuccess;
    for (uint32_t i = 0; i < count; ++i) {
        nlohmann::json entry = {{"index", i}, {"ok", true}, {"error", nullptr}};
        try {
            const Target t = session.Connect(i);
            entry["serial"] = t.serial;
            if (!options.json) out << i << " " << t.serial << "\n";
        } catch (const ToolError& e) {
            entry["serial"] = nullptr;
            entry["ok"] = false;
            entry["error"] = e.what();
            if (!options.json) out << i << " - (" << e.what() << ")\n";
            exit = std::max(exit, e.exitCode());
        }
        list.push_back(entry);
    }
    if (options.json) out << list.dump(2) << "\n";
    // An empty JSON list says "none attached" on stdout; the exit code says it too.
    if (count == 0) {
        if (options.json) return ExitNoAccess;
        throw ToolError(ExitNoAccess, "no transmitter is attached (or this user may not open it: README \"USB access\")");
    }
    return exit;
}

int InfoCommand(Session& session, const Target& target, const Options& options, Report& report) {
    const config::DeviceConfiguration c = ReadWhole(session, target, "the read");
    float offset = 0, value = 0;
    try {
        offset = config::ReadZeroOffset(session.link());
        value = polling::ReadLiveValue(session.link());
    } catch (const device::DeviceError& e) {
        throw ToolError(ExitNoAnswer, Who(target) + ": the zero offset or live value did not come (" +
                                        std::string(e.what()) + ")");
    }
    const DisplayUnit unit = UnitFor(options, c.specificGravity);
    if (options.json) {
        report.json = {{"unit", unit.text},
                       {"nominal_range_pa", JsonNumber(c.nominalRange)},
                       {"specific_gravity", c.specificGravityErased ? nlohmann::json() : JsonNumber(c.specificGravity)},
                       {"zero_offset_pa", JsonNumber(offset)}, {"value_pa", JsonNumber(value)},
                       {"nominal_range", ShownNumber(c.nominalRange, unit)}, {"zero_offset", ShownNumber(offset, unit)},
                       {"value", ShownNumber(value, unit)}};
        return ExitSuccess;
    }
    report.out << "serial number     " << target.serial << "\n"
               << "nominal range     " << Show(c.nominalRange, unit) << "\n"
               << "specific gravity  " << GravityText(c) << "\n"
               << "zero offset       " << Show(offset, unit) << "\n"
               << "live value        " << Show(value, unit) << "\n";
    return ExitSuccess;
}

int ReadCommand(Session& session, const Target& target, const Options& options, Report& report) {
    const config::DeviceConfiguration c = ReadWhole(session, target, "the read", false, &report.record.failedStep);
    report.record.asFound = report.record.asLeft = c;
    const DisplayUnit unit = UnitFor(options, c.specificGravity);
    if (!options.output.empty()) {
        const std::string path = Replace(options.output, "{serial}", std::to_string(target.serial));
        if (const std::vector<std::string> erased = ErasedFields(c); !erased.empty()) {
            std::string fields;
            for (const std::string& f : erased) fields += (fields.empty() ? "" : ", ") + f;
            throw ToolError(ExitDevice, Who(target) + ": " + fields + (erased.size() == 1 ? " is" : " are") +
                                            " erased; no file written (write a configuration first)");
        }
        if (!platform::WriteFileAtomically(path, files::FormatConfigFile(ToFileContent(c, options.type == "height"))))
            throw ToolError(ExitUsage, "cannot write " + path + "; check the folder, its permissions and the free space");
        if (!config::IsValidSpecificGravity(c.specificGravity))
            report.warnings.push_back(Who(target) + ": specific gravity " + GravityText(c) +
                                      " is out of range; the file holds 1000, as the window would");
        if (options.json) report.json = {{"file", path}};
        else report.out << Who(target) << ": configuration written to " << path << "\n";
        return ExitSuccess;
    }
    if (options.json) {
        report.json = ConfigurationJson(c, unit);
        return ExitSuccess;
    }
    report.out << "serial number     " << target.serial << "\n";
    ConfigurationTable(report.out, c, unit);
    return ExitSuccess;
}

int DiffCommand(Session& session, const Target& target, const Options& options, const ConfigSource& source,
                Report& report) {
    const config::DeviceConfiguration c = ReadWhole(session, target, "the read");
    const DisplayUnit unit = UnitFor(options, c.specificGravity);
    const std::vector<FieldDifference> differences = Compare(source.file, c, unit);
    if (options.json) {
        report.json = {{"file", source.name}, {"sha256", source.sha256}, {"equal", differences.empty()},
                       {"unit", unit.text}, {"differences", DifferencesJson(differences, unit)}};
    } else {
        for (const FieldDifference& d : differences)
            report.out << d.field << ": file " << d.expected << ", transmitter " << d.actual << "\n";
        if (differences.empty()) report.out << Who(target) << " holds " << source.name << "\n";
    }
    return differences.empty() ? ExitSuccess : ExitDevice;
}

}  // namespace ctl
