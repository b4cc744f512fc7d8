#include "report/PdfReport.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

namespace report {

std::string WritePdf(const std::string& html, const std::string& path) {
    const QString file = QString::fromStdString(path);
    {
        QFile probe(file);  // QPdfWriter reports no failure of its own
        if (!probe.open(QIODevice::WriteOnly)) return "cannot write " + path + ": " + probe.errorString().toStdString();
    }
    QPdfWriter writer(file);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(18, 15, 18, 15),
                                     QPageLayout::Millimeter));
    writer.setResolution(300);
    writer.setTitle(QStringLiteral("Commissioning report"));
    writer.setCreator(QStringLiteral("KD4410 User Software"));
    QTextDocument document;
    document.setHtml(QString::fromStdString(html));
    document.print(&writer);
    return {};
}

}  // namespace report
