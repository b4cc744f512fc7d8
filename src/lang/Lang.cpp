#include "lang/Lang.h"

#include <fstream>
#include <optional>
#include <unordered_map>

#include "lang/CaseMapping.h"
#include "lang/Utf16Ini.h"
#include "platform/Folders.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace lang {

int32_t Language = 0;
std::u16string catalogueFolder;
int32_t languageCount = 0;
std::array<std::u16string, MaxLanguages> languageNames;
std::array<std::u16string, MaxLanguages> languageFiles;
std::array<std::u16string, MaxLanguages> languageShorts;
std::array<std::u16string, MaxCatalogueEntries> catalogueKeys;
std::array<std::u16string, MaxCatalogueEntries> catalogueTexts;
int32_t catalogueCount = 0;

namespace {

constexpr std::u16string_view IndexFileName = u"messages.uni";

void EraseFirst(std::u16string& text, std::u16string_view what, size_t count) {
    const size_t at = text.find(what);
    if (at != std::u16string::npos) text.erase(at, count);
}

// The first catalogue index of each key, so that a lookup finds what a scan from the start
// would find, without the scan.
std::unordered_map<std::u16string, int32_t> firstEntryOfKey;

// Reads a file as 16-bit little-endian units, a block at a time.
class UnitReader {
public:
    explicit UnitReader(std::istream& in) : in_(in) {}
    std::optional<char16_t> Next() {
        if (at_ + 1 >= size_) {
            if (at_ < size_) buffer_[0] = buffer_[at_];  // an odd byte waits for its partner
            const size_t kept = size_ - at_;
            in_.read(buffer_ + kept, static_cast<std::streamsize>(sizeof buffer_ - kept));
            size_ = kept + static_cast<size_t>(in_.gcount());
            at_ = 0;
            if (size_ < 2) return std::nullopt;
        }
        const auto low = static_cast<unsigned char>(buffer_[at_]);
        const auto high = static_cast<unsigned char>(buffer_[at_ + 1]);
        at_ += 2;
        return static_cast<char16_t>(low | (high << 8));
    }

private:
    std::istream& in_;
    char buffer_[65536];
    size_t at_ = 0;
    size_t size_ = 0;
};

// The next piece of a line: up to and including an LF, at most CataloguePieceUnits units.
bool ReadPiece(UnitReader& reader, std::u16string& piece) {
    piece.clear();
    while (piece.size() < CataloguePieceUnits) {
        const auto unit = reader.Next();
        if (!unit) break;
        piece.push_back(*unit);
        if (*unit == u'\n') break;
    }
    return !piece.empty();
}

void TrimTrailingControls(std::u16string& text) {
    while (!text.empty() && text.back() <= u' ') text.pop_back();
}

struct IntegerFormat {
    std::u16string before, after;  // literal text, "%%" already turned into "%"
    bool converted = false;  // false: a text without any conversion, used as it stands
    bool leftAlign = false, plus = false, space = false, zeroPad = false;
    size_t width = 0;
};

constexpr size_t MaxFormatWidth = 64;

// A format holding at most one %i/%d (flags "-+ 0", a width) and otherwise literal text.
std::optional<IntegerFormat> ParseIntegerFormat(std::u16string_view format) {
    IntegerFormat parsed;
    bool& converted = parsed.converted;
    for (size_t i = 0; i < format.size(); ++i) {
        std::u16string& literal = converted ? parsed.after : parsed.before;
        if (format[i] != u'%') {
            literal.push_back(format[i]);
            continue;
        }
        if (++i >= format.size()) return std::nullopt;
        if (format[i] == u'%') {
            literal.push_back(u'%');
            continue;
        }
        if (converted) return std::nullopt;  // a second conversion
        for (; i < format.size(); ++i) {
            const char16_t flag = format[i];
            if (flag == u'-') parsed.leftAlign = true;
            else if (flag == u'+') parsed.plus = true;
            else if (flag == u' ') parsed.space = true;
            else if (flag == u'0') parsed.zeroPad = true;
            else break;
        }
        for (; i < format.size() && format[i] >= u'0' && format[i] <= u'9'; ++i) {
            parsed.width = parsed.width * 10 + (format[i] - u'0');
            if (parsed.width > MaxFormatWidth) return std::nullopt;
        }
        if (i >= format.size() || (format[i] != u'i' && format[i] != u'd')) return std::nullopt;
        converted = true;
    }
    return parsed;
}

std::u16string Format(const IntegerFormat& f, int32_t value) {
    if (!f.converted) return f.before;  // as printf would: the argument goes unused
    const int64_t wide = value;
    const std::string digits = std::to_string(wide < 0 ? -wide : wide);
    std::u16string sign = wide < 0 ? u"-" : f.plus ? u"+" : f.space ? u" " : u"";
    std::u16string number(digits.begin(), digits.end());
    const size_t length = sign.size() + number.size();
    if (length < f.width) {
        const size_t pad = f.width - length;
        if (f.leftAlign) number.append(pad, u' ');
        else if (f.zeroPad) number.insert(0, pad, u'0');
        else sign.insert(0, pad, u' ');
    }
    return f.before + sign + number + f.after;
}

}  // namespace

