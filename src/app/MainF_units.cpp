// Measurement type and display units.
#include "app/MainF.h"

#include <QGroupBox>
#include <QRadioButton>

void TMainF::checkPressureClick() {}
void TMainF::checkHeightLiquidColumnClick() {}
void TMainF::CmPa() {}
void TMainF::CmkPa() {}
void TMainF::CmMPa() {}
void TMainF::Cmmbar() {}
void TMainF::Cmbar() {}
void TMainF::Cmpsi() {}
void TMainF::Cmmm() {}
void TMainF::Cmm() {}
void TMainF::CmInch() {}
void TMainF::RefreshDisplay() {}

void TMainF::EnablePressureUnits(bool enable) {
    for (QWidget* control : std::initializer_list<QWidget*>{captionPressureUnits, radioButtonPa, radioButtonkPa,
                                                            radioButtonMPa, radioButtonMbar, radioButtonBar,
                                                            radioButtonPsi})
        control->setEnabled(enable);
}

void TMainF::EnableLengthUnits(bool enable) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{captionLengthUnits, radioButtonM, radioButtonInch, radioButtonMm})
        control->setEnabled(enable);
}
