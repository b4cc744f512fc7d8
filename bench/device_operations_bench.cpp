// The window's device operations against the simulated transmitter, which here waits out its
// time-outs as a device does: the wall time of a complete read of the configuration (whose
// drain costs 3 x 100 ms by design), the exchanges it is made of, and the CPU time of one poll.
#include <QApplication>
#include <QCheckBox>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>

#include "SimulatorWindow.h"
#include "app/MainF.h"
#include "device/Fix64usb.h"

namespace {

TMainF& ConnectedWindow() {
    static TMainF* window = [] {
        TMainF* w = NewSimulatorWindow();
        return w;
    }();
    return *window;
}

void BM_ReadConfiguration(benchmark::State& state) {
    TMainF& window = ConnectedWindow();
    for (auto _ : state) window.CmVycist();
    state.counters["drain_ms"] = 300;
}
BENCHMARK(BM_ReadConfiguration)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

void BM_OneExchange(benchmark::State& state) {
    TMainF& window = ConnectedWindow();
    uint8_t block[36];
    for (auto _ : state) window.deviceLink->ReadEeprom(67, block, 36);
}
BENCHMARK(BM_OneExchange)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_Poll(benchmark::State& state) {
    TMainF& window = ConnectedWindow();
    window.checkActualValue->setChecked(true);
    for (auto _ : state) window.Timer1Timer();
    window.checkActualValue->setChecked(false);
}
BENCHMARK(BM_Poll)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("KD4410_SIM_REAL_TIMEOUTS", "1", 1);
    setenv("KD4410_SIM_EEPROM", "/dev/null/none", 1);  // in memory only
    const std::string runtime = (std::filesystem::temp_directory_path() / "kd4410-bench-runtime").string();
    std::filesystem::create_directories(runtime);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    setenv("XDG_DATA_HOME", runtime.c_str(), 1);  // the reads' records go beside it, not into the user's history
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
