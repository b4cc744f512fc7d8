// TFix64: the program's only path to the transmitter. The lower half moves 64-byte frames
// through the USB access library bound at run time; the upper half builds requests, checks
// replies and carries the device commands. Every failure raises DeviceError with its text.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>

#include "device/Frame.h"
#include "device/UsbLibrary.h"

namespace device {

class DeviceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Error texts.
inline constexpr const char* ErrLibraryMissing = "Cannot find usb serial library mpusbapi.dll";
inline constexpr const char* ErrNoReply = "Device not reply";
inline constexpr const char* ErrCommandNumber = "Error command number";
inline constexpr const char* ErrMasterAddress = "Error master adr";
inline constexpr const char* ErrSlaveAddress = "Error slave adr";
inline constexpr const char* ErrChecksum = "Error CRC";
inline constexpr const char* ErrEepromLength = "EEPROM ERROR LEN";

inline constexpr const char* DeviceIdentity = "vid_04d8&pid_000c";
inline constexpr const char* DeviceEndpoint = "\\MCHP_EP1";
constexpr uint32_t InvalidPipe = MPUSB_INVALID_HANDLE;
constexpr size_t MaxDeviceIndex = 10;
constexpr uint32_t DrainReads = 3;
constexpr uint32_t DrainTimeoutMs = 100;

class TFix64 {
public:
    // source: where LoadUsbLibrary binds the library from; null for libmpusbapi.so.
    explicit TFix64(std::unique_ptr<UsbLibrarySource> source = nullptr);

    // --- transport
    bool LoadUsbLibrary();
    uint32_t CountDevices();
    bool OpenPipes(uint32_t deviceIndex);
    void ClosePipes(uint32_t deviceIndex);
    void SendFrame();
    bool ReceiveFrame();
    void DrainInput();

    // --- frames and commands
    void SetSlaveAddress(uint8_t address) { slaveAddress = address; }
    // shortData: 4 bytes or null; longData: 52 bytes or null.
    bool Transact(uint8_t command, uint8_t parameter1, uint8_t parameter2, uint8_t parameter3,
                  const uint8_t* shortData = nullptr, const uint8_t* longData = nullptr);
    bool Command1();
    bool Command2();
    bool Command4();
    // Fills the 4 bytes of destination with the value bytes of the reply (zero beyond them).
    void ReadValue(uint8_t count, uint8_t* destination);
    bool ReadEeprom(uint32_t address, uint8_t* destination, uint8_t length);
    bool WriteEeprom(uint32_t address, const uint8_t* source, uint8_t length);

    Frame requestFrame{};
    Frame replyFrame{};
    uint32_t readPipe = 0;
    uint32_t writePipe = 0;
    std::array<uint32_t, MaxDeviceIndex> readPipes{};
    std::array<uint32_t, MaxDeviceIndex> writePipes{};
    uint32_t receivedCount = 0;
    uint8_t slaveAddress = 0;
    uint16_t timeoutMs = 0;
    UsbEntryPoints entryPoints;

private:
    void CheckReply() const;

    std::unique_ptr<UsbLibrarySource> source_;
};

}  // namespace device
