// Measurement type and display units.
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

#include "app/MainF.h"
#include "app/QtText.h"
#include "app/TrendWindow.h"
#include "config/Units.h"

namespace {

void SetEnabled(std::initializer_list<QWidget*> controls, bool enable) {
    for (QWidget* control : controls) control->setEnabled(enable);
}

}  // namespace

void TMainF::checkPressureClick() { ShowMeasurementType(true); }

void TMainF::checkHeightLiquidColumnClick() { ShowMeasurementType(false); }

void TMainF::ShowMeasurementType(bool pressure) {
    isPressure = pressure;
    // Exclusive buttons: unchecking the checked one alone is ignored, checking the other one is not.
    checkPressure->setChecked(pressure);
    checkHeightLiquidColumn->setChecked(!pressure);
    EnablePressureUnits(pressure);
    EnableLengthUnits(!pressure);
    // Each type keeps its own unit; the display takes a copy of the one shown.
    const std::u16string shownBefore = displayUnit;
    displayFactor = pressure ? pressureFactor : lengthFactor;
    displayDecimals = pressure ? pressureDecimals : lengthDecimals;
    displayUnit = pressure ? pressureUnit : lengthUnit;
    RefreshDisplay();
    if (displayUnit != shownBefore) AddTrendEvent(polling::TrendEventKind::DisplayChanged);
    if (trendWindow != nullptr) trendWindow->DisplayChanged();
}

void TMainF::SelectPressureUnit(int32_t index) {
    const config::PressureUnit& unit = config::PressureUnits[index];
    unitOfPressure = unit.index;
    pressureDecimals = unit.decimals;
    pressureFactor = unit.factor;
    pressureUnit = unit.text;
    checkPressureClick();
}

void TMainF::SelectLengthUnit(int32_t index) {
    const config::LengthUnit& unit = config::LengthUnits[index];
    unitOfLength = unit.index;
    lengthDecimals = unit.decimals;
    // A specific gravity that is no number, or 0, raises here and leaves the rest as it was.
    lengthFactor = config::LengthFactor(unit.numerator, SpecificGravityText());
    lengthUnit = unit.text;
    checkHeightLiquidColumnClick();
}

void TMainF::CmPa() { SelectPressureUnit(0); }
void TMainF::CmkPa() { SelectPressureUnit(1); }
void TMainF::CmMPa() { SelectPressureUnit(2); }
void TMainF::Cmmbar() { SelectPressureUnit(3); }
void TMainF::Cmbar() { SelectPressureUnit(4); }
void TMainF::Cmpsi() { SelectPressureUnit(5); }
void TMainF::Cmmm() { SelectLengthUnit(0); }
void TMainF::Cmm() { SelectLengthUnit(1); }
void TMainF::CmInch() { SelectLengthUnit(2); }

void TMainF::EnablePressureUnits(bool enable) {
    SetEnabled({captionPressureUnits, radioButtonPa, radioButtonkPa, radioButtonMPa, radioButtonMbar, radioButtonBar,
                radioButtonPsi},
               enable);
}

void TMainF::EnableLengthUnits(bool enable) {
    SetEnabled({captionLengthUnits, radioButtonM, radioButtonInch, radioButtonMm}, enable);
}

void TMainF::RefreshDisplay() {
    try {
        for (size_t i = 0; i < config::OutputCount; ++i) {
            lowerBox[i]->setText(Q(config::FormatNumber(static_cast<double>(outputLower[i]) * displayFactor, displayDecimals)));
            higherBox[i]->setText(Q(config::FormatNumber(static_cast<double>(outputHigher[i]) * displayFactor, displayDecimals)));
        }
        Rozsah->setText(Q(config::FormatNumber(static_cast<double>(nominalRange) * displayFactor, displayDecimals) + u" " +
                          displayUnit));
    } catch (...) {
        // A refresh that fails leaves the boxes not yet rewritten as they were, silently.
    }
}
