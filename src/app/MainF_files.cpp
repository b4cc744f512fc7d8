// Saving and loading configuration files.
#include "app/MainF.h"

void TMainF::CmSave() {}
void TMainF::CmLoad() {}
