#include "ctl/Session.h"

#include <filesystem>
#include <system_error>

#include "ctl/ToolError.h"
#include "mpusbapi.h"
#include "platform/DynamicLibrary.h"
#include "platform/Folders.h"
#include "platform/Paths.h"
#include "platform/UsbAccess.h"
#include "polling/Link.h"

namespace ctl {

std::optional<uint32_t> LastOpenError(device::UsbLibrarySource& library) {
    const auto report = reinterpret_cast<MPUSBGetLastOpenErrorFn>(library.Resolve("MPUSBGetLastOpenError"));
    if (report == nullptr) return std::nullopt;
    return report();
}

std::string SimulatorLibraryPath() {
    const std::string folder = platform::ExecutableFolder();
    if (folder.empty()) return {};
    const std::string path = platform::JoinPath(folder, "sim/" + platform::UsbLibraryFileName());
    std::error_code error;
    return std::filesystem::is_regular_file(platform::PathFromUtf8(path), error) ? path : std::string();
}

Session::Session(const std::string& libraryPath) : Session(std::make_unique<device::DynamicUsbLibrary>(libraryPath)) {}

Session::Session(std::unique_ptr<device::UsbLibrarySource> library)
    : library_(library.get()), link_(std::make_unique<device::TFix64>(std::move(library))) {}

Session::~Session() {
    if (claim_ != MPUSB_INVALID_HANDLE && link_->entryPoints.close) link_->entryPoints.close(claim_);
}

void Session::Load() {
    try {
        link_->LoadUsbLibrary();
    } catch (const device::DeviceError&) {
        throw ToolError(ExitNoAccess, "cannot load the USB library " + platform::UsbLibraryFileName() +
                                          "; reinstall kd4410, or use --simulator for the simulated transmitter");
    }
}

uint32_t Session::Count() { return link_->CountDevices(); }

void Session::FailToOpen(uint32_t index, uint32_t count) {
    const std::string which = "transmitter at index " + std::to_string(index);
    const std::optional<uint32_t> reason = LastOpenError(*library_);
    if (reason == MPUSB_OPEN_NO_ACCESS)
        throw ToolError(ExitNoAccess, "no access to the " + which + " (" + platform::UsbAccessReason() + "); " +
                                          platform::UsbAccessFix());
    if (reason == MPUSB_OPEN_BUSY)
        throw ToolError(ExitNoAccess, "the " + which + " is in use by another program; close it (kd4410?) and retry");
    if (!reason && count == 0)
        throw ToolError(ExitNoAccess, "no transmitter found: none is attached, or this user may not open it; "
                                      "attach one, or " + std::string(platform::UsbAccessHint()));
    if (reason == MPUSB_OPEN_NOT_FOUND || count <= index)
        throw ToolError(ExitNoAccess, count == 0 ? "no transmitter is attached; attach one (or use --simulator)"
                                                 : "no " + which + ": " + std::to_string(count) +
                                                       " attached; see kd4410ctl list");
    throw ToolError(ExitNoAnswer, "the " + which + " does not answer; check its cable and power");
}

Target Session::Connect(uint32_t index) {
    const polling::Connection connection = polling::Connect(*link_, index);
    if (!connection.answered) FailToOpen(index, connection.deviceCount);
    if (claim_ == MPUSB_INVALID_HANDLE && link_->entryPoints.open)
        claim_ = link_->entryPoints.open(index, device::DeviceIdentity, device::DeviceEndpoint, MPUSB_DIRECTION_READ, 0);
    try {
        return {index, polling::ReadSerialNumber(*link_, index)};
    } catch (const device::DeviceError& e) {
        throw ToolError(ExitNoAnswer, "the transmitter at index " + std::to_string(index) +
                                        " does not tell its serial number (" + e.what() + ")");
    }
}

std::vector<uint32_t> Session::Choose(bool all, std::optional<uint16_t> serial, uint32_t index) {
    const uint32_t count = Count();
    if (!all && !serial) return {index};
    if (count == 0) FailToOpen(0, 0);
    std::vector<uint32_t> chosen;
    for (uint32_t i = 0; i < count; ++i) {
        if (all) {
            chosen.push_back(i);
            continue;
        }
        try {
            if (Connect(i).serial == *serial) return {i};
        } catch (const ToolError&) {
            // a transmitter that cannot tell its number is not the one wanted
        }
    }
    if (!all) throw ToolError(ExitNoAccess, "no attached transmitter has the serial number " +
                                                std::to_string(*serial) + "; see kd4410ctl list");
    return chosen;
}

}  // namespace ctl
