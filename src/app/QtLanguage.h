// Qt's own texts (the buttons of message boxes, the labels and buttons of file dialogs) in the
// language the operator chose, from Qt's translations installed on the system.
#pragma once

#include <QString>
#include <memory>
#include <string_view>

class QTranslator;

// Qt's locale name for a short code of the language index ("CZ" -> "cs", "DE" -> "de"); empty
// for English ("UK", "EN") and for any code the table does not know, which keep Qt's English.
QString QtLocaleOfShort(std::u16string_view shortCode);

// Holds the one translator installed in the application; removes it when destroyed.
class QtLanguage {
public:
    QtLanguage();
    ~QtLanguage();
    QtLanguage(const QtLanguage&) = delete;
    QtLanguage& operator=(const QtLanguage&) = delete;

    // Qt's texts follow the language with this short code from now on.
    void Follow(std::u16string_view shortCode);
    // The locale whose translations are in force; empty for English.
    const QString& Locale() const { return locale_; }

private:
    std::unique_ptr<QTranslator> translator_;
    QString locale_;
    bool installed_ = false;
};
