// The language chooser: the languages of the index in a list; "Ok" sets the chosen one.
#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

class TformChooseLanguage : public QDialog {
public:
    explicit TformChooseLanguage(QWidget* parent = nullptr);
    ~TformChooseLanguage() override;

    // Fills the list, selects the language in force and shows the dialog modally; the result
    // is 1 after "Ok", 2 after "Cancel", 0 when closed otherwise.
    int SelectLanguage();
    void buttonOkClick();

    QListWidget* listBoxLanguages = nullptr;
    QPushButton* buttonOk = nullptr;
    QPushButton* Button1 = nullptr;
};

// The one chooser, created hidden at start.
extern TformChooseLanguage* formChooseLanguage;
