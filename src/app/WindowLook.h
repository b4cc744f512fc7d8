// Fonts by pixel height, colours that stay readable on any desktop, and placement on the screen,
// as the program's windows are designed.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QWidget;

// A font of the family at a pixel height. The design faces are mapped to installed faces of
// matching metrics (UseDesignFaceStandIns), so that the designed captions fit their controls.
QFont PixelFont(const QString& family, int pixels, bool bold = false);
inline QFont SansSerifFont(int pixels, bool bold = false) { return PixelFont(QStringLiteral("MS Sans Serif"), pixels, bold); }

// Maps "MS Sans Serif" to Liberation Sans (Arial metrics, package fonts-liberation2) and
// "Verdana", which has no metric clone on Linux, to DejaVu Sans, the nearest in width and design.
// Safe to call more than once.
void UseDesignFaceStandIns();

// Gives the widget a fixed background and, with it, the designed black text, so that a dark
// desktop palette cannot put light text on it. Children inherit both; edit boxes, lists and
// buttons keep the desktop's own base and button colours with their text colours.
void PaintBackground(QWidget* widget, const QColor& background);

// The contrast ratio of two colours (1 to 21), by relative luminance as WCAG defines it.
double ContrastRatio(const QColor& a, const QColor& b);

// Moves the window to the centre of the primary screen.
void CentreOnScreen(QWidget* window);
