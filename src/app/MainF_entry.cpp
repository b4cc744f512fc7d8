// Checks run when the operator leaves a threshold box or the specific-gravity box.
#include "app/MainF.h"

void TMainF::CmFilter11() {}
void TMainF::CmFilter12() {}
void TMainF::CmFilter21() {}
void TMainF::CmFilter22() {}
void TMainF::CmFilter31() {}
void TMainF::CmFilter32() {}
void TMainF::CmFilter41() {}
void TMainF::CmFilter42() {}
void TMainF::CmFilterR() {}
void TMainF::CmKeyPress(char16_t) {}
