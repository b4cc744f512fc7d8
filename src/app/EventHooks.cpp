#include "app/EventHooks.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QObject>
#include <QRadioButton>
#include <QValidator>
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

// Accepts every text after dropping its control characters; QLineEdit takes the cleaned text
// for typed, pasted and programmatically set input alike.
class SingleLineValidator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override {
        const QString cleaned = WithoutControlCharacters(input);
        if (cleaned.size() != input.size()) {
            position = static_cast<int>(WithoutControlCharacters(input.left(position)).size());
            input = cleaned;
        }
        return Acceptable;
    }
};

bool InSameGroup(const QWidget* a, const QWidget* b) {
    const auto* radioA = qobject_cast<const QRadioButton*>(a);
    const auto* radioB = qobject_cast<const QRadioButton*>(b);
    return radioA != nullptr && radioB != nullptr && radioA->autoExclusive() && radioB->autoExclusive() &&
           radioA->parentWidget() == radioB->parentWidget();
}

// The checked button of the radio group that widget belongs to, or widget itself.
QWidget* CheckedOfGroup(QWidget* widget) {
    auto* radio = qobject_cast<QRadioButton*>(widget);
    if (radio == nullptr || radio->isChecked() || !radio->autoExclusive()) return widget;
    for (QRadioButton* sibling : radio->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
        if (sibling->isChecked() && sibling->autoExclusive() && sibling->isEnabled()) return sibling;
    return widget;
}

bool TakesTabFocus(const QWidget* w, const QWidget* window) {
    return w->window() == window && w->isEnabled() && w->isVisibleTo(window) && w->focusProxy() == nullptr &&
           (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
}

// Tab into a radio group lands on its checked button; Tab out of it goes past the whole group.
class RadioGroupFocus final : public QObject {
public:
    explicit RadioGroupFocus(QRadioButton* radio) : QObject(radio), radio_(radio) { radio->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::FocusIn) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            QWidget* checked = CheckedOfGroup(radio_);
            if (checked != radio_ && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason))
                checked->setFocus(reason);
            return false;
        }
        if (event->type() != QEvent::KeyPress) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0) return false;
        const bool forward = key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
        if (!forward && key->key() != Qt::Key_Backtab && key->key() != Qt::Key_Tab) return false;
        const QWidget* window = radio_->window();
        for (QWidget* w = forward ? radio_->nextInFocusChain() : radio_->previousInFocusChain(); w != radio_;
             w = forward ? w->nextInFocusChain() : w->previousInFocusChain()) {
            if (!TakesTabFocus(w, window) || InSameGroup(w, radio_)) continue;
            CheckedOfGroup(w)->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
        return false;
    }

private:
    QRadioButton* radio_;
};

bool IsControl(QChar c) {
    const QChar::Category category = c.category();
    return category == QChar::Other_Control || category == QChar::Separator_Line ||
           category == QChar::Separator_Paragraph;
}

}  // namespace

QString WithoutControlCharacters(const QString& text) {
    QString cleaned;
    cleaned.reserve(text.size());
    for (QChar c : text)
        if (!IsControl(c)) cleaned.append(c);
    return cleaned;
}

void KeepSingleLine(QLineEdit* box) { box->setValidator(new SingleLineValidator(box)); }

void EnterRadioGroupsAtChecked(QWidget* root) {
    for (QRadioButton* radio : root->findChildren<QRadioButton*>()) new RadioGroupFocus(radio);
}

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
