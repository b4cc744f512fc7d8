// A stand-in for the window's message boxes and file dialogs: records every box and answers
// from a script. An answer may run code first, as a timer tick delivered while the box is open.
#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <vector>

#include "app/UserDialogs.h"

namespace testsupport {

struct RecordedBox {
    enum class Kind { Message, ErrorReport } kind = Kind::Message;
    QString text;
    QString caption;
    BoxButtons buttons = BoxButtons::Ok;
};

class ScriptedDialogs final : public UserDialogs {
public:
    using Answer = std::function<BoxAnswer(const RecordedBox&)>;

    // The boxes shown so far, oldest first.
    std::vector<RecordedBox> boxes;
    // Answers for the next boxes, in order; without one a box is answered OK (or No).
    std::deque<Answer> answers;
    // Paths for the next file dialogs; a null QString means the operator cancels.
    std::deque<QString> files;
    std::vector<FileDialogSettings> fileDialogs;

    void AnswerNext(BoxAnswer answer) {
        answers.push_back([answer](const RecordedBox&) { return answer; });
    }
    void AnswerNext(Answer answer) { answers.push_back(std::move(answer)); }

    BoxAnswer ShowMessage(QWidget*, const QString& text, const QString& caption, BoxButtons buttons) override {
        boxes.push_back({RecordedBox::Kind::Message, text, caption, buttons});
        return Next(boxes.back(), buttons == BoxButtons::YesNo ? BoxAnswer::No : BoxAnswer::Ok);
    }
    void ShowErrorReport(QWidget*, const QString& text) override {
        boxes.push_back({RecordedBox::Kind::ErrorReport, text, QString(), BoxButtons::Ok});
        Next(boxes.back(), BoxAnswer::Ok);
    }
    std::optional<QString> AskOpenFile(QWidget*, const FileDialogSettings& dialog) override { return NextFile(dialog); }
    std::optional<QString> AskSaveFile(QWidget*, const FileDialogSettings& dialog) override { return NextFile(dialog); }

private:
    BoxAnswer Next(const RecordedBox& box, BoxAnswer fallback) {
        if (answers.empty()) return fallback;
        Answer answer = std::move(answers.front());
        answers.pop_front();
        return answer(box);
    }
    std::optional<QString> NextFile(const FileDialogSettings& dialog) {
        fileDialogs.push_back(dialog);
        if (files.empty()) return std::nullopt;
        const QString file = files.front();
        files.pop_front();
        if (file.isNull()) return std::nullopt;
        return file;
    }
};

}  // namespace testsupport
