// The trend window on an in-process transmitter: the menu item, the samples of the poll, the
// chart following the display unit, the notice, the reduced lines with their gaps, a lost link,
// resuming by itself, pausing, saving and recording, the place and the palette.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QImage>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include "app/TrendPlace.h"
#include "app/TrendPlot.h"
#include "app/TrendRecording.h"
#include "app/TrendWindow.h"
#include "app/WindowLook.h"
#include "files/Settings.h"
#include "support/DeviceWindowFixture.h"
#include "support/SmallFileLimit.h"

namespace {

using namespace testsupport;

constexpr int64_t Start = 1'765'000'000'000;

class TrendWindow : public ConnectedWindowFixture {
protected:
    void SetUp() override {
        ConnectedWindowFixture::SetUp();
        window().trendClock = [this] { return now += 1000; };
        window().checkActualValue->setChecked(true);
        usb.writes.clear();
    }

    TTrendWindow& Open() {
        window().menuTrend->trigger();
        EXPECT_NE(window().trendWindow, nullptr);
        return *window().trendWindow;
    }

    // Polls once for each value.
    void Poll(std::vector<float> values) {
        const size_t count = values.size();
        ReportValues(std::move(values));
        for (size_t i = 0; i < count; ++i) window().Timer1Timer();
        QApplication::processEvents();
    }

    // The least and greatest value the chart's lines reach.
    static std::pair<double, double> Extent(const TTrendWindow& trend) {
        double low = 1e300, high = -1e300;
        for (const auto& line : trend.plot->model().lines)
            for (const QPointF& p : line) {
                low = std::min(low, p.y());
                high = std::max(high, p.y());
            }
        return {low, high};
    }

    // The least and greatest value drawn, equal to the expected ones to float precision.
    static void ExpectExtent(const TTrendWindow& trend, double low, double high) {
        const auto [least, most] = Extent(trend);
        EXPECT_NEAR(least, low, 1e-6 * std::max(1.0, std::abs(low)));
        EXPECT_NEAR(most, high, 1e-6 * std::max(1.0, std::abs(high)));
    }

    static size_t PointCount(const TTrendWindow& trend) {
        size_t count = 0;
        for (const auto& line : trend.plot->model().lines) count += line.size();
        return count;
    }

    static std::string ReadAll(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    int64_t now = Start;
};

TEST_F(TrendWindow, TheViewMenuOpensOneNonModalWindowTitledInTheChosenLanguage) {
    EXPECT_EQ(window().menuTrend->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_T));
    EXPECT_EQ(window().trendWindow, nullptr);
    TTrendWindow& trend = Open();
    EXPECT_TRUE(trend.isVisible());
    EXPECT_TRUE(trend.isWindow());
    EXPECT_FALSE(trend.isModal());
    EXPECT_EQ(trend.windowTitle(), QStringLiteral("Trend"));
    trend.close();
    EXPECT_EQ(&Open(), &trend);  // opened again, the same window

