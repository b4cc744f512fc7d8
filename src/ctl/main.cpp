// kd4410ctl: the transmitter operations of the window from the command line, over the same core.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <csignal>
#include <fstream>
#include <iostream>

#include "ctl/Commands.h"
#include "ctl/HistoryCommands.h"
#include "ctl/ToolError.h"
#include "ctl/Values.h"
#include "ctl/Watch.h"

namespace {

using namespace ctl;

volatile std::sig_atomic_t stopAsked = 0;

extern "C" void AskToStop(int) { stopAsked = 1; }

void CatchInterrupt() {
    struct sigaction action {};
    action.sa_handler = AskToStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

std::optional<bool> AskOnTerminal(const std::string& prompt) {
    if (!isatty(STDIN_FILENO)) return std::nullopt;
    std::cout << prompt << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    return answer == "y" || answer == "Y" || answer == "yes";
}

int RunWatch(Session& session, const Target& target, const Options& options) {
    const config::DeviceConfiguration c = ReadWhole(session, target, "the read at the start");
    std::ofstream csv;
    if (!options.csv.empty()) {
        csv.open(options.csv, std::ios::trunc);
        if (!csv) throw ToolError(ExitUsage, "cannot write " + options.csv + "; check the folder and its permissions");
    }
    WatchSettings settings{target.index, options.interval, options.count, MakeUnit(options.unit, c.specificGravity)};
    CatchInterrupt();
    const WatchSummary summary = Watch(session.link(), c, settings, RealClock(stopAsked), stopAsked, std::cout,
                                       options.csv.empty() ? nullptr : &csv);
    std::cout << SummaryLine(summary, settings.unit) << std::endl;
    return summary.samples == 0 && summary.failedPolls > 0 ? ExitDevice : ExitSuccess;
}

int Run(const std::string& command, const Options& options, const HistoryOptions& history) {
    if (IsHistoryCommand(command)) return RunHistoryCommand(command, options, history);
    if (command == "zero" && !options.yes && !isatty(STDIN_FILENO))
        throw ToolError(ExitUsage, "zero asks before it corrects, and there is no terminal to ask on; pass --yes "
                                   "to correct without asking");
    if (options.json && command != "list" && command != "info" && command != "read" && command != "diff")
        throw ToolError(ExitUsage, "--json serves list, info, read and diff; leave it out for " + command);
    if (command == "read" && options.all && !options.output.empty() &&
        options.output.find("{serial}") == std::string::npos)
        throw ToolError(ExitUsage, "with --all, put {serial} into the -o file name, or each transmitter's file "
                                   "replaces the one before");
    if (command == "watch" && options.all)
        throw ToolError(ExitUsage, "watch follows one transmitter; choose it with --device or --serial");
    if ((command == "diff" || command == "write")) LoadForWriting(options.file);  // a bad file: nothing sent
    if (!IsUnitName(options.unit)) throw ToolError(ExitUsage, "unknown unit " + options.unit);

    std::string library;
    if (options.simulator) {
        library = SimulatorLibraryPath();
        if (library.empty())
            throw ToolError(ExitNoAccess, "the simulated library sim/libmpusbapi.so is not beside kd4410ctl; "
                                          "build or reinstall kd4410");
    }
    Session session(library);
    session.Load();
    if (command == "list") return ListCommand(session, options, std::cout);

    const std::vector<uint32_t> chosen = session.Choose(options.all, options.serial, options.device);
    nlohmann::json results = nlohmann::json::array();
    int exit = ExitSuccess, failed = 0;
    ToolRecorder recorder(command, options, history);
    for (uint32_t index : chosen) {
        Report report{std::cout, nlohmann::json::object(), {}};
        report.record.usbIndex = index;
        try {
            const Target target = session.Connect(index);
            report.record.serial = target.serial;
            int code = ExitSuccess;
            if (options.all && !options.json) std::cout << "== transmitter " << target.serial << " (index " << index << ")\n";
            if (command == "info") code = InfoCommand(session, target, options, report);
            else if (command == "read") code = ReadCommand(session, target, options, report);
            else if (command == "diff") code = DiffCommand(session, target, options, report);
            else if (command == "write") code = WriteCommand(session, target, options, report);
            else if (command == "zero") code = ZeroCommand(session, target, options, report, AskOnTerminal);
            else if (command == "watch") code = RunWatch(session, target, options);
            recorder.Add(report.record, "");
            exit = std::max(exit, code);
            if (code != ExitSuccess) ++failed;
            if (options.all && !options.json) std::cout << target.serial << ": " << (code == 0 ? "ok" : "differs") << "\n";
        } catch (const ToolError& e) {
            recorder.Add(report.record, e.what());
            // With --all the others still run; the worst exit code wins.
            if (!options.all) throw;
            std::cerr << "kd4410ctl: " << e.what() << std::endl;
            if (!options.json) std::cout << "index " << index << ": failed\n";
            report.json = {{"index", index}, {"error", e.what()}};
            exit = std::max(exit, e.exitCode());
            ++failed;
        }
        if (options.json) results.push_back(report.json);
    }
    if (options.json) std::cout << (options.all ? results : results.at(0)).dump(2) << "\n";
    if (options.all && !options.json)
        std::cout << chosen.size() << " transmitters: " << chosen.size() - static_cast<size_t>(failed) << " ok, "
                  << failed << " failed\n";
    return exit;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    CLI::App app{"kd4410ctl: configure KD4410 pressure transmitters from the command line.\n"
                 "Exit codes: 0 success; 1 the transmitter differs, failed to answer or failed verification; "
                 "2 bad usage or an invalid file; 3 no library, no transmitter or no access.",
                 "kd4410ctl"};
    app.footer("Command options:\n"
               "  read -o FILE [--type pressure|height]   {serial} in FILE becomes each serial number\n"
               "  diff FILE\n"
               "  write FILE [--dry-run]\n"
               "  zero [--yes]                            without a terminal only with --yes\n"
               "  watch [--interval S] [--count N] [--csv FILE]\n"
               "\n"
               "Examples:\n"
               "  kd4410ctl --simulator read -o a.cfg\n"
               "  kd4410ctl --all write a.cfg\n"
               "  kd4410ctl --serial 12346 --unit bar watch --count 10 --csv w.csv\n"
               "\n"
               "See \"USB access\" in the README when a transmitter cannot be opened.");
    app.set_version_flag("--version", std::string("kd4410ctl ") + KD4410_VERSION);
    app.require_subcommand(1);
    app.failure_message([](const CLI::App*, const CLI::Error& e) {
        return "kd4410ctl: " + std::string(e.what()) + "; see kd4410ctl --help\n";
    });
    app.fallthrough();
    app.add_option("--device", options.device, "index of the transmitter (default 0)");
    uint16_t serialNumber = 0;
    auto* serial = app.add_option("--serial", serialNumber, "the transmitter with this serial number");
    auto* all = app.add_flag("--all", options.all, "every attached transmitter in turn");
    serial->excludes(all);
    app.add_option("--unit", options.unit, "Pa kPa MPa mbar bar psi mm m inch (default kPa)");
    app.add_flag("--json", options.json, "JSON output (list, info, read, diff)");
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
    diff->add_option("FILE", options.file, "configuration file")->required();
    auto* write = app.add_subcommand("write", "check a configuration file, write it, read it back and verify it");
    write->add_option("FILE", options.file, "configuration file")->required();
    write->add_flag("--dry-run", options.dryRun, "show what would change and write nothing");
    auto* zero = app.add_subcommand("zero", "zero correction: measure the zero error, ask, correct the offset");
    zero->add_flag("--yes", options.yes, "correct without asking");
    auto* watch = app.add_subcommand("watch", "poll the live value and evaluate the four outputs");
    watch->add_option("--interval", options.interval, "seconds between samples (default 1)")
        ->check(CLI::PositiveNumber);
    uint64_t sampleCount = 0;
    auto* count = watch->add_option("--count", sampleCount, "stop after N samples");
    watch->add_option("--csv", options.csv, "also write time,value_pa,value,unit,out1..out4 to FILE");
    for (CLI::App* sub : app.get_subcommands({})) sub->fallthrough();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? ExitSuccess : ExitUsage;
    }
    if (serial->count() > 0) options.serial = serialNumber;
    if (count->count() > 0) options.count = sampleCount;
    try {
        return Run(app.get_subcommands().front()->get_name(), options, history);
    } catch (const ToolError& e) {
        std::cerr << "kd4410ctl: " << e.what() << std::endl;
        return e.exitCode();
    }
}
