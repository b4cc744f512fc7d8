#include "EmulatedUsbTransmitter.h"

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <linux/ioctl.h>
#include <linux/usbdevice_fs.h>
#include <stdexcept>
#include <umockdev.h>

namespace testsupport {
namespace {

constexpr const char* SysPath = "/sys/devices/pci0000:00/usb1/1-1";
constexpr uint8_t InEndpoint = 0x81;

std::string NodeNameAt(uint8_t address) {
    char name[32];
    std::snprintf(name, sizeof name, "/dev/bus/usb/001/%03u", unsigned(address));
    return name;
}

std::string Description(EmulatedUsbTransmitter::Transfer transfer, uint8_t address) {
    const bool bulk = transfer == EmulatedUsbTransmitter::Transfer::Bulk;
    const std::string type = bulk ? "02" : "03", interval = bulk ? "00" : "01";
    const std::string node = NodeNameAt(address), number = node.substr(node.size() - 3);
    return "P: /devices/pci0000:00/usb1/1-1\n"
           "N: " + node.substr(5) + "\n"
           "E: SUBSYSTEM=usb\n"
           "E: DEVTYPE=usb_device\n"
           "E: DRIVER=usb\n"
           "E: BUSNUM=001\n"
           "E: DEVNUM=" + number + "\n"
           "E: DEVNAME=" + node + "\n"
           "A: busnum=1\\n\n"
           "A: devnum=" + std::to_string(address) + "\\n\n"
           "A: speed=12\\n\n"
           "A: bConfigurationValue=1\\n\n"
           // device descriptor: USB 2.0, vendor 04d8, product 000c, one configuration
           "H: descriptors=1201000200000040d8040c00000101020001"
           // configuration, interface 0 of class ff with two endpoints of 64 bytes
           "0902200001010080320904000002ff000000"
           "070581" + type + "4000" + interval + "070501" + type + "4000" + interval + "\n";
}

// The process's one bus; it goes with the process (see the header).
UMockdevTestbed* Bus() {
    struct Unref {
        void operator()(UMockdevTestbed* testbed) const { g_object_unref(testbed); }
    };
    static const std::unique_ptr<UMockdevTestbed, Unref> testbed(umockdev_testbed_new());
    return testbed.get();
}

}  // namespace

// What the transmitter is, whichever plugging a request comes through.
struct EmulatedUsbTransmitter::Device {
    std::mutex mutex;  // guards everything here and in the attachments
    std::condition_variable readPending;
    sim::TransmitterModel model;
    bool silent = false;
    bool claimRefused = false;
};

// One plugging of the device: the clients that opened its node and their URBs. It lives as
// long as its ioctl handler, which every client that opened the node keeps alive, so a handle
// left open after the unplug still gets answers (ENODEV) from it.
struct EmulatedUsbTransmitter::Attachment {
    struct Urb {
        UMockdevIoctlData* data;      // a reference of our own
        UMockdevIoctlClient* client;  // likewise
        void Release() const {
            umockdev_ioctl_data_unref(data);
            g_object_unref(client);
        }
    };

    std::shared_ptr<Device> device;
    bool plugged = true;
    std::deque<device::Frame> replies;
    std::deque<Urb> waiting;   // IN transfers without a reply yet
    std::deque<Urb> finished;  // ready to be reaped

    explicit Attachment(std::shared_ptr<Device> d) : device(std::move(d)) {}
    ~Attachment() {
        for (auto* list : {&waiting, &finished})
            for (const Urb& urb : *list) urb.Release();
    }

    static usbdevfs_urb* Of(const Urb& urb) { return reinterpret_cast<usbdevfs_urb*>(urb.data->data); }

    // The device left: what waited for it ends as a kernel ends it, with -ESHUTDOWN.
    void Unplug() {
        plugged = false;
        replies.clear();
        for (Urb& urb : waiting) {
            Of(urb)->status = -ESHUTDOWN;
            Of(urb)->actual_length = 0;
            finished.push_back(urb);
        }
        waiting.clear();
    }

