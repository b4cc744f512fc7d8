// The simulated transmitter: its answers, its EEPROM file and its faults.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "FakeUsb.h"
#include "SimulatedUsbDevice.h"
#include "TransmitterModel.h"
#include "config/ByteCodec.h"
#include "config/EepromMap.h"
#include "mpusbapi.h"
#include "support/FileLock.h"
#include "support/TempFolder.h"

namespace {

using device::Frame;

template <typename Edit>
sim::Faults FaultsWith(Edit edit) {
    sim::Faults faults;
    edit(faults);
    return faults;
}

// A TFix64 whose device is the model.
struct ModelLink {
    explicit ModelLink(sim::TransmitterModel& model) {
        usb.responder = [&model](const Frame& request) { return model.Respond(request); };
        link = testsupport::ConnectedLink();
    }
    testsupport::FakeUsb usb;
    std::unique_ptr<device::TFix64> link;
};

TEST(TransmitterModel, FactoryContentHasSerialRangeGravityAndEveryMode) {
    sim::TransmitterModel model;
    ModelLink m(model);
    uint8_t bytes[36];
    m.link->ReadEeprom(config::eeSerialNumber, bytes, 2);
    EXPECT_EQ(config::LoadU16LE(bytes), 12345);
    m.link->ReadEeprom(config::eeNominalRange, bytes, 8);
    EXPECT_EQ(config::LoadFloatLE(bytes), 100000.0f);
    EXPECT_EQ(config::LoadFloatLE(bytes + 4), 1000.0f);
    m.link->ReadEeprom(config::eeZeroOffset, bytes, 4);
    EXPECT_EQ(config::LoadFloatLE(bytes), 0.0f);
    m.link->ReadEeprom(config::eeOutputs, bytes, 36);
    std::set<int> modes;
    for (size_t i = 0; i < 4; ++i) {
        const auto record = config::LoadOutputRecord(bytes + 9 * i);
        EXPECT_LE(record.lower, record.higher);
        modes.insert(record.mode);
    }
    EXPECT_EQ(modes, (std::set<int>{1, 2, 3, 4}));
}

TEST(TransmitterModel, RepliesCarryMasterItsOwnSlaveTheCommandAndAValidChecksum) {
    sim::TransmitterModel model;
    for (uint8_t command : {1, 2, 4, 13}) {
        ModelLink m(model);
        EXPECT_NO_THROW(m.link->Transact(command, 0, 0, 0)) << int(command);
        EXPECT_EQ(m.link->replyFrame[1], 0xFF);
        EXPECT_EQ(m.link->replyFrame[2], sim::TransmitterModel::OwnSlaveAddress);
        EXPECT_EQ(m.link->replyFrame[3], command);
        EXPECT_EQ(m.link->replyFrame[63], device::FrameCrc(m.link->replyFrame));
    }
}

TEST(TransmitterModel, StaysSilentOnUnknownCommandsBadChecksumsAndOtherSlaves) {
    sim::TransmitterModel model;
    Frame request{};
    request[0] = 0xA5;
    request[1] = 0xFF;
    request[2] = 254;
    request[3] = 9;  // unknown
    request[63] = device::FrameCrc(request);
    EXPECT_FALSE(model.Respond(request));
    request[3] = 1;
    request[63] = device::FrameCrc(request) ^ 1;
    EXPECT_FALSE(model.Respond(request));
    request[2] = 77;
    request[63] = device::FrameCrc(request);
    EXPECT_FALSE(model.Respond(request));
    request[2] = sim::TransmitterModel::OwnSlaveAddress;
    request[63] = device::FrameCrc(request);
    EXPECT_TRUE(model.Respond(request));
}

TEST(TransmitterModel, LiveValueFollowsTheClockStaysInRangeAndIncludesTheZeroOffset) {
    double now = 0;
    sim::TransmitterModel model({}, [&now] { return now; });
    ModelLink m(model);
    float previous = 0;
    for (int second = 0; second < 120; ++second) {
        now = second;
        uint8_t value[4];
        m.link->ReadValue(4, value);
        EXPECT_EQ(m.link->replyFrame[5] & 7, 4);
        const float reading = config::LoadFloatLE(value);
        EXPECT_GT(reading, 0.0f);
        EXPECT_LT(reading, 100000.0f);
        if (second > 0) {
            EXPECT_LT(std::abs(reading - previous), 5000.0f) << "smooth";
        }
        previous = reading;
    }
    const float before = model.LiveValue();
    uint8_t offset[4];
    config::StoreFloatLE(offset, -20000);
    m.link->WriteEeprom(config::eeZeroOffset, offset, 4);
    EXPECT_NEAR(model.LiveValue(), before - 20000, 200);
}

TEST(TransmitterModel, EepromWritesReachTheFileAtomicallyAndSurviveARestart) {
    testsupport::TempFolder folder;
    const std::string file = folder / "state/kd4410-sim/eeprom.bin";
    {
        sim::TransmitterModel model(file);
        ModelLink m(model);
        const uint8_t gravity[4] = {0x00, 0x80, 0x79, 0x44};  // 998
        m.link->WriteEeprom(config::eeSpecificGravity, gravity, 4);
    }
    EXPECT_EQ(std::filesystem::file_size(file), sim::TransmitterModel::EepromSize);
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(file).parent_path()))
        EXPECT_EQ(entry.path().filename(), "eeprom.bin") << "no temporary file left behind";
    sim::TransmitterModel restarted(file);
    EXPECT_EQ(config::LoadFloatLE(&restarted.eeprom()[config::eeSpecificGravity]), 998.0f);
    EXPECT_EQ(config::LoadU16LE(&restarted.eeprom()[config::eeSerialNumber]), 12345);
}

