// Window texts in the chosen language and the language chooser.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

#include "app/ChooseLanguage.h"
#include "app/MainF.h"
#include "app/QtLanguage.h"
#include "app/QtText.h"
#include "app/TrendWindow.h"
#include "config/OutputMode.h"
#include "lang/Lang.h"
#include "lang/Texts.h"

namespace {
QString T(std::u16string_view english) { return Q(lang::Translate(english)); }
QString Ellipsis(std::u16string_view english) { return Q(lang::TranslateWithEllipsis(english)); }
}  // namespace

void TMainF::ApplyWindowTexts() {
    lang::LoadLanguageFile();

    setWindowTitle(T(text::ProgramTitle));
    menuApplication->setTitle(T(text::File));
    menuReadConfigurationFromDisk->setText(Ellipsis(text::LoadConfiguration));
    menuWriteconfigurationToDisk->setText(Ellipsis(text::SaveConfiguration));
    menuExit->setText(T(text::Exit));
    menuSettings->setTitle(T(text::Settings));
    menuLanguageSelection->setText(Ellipsis(text::LanguageSelection));
    menuHelp->setTitle(T(text::Help));
    menuAbout->setText(Ellipsis(text::About));
    menuView->setTitle(T(text::View));
    menuTrend->setText(Ellipsis(text::Trend));
    if (trendWindow != nullptr) trendWindow->ApplyTexts();
    ApplyHistoryTexts();
    groupBoxTypeOfMeasurement->setTitle(T(text::TypeOfMeasurement));
    captionLengthUnits->setTitle(T(text::UnitsOfLength));
    captionPressureUnits->setTitle(T(text::PressureUnits));
    checkActualValue->setText(T(text::ActualValue));
    for (size_t i = 0; i < config::OutputCount; ++i)
        captionOutput[i]->setText(T(text::Output) + u' ' + QString::number(i + 1));
    for (QGroupBox* box : captionHigherValue) box->setTitle(T(text::HigherValue));
    for (QGroupBox* box : captionLowerValue) box->setTitle(T(text::LowerValue));
    for (QGroupBox* box : captionConfiguraton) box->setTitle(T(text::Configuration));
    checkPressure->setText(T(text::Pressure));
    checkHeightLiquidColumn->setText(T(text::HeightOfLiquidColumn));
    captionNominalRange->setText(T(text::NominalRange));
    captionSpecificGravity->setText(T(text::SpecificGravity) + QStringLiteral("[kg/m^3]"));
    buttonZeroCorrection->setText(T(text::ZeroCorrection));
    buttonreadConfiguration->setText(T(text::ReadConfiguration));
    buttonWriteConfiguration->setText(T(text::WriteConfiguration));
    buttonDeviceInfo->setText(T(text::DeviceInfo));

    const std::u16string_view modes[config::OutputModeCount] = {
        text::ModeOff, text::ModeCompression, text::ModeExtraction, text::ModeCorrectValue, text::ModeErrorValue};
    for (QComboBox* combo : comboBoxConfiguration) {
        const QSignalBlocker bulkUpdate(combo);
        const int selected = combo->currentIndex();
        combo->clear();
        for (std::u16string_view mode : modes) combo->addItem(T(mode));
        combo->setCurrentIndex(selected);
    }

    ApplyAccessibleNames();
    qtLanguage_->Follow(lang::languageShorts[static_cast<size_t>(lang::EffectiveLanguage())]);
    SetStatusText(QString());
}

void TMainF::menuLanguageSelectionClick() {
    if (formChooseLanguage != nullptr && formChooseLanguage->SelectLanguage() == 1) ApplyWindowTexts();
}
