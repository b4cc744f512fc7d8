// A main window whose boxes are answered at once, connected to the simulated transmitter of the
// build tree, with its timers stopped so that a benchmark drives the poll itself.
#pragma once

#include <QTimer>
#include <memory>

#include "SimulatorLibrary.h"
#include "app/MainF.h"
#include "device/Fix64usb.h"

class NoDialogs final : public UserDialogs {
public:
    BoxAnswer ShowMessage(QWidget*, const QString&, const QString&, BoxButtons) override { return BoxAnswer::Ok; }
    void ShowErrorReport(QWidget*, const QString&) override {}
    std::optional<QString> AskOpenFile(QWidget*, const FileDialogSettings&) override { return std::nullopt; }
    std::optional<QString> AskSaveFile(QWidget*, const FileDialogSettings&) override { return std::nullopt; }
};

// Made once per process: the instance guard allows no second window.
inline TMainF* NewSimulatorWindow() {
    auto* window = new TMainF(std::make_unique<NoDialogs>());
    window->Timer1->stop();
    window->Timer3->stop();
    window->createDeviceLink = [] { return std::make_unique<device::TFix64>(std::make_unique<SimulatorLibrary>()); };
    window->CCmPoStartu();
    return window;
}
