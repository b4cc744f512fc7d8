// kd4410ctl end to end on the simulated library: commands, several transmitters, faults,
// invalid files and every exit code.
#include <gtest/gtest.h>

#include <cctype>
#include <ctime>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "config/ByteCodec.h"
#include "config/EepromMap.h"
#include "ctl/ToolRunner.h"
#include "platform/LocalTime.h"

namespace {

using namespace testsupport;
namespace fs = std::filesystem;

class Tool : public ::testing::Test {
protected:
    Outcome Run(std::vector<std::string> args, std::map<std::string, std::string> extra = {}) {
        std::map<std::string, std::string> env = {{"KD4410_SIM_EEPROM", eeprom()}, {"LD_LIBRARY_PATH", ""},
                                                  {"XDG_STATE_HOME", folder / "state"},
                                                  {"XDG_DATA_HOME", folder / "data"}};
        for (const auto& [k, v] : extra) env[k] = v;
        args.insert(args.begin(), "--simulator");
        return RunProgram(BuiltFile(KD4410CTL), args, env, folder.text());
    }
    std::string eeprom() const { return folder / "eeprom.bin"; }
    std::string Write(const std::string& name, const std::string& text) {
        std::ofstream(PathFromText(folder / name), std::ios::binary) << text;
        return folder / name;
    }
    std::vector<uint8_t> Eeprom(const std::string& file) {
        const std::string bytes = Slurp(folder / file);
        return {bytes.begin(), bytes.end()};
    }
    static std::string Line(const std::string& text, int n) {
        std::istringstream in(text);
        std::string line;
        for (int i = 0; i < n; ++i) std::getline(in, line);
        return line;
    }
    static std::string ConfigText(const std::string& lower1 = "20000", const std::string& mode4 = "4",
                                  const std::string& gravity = "1000") {
        return "*** KD4410 CONFIG ***\r\np\r\n" + gravity + "\r\n40000\r\n" + lower1 +
               "\r\n1\r\n80000\r\n60000\r\n2\r\n70000\r\n30000\r\n3\r\n90000\r\n10000\r\n" + mode4 + "\r\n";
    }

