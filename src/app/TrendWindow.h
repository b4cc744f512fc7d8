// The trend window: the live value over a chosen span against one output's lower and higher
// values, with gaps shown as gaps, the span's statistics, a pause that freezes the view, saving
// the span as CSV and recording every new sample to a CSV file (TrendRecording). A lost link is
// said with its time; optionally the window resumes the poll by itself when the transmitter
// answers again. It reads the main window's history and display unit; the computing lives in
// polling/TrendHistory, polling/TrendChart and files/TrendCsv, the drawing in TrendPlot.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "files/TrendCsv.h"
#include "polling/TrendChart.h"
#include "polling/TrendHistory.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class TMainF;
class TTrendPlot;
class TTrendRecording;

class TTrendWindow : public QWidget {
public:
    explicit TTrendWindow(TMainF& main);
    ~TTrendWindow() override;

    // A poll added a sample: it goes to the record file at once, to the chart soon after.
    void SampleAdded();
    // The poll stopped: the link was lost, or "Actual value" was unticked.
    void PollStopped();
    // The display unit or measurement type changed: the chart follows at once.
    void DisplayChanged();
    void ApplyTexts();
    // Redraws the chart, the statistics and the notice from the history.
    void Refresh();

    void SaveCsvClick();
    void RecordClick();
    bool recording() const;
    TTrendRecording& recordingBinding() { return *recording_; }
    // The chart's width in pixel columns, which bounds the points drawn.
    int ChartColumns() const;
    // The wheel: the shown time scaled by factor around a time; a drag: moved by a time. Both
    // leave the live edge (paused) until "Live".
    void Zoom(double factor, int64_t aroundMs);
    void Pan(int64_t byMs);
    void LiveClick();
    // One attempt to bring a lost link back (run every few seconds while "Resume by itself" is on).
    void TryResume();

    // Controls (object names equal these member names).
    QComboBox* spanChooser = nullptr;
    QComboBox* outputChooser = nullptr;
    QPushButton* buttonPause = nullptr;
    QPushButton* buttonSaveCsv = nullptr;
    QPushButton* buttonRecord = nullptr;
    QCheckBox* checkResume = nullptr;
    QPushButton* buttonLive = nullptr;  // back to the live edge after a pause, zoom or pan
    QLabel* captionAxis = nullptr;
    QComboBox* axisChooser = nullptr;  // in the order of polling::AxisMode
    QLineEdit* axisLow = nullptr;      // the fixed limits, display units
    QLineEdit* axisHigh = nullptr;
    TTrendPlot* plot = nullptr;
    QLabel* notice = nullptr;  // the state of the poll: lost link, unticked
    QLabel* captionSpan = nullptr;
    QLabel* captionOutput = nullptr;
    QLabel* statistics = nullptr;
    QLabel* recordingState = nullptr;
    QTimer* resumeTimer = nullptr;

protected:
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The range the view shows now.
    polling::SpanRange ShownRange() const;
    void ShowStatistics(const polling::SpanRange& range);
    void ShowShownStatistics() { ShowStatistics(ShownRange()); }
    void ShowNotice();
    // Whether the newest sample changes what the chart shows: it lies a pixel column or more
    // past the drawn right edge, outside the drawn last column's values, switches the lamp or
    // starts a new line.
    bool ChangesTheChart(const polling::TrendSample& newest) const;
    void PauseToggled(bool paused);
    void ResumeToggled(bool on);
    files::DisplayScale Scale() const;
    // The window's place: the saved one brought onto a screen, or beside the main window.
    void Place();
    void SavePlace() const;
    void Guarded(const std::function<void()>& work);
    int64_t Now() const;

    TMainF& main_;
    // Work posted to run after the current handler (the poll) has ended, at most once.
    void Soon(bool& pending, void (TTrendWindow::*work)());
    bool refreshPending_ = false;
    bool statisticsPending_ = false;  // the numbers alone
    QString csvFolder_;  // where the CSV dialogs open: the folder of the last CSV file chosen
    std::optional<int64_t> frozenEdgeMs_;  // the right edge while paused
    std::optional<polling::SpanRange> view_;  // the times shown after a zoom or pan
    void ShowView(int64_t startMs, int64_t endMs);
    void AxisChanged();
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
    std::unique_ptr<TTrendRecording> recording_;
};
