#include "TransmitterModel.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>

#include "SimEnvironment.h"

#include "config/ByteCodec.h"
#include "config/EepromMap.h"
#include "platform/AtomicFile.h"
#include "platform/Folders.h"
#include "platform/Paths.h"

namespace sim {
namespace {

double SteadySeconds() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(platform::PathFromUtf8(path), std::ios::binary);
    if (!in) return {};
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::string DefaultEepromFile() {
    if (std::string named = EnvironmentText("KD4410_SIM_EEPROM"); !named.empty()) return named;
    const std::string state = platform::StateFolder();
    return state.empty() ? std::string() : platform::JoinPath(platform::JoinPath(state, "kd4410-sim"), "eeprom.bin");
}

std::string EepromFileOf(const std::string& first, size_t index) {
    if (index == 0 || first.empty()) return first;
    // The folder's text stays as it is given; the number goes before the name's extension.
    const size_t nameStart = first.size() - platform::FileNameOf(first).size();
    const size_t dot = first.rfind('.');
    const size_t at = dot == std::string::npos || dot <= nameStart ? first.size() : dot;
    return first.substr(0, at) + "-" + std::to_string(index + 1) + first.substr(at);
}

std::vector<TransmitterModel> ModelsFromEnvironment() {
    constexpr unsigned long MaxDevices = 64;
    unsigned long count = 1;
    if (const char* text = std::getenv("KD4410_SIM_DEVICES"); text != nullptr && text[0] != '\0') {
        char* end = nullptr;
        const unsigned long n = std::strtoul(text, &end, 10);
        if (*end == '\0' && n >= 1 && n <= MaxDevices) count = n;
    }
    const std::string first = DefaultEepromFile();
    std::vector<TransmitterModel> models;
    for (size_t i = 0; i < count; ++i)
        models.emplace_back(EepromFileOf(first, i), TransmitterModel::Clock(),
                            static_cast<uint16_t>(TransmitterModel::FirstSerialNumber + i));
    return models;
}

std::vector<uint8_t> TransmitterModel::FactoryEeprom(uint16_t serial) {
    std::vector<uint8_t> e(EepromSize, 0xFF);
    e[config::eeSerialNumber] = static_cast<uint8_t>(serial & 0xFF);
    e[config::eeSerialNumber + 1] = static_cast<uint8_t>(serial >> 8);
    // One output for each mode that switches: compression, extraction, correct and error value.
    const config::OutputRecord outputs[] = {
        {20000, 40000, 1}, {60000, 80000, 2}, {30000, 70000, 3}, {10000, 90000, 4}};
    for (size_t i = 0; i < config::OutputCount; ++i)
        config::StoreOutputRecord(&e[config::OutputRecordAddress(i)], outputs[i]);
    config::StoreFloatLE(&e[config::eeNominalRange], 100000);
    config::StoreFloatLE(&e[config::eeSpecificGravity], 1000);
    config::StoreFloatLE(&e[config::eeZeroOffset], 0);
    return e;
}

TransmitterModel::TransmitterModel(std::string eepromFile, Clock clock, uint16_t factorySerial)
    : file_(std::move(eepromFile)), clock_(clock ? std::move(clock) : Clock(SteadySeconds)) {
    if (!file_.empty()) eeprom_ = ReadFile(file_);
    if (eeprom_.size() != EepromSize) eeprom_ = FactoryEeprom(factorySerial);
}

bool TransmitterModel::Save() const {
    if (file_.empty()) return true;
    const std::string folder = platform::FolderOf(file_);
    if (!folder.empty()) platform::CreateFolders(folder);
    return platform::WriteFileAtomically(
        file_, std::string_view(reinterpret_cast<const char*>(eeprom_.data()), eeprom_.size()));
}

float TransmitterModel::LiveValue() {
    const float range = config::LoadFloatLE(&eeprom_[config::eeNominalRange]);
    const double span = std::isfinite(range) && range > 0 ? range : 100000.0;
    const double t = clock_();
    // A slow swing through most of the range, a little noise and a small zero error.
    const double signal = span * (0.5 + 0.4 * std::sin(2 * std::numbers::pi * t / 90.0));
    noiseState_ ^= noiseState_ << 13;
    noiseState_ ^= noiseState_ >> 17;
    noiseState_ ^= noiseState_ << 5;
    const double noise = span * 0.0005 * ((noiseState_ % 2001) / 1000.0 - 1.0);
    const double zeroError = span * 0.002;
    const float offset = config::LoadFloatLE(&eeprom_[config::eeZeroOffset]);
    return static_cast<float>(signal + noise + zeroError + (std::isfinite(offset) ? offset : 0.0f));
}

std::optional<device::Frame> TransmitterModel::Respond(const device::Frame& request) {
    using namespace device;
    if (FrameCrc(request) != request[ChecksumAt]) return std::nullopt;
    const uint8_t slave = request[SlaveAt];
    const bool wantsReply = slave == OwnSlaveAddress || slave == AnySlaveAddress;
    if (!wantsReply && slave != NoReplySlaveAddress) return std::nullopt;

    Frame reply{};
    reply[StartByteAt] = StartByte;
    reply[MasterAt] = MasterAddress;
    reply[SlaveAt] = OwnSlaveAddress;
    reply[CommandAt] = request[CommandAt];
    const uint8_t length = request[Parameter1At];
    const uint32_t address = config::LoadU32LE(&request[ShortDataAt]);
    switch (request[CommandAt]) {
        case CmdCommand1:
        case CmdCommand2:
        case CmdCommand4:
        case CmdZeroStep:
            break;
        case CmdReadValue: {
            const uint8_t count = std::min<uint8_t>(length, 4);
            uint8_t value[4];
            config::StoreFloatLE(value, LiveValue());
            reply[Parameter2At] = count;
            std::copy_n(value, count, reply.begin() + ShortDataAt);
            break;
        }
        case CmdReadEeprom:
            if (length == 0 || length > MaxEepromBlock) return std::nullopt;
            for (uint32_t k = 0; k < length; ++k)
                reply[LongDataAt + k] = address + k < EepromSize ? eeprom_[address + k] : 0xFF;
            reply[Parameter1At] = length;
            std::copy_n(&request[ShortDataAt], ShortDataSize, reply.begin() + ShortDataAt);
            break;
        case CmdWriteEeprom:
            if (length == 0 || length > MaxEepromBlock) return std::nullopt;
            for (uint32_t k = 0; k < length && address + k < EepromSize; ++k)
                eeprom_[address + k] = request[LongDataAt + k];
            Save();
            reply[Parameter1At] = length;
            break;
        default:
            return std::nullopt;  // a command the transmitter does not know
    }
    if (!wantsReply) return std::nullopt;
    reply[ChecksumAt] = FrameCrc(reply);
    return reply;
}

}  // namespace sim