    TempFolder folder;
};

// What a new user does first, from list to three files of three transmitters.
TEST_F(Tool, TheFirstSessionOfANewUser) {
    Outcome o = Run({"list"});
    EXPECT_EQ(o.exit, 0) << o.err;
    EXPECT_EQ(o.out, "0 12345\n");

    ASSERT_EQ(Run({"read", "-o", "a.cfg"}).exit, 0);
    std::string a = Slurp(folder / "a.cfg");
    EXPECT_EQ(Line(a, 1), "*** KD4410 CONFIG ***\r");
    EXPECT_EQ(Line(a, 2), "p\r");
    EXPECT_EQ(Line(a, 5), "20000.000000\r");
    a.replace(a.find("20000.000000"), 12, "25000.000000");
    Write("a.cfg", a);

    o = Run({"diff", "a.cfg"});
    EXPECT_EQ(o.exit, 1);
    EXPECT_EQ(o.out, "output 1 lower value: file 25.000 kPa, transmitter 20.000 kPa\n");

    o = Run({"write", "a.cfg"});
    EXPECT_EQ(o.exit, 0) << o.err;
    EXPECT_NE(o.out.find("written and verified"), std::string::npos);
    EXPECT_EQ(config::LoadFloatLE(&Eeprom("eeprom.bin")[config::eeOutputs]), 25000.0f);
    EXPECT_EQ(Run({"diff", "a.cfg"}).exit, 0);

    o = Run({"zero", "--yes"});
    EXPECT_EQ(o.exit, 0) << o.err;
    EXPECT_NE(o.out.find("transmitter 12345: Zero error is: "), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("old offset 0.000 kPa (0 Pa), new offset "), std::string::npos) << o.out;
    EXPECT_NE(config::LoadFloatLE(&Eeprom("eeprom.bin")[config::eeZeroOffset]), 0.0f);

    o = Run({"watch", "--count", "5", "--csv", "w.csv", "--interval", "0.001"});
    EXPECT_EQ(o.exit, 0) << o.err;
    EXPECT_NE(o.out.find("samples 5, min "), std::string::npos);
    const std::string csv = Slurp(folder / "w.csv");
    EXPECT_EQ(Line(csv, 1), "time,utc_offset,value_pa,value,unit,out1,out2,out3,out4");
    std::vector<std::string> fields;
    std::istringstream row(Line(csv, 6));
    for (std::string field; std::getline(row, field, ',');) fields.push_back(field);
    ASSERT_EQ(fields.size(), 9u) << Line(csv, 6);
    EXPECT_EQ(fields[0].size(), 23u);  // 2026-12-10T15:27:36.035
    EXPECT_EQ(fields[0][10], 'T');
    EXPECT_EQ(fields[1].size(), 6u);  // +00:00
    EXPECT_EQ(fields[4], "kPa");
    for (size_t i = 5; i < 9; ++i) EXPECT_TRUE(fields[i] == "0" || fields[i] == "1") << fields[i];
    EXPECT_EQ(Line(csv, 7), "");

    o = Run({"--all", "read", "-o", "unit-{serial}.cfg"}, {{"KD4410_SIM_DEVICES", "3"}});
    EXPECT_EQ(o.exit, 0) << o.err;
    for (const char* serial : {"12345", "12346", "12347"})
        EXPECT_TRUE(fs::exists(folder / (std::string("unit-") + serial + ".cfg"))) << serial;
    EXPECT_NE(o.out.find("3 transmitters: 3 ok (12345, 12346, 12347), 0 failed, 0 not answering"), std::string::npos)
        << o.out;
    // The first keeps what was written to it; the others are factory-fresh.
    EXPECT_EQ(Line(Slurp(folder / "unit-12345.cfg"), 5), "25000.000000\r");
    EXPECT_EQ(Line(Slurp(folder / "unit-12346.cfg"), 5), "20000.000000\r");
}

TEST_F(Tool, SeveralTransmittersAreListedChosenBySerialAndWrittenInTurn) {
    const std::map<std::string, std::string> three = {{"KD4410_SIM_DEVICES", "3"}};
    Outcome o = Run({"list"}, three);
    EXPECT_EQ(o.out, "0 12345\n1 12346\n2 12347\n");
    o = Run({"--json", "list"}, three);
    const nlohmann::json list = nlohmann::json::parse(o.out);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1]["serial"], 12346);

    Write("b.cfg", ConfigText("15000"));
    o = Run({"--serial", "12346", "write", "b.cfg"}, three);
    EXPECT_EQ(o.exit, 0) << o.err;
    EXPECT_EQ(config::LoadFloatLE(&Eeprom("eeprom-2.bin")[config::eeOutputs]), 15000.0f);
    EXPECT_FALSE(fs::exists(eeprom()));  // the first was not touched

    o = Run({"--all", "diff", "b.cfg"}, three);
    EXPECT_EQ(o.exit, 1);  // two of three differ
    EXPECT_NE(o.out.find("12346: ok"), std::string::npos);
    EXPECT_NE(o.out.find("12347: differs"), std::string::npos);

    o = Run({"--serial", "999", "info"}, three);
    EXPECT_EQ(o.exit, 3);
    EXPECT_NE(o.err.find("serial number 999"), std::string::npos);
    EXPECT_EQ(Run({"--device", "2", "info"}, three).exit, 0);
    EXPECT_EQ(Run({"--device", "3", "info"}, three).exit, 3);
}

TEST_F(Tool, JsonOfInfoReadAndDiff) {
    Outcome o = Run({"--json", "--unit", "bar", "info"});
    ASSERT_EQ(o.exit, 0) << o.err;
    nlohmann::json j = nlohmann::json::parse(o.out).at(0);  // one shape: a list, also of one
    EXPECT_EQ(j["serial"], 12345);
    EXPECT_EQ(j["unit"], "bar");
    EXPECT_EQ(j["nominal_range"], 1.0);
    o = Run({"--json", "--unit", "mm", "read"});
    j = nlohmann::json::parse(o.out).at(0);
    EXPECT_EQ(j["outputs"][0]["lower_pa"], 20000.0);
    EXPECT_EQ(j["outputs"][0]["lower"], 2039.0);  // 20000 Pa of water at 1000 kg/m3
    Write("c.cfg", ConfigText("20000", "3"));
    o = Run({"--json", "diff", "c.cfg"});
    EXPECT_EQ(o.exit, 1);
    j = nlohmann::json::parse(o.out).at(0);
    EXPECT_EQ(j["equal"], false);
    EXPECT_EQ(j["differences"][0]["field"], "output 4 mode");
}

