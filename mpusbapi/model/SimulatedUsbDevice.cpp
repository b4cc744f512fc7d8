#include "SimulatedUsbDevice.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <csignal>
#include <chrono>
#include <thread>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "SimEnvironment.h"
#include "mpusbapi.h"
#include "platform/Paths.h"

namespace sim {
namespace {

bool Flag(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' && std::strcmp(value, "0") != 0;
}

std::optional<unsigned long> Number(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] == '\0') return std::nullopt;
    char* end = nullptr;
    const unsigned long n = std::strtoul(value, &end, 10);
    return *end == '\0' ? std::optional<unsigned long>(n) : std::nullopt;
}

bool IsTransmitter(const char* identity) {
    if (identity == nullptr) return false;
    std::string lower(identity);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower.find("vid_04d8") != std::string::npos && lower.find("pid_000c") != std::string::npos;
}

// A transmitter's claim: an exclusive lock on its claim file, created when missing, held until
// given back (flock on Linux, LockFileEx on Windows; both end with the process).
constexpr std::intptr_t NoClaim = -1;

// The claim, or NoClaim with busy telling whether another holds it (false: the file cannot
// be had at all, a read-only folder say).
std::intptr_t TakeClaim(const std::string& file, bool* busy) {
    *busy = false;
#ifdef _WIN32
    const HANDLE handle = CreateFileW(platform::PathFromUtf8(file).wstring().c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return NoClaim;
    OVERLAPPED whole{};
    if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole)) {
        CloseHandle(handle);
        *busy = true;
        return NoClaim;
    }
    return reinterpret_cast<std::intptr_t>(handle);
#else
    const int fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return NoClaim;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        *busy = true;
        return NoClaim;
    }
    return fd;
#endif
}

void GiveBackClaim(std::intptr_t claim) {
    if (claim == NoClaim) return;
#ifdef _WIN32
    const HANDLE handle = reinterpret_cast<HANDLE>(claim);
    OVERLAPPED whole{};
    UnlockFileEx(handle, 0, MAXDWORD, MAXDWORD, &whole);  // at once, not whenever the system closes it
    CloseHandle(handle);
#else
    close(static_cast<int>(claim));
#endif
}

}  // namespace

Faults Faults::FromEnvironment() {
    Faults faults;
    faults.attached = !Flag("KD4410_SIM_NO_DEVICE");
    faults.silent = Flag("KD4410_SIM_SILENT");
    faults.badChecksum = Flag("KD4410_SIM_BAD_CHECKSUM");
    faults.answersLeft = Number("KD4410_SIM_FAIL_AFTER");
    faults.logFile = EnvironmentText("KD4410_SIM_LOG");
    faults.realTimeouts = Flag("KD4410_SIM_REAL_TIMEOUTS");
    faults.interruptAfter = Number("KD4410_SIM_INTERRUPT_AFTER");
    return faults;
}

SimulatedUsbDevice::SimulatedUsbDevice(TransmitterModel model, Faults faults)
    : SimulatedUsbDevice([&model] {
          std::vector<TransmitterModel> one;
          one.push_back(std::move(model));
          return one;
      }(),
                         std::move(faults)) {}

SimulatedUsbDevice::SimulatedUsbDevice(std::vector<TransmitterModel> models, Faults faults)
    : faults_(std::move(faults)) {
    for (TransmitterModel& model : models) {
        const std::string file = model.file();
        units_.push_back({std::move(model), {}, file.empty() ? std::string() : file + ".lock", NoClaim, 0});
    }
    if (!faults_.logFile.empty()) log_.reset(platform::OpenFile(faults_.logFile, "ab"));
}

SimulatedUsbDevice::~SimulatedUsbDevice() {
    for (Unit& unit : units_) GiveBackClaim(unit.claim);
}

uint32_t SimulatedUsbDevice::Count(const char* identity) const {
    return faults_.attached && IsTransmitter(identity) ? static_cast<uint32_t>(units_.size()) : 0;
}

