#include "app/TrendWindow.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QValueAxis>
#include <QVBoxLayout>
#include <chrono>
#include <cmath>
#include <limits>

#include "app/ErrorReport.h"
#include "app/MainF.h"
#include "app/QtText.h"
#include "config/Units.h"
#include "files/Settings.h"
#include "lang/Lang.h"
#include "lang/Texts.h"
#include "platform/AtomicFile.h"

namespace {

QString T(std::u16string_view english) { return Q(lang::Translate(english)); }
QString Ellipsis(std::u16string_view english) { return Q(lang::TranslateWithEllipsis(english)); }
QString Colon(std::u16string_view english) { return Q(lang::TranslateWithColon(english)); }
std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// A save dialog for CSV files; fields not set here keep their defaults.
FileDialogSettings CsvDialog(std::u16string_view title, bool confirmOverwrite, const QString& folder) {
    FileDialogSettings dialog;
    dialog.folder = folder;
    dialog.title = T(title);
    dialog.filter = T(text::CsvFiles) + QStringLiteral("|*.csv|") + T(text::AllFiles) + QStringLiteral("|*");
    dialog.defaultExtension = QStringLiteral("*.csv");
    dialog.confirmOverwrite = confirmOverwrite;
    return dialog;
}

template <typename Control, typename... Args>
Control* Make(const char* name, Args&&... args) {
    auto* control = new Control(std::forward<Args>(args)...);
    control->setObjectName(QLatin1String(name));
    return control;
}

// The chart draws at most one pair of points a pixel column; the bounds keep a tiny or a
// not-yet-laid-out chart usable and a huge one cheap.
constexpr int MinColumns = 50;
constexpr int MaxColumns = 4096;
constexpr int64_t EmptySpanMs = 60'000;

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
    captionSpan = Make<QLabel>("captionSpan");
    captionOutput = Make<QLabel>("captionOutput");
    statistics = Make<QLabel>("statistics");
    statistics->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    statistics->setFixedWidth(200);  // changing numbers must not resize the chart
    statistics->setTextInteractionFlags(Qt::TextSelectableByMouse);
    recordingState = Make<QLabel>("recordingState");
    notice = Make<QLabel>("notice");
    notice->setAlignment(Qt::AlignCenter);
    notice->setWordWrap(true);
    BuildChart();
    pages = Make<QStackedWidget>("pages");
    pages->addWidget(chartView);
    pages->addWidget(notice);

    auto* controls = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(captionSpan), static_cast<QWidget*>(spanChooser),
                       static_cast<QWidget*>(captionOutput), static_cast<QWidget*>(outputChooser),
                       static_cast<QWidget*>(buttonPause)})
        controls->addWidget(w);
    controls->addStretch(1);
    controls->addWidget(buttonSaveCsv);
    controls->addWidget(buttonRecord);
    auto* middle = new QHBoxLayout;
    middle->addWidget(pages, 1);
    middle->addWidget(statistics);
    auto* column = new QVBoxLayout(this);
    column->addLayout(controls);
    column->addLayout(middle, 1);
    column->addWidget(recordingState);

    for (int i = 0; i < 5; ++i) spanChooser->addItem(QString());
    spanChooser->setCurrentIndex(1);  // 10 min
    for (size_t i = 0; i < config::OutputCount; ++i) outputChooser->addItem(QString());
    outputChooser->setCurrentIndex(0);

    auto guarded = [this](void (TTrendWindow::*handler)()) {
        return [this, handler] { Guarded([this, handler] { (this->*handler)(); }); };
    };
    connect(spanChooser, &QComboBox::currentIndexChanged, this, guarded(&TTrendWindow::Refresh));
    connect(outputChooser, &QComboBox::currentIndexChanged, this, guarded(&TTrendWindow::Refresh));
    connect(buttonPause, &QPushButton::toggled, this,
            [this](bool paused) { Guarded([this, paused] { PauseToggled(paused); }); });
    connect(buttonSaveCsv, &QPushButton::clicked, this, guarded(&TTrendWindow::SaveCsvClick));
    connect(buttonRecord, &QPushButton::clicked, this, guarded(&TTrendWindow::RecordClick));
    connect(main_.checkActualValue, &QCheckBox::toggled, this, guarded(&TTrendWindow::Refresh));

    if (const auto place = files::LoadTrendWindowPlace()) setGeometry(place->left, place->top, place->width, place->height);
    else resize(900, 480);
    ApplyTexts();
}

