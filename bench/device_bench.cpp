// The device link's own cost: building a request and checking its reply (CPU only, through
// in-process entry points that answer at once), and one exchange through the simulated
// transmitter library.
#include <benchmark/benchmark.h>

#include <cstring>

#include "device/Fix64usb.h"
#include "SimulatorLibrary.h"
#include "support/StubUsbEntryPoints.h"
#include "support/TableUsbLibrary.h"

namespace {

device::Frame pendingReply;
bool replyWaiting = false;

uint32_t Write(uint32_t, const void* buffer, uint32_t, uint32_t*, uint32_t) {
    // Acknowledge: the request's addresses and command, a fresh checksum.
    std::memcpy(pendingReply.data(), buffer, device::FrameSize);
    std::memset(pendingReply.data() + device::Parameter1At, 0, device::ChecksumAt - device::Parameter1At);
    pendingReply[device::ChecksumAt] = device::FrameCrc(pendingReply);
    replyWaiting = true;
    return 1;
}
uint32_t Read(uint32_t, void* buffer, uint32_t, uint32_t* received, uint32_t) {
    if (!replyWaiting) return 0;
    std::memcpy(buffer, pendingReply.data(), device::FrameSize);
    *received = device::FrameSize;
    replyWaiting = false;
    return 1;
}

void Connect(device::TFix64& link) {
    link.LoadUsbLibrary();
    link.OpenPipes(0);
    link.SetSlaveAddress(254);
    link.timeoutMs = 250;
}

void BM_RequestAndReplyCheck(benchmark::State& state) {
    device::TFix64 link(std::make_unique<testsupport::TableUsbLibrary>(testsupport::StubEntryPoints(&Read, &Write)));
    Connect(link);
    uint8_t block[36];
    for (auto _ : state) {
        link.ReadEeprom(67, block, 36);
        benchmark::DoNotOptimize(block);
    }
}
BENCHMARK(BM_RequestAndReplyCheck);

void BM_FrameCrc(benchmark::State& state) {
    device::Frame frame{};
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i * 7);
    for (auto _ : state) benchmark::DoNotOptimize(device::FrameCrc(frame));
}
BENCHMARK(BM_FrameCrc);

void BM_TransactThroughSimulator(benchmark::State& state) {
    setenv("KD4410_SIM_EEPROM", "/dev/null/none", 1);  // no file: the EEPROM stays in memory
    device::TFix64 link(std::make_unique<SimulatorLibrary>());
    Connect(link);
    for (auto _ : state) benchmark::DoNotOptimize(link.Command1());
}
BENCHMARK(BM_TransactThroughSimulator);

}  // namespace

BENCHMARK_MAIN();
