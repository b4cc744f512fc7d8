// The main window is built as designed: every control with its kind, parent, geometry, text
// and state, the menu, the timers and the fixed client area.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

#include "support/WindowFixture.h"

namespace {

struct ControlRow {
    const char* name;
    const char* className;
    const char* parent;
    QRect geometry;          // an empty rect: only the position is designed
    const char* text;        // nullptr: not checked
    bool enabled = true;
};

QString TextOf(QWidget* widget) {
    if (auto* b = qobject_cast<QAbstractButton*>(widget)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(widget)) return l->text();
    if (auto* e = qobject_cast<QLineEdit*>(widget)) return e->text();
    if (auto* g = qobject_cast<QGroupBox*>(widget)) return g->title();
    return {};
}

const ControlRow kControls[] = {
    {"panelLeft", "QWidget", "clientArea", {0, 0, 230, 640}, nullptr},
    {"buttonDeviceInfo", "QPushButton", "panelLeft", {8, 18, 200, 33}, "Device info"},
    {"buttonreadConfiguration", "QPushButton", "panelLeft", {8, 57, 200, 33}, "Read configuration"},
    {"buttonWriteConfiguration", "QPushButton", "panelLeft", {8, 96, 200, 33}, "Write configuration"},
    {"buttonZeroCorrection", "QPushButton", "panelLeft", {8, 135, 200, 33}, "Zero correction"},
    {"groupBoxTypeOfMeasurement", "QGroupBox", "panelLeft", {10, 184, 198, 80}, "Type of measurement"},
    {"checkPressure", "QRadioButton", "groupBoxTypeOfMeasurement", {16, 24, 120, 17}, "Pressure"},
    {"checkHeightLiquidColumn", "QRadioButton", "groupBoxTypeOfMeasurement", {16, 48, 220, 17},
     "Height of the liquid column"},
    {"captionPressureUnits", "QGroupBox", "panelLeft", {8, 270, 200, 170}, "Pressure units"},
    {"radioButtonPa", "QRadioButton", "captionPressureUnits", {16, 24, 0, 0}, "Pa"},
    {"radioButtonkPa", "QRadioButton", "captionPressureUnits", {16, 48, 0, 0}, "kPa"},
    {"radioButtonMPa", "QRadioButton", "captionPressureUnits", {16, 72, 0, 0}, "MPa"},
    {"radioButtonMbar", "QRadioButton", "captionPressureUnits", {16, 96, 0, 0}, "mbar"},
    {"radioButtonBar", "QRadioButton", "captionPressureUnits", {16, 120, 0, 0}, "bar"},
    {"radioButtonPsi", "QRadioButton", "captionPressureUnits", {16, 144, 0, 0}, "psi"},
    {"captionLengthUnits", "QGroupBox", "panelLeft", {8, 444, 200, 96}, "Units of length", false},
    {"radioButtonM", "QRadioButton", "captionLengthUnits", {16, 24, 0, 0}, "m", false},
    {"radioButtonInch", "QRadioButton", "captionLengthUnits", {16, 48, 0, 0}, "inch", false},
    {"radioButtonMm", "QRadioButton", "captionLengthUnits", {16, 72, 0, 0}, "mm", false},
    {"captionNominalRange", "QLabel", "panelLeft", {18, 546, 0, 0}, "Nominal range"},
    {"Rozsah", "QLineEdit", "panelLeft", {18, 562, 190, 24}, "", false},
    {"captionSpecificGravity", "QLabel", "panelLeft", {18, 590, 0, 0}, "Specific gravity[kg/m^3]"},
    {"Ro", "QLineEdit", "panelLeft", {18, 606, 190, 24}, "1000"},
    {"Panel4", "QFrame", "clientArea", {231, 0, 403, 189}, nullptr},
    {"checkActualValue", "QCheckBox", "Panel4", {15, 18, 121, 17}, "Actual value"},
    {"Hvezdicka", "QLabel", "Panel4", {389, 17, 17, 16}, "*"},
    {"Aktualni", "QLabel", "Panel4", {0, 89, 403, 100}, ".........."},
    {"Panel1", "QFrame", "clientArea", {232, 191, 200, 223}, nullptr},
    {"Panel2", "QFrame", "clientArea", {434, 191, 200, 223}, nullptr},
    {"Panel3", "QFrame", "clientArea", {232, 416, 200, 223}, nullptr},
    {"panelOutput4", "QFrame", "clientArea", {434, 416, 200, 223}, nullptr},
    {"captionOutput1", "QLabel", "Panel1", {8, 8, 158, 17}, "Output 1"},
    {"captionOutput3", "QLabel", "Panel3", {8, 8, 97, 17}, "Output 3"},
    {"captionOutput4", "QLabel", "panelOutput4", {8, 8, 158, 17}, "Output 4"},
    {"captionHigherValue2", "QGroupBox", "Panel2", {8, 40, 158, 44}, "Higher value"},
    {"V2_P2", "QLineEdit", "captionHigherValue2", {16, 16, 130, 21}, "0"},
    {"captionLowerValue2", "QGroupBox", "Panel2", {8, 96, 158, 44}, "Lower value"},
    {"V2_P1", "QLineEdit", "captionLowerValue2", {16, 16, 130, 21}, "0"},
    {"V4_P2", "QLineEdit", "captionHigherValue4", {16, 16, 130, 21}, "0"},
    {"V4_P1", "QLineEdit", "captionLowerValue4", {16, 16, 130, 21}, "0"},
    {"captionConfiguraton3", "QGroupBox", "Panel3", {8, 152, 158, 44}, "Configuration"},
    {"comboBoxConfiguration3", "QComboBox", "captionConfiguraton3", {16, 16, 130, 21}, nullptr},
    {"AHMLed1", "QProgressBar", "Panel1", {152, 10, 44, 24}, nullptr},
    {"AHMLed2", "QProgressBar", "Panel2", {152, 8, 44, 24}, nullptr},
    {"AHMLed3", "QProgressBar", "Panel3", {152, 8, 44, 26}, nullptr},
    {"AHMLed4", "QProgressBar", "panelOutput4", {152, 8, 44, 24}, nullptr},
};

class MainWindowLayout : public testsupport::WindowFixture {};

TEST_F(MainWindowLayout, EveryControlHasItsNameKindPlaceTextAndState) {
    for (const ControlRow& row : kControls) {
        SCOPED_TRACE(row.name);
        auto* widget = window().findChild<QWidget*>(QLatin1String(row.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_STREQ(widget->metaObject()->className(), row.className);
        ASSERT_NE(widget->parentWidget(), nullptr);
        EXPECT_EQ(widget->parentWidget()->objectName(), QLatin1String(row.parent));
        if (row.geometry.width() == 0) {
            EXPECT_EQ(widget->pos(), row.geometry.topLeft());
        } else {
            EXPECT_EQ(widget->geometry(), row.geometry);
        }
        if (row.text != nullptr) {
            EXPECT_EQ(TextOf(widget), QString::fromUtf8(row.text));
        }
        EXPECT_EQ(widget->isEnabled(), row.enabled);
    }
}

TEST_F(MainWindowLayout, DesignStateOfChoicesModeListsAndLamps) {
    EXPECT_TRUE(window().checkPressure->isChecked());
    EXPECT_FALSE(window().checkHeightLiquidColumn->isChecked());
    EXPECT_TRUE(window().radioButtonkPa->isChecked());
    EXPECT_TRUE(window().radioButtonMm->isChecked());
    EXPECT_FALSE(window().checkActualValue->isChecked());
    for (size_t i = 0; i < config::OutputCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(window().comboBoxConfiguration[i]->count(), 5);
        EXPECT_EQ(window().comboBoxConfiguration[i]->currentIndex(), -1);
        EXPECT_FALSE(window().comboBoxConfiguration[i]->isEditable());
        EXPECT_EQ(window().AHMLed[i]->minimum(), 0);
        EXPECT_EQ(window().AHMLed[i]->maximum(), 1);
        EXPECT_EQ(window().AHMLed[i]->value(), 0);
    }
    const QIcon icon = window().buttonZeroCorrection->icon();
    EXPECT_FALSE(icon.isNull());
    EXPECT_EQ(window().buttonZeroCorrection->iconSize(), QSize(24, 24));
    EXPECT_FALSE(window().windowIcon().isNull());
}

TEST_F(MainWindowLayout, ClientAreaIsFixedWithoutMaximizeAndStatusBarBelow) {
    EXPECT_EQ(window().centralWidget()->size(), QSize(637, 640));
    EXPECT_EQ(window().StatusBar1->height(), 19);
    EXPECT_TRUE(window().StatusText().isEmpty());  // the window texts empty it
    EXPECT_EQ(window().minimumSize(), window().maximumSize());
    EXPECT_FALSE(window().windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(window().windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
}

TEST_F(MainWindowLayout, MenuTimersAndFileDialogs) {
    struct MenuRow { QMenu* menu; const char* title; std::vector<std::pair<const char*, const char*>> items; };
    const MenuRow menus[] = {
        {window().menuApplication, "File",
         {{"menuReadConfigurationFromDisk", "Load configuration..."},
          {"menuWriteconfigurationToDisk", "Save configuration..."},
          {"menuReport", "Commissioning report..."},
          {"menuExit", "Exit"}}},
        {window().menuSettings, "Settings", {{"menuLanguageSelection", "Language selection..."}}},
        {window().menuView, "View", {{"menuTrend", "Trend..."}, {"menuHistory", "History..."}}},
        {window().menuHelp, "Help", {{"menuAbout", "About..."}}},
    };
    ASSERT_EQ(window().menuBar()->actions().size(), 4);
    for (size_t m = 0; m < std::size(menus); ++m) {
        EXPECT_EQ(window().menuBar()->actions()[qsizetype(m)]->menu(), menus[m].menu);
        EXPECT_EQ(menus[m].menu->title(), QLatin1String(menus[m].title));
        const auto actions = menus[m].menu->actions();
        ASSERT_EQ(actions.size(), qsizetype(menus[m].items.size()));
        for (size_t i = 0; i < menus[m].items.size(); ++i) {
            EXPECT_EQ(actions[qsizetype(i)]->objectName(), QLatin1String(menus[m].items[i].first));
            EXPECT_EQ(actions[qsizetype(i)]->text(), QLatin1String(menus[m].items[i].second));
        }
    }
    EXPECT_EQ(window().Timer1->interval(), 1000);
    EXPECT_EQ(window().Timer3->interval(), 1000);
    EXPECT_EQ(window().OpenDialog1.filter, QString::fromUtf8("Soubory konfigurace|*.cfg|Všechny soubory|*.*"));
    EXPECT_TRUE(window().OpenDialog1.mustExist);
    EXPECT_TRUE(window().SaveDialog1.confirmOverwrite);
    EXPECT_EQ(QtNameFilters(window().SaveDialog1.filter),
              QString::fromUtf8("Soubory konfigurace (*.cfg);;Všechny soubory (*.*)"));
}

TEST(MainWindowCreation, BothTimersRunFromCreation) {
    testsupport::IsolatedUser user;
    TMainF window(std::make_unique<testsupport::ScriptedDialogs>());
    EXPECT_TRUE(window.Timer1->isActive());
    EXPECT_TRUE(window.Timer3->isActive());
    EXPECT_EQ(MainF, &window);
}

}  // namespace
