#include "app/TrendWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <limits>

#include "app/ErrorReport.h"
#include "app/MainF.h"
#include "app/QtText.h"
#include "app/TrendPlace.h"
#include "app/TrendPlot.h"
#include "app/TrendRecording.h"
#include "config/Units.h"
#include "device/Fix64usb.h"
#include "files/ParseNumber.h"
#include "files/Settings.h"
#include "lang/Lang.h"
#include "lang/Texts.h"
#include "platform/AtomicFile.h"
#include "polling/Link.h"

namespace {

QString T(std::u16string_view english) { return Q(lang::Translate(english)); }
QString Ellipsis(std::u16string_view english) { return Q(lang::TranslateWithEllipsis(english)); }
QString Colon(std::u16string_view english) { return Q(lang::TranslateWithColon(english)); }
std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

template <typename Control, typename... Args>
Control* Make(const char* name, Args&&... args) {
    auto* control = new Control(std::forward<Args>(args)...);
    control->setObjectName(QLatin1String(name));
    return control;
}

constexpr int64_t EmptySpanMs = 60'000;
constexpr int ResumeIntervalMs = 3000;
constexpr int64_t LeastViewMs = 10'000;
constexpr int64_t MostViewMs = 366LL * 86'400'000;

}  // namespace

TTrendWindow::TTrendWindow(TMainF& main) : QWidget(&main, Qt::Window), main_(main) {
    setObjectName(QStringLiteral("TrendWindow"));
    setAttribute(Qt::WA_QuitOnClose, false);  // closing the main window ends the program

    spanChooser = Make<QComboBox>("spanChooser");
    outputChooser = Make<QComboBox>("outputChooser");
    buttonPause = Make<QPushButton>("buttonPause");
    buttonPause->setCheckable(true);
    buttonSaveCsv = Make<QPushButton>("buttonSaveCsv");
    buttonRecord = Make<QPushButton>("buttonRecord");
    checkResume = Make<QCheckBox>("checkResume");
    checkResume->setChecked(files::LoadTrendResume());
    buttonLive = Make<QPushButton>("buttonLive");
    captionAxis = Make<QLabel>("captionAxis");
    axisChooser = Make<QComboBox>("axisChooser");
    for (int i = 0; i < 3; ++i) axisChooser->addItem(QString());
    axisChooser->setCurrentIndex(static_cast<int>(polling::AxisMode::FitDataAndThresholds));
    axisLow = Make<QLineEdit>("axisLow");
    axisHigh = Make<QLineEdit>("axisHigh");
    for (QLineEdit* limit : {axisLow, axisHigh}) {
        limit->setMaximumWidth(90);
        limit->setVisible(false);
    }
    captionSpan = Make<QLabel>("captionSpan");
    captionOutput = Make<QLabel>("captionOutput");
    statistics = Make<QLabel>("statistics");
    statistics->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    statistics->setFixedWidth(200);  // changing numbers must not resize the chart
    statistics->setTextInteractionFlags(Qt::TextSelectableByMouse);
    recordingState = Make<TElidedLabel>("recordingState");
    notice = Make<QLabel>("notice");
    notice->setWordWrap(true);
    plot = Make<TTrendPlot>("plot");
    resumeTimer = new QTimer(this);
    resumeTimer->setObjectName(QStringLiteral("resumeTimer"));
    resumeTimer->setInterval(ResumeIntervalMs);

    auto* controls = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(captionSpan), static_cast<QWidget*>(spanChooser),
                       static_cast<QWidget*>(captionOutput), static_cast<QWidget*>(outputChooser),
                       static_cast<QWidget*>(buttonPause), static_cast<QWidget*>(buttonLive)})
        controls->addWidget(w);
    controls->addStretch(1);
    controls->addWidget(buttonSaveCsv);
    controls->addWidget(buttonRecord);
    auto* middle = new QHBoxLayout;
    middle->addWidget(plot, 1);
    middle->addWidget(statistics);
    auto* more = new QHBoxLayout;
    more->addWidget(checkResume);
    more->addStretch(1);
    for (QWidget* w : {static_cast<QWidget*>(captionAxis), static_cast<QWidget*>(axisChooser),
                       static_cast<QWidget*>(axisLow), static_cast<QWidget*>(axisHigh)})
        more->addWidget(w);
    auto* column = new QVBoxLayout(this);
    column->addLayout(controls);
    column->addLayout(more);
    column->addWidget(notice);
    column->addLayout(middle, 1);
    column->addWidget(recordingState);

    for (int i = 0; i < 5; ++i) spanChooser->addItem(QString());
    spanChooser->setCurrentIndex(1);  // 10 min
    for (size_t i = 0; i < config::OutputCount; ++i) outputChooser->addItem(QString());
    outputChooser->setCurrentIndex(0);
    recording_ = std::make_unique<TTrendRecording>(main_, this, recordingState, buttonRecord);

    auto guarded = [this](void (TTrendWindow::*handler)()) {
        return [this, handler] { Guarded([this, handler] { (this->*handler)(); }); };
    };
    connect(spanChooser, &QComboBox::currentIndexChanged, this, [this] {
        Guarded([this] {
            view_.reset();  // the span chosen replaces a zoom
            Refresh();
        });
    });
    connect(buttonLive, &QPushButton::clicked, this, guarded(&TTrendWindow::LiveClick));
    connect(axisChooser, &QComboBox::currentIndexChanged, this, guarded(&TTrendWindow::AxisChanged));
    connect(axisLow, &QLineEdit::editingFinished, this, guarded(&TTrendWindow::Refresh));
    connect(axisHigh, &QLineEdit::editingFinished, this, guarded(&TTrendWindow::Refresh));
    plot->zoomed = [this](double factor, int64_t around) { Guarded([=, this] { Zoom(factor, around); }); };
    plot->panned = [this](int64_t by) { Guarded([=, this] { Pan(by); }); };
    connect(outputChooser, &QComboBox::currentIndexChanged, this, guarded(&TTrendWindow::Refresh));
    connect(buttonPause, &QPushButton::toggled, this,
            [this](bool paused) { Guarded([this, paused] { PauseToggled(paused); }); });
    connect(checkResume, &QCheckBox::toggled, this, [this](bool on) { Guarded([this, on] { ResumeToggled(on); }); });
    connect(buttonSaveCsv, &QPushButton::clicked, this, guarded(&TTrendWindow::SaveCsvClick));
    connect(buttonRecord, &QPushButton::clicked, this, guarded(&TTrendWindow::RecordClick));
    connect(main_.checkActualValue, &QCheckBox::toggled, this, guarded(&TTrendWindow::Refresh));
    connect(resumeTimer, &QTimer::timeout, this, guarded(&TTrendWindow::TryResume));

    Place();
    ApplyTexts();
}

