// A KD4410 on an emulated USB bus (umockdev): the real USB library's transfers reach a
// handler that answers them from the transmitter model. The test process must run with
// libumockdev-preload.so.0 preloaded (see UsbEmulationMain.cpp).
//
// The bus is one test bed for the whole process, created before anything initialises libusb,
// because the library keeps one libusb context for the process: its hotplug monitor and its
// device list belong to the bed that existed at libusb_init. Transmitters are plugged into it
// and unplugged from it as a kernel does it (uevents; transfers in flight end, later requests
// fail with ENODEV), so handles that a test leaves open, as the program does, never talk to a
// bed that is gone.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "TransmitterModel.h"

namespace testsupport {

class EmulatedUsbTransmitter {
public:
    enum class Transfer { Bulk, Interrupt };
    static constexpr uint8_t FirstAddress = 2;

    // Plugged in at FirstAddress on bus 1 unless plugged is false.
    explicit EmulatedUsbTransmitter(Transfer endpoints, bool plugged = true);
    ~EmulatedUsbTransmitter();  // unplugs
    EmulatedUsbTransmitter(const EmulatedUsbTransmitter&) = delete;
    EmulatedUsbTransmitter& operator=(const EmulatedUsbTransmitter&) = delete;

    // Plugs the transmitter in at the bus address (a device plugged in again usually gets a new one).
    void Plug(uint8_t address = FirstAddress);
    // A transfer in flight ends with -ESHUTDOWN; every later request of its clients fails with ENODEV.
    void Unplug();
    // The device takes requests but never answers them.
    void SetSilent(bool silent);
    // Another program holds the interface: claiming it fails with EBUSY.
    void SetClaimRefused(bool refused);
    // Waits until a read waits for a reply, at most limit; false when none came.
    bool WaitForPendingRead(std::chrono::milliseconds limit);

    // The device node's name ("/dev/bus/usb/001/002"), its file in the test bed, and how many
    // files of this process have it open.
    std::string NodeName() const;
    std::string NodePath() const;
    int OpenNodeCount() const;
    // The test bed's root folder (umockdev's $UMOCKDEV_DIR).
    static std::string BusRoot();

    // The model behind the device; lock the mutex while touching it.
    std::mutex& mutex();
    sim::TransmitterModel& model();

    struct Device;
    struct Attachment;

private:
    const Transfer endpoints_;
    std::shared_ptr<Device> device_;
    void* handler_ = nullptr;            // the UMockdevIoctlBase of the current plugging
    Attachment* attachment_ = nullptr;   // owned by handler_; null while unplugged
    uint8_t address_ = FirstAddress;
};

}  // namespace testsupport
