// Reading the configuration from the transmitter.
#include "support/DeviceWindowFixture.h"

namespace {

using namespace testsupport;

class ReadConfiguration : public ConnectedWindowFixture {};

TEST_F(ReadConfiguration, ExchangesFramesInOrderAndShowsEverything) {
    SetEepromFloat(config::eeNominalRange, 250000);
    SetEepromFloat(config::eeSpecificGravity, 998.2f);
    const config::OutputRecord records[] = {{1000, 2000, 1}, {-5000, 80000, 2}, {0, 0, 0}, {3, 4, 7}};
    for (size_t i = 0; i < 4; ++i) config::StoreOutputRecord(&model.eeprom()[config::OutputRecordAddress(i)], records[i]);

    window().CmVycist();
    const std::vector<Exchange> expected = {
        Command(2), Read(890, 8), Read(67, 36),
        Read(67, 4), Read(71, 4), Read(75, 1), Read(76, 4), Read(80, 4), Read(84, 1),
        Read(85, 4), Read(89, 4), Read(93, 1), Read(94, 4), Read(98, 4), Read(102, 1), Command(1)};
    EXPECT_EQ(TakeExchanges(), expected);
    EXPECT_EQ(BoxTexts(), std::vector<QString>{QStringLiteral("Configuration successfully read")});
    EXPECT_EQ(dialogs().boxes[0].caption, QStringLiteral("Message"));

    EXPECT_EQ(window().Ro->text(), QStringLiteral("998"));
    EXPECT_EQ(window().density, 998.0f);
    EXPECT_EQ(window().previousDensity, 998.0f);
    EXPECT_EQ(window().lengthFactor, static_cast<float>(1000.0 / 998 / 9.81));
    EXPECT_EQ(window().nominalRange, 250000.0f);
    EXPECT_EQ(window().thresholdMin, -25000.0f);
    EXPECT_EQ(window().thresholdMax, 250000.0f);
    EXPECT_EQ(window().Rozsah->text(), QStringLiteral("250.000 kPa"));
    EXPECT_EQ(window().outputLower[1], -5000.0f);
    EXPECT_EQ(window().outputHigher[1], 80000.0f);
    EXPECT_EQ(window().lowerBox[1]->text(), QStringLiteral("-5.000"));
    EXPECT_EQ(window().higherBox[1]->text(), QStringLiteral("80.000"));
    EXPECT_EQ(window().comboBoxConfiguration[0]->currentIndex(), 1);
    EXPECT_EQ(window().comboBoxConfiguration[2]->currentIndex(), 0);
    EXPECT_EQ(window().comboBoxConfiguration[3]->currentIndex(), -1);  // mode byte 7
    EXPECT_FALSE(window().requestPending);
    EXPECT_EQ(window().pendingRequest, 2);
    EXPECT_TRUE(std::equal(model.eeprom().begin() + 67, model.eeprom().begin() + 103, window().eepromImage.begin() + 67));
}

TEST_F(ReadConfiguration, SpecificGravityBounds) {
    struct Case {
        std::vector<uint8_t> bytes;
        const char* ro;
        bool message;
    };
    auto bytesOf = [](float v) { return FloatBytes(v); };
    const Case cases[] = {
        {bytesOf(10), "10", false},
        {bytesOf(100000), "100000", false},
        {bytesOf(9.99f), "1000", true},
        {bytesOf(100000.5f), "1000", true},
        {{0xFF, 0xFF, 0x7A, 0x44}, "1000", true},  // erased, whatever follows
        {{0xFF, 0xFF, 0x00, 0x00}, "1000", true},
        {{0x00, 0x00, 0xC0, 0x7F}, "1000", true},  // a NaN is no specific gravity either
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ro);
        std::copy(c.bytes.begin(), c.bytes.end(), model.eeprom().begin() + config::eeSpecificGravity);
        dialogs().boxes.clear();
        window().CmVycist();
        EXPECT_EQ(window().Ro->text(), QString::fromLatin1(c.ro));
        const bool warned = !dialogs().boxes.empty() && dialogs().boxes[0].text == QStringLiteral("Specific gravity out of range");
        EXPECT_EQ(warned, c.message);
        EXPECT_EQ(dialogs().boxes.back().text, QStringLiteral("Configuration successfully read"));
        EXPECT_EQ(EepromFloat(config::eeSpecificGravity) == 1000.0f, c.ro == std::string("1000") && !c.message)
            << "the transmitter is not corrected";
    }
}

TEST_F(ReadConfiguration, TheStartupReadIsSilentButWarnsOfABadSpecificGravity) {
    SetEeprom(config::eeSpecificGravity, {0xFF, 0xFF, 0xFF, 0xFF});
    CreateWindow();
    BindWindow();
    window().CCmPoStartu();
    EXPECT_EQ(BoxTexts(), std::vector<QString>{QStringLiteral("Specific gravity out of range")});
    CreateWindow();
    BindWindow();
    silentAfter = answered + 2;  // connected, then the read goes unanswered
    window().CCmPoStartu();
    EXPECT_TRUE(BoxTexts().empty());  // a failed start-up read says nothing either
    EXPECT_TRUE(window().buttonWriteConfiguration->isEnabled());
}

TEST_F(ReadConfiguration, AFailureHalfWayKeepsWhatWasReadAndSaysSo) {
    const float lower3Before = window().outputLower[2];
    const int mode3Before = window().comboBoxConfiguration[2]->currentIndex();
    const QString box3Before = window().lowerBox[2]->text();
    const config::OutputRecord records[] = {{1, 2, 4}, {3, 4, 3}, {5, 6, 2}, {7, 8, 1}};
    for (size_t i = 0; i < 4; ++i) config::StoreOutputRecord(&model.eeprom()[config::OutputRecordAddress(i)], records[i]);
    window().buttonWriteConfiguration->setEnabled(false);
    silentAfter = answered + 9;  // exchange 10, the lower value of output 3, goes unanswered
    window().CmVycist();
    EXPECT_EQ(BoxTexts(), std::vector<QString>{QStringLiteral("Error reading configuration")});
    EXPECT_EQ(dialogs().boxes[0].caption, QStringLiteral("Error"));
    EXPECT_EQ(window().outputLower[1], 3.0f);
    EXPECT_EQ(window().outputHigher[1], 4.0f);
    EXPECT_EQ(window().comboBoxConfiguration[1]->currentIndex(), 3);
    EXPECT_EQ(window().lowerBox[1]->text(), QStringLiteral("0.003"));
    EXPECT_EQ(window().outputLower[2], lower3Before);
    EXPECT_EQ(window().comboBoxConfiguration[2]->currentIndex(), mode3Before);
    EXPECT_EQ(window().lowerBox[2]->text(), box3Before);
    EXPECT_FALSE(window().buttonWriteConfiguration->isEnabled());
    EXPECT_FALSE(window().requestPending);
}

TEST_F(ReadConfiguration, ASuccessfulReadEnablesWritingAndAppliesTheChosenType) {
    window().buttonWriteConfiguration->setEnabled(false);
    window().isPressure = false;
    window().CmVycist();
    EXPECT_TRUE(window().buttonWriteConfiguration->isEnabled());
    EXPECT_TRUE(window().checkHeightLiquidColumn->isChecked());
    EXPECT_EQ(window().Rozsah->text(), QStringLiteral("10194 mm"));
}

TEST_F(ReadConfiguration, WithoutALinkItFailsAsForASilentTransmitter) {
    CreateWindow();
    window().CmVycist();
    EXPECT_EQ(BoxTexts(), std::vector<QString>{QStringLiteral("Error reading configuration")});
}

}  // namespace
