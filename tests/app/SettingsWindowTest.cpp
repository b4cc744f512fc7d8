// The settings file as the window reads it at creation and writes it at closing.
#include <QCloseEvent>
#include <QApplication>
#include <QRadioButton>
#include <filesystem>

#include "files/Settings.h"
#include "support/DeviceWindowFixture.h"

namespace {

using namespace testsupport;

class SettingsWindow : public DeviceWindowFixture {};

TEST_F(SettingsWindow, ClosingWritesWhatARestartReadsAndTheTypeWaitsForTheFirstRead) {
    window().CCmPoStartu();
    window().checkPressureClick();
    window().Cmpsi();
    window().Cmm();  // the liquid column with metres last
    window().checkPressureClick();
    lang::Language = 2;
    QCloseEvent close;
    QApplication::sendEvent(&window(), &close);
    EXPECT_TRUE(std::filesystem::exists(user.folder() / "config/KD4410 User Software/kd4410.uni"));

    lang::Language = 0;
    CreateWindow();  // a restart
    BindWindow();
    EXPECT_EQ(lang::Language, 2);
    EXPECT_TRUE(window().isPressure);
    EXPECT_EQ(window().unitOfPressure, 5);
    EXPECT_EQ(window().unitOfLength, 1);
    // Units recorded are never applied: kPa and mm as designed.
    EXPECT_TRUE(window().radioButtonkPa->isChecked());
    EXPECT_TRUE(window().radioButtonMm->isChecked());
    window().CCmPoStartu();
    EXPECT_EQ(window().displayUnit, u"kPa");
    EXPECT_TRUE(window().checkPressure->isChecked());
}

TEST_F(SettingsWindow, TheLiquidColumnFromTheSettingsTakesEffectWithTheFirstSuccessfulReadOnly) {
    files::SaveUserSettings({0, false, 1, 1});
    CreateWindow();
    BindWindow();
    EXPECT_TRUE(window().checkPressure->isChecked());
    usb.deviceCount = 0;
    Silence();
    window().CCmPoStartu();  // no transmitter: stays in the pressure type
    EXPECT_TRUE(window().checkPressure->isChecked());
}

}  // namespace
