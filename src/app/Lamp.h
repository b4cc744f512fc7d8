// An output's lamp, a progress bar of range 0..1, as a screen reader meets it: read by its
// accessible name ("Output 1") with the value "lit" or "dark", and announced when it changes.
#pragma once

#include <QString>

class QProgressBar;

// Gives the lamp its spoken value and announces its changes; call before its range and value
// are set.
void SpeakAsLamp(QProgressBar* lamp);
// "lit" or "dark" in the language in force.
QString LampStateText(const QProgressBar* lamp);