TTrendWindow::~TTrendWindow() {
    // Only the window's own state here: the main window is being destroyed around it.
    if (isVisible()) SavePlace();
}

void TTrendWindow::BuildChart() {
    chart_ = new QChart;
    chart_->legend()->hide();
    chart_->setMargins(QMargins(4, 4, 4, 4));
    litUpper_ = new QLineSeries(chart_);
    litLower_ = new QLineSeries(chart_);
    litArea = new QAreaSeries(litUpper_, litLower_);
    litArea->setObjectName(QStringLiteral("litArea"));
    litArea->setColor(QColor(50, 205, 50, 70));
    litArea->setBorderColor(Qt::transparent);
    valueSeries = Make<QLineSeries>("valueSeries");
    valueSeries->setPen(QPen(QColor(20, 40, 120), 1.5));
    lowerLine = Make<QLineSeries>("lowerLine");
    lowerLine->setPen(QPen(QColor(0, 110, 220), 1.5, Qt::DashLine));
    higherLine = Make<QLineSeries>("higherLine");
    higherLine->setPen(QPen(QColor(210, 30, 30), 1.5, Qt::DashLine));
    timeAxis = Make<QDateTimeAxis>("timeAxis");
    valueAxis = Make<QValueAxis>("valueAxis");
    chart_->addAxis(timeAxis, Qt::AlignBottom);
    chart_->addAxis(valueAxis, Qt::AlignLeft);
    for (QAbstractSeries* series : {static_cast<QAbstractSeries*>(litArea), static_cast<QAbstractSeries*>(valueSeries),
                                    static_cast<QAbstractSeries*>(lowerLine), static_cast<QAbstractSeries*>(higherLine)}) {
        chart_->addSeries(series);
        series->attachAxis(timeAxis);
        series->attachAxis(valueAxis);
    }
    chartView = Make<QChartView>("chartView", chart_);
    chartView->setRenderHint(QPainter::Antialiasing, false);
    chartView->setMinimumSize(320, 200);
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
    buttonSaveCsv->setText(Ellipsis(text::SaveCsv));
    notice->setText(T(text::TickActualValue));
    timeAxis->setTitleText(T(text::Time));
    ShowRecordingState();
    Refresh();
}

files::DisplayScale TTrendWindow::Scale() const {
    return {main_.displayFactor, main_.displayDecimals, main_.displayUnit};
}

int TTrendWindow::ChartColumns() const {
    const int width = static_cast<int>(chart_->plotArea().width());
    return std::clamp(width > 0 ? width : chartView->width(), MinColumns, MaxColumns);
}

