#include "polling/Link.h"

#include "config/ByteCodec.h"
#include "config/EepromMap.h"
#include "device/Fix64usb.h"

namespace polling {

Connection Connect(device::TFix64& link, uint32_t deviceIndex) {
    link.LoadUsbLibrary();  // a missing library raises; a missing entry point shows up later
    link.OpenPipes(deviceIndex);
    Connection connection;
    connection.deviceCount = link.CountDevices();
    link.SetSlaveAddress(RequestSlaveAddress);
    link.timeoutMs = ExchangeTimeoutMs;
    try {
        link.Command2();
        link.Command4();
        connection.answered = true;
    } catch (const device::DeviceError&) {
    }
    return connection;
}

uint16_t ReadSerialNumber(device::TFix64& link, uint32_t deviceIndex) {
    ReopenLink(link, deviceIndex);
    uint8_t bytes[config::eeSerialNumberLength];
    link.ReadEeprom(config::eeSerialNumber, bytes, config::eeSerialNumberLength);
    return config::LoadU16LE(bytes);
}

float ReadLiveValue(device::TFix64& link) {
    link.Command1();
    uint8_t bytes[4] = {};
    link.ReadValue(4, bytes);
    return config::LoadFloatLE(bytes);
}

PollResult Poll(device::TFix64& link) {
    PollResult result;
    try {
        result.value = ReadLiveValue(link);
        return result;
    } catch (const device::DeviceError&) {
    }
    try {
        link.Command1();  // one retry; on success the poll ends quietly
    } catch (const device::DeviceError&) {
        result.linkLost = true;
    }
    return result;
}

}  // namespace polling