TEST(TransmitterModel, AFileOfTheWrongSizeStartsFromFactoryContent) {
    testsupport::TempFolder folder;
    const std::string file = folder / "eeprom.bin";
    std::ofstream(file) << "short";
    sim::TransmitterModel model(file);
    EXPECT_EQ(model.eeprom(), sim::TransmitterModel::FactoryEeprom());
}

TEST(SimulatedUsbDevice, FaultsOnRequest) {
    auto request = [] {
        Frame f{};
        f[0] = 0xA5;
        f[1] = 0xFF;
        f[2] = 254;
        f[3] = 1;
        f[63] = device::FrameCrc(f);
        return f;
    }();
    auto exchange = [&](sim::SimulatedUsbDevice& device, uint32_t in, uint32_t out) {
        Frame reply{};
        uint32_t received = 0;
        device.Write(out, request.data(), 64);
        return device.Read(in, reply.data(), 64, &received, 250) ? std::optional<Frame>(reply) : std::nullopt;
    };
    const char* id = "VID_04D8&PID_000C";
    {
        sim::SimulatedUsbDevice absent(sim::TransmitterModel(), FaultsWith([&](sim::Faults& f) { f.attached = false; }));
        EXPECT_EQ(absent.Count(id), 0u);
        EXPECT_EQ(absent.Open(0, id, "\\MCHP_EP1", 1), MPUSB_INVALID_HANDLE);
    }
    {
        sim::SimulatedUsbDevice silent(sim::TransmitterModel(), FaultsWith([&](sim::Faults& f) { f.silent = true; }));
        EXPECT_EQ(silent.Count(id), 1u);
        const uint32_t in = silent.Open(0, id, "\\MCHP_EP1", 1), out = silent.Open(0, id, "\\MCHP_EP1", 0);
        EXPECT_FALSE(exchange(silent, in, out));
    }
    {
        sim::SimulatedUsbDevice garbled(sim::TransmitterModel(), FaultsWith([&](sim::Faults& f) { f.badChecksum = true; }));
        const uint32_t in = garbled.Open(0, id, "\\MCHP_EP1", 1), out = garbled.Open(0, id, "\\MCHP_EP1", 0);
        const auto reply = exchange(garbled, in, out);
        ASSERT_TRUE(reply);
        EXPECT_NE((*reply)[63], device::FrameCrc(*reply));
    }
    {
        sim::SimulatedUsbDevice tiring(sim::TransmitterModel(), FaultsWith([&](sim::Faults& f) { f.answersLeft = 2; }));
        const uint32_t in = tiring.Open(0, id, "\\MCHP_EP1", 1), out = tiring.Open(0, id, "\\MCHP_EP1", 0);
        EXPECT_TRUE(exchange(tiring, in, out));
        EXPECT_TRUE(exchange(tiring, in, out));
        EXPECT_FALSE(exchange(tiring, in, out));
        EXPECT_FALSE(exchange(tiring, in, out));
    }
}