void TTrendWindow::Refresh() {
    refreshPending_ = false;
    ShowRecordingState();
    if (!main_.checkActualValue->isChecked()) {
        pages->setCurrentWidget(notice);
        return;
    }
    pages->setCurrentWidget(chartView);

    const polling::TrendHistory& history = main_.trendHistory;
    const polling::TrendSpan span = polling::TrendSpans[std::max(spanChooser->currentIndex(), 0)];
    polling::SpanRange range = ShownRange();
    if (history.empty()) {
        range.endMs = QDateTime::currentMSecsSinceEpoch();
        range.startMs = range.endMs - (span == polling::TrendSpan::All ? EmptySpanMs : polling::SpanMs(span));
    }
    if (range.endMs <= range.startMs) range.startMs = range.endMs - 1000;

    const files::DisplayScale scale = Scale();
    const double factor = scale.factor;
    const size_t columns = static_cast<size_t>(ChartColumns());
    const std::vector<polling::TrendColumn> reduced = polling::ReduceToColumns(history, range, columns);
    const double columnMs = static_cast<double>(range.endMs - range.startMs) / static_cast<double>(columns);
    const double start = static_cast<double>(range.startMs);

    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(2 * columns));
    const size_t output = static_cast<size_t>(std::max(outputChooser->currentIndex(), 0));
    const double lower = main_.outputLower[output] * factor;
    const double higher = main_.outputHigher[output] * factor;
    double low = std::min(lower, higher), high = std::max(lower, higher);
    for (size_t i = 0; i < columns; ++i) {
        const polling::TrendColumn& c = reduced[i];
        if (c.count == 0) continue;
        const double x = start + (static_cast<double>(i) + 0.5) * columnMs;
        const double least = c.min * factor, most = c.max * factor;
        points.append(QPointF(x, least));
        if (most != least) points.append(QPointF(x, most));
        low = std::min(low, least);
        high = std::max(high, most);
    }
    if (!std::isfinite(low) || !std::isfinite(high)) low = high = 0;
    double margin = (high - low) * 0.05;
    if (margin == 0) margin = std::max(std::abs(high) * 0.05, 1.0);
    const double bottom = low - margin, top = high + margin;
    valueSeries->replace(points);

    const double end = static_cast<double>(range.endMs);
    lowerLine->replace({QPointF(start, lower), QPointF(end, lower)});
    higherLine->replace({QPointF(start, higher), QPointF(end, higher)});

    // The lamp keeps its state from one sample to the next: a column without samples takes the
    // state of the last one before it.
    const uint8_t bit = static_cast<uint8_t>(1u << output);
    bool carried = range.first > 0 && range.first <= history.size() && (history[range.first - 1].lamps & bit);
    QList<QPointF> lit;
    double previous = std::numeric_limits<double>::quiet_NaN();
    for (size_t i = 0; i < columns; ++i) {
        const polling::TrendColumn& c = reduced[i];
        const bool on = c.samples > 0 ? (c.lampsAny & bit) != 0 : carried;
        if (c.samples > 0) carried = (c.lampsLast & bit) != 0;
        const double y = on ? top : bottom;
        if (y != previous) {
            const double left = start + static_cast<double>(i) * columnMs;
            if (i > 0) lit.append(QPointF(left, previous));
            lit.append(QPointF(left, y));
            previous = y;
        }
    }
    lit.append(QPointF(end, previous));
    litUpper_->replace(lit);
    litLower_->replace({QPointF(start, bottom), QPointF(end, bottom)});

    timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(range.startMs), QDateTime::fromMSecsSinceEpoch(range.endMs));
    const int64_t shown = range.endMs - range.startMs;
    timeAxis->setFormat(shown <= polling::SpanMs(polling::TrendSpan::Hour)  ? QStringLiteral("HH:mm:ss")
                        : shown <= polling::SpanMs(polling::TrendSpan::Day) ? QStringLiteral("HH:mm")
                                                                             : QStringLiteral("dd.MM. HH:mm"));
    valueAxis->setRange(bottom, top);
    valueAxis->setLabelFormat(QStringLiteral("%.%1f").arg(std::clamp(scale.decimals, 0, 4)));
    valueAxis->setTitleText(Q(scale.unit));

    const polling::TrendColumn& last = reduced.back();
    drawn_ = Drawn{range.endMs, columnMs, last.min, last.max, last.count > 0 && (last.lampsAny & bit) != 0, output};
    if (last.count == 0) drawn_->lastMin = drawn_->lastMax = std::numeric_limits<float>::quiet_NaN();
    ShowStatistics(range);
}

