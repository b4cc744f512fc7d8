// Window texts in the chosen language and the language chooser.
#include "app/MainF.h"

void TMainF::ApplyWindowTexts() {}
void TMainF::menuLanguageSelectionClick() {}
