// The configuration file's format and its reader.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "files/ConfigFile.h"
#include "support/TempFolder.h"

namespace {

files::ConfigFileContent Example() {
    files::ConfigFileContent c;
    c.pressureType = true;
    c.specificGravityText = u"1000";
    c.higher = {50000, 80000, 0, 0};
    c.lower = {10000, -5000, 0, 0};
    c.mode = {1, 2, 0, -1};
    return c;
}

const char* const ExampleFile =
    "*** KD4410 CONFIG ***\r\np\r\n1000\r\n50000.000000\r\n10000.000000\r\n1\r\n80000.000000\r\n-5000.000000\r\n2\r\n"
    "0.000000\r\n0.000000\r\n0\r\n0.000000\r\n0.000000\r\n-1\r\n";

TEST(ConfigFile, IsWrittenByteForByte) {
    EXPECT_EQ(files::FormatConfigFile(Example()), ExampleFile);
    files::ConfigFileContent c = Example();
    c.pressureType = false;
    c.specificGravityText = u"998,5";  // the box's text as it stands
    c.higher[0] = 100999.995f;
    const std::string text = files::FormatConfigFile(c);
    EXPECT_EQ(text.substr(23, 3), "h\r\n");
    EXPECT_NE(text.find("\r\n998,5\r\n100999.992188\r\n"), std::string::npos);
}

TEST(ConfigFile, WhatIsWrittenReadsBack) {
    const files::ConfigFileReading r = files::ReadConfigFile(files::FormatConfigFile(Example()));
    ASSERT_TRUE(r.complete);
    EXPECT_EQ(r.lastLineTaken, 15);
    EXPECT_TRUE(r.content.pressureType);
    EXPECT_EQ(r.content.specificGravityText, u"1000");
    EXPECT_EQ(r.content.higher, Example().higher);
    EXPECT_EQ(r.content.lower, Example().lower);
    EXPECT_EQ(r.content.mode, Example().mode);
}

TEST(ConfigFile, TheHeaderMustBeExact) {
    const std::string body = std::string(ExampleFile).substr(23);
    for (const std::string header : {"*** KD4410 CONFIG *** \r\n", "*** kd4410 config ***\r\n", "KD4410\r\n", ""}) {
        const files::ConfigFileReading r = files::ReadConfigFile(header + body);
        EXPECT_FALSE(r.complete) << header;
        EXPECT_EQ(r.lastLineTaken, 1) << header;
    }
    EXPECT_FALSE(files::ReadConfigFile("*** KD4410 CONFIG ***").complete);  // no line end
    EXPECT_TRUE(files::ReadConfigFile("*** KD4410 CONFIG ***\n" + body).complete);  // a bare LF will do
}

TEST(ConfigFile, LinesAreCutAtTheirEndAndReadTolerantly) {
    std::string text = ExampleFile;
    auto replaceLine = [&](int number, const std::string& with) {
        size_t start = 0;
        for (int n = 1; n < number; ++n) start = text.find("\r\n", start) + 2;
        text.replace(start, text.find("\r\n", start) - start, with);
    };
    replaceLine(2, "p \t");          // trailing blanks and controls go
    replaceLine(3, "998,5");
    replaceLine(4, "abc");           // not a number: 0
    replaceLine(5, "  1.5e3");       // leading blanks stay and are allowed
    replaceLine(6, "7");             // out of 0..4: no selection later
    const files::ConfigFileReading r = files::ReadConfigFile(text);
    ASSERT_TRUE(r.complete);
    EXPECT_TRUE(r.content.pressureType);
    EXPECT_EQ(r.content.specificGravityText.substr(0, 3), u"998");
    EXPECT_EQ(r.content.specificGravityText.size(), 5u);  // 998.5 with the locale's separator
    EXPECT_EQ(r.content.higher[0], 0.0f);
    EXPECT_EQ(r.content.lower[0], 1500.0f);
    EXPECT_EQ(r.content.mode[0], 7);
    for (const char* type : {"P", "x", ""}) {
        replaceLine(2, type);
        EXPECT_FALSE(files::ReadConfigFile(text).content.pressureType) << type;
    }
}

TEST(ConfigFile, AModeThatIsNoIntegerStopsTheReadingAfterWhatCameBefore) {
    for (const char* mode : {"2.0", "", "x"}) {
        std::string text = ExampleFile;
        // line 12: the mode of output 3
        size_t start = 0;
        for (int n = 1; n < 12; ++n) start = text.find("\r\n", start) + 2;
        text.replace(start, 1, mode);
        const files::ConfigFileReading r = files::ReadConfigFile(text);
        EXPECT_FALSE(r.complete) << mode;
        EXPECT_EQ(r.lastLineTaken, 11) << mode;  // type, gravity, outputs 1 and 2, both values of 3
        EXPECT_TRUE(r.Took(files::ConfigFileReading::LowerLine(2)));
        EXPECT_FALSE(r.Took(files::ConfigFileReading::ModeLine(2)));
    }
}

TEST(ConfigFile, AFileThatEndsEarlyIsNotTakenForComplete) {
    std::string text = ExampleFile;
    text.resize(text.rfind("0.000000\r\n"));  // lines 1..13
    const files::ConfigFileReading r = files::ReadConfigFile(text);
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.lastLineTaken, 13);
}

