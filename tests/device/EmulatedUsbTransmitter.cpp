#include "EmulatedUsbTransmitter.h"

#include <cerrno>
#include <cstring>
#include <deque>
#include <linux/ioctl.h>
#include <linux/usbdevice_fs.h>
#include <stdexcept>
#include <umockdev.h>
#include <vector>

namespace testsupport {
namespace {

constexpr const char* SysPath = "/sys/devices/pci0000:00/usb1/1-1";
constexpr const char* DevNode = "/dev/bus/usb/001/002";
constexpr uint8_t InEndpoint = 0x81;

std::string Description(EmulatedUsbTransmitter::Transfer transfer) {
    const char* type = transfer == EmulatedUsbTransmitter::Transfer::Bulk ? "02" : "03";
    const char* interval = transfer == EmulatedUsbTransmitter::Transfer::Bulk ? "00" : "01";
    return std::string(
               "P: /devices/pci0000:00/usb1/1-1\n"
               "N: bus/usb/001/002\n"
               "E: SUBSYSTEM=usb\n"
               "E: DEVTYPE=usb_device\n"
               "E: DRIVER=usb\n"
               "E: BUSNUM=001\n"
               "E: DEVNUM=002\n"
               "E: DEVNAME=/dev/bus/usb/001/002\n"
               "A: busnum=1\\n\n"
               "A: devnum=2\\n\n"
               "A: speed=12\\n\n"
               "A: bConfigurationValue=1\\n\n"
               // device descriptor: USB 2.0, vendor 04d8, product 000c, one configuration
               "H: descriptors=120100020000004" "0d8040c00000101020001"
               // configuration, interface 0 of class ff with two endpoints of 64 bytes
               "0902200001010080320904000002ff000000") +
           "070581" + type + "4000" + interval + "070501" + type + "4000" + interval + "\n";
}

}  // namespace

struct EmulatedUsbTransmitter::State {
    struct Urb {
        UMockdevIoctlData* data;  // a reference of our own
        UMockdevIoctlClient* client;
    };

    std::mutex mutex;
    sim::TransmitterModel model;
    UMockdevTestbed* testbed = nullptr;
    UMockdevIoctlBase* handler = nullptr;
    std::string description;
    bool plugged = false;
    const std::atomic<bool>* silent = nullptr;
    std::deque<device::Frame> replies;
    std::deque<Urb> waiting;   // IN transfers without a reply yet
    std::deque<Urb> finished;  // ready to be reaped

    ~State() {
        for (auto* list : {&waiting, &finished})
            for (Urb& urb : *list) umockdev_ioctl_data_unref(urb.data);
        if (handler) g_object_unref(handler);
        if (testbed) g_object_unref(testbed);
    }

    static usbdevfs_urb* Of(const Urb& urb) { return reinterpret_cast<usbdevfs_urb*>(urb.data->data); }

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

    void DropVanishedClients() {
        for (auto* list : {&waiting, &finished})
            for (auto it = list->begin(); it != list->end();) {
                if (umockdev_ioctl_client_get_connected(it->client)) {
                    ++it;
                    continue;
                }
                umockdev_ioctl_data_unref(it->data);
                it = list->erase(it);
            }
    }

