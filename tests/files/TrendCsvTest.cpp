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

#include "files/TrendCsv.h"
#include "support/TempFolder.h"
#include "support/TimeZone.h"
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/SmallFileLimit.h"
#endif

namespace {

using polling::TrendSample;

constexpr int64_t Winter = 1'765'000'000'000;  // 2025-12-06 05:46:40 UTC
constexpr int64_t Summer = 1'751'000'000'000;  // 2025-06-27 04:53:20 UTC

using testsupport::TimeZone;

std::string ReadAll(const std::string& path) {
    std::ifstream in(testsupport::PathFromText(path), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

size_t LineCount(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

TEST(TrendCsv, LinesCarryLocalTimeWithMillisecondsItsOffsetPascalsTheDisplayedValueAndTheLamps) {
    TimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    const files::DisplayScale kPa{0.001f, 3, u"kPa"};
    struct Case {
        TrendSample sample;
        files::DisplayScale scale;
        std::string line;
    };
    const Case cases[] = {
        {{Winter, 2500, 0b0101}, kPa, "2025-12-06T06:46:40.000,+01:00,2500,2.500,kPa,1,0,1,0\n"},
        {{Summer + 999, 0.1f, 0b1000}, {1, 0, u"Pa"}, "2025-06-27T06:53:20.999,+02:00,0.1,0,Pa,0,0,0,1\n"},
        {{Winter, -12.5f, 0}, {1000.0f / 998.0f / 9.81f, 0, u"mm"},
         "2025-12-06T06:46:40.000,+01:00,-12.5,-1,mm,0,0,0,0\n"},
        {{Winter, std::numeric_limits<float>::quiet_NaN(), 0}, kPa,
         "2025-12-06T06:46:40.000,+01:00,nan,nan,kPa,0,0,0,0\n"},
        {{-1, 1, 0}, {1, 0, u"Pa"}, "1970-01-01T00:59:59.999,+01:00,1,1,Pa,0,0,0,0\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(files::TrendCsvLine(c.sample, c.scale), c.line);

    TimeZone west("EST5");
    EXPECT_EQ(files::IsoLocalTime(Winter + 157), "2025-12-06T00:46:40.157");
    EXPECT_EQ(files::UtcOffset(Winter), "-05:00");
    TimeZone india("IST-5:30");
    EXPECT_EQ(files::IsoLocalTime(Winter), "2025-12-06T11:16:40.000");
    EXPECT_EQ(files::UtcOffset(Winter), "+05:30");
}

TEST(TrendCsv, ASavedSpanIsTheHeaderAndOneLineASample) {
    TimeZone zone("UTC0");
    polling::TrendHistory history;
    for (int i = 0; i < 5; ++i) history.Append({Winter + i * 1000LL, float(i * 1000), 0});
    const std::string csv = files::TrendCsv(history, 1, 3, {0.001f, 3, u"kPa"});
    EXPECT_EQ(csv,
              "time,utc_offset,value_pa,value,unit,out1,out2,out3,out4\n"
              "2025-12-06T05:46:41.000,+00:00,1000,1.000,kPa,0,0,0,0\n"
              "2025-12-06T05:46:42.000,+00:00,2000,2.000,kPa,0,0,0,0\n");
}

TEST(TrendCsv, RecordingWritesTheHeaderOnceAndAppendsToAnExistingRecord) {
    testsupport::TempFolder folder;
    const std::string path = folder / "record.csv";
    {
        files::TrendCsvRecorder recorder;
        ASSERT_EQ(recorder.Start(path), files::RecordStart::Started);
        EXPECT_TRUE(recorder.recording());
        EXPECT_TRUE(recorder.Append({Winter, 1, 0}, {}));
    }
    files::TrendCsvRecorder again;
    ASSERT_EQ(again.Start(path), files::RecordStart::Started);
    EXPECT_TRUE(again.Append({Winter, 2, 0}, {}));
    const std::string text = ReadAll(path);
    EXPECT_EQ(LineCount(text), 3u);
    EXPECT_EQ(text.find("time,"), 0u);
    EXPECT_EQ(text.find("time,", 1), std::string::npos);
    EXPECT_EQ(text.find('\r'), std::string::npos) << "lines end in LF alone, on every system";

    files::TrendCsvRecorder nowhere;
    EXPECT_EQ(nowhere.Start(folder / "missing/record.csv"), files::RecordStart::CannotOpen);
    EXPECT_FALSE(nowhere.recording());
    EXPECT_FALSE(nowhere.Append({Winter, 1, 0}, {}));
}

TEST(TrendCsv, AWriteFailureStopsTheRecording) {
#ifdef _WIN32
    GTEST_SKIP() << "a full disk is made with a file size limit (setrlimit), which Windows does not have";
#else
    testsupport::TempFolder folder;
    files::TrendCsvRecorder recorder;
    ASSERT_EQ(recorder.Start(folder / "record.csv"), files::RecordStart::Started);
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
        EXPECT_NE(full.Start("/dev/full"), files::RecordStart::Started);  // a device, refused
    }
#endif
}

// Every line of the file has all fields: a recording cut short by a full disk leaves no half
// line, and the next recording into the file starts on a line of its own.
TEST(TrendCsv, AFullDiskLeavesWholeLinesAndTheNextRecordingStartsCleanly) {
#ifdef _WIN32
    GTEST_SKIP() << "a full disk is made with a file size limit (setrlimit), which Windows does not have";
#else
    testsupport::TempFolder folder;
    const std::string path = folder / "record.csv";
    for (const size_t limit : {130, 150, 170}) {  // the disk fills in the middle of a line
        files::TrendCsvRecorder recorder;
        ASSERT_EQ(recorder.Start(path), files::RecordStart::Started);
        testsupport::SmallFileLimit full(std::filesystem::file_size(path) + limit);
        for (int i = 0; i < 10 && recorder.Append({Winter + i * 1000LL, 123.25f, 0b0011}, {0.001f, 3, u"kPa"}); ++i) {
        }
        EXPECT_FALSE(recorder.recording());
    }
    {
        std::ofstream(path, std::ios::app) << "2025-12-06T05:46:41.000,+00:00,12";  // a line broken some other way
        files::TrendCsvRecorder recorder;
        ASSERT_EQ(recorder.Start(path), files::RecordStart::Started);
        EXPECT_TRUE(recorder.Append({Winter, 1, 0}, {}));
    }
    const std::string text = ReadAll(path);
    ASSERT_EQ(text.back(), '\n');
    std::istringstream lines(text);
    std::string line;
    size_t count = 0;
    while (std::getline(lines, line)) {
        EXPECT_EQ(std::count(line.begin(), line.end(), ','), 8) << line;
        ++count;
    }
    EXPECT_GE(count, 5u);
    EXPECT_EQ(text.find("time,"), 0u);
    EXPECT_EQ(text.find("time,", 1), std::string::npos);
#endif
}

TEST(TrendCsv, OnlyARegularFileIsRecordedIntoAndAFifoNeverBlocks) {
    testsupport::TempFolder folder;
#ifdef _WIN32
    files::TrendCsvRecorder recorder;
    EXPECT_EQ(recorder.Start(folder.text()), files::RecordStart::NotAFile);
    EXPECT_EQ(recorder.Start("NUL"), files::RecordStart::NotAFile);  // the null device
    EXPECT_FALSE(recorder.recording());
    GTEST_SKIP() << "fifos are POSIX: only a folder and the null device were tried";
#else
    const std::string fifo = folder / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    files::TrendCsvRecorder recorder;
    EXPECT_EQ(recorder.Start(fifo), files::RecordStart::NotAFile);  // no reader: would block a plain open
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(recorder.Start(fifo), files::RecordStart::NotAFile);  // with a reader: still no file
    close(reader);
    EXPECT_EQ(recorder.Start(folder.path().string()), files::RecordStart::NotAFile);
    EXPECT_EQ(recorder.Start("/dev/null"), files::RecordStart::NotAFile);
    EXPECT_FALSE(recorder.recording());
#endif
}

TEST(TrendCsv, AFileWithAnotherFirstLineIsAppendedToOnlyWhenAllowed) {
    testsupport::TempFolder folder;
    const std::string path = folder / "notes.csv";
    std::ofstream(testsupport::PathFromText(path), std::ios::binary) << "name,age\nAda,36";
    files::TrendCsvRecorder recorder;
    EXPECT_EQ(recorder.Start(path), files::RecordStart::ForeignFile);
    EXPECT_FALSE(recorder.recording());
    EXPECT_EQ(ReadAll(path), "name,age\nAda,36");
    ASSERT_EQ(recorder.Start(path, true), files::RecordStart::Started);
    EXPECT_TRUE(recorder.Append({Winter, 1, 0}, {}));
    const std::string text = ReadAll(path);
    EXPECT_EQ(text.rfind("name,age\nAda,36\n", 0), 0u);  // kept, with its line ended
    EXPECT_EQ(LineCount(text), 3u);
}

// A child records and tells the parent after each line; the parent kills it at an arbitrary
// moment: every line the child reported written is in the file, complete.
TEST(TrendCsv, ARecordingKilledMidwayKeepsEveryLineWrittenBeforeTheKill) {
#ifdef _WIN32
    GTEST_SKIP() << "the recording child is made with fork, which Windows does not have";
#else
    testsupport::TempFolder folder;
    const std::string path = folder / "record.csv";
    int acknowledgements[2];
    ASSERT_EQ(pipe(acknowledgements), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(acknowledgements[0]);
        files::TrendCsvRecorder recorder;
        if (recorder.Start(path) != files::RecordStart::Started) _exit(2);
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
        const size_t value = line.find(',', line.find(',') + 1) + 1;  // after time and utc_offset
        EXPECT_EQ(line.substr(value, std::to_string(complete).size() + 1), std::to_string(complete) + ",");
        ++complete;
    }
    EXPECT_GE(complete, acknowledged);
#endif
}

}  // namespace
