// The EEPROM layout and its little-endian encoding.
#include <gtest/gtest.h>
#include <vector>

#include "config/ByteCodec.h"
#include "config/EepromMap.h"

namespace {

TEST(EepromMap, OutputRecordsLieWhereTheTransmitterKeepsThem) {
    const uint32_t lowerAt[] = {67, 76, 85, 94};
    for (size_t i = 0; i < config::OutputCount; ++i) {
        EXPECT_EQ(config::OutputRecordAddress(i), lowerAt[i]);
        EXPECT_EQ(config::OutputRecordAddress(i) + config::OutputRecordHigherOffset, lowerAt[i] + 4);
        EXPECT_EQ(config::OutputRecordAddress(i) + config::OutputRecordModeOffset, lowerAt[i] + 8);
    }
    EXPECT_EQ(config::OutputRecordAddress(3) + config::OutputRecordSize, config::eeOutputs + config::eeOutputsLength);
    EXPECT_EQ(config::eeNominalRange + 4, config::eeSpecificGravity);
    EXPECT_EQ(config::EepromImageSize, 65535u);
}

TEST(EepromMap, RecordIsLowerHigherModeInLittleEndianFloats) {
    uint8_t bytes[9] = {};
    config::StoreOutputRecord(bytes, {1000.0f, -5000.0f, 3});
    const uint8_t expected[9] = {0x00, 0x00, 0x7A, 0x44, 0x00, 0x40, 0x9C, 0xC5, 0x03};
    EXPECT_TRUE(std::equal(std::begin(bytes), std::end(bytes), std::begin(expected)));
    const config::OutputRecord back = config::LoadOutputRecord(expected);
    EXPECT_EQ(back.lower, 1000.0f);
    EXPECT_EQ(back.higher, -5000.0f);
    EXPECT_EQ(back.mode, 3);
}

TEST(EepromMap, CodecReadsUnsignedAndFloatValues) {
    const uint8_t serial[] = {0x39, 0x30};
    EXPECT_EQ(config::LoadU16LE(serial), 12345);
    const uint8_t erased[] = {0xFF, 0xFF};
    EXPECT_EQ(config::LoadU16LE(erased), 65535);
    uint8_t word[4];
    config::StoreU32LE(word, 0x12345678);
    EXPECT_EQ(word[0], 0x78);
    EXPECT_EQ(word[3], 0x12);
    EXPECT_EQ(config::LoadU32LE(word), 0x12345678u);
    config::StoreFloatLE(word, 998.2f);
    EXPECT_EQ(config::LoadFloatLE(word), 998.2f);
}

TEST(EepromMap, ErasedSpecificGravityLooksOnlyAtItsFirstTwoBytes) {
    const std::vector<std::pair<std::vector<uint8_t>, bool>> cases = {
        {{0xFF, 0xFF, 0x00, 0x00}, true},
        {{0xFF, 0xFF, 0x7A, 0x44}, true},
        {{0xFF, 0xFE, 0xFF, 0xFF}, false},
        {{0x00, 0x00, 0x7A, 0x44}, false},
    };
    for (const auto& [bytes, erased] : cases) EXPECT_EQ(config::IsErasedSpecificGravity(bytes.data()), erased);
}

}  // namespace
