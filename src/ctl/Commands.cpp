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
#include "history/Sha256.h"
#include "history/Steps.h"
#include "platform/AtomicFile.h"
#include "platform/Text.h"
#include "polling/Link.h"

namespace ctl {
namespace {

std::string Who(const Target& t) { return "transmitter " + std::to_string(t.serial); }

std::string Replace(std::string text, const std::string& what, const std::string& with) {
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

DisplayUnit UnitFor(const Options& o, float gravity) { return MakeUnit(o.unit, gravity); }

// The number as shown, with the unit's decimals (JSON carries both that and the value in Pa).
double Shown(float devicePa, const DisplayUnit& unit) {
    const std::string text = Show(devicePa, unit);
    return std::strtod(text.c_str(), nullptr);
}

nlohmann::json OutputsJson(const config::DeviceConfiguration& c, const DisplayUnit& unit) {
    nlohmann::json outputs = nlohmann::json::array();
    for (size_t i = 0; i < config::OutputCount; ++i) {
        const config::OutputRecord& r = c.outputs[i];
        outputs.push_back({{"output", i + 1},
                           {"mode", r.mode},
                           {"mode_name", ModeName(r.mode)},
                           {"lower_pa", r.lower},
                           {"higher_pa", r.higher},
                           {"lower", Shown(r.lower, unit)},
                           {"higher", Shown(r.higher, unit)}});
    }
    return outputs;
}

void ConfigurationJson(nlohmann::json& j, const config::DeviceConfiguration& c, const DisplayUnit& unit) {
    j["unit"] = unit.text;
    j["nominal_range_pa"] = c.nominalRange;
    j["nominal_range"] = Shown(c.nominalRange, unit);
    j["specific_gravity"] = c.specificGravity;
    j["outputs"] = OutputsJson(c, unit);
}

void ConfigurationTable(std::ostream& out, const config::DeviceConfiguration& c, const DisplayUnit& unit) {
    out << "nominal range     " << Show(c.nominalRange, unit) << "\n";
    out << "specific gravity  " << ExactText(c.specificGravity) << " kg/m3";
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
        throw ToolError(ExitDevice, Who(target) + ": " + purpose + " stopped at " + where + " (" + e.what() + ")" +
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
        nlohmann::json entry = {{"index", i}};
        try {
            const Target t = session.Connect(i);
            entry["serial"] = t.serial;
            if (!options.json) out << i << " " << t.serial << "\n";
        } catch (const ToolError& e) {
            entry["serial"] = nullptr;
            entry["error"] = e.what();
            if (!options.json) out << i << " - (" << e.what() << ")\n";
            exit = std::max(exit, e.exitCode() == ExitNoAccess ? int(ExitNoAccess) : int(ExitDevice));
        }
        list.push_back(entry);
    }
    if (options.json) out << list.dump(2) << "\n";
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
        throw ToolError(ExitDevice, Who(target) + ": the zero offset or live value did not come (" +
                                        std::string(e.what()) + ")");
    }
    const DisplayUnit unit = UnitFor(options, c.specificGravity);
    if (options.json) {
        report.json = {{"index", target.index}, {"serial", target.serial}, {"unit", unit.text},
                       {"nominal_range_pa", c.nominalRange}, {"specific_gravity", c.specificGravity},
                       {"zero_offset_pa", offset}, {"value_pa", value},
                       {"nominal_range", Shown(c.nominalRange, unit)}, {"zero_offset", Shown(offset, unit)},
                       {"value", Shown(value, unit)}};
        return ExitSuccess;
    }
    report.out << "serial number     " << target.serial << "\n"
               << "nominal range     " << Show(c.nominalRange, unit) << "\n"
               << "specific gravity  " << ExactText(c.specificGravity) << " kg/m3\n"
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
        if (!platform::WriteFileAtomically(path, files::FormatConfigFile(ToFileContent(c, options.type == "height"))))
            throw ToolError(ExitUsage, "cannot write " + path + "; check the folder and its permissions");
        if (!config::IsValidSpecificGravity(c.specificGravity))
            report.out << Who(target) << ": specific gravity " << ExactText(c.specificGravity)
                       << " is out of range; the file holds 1000, as the window would\n";
        if (options.json) report.json = {{"index", target.index}, {"serial", target.serial}, {"file", path}};
        else report.out << Who(target) << ": configuration written to " << path << "\n";
        return ExitSuccess;
    }
    if (options.json) {
        report.json = {{"index", target.index}, {"serial", target.serial}};
        ConfigurationJson(report.json, c, unit);
        return ExitSuccess;
    }
    report.out << "serial number     " << target.serial << "\n";
    ConfigurationTable(report.out, c, unit);
    return ExitSuccess;
}

int DiffCommand(Session& session, const Target& target, const Options& options, Report& report) {
    const WritableConfiguration file = LoadForWriting(options.file);
    const config::DeviceConfiguration c = ReadWhole(session, target, "the read");
    const std::vector<FieldDifference> differences = Compare(file, c, UnitFor(options, c.specificGravity));
    if (options.json) {
        nlohmann::json list = nlohmann::json::array();
        for (const FieldDifference& d : differences)
            list.push_back({{"field", d.field}, {"file", d.expected}, {"transmitter", d.actual}});
        report.json = {{"index", target.index}, {"serial", target.serial}, {"file", options.file},
                       {"equal", differences.empty()}, {"differences", list}};
    } else {
        for (const FieldDifference& d : differences)
            report.out << d.field << ": file " << d.expected << ", transmitter " << d.actual << "\n";
        if (differences.empty()) report.out << Who(target) << " holds " << options.file << "\n";
    }
    return differences.empty() ? ExitSuccess : ExitDevice;
}

int WriteCommand(Session& session, const Target& target, const Options& options, Report& report) {
    const WritableConfiguration file = LoadForWriting(options.file);
    report.record.fileName = options.file;
    report.record.fileSha256 = history::FileSha256Hex(options.file).value_or("");
    const config::DeviceConfiguration before =
        ReadWhole(session, target, "the read before writing", false, &report.record.failedStep);
    report.record.asFound = report.record.asLeft = before;
    report.record.asLeft.reset();
    const DisplayUnit unit = UnitFor(options, file.specificGravity);
    const std::vector<FieldDifference> changes = Compare(file, before, unit);
    for (const FieldDifference& d : changes)
        report.out << d.field << ": " << d.actual << " -> " << d.expected << "\n";
    if (changes.empty()) report.out << Who(target) << ": nothing changes\n";
    if (options.dryRun) {
        report.record.asLeft = before;
        return ExitSuccess;
    }

    auto image = std::make_unique<config::EepromImage>();
    config::WriteStage stage = config::WriteStage::Opening;
    try {
        config::WriteConfiguration(
            session.link(), target.index, [&file] { return file.specificGravity; }, file.outputs, *image, &stage);
    } catch (const device::DeviceError& e) {
        report.record.failedStep = "the write: " + history::WriteStepName(stage);
        throw ToolError(ExitDevice, Who(target) + ": the write failed (" + e.what() + "): " +
                                        history::WriteStepName(stage) + "; retry the write");
    }
    const config::DeviceConfiguration after =
        ReadWhole(session, target, "the read-back", true, &report.record.failedStep);
    report.record.asLeft = after;
    const std::vector<FieldDifference> wrong = Compare(file, after, unit);
    if (!wrong.empty()) {
        std::string fields;
        for (const FieldDifference& d : wrong)
            fields += (fields.empty() ? "" : ", ") + d.field + " (wrote " + d.expected + ", reads " + d.actual + ")";
        report.record.failedStep = "verification: " + fields;
        throw ToolError(ExitDevice, Who(target) + ": not verified: " + fields + "; retry the write");
    }
    report.record.result = history::Result::Verified;
    report.out << Who(target) << ": written and verified\n";
    return ExitSuccess;
}

int ZeroCommand(Session& session, const Target& target, const Options& options, Report& report, Question ask) {
    float gravity = config::DefaultSpecificGravity;
    if (IsLengthUnit(options.unit)) gravity = ReadWhole(session, target, "the read of the specific gravity").specificGravity;
    const DisplayUnit unit = UnitFor(options, gravity);
    device::TFix64& link = session.link();
    try {
        report.record.failedStep = history::ZeroMeasurementStep;
        const config::ZeroReadings readings = config::MeasureZero(link, target.index);
        report.record.zeroOffsetBefore = readings.offset;
        report.record.zeroError = (readings.r1 + readings.r2) / 2;
        report.record.liveValue = readings.r2;
        report.record.failedStep.clear();
        const float error = config::ZeroError(readings, unit.factor);
        const std::string shown = platform::ToUtf8(config::FormatNumber(error, unit.decimals)) + " " + unit.text;
        report.out << Who(target) << ": Zero error is: " << shown << "\n";
        bool yes = options.yes;
        if (!yes) {
            const std::optional<bool> answer = ask("Would you like to fix this error? [y/N] ");
            yes = answer.value_or(false);
        }
        if (!yes) {
            report.record.failedStep = history::ZeroClosingStep;
            config::DeclineZeroCorrection(link);
            report.record.failedStep.clear();
            report.record.zeroOffsetAfter = readings.offset;
            report.out << Who(target) << ": not corrected; the offset stays " << Show(readings.offset, unit) << "\n";
            return ExitSuccess;
        }
        report.record.failedStep = history::ZeroWriteStep;
        const float offset = config::ApplyZeroCorrection(link, readings);
        report.record.failedStep.clear();
        report.record.zeroOffsetAfter = offset;
        try {  // for the history only: the correction is done whatever this read-back gives
            const float stored = config::ReadZeroOffset(link);
            if (stored == offset) report.record.result = history::Result::Verified;
            else report.record.note = "the offset reads back as " + ExactText(stored) + " Pa";
        } catch (const device::DeviceError&) {
        }
        report.out << Who(target) << ": old offset " << Show(readings.offset, unit) << " ("
                   << ExactText(readings.offset) << " Pa), new offset " << Show(offset, unit) << " ("
                   << ExactText(offset) << " Pa)\n";
        return ExitSuccess;
    } catch (const device::DeviceError& e) {
        throw ToolError(ExitDevice, Who(target) + ": the zero correction failed (" + e.what() + "); retry it");
    } catch (const config::ZeroCorrectionError& e) {
        throw ToolError(ExitDevice, Who(target) + ": the zero correction failed (" + e.what() +
                                        "); nothing written; check the transmitter");
    } catch (const config::ArithmeticError& e) {
        throw ToolError(ExitDevice, Who(target) + ": the zero correction failed (" + e.what() + "); nothing written");
    }
}

}  // namespace ctl
