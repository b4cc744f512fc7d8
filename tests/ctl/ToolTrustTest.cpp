// kd4410ctl as a production line drives it: files it must refuse, output that cannot be written,
// erased transmitters, interruptions, a transmitter held by another program, one JSON shape.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "config/ByteCodec.h"
#include "config/EepromMap.h"
#include "ctl/Fleet.h"
#include "ctl/ToolRunner.h"
#include "support/FileLock.h"
#include "TransmitterModel.h"

namespace {

using namespace testsupport;
namespace fs = std::filesystem;

class ToolTrust : public ::testing::Test {
protected:
    Outcome Run(std::vector<std::string> args, std::map<std::string, std::string> extra = {},
                const std::string& input = "/dev/null", const std::string& output = "") {
        std::map<std::string, std::string> env = {{"KD4410_SIM_EEPROM", eeprom()}, {"LD_LIBRARY_PATH", ""},
                                                  {"XDG_STATE_HOME", folder / "state"}, {"KD4410_SIM_LOG", log()}};
        for (const auto& [k, v] : extra) env[k] = v;
        args.insert(args.begin(), "--simulator");
        return RunProgram(BuiltFile(KD4410CTL), args, env, folder.text(), input, output);
    }
    std::string eeprom() const { return folder / "eeprom.bin"; }
    std::string log() const { return folder / "frames.log"; }
    std::string Write(const std::string& name, const std::string& text) {
        std::ofstream(PathFromText(folder / name), std::ios::binary) << text;
        return folder / name;
    }
    // Requests that wrote to the EEPROM (command 8), in the frame log.
    int EepromWrites() {
        std::istringstream lines(Slurp(log()));
        int writes = 0;
        for (std::string line; std::getline(lines, line);) writes += line.rfind("> A5FFFE08", 0) == 0;
        return writes;
    }
    float Float(uint32_t address) {
        const std::string bytes = Slurp(eeprom());
        return config::LoadFloatLE(reinterpret_cast<const uint8_t*>(bytes.data()) + address);
    }
    void SetEeprom(uint32_t address, std::vector<uint8_t> bytes) {
        std::vector<uint8_t> e = sim::TransmitterModel::FactoryEeprom();
        std::copy(bytes.begin(), bytes.end(), e.begin() + address);
        std::ofstream(eeprom(), std::ios::binary).write(reinterpret_cast<const char*>(e.data()),
                                                       static_cast<std::streamsize>(e.size()));
    }
    static std::string ConfigText(const std::string& lower1 = "20000.000000", const std::string& higher4 = "90000.000000",
                                  const std::string& gravity = "1000") {
        return "*** KD4410 CONFIG ***\r\np\r\n" + gravity + "\r\n40000.000000\r\n" + lower1 +
               "\r\n1\r\n80000.000000\r\n60000.000000\r\n2\r\n70000.000000\r\n30000.000000\r\n3\r\n" + higher4 +
               "\r\n10000.000000\r\n4\r\n";
    }

    TempFolder folder;
};

TEST_F(ToolTrust, BadThresholdsAreRefusedBeforeAnythingIsWritten) {
    struct Case {
        std::string lower1, higher4;
        const char* says;
    };
    for (const Case& c : {Case{"2000O", "90000", "f.cfg:5: expected the output 1 lower value"},
                          Case{"two", "90000", "f.cfg:5:"}, Case{"nan", "90000", "found \"nan\""},
                          Case{"20,000", "90000", "found \"20,000\""},
                          Case{"20000", "5e6", "f.cfg:13: output 4 higher value 5000000 Pa is above the highest allowed, 101000"},
                          Case{"20000", "1e38", "f.cfg:13: output 4 higher value 1e+38 Pa is above"},
                          Case{"-10001", "90000", "f.cfg:5: output 1 lower value -10001 Pa is below the lowest allowed, -10000"}}) {
        SCOPED_TRACE(c.lower1 + " " + c.higher4);
        Write("f.cfg", ConfigText(c.lower1, c.higher4));
        const Outcome o = Run({"write", "f.cfg"});
        EXPECT_EQ(o.exit, 2);
        EXPECT_NE(o.err.find(c.says), std::string::npos) << o.err;
        EXPECT_EQ(EepromWrites(), 0);
    }
}

TEST_F(ToolTrust, AFileFromAPipeIsReadOnceForEveryUnitAndAHeldOneIsNotWrittenAgain) {
    const std::string file = Write("g.cfg", ConfigText("25000.000000"));
    const std::map<std::string, std::string> three = {{"KD4410_SIM_DEVICES", "3"}};
    Outcome o = Run({"--all", "write", "-"}, three, file);
    EXPECT_EQ(o.exit, 0) << o.err;
    EXPECT_NE(o.out.find("3 transmitters: 3 ok (12345, 12346, 12347), 0 failed, 0 not answering; standard input "
                         "sha256 "),
              std::string::npos)
        << o.out;
    EXPECT_EQ(EepromWrites(), 6);  // gravity and outputs, three times

#ifndef _WIN32  // no /dev/stdin there; "-" above is the way on every system
    fs::remove(log());
    o = Run({"write", "/dev/stdin"}, {}, file);
    EXPECT_EQ(o.exit, 0) << o.err;
    EXPECT_NE(o.out.find("transmitter 12345: already holds /dev/stdin"), std::string::npos) << o.out;
    EXPECT_EQ(EepromWrites(), 0);
#endif
}

TEST_F(ToolTrust, OutputThatCannotBeWrittenEndsWithExit2AndOneLine) {
#ifdef _WIN32
    GTEST_SKIP() << "a full disk is /dev/full, which Windows does not have";
#else
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--json", "info"}, std::vector<std::string>{"list"}}) {
        const Outcome o = Run(args, {}, "/dev/null", "/dev/full");
        EXPECT_EQ(o.exit, 2) << args[0];
        EXPECT_NE(o.err.find("cannot write to standard output (No space left on device)"), std::string::npos) << o.err;
        EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
    }
    Outcome o = Run({"watch", "--count", "2", "--interval", "0.001", "--csv", "/dev/full"});
    EXPECT_EQ(o.exit, 2);
    EXPECT_NE(o.err.find("cannot write /dev/full"), std::string::npos) << o.err;
    o = Run({"read", "-o", "/dev/full"});
    EXPECT_EQ(o.exit, 2);
#endif
}

