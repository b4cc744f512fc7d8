#include "ctl/HistoryCommands.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <set>

#include "ctl/ToolError.h"
#include "ctl/Values.h"
#include "files/Settings.h"
#include "history/Changes.h"
#include "history/Report.h"
#include "history/RecordJson.h"
#include "history/Recorder.h"
#include "platform/DynamicLibrary.h"
#include "platform/Folders.h"
#include "platform/Paths.h"

namespace ctl {
namespace {

std::string Optional(const std::optional<float>& value) { return value ? ExactText(*value) : ""; }

std::string FieldText(const history::Field& field, const DisplayUnit& unit) {
    switch (field.kind) {
        case history::FieldKind::Pressure: return Show(field.value, unit);
        case history::FieldKind::Gravity: return ExactText(field.value) + " kg/m3";
        case history::FieldKind::Mode: return ModeName(static_cast<int>(field.value));
    }
    return {};
}

// What the record changed, in the unit chosen: "output 1 lower value 0.000 kPa -> 10.000 kPa; ...".
std::string ChangesText(const history::Record& r, const std::string& unitName) {
    std::string text;
    const auto add = [&text](const std::string& part) { text += (text.empty() ? "" : "; ") + part; };
    if (r.asFound && r.asLeft) {
        const DisplayUnit unit = MakeUnit(unitName, r.asLeft->specificGravity);
        for (const history::FieldChange& c : history::Changes(*r.asFound, *r.asLeft))
            add(c.found.name + " " + FieldText(c.found, unit) + " -> " + FieldText(c.left, unit));
        if (text.empty() && r.operation == history::Operation::Write) add("nothing changed");
    } else if (r.asLeft && !r.asFound) {
        add("as found unknown");
    }
    if (r.zeroOffsetBefore || r.zeroOffsetAfter) {
        const DisplayUnit unit = MakeUnit(unitName, r.asLeft ? r.asLeft->specificGravity : 1000.0f);
        std::string zero = "zero offset " + (r.zeroOffsetBefore ? Show(*r.zeroOffsetBefore, unit) : "unknown") +
                           " -> " + (r.zeroOffsetAfter ? Show(*r.zeroOffsetAfter, unit) : "unknown");
        if (r.zeroError) zero += ", zero error " + Show(*r.zeroError, unit);
        add(zero);
    }
    return text;
}

std::string Line(const history::Record& r, const std::string& unit) {
    std::string line = history::ShortTime(r.timeUtcMs, r.utcOffsetMinutes) + "  " +
                       (r.serial ? std::to_string(*r.serial) : "-") + "  " + history::OperationName(r.operation) +
                       "  " + history::ResultName(r.result);
    if (!r.failedStep.empty()) line += " at " + r.failedStep;
    if (!r.tag.empty()) line += "  tag " + r.tag;
    line += "  " + r.user + "@" + r.host + "  " + r.program + " " + r.version;
    if (!r.fileName.empty()) line += "  " + r.fileName;
    const std::string changes = ChangesText(r, unit);
    if (!changes.empty()) line += "  | " + changes;
    if (!r.note.empty()) line += "  | note: " + r.note;
    return line;
}

std::string Csv(const std::string& field) {
    if (field.find_first_of(",\"\n\r") == std::string::npos) return field;
    std::string quoted = "\"";
    for (char c : field) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

void PrintCsv(std::ostream& out, const std::vector<history::Record>& records, const std::string& unit) {
    out << "time,serial,usb_index,operation,result,failed_step,tag,note,user,host,program,version,file,"
           "file_sha256,zero_offset_before_pa,zero_offset_after_pa,zero_error_pa,live_value_pa,changes\n";
    for (const history::Record& r : records) {
        const std::string fields[] = {history::IsoTime(r.timeUtcMs, r.utcOffsetMinutes),
                                      r.serial ? std::to_string(*r.serial) : "",
                                      std::to_string(r.usbIndex),
                                      history::OperationName(r.operation),
                                      history::ResultName(r.result),
                                      r.failedStep, r.tag, r.note, r.user, r.host, r.program, r.version,
                                      r.fileName, r.fileSha256,
                                      Optional(r.zeroOffsetBefore), Optional(r.zeroOffsetAfter),
                                      Optional(r.zeroError), Optional(r.liveValue), ChangesText(r, unit)};
        std::string line;
        for (const std::string& f : fields) line += (line.empty() ? "" : ",") + Csv(f);
        out << line << "\n";
    }
}

std::unique_ptr<history::HistoryStore> OpenLocalHistory() {
    std::string error;
    std::unique_ptr<history::HistoryStore> store = history::HistoryStore::Open(history::HistoryStore::DefaultPath(), error);
    if (!store) throw ToolError(ExitNoAccess, error);
    return store;
}

int HistoryCommand(const Options& options, const HistoryOptions& h) {
    if (h.sync) {
        if (h.database.empty()) throw ToolError(ExitUsage, "--sync sends the local history to the plant database; name it with --database");
        history::Recorder recorder("kd4410ctl", KD4410_VERSION, history::HistoryStore::DefaultPath(), h.database);
        size_t sent = 0;
        const history::Problems problems = recorder.Sync(&sent);
        if (!problems.none()) throw ToolError(ExitDevice, problems.Text());
        std::cout << sent << " records sent to the plant database\n";
        return ExitSuccess;
    }
    history::Filter filter;
    filter.serial = options.serial;
    if (!h.since.empty()) {
        filter.sinceUtcMs = history::ParseTime(h.since);
        if (!filter.sinceUtcMs)
            throw ToolError(ExitUsage, "--since takes a date (2026-12-31) or a time (2026-12-31T14:00, with Z or "
                                       "+01:00 for other than local time), not " + h.since);
    }
    std::vector<history::Record> records;
    std::string error;
    if (!h.database.empty()) {
        // Every bench's records, from the plant database.
        std::unique_ptr<history::PlantSink> plant = history::OpenPlantDatabase(h.database, error);
        if (!plant) throw ToolError(ExitNoAccess, error);
        if (std::string e = plant->Query(filter, records); !e.empty()) throw ToolError(ExitNoAccess, e);
    } else {
        std::unique_ptr<history::HistoryStore> store = OpenLocalHistory();
        if (std::string e = store->Query(filter, records); !e.empty()) throw ToolError(ExitNoAccess, store->path() + ": " + e);
    }
    if (options.json) {
        nlohmann::json list = nlohmann::json::array();
        for (const history::Record& r : records) list.push_back(history::RecordToJson(r));
        std::cout << list.dump(2) << "\n";
    } else if (h.csv) {
        PrintCsv(std::cout, records, options.unit);
    } else {
        for (const history::Record& r : records) std::cout << Line(r, options.unit) << "\n";
    }
    return ExitSuccess;
}

// The report is made and rendered by a module of its own, so that only this command loads Qt and
// the catalogue.
void WriteReport(const history::ReportContent& content, const history::ReportUnit& unit, int32_t language,
                 const std::string& path) {
    const std::string module =
        platform::JoinPath(platform::ExecutableFolder(), platform::ModuleFileName("kd4410-report"));
    std::string why;
    const std::unique_ptr<platform::DynamicLibrary> handle = platform::DynamicLibrary::Open(module, &why);
    if (handle == nullptr) throw ToolError(ExitNoAccess, "the report renderer cannot be loaded (" + why + ")");
    using Write = bool (*)(const history::ReportContent*, const history::ReportUnit*, int32_t, const char*, std::string*);
    const auto write = reinterpret_cast<Write>(handle->Symbol("kd4410WriteReport"));
    if (write == nullptr) throw ToolError(ExitNoAccess, module + " is not the report renderer");
    std::string error;
    if (!write(&content, &unit, language, path.c_str(), &error)) throw ToolError(ExitUsage, error);
}

int ReportCommand(const Options& options, const HistoryOptions& h) {
    if (!options.serial && !options.all)
        throw ToolError(ExitUsage, "report needs the transmitter: --serial S, or --all for every one in the history");
    if (options.all && !h.output.empty() && h.output.find("{serial}") == std::string::npos)
        throw ToolError(ExitUsage, "with --all, put {serial} into the -o file name, or each report replaces the one before");
    std::unique_ptr<history::HistoryStore> store = OpenLocalHistory();
    std::set<uint16_t> serials;
    if (options.serial) {
        serials.insert(*options.serial);
    } else {
        std::vector<history::Record> all;
        if (std::string e = store->Query({}, all); !e.empty()) throw ToolError(ExitNoAccess, e);
        for (const history::Record& r : all)
            if (r.serial) serials.insert(*r.serial);
        if (serials.empty()) throw ToolError(ExitDevice, "the history holds no transmitter yet");
    }
    const int32_t language = files::LoadUserSettings().language;  // the window's
    int exit = ExitSuccess;
    for (uint16_t serial : serials) {
        std::vector<history::Record> records;
        if (std::string e = store->Query({serial, std::nullopt, 0}, records); !e.empty()) throw ToolError(ExitNoAccess, e);
        const std::optional<history::ReportContent> content = history::ChooseReportContent(records);
        if (!content) {
            std::cerr << "kd4410ctl: transmitter " << serial << ": the history holds no read or write of it\n";
            exit = ExitDevice;
            continue;
        }
        const DisplayUnit unit = MakeUnit(options.unit, content->configuration.asLeft->specificGravity);
        std::string path = h.output.empty() ? "report-{serial}.pdf" : h.output;
        for (size_t at = path.find("{serial}"); at != std::string::npos; at = path.find("{serial}"))
            path.replace(at, 8, std::to_string(serial));
        WriteReport(*content, {unit.factor, unit.decimals, unit.text}, language, path);
        std::cout << "transmitter " << serial << ": report written to " << path << "\n";
    }
    return exit;
}

}  // namespace

void AddHistoryCommands(CLI::App& app, HistoryOptions& h) {
    app.add_option("--tag", h.tag, "measuring-point tag kept with the record of read, write and zero");
    app.add_option("--note", h.note, "note kept with the record of read, write and zero");
    app.add_option("--database", h.database,
                   "plant database (postgresql://...) that takes each record after the local history");
    auto* list = app.add_subcommand("history", "the records of read, write and zero, newest first "
                                               "(--serial S, --json; from the plant database with --database)");
    list->add_option("--since", h.since, "records from DATE (2026-12-31) or time (2026-12-31T14:00[Z|+01:00]) on");
    auto* csv = list->add_flag("--csv", h.csv, "comma-separated values");
    auto* sync = list->add_flag("--sync", h.sync, "send the records the plant database lacks (needs --database)");
    sync->excludes(csv);
    list->fallthrough();
    auto* report = app.add_subcommand("report", "commissioning report of a transmitter from its latest records, "
                                                "one A4 page as PDF (--serial S or --all)");
    report->add_option("-o,--output", h.output, "PDF file (default report-{serial}.pdf); {serial} becomes the serial number");
    report->fallthrough();
}

bool IsHistoryCommand(const std::string& command) { return command == "history" || command == "report"; }

int RunHistoryCommand(const std::string& command, const Options& options, const HistoryOptions& history) {
    if (options.json && history.csv) throw ToolError(ExitUsage, "choose --json or --csv, not both");
    if (command == "history") return HistoryCommand(options, history);
    if (command == "report") return ReportCommand(options, history);
    throw ToolError(ExitUsage, "unknown command " + command);
}

ToolRecorder::ToolRecorder(const std::string& command, const Options& options, const HistoryOptions& history)
    : command_(command), dryRun_(options.dryRun), history_(history) {
    if (command == "read" || command == "write" || command == "zero")
        recorder_ = std::make_unique<history::Recorder>("kd4410ctl", KD4410_VERSION,
                                                        history::HistoryStore::DefaultPath(), history.database);
}

ToolRecorder::~ToolRecorder() = default;

void ToolRecorder::Add(history::Record& record, const std::string& error) {
    if (!recorder_) return;
    const std::lock_guard lock(mutex_);
    record.operation = command_ == "zero"                 ? history::Operation::ZeroCorrection
                       : command_ == "write" && !dryRun_ ? history::Operation::Write
                                                          : history::Operation::Read;
    if (!error.empty()) {
        record.result = history::Result::Failed;
        if (record.failedStep.empty()) record.failedStep = record.serial ? error : "connecting: " + error;
    } else {
        record.result = record.result == history::Result::Verified ? history::Result::Verified : history::Result::Done;
    }
    record.tag = history_.tag;
    if (!history_.note.empty()) record.note = history_.note + (record.note.empty() ? "" : "; " + record.note);
    const history::Problems problems = recorder_->Add(record);
    if (!problems.none()) std::cerr << "kd4410ctl: history: " << problems.Text() << std::endl;
}

}  // namespace ctl