TEST_F(Tool, ATransmitterThatDoesNotAnswerIsReportedWithExit4AndAnAbsentOneWith3) {
    struct Case {
        const char* variable;
        int exit;
        const char* says;
    };
    for (const Case& c : {Case{"KD4410_SIM_SILENT", 4, "does not answer"},
                          Case{"KD4410_SIM_BAD_CHECKSUM", 4, "does not answer"},
                          Case{"KD4410_SIM_NO_DEVICE", 3, "no transmitter is attached"}}) {
        const Outcome o = Run({"read"}, {{c.variable, "1"}});
        EXPECT_EQ(o.exit, c.exit) << c.variable;
        EXPECT_NE(o.err.find(c.says), std::string::npos) << o.err;
        EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << "one line: " << o.err;
    }
    EXPECT_EQ(Run({"list"}, {{"KD4410_SIM_NO_DEVICE", "1"}}).exit, 3);
}

// Exchanges before the write: connect (2), serial (1), the read before writing (16); the
// write itself: command 2, gravity, outputs, command 1; then the read-back.
TEST_F(Tool, AWriteThatStopsHalfWayFailsAndNamesWhatWasNotVerified) {
    Write("d.cfg", ConfigText("21000"));
    Outcome o = Run({"write", "d.cfg"}, {{"KD4410_SIM_FAIL_AFTER", "21"}});
    EXPECT_EQ(o.exit, 4);
    EXPECT_NE(o.err.find("specific gravity written, outputs 1-4 not verified"), std::string::npos) << o.err;

    fs::remove(eeprom());
    o = Run({"write", "d.cfg"}, {{"KD4410_SIM_FAIL_AFTER", "30"}});
    EXPECT_EQ(o.exit, 4);
    EXPECT_NE(o.err.find("output 2 higher value and the fields after it not verified"), std::string::npos) << o.err;
}

TEST_F(Tool, AnInvalidFileEndsWithExit2NamingFileAndLineAndNothingIsSent) {
    struct Case {
        const char* name;
        std::string text;
        const char* says;
    };
    const std::string good = ConfigText();
    for (const Case& c : {Case{"short", good.substr(0, good.find("70000")), "e.cfg:10: the file ends early"},
                          Case{"header", "*** KD4410 CONFIG *** \r\n" + good.substr(good.find("p\r")),
                               "e.cfg:1: not a configuration file"},
                          Case{"lower above higher", ConfigText("50000"), "e.cfg:5: output 1: lower value 50000"},
                          Case{"gravity", ConfigText("20000", "4", "5"), "e.cfg:3: specific gravity 5"},
                          Case{"mode", ConfigText("20000", "7"), "e.cfg:15: expected the output 4 mode, a whole number 0..4, found \"7\""}}) {
        SCOPED_TRACE(c.name);
        Write("e.cfg", c.text);
        const std::string log = folder / "frames.log";
        for (const char* command : {"write", "diff"}) {
            const Outcome o = Run({command, "e.cfg"}, {{"KD4410_SIM_LOG", log}});
            EXPECT_EQ(o.exit, 2);
            EXPECT_NE(o.err.find(c.says), std::string::npos) << o.err;
            EXPECT_FALSE(fs::exists(log) && fs::file_size(log) > 0) << "something was sent";
        }
    }
    EXPECT_EQ(Run({"write", "missing.cfg"}).exit, 2);
}

