// kd4410ctl: the transmitter operations of the window from the command line, over the same core.
#include <CLI/CLI.hpp>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>

#include "ctl/Commands.h"
#include "ctl/Fleet.h"
#include "ctl/HistoryCommands.h"
#include "ctl/Interrupt.h"
#include "ctl/ToolError.h"
#include "ctl/Values.h"
#include "ctl/Watch.h"
#include "ctl/WatchFleet.h"
#include "platform/Console.h"
#include "platform/DynamicLibrary.h"

namespace {

using namespace ctl;

const std::vector<std::string> CommandNames = {"list", "info", "read", "diff", "write", "zero", "watch", "history", "report"};
constexpr double ShortestInterval = 0.001, LongestInterval = 3600;

std::optional<bool> AskOnTerminal(const std::string& prompt) {
    if (!platform::IsTerminal(0)) return std::nullopt;
    std::cout << std::flush;
    std::cerr << prompt << std::flush;  // stderr, so that stdout keeps only the report
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    return answer == "y" || answer == "Y" || answer == "yes";
}

// Everything written to stdout has reached it, or the tool says why not.
void FinishStandardOutput() {
    errno = 0;
    std::cout.flush();
    if (std::fflush(stdout) != 0 || std::ferror(stdout) || !std::cout)
        throw ToolError(ExitUsage, std::string("cannot write to standard output (") +
                                       (errno != 0 ? std::strerror(errno) : "write error") + ")");
}

int RunWatch(const std::string& library, uint32_t index, const Options& options) {
    std::ofstream csv;
    const bool csvEmpty = !options.csv.empty() && OpenCsvFile(csv, options.csv, options.append);
    Session session(library);
    session.Load();
    const Target target = session.Connect(index);
    const config::DeviceConfiguration c = ReadWhole(session, target, "the read at the start");
    const bool csvHeader = csvEmpty;
    const WatchSettings settings{target.index,    options.interval,  options.count,
                                 MakeUnit(options.unit, c.specificGravity), options.duration, csvHeader};
    const WatchSummary summary = Watch(session.link(), c, settings, RealClock(StopFlag()), StopFlag(), std::cout,
                                       options.csv.empty() ? nullptr : &csv);
    if (summary.csvFailed || (csv.is_open() && (csv.close(), csv.fail())))
        throw ToolError(ExitUsage, "cannot write " + options.csv + " (" + std::strerror(errno) + ")");
    if (summary.outFailed) FinishStandardOutput();
    std::cout << SummaryLine(summary, settings.unit) << std::endl;
    return summary.samples == 0 && summary.failedPolls > 0 ? ExitNoAnswer : ExitSuccess;
}

void Validate(const std::string& command, const Options& options) {
    if (command == "zero" && !options.yes && !platform::IsTerminal(0))
        throw ToolError(ExitUsage, "zero asks before it corrects, and there is no terminal to ask on; pass --yes "
                                   "to correct without asking");
    if (command == "zero" && options.all && !options.maxError)
        throw ToolError(ExitUsage, "--all zero needs --max-error E: a transmitter whose zero error exceeds E is "
                                   "left as it is");
    if (options.json && command == "watch")
        throw ToolError(ExitUsage, "--json serves list, info, read, diff, write and zero; leave it out for watch");
    if (command == "read" && options.all && !options.output.empty() &&
        options.output.find("{serial}") == std::string::npos)
        throw ToolError(ExitUsage, "with --all, put {serial} into the -o file name, or each transmitter's file "
                                   "replaces the one before");
    if (!IsUnitName(options.unit)) throw ToolError(ExitUsage, "unknown unit " + options.unit);
}

UnitCommand CommandFor(const std::string& command, const Options& options, const ConfigSource* source) {
    if (command == "info") return [&](Session& s, const Target& t, Report& r) { return InfoCommand(s, t, options, r); };
    if (command == "read") return [&](Session& s, const Target& t, Report& r) { return ReadCommand(s, t, options, r); };
    if (command == "diff")
        return [&, source](Session& s, const Target& t, Report& r) { return DiffCommand(s, t, options, *source, r); };
    if (command == "write")
        return [&, source](Session& s, const Target& t, Report& r) { return WriteCommand(s, t, options, *source, r); };
    return [&](Session& s, const Target& t, Report& r) { return ZeroCommand(s, t, options, r, AskOnTerminal); };
}

int Run(const std::string& command, const Options& options, const HistoryOptions& history) {
    if (IsHistoryCommand(command)) return RunHistoryCommand(command, options, history);
    Validate(command, options);
    // The file is read once, before anything is sent, and the same content goes to every unit.
    std::optional<ConfigSource> source;
    if (command == "diff" || command == "write") source = ReadConfigSource(options.file);

    std::string library;
    if (options.simulator) {
        library = SimulatorLibraryPath();
        if (library.empty())
            throw ToolError(ExitNoAccess, "the simulated library sim/" + platform::UsbLibraryFileName() +
                                              " is not beside kd4410ctl; build or reinstall kd4410");
    }
    Session session(library);
    session.Load();
    if (command == "list") return ListCommand(session, options, std::cout);

    if (command == "write" || command == "zero" || command == "watch") CatchStopSignals();
    std::vector<uint32_t> chosen;
    if (options.all) {
        chosen = session.Choose(true, std::nullopt, 0);  // says why when there is none
    } else if (options.serial && command == "watch") {
        const std::vector<uint32_t> found = session.Choose(false, options.serial, 0);
        chosen = found;
    } else {
        chosen = {options.device.value_or(0)};
    }
    if (command == "watch" && options.all) return WatchAll(library, chosen, options, std::cout);
    if (command == "watch") return RunWatch(library, chosen.front(), options);

    // Each unit's record is kept as soon as its command has ended, from the unit's own thread.
    ToolRecorder recorder(command, options, history);
    const UnitCommand operation = CommandFor(command, options, source ? &*source : nullptr);
    const UnitCommand run = [&](Session& s, const Target& t, Report& r) {
        r.record.usbIndex = t.index;
        r.record.serial = t.serial;
        try {
            const int code = operation(s, t, r);
            recorder.Add(r.record, "");
            return code;
        } catch (const ToolError& e) {
            recorder.Add(r.record, e.what());
            throw;
        }
    };
    std::vector<UnitOutcome> outcomes;
    const bool asking = command == "zero" && !options.yes;
    if (options.all && !asking) {
        outcomes = RunOnUnits(library, chosen, run);
    } else if (options.serial) {
        std::optional<UnitOutcome> found =
            RunOnSerial(library, session.Count(), *options.serial, run, options.json ? nullptr : &std::cout);
        if (!found)
            throw ToolError(ExitNoAccess, "no attached transmitter has the serial number " +
                                              std::to_string(*options.serial) + "; see kd4410ctl list");
        outcomes.push_back(std::move(*found));
        for (const std::string& w : outcomes.back().warnings) std::cerr << "kd4410ctl: " << w << "\n";
        if (!outcomes.back().error.empty()) std::cerr << "kd4410ctl: " << outcomes.back().error << std::endl;
    } else {
        // One unit, or units that each ask on the terminal: one after another, text as it comes.
        for (uint32_t index : chosen) {
            if (options.all && !options.json) std::cout << "== transmitter at index " << index << "\n";
            outcomes.push_back(RunOnUnit(library, index, run, options.json ? nullptr : &std::cout));
            const UnitOutcome& o = outcomes.back();
            for (const std::string& w : o.warnings) std::cerr << "kd4410ctl: " << w << "\n";
            if (!o.error.empty()) std::cerr << "kd4410ctl: " << o.error << std::endl;
        }
    }
    // A unit that could not be reached leaves a record too.
    for (const UnitOutcome& o : outcomes) {
        if (o.serial) continue;
        history::Record record;
        record.usbIndex = o.index;
        recorder.Add(record, o.error);
    }
    const bool comparing = command == "diff";
    int exit = ExitSuccess;
    nlohmann::json records = nlohmann::json::array();
    for (const UnitOutcome& o : outcomes) {
        exit = std::max(exit, o.code);
        records.push_back(UnitJson(o));
        if (!options.all || asking) continue;
        if (!options.json) {
            std::cout << "== transmitter " << (o.serial ? std::to_string(*o.serial) : "?") << " (index " << o.index
                      << ")\n"
                      << o.text;
            std::cout << (o.serial ? std::to_string(*o.serial) : "index " + std::to_string(o.index)) << ": "
                      << Category(o, comparing) << "\n";
        }
        for (const std::string& w : o.warnings) std::cerr << "kd4410ctl: " << w << "\n";
        if (!o.error.empty()) std::cerr << "kd4410ctl: " << o.error << "\n";
    }
    if (options.json) {
        std::cout << records.dump(2) << "\n";
    } else if (options.all) {
        std::cout << FleetSummary(outcomes, comparing);
        if (source) std::cout << "; " << source->name << " sha256 " << source->sha256;
        std::cout << "\n";
    }
    return exit;
}

// CLI11 reports an unknown command as a missing one; name it instead.
std::optional<std::string> UnknownCommand(int argc, char** argv) {
    const std::vector<std::string> withValue = {"--device", "--serial", "--unit", "--tag", "--note", "--database"};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") return std::nullopt;
        if (std::find(withValue.begin(), withValue.end(), arg) != withValue.end()) {
            ++i;
            continue;
        }
        if (arg.rfind("-", 0) == 0) continue;
        if (std::find(CommandNames.begin(), CommandNames.end(), arg) == CommandNames.end()) return arg;
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    platform::PrepareStandardStreams();
    // The arguments as UTF-8, also where the system's own encoding is another (Windows).
    std::vector<std::string> arguments = platform::Utf8Arguments(argc, argv);
    std::vector<char*> utf8Argv;
    for (std::string& argument : arguments) utf8Argv.push_back(argument.data());
    utf8Argv.push_back(nullptr);
    argc = static_cast<int>(arguments.size());
    argv = utf8Argv.data();
    Options options;
    CLI::App app{"kd4410ctl: configure KD4410 pressure transmitters from the command line.\n"
                 "Exit codes: 0 success; 1 the transmitter differs or failed verification; 2 bad usage, an "
                 "invalid file or output that cannot be written; 3 no library, no transmitter, no access or in "
                 "use by another program; 4 the transmitter did not answer; 130 interrupted.",
                 "kd4410ctl"};
    app.footer("See man kd4410ctl for each command's options and examples, and \"USB access\" in the README "
               "when a transmitter cannot be opened.");
    app.set_version_flag("--version", std::string("kd4410ctl ") + KD4410_VERSION);
    app.require_subcommand(1);
    app.failure_message([](const CLI::App*, const CLI::Error& e) {
        return "kd4410ctl: " + std::string(e.what()) + "; see kd4410ctl --help\n";
    });
    app.fallthrough();
    uint32_t deviceIndex = 0;
    auto* device = app.add_option("--device", deviceIndex, "index of the transmitter (default 0)");
    uint16_t serialNumber = 0;
    auto* serial = app.add_option("--serial", serialNumber, "the transmitter with this serial number");
    auto* all = app.add_flag("--all", options.all, "every attached transmitter at once");
    serial->excludes(all);
    device->excludes(all);
    device->excludes(serial);
    app.add_option("--unit", options.unit, "Pa kPa MPa mbar bar psi mm m inch (default kPa)");
    app.add_flag("--json", options.json, "JSON output: a list with one record per transmitter (not for watch)");
    app.add_flag("--simulator", options.simulator, "use the simulated transmitter library");
    HistoryOptions history;
    AddHistoryCommands(app, history);

    app.add_subcommand("list", "every attached transmitter: index and serial number");
    app.add_subcommand("info", "serial number, nominal range, specific gravity, zero offset, live value");
    auto* read = app.add_subcommand("read", "read the configuration; -o writes it as a configuration file");
    read->add_option("-o,--output", options.output, "configuration file to write; {serial} becomes the serial number");
    read->add_option("--type", options.type, "measurement type on line 2 of the file: pressure or height")
        ->check(CLI::IsMember({"pressure", "height"}));
    auto* diff = app.add_subcommand("diff", "compare the transmitter with a configuration file (exit 1 if different)");
    diff->add_option("FILE", options.file, "configuration file; - reads standard input")->required();
    auto* write = app.add_subcommand("write", "check a configuration file, write it, read it back and verify it");
    write->add_option("FILE", options.file, "configuration file; - reads standard input")->required();
    write->add_flag("--dry-run", options.dryRun, "show what would change and write nothing");
    auto* zero = app.add_subcommand("zero", "zero correction: measure the zero error, ask, correct the offset");
    zero->add_flag("--yes", options.yes, "correct without asking");
    double maxError = 0;
    auto* maxErrorOption = zero->add_option("--max-error", maxError, "refuse when the zero error exceeds E (in --unit)")
                               ->check(CLI::NonNegativeNumber);
    auto* watch = app.add_subcommand("watch", "poll the live value and evaluate the four outputs");
    watch->add_option("--interval", options.interval, "seconds between samples, 0.001 to 3600 (default 1)")
        ->check(CLI::Range(ShortestInterval, LongestInterval));
    // Signed, so that -3 is refused rather than taken as a huge unsigned count.
    int64_t sampleCount = 0;
    auto* count = watch->add_option("--count", sampleCount, "stop after N samples (N >= 1)")
                      ->check(CLI::Validator(
                          [](std::string& text) -> std::string {
                              int64_t n = 0;
                              const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
                              const bool whole = ec == std::errc() && end == text.data() + text.size();
                              return whole && n >= 1 ? "" : "must be a whole number of at least 1, not " + text;
                          },
                          "N>=1"));
    double duration = 0;
    auto* durationOption = watch->add_option("--duration", duration, "stop after S seconds")->check(CLI::PositiveNumber);
    watch->add_option("--csv", options.csv, "also write time,utc_offset,value_pa,value,unit,out1..out4 to FILE; with --all "
                                            "a serial column first, or a file each when FILE holds {serial}");
    watch->add_flag("--append", options.append, "add to the --csv file instead of replacing it");
    for (CLI::App* sub : app.get_subcommands({})) sub->fallthrough();

    if (const auto unknown = UnknownCommand(argc, argv)) {
        std::cerr << "kd4410ctl: unknown command '" << *unknown << "'; the commands are list, info, read, diff, "
                     "write, zero and watch (see kd4410ctl --help)\n";
        return ExitUsage;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        try {
            FinishStandardOutput();
        } catch (const ToolError& error) {
            std::cerr << "kd4410ctl: " << error.what() << std::endl;
            return error.exitCode();
        }
        return code == 0 ? ExitSuccess : ExitUsage;
    }
    if (serial->count() > 0) options.serial = serialNumber;
    if (device->count() > 0) options.device = deviceIndex;
    if (count->count() > 0) options.count = static_cast<uint64_t>(sampleCount);
    if (durationOption->count() > 0) options.duration = duration;
    if (maxErrorOption->count() > 0) options.maxError = maxError;
    int exit = ExitSuccess;
    try {
        exit = Run(app.get_subcommands().front()->get_name(), options, history);
        FinishStandardOutput();
    } catch (const ToolError& e) {
        std::cout.flush();
        std::cerr << "kd4410ctl: " << e.what() << std::endl;
        return e.exitCode();
    }
    return exit;
}
