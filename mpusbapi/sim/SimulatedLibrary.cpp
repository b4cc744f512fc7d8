// The USB access library (libmpusbapi.so, mpusbapi.dll) answered by a simulated transmitter
// instead of a USB device.
//
// Environment (read once, by this library only):
//   KD4410_SIM_EEPROM=FILE      where the EEPROM is kept (default kd4410-sim/eeprom.bin in the state
//                               folder: $XDG_STATE_HOME or ~/.local/state, on Windows LocalAppData)
//   KD4410_SIM_DEVICES=N        N transmitters, serial numbers 12345, 12346, ...; the second keeps
//                               its EEPROM in eeprom-2.bin beside the first, and so on
//   KD4410_SIM_NO_DEVICE=1      no transmitter is attached
//   KD4410_SIM_SILENT=1         the transmitter is attached but never answers
//   KD4410_SIM_BAD_CHECKSUM=1   every reply carries a wrong checksum
//   KD4410_SIM_FAIL_AFTER=N     the transmitter stops answering after N exchanges
//   KD4410_SIM_LOG=FILE         each request ("> ") and reply ("< ") is appended as a line of hex
//   KD4410_SIM_REAL_TIMEOUTS=1  a read with no reply waits out its time-out instead of failing at once
//   KD4410_SIM_INTERRUPT_AFTER=N  SIGINT raised in this process as it sends its Nth request (a
//                               Ctrl-C that comes while an exchange is under way)
//
// Each transmitter kept in a file is claimed by the process that opens it (a lock on FILE.lock:
// flock on Linux, LockFileEx on Windows) until its last pipe is closed; another process's open
// then fails, and MPUSBGetLastOpenError says MPUSB_OPEN_BUSY, as the USB library says of a
// device whose interface another program holds.
//
// Safe for calls from several threads: one lock guards the transmitters, and a read that waits
// out its time-out waits without it, so that threads talking to different transmitters do not
// wait for each other. MPUSBGetLastOpenError tells the calling thread's last open.
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>
#include <string>

#include "SimulatedUsbDevice.h"
#include "mpusbapi.h"

namespace {

struct Simulation {
    std::mutex mutex;
    sim::SimulatedUsbDevice device{sim::ModelsFromEnvironment(), sim::Faults::FromEnvironment()};
};

Simulation& Sim() {
    static Simulation simulation;
    return simulation;
}

thread_local uint32_t lastOpenError = MPUSB_OPEN_OK;

}  // namespace

extern "C" {

uint32_t _MPUSBGetDLLVersion(void) { return 0x00010000u; }

uint32_t _MPUSBGetDeviceCount(const char* identity) {
    std::lock_guard lock(Sim().mutex);
    return Sim().device.Count(identity);
}

uint32_t _MPUSBOpen(uint32_t index, const char* identity, const char* endpoint, uint32_t direction, uint32_t) {
    std::lock_guard lock(Sim().mutex);
    const uint32_t handle = Sim().device.Open(index, identity, endpoint, direction);
    lastOpenError = Sim().device.LastOpenError();
    return handle;
}

uint32_t _MPUSBRead(uint32_t handle, void* buffer, uint32_t length, uint32_t* received, uint32_t timeoutMs) {
    uint32_t wait = 0;
    bool ok = false;
    {
        std::lock_guard lock(Sim().mutex);
        ok = Sim().device.Read(handle, static_cast<uint8_t*>(buffer), length, received, timeoutMs, &wait);
    }
    if (wait > 0) std::this_thread::sleep_for(std::chrono::milliseconds(wait));
    return ok ? 1 : 0;
}

uint32_t _MPUSBReadInt(uint32_t handle, void* buffer, uint32_t length, uint32_t* received, uint32_t timeoutMs) {
    return _MPUSBRead(handle, buffer, length, received, timeoutMs);
}

uint32_t _MPUSBWrite(uint32_t handle, const void* buffer, uint32_t length, uint32_t* sent, uint32_t) {
    std::lock_guard lock(Sim().mutex);
    const bool ok = Sim().device.Write(handle, static_cast<const uint8_t*>(buffer), length);
    if (sent) *sent = ok ? length : 0;
    return ok ? 1 : 0;
}

uint32_t _MPUSBClose(uint32_t handle) {
    std::lock_guard lock(Sim().mutex);
    return Sim().device.Close(handle) ? 1 : 0;
}

uint32_t MPUSBGetLastOpenError(void) { return lastOpenError; }

uint32_t _MPUSBSetConfiguration(uint32_t, uint32_t configuration) { return configuration == 1 ? 1 : 0; }

uint32_t _MPUSBGetStringDescriptor(uint32_t, uint32_t index, uint32_t, void* buffer, uint32_t length,
                                   uint32_t* received) {
    if (received) *received = 0;
    // Descriptor 0 lists the languages (US English); 1 and 2 name the maker and the product.
    std::string descriptor;
    if (index == 0) {
        descriptor = {4, 3, 0x09, 0x04};
    } else if (index == 1 || index == 2) {
        const char* text = index == 1 ? "KD4410" : "KD4410 simulated transmitter";
        descriptor = {static_cast<char>(2 + 2 * std::strlen(text)), 3};
        for (const char* c = text; *c != '\0'; ++c) descriptor += std::string{*c, '\0'};
    } else {
        return 0;
    }
    if (buffer == nullptr || length < descriptor.size()) return 0;
    std::memcpy(buffer, descriptor.data(), descriptor.size());
    if (received) *received = static_cast<uint32_t>(descriptor.size());
    return 1;
}

}  // extern "C"
