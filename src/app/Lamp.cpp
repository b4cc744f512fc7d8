#include "app/Lamp.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QProgressBar>

#include "app/QtText.h"
#include "lang/Lang.h"
#include "lang/Texts.h"

namespace {

class LampAccessible final : public QAccessibleWidget {
public:
    explicit LampAccessible(QProgressBar* lamp) : QAccessibleWidget(lamp, QAccessible::Indicator) {}
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value) return LampStateText(static_cast<const QProgressBar*>(widget()));
        return QAccessibleWidget::text(kind);
    }
};

}  // namespace

void SpeakAsLamp(QProgressBar* lamp) {
    // Qt's own interface for a progress bar reads the number; this one takes its place in
    // Qt's cache of interfaces, which deletes it with the lamp.
    if (QAccessibleInterface* standard = QAccessible::queryAccessibleInterface(lamp))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(standard));
    QAccessible::registerAccessibleInterface(new LampAccessible(lamp));
    QObject::connect(lamp, &QProgressBar::valueChanged, lamp, [lamp] {
        QAccessibleValueChangeEvent change(lamp, LampStateText(lamp));
        QAccessible::updateAccessibility(&change);
    });
}

QString LampStateText(const QProgressBar* lamp) {
    return Q(lang::Translate(lamp->value() > lamp->minimum() ? text::LampLit : text::LampDark));
}