TTrendWindow::~TTrendWindow() {
    // Only the window's own state here: the main window is being destroyed around it.
    if (isVisible()) SavePlace();
}

void TTrendWindow::ApplyTexts() {
    setWindowTitle(T(text::Trend));
    captionSpan->setText(Colon(text::Span).trimmed());
    captionOutput->setText(Colon(text::Output).trimmed());
    const QString spans[] = {QStringLiteral("1 min"), QStringLiteral("10 min"), QStringLiteral("1 h"),
                             QStringLiteral("24 h"), T(text::SpanAll)};
    for (int i = 0; i < 5; ++i) spanChooser->setItemText(i, spans[i]);
    for (int i = 0; i < static_cast<int>(config::OutputCount); ++i)
        outputChooser->setItemText(i, T(text::Output) + u' ' + QString::number(i + 1));
    buttonPause->setText(T(text::Pause));
    buttonLive->setText(T(text::Live));
    captionAxis->setText(Colon(text::ValueAxis).trimmed());
    axisChooser->setItemText(0, T(text::AxisFitData));
    axisChooser->setItemText(1, T(text::AxisFitThresholds));
    axisChooser->setItemText(2, T(text::AxisFixed));
    buttonSaveCsv->setText(Ellipsis(text::SaveCsv));
    checkResume->setText(T(text::ResumeByItself));
    // In the order of polling::TrendEventKind.
    plot->SetTexts(T(text::NoData),
                   {T(text::LinkLost), T(text::LinkRegained), T(text::PollingStopped), T(text::ConfigurationWritten),
                    T(text::ZeroCorrection), T(text::DisplayUnitChanged)},
                   {T(text::ActualValue), T(text::LowerValue), T(text::HigherValue)});
    recording_->ShowState();
    Refresh();
}

