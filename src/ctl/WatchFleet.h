// watch --all: every transmitter polled each interval from a thread of its own. Lines on stdout
// begin with the serial number; the CSV is one file with a serial column, or a file per
// transmitter when its name holds {serial}. The summaries follow in index order.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "ctl/Commands.h"

namespace ctl {

int WatchAll(const std::string& libraryPath, const std::vector<uint32_t>& indexes, const Options& options,
             std::ostream& out);

}  // namespace ctl
