// The process and its console: arguments, terminals, the stop request, who and where it runs.
#pragma once

#include <atomic>
#include <string>
#include <vector>

namespace platform {

// The command line as UTF-8 texts (on Windows from the wide command line, whatever the ANSI
// code page; on Linux argv as it is).
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Standard input, output and error pass bytes unchanged (no CR added before LF on Windows, so a
// configuration file or CSV written to stdout keeps its line ends), and a console shows UTF-8.
void PrepareStandardStreams();

// True when standard input (0), output (1) or error (2) is a terminal or a console.
bool IsTerminal(int stream);

// From now on Ctrl-C (and on Linux SIGTERM and SIGHUP; on Windows closing the console, log-off
// and shut-down) only set flag. flag must live as long as the process.
void CatchStopRequests(std::atomic<bool>& flag);

// The id of this process; the login name of its user ("" when unknown); the host's name.
long ProcessId();
std::string LoginName();
std::string HostName();

}  // namespace platform
