// Saving and loading configuration files.
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>

#include "app/MainF.h"
#include "app/QtText.h"
#include "files/ConfigFile.h"
#include "lang/Texts.h"
#include "platform/AtomicFile.h"

namespace {

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// Both dialogs open next time in the folder of the file just chosen.
void RememberFolder(const QString& path, FileDialogSettings& open, FileDialogSettings& save) {
    open.folder = save.folder = QFileInfo(path).absolutePath();
}

}  // namespace

void TMainF::CmSave() {
    const std::optional<QString> path = dialogs_->AskSaveFile(this, SaveDialog1);
    if (!path) return;
    RememberFolder(*path, OpenDialog1, SaveDialog1);
    files::ConfigFileContent content;
    content.pressureType = checkPressure->isChecked();
    content.specificGravityText = U16(Ro->text());
    for (size_t i = 0; i < config::OutputCount; ++i) {
        content.higher[i] = outputHigher[i];
        content.lower[i] = outputLower[i];
        content.mode[i] = comboBoxConfiguration[i]->currentIndex();
    }
    // Written whole or not at all: a failed save leaves the earlier file as it was.
    if (!platform::WriteFileAtomically(LocalPath(*path), files::FormatConfigFile(content)))
        Say(text::CannotOpenFile, text::Error);
}

void TMainF::CmLoad() {
    const std::optional<QString> path = dialogs_->AskOpenFile(this, OpenDialog1);
    if (!path) return;
    RememberFolder(*path, OpenDialog1, SaveDialog1);
    const std::optional<std::string> bytes = files::ReadConfigFileBeginning(LocalPath(*path));
    if (!bytes) {
        Say(text::CannotOpenFile, text::Error);
        return;
    }
    const files::ConfigFileReading reading = files::ReadConfigFile(*bytes);
    const files::ConfigFileContent& c = reading.content;
    // Lines taken before a failure keep their effect.
    if (reading.Took(2)) configPressureMode = c.pressureType;
    if (reading.Took(3)) Ro->setText(Q(c.specificGravityText));
    for (size_t i = 0; i < config::OutputCount; ++i) {
        if (reading.Took(files::ConfigFileReading::HigherLine(i))) outputHigher[i] = c.higher[i];
        if (reading.Took(files::ConfigFileReading::LowerLine(i))) outputLower[i] = c.lower[i];
        if (reading.Took(files::ConfigFileReading::ModeLine(i))) {
            QComboBox* combo = comboBoxConfiguration[i];
            combo->setCurrentIndex(c.mode[i] >= 0 && c.mode[i] < combo->count() ? c.mode[i] : -1);
        }
    }
    if (!reading.complete) {
        Say(text::CannotOpenFile, text::Error);
        return;
    }
    if (configPressureMode) checkPressureClick();
    else checkHeightLiquidColumnClick();
}
