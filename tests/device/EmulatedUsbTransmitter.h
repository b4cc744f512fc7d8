// A KD4410 on an emulated USB bus (umockdev): the real USB library's transfers reach a
// handler that answers them from the transmitter model. The test process must run with
// libumockdev-preload.so.0 preloaded (see UsbEmulationMain.cpp).
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "TransmitterModel.h"

namespace testsupport {

class EmulatedUsbTransmitter {
public:
    enum class Transfer { Bulk, Interrupt };

    // Creates the test bed with the transmitter plugged in. Create it before anything
    // initialises libusb, or libusb finds no device.
    explicit EmulatedUsbTransmitter(Transfer endpoints, bool plugged = true);
    ~EmulatedUsbTransmitter();
    EmulatedUsbTransmitter(const EmulatedUsbTransmitter&) = delete;
    EmulatedUsbTransmitter& operator=(const EmulatedUsbTransmitter&) = delete;

    void Unplug();
    void Plug();
    // The device takes requests but never answers them.
    void SetSilent(bool silent) { silent_ = silent; }

    // The model behind the device; lock the mutex while touching it.
    std::mutex& mutex();
    sim::TransmitterModel& model();

    struct State;

private:
    std::unique_ptr<State> state_;
    std::atomic<bool> silent_{false};
};

}  // namespace testsupport
