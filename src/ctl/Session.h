// The tool's link to the transmitters: the USB library bound as the window binds it (or the
// simulated one by path), the choice of transmitters and the connection to each.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/Fix64usb.h"
#include "device/UsbLibrary.h"

namespace ctl {

// The simulated library beside the executable: sim/libmpusbapi.so (sim/mpusbapi.dll on Windows)
// in the build tree and in <libdir>/kd4410 alike; "" when it is not there.
std::string SimulatorLibraryPath();

struct Target {
    uint32_t index = 0;
    uint16_t serial = 0;
};

// MPUSB_OPEN_... of the library's own report, or nothing when the library has no such entry
// point (an older one).
std::optional<uint32_t> LastOpenError(device::UsbLibrarySource& library);

class Session {
public:
    // libraryPath "" binds the library by name as the window does; a path binds exactly that file.
    explicit Session(const std::string& libraryPath);
    explicit Session(std::unique_ptr<device::UsbLibrarySource> library);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Loads the library; raises ToolError (exit 3) when it cannot be loaded.
    void Load();
    uint32_t Count();
    // Connects to the transmitter at index (commands 2 and 4) and reads its serial number;
    // raises ToolError: exit 3 when it is absent, cannot be opened or is in use by another
    // program, exit 4 when it is silent. From then on the session holds the transmitter's claim
    // with a pipe of its own, so that no other program can take it between two conversations
    // (each of which closes and re-opens the link's pipes).
    Target Connect(uint32_t index);
    // The transmitters the options choose: every one (all), the one with serial, or index.
    std::vector<uint32_t> Choose(bool all, std::optional<uint16_t> serial, uint32_t index);

    device::TFix64& link() { return *link_; }

private:
    [[noreturn]] void FailToOpen(uint32_t index, uint32_t count);

    device::UsbLibrarySource* library_;
    std::unique_ptr<device::TFix64> link_;
    uint32_t claim_ = MPUSB_INVALID_HANDLE;
};

}  // namespace ctl
