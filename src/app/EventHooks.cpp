#include "app/EventHooks.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QObject>
#include <QWidget>

namespace {

class EventHook final : public QObject {
public:
    using Filter = std::function<void(QEvent*)>;
    EventHook(QWidget* widget, Filter filter) : QObject(widget), filter_(std::move(filter)) {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        filter_(event);
        return false;  // never consumed: the widget handles the event as usual
    }

private:
    Filter filter_;
};

}  // namespace

void OnFocusExit(QWidget* widget, std::function<void()> work) {
    new EventHook(widget, [work = std::move(work)](QEvent* event) {
        if (event->type() != QEvent::FocusOut) return;
        switch (static_cast<QFocusEvent*>(event)->reason()) {
            case Qt::ActiveWindowFocusReason:
            case Qt::PopupFocusReason:
            case Qt::MenuBarFocusReason:
                return;
            default:
                work();
        }
    });
}

void OnDoubleClick(QWidget* widget, std::function<void()> work) {
    new EventHook(widget, [work = std::move(work)](QEvent* event) {
        if (event->type() == QEvent::MouseButtonDblClick) work();
    });
}

void OnKeyPress(QWidget* widget, std::function<void(char16_t)> work) {
    new EventHook(widget, [work = std::move(work)](QEvent* event) {
        if (event->type() != QEvent::KeyPress) return;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            work(u'\r');
        } else if (!key->text().isEmpty()) {
            work(key->text().front().unicode());
        }
    });
}
