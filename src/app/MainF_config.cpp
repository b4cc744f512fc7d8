// Reading and writing the configuration, and the zero correction.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "app/MainF.h"
#include "app/QtText.h"
#include "app/WindowHistory.h"
#include "history/Steps.h"
#include "config/ByteCodec.h"
#include "config/CheckedArithmetic.h"
#include "config/OutputMode.h"
#include "config/Transfer.h"
#include "config/Units.h"
#include "config/ZeroCorrection.h"
#include "device/Fix64usb.h"
#include "lang/Lang.h"
#include "lang/Texts.h"

namespace {

QString Shown(double deviceValue, float factor, int32_t decimals) {
    return Q(config::FormatNumber(deviceValue * factor, decimals));
}

}  // namespace

// Takes each part of a read into the working state and the boxes as it arrives.
class TMainF::ReadIntoWindow final : public config::ReadObserver {
public:
    explicit ReadIntoWindow(TMainF& w) : w_(w) {}

    void BlocksRead(const config::EepromImage& image) override {
        w_.density = config::SpecificGravityOf(image);
        if (!config::IsValidSpecificGravity(w_.density)) {
            w_.Say(text::SpecificGravityOutOfRange, text::Message);
            w_.density = config::DefaultSpecificGravity;
        }
        w_.previousDensity = w_.density;
        w_.Ro->setText(Q(config::FormatNumber(static_cast<double>(w_.density) + 0.001, 0)));
        w_.CmFilterR();

        w_.nominalRange = config::LoadFloatLE(&image[config::eeNominalRange]);
        w_.Rozsah->setText(Shown(w_.nominalRange, w_.displayFactor, w_.displayDecimals) + u' ' + Q(w_.displayUnit));
        w_.thresholdMin = static_cast<float>(-0.1 * w_.nominalRange);
        w_.thresholdMax = w_.nominalRange;
    }
    void LowerRead(size_t i, float value) override {
        w_.outputLower[i] = value;
        w_.lowerBox[i]->setText(Shown(value, w_.displayFactor, w_.displayDecimals));
    }
    void HigherRead(size_t i, float value) override {
        w_.outputHigher[i] = value;
        w_.higherBox[i]->setText(Shown(value, w_.displayFactor, w_.displayDecimals));
    }
    void ModeRead(size_t i, uint8_t mode) override {
        w_.comboBoxConfiguration[i]->setCurrentIndex(mode < config::OutputModeCount ? mode : -1);
    }

private:
    TMainF& w_;
};

void TMainF::CmVycist() {
    if (!MarkRequest(config::prReadConfiguration)) return;
    config::ConfigurationCollector collected;  // for the history
    try {
        ReadIntoWindow window(*this);
        ReadIntoBoth into(window, collected);
        config::ReadConfiguration(Link(), 0, eepromImage, into);
        buttonWriteConfiguration->setEnabled(true);
        if (windowHistory != nullptr) windowHistory->ReadDone(collected.configuration);
    } catch (...) {
        if (windowHistory != nullptr) windowHistory->ReadFailed(collected);
        requestPending = false;
        if (!startupRead) Say(text::ErrorReadingConfiguration, text::Error);
        return;
    }
    requestPending = false;
    if (isPressure) checkPressureClick();
    else checkHeightLiquidColumnClick();
    if (!startupRead) Say(text::ConfigurationSuccessfullyRead, text::Message);
}

void TMainF::CmKonfigurace() {
    if (config::FirstInvertedOutput(outputLower, outputHigher)) {
        Say(text::ErrorInValuesOfPressure, text::Error);
        return;
    }
    if (!MarkRequest(config::prWriteConfiguration)) return;
    config::WriteStage stage = config::WriteStage::Opening;
    config::DeviceConfiguration written;  // for the history
    written.nominalRange = nominalRange;
    try {
        std::array<config::OutputRecord, config::OutputCount>& outputs = written.outputs;
        for (size_t i = 0; i < config::OutputCount; ++i) {
            // The index -1 of an empty mode list becomes 255 in its low byte.
            const auto mode = static_cast<uint8_t>(comboBoxConfiguration[i]->currentIndex() & 0xFF);
            outputs[i] = {outputLower[i], outputHigher[i], mode};
        }
        // The box's text is converted only after command 2, as part of the conversation.
        config::WriteConfiguration(
            Link(), 0, [this, &written] { return written.specificGravity = config::CheckedToFloat(SpecificGravityText()); },
            outputs, eepromImage, &stage);
        if (windowHistory != nullptr) windowHistory->WriteDone(written);
    } catch (...) {
        if (windowHistory != nullptr) windowHistory->WriteFailed(stage);
        requestPending = false;
        Say(text::ErrorWritingConfiguration, text::Error);
        return;
    }
    requestPending = false;
    AddTrendEvent(polling::TrendEventKind::ConfigurationWritten);
    Say(text::ConfigurationSuccessfullyWritten, text::Message);
}

void TMainF::CmKorekce() {
    if (!MarkRequest(config::prZeroCorrection)) return;
    const char* step = history::ZeroMeasurementStep;  // for the history
    std::optional<config::ZeroReadings> measured;
    try {
        Say(text::SetZeroPressure, text::Message);
        device::TFix64& link = Link();
        const config::ZeroReadings readings = config::MeasureZero(link, 0);
        measured = readings;
        const float error = config::ZeroError(readings, displayFactor);
        const std::u16string question = lang::TranslateWithColon(text::ZeroErrorIs) +
                                        config::FormatNumber(error, displayDecimals) + u" " + displayUnit + u"\r" +
                                        lang::Translate(text::FixThisError);
        if (SayMade(question, text::Message, BoxButtons::YesNo) == BoxAnswer::Yes) {
            step = history::ZeroWriteStep;
            const float offset = config::ApplyZeroCorrection(link, readings);
            AddTrendEvent(polling::TrendEventKind::ZeroCorrection);
            if (windowHistory != nullptr) windowHistory->ZeroDone(readings, offset);
            Say(text::CorrectionImplemented, text::Message);
            requestPending = false;
            return;
        }
        step = history::ZeroClosingStep;
        config::DeclineZeroCorrection(link);
        if (windowHistory != nullptr) windowHistory->ZeroDone(readings, std::nullopt);
    } catch (...) {
        if (windowHistory != nullptr) windowHistory->ZeroFailed(step, measured);
        Say(text::ErrorZeroCorrection, text::Error);
        requestPending = false;
        return;
    }
    requestPending = false;
}