TEST(SimulatedUsbDevice, LogsEachRequestAndReplyAsALineOfHex) {
    testsupport::TempFolder folder;
    const std::string log = folder / "frames.log";
    sim::SimulatedUsbDevice device(sim::TransmitterModel(), FaultsWith([&](sim::Faults& f) { f.logFile = log; }));
    const char* id = "vid_04d8&pid_000c";
    const uint32_t in = device.Open(0, id, "\\MCHP_EP1", 1), out = device.Open(0, id, "\\MCHP_EP1", 0);
    Frame request{};
    request[0] = 0xA5; request[1] = 0xFF; request[2] = 254; request[3] = 2;
    request[63] = device::FrameCrc(request);
    Frame reply{};
    device.Write(out, request.data(), 64);
    device.Read(in, reply.data(), 64, nullptr, 250);
    std::ifstream in_file(log);
    std::string first, second;
    std::getline(in_file, first);
    std::getline(in_file, second);
    EXPECT_EQ(first.substr(0, 10), "> A5FFFE02");
    EXPECT_EQ(first.size(), 2u + 128u);
    EXPECT_EQ(second.substr(0, 10), "< A5FF0102");
}

}  // namespace

namespace {

// One request for the EEPROM read of the serial number, and its reply through the device.
std::optional<uint16_t> SerialThrough(sim::SimulatedUsbDevice& device, uint32_t index) {
    const char* id = "vid_04d8&pid_000c";
    const uint32_t in = device.Open(index, id, "\\MCHP_EP1", 1), out = device.Open(index, id, "\\MCHP_EP1", 0);
    Frame request{};
    request[0] = 0xA5; request[1] = 0xFF; request[2] = 254; request[3] = 7; request[4] = 2; request[7] = 7;
    request[63] = device::FrameCrc(request);
    Frame reply{};
    if (!device.Write(out, request.data(), 64) || !device.Read(in, reply.data(), 64, nullptr, 250)) return std::nullopt;
    return config::LoadU16LE(&reply[11]);
}

}  // namespace

TEST(SimulatedUsbDevice, SeveralTransmittersAnswerEachOnItsOwnPipesAndATellsWhyAnOpenFailed) {
    std::vector<sim::TransmitterModel> models;
    for (uint16_t k = 0; k < 3; ++k) models.emplace_back(std::string(), sim::TransmitterModel::Clock(), 12345 + k);
    sim::SimulatedUsbDevice bus(std::move(models), sim::Faults{});
    const char* id = "vid_04d8&pid_000c";
    EXPECT_EQ(bus.Count(id), 3u);
    EXPECT_EQ(bus.LastOpenError(), MPUSB_OPEN_OK);
    EXPECT_EQ(SerialThrough(bus, 2), 12347);
    EXPECT_EQ(SerialThrough(bus, 0), 12345);
    EXPECT_EQ(bus.LastOpenError(), MPUSB_OPEN_OK);
    EXPECT_EQ(bus.Open(3, id, "\\MCHP_EP1", 1), MPUSB_INVALID_HANDLE);
    EXPECT_EQ(bus.LastOpenError(), MPUSB_OPEN_NOT_FOUND);
    EXPECT_EQ(SerialThrough(bus, 1), 12346);
    EXPECT_EQ(bus.LastOpenError(), MPUSB_OPEN_OK);
}

