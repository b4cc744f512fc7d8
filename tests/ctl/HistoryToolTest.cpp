// kd4410ctl's records end to end on the simulated library: what read, write and zero keep, the
// step each failure names, history's listings, and a history that cannot be written.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "ctl/ToolRunner.h"

namespace {

using namespace testsupport;
using nlohmann::json;

class HistoryTool : public ::testing::Test {
protected:
#ifdef _WIN32
    void SetUp() override { GTEST_SKIP() << "the Windows build keeps no local history (no SQLite for mingw-w64)"; }
#endif
    Outcome Run(std::vector<std::string> args, std::map<std::string, std::string> extra = {}) {
        std::map<std::string, std::string> env = {{"KD4410_SIM_EEPROM", folder / "eeprom.bin"},
                                                  {"LD_LIBRARY_PATH", ""},
                                                  {"XDG_STATE_HOME", folder / "state"},
                                                  {"XDG_DATA_HOME", folder / "data"}};
        for (const auto& [k, v] : extra) env[k] = v;
        args.insert(args.begin(), "--simulator");
        return RunProgram(BuiltFile(KD4410CTL), args, env, folder.text());
    }
    json Records(std::vector<std::string> args = {}) {
        args.push_back("--json");
        args.push_back("history");
        const Outcome o = Run(args);
        EXPECT_EQ(o.exit, 0) << o.err;
        return json::parse(o.out, nullptr, false);
    }
    // a.cfg as read, with output 1's lower value changed to 25 kPa.
    void PrepareChangedFile() {
        ASSERT_EQ(Run({"read", "-o", "a.cfg"}).exit, 0);
        std::string a = Slurp(folder / "a.cfg");
        a.replace(a.find("20000.000000"), 12, "25000.000000");
        std::ofstream(folder / "a.cfg", std::ios::binary) << a;
    }
    TempFolder folder;
};

TEST_F(HistoryTool, AWriteKeepsWhatItFoundAndLeftAndHistoryShowsIt) {
    PrepareChangedFile();
    Outcome o = Run({"write", "a.cfg", "--tag", "PT-101", "--note", "commissioning"});
    ASSERT_EQ(o.exit, 0) << o.err;
    EXPECT_EQ(o.err, "");

    o = Run({"--serial", "12345", "history"});
    ASSERT_EQ(o.exit, 0) << o.err;
    std::istringstream lines(o.out);
    std::string newest, older, none;
    std::getline(lines, newest);
    std::getline(lines, older);
    EXPECT_FALSE(std::getline(lines, none)) << o.out;
    EXPECT_NE(newest.find("12345  write  verified  tag PT-101"), std::string::npos) << newest;
    EXPECT_NE(newest.find("output 1 lower value 20.000 kPa -> 25.000 kPa"), std::string::npos) << newest;
    EXPECT_NE(newest.find("note: commissioning"), std::string::npos) << newest;
    EXPECT_NE(older.find("12345  read  done"), std::string::npos) << older;
    EXPECT_EQ(Run({"--serial", "12346", "history"}).out, "");

    const json records = Records();
    ASSERT_EQ(records.size(), 2u);
    const json& write = records[0];
    EXPECT_EQ(write["operation"], "write");
    EXPECT_EQ(write["result"], "verified");
    EXPECT_EQ(write["serial"], 12345);
    EXPECT_EQ(write["program"], "kd4410ctl");
    EXPECT_EQ(write["as_found"]["outputs"][0]["lower_pa"], 20000.0);
    EXPECT_EQ(write["as_left"]["outputs"][0]["lower_pa"], 25000.0);
    EXPECT_EQ(write["file"], "a.cfg");
    EXPECT_EQ(write["file_sha256"].get<std::string>().size(), 64u);
    EXPECT_NE(write["user"], "");

    // A zero correction keeps the offset before and after and the zero error.
    ASSERT_EQ(Run({"zero", "--yes"}).exit, 0);
    const json zero = Records({"--serial", "12345"})[0];
    EXPECT_EQ(zero["operation"], "zero");
    EXPECT_EQ(zero["result"], "verified");
    EXPECT_EQ(zero["zero_offset_before_pa"], 0.0);
    EXPECT_TRUE(zero["zero_offset_after_pa"].is_number());
    EXPECT_TRUE(zero["zero_error_pa"].is_number());

    o = Run({"history", "--csv"});
    EXPECT_EQ(o.out.substr(0, o.out.find('\n')),
              "time,serial,usb_index,operation,result,failed_step,tag,note,user,host,program,version,file,"
              "file_sha256,zero_offset_before_pa,zero_offset_after_pa,zero_error_pa,live_value_pa,changes");
    EXPECT_EQ(Run({"history", "--since", "2999-01-01"}).out, "");
    EXPECT_EQ(Run({"history", "--since", "yesterday"}).exit, 2);
}

// Each operation fails at each of its steps once; the record names the step the tool reports.
TEST_F(HistoryTool, EachFailedStepIsRecordedAndTheToolsResultStands) {
    PrepareChangedFile();
    struct Case {
        std::vector<std::string> args;
        const char* failAfter;
        const char* operation;
        const char* step;
        bool serialKnown;
    };
    const Case cases[] = {
        {{"read"}, "0", "read", "connecting: ", false},
        {{"read"}, "3", "read", "the read: the nominal range and specific gravity", true},
        {{"read"}, "8", "read", "the read: output 1 mode", true},
        {{"write", "a.cfg"}, "3", "write", "the read before writing: the nominal range and specific gravity", true},
        {{"write", "a.cfg"}, "20", "write", "the write: specific gravity and outputs 1-4 not verified", true},
        {{"write", "a.cfg"}, "21", "write", "the write: specific gravity written, outputs 1-4 not verified", true},
        {{"write", "a.cfg"}, "22", "write", "the write: all written, the closing command failed", true},
        {{"write", "a.cfg"}, "26", "write", "the read-back: output 1 lower value", true},
        {{"zero", "--yes"}, "4", "zero", "the measurement", true},
        {{"zero", "--yes"}, "8", "zero", "the write of the new offset", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " failing after " + c.failAfter);
        // Factory content again, so that each write has a change to make.
        std::filesystem::remove(folder / "eeprom.bin");
        const Outcome o = Run(c.args, {{"KD4410_SIM_FAIL_AFTER", c.failAfter}});
        EXPECT_NE(o.exit, 0);
        EXPECT_EQ(o.err.find("history"), std::string::npos) << o.err;
        const json r = Records()[0];
        EXPECT_EQ(r["operation"], c.operation);
        EXPECT_EQ(r["result"], "failed");
        EXPECT_EQ(r["failed_step"].get<std::string>().rfind(c.step, 0), 0u) << r["failed_step"];
        EXPECT_EQ(r["serial"].is_number(), c.serialKnown);
    }
}

// A history that cannot be kept is reported on stderr; the write itself succeeds as before and
// the damaged file keeps every byte.
TEST_F(HistoryTool, AHistoryThatCannotBeWrittenChangesNeitherResultNorFile) {
    PrepareChangedFile();
    std::filesystem::create_directories(folder / "data/kd4410");
    const std::string damaged(3000, '\x17');
    std::ofstream(folder / "data/kd4410/history.sqlite", std::ios::binary) << damaged;
    const Outcome o = Run({"write", "a.cfg"});
    EXPECT_EQ(o.exit, 0);
    EXPECT_NE(o.out.find("written and verified"), std::string::npos);
    EXPECT_NE(o.err.find("kd4410ctl: history: the record was not kept: "), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("left as it is"), std::string::npos) << o.err;
    EXPECT_EQ(Slurp(folder / "data/kd4410/history.sqlite"), damaged);
    // Listing it fails plainly.
    const Outcome list = Run({"history"});
    EXPECT_EQ(list.exit, 3);
    EXPECT_NE(list.err.find("cannot be read"), std::string::npos) << list.err;
}

}  // namespace