TEST(ConfigFile, ALongLineCountsAsSeveral) {
    std::string text = ExampleFile;
    text.insert(text.find("p\r\n"), std::string(99, 'x'));  // line 2 becomes 99 x, then "p"
    const files::ConfigFileReading r = files::ReadConfigFile(text);
    EXPECT_FALSE(r.content.pressureType);
    EXPECT_EQ(r.content.specificGravityText, u"0");  // "p" read as the specific gravity
    EXPECT_FALSE(r.complete);  // "1" ... shifted: a value line lands on a mode line
}

TEST(ConfigFile, ANumberTooLargeForAFloatStopsTheReading) {
    std::string text = ExampleFile;
    text.replace(text.find("50000.000000"), 12, "1e300");
    const files::ConfigFileReading r = files::ReadConfigFile(text);
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.lastLineTaken, 3);
}

TEST(ConfigFile, OnlyARegularFileIsReadAndAFifoNeverBlocks) {
    testsupport::TempFolder folder;
    const std::string file = folder / "a.cfg";
    std::ofstream(testsupport::PathFromText(file), std::ios::binary) << ExampleFile << std::string(3000, 'x');
    const auto bytes = files::ReadConfigFileBeginning(file);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->size(), files::ConfigFileReadLimit);  // as much as the reader can use
    EXPECT_EQ(bytes->rfind(ExampleFile, 0), 0u);
    EXPECT_FALSE(files::ReadConfigFileBeginning(folder.text()).has_value());
    EXPECT_FALSE(files::ReadConfigFileBeginning(folder / "missing.cfg").has_value());
#ifdef _WIN32
    GTEST_SKIP() << "fifos and /dev/zero are POSIX: only the regular file, the folder and a missing file were tried";
#else
    const std::string fifo = folder / "pipe.cfg";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(files::ReadConfigFileBeginning(fifo).has_value());  // no writer: returns at once
    EXPECT_FALSE(files::ReadConfigFileBeginning("/dev/zero").has_value());
#endif
}

// "Müller" through the ANSI code page would be "M?ller": another file, or none.
TEST(ConfigFile, AFileWhoseNameHasLettersBeyondAsciiIsRead) {
    testsupport::TempFolder folder;
    const std::string file = folder / "Jiří Müller/zkouška-č.cfg";
    std::filesystem::create_directories(testsupport::PathFromText(file).parent_path());
    std::ofstream(testsupport::PathFromText(file), std::ios::binary) << ExampleFile;
    const auto bytes = files::ReadConfigFileBeginning(file);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_TRUE(files::ReadConfigFile(*bytes).complete);
}

}  // namespace
