#include "platform/NumberText.h"

#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

#include "platform/Text.h"

namespace platform {
namespace {

char16_t decimalSeparator = u'.';

// strtod in the "C" locale, so parsing never depends on setlocale(); underflow sets ERANGE.
double StrtodC(const char* text, char** end) {
#ifdef _WIN32
    static const _locale_t handle = _create_locale(LC_ALL, "C");
    return _strtod_l(text, end, handle);
#else
    static const locale_t handle = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return strtod_l(text, end, handle);
#endif
}

// Checks the accepted grammar and rewrites the number in "C" form (point separator, no blanks).
bool ToCanonical(std::u16string_view text, char16_t separator, std::string& out) {
    size_t i = 0;
    const size_t n = text.size();
    auto isDigit = [&](size_t k) { return k < n && text[k] >= u'0' && text[k] <= u'9'; };
    while (i < n && text[i] == u' ') ++i;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) out.push_back(static_cast<char>(text[i++]));
    size_t digits = 0;
    while (isDigit(i)) { out.push_back(static_cast<char>(text[i++])); ++digits; }
    if (i < n && text[i] == separator) {
        out.push_back('.');
        ++i;
        while (isDigit(i)) { out.push_back(static_cast<char>(text[i++])); ++digits; }
    }
    if (digits == 0) return false;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        out.push_back('e');
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-')) out.push_back(static_cast<char>(text[i++]));
        if (!isDigit(i)) return false;
        while (isDigit(i)) out.push_back(static_cast<char>(text[i++]));
    }
    while (i < n && text[i] == u' ') ++i;
    return i == n;
}

}  // namespace

char16_t DecimalSeparator() { return decimalSeparator; }
void SetDecimalSeparator(char16_t separator) { decimalSeparator = separator; }

bool TryTextToFloat(std::u16string_view text, double& value) {
    std::string canonical;
    if (!ToCanonical(text, decimalSeparator, canonical)) return false;
    errno = 0;
    char* end = nullptr;
    const double parsed = StrtodC(canonical.c_str(), &end);
    if (end != canonical.c_str() + canonical.size()) return false;
    if (errno == ERANGE && std::isinf(parsed)) return false;  // overflow; underflow is fine
    value = parsed;
    return true;
}

double TextToFloat(std::u16string_view text) {
    double value = 0;
    if (!TryTextToFloat(text, value))
        throw ConversionError("'" + ToUtf8(text) + "' is not a valid floating point value");
    return value;
}

bool TryTextToInt(std::u16string_view text, int32_t& value) {
    std::string ascii;
    for (char16_t c : text) {
        if (c > 0x7F) return false;
        ascii.push_back(static_cast<char>(c));
    }
    // from_chars takes a leading minus but no plus.
    const size_t start = (!ascii.empty() && ascii[0] == '+') ? 1 : 0;
    if (start == 1 && ascii.size() > 1 && ascii[1] == '-') return false;
    const char* first = ascii.data() + start;
    const char* last = ascii.data() + ascii.size();
    if (first == last) return false;
    int32_t parsed = 0;
    const auto [ptr, ec] = std::from_chars(first, last, parsed, 10);
    if (ec != std::errc() || ptr != last) return false;
    value = parsed;
    return true;
}

std::string FormatFixed(double value, int decimals) {
    if (decimals < 0) decimals = 0;
    // Enough for the widest double in fixed notation (309 digits) plus sign, point and decimals.
    std::string buffer(330 + static_cast<size_t>(decimals), '\0');
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, decimals);
    buffer.resize(static_cast<size_t>(result.ptr - buffer.data()));
    return buffer;
}

std::string ShortestText(float value) {
    char buffer[64];
    std::to_chars_result result{};
    // Fixed notation where it stays short (5000000, not 5e+06), general notation beyond.
    if (std::isfinite(value) && std::fabs(value) < 1e10f && (value == 0 || std::fabs(value) >= 1e-6f)) {
        result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
        return std::string(buffer, result.ptr);
    }
    for (int digits = 6; digits <= 9; ++digits) {
        result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
        float back = 0;
        const auto parsed = std::from_chars(buffer, result.ptr, back);
        if (parsed.ec == std::errc() && (back == value || value != value)) break;
    }
    return std::string(buffer, result.ptr);
}

std::string FormatInt(int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::u16string FormatGeneral(double value) {
    char buffer[40];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::general, 15);
    const std::string text(buffer, result.ptr);
    // The desktop writes exponents as E20 or E-7: no plus sign, no leading zeros.
    std::u16string out;
    size_t i = 0;
    for (; i < text.size() && text[i] != 'e'; ++i)
        out.push_back(text[i] == '.' ? decimalSeparator : static_cast<char16_t>(text[i]));
    if (i < text.size()) {
        out.push_back(u'E');
        ++i;
        if (text[i] == '-') out.push_back(u'-');
        if (text[i] == '-' || text[i] == '+') ++i;
        while (i + 1 < text.size() && text[i] == '0') ++i;
        for (; i < text.size(); ++i) out.push_back(static_cast<char16_t>(text[i]));
    }
    return out;
}

}  // namespace platform
