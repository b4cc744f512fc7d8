// A recorded trend file opened in a real spreadsheet program (LibreOffice, headless): the time
// must arrive as a date and time, the numbers as numbers. Skipped when soffice is not installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "files/TrendCsv.h"
#include "support/TempFolder.h"
#include "support/TimeZone.h"

namespace {

#ifndef _WIN32
std::string FindOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::filesystem::path candidate = std::filesystem::path(folder) / program;
        if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return {};
}
#endif

TEST(TrendCsvInASpreadsheet, TheTimeIsReadAsADateAndTheNumbersAsNumbers) {
#ifdef _WIN32
    GTEST_SKIP() << "LibreOffice is not run under wine: the spreadsheet check runs on Linux";
#else
    const std::string soffice = FindOnPath("soffice");
    if (soffice.empty()) GTEST_SKIP() << "soffice (LibreOffice) is not installed: the recorded file was not opened in a spreadsheet";
    testsupport::TempFolder folder;
    testsupport::TimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    const std::string csv = folder / "record.csv";
    {
        files::TrendCsvRecorder recorder;
        ASSERT_EQ(recorder.Start(csv), files::RecordStart::Started);
        // 2026-12-11 12:55:05.157 local time.
        ASSERT_TRUE(recorder.Append({1'796'990'105'157, 2500, 0b0101}, {0.001f, 3, u"kPa"}));
        ASSERT_TRUE(recorder.Append({1'796'990'106'157, 2512.5f, 0b0001}, {0.001f, 3, u"kPa"}));
    }
    const std::string profile = "file://" + (folder / "profile");
    const std::string command = "'" + soffice + "' -env:UserInstallation=" + profile +
                                " --headless --infilter=CSV:44,34,76,1 --convert-to fods --outdir '" +
                                folder.path().string() + "' '" + csv + "' > '" + (folder / "soffice.log") + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::ifstream in(folder / "record.fods");
    const std::string sheet((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(sheet.empty()) << "no converted file";
    // The flat file keeps the fraction to the cell format's precision (05.16).
    EXPECT_NE(sheet.find("office:value-type=\"date\" office:date-value=\"2026-12-11T12:55:05.1"), std::string::npos)
        << "the time was not read as a date and time";
    EXPECT_NE(sheet.find("office:value-type=\"float\" office:value=\"2512.5\""), std::string::npos)
        << "value_pa was not read as a number";
#endif
}

}  // namespace
