#include "app/ReportDialog.h"

#include <QHBoxLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

#include "app/MainF.h"
#include "app/QtText.h"
#include "lang/Lang.h"
#include "lang/Texts.h"
#include "report/PdfReport.h"

namespace {
QString T(std::u16string_view english) { return Q(lang::Translate(english)); }
}  // namespace

TReportDialog::TReportDialog(TMainF& window, std::string html, uint16_t serial)
    : QDialog(&window), window_(window), html_(std::move(html)), serial_(serial) {
    setObjectName(QStringLiteral("reportDialog"));
    setWindowTitle(T(text::CommissioningReport) + QStringLiteral(" ") + QString::number(serial));
    resize(720, 820);
    preview = new QTextBrowser(this);
    preview->setObjectName(QStringLiteral("preview"));
    preview->setHtml(QString::fromStdString(html_));
    printButton = new QPushButton(Q(lang::TranslateWithEllipsis(text::PrintReport)), this);
    saveButton = new QPushButton(Q(lang::TranslateWithEllipsis(text::SaveAsPdf)), this);
    closeButton = new QPushButton(T(text::CloseWindow), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(printButton);
    buttons->addWidget(saveButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(preview, 1);
    layout->addLayout(buttons);
    connect(printButton, &QPushButton::clicked, this, [this] { Print(); });
    connect(saveButton, &QPushButton::clicked, this, [this] { Save(); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
}

std::string TReportDialog::SaveTo(const std::string& path) { return report::WritePdf(html_, path); }

void TReportDialog::Print() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    QTextDocument document;
    document.setHtml(QString::fromStdString(html_));
    document.print(&printer);
}

void TReportDialog::Save() {
    FileDialogSettings settings;
    settings.title = T(text::SaveAsPdf);
    settings.filter = T(text::PdfFiles) + QStringLiteral("|*.pdf|") + T(text::AllFiles) + QStringLiteral("|*.*");
    settings.defaultExtension = QStringLiteral("*.pdf");
    settings.confirmOverwrite = true;
    settings.folder = window_.SaveDialog1.folder;
    const std::optional<QString> path = window_.dialogs().AskSaveFile(this, settings);
    if (!path) return;
    if (const std::string error = SaveTo(path->toStdString()); !error.empty())
        window_.dialogs().ShowMessage(this, T(text::CannotWriteFile) + QStringLiteral(": ") + *path, T(text::Error),
                                      BoxButtons::Ok);
}
