// File > Commissioning report...: the report of the transmitter attached, from its latest
// records, as a preview, printed through Qt's print dialog or saved as a PDF.
#pragma once

#include <QDialog>
#include <string>

class QPushButton;
class QTextBrowser;
class TMainF;

class TReportDialog : public QDialog {
public:
    // html: the report made by history::ReportHtml.
    TReportDialog(TMainF& window, std::string html, uint16_t serial);

    QTextBrowser* preview = nullptr;
    QPushButton* printButton = nullptr;
    QPushButton* saveButton = nullptr;
    QPushButton* closeButton = nullptr;

    // Saves the PDF to path; "" or why not.
    std::string SaveTo(const std::string& path);

private:
    void Print();
    void Save();

    TMainF& window_;
    std::string html_;
    uint16_t serial_;
};
