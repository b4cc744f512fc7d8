// Measurement types and units in the window.
#include <QApplication>
#include <QGroupBox>
#include <QMouseEvent>

#include "support/DeviceWindowFixture.h"

namespace {

using namespace testsupport;

class Units : public ConnectedWindowFixture {};

TEST_F(Units, NominalRangeInEveryPressureUnit) {
    const std::pair<void (TMainF::*)(), const char*> cases[] = {
        {&TMainF::CmPa, "100000 Pa"},    {&TMainF::CmkPa, "100.000 kPa"}, {&TMainF::CmMPa, "0.100 MPa"},
        {&TMainF::Cmmbar, "1000.0 mbar"}, {&TMainF::Cmbar, "1.000 bar"},  {&TMainF::Cmpsi, "14.500 psi"},
    };
    int32_t index = 0;
    for (const auto& [handler, shown] : cases) {
        (window().*handler)();
        EXPECT_EQ(window().Rozsah->text(), QString::fromLatin1(shown));
        EXPECT_EQ(window().unitOfPressure, index++);
        EXPECT_TRUE(window().isPressure);
    }
}

TEST_F(Units, LiquidColumnInEveryLengthUnit) {
    window().outputLower[0] = 9810;
    const std::tuple<void (TMainF::*)(), const char*, const char*> cases[] = {
        {&TMainF::Cmmm, "1000", "10194 mm"},
        {&TMainF::Cmm, "1.000", "10.194 m"},
        {&TMainF::CmInch, "39.4", "401.3 inch"},
    };
    for (const auto& [handler, threshold, range] : cases) {
        (window().*handler)();
        EXPECT_EQ(window().lowerBox[0]->text(), QString::fromLatin1(threshold));
        EXPECT_EQ(window().Rozsah->text(), QString::fromLatin1(range));
        EXPECT_FALSE(window().isPressure);
        EXPECT_TRUE(window().checkHeightLiquidColumn->isChecked());
        EXPECT_FALSE(window().captionPressureUnits->isEnabled());
        EXPECT_TRUE(window().radioButtonInch->isEnabled());
    }
    EXPECT_EQ(window().unitOfLength, 2);
}

TEST_F(Units, ADoubleClickOnAUnitRunsItsHandlerToo) {
    const QPointF at(5, 5);
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, at, window().radioButtonPsi->mapToGlobal(at), Qt::LeftButton,
                            Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window().radioButtonPsi, &doubleClick);
    EXPECT_EQ(window().unitOfPressure, 5);
    EXPECT_EQ(window().Rozsah->text(), QStringLiteral("14.500 psi"));
}

TEST_F(Units, SwitchingTypesRestoresTheUnitLastChosenInEach) {
    window().Cmbar();
    window().Cmm();
    window().checkPressureClick();
    EXPECT_EQ(window().Rozsah->text(), QStringLiteral("1.000 bar"));
    EXPECT_TRUE(window().radioButtonPa->isEnabled());
    EXPECT_FALSE(window().radioButtonMm->isEnabled());
    window().checkHeightLiquidColumnClick();
    EXPECT_EQ(window().Rozsah->text(), QStringLiteral("10.194 m"));
    EXPECT_EQ(window().displayUnit, u"m");
}

TEST_F(Units, ALengthUnitWithASpecificGravityOfZeroOrNoNumberGoesToTheErrorReport) {
    const std::pair<const char*, const char*> cases[] = {
        {"0", "Floating point division by zero"},
        {"abc", "'abc' is not a valid floating point value"},
    };
    for (const auto& [ro, report] : cases) {
        window().Ro->setText(QStringLiteral("1000"));
        window().Cmmm();
        dialogs().boxes.clear();
        window().Ro->setText(QString::fromLatin1(ro));
        window().radioButtonM->click();  // through the binding, as the operator clicks
        ASSERT_EQ(dialogs().boxes.size(), 1u) << ro;
        EXPECT_EQ(dialogs().boxes[0].kind, RecordedBox::Kind::ErrorReport);
        EXPECT_EQ(dialogs().boxes[0].text, QString::fromLatin1(report));
        EXPECT_EQ(window().unitOfLength, 1);    // already changed
        EXPECT_EQ(window().lengthDecimals, 3);  // already changed
        EXPECT_EQ(window().lengthUnit, u"mm");  // not reached
        EXPECT_EQ(window().Rozsah->text(), QStringLiteral("10194 mm"));
    }
}

}  // namespace