TEST_F(Tool, BadUsageEndsWithExit2AndZeroWithoutATerminalWritesNothing) {
    EXPECT_EQ(Run({}).exit, 2);
    EXPECT_EQ(Run({"frobnicate"}).exit, 2);
    EXPECT_EQ(Run({"--unit", "furlong", "info"}).exit, 2);
    EXPECT_EQ(Run({"--all", "--device", "1", "info"}).exit, 2);
    EXPECT_EQ(Run({"--json", "watch"}).exit, 2);
    EXPECT_EQ(Run({"--all", "read", "-o", "one.cfg"}).exit, 2);  // each would replace the one before
    const std::string log = folder / "frames.log";
    const Outcome o = Run({"zero"}, {{"KD4410_SIM_LOG", log}});
    EXPECT_EQ(o.exit, 2);
    EXPECT_NE(o.err.find("--yes"), std::string::npos);
    EXPECT_FALSE(fs::exists(log));
    EXPECT_EQ(Run({"--help"}).exit, 0);
    EXPECT_EQ(Run({"--version"}).out.rfind("kd4410ctl ", 0), 0u);
}

TEST_F(Tool, WithoutItsLibraryTheToolEndsWithExit3) {
    // A copy alone in a folder finds no libmpusbapi.so (mpusbapi.dll) beside it.
    const std::string lonely = folder / ("lonely/" + ProgramFileName("kd4410ctl"));
    fs::create_directories(PathFromText(lonely).parent_path());
    fs::copy_file(PathFromText(BuiltFile(KD4410CTL)), PathFromText(lonely));
    const Outcome o = RunProgram(lonely, {"list"}, {{"LD_LIBRARY_PATH", ""}}, folder.text());
    EXPECT_EQ(o.exit, 3);
    EXPECT_NE(o.err.find("cannot load the USB library"), std::string::npos) << o.err;
    EXPECT_EQ(RunProgram(lonely, {"--simulator", "list"}, {}, folder.text()).exit, 3);
}

// The library found first in the search answers, as for the window (on Windows the search
// goes through PATH after the program's folder).
TEST_F(Tool, TheSimulatorEarlierInTheSearchTakesTheLibrarysPlace) {
#ifdef _WIN32
    const std::string search = "PATH", first = BuiltFile(KD4410_SIM_DIR) + ";" + GetEnvironment("PATH").value_or("");
#else
    const std::string search = "LD_LIBRARY_PATH", first = KD4410_SIM_DIR;
#endif
    const Outcome o = RunProgram(BuiltFile(KD4410CTL), {"list"}, {{search, first}, {"KD4410_SIM_EEPROM", eeprom()}},
                                 folder.text());
    EXPECT_EQ(o.exit, 0) << o.err;
    EXPECT_EQ(o.out, "0 12345\n");
}

// A user named "Jiří Müller" with files named as he likes: the names reach the system as they
// are written, on every system (not "M?ller.cfg" through the ANSI code page).
TEST_F(Tool, FilesWithLettersBeyondAsciiInTheirNamesAreReadAndWritten) {
    const std::string own = folder / "Jiří Müller";
    fs::create_directories(PathFromText(own));
    const std::map<std::string, std::string> kept = {{"KD4410_SIM_EEPROM", own + "/eeprom-ř.bin"}};
    Outcome o = Run({"read", "-o", "Müller.cfg"}, kept);
    ASSERT_EQ(o.exit, 0) << o.err;
    EXPECT_TRUE(fs::is_regular_file(PathFromText(folder / "Müller.cfg")));
    o = Run({"diff", "Müller.cfg"}, kept);
    EXPECT_EQ(o.exit, 0) << o.err << o.out;

    const std::string file = own + "/zkouška-č.cfg";
    Write("Jiří Müller/zkouška-č.cfg", ConfigText("21000"));
    o = Run({"write", file}, kept);
    EXPECT_EQ(o.exit, 0) << o.err;
    EXPECT_TRUE(fs::is_regular_file(PathFromText(own + "/eeprom-ř.bin")));
    EXPECT_EQ(Run({"diff", file}, kept).exit, 0);
    o = Run({"read", "-o", own + "/řízení.cfg"}, kept);
    EXPECT_EQ(o.exit, 0) << o.err;
    EXPECT_EQ(Slurp(own + "/řízení.cfg").substr(0, 23), "*** KD4410 CONFIG ***\r\n");
    EXPECT_EQ(Line(Slurp(own + "/řízení.cfg"), 5), "21000.000000\r");
}

