// The trend's CSV: the line format, a saved span, a recording that survives a kill and one
// that meets a write failure.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <algorithm>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "files/TrendCsv.h"
#include "support/SmallFileLimit.h"
#include "support/TempFolder.h"

namespace {

using polling::TrendSample;

constexpr int64_t Winter = 1'765'000'000'000;  // 2025-12-06 05:46:40 UTC
constexpr int64_t Summer = 1'751'000'000'000;  // 2025-06-27 04:53:20 UTC

// Sets the time zone for its lifetime.
class TimeZone {
public:
    explicit TimeZone(const char* zone) : environment_(std::make_unique<testsupport::ScopedEnvironment>()) {
        environment_->Set("TZ", zone);
        tzset();
    }
    ~TimeZone() {
        environment_.reset();
        tzset();
    }
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

private:
    std::unique_ptr<testsupport::ScopedEnvironment> environment_;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

size_t LineCount(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

TEST(TrendCsv, LinesCarryLocalTimeWithOffsetPascalsTheDisplayedValueAndTheLamps) {
    TimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    const files::DisplayScale kPa{0.001f, 3, u"kPa"};
    struct Case {
        TrendSample sample;
        files::DisplayScale scale;
        std::string line;
    };
    const Case cases[] = {
        {{Winter, 2500, 0b0101}, kPa, "2025-12-06T06:46:40+01:00,2500,2.500,kPa,1,0,1,0\n"},
        {{Summer + 999, 0.1f, 0b1000}, {1, 0, u"Pa"}, "2025-06-27T06:53:20+02:00,0.1,0,Pa,0,0,0,1\n"},
        {{Winter, -12.5f, 0}, {1000.0f / 998.0f / 9.81f, 0, u"mm"}, "2025-12-06T06:46:40+01:00,-12.5,-1,mm,0,0,0,0\n"},
        {{Winter, std::numeric_limits<float>::quiet_NaN(), 0}, kPa, "2025-12-06T06:46:40+01:00,nan,nan,kPa,0,0,0,0\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(files::TrendCsvLine(c.sample, c.scale), c.line);

    TimeZone west("EST5");
    EXPECT_EQ(files::IsoLocalTime(Winter), "2025-12-06T00:46:40-05:00");
    TimeZone india("IST-5:30");
    EXPECT_EQ(files::IsoLocalTime(Winter), "2025-12-06T11:16:40+05:30");
}

TEST(TrendCsv, ASavedSpanIsTheHeaderAndOneLineASample) {
    TimeZone zone("UTC0");
    polling::TrendHistory history;
    for (int i = 0; i < 5; ++i) history.Append({Winter + i * 1000LL, float(i * 1000), 0});
    const std::string csv = files::TrendCsv(history, 1, 3, {0.001f, 3, u"kPa"});
    EXPECT_EQ(csv,
              "time,value_pa,value,unit,out1,out2,out3,out4\n"
              "2025-12-06T05:46:41+00:00,1000,1.000,kPa,0,0,0,0\n"
              "2025-12-06T05:46:42+00:00,2000,2.000,kPa,0,0,0,0\n");
}

TEST(TrendCsv, RecordingWritesTheHeaderOnceAndAppendsToAnExistingRecord) {
    testsupport::TempFolder folder;
    const std::string path = folder / "record.csv";
    {
        files::TrendCsvRecorder recorder;
        ASSERT_TRUE(recorder.Start(path));
        EXPECT_TRUE(recorder.recording());
        EXPECT_TRUE(recorder.Append({Winter, 1, 0}, {}));
    }
    files::TrendCsvRecorder again;
    ASSERT_TRUE(again.Start(path));
    EXPECT_TRUE(again.Append({Winter, 2, 0}, {}));
    const std::string text = ReadAll(path);
    EXPECT_EQ(LineCount(text), 3u);
    EXPECT_EQ(text.find("time,"), 0u);
    EXPECT_EQ(text.find("time,", 1), std::string::npos);

    files::TrendCsvRecorder nowhere;
    EXPECT_FALSE(nowhere.Start(folder / "missing/record.csv"));
    EXPECT_FALSE(nowhere.recording());
    EXPECT_FALSE(nowhere.Append({Winter, 1, 0}, {}));
}

TEST(TrendCsv, AWriteFailureStopsTheRecording) {
    testsupport::TempFolder folder;
    files::TrendCsvRecorder recorder;
    ASSERT_TRUE(recorder.Start(folder / "record.csv"));
    {
        testsupport::SmallFileLimit full(200);  // the header and a line or two fit, then the disk is full
        bool failed = false;
        for (int i = 0; i < 10 && !failed; ++i) failed = !recorder.Append({Winter + i * 1000LL, 1, 0}, {});
        EXPECT_TRUE(failed);
    }
    EXPECT_FALSE(recorder.recording());
    EXPECT_EQ(recorder.path(), folder / "record.csv");
    EXPECT_FALSE(recorder.Append({Winter, 1, 0}, {}));  // stays stopped

    if (std::filesystem::exists("/dev/full")) {
        files::TrendCsvRecorder full;
        EXPECT_FALSE(full.Start("/dev/full"));  // even the header cannot be written
    }
}

// A child records and tells the parent after each line; the parent kills it at an arbitrary
// moment: every line the child reported written is in the file, complete.
TEST(TrendCsv, ARecordingKilledMidwayKeepsEveryLineWrittenBeforeTheKill) {
    testsupport::TempFolder folder;
    const std::string path = folder / "record.csv";
    int acknowledgements[2];
    ASSERT_EQ(pipe(acknowledgements), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(acknowledgements[0]);
        files::TrendCsvRecorder recorder;
        if (!recorder.Start(path)) _exit(2);
        for (int64_t i = 0;; ++i) {
            if (!recorder.Append({Winter + i * 1000, float(i), 0}, {})) _exit(3);
            const char done = 'x';
            if (write(acknowledgements[1], &done, 1) != 1) _exit(4);
        }
    }
    close(acknowledgements[1]);
    size_t acknowledged = 0;
    char byte;
    while (acknowledged < 500 && read(acknowledgements[0], &byte, 1) == 1) ++acknowledged;
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(acknowledgements[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended on its own with " << WEXITSTATUS(status);
    ASSERT_EQ(acknowledged, 500u);

    const std::string text = ReadAll(path);
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line + "\n", files::TrendCsvHeader);
    size_t complete = 0;
    while (std::getline(lines, line) && !lines.eof()) {
        EXPECT_EQ(line.substr(line.find(',') + 1, std::to_string(complete).size() + 1), std::to_string(complete) + ",");
        ++complete;
    }
    EXPECT_GE(complete, acknowledged);
}

}  // namespace
