// In-process stand-ins for the USB access library's entry points: a scripted device that
// records every call and answers each request through a responder.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "device/Fix64usb.h"
#include "support/TableUsbLibrary.h"

namespace testsupport {

struct OpenCall {
    uint32_t index;
    std::string identity;
    std::string endpoint;
    uint32_t direction;
    uint32_t reserved;
};

struct ReadCall {
    uint32_t handle;
    uint32_t length;
    uint32_t timeoutMs;
};

class FakeUsb {
public:
    FakeUsb();
    ~FakeUsb();
    FakeUsb(const FakeUsb&) = delete;
    FakeUsb& operator=(const FakeUsb&) = delete;

    // What the device does with a request: a reply, or nothing (silence).
    std::function<std::optional<device::Frame>(const device::Frame&)> responder;
    uint32_t deviceCount = 1;
    std::deque<uint32_t> openResults;  // handles the next opens yield; empty: 10, 11, 12, ...
    uint32_t replyBytes = 64;          // bytes a read delivers of each reply (fewer: a short read)

    std::vector<OpenCall> opens;
    std::vector<ReadCall> reads;
    std::vector<device::Frame> writes;
    std::vector<uint32_t> writeTimeouts;
    std::vector<uint32_t> closes;
    std::vector<std::string> countIdentities;

    // A valid reply to request: echoed addresses and command, correct checksum.
    static device::Frame Acknowledge(const device::Frame& request);

    // --- called through the entry points
    uint32_t Count(const char* identity);
    uint32_t Open(uint32_t index, const char* identity, const char* endpoint, uint32_t direction, uint32_t reserved);
    uint32_t Read(uint32_t handle, void* buffer, uint32_t length, uint32_t* received, uint32_t timeoutMs);
    uint32_t Write(uint32_t handle, const void* buffer, uint32_t length, uint32_t timeoutMs);
    uint32_t Close(uint32_t handle);

    static FakeUsb* current;

private:
    std::deque<device::Frame> pending_;
    uint32_t nextHandle_ = 10;
};

// A library source whose entry points lead to FakeUsb::current.
class FakeUsbLibrary final : public TableUsbLibrary {
public:
    FakeUsbLibrary();
    bool loadable = true;
    std::set<std::string> missing;  // entry points the library lacks
    int loads = 0;
    std::vector<std::string> resolved;

    bool Load() override {
        ++loads;
        return loadable;
    }
    void* Resolve(const char* name) override;
};

// A TFix64 bound to the fake, connected as the program connects: slave 254, 250 ms time-out.
std::unique_ptr<device::TFix64> ConnectedLink(FakeUsbLibrary** library = nullptr);

}  // namespace testsupport
