// The real USB library (libmpusbapi.so on libusb), loaded by TFix64 through dlopen as in
// production, against a transmitter on an emulated USB bus. All tests share the process and
// its one libusb context, as a program does; ctest also runs each in a process of its own.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "EmulatedUsbTransmitter.h"
#include "config/ByteCodec.h"
#include "config/EepromMap.h"
#include "device/Fix64usb.h"

using namespace std::chrono_literals;

namespace {

using testsupport::EmulatedUsbTransmitter;

std::string ErrorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const device::DeviceError& e) {
        return e.what();
    }
    return "no error";
}

void Connect(device::TFix64& link) {
    ASSERT_TRUE(link.LoadUsbLibrary());
    link.OpenPipes(0);
    link.SetSlaveAddress(254);
    link.timeoutMs = 250;
}

class UsbLibraryOnEmulatedBus : public ::testing::TestWithParam<EmulatedUsbTransmitter::Transfer> {};

TEST_P(UsbLibraryOnEmulatedBus, ConnectsAndRoundTripsTheEeprom) {
    EmulatedUsbTransmitter transmitter(GetParam());
    device::TFix64 link;
    Connect(link);
    EXPECT_EQ(link.CountDevices(), 1u);
    EXPECT_NE(link.readPipe, device::InvalidPipe);
    EXPECT_NE(link.writePipe, device::InvalidPipe);
    EXPECT_TRUE(link.Command2());
    EXPECT_TRUE(link.Command4());

    uint8_t serial[2];
    link.ReadEeprom(config::eeSerialNumber, serial, 2);
    EXPECT_EQ(config::LoadU16LE(serial), 12345);

    link.ClosePipes(0);
    link.OpenPipes(0);
    uint8_t block[36];
    for (size_t i = 0; i < 4; ++i)
        config::StoreOutputRecord(block + 9 * i, {float(1000 * i), float(2000 * i + 500), uint8_t(i)});
    EXPECT_TRUE(link.WriteEeprom(config::eeOutputs, block, 36));
    uint8_t back[36] = {};
    link.ReadEeprom(config::eeOutputs, back, 36);
    EXPECT_TRUE(std::equal(std::begin(block), std::end(block), std::begin(back)));
    {
        std::lock_guard lock(transmitter.mutex());
        EXPECT_EQ(config::LoadFloatLE(&transmitter.model().eeprom()[config::eeOutputs + 9 + 4]), 2500.0f);
    }
    uint8_t value[4];
    link.ReadValue(4, value);
    EXPECT_GT(config::LoadFloatLE(value), 0.0f);
}

INSTANTIATE_TEST_SUITE_P(BothTransferTypes, UsbLibraryOnEmulatedBus,
                         ::testing::Values(EmulatedUsbTransmitter::Transfer::Bulk,
                                           EmulatedUsbTransmitter::Transfer::Interrupt),
                         [](const auto& info) {
                             return info.param == EmulatedUsbTransmitter::Transfer::Bulk ? "Bulk" : "Interrupt";
                         });

TEST(UsbLibraryOnEmulatedBus, ASilentDeviceTimesOutAsDeviceNotReply) {
    EmulatedUsbTransmitter transmitter(EmulatedUsbTransmitter::Transfer::Bulk);
    device::TFix64 link;
    Connect(link);
    transmitter.SetSilent(true);
    link.timeoutMs = 20;
    EXPECT_EQ(ErrorOf([&] { link.Command2(); }), "Device not reply");
    transmitter.SetSilent(false);
    link.ClosePipes(0);
    link.OpenPipes(0);
    EXPECT_EQ(ErrorOf([&] { link.Command2(); }), "no error");
}

TEST(UsbLibraryOnEmulatedBus, NoDeviceAtAll) {
    EmulatedUsbTransmitter transmitter(EmulatedUsbTransmitter::Transfer::Bulk, /*plugged=*/false);
    device::TFix64 link;
    Connect(link);
    EXPECT_EQ(link.CountDevices(), 0u);
    EXPECT_FALSE(link.OpenPipes(0));
    EXPECT_EQ(link.readPipe, device::InvalidPipe);
    EXPECT_EQ(ErrorOf([&] { link.Command2(); }), "Device not reply");
}