    void DeliverReplies() {
        while (!replies.empty() && !waiting.empty()) {
            Urb urb = waiting.front();
            waiting.pop_front();
            usbdevfs_urb* u = Of(urb);
            UMockdevIoctlData* buffer = umockdev_ioctl_data_resolve(urb.data, G_STRUCT_OFFSET(usbdevfs_urb, buffer),
                                                                    static_cast<gsize>(u->buffer_length), nullptr);
            const size_t n = std::min<size_t>(static_cast<size_t>(u->buffer_length), device::FrameSize);
            std::memcpy(buffer->data, replies.front().data(), n);
            umockdev_ioctl_data_unref(buffer);
            replies.pop_front();
            u->actual_length = static_cast<int>(n);
            u->status = 0;
            finished.push_back(urb);
        }
    }

    // A client that closed its node can never reap: its URBs would steal the next one's reply.
    void DropVanishedClients() {
        for (auto* list : {&waiting, &finished})
            for (auto it = list->begin(); it != list->end();) {
                if (umockdev_ioctl_client_get_connected(it->client)) {
                    ++it;
                    continue;
                }
                it->Release();
                it = list->erase(it);
            }
    }

    void Submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
        DropVanishedClients();
        Urb urb{umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr),
                static_cast<UMockdevIoctlClient*>(g_object_ref(client))};
        usbdevfs_urb* u = Of(urb);
        if (u->endpoint == InEndpoint) {
            waiting.push_back(urb);
            device->readPending.notify_all();
        } else {
            UMockdevIoctlData* buffer = umockdev_ioctl_data_resolve(urb.data, G_STRUCT_OFFSET(usbdevfs_urb, buffer),
                                                                    static_cast<gsize>(u->buffer_length), nullptr);
            if (u->buffer_length >= static_cast<int>(device::FrameSize) && !device->silent) {
                device::Frame frame;
                std::memcpy(frame.data(), buffer->data, device::FrameSize);
                if (auto reply = device->model.Respond(frame)) replies.push_back(*reply);
            }
            umockdev_ioctl_data_unref(buffer);
            u->actual_length = u->buffer_length;
            u->status = 0;
            finished.push_back(urb);
        }
        DeliverReplies();
    }

    // Hands one finished URB of this client back; false when it has none.
    bool Reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
        for (auto it = finished.begin(); it != finished.end(); ++it) {
            if (it->client != client) continue;
            UMockdevIoctlData* slot = umockdev_ioctl_data_resolve(arg, 0, sizeof(gpointer), nullptr);
            umockdev_ioctl_data_set_ptr(slot, 0, it->data);
            umockdev_ioctl_data_unref(slot);
            it->Release();
            finished.erase(it);
            return true;
        }
        return false;
    }

    bool Discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
        const gulong address = *reinterpret_cast<gulong*>(arg->data);
        for (auto it = waiting.begin(); it != waiting.end(); ++it) {
            if (it->client != client || it->data->client_addr != address) continue;
            Of(*it)->status = -ENOENT;
            Of(*it)->actual_length = 0;
            finished.push_back(*it);
            waiting.erase(it);
            return true;
        }
        return false;
    }

    // Answers one ioctl: {result, errno}.
    std::pair<int, int> Answer(gulong request, UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
        if (request == USBDEVFS_REAPURB || request == USBDEVFS_REAPURBNDELAY) {
            if (Reap(client, arg)) return {0, 0};
            return {-1, plugged ? EAGAIN : ENODEV};
        }
        if (!plugged) return {-1, ENODEV};
        switch (request) {
            case USBDEVFS_GET_CAPABILITIES: {
                UMockdevIoctlData* caps = umockdev_ioctl_data_resolve(arg, 0, sizeof(guint32), nullptr);
                *reinterpret_cast<guint32*>(caps->data) =
                    USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM | USBDEVFS_CAP_REAP_AFTER_DISCONNECT;
                umockdev_ioctl_data_unref(caps);
                return {0, 0};
            }
            case USBDEVFS_CLAIMINTERFACE:
            case USBDEVFS_DISCONNECT_CLAIM:  // libusb claims so when it may detach a kernel driver
                return device->claimRefused ? std::pair{-1, EBUSY} : std::pair{0, 0};
            case USBDEVFS_GETDRIVER:
                return {-1, ENODATA};  // no kernel driver bound
            case USBDEVFS_SUBMITURB:
                Submit(client, arg);
                return {0, 0};
            case USBDEVFS_DISCARDURB:
                return Discard(client, arg) ? std::pair{0, 0} : std::pair{-1, EINVAL};
            default:  // RELEASEINTERFACE, SETINTERFACE, CLEAR_HALT, RESETEP, RESET, IOCTL
                return {0, 0};
        }
    }

    static gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
        auto* attachment = static_cast<Attachment*>(self);
        std::lock_guard lock(attachment->device->mutex);
        const auto [result, error] = attachment->Answer(umockdev_ioctl_client_get_request(client), client,
                                                        umockdev_ioctl_client_get_arg(client));
        umockdev_ioctl_client_complete(client, result, error);
        return TRUE;
    }

    static void Destroy(gpointer self, GClosure*) { delete static_cast<Attachment*>(self); }
};