files::DisplayScale TTrendWindow::Scale() const {
    return {main_.displayFactor, main_.displayDecimals, main_.displayUnit};
}

int TTrendWindow::ChartColumns() const { return plot->Columns(); }

bool TTrendWindow::recording() const { return recording_->recording(); }

int64_t TTrendWindow::Now() const { return QDateTime::currentMSecsSinceEpoch(); }

void TTrendWindow::Refresh() {
    refreshPending_ = false;
    recording_->ShowState();
    ShowNotice();

    const polling::TrendHistory& history = main_.trendHistory;
    const polling::TrendSpan span = polling::TrendSpans[std::max(spanChooser->currentIndex(), 0)];
    polling::SpanRange range = ShownRange();
    if (history.empty()) {
        range.endMs = Now();
        range.startMs = range.endMs - (span == polling::TrendSpan::All ? EmptySpanMs : polling::SpanMs(span));
    }
    if (range.endMs <= range.startMs) range.startMs = range.endMs - 1000;

    const files::DisplayScale scale = Scale();
    const size_t output = static_cast<size_t>(std::max(outputChooser->currentIndex(), 0));
    TrendPlotInput input;
    input.history = &history;
    input.range = range;
    input.factor = scale.factor;
    input.decimals = scale.decimals;
    input.unit = Q(scale.unit);
    input.output = output;
    input.lower = main_.outputLower[output] * scale.factor;
    input.higher = main_.outputHigher[output] * scale.factor;
    // To just past the right edge: a change noted with the newest sample shows at the edge.
    input.thresholds = history.thresholds.Segments(output, range.startMs, std::max(range.endMs, range.startMs) + 1);
    input.axis = static_cast<polling::AxisMode>(std::clamp(axisChooser->currentIndex(), 0, 2));
    input.fixedLow = files::ParseNumber(U16(axisLow->text()));
    input.fixedHigh = files::ParseNumber(U16(axisHigh->text()));
    plot->SetData(input);

    const TTrendPlot::Model& m = plot->model();
    const polling::ChartColumn& last = m.lastColumn;
    const double columnMs = static_cast<double>(m.endMs - m.startMs) / static_cast<double>(std::max(plot->Columns(), 1));
    drawn_ = Drawn{range.endMs, columnMs, last.data.min, last.data.max, ((last.lamps >> output) & 1u) != 0, output};
    if (last.data.count == 0) drawn_->lastMin = drawn_->lastMax = std::numeric_limits<float>::quiet_NaN();
    ShowStatistics(range);
}

void TTrendWindow::ShowNotice() {
    const polling::TrendHistory& history = main_.trendHistory;
    QString text;
    if (history.linkLost()) {
        const int64_t since = history.empty() ? history.LatestMs() : history.Newest().timeMs;
        text = T(text::NoReplySince) + u' ' + QString::fromStdString(polling::LocalClockTime(since));
    } else if (!main_.checkActualValue->isChecked()) {
        text = history.empty() ? T(text::TickActualValue) : T(text::PollStopped);
    }
    notice->setText(text);
    notice->setVisible(!text.isEmpty());
}

polling::SpanRange TTrendWindow::ShownRange() const {
    if (view_) {
        polling::SpanRange range = *view_;
        range.first = main_.trendHistory.FirstAtOrAfter(range.startMs);
        range.last = main_.trendHistory.FirstAtOrAfter(range.endMs + 1);
        return range;
    }
    const polling::TrendSpan span = polling::TrendSpans[std::max(spanChooser->currentIndex(), 0)];
    // Live, the right edge is the newest sample or mark, so that a lost link shows at the edge.
    const int64_t edge = frozenEdgeMs_ ? *frozenEdgeMs_ : main_.trendHistory.LatestMs();
    return polling::RangeOfSpan(main_.trendHistory, span, &edge);
}

