// The start-up step, the connection and the device info.
#include <QCoreApplication>
#include <QStatusBar>
#include <QTimer>

#include "support/DeviceWindowFixture.h"

namespace {

using namespace testsupport;

class Connection : public DeviceWindowFixture {};

TEST_F(Connection, StartupConnectsReadsSilentlyAndLeavesWritingEnabled) {
    window().Timer3->start();
    Qt::CursorShape during = Qt::ArrowCursor;
    usb.responder = [this, &during, inner = usb.responder](const device::Frame& request) {
        during = window().cursor().shape();
        return inner(request);
    };
    window().CCmPoStartu();
    EXPECT_FALSE(window().Timer3->isActive());
    EXPECT_EQ(during, Qt::BusyCursor);
    EXPECT_EQ(window().cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(window().pressureUnit, u"kPa");
    EXPECT_EQ(window().lengthUnit, u"mm");
    // Without settings the measurement type is the liquid column, applied by the first read.
    EXPECT_TRUE(window().checkHeightLiquidColumn->isChecked());
    EXPECT_EQ(window().displayUnit, u"mm");
    const std::vector<Exchange> exchanges = TakeExchanges();
    ASSERT_GE(exchanges.size(), 2u);
    EXPECT_EQ(exchanges[0], Command(2));
    EXPECT_EQ(exchanges[1], Command(4));
    EXPECT_EQ(exchanges.size(), 2u + 16u);  // the read of the configuration follows
    EXPECT_TRUE(dialogs().boxes.empty());   // read silently
    EXPECT_FALSE(window().startupRead);
    EXPECT_TRUE(window().buttonWriteConfiguration->isEnabled());
    EXPECT_EQ(window().Ro->text(), QStringLiteral("1000"));
    EXPECT_EQ(library->loads, 1);
    EXPECT_EQ(window().deviceLink->slaveAddress, 254);
    EXPECT_EQ(window().deviceLink->timeoutMs, 250);
    EXPECT_TRUE(sleeps.empty());
}

TEST_F(Connection, NoDeviceOrASilentOneIsShownInTheStatusBarForOneSecond) {
    const std::pair<uint32_t, const char*> cases[] = {
        {0, "The device is not connected"},
        {1, "The device does not reply"},
    };
    for (const auto& [count, message] : cases) {
        SCOPED_TRACE(message);
        CreateWindow();
        BindWindow();
        usb.deviceCount = count;
        Silence();
        std::vector<QString> shownDuringSleep;
        platform::ReplaceSleep([&](uint32_t ms) {
            sleeps.push_back(ms);
            shownDuringSleep.push_back(window().StatusText());
        });
        window().CCmPoStartu();
        EXPECT_EQ(sleeps, std::vector<uint32_t>{1000});
        EXPECT_EQ(shownDuringSleep, std::vector<QString>{QString::fromLatin1(message)});
        EXPECT_TRUE(window().StatusText().isEmpty());
        EXPECT_FALSE(window().buttonWriteConfiguration->isEnabled());
        EXPECT_TRUE(window().buttonreadConfiguration->isEnabled());
        EXPECT_TRUE(dialogs().boxes.empty());
        EXPECT_EQ(window().cursor().shape(), Qt::ArrowCursor);
        sleeps.clear();
    }
}

TEST_F(Connection, AMissingLibraryGoesToTheErrorReportAndLeavesWritingEnabled) {
    libraryLoadable = false;
    window().Timer3->start(0);  // delivered through the binding, as the timer delivers it
    QCoreApplication::processEvents();
    ASSERT_EQ(dialogs().boxes.size(), 1u);
    EXPECT_EQ(dialogs().boxes[0].kind, RecordedBox::Kind::ErrorReport);
    EXPECT_EQ(dialogs().boxes[0].text, QStringLiteral("Cannot find usb serial library mpusbapi.dll"));
    EXPECT_TRUE(window().buttonWriteConfiguration->isEnabled());
    EXPECT_EQ(window().cursor().shape(), Qt::ArrowCursor);
    EXPECT_FALSE(window().Timer3->isActive());
}

TEST_F(Connection, DeviceInfoShowsTheSerialNumberAsUnsigned) {
    StartUp();
    const std::pair<std::vector<uint8_t>, const char*> cases[] = {
        {{0x39, 0x30}, "Serial number is 12345"},
        {{0xFF, 0xFF}, "Serial number is 65535"},
    };
    for (const auto& [bytes, expected] : cases) {
        std::copy(bytes.begin(), bytes.end(), model.eeprom().begin() + config::eeSerialNumber);
        dialogs().boxes.clear();
        window().CmDeviceInfo();
        EXPECT_EQ(TakeExchanges(), std::vector<Exchange>{Read(7, 2)});
        ASSERT_EQ(dialogs().boxes.size(), 1u);
        EXPECT_EQ(dialogs().boxes[0].text, QString::fromLatin1(expected));
        EXPECT_EQ(dialogs().boxes[0].caption, QStringLiteral("Device info"));
        EXPECT_FALSE(window().requestPending);
        EXPECT_EQ(window().pendingRequest, 4);
    }
}

TEST_F(Connection, DeviceInfoWithoutAReplyOrBeforeTheLinkExistsSaysDeviceNotReply) {
    window().CmDeviceInfo();  // before the start-up step
    StartUp();
    Silence();
    window().CmDeviceInfo();
    ASSERT_EQ(dialogs().boxes.size(), 2u);
    for (const auto& box : dialogs().boxes) {
        EXPECT_EQ(box.text, QStringLiteral("Device not reply"));
        EXPECT_EQ(box.caption, QStringLiteral("Error"));
    }
    EXPECT_FALSE(window().requestPending);
}

TEST_F(Connection, NoPollRunsWhileTheDeviceInfoBoxIsOpen) {
    StartUp();
    window().checkActualValue->setChecked(true);
    TakeExchanges();
    dialogs().AnswerNext([this](const RecordedBox&) {
        window().Timer1Timer();  // a tick delivered while the box is open
        return BoxAnswer::Ok;
    });
    window().CmDeviceInfo();
    EXPECT_EQ(TakeExchanges(), std::vector<Exchange>{Read(7, 2)});
}

TEST_F(Connection, TickingOrUntickingActualValueReopensThePipes) {
    window().checkActualValue->setChecked(true);  // no link yet: nothing happens
    EXPECT_TRUE(usb.opens.empty());
    StartUp();
    for (bool ticked : {false, true}) {
        usb.opens.clear();
        usb.closes.clear();
        window().checkActualValue->setChecked(ticked);
        EXPECT_EQ(usb.opens.size(), 2u);
        EXPECT_EQ(usb.closes.size(), 2u);
        EXPECT_TRUE(TakeExchanges().empty());
    }
    EXPECT_FALSE(window().requestPending);
}

}  // namespace