EmulatedUsbTransmitter::EmulatedUsbTransmitter(Transfer endpoints, bool plugged)
    : endpoints_(endpoints), device_(std::make_shared<Device>()) {
    Bus();
    if (plugged) Plug();
}

EmulatedUsbTransmitter::~EmulatedUsbTransmitter() { Unplug(); }

void EmulatedUsbTransmitter::Plug(uint8_t address) {
    Unplug();
    auto* handler = umockdev_ioctl_base_new();
    auto* attachment = new Attachment(device_);
    g_signal_connect_data(handler, "handle-ioctl", G_CALLBACK(&Attachment::OnIoctl), attachment,
                          &Attachment::Destroy, GConnectFlags(0));
    GError* error = nullptr;
    if (!umockdev_testbed_attach_ioctl(Bus(), NodeNameAt(address).c_str(), handler, &error) ||
        !umockdev_testbed_add_from_string(Bus(), Description(endpoints_, address).c_str(), &error)) {
        const std::string message = error ? error->message : "umockdev refused the device";
        if (error) g_error_free(error);
        umockdev_testbed_detach_ioctl(Bus(), NodeNameAt(address).c_str(), nullptr);
        g_object_unref(handler);
        throw std::runtime_error(message);
    }
    std::lock_guard lock(device_->mutex);
    handler_ = handler;
    attachment_ = attachment;
    address_ = address;
}

void EmulatedUsbTransmitter::Unplug() {
    if (handler_ == nullptr) return;
    {
        std::lock_guard lock(device_->mutex);
        attachment_->Unplug();
        attachment_ = nullptr;
    }
    umockdev_testbed_uevent(Bus(), SysPath, "remove");
    umockdev_testbed_remove_device(Bus(), SysPath);
    umockdev_testbed_detach_ioctl(Bus(), NodeNameAt(address_).c_str(), nullptr);
    g_object_unref(handler_);
    handler_ = nullptr;
}

void EmulatedUsbTransmitter::SetSilent(bool silent) {
    std::lock_guard lock(device_->mutex);
    device_->silent = silent;
}

void EmulatedUsbTransmitter::SetClaimRefused(bool refused) {
    std::lock_guard lock(device_->mutex);
    device_->claimRefused = refused;
}

bool EmulatedUsbTransmitter::WaitForPendingRead(std::chrono::milliseconds limit) {
    std::unique_lock lock(device_->mutex);
    return device_->readPending.wait_for(lock, limit,
                                         [this] { return attachment_ != nullptr && !attachment_->waiting.empty(); });
}

std::string EmulatedUsbTransmitter::BusRoot() {
    gchar* root = umockdev_testbed_get_root_dir(Bus());
    std::string path(root);
    g_free(root);
    return path;
}

std::string EmulatedUsbTransmitter::NodeName() const { return NodeNameAt(address_); }
std::string EmulatedUsbTransmitter::NodePath() const { return BusRoot() + NodeName(); }

int EmulatedUsbTransmitter::OpenNodeCount() const {
    namespace fs = std::filesystem;
    const fs::path node = NodePath();
    int count = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd", error)) {
        std::error_code ignored;
        if (fs::read_symlink(entry.path(), ignored) == node) ++count;
    }
    return count;
}

std::mutex& EmulatedUsbTransmitter::mutex() { return device_->mutex; }
sim::TransmitterModel& EmulatedUsbTransmitter::model() { return device_->model; }

}  // namespace testsupport
