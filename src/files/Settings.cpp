#include "files/Settings.h"

#include "lang/Utf16Ini.h"
#include "platform/AtomicFile.h"
#include "platform/Folders.h"

namespace files {
namespace {
constexpr std::u16string_view Section = u"Options";
}

std::string SettingsFilePath(std::string_view name) {
    const std::string base = platform::ConfigFolder();
    if (base.empty()) return {};
    const std::string folder = base + "/" + std::string(SettingsFolderName);
    platform::CreateFolders(folder);  // whether it worked shows when the file is used
    return folder + "/" + std::string(name);
}

UserSettings LoadUserSettings() {
    try {
        lang::Utf16Ini ini;
        ini.Load(SettingsFilePath(SettingsFileName));
        UserSettings settings;
        settings.language = ini.ReadInteger(Section, u"Language", 0);
        settings.isPressure = ini.ReadInteger(Section, u"isPressure", 0) != 0;
        settings.unitOfLength = ini.ReadInteger(Section, u"unitOfLength", 1);
        settings.unitOfPressure = ini.ReadInteger(Section, u"unitOfPressure", 1);
        return settings;
    } catch (...) {
        return UserSettings{};
    }
}

void SaveUserSettings(const UserSettings& settings) {
    try {
        const std::string path = SettingsFilePath(SettingsFileName);
        if (path.empty()) return;
        lang::Utf16Ini ini;
        ini.Load(path);
        ini.WriteInteger(Section, u"Language", settings.language);
        ini.WriteString(Section, u"isPressure", settings.isPressure ? u"1" : u"0");
        ini.WriteInteger(Section, u"unitOfLength", settings.unitOfLength);
        ini.WriteInteger(Section, u"unitOfPressure", settings.unitOfPressure);
        platform::WriteFileAtomically(path, ini.Serialize());
    } catch (...) {
        // Nothing is reported: the next start uses what the file held before.
    }
}

}  // namespace files
