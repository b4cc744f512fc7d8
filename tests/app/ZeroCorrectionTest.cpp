// The zero correction.
#include <limits>

#include "support/DeviceWindowFixture.h"

namespace {

using namespace testsupport;

class ZeroCorrection : public ConnectedWindowFixture {};

TEST_F(ZeroCorrection, AsksWithTheMeanErrorAndCorrectsByTheSmallerReading) {
    SetEepromFloat(config::eeZeroOffset, 50);
    ReportValues({120, 100});
    dialogs().AnswerNext(BoxAnswer::Ok);
    dialogs().AnswerNext(BoxAnswer::Yes);
    window().CmKorekce();
    EXPECT_EQ(TakeExchanges(), (std::vector<Exchange>{Command(2), Read(940, 4), ValueRead(), Command(13), ValueRead(),
                                                      Write(940, FloatBytes(-50)), Command(1)}));
    EXPECT_EQ(sleeps, std::vector<uint32_t>{500});
    ASSERT_EQ(dialogs().boxes.size(), 3u);
    EXPECT_EQ(dialogs().boxes[0].text, QStringLiteral("Set the zero pressure and press OK"));
    EXPECT_EQ(dialogs().boxes[1].text, QStringLiteral("Zero error is: 0.110 kPa\rWould you like to fix this error?"));
    EXPECT_EQ(dialogs().boxes[1].buttons, BoxButtons::YesNo);
    EXPECT_EQ(dialogs().boxes[1].caption, QStringLiteral("Message"));
    EXPECT_EQ(dialogs().boxes[2].text, QStringLiteral("Correction successfully implemented"));
    EXPECT_EQ(EepromFloat(config::eeZeroOffset), -50.0f);
    EXPECT_FALSE(window().requestPending);
    EXPECT_EQ(window().pendingRequest, 1);
}

TEST_F(ZeroCorrection, EqualNegativeReadingsRaiseTheOffset) {
    ReportValues({-30, -30});
    dialogs().AnswerNext(BoxAnswer::Ok);
    dialogs().AnswerNext(BoxAnswer::Yes);
    window().CmKorekce();
    EXPECT_EQ(EepromFloat(config::eeZeroOffset), 30.0f);
}

TEST_F(ZeroCorrection, NoSendsOnlyCommand1) {
    SetEepromFloat(config::eeZeroOffset, 50);
    ReportValues({120, 100});
    window().CmKorekce();  // the question is answered No
    const std::vector<Exchange> exchanges = TakeExchanges();
    EXPECT_EQ(exchanges.back(), Command(1));
    EXPECT_EQ(exchanges.size(), 6u);
    EXPECT_EQ(EepromFloat(config::eeZeroOffset), 50.0f);
    EXPECT_EQ(dialogs().boxes.size(), 2u);
    EXPECT_FALSE(window().requestPending);
}

TEST_F(ZeroCorrection, InTheLiquidColumnTheErrorIsShownInTheLengthUnitAndCorrectedInPascals) {
    window().checkHeightLiquidColumnClick();
    ReportValues({9810, 9810});
    dialogs().AnswerNext(BoxAnswer::Ok);
    dialogs().AnswerNext(BoxAnswer::Yes);
    window().CmKorekce();
    EXPECT_EQ(dialogs().boxes[1].text, QStringLiteral("Zero error is: 1000 mm\rWould you like to fix this error?"));
    EXPECT_EQ(EepromFloat(config::eeZeroOffset), -9810.0f);
}

TEST_F(ZeroCorrection, AFailureSaysSoAndSendsNoCommand1) {
    silentAfter = answered + 3;  // Command 13 goes unanswered
    window().CmKorekce();
    const std::vector<Exchange> exchanges = TakeExchanges();
    EXPECT_EQ(exchanges.back(), Command(13));
    EXPECT_EQ(BoxTexts(), (std::vector<QString>{QStringLiteral("Set the zero pressure and press OK"),
                                                QStringLiteral("Error zero correction")}));
    EXPECT_EQ(dialogs().boxes[1].caption, QStringLiteral("Error"));
    EXPECT_FALSE(window().requestPending);
}

// A reading that is not a finite number (NaN, or one too large for a float) fails the
// procedure like a failed exchange: no question, nothing written to the offset.
TEST_F(ZeroCorrection, AReadingThatIsNotAFiniteNumberFailsAndWritesNothing) {
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), static_cast<float>(1e39)}) {
        SetEepromFloat(config::eeZeroOffset, 50);
        ReportValues({100, bad});
        dialogs().boxes.clear();
        dialogs().AnswerNext(BoxAnswer::Ok);
        dialogs().AnswerNext(BoxAnswer::Yes);
        window().CmKorekce();
        for (const Exchange& e : TakeExchanges()) EXPECT_NE(e.command, 8);
        EXPECT_EQ(BoxTexts(), (std::vector<QString>{QStringLiteral("Set the zero pressure and press OK"),
                                                    QStringLiteral("Error zero correction")}));
        EXPECT_EQ(EepromFloat(config::eeZeroOffset), 50.0f);
        EXPECT_FALSE(window().requestPending);
    }
}

TEST_F(ZeroCorrection, NoPollRunsWhileItsBoxesAreOpen) {
    window().checkActualValue->setChecked(true);
    TakeExchanges();
    auto tickInside = [this](const RecordedBox&) {
        window().Timer1Timer();
        return BoxAnswer::Ok;
    };
    dialogs().AnswerNext(tickInside);
    dialogs().AnswerNext([this](const RecordedBox&) {
        window().Timer1Timer();
        return BoxAnswer::No;
    });
    window().CmKorekce();
    EXPECT_EQ(TakeExchanges(), (std::vector<Exchange>{Command(2), Read(940, 4), ValueRead(), Command(13), ValueRead(),
                                                      Command(1)}));
}

}  // namespace
