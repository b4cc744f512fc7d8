// The read, write and zero-correction conversations of the core, frame by frame.
#include <cmath>
#include <limits>

#include "config/Transfer.h"
#include "config/ZeroCorrection.h"
#include "device/Fix64usb.h"
#include "support/TransmitterLinkFixture.h"

namespace {

using namespace testsupport;

class Transfer : public TransmitterLinkFixture {
protected:
    config::EepromImage image{};
};

const std::vector<Exchange> CompleteRead = {
    Command(2),    Read(890, 8), Read(67, 36), Read(67, 4), Read(71, 4), Read(75, 1), Read(76, 4), Read(80, 4),
    Read(84, 1),   Read(85, 4),  Read(89, 4),  Read(93, 1), Read(94, 4), Read(98, 4), Read(102, 1), Command(1)};

TEST_F(Transfer, ReadHandsOnEveryFieldInTheConversationsOrder) {
    SetEepromFloat(config::eeSpecificGravity, 998.5f);
    model.eeprom()[config::OutputRecordAddress(3) + 8] = 7;
    config::ConfigurationCollector collector;
    config::ReadConfiguration(*link, 0, image, collector);
    EXPECT_EQ(TakeExchanges(), CompleteRead);
    EXPECT_EQ(usb.closes.size(), 2u);  // the pipes were re-opened first
    EXPECT_EQ(collector.fieldsRead, 12);
    EXPECT_EQ(collector.configuration.nominalRange, 100000.0f);
    EXPECT_EQ(collector.configuration.specificGravity, 998.5f);
    EXPECT_EQ(collector.configuration.outputs[1].lower, 60000.0f);
    EXPECT_EQ(collector.configuration.outputs[1].higher, 80000.0f);
    EXPECT_EQ(collector.configuration.outputs[2].mode, 3);
    EXPECT_EQ(collector.configuration.outputs[3].mode, 7);
    EXPECT_TRUE(std::equal(&image[67], &image[103], &model.eeprom()[67]));
}

TEST_F(Transfer, AReadFailingAtExchange10HasHandedOnOutputs1And2Only) {
    SilentAfter(9);
    config::ConfigurationCollector collector;
    EXPECT_THROW(config::ReadConfiguration(*link, 0, image, collector), device::DeviceError);
    EXPECT_EQ(TakeExchanges().size(), 10u);
    EXPECT_TRUE(collector.blocksRead);
    EXPECT_EQ(collector.fieldsRead, 6);
}

TEST_F(Transfer, AnErasedSpecificGravityCountsAsZeroAndOutOfRange) {
    model.eeprom()[894] = 0xFF;
    model.eeprom()[895] = 0xFF;
    model.eeprom()[896] = 0;
    model.eeprom()[897] = 0;
    config::ConfigurationCollector collector;
    config::ReadConfiguration(*link, 0, image, collector);
    EXPECT_EQ(collector.configuration.specificGravity, 0.0f);
    for (float density : {0.0f, 9.99f, 100000.5f, std::numeric_limits<float>::quiet_NaN()})
        EXPECT_FALSE(config::IsValidSpecificGravity(density)) << density;
    for (float density : {10.0f, 1000.0f, 100000.0f}) EXPECT_TRUE(config::IsValidSpecificGravity(density)) << density;
}

TEST_F(Transfer, WriteSendsTheGravityThenTheOutputsAsOneBlock) {
    const std::array<config::OutputRecord, 4> outputs = {
        {{1, 2, 0}, {3, 4, 1}, {5, 6, 2}, {7, 8, 255}}};
    config::WriteStage stage = config::WriteStage::Opening;
    config::WriteConfiguration(*link, 0, [] { return 998.5f; }, outputs, image, &stage);
    std::vector<uint8_t> block(36);
    for (size_t i = 0; i < 4; ++i) config::StoreOutputRecord(&block[9 * i], outputs[i]);
    EXPECT_EQ(TakeExchanges(), (std::vector<Exchange>{Command(2), Write(894, FloatBytes(998.5f)), Write(67, block),
                                                      Command(1)}));
    EXPECT_EQ(stage, config::WriteStage::Done);
    EXPECT_EQ(EepromFloat(config::eeSpecificGravity), 998.5f);
    EXPECT_EQ(model.eeprom()[102], 255);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), &image[67]));
}