uint32_t SimulatedUsbDevice::Open(uint32_t index, const char* identity, const char* endpoint, uint32_t direction) {
    if (!faults_.attached || index >= units_.size() || !IsTransmitter(identity)) {
        lastOpenError_ = MPUSB_OPEN_NOT_FOUND;
        return MPUSB_INVALID_HANDLE;
    }
    if (endpoint == nullptr || std::strstr(endpoint, "MCHP_EP1") == nullptr) {
        lastOpenError_ = MPUSB_OPEN_FAILED;
        return MPUSB_INVALID_HANDLE;
    }
    Unit& unit = units_[index];
    if (unit.pipes == 0 && !unit.claimFile.empty()) {
        // A claim file that cannot be made (a read-only folder) claims nothing, as before.
        bool busy = false;
        unit.claim = TakeClaim(unit.claimFile, &busy);
        if (busy) {
            lastOpenError_ = MPUSB_OPEN_BUSY;
            return MPUSB_INVALID_HANDLE;
        }
    }
    ++unit.pipes;
    lastOpenError_ = MPUSB_OPEN_OK;
    const uint32_t handle = nextHandle_++;
    (direction == MPUSB_DIRECTION_READ ? readPipes_ : writePipes_)[handle] = index;
    return handle;
}

bool SimulatedUsbDevice::Close(uint32_t handle) {
    size_t index = 0;
    if (auto it = readPipes_.find(handle); it != readPipes_.end()) {
        index = it->second;
        readPipes_.erase(it);
    } else if (auto w = writePipes_.find(handle); w != writePipes_.end()) {
        index = w->second;
        writePipes_.erase(w);
    } else {
        return false;
    }
    Unit& unit = units_[index];
    if (--unit.pipes == 0) {
        GiveBackClaim(unit.claim);
        unit.claim = NoClaim;
    }
    return true;
}

bool SimulatedUsbDevice::Write(uint32_t handle, const uint8_t* data, uint32_t length) {
    const auto pipe = writePipes_.find(handle);
    if (pipe == writePipes_.end() || data == nullptr || length != device::FrameSize) return false;
    Unit& unit = units_[pipe->second];
    device::Frame request;
    std::copy_n(data, device::FrameSize, request.begin());
    Log('>', request);
    // As if Ctrl-C came while this exchange is under way: the C runtime hands SIGINT to the
    // handler the program set with signal(), on Windows as on Linux.
    if (faults_.interruptAfter && ++requests_ == *faults_.interruptAfter) std::raise(SIGINT);
    if (faults_.silent || (faults_.answersLeft && *faults_.answersLeft == 0)) return true;
    std::optional<device::Frame> reply = unit.model.Respond(request);
    if (!reply) return true;
    if (faults_.answersLeft) --*faults_.answersLeft;
    if (faults_.badChecksum) (*reply)[device::ChecksumAt] ^= 0xFF;
    unit.replies.push_back(*reply);
    return true;
}

bool SimulatedUsbDevice::Read(uint32_t handle, uint8_t* data, uint32_t length, uint32_t* received,
                              uint32_t timeoutMs, uint32_t* wait) {
    if (received) *received = 0;
    if (wait) *wait = 0;
    const auto pipe = readPipes_.find(handle);
    if (pipe == readPipes_.end() || data == nullptr) return false;
    std::deque<device::Frame>& replies = units_[pipe->second].replies;
    if (replies.empty()) {
        if (faults_.realTimeouts && wait) *wait = timeoutMs;
        else if (faults_.realTimeouts) std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        return false;
    }
    const device::Frame reply = replies.front();
    replies.pop_front();
    Log('<', reply);
    const uint32_t n = std::min<uint32_t>(length, device::FrameSize);
    std::copy_n(reply.begin(), n, data);
    if (received) *received = n;
    return true;
}

void SimulatedUsbDevice::Log(char direction, const device::Frame& frame) {
    if (!log_) return;
    std::fprintf(log_.get(), "%c ", direction);
    for (uint8_t b : frame) std::fprintf(log_.get(), "%02X", b);
    std::fputc('\n', log_.get());
    std::fflush(log_.get());
}

}  // namespace sim
