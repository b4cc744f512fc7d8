// The program as a process: Qt acts on none of the command line's options, and the desktop
// shows every title exactly as the program sets it (an X server of its own, Xvfb).
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QStyle>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/ToolkitArguments.h"
#include "files/Settings.h"
#include "platform/InstanceLock.h"
#include "support/TempFolder.h"
#include "support/X11Titles.h"

extern char** environ;

namespace {

// A child process, ended and reaped when the object goes.
class Child {
public:
    explicit Child(std::vector<std::string> arguments) {
        std::vector<char*> argv;
        for (std::string& a : arguments) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
    }
    ~Child() {
        if (pid_ > 0 && !status_) {
            kill(pid_, SIGTERM);
            Wait();
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool started() const { return pid_ > 0; }
    // The wait status once the process has ended.
    int Wait() {
        if (!status_) {
            int status = 0;
            waitpid(pid_, &status, 0);
            status_ = status;
        }
        return *status_;
    }
    bool Running() {
        if (status_) return false;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
        return !status_;
    }

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

TEST(ToolkitArguments, HandQtTheProgramNameAlone) {
    char name[] = "kd4410", reverse[] = "-reverse", style[] = "-style", windows[] = "windows",
         sheet[] = "-stylesheet", file[] = "/nonexistent.qss";
    char* argv[] = {name, reverse, style, windows, sheet, file, nullptr};
    ToolkitArguments toolkit(argv[0]);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(toolkit.argc, toolkit.argv);
    EXPECT_EQ(QApplication::arguments(), QStringList{QStringLiteral("kd4410")});
    EXPECT_EQ(QGuiApplication::layoutDirection(), Qt::LeftToRight);
    EXPECT_TRUE(application.styleSheet().isEmpty());
    EXPECT_NE(application.style()->name(), QStringLiteral("windows"));
}

TEST(Program, TakesNoToolkitOptionsFromTheCommandLine) {
    testsupport::IsolatedUser user;
    user.environment().Set("QT_QPA_PLATFORM", "offscreen");
    // Another copy holds the guard, so the program ends with 0 as soon as its window is made;
    // had Qt taken "-platform", it would have aborted before, finding no such platform.
    platform::InstanceLock first("KD4412.0");
    ASSERT_EQ(first.outcome(), platform::InstanceLock::Outcome::Acquired);
    Child program({KD4410_EXECUTABLE, "-platform", "no-such-platform", "-reverse"});
    ASSERT_TRUE(program.started());
    const int status = program.Wait();
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(Program, TheDesktopShowsTheTitleExactlyAsTranslated) {
    const char* xvfb = "/usr/bin/Xvfb";
    if (access(xvfb, X_OK) != 0) GTEST_SKIP() << "no X server to start: " << xvfb << " is missing (package xvfb)";
    const std::string number = std::to_string(90 + getpid() % 800);
    Child server({xvfb, ":" + number, "-nolisten", "tcp", "-screen", "0", "1024x768x24"});
    ASSERT_TRUE(server.started());
    std::unique_ptr<testsupport::X11Display> display;
    for (int i = 0; i < 100 && (!display || !display->open()) && server.Running(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        display = std::make_unique<testsupport::X11Display>(":" + number);
    }
    if (!display || !display->open()) GTEST_SKIP() << "Xvfb :" << number << " did not start";

    testsupport::IsolatedUser user;
    user.environment().Set("DISPLAY", ":" + number);
    user.environment().Set("QT_QPA_PLATFORM", "xcb");
    files::SaveUserSettings({/*language=*/1, true, 1, 1});  // Czech
    Child program({KD4410_EXECUTABLE});
    ASSERT_TRUE(program.started());

    const std::string czech = "KD4410 \u2013 u\u017eivatelsk\u00fd software";
    std::vector<std::pair<std::string, std::string>> titles;
    for (int i = 0; i < 150 && program.Running(); ++i) {
        titles = display->Titles();
        bool found = false;
        for (const auto& t : titles) found = found || t.first.find("KD4410") != std::string::npos;
        if (found) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    bool mainWindow = false;
    for (const auto& [net, plain] : titles) {
        if (net.find("KD4410") == std::string::npos) continue;
        mainWindow = true;
        EXPECT_EQ(net, czech);
        EXPECT_EQ(plain, czech);
    }
    EXPECT_TRUE(mainWindow) << "no window with the program's title appeared";
}

}  // namespace
