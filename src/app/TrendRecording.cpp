#include "app/TrendRecording.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <chrono>

#include "app/ErrorReport.h"
#include "app/MainF.h"
#include "app/QtText.h"
#include "lang/Lang.h"
#include "lang/Texts.h"
#include "polling/TrendChart.h"

namespace {

QString T(std::u16string_view english) { return Q(lang::Translate(english)); }
QString Ellipsis(std::u16string_view english) { return Q(lang::TranslateWithEllipsis(english)); }
QString Colon(std::u16string_view english) { return Q(lang::TranslateWithColon(english)); }
std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t WallMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

FileDialogSettings TrendCsvDialog(std::u16string_view title, bool confirmOverwrite, const QString& folder) {
    FileDialogSettings dialog;
    dialog.folder = folder;
    dialog.title = T(title);
    dialog.filter = T(text::CsvFiles) + QStringLiteral("|*.csv|") + T(text::AllFiles) + QStringLiteral("|*");
    dialog.defaultExtension = QStringLiteral("*.csv");
    dialog.confirmOverwrite = confirmOverwrite;
    return dialog;
}

QSize TElidedLabel::minimumSizeHint() const { return QSize(0, QLabel::minimumSizeHint().height()); }
QSize TElidedLabel::sizeHint() const { return QSize(0, QLabel::sizeHint().height()); }

void TElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = contentsRect();
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(area, static_cast<int>(alignment()), fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width()));
}

TTrendRecording::TTrendRecording(TMainF& main, QWidget* window, QLabel* state, QPushButton* button)
    : QObject(window), clock(SteadyMs), main_(main), window_(window), state_(state), button_(button) {
    quietTimer_ = new QTimer(this);
    quietTimer_->setInterval(1000);
    connect(quietTimer_, &QTimer::timeout, this, [this] { RunReportingErrors(main_.dialogs(), window_, [this] { CheckQuiet(); }); });
}

// The indicator belongs to the main window's status bar, which deletes it.
TTrendRecording::~TTrendRecording() = default;

void TTrendRecording::Click(QString& csvFolder) {
    if (recorder_.recording()) {
        recorder_.Stop();
        ShowState();
        return;
    }
    // A recording appends to an existing file, so nothing is replaced.
    const std::optional<QString> path = main_.dialogs().AskSaveFile(window_, TrendCsvDialog(text::RecordToFile, false, csvFolder));
    if (!path) return;
    csvFolder = QFileInfo(*path).absolutePath();
    files::RecordStart start = recorder_.Start(LocalPath(*path));
    if (start == files::RecordStart::ForeignFile &&
        main_.dialogs().ShowMessage(window_, T(text::AppendToForeignFile) + u'\n' + *path, T(text::Message),
                                    BoxButtons::YesNo) == BoxAnswer::Yes)
        start = recorder_.Start(LocalPath(*path), true);
    if (start == files::RecordStart::Started) Started();
    else if (start != files::RecordStart::ForeignFile)
        main_.dialogs().ShowMessage(window_,
                                    (start == files::RecordStart::NotAFile ? T(text::NotARegularFile) : T(text::CannotWriteFile)) +
                                        u'\n' + *path,
                                    T(text::Error), BoxButtons::Ok);
    ShowState();
}

void TTrendRecording::Started() {
    lastSampleSteadyMs_ = clock();
    lastSampleMs_ = WallMs();
    quiet_ = false;
    quietTimer_->start();
    if (indicator_ == nullptr) {
        indicator_ = new QLabel(main_.StatusBar1);
        indicator_->setObjectName(QStringLiteral("recordingIndicator"));
        main_.StatusBar1->addPermanentWidget(indicator_);
    }
}

void TTrendRecording::SampleAdded(const polling::TrendSample& sample, const files::DisplayScale& scale) {
    if (!recorder_.recording()) return;
    if (!recorder_.Append(sample, scale)) {
        ShowState();
        // After the poll: a box now would hold the poll open in its nested event loop.
        QTimer::singleShot(0, this, [this] { RunReportingErrors(main_.dialogs(), window_, [this] { ReportStopped(); }); });
        return;
    }
    lastSampleSteadyMs_ = clock();
    lastSampleMs_ = sample.timeMs;
    if (quiet_) {
        quiet_ = false;
        ShowState();
    }
}

void TTrendRecording::CheckQuiet() {
    if (!recorder_.recording()) {
        quietTimer_->stop();
        return;
    }
    const bool quiet = clock() - lastSampleSteadyMs_ > polling::GapLimitMs;
    if (quiet == quiet_) return;
    quiet_ = quiet;
    ShowState();
}

void TTrendRecording::ShowState() {
    const bool on = recorder_.recording();
    if (!on) quietTimer_->stop();
    button_->setText(on ? T(text::StopRecording) : Ellipsis(text::RecordToFile));
    const QString path = QFile::decodeName(recorder_.path().c_str());
    QString state = on ? Colon(text::RecordingTo) + path : T(text::NotRecording);
    if (on && quiet_)
        state += QStringLiteral(" \u2014 ") + T(text::NoSamplesSince) + u' ' +
                 QString::fromStdString(polling::LocalClockTime(lastSampleMs_));
    state_->setText(state);
    state_->setToolTip(on ? path : QString());
    state_->update();
    if (indicator_ != nullptr) {
        indicator_->setVisible(on);
        indicator_->setText(QStringLiteral("\u25CF ") + T(text::Recording));
        indicator_->setToolTip(Colon(text::RecordingTo) + path);
    }
}

void TTrendRecording::ReportStopped() {
    main_.dialogs().ShowMessage(window_, T(text::RecordingStopped) + u'\n' + QFile::decodeName(recorder_.path().c_str()),
                                T(text::Error), BoxButtons::Ok);
}