TEST(TransmitterModel, EachOfSeveralTransmittersKeepsItsEepromInItsOwnFile) {
    EXPECT_EQ(sim::EepromFileOf("/s/eeprom.bin", 0), "/s/eeprom.bin");
    EXPECT_EQ(sim::EepromFileOf("/s/eeprom.bin", 1), "/s/eeprom-2.bin");
    EXPECT_EQ(sim::EepromFileOf("/s/store", 2), "/s/store-3");
    EXPECT_EQ(sim::EepromFileOf("", 2), "");

    testsupport::IsolatedUser user;
    const std::string first = user.folder() / "eeprom.bin";
    user.environment().Set("KD4410_SIM_EEPROM", first);
    user.environment().Set("KD4410_SIM_DEVICES", "3");
    std::vector<sim::TransmitterModel> models = sim::ModelsFromEnvironment();
    ASSERT_EQ(models.size(), 3u);
    EXPECT_EQ(config::LoadU16LE(&models[2].eeprom()[config::eeSerialNumber]), 12347);
    models[1].eeprom()[config::eeOutputs] = 0x42;
    ASSERT_TRUE(models[1].Save());
    EXPECT_TRUE(std::filesystem::exists(user.folder() / "eeprom-2.bin"));
    EXPECT_FALSE(std::filesystem::exists(first));
    EXPECT_EQ(sim::TransmitterModel(user.folder() / "eeprom-2.bin").eeprom()[config::eeOutputs], 0x42);

    for (const char* count : {"0", "x", "65"}) {
        user.environment().Set("KD4410_SIM_DEVICES", count);
        EXPECT_EQ(sim::ModelsFromEnvironment().size(), 1u) << count;
    }
}

// A user named "Jiří Müller" keeps the simulator's EEPROMs under a folder of that name.
TEST(TransmitterModel, EepromFilesUnderAFolderWithLettersBeyondAsciiAreKept) {
    testsupport::IsolatedUser user;
    user.environment().Set("KD4410_SIM_EEPROM", user.folder() / "Jiří Müller/eeprom.bin");
    user.environment().Set("KD4410_SIM_DEVICES", "2");
    std::vector<sim::TransmitterModel> models = sim::ModelsFromEnvironment();
    ASSERT_EQ(models.size(), 2u);
    models[1].eeprom()[config::eeOutputs] = 0x42;
    ASSERT_TRUE(models[1].Save());
    const std::filesystem::path second = testsupport::PathFromText(user.folder() / "Jiří Müller/eeprom-2.bin");
    EXPECT_EQ(std::filesystem::file_size(second), sim::TransmitterModel::EepromSize);
    EXPECT_EQ(sim::ModelsFromEnvironment()[1].eeprom()[config::eeOutputs], 0x42);
}

// The claim on a transmitter kept in a file: held from the first pipe to the last, and refused
// as busy to anyone else, also to another program that locks the claim file.
TEST(SimulatedUsbDevice, ATransmitterKeptInAFileIsClaimedFromItsFirstPipeToItsLast) {
    testsupport::TempFolder folder;
    const std::string file = folder / "eeprom.bin";
    const char* id = "vid_04d8&pid_000c";
    sim::SimulatedUsbDevice mine(sim::TransmitterModel(file), sim::Faults{});
    sim::SimulatedUsbDevice other(sim::TransmitterModel(file), sim::Faults{});
    const uint32_t in = mine.Open(0, id, "\\MCHP_EP1", 1), out = mine.Open(0, id, "\\MCHP_EP1", 0);
    ASSERT_NE(in, MPUSB_INVALID_HANDLE);
    ASSERT_NE(out, MPUSB_INVALID_HANDLE);
    EXPECT_EQ(other.Open(0, id, "\\MCHP_EP1", 1), MPUSB_INVALID_HANDLE);
    EXPECT_EQ(other.LastOpenError(), MPUSB_OPEN_BUSY);
    ASSERT_TRUE(mine.Close(in));
    EXPECT_EQ(other.Open(0, id, "\\MCHP_EP1", 1), MPUSB_INVALID_HANDLE) << "one pipe still open";
    ASSERT_TRUE(mine.Close(out));
    const uint32_t theirs = other.Open(0, id, "\\MCHP_EP1", 1);
    EXPECT_NE(theirs, MPUSB_INVALID_HANDLE);
    EXPECT_EQ(other.LastOpenError(), MPUSB_OPEN_OK);
    ASSERT_TRUE(other.Close(theirs));
    {
        testsupport::HeldFileLock held(file + ".lock");
        ASSERT_TRUE(held.held());
        EXPECT_EQ(mine.Open(0, id, "\\MCHP_EP1", 1), MPUSB_INVALID_HANDLE);
        EXPECT_EQ(mine.LastOpenError(), MPUSB_OPEN_BUSY);
    }
    EXPECT_NE(mine.Open(0, id, "\\MCHP_EP1", 1), MPUSB_INVALID_HANDLE);
}
