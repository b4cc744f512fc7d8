// The one place through which the program shows message boxes and file dialogs, so that tests
// can put a scripted answerer in its place. Showing a box runs a nested event loop: the
// window's timers keep ticking while it is open.
#pragma once

#include <QString>
#include <optional>

class QWidget;

enum class BoxButtons { Ok, YesNo };
enum class BoxAnswer { Ok, Yes, No, Closed };

// A file-open or file-save dialog as the window designs it. filter uses the
// "Description|pattern|Description|pattern" form.
struct FileDialogSettings {
    QString title;
    QString filter;
    QString defaultExtension;  // "*.cfg"
    bool mustExist = false;        // open: the chosen file must exist
    bool confirmOverwrite = false; // save: ask before replacing an existing file
    QString folder;  // where the dialog opens: the folder of the last file saved or loaded
};

// The folder a file dialog opens in: the remembered one while it exists, else the home folder,
// never the working folder of the process.
QString StartFolder(const FileDialogSettings& dialog);

class UserDialogs {
public:
    virtual ~UserDialogs() = default;

    // A modal message box without icon: OK, or Yes and No.
    virtual BoxAnswer ShowMessage(QWidget* owner, const QString& text, const QString& caption,
                                  BoxButtons buttons) = 0;
    // The report of an error that escaped an event handler.
    virtual void ShowErrorReport(QWidget* owner, const QString& text) = 0;
    // The chosen file's path, or nothing when the operator cancels.
    virtual std::optional<QString> AskOpenFile(QWidget* owner, const FileDialogSettings& dialog) = 0;
    virtual std::optional<QString> AskSaveFile(QWidget* owner, const FileDialogSettings& dialog) = 0;
};

// The production dialogs: QMessageBox and QFileDialog.
class QtUserDialogs final : public UserDialogs {
public:
    BoxAnswer ShowMessage(QWidget* owner, const QString& text, const QString& caption,
                          BoxButtons buttons) override;
    void ShowErrorReport(QWidget* owner, const QString& text) override;
    std::optional<QString> AskOpenFile(QWidget* owner, const FileDialogSettings& dialog) override;
    std::optional<QString> AskSaveFile(QWidget* owner, const FileDialogSettings& dialog) override;
};

// "A|*.x|B|*.*" as a Qt name filter list: "A (*.x);;B (*.*)".
QString QtNameFilters(const QString& pipeSeparatedFilter);
