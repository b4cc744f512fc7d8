// The About box: program title and version.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class TOProgramu : public QDialog {
public:
    explicit TOProgramu(QWidget* parent = nullptr);
    ~TOProgramu() override;

    void cmCreate();
    // Title bar, program title and version line, in the language in force.
    void ApplyAboutTexts();

    QLabel* caption1 = nullptr;
    QLabel* version = nullptr;
    QPushButton* BitBtn1 = nullptr;
};

// The one About box, created hidden at start.
extern TOProgramu* OProgramu;
