#include "files/Settings.h"

#include <filesystem>
#include <functional>
#include <system_error>

#include "lang/Utf16Ini.h"
#include "platform/AtomicFile.h"
#include "platform/Folders.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace files {
namespace {
constexpr std::u16string_view Section = u"Options";
constexpr std::u16string_view TrendSection = u"Trend";
constexpr std::u16string_view TrendKeys[] = {u"left", u"top", u"width", u"height"};
constexpr std::u16string_view TrendResumeKey = u"resume";

// Only a regular file is read or written: a link to a fifo or a device node would block the
// read or be replaced by the write. A missing file is read as empty and created by the save.
bool UsableSettingsFile(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(platform::PathFromUtf8(path), error);
    return status.type() == std::filesystem::file_type::regular || status.type() == std::filesystem::file_type::not_found;
}

// The settings file's content; empty when it is missing or not a regular file.
lang::Utf16Ini ReadSettingsFile(const std::string& path) {
    lang::Utf16Ini ini;
    if (UsableSettingsFile(path)) ini.Load(path);
    return ini;
}

// Reads the settings file, lets change alter it and writes it back whole, so that the sections
// it does not touch stay as they are; nothing happens when the file cannot serve.
void UpdateSettingsFile(const std::function<void(lang::Utf16Ini&)>& change) {
    const std::string path = SettingsFilePath(SettingsFileName);
    if (path.empty() || !UsableSettingsFile(path)) return;
    lang::Utf16Ini ini;
    ini.Load(path);
    change(ini);
    platform::WriteFileAtomically(path, ini.Serialize());
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
        const lang::Utf16Ini ini = ReadSettingsFile(SettingsFilePath(SettingsFileName));
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
        UpdateSettingsFile([&](lang::Utf16Ini& ini) {
            ini.WriteInteger(Section, u"Language", settings.language);
            ini.WriteString(Section, u"isPressure", settings.isPressure ? u"1" : u"0");
            ini.WriteInteger(Section, u"unitOfLength", settings.unitOfLength);
            ini.WriteInteger(Section, u"unitOfPressure", settings.unitOfPressure);
        });
    } catch (...) {
        // Nothing is reported: the next start uses what the file held before.
    }
}

std::optional<TrendWindowPlace> LoadTrendWindowPlace() {
    try {
        const lang::Utf16Ini ini = ReadSettingsFile(SettingsFilePath(SettingsFileName));
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
        UpdateSettingsFile([&](lang::Utf16Ini& ini) {
            const int32_t values[] = {place.left, place.top, place.width, place.height};
            for (size_t i = 0; i < 4; ++i) ini.WriteInteger(TrendSection, TrendKeys[i], values[i]);
        });
    } catch (...) {
        // The window opens at its default place next time.
    }
}

bool LoadTrendResume() {
    try {
        const lang::Utf16Ini ini = ReadSettingsFile(SettingsFilePath(SettingsFileName));
        const auto text = ini.Value(TrendSection, TrendResumeKey);
        const auto value = text ? lang::ParseIniInteger(*text) : std::nullopt;
        return value && *value == 1;
    } catch (...) {
        return false;
    }
}

void SaveTrendResume(bool resume) {
    try {
        UpdateSettingsFile([&](lang::Utf16Ini& ini) { ini.WriteInteger(TrendSection, TrendResumeKey, resume ? 1 : 0); });
    } catch (...) {
        // Off again next time.
    }
}

std::string LoadPlantDatabaseUrl() {
    try {
        const lang::Utf16Ini ini = ReadSettingsFile(SettingsFilePath(SettingsFileName));
        const auto url = ini.Value(u"History", u"Database");
        return url ? platform::ToUtf8(*url) : std::string();
    } catch (...) {
        return {};
    }
}

}  // namespace files