int32_t EffectiveLanguage() { return Language >= 0 && Language < MaxLanguages ? Language : 0; }

std::u16string ApplicationDirectoryOf(std::u16string_view executablePath, std::u16string_view suffix) {
    std::u16string directory(executablePath);
    const size_t slash = directory.rfind(u'/');
    directory.erase(slash == std::u16string::npos ? 0 : slash + 1);
    if (directory.size() >= 3 && directory.compare(directory.size() - 3, 3, u"/./") == 0)
        directory.erase(directory.size() - 2);
    if (directory.empty() || directory.back() != u'/') directory.push_back(u'/');
    EraseFirst(directory, u"/./", 2);
    EraseFirst(directory, u"/Win32/Debug", 12);
    EraseFirst(directory, u"/Win32/Release", 14);
    return directory + std::u16string(suffix);
}

std::u16string ApplicationDirectory(std::u16string_view suffix) {
    return ApplicationDirectoryOf(platform::FromUtf8(platform::ExecutablePath()), suffix);
}

void LoadLanguageList() { LoadLanguageListFrom(ApplicationDirectory(u"language/")); }

void LoadLanguageListFrom(std::u16string_view folder) {
    catalogueFolder = folder;
    Utf16Ini index;
    index.Load(platform::ToUtf8(catalogueFolder + std::u16string(IndexFileName)));
    const int32_t total = index.ReadInteger(u"Main", u"Total", 1);
    languageCount = total < 0 ? 0 : total > MaxLanguages ? MaxLanguages : total;
    for (int32_t i = 0; i < languageCount; ++i) {
        const std::string digits = std::to_string(i);
        const std::u16string key(digits.begin(), digits.end());
        languageNames[i] = index.ReadString(u"Names", key, u"---");
        languageFiles[i] = catalogueFolder + index.ReadString(u"Files", key, u"messages_uk.uni");
        languageShorts[i] = index.ReadString(u"Shorts", key, u"UK");
    }
}

std::u16string LanguageFilePath(std::u16string_view suffix) {
    return languageFiles[EffectiveLanguage()] + std::u16string(suffix);
}

bool LoadLanguageFile() {
    const std::u16string path = LanguageFilePath(u"");
    if (path.empty()) return false;
    std::ifstream in(platform::PathFromUtf8(platform::ToUtf8(path)), std::ios::binary);
    if (!in) return false;
    LoadCatalogueFrom(in);
    return true;
}

void LoadCatalogueFrom(std::istream& in) {
    UnitReader reader(in);
    reader.Next();  // meant to be the byte-order mark
    int32_t stored = 0;
    std::u16string piece;
    while (stored < MaxCatalogueEntries && ReadPiece(reader, piece)) {
        const size_t semicolon = piece.find(u';');
        if (semicolon == std::u16string::npos) continue;
        if (stored == 0) firstEntryOfKey.clear();  // the new catalogue takes over
        catalogueKeys[stored] = LowerCase(std::u16string_view(piece).substr(0, semicolon));
        // One character after the ";" is skipped, whatever it is.
        catalogueTexts[stored] = semicolon + 2 <= piece.size() ? piece.substr(semicolon + 2) : std::u16string();
        TrimTrailingControls(catalogueTexts[stored]);
        firstEntryOfKey.try_emplace(catalogueKeys[stored], stored);
        catalogueCount = ++stored;
    }
}

std::u16string Translate(std::u16string_view text) {
    if (EffectiveLanguage() == 0) return std::u16string(text);
    const auto found = firstEntryOfKey.find(LowerCase(text));
    if (found == firstEntryOfKey.end() || found->second >= catalogueCount) return std::u16string(text);
    return catalogueTexts[found->second];
}

std::u16string TranslateFormat(std::u16string_view format, int32_t value) {
    const std::u16string translated = Translate(format);
    if (translated.empty()) return {};
    if (auto parsed = ParseIntegerFormat(translated)) return Format(*parsed, value);
    if (auto english = ParseIntegerFormat(format)) return Format(*english, value);
    return std::u16string(format);
}

std::u16string TranslateWithColon(std::u16string_view text) { return Translate(text) + u": "; }

std::u16string TranslateWithEllipsis(std::u16string_view text) { return Translate(text) + u"..."; }

void ResetCatalogue() {
    Language = 0;
    catalogueFolder.clear();
    languageCount = 0;
    for (auto* table : {&languageNames, &languageFiles, &languageShorts})
        for (auto& entry : *table) entry.clear();
    for (auto* table : {&catalogueKeys, &catalogueTexts})
        for (auto& entry : *table) entry.clear();
    catalogueCount = 0;
    firstEntryOfKey.clear();
}

}  // namespace lang
