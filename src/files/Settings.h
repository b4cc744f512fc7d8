// The user's preferences between runs: language, measurement type and the two unit indexes,
// in "KD4410 User Software/kd4410.uni" of the user's configuration folder (UTF-16LE INI,
// section "Options").
#pragma once

#include <cstdint>
#include <optional>
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

// The trend window's size and place on the screen, in the file's own section "Trend".
struct TrendWindowPlace {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};
// Nothing when the file holds no complete place with a positive size.
std::optional<TrendWindowPlace> LoadTrendWindowPlace();
// Keeps every other section and key; never fails and reports nothing.
void SaveTrendWindowPlace(const TrendWindowPlace& place);
// Whether the trend resumes a lost link by itself ("resume" in the section "Trend"); off when
// the file says nothing. The save keeps every other section and key.
bool LoadTrendResume();
void SaveTrendResume(bool resume);

// The plant database the window's history is sent to: key "Database" of the section "History"
// (a postgresql:// URL the user puts there); "" when none. Never fails.
std::string LoadPlantDatabaseUrl();

}  // namespace files