TEST_F(ToolTrust, ArgumentsAreValidated) {
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    for (const Case& c : {Case{{"watch", "--count", "-3"}, "--count"}, Case{{"watch", "--count", "0"}, "--count"},
                          Case{{"watch", "--interval", "0"}, "--interval"},
                          Case{{"watch", "--interval", "1e300"}, "--interval"},
                          Case{{"--device", "1", "--serial", "12345", "info"}, "--device"},
                          Case{{"--all", "zero", "--yes"}, "--max-error"},
                          Case{{"foo"}, "unknown command 'foo'"}}) {
        const Outcome o = Run(c.args);
        EXPECT_EQ(o.exit, 2) << c.args[0];
        EXPECT_NE(o.err.find(c.says), std::string::npos) << o.err;
    }
}

TEST_F(ToolTrust, ErasedFieldsReadAsErasedAndAreNotSavedToAFile) {
    // Output 2's lower value a NaN, output 4's mode 255.
    std::vector<uint8_t> e = sim::TransmitterModel::FactoryEeprom();
    e[config::OutputRecordAddress(1)] = e[config::OutputRecordAddress(1) + 1] = 0xFF;
    e[config::OutputRecordAddress(1) + 2] = e[config::OutputRecordAddress(1) + 3] = 0xFF;
    e[config::OutputRecordAddress(3) + config::OutputRecordModeOffset] = 0xFF;
    std::ofstream(eeprom(), std::ios::binary).write(reinterpret_cast<const char*>(e.data()),
                                                   static_cast<std::streamsize>(e.size()));
    Outcome o = Run({"read"});
    EXPECT_EQ(o.exit, 0) << o.err;
    EXPECT_EQ(o.out.find("nan"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("2       Extraction     erased"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("4       erased"), std::string::npos) << o.out;
    o = Run({"read", "-o", "h.cfg"});
    EXPECT_EQ(o.exit, 1);
    EXPECT_NE(o.err.find("output 2 lower value, output 4 mode are erased"), std::string::npos) << o.err;
    EXPECT_FALSE(fs::exists(folder / "h.cfg"));
    o = Run({"--json", "read"});
    EXPECT_EQ(nlohmann::json::parse(o.out).at(0)["outputs"][1]["lower_pa"], nullptr);
}

TEST_F(ToolTrust, ZeroRefusesAnErrorAboveMaxErrorAndWritesNothing) {
    const Outcome o = Run({"zero", "--yes", "--max-error", "1"});  // the simulated reading is far from zero
    EXPECT_EQ(o.exit, 1);
    EXPECT_NE(o.err.find("exceeds --max-error 1 kPa"), std::string::npos) << o.err;
    EXPECT_EQ(EepromWrites(), 0);
}

// KD4410_SIM_INTERRUPT_AFTER sends SIGINT as the tool sends that request. Before the write:
// connect (2 requests), serial number (1), the read (16); then command 2 (20), the gravity (21).
TEST_F(ToolTrust, AnInterruptedWriteFinishesItsExchangeWritesNothingMoreAndReportsEachField) {
    Write("i.cfg", ConfigText("25000.000000", "90000.000000", "998"));
    const Outcome o = Run({"write", "i.cfg"}, {{"KD4410_SIM_INTERRUPT_AFTER", "21"}});
    EXPECT_EQ(o.exit, 130);
    EXPECT_NE(o.out.find("specific gravity: verified"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("output 1 lower value: not written"), std::string::npos) << o.out;
    EXPECT_NE(o.err.find("interrupted"), std::string::npos) << o.err;
    EXPECT_EQ(EepromWrites(), 1);
    EXPECT_EQ(Float(config::eeSpecificGravity), 998.0f);
    EXPECT_EQ(Float(config::eeOutputs), 20000.0f);

    // Zero: connect and serial (3), command 2, offset, r1, command 13, r2 (8): nothing written.
    fs::remove(log());
    const Outcome z = Run({"zero", "--yes"}, {{"KD4410_SIM_INTERRUPT_AFTER", "8"}});
    EXPECT_EQ(z.exit, 130);
    EXPECT_NE(z.err.find("interrupted; nothing written"), std::string::npos) << z.err;
    EXPECT_EQ(EepromWrites(), 0);
}

TEST_F(ToolTrust, ATransmitterHeldByAnotherProgramIsInUse) {
    ASSERT_EQ(Run({"info"}).exit, 0);
    Outcome o;
    {
        HeldFileLock held(eeprom() + ".lock");
        ASSERT_TRUE(held.held());
        o = Run({"info"});
    }
    EXPECT_EQ(o.exit, 3);
    EXPECT_NE(o.err.find("in use by another program"), std::string::npos) << o.err;
    EXPECT_EQ(Run({"info"}).exit, 0);
}

TEST_F(ToolTrust, JsonIsAListOfRecordsWithShortestNumbersAndNothingElse) {
    Write("j.cfg", ConfigText("20000.000000", "90000.000000", "1025,3"));
    Outcome o = Run({"--json", "write", "j.cfg"});
    ASSERT_EQ(o.exit, 0) << o.err;
    const nlohmann::json j = nlohmann::json::parse(o.out);
    ASSERT_TRUE(j.is_array());
    ASSERT_EQ(j.size(), 1u);
    for (const char* key : {"index", "serial", "ok", "error", "written", "verified", "written_at", "sha256"})
        EXPECT_TRUE(j[0].contains(key)) << key;
    EXPECT_EQ(j[0]["ok"], true);
    EXPECT_EQ(j[0]["error"], nullptr);
    EXPECT_NE(o.out.find("\"specific_gravity\": 1025.3,"), std::string::npos) << o.out;
    EXPECT_EQ(j[0]["changes"][0]["file"], 1025.3);

    SetEeprom(config::eeSpecificGravity, {0, 0, 0xA0, 0x40});  // 5 kg/m3: out of range
    o = Run({"--json", "read", "-o", "k.cfg"});
    EXPECT_EQ(o.exit, 0) << o.err;
    EXPECT_TRUE(nlohmann::json::accept(o.out)) << o.out;
    EXPECT_NE(o.err.find("out of range"), std::string::npos);
}

TEST_F(ToolTrust, WatchAllWritesOneCsvWithASerialColumnOrAFileEachAndAppends) {
    const std::map<std::string, std::string> two = {{"KD4410_SIM_DEVICES", "2"}};
    Outcome o = Run({"--all", "watch", "--count", "2", "--interval", "0.001", "--csv", "all.csv"}, two);
    EXPECT_EQ(o.exit, 0) << o.err;
    EXPECT_NE(o.out.find("12346: samples 2,"), std::string::npos) << o.out;
    o = Run({"--all", "watch", "--count", "1", "--interval", "0.001", "--csv", "all.csv", "--append"}, two);
    EXPECT_EQ(o.exit, 0) << o.err;
    const std::string csv = Slurp(folder / "all.csv");
    EXPECT_EQ(csv.rfind("serial,time,utc_offset,value_pa,value,unit,out1,out2,out3,out4\n", 0), 0u) << csv;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 2 * 2 + 2) << csv;  // one header, appended rows
    EXPECT_EQ(csv.find("serial", 1), std::string::npos) << "a second header";
    for (const char* serial : {"\n12345,", "\n12346,"}) EXPECT_NE(csv.find(serial), std::string::npos);

    o = Run({"--all", "watch", "--duration", "0.01", "--interval", "0.001", "--csv", "unit-{serial}.csv"}, two);
    EXPECT_EQ(o.exit, 0) << o.err;
    for (const char* name : {"unit-12345.csv", "unit-12346.csv"})
        EXPECT_EQ(Slurp(folder / name).rfind("time,utc_offset,value_pa,", 0), 0u) << name;
}

TEST(FleetSummary, CountsEachKindOfOutcomeBySerialNumber) {
    std::vector<ctl::UnitOutcome> outcomes(5);
    const int codes[] = {0, 1, 4, 2, 0};
    for (uint32_t i = 0; i < 5; ++i) {
        outcomes[i].index = i;
        outcomes[i].code = codes[i];
        if (i != 2) outcomes[i].serial = static_cast<uint16_t>(12345 + i);
    }
    EXPECT_EQ(ctl::FleetSummary(outcomes, true),
              "5 transmitters: 2 equal (12345, 12349), 1 differing (12346), 1 failed (12348), 1 not answering (index 2)");
    outcomes[1].error = "not verified";
    EXPECT_EQ(ctl::FleetSummary(outcomes, false),
              "5 transmitters: 2 ok (12345, 12349), 2 failed (12346, 12348), 1 not answering (index 2)");
}

}  // namespace