    struct Language {
        int index;
        const char* view;
        const char* saveCsv;
        const char* all;
    };
    for (const Language& l : {Language{1, "Zobrazit", "Uložit CSV...", "Vše"},
                              Language{2, "Ansicht", "CSV speichern...", "Alles"}}) {
        UseShippedLanguage(l.index);
        window().ApplyWindowTexts();
        EXPECT_EQ(window().menuView->title(), QString::fromUtf8(l.view));
        EXPECT_EQ(window().menuTrend->text(), QStringLiteral("Trend..."));
        EXPECT_EQ(trend.windowTitle(), QStringLiteral("Trend"));
        EXPECT_EQ(trend.buttonSaveCsv->text(), QString::fromUtf8(l.saveCsv));
        EXPECT_EQ(trend.spanChooser->itemText(4), QString::fromUtf8(l.all));
    }
}

TEST_F(TrendWindow, APollAddsOneSampleWithTheLampsAsTheyShowAndAFailedPollNone) {
    window().outputLower = {1000, 1000, 1000, 3000};
    window().outputHigher = {2000, 2000, 2000, 4000};
    for (size_t i = 0; i < 4; ++i) window().comboBoxConfiguration[i]->setCurrentIndex(int(i + 1));
    Poll({2500});
    EXPECT_EQ(TakeExchanges(), (std::vector<Exchange>{Command(1), ValueRead()}));  // the poll as before
    ASSERT_EQ(window().trendHistory.size(), 1u);
    const polling::TrendSample sample = window().trendHistory.Newest();
    EXPECT_EQ(sample.timeMs, Start + 1000);
    EXPECT_EQ(sample.valuePa, 2500);
    EXPECT_EQ(sample.lamps, 0b1010);  // extraction and error value lit, as the lamps show

    Silence();
    window().Timer1Timer();
    EXPECT_EQ(window().trendHistory.size(), 1u);
}

TEST_F(TrendWindow, TheChartFollowsTheUnitAndTheMeasurementTypeAtOnce) {
    window().outputLower[0] = 1500;
    window().outputHigher[0] = 2500;
    TTrendWindow& trend = Open();
    Poll({1000, 3000, 2000});
    const TTrendPlot::Model& chart = trend.plot->model();
    EXPECT_EQ(chart.unit, QStringLiteral("kPa"));
    ExpectExtent(trend, 1.0, 3.0);
    EXPECT_NEAR(chart.lower, 1.5, 1e-6);
    EXPECT_NEAR(chart.higher, 2.5, 1e-6);
    EXPECT_TRUE(trend.statistics->text().contains(QStringLiteral("3.000 kPa")));
    EXPECT_TRUE(trend.statistics->text().contains(QStringLiteral("2.000 kPa")));  // the mean
    EXPECT_TRUE(trend.statistics->text().endsWith(QStringLiteral(" 3")));         // samples

    window().radioButtonPa->click();  // no poll in between
    EXPECT_EQ(trend.plot->model().unit, QStringLiteral("Pa"));
    ExpectExtent(trend, 1000.0, 3000.0);
    EXPECT_GE(trend.plot->model().top, 3000);
    for (double tick : trend.plot->model().valueTicks.values) EXPECT_EQ(std::fmod(tick, 500.0), 0.0) << tick;
    EXPECT_TRUE(trend.statistics->text().contains(QStringLiteral("1000 Pa")));

    window().checkHeightLiquidColumn->click();
    EXPECT_EQ(trend.plot->model().unit, QStringLiteral("mm"));
    EXPECT_NEAR(Extent(trend).second, 3000 * window().displayFactor, 1e-3);
}

TEST_F(TrendWindow, ThresholdsAreDrawnAsTheyWereWhenEachSampleWasTaken) {
    window().outputLower[0] = 1500;
    window().outputHigher[0] = 2500;
    TTrendWindow& trend = Open();
    Poll({1000, 3000});
    window().outputLower[0] = 500;  // an entry, a load or a read: from the next poll on
    Poll({2000});
    const auto& levels = trend.plot->model().thresholds;
    ASSERT_EQ(levels.size(), 2u);
    EXPECT_NEAR(levels[0].lower, 1.5, 1e-6);
    EXPECT_NEAR(levels[1].lower, 0.5, 1e-6);
    EXPECT_NEAR(levels[1].higher, 2.5, 1e-6);
    EXPECT_EQ(levels[1].startMs, window().trendHistory.Newest().timeMs);
    EXPECT_EQ(levels[1].endMs, trend.plot->model().endMs);
    EXPECT_NEAR(trend.plot->model().lower, 0.5, 1e-6);  // the legend's value: the one in force now
}

TEST_F(TrendWindow, AWrittenConfigurationAndAChangedUnitAreMarkedOnTheTimeAxis) {
    TTrendWindow& trend = Open();
    Poll({1000});
    window().CmKonfigurace();
    window().radioButtonPa->click();
    window().radioButtonPa->click();  // the same unit again: no mark
    Poll({2000});
    std::vector<polling::TrendEventKind> kinds;
    for (const polling::TrendEvent& e : trend.plot->model().marks) kinds.push_back(e.kind);
    EXPECT_EQ(kinds, (std::vector<polling::TrendEventKind>{polling::TrendEventKind::ConfigurationWritten,
                                                           polling::TrendEventKind::DisplayChanged}));
}

TEST_F(TrendWindow, WithoutActualValueTheChartStaysAndTheNoticeSaysWhy) {
    window().checkActualValue->setChecked(false);
    TTrendWindow& trend = Open();
    EXPECT_FALSE(trend.notice->isHidden());
    EXPECT_EQ(trend.notice->text(), QStringLiteral("Tick \"Actual value\" in the main window to see the trend"));
    window().checkActualValue->setChecked(true);
    EXPECT_TRUE(trend.notice->isHidden());
    Poll({1000, 2000});
    window().checkActualValue->setChecked(false);
    EXPECT_FALSE(trend.notice->isHidden());
    EXPECT_TRUE(trend.notice->text().startsWith(QStringLiteral("Not polling")));
    EXPECT_EQ(trend.plot->model().lines.size(), 1u);  // the history is still drawn
    window().checkActualValue->setChecked(true);
    Poll({3000});
    EXPECT_TRUE(trend.notice->isHidden());
    EXPECT_EQ(trend.plot->model().lines.size(), 2u);  // the untick broke the line
    EXPECT_EQ(trend.plot->model().marks.size(), 1u);
}

TEST_F(TrendWindow, ALostLinkKeepsTheChartSaysSinceWhenAndTheTickGoesOnAfterAGap) {
    TTrendWindow& trend = Open();
    Poll({1000, 2000});
    const int64_t lastReply = window().trendHistory.Newest().timeMs;
    Silence();
    window().Timer1Timer();
    QApplication::processEvents();
    EXPECT_FALSE(window().checkActualValue->isChecked());  // as without the trend
    EXPECT_FALSE(trend.resumeTimer->isActive());           // off by default
    EXPECT_EQ(trend.notice->text(), QStringLiteral("No reply from the transmitter since ") +
                                        QString::fromStdString(polling::LocalClockTime(lastReply)));
    const TTrendPlot::Model& lost = trend.plot->model();
    EXPECT_EQ(lost.lines.size(), 1u);
    ASSERT_EQ(lost.marks.size(), 1u);
    EXPECT_EQ(lost.marks[0].kind, polling::TrendEventKind::LinkLost);
    EXPECT_EQ(lost.endMs, lost.marks[0].timeMs);  // the loss stands at the right edge
    EXPECT_EQ(trend.plot->MarkTipAt(trend.plot->MarkPoint(lost.marks[0].timeMs)),
              QStringLiteral("Link lost ") + QString::fromStdString(polling::LocalClockTime(lost.marks[0].timeMs)));
    EXPECT_EQ(trend.plot->MarkTipAt(trend.plot->MarkPoint(lost.marks[0].timeMs) - QPoint(100, 0)), QString());

    silentAfter.reset();
    window().checkActualValue->setChecked(true);
    Poll({3000, 4000});
    const TTrendPlot::Model& again = trend.plot->model();
    EXPECT_EQ(again.lines.size(), 2u);
    ASSERT_EQ(again.gaps.size(), 2u);  // before the first sample, and the silent spell
    EXPECT_EQ(again.gaps[1].startMs, lastReply);
    EXPECT_TRUE(trend.notice->isHidden());
    EXPECT_EQ(again.marks.back().kind, polling::TrendEventKind::LinkRegained);
    EXPECT_TRUE(trend.statistics->text().endsWith(QStringLiteral(" 4")));  // real samples only
}

TEST_F(TrendWindow, ResumeByItselfTicksActualValueAgainWhenTheTransmitterAnswersAndIsRemembered) {
    TTrendWindow& trend = Open();
    trend.checkResume->setChecked(true);
    EXPECT_TRUE(files::LoadTrendResume());
    Poll({1000});
    Silence();
    window().Timer1Timer();
    EXPECT_FALSE(window().checkActualValue->isChecked());
    EXPECT_TRUE(trend.resumeTimer->isActive());
    EXPECT_EQ(trend.resumeTimer->interval(), 3000);
    trend.TryResume();  // still silent
    EXPECT_FALSE(window().checkActualValue->isChecked());
    EXPECT_TRUE(trend.resumeTimer->isActive());
    EXPECT_EQ(window().StatusText(), QString());  // the attempts say nothing in the main window

    silentAfter.reset();
    usb.writes.clear();
    trend.TryResume();
    EXPECT_EQ(TakeExchanges(), (std::vector<Exchange>{Command(2), Command(4)}));  // the connection's commands
    EXPECT_TRUE(window().checkActualValue->isChecked());
    EXPECT_FALSE(trend.resumeTimer->isActive());
    Poll({2000});
    EXPECT_EQ(window().trendHistory.size(), 2u);

    // An operator's untick is not resumed.
    window().checkActualValue->setChecked(false);
    EXPECT_FALSE(trend.resumeTimer->isActive());
    trend.checkResume->setChecked(false);
    EXPECT_FALSE(files::LoadTrendResume());
}

// Chosen in an earlier run, resuming works without the trend window ever being opened; without
// the choice a lost link creates nothing.
TEST_F(TrendWindow, ResumeByItselfChosenEarlierWorksWithTheTrendNeverOpened) {
    Poll({1000});
    Silence();
    window().Timer1Timer();
    EXPECT_EQ(window().trendWindow, nullptr);

    files::SaveTrendResume(true);
    silentAfter.reset();
    window().checkActualValue->setChecked(true);
    Poll({2000});
    Silence();
    window().Timer1Timer();
    ASSERT_NE(window().trendWindow, nullptr);
    EXPECT_FALSE(window().trendWindow->isVisible());
    EXPECT_TRUE(window().trendWindow->resumeTimer->isActive());
    silentAfter.reset();
    window().trendWindow->TryResume();
    EXPECT_TRUE(window().checkActualValue->isChecked());
}

TEST_F(TrendWindow, ADayOfSamplesIsDrawnReducedToPixelColumnsWithItsSpikesAndLitTimes) {
    for (int i = 0; i <= 86'400; ++i)
        window().trendHistory.Append({Start + i * 1000LL, i == 40'000 ? 90'000.0f : 1000.0f + float(i % 7),
                                      uint8_t(i >= 20'000 && i < 30'000 ? 1 : 0)});
    TTrendWindow& trend = Open();
    trend.spanChooser->setCurrentIndex(3);  // 24 h
    QApplication::processEvents();
    trend.Refresh();
    const int columns = trend.ChartColumns();
    EXPECT_LE(PointCount(trend), size_t(2 * columns));
    EXPECT_GT(PointCount(trend), size_t(columns / 2));
    EXPECT_EQ(trend.plot->model().lines.size(), 1u);
    EXPECT_NEAR(Extent(trend).second, 90.0, 1e-4);  // the one spike, in kPa
    EXPECT_TRUE(trend.statistics->text().endsWith(QStringLiteral(" 86401")));
    EXPECT_EQ(trend.plot->model().endMs, Start + 86'400'000);  // the newest sample at the right
    // The lit stretch of the day: one shaded span, and the same on output 1's lane.
    ASSERT_EQ(trend.plot->model().lit.size(), 1u);
    EXPECT_NEAR(double(trend.plot->model().lit[0].endMs - trend.plot->model().lit[0].startMs), 10'000'000.0,
                2 * 86'400'000.0 / columns);  // to a column at either end
    EXPECT_EQ(trend.plot->model().lanes[0].size(), 1u);
    EXPECT_TRUE(trend.plot->model().lanes[1].empty());
    EXPECT_FALSE(trend.plot->model().timeTicks.empty());
    EXPECT_FALSE(trend.plot->model().timeTicks[0].date.empty());  // a day's span shows the date
}

TEST_F(TrendWindow, OnALongSpanAPollRedrawsOnlyWhatChangesButAlwaysTheNumbersAndASpike) {
    // A day ending at the clock's next tick; a pixel column is then more than a minute.
    for (int i = 0; i < 86'400; ++i) window().trendHistory.Append({now - (86'400 - i) * 1000LL, 1000.0f + float(i % 2), 0});
    for (size_t i = 0; i < 4; ++i) {  // the lamps stay dark, as in the history
        window().comboBoxConfiguration[i]->setCurrentIndex(-1);
        window().AHMLed[i]->setValue(0);
    }
    TTrendWindow& trend = Open();
    trend.spanChooser->setCurrentIndex(4);  // all of it: nothing leaves the span
    QApplication::processEvents();
    const std::vector<std::vector<QPointF>> drawn = trend.plot->model().lines;
    Poll({1000.5f});  // inside the last column's values, within its time
    EXPECT_EQ(trend.plot->model().lines, drawn);
    EXPECT_TRUE(trend.statistics->text().endsWith(QStringLiteral(" 86401")));
    Poll({5000});  // a spike shows at once
    EXPECT_NEAR(Extent(trend).second, 5.0, 1e-6);
    EXPECT_TRUE(trend.statistics->text().endsWith(QStringLiteral(" 86402")));
}

