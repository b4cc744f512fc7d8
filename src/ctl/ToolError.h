// The tool's failures: one line for stderr naming the cause (and the fix, where there is one)
// and the exit code it ends with.
#pragma once

#include <stdexcept>
#include <string>

namespace ctl {

enum ExitCode : int {
    ExitSuccess = 0,
    ExitDevice = 1,       // the transmitter differs from the file, or failed verification
    ExitUsage = 2,        // bad usage, an unreadable or invalid file, output that cannot be written
    ExitNoAccess = 3,     // no library, no transmitter, no access, in use by another program
    ExitNoAnswer = 4,     // the transmitter did not answer (or answered garbled) during an exchange
    ExitInterrupted = 130 // stopped by SIGINT, SIGTERM or SIGHUP; what the transmitter holds was reported
};

class ToolError : public std::runtime_error {
public:
    ToolError(int exitCode, const std::string& message) : std::runtime_error(message), exitCode_(exitCode) {}
    int exitCode() const { return exitCode_; }

private:
    int exitCode_;
};

}  // namespace ctl
