// A link connected as the program connects, to the transmitter model in process: the core's
// conversations are read frame by frame, faults staged and no test waits real time.
#pragma once

#include <gtest/gtest.h>

#include <optional>

#include "FakeUsb.h"
#include "TransmitterModel.h"
#include "platform/Sleep.h"
#include "support/Exchanges.h"
#include "support/ModelAnswers.h"

namespace testsupport {

class TransmitterLinkFixture : public ::testing::Test {
protected:
    void SetUp() override {
        usb.responder = [this](const device::Frame& request) {
            return AnswerFromModel(model, request, silentAfter, answered, liveValues);
        };
        link = ConnectedLink();
        usb.writes.clear();
        previousSleep_ = platform::ReplaceSleep([this](uint32_t ms) { sleeps.push_back(ms); });
    }
    void TearDown() override { platform::ReplaceSleep(previousSleep_); }

    std::vector<Exchange> TakeExchanges() {
        std::vector<Exchange> out = Decode(usb.writes);
        usb.writes.clear();
        return out;
    }
    // The transmitter stops answering after n more exchanges.
    void SilentAfter(size_t n) { silentAfter = answered + n; }
    float EepromFloat(uint32_t address) { return config::LoadFloatLE(&model.eeprom()[address]); }
    void SetEepromFloat(uint32_t address, float value) { config::StoreFloatLE(&model.eeprom()[address], value); }

    FakeUsb usb;
    double clock = 0;
    sim::TransmitterModel model{std::string(), [this] { return clock; }};
    std::unique_ptr<device::TFix64> link;
    std::optional<size_t> silentAfter;
    size_t answered = 0;
    std::vector<float> liveValues;  // the live values reported next, Pa
    std::vector<uint32_t> sleeps;

private:
    platform::SleepFunction previousSleep_;
};

}  // namespace testsupport
