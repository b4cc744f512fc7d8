// The main window's texts in English and in the shipped languages.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

#include "app/Oprog.h"
#include "support/WindowFixture.h"

namespace {

// The texts of the 37 controls, in the order they are set.
std::vector<QString> TextsOf(TMainF& w) {
    std::vector<QString> texts = {w.windowTitle(),
                                  w.menuApplication->title(),
                                  w.menuReadConfigurationFromDisk->text(),
                                  w.menuWriteconfigurationToDisk->text(),
                                  w.menuExit->text(),
                                  w.menuSettings->title(),
                                  w.menuLanguageSelection->text(),
                                  w.menuHelp->title(),
                                  w.menuAbout->text(),
                                  w.groupBoxTypeOfMeasurement->title(),
                                  w.captionLengthUnits->title(),
                                  w.captionPressureUnits->title(),
                                  w.checkActualValue->text()};
    for (auto* label : w.captionOutput) texts.push_back(label->text());
    for (auto* box : w.captionHigherValue) texts.push_back(box->title());
    for (auto* box : w.captionLowerValue) texts.push_back(box->title());
    for (auto* box : w.captionConfiguraton) texts.push_back(box->title());
    for (QString t : {w.checkPressure->text(), w.checkHeightLiquidColumn->text(), w.captionNominalRange->text(),
                      w.captionSpecificGravity->text(), w.buttonZeroCorrection->text(),
                      w.buttonreadConfiguration->text(), w.buttonWriteConfiguration->text(), w.buttonDeviceInfo->text()})
        texts.push_back(t);
    return texts;
}

std::vector<QString> Items(QComboBox* combo) {
    std::vector<QString> items;
    for (int i = 0; i < combo->count(); ++i) items.push_back(combo->itemText(i));
    return items;
}

std::vector<QString> Strings(std::initializer_list<const char*> texts) {
    std::vector<QString> out;
    for (const char* t : texts) out.push_back(QString::fromUtf8(t));
    return out;
}

class WindowTexts : public testsupport::WindowFixture {};

TEST_F(WindowTexts, EnglishShowsTheSourcesWithTheirDecorations) {
    EXPECT_EQ(TextsOf(window()),
              Strings({"KD4410 User Software", "File", "Load configuration...", "Save configuration...", "Exit",
                       "Settings", "Language selection...", "Help", "About...", "Type of measurement",
                       "Units of length", "Pressure units", "Actual value", "Output 1", "Output 2", "Output 3",
                       "Output 4", "Higher value", "Higher value", "Higher value", "Higher value", "Lower value",
                       "Lower value", "Lower value", "Lower value", "Configuration", "Configuration", "Configuration",
                       "Configuration", "Pressure", "Height of the liquid column", "Nominal range",
                       "Specific gravity[kg/m^3]", "Zero correction", "Read configuration", "Write configuration",
                       "Device info"}));
    for (QComboBox* combo : window().comboBoxConfiguration) {
        EXPECT_EQ(Items(combo), Strings({"Off", "Compression", "Extraction", "Correct value", "Error value"}));
        EXPECT_EQ(combo->currentIndex(), -1);
    }
    // Left as designed in every language.
    EXPECT_EQ(window().radioButtonPsi->text(), QStringLiteral("psi"));
    EXPECT_EQ(window().Ro->text(), QStringLiteral("1000"));
}

TEST_F(WindowTexts, SwitchingToCzechTranslatesKeepsSelectionsAndEmptiesTheStatusBar) {
    window().comboBoxConfiguration[1]->setCurrentIndex(2);
    window().comboBoxConfiguration[3]->setCurrentIndex(4);
    window().SetStatusText(QStringLiteral("The device is not connected"));
    UseShippedLanguage(1);
    window().ApplyWindowTexts();
    const std::vector<QString> texts = TextsOf(window());
    EXPECT_EQ(texts[1], QStringLiteral("Soubor"));
    EXPECT_EQ(texts[2], QString::fromUtf8("Načíst konfiguraci..."));
    EXPECT_EQ(texts[13], QString::fromUtf8("Výstup 1"));
    EXPECT_EQ(texts[16], QString::fromUtf8("Výstup 4"));
    EXPECT_EQ(texts[32], QStringLiteral("Hustota[kg/m^3]"));
    EXPECT_EQ(Items(window().comboBoxConfiguration[1])[2], QString::fromUtf8("Odsávání"));
    EXPECT_EQ(window().comboBoxConfiguration[1]->currentIndex(), 2);
    EXPECT_EQ(window().comboBoxConfiguration[3]->currentIndex(), 4);
    EXPECT_EQ(window().comboBoxConfiguration[0]->currentIndex(), -1);
    EXPECT_TRUE(window().StatusText().isEmpty());
    UseShippedLanguage(2);
    window().ApplyWindowTexts();
    EXPECT_EQ(TextsOf(window())[1], QStringLiteral("Datei"));
    EXPECT_EQ(TextsOf(window())[36], QString::fromUtf8("Geräteinformation"));
    EXPECT_EQ(window().comboBoxConfiguration[1]->currentIndex(), 2);
}

TEST_F(WindowTexts, EveryMainWindowTextChangesInTheShippedLanguages) {
    const std::vector<QString> english = TextsOf(window());
    for (int32_t language : {1, 2}) {
        UseShippedLanguage(language);
        window().ApplyWindowTexts();
        const std::vector<QString> translated = TextsOf(window());
        ASSERT_EQ(translated.size(), english.size());
        for (size_t i = 0; i < english.size(); ++i)
            EXPECT_NE(translated[i], english[i]) << "language " << language << ", text " << i + 1;
    }
}

TEST_F(WindowTexts, AboutBoxTakesTheStartupLanguageAndKeepsIt) {
    UseShippedLanguage(2);
    TOProgramu about(&window());
    EXPECT_EQ(about.windowTitle(), QString::fromUtf8("Über..."));
    EXPECT_EQ(about.caption1->text(), QStringLiteral("KD4410 Benutzersoftware"));
    EXPECT_EQ(about.version->text(), QStringLiteral("Version 23.0.0"));
    UseShippedLanguage(1);
    window().ApplyWindowTexts();
    EXPECT_EQ(about.windowTitle(), QString::fromUtf8("Über..."));
    TOProgramu czech(&window());
    EXPECT_EQ(czech.version->text(), QStringLiteral("Verze 23.0.0"));
}

}  // namespace
