// A main window for a test: scripted dialogs, its own XDG folders, no real waiting, timers
// stopped so that nothing runs unless the test makes it run.
#pragma once

#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "app/MainF.h"
#include "platform/Sleep.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

namespace testsupport {

class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        previousSleep_ = platform::ReplaceSleep([this](uint32_t ms) { sleeps.push_back(ms); });
        CreateWindow();
    }
    void TearDown() override {
        window_.reset();
        platform::ReplaceSleep(std::move(previousSleep_));
    }

    void CreateWindow() {
        window_.reset();
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs_ = scripted.get();
        window_ = std::make_unique<TMainF>(std::move(scripted));
        window_->Timer1->stop();
        window_->Timer3->stop();
    }

    TMainF& window() { return *window_; }
    ScriptedDialogs& dialogs() { return *dialogs_; }

    IsolatedUser user;
    std::vector<uint32_t> sleeps;

private:
    std::unique_ptr<TMainF> window_;
    ScriptedDialogs* dialogs_ = nullptr;
    platform::SleepFunction previousSleep_;
};

}  // namespace testsupport
