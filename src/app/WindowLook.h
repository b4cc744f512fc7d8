// Fonts by pixel height and placement on the screen, as the program's windows are designed.
#pragma once

#include <QFont>
#include <QString>

class QWidget;

// A font of the family at a pixel height; where the family is missing, fontconfig substitutes
// a sans-serif face of the same height.
QFont PixelFont(const QString& family, int pixels, bool bold = false);
inline QFont SansSerifFont(int pixels, bool bold = false) { return PixelFont(QStringLiteral("MS Sans Serif"), pixels, bold); }

// Moves the window to the centre of the primary screen.
void CentreOnScreen(QWidget* window);
