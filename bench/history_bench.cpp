// The commissioning history: appending one record to the local file (each a transaction that
// reaches the disk), and the query behind `kd4410ctl history --serial S` over 100,000 records.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "history/HistoryStore.h"

namespace {

history::Record SampleRecord(uint16_t serial, int64_t time) {
    history::Record r;
    r.uid = std::to_string(serial) + "-" + std::to_string(time) + "-" + std::to_string(std::rand());
    r.timeUtcMs = time;
    r.user = "operator";
    r.host = "bench";
    r.program = "kd4410ctl";
    r.version = "23.0.0.0";
    r.serial = serial;
    r.operation = history::Operation::Write;
    r.result = history::Result::Verified;
    config::DeviceConfiguration c;
    c.nominalRange = 250000;
    c.specificGravity = 1000;
    for (size_t i = 0; i < config::OutputCount; ++i) c.outputs[i] = {float(i) * 1000, float(i) * 2000 + 500, 1};
    r.asFound = c;
    c.outputs[0].lower = 1234;
    r.asLeft = c;
    r.fileName = "a.cfg";
    r.fileSha256 = std::string(64, 'f');
    return r;
}

// In the build folder, on this machine's disk (not a tmpfs /tmp).
std::string Folder(const char* name) {
    const std::string folder = std::filesystem::current_path().string() + "/" + name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

void BM_AppendRecord(benchmark::State& state) {
    const std::string folder = Folder("history-bench-append");
    std::string error;
    auto store = history::HistoryStore::Open(folder + "/history.sqlite", error);
    if (!store) return state.SkipWithError(error.c_str());
    int64_t time = 1'700'000'000'000;
    for (auto _ : state) {
        history::Record r = SampleRecord(12345, ++time);
        if (!store->Append(r).empty()) return state.SkipWithError("append failed");
    }
    store.reset();
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_AppendRecord)->Unit(benchmark::kMillisecond)->MinTime(2);

// 100,000 records of 1000 transmitters, 100 each; the listing of one of them, opening included,
// as the tool does it.
void BM_HistoryOfOneSerial(benchmark::State& state) {
    const std::string folder = Folder("history-bench-query");
    const std::string path = folder + "/history.sqlite";
    {
        std::string error;
        auto store = history::HistoryStore::Open(path, error);
        if (!store) return state.SkipWithError(error.c_str());
        std::vector<history::Record> batch;
        for (int i = 0; i < 100'000; ++i) batch.push_back(SampleRecord(uint16_t(10000 + i % 1000), 1'600'000'000'000 + i));
        if (!store->AppendAll(batch).empty()) return state.SkipWithError("filling failed");
    }
    for (auto _ : state) {
        std::string error;
        auto store = history::HistoryStore::Open(path, error);
        std::vector<history::Record> records;
        store->Query({10500, std::nullopt, 0}, records);
        if (records.size() != 100) return state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(records.data());
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_HistoryOfOneSerial)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
