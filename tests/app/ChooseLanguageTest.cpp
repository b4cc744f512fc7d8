// The language chooser and the menu item that opens it.
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include "app/ChooseLanguage.h"
#include "support/WindowFixture.h"

namespace {

class ChooseLanguage : public testsupport::WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        chooserOwner = std::make_unique<TformChooseLanguage>(&window());
    }
    void TearDown() override {
        chooserOwner.reset();
        WindowFixture::TearDown();
    }

    // Opens the chooser from the menu; while it is shown, act runs and closes it.
    void OpenFromMenu(const std::function<void(TformChooseLanguage&)>& act) {
        bool shown = false;
        QTimer::singleShot(0, &chooser(), [&] {
            shown = chooser().isVisible();
            selectedWhenShown = chooser().listBoxLanguages->currentRow();
            act(chooser());
        });
        window().menuLanguageSelectionClick();
        EXPECT_TRUE(shown);
    }

    std::unique_ptr<TformChooseLanguage> chooserOwner;
    TformChooseLanguage& chooser() { return *chooserOwner; }
    int selectedWhenShown = -2;
};

TEST_F(ChooseLanguage, ListsTheIndexAndSelectsTheLanguageInForce) {
    UseShippedLanguage(2);
    OpenFromMenu([](TformChooseLanguage& c) { c.Button1->click(); });
    ASSERT_EQ(chooser().listBoxLanguages->count(), 3);
    EXPECT_EQ(chooser().listBoxLanguages->item(1)->text(), QString::fromUtf8("Čeština"));
    EXPECT_EQ(selectedWhenShown, 2);
    EXPECT_EQ(chooser().windowTitle(), QStringLiteral("Choose language"));
    EXPECT_EQ(chooser().buttonOk->geometry(), QRect(101, 151, 75, 25));
    EXPECT_EQ(chooser().Button1->geometry(), QRect(23, 151, 75, 25));
}

TEST_F(ChooseLanguage, OkWithAChoiceSetsTheLanguageAndAppliesTheTexts) {
    UseShippedLanguage(0);
    OpenFromMenu([](TformChooseLanguage& c) {
        c.listBoxLanguages->setCurrentRow(1);
        c.buttonOk->click();
    });
    EXPECT_EQ(lang::Language, 1);
    EXPECT_EQ(window().menuApplication->title(), QStringLiteral("Soubor"));
}

TEST_F(ChooseLanguage, CancelChangesNothing) {
    UseShippedLanguage(0);
    window().SetStatusText(QStringLiteral("kept"));
    OpenFromMenu([](TformChooseLanguage& c) {
        c.listBoxLanguages->setCurrentRow(2);
        c.Button1->click();
    });
    EXPECT_EQ(lang::Language, 0);
    EXPECT_EQ(window().menuApplication->title(), QStringLiteral("File"));
    EXPECT_EQ(window().StatusText(), QStringLiteral("kept"));
}

TEST_F(ChooseLanguage, ALanguageBeyondTheListOpensWithoutSelectionAndOkKeepsIt) {
    UseShippedLanguage(7);
    window().SetStatusText(QStringLiteral("device message"));
    OpenFromMenu([](TformChooseLanguage& c) { c.buttonOk->click(); });
    EXPECT_EQ(selectedWhenShown, -1);
    EXPECT_EQ(lang::Language, 7);
    EXPECT_TRUE(window().StatusText().isEmpty());  // the texts were applied again
}

TEST_F(ChooseLanguage, ClosingTheDialogOtherwiseChangesNothing) {
    UseShippedLanguage(1);
    window().ApplyWindowTexts();
    window().SetStatusText(QStringLiteral("kept"));
    OpenFromMenu([](TformChooseLanguage& c) {
        c.listBoxLanguages->setCurrentRow(2);
        c.reject();
    });
    EXPECT_EQ(lang::Language, 1);
    EXPECT_EQ(window().StatusText(), QStringLiteral("kept"));
}

}  // namespace
