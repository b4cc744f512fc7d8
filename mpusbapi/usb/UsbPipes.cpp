// libmpusbapi.so on libusb-1.0: pipes to a USB device named by its vendor and product identity.
//
// Both pipes of a device share one libusb handle with interface 0 claimed; the device is
// released with its last pipe. Every transfer is one buffer with the endpoint's own transfer
// type and a time-out; a time-out, stall, vanished device or missing permission is a failure.
// Why the last open failed is kept, per thread, for MPUSBGetLastOpenError.
//
// Safe for calls from several threads: one lock guards the tables of pipes and connections,
// and a transfer runs without it (its connection kept alive by the pipe's share of it), so
// that threads talking to different devices do not wait out each other's time-outs.
#include <libusb.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "mpusbapi.h"

namespace {

struct Identity {
    uint16_t vendor = 0;
    uint16_t product = 0;
};

// "vid_04d8&pid_000c": hexadecimal, any case.
std::optional<uint16_t> HexAfter(const std::string& lower, const char* key) {
    const size_t at = lower.find(key);
    if (at == std::string::npos) return std::nullopt;
    const size_t start = at + std::strlen(key);
    size_t end = start;
    while (end < lower.size() && end - start < 4 && std::isxdigit(static_cast<unsigned char>(lower[end]))) ++end;
    if (end == start) return std::nullopt;
    return static_cast<uint16_t>(std::strtoul(lower.substr(start, end - start).c_str(), nullptr, 16));
}

std::optional<Identity> ParseIdentity(const char* text) {
    if (text == nullptr) return std::nullopt;
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    const auto vendor = HexAfter(lower, "vid_");
    const auto product = HexAfter(lower, "pid_");
    if (!vendor || !product) return std::nullopt;
    return Identity{*vendor, *product};
}

// "\MCHP_EP1": endpoint number 1; read is IN 0x81, write is OUT 0x01.
std::optional<uint8_t> ParseEndpoint(const char* text, uint32_t direction) {
    if (text == nullptr) return std::nullopt;
    const char* at = std::strstr(text, "MCHP_EP");
    if (at == nullptr) return std::nullopt;
    char* end = nullptr;
    const unsigned long number = std::strtoul(at + 7, &end, 10);
    if (end == at + 7 || *end != '\0' || number == 0 || number > 15) return std::nullopt;
    return static_cast<uint8_t>(number | (direction == MPUSB_DIRECTION_READ ? LIBUSB_ENDPOINT_IN : 0));
}

// What a failed libusb_open or libusb_claim_interface means to the caller.
uint32_t OpenErrorOf(int rc) {
    switch (rc) {
        case LIBUSB_ERROR_ACCESS:
            return MPUSB_OPEN_NO_ACCESS;
        case LIBUSB_ERROR_BUSY:
            return MPUSB_OPEN_BUSY;
        case LIBUSB_ERROR_NO_DEVICE:  // it left between the listing and the open
            return MPUSB_OPEN_NOT_FOUND;
        default:
            return MPUSB_OPEN_FAILED;
    }
}

// One opened device, shared by its pipes.
class Connection {
public:
    explicit Connection(libusb_device_handle* handle) : handle_(handle) {}
    ~Connection() {
        libusb_release_interface(handle_, 0);
        libusb_close(handle_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    libusb_device_handle* handle() const { return handle_; }
    std::atomic<bool> gone{false};  // the device vanished; a new open must not reuse this connection

private:
    libusb_device_handle* handle_;
};

struct Pipe {
    std::shared_ptr<Connection> connection;
    uint8_t endpoint = 0;
    uint8_t transferType = LIBUSB_TRANSFER_TYPE_BULK;
};

struct DeviceListDeleter {
    void operator()(libusb_device** list) const { libusb_free_device_list(list, 1); }
};

struct ConfigDeleter {
    void operator()(libusb_config_descriptor* config) const { libusb_free_config_descriptor(config); }
};

class Library {
public:
    Library() {
        if (libusb_init(&context_) != 0) context_ = nullptr;
    }

    uint32_t Count(const char* identityText) {
        const auto identity = ParseIdentity(identityText);
        if (!context_ || !identity) return 0;
        libusb_device** raw = nullptr;
        const ssize_t n = libusb_get_device_list(context_, &raw);
        if (n < 0) return 0;
        std::unique_ptr<libusb_device*, DeviceListDeleter> list(raw);
        uint32_t count = 0;
        for (ssize_t i = 0; i < n; ++i) count += Matches(raw[i], *identity) ? 1 : 0;
        return count;
    }

    uint32_t Open(uint32_t index, const char* identityText, const char* endpointText, uint32_t direction) {
        uint32_t handle = MPUSB_INVALID_HANDLE;
        lastOpenError_ = OpenPipe(index, identityText, endpointText, direction, handle);
        return handle;
    }

    static uint32_t LastOpenError() { return lastOpenError_; }

    bool Close(uint32_t handle) {
        auto it = pipes_.find(handle);
        if (it == pipes_.end()) return false;
        pipes_.erase(it);
        DropUnusedConnections();
        return true;
    }

    // The pipe as it stands, for a transfer made without the lock; nothing for an unknown handle.
    std::optional<Pipe> PipeOf(uint32_t handle) {
        std::lock_guard lock(mutex);
        const auto it = pipes_.find(handle);
        if (it == pipes_.end()) return std::nullopt;
        return it->second;
    }

    // Called without the lock: the copy of the pipe keeps its connection open meanwhile.
    static bool Transfer(const std::optional<Pipe>& found, uint8_t* buffer, uint32_t length, uint32_t* count,
                         uint32_t timeoutMs, bool wantIn, std::optional<uint8_t> forcedType = std::nullopt) {
        if (count) *count = 0;
        if (!found || buffer == nullptr) return false;
        const Pipe& pipe = *found;
        if (((pipe.endpoint & LIBUSB_ENDPOINT_IN) != 0) != wantIn) return false;
        if (pipe.connection->gone) return false;
        int transferred = 0;
        const uint8_t type = forcedType.value_or(pipe.transferType);
        const int length32 = static_cast<int>(std::min<uint32_t>(length, 0x7FFFFFFF));
        const int rc = type == LIBUSB_TRANSFER_TYPE_INTERRUPT
                           ? libusb_interrupt_transfer(pipe.connection->handle(), pipe.endpoint, buffer, length32,
                                                       &transferred, timeoutMs)
                           : libusb_bulk_transfer(pipe.connection->handle(), pipe.endpoint, buffer, length32,
                                                  &transferred, timeoutMs);
        if (count) *count = static_cast<uint32_t>(std::max(transferred, 0));
        if (rc == LIBUSB_ERROR_NO_DEVICE) pipe.connection->gone = true;
        return rc == 0;
    }

    bool SetConfiguration(uint32_t handle, uint32_t configuration) {
        auto it = pipes_.find(handle);
        if (it == pipes_.end()) return false;
        return libusb_set_configuration(it->second.connection->handle(), static_cast<int>(configuration)) == 0;
    }

    bool StringDescriptor(uint32_t handle, uint32_t index, uint32_t languageId, uint8_t* buffer, uint32_t length,
                          uint32_t* received) {
        if (received) *received = 0;
        auto it = pipes_.find(handle);
        if (it == pipes_.end() || buffer == nullptr) return false;
        const int rc = libusb_get_string_descriptor(it->second.connection->handle(), static_cast<uint8_t>(index),
                                                    static_cast<uint16_t>(languageId), buffer,
                                                    static_cast<int>(std::min<uint32_t>(length, 255)));
        if (rc < 0) return false;
        if (received) *received = static_cast<uint32_t>(rc);
        return true;
    }

    std::mutex mutex;

private:
    // Opens a pipe into handle; the result says why it failed, MPUSB_OPEN_OK when it did not.
    uint32_t OpenPipe(uint32_t index, const char* identityText, const char* endpointText, uint32_t direction,
                      uint32_t& handle) {
        const auto identity = ParseIdentity(identityText);
        const auto endpoint = ParseEndpoint(endpointText, direction);
        if (!context_ || !identity || !endpoint) return MPUSB_OPEN_FAILED;
        libusb_device** raw = nullptr;
        const ssize_t n = libusb_get_device_list(context_, &raw);
        if (n < 0) return MPUSB_OPEN_FAILED;
        std::unique_ptr<libusb_device*, DeviceListDeleter> list(raw);
        libusb_device* found = nullptr;
        uint32_t seen = 0;
        for (ssize_t i = 0; i < n && found == nullptr; ++i)
            if (Matches(raw[i], *identity) && seen++ == index) found = raw[i];
        if (found == nullptr) return MPUSB_OPEN_NOT_FOUND;

        const auto transferType = EndpointType(found, *endpoint);
        if (!transferType) return MPUSB_OPEN_FAILED;
        std::shared_ptr<Connection> connection;
        if (const uint32_t error = ConnectionTo(found, connection); error != MPUSB_OPEN_OK) return error;
        handle = NextHandle();
        pipes_[handle] = Pipe{connection, *endpoint, *transferType};
        return MPUSB_OPEN_OK;
    }

    static bool Matches(libusb_device* device, const Identity& identity) {
        libusb_device_descriptor descriptor{};
        return libusb_get_device_descriptor(device, &descriptor) == 0 && descriptor.idVendor == identity.vendor &&
               descriptor.idProduct == identity.product;
    }

    // The transfer type of an endpoint of interface 0, from the active configuration.
    static std::optional<uint8_t> EndpointType(libusb_device* device, uint8_t address) {
        libusb_config_descriptor* raw = nullptr;
        if (libusb_get_active_config_descriptor(device, &raw) != 0 || raw == nullptr) return std::nullopt;
        std::unique_ptr<libusb_config_descriptor, ConfigDeleter> config(raw);
        for (uint8_t i = 0; i < config->bNumInterfaces; ++i) {
            const libusb_interface& interface = config->interface[i];
            for (int a = 0; a < interface.num_altsetting; ++a) {
                const libusb_interface_descriptor& setting = interface.altsetting[a];
                if (setting.bInterfaceNumber != 0) continue;
                for (uint8_t e = 0; e < setting.bNumEndpoints; ++e)
                    if (setting.endpoint[e].bEndpointAddress == address)
                        return static_cast<uint8_t>(setting.endpoint[e].bmAttributes & LIBUSB_TRANSFER_TYPE_MASK);
            }
        }
        return std::nullopt;
    }

    // The connection to a device, shared by its pipes. A device is known by its libusb_device,
    // not by its bus address: one that leaves and comes back is a new libusb_device even at
    // the same address, and pipes left open to the old one must not capture it. An open
    // handle holds a reference to its libusb_device, so no other device can take its key
    // while the connection lives.
    uint32_t ConnectionTo(libusb_device* device, std::shared_ptr<Connection>& connection) {
        if (auto it = connections_.find(device); it != connections_.end()) {
            if (auto existing = it->second.lock(); existing && !existing->gone) {
                connection = std::move(existing);
                return MPUSB_OPEN_OK;
            }
            connections_.erase(it);
        }
        libusb_device_handle* handle = nullptr;
        if (const int rc = libusb_open(device, &handle); rc != 0) return OpenErrorOf(rc);
        libusb_set_auto_detach_kernel_driver(handle, 1);
        if (const int rc = libusb_claim_interface(handle, 0); rc != 0) {
            libusb_close(handle);
            return OpenErrorOf(rc);
        }
        connection = std::make_shared<Connection>(handle);
        connections_[device] = connection;
        return MPUSB_OPEN_OK;
    }

    void DropUnusedConnections() {
        for (auto it = connections_.begin(); it != connections_.end();)
            it = it->second.expired() ? connections_.erase(it) : std::next(it);
    }

    uint32_t NextHandle() {
        do {
            ++lastHandle_;
        } while (lastHandle_ == 0 || lastHandle_ == MPUSB_INVALID_HANDLE || pipes_.count(lastHandle_));
        return lastHandle_;
    }

    libusb_context* context_ = nullptr;
    std::map<uint32_t, Pipe> pipes_;
    std::map<libusb_device*, std::weak_ptr<Connection>> connections_;
    uint32_t lastHandle_ = 0;
    static thread_local uint32_t lastOpenError_;
};

thread_local uint32_t Library::lastOpenError_ = MPUSB_OPEN_OK;

// Never destroyed: at process exit the kernel releases the device, and tearing libusb down
// then could wait on a device that is already gone.
Library& Usb() {
    static Library* const library = new Library;
    return *library;
}

}  // namespace

extern "C" {

uint32_t _MPUSBGetDLLVersion(void) { return 0x00010000u; }

uint32_t _MPUSBGetDeviceCount(const char* identity) {
    std::lock_guard lock(Usb().mutex);
    return Usb().Count(identity);
}

uint32_t _MPUSBOpen(uint32_t index, const char* identity, const char* endpoint, uint32_t direction, uint32_t) {
    std::lock_guard lock(Usb().mutex);
    return Usb().Open(index, identity, endpoint, direction);
}

uint32_t _MPUSBRead(uint32_t handle, void* buffer, uint32_t length, uint32_t* received, uint32_t timeoutMs) {
    return Library::Transfer(Usb().PipeOf(handle), static_cast<uint8_t*>(buffer), length, received, timeoutMs,
                             true)
               ? 1
               : 0;
}

uint32_t _MPUSBReadInt(uint32_t handle, void* buffer, uint32_t length, uint32_t* received, uint32_t timeoutMs) {
    return Library::Transfer(Usb().PipeOf(handle), static_cast<uint8_t*>(buffer), length, received, timeoutMs,
                             true, LIBUSB_TRANSFER_TYPE_INTERRUPT)
               ? 1
               : 0;
}

uint32_t _MPUSBWrite(uint32_t handle, const void* buffer, uint32_t length, uint32_t* sent, uint32_t timeoutMs) {
    // libusb takes a non-const buffer for both directions; an OUT transfer only reads it.
    return Library::Transfer(Usb().PipeOf(handle), static_cast<uint8_t*>(const_cast<void*>(buffer)), length, sent,
                             timeoutMs, false)
               ? 1
               : 0;
}

uint32_t _MPUSBClose(uint32_t handle) {
    std::lock_guard lock(Usb().mutex);
    return Usb().Close(handle) ? 1 : 0;
}

uint32_t _MPUSBSetConfiguration(uint32_t handle, uint32_t configuration) {
    std::lock_guard lock(Usb().mutex);
    return Usb().SetConfiguration(handle, configuration) ? 1 : 0;
}

uint32_t _MPUSBGetStringDescriptor(uint32_t handle, uint32_t index, uint32_t languageId, void* buffer,
                                   uint32_t length, uint32_t* received) {
    std::lock_guard lock(Usb().mutex);
    return Usb().StringDescriptor(handle, index, languageId, static_cast<uint8_t*>(buffer), length, received) ? 1
                                                                                                             : 0;
}

uint32_t MPUSBGetLastOpenError(void) { return Library::LastOpenError(); }

}  // extern "C"