// Unplugs the transmitter while a read of link waits for its reply: the read ends with the
// device, long before its time-out.
void UnplugDuringARead(EmulatedUsbTransmitter& transmitter, device::TFix64& link) {
    transmitter.SetSilent(true);
    const uint16_t timeoutMs = link.timeoutMs;
    link.timeoutMs = 30000;
    std::thread unplug([&] {
        transmitter.WaitForPendingRead(10s);
        transmitter.Unplug();
    });
    const auto start = std::chrono::steady_clock::now();
    const std::string error = ErrorOf([&] { link.Command2(); });
    const auto took = std::chrono::steady_clock::now() - start;
    unplug.join();
    EXPECT_EQ(error, "Device not reply");
    EXPECT_LT(took, 10s) << "the read waited for its time-out instead of ending with the device";
    transmitter.SetSilent(false);
    link.timeoutMs = timeoutMs;
}

// The transmitter leaves while idle, or while a read waits for its reply.
class UsbLibraryUnplug : public ::testing::TestWithParam<bool> {};

TEST_P(UsbLibraryUnplug, ADeviceThatVanishesFailsCleanlyAndWorksAgainWhenBack) {
    EmulatedUsbTransmitter transmitter(EmulatedUsbTransmitter::Transfer::Bulk);
    device::TFix64 link;
    Connect(link);
    EXPECT_TRUE(link.Command2());

    if (GetParam()) {
        UnplugDuringARead(transmitter, link);
    } else {
        transmitter.Unplug();
        EXPECT_EQ(ErrorOf([&] { link.Command1(); }), "Device not reply");
    }
    link.ClosePipes(0);
    EXPECT_FALSE(link.OpenPipes(0));
    EXPECT_EQ(ErrorOf([&] { link.Command1(); }), "Device not reply");

    transmitter.Plug();
    link.ClosePipes(0);
    EXPECT_TRUE(link.OpenPipes(0));
    EXPECT_EQ(ErrorOf([&] { link.Command1(); }), "no error");
}

INSTANTIATE_TEST_SUITE_P(IdleAndDuringARead, UsbLibraryUnplug, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "DuringARead" : "Idle"; });

// The program leaves its pipes open; a transmitter plugged in again, at a new bus address or
// at the old one, is a new device that those pipes must neither reach nor hold hostage.
class UsbLibraryReplug : public ::testing::TestWithParam<uint8_t> {};

TEST_P(UsbLibraryReplug, PipesToTheDeviceThatLeftStayDeadAndNewOnesReachTheNewOne) {
    EmulatedUsbTransmitter transmitter(EmulatedUsbTransmitter::Transfer::Bulk);
    device::TFix64 first;
    Connect(first);
    EXPECT_TRUE(first.Command2());

    transmitter.Unplug();
    transmitter.Plug(GetParam());
    EXPECT_EQ(first.CountDevices(), 1u);
    device::TFix64 second;  // opens before anything has told the library the old device is gone
    Connect(second);
    EXPECT_EQ(ErrorOf([&] { second.Command2(); }), "no error");
    EXPECT_EQ(ErrorOf([&] { first.Command1(); }), "Device not reply");

    first.ClosePipes(0);
    ASSERT_TRUE(first.OpenPipes(0));
    EXPECT_EQ(ErrorOf([&] { first.Command1(); }), "no error");
    EXPECT_EQ(transmitter.OpenNodeCount(), 1) << "both links share one handle to the device";
}

INSTANTIATE_TEST_SUITE_P(SameAndNewAddress, UsbLibraryReplug,
                         ::testing::Values(EmulatedUsbTransmitter::FirstAddress,
                                           uint8_t(EmulatedUsbTransmitter::FirstAddress + 1)),
                         [](const auto& info) { return "Address" + std::to_string(info.param); });

}  // namespace
