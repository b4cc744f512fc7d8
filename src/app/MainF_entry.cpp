// Checks run when the operator leaves a threshold box or the specific-gravity box.
#include <QLineEdit>
#include <QRadioButton>

#include "app/MainF.h"
#include "app/QtText.h"
#include "config/CheckedArithmetic.h"
#include "config/Units.h"
#include "files/ParseNumber.h"
#include "lang/Texts.h"

void TMainF::CmFilter11() {}
void TMainF::CmFilter12() {}
void TMainF::CmFilter21() {}
void TMainF::CmFilter22() {}
void TMainF::CmFilter31() {}
void TMainF::CmFilter32() {}
void TMainF::CmFilter41() {}
void TMainF::CmFilter42() {}

void TMainF::CmFilterR() {
    try {
        density = config::CheckedToFloat(files::ParseNumber(U16(Ro->text())));
        if (density > config::MaxSpecificGravity || density < config::MinSpecificGravity) {
            Ro->setFocus();
            Say(text::ValueOutOfRange, text::Error);
        }
        const config::LengthUnit* unit = radioButtonMm->isChecked()     ? &config::LengthUnits[0]
                                         : radioButtonM->isChecked()    ? &config::LengthUnits[1]
                                         : radioButtonInch->isChecked() ? &config::LengthUnits[2]
                                                                        : nullptr;
        if (unit != nullptr) lengthFactor = config::LengthFactor(unit->numerator, density);
        if (checkHeightLiquidColumn->isChecked()) {
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
        Ro->setFocus();
    }
}

void TMainF::CmKeyPress(char16_t Key) {
    if (Key == u'\r') CmFilterR();
}
