// The commands that change a transmitter: write (read, check, write, read back, verify) and
// zero. Both stop cleanly on Ctrl-C, SIGTERM or SIGHUP: the exchange in flight is finished,
// nothing further is written, and what the transmitter holds is reported.
#include <cmath>
#include <memory>
#include <ostream>

#include "config/CheckedArithmetic.h"
#include "config/Units.h"
#include "config/ZeroCorrection.h"
#include "ctl/Commands.h"
#include "ctl/Interrupt.h"
#include "ctl/ToolError.h"
#include "ctl/Watch.h"
#include "history/Steps.h"
#include "platform/Text.h"
#include "polling/Link.h"

namespace ctl {
namespace {

std::string Now() { return LocalIsoTime(std::chrono::system_clock::now()); }

bool Same(float a, float b) { return a == b; }

struct FieldState {
    std::string field;
    std::string status;  // verified, written but not verified, not written, not verified (reads ...)
};

// What each field that was to change holds now. sentGravity and sentOutputs: their frames went
// out (an exchange that failed may still have reached the EEPROM).
std::vector<FieldState> FieldStates(const std::vector<FieldDifference>& changes,
                                    const std::optional<config::DeviceConfiguration>& after,
                                    const files::StrictConfigFile& file, const DisplayUnit& unit, bool sentGravity,
                                    bool sentOutputs) {
    std::vector<FieldState> states;
    std::vector<FieldDifference> wrong;
    if (after) wrong = Compare(file, *after, unit);
    for (const FieldDifference& change : changes) {
        const bool sent = change.kind == FieldDifference::Gravity ? sentGravity : sentOutputs;
        std::string status;
        if (!after) {
            status = sent ? "written but not verified" : "not written";
        } else {
            status = "verified";
            for (const FieldDifference& w : wrong)
                if (w.field == change.field)
                    status = Same(w.actualValue, change.actualValue) ? "not written"
                                                                     : "not verified (reads " + w.actual + ")";
        }
        states.push_back({change.field, status});
    }
    return states;
}

}  // namespace

int WriteCommand(Session& session, const Target& target, const Options& options, const ConfigSource& source,
                 Report& report) {
    const files::StrictConfigFile& file = source.file;
    report.record.fileName = source.name;
    report.record.fileSha256 = source.sha256;
    const config::DeviceConfiguration before =
        ReadWhole(session, target, "the read before writing", false, &report.record.failedStep);
    report.record.asFound = before;
    CheckAgainstTransmitter(source, before.nominalRange);
    const DisplayUnit unit = MakeUnit(options.unit, file.specificGravity);
    const std::vector<FieldDifference> changes = Compare(file, before, unit);
    report.json = {{"file", source.name}, {"sha256", source.sha256}, {"unit", unit.text},
                   {"found", ConfigurationJson(before, unit)}, {"changes", DifferencesJson(changes, unit)},
                   {"written", false}, {"verified", false}};
    if (changes.empty()) {
        // Nothing to write: the EEPROM is spared a write cycle.
        report.out << Who(target) << ": already holds " << source.name << "\n";
        report.json["already_held"] = true;
        report.json["verified"] = true;
        report.record.asLeft = before;
        report.record.result = history::Result::Verified;
        return ExitSuccess;
    }
    for (const FieldDifference& d : changes) report.out << d.field << ": " << d.actual << " -> " << d.expected << "\n";
    if (options.dryRun) {
        report.json["dry_run"] = true;
        report.record.asLeft = before;
        return ExitSuccess;
    }
    if (StopAsked()) throw ToolError(ExitInterrupted, Who(target) + ": interrupted before writing; nothing written");

    auto image = std::make_unique<config::EepromImage>();
    config::WriteStage stage = config::WriteStage::Opening;
    bool stopped = false;
    std::string failure;
    report.json["written_at"] = Now();
    try {
        config::WriteConfiguration(
            session.link(), target.index, [&file] { return file.specificGravity; }, file.outputs, *image, &stage,
            [] { return StopAsked(); });
    } catch (const config::WriteStopped&) {
        stopped = true;
    } catch (const device::DeviceError& e) {
        failure = e.what();
    }
    using config::WriteStage;
    const bool sentGravity = stage > WriteStage::SpecificGravity || (stage == WriteStage::SpecificGravity && !stopped);
    const bool sentOutputs = stage > WriteStage::Outputs || (stage == WriteStage::Outputs && !stopped);
    report.json["written"] = sentGravity;

    std::optional<config::DeviceConfiguration> after;
    std::string readBackFailure;
    try {
        after = ReadWhole(session, target, "the read-back", true, &report.record.failedStep);
        report.record.asLeft = after;
        report.json["verified_at"] = Now();
        report.json["holds"] = ConfigurationJson(*after, unit);
    } catch (const ToolError& e) {
        readBackFailure = e.what();
    }
    const std::vector<FieldState> states = FieldStates(changes, after, file, unit, sentGravity, sentOutputs);
    bool allVerified = true;
    nlohmann::json fields = nlohmann::json::array();
    for (const FieldState& s : states) {
        allVerified = allVerified && s.status == "verified";
        fields.push_back({{"field", s.field}, {"status", s.status}});
    }
    report.json["fields"] = fields;
    report.json["verified"] = allVerified && !stopped && failure.empty();
    if (!failure.empty()) report.record.failedStep = "the write: " + history::WriteStepName(stage);
    else if (stopped) report.record.failedStep = "the write: interrupted";
    if (allVerified && !stopped && failure.empty()) {
        report.record.result = history::Result::Verified;
        report.out << Who(target) << ": written and verified\n";
        return ExitSuccess;
    }
    for (const FieldState& s : states) report.out << "  " << s.field << ": " << s.status << "\n";
    if (stopped)
        throw ToolError(ExitInterrupted, Who(target) + ": interrupted; " +
                                             (sentGravity ? "the write stopped half-way" : "nothing written") +
                                             ", the fields above say what the transmitter holds");
    if (!failure.empty()) {
        static const char* const notWritten[] = {
            "specific gravity and outputs 1-4 not written", "specific gravity and outputs 1-4 not verified",
            "specific gravity written, outputs 1-4 not verified", "all written, the closing command failed"};
        throw ToolError(ExitNoAnswer, Who(target) + ": the write failed (" + failure + "): " +
                                          notWritten[static_cast<int>(stage)] + "; retry the write");
    }
    if (!after) throw ToolError(ExitNoAnswer, readBackFailure);
    std::string wrong;
    for (const FieldDifference& d : Compare(file, *after, unit))
        wrong += (wrong.empty() ? "" : ", ") + d.field + " (wrote " + d.expected + ", reads " + d.actual + ")";
    report.record.failedStep = "verification: " + wrong;
    throw ToolError(ExitDevice, Who(target) + ": not verified: " + wrong + "; retry the write");
}

int ZeroCommand(Session& session, const Target& target, const Options& options, Report& report, Question ask) {
    float gravity = config::DefaultSpecificGravity;
    if (IsLengthUnit(options.unit))
        gravity = ReadWhole(session, target, "the read of the specific gravity").specificGravity;
    const DisplayUnit unit = MakeUnit(options.unit, gravity);
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
        report.json = {{"unit", unit.text}, {"measured_at", Now()}, {"offset_pa", JsonNumber(readings.offset)},
                       {"r1_pa", JsonNumber(readings.r1)}, {"r2_pa", JsonNumber(readings.r2)},
                       {"zero_error", JsonNumber(error)}, {"written", false}, {"verified", false}};
        auto keep = [&](int code, const std::string& why) {
            report.record.failedStep = history::ZeroClosingStep;
            config::DeclineZeroCorrection(link);
            report.record.failedStep = why;
            report.record.zeroOffsetAfter = readings.offset;
            throw ToolError(code, Who(target) + ": " + why + "; nothing written, the offset stays " +
                                      Show(readings.offset, unit));
        };
        if (options.maxError && !(std::fabs(static_cast<double>(error)) <= *options.maxError))
            keep(ExitDevice, "the zero error " + shown + " exceeds --max-error " +
                                 ExactText(static_cast<float>(*options.maxError)) + " " + unit.text +
                                 " (is the transmitter at zero pressure?)");
        if (StopAsked()) keep(ExitInterrupted, "interrupted");
        bool yes = options.yes;
        if (!yes) yes = ask("Would you like to fix this error? [y/N] ").value_or(false);
        if (StopAsked()) keep(ExitInterrupted, "interrupted");
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
        report.record.failedStep = "the read-back of the new offset";
        report.record.zeroOffsetAfter = offset;
        report.json["written"] = true;
        report.json["written_at"] = Now();
        report.json["new_offset_pa"] = JsonNumber(offset);
        const float holds = config::ReadZeroOffset(link);
        report.json["verified"] = Same(holds, offset);
        report.record.failedStep.clear();
        if (!Same(holds, offset)) {
            report.record.failedStep = "verification: the offset reads back as " + ExactText(holds) + " Pa";
            throw ToolError(ExitDevice, Who(target) + ": the new offset " + ExactText(offset) +
                                            " Pa was written but reads back as " + ExactText(holds) + " Pa");
        }
        report.record.result = history::Result::Verified;
        report.out << Who(target) << ": old offset " << Show(readings.offset, unit) << " ("
                   << ExactText(readings.offset) << " Pa), new offset " << Show(offset, unit) << " ("
                   << ExactText(offset) << " Pa), verified\n";
        return ExitSuccess;
    } catch (const device::DeviceError& e) {
        throw ToolError(ExitNoAnswer, Who(target) + ": the zero correction failed (" + e.what() + "); retry it");
    } catch (const config::ZeroCorrectionError& e) {
        throw ToolError(ExitDevice, Who(target) + ": the zero correction failed (" + e.what() +
                                        "); nothing written; check the transmitter");
    } catch (const config::ArithmeticError& e) {
        throw ToolError(ExitDevice, Who(target) + ": the zero correction failed (" + e.what() + "); nothing written");
    }
}

}  // namespace ctl
