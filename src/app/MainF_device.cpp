// The device requests, the connection step and the live-value poll.
#include "app/MainF.h"

bool TMainF::ConnectDevice() { return false; }

void TMainF::CmDeviceInfo() {}
void TMainF::CmVycist() {}
void TMainF::CmKonfigurace() {}
void TMainF::CmKorekce() {}
void TMainF::checkActualValueClick() {}
void TMainF::Timer1Timer() {}
