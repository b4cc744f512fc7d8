// The trend window's place in the user settings file, in a section of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "files/Settings.h"
#include "lang/Utf16Ini.h"
#include "support/TempFolder.h"

namespace {

class TrendSettings : public ::testing::Test {
protected:
    std::string File() const { return user.folder() / "config/KD4410 User Software/kd4410.uni"; }
    std::string ReadFile() const {
        std::ifstream in(File(), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    testsupport::IsolatedUser user;
};

TEST_F(TrendSettings, ThePlaceGoesToItsOwnSectionAndLeavesTheOptionsAsTheyAre) {
    EXPECT_FALSE(files::LoadTrendWindowPlace().has_value());
    files::SaveUserSettings({2, true, 0, 5});
    files::SaveTrendWindowPlace({-10, 20, 640, 360});
    files::SaveUserSettings({2, true, 0, 5});  // the window closes after the trend window
    const std::u16string expected =
        u"\uFEFF[Options]\r\nLanguage=2\r\nisPressure=1\r\nunitOfLength=0\r\nunitOfPressure=5\r\n\r\n"
        u"[Trend]\r\nleft=-10\r\ntop=20\r\nwidth=640\r\nheight=360\r\n\r\n";
    EXPECT_EQ(ReadFile(), lang::EncodeUtf16Le(expected));
    const auto place = files::LoadTrendWindowPlace();
    ASSERT_TRUE(place.has_value());
    EXPECT_EQ(place->left, -10);
    EXPECT_EQ(place->top, 20);
    EXPECT_EQ(place->width, 640);
    EXPECT_EQ(place->height, 360);
}

TEST_F(TrendSettings, ResumeByItselfIsOffUntilSavedAndLeavesTheOptionsAsTheyAre) {
    EXPECT_FALSE(files::LoadTrendResume());
    files::SaveUserSettings({2, true, 0, 5});
    files::SaveTrendResume(true);
    EXPECT_TRUE(files::LoadTrendResume());
    EXPECT_EQ(ReadFile(), lang::EncodeUtf16Le(u"\uFEFF[Options]\r\nLanguage=2\r\nisPressure=1\r\nunitOfLength=0\r\n"
                                              u"unitOfPressure=5\r\n\r\n[Trend]\r\nresume=1\r\n\r\n"));
    files::SaveTrendResume(false);
    EXPECT_FALSE(files::LoadTrendResume());
}

TEST_F(TrendSettings, AnIncompleteOrEmptyPlaceIsIgnored) {
    for (std::u16string_view text : {u"[Trend]\r\nleft=1\r\ntop=2\r\nwidth=300\r\n",
                                     u"[Trend]\r\nleft=1\r\ntop=2\r\nwidth=0\r\nheight=200\r\n",
                                     u"[Trend]\r\nleft=x\r\ntop=2\r\nwidth=300\r\nheight=200\r\n"}) {
        std::filesystem::create_directories(std::filesystem::path(File()).parent_path());
        std::ofstream(File(), std::ios::binary) << "\xFF\xFE" << lang::EncodeUtf16Le(text);
        EXPECT_FALSE(files::LoadTrendWindowPlace().has_value());
    }
}

}  // namespace
