// The simulated transmitters as the USB access library sees them: one or more on the bus, each
// with its pipes and reply queue, and the faults that can be asked for (the same for all).
// Plain C++, so tests drive it directly.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "TransmitterModel.h"

namespace sim {

struct Faults {
    bool attached = true;     // false: no transmitter is attached
    bool silent = false;      // attached, but it never answers
    bool badChecksum = false; // every reply carries a wrong checksum
    std::optional<unsigned long> answersLeft;  // stops answering after this many exchanges
    std::string logFile;      // each request and reply as a line of hex
    bool realTimeouts = false; // a read with no reply waits out its time-out, as a device would
    std::optional<unsigned long> interruptAfter;  // SIGINT to this process on taking that request

    // KD4410_SIM_NO_DEVICE, KD4410_SIM_SILENT, KD4410_SIM_BAD_CHECKSUM, KD4410_SIM_FAIL_AFTER, KD4410_SIM_LOG,
    // KD4410_SIM_REAL_TIMEOUTS, KD4410_SIM_INTERRUPT_AFTER.
    static Faults FromEnvironment();
};

class SimulatedUsbDevice {
public:
    SimulatedUsbDevice(TransmitterModel model, Faults faults);
    // Several transmitters, at the indexes of their order.
    SimulatedUsbDevice(std::vector<TransmitterModel> models, Faults faults);

    uint32_t Count(const char* identity) const;
    // A pipe handle, or 0xFFFFFFFF when there is no such device or another process holds it.
    // A transmitter whose EEPROM is kept in a file is claimed, as a real device's interface
    // is: the first pipe takes an exclusive lock on the file's ".lock" beside it, the last one
    // closed gives it back, and meanwhile no other process can open it.
    uint32_t Open(uint32_t index, const char* identity, const char* endpoint, uint32_t direction);
    // MPUSB_OPEN_OK, MPUSB_OPEN_NOT_FOUND after an open that found no device, MPUSB_OPEN_BUSY
    // after one that found it claimed by another process.
    uint32_t LastOpenError() const { return lastOpenError_; }
    bool Close(uint32_t handle);
    bool Write(uint32_t handle, const uint8_t* data, uint32_t length);
    // Fails when no reply waits: at once, or after timeoutMs with realTimeouts. With wait given,
    // the wait is not done but told (the time-out in ms, or 0), for a caller that waits
    // without holding a lock others need.
    bool Read(uint32_t handle, uint8_t* data, uint32_t length, uint32_t* received, uint32_t timeoutMs,
              uint32_t* wait = nullptr);

    TransmitterModel& model(size_t index = 0) { return units_.at(index).model; }

private:
    struct Unit {
        TransmitterModel model;
        std::deque<device::Frame> replies;
        std::string claimFile;  // "" for a transmitter kept in memory only
        std::intptr_t claim = -1;  // the locked file (descriptor or handle) while this process holds the claim
        size_t pipes = 0;
    };
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    void Log(char direction, const device::Frame& frame);

    std::vector<Unit> units_;
    Faults faults_;
    std::unique_ptr<std::FILE, FileCloser> log_;
    std::map<uint32_t, size_t> readPipes_, writePipes_;  // handle -> unit
    uint32_t nextHandle_ = 1;
    uint32_t lastOpenError_ = 0;
    unsigned long requests_ = 0;

public:
    ~SimulatedUsbDevice();
    SimulatedUsbDevice(const SimulatedUsbDevice&) = delete;
    SimulatedUsbDevice& operator=(const SimulatedUsbDevice&) = delete;
};

}  // namespace sim
