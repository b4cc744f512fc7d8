// The History window (View > History...): the records of the local history, filtered by serial
// number and date, the selected one's configuration as found and as left side by side with the
// changed fields marked, and its tag and note editable. Not modal.
#pragma once

#include <QWidget>
#include <vector>

#include "history/Record.h"

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class TWindowHistory;

class THistoryWindow : public QWidget {
public:
    explicit THistoryWindow(TWindowHistory& history, QWidget* parent = nullptr);

    // The texts in the language in force.
    void ApplyTexts();
    // Reads the records again with the filter as set.
    void Refresh();

    QLabel* captionSerial = nullptr;
    QLineEdit* serialFilter = nullptr;
    QCheckBox* sinceEnabled = nullptr;
    QDateEdit* sinceDate = nullptr;
    QPushButton* refreshButton = nullptr;
    QTableWidget* records = nullptr;
    QTableWidget* details = nullptr;
    QLabel* captionTag = nullptr;
    QLineEdit* tagBox = nullptr;
    QLabel* captionNote = nullptr;
    QLineEdit* noteBox = nullptr;
    QPushButton* saveButton = nullptr;
    QLabel* problemLabel = nullptr;

private:
    void ShowSelected();
    void SaveTagAndNote();

    TWindowHistory& history_;
    std::vector<history::Record> shown_;
};
