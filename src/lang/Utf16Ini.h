// INI files in UTF-16 little-endian, read and written whole. Section and key names match
// without regard to case; sections, keys and comment lines that a program does not touch
// survive a write.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lang {

// UTF-16LE bytes to text: a leading byte-order mark is skipped; an odd last byte is dropped.
std::u16string DecodeUtf16Le(std::string_view bytes);
// Text to UTF-16LE bytes, without a byte-order mark.
std::string EncodeUtf16Le(std::u16string_view text);

// An integer as INI values hold it: "0x" (or "0X") and hexadecimal digits, or an optionally
// signed decimal; nothing else, within 32 bits.
std::optional<int32_t> ParseIniInteger(std::u16string_view value);

class Utf16Ini {
public:
    Utf16Ini() = default;
    // Parses text: lines end with CR, LF or CR LF and are trimmed; empty lines are dropped;
    // lines beginning with ";" are comments; "[name]" opens a section; "key=value" with blanks
    // around "=" ignored. Lines before the first section belong to a nameless one.
    explicit Utf16Ini(std::u16string_view text);

    // Reads a whole file; a missing or unreadable file reads as empty (false is returned).
    bool Load(const std::string& path);

    // A key that is present yields its value, even an empty one; the first occurrence counts.
    std::optional<std::u16string> Value(std::u16string_view section, std::u16string_view key) const;
    std::u16string ReadString(std::u16string_view section, std::u16string_view key,
                              std::u16string_view fallback) const;
    // A missing key, or a value that is not an integer, gives the fallback.
    int32_t ReadInteger(std::u16string_view section, std::u16string_view key, int32_t fallback) const;

    // An existing key takes the value in its place; a new key goes to the end of its section,
    // a new section to the end of the file.
    void WriteString(std::u16string_view section, std::u16string_view key, std::u16string_view value);
    void WriteInteger(std::u16string_view section, std::u16string_view key, int32_t value);

    // Byte-order mark, then each section as its section line, its lines and one empty line,
    // every line ending in CR LF.
    std::string Serialize() const;

private:
    struct Line {
        std::u16string key;   // empty for a comment line
        std::u16string value; // the value, or the whole comment line
        bool comment = false;
    };
    struct Section {
        std::u16string name;
        std::vector<Line> lines;
    };

    const Section* Find(std::u16string_view name) const;
    Section& FindOrAdd(std::u16string_view name);

    std::vector<Section> sections_;
};

// True when the two names are equal without regard to case.
bool SameName(std::u16string_view a, std::u16string_view b);

}  // namespace lang
