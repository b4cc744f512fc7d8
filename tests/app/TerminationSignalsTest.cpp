// Closing by the system: a termination signal closes the window as the close box does.
#include <QApplication>
#include <QTimer>
#include <csignal>
#include <filesystem>

#include "platform/TerminationSignals.h"
#include "files/Settings.h"
#include "support/WindowFixture.h"

namespace {

class ClosingBySignal : public testsupport::WindowFixture {};

TEST_F(ClosingBySignal, EachSignalWritesTheSettingsAndEndsTheLoopNormally) {
    for (int signal : TerminationSignals::Signals()) {
        SCOPED_TRACE(signal);
        const std::string settings = files::SettingsFilePath(files::SettingsFileName);
        std::filesystem::remove(settings);
        window().show();
        window().isPressure = true;
        window().unitOfPressure = 4;
        TerminationSignals closeOnSignal(&window());
        QTimer::singleShot(0, [signal] { std::raise(signal); });
        QTimer bound;  // a bound, not a wait
        bound.setSingleShot(true);
        QObject::connect(&bound, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        bound.start(10000);
        EXPECT_EQ(QApplication::exec(), 0);
        EXPECT_FALSE(window().isVisible());
        ASSERT_TRUE(std::filesystem::exists(settings));
        const files::UserSettings saved = files::LoadUserSettings();
        EXPECT_TRUE(saved.isPressure);
        EXPECT_EQ(saved.unitOfPressure, 4);
    }
    // Once the guard is gone the signals have their earlier handlers again.
    struct sigaction current {};
    sigaction(SIGTERM, nullptr, &current);
    EXPECT_EQ(current.sa_handler, SIG_DFL);
}

}  // namespace