TEST_F(Transfer, TheGravityIsAskedForAfterCommand2AndAFailureThereWritesNothing) {
    config::WriteStage stage = config::WriteStage::Opening;
    EXPECT_THROW(config::WriteConfiguration(
                     *link, 0, []() -> float { throw std::runtime_error("not a number"); }, {}, image, &stage),
                 std::runtime_error);
    EXPECT_EQ(TakeExchanges(), std::vector<Exchange>{Command(2)});
    EXPECT_EQ(stage, config::WriteStage::SpecificGravity);
}

TEST_F(Transfer, AWriteFailingAtTheOutputsKeepsTheNewGravityAndSaysHowFarItCame) {
    SilentAfter(2);
    config::WriteStage stage = config::WriteStage::Opening;
    EXPECT_THROW(config::WriteConfiguration(*link, 0, [] { return 1200.0f; }, {}, image, &stage), device::DeviceError);
    EXPECT_EQ(stage, config::WriteStage::Outputs);
    EXPECT_EQ(EepromFloat(config::eeSpecificGravity), 1200.0f);
}

TEST_F(Transfer, FirstInvertedOutputFindsTheFirstLowerAboveItsHigher) {
    EXPECT_EQ(config::FirstInvertedOutput({0, 0, 0, 5000}, {0, 0, 0, 4000}), 3u);
    EXPECT_EQ(config::FirstInvertedOutput({2, 0, 9, 0}, {1, 0, 8, 0}), 0u);
    EXPECT_EQ(config::FirstInvertedOutput({1, 1, 1, 1}, {1, 1, 1, 1}), std::nullopt);
}

TEST_F(Transfer, ZeroCorrectionMeasuresAsksAndCorrectsByTheSmallerReading) {
    SetEepromFloat(config::eeZeroOffset, 50);
    liveValues = {120, 100};
    const config::ZeroReadings r = config::MeasureZero(*link, 0);
    EXPECT_EQ(TakeExchanges(), (std::vector<Exchange>{Command(2), Read(940, 4), ValueRead(), Command(13), ValueRead()}));
    EXPECT_EQ(sleeps, std::vector<uint32_t>{500});
    EXPECT_FLOAT_EQ(config::ZeroError(r, 0.001f), 0.11f);
    EXPECT_EQ(config::ApplyZeroCorrection(*link, r), -50.0f);
    EXPECT_EQ(TakeExchanges(), (std::vector<Exchange>{Write(940, FloatBytes(-50)), Command(1)}));
    EXPECT_EQ(EepromFloat(config::eeZeroOffset), -50.0f);
    config::DeclineZeroCorrection(*link);
    EXPECT_EQ(TakeExchanges(), std::vector<Exchange>{Command(1)});
}

// A reading or offset that is not a finite number fails the procedure; nothing reaches 940.
TEST_F(Transfer, ZeroCorrectionWritesNothingThatIsNotAFiniteNumber) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float tooLarge = static_cast<float>(1e39);  // a reading beyond a float: infinity
    struct Case {
        const char* name;
        float offset, r1, r2;
    };
    for (const Case& c : {Case{"NaN first", 0, nan, 100}, Case{"NaN second", 0, 100, nan},
                          Case{"1e39 first", 0, tooLarge, 100}, Case{"-1e39 second", 0, 100, -tooLarge},
                          Case{"erased offset", nan, 100, 120}, Case{"offset overflows", 3e38f, -3e38f, -3e38f}}) {
        SCOPED_TRACE(c.name);
        SetEepromFloat(config::eeZeroOffset, c.offset);
        liveValues = {c.r1, c.r2};
        usb.writes.clear();
        EXPECT_ANY_THROW({
            const config::ZeroReadings r = config::MeasureZero(*link, 0);
            config::ApplyZeroCorrection(*link, r);
        });
        for (const Exchange& e : TakeExchanges()) EXPECT_NE(e.command, 8);
        const float stored = EepromFloat(config::eeZeroOffset);
        EXPECT_TRUE(stored == c.offset || (std::isnan(stored) && std::isnan(c.offset)));
    }
}

}  // namespace
