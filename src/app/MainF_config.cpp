// Reading and writing the configuration, and the zero correction.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "app/MainF.h"
#include "app/QtText.h"
#include "config/ByteCodec.h"
#include "config/CheckedArithmetic.h"
#include "config/OutputMode.h"
#include "config/Units.h"
#include "device/Fix64usb.h"
#include "lang/Lang.h"
#include "lang/Texts.h"
#include "platform/Sleep.h"

namespace {

constexpr uint32_t ZeroStepWaitMs = 500;

QString Shown(double deviceValue, float factor, int32_t decimals) {
    return Q(config::FormatNumber(deviceValue * factor, decimals));
}

}  // namespace

void TMainF::CmVycist() {
    if (!MarkRequest(config::prReadConfiguration)) return;
    try {
        device::TFix64& link = ReopenLink();
        link.Command2();
        link.ReadEeprom(config::eeNominalRange, &eepromImage[config::eeNominalRange], config::eeRangeAndGravityLength);
        link.ReadEeprom(config::eeOutputs, &eepromImage[config::eeOutputs], config::eeOutputsLength);

        const uint8_t* gravity = &eepromImage[config::eeSpecificGravity];
        density = config::IsErasedSpecificGravity(gravity) ? 0 : config::LoadFloatLE(gravity);
        // Written so that a NaN, which no comparison holds for, counts as out of range too.
        if (!(density >= config::MinSpecificGravity && density <= config::MaxSpecificGravity)) {
            Say(text::SpecificGravityOutOfRange, text::Message);
            density = config::DefaultSpecificGravity;
        }
        previousDensity = density;
        Ro->setText(Q(config::FormatNumber(static_cast<double>(density) + 0.001, 0)));
        CmFilterR();

        nominalRange = config::LoadFloatLE(&eepromImage[config::eeNominalRange]);
        Rozsah->setText(Shown(nominalRange, displayFactor, displayDecimals) + u' ' + Q(displayUnit));
        thresholdMin = static_cast<float>(-0.1 * nominalRange);
        thresholdMax = nominalRange;

        for (size_t i = 0; i < config::OutputCount; ++i) {
            const uint32_t record = config::OutputRecordAddress(i);
            uint8_t bytes[4];
            link.ReadEeprom(record + config::OutputRecordLowerOffset, bytes, 4);
            outputLower[i] = config::LoadFloatLE(bytes);
            lowerBox[i]->setText(Shown(outputLower[i], displayFactor, displayDecimals));
            link.ReadEeprom(record + config::OutputRecordHigherOffset, bytes, 4);
            outputHigher[i] = config::LoadFloatLE(bytes);
            higherBox[i]->setText(Shown(outputHigher[i], displayFactor, displayDecimals));
            uint8_t mode = 0;
            link.ReadEeprom(record + config::OutputRecordModeOffset, &mode, 1);
            comboBoxConfiguration[i]->setCurrentIndex(mode < config::OutputModeCount ? mode : -1);
        }
        link.Command1();
        buttonWriteConfiguration->setEnabled(true);
    } catch (...) {
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
    for (size_t i = 0; i < config::OutputCount; ++i) {
        if (outputLower[i] > outputHigher[i]) {
            Say(text::ErrorInValuesOfPressure, text::Error);
            return;
        }
    }
    if (!MarkRequest(config::prWriteConfiguration)) return;
    try {
        device::TFix64& link = ReopenLink();
        link.Command2();
        uint8_t gravity[4];
        config::StoreFloatLE(gravity, config::CheckedToFloat(SpecificGravityText()));
        link.WriteEeprom(config::eeSpecificGravity, gravity, 4);
        for (size_t i = 0; i < config::OutputCount; ++i) {
            // The index -1 of an empty mode list becomes 255 in its low byte.
            const auto mode = static_cast<uint8_t>(comboBoxConfiguration[i]->currentIndex() & 0xFF);
            config::StoreOutputRecord(&eepromImage[config::OutputRecordAddress(i)],
                                      {outputLower[i], outputHigher[i], mode});
        }
        link.WriteEeprom(config::eeOutputs, &eepromImage[config::eeOutputs], config::eeOutputsLength);
        link.Command1();
    } catch (...) {
        requestPending = false;
        Say(text::ErrorWritingConfiguration, text::Error);
        return;
    }
    requestPending = false;
    Say(text::ConfigurationSuccessfullyWritten, text::Message);
}

void TMainF::CmKorekce() {
    if (!MarkRequest(config::prZeroCorrection)) return;
    try {
        Say(text::SetZeroPressure, text::Message);
        device::TFix64& link = ReopenLink();
        link.Command2();
        uint8_t bytes[4];
        link.ReadEeprom(config::eeZeroOffset, bytes, 4);
        float offset = config::LoadFloatLE(bytes);
        link.ReadValue(4, bytes);
        const float r1 = config::LoadFloatLE(bytes);
        link.Transact(device::CmdZeroStep, 0, 0, 0);
        platform::Sleep(ZeroStepWaitMs);
        link.ReadValue(4, bytes);
        const float r2 = config::LoadFloatLE(bytes);

        const float error = config::CheckedToFloat((static_cast<double>(r1) + r2) / 2 * displayFactor);
        const std::u16string question = lang::TranslateWithColon(text::ZeroErrorIs) +
                                        config::FormatNumber(error, displayDecimals) + u" " + displayUnit + u"\r" +
                                        lang::Translate(text::FixThisError);
        if (SayMade(question, text::Message, BoxButtons::YesNo) == BoxAnswer::Yes) {
            offset = config::CheckedToFloat(static_cast<double>(offset) - (r1 < r2 ? r1 : r2));
            config::StoreFloatLE(bytes, offset);
            link.WriteEeprom(config::eeZeroOffset, bytes, 4);
            link.Command1();
            Say(text::CorrectionImplemented, text::Message);
            requestPending = false;
            return;
        }
        link.Command1();
    } catch (...) {
        Say(text::ErrorZeroCorrection, text::Error);
        requestPending = false;
        return;
    }
    requestPending = false;
}
