// Saving and loading configuration files from the window.
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include "support/DeviceWindowFixture.h"
#include "support/SmallFileLimit.h"

namespace {

using namespace testsupport;

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class ConfigFileWindow : public DeviceWindowFixture {
protected:
    void SetUp() override {
        DeviceWindowFixture::SetUp();
        window().displayUnit = window().pressureUnit = u"kPa";
        window().lengthUnit = u"mm";
        window().checkPressureClick();
    }

    void Save(const std::string& path) {
        dialogs().files.push_back(QString::fromStdString(path));
        window().CmSave();
    }
    void Load(const std::string& path) {
        dialogs().files.push_back(QString::fromStdString(path));
        window().CmLoad();
    }
    void Configure() {
        window().outputHigher = {50000, 80000, 0.125f, -1};
        window().outputLower = {10000, -5000, 0, -2};
        const int modes[] = {1, 2, 0, -1};
        for (size_t i = 0; i < 4; ++i) window().comboBoxConfiguration[i]->setCurrentIndex(modes[i]);
        window().Ro->setText(QStringLiteral("998.5"));
    }
    void ChangeEverything() {
        window().outputHigher.fill(1);
        window().outputLower.fill(1);
        for (auto* combo : window().comboBoxConfiguration) combo->setCurrentIndex(3);
        window().Ro->setText(QStringLiteral("1"));
    }
};

TEST_F(ConfigFileWindow, SavingAndLoadingBringsEverythingBackInBothTypes) {
    for (bool pressure : {true, false}) {
        SCOPED_TRACE(pressure ? "pressure" : "liquid column");
        Configure();
        if (!pressure) window().checkHeightLiquidColumnClick();
        else window().checkPressureClick();
        const std::string path = user.folder() / "saved.cfg";
        Save(path);
        EXPECT_TRUE(dialogs().boxes.empty());
        EXPECT_EQ(Contents(path).substr(0, 26), std::string("*** KD4410 CONFIG ***\r\n") + (pressure ? "p" : "h") + "\r\n");
        ChangeEverything();
        window().checkPressureClick();
        Load(path);
        EXPECT_TRUE(dialogs().boxes.empty());
        EXPECT_EQ(window().outputHigher, (std::array<float, 4>{50000, 80000, 0.125f, -1}));
        EXPECT_EQ(window().outputLower, (std::array<float, 4>{10000, -5000, 0, -2}));
        EXPECT_EQ(window().comboBoxConfiguration[1]->currentIndex(), 2);
        EXPECT_EQ(window().comboBoxConfiguration[3]->currentIndex(), -1);
        EXPECT_EQ(window().Ro->text(), QStringLiteral("998.5"));
        EXPECT_EQ(window().isPressure, pressure);
        EXPECT_EQ(window().checkPressure->isChecked(), pressure);
        EXPECT_EQ(window().higherBox[0]->text(), pressure ? QStringLiteral("50.000") : QStringLiteral("5097"));
    }
    EXPECT_EQ(dialogs().fileDialogs[0].title, QString::fromUtf8("Zápis souboru konfigurace"));
    EXPECT_EQ(dialogs().fileDialogs[1].title, QString::fromUtf8("Otevření souboru konfigurace"));
}

TEST_F(ConfigFileWindow, ACancelledDialogDoesNothing) {
    dialogs().files.push_back(QString());
    window().CmSave();
    dialogs().files.push_back(QString());
    window().CmLoad();
    EXPECT_TRUE(dialogs().boxes.empty());
    EXPECT_EQ(dialogs().fileDialogs.size(), 2u);
}

TEST_F(ConfigFileWindow, AWrongHeaderChangesNothing) {
    const std::string path = user.folder() / "wrong.cfg";
    std::ofstream(path, std::ios::binary) << "*** KD4410 CONFIG *** \r\nh\r\n5\r\n1\r\n1\r\n1\r\n";
    Configure();
    Load(path);
    EXPECT_EQ(BoxTexts(), std::vector<QString>{QStringLiteral("Cannot open file")});
    EXPECT_EQ(dialogs().boxes[0].caption, QStringLiteral("Error"));
    EXPECT_EQ(window().Ro->text(), QStringLiteral("998.5"));
    EXPECT_TRUE(window().configPressureMode);
}

TEST_F(ConfigFileWindow, ABadModeLineKeepsTheLinesBeforeItAndAppliesNoType) {
    Configure();
    const std::string path = user.folder() / "bad.cfg";
    Save(path);
    std::string text = Contents(path);
    text.replace(text.find("\r\np\r\n"), 5, "\r\nh\r\n");
    size_t start = 0;
    for (int n = 1; n < 12; ++n) start = text.find("\r\n", start) + 2;  // line 12, the mode of output 3
    text.replace(start, 1, "2.0");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    ChangeEverything();
    const QString boxBefore = window().higherBox[0]->text();
    Load(path);
    EXPECT_EQ(BoxTexts(), std::vector<QString>{QStringLiteral("Cannot open file")});
    EXPECT_FALSE(window().configPressureMode);     // taken
    EXPECT_EQ(window().Ro->text(), QStringLiteral("998.5"));  // taken
    EXPECT_EQ(window().outputHigher[1], 80000.0f);  // output 2 taken
    EXPECT_EQ(window().outputHigher[2], 0.125f);    // both values of output 3 taken
    EXPECT_EQ(window().comboBoxConfiguration[2]->currentIndex(), 3);  // its mode not
    EXPECT_EQ(window().outputHigher[3], 1.0f);      // output 4 not
    EXPECT_TRUE(window().checkPressure->isChecked());  // the type is not applied
    EXPECT_EQ(window().higherBox[0]->text(), boxBefore);
}

TEST_F(ConfigFileWindow, AShortFileIsReportedAfterTheLinesItHas) {
    const std::string path = user.folder() / "short.cfg";
    std::ofstream(path, std::ios::binary) << "*** KD4410 CONFIG ***\r\np\r\n1000\r\n42\r\n";
    ChangeEverything();
    Load(path);
    EXPECT_EQ(BoxTexts(), std::vector<QString>{QStringLiteral("Cannot open file")});
    EXPECT_EQ(window().outputHigher[0], 42.0f);
    EXPECT_EQ(window().outputLower[0], 1.0f);
}

TEST_F(ConfigFileWindow, AFileThatCannotBeReadOrWrittenIsReported) {
    Load(user.folder() / "missing.cfg");
    Save(user.folder() / "no-such-folder/x.cfg");
    EXPECT_EQ(BoxTexts(), (std::vector<QString>{QStringLiteral("Cannot open file"), QStringLiteral("Cannot open file")}));
}

TEST_F(ConfigFileWindow, LoadingAFifoIsReportedAtOnceInsteadOfWaitingForAWriter) {
    const std::string fifo = user.folder() / "pipe.cfg";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    Load(fifo);
    EXPECT_EQ(BoxTexts(), std::vector<QString>{QStringLiteral("Cannot open file")});
}

TEST_F(ConfigFileWindow, ASaveOntoAFullDiskIsReportedAndKeepsTheEarlierFile) {
    Configure();
    const std::string path = user.folder() / "kept.cfg";
    Save(path);
    const std::string earlier = Contents(path);
    ChangeEverything();
    {
        SmallFileLimit fullDisk(16);
        Save(path);
    }
    EXPECT_EQ(BoxTexts(), std::vector<QString>{QStringLiteral("Cannot open file")});
    EXPECT_EQ(Contents(path), earlier);
}

TEST_F(ConfigFileWindow, AModeOutsideTheListLoadsAsNoSelectionAndSavesAsMinusOne) {
    Configure();
    const std::string path = user.folder() / "modes.cfg";
    Save(path);
    std::string text = Contents(path);
    text.replace(text.find("\r\n1\r\n80000"), 5, "\r\n7\r\n");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    Load(path);
    EXPECT_EQ(window().comboBoxConfiguration[0]->currentIndex(), -1);
    Save(path);
    EXPECT_NE(Contents(path).find("\r\n-1\r\n80000"), std::string::npos);
}

TEST_F(ConfigFileWindow, ATypedThresholdNotYetCheckedIsNotSaved) {
    Configure();
    window().higherBox[0]->setText(QStringLiteral("12"));  // its exit check has not run
    const std::string path = user.folder() / "state.cfg";
    Save(path);
    EXPECT_NE(Contents(path).find("\r\n50000.000000\r\n"), std::string::npos);
}

}  // namespace
