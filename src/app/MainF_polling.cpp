// The connection, the request scheme, the live-value poll and the device info.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QStatusBar>

#include "app/MainF.h"
#include "app/WindowHistory.h"
#include "app/QtText.h"
#include "config/Units.h"
#include "device/Fix64usb.h"
#include "lang/Lang.h"
#include "lang/Texts.h"
#include "platform/NumberText.h"
#include "platform/Sleep.h"
#include "polling/Link.h"
#include "polling/OutputEvaluation.h"

namespace {

constexpr uint32_t ConnectionMessageMs = 1000;

}  // namespace

BoxAnswer TMainF::Say(std::u16string_view text, std::u16string_view caption, BoxButtons buttons) {
    return SayMade(lang::TranslatePointer(text), caption, buttons);
}

BoxAnswer TMainF::SayMade(const std::u16string& text, std::u16string_view caption, BoxButtons buttons) {
    return dialogs_->ShowMessage(this, Q(text), Q(lang::TranslatePointer(caption)), buttons);
}

double TMainF::SpecificGravityText() const { return platform::TextToFloat(U16(Ro->text())); }

bool TMainF::MarkRequest(int32_t code) {
    requestPending = true;
    pendingRequest = code;
    return !pollBusy;
}

device::TFix64& TMainF::Link() {
    if (!deviceLink) throw device::DeviceError(device::ErrNoReply);
    return *deviceLink;
}

bool TMainF::ConnectDevice() {
    if (!deviceLink) deviceLink = createDeviceLink ? createDeviceLink() : std::make_unique<device::TFix64>();
    const polling::Connection connection = polling::Connect(*deviceLink, 0);  // a missing library raises
    SetStatusText(QString());
    if (connection.answered) return true;
    SetStatusText(Q(lang::Translate(connection.deviceCount != 0 ? text::DeviceDoesNotReply : text::DeviceNotConnected)));
    StatusBar1->repaint();  // the thread blocks next: show the text now
    platform::Sleep(ConnectionMessageMs);
    SetStatusText(QString());
    return false;
}

void TMainF::checkActualValueClick() {
    if (!checkActualValue->isChecked()) TrendPollStopped(polling::TrendEventKind::Stopped);
    if (!deviceLink) return;
    polling::ReopenLink(*deviceLink, 0);
}

bool TMainF::EvaluateOutput(float value, float lower, float higher, int32_t mode) {
    const std::optional<bool> lamp = polling::EvaluateLamp(value, lower, higher, mode);
    if (!lamp) return false;
    outputState = *lamp;
    return true;
}

void TMainF::Timer1Timer() {
    if (!deviceLink || requestPending || !checkActualValue->isChecked() || pollBusy) return;
    pollBusy = true;
    Hvezdicka->setText(QStringLiteral("*"));
    Hvezdicka->repaint();
    const polling::PollResult poll = polling::Poll(*deviceLink);
    if (poll.value) {
        const float value = *poll.value;
        ShowLiveValue(Q(config::FormatNumber(static_cast<double>(value) * displayFactor, displayDecimals) + u" " +
                        displayUnit));
        for (size_t i = 0; i < config::OutputCount; ++i)
            if (EvaluateOutput(value, outputLower[i], outputHigher[i], comboBoxConfiguration[i]->currentIndex()))
                AHMLed[i]->setValue(outputState ? 1 : 0);
        AddTrendSample(value);
    } else if (poll.linkLost) {
        TrendPollStopped(polling::TrendEventKind::LinkLost);  // before the untick, which would say "stopped"
        checkActualValue->setChecked(false);  // re-opens the pipes through its handler
        for (QProgressBar* lamp : AHMLed) lamp->setValue(0);
    }
    Hvezdicka->setText(QStringLiteral(" "));
    pollBusy = false;
    DispatchPendingRequest();
}

void TMainF::DispatchPendingRequest() {
    if (!requestPending) return;
    switch (pendingRequest) {
        case config::prZeroCorrection: CmKorekce(); break;
        case config::prReadConfiguration: CmVycist(); break;
        case config::prWriteConfiguration: CmKonfigurace(); break;
        case config::prDeviceInfo: CmDeviceInfo(); break;
        default: break;
    }
}

void TMainF::CmDeviceInfo() {
    if (!MarkRequest(config::prDeviceInfo)) return;
    uint16_t serial = 0;
    bool read = false;
    try {
        serial = polling::ReadSerialNumber(Link(), 0);
        if (windowHistory != nullptr) windowHistory->SerialKnown(serial);
        read = true;
    } catch (...) {
        Say(text::DeviceNotReply, text::Error);
    }
    if (read) SayMade(lang::TranslateFormat(text::SerialNumberIs, serial), text::DeviceInfo);
    requestPending = false;
}
