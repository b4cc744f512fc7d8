// Widget events that Qt offers as virtual functions rather than signals, delivered to plain
// callbacks: leaving an edit box, a double click, a typed character.
#pragma once

#include <functional>

class QLineEdit;
class QString;
class QWidget;

// work runs when keyboard focus moves from widget to another control of the same window
// (Tab, mouse, a programmatic move); not when the window merely loses activation to a
// message box or a menu.
void OnFocusExit(QWidget* widget, std::function<void()> work);
void OnDoubleClick(QWidget* widget, std::function<void()> work);
// work receives the typed character (Enter as 13); the key still reaches the widget.
void OnKeyPress(QWidget* widget, std::function<void(char16_t)> work);

// The text without line breaks and other control characters, as a one-line box must hold it.
QString WithoutControlCharacters(const QString& text);
// The box keeps one line of text: whatever is pasted or set, its control characters are dropped
// ("50\n" from a spreadsheet cell becomes "50").
void KeepSingleLine(QLineEdit* box);
// Tab and Shift+Tab enter a group of auto-exclusive radio buttons under root at its checked
// button, as desktops do, rather than at the first button of the group.
void EnterRadioGroupsAtChecked(QWidget* root);
