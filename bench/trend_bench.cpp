// The trend: memory of a 24-hour history, the time to redraw the chart with a day of samples
// in its span (rendered offscreen into an image), the cursor's readout, and the CPU of a poll on the simulated
// transmitter with the trend window closed (arg 0) and open on a full day (arg 1).
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>

#include "SimulatorWindow.h"
#include "app/MainF.h"
#include "app/TrendPlot.h"
#include "app/TrendWindow.h"
#include "device/Fix64usb.h"

namespace {

constexpr int DaySamples = 86'400;

// A day of samples a second, ending now, with a slow swing, noise, lamps that switch on all
// four lanes and a silent spell every two hours (a minute without samples, every other one a
// lost link), so that the redraw has its lanes and gaps.
void FillDay(polling::TrendHistory& history) {
    const int64_t end = QDateTime::currentMSecsSinceEpoch();
    for (int i = 0; i < DaySamples; ++i) {
        const int64_t t = end - (DaySamples - i) * 1000LL;
        if (i % 7200 >= 7140) {
            if (i % 7200 == 7140 && (i / 7200) % 2 == 0) history.Stop({t, polling::TrendEventKind::LinkLost});
            continue;
        }
        const float value = 50'000.0f + 40'000.0f * std::sin(float(i) / 5000.0f) + float((i * 7919) % 200);
        const uint8_t lamps = uint8_t((value > 60'000 ? 1 : 0) | (value < 20'000 ? 2 : 0) | ((i / 900) % 2 ? 4 : 0) |
                                      ((i * 7919) % 200 > 150 ? 8 : 0));
        history.Append({t, value, lamps});
    }
}

// One window for the process (the instance guard allows no second), connected to the simulator,
// its history holding a day.
TMainF& Window() {
    static TMainF* window = [] {
        TMainF* w = NewSimulatorWindow();
        w->checkActualValue->setChecked(true);
        FillDay(w->trendHistory);
        return w;
    }();
    return *window;
}

TTrendWindow& TrendOnADay() {
    TMainF& window = Window();
    window.menuTrendClick();
    TTrendWindow& trend = *window.trendWindow;
    trend.resize(900, 480);
    trend.spanChooser->setCurrentIndex(3);  // 24 h
    QApplication::processEvents();
    return trend;
}

void BM_HistoryOfADay(benchmark::State& state) {
    size_t bytes = 0;
    for (auto _ : state) {
        polling::TrendHistory history;
        FillDay(history);
        bytes = history.MemoryBytes();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["history_bytes"] = double(bytes);
    state.counters["bytes_per_sample"] = double(bytes) / DaySamples;
}
BENCHMARK(BM_HistoryOfADay)->Unit(benchmark::kMillisecond);

void BM_RedrawADay(benchmark::State& state) {
    TTrendWindow& trend = TrendOnADay();
    QImage image(trend.plot->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        trend.Refresh();
        QPainter painter(&image);
        trend.plot->render(&painter);
    }
    size_t points = 0;
    for (const auto& line : trend.plot->model().lines) points += line.size();
    state.counters["points"] = double(points);
    state.counters["lines"] = double(trend.plot->model().lines.size());
    state.counters["gaps"] = double(trend.plot->model().gaps.size());
    state.counters["columns"] = trend.ChartColumns();
    trend.hide();
}
BENCHMARK(BM_RedrawADay)->Unit(benchmark::kMillisecond);

// The cursor following the pointer over a day: the pointer's move (its readout) and the
// repaint it asks for, the chart itself kept from the last redraw.
void BM_CursorReadout(benchmark::State& state) {
    TTrendWindow& trend = TrendOnADay();
    trend.Refresh();
    QImage image(trend.plot->size(), QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&image);
        trend.plot->render(&painter);  // the chart's picture made once
    }
    const int width = trend.plot->width();
    int x = 0;
    for (auto _ : state) {
        x = (x + 7) % width;
        QMouseEvent move(QEvent::MouseMove, QPointF(x, trend.plot->height() / 3.0),
                         trend.plot->mapToGlobal(QPointF(x, trend.plot->height() / 3.0)), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(trend.plot, &move);
        QPainter painter(&image);
        trend.plot->render(&painter);
    }
    trend.hide();
}
BENCHMARK(BM_CursorReadout)->Unit(benchmark::kMicrosecond);

// The tick: the poll and the events it leaves (the chart's refresh and repaint when open).
void BM_PollTick(benchmark::State& state) {
    TMainF& window = Window();
    if (state.range(0) != 0) TrendOnADay();
    else if (window.trendWindow) window.trendWindow->hide();
    for (auto _ : state) {
        window.Timer1Timer();
        QApplication::processEvents();
    }
    if (window.trendWindow) window.trendWindow->hide();
}
BENCHMARK(BM_PollTick)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->Iterations(2000);

// The poll alone, the events it leaves run untimed between polls: 0 window closed, 1 open;
// 2 closed, with the open window's redraw done by hand between polls, which tells the window's
// share of the poll from the caches the redraw leaves cold.
void BM_PollOnly(benchmark::State& state) {
    TMainF& window = Window();
    TTrendWindow& trend = TrendOnADay();
    if (state.range(0) != 1) trend.hide();
    QImage image(trend.plot->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        window.Timer1Timer();
        state.PauseTiming();
        QApplication::processEvents();
        if (state.range(0) == 2) {
            trend.Refresh();
            QPainter painter(&image);
            trend.plot->render(&painter);
        }
        state.ResumeTiming();
    }
    trend.hide();
}
BENCHMARK(BM_PollOnly)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond)->Iterations(2000);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("KD4410_SIM_EEPROM", "/dev/null/none", 1);  // in memory only
    const std::string home = (std::filesystem::temp_directory_path() / "kd4410-trend-bench").string();
    for (const char* sub : {"runtime", "config"}) std::filesystem::create_directories(home + "/" + sub);
    setenv("XDG_RUNTIME_DIR", (home + "/runtime").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