polling::SpanRange TTrendWindow::ShownRange() const {
    const polling::TrendSpan span = polling::TrendSpans[std::max(spanChooser->currentIndex(), 0)];
    return polling::RangeOfSpan(main_.trendHistory, span, frozenEdgeMs_ ? &*frozenEdgeMs_ : nullptr);
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
    if (static_cast<double>(newest.timeMs - drawn_->endMs) >= drawn_->columnMs) return true;
    // A NaN bound (an empty column) or a NaN reading compares false: redrawn.
    const bool inside = newest.valuePa >= drawn_->lastMin && newest.valuePa <= drawn_->lastMax;
    return !inside || newest.Lit(drawn_->output) != drawn_->lastLit;
}

void TTrendWindow::SampleAdded() {
    if (recorder_.recording() && !recorder_.Append(main_.trendHistory.Newest(), Scale())) {
        ShowRecordingState();
        // After the poll: a box now would hold the poll open in its nested event loop.
        QTimer::singleShot(0, this, [this] { Guarded([this] { ReportRecordingStopped(); }); });
    }
    if (!isVisible() || frozenEdgeMs_ || !main_.checkActualValue->isChecked()) return;
    // A long span moves by a pixel column only every few minutes: between those redraws only
    // the numbers change.
    if (ChangesTheChart(main_.trendHistory.Newest())) Soon(refreshPending_, &TTrendWindow::Refresh);
    else if (!refreshPending_) Soon(statisticsPending_, &TTrendWindow::ShowShownStatistics);
}

void TTrendWindow::DisplayChanged() {
    if (isVisible()) Refresh();
}

void TTrendWindow::PauseToggled(bool paused) {
    frozenEdgeMs_.reset();
    if (paused && !main_.trendHistory.empty()) frozenEdgeMs_ = main_.trendHistory.Newest().timeMs;
    if (paused && !frozenEdgeMs_) frozenEdgeMs_ = QDateTime::currentMSecsSinceEpoch();
    Refresh();
}

void TTrendWindow::SaveCsvClick() {
    const std::optional<QString> path = main_.dialogs().AskSaveFile(this, CsvDialog(text::SaveCsv, true, csvFolder_));
    if (!path) return;
    csvFolder_ = QFileInfo(*path).absolutePath();
    const polling::SpanRange range = ShownRange();
    if (!platform::WriteFileAtomically(LocalPath(*path), files::TrendCsv(main_.trendHistory, range.first, range.last,
                                                                         Scale())))
        main_.dialogs().ShowMessage(this, T(text::CannotWriteFile) + u'\n' + *path, T(text::Error), BoxButtons::Ok);
}

void TTrendWindow::RecordClick() {
    if (recorder_.recording()) {
        recorder_.Stop();
        ShowRecordingState();
        return;
    }
    // A recording appends to an existing file, so nothing is replaced.
    const std::optional<QString> path =
        main_.dialogs().AskSaveFile(this, CsvDialog(text::RecordToFile, false, csvFolder_));
    if (!path) return;
    csvFolder_ = QFileInfo(*path).absolutePath();
    if (!recorder_.Start(LocalPath(*path)))
        main_.dialogs().ShowMessage(this, T(text::CannotWriteFile) + u'\n' + *path, T(text::Error), BoxButtons::Ok);
    ShowRecordingState();
}

void TTrendWindow::ShowRecordingState() {
    const bool on = recorder_.recording();
    buttonRecord->setText(on ? T(text::StopRecording) : Ellipsis(text::RecordToFile));
    recordingState->setText(on ? Colon(text::RecordingTo) + QFile::decodeName(recorder_.path().c_str())
                               : T(text::NotRecording));
}

void TTrendWindow::ReportRecordingStopped() {
    main_.dialogs().ShowMessage(this, T(text::RecordingStopped) + u'\n' + QFile::decodeName(recorder_.path().c_str()),
                                T(text::Error), BoxButtons::Ok);
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
