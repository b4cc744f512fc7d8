// Which handler each control, menu item and timer of the main window runs.
#include "app/MainF.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "app/ErrorReport.h"
#include "app/EventHooks.h"

void TMainF::Guarded(const std::function<void()>& work) { RunReportingErrors(*dialogs_, this, work); }

std::function<void()> TMainF::Handler(void (TMainF::*handler)()) {
    return [this, handler] { Guarded([this, handler] { (this->*handler)(); }); };
}

void TMainF::BindEvents() {
    connect(buttonDeviceInfo, &QPushButton::clicked, this, Handler(&TMainF::CmDeviceInfo));
    connect(buttonreadConfiguration, &QPushButton::clicked, this, Handler(&TMainF::CmVycist));
    connect(buttonWriteConfiguration, &QPushButton::clicked, this, Handler(&TMainF::CmKonfigurace));
    connect(buttonZeroCorrection, &QPushButton::clicked, this, Handler(&TMainF::CmKorekce));
    connect(checkPressure, &QRadioButton::clicked, this, Handler(&TMainF::checkPressureClick));
    connect(checkHeightLiquidColumn, &QRadioButton::clicked, this, Handler(&TMainF::checkHeightLiquidColumnClick));

    const std::pair<QRadioButton*, void (TMainF::*)()> units[] = {
        {radioButtonPa, &TMainF::CmPa},   {radioButtonkPa, &TMainF::CmkPa}, {radioButtonMPa, &TMainF::CmMPa},
        {radioButtonMbar, &TMainF::Cmmbar}, {radioButtonBar, &TMainF::Cmbar}, {radioButtonPsi, &TMainF::Cmpsi},
        {radioButtonM, &TMainF::Cmm},     {radioButtonInch, &TMainF::CmInch}, {radioButtonMm, &TMainF::Cmmm},
    };
    for (const auto& [button, handler] : units) {
        connect(button, &QRadioButton::clicked, this, Handler(handler));
        OnDoubleClick(button, Handler(handler));
    }

    // Any change of the box, also one made by the poll, re-opens the pipes.
    connect(checkActualValue, &QCheckBox::toggled, this, Handler(&TMainF::checkActualValueClick));

    void (TMainF::*const higherExits[])() = {&TMainF::CmFilter11, &TMainF::CmFilter21, &TMainF::CmFilter31,
                                             &TMainF::CmFilter41};
    void (TMainF::*const lowerExits[])() = {&TMainF::CmFilter12, &TMainF::CmFilter22, &TMainF::CmFilter32,
                                            &TMainF::CmFilter42};
    // A check that puts the focus back must not set off the check of the box it came from.
    auto exitCheck = [this](void (TMainF::*handler)()) {
        return [this, run = Handler(handler)] {
            if (focusReturns_ == 0) run();
        };
    };
    for (size_t i = 0; i < config::OutputCount; ++i) {
        OnFocusExit(higherBox[i], exitCheck(higherExits[i]));
        OnFocusExit(lowerBox[i], exitCheck(lowerExits[i]));
    }
    OnFocusExit(Ro, exitCheck(&TMainF::CmFilterR));
    OnKeyPress(Ro, [this](char16_t key) { Guarded([this, key] { CmKeyPress(key); }); });

    connect(menuReadConfigurationFromDisk, &QAction::triggered, this, Handler(&TMainF::CmLoad));
    connect(menuWriteconfigurationToDisk, &QAction::triggered, this, Handler(&TMainF::CmSave));
    connect(menuExit, &QAction::triggered, this, Handler(&TMainF::CmExit));
    connect(menuLanguageSelection, &QAction::triggered, this, Handler(&TMainF::menuLanguageSelectionClick));
    connect(menuAbout, &QAction::triggered, this, Handler(&TMainF::menuAboutClick));
    connect(menuTrend, &QAction::triggered, this, Handler(&TMainF::menuTrendClick));

    connect(Timer1, &QTimer::timeout, this, Handler(&TMainF::Timer1Timer));
    connect(Timer3, &QTimer::timeout, this, Handler(&TMainF::CCmPoStartu));
}
