// What keyboard and screen-reader users need beyond the design: shortcuts on the menu items,
// F10 for the menu, radio groups entered at their checked button, and a spoken name for every
// control. None of it changes a caption, a position or a flag of the window.
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QShortcut>

#include "app/EventHooks.h"
#include "app/MainF.h"
#include "app/QtText.h"
#include "lang/Lang.h"
#include "lang/Texts.h"

void TMainF::BuildKeyboardAccess() {
    menuReadConfigurationFromDisk->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    menuWriteconfigurationToDisk->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    menuExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    menuAbout->setShortcut(QKeySequence(Qt::Key_F1));
    auto* openMenu = new QShortcut(QKeySequence(Qt::Key_F10), this);
    openMenu->setObjectName(QStringLiteral("shortcutMenu"));
    connect(openMenu, &QShortcut::activated, this,
            [this] { menuBar()->setActiveAction(menuApplication->menuAction()); });
    EnterRadioGroupsAtChecked(centralWidget());
    // The edit boxes are named by the labels above them.
    captionNominalRange->setBuddy(Rozsah);
    captionSpecificGravity->setBuddy(Ro);
}

void TMainF::ApplyAccessibleNames() {
    for (size_t i = 0; i < config::OutputCount; ++i) {
        const auto number = static_cast<int32_t>(i + 1);
        higherBox[i]->setAccessibleName(Q(lang::TranslateFormat(text::OutputHigherValue, number)));
        lowerBox[i]->setAccessibleName(Q(lang::TranslateFormat(text::OutputLowerValue, number)));
        comboBoxConfiguration[i]->setAccessibleName(Q(lang::TranslateFormat(text::OutputConfiguration, number)));
        AHMLed[i]->setAccessibleName(captionOutput[i]->text());
    }
    Rozsah->setAccessibleName(captionNominalRange->text());
    Ro->setAccessibleName(captionSpecificGravity->text());
    // The live value keeps no name of its own: its text is what a screen reader reads out.
    Aktualni->setAccessibleDescription(checkActualValue->text());
}

void TMainF::ShowLiveValue(const QString& text) {
    if (text == Aktualni->text()) return;
    Aktualni->setText(text);
    QAccessibleValueChangeEvent change(Aktualni, text);
    QAccessible::updateAccessibility(&change);
}
