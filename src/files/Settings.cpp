#include "files/Settings.h"

#include <cerrno>
#include <sys/stat.h>

#include "lang/Utf16Ini.h"
#include "platform/AtomicFile.h"
#include "platform/Folders.h"

namespace files {
namespace {
constexpr std::u16string_view Section = u"Options";
constexpr std::u16string_view TrendSection = u"Trend";
constexpr std::u16string_view TrendKeys[] = {u"left", u"top", u"width", u"height"};

// Only a regular file is read or written: a link to a fifo or a device node would block the
// read or be replaced by the write. A missing file is read as empty and created by the save.
bool UsableSettingsFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) return S_ISREG(info.st_mode);
    return errno == ENOENT;
}
}  // namespace

std::string SettingsFilePath(std::string_view name) {
    const std::string base = platform::ConfigFolder();
    if (base.empty()) return {};
    const std::string folder = base + "/" + std::string(SettingsFolderName);
    platform::CreateFolders(folder);  // whether it worked shows when the file is used
    return folder + "/" + std::string(name);
}

UserSettings LoadUserSettings() {
    try {
        const std::string path = SettingsFilePath(SettingsFileName);
        lang::Utf16Ini ini;
        if (UsableSettingsFile(path)) ini.Load(path);
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
        if (path.empty() || !UsableSettingsFile(path)) return;
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

std::optional<TrendWindowPlace> LoadTrendWindowPlace() {
    try {
        const std::string path = SettingsFilePath(SettingsFileName);
        if (!UsableSettingsFile(path)) return std::nullopt;
        lang::Utf16Ini ini;
        ini.Load(path);
        int32_t values[4];
        for (size_t i = 0; i < 4; ++i) {
            const auto text = ini.Value(TrendSection, TrendKeys[i]);
            const auto value = text ? lang::ParseIniInteger(*text) : std::nullopt;
            if (!value) return std::nullopt;
            values[i] = *value;
        }
        if (values[2] <= 0 || values[3] <= 0) return std::nullopt;
        return TrendWindowPlace{values[0], values[1], values[2], values[3]};
    } catch (...) {
        return std::nullopt;
    }
}

void SaveTrendWindowPlace(const TrendWindowPlace& place) {
    try {
        const std::string path = SettingsFilePath(SettingsFileName);
        if (path.empty() || !UsableSettingsFile(path)) return;
        lang::Utf16Ini ini;
        ini.Load(path);
        const int32_t values[] = {place.left, place.top, place.width, place.height};
        for (size_t i = 0; i < 4; ++i) ini.WriteInteger(TrendSection, TrendKeys[i], values[i]);
        platform::WriteFileAtomically(path, ini.Serialize());
    } catch (...) {
        // The window opens at its default place next time.
    }
}

}  // namespace files
