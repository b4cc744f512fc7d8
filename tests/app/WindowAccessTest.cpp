// The window from the keyboard and for screen readers, pasted text, and the dialogs' behaviour:
// shortcuts, F10, radio groups entered at the checked button, accessible names and values,
// one-line boxes, the chooser without a default button, the About box's border, and the folder
// the file dialogs open in.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "app/EventHooks.h"
#include "app/Oprog.h"
#include "app/ChooseLanguage.h"
#include "support/WindowFixture.h"

namespace {

class WindowAccess : public testsupport::WindowFixture {
protected:
    void ShowActive() {
        window().show();
        window().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window())) << "the window did not become active";
    }
    // The name of the control that has the focus after Tab or Shift+Tab.
    QString Tab(bool forward = true) {
        QTest::keyClick(QApplication::focusWidget(), forward ? Qt::Key_Tab : Qt::Key_Backtab,
                        forward ? Qt::NoModifier : Qt::ShiftModifier);
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }
    static QString Name(QObject* o) { return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Name); }
    static QString Value(QObject* o) { return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Value); }
};

TEST_F(WindowAccess, MenuItemsHaveTheUsualShortcutsAndKeepTheirTexts) {
    TMainF& w = window();
    EXPECT_EQ(w.menuReadConfigurationFromDisk->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    EXPECT_EQ(w.menuWriteconfigurationToDisk->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    EXPECT_EQ(w.menuExit->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    EXPECT_EQ(w.menuAbout->shortcut(), QKeySequence(QStringLiteral("F1")));
    EXPECT_EQ(w.menuReadConfigurationFromDisk->text(), QStringLiteral("Load configuration..."));
    EXPECT_EQ(w.menuExit->text(), QStringLiteral("Exit"));
    EXPECT_EQ(w.menuAbout->text(), QStringLiteral("About..."));

    ShowActive();
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(dialogs().fileDialogs.size(), 2u);
    EXPECT_TRUE(dialogs().fileDialogs[0].mustExist);         // the open dialog
    EXPECT_TRUE(dialogs().fileDialogs[1].confirmOverwrite);  // the save dialog
    QSignalSpy about(w.menuAbout, &QAction::triggered);
    QTest::keyClick(&w, Qt::Key_F1);
    EXPECT_EQ(about.count(), 1);

    QTest::keyClick(&w, Qt::Key_F10);
    EXPECT_EQ(w.menuBar()->activeAction(), w.menuApplication->menuAction());
    EXPECT_TRUE(w.menuApplication->isVisible());
    w.menuApplication->close();

    QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(WindowAccess, TabEntersARadioGroupAtItsCheckedButtonAndLeavesItWithTheNextTab) {
    TMainF& w = window();
    ShowActive();
    ASSERT_TRUE(w.radioButtonkPa->isChecked());
    w.checkHeightLiquidColumn->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(Tab(), QStringLiteral("radioButtonkPa"));  // not radioButtonPa, the first of the group
    EXPECT_EQ(Tab(), QStringLiteral("Ro"));              // the length units and Rozsah are disabled
    EXPECT_EQ(Tab(false), QStringLiteral("radioButtonkPa"));
    EXPECT_EQ(Tab(false), QStringLiteral("checkPressure"));  // the measurement type: its checked button
    w.radioButtonBar->setChecked(true);
    EXPECT_EQ(Tab(), QStringLiteral("radioButtonBar"));
    EXPECT_EQ(Tab(), QStringLiteral("Ro"));
    EXPECT_EQ(Tab(false), QStringLiteral("radioButtonBar"));
}

TEST_F(WindowAccess, PastedLineBreaksAndControlCharactersNeverReachABox) {
    TMainF& w = window();
    QApplication::clipboard()->setText(QStringLiteral("50\n"));
    w.higherBox[0]->selectAll();
    w.higherBox[0]->paste();
    EXPECT_EQ(w.higherBox[0]->text(), QStringLiteral("50"));
    w.CmFilter11();
    EXPECT_FLOAT_EQ(w.outputHigher[0], 50000.0f);  // 50 kPa
    EXPECT_TRUE(dialogs().boxes.empty());

    w.Ro->selectAll();
    w.Ro->insert(QStringLiteral("998.2\r\n"));
    EXPECT_EQ(w.Ro->text(), QStringLiteral("998.2"));
    w.lowerBox[3]->setText(QStringLiteral("1\t2\u2028"));
    EXPECT_EQ(w.lowerBox[3]->text(), QStringLiteral("12"));

    // The saved file keeps its fifteen lines.
    const std::string path = user.folder() / "pasted.cfg";
    dialogs().files.push_back(QString::fromStdString(path));
    w.CmSave();
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line.substr(0, line.find('\r')));
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines[2], "998.2");

    EXPECT_EQ(WithoutControlCharacters(QStringLiteral("\x01" "a\x7f" "b\u0085c\u2029")), QStringLiteral("abc"));
    EXPECT_EQ(WithoutControlCharacters(QString::fromUtf8("Hustota 1 000,5 kg")), QString::fromUtf8("Hustota 1 000,5 kg"));
}

TEST_F(WindowAccess, EveryControlHasANameAScreenReaderReadsOut) {
    TMainF& w = window();
    EXPECT_EQ(Name(w.higherBox[0]), QStringLiteral("Output 1 higher value"));
    EXPECT_EQ(Name(w.lowerBox[2]), QStringLiteral("Output 3 lower value"));
    EXPECT_EQ(Name(w.comboBoxConfiguration[1]), QStringLiteral("Output 2 configuration"));
    EXPECT_EQ(Name(w.Ro), QStringLiteral("Specific gravity[kg/m^3]"));
    EXPECT_EQ(Name(w.Rozsah), QStringLiteral("Nominal range"));
    EXPECT_EQ(Name(w.AHMLed[3]), QStringLiteral("Output 4"));
    EXPECT_EQ(Value(w.AHMLed[3]), QStringLiteral("dark"));
    w.AHMLed[3]->setValue(1);
    EXPECT_EQ(Value(w.AHMLed[3]), QStringLiteral("lit"));
    for (QWidget* control : w.centralWidget()->findChildren<QWidget*>()) {
        if (!(control->focusPolicy() & Qt::TabFocus) && !qobject_cast<QProgressBar*>(control)) continue;
        EXPECT_FALSE(Name(control).isEmpty()) << control->objectName().toStdString();
    }

    UseShippedLanguage(1);
    w.ApplyWindowTexts();
    EXPECT_EQ(Name(w.higherBox[0]), QString::fromUtf8("Výstup 1 horní hodnota"));
    EXPECT_EQ(Name(w.comboBoxConfiguration[3]), QString::fromUtf8("Výstup 4 konfigurace"));
    EXPECT_EQ(Name(w.Rozsah), QString::fromUtf8("Jmenovitý rozsah"));
    EXPECT_EQ(Name(w.AHMLed[0]), QString::fromUtf8("Výstup 1"));
    EXPECT_EQ(Value(w.AHMLed[3]), QString::fromUtf8("svítí"));
    UseShippedLanguage(2);
    w.ApplyWindowTexts();
    EXPECT_EQ(Name(w.lowerBox[1]), QStringLiteral("Ausgang 2 unterer Wert"));
    EXPECT_EQ(Value(w.AHMLed[0]), QStringLiteral("dunkel"));
}

// Records the accessibility events the window sends.
class EventRecorder {
public:
    EventRecorder() {
        QAccessible::setActive(true);  // as with a screen reader listening
        previous_ = QAccessible::installUpdateHandler(&EventRecorder::Record);
    }
    ~EventRecorder() {
        QAccessible::installUpdateHandler(previous_);
        QAccessible::setActive(false);
        Events().clear();
    }
    static std::vector<std::pair<QObject*, QString>>& Events() {
        static std::vector<std::pair<QObject*, QString>> events;
        return events;
    }

private:
    static void Record(QAccessibleEvent* event) {
        if (event->type() == QAccessible::ValueChanged)
            Events().emplace_back(event->object(), static_cast<QAccessibleValueChangeEvent*>(event)->value().toString());
    }
    QAccessible::UpdateHandler previous_ = nullptr;
};

TEST_F(WindowAccess, TheLiveValueAndTheLampsAreAnnouncedWhenTheyChange) {
    TMainF& w = window();
    // The live value is read out as the label's own text.
    w.ShowLiveValue(QStringLiteral("-1.500 kPa"));
    EXPECT_EQ(Name(w.Aktualni), QStringLiteral("-1.500 kPa"));
    EXPECT_EQ(w.Aktualni->accessibleDescription(), QStringLiteral("Actual value"));

    EventRecorder recorder;
    if (!QAccessible::isActive())
        GTEST_SKIP() << "the platform plugin (" << QGuiApplication::platformName().toStdString()
                     << ") has no accessibility bridge to deliver change events";
    w.ShowLiveValue(QStringLiteral("12.345 kPa"));
    w.ShowLiveValue(QStringLiteral("12.345 kPa"));  // unchanged: nothing to announce
    w.AHMLed[1]->setValue(1);
    const std::vector<std::pair<QObject*, QString>> expected = {
        {w.Aktualni, QStringLiteral("12.345 kPa")}, {w.AHMLed[1], QStringLiteral("lit")}};
    EXPECT_EQ(EventRecorder::Events(), expected);
    EXPECT_EQ(w.Aktualni->text(), QStringLiteral("12.345 kPa"));
}

TEST_F(WindowAccess, TheChooserHasNoDefaultButtonSoEnterChoosesNothing) {
    TformChooseLanguage chooser(&window());
    for (QPushButton* button : {chooser.buttonOk, chooser.Button1}) {
        EXPECT_FALSE(button->isDefault());
        EXPECT_FALSE(button->autoDefault());
    }
    UseShippedLanguage(0);
    bool stillOpen = false;
    QTimer::singleShot(0, &chooser, [&] {
        chooser.listBoxLanguages->setCurrentRow(2);
        chooser.listBoxLanguages->setFocus();
        QTest::keyClick(chooser.listBoxLanguages, Qt::Key_Return);
        QTest::keyClick(chooser.listBoxLanguages, Qt::Key_Enter);
        stillOpen = chooser.isVisible();
        chooser.Button1->click();
    });
    EXPECT_EQ(chooser.SelectLanguage(), 2);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(lang::Language, 0);
}

TEST_F(WindowAccess, TheAboutBoxHasASizeableToolWindowBorderWithoutTitleButtons) {
    TOProgramu about(&window());
    EXPECT_EQ(about.windowType(), Qt::Tool);
    EXPECT_FALSE(about.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_NE(about.minimumSize(), about.maximumSize());
    EXPECT_EQ(about.size(), QSize(345, 179));
}

TEST_F(WindowAccess, FileDialogsOpenInTheFolderOfTheLastFileElseInTheHomeFolder) {
    TMainF& w = window();
    const QString home = QString::fromStdString(user.folder() / "home");
    ASSERT_EQ(QDir::homePath(), home);
    EXPECT_EQ(StartFolder(w.OpenDialog1), home);
    EXPECT_EQ(StartFolder(w.SaveDialog1), home);

    std::filesystem::create_directories(user.folder() / "configs");
    const QString folder = QString::fromStdString(user.folder() / "configs");
    dialogs().files.push_back(folder + QStringLiteral("/a.cfg"));
    w.CmSave();
    EXPECT_EQ(w.OpenDialog1.folder, folder);
    EXPECT_EQ(w.SaveDialog1.folder, folder);
    w.CmLoad();  // cancelled: the folder stays
    EXPECT_EQ(dialogs().fileDialogs.back().folder, folder);
    EXPECT_EQ(StartFolder(w.OpenDialog1), folder);
    std::filesystem::remove_all(user.folder() / "configs");
    EXPECT_EQ(StartFolder(w.OpenDialog1), home);  // gone: home again

    // The real dialog opens there, with its title exactly as designed.
    QString shownFolder, shownTitle;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            shownFolder = dialog->directory().absolutePath();
            shownTitle = dialog->windowTitle();
            dialog->reject();
        }
    });
    EXPECT_FALSE(QtUserDialogs().AskOpenFile(nullptr, w.OpenDialog1));
    EXPECT_EQ(shownFolder, home);
    EXPECT_EQ(shownTitle, QString::fromUtf8("Otevření souboru konfigurace"));
}

}  // namespace
