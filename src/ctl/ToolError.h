// The tool's failures: one line for stderr naming the cause (and the fix, where there is one)
// and the exit code it ends with.
#pragma once

#include <stdexcept>
#include <string>

namespace ctl {

enum ExitCode : int {
    ExitSuccess = 0,
    ExitDevice = 1,    // the transmitter differs, failed to answer or failed verification
    ExitUsage = 2,     // bad usage, an unreadable or invalid file
    ExitNoAccess = 3,  // no library, no transmitter, no access
};

class ToolError : public std::runtime_error {
public:
    ToolError(int exitCode, const std::string& message) : std::runtime_error(message), exitCode_(exitCode) {}
    int exitCode() const { return exitCode_; }

private:
    int exitCode_;
};

}  // namespace ctl
