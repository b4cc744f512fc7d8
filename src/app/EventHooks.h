// Widget events that Qt offers as virtual functions rather than signals, delivered to plain
// callbacks: leaving an edit box, a double click, a typed character.
#pragma once

#include <functional>

class QWidget;

// work runs when keyboard focus moves from widget to another control of the same window
// (Tab, mouse, a programmatic move); not when the window merely loses activation to a
// message box or a menu.
void OnFocusExit(QWidget* widget, std::function<void()> work);
void OnDoubleClick(QWidget* widget, std::function<void()> work);
// work receives the typed character (Enter as 13); the key still reaches the widget.
void OnKeyPress(QWidget* widget, std::function<void(char16_t)> work);