// text has exactly the shape of pattern, where '9' stands for any digit and '*' for a sign.
bool HasShape(const std::string& text, const std::string& pattern) {
    if (text.size() != pattern.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char p = pattern[i], c = text[i];
        if (p == '9' ? !std::isdigit(static_cast<unsigned char>(c)) : p == '*' ? c != '+' && c != '-' : c != p)
            return false;
    }
    return true;
}

bool IsNumber(const std::string& text) {
    return !text.empty() && text.find_first_not_of("-0123456789.") == std::string::npos;
}

// watch's CSV byte for byte (LF line ends, no stray characters) and its local times with their
// offset from UTC, east and west of Greenwich and half an hour off: each time less its offset
// is now in UTC, and the CSV's time is the one shown on the screen for the same sample.
TEST_F(Tool, WatchWritesExactCsvLinesWithTheLocalTimeAndItsOffset) {
    struct Zone {
        const char* tz;
        const char* offset;
    };
    for (const Zone& zone : {Zone{"EST5", "-05:00"}, Zone{"CET-1", "+01:00"}, Zone{"IST-5:30", "+05:30"},
                             Zone{"NST3:30", "-03:30"}, Zone{"UTC0", "+00:00"}}) {
        SCOPED_TRACE(zone.tz);
        const Outcome o = Run({"watch", "--count", "3", "--interval", "0.001", "--csv", "z.csv"}, {{"TZ", zone.tz}});
        ASSERT_EQ(o.exit, 0) << o.err;
        const std::string csv = Slurp(folder / "z.csv");
        fs::remove(PathFromText(folder / "z.csv"));
        EXPECT_EQ(csv.find('\r'), std::string::npos) << "lines end in LF alone";
        ASSERT_EQ(csv.rfind("time,utc_offset,value_pa,value,unit,out1,out2,out3,out4\n", 0), 0u) << csv;
        ASSERT_EQ(csv.back(), '\n');
        std::istringstream lines(csv.substr(csv.find('\n') + 1)), shown(o.out);
        int rows = 0;
        for (std::string line, screen; std::getline(lines, line); ++rows) {
            std::vector<std::string> f;
            std::istringstream fields(line);
            for (std::string field; std::getline(fields, field, ',');) f.push_back(field);
            ASSERT_EQ(f.size(), 9u) << line;
            ASSERT_TRUE(HasShape(f[0], "9999-99-99T99:99:99.999")) << line;
            ASSERT_TRUE(HasShape(f[1], "*99:99")) << line;
            EXPECT_EQ(f[1], zone.offset) << line;
            EXPECT_TRUE(IsNumber(f[2]) && IsNumber(f[3])) << line;
            EXPECT_EQ(f[4], "kPa");
            for (size_t i = 5; i < 9; ++i) EXPECT_TRUE(f[i] == "0" || f[i] == "1") << line;
            auto number = [](const std::string& text, size_t at, size_t n) { return std::stoi(text.substr(at, n)); };
            const int64_t local = platform::DaysFromCivil(number(f[0], 0, 4), number(f[0], 5, 2), number(f[0], 8, 2)) * 86400 +
                                  number(f[0], 11, 2) * 3600 + number(f[0], 14, 2) * 60 + number(f[0], 17, 2);
            const int64_t offset = (f[1][0] == '-' ? -1 : 1) * (number(f[1], 1, 2) * 3600 + number(f[1], 4, 2) * 60);
            EXPECT_LE(std::llabs(local - offset - static_cast<int64_t>(std::time(nullptr))), 300) << line;
            ASSERT_TRUE(std::getline(shown, screen)) << o.out;
            EXPECT_EQ(screen.substr(0, 30), line.substr(0, 23) + zone.offset + " ") << screen;
        }
        EXPECT_EQ(rows, 3);
    }
}

}  // namespace
