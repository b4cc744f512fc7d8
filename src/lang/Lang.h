// The language catalogue: the index of languages beside the program, the catalogue of the
// chosen language, and the lookup every shown text passes through. English is built in
// (language 0) and never looked up.
#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace lang {

constexpr int32_t MaxLanguages = 10;
constexpr int32_t MaxCatalogueEntries = 10000;
// A catalogue line is read in pieces of at most this many UTF-16 units.
constexpr size_t CataloguePieceUnits = 1023;

// --- module state, for the life of the process
extern int32_t Language;  // index of the chosen language; 0 = built-in English
extern std::u16string catalogueFolder;
extern int32_t languageCount;
extern std::array<std::u16string, MaxLanguages> languageNames;
extern std::array<std::u16string, MaxLanguages> languageFiles;
extern std::array<std::u16string, MaxLanguages> languageShorts;
extern std::array<std::u16string, MaxCatalogueEntries> catalogueKeys;   // lower-cased English
extern std::array<std::u16string, MaxCatalogueEntries> catalogueTexts;  // translations
extern int32_t catalogueCount;

// The language index in force: Language when it lies in 0..9, else 0.
int32_t EffectiveLanguage();

// The executable's folder with a final "/", normalised ("/./" collapsed, a trailing
// "/Win32/Debug" or "/Win32/Release" build folder removed), followed by suffix.
std::u16string ApplicationDirectory(std::u16string_view suffix);
// The same for a given executable path.
std::u16string ApplicationDirectoryOf(std::u16string_view executablePath, std::u16string_view suffix);

// Reads the index file messages.uni of the catalogue folder (language/ beside the program).
void LoadLanguageList();
// The same for another catalogue folder (ending in "/").
void LoadLanguageListFrom(std::u16string_view folder);
std::u16string LanguageFilePath(std::u16string_view suffix);
// Loads the catalogue of Language; false when its file cannot be opened (nothing changes then).
bool LoadLanguageFile();
// Reads catalogue lines from a stream of UTF-16LE units (the first unit is discarded).
void LoadCatalogueFrom(std::istream& in);

std::u16string Translate(std::u16string_view text);
// The string form for message boxes: never null, possibly empty.
inline std::u16string TranslatePointer(std::u16string_view text) { return Translate(text); }
// Translate(format) with value put in as a decimal. A translation is used as the format only
// when it holds at most one integer conversion (%i or %d, with optional flags and width) and
// otherwise literal text ("%%" allowed); one without any conversion is shown as it stands, as
// printf would show it. Any other translation falls back to the English format.
std::u16string TranslateFormat(std::u16string_view format, int32_t value);
std::u16string TranslateWithColon(std::u16string_view text);
std::u16string TranslateWithEllipsis(std::u16string_view text);

// Empties the tables and sets Language to 0, as at process start.
void ResetCatalogue();

}  // namespace lang
