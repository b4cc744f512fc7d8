// kd4410ctl on the simulated library with real time-outs: the fleet at once against one unit.
//
// Every conversation opens the pipes afresh, and closing them drains stale input with three
// reads of 100 ms each: with real time-outs that is 300 ms per conversation, and a write of one
// transmitter holds four (serial number, the read before writing, the write, the read-back).
// The tool talks to every transmitter at once, so the aims are ratios to one transmitter:
//   --all write over 8 transmitters within 1.3 x the write of one;
//   --serial of the 8th of 8 within 1.3 x --device 7.
// Counters: the two wall times (ms), their ratio and the aim.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "ctl/ToolRunner.h"

namespace {

constexpr double Aim = 1.3;
constexpr int Fleet = 8;

double WallMs(const std::string& folder, const std::map<std::string, std::string>& env,
              const std::vector<std::string>& args) {
    const auto start = std::chrono::steady_clock::now();
    const testsupport::Outcome o = testsupport::RunProgram(KD4410CTL, args, env, folder);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (o.exit != 0) throw std::runtime_error("kd4410ctl failed: " + o.err);
    return ms;
}

// The mean wall times of the two runs, their ratio and the aim.
void Report(benchmark::State& state, const char* baseName, double base, const char* fleetName, double fleet) {
    const double n = static_cast<double>(state.iterations());
    state.counters[baseName] = base / n;
    state.counters[fleetName] = fleet / n;
    state.counters["ratio"] = fleet / base;
    state.counters["aim"] = Aim;
}

std::map<std::string, std::string> Environment(const testsupport::TempFolder& folder, int transmitters) {
    return {{"KD4410_SIM_EEPROM", folder / "eeprom.bin"},
            {"KD4410_SIM_DEVICES", std::to_string(transmitters)},
            {"KD4410_SIM_REAL_TIMEOUTS", "1"},
            {"LD_LIBRARY_PATH", ""}};
}

// The files alternate, so that every write really writes (one already held is not written).
void WriteEightAgainstOne(benchmark::State& state) {
    testsupport::TempFolder folder;
    const std::string text[2] = {"21000", "22000"};
    for (int k = 0; k < 2; ++k)
        std::ofstream(folder / ("b" + std::to_string(k) + ".cfg"))
            << "*** KD4410 CONFIG ***\r\np\r\n1000\r\n40000\r\n" << text[k]
            << "\r\n1\r\n80000\r\n60000\r\n2\r\n70000\r\n30000\r\n3\r\n90000\r\n10000\r\n4\r\n";
    double one = 0, eight = 0;
    int k = 0;
    for (auto _ : state) {
        const std::string file = "b" + std::to_string(k++ % 2) + ".cfg";
        one += WallMs(folder.path(), Environment(folder, 1), {"--simulator", "write", file});
        const double ms = WallMs(folder.path(), Environment(folder, Fleet), {"--simulator", "--all", "write", file});
        state.SetIterationTime(ms / 1000);
        eight += ms;
    }
    Report(state, "one_ms", one, "eight_ms", eight);
}

void SerialOfTheEighth(benchmark::State& state) {
    testsupport::TempFolder folder;
    const auto env = Environment(folder, Fleet);
    double byIndex = 0, bySerial = 0;
    for (auto _ : state) {
        byIndex += WallMs(folder.path(), env, {"--simulator", "--device", "7", "info"});
        const double ms = WallMs(folder.path(), env, {"--simulator", "--serial", "12352", "info"});
        state.SetIterationTime(ms / 1000);
        bySerial += ms;
    }
    Report(state, "device_ms", byIndex, "serial_ms", bySerial);
}

}  // namespace

BENCHMARK(WriteEightAgainstOne)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(SerialOfTheEighth)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK_MAIN();
