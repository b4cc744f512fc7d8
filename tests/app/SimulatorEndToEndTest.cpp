// The window on the simulated transmitter, bound through the dynamic loader as in production
// (the simulator's folder is first in LD_LIBRARY_PATH for this test).
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "TransmitterModel.h"
#include "config/ByteCodec.h"
#include "config/EepromMap.h"
#include "support/WindowFixture.h"

namespace {

class SimulatorEndToEnd : public testsupport::WindowFixture {};

TEST_F(SimulatorEndToEnd, ConnectsReadsPollsAndWritesAConfigurationThatARestartReadsBack) {
    const std::string eeprom = user.folder() / "sim-eeprom.bin";
    user.environment().Set("KD4410_SIM_EEPROM", eeprom);
    window().isPressure = true;
    window().CCmPoStartu();
    EXPECT_TRUE(dialogs().boxes.empty());
    EXPECT_EQ(window().Rozsah->text(), QStringLiteral("100.000 kPa"));
    EXPECT_EQ(window().comboBoxConfiguration[3]->currentIndex(), 4);

    window().checkActualValue->setChecked(true);
    window().Timer1Timer();
    EXPECT_TRUE(window().Aktualni->text().endsWith(QStringLiteral(" kPa")));
    EXPECT_TRUE(window().checkActualValue->isChecked());

    window().outputLower[0] = 12345;
    window().outputHigher[0] = 54321;
    window().comboBoxConfiguration[0]->setCurrentIndex(2);
    window().CmKonfigurace();
    ASSERT_EQ(dialogs().boxes.size(), 1u);
    EXPECT_EQ(dialogs().boxes[0].text, QStringLiteral("Configuration successfully written"));

    sim::TransmitterModel restarted(eeprom);
    const config::OutputRecord record = config::LoadOutputRecord(&restarted.eeprom()[config::eeOutputs]);
    EXPECT_EQ(record.lower, 12345.0f);
    EXPECT_EQ(record.higher, 54321.0f);
    EXPECT_EQ(record.mode, 2);
}

}  // namespace