namespace {

using namespace testsupport;

// The report's text as pdftotext reads it; nothing when poppler-utils is missing.
std::optional<std::string> PdfText(const std::string& pdf, const std::string& folder) {
    if (std::system("command -v pdftotext > /dev/null 2>&1") != 0) return std::nullopt;
    const Outcome o = RunProgram("/usr/bin/pdftotext", {"-layout", pdf, "-"}, {}, folder);
    EXPECT_EQ(o.exit, 0) << o.err;
    return o.out;
}

class ReportTool : public HistoryTool {
protected:
    void WriteAndZero() {
        PrepareChangedFile();
        ASSERT_EQ(Run({"write", "a.cfg", "--tag", "PT-101"}).exit, 0);
        ASSERT_EQ(Run({"zero", "--yes"}).exit, 0);
    }
};

TEST_F(ReportTool, AOnePageReportInEnglishAndCzech) {
    WriteAndZero();
    Outcome o = Run({"--serial", "12345", "report", "-o", "r.pdf"});
    ASSERT_EQ(o.exit, 0) << o.err;
    EXPECT_EQ(o.out, "transmitter 12345: report written to r.pdf\n");
    const std::optional<std::string> english = PdfText(folder / "r.pdf", folder.path().string());
    if (!english) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed; scripts/install-deps.sh test installs it";
    const Outcome info = RunProgram("/usr/bin/pdfinfo", {folder / "r.pdf"}, {}, folder.path().string());
    EXPECT_NE(info.out.find("Pages:           1\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("(A4)"), std::string::npos) << info.out;
    for (const char* expected : {"Commissioning report", "12345", "PT-101", "As found", "As left",
                                 "20000.0 Pa / 20.000 kPa", "25000.0 Pa / 25.000 kPa", "Verified", "a.cfg",
                                 "Zero offset", "Signature"})
        EXPECT_NE(english->find(expected), std::string::npos) << expected << " in\n" << *english;

    // In the language the window uses, and in the unit asked for.
    std::filesystem::create_directories(folder / "config/KD4410 User Software");
    std::ofstream(folder / "config/KD4410 User Software/kd4410.uni", std::ios::binary)
        << std::string("\xFF\xFE[\0O\0p\0t\0i\0o\0n\0s\0]\0\r\0\n\0L\0a\0n\0g\0u\0a\0g\0e\0=\0001\0\r\0\n\0", 44);
    o = Run({"--serial", "12345", "--unit", "bar", "report", "-o", "cz-{serial}.pdf"},
            {{"XDG_CONFIG_HOME", folder / "config"}});
    ASSERT_EQ(o.exit, 0) << o.err;
    const std::string czech = PdfText(folder / "cz-12345.pdf", folder.path().string()).value_or("");
    for (const char* expected : {"Protokol o uvedení do provozu", "Nalezeno", "Ponecháno", "Ověřeno",
                                 "25000.0 Pa / 0.250 bar", "Podpis"})
        EXPECT_NE(czech.find(expected), std::string::npos) << expected << " in\n" << czech;
}

TEST_F(ReportTool, ReportsNeedATransmitterWithRecords) {
    EXPECT_EQ(Run({"report"}).exit, 2);
    WriteAndZero();
    const Outcome o = Run({"--serial", "4", "report"});
    EXPECT_EQ(o.exit, 1);
    EXPECT_NE(o.err.find("no read or write"), std::string::npos) << o.err;
    EXPECT_EQ(Run({"--all", "report", "-o", "same.pdf"}).exit, 2);
    EXPECT_EQ(Run({"--all", "report"}).exit, 0);
    EXPECT_TRUE(std::filesystem::exists(folder / "report-12345.pdf"));
}

}  // namespace
