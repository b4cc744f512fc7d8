#include "app/UserDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include "app/QtText.h"
#include "lang/Texts.h"

BoxAnswer QtUserDialogs::ShowMessage(QWidget* owner, const QString& text, const QString& caption,
                                     BoxButtons buttons) {
    const auto standard = buttons == BoxButtons::YesNo ? (QMessageBox::Yes | QMessageBox::No)
                                                       : QMessageBox::StandardButtons(QMessageBox::Ok);
    QMessageBox box(QMessageBox::NoIcon, caption, text, standard, owner);
    switch (box.exec()) {
        case QMessageBox::Ok: return BoxAnswer::Ok;
        case QMessageBox::Yes: return BoxAnswer::Yes;
        case QMessageBox::No: return BoxAnswer::No;
        default: return BoxAnswer::Closed;
    }
}

void QtUserDialogs::ShowErrorReport(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Critical, Q(text::ProgramTitle), text,
                    QMessageBox::Ok, owner);
    box.exec();
}

QString QtNameFilters(const QString& pipeSeparatedFilter) {
    const QStringList parts = pipeSeparatedFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(u';', u' ') + u')';
    return filters.join(QStringLiteral(";;"));
}

QString StartFolder(const FileDialogSettings& dialog) {
    if (!dialog.folder.isEmpty() && QDir(dialog.folder).exists()) return dialog.folder;
    return QDir::homePath();
}

namespace {

std::optional<QString> RunFileDialog(QWidget* owner, const FileDialogSettings& settings,
                                     QFileDialog::AcceptMode mode) {
    QFileDialog dialog(owner, settings.title, StartFolder(settings));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(settings.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilter(QtNameFilters(settings.filter));
    QString suffix = settings.defaultExtension;
    suffix.remove(u'*').remove(u'.');  // "*.cfg" -> "cfg"
    dialog.setDefaultSuffix(suffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !settings.confirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

}  // namespace

std::optional<QString> QtUserDialogs::AskOpenFile(QWidget* owner, const FileDialogSettings& dialog) {
    return RunFileDialog(owner, dialog, QFileDialog::AcceptOpen);
}

std::optional<QString> QtUserDialogs::AskSaveFile(QWidget* owner, const FileDialogSettings& dialog) {
    return RunFileDialog(owner, dialog, QFileDialog::AcceptSave);
}
