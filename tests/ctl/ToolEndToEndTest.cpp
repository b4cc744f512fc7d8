// kd4410ctl end to end on the simulated library: commands, several transmitters, faults,
// invalid files and every exit code.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "config/ByteCodec.h"
#include "config/EepromMap.h"
#include "ctl/ToolRunner.h"

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
        return RunProgram(KD4410CTL, args, env, folder.path().string());
    }
    std::string eeprom() const { return folder / "eeprom.bin"; }
    std::string Write(const std::string& name, const std::string& text) {
        std::ofstream(folder / name, std::ios::binary) << text;
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
    // A copy alone in a folder finds no libmpusbapi.so beside it.
    const fs::path lonely = folder / "lonely";
    fs::create_directories(lonely);
    fs::copy_file(KD4410CTL, lonely / "kd4410ctl");
    const Outcome o = RunProgram((lonely / "kd4410ctl").string(), {"list"}, {{"LD_LIBRARY_PATH", ""}},
                                 folder.path().string());
    EXPECT_EQ(o.exit, 3);
    EXPECT_NE(o.err.find("cannot load the USB library"), std::string::npos) << o.err;
    EXPECT_EQ(RunProgram((lonely / "kd4410ctl").string(), {"--simulator", "list"}, {}, folder.path().string()).exit, 3);
}

// The library found first in the search answers, as for the window.
TEST_F(Tool, TheSimulatorEarlierInTheSearchTakesTheLibrarysPlace) {
    const Outcome o = RunProgram(KD4410CTL, {"list"}, {{"LD_LIBRARY_PATH", KD4410_SIM_DIR}, {"KD4410_SIM_EEPROM", eeprom()}},
                                 folder.path().string());
    EXPECT_EQ(o.exit, 0) << o.err;
    EXPECT_EQ(o.out, "0 12345\n");
}

}  // namespace
