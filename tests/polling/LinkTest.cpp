// The connection, device info and poll conversations of the core, frame by frame.
#include "config/EepromMap.h"
#include "device/Fix64usb.h"
#include "polling/Link.h"
#include "support/TransmitterLinkFixture.h"

namespace {

using namespace testsupport;

class Link : public TransmitterLinkFixture {};

TEST_F(Link, ConnectSendsCommands2And4AtSlave254With250MsTimeouts) {
    device::TFix64 fresh(std::make_unique<FakeUsbLibrary>());
    const polling::Connection c = polling::Connect(fresh, 0);
    EXPECT_TRUE(c.answered);
    EXPECT_EQ(c.deviceCount, 1u);
    EXPECT_EQ(TakeExchanges(), (std::vector<Exchange>{Command(2), Command(4)}));
    EXPECT_EQ(fresh.slaveAddress, 254);
    EXPECT_EQ(fresh.timeoutMs, 250);
}

TEST_F(Link, ASilentOrAbsentTransmitterIsToldApartByTheCount) {
    SilentAfter(0);
    device::TFix64 fresh(std::make_unique<FakeUsbLibrary>());
    EXPECT_EQ(polling::Connect(fresh, 0).deviceCount, 1u);
    usb.deviceCount = 0;
    const polling::Connection absent = polling::Connect(fresh, 0);
    EXPECT_FALSE(absent.answered);
    EXPECT_EQ(absent.deviceCount, 0u);
}

TEST_F(Link, AMissingLibraryRaises) {
    auto source = std::make_unique<FakeUsbLibrary>();
    source->loadable = false;
    device::TFix64 fresh(std::move(source));
    EXPECT_THROW(polling::Connect(fresh, 0), device::DeviceError);
}

TEST_F(Link, SerialNumberIsTheEepromReadAloneAfterAReopen) {
    model.eeprom()[7] = 0xFF;
    model.eeprom()[8] = 0xFF;
    EXPECT_EQ(polling::ReadSerialNumber(*link, 0), 65535);
    EXPECT_EQ(TakeExchanges(), std::vector<Exchange>{Read(7, 2)});
    EXPECT_EQ(usb.closes.size(), 2u);
}

TEST_F(Link, APollReadsTheValueAfterCommand1) {
    liveValues = {2500};
    const polling::PollResult poll = polling::Poll(*link);
    EXPECT_EQ(poll.value, 2500.0f);
    EXPECT_FALSE(poll.linkLost);
    EXPECT_EQ(TakeExchanges(), (std::vector<Exchange>{Command(1), ValueRead()}));
}

TEST_F(Link, AFailedPollRetriesCommand1OnceAndTellsWhetherTheLinkIsLost) {
    SilentAfter(1);  // command 1 answers, the value does not; the retry does not either
    polling::PollResult poll = polling::Poll(*link);
    EXPECT_FALSE(poll.value);
    EXPECT_TRUE(poll.linkLost);
    EXPECT_EQ(TakeExchanges(), (std::vector<Exchange>{Command(1), ValueRead(), Command(1)}));

    silentAfter.reset();
    usb.responder = [this, n = 0](const device::Frame& request) mutable -> std::optional<device::Frame> {
        if (n++ == 1) return std::nullopt;  // only the value goes unanswered
        return model.Respond(request);
    };
    poll = polling::Poll(*link);
    EXPECT_FALSE(poll.value);
    EXPECT_FALSE(poll.linkLost);
}

}  // namespace
