#include "app/WindowLook.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

QFont PixelFont(const QString& family, int pixels, bool bold) {
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void CentreOnScreen(QWidget* window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}
