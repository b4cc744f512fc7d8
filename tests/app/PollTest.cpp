// The once-a-second poll of the live value, the lamps and the requests made during a poll.
#include <QLabel>

#include "support/DeviceWindowFixture.h"

namespace {

using namespace testsupport;

class Poll : public DeviceWindowFixture {
protected:
    void SetUp() override {
        DeviceWindowFixture::SetUp();
        window().isPressure = true;  // the pressure type after the start-up read
        StartUp();
        window().checkActualValue->setChecked(true);
        usb.writes.clear();
        dialogs().boxes.clear();
    }

    std::vector<int> Lamps() {
        std::vector<int> lamps;
        for (auto* lamp : window().AHMLed) lamps.push_back(lamp->value());
        return lamps;
    }
};

TEST_F(Poll, ShowsTheValueInTheDisplayUnitAndSetsTheLamps) {
    window().outputLower = {1000, 1000, 1000, 3000};
    window().outputHigher = {2000, 2000, 2000, 4000};
    for (size_t i = 0; i < 4; ++i) window().comboBoxConfiguration[i]->setCurrentIndex(int(i + 1));
    ReportValues({2500});
    window().Timer1Timer();
    EXPECT_EQ(TakeExchanges(), (std::vector<Exchange>{Command(1), ValueRead()}));
    EXPECT_EQ(window().Aktualni->text(), QStringLiteral("2.500 kPa"));
    // compression above its band dark, extraction lit, correct value dark, error value lit
    EXPECT_EQ(Lamps(), (std::vector<int>{0, 1, 0, 1}));
    EXPECT_EQ(window().Hvezdicka->text(), QStringLiteral(" "));
    EXPECT_FALSE(window().pollBusy);
    EXPECT_TRUE(dialogs().boxes.empty());
}

TEST_F(Poll, DoesNothingWithoutTheBoxTickedOrWhileARequestIsPending) {
    window().checkActualValue->setChecked(false);
    usb.writes.clear();
    window().Timer1Timer();
    window().checkActualValue->setChecked(true);
    usb.writes.clear();
    window().requestPending = true;
    window().Timer1Timer();
    window().requestPending = false;
    window().pollBusy = true;
    window().Timer1Timer();
    EXPECT_TRUE(usb.writes.empty());
    EXPECT_EQ(window().Aktualni->text(), QStringLiteral(".........."));
    EXPECT_EQ(window().Hvezdicka->text(), QStringLiteral("*"));
}

TEST_F(Poll, ATransmitterThatStopsAnsweringIsRetriedOnceThenTheBoxIsUnticked) {
    window().comboBoxConfiguration[0]->setCurrentIndex(4);
    window().outputLower[0] = 1000;
    window().outputHigher[0] = 2000;
    ReportValues({5000});
    window().Timer1Timer();
    ASSERT_EQ(Lamps()[0], 1);
    TakeExchanges();

    Silence();
    usb.opens.clear();
    window().Timer1Timer();
    EXPECT_EQ(TakeExchanges(), (std::vector<Exchange>{Command(1), Command(1)}));
    EXPECT_FALSE(window().checkActualValue->isChecked());
    EXPECT_EQ(usb.opens.size(), 2u);  // unticking re-opened the pipes
    EXPECT_EQ(Lamps(), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(window().Aktualni->text(), QStringLiteral("5.000 kPa"));
    EXPECT_TRUE(dialogs().boxes.empty());
    window().Timer1Timer();
    EXPECT_TRUE(usb.writes.empty());  // polling stopped
}

TEST_F(Poll, AFailedReadingThatTheRetryOvercomesKeepsTheBoxAndLamps) {
    window().comboBoxConfiguration[0]->setCurrentIndex(3);
    window().outputLower[0] = 0;
    window().outputHigher[0] = 1e9f;
    ReportValues({10});
    window().Timer1Timer();
    ASSERT_EQ(Lamps()[0], 1);
    // The value request goes unanswered once; the retry is answered.
    auto inner = usb.responder;
    bool dropped = false;
    usb.responder = [&](const device::Frame& request) -> std::optional<device::Frame> {
        if (request[3] == 5 && !dropped) {
            dropped = true;
            return std::nullopt;
        }
        return inner(request);
    };
    window().Timer1Timer();
    EXPECT_TRUE(window().checkActualValue->isChecked());
    EXPECT_EQ(Lamps()[0], 1);
    EXPECT_EQ(window().Aktualni->text(), QStringLiteral("0.010 kPa"));
}

TEST_F(Poll, ARequestMadeDuringAPollRunsRightAfterItAndOnlyTheLaterOfTwo) {
    // The device info is asked for, then the read, both while the poll exchanges its frames.
    auto inner = usb.responder;
    bool asked = false;
    usb.responder = [&](const device::Frame& request) {
        if (!asked && request[3] == 5) {
            asked = true;
            window().CmDeviceInfo();
            window().CmVycist();
            EXPECT_TRUE(window().requestPending);
            EXPECT_EQ(window().pendingRequest, 2);
        }
        return inner(request);
    };
    window().Timer1Timer();
    const std::vector<Exchange> exchanges = TakeExchanges();
    ASSERT_GE(exchanges.size(), 3u);
    EXPECT_EQ(exchanges[0], Command(1));
    EXPECT_EQ(exchanges[1], ValueRead());
    EXPECT_EQ(exchanges[2], Command(2));  // the read, not the device info
    EXPECT_EQ(exchanges.size(), 2u + 16u);
    EXPECT_EQ(BoxTexts(), std::vector<QString>{QStringLiteral("Configuration successfully read")});
    EXPECT_FALSE(window().requestPending);
}

TEST_F(Poll, TheDisplayFactorOnlyChangesTheLabel) {
    window().CmPa();
    window().comboBoxConfiguration[0]->setCurrentIndex(3);
    window().outputLower[0] = 2000;
    window().outputHigher[0] = 3000;
    ReportValues({2500});
    window().Timer1Timer();
    EXPECT_EQ(window().Aktualni->text(), QStringLiteral("2500 Pa"));
    EXPECT_EQ(Lamps()[0], 1);
}

}  // namespace
