// Creation, the one-shot start-up step, closing and the About box.
#include "app/MainF.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/Oprog.h"
#include "app/QtLanguage.h"
#include "app/WindowLook.h"
#include "device/Fix64usb.h"
#include "files/Settings.h"
#include "lang/Lang.h"
#include "platform/InstanceLock.h"

TMainF* MainF = nullptr;

namespace {

// The name other copies of the program look for.
constexpr const char* InstanceGuardName = "KD4412.0";

// Shows the busy cursor for its lifetime, also when the work inside raises.
class BusyCursor {
public:
    explicit BusyCursor(QWidget* widget) : widget_(widget) { widget_->setCursor(Qt::BusyCursor); }
    ~BusyCursor() { widget_->unsetCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    QWidget* widget_;
};

}  // namespace

TMainF::TMainF(std::unique_ptr<UserDialogs> dialogs, QWidget* parent)
    : QMainWindow(parent),
      dialogs_(dialogs ? std::move(dialogs) : std::make_unique<QtUserDialogs>()),
      qtLanguage_(std::make_unique<QtLanguage>()) {
    MainF = this;
    BuildLayout();
    BindEvents();
    CmCreate();
    Timer1->start();
    Timer3->start();
}

TMainF::~TMainF() {
    if (MainF == this) MainF = nullptr;
}

void TMainF::CmCreate() {
    instanceGuard_ = std::make_unique<platform::InstanceLock>(InstanceGuardName);
    if (instanceGuard_->outcome() == platform::InstanceLock::Outcome::HeldElsewhere) {
        // Another copy runs: end at once and silently, before any window is shown.
        std::fflush(nullptr);
        std::_Exit(0);
    }
    LoadSettings();
    SetUpHistory();
    lang::LoadLanguageList();
    ApplyWindowTexts();
    InitWorkingState();
}

void TMainF::InitWorkingState() {
    InitWorkingStateFields(*this, Ro->text().toStdU16String());
    EnablePressureUnits(true);
    EnableLengthUnits(false);
}

void TMainF::CCmPoStartu() {
    Timer3->stop();
    displayUnit = u"kPa";
    pressureUnit = u"kPa";
    lengthUnit = u"mm";
    BusyCursor busy(this);
    if (ConnectDevice()) {
        startupRead = true;
        CmVycist();
        startupRead = false;
    } else {
        buttonWriteConfiguration->setEnabled(false);
    }
}

void TMainF::CmExit() { close(); }

void TMainF::closeEvent(QCloseEvent* event) {
    Guarded([this] { cmClose(); });
    event->accept();
}

void TMainF::cmClose() {
    SaveSettings();  // the transmitter is left as it is
}

void TMainF::LoadSettings() {
    const files::UserSettings settings = files::LoadUserSettings();
    lang::Language = settings.language;
    isPressure = settings.isPressure;
    unitOfLength = settings.unitOfLength;
    unitOfPressure = settings.unitOfPressure;
}

void TMainF::SaveSettings() { files::SaveUserSettings({lang::Language, isPressure, unitOfLength, unitOfPressure}); }

void TMainF::menuAboutClick() {
    if (OProgramu != nullptr) OProgramu->exec();
}

void TMainF::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (centred_) return;
    centred_ = true;
    CentreOnScreen(this);
}
