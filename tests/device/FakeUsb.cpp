#include "FakeUsb.h"

#include "support/StubUsbEntryPoints.h"

#include <algorithm>
#include <cstring>

namespace testsupport {

FakeUsb* FakeUsb::current = nullptr;

FakeUsb::FakeUsb() {
    current = this;
    responder = [](const device::Frame& request) { return Acknowledge(request); };
}

FakeUsb::~FakeUsb() {
    if (current == this) current = nullptr;
}

device::Frame FakeUsb::Acknowledge(const device::Frame& request) {
    device::Frame reply{};
    reply[device::StartByteAt] = device::StartByte;
    reply[device::MasterAt] = request[device::MasterAt];
    reply[device::SlaveAt] = request[device::SlaveAt];
    reply[device::CommandAt] = request[device::CommandAt];
    reply[device::ChecksumAt] = device::FrameCrc(reply);
    return reply;
}

uint32_t FakeUsb::Count(const char* identity) {
    countIdentities.emplace_back(identity);
    return deviceCount;
}

uint32_t FakeUsb::Open(uint32_t index, const char* identity, const char* endpoint, uint32_t direction,
                       uint32_t reserved) {
    opens.push_back({index, identity, endpoint, direction, reserved});
    if (!openResults.empty()) {
        const uint32_t handle = openResults.front();
        openResults.pop_front();
        return handle;
    }
    return nextHandle_++;
}

uint32_t FakeUsb::Read(uint32_t handle, void* buffer, uint32_t length, uint32_t* received, uint32_t timeoutMs) {
    reads.push_back({handle, length, timeoutMs});
    if (pending_.empty() || handle == device::InvalidPipe) return 0;
    const uint32_t delivered = std::min({length, replyBytes, uint32_t{64}});
    std::memcpy(buffer, pending_.front().data(), delivered);
    pending_.pop_front();
    if (received) *received = delivered;
    return 1;
}

uint32_t FakeUsb::Write(uint32_t handle, const void* buffer, uint32_t length, uint32_t timeoutMs) {
    device::Frame frame{};
    std::memcpy(frame.data(), buffer, std::min<uint32_t>(length, 64));
    writes.push_back(frame);
    writeTimeouts.push_back(timeoutMs);
    if (handle == device::InvalidPipe) return 0;
    if (auto reply = responder(frame)) pending_.push_back(*reply);
    return 1;
}

uint32_t FakeUsb::Close(uint32_t handle) {
    closes.push_back(handle);
    return 1;
}

namespace {

uint32_t FakeCount(const char* identity) { return FakeUsb::current->Count(identity); }
uint32_t FakeOpen(uint32_t i, const char* id, const char* ep, uint32_t dir, uint32_t reserved) {
    return FakeUsb::current->Open(i, id, ep, dir, reserved);
}
uint32_t FakeRead(uint32_t h, void* b, uint32_t n, uint32_t* got, uint32_t ms) {
    return FakeUsb::current->Read(h, b, n, got, ms);
}
uint32_t FakeWrite(uint32_t h, const void* b, uint32_t n, uint32_t*, uint32_t ms) {
    return FakeUsb::current->Write(h, b, n, ms);
}
uint32_t FakeClose(uint32_t h) { return FakeUsb::current->Close(h); }

}  // namespace

FakeUsbLibrary::FakeUsbLibrary()
    : TableUsbLibrary(StubEntryPoints(&FakeRead, &FakeWrite, &FakeOpen, &FakeCount, &FakeClose)) {}

void* FakeUsbLibrary::Resolve(const char* name) {
    resolved.emplace_back(name);
    return missing.count(name) ? nullptr : TableUsbLibrary::Resolve(name);
}

std::unique_ptr<device::TFix64> ConnectedLink(FakeUsbLibrary** library) {
    auto source = std::make_unique<FakeUsbLibrary>();
    if (library) *library = source.get();
    auto link = std::make_unique<device::TFix64>(std::move(source));
    link->LoadUsbLibrary();
    link->OpenPipes(0);
    link->SetSlaveAddress(254);
    link->timeoutMs = 250;
    return link;
}

}  // namespace testsupport