    gboolean Handle(UMockdevIoctlClient* client) {
        std::lock_guard lock(mutex);
        const gulong request = umockdev_ioctl_client_get_request(client);
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        switch (request) {
            case USBDEVFS_GET_CAPABILITIES: {
                UMockdevIoctlData* caps = umockdev_ioctl_data_resolve(arg, 0, sizeof(guint32), nullptr);
                *reinterpret_cast<guint32*>(caps->data) =
                    USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM | USBDEVFS_CAP_REAP_AFTER_DISCONNECT;
                umockdev_ioctl_data_unref(caps);
                umockdev_ioctl_client_complete(client, 0, 0);
                return TRUE;
            }
            case USBDEVFS_CLAIMINTERFACE:
            case USBDEVFS_RELEASEINTERFACE:
            case USBDEVFS_SETINTERFACE:
            case USBDEVFS_CLEAR_HALT:
            case USBDEVFS_RESETEP:
            case USBDEVFS_RESET:
            case USBDEVFS_DISCONNECT_CLAIM:
            case USBDEVFS_IOCTL:
                umockdev_ioctl_client_complete(client, plugged ? 0 : -1, plugged ? 0 : ENODEV);
                return TRUE;
            case USBDEVFS_GETDRIVER:
                umockdev_ioctl_client_complete(client, -1, ENODATA);
                return TRUE;
            case USBDEVFS_SUBMITURB: {
                if (!plugged) {
                    umockdev_ioctl_client_complete(client, -1, ENODEV);
                    return TRUE;
                }
                DropVanishedClients();
                Urb urb{umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr), client};
                usbdevfs_urb* u = Of(urb);
                if (u->endpoint == InEndpoint) {
                    waiting.push_back(urb);
                } else {
                    UMockdevIoctlData* buffer = umockdev_ioctl_data_resolve(
                        urb.data, G_STRUCT_OFFSET(usbdevfs_urb, buffer), static_cast<gsize>(u->buffer_length), nullptr);
                    if (u->buffer_length >= static_cast<int>(device::FrameSize) && !silent->load()) {
                        device::Frame frame;
                        std::memcpy(frame.data(), buffer->data, device::FrameSize);
                        if (auto reply = model.Respond(frame)) replies.push_back(*reply);
                    }
                    umockdev_ioctl_data_unref(buffer);
                    u->actual_length = u->buffer_length;
                    u->status = 0;
                    finished.push_back(urb);
                }
                DeliverReplies();
                umockdev_ioctl_client_complete(client, 0, 0);
                return TRUE;
            }
            case USBDEVFS_REAPURB:
            case USBDEVFS_REAPURBNDELAY: {
                for (auto it = finished.begin(); it != finished.end(); ++it) {
                    if (it->client != client) continue;
                    UMockdevIoctlData* slot = umockdev_ioctl_data_resolve(arg, 0, sizeof(gpointer), nullptr);
                    umockdev_ioctl_data_set_ptr(slot, 0, it->data);
                    umockdev_ioctl_data_unref(slot);
                    umockdev_ioctl_data_unref(it->data);
                    finished.erase(it);
                    umockdev_ioctl_client_complete(client, 0, 0);
                    return TRUE;
                }
                umockdev_ioctl_client_complete(client, -1, plugged ? EAGAIN : ENODEV);
                return TRUE;
            }
            case USBDEVFS_DISCARDURB: {
                const gulong address = *reinterpret_cast<gulong*>(arg->data);
                for (auto it = waiting.begin(); it != waiting.end(); ++it) {
                    if (it->client != client || it->data->client_addr != address) continue;
                    Of(*it)->status = -ENOENT;
                    Of(*it)->actual_length = 0;
                    finished.push_back(*it);
                    waiting.erase(it);
                    umockdev_ioctl_client_complete(client, 0, 0);
                    return TRUE;
                }
                umockdev_ioctl_client_complete(client, -1, EINVAL);
                return TRUE;
            }
            default:
                return FALSE;
        }
    }

    static gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
        return static_cast<State*>(self)->Handle(client);
    }
};

EmulatedUsbTransmitter::EmulatedUsbTransmitter(Transfer endpoints, bool plugged) : state_(std::make_unique<State>()) {
    state_->silent = &silent_;
    state_->description = Description(endpoints);
    state_->testbed = umockdev_testbed_new();
    state_->handler = umockdev_ioctl_base_new();
    g_signal_connect(state_->handler, "handle-ioctl", G_CALLBACK(&State::OnIoctl), state_.get());
    if (plugged) Plug();
}

EmulatedUsbTransmitter::~EmulatedUsbTransmitter() = default;

void EmulatedUsbTransmitter::Plug() {
    GError* error = nullptr;
    if (!umockdev_testbed_attach_ioctl(state_->testbed, DevNode, state_->handler, &error) ||
        !umockdev_testbed_add_from_string(state_->testbed, state_->description.c_str(), &error)) {
        const std::string message = error ? error->message : "umockdev refused the device";
        if (error) g_error_free(error);
        throw std::runtime_error(message);
    }
    std::lock_guard lock(state_->mutex);
    state_->plugged = true;
}

void EmulatedUsbTransmitter::Unplug() {
    {
        std::lock_guard lock(state_->mutex);
        state_->plugged = false;
        state_->replies.clear();
    }
    umockdev_testbed_uevent(state_->testbed, SysPath, "remove");
    umockdev_testbed_remove_device(state_->testbed, SysPath);
    umockdev_testbed_detach_ioctl(state_->testbed, DevNode, nullptr);
}

std::mutex& EmulatedUsbTransmitter::mutex() { return state_->mutex; }
sim::TransmitterModel& EmulatedUsbTransmitter::model() { return state_->model; }

}  // namespace testsupport
