#include "lang/Utf16Ini.h"

#include <fstream>
#include <iterator>

#include "lang/CaseMapping.h"
#include "platform/Paths.h"

namespace lang {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

std::u16string DecodeUtf16Le(std::string_view bytes) {
    size_t start = 0;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE)
        start = 2;
    std::u16string text;
    text.reserve((bytes.size() - start) / 2);
    for (size_t i = start; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return text;
}

std::string EncodeUtf16Le(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

std::optional<int32_t> ParseIniInteger(std::u16string_view value) {
    int64_t result = 0;
    if (value.size() > 2 && value[0] == u'0' && (value[1] == u'x' || value[1] == u'X')) {
        if (value.size() > 10) return std::nullopt;
        for (char16_t c : value.substr(2)) {
            int digit;
            if (c >= u'0' && c <= u'9') digit = c - u'0';
            else if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
            else if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
            else return std::nullopt;
            result = result * 16 + digit;
        }
        return static_cast<int32_t>(static_cast<uint32_t>(result));  // 0xFFFFFFFF is -1, as 32 bits
    }
    bool negative = false;
    if (!value.empty() && (value[0] == u'-' || value[0] == u'+')) {
        negative = value[0] == u'-';
        value.remove_prefix(1);
    }
    if (value.empty() || value.size() > 10) return std::nullopt;
    for (char16_t c : value) {
        if (c < u'0' || c > u'9') return std::nullopt;
        result = result * 10 + (c - u'0');
    }
    if (negative) result = -result;
    if (result < INT32_MIN || result > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(result);
}

bool SameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerCase(a[i]) != LowerCase(b[i])) return false;
    return true;
}

Utf16Ini::Utf16Ini(std::u16string_view text) {
    Section* current = nullptr;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find_first_of(u"\r\n", at);
        if (end == std::u16string_view::npos) end = text.size();
        const std::u16string_view line = Trim(text.substr(at, end - at));
        const bool crlf = end + 1 < text.size() && text[end] == u'\r' && text[end + 1] == u'\n';
        at = end + (crlf ? 2 : 1);

        if (line.empty()) continue;
        if (line.front() == u'[' && line.back() == u']' && line.size() >= 2) {
            current = &FindOrAdd(Trim(line.substr(1, line.size() - 2)));
            continue;
        }
        if (current == nullptr) current = &FindOrAdd(u"");
        const size_t equals = line.find(u'=');
        if (line.front() == u';' || equals == std::u16string_view::npos) {
            // Comments, and lines that are not key=value, are kept as they stand.
            current->lines.push_back({{}, std::u16string(line), true});
            continue;
        }
        current->lines.push_back({std::u16string(Trim(line.substr(0, equals))),
                                  std::u16string(Trim(line.substr(equals + 1))), false});
    }
}

bool Utf16Ini::Load(const std::string& path) {
    *this = Utf16Ini();
    if (path.empty()) return false;
    std::ifstream in(platform::PathFromUtf8(path), std::ios::binary);
    if (!in) return false;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return false;
    *this = Utf16Ini(DecodeUtf16Le(bytes));
    return true;
}

const Utf16Ini::Section* Utf16Ini::Find(std::u16string_view name) const {
    for (const Section& section : sections_)
        if (SameName(section.name, name)) return &section;
    return nullptr;
}

Utf16Ini::Section& Utf16Ini::FindOrAdd(std::u16string_view name) {
    for (Section& section : sections_)
        if (SameName(section.name, name)) return section;
    // The nameless section, holding lines before the first section line, always comes first.
    if (name.empty()) return *sections_.insert(sections_.begin(), Section{});
    sections_.push_back(Section{std::u16string(name), {}});
    return sections_.back();
}

std::optional<std::u16string> Utf16Ini::Value(std::u16string_view section, std::u16string_view key) const {
    const Section* found = Find(section);
    if (found == nullptr) return std::nullopt;
    for (const Line& line : found->lines)
        if (!line.comment && SameName(line.key, key)) return line.value;
    return std::nullopt;
}

std::u16string Utf16Ini::ReadString(std::u16string_view section, std::u16string_view key,
                                    std::u16string_view fallback) const {
    auto value = Value(section, key);
    return value ? *value : std::u16string(fallback);
}

int32_t Utf16Ini::ReadInteger(std::u16string_view section, std::u16string_view key, int32_t fallback) const {
    const auto value = Value(section, key);
    if (!value) return fallback;
    return ParseIniInteger(*value).value_or(fallback);
}

void Utf16Ini::WriteString(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
    Section& target = FindOrAdd(section);
    for (Line& line : target.lines) {
        if (!line.comment && SameName(line.key, key)) {
            line.value = value;
            return;
        }
    }
    target.lines.push_back({std::u16string(key), std::u16string(value), false});
}

void Utf16Ini::WriteInteger(std::u16string_view section, std::u16string_view key, int32_t value) {
    const std::string digits = std::to_string(value);
    WriteString(section, key, std::u16string(digits.begin(), digits.end()));
}

std::string Utf16Ini::Serialize() const {
    std::u16string text(1, u'\uFEFF');
    for (const Section& section : sections_) {
        if (section.name.empty() && section.lines.empty()) continue;
        if (!section.name.empty()) text += u"[" + section.name + u"]\r\n";
        for (const Line& line : section.lines) text += (line.comment ? line.value : line.key + u"=" + line.value) + u"\r\n";
        text += u"\r\n";
    }
    return EncodeUtf16Le(text);
}

}  // namespace lang
