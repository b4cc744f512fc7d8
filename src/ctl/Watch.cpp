#include "ctl/Watch.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>
#include <ostream>
#include <thread>

#include "config/OutputMode.h"
#include "ctl/ToolError.h"
#include "files/TrendCsv.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "polling/Link.h"
#include "polling/OutputEvaluation.h"

namespace ctl {

std::string LocalIsoTime(std::chrono::system_clock::time_point t) {
    const int64_t ms = std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
    return files::IsoLocalTime(ms) + files::UtcOffset(ms);
}

WatchSummary Watch(device::TFix64& link, const config::DeviceConfiguration& c, const WatchSettings& settings,
                   const WatchClock& clock, const std::atomic<bool>& stop, std::ostream& out,
                   std::ostream* csv) {
    WatchSummary summary;
    std::array<bool, config::OutputCount> lamps{};  // dark, as the window's lamps start
    double sum = 0;
    uint64_t taken = 0;
    if (csv && settings.csvHeader) *csv << files::TrendCsvHeader << std::flush;
    const auto first = clock.now();
    auto elapsed = [&] { return std::chrono::duration<double>(clock.now() - first).count(); };
    auto finished = [&] {
        summary.outFailed = !out;
        summary.csvFailed = csv && !*csv;
        return stop || summary.outFailed || summary.csvFailed || (settings.count && taken >= *settings.count) ||
               (settings.duration && elapsed() >= *settings.duration);
    };
    while (!finished()) {
        const auto started = clock.now();
        const polling::PollResult poll = polling::Poll(link);
        ++taken;
        const std::string time = LocalIsoTime(started);
        if (!poll.value) {
            ++summary.failedPolls;
            out << time << " poll failed" << std::endl;
            // As the window does when the retry fails too: the pipes are opened afresh.
            if (poll.linkLost) polling::ReopenLink(link, settings.deviceIndex);
        } else {
            const float value = *poll.value;
            for (size_t i = 0; i < config::OutputCount; ++i)
                if (const auto lamp = polling::EvaluateLamp(value, c.outputs[i].lower, c.outputs[i].higher,
                                                            c.outputs[i].mode < config::OutputModeCount
                                                                ? c.outputs[i].mode
                                                                : -1))
                    lamps[i] = *lamp;
            summary.min = summary.samples == 0 ? value : std::min<double>(summary.min, value);
            summary.max = summary.samples == 0 ? value : std::max<double>(summary.max, value);
            sum += value;
            ++summary.samples;
            const std::string shown = Show(value, settings.unit);
            out << time << " " << shown;
            for (size_t i = 0; i < config::OutputCount; ++i) out << "  out" << i + 1 << (lamps[i] ? " on " : " off");
            out << std::endl;
            if (csv) {
                polling::TrendSample sample{
                    std::chrono::duration_cast<std::chrono::milliseconds>(started.time_since_epoch()).count(), value, 0};
                for (size_t i = 0; i < config::OutputCount; ++i)
                    if (lamps[i]) sample.lamps = static_cast<uint8_t>(sample.lamps | (1u << i));
                const files::DisplayScale scale{settings.unit.factor, settings.unit.decimals,
                                                platform::FromUtf8(settings.unit.text)};
                *csv << files::TrendCsvLine(sample, scale) << std::flush;
            }
        }
        if (finished()) break;
        const double spent = std::chrono::duration<double>(clock.now() - started).count();
        double wait = std::max(0.0, settings.interval - spent);
        if (settings.duration) wait = std::min(wait, std::max(0.0, *settings.duration - elapsed()));
        clock.sleep(wait);
    }
    if (summary.samples > 0) summary.mean = sum / static_cast<double>(summary.samples);
    return summary;
}

std::string SummaryLine(const WatchSummary& s, const DisplayUnit& unit) {
    std::string line = "samples " + std::to_string(s.samples);
    if (s.samples > 0)
        line += ", min " + Show(static_cast<float>(s.min), unit) + ", max " + Show(static_cast<float>(s.max), unit) +
                ", mean " + Show(static_cast<float>(s.mean), unit);
    return line + ", failed polls " + std::to_string(s.failedPolls);
}

WatchClock RealClock(const std::atomic<bool>& stop) {
    WatchClock clock;
    clock.now = [] { return std::chrono::system_clock::now(); };
    clock.sleep = [&stop](double seconds) {
        // In short steps, so that Ctrl-C ends the wait soon whatever the interval.
        const auto until = std::chrono::steady_clock::now() +
                           std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                               std::chrono::duration<double>(seconds));
        while (!stop && std::chrono::steady_clock::now() < until) {
            const std::chrono::steady_clock::duration left = until - std::chrono::steady_clock::now();
            std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, std::chrono::milliseconds(50)));
        }
    };
    return clock;
}

bool OpenCsvFile(std::ofstream& csv, const std::string& path, bool append) {
    csv.open(platform::PathFromUtf8(path), std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    if (!csv)
        throw ToolError(ExitUsage, "cannot write " + path + " (" + std::strerror(errno) +
                                       "); check the folder and its permissions");
    // Where an appending stream starts is up to the C library (0 on Windows until the first write).
    csv.seekp(0, std::ios::end);
    return csv.tellp() == 0;
}

}  // namespace ctl
