#include "device/Fix64usb.h"

#include <algorithm>

#include "config/ByteCodec.h"

namespace device {

TFix64::TFix64(std::unique_ptr<UsbLibrarySource> source)
    : source_(source ? std::move(source) : std::make_unique<DynamicUsbLibrary>()) {}

bool TFix64::LoadUsbLibrary() {
    if (!source_->Load()) throw DeviceError(ErrLibraryMissing);
    return ResolveEntryPoints(*source_, entryPoints);
}

uint32_t TFix64::CountDevices() {
    return entryPoints.getDeviceCount ? entryPoints.getDeviceCount(DeviceIdentity) : 0;
}

bool TFix64::OpenPipes(uint32_t i) {
    auto open = [this, i](uint32_t direction) {
        return entryPoints.open ? entryPoints.open(i, DeviceIdentity, DeviceEndpoint, direction, 0) : InvalidPipe;
    };
    readPipe = open(MPUSB_DIRECTION_READ);
    writePipe = open(MPUSB_DIRECTION_WRITE);
    if (readPipe == InvalidPipe || writePipe == InvalidPipe) return false;
    if (i >= MaxDeviceIndex) return true;  // opened, but there is no table entry to keep it in
    readPipes[i] = readPipe;
    writePipes[i] = writePipe;
    return true;
}

void TFix64::ClosePipes(uint32_t i) {
    DrainInput();
    if (i >= MaxDeviceIndex) return;
    for (auto* table : {&readPipes, &writePipes}) {
        uint32_t& pipe = (*table)[i];
        if (pipe == 0) continue;
        if (entryPoints.close) entryPoints.close(pipe);
        pipe = 0;
    }
}

void TFix64::DrainInput() {
    if (readPipe == 0 || !entryPoints.read) return;
    for (uint32_t n = 0; n < DrainReads; ++n) {
        uint32_t ignored = 0;
        entryPoints.read(readPipe, replyFrame.data(), FrameSize, &ignored, DrainTimeoutMs);
    }
}

void TFix64::SendFrame() {
    if (!entryPoints.write) return;
    uint32_t sent = 0;
    entryPoints.write(writePipe, requestFrame.data(), FrameSize, &sent, timeoutMs);
}

bool TFix64::ReceiveFrame() {
    if (!entryPoints.read) return false;
    // A fresh, zeroed buffer: a short read must not be completed by the tail of an earlier
    // reply, which would pass the checks when that reply answered the same command.
    Frame received{};
    if (entryPoints.read(readPipe, received.data(), FrameSize, &receivedCount, timeoutMs) == 0) return false;
    replyFrame = received;
    return true;
}

bool TFix64::Transact(uint8_t command, uint8_t parameter1, uint8_t parameter2, uint8_t parameter3,
                      const uint8_t* shortData, const uint8_t* longData) {
    requestFrame.fill(0);
    requestFrame[StartByteAt] = StartByte;
    requestFrame[MasterAt] = MasterAddress;
    requestFrame[SlaveAt] = slaveAddress;
    requestFrame[CommandAt] = command;
    requestFrame[Parameter1At] = parameter1;
    requestFrame[Parameter2At] = parameter2;
    requestFrame[Parameter3At] = parameter3;
    if (shortData) std::copy_n(shortData, ShortDataSize, requestFrame.begin() + ShortDataAt);
    if (longData) std::copy_n(longData, LongDataSize, requestFrame.begin() + LongDataAt);
    requestFrame[ChecksumAt] = FrameCrc(requestFrame);

    SendFrame();
    if (slaveAddress == NoReplySlaveAddress) return true;
    if (!ReceiveFrame()) throw DeviceError(ErrNoReply);
    CheckReply();
    return true;
}

void TFix64::CheckReply() const {
    if (replyFrame[CommandAt] != requestFrame[CommandAt]) throw DeviceError(ErrCommandNumber);
    if (replyFrame[MasterAt] != requestFrame[MasterAt]) throw DeviceError(ErrMasterAddress);
    if (replyFrame[SlaveAt] != requestFrame[SlaveAt] && requestFrame[SlaveAt] != AnySlaveAddress)
        throw DeviceError(ErrSlaveAddress);
    if (FrameCrc(replyFrame) != replyFrame[ChecksumAt]) throw DeviceError(ErrChecksum);
}

bool TFix64::Command1() { return Transact(CmdCommand1, 0, 0, 0); }
bool TFix64::Command2() { return Transact(CmdCommand2, 0, 0, 0); }
bool TFix64::Command4() { return Transact(CmdCommand4, 0, 0, 0); }

void TFix64::ReadValue(uint8_t count, uint8_t* destination) {
    Transact(CmdReadValue, count, 0, 0);
    const size_t n = std::min<size_t>(replyFrame[Parameter2At] & 7, 4);
    std::fill_n(destination, 4, 0);
    std::copy_n(replyFrame.begin() + ShortDataAt, n, destination);
}

bool TFix64::ReadEeprom(uint32_t address, uint8_t* destination, uint8_t length) {
    if (length == 0 || length > MaxEepromBlock) throw DeviceError(ErrEepromLength);
    uint8_t at[4];
    config::StoreU32LE(at, address);
    Transact(CmdReadEeprom, length, 0, 0, at);
    std::copy_n(replyFrame.begin() + LongDataAt, length, destination);
    return true;
}

bool TFix64::WriteEeprom(uint32_t address, const uint8_t* source, uint8_t length) {
    if (length == 0 || length > MaxEepromBlock) throw DeviceError(ErrEepromLength);
    uint8_t at[4];
    config::StoreU32LE(at, address);
    uint8_t block[LongDataSize] = {};
    std::copy_n(source, length, block);
    return Transact(CmdWriteEeprom, length, 0, 0, at, block);
}

}  // namespace device
