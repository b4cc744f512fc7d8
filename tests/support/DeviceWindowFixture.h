// A main window whose link reaches an in-process transmitter: the transmitter model answers
// through scripted entry points that record every frame, so tests read the conversation
// frame by frame and stage faults.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "FakeUsb.h"
#include "support/Exchanges.h"
#include "support/ModelAnswers.h"
#include "TransmitterModel.h"
#include "config/ByteCodec.h"
#include "config/EepromMap.h"
#include "support/WindowFixture.h"

namespace testsupport {

class DeviceWindowFixture : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        BindWindow();
        usb.responder = [this](const device::Frame& request) -> std::optional<device::Frame> {
            if (silentAfter && answered >= *silentAfter) return std::nullopt;
            auto reply = model.Respond(request);
            if (reply) ++answered;
            return reply;
        };
    }

    // Binds the window's link to the in-process device.
    void BindWindow() {
        window().createDeviceLink = [this] {
            auto source = std::make_unique<FakeUsbLibrary>();
            library = source.get();
            if (!libraryLoadable) source->loadable = false;
            return std::make_unique<device::TFix64>(std::move(source));
        };
    }

    // The start-up step as the one-shot timer runs it; the conversation so far is then forgotten.
    void StartUp() {
        window().CCmPoStartu();
        usb.writes.clear();
    }

    // The requests received so far, decoded, and forgotten.
    std::vector<Exchange> TakeExchanges() {
        std::vector<Exchange> out = Decode(usb.writes);
        usb.writes.clear();
        return out;
    }

    void Silence() { silentAfter = answered; }
    void SetEeprom(uint32_t address, std::initializer_list<uint8_t> bytes) {
        std::copy(bytes.begin(), bytes.end(), model.eeprom().begin() + address);
    }
    void SetEepromFloat(uint32_t address, float value) { config::StoreFloatLE(&model.eeprom()[address], value); }
    float EepromFloat(uint32_t address) { return config::LoadFloatLE(&model.eeprom()[address]); }

    // The live value the transmitter reports next, in Pa (replaces the model's signal).
    void ReportValues(std::vector<float> values) {
        liveValues = std::move(values);
        usb.responder = [this](const device::Frame& request) {
            return AnswerFromModel(model, request, silentAfter, answered, liveValues);
        };
    }

    std::vector<QString> BoxTexts() const {
        std::vector<QString> texts;
        for (const auto& box : const_cast<DeviceWindowFixture*>(this)->dialogs().boxes) texts.push_back(box.text);
        return texts;
    }

    FakeUsb usb;
    double clock = 0;
    sim::TransmitterModel model{std::string(), [this] { return clock; }};
    FakeUsbLibrary* library = nullptr;
    bool libraryLoadable = true;
    std::optional<size_t> silentAfter;
    size_t answered = 0;
    std::vector<float> liveValues;
};

// The same, connected by the start-up step in the pressure type, with its boxes forgotten.
class ConnectedWindowFixture : public DeviceWindowFixture {
protected:
    void SetUp() override {
        DeviceWindowFixture::SetUp();
        window().isPressure = true;
        StartUp();
        dialogs().boxes.clear();
    }
};

}  // namespace testsupport
