// Where the trend window goes on the screens: a saved place that lies on no screen is brought
// onto the nearest one; the first place is beside the main window, not on it.
#pragma once

#include <QList>
#include <QRect>

// place moved (and shrunk if need be) onto the screen nearest to it, unless it shows on one.
QRect BringOntoScreens(const QRect& place, const QList<QRect>& screens);
// A window of size to the right of main, or to its left when there is no room on the right.
QRect BesideWindow(const QRect& main, const QSize& size, const QList<QRect>& screens);
