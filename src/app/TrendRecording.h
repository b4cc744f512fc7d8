// The trend window's recording to a CSV file: starting it (a foreign file asks first, what is
// not a regular file is refused), appending each sample, stopping it after a failed write with
// a message, the state under the chart ("no samples since ..." when samples stop, the path
// elided to fit) and an indicator in the main window's status bar while it runs, so that a
// recording is seen also with the trend window closed.
#pragma once

#include <QLabel>
#include <QObject>
#include <QString>
#include <functional>

#include "app/UserDialogs.h"
#include "files/TrendCsv.h"

class QPushButton;
class QTimer;
class TMainF;

// The file dialog of the trend's CSV files; fields not set here keep their defaults.
FileDialogSettings TrendCsvDialog(std::u16string_view title, bool confirmOverwrite, const QString& folder);

// A label that shows its text elided at the middle to fit its width; text() keeps it whole.
class TElidedLabel : public QLabel {
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class TTrendRecording : public QObject {
public:
    // window: the owner of the dialogs; state and button: the window's controls it keeps.
    TTrendRecording(TMainF& main, QWidget* window, QLabel* state, QPushButton* button);
    ~TTrendRecording() override;

    // Starts a recording (asking for the file) or stops the one running.
    void Click(QString& csvFolder);
    void SampleAdded(const polling::TrendSample& sample, const files::DisplayScale& scale);
    bool recording() const { return recorder_.recording(); }
    void ShowState();
    // Says "no samples since ..." when no sample came for longer than a poll's gap.
    void CheckQuiet();
    // Milliseconds of a steady clock (tests put their own here).
    std::function<int64_t()> clock;
    QLabel* indicator() const { return indicator_; }

private:
    void Started();
    void ReportStopped();

    TMainF& main_;
    QWidget* window_;
    QLabel* state_;
    QPushButton* button_;
    QLabel* indicator_ = nullptr;  // in the main window's status bar, shown while recording
    QTimer* quietTimer_ = nullptr;
    int64_t lastSampleSteadyMs_ = 0;
    int64_t lastSampleMs_ = 0;   // wall time of the last sample recorded, or of the start
    bool quiet_ = false;
    files::TrendCsvRecorder recorder_;
};
