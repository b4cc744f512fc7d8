// Creation, the start-up step, closing, the single-instance guard and the error report.
#include <QApplication>
#include <QCloseEvent>
#include <QProcess>
#include <QPushButton>
#include <QAction>
#include <QLineEdit>
#include <cmath>
#include <stdexcept>

#include "app/ErrorReport.h"
#include "platform/InstanceLock.h"
#include "support/WindowFixture.h"

namespace {

using testsupport::RecordedBox;

class Lifecycle : public testsupport::WindowFixture {};

TEST_F(Lifecycle, WorkingStateRightAfterCreation) {
    const TMainF& w = window();
    EXPECT_EQ(w.pressureDecimals, 3);
    EXPECT_FLOAT_EQ(w.pressureFactor, 0.001f);
    EXPECT_EQ(w.nominalRange, 100000.0f);
    EXPECT_EQ(w.thresholdMin, -100000.0f);
    EXPECT_EQ(w.thresholdMax, 100000.0f);
    EXPECT_EQ(w.previousDensity, 1000.0f);
    EXPECT_EQ(w.density, 1000.0f);
    EXPECT_EQ(w.lengthDecimals, 0);
    EXPECT_EQ(w.lengthFactor, static_cast<float>(1000.0 / 1000.0 / 9.81));
    EXPECT_NEAR(w.lengthFactor, 0.1019368f, 1e-7);
    EXPECT_EQ(w.displayDecimals, 3);
    EXPECT_EQ(w.displayFactor, w.pressureFactor);
    EXPECT_FALSE(w.pollBusy);
    EXPECT_FALSE(w.startupRead);
    EXPECT_TRUE(w.configPressureMode);
    EXPECT_FALSE(w.requestPending);
    EXPECT_EQ(w.pendingRequest, 0);
    EXPECT_FALSE(w.outputState);
    for (size_t i = 0; i < config::OutputCount; ++i) {
        EXPECT_EQ(w.outputLower[i], 0.0f);
        EXPECT_EQ(w.outputHigher[i], 0.0f);
    }
    // The unit texts arrive with the start-up step.
    EXPECT_TRUE(w.displayUnit.empty());
    EXPECT_TRUE(w.pressureUnit.empty());
    EXPECT_TRUE(w.lengthUnit.empty());
    EXPECT_TRUE(std::all_of(w.eepromImage.begin(), w.eepromImage.end(), [](uint8_t b) { return b == 0; }));
}


TEST_F(Lifecycle, ClosingFromTheMenuAndFromTheCloseBox) {
    window().show();
    window().menuExit->trigger();
    EXPECT_FALSE(window().isVisible());

    window().show();
    QCloseEvent close;
    QApplication::sendEvent(&window(), &close);
    EXPECT_TRUE(close.isAccepted());
    EXPECT_TRUE(dialogs().boxes.empty());
}

TEST(ErrorReport, AnEscapingErrorBecomesOneErrorBoxWithItsText) {
    testsupport::ScriptedDialogs dialogs;
    RunReportingErrors(dialogs, nullptr, [] { throw std::runtime_error("Cannot find usb serial library mpusbapi.dll"); });
    RunReportingErrors(dialogs, nullptr, [] { throw 42; });  // not an error object: empty text
    RunReportingErrors(dialogs, nullptr, [] {});
    ASSERT_EQ(dialogs.boxes.size(), 2u);
    EXPECT_EQ(dialogs.boxes[0].kind, RecordedBox::Kind::ErrorReport);
    EXPECT_EQ(dialogs.boxes[0].text, QStringLiteral("Cannot find usb serial library mpusbapi.dll"));
    EXPECT_EQ(dialogs.boxes[1].kind, RecordedBox::Kind::ErrorReport);
    EXPECT_TRUE(dialogs.boxes[1].text.isEmpty());
}

TEST_F(Lifecycle, AHandlerThatRaisesFromAnEventIsReportedNotPropagated) {
    // A specific gravity that is not a number makes the working state's set-up raise.
    window().Ro->setText(QStringLiteral("abc"));
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &window(), [this] {
        RunReportingErrors(window().dialogs(), &window(), [this] { window().InitWorkingState(); });
    });
    timer.start(0);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    ASSERT_EQ(dialogs().boxes.size(), 1u);
    EXPECT_EQ(dialogs().boxes[0].kind, RecordedBox::Kind::ErrorReport);
    EXPECT_EQ(dialogs().boxes[0].text, QStringLiteral("'abc' is not a valid floating point value"));
}

TEST(SingleInstance, ASecondCopyExitsAtOnceWithCodeZeroAndSaysNothing) {
    testsupport::IsolatedUser user;
    platform::InstanceLock first("KD4412.0");
    ASSERT_EQ(first.outcome(), platform::InstanceLock::Outcome::Acquired);

    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(KD4410_EXECUTABLE), {});
    ASSERT_TRUE(second.waitForStarted());
    // A bound, not a wait: a second copy that ran on would show its window and never end.
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());
    EXPECT_EQ(first.outcome(), platform::InstanceLock::Outcome::Acquired);
}

}  // namespace
