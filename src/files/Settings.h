// The user's preferences between runs: language, measurement type and the two unit indexes,
// in "KD4410 User Software/kd4410.uni" of the user's configuration folder (UTF-16LE INI,
// section "Options").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace files {

struct UserSettings {
    int32_t language = 0;      // English
    bool isPressure = false;   // the liquid column
    int32_t unitOfLength = 1;  // m
    int32_t unitOfPressure = 1;  // kPa
};

inline constexpr std::string_view SettingsFolderName = "KD4410 User Software";
inline constexpr std::string_view SettingsFileName = "kd4410.uni";

// <configuration folder>/KD4410 User Software/<name>; the folder is created when missing.
// Empty when there is no configuration folder.
std::string SettingsFilePath(std::string_view name);

// The stored settings; the defaults for a missing or unreadable file. Never fails.
UserSettings LoadUserSettings();
// Writes the four values, keeping the file's other sections and keys; the file is replaced
// whole or not at all. Never fails and reports nothing.
void SaveUserSettings(const UserSettings& settings);

}  // namespace files