void TTrendWindow::ShowStatistics(const polling::SpanRange& range) {
    statisticsPending_ = false;
    const files::DisplayScale scale = Scale();
    const double factor = scale.factor;
    const polling::SpanStatistics stats = polling::Statistics(main_.trendHistory, range.first, range.last);
    auto shownValue = [&](double pa) {
        return stats.count == 0 ? QStringLiteral("-")
                                : Q(config::FormatNumber(pa * factor, scale.decimals)) + u' ' + Q(scale.unit);
    };
    statistics->setText(Colon(text::Minimum) + shownValue(stats.min) + u'\n' + Colon(text::Maximum) +
                        shownValue(stats.max) + u'\n' + Colon(text::Mean) + shownValue(stats.mean) + u'\n' +
                        Colon(text::Samples) + QString::number(stats.count));
}

bool TTrendWindow::ChangesTheChart(const polling::TrendSample& newest) const {
    if (!drawn_ || drawn_->output != static_cast<size_t>(std::max(outputChooser->currentIndex(), 0))) return true;
    if (newest.resumed || static_cast<double>(newest.timeMs - drawn_->endMs) >= drawn_->columnMs) return true;
    // A NaN bound (an empty column) or a NaN reading compares false: redrawn.
    const bool inside = newest.valuePa >= drawn_->lastMin && newest.valuePa <= drawn_->lastMax;
    return !inside || newest.Lit(drawn_->output) != drawn_->lastLit;
}

void TTrendWindow::SampleAdded() {
    recording_->SampleAdded(main_.trendHistory.Newest(), Scale());
    if (resumeTimer->isActive()) resumeTimer->stop();
    if (!isVisible() || frozenEdgeMs_ || view_) return;
    if (notice->isVisible()) ShowNotice();
    // A long span moves by a pixel column only every few minutes: between those redraws only
    // the numbers change.
    if (ChangesTheChart(main_.trendHistory.Newest())) Soon(refreshPending_, &TTrendWindow::Refresh);
    else if (!refreshPending_) Soon(statisticsPending_, &TTrendWindow::ShowShownStatistics);
}

void TTrendWindow::PollStopped() {
    if (main_.trendHistory.linkLost() && checkResume->isChecked()) resumeTimer->start();
    if (isVisible()) Soon(refreshPending_, &TTrendWindow::Refresh);
}

void TTrendWindow::ResumeToggled(bool on) {
    files::SaveTrendResume(on);
    if (on && main_.trendHistory.linkLost() && !main_.checkActualValue->isChecked()) resumeTimer->start();
    if (!on) resumeTimer->stop();
}

void TTrendWindow::TryResume() {
    if (!checkResume->isChecked() || main_.checkActualValue->isChecked() || !main_.trendHistory.linkLost()) {
        resumeTimer->stop();
        return;
    }
    // Never between the exchanges of a request or a poll.
    if (!main_.deviceLink || main_.requestPending || main_.pollBusy) return;
    bool answered = false;
    try {
        answered = polling::Connect(*main_.deviceLink, 0).answered;
    } catch (...) {
        answered = false;  // the library is missing: tried again later
    }
    if (!answered) return;
    resumeTimer->stop();
    main_.checkActualValue->setChecked(true);  // as the operator's tick: re-opens the pipes, the poll goes on
}

void TTrendWindow::DisplayChanged() {
    if (isVisible()) Refresh();
}

void TTrendWindow::ShowView(int64_t startMs, int64_t endMs) {
    polling::SpanRange view;
    view.startMs = startMs;
    view.endMs = endMs;
    view_ = view;
    // The live edge pauses: the view stays where the operator put it, and a span chosen next
    // counts back from its right edge.
    frozenEdgeMs_ = endMs;
    const QSignalBlocker quiet(buttonPause);
    buttonPause->setChecked(true);
    Refresh();
}

