// Binding the library, opening, closing and draining the pipes.
#include <gtest/gtest.h>

#include <numeric>

#include "FakeUsb.h"

namespace {

using testsupport::FakeUsb;
using testsupport::FakeUsbLibrary;

TEST(LoadUsbLibrary, ALibraryThatCannotBeLoadedRaisesItsText) {
    auto source = std::make_unique<FakeUsbLibrary>();
    source->loadable = false;
    device::TFix64 link(std::move(source));
    try {
        link.LoadUsbLibrary();
        FAIL() << "no error";
    } catch (const device::DeviceError& e) {
        EXPECT_STREQ(e.what(), "Cannot find usb serial library mpusbapi.dll");
    }
}

TEST(LoadUsbLibrary, ResolvesTheNineEntryPointsInOrderAndStopsAtTheFirstMissing) {
    FakeUsb usb;
    auto source = std::make_unique<FakeUsbLibrary>();
    FakeUsbLibrary* library = source.get();
    device::TFix64 link(std::move(source));
    EXPECT_TRUE(link.LoadUsbLibrary());
    EXPECT_EQ(library->resolved, std::vector<std::string>(device::UsbEntryPointNames, device::UsbEntryPointNames + 9));

    library->resolved.clear();
    library->missing = {"_MPUSBReadInt"};
    device::TFix64 partial(std::make_unique<FakeUsbLibrary>(*library));
    EXPECT_FALSE(partial.LoadUsbLibrary());
    EXPECT_NE(partial.entryPoints.read, nullptr);
    EXPECT_EQ(partial.entryPoints.readInt, nullptr);
    EXPECT_EQ(partial.entryPoints.write, nullptr);  // after the missing one: unresolved
    EXPECT_EQ(partial.entryPoints.close, nullptr);
}

TEST(LoadUsbLibrary, EveryCallLoadsTheLibraryAgain) {
    FakeUsb usb;
    auto source = std::make_unique<FakeUsbLibrary>();
    FakeUsbLibrary* library = source.get();
    device::TFix64 link(std::move(source));
    link.LoadUsbLibrary();
    link.LoadUsbLibrary();
    EXPECT_EQ(library->loads, 2);
}

TEST(LoadUsbLibrary, MissingEntryPointsCallNothingAndFailAsASilentDevice) {
    FakeUsb usb;
    auto source = std::make_unique<FakeUsbLibrary>();
    source->missing = {"_MPUSBGetDeviceCount"};  // and so everything after it
    device::TFix64 link(std::move(source));
    EXPECT_FALSE(link.LoadUsbLibrary());
    EXPECT_EQ(link.CountDevices(), 0u);
    EXPECT_FALSE(link.OpenPipes(0));
    EXPECT_EQ(link.readPipe, device::InvalidPipe);
    EXPECT_EQ(link.writePipe, device::InvalidPipe);
    link.SetSlaveAddress(254);
    try {
        link.Command2();
        FAIL() << "no error";
    } catch (const device::DeviceError& e) {
        EXPECT_STREQ(e.what(), "Device not reply");
    }
    link.ClosePipes(0);
    EXPECT_TRUE(usb.opens.empty());
    EXPECT_TRUE(usb.reads.empty());
    EXPECT_TRUE(usb.writes.empty());
    EXPECT_TRUE(usb.closes.empty());
}

TEST(OpenPipes, OpensReadThenWriteOnTheTransmittersEndpointAndKeepsThemForTheIndex) {
    FakeUsb usb;
    auto link = testsupport::ConnectedLink();
    ASSERT_EQ(usb.opens.size(), 2u);
    for (const auto& open : usb.opens) {
        EXPECT_EQ(open.index, 0u);
        EXPECT_EQ(open.identity, "vid_04d8&pid_000c");
        EXPECT_EQ(open.endpoint, "\\MCHP_EP1");
        EXPECT_EQ(open.reserved, 0u);
    }
    EXPECT_EQ(usb.opens[0].direction, 1u);
    EXPECT_EQ(usb.opens[1].direction, 0u);
    EXPECT_EQ(link->readPipe, 10u);
    EXPECT_EQ(link->writePipe, 11u);
    EXPECT_EQ(link->readPipes[0], 10u);
    EXPECT_EQ(link->writePipes[0], 11u);
    EXPECT_EQ(link->CountDevices(), 1u);
    EXPECT_EQ(usb.countIdentities.back(), "vid_04d8&pid_000c");
}

TEST(OpenPipes, AFailedOpenStillMakesBothOpensAndLeavesTheTablesAlone) {
    FakeUsb usb;
    auto link = testsupport::ConnectedLink();
    usb.opens.clear();
    usb.openResults = {device::InvalidPipe, 21};
    EXPECT_FALSE(link->OpenPipes(0));
    EXPECT_EQ(usb.opens.size(), 2u);
    EXPECT_EQ(link->readPipe, device::InvalidPipe);
    EXPECT_EQ(link->writePipe, 21u);
    EXPECT_EQ(link->readPipes[0], 10u);
    EXPECT_EQ(link->writePipes[0], 11u);

    usb.openResults = {22, device::InvalidPipe};
    EXPECT_FALSE(link->OpenPipes(0));
    EXPECT_EQ(link->readPipe, 22u);
    EXPECT_EQ(link->writePipe, device::InvalidPipe);
}

TEST(ClosePipes, DrainsThreeTimesWithinThreeHundredMillisecondsThenClosesTheIndexsPipes) {
    FakeUsb usb;
    auto link = testsupport::ConnectedLink();
    link->timeoutMs = 5000;  // the drain does not use the exchange time-out
    link->ClosePipes(0);
    ASSERT_EQ(usb.reads.size(), 3u);
    uint32_t total = 0;
    for (const auto& read : usb.reads) {
        EXPECT_EQ(read.handle, 10u);
        EXPECT_EQ(read.length, 64u);
        total += read.timeoutMs;
    }
    EXPECT_EQ(total, 300u);
    EXPECT_EQ(usb.closes, (std::vector<uint32_t>{10, 11}));
    EXPECT_EQ(link->readPipes[0], 0u);
    EXPECT_EQ(link->writePipes[0], 0u);
    EXPECT_EQ(link->readPipe, 10u);  // the current pipes are left for the caller to replace

    link->ClosePipes(0);
    EXPECT_EQ(usb.closes.size(), 2u);  // nothing more to close
    EXPECT_EQ(usb.reads.size(), 6u);   // but the drain runs again
}

TEST(ClosePipes, WithNoSuccessfulOpenDrainsTheCurrentPipesAndClosesNothing) {
    FakeUsb usb;
    usb.openResults = {device::InvalidPipe, device::InvalidPipe};
    device::TFix64 link(std::make_unique<FakeUsbLibrary>());
    link.LoadUsbLibrary();
    link.OpenPipes(0);
    link.ClosePipes(0);
    EXPECT_EQ(usb.reads.size(), 3u);
    EXPECT_EQ(usb.reads.front().handle, device::InvalidPipe);
    EXPECT_TRUE(usb.closes.empty());
}

TEST(DrainInput, DoesNothingBeforeAnyPipeWasOpened) {
    FakeUsb usb;
    device::TFix64 link(std::make_unique<FakeUsbLibrary>());
    link.LoadUsbLibrary();
    link.DrainInput();
    link.ClosePipes(0);
    EXPECT_TRUE(usb.reads.empty());
    EXPECT_TRUE(usb.closes.empty());
}

TEST(DrainInput, SwallowsStaleRepliesSoTheNextExchangeReadsItsOwn) {
    FakeUsb usb;
    auto link = testsupport::ConnectedLink();
    link->SetSlaveAddress(253);
    link->Command4();  // the device answers, nobody reads it
    link->SetSlaveAddress(254);
    link->ClosePipes(0);
    link->OpenPipes(0);
    EXPECT_NO_THROW(link->Command1());
    EXPECT_EQ(link->replyFrame[3], 1);
}

TEST(Transport, AnOutOfRangeDeviceIndexNeverReachesTheTables) {
    FakeUsb usb;
    auto link = testsupport::ConnectedLink();
    EXPECT_TRUE(link->OpenPipes(10));
    link->ClosePipes(10);
    EXPECT_EQ(link->readPipes[0], 10u);
    EXPECT_TRUE(usb.closes.empty());
}

}  // namespace
