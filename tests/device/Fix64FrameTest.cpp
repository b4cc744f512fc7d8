// Requests, their checksum and the checks a reply must pass.
#include <gtest/gtest.h>

#include <random>

#include "FakeUsb.h"

namespace {

using device::DeviceError;
using device::Frame;
using testsupport::FakeUsb;

std::string ErrorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const DeviceError& e) {
        return e.what();
    }
    return "no error";
}

TEST(FrameCrc, RequestsTheProgramSendsCarryTheKnownChecksums) {
    FakeUsb usb;
    auto link = testsupport::ConnectedLink();
    struct Row {
        std::function<void()> send;
        std::vector<std::pair<size_t, uint8_t>> bytes;
        uint8_t checksum;
    };
    uint8_t sink[52];
    const Row rows[] = {
        {[&] { link->Command1(); }, {{0, 0xA5}, {1, 0xFF}, {2, 0xFE}, {3, 0x01}}, 0xC8},
        {[&] { link->Command2(); }, {{0, 0xA5}, {1, 0xFF}, {2, 0xFE}, {3, 0x02}}, 0x23},
        {[&] { link->Command4(); }, {{0, 0xA5}, {1, 0xFF}, {2, 0xFE}, {3, 0x04}}, 0x56},
        {[&] { link->ReadValue(4, sink); }, {{0, 0xA5}, {1, 0xFF}, {2, 0xFE}, {3, 0x05}, {4, 0x04}}, 0x77},
        {[&] { link->ReadEeprom(7, sink, 2); }, {{0, 0xA5}, {1, 0xFF}, {2, 0xFE}, {3, 0x07}, {4, 0x02}, {7, 0x07}}, 0x29},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows);
        row.send();
        Frame expected{};
        for (auto [at, value] : row.bytes) expected[at] = value;
        expected[63] = row.checksum;
        EXPECT_EQ(usb.writes.back(), expected);
        EXPECT_EQ(device::FrameCrc(expected), row.checksum);
    }
}

TEST(FrameCrc, EqualsCrc8OverBytes1To61XoredWithByte62AndIgnoresStartAndChecksumBytes) {
    std::mt19937 random(4410);
    for (int n = 0; n < 200; ++n) {
        Frame frame;
        for (uint8_t& b : frame) b = static_cast<uint8_t>(random());
        uint8_t crc = 0;
        for (size_t i = 1; i <= 61; ++i) {
            crc ^= frame[i];
            for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80) ? static_cast<uint8_t>((crc << 1) ^ 0xA3) : static_cast<uint8_t>(crc << 1);
        }
        EXPECT_EQ(device::FrameCrc(frame), crc ^ frame[62]);
        Frame other = frame;
        other[0] ^= 0x5A;
        other[63] ^= 0x33;
        EXPECT_EQ(device::FrameCrc(other), device::FrameCrc(frame));
    }
}

struct ReplyCase {
    const char* what;
    uint8_t slaveAddress;
    std::function<void(Frame&)> spoil;  // applied to a valid reply; checksum fixed unless spoiled after
    bool fixChecksum;
    const char* error;  // nullptr: accepted
};

TEST(ReplyChecks, RunInOrderCommandMasterSlaveChecksum) {
    const ReplyCase cases[] = {
        {"start byte other than A5", 254, [](Frame& f) { f[0] = 0x00; }, true, nullptr},
        {"wrong command and wrong checksum", 254, [](Frame& f) { f[3] = 9; f[63] ^= 1; }, false, "Error command number"},
        {"wrong master and wrong checksum", 254, [](Frame& f) { f[1] = 0x01; f[63] ^= 1; }, false, "Error master adr"},
        {"other slave accepted under 254", 254, [](Frame& f) { f[2] = 7; }, true, nullptr},
        {"other slave refused under 5", 5, [](Frame& f) { f[2] = 7; }, true, "Error slave adr"},
        {"own slave accepted under 5", 5, [](Frame&) {}, true, nullptr},
        {"checksum wrong", 254, [](Frame& f) { f[63] ^= 0x80; }, false, "Error CRC"},
        {"payload change without checksum", 254, [](Frame& f) { f[20] = 1; }, false, "Error CRC"},
    };
    for (const ReplyCase& c : cases) {
        SCOPED_TRACE(c.what);
        FakeUsb usb;
        usb.responder = [&c](const Frame& request) {
            Frame reply = FakeUsb::Acknowledge(request);
            c.spoil(reply);
            if (c.fixChecksum) reply[63] = device::FrameCrc(reply);
            return std::optional<Frame>(reply);
        };
        auto link = testsupport::ConnectedLink();
        link->SetSlaveAddress(c.slaveAddress);
        EXPECT_EQ(ErrorOf([&] { link->Command1(); }), c.error ? c.error : "no error");
    }
}

TEST(ReplyChecks, NoReplyIsDeviceNotReplyAfterOneSendAndOneReceiveWithTheTimeout) {
    FakeUsb usb;
    usb.responder = [](const Frame&) { return std::nullopt; };
    auto link = testsupport::ConnectedLink();
    const Frame before = link->replyFrame;
    EXPECT_EQ(ErrorOf([&] { link->Command2(); }), "Device not reply");
    ASSERT_EQ(usb.writes.size(), 1u);
    EXPECT_EQ(usb.writeTimeouts.back(), 250u);
    ASSERT_EQ(usb.reads.size(), 1u);
    EXPECT_EQ(usb.reads.back().timeoutMs, 250u);
    EXPECT_EQ(usb.reads.back().length, 64u);
    EXPECT_EQ(usb.writes.back()[3], 2);  // requestFrame keeps the request that was sent
    EXPECT_EQ(link->requestFrame, usb.writes.back());
    EXPECT_EQ(link->replyFrame, before);
}

