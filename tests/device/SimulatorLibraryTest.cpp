// The program's binding through the dynamic loader, onto the built simulated library (its
// folder is first in LD_LIBRARY_PATH for this test, as the demo launcher arranges).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "config/ByteCodec.h"
#include "config/EepromMap.h"
#include "device/Fix64usb.h"
#include "support/TempFolder.h"

namespace {

TEST(SimulatorLibrary, ConnectsAndRoundTripsTheEepromThroughDlopen) {
    testsupport::IsolatedUser user;
    const std::string eeprom = user.folder() / "eeprom.bin";
    user.environment().Set("KD4410_SIM_EEPROM", eeprom);

    device::TFix64 link;  // libmpusbapi.so through the loader's search
    ASSERT_TRUE(link.LoadUsbLibrary());
    EXPECT_TRUE(link.OpenPipes(0));
    EXPECT_EQ(link.CountDevices(), 1u);
    link.SetSlaveAddress(254);
    link.timeoutMs = 250;
    EXPECT_TRUE(link.Command2());
    EXPECT_TRUE(link.Command4());

    uint8_t descriptor[64];
    uint32_t received = 0;
    ASSERT_NE(link.entryPoints.getStringDescriptor(link.readPipe, 2, 0x0409, descriptor, sizeof descriptor, &received), 0u);
    EXPECT_EQ(received, 2u + 2u * 28u);
    EXPECT_EQ(descriptor[1], 3);  // a string descriptor
    EXPECT_EQ(descriptor[2], 'K');
    EXPECT_NE(link.entryPoints.getDllVersion(), 0u);

    uint8_t serial[2];
    link.ReadEeprom(config::eeSerialNumber, serial, 2);
    EXPECT_EQ(config::LoadU16LE(serial), 12345);

    uint8_t block[36];
    const config::OutputRecord records[] = {{1, 2, 0}, {3, 4, 1}, {5, 6, 2}, {7, 8, 255}};
    for (size_t i = 0; i < 4; ++i) config::StoreOutputRecord(block + 9 * i, records[i]);
    link.ClosePipes(0);
    link.OpenPipes(0);
    link.WriteEeprom(config::eeOutputs, block, 36);
    uint8_t back[36] = {};
    link.ReadEeprom(config::eeOutputs, back, 36);
    EXPECT_TRUE(std::equal(std::begin(block), std::end(block), std::begin(back)));

    std::ifstream file(eeprom, std::ios::binary);
    const std::vector<uint8_t> stored((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_EQ(stored.size(), 65536u);
    EXPECT_TRUE(std::equal(std::begin(block), std::end(block), stored.begin() + config::eeOutputs));
}

}  // namespace
