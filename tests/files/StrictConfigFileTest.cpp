// The strict reading of a configuration file: a table of bad files, each refused at its line
// with what was expected; good files in the forms the writers make.
#include "files/StrictConfigFile.h"

#include <gtest/gtest.h>

#include "files/ConfigFile.h"

namespace {

using files::ConfigFileProblem;
using files::StrictConfigFile;

// Lines 3.. of a file: gravity, then per output higher, lower, mode.
std::string File(const std::vector<std::string>& lines, const std::string& end = "\r\n") {
    std::string text;
    for (const std::string& line : lines) text += line + end;
    return text;
}

std::vector<std::string> Good() {
    return {"*** KD4410 CONFIG ***", "p", "1000", "40000.000000", "20000.000000", "1", "80000.000000",
            "60000.000000", "2", "70000.000000", "30000.000000", "3", "90000.000000", "-10000.000000", "4"};
}

std::vector<std::string> With(int line, const std::string& text) {
    std::vector<std::string> lines = Good();
    lines[static_cast<size_t>(line - 1)] = text;
    return lines;
}

TEST(StrictConfigFile, BadFilesAreRefusedAtTheirLineWithWhatWasExpected) {
    struct Case {
        std::string name;
        std::string bytes;
        int line;
        std::string says;
    };
    const std::string good = File(Good());
    const std::vector<Case> cases = {
        {"letter O for zero", File(With(4, "2000O")), 4, "found \"2000O\""},
        {"a word", File(With(5, "two")), 5, "decimal number with a point"},
        {"nan", File(With(7, "nan")), 7, "found \"nan\""},
        {"inf", File(With(8, "-inf")), 8, "found \"-inf\""},
        {"thousands separator", File(With(4, "20,000")), 4, "found \"20,000\""},
        {"decimal comma in a threshold", File(With(4, "20000,5")), 4, "found \"20000,5\""},
        {"empty threshold", File(With(10, "")), 10, "found an empty line"},
        {"leading plus", File(With(4, "+20000")), 4, "found \"+20000\""},
        {"leading blank", File(With(4, " 20000")), 4, "found \" 20000\""},
        {"too large for a float", File(With(13, "1e39")), 13, "too large"},
        {"inner blank", File(With(4, "20 000")), 4, "found \"20 000\""},
        {"gravity with two separators", File(With(3, "1.000,5")), 3, "found \"1.000,5\""},
        {"gravity as a word", File(With(3, "water")), 3, "specific gravity"},
        {"gravity with exponent", File(With(3, "1e3")), 3, "found \"1e3\""},
        {"gravity out of range", File(With(3, "5")), 3, "outside 10..100000"},
        {"empty gravity", File(With(3, "")), 3, "found an empty line"},
        {"type other than p or h", File(With(2, "P")), 2, "p or h"},
        {"mode 7", File(With(15, "7")), 15, "mode, a whole number 0..4, found \"7\""},
        {"mode -1 (none chosen)", File(With(6, "-1")), 6, "found \"-1\""},
        {"mode 2.0", File(With(9, "2.0")), 9, "found \"2.0\""},
        {"lower above higher", File(With(5, "50000")), 5, "output 1: lower value 50000 Pa is above its higher value 40000"},
        {"header with a trailing letter", File(With(1, "*** KD4410 CONFIG ***x")), 1, "not a configuration file"},
        {"header with a trailing blank", File(With(1, "*** KD4410 CONFIG *** ")), 1, "not a configuration file"},
        {"header in lower case", File(With(1, "*** kd4410 config ***")), 1, "not a configuration file"},
        {"empty file", "", 1, "not a configuration file"},
        {"short", good.substr(0, good.find("70000")), 10, "ends early"},
        {"sixteenth line", good + "1\r\n", 16, "end of the file"},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF" + good, 1, "UTF-8 byte-order mark"},
        {"UTF-16 with a mark", std::string("\xFF\xFE*\0*\0", 6), 1, "UTF-16"},
        {"UTF-16 without a mark", std::string("*\0*\0*\0", 6), 1, "UTF-16"},
        {"a long line at its own number", File(With(7, std::string(150, '1') + "x")), 7, "found \"111"},
        {"control byte", File(With(4, "20000\x01")), 4, "\\x01"},
    };
    for (const Case& c : cases) {
        const files::StrictReading r = files::ReadStrictConfigFile(c.bytes);
        ASSERT_TRUE(std::holds_alternative<ConfigFileProblem>(r)) << c.name << ": taken";
        const ConfigFileProblem& p = std::get<ConfigFileProblem>(r);
        EXPECT_EQ(p.line, c.line) << c.name << ": " << p.what;
        EXPECT_NE(p.what.find(c.says), std::string::npos) << c.name << ": " << p.what;
    }
}

TEST(StrictConfigFile, GoodFilesInTheWritersFormsAreTaken) {
    struct Case {
        std::string name;
        std::string bytes;
        float gravity;
        float lower4;
    };
    files::ConfigFileContent written;  // as the window and the tool write a file
    written.specificGravityText = u"998,5";
    written.lower = {20000, 60000, 30000, -10000.5f};
    written.higher = {40000, 80000, 70000, 90000};
    written.mode = {1, 2, 3, 4};
    const std::vector<Case> cases = {
        {"CR LF", File(Good()), 1000, -10000},
        {"bare LF", File(Good(), "\n"), 1000, -10000},
        {"no line end after the last line", File(Good()).substr(0, File(Good()).size() - 2), 1000, -10000},
        {"trailing blanks", File(With(14, "-10000.000000  \t")), 1000, -10000},
        {"an exponent", File(With(14, "-1e4")), 1000, -10000},
        {"gravity with a point", File(With(3, "998.5")), 998.5f, -10000},
        {"the writer's own output, comma gravity", files::FormatConfigFile(written), 998.5f, -10000.5f},
        {"an empty line after the last", File(Good()) + "\r\n", 1000, -10000},
    };
    for (const Case& c : cases) {
        const files::StrictReading r = files::ReadStrictConfigFile(c.bytes);
        ASSERT_TRUE(std::holds_alternative<StrictConfigFile>(r))
            << c.name << ": " << std::get<ConfigFileProblem>(r).line << " " << std::get<ConfigFileProblem>(r).what;
        const StrictConfigFile& f = std::get<StrictConfigFile>(r);
        EXPECT_EQ(f.specificGravity, c.gravity) << c.name;
        EXPECT_EQ(f.outputs[3].lower, c.lower4) << c.name;
        EXPECT_EQ(f.outputs[0].higher, 40000) << c.name;
        EXPECT_EQ(f.outputs[1].mode, 2) << c.name;
    }
}

// The window's entry limits after a read: -0.1 x and 1.01 x the nominal range, both included.
TEST(StrictConfigFile, ThresholdsAreCheckedAgainstTheTransmittersNominalRange) {
    struct Case {
        int line;
        std::string text;
        float range;
        int refusedAt;  // 0: taken
    };
    for (const Case& c : {Case{13, "101000", 100000, 0}, Case{13, "101000.01", 100000, 13},
                          Case{14, "-10000", 100000, 0}, Case{14, "-10000.01", 100000, 14},
                          Case{13, "5e6", 100000, 13}, Case{13, "1e38", 100000, 13},
                          Case{13, "252500", 250000, 0}, Case{7, "80000", 75000, 7}}) {
        const auto file = std::get<StrictConfigFile>(files::ReadStrictConfigFile(File(With(c.line, c.text))));
        const auto problem = files::CheckThresholdLimits(file, c.range);
        EXPECT_EQ(problem ? problem->line : 0, c.refusedAt) << c.text << " on " << c.range;
    }
    const auto file = std::get<StrictConfigFile>(files::ReadStrictConfigFile(File(Good())));
    const float erased = std::numeric_limits<float>::quiet_NaN();
    for (float range : {erased, 0.0f, -100000.0f}) {
        const auto problem = files::CheckThresholdLimits(file, range);
        ASSERT_TRUE(problem) << range;
        EXPECT_NE(problem->what.find("nominal range"), std::string::npos);
    }
}

}  // namespace
