// A main window for a test: scripted dialogs, its own XDG folders, no real waiting, timers
// stopped so that nothing runs unless the test makes it run.
#pragma once

#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "app/MainF.h"
#include "lang/Lang.h"
#include "platform/Sleep.h"
#include "support/QtPrinters.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

namespace testsupport {

class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        lang::ResetCatalogue();
        previousSleep_ = platform::ReplaceSleep([this](uint32_t ms) { sleeps.push_back(ms); });
        CreateWindow();
    }
    void TearDown() override {
        window_.reset();
        platform::ReplaceSleep(std::move(previousSleep_));
        lang::ResetCatalogue();
    }

    // The catalogues shipped with the program, with language index chosen.
    static void UseShippedLanguage(int32_t language) {
        lang::LoadLanguageListFrom(u"" KD4410_LANGUAGE_DIR);
        lang::Language = language;
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
