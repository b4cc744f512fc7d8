// The trend window: the live value over a chosen span against one output's lower and higher
// values, with the times its lamp was lit shaded, the span's statistics, a pause that freezes
// the view, saving the span as CSV and recording every new sample to a CSV file. It reads the
// main window's history and display unit; the computing lives in polling/TrendHistory and
// files/TrendCsv.
#pragma once

#include <QWidget>
#include <optional>

#include "files/TrendCsv.h"

class QAreaSeries;
class QChart;
class QChartView;
class QComboBox;
class QDateTimeAxis;
class QLabel;
class QLineSeries;
class QPushButton;
class QStackedWidget;
class QValueAxis;
class TMainF;

class TTrendWindow : public QWidget {
public:
    explicit TTrendWindow(TMainF& main);
    ~TTrendWindow() override;

    // A poll added a sample: it goes to the record file at once, to the chart soon after.
    void SampleAdded();
    // The display unit or measurement type changed: the chart follows at once.
    void DisplayChanged();
    void ApplyTexts();
    // Redraws the chart, the statistics and the notice from the history.
    void Refresh();

    void SaveCsvClick();
    void RecordClick();
    bool recording() const { return recorder_.recording(); }
    // The chart's width in pixel columns, which bounds the points drawn.
    int ChartColumns() const;

    // Controls (object names equal these member names).
    QComboBox* spanChooser = nullptr;
    QComboBox* outputChooser = nullptr;
    QPushButton* buttonPause = nullptr;
    QPushButton* buttonSaveCsv = nullptr;
    QPushButton* buttonRecord = nullptr;
    QStackedWidget* pages = nullptr;
    QChartView* chartView = nullptr;
    QLabel* notice = nullptr;
    QLabel* captionSpan = nullptr;
    QLabel* captionOutput = nullptr;
    QLabel* statistics = nullptr;
    QLabel* recordingState = nullptr;
    QLineSeries* valueSeries = nullptr;
    QLineSeries* lowerLine = nullptr;
    QLineSeries* higherLine = nullptr;
    QAreaSeries* litArea = nullptr;
    QValueAxis* valueAxis = nullptr;
    QDateTimeAxis* timeAxis = nullptr;

protected:
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildChart();
    // The range the view shows now.
    polling::SpanRange ShownRange() const;
    void ShowStatistics(const polling::SpanRange& range);
    void ShowShownStatistics() { ShowStatistics(ShownRange()); }
    // Whether the newest sample changes what the chart shows: it lies a pixel column or more
    // past the drawn right edge, outside the drawn last column's values, or switches the lamp.
    bool ChangesTheChart(const polling::TrendSample& newest) const;
    void PauseToggled(bool paused);
    files::DisplayScale Scale() const;
    void ShowRecordingState();
    void SavePlace() const;
    // The message box for a record file that cannot be written, shown after the poll has ended.
    void ReportRecordingStopped();
    void Guarded(const std::function<void()>& work);

    TMainF& main_;
    QString csvFolder_;  // where the CSV dialogs open: the folder of the last CSV file chosen
    QChart* chart_ = nullptr;
    QLineSeries* litUpper_ = nullptr;
    QLineSeries* litLower_ = nullptr;
    // Work posted to run after the current handler (the poll) has ended, at most once.
    void Soon(bool& pending, void (TTrendWindow::*work)());
    bool refreshPending_ = false;
    bool statisticsPending_ = false;  // the numbers alone
    std::optional<int64_t> frozenEdgeMs_;  // the right edge while paused
    // What the chart was last drawn with.
    struct Drawn {
        int64_t endMs = 0;
        double columnMs = 0;
        float lastMin = 0;  // the values of the column at the right edge
        float lastMax = 0;
        bool lastLit = false;
        size_t output = 0;
    };
    std::optional<Drawn> drawn_;
    files::TrendCsvRecorder recorder_;
};
