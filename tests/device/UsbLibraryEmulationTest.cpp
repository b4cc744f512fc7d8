// The real USB library (libmpusbapi.so on libusb), loaded by TFix64 through dlopen as in
// production, against a transmitter on an emulated USB bus. The library keeps one libusb
// context per process, so each test runs in a process of its own (as ctest runs them).
#include <gtest/gtest.h>

#include "EmulatedUsbTransmitter.h"
#include "config/ByteCodec.h"
#include "config/EepromMap.h"
#include "device/Fix64usb.h"

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

TEST(UsbLibraryOnEmulatedBus, ADeviceThatVanishesFailsCleanlyAndWorksAgainWhenBack) {
    EmulatedUsbTransmitter transmitter(EmulatedUsbTransmitter::Transfer::Bulk);
    device::TFix64 link;
    Connect(link);
    EXPECT_TRUE(link.Command2());

    transmitter.Unplug();
    EXPECT_EQ(ErrorOf([&] { link.Command1(); }), "Device not reply");
    link.ClosePipes(0);
    link.OpenPipes(0);
    EXPECT_EQ(ErrorOf([&] { link.Command1(); }), "Device not reply");

    transmitter.Plug();
    link.ClosePipes(0);
    EXPECT_TRUE(link.OpenPipes(0));
    EXPECT_EQ(ErrorOf([&] { link.Command1(); }), "no error");
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

}  // namespace
