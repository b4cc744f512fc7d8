#include "ctl/WatchFleet.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <thread>

#include "ctl/Interrupt.h"
#include "ctl/ToolError.h"
#include "ctl/Watch.h"
#include "files/TrendCsv.h"

namespace ctl {
namespace {

// Collects what one unit writes and hands each flushed piece, line by line with the unit's
// prefix, to a stream the units share; a failure of that stream fails this one too.
class SharedLines final : public std::streambuf {
public:
    SharedLines(std::ostream& target, std::mutex& mutex, std::string prefix)
        : target_(target), mutex_(mutex), prefix_(std::move(prefix)) {}

protected:
    int_type overflow(int_type c) override {
        if (c != traits_type::eof()) pending_.push_back(static_cast<char>(c));
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        pending_.append(s, static_cast<size_t>(n));
        return n;
    }
    int sync() override {
        std::lock_guard lock(mutex_);
        size_t start = 0;
        for (size_t end = pending_.find('\n'); end != std::string::npos; end = pending_.find('\n', start)) {
            target_ << prefix_ << std::string_view(pending_).substr(start, end + 1 - start);
            start = end + 1;
        }
        pending_.erase(0, start);
        target_.flush();
        return target_ ? 0 : -1;
    }

private:
    std::ostream& target_;
    std::mutex& mutex_;
    std::string prefix_;
    std::string pending_;
};

struct UnitWatch {
    WatchSummary summary;
    DisplayUnit unit;
    std::string serial;
    std::string error;  // "" when the watch ran
    int code = ExitSuccess;
};

std::string CsvNameFor(const std::string& pattern, uint16_t serial) {
    std::string name = pattern;
    for (size_t at = name.find("{serial}"); at != std::string::npos; at = name.find("{serial}", at))
        name.replace(at, 8, std::to_string(serial));
    return name;
}

}  // namespace

int WatchAll(const std::string& libraryPath, const std::vector<uint32_t>& indexes, const Options& options,
             std::ostream& out) {
    const bool filePerUnit = options.csv.find("{serial}") != std::string::npos;
    std::ofstream sharedCsv;
    if (!options.csv.empty() && !filePerUnit) {
        if (OpenCsvFile(sharedCsv, options.csv, options.append))
            sharedCsv << "serial," << files::TrendCsvHeader << std::flush;
    }
    std::mutex outMutex, csvMutex;
    std::vector<UnitWatch> results(indexes.size());
    {
        std::vector<std::jthread> threads;
        for (size_t i = 0; i < indexes.size(); ++i)
            threads.emplace_back([&, i] {
                UnitWatch& r = results[i];
                try {
                    Session session(libraryPath);
                    session.Load();
                    const Target target = session.Connect(indexes[i]);
                    const std::string serial = r.serial = std::to_string(target.serial);
                    const config::DeviceConfiguration c = ReadWhole(session, target, "the read at the start");
                    r.unit = MakeUnit(options.unit, c.specificGravity);
                    SharedLines outLines(out, outMutex, serial + " ");
                    std::ostream unitOut(&outLines);
                    std::ofstream ownCsv;
                    std::unique_ptr<SharedLines> csvLines;
                    std::unique_ptr<std::ostream> unitCsv;
                    bool header = false;
                    if (filePerUnit) {
                        const std::string name = CsvNameFor(options.csv, target.serial);
                        header = OpenCsvFile(ownCsv, name, options.append);
                    } else if (sharedCsv.is_open()) {
                        csvLines = std::make_unique<SharedLines>(sharedCsv, csvMutex, serial + ",");
                        unitCsv = std::make_unique<std::ostream>(csvLines.get());
                    }
                    std::ostream* csv = filePerUnit ? static_cast<std::ostream*>(&ownCsv) : unitCsv.get();
                    const WatchSettings settings{target.index, options.interval, options.count, r.unit,
                                                 options.duration, header};
                    r.summary = Watch(session.link(), c, settings, RealClock(StopFlag()), StopFlag(), unitOut, csv);
                    if (r.summary.csvFailed || (ownCsv.is_open() && (ownCsv.close(), ownCsv.fail())))
                        throw ToolError(ExitUsage, "transmitter " + serial + ": cannot write its CSV (" +
                                                       std::strerror(errno) + ")");
                    if (r.summary.outFailed) throw ToolError(ExitUsage, "cannot write to standard output");
                    if (r.summary.samples == 0 && r.summary.failedPolls > 0) r.code = ExitNoAnswer;
                } catch (const ToolError& e) {
                    r.code = e.exitCode();
                    r.error = e.what();
                }
            });
    }
    int exit = ExitSuccess;
    for (size_t i = 0; i < results.size(); ++i) {
        const UnitWatch& r = results[i];
        exit = std::max(exit, r.code);
        if (!r.error.empty()) {
            std::cerr << "kd4410ctl: " << r.error << "\n";
            out << (r.serial.empty() ? "index " + std::to_string(indexes[i]) : r.serial) << ": failed\n";
        } else {
            out << r.serial << ": " << SummaryLine(r.summary, r.unit) << "\n";
        }
    }
    if (sharedCsv.is_open() && (sharedCsv.close(), sharedCsv.fail()))
        throw ToolError(ExitUsage, "cannot write " + options.csv + " (" + std::strerror(errno) + ")");
    return exit;
}

}  // namespace ctl