TEST_F(TrendWindow, PauseFreezesTheViewWhileTheRecordGoesOn) {
    TTrendWindow& trend = Open();
    Poll({1000, 2000});
    trend.buttonPause->click();
    const int64_t edge = trend.plot->model().endMs;
    Poll({9000});
    trend.Refresh();
    EXPECT_EQ(trend.plot->model().endMs, edge);
    EXPECT_NEAR(Extent(trend).second, 2.0, 1e-6);
    EXPECT_EQ(window().trendHistory.size(), 3u);
    trend.buttonPause->click();
    EXPECT_NEAR(Extent(trend).second, 9.0, 1e-6);
}

TEST_F(TrendWindow, TheWheelZoomsAroundThePointerADragPansBothPauseAndLiveReturns) {
    TTrendWindow& trend = Open();
    std::vector<float> values(600, 1000.0f);
    values[300] = 8000;  // a spike in the middle of ten minutes
    Poll(values);
    const TTrendPlot::Model& live = trend.plot->model();
    const int64_t spike = window().trendHistory[300].timeMs;
    const int64_t start = live.startMs, end = live.endMs;
    trend.Zoom(0.1, spike);
    EXPECT_TRUE(trend.buttonPause->isChecked());
    EXPECT_EQ(trend.plot->model().endMs - trend.plot->model().startMs, (end - start) / 10);
    EXPECT_LT(trend.plot->model().startMs, spike);
    EXPECT_GT(trend.plot->model().endMs, spike);
    EXPECT_EQ(spike - trend.plot->model().startMs, (spike - start) / 10);  // the time under the pointer stays
    EXPECT_NEAR(Extent(trend).second, 8.0, 1e-6);
    trend.Zoom(1e-6, spike);  // no closer than ten seconds
    EXPECT_EQ(trend.plot->model().endMs - trend.plot->model().startMs, 10'000);

    const int64_t zoomedEnd = trend.plot->model().endMs;
    trend.Pan(-60'000);  // back into the history
    EXPECT_EQ(trend.plot->model().endMs, zoomedEnd - 60'000);
    Poll({2000});  // the view stays put
    EXPECT_EQ(trend.plot->model().endMs, zoomedEnd - 60'000);
    trend.spanChooser->setCurrentIndex(0);  // a span replaces the zoom, still paused at its edge
    EXPECT_TRUE(trend.buttonPause->isChecked());
    EXPECT_EQ(trend.plot->model().endMs, zoomedEnd - 60'000);
    EXPECT_EQ(trend.plot->model().endMs - trend.plot->model().startMs, 60'000);
    trend.buttonLive->click();
    EXPECT_FALSE(trend.buttonPause->isChecked());
    EXPECT_EQ(trend.plot->model().endMs, window().trendHistory.Newest().timeMs);
    EXPECT_EQ(trend.plot->model().endMs - trend.plot->model().startMs, 60'000);
}

TEST_F(TrendWindow, TheCursorReadsTimeValueAndLampsAndTwoPlacedCursorsGiveTheDifferences) {
    window().outputLower[0] = 1500;
    window().outputHigher[0] = 2500;
    window().comboBoxConfiguration[0]->setCurrentIndex(3);  // correct value: lit inside
    for (size_t i = 1; i < 4; ++i) window().comboBoxConfiguration[i]->setCurrentIndex(0);  // off
    TTrendWindow& trend = Open();
    Poll({1000, 2000, 3250});
    const polling::TrendSample second = window().trendHistory[1];
    const QString readout = trend.plot->ReadoutAt(second.timeMs + 200);
    EXPECT_EQ(readout, QString::fromStdString(polling::LocalClockTimeMs(second.timeMs)) +
                           QString::fromUtf8("  2.000 kPa  1\u25CF 2\u25CB 3\u25CB 4\u25CB"));
    EXPECT_TRUE(trend.plot->ReadoutAt(second.timeMs - 60'000).endsWith(QStringLiteral("no data")));

    EXPECT_TRUE(trend.plot->DeltaText().isEmpty());
    trend.plot->PlaceCursor(window().trendHistory[0].timeMs);
    trend.plot->PlaceCursor(window().trendHistory[2].timeMs);
    EXPECT_EQ(trend.plot->DeltaText(), QString::fromUtf8("\u0394t 2.000 s  \u0394 2.250 kPa"));
    trend.plot->PlaceCursor(second.timeMs);  // a third click starts again
    EXPECT_TRUE(trend.plot->DeltaText().isEmpty());
}

TEST_F(TrendWindow, TheValueAxisFitsTheDataTheDataAndThresholdsOrFixedLimits) {
    window().outputLower[0] = 0;
    window().outputHigher[0] = 100'000;
    TTrendWindow& trend = Open();
    Poll({50'000, 50'100, 50'050});  // a small drift
    EXPECT_LT(trend.plot->model().bottom, 0.0);  // the thresholds in view: the drift is flat
    EXPECT_GT(trend.plot->model().top, 100.0);
    trend.axisChooser->setCurrentIndex(0);
    EXPECT_GT(trend.plot->model().bottom, 49.9);  // the drift fills the plot
    EXPECT_LT(trend.plot->model().top, 50.2);
    trend.axisChooser->setCurrentIndex(2);
    EXPECT_FALSE(trend.axisLow->isHidden());
    trend.axisLow->setText(QStringLiteral("40"));
    trend.axisHigh->setText(QStringLiteral("60,5"));  // typed with a comma
    Q_EMIT trend.axisHigh->editingFinished();
    EXPECT_EQ(trend.plot->model().bottom, 40.0);
    EXPECT_EQ(trend.plot->model().top, 60.5);
}

TEST_F(TrendWindow, SaveCsvWritesTheShownSpanAndReportsAFileThatCannotBeWritten) {
    TTrendWindow& trend = Open();
    Poll({1000, 2000, 3000});
    const std::string path = user.folder() / "span.csv";
    dialogs().files.push_back(QString::fromStdString(path));
    trend.buttonSaveCsv->click();
    const std::string csv = ReadAll(path);
    EXPECT_EQ(csv.rfind("time,utc_offset,value_pa,value,unit,out1,out2,out3,out4\n", 0), 0u);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 4);
    EXPECT_NE(csv.find(",3000,3.000,kPa,"), std::string::npos);
    EXPECT_TRUE(dialogs().boxes.empty());

    dialogs().files.push_back(QString::fromStdString(user.folder() / "missing/span.csv"));
    trend.buttonSaveCsv->click();
    // The second dialog opened in the folder of the first file.
    ASSERT_EQ(dialogs().fileDialogs.size(), 2u);
    EXPECT_TRUE(dialogs().fileDialogs[0].folder.isEmpty());
    EXPECT_EQ(dialogs().fileDialogs[1].folder, QString::fromStdString(user.folder().path().string()));
    ASSERT_EQ(dialogs().boxes.size(), 1u);
    EXPECT_TRUE(dialogs().boxes[0].text.startsWith(QStringLiteral("Cannot write file")));
    EXPECT_EQ(dialogs().boxes[0].caption, QStringLiteral("Error"));
}

TEST_F(TrendWindow, RecordingAppendsEachPollAndAWriteFailureStopsItWithAMessage) {
    TTrendWindow& trend = Open();
    const std::string path = user.folder() / "record.csv";
    dialogs().files.push_back(QString::fromStdString(path));
    trend.buttonRecord->click();
    ASSERT_TRUE(trend.recording());
    EXPECT_TRUE(trend.recordingState->text().contains(QString::fromStdString(path)));
    const QString statusText = window().StatusText();
    trend.hide();  // recording goes on with the window closed, and the main window says so
    const auto* indicator = window().StatusBar1->findChild<QLabel*>(QStringLiteral("recordingIndicator"));
    ASSERT_NE(indicator, nullptr);
    EXPECT_FALSE(indicator->isHidden());
    EXPECT_EQ(window().StatusText(), statusText);  // the status bar's own text untouched
    Poll({1000, 2000});
    const std::string two = ReadAll(path);
    EXPECT_EQ(std::count(two.begin(), two.end(), '\n'), 3);
    {
        SmallFileLimit full(std::filesystem::file_size(path) + 10);
        Poll({3000});
    }
    EXPECT_FALSE(trend.recording());
    ASSERT_EQ(dialogs().boxes.size(), 1u);
    EXPECT_TRUE(dialogs().boxes[0].text.startsWith(QStringLiteral("The file cannot be written")));
    EXPECT_TRUE(dialogs().boxes[0].text.contains(QString::fromStdString(path)));
    EXPECT_EQ(trend.recordingState->text(), QStringLiteral("Not recording"));
    EXPECT_TRUE(indicator->isHidden());
    Poll({4000});  // the program goes on
    EXPECT_EQ(window().trendHistory.size(), 4u);
    EXPECT_TRUE(window().checkActualValue->isChecked());
}

TEST_F(TrendWindow, RecordingRefusesWhatIsNoFileAsksBeforeAForeignFileAndSaysWhenSamplesStop) {
    TTrendWindow& trend = Open();
    const std::string fifo = user.folder() / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    dialogs().files.push_back(QString::fromStdString(fifo));
    trend.buttonRecord->click();  // returns at once: no reader is waited for
    EXPECT_FALSE(trend.recording());
    ASSERT_EQ(dialogs().boxes.size(), 1u);
    EXPECT_TRUE(dialogs().boxes[0].text.startsWith(QStringLiteral("Not a regular file")));

    // A long path is elided to fit: the window does not grow with it.
    const int narrowest = trend.minimumSizeHint().width();
    const std::string longPath = user.folder() / (std::string(200, 'x') + ".csv");
    dialogs().files.push_back(QString::fromStdString(longPath));
    trend.buttonRecord->click();
    ASSERT_TRUE(trend.recording());
    EXPECT_TRUE(trend.recordingState->text().contains(QString::fromStdString(longPath)));  // whole, elided when drawn
    EXPECT_EQ(trend.minimumSizeHint().width(), narrowest);
    trend.buttonRecord->click();  // stopped
    EXPECT_FALSE(trend.recording());

    const std::string notes = user.folder() / "notes.csv";
    std::ofstream(notes) << "name,age\n";
    dialogs().files.push_back(QString::fromStdString(notes));
    trend.buttonRecord->click();  // answered No
    EXPECT_FALSE(trend.recording());
    ASSERT_EQ(dialogs().boxes.size(), 2u);
    EXPECT_EQ(dialogs().boxes[1].buttons, BoxButtons::YesNo);
    EXPECT_TRUE(dialogs().boxes[1].text.startsWith(QStringLiteral("The file does not begin with the trend's header")));
    EXPECT_EQ(ReadAll(notes), "name,age\n");
    dialogs().files.push_back(QString::fromStdString(notes));
    dialogs().AnswerNext(BoxAnswer::Yes);
    trend.buttonRecord->click();
    ASSERT_TRUE(trend.recording());

    TTrendRecording* recording = &trend.recordingBinding();
    int64_t steady = 0;
    recording->clock = [&steady] { return steady; };
    Poll({1000});
    steady += 2000;
    recording->CheckQuiet();
    EXPECT_FALSE(trend.recordingState->text().contains(QStringLiteral("no samples since")));
    steady += 1000;
    recording->CheckQuiet();
    EXPECT_TRUE(trend.recordingState->text().endsWith(
        QStringLiteral("no samples since ") +
        QString::fromStdString(polling::LocalClockTime(window().trendHistory.Newest().timeMs))));
    Poll({2000});
    EXPECT_FALSE(trend.recordingState->text().contains(QStringLiteral("no samples since")));
    const std::string recorded = ReadAll(notes);
    EXPECT_EQ(std::count(recorded.begin(), recorded.end(), '\n'), 3);
}

TEST(TrendPlace, ASavedPlaceOffEveryScreenComesBackAndTheFirstOpenLandsBesideTheMainWindow) {
    const QList<QRect> screens = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    struct Case {
        QRect place, expected;
    };
    const Case saved[] = {
        {QRect(100, 100, 700, 400), QRect(100, 100, 700, 400)},    // on the first screen: kept
        {QRect(2000, 50, 700, 400), QRect(2000, 50, 700, 400)},    // on the second
        {QRect(5000, 300, 700, 400), QRect(2500, 300, 700, 400)},  // right of everything: the second
        {QRect(-3000, -2000, 700, 400), QRect(0, 0, 700, 400)},    // above left: the first
        {QRect(100, -30, 700, 400), QRect(100, 0, 700, 400)},      // the title bar above the screen
        {QRect(3000, 2000, 4000, 3000), QRect(1920, 0, 1280, 1024)},  // too big: shrunk to the screen
    };
    for (const Case& c : saved) EXPECT_EQ(BringOntoScreens(c.place, screens), c.expected) << c.place.x();

    EXPECT_EQ(BesideWindow(QRect(100, 100, 640, 700), QSize(900, 480), screens), QRect(748, 100, 900, 480));
    EXPECT_EQ(BesideWindow(QRect(1200, 100, 640, 700), QSize(900, 480), {QRect(0, 0, 1920, 1080)}),
              QRect(292, 100, 900, 480));
}

TEST_F(TrendWindow, TheChartFollowsADarkPaletteWithReadableTexts) {
    QPalette dark;
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Window, QColor(45, 45, 45));
    dark.setColor(QPalette::Text, QColor(110, 110, 110));  // too dim on the dark plot: made readable
    dark.setColor(QPalette::WindowText, QColor(220, 220, 220));
    const TrendPlotColours colours = TrendPlotColours::For(dark);
    EXPECT_GE(ContrastRatio(colours.text, colours.background), 4.5);
    EXPECT_GE(ContrastRatio(colours.value, colours.background), 4.5);
    EXPECT_GE(ContrastRatio(colours.lower, colours.background), 3.0);
    EXPECT_GE(ContrastRatio(colours.higher, colours.background), 3.0);
    const TrendPlotColours light = TrendPlotColours::For(QPalette(QColor(240, 240, 240)));
    EXPECT_GE(ContrastRatio(light.text, light.background), 4.5);
    EXPECT_GE(ContrastRatio(light.value, light.background), 4.5);

    TTrendWindow& trend = Open();
    Poll({1000, 2000});
    trend.plot->setPalette(dark);
    const QImage drawn = trend.plot->grab().toImage();
    EXPECT_EQ(QColor(drawn.pixel(2, 2)), QColor(30, 30, 30));  // a dark plot, not a white card
}

TEST_F(TrendWindow, TheWindowRemembersItsPlaceBesideTheOptions) {
    TTrendWindow& trend = Open();
    trend.setGeometry(120, 80, 700, 420);
    trend.close();
    window().SaveSettings();
    const auto place = files::LoadTrendWindowPlace();
    ASSERT_TRUE(place.has_value());
    EXPECT_EQ(place->width, 700);
    EXPECT_EQ(place->height, 420);
    EXPECT_EQ(files::LoadUserSettings().unitOfPressure, window().unitOfPressure);

    CreateWindow();
    BindWindow();
    EXPECT_EQ(Open().size(), QSize(700, 420));
}

}  // namespace
