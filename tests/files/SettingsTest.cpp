// The user settings file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "files/Settings.h"
#include "lang/Utf16Ini.h"
#include "support/TempFolder.h"
#ifndef _WIN32
#include <sys/stat.h>

#include "support/Unprivileged.h"
#endif

namespace {

class Settings : public ::testing::Test {
protected:
    std::string Folder() const { return user.folder() / "config/KD4410 User Software"; }
    std::string File() const { return Folder() + "/kd4410.uni"; }
    void WriteFile(std::u16string_view text) {
        std::filesystem::create_directories(testsupport::PathFromText(Folder()));
        std::ofstream(testsupport::PathFromText(File()), std::ios::binary) << "\xFF\xFE" << lang::EncodeUtf16Le(text);
    }
    std::string ReadFile() const {
        std::ifstream in(testsupport::PathFromText(File()), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    testsupport::IsolatedUser user;
};

TEST_F(Settings, FirstRunGivesTheDefaultsAndCreatesTheFolder) {
    const files::UserSettings s = files::LoadUserSettings();
    EXPECT_EQ(s.language, 0);
    EXPECT_FALSE(s.isPressure);
    EXPECT_EQ(s.unitOfLength, 1);
    EXPECT_EQ(s.unitOfPressure, 1);
    EXPECT_TRUE(std::filesystem::is_directory(testsupport::PathFromText(Folder())));
    EXPECT_FALSE(std::filesystem::exists(testsupport::PathFromText(File())));
    EXPECT_EQ(testsupport::NormalText(files::SettingsFilePath("kd4410.uni")), testsupport::NormalText(File()));
}

// A user named "Jiří Müller" has his settings under a folder of that name.
TEST_F(Settings, AConfigFolderWithLettersBeyondAsciiHoldsTheFile) {
    user.environment().Set("XDG_CONFIG_HOME", user.folder() / "Jiří Müller");
    files::SaveUserSettings({2, true, 0, 5});
    EXPECT_TRUE(std::filesystem::is_regular_file(
        testsupport::PathFromText(user.folder() / "Jiří Müller/KD4410 User Software/kd4410.uni")));
    EXPECT_EQ(files::LoadUserSettings().language, 2);
    EXPECT_EQ(testsupport::NormalText(files::SettingsFilePath("kd4410.uni")),
              testsupport::NormalText(user.folder() / "Jiří Müller/KD4410 User Software/kd4410.uni"));
}

TEST_F(Settings, TheWrittenFileIsExact) {
    files::SaveUserSettings({2, true, 0, 5});
    const std::u16string expected =
        u"\uFEFF[Options]\r\nLanguage=2\r\nisPressure=1\r\nunitOfLength=0\r\nunitOfPressure=5\r\n\r\n";
    EXPECT_EQ(ReadFile(), lang::EncodeUtf16Le(expected));
    const files::UserSettings back = files::LoadUserSettings();
    EXPECT_EQ(back.language, 2);
    EXPECT_TRUE(back.isPressure);
    EXPECT_EQ(back.unitOfLength, 0);
    EXPECT_EQ(back.unitOfPressure, 5);
}

TEST_F(Settings, IntegerRules) {
    struct Case {
        std::u16string_view file;
        bool isPressure;
        int32_t unitOfPressure;
        int32_t language;
    };
    const Case cases[] = {
        {u"[Options]\r\nisPressure=1\r\n", true, 1, 0},
        {u"[Options]\r\nisPressure=5\r\n", true, 1, 0},
        {u"[Options]\r\nisPressure=abc\r\n", false, 1, 0},
        {u"[options]\r\nISPRESSURE=0x1\r\nunitOfPressure=0x4\r\n", true, 4, 0},
        {u"[Options]\r\nunitOfPressure=bar\r\nLanguage=12\r\n", false, 1, 12},  // no range check
        {u"[Other]\r\nLanguage=3\r\n", false, 1, 0},
    };
    for (const Case& c : cases) {
        WriteFile(c.file);
        const files::UserSettings s = files::LoadUserSettings();
        EXPECT_EQ(s.isPressure, c.isPressure);
        EXPECT_EQ(s.unitOfPressure, c.unitOfPressure);
        EXPECT_EQ(s.language, c.language);
    }
}

TEST_F(Settings, OtherSectionsAndKeysSurviveASave) {
    WriteFile(u"[Window]\r\nleft=10\r\n[Options]\r\nLanguage=1\r\ncomment=kept\r\n");
    files::SaveUserSettings({0, false, 2, 3});
    const lang::Utf16Ini ini(lang::DecodeUtf16Le(ReadFile()));
    EXPECT_EQ(ini.ReadInteger(u"Window", u"left", 0), 10);
    EXPECT_EQ(ini.ReadString(u"Options", u"comment", u""), u"kept");
    EXPECT_EQ(ini.ReadInteger(u"Options", u"Language", -1), 0);
    EXPECT_EQ(ini.ReadInteger(u"Options", u"unitOfPressure", -1), 3);
}

TEST_F(Settings, ThePlantDatabaseComesFromItsOwnSectionAndSurvivesASave) {
    EXPECT_EQ(files::LoadPlantDatabaseUrl(), "");
    WriteFile(u"[Options]\r\nLanguage=2\r\n\r\n[History]\r\nDatabase=postgresql://kd4410@plant/commissioning\r\n");
    EXPECT_EQ(files::LoadPlantDatabaseUrl(), "postgresql://kd4410@plant/commissioning");
    files::SaveUserSettings({1, true, 0, 4});
    EXPECT_EQ(files::LoadPlantDatabaseUrl(), "postgresql://kd4410@plant/commissioning");
    EXPECT_EQ(files::LoadUserSettings().language, 1);
}

TEST_F(Settings, ALinkToARegularFileUpdatesThatFileAndALinkToAFifoIsLeftAlone) {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links and fifos are POSIX";
#else
    std::filesystem::create_directories(Folder());
    const std::string elsewhere = user.folder() / "kept.uni";
    std::filesystem::create_symlink(elsewhere, File());
    std::ofstream(elsewhere, std::ios::binary) << "\xFF\xFE";
    files::SaveUserSettings({3, true, 0, 2});
    EXPECT_TRUE(std::filesystem::is_symlink(File()));
    EXPECT_EQ(files::LoadUserSettings().language, 3);

    const std::string fifo = user.folder() / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    std::filesystem::remove(File());
    std::filesystem::create_symlink(fifo, File());
    EXPECT_EQ(files::LoadUserSettings().language, 0);  // read as missing, without waiting on the fifo
    files::SaveUserSettings({4, true, 0, 2});
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_TRUE(std::filesystem::is_symlink(File()));

    std::filesystem::remove(File());
    std::filesystem::create_symlink(user.folder() / "nowhere.uni", File());
    files::SaveUserSettings({4, true, 0, 2});
    EXPECT_FALSE(std::filesystem::exists(user.folder() / "nowhere.uni")) << "a dangling link is not followed";
#endif
}

#ifdef _WIN32
TEST(SettingsPermissions, FilePermissionsForAnotherUser) {
    GTEST_SKIP() << "POSIX permissions and switching to the user nobody do not exist on Windows";
}
#else

// The settings folder and file handed to the unprivileged user; the way there open to everyone.
class SettingsPermissions : public Settings {
protected:
    void SetUp() override {
        ASSERT_EQ(chmod(user.folder().path().c_str(), 0755), 0);
        ASSERT_EQ(chmod((user.folder() / "config").c_str(), 0755), 0);
        WriteFile(u"[Options]\r\nLanguage=1\r\n");
        testsupport::GiveToWorker(Folder());
        testsupport::GiveToWorker(File());
    }
    void TearDown() override { chmod(Folder().c_str(), 0755); }

    std::optional<bool> SaveAsWorker() {
        return testsupport::AsUnprivileged([] {
            files::SaveUserSettings({2, true, 0, 5});
            return true;
        });
    }
};

TEST_F(SettingsPermissions, AFileTheUserMayNotWriteIsNotWritten) {
    ASSERT_EQ(chmod(File().c_str(), 0444), 0);
    if (!SaveAsWorker()) GTEST_SKIP() << testsupport::NoUnprivilegedUser;
    EXPECT_EQ(files::LoadUserSettings().language, 1);
}

TEST_F(SettingsPermissions, AWritableFileInAFolderThatTakesNoNewFilesIsWritten) {
    ASSERT_EQ(chmod(Folder().c_str(), 0555), 0);
    if (!SaveAsWorker()) GTEST_SKIP() << testsupport::NoUnprivilegedUser;
    EXPECT_EQ(files::LoadUserSettings().language, 2);
}

#endif

}  // namespace
