// kd4410ctl write + verify on the simulated library with real time-outs, against its floor.
//
// Every conversation opens the pipes afresh, and closing them drains stale input with three
// reads of 100 ms each: with real time-outs that is 300 ms per conversation. A write of one
// transmitter holds four conversations (serial number, the read before writing, the write,
// the read-back); its exchanges cost next to nothing in process. Floor: 4 x 300 ms per
// transmitter, plus the same run's cost without real time-outs (start-up and exchanges).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "ctl/ToolRunner.h"

namespace {

constexpr double DrainMs = 3 * 100;
constexpr int ConversationsPerWrite = 4;

double WallMs(const std::string& folder, const std::map<std::string, std::string>& env,
              const std::vector<std::string>& args) {
    const auto start = std::chrono::steady_clock::now();
    const testsupport::Outcome o = testsupport::RunProgram(KD4410CTL, args, env, folder);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (o.exit != 0) throw std::runtime_error("kd4410ctl failed: " + o.err);
    return ms;
}

void WriteAndVerify(benchmark::State& state) {
    const int transmitters = static_cast<int>(state.range(0));
    testsupport::TempFolder folder;
    std::ofstream(folder / "b.cfg") << "*** KD4410 CONFIG ***\r\np\r\n1000\r\n40000\r\n21000\r\n1\r\n80000\r\n"
                                       "60000\r\n2\r\n70000\r\n30000\r\n3\r\n90000\r\n10000\r\n4\r\n";
    std::map<std::string, std::string> env = {{"KD4410_SIM_EEPROM", folder / "eeprom.bin"},
                                              {"KD4410_SIM_DEVICES", std::to_string(transmitters)},
                                              {"LD_LIBRARY_PATH", ""}};
    std::vector<std::string> args = {"--simulator", "write", "b.cfg"};
    if (transmitters > 1) args.insert(args.begin() + 1, "--all");
    const double processMs = WallMs(folder.path(), env, args);  // no real time-outs: start-up and exchanges
    env["KD4410_SIM_REAL_TIMEOUTS"] = "1";
    double total = 0;
    for (auto _ : state) {
        const double ms = WallMs(folder.path(), env, args);
        state.SetIterationTime(ms / 1000);
        total += ms;
    }
    const double wall = total / static_cast<double>(state.iterations());
    const double floor = transmitters * ConversationsPerWrite * DrainMs + processMs;
    state.counters["wall_ms"] = wall;
    state.counters["floor_ms"] = floor;
    state.counters["over_floor_pct"] = 100 * (wall - floor) / floor;
}

}  // namespace

BENCHMARK(WriteAndVerify)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK_MAIN();
