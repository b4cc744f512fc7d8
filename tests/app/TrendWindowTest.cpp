// The trend window on an in-process transmitter: the menu item, the samples of the poll, the
// chart following the display unit, the notice, the reduced series, pausing, saving and recording.
#include <QAction>
#include <QApplication>
#include <QAreaSeries>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QKeySequence>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QValueAxis>
#include <filesystem>
#include <fstream>

#include "app/TrendWindow.h"
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

    static std::pair<double, double> Extent(const QLineSeries* series) {
        double low = 1e300, high = -1e300;
        for (const QPointF& p : series->points()) {
            low = std::min(low, p.y());
            high = std::max(high, p.y());
        }
        return {low, high};
    }

    // The least and greatest y of a series, equal to the expected ones to float precision.
    static void ExpectExtent(const QLineSeries* series, double low, double high) {
        const auto [least, most] = Extent(series);
        EXPECT_NEAR(least, low, 1e-6 * std::max(1.0, std::abs(low)));
        EXPECT_NEAR(most, high, 1e-6 * std::max(1.0, std::abs(high)));
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
    EXPECT_EQ(trend.valueAxis->titleText(), QStringLiteral("kPa"));
    ExpectExtent(trend.valueSeries, 1.0, 3.0);
    ExpectExtent(trend.lowerLine, 1.5, 1.5);
    ExpectExtent(trend.higherLine, 2.5, 2.5);
    EXPECT_TRUE(trend.statistics->text().contains(QStringLiteral("3.000 kPa")));
    EXPECT_TRUE(trend.statistics->text().contains(QStringLiteral("2.000 kPa")));  // the mean
    EXPECT_TRUE(trend.statistics->text().endsWith(QStringLiteral(" 3")));         // samples

    window().radioButtonPa->click();  // no poll in between
    EXPECT_EQ(trend.valueAxis->titleText(), QStringLiteral("Pa"));
    ExpectExtent(trend.valueSeries, 1000.0, 3000.0);
    EXPECT_GE(trend.valueAxis->max(), 3000);
    EXPECT_TRUE(trend.statistics->text().contains(QStringLiteral("1000 Pa")));

    window().checkHeightLiquidColumn->click();
    EXPECT_EQ(trend.valueAxis->titleText(), QStringLiteral("mm"));
    EXPECT_NEAR(Extent(trend.valueSeries).second, 3000 * window().displayFactor, 1e-3);
}

TEST_F(TrendWindow, WithoutActualValueTheWindowShowsTheNotice) {
    TTrendWindow& trend = Open();
    EXPECT_EQ(trend.pages->currentWidget(), trend.chartView);
    window().checkActualValue->setChecked(false);
    EXPECT_EQ(trend.pages->currentWidget(), trend.notice);
    EXPECT_TRUE(trend.notice->text().contains(QStringLiteral("Actual value")));
    window().checkActualValue->setChecked(true);
    EXPECT_EQ(trend.pages->currentWidget(), trend.chartView);
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
    EXPECT_LE(trend.valueSeries->count(), 2 * columns);
    EXPECT_GT(trend.valueSeries->count(), columns / 2);
    EXPECT_NEAR(Extent(trend.valueSeries).second, 90.0, 1e-4);  // the one spike, in kPa
    EXPECT_TRUE(trend.statistics->text().endsWith(QStringLiteral(" 86401")));
    EXPECT_EQ(trend.timeAxis->max().toMSecsSinceEpoch(), Start + 86'400'000);  // the newest sample at the right
    // The lit quarter of the day: one raised step in the shading.
    const QList<QPointF> lit = trend.litArea->upperSeries()->points();
    int raised = 0;
    for (qsizetype i = 1; i < lit.size(); ++i)
        if (lit[i].y() > lit[i - 1].y()) ++raised;
    EXPECT_EQ(raised, 1);
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
    const QList<QPointF> drawn = trend.valueSeries->points();
    Poll({1000.5f});  // inside the last column's values, within its time
    EXPECT_EQ(trend.valueSeries->points(), drawn);
    EXPECT_TRUE(trend.statistics->text().endsWith(QStringLiteral(" 86401")));
    Poll({5000});  // a spike shows at once
    EXPECT_NEAR(Extent(trend.valueSeries).second, 5.0, 1e-6);
    EXPECT_TRUE(trend.statistics->text().endsWith(QStringLiteral(" 86402")));
}

TEST_F(TrendWindow, PauseFreezesTheViewWhileTheRecordGoesOn) {
    TTrendWindow& trend = Open();
    Poll({1000, 2000});
    trend.buttonPause->click();
    const QDateTime edge = trend.timeAxis->max();
    Poll({9000});
    trend.Refresh();
    EXPECT_EQ(trend.timeAxis->max(), edge);
    EXPECT_NEAR(Extent(trend.valueSeries).second, 2.0, 1e-6);
    EXPECT_EQ(window().trendHistory.size(), 3u);
    trend.buttonPause->click();
    EXPECT_NEAR(Extent(trend.valueSeries).second, 9.0, 1e-6);
}

TEST_F(TrendWindow, SaveCsvWritesTheShownSpanAndReportsAFileThatCannotBeWritten) {
    TTrendWindow& trend = Open();
    Poll({1000, 2000, 3000});
    const std::string path = user.folder() / "span.csv";
    dialogs().files.push_back(QString::fromStdString(path));
    trend.buttonSaveCsv->click();
    const std::string csv = ReadAll(path);
    EXPECT_EQ(csv.rfind("time,value_pa,value,unit,out1,out2,out3,out4\n", 0), 0u);
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
    trend.hide();  // recording goes on with the window closed
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
    Poll({4000});  // the program goes on
    EXPECT_EQ(window().trendHistory.size(), 4u);
    EXPECT_TRUE(window().checkActualValue->isChecked());
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
