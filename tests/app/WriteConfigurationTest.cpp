// Writing the configuration to the transmitter.
#include "platform/NumberText.h"
#include "support/DeviceWindowFixture.h"

namespace {

using namespace testsupport;

class WriteConfiguration : public ConnectedWindowFixture {};

TEST_F(WriteConfiguration, WritesTheSpecificGravityThenTheFourOutputsInOneFrame) {
    window().outputLower = {1000, -5000, 0, 4000};
    window().outputHigher = {2000, 80000, 0, 4000};  // lower equal to higher is written
    window().comboBoxConfiguration[0]->setCurrentIndex(1);
    window().comboBoxConfiguration[1]->setCurrentIndex(2);
    window().comboBoxConfiguration[2]->setCurrentIndex(0);
    window().comboBoxConfiguration[3]->setCurrentIndex(-1);
    window().Ro->setText(QStringLiteral("5"));
    window().CmKonfigurace();

    std::vector<uint8_t> block(36);
    const config::OutputRecord records[] = {{1000, 2000, 1}, {-5000, 80000, 2}, {0, 0, 0}, {4000, 4000, 255}};
    for (size_t i = 0; i < 4; ++i) config::StoreOutputRecord(block.data() + 9 * i, records[i]);
    EXPECT_EQ(TakeExchanges(), (std::vector<Exchange>{Command(2), Write(894, FloatBytes(5)), Write(67, block), Command(1)}));
    EXPECT_EQ(BoxTexts(), std::vector<QString>{QStringLiteral("Configuration successfully written")});
    EXPECT_EQ(dialogs().boxes[0].caption, QStringLiteral("Message"));
    EXPECT_EQ(model.eeprom()[102], 255);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), window().eepromImage.begin() + 67));
    EXPECT_FALSE(window().requestPending);
    EXPECT_EQ(window().pendingRequest, 3);

    // The next read reports the specific gravity of 5 and shows 1000.
    window().CmVycist();
    EXPECT_EQ(BoxTexts()[1], QStringLiteral("Specific gravity out of range"));
    EXPECT_EQ(window().Ro->text(), QStringLiteral("1000"));
}

TEST_F(WriteConfiguration, LowerAboveHigherIsRefusedBeforeAnythingIsSentOrMarked) {
    window().outputLower = {0, 0, 0, 5000};
    window().outputHigher = {0, 0, 0, 4000};
    window().pendingRequest = 0;
    window().CmKonfigurace();
    EXPECT_TRUE(usb.writes.empty());
    EXPECT_EQ(BoxTexts(), std::vector<QString>{QStringLiteral("Error in values of pressure")});
    EXPECT_EQ(dialogs().boxes[0].caption, QStringLiteral("Error"));
    EXPECT_FALSE(window().requestPending);
    EXPECT_EQ(window().pendingRequest, 0);
}

TEST_F(WriteConfiguration, ASpecificGravityThatIsNoNumberFailsAfterCommand2WithNothingWritten) {
    for (const char* text : {"abc", "998.5x", ""}) {
        window().Ro->setText(QString::fromLatin1(text));
        dialogs().boxes.clear();
        window().CmKonfigurace();
        EXPECT_EQ(TakeExchanges(), std::vector<Exchange>{Command(2)}) << text;
        EXPECT_EQ(BoxTexts(), std::vector<QString>{QStringLiteral("Error writing configuration")});
    }
}

TEST_F(WriteConfiguration, TheSpecificGravityIsReadWithTheLocalesSeparator) {
    platform::SetDecimalSeparator(u',');
    window().Ro->setText(QStringLiteral("998,5"));
    window().CmKonfigurace();
    platform::SetDecimalSeparator(u'.');
    EXPECT_EQ(EepromFloat(config::eeSpecificGravity), 998.5f);
}

TEST_F(WriteConfiguration, AFailedOutputsFrameKeepsTheNewSpecificGravity) {
    window().Ro->setText(QStringLiteral("850"));
    silentAfter = answered + 2;
    window().CmKonfigurace();
    EXPECT_EQ(BoxTexts(), std::vector<QString>{QStringLiteral("Error writing configuration")});
    EXPECT_EQ(EepromFloat(config::eeSpecificGravity), 850.0f);
    EXPECT_FALSE(window().requestPending);
}

}  // namespace
