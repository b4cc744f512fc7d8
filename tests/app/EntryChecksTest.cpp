// The checks on leaving a threshold box or the specific-gravity box.
#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>

#include "support/DeviceWindowFixture.h"

namespace {

using namespace testsupport;

class EntryChecks : public DeviceWindowFixture {
protected:
    void SetUp() override {
        DeviceWindowFixture::SetUp();
        window().isPressure = true;
        window().displayUnit = window().pressureUnit = u"kPa";
        window().lengthUnit = u"mm";
        window().show();
        window().activateWindow();
        QApplication::processEvents();
    }

    // Leaves box with text typed into it; returns the messages shown.
    std::vector<QString> Leave(QLineEdit* box, const char* typed, void (TMainF::*handler)()) {
        dialogs().boxes.clear();
        box->setText(QString::fromLatin1(typed));
        (window().*handler)();
        return BoxTexts();
    }

    static QString OutOfRange() { return QStringLiteral("The value is out of range"); }
};

TEST_F(EntryChecks, ThresholdRangeIsOnePercentAboveTheMaximumAndNothingBelowTheMinimum) {
    struct Case {
        const char* typed;
        bool read;      // after a read of the configuration (thresholdMin -10 % of the range)
        bool warned;
        float stored;   // Pa
    };
    const Case cases[] = {
        {"101", false, false, 101 / 0.001f},
        {"101.01", false, true, 101.01 / 0.001f},
        {"-100", false, false, -100 / 0.001f},
        {"-100.01", false, true, -100.01 / 0.001f},
        {"-10", true, false, -10 / 0.001f},
        {"-10.01", true, true, -10.01 / 0.001f},
        {"abc", false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        if (c.read) StartUp();
        window().lowerBox[1]->setText(QStringLiteral("-1000"));  // no order message
        const auto messages = Leave(window().higherBox[1], c.typed, &TMainF::CmFilter21);
        EXPECT_EQ(messages, c.warned ? std::vector<QString>{OutOfRange()} : std::vector<QString>{});
        EXPECT_FLOAT_EQ(window().outputHigher[1], c.stored);
        if (c.warned) {
            EXPECT_EQ(dialogs().boxes[0].caption, QStringLiteral("Error"));
        }
    }
}

TEST_F(EntryChecks, OrderMessagesAndTheValueIsStoredAllTheSame) {
    window().lowerBox[1]->setText(QStringLiteral("10"));
    EXPECT_EQ(Leave(window().higherBox[1], "5", &TMainF::CmFilter21),
              std::vector<QString>{QStringLiteral("Value is less than the lower value")});
    EXPECT_FLOAT_EQ(window().outputHigher[1], 5 / 0.001f);
    EXPECT_TRUE(window().higherBox[1]->hasFocus());
    EXPECT_EQ(window().higherBox[1]->text(), QStringLiteral("5"));  // never rewritten

    window().higherBox[3]->setText(QStringLiteral("1"));
    EXPECT_EQ(Leave(window().lowerBox[3], "2", &TMainF::CmFilter42),
              std::vector<QString>{QStringLiteral("Value is greater than the higher value")});
    EXPECT_FLOAT_EQ(window().outputLower[3], 2 / 0.001f);
    EXPECT_EQ(window().outputHigher[3], 0.0f);  // the other box is only read

    window().higherBox[2]->setText(QStringLiteral("3"));
    EXPECT_TRUE(Leave(window().lowerBox[2], "3", &TMainF::CmFilter32).empty());  // equal: no message

    // Both messages on one exit.
    window().lowerBox[0]->setText(QStringLiteral("500"));
    EXPECT_EQ(Leave(window().higherBox[0], "50", &TMainF::CmFilter11).size(), 1u);
    EXPECT_EQ(Leave(window().higherBox[0], "-150", &TMainF::CmFilter11),
              (std::vector<QString>{OutOfRange(), QStringLiteral("Value is less than the lower value")}));
}

TEST_F(EntryChecks, OutputOneTakesTheFocusBackAfterTheRangeMessageTheOthersBefore) {
    const std::pair<void (TMainF::*)(), size_t> handlers[] = {
        {&TMainF::CmFilter11, 0}, {&TMainF::CmFilter21, 1}, {&TMainF::CmFilter31, 2}, {&TMainF::CmFilter41, 3}};
    for (const auto& [handler, output] : handlers) {
        SCOPED_TRACE(output + 1);
        QLineEdit* box = window().higherBox[output];
        window().Ro->setFocus();
        bool focusedDuringMessage = false;
        dialogs().AnswerNext([&](const RecordedBox&) {
            focusedDuringMessage = box->hasFocus();
            return BoxAnswer::Ok;
        });
        Leave(box, "999", handler);
        EXPECT_EQ(focusedDuringMessage, output != 0);
        EXPECT_TRUE(box->hasFocus());
    }
}

TEST_F(EntryChecks, LeavingABoxByTabRunsItsCheckAndTheFocusReturnRunsNoOther) {
    window().higherBox[1]->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(window().higherBox[1]->hasFocus());
    window().higherBox[1]->setText(QStringLiteral("999"));
    window().lowerBox[1]->setText(QStringLiteral("777"));  // would warn if its own check ran
    window().lowerBox[1]->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(BoxTexts(), std::vector<QString>{OutOfRange()});
    EXPECT_TRUE(window().higherBox[1]->hasFocus());
    EXPECT_FLOAT_EQ(window().outputHigher[1], 999 / 0.001f);
    EXPECT_EQ(window().outputLower[1], 0.0f);
}

TEST_F(EntryChecks, ANumberTooLargeForAFloatIsNotAValidRealNumber) {
    window().outputHigher[1] = 7;
    EXPECT_EQ(Leave(window().higherBox[1], "1e300", &TMainF::CmFilter21),
              (std::vector<QString>{OutOfRange(), QStringLiteral("Not valid real number")}));
    EXPECT_EQ(window().outputHigher[1], 7.0f);
    EXPECT_TRUE(window().higherBox[1]->hasFocus());
}

TEST_F(EntryChecks, SpecificGravityBoundsAndFailures) {
    EXPECT_TRUE(Leave(window().Ro, "10", &TMainF::CmFilterR).empty());
    EXPECT_TRUE(Leave(window().Ro, "100000", &TMainF::CmFilterR).empty());
    EXPECT_EQ(Leave(window().Ro, "9.99", &TMainF::CmFilterR), std::vector<QString>{OutOfRange()});
    EXPECT_EQ(window().lengthFactor, static_cast<float>(1000.0 / 9.99f / 9.81));
    const float factor = window().lengthFactor;
    const float previous = window().previousDensity;
    for (const char* typed : {"0", "abc", ""}) {
        SCOPED_TRACE(typed);
        EXPECT_EQ(Leave(window().Ro, typed, &TMainF::CmFilterR),
                  (std::vector<QString>{OutOfRange(), QStringLiteral("Invalid real number")}));
        EXPECT_EQ(window().density, 0.0f);
        EXPECT_EQ(window().lengthFactor, factor);
        EXPECT_EQ(window().previousDensity, previous);
        EXPECT_TRUE(window().Ro->hasFocus());
    }
    EXPECT_EQ(Leave(window().Ro, "1e39", &TMainF::CmFilterR), std::vector<QString>{QStringLiteral("Invalid real number")});
}

TEST_F(EntryChecks, ANewSpecificGravityRescalesThresholdsInTheLiquidColumnOnly) {
    window().outputLower[0] = 9810;
    window().CmFilterR();
    window().Cmmm();
    ASSERT_EQ(window().lowerBox[0]->text(), QStringLiteral("1000"));
    Leave(window().Ro, "800", &TMainF::CmFilterR);
    EXPECT_FLOAT_EQ(window().outputLower[0], 7848);
    EXPECT_NEAR(window().lengthFactor, 0.127421f, 1e-6);
    EXPECT_EQ(window().displayFactor, window().lengthFactor);
    EXPECT_EQ(window().previousDensity, 800.0f);

    window().checkPressureClick();
    window().outputLower[0] = 9810;
    Leave(window().Ro, "1000", &TMainF::CmFilterR);
    EXPECT_EQ(window().outputLower[0], 9810.0f);
    EXPECT_EQ(window().displayFactor, 0.001f);
    EXPECT_EQ(window().previousDensity, 1000.0f);
}

TEST_F(EntryChecks, EnterInTheSpecificGravityBoxChecksAtOnce) {
    window().Ro->setText(QStringLiteral("1200"));
    window().CmKeyPress(u'x');
    EXPECT_EQ(window().density, 1000.0f);
    window().CmKeyPress(u'\r');
    EXPECT_EQ(window().density, 1200.0f);
    EXPECT_EQ(window().previousDensity, 1200.0f);
    EXPECT_TRUE(dialogs().boxes.empty());
}

}  // namespace
