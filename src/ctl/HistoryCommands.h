// The tool's commissioning history: the options every command takes for it (--tag, --note,
// --database), the records of read, write and zero, and the commands history and report.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "ctl/Commands.h"
#include "history/Record.h"

namespace CLI {
class App;
}
namespace history {
class Recorder;
}

namespace ctl {

struct HistoryOptions {
    std::string tag, note, database;
    std::string since;  // history --since DATE
    bool csv = false;   // history --csv
    bool sync = false;  // history --sync
    std::string output; // report -o FILE
};

// Adds --tag, --note and --database to app, and the commands history and report.
void AddHistoryCommands(CLI::App& app, HistoryOptions& history);
bool IsHistoryCommand(const std::string& command);
// history or report; returns the exit code, raises ToolError.
int RunHistoryCommand(const std::string& command, const Options& options, const HistoryOptions& history);

// Keeps a record of each transmitter's read, write or zero correction. A history that cannot be
// written is reported on stderr; the command's result and exit code stay as they are.
class ToolRecorder {
public:
    ToolRecorder(const std::string& command, const Options& options, const HistoryOptions& history);
    ~ToolRecorder();
    bool active() const { return recorder_ != nullptr; }
    // record as the command filled it; error: the failure that ended it ("" when none). Safe to
    // call from the threads of several transmitters at once.
    void Add(history::Record& record, const std::string& error);

private:
    std::string command_;
    bool dryRun_;
    HistoryOptions history_;
    std::unique_ptr<history::Recorder> recorder_;
    std::mutex mutex_;
};

}  // namespace ctl