void TTrendWindow::Zoom(double factor, int64_t aroundMs) {
    const polling::SpanRange shown = ShownRange();
    const double span = static_cast<double>(shown.endMs - shown.startMs);
    const double scaled = std::clamp(span * factor, static_cast<double>(LeastViewMs), static_cast<double>(MostViewMs));
    const double f = scaled / std::max(span, 1.0);
    const auto start = aroundMs - static_cast<int64_t>(std::llround(static_cast<double>(aroundMs - shown.startMs) * f));
    ShowView(start, start + static_cast<int64_t>(std::llround(scaled)));
}

void TTrendWindow::Pan(int64_t byMs) {
    const polling::SpanRange shown = ShownRange();
    ShowView(shown.startMs + byMs, shown.endMs + byMs);
}

void TTrendWindow::LiveClick() {
    view_.reset();
    if (buttonPause->isChecked()) buttonPause->setChecked(false);  // refreshes
    else Refresh();
}

void TTrendWindow::AxisChanged() {
    const bool fixed = axisChooser->currentIndex() == static_cast<int>(polling::AxisMode::Fixed);
    axisLow->setVisible(fixed);
    axisHigh->setVisible(fixed);
    if (fixed && axisLow->text().isEmpty() && axisHigh->text().isEmpty()) {
        // Start from what is shown, in the display unit.
        const files::DisplayScale scale = Scale();
        axisLow->setText(Q(config::FormatNumber(plot->model().bottom, scale.decimals)));
        axisHigh->setText(Q(config::FormatNumber(plot->model().top, scale.decimals)));
    }
    Refresh();
}

void TTrendWindow::PauseToggled(bool paused) {
    view_.reset();
    frozenEdgeMs_.reset();
    if (paused && !main_.trendHistory.empty()) frozenEdgeMs_ = main_.trendHistory.LatestMs();
    if (paused && !frozenEdgeMs_) frozenEdgeMs_ = Now();
    Refresh();
}

void TTrendWindow::SaveCsvClick() {
    QString& folder = csvFolder_;
    const std::optional<QString> path = main_.dialogs().AskSaveFile(this, TrendCsvDialog(text::SaveCsv, true, folder));
    if (!path) return;
    folder = QFileInfo(*path).absolutePath();
    const polling::SpanRange range = ShownRange();
    if (!platform::WriteFileAtomically(LocalPath(*path), files::TrendCsv(main_.trendHistory, range.first, range.last,
                                                                         Scale())))
        main_.dialogs().ShowMessage(this, T(text::CannotWriteFile) + u'\n' + *path, T(text::Error), BoxButtons::Ok);
}

void TTrendWindow::RecordClick() { recording_->Click(csvFolder_); }

void TTrendWindow::Place() {
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) screens.append(screen->availableGeometry());
    if (const auto place = files::LoadTrendWindowPlace())
        setGeometry(BringOntoScreens(QRect(place->left, place->top, place->width, place->height), screens));
    else setGeometry(BringOntoScreens(BesideWindow(main_.frameGeometry(), QSize(900, 480), screens), screens));
}

void TTrendWindow::SavePlace() const {
    const QRect place = geometry();
    files::SaveTrendWindowPlace({place.x(), place.y(), place.width(), place.height()});
}

void TTrendWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    SavePlace();
}

void TTrendWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isVisible()) Soon(refreshPending_, &TTrendWindow::Refresh);  // the number of pixel columns changed
}

void TTrendWindow::Soon(bool& pending, void (TTrendWindow::*work)()) {
    if (pending) return;
    pending = true;
    // A posted call costs the poll far less than starting a timer; done or cancelled work
    // (the flag cleared meanwhile) is not run again.
    QMetaObject::invokeMethod(
        this,
        [this, &pending, work] {
            if (!pending) return;
            Guarded([this, work] { (this->*work)(); });
        },
        Qt::QueuedConnection);
}

void TTrendWindow::Guarded(const std::function<void()>& work) { RunReportingErrors(main_.dialogs(), this, work); }
