// The watch loop on an injected clock: the window's poll, its lamps, the CSV and the summary.
#include <sstream>

#include "ctl/Watch.h"
#include "support/TransmitterLinkFixture.h"

namespace {

using namespace testsupport;
using namespace std::chrono;

class WatchLoop : public TransmitterLinkFixture {
protected:
    ctl::WatchClock Clock() {
        return {[this] { return now; },
                [this](double seconds) {
                    waits.push_back(seconds);
                    now += duration_cast<system_clock::duration>(duration<double>(seconds));
                    if (stopAfterWaits && waits.size() >= *stopAfterWaits) stop = true;
                }};
    }
    ctl::WatchSummary Run(std::optional<uint64_t> count) {
        config::DeviceConfiguration c;
        c.outputs = {{{1000, 2000, 1}, {1000, 2000, 2}, {1000, 1000, 3}, {1000, 2000, 9}}};
        ctl::WatchSettings settings{0, 2.0, count, ctl::MakeUnit("kPa", 1000), std::nullopt, true};
        return ctl::Watch(*link, c, settings, Clock(), stop, out, &csv);
    }

    system_clock::time_point now = system_clock::from_time_t(1700000000);
    std::vector<double> waits;
    std::optional<size_t> stopAfterWaits;
    std::atomic<bool> stop{false};
    std::ostringstream out, csv;
};

TEST_F(WatchLoop, PollsEveryIntervalAndEvaluatesTheLampsAsTheWindowDoes) {
    liveValues = {500, 1500, 2500, 1000};
    const ctl::WatchSummary s = Run(4);
    EXPECT_EQ(waits, (std::vector<double>{2.0, 2.0, 2.0}));  // none after the last sample
    EXPECT_EQ(TakeExchanges().size(), 8u);                   // command 1 and the value, four times
    EXPECT_EQ(s.samples, 4u);
    EXPECT_EQ(s.failedPolls, 0u);
    EXPECT_EQ(s.min, 500);
    EXPECT_EQ(s.max, 2500);
    EXPECT_EQ(s.mean, 1375);
    std::istringstream rows(csv.str());
    std::string row;
    std::vector<std::string> lamps;
    std::getline(rows, row);
    EXPECT_EQ(row, "time,utc_offset,value_pa,value,unit,out1,out2,out3,out4");  // as the window writes
    while (std::getline(rows, row)) lamps.push_back(row.substr(row.size() - 7));
    // Compression and extraction keep their state inside the band; an unknown mode stays dark.
    EXPECT_EQ(lamps, (std::vector<std::string>{"1,0,0,0", "1,0,0,0", "0,1,0,0", "0,1,1,0"}));
    EXPECT_NE(csv.str().find(",1500,1.500,kPa,"), std::string::npos);
    EXPECT_NE(out.str().find("1.500 kPa  out1 on   out2 off  out3 off  out4 off"), std::string::npos);
    EXPECT_EQ(ctl::SummaryLine(s, ctl::MakeUnit("kPa", 1000)),
              "samples 4, min 0.500 kPa, max 2.500 kPa, mean 1.375 kPa, failed polls 0");
}

TEST_F(WatchLoop, AStopEndsItWithASummaryAndFailedPollsAreCounted) {
    liveValues = {1200};
    stopAfterWaits = 2;
    SilentAfter(2);  // the first poll answers; the second fails, its retry too
    const ctl::WatchSummary s = Run(std::nullopt);
    EXPECT_EQ(s.samples, 1u);
    EXPECT_EQ(s.failedPolls, 1u);
    EXPECT_EQ(waits.size(), 2u);
    EXPECT_NE(out.str().find("poll failed"), std::string::npos);
    EXPECT_EQ(usb.closes.size(), 2u);  // the pipes were opened afresh after the lost link
}

TEST(LocalIsoTime, HasMillisecondsAndTheOffsetWithAColon) {
    const std::string t = ctl::LocalIsoTime(system_clock::from_time_t(1700000000) + milliseconds(250));
    EXPECT_EQ(t.size(), 29u) << t;
    EXPECT_EQ(t.substr(19, 4), ".250");
    EXPECT_EQ(t[26], ':');
}

}  // namespace