TEST(ReplyChecks, AShortReplyIsNotCompletedByTheTailOfAnEarlierReplyToTheSameCommand) {
    FakeUsb usb;
    usb.responder = [](const Frame& request) {
        Frame reply = FakeUsb::Acknowledge(request);
        for (size_t k = 0; k < 8; ++k) reply[11 + k] = static_cast<uint8_t>(0x31 + k);
        reply[63] = device::FrameCrc(reply);
        return std::optional<Frame>(reply);
    };
    auto link = testsupport::ConnectedLink();
    uint8_t block[8] = {};
    ASSERT_EQ(ErrorOf([&] { link->ReadEeprom(67, block, 8); }), "no error");
    EXPECT_EQ(block[7], 0x38);
    // The same request again, answered by the header alone: the old block must not pass as new.
    usb.replyBytes = 11;
    EXPECT_EQ(ErrorOf([&] { link->ReadEeprom(67, block, 8); }), "Error CRC");
    for (size_t k = 11; k < 64; ++k) EXPECT_EQ(link->replyFrame[k], 0) << k;
}

TEST(ReplyChecks, SlaveAddress253SendsAndReadsNothingEvenWithoutADevice) {
    FakeUsb usb;
    usb.responder = [](const Frame&) { return std::nullopt; };
    auto link = testsupport::ConnectedLink();
    link->replyFrame.fill(0x42);
    link->SetSlaveAddress(253);
    EXPECT_TRUE(link->Command1());
    EXPECT_EQ(usb.writes.size(), 1u);
    EXPECT_TRUE(usb.reads.empty());
    EXPECT_EQ(link->replyFrame[10], 0x42);
}

TEST(DeviceCommands, EepromLengthBoundsAreCheckedBeforeAnythingIsSent) {
    FakeUsb usb;
    auto link = testsupport::ConnectedLink();
    uint8_t block[64] = {};
    for (uint8_t length : {uint8_t(0), uint8_t(53), uint8_t(255)}) {
        EXPECT_EQ(ErrorOf([&] { link->ReadEeprom(67, block, length); }), "EEPROM ERROR LEN");
        EXPECT_EQ(ErrorOf([&] { link->WriteEeprom(67, block, length); }), "EEPROM ERROR LEN");
    }
    EXPECT_TRUE(usb.writes.empty());
    EXPECT_TRUE(link->ReadEeprom(0, block, 52));
    EXPECT_EQ(usb.writes.size(), 1u);
    EXPECT_EQ(usb.writes.back()[4], 52);
}

TEST(DeviceCommands, ReadEepromCopiesTheBlockFromByte11) {
    FakeUsb usb;
    usb.responder = [](const Frame& request) {
        Frame reply = FakeUsb::Acknowledge(request);
        for (size_t k = 0; k < 52; ++k) reply[11 + k] = static_cast<uint8_t>(0x80 + k);
        reply[63] = device::FrameCrc(reply);
        return std::optional<Frame>(reply);
    };
    auto link = testsupport::ConnectedLink();
    uint8_t block[8];
    std::fill(std::begin(block), std::end(block), 0xEE);
    link->ReadEeprom(0x00010203, block, 3);
    EXPECT_EQ(block[0], 0x80);
    EXPECT_EQ(block[2], 0x82);
    EXPECT_EQ(block[3], 0xEE);  // nothing beyond the length
    const Frame& sent = usb.writes.back();
    EXPECT_EQ(sent[3], 7);
    EXPECT_EQ(sent[7], 0x03);
    EXPECT_EQ(sent[8], 0x02);
    EXPECT_EQ(sent[9], 0x01);
    EXPECT_EQ(sent[10], 0x00);
}

TEST(DeviceCommands, WriteEepromSendsTheBlockFollowedByZeros) {
    FakeUsb usb;
    auto link = testsupport::ConnectedLink();
    const uint8_t data[4] = {0x00, 0x00, 0x7A, 0x44};
    link->WriteEeprom(894, data, 4);
    const Frame& sent = usb.writes.back();
    EXPECT_EQ(sent[3], 8);
    EXPECT_EQ(sent[4], 4);
    EXPECT_EQ(sent[7] | (sent[8] << 8), 894);
    EXPECT_EQ(sent[13], 0x7A);
    EXPECT_EQ(sent[14], 0x44);
    for (size_t k = 15; k < 63; ++k) EXPECT_EQ(sent[k], 0) << k;
    EXPECT_EQ(sent[63], device::FrameCrc(sent));
}

TEST(DeviceCommands, ReadValueTakesTheLowThreeBitsOfByte5AsItsCount) {
    const std::pair<uint8_t, std::array<uint8_t, 4>> cases[] = {
        {0x0C, {0x11, 0x22, 0x33, 0x44}},
        {0x02, {0x11, 0x22, 0x00, 0x00}},
        {0x07, {0x11, 0x22, 0x33, 0x44}},
        {0x00, {0x00, 0x00, 0x00, 0x00}},
    };
    for (const auto& [countByte, expected] : cases) {
        SCOPED_TRACE(int(countByte));
        FakeUsb usb;
        usb.responder = [countByte](const Frame& request) {
            Frame reply = FakeUsb::Acknowledge(request);
            reply[5] = countByte;
            const uint8_t value[] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77};
            std::copy(std::begin(value), std::end(value), reply.begin() + 7);
            reply[63] = device::FrameCrc(reply);
            return std::optional<Frame>(reply);
        };
        auto link = testsupport::ConnectedLink();
        std::array<uint8_t, 4> destination{9, 9, 9, 9};
        link->ReadValue(4, destination.data());
        EXPECT_EQ(destination, expected);
    }
}

}  // namespace
