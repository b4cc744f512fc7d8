// Checks run when the operator leaves a threshold box or the specific-gravity box. They warn
// but never refuse: after a warning the focus goes back into the box and the value is taken.
#include <QLineEdit>
#include <QRadioButton>

#include "app/MainF.h"
#include "app/QtText.h"
#include "config/CheckedArithmetic.h"
#include "config/Units.h"
#include "files/ParseNumber.h"
#include "lang/Texts.h"

namespace {
// A threshold may exceed the highest one by 1 %.
constexpr double ThresholdTolerance = 1.01;
}  // namespace

void TMainF::ReturnFocusTo(QWidget* box) {
    ++focusReturns_;
    box->setFocus();
    --focusReturns_;
}

void TMainF::CheckThreshold(size_t output, bool higher) {
    QLineEdit* box = higher ? higherBox[output] : lowerBox[output];
    // Output 1 takes the focus back after its range message, the others before it.
    const bool focusBeforeMessage = output != 0;
    try {
        const double typed = files::ParseNumber(U16(box->text()));
        const double pascals = config::CheckedDivide(typed, displayFactor);
        if (pascals > thresholdMax * ThresholdTolerance || pascals < thresholdMin) {
            if (focusBeforeMessage) ReturnFocusTo(box);
            Say(text::ValueOutOfRange, text::Error);
            if (!focusBeforeMessage) ReturnFocusTo(box);
        }
        const double h = files::ParseNumber(U16(higherBox[output]->text()));
        const double l = files::ParseNumber(U16(lowerBox[output]->text()));
        if (h < l) {
            Say(higher ? text::ValueLessThanLower : text::ValueGreaterThanHigher, text::Error);
            ReturnFocusTo(box);
        }
        (higher ? outputHigher : outputLower)[output] = config::CheckedToFloat(pascals);
    } catch (...) {
        Say(text::NotValidRealNumber, text::Error);
        ReturnFocusTo(box);
    }
}

void TMainF::CmFilter11() { CheckThreshold(0, true); }
void TMainF::CmFilter12() { CheckThreshold(0, false); }
void TMainF::CmFilter21() { CheckThreshold(1, true); }
void TMainF::CmFilter22() { CheckThreshold(1, false); }
void TMainF::CmFilter31() { CheckThreshold(2, true); }
void TMainF::CmFilter32() { CheckThreshold(2, false); }
void TMainF::CmFilter41() { CheckThreshold(3, true); }
void TMainF::CmFilter42() { CheckThreshold(3, false); }

void TMainF::CmFilterR() {
    try {
        density = config::CheckedToFloat(files::ParseNumber(U16(Ro->text())));
        if (density > config::MaxSpecificGravity || density < config::MinSpecificGravity) {
            ReturnFocusTo(Ro);
            Say(text::ValueOutOfRange, text::Error);
        }
        const config::LengthUnit* unit = radioButtonMm->isChecked()     ? &config::LengthUnits[0]
                                         : radioButtonM->isChecked()    ? &config::LengthUnits[1]
                                         : radioButtonInch->isChecked() ? &config::LengthUnits[2]
                                                                        : nullptr;
        if (unit != nullptr) lengthFactor = config::LengthFactor(unit->numerator, density);
        if (checkHeightLiquidColumn->isChecked()) {
            // The thresholds stay in Pa, so the heights they stand for stay as shown.
            const double ratio = config::CheckedDivide(density, previousDensity);
            for (size_t i = 0; i < config::OutputCount; ++i) {
                outputLower[i] = config::CheckedToFloat(ratio * outputLower[i]);
                outputHigher[i] = config::CheckedToFloat(ratio * outputHigher[i]);
            }
            displayFactor = lengthFactor;
        }
        previousDensity = density;
    } catch (...) {
        Say(text::InvalidRealNumber, text::Error);
        ReturnFocusTo(Ro);
    }
}

void TMainF::CmKeyPress(char16_t Key) {
    if (Key == u'\r') CmFilterR();
}
