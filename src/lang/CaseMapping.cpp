#include "lang/CaseMapping.h"

#include "platform/Text.h"

namespace lang {

char16_t LowerCase(char16_t unit) {
    if (unit < 0x80) return (unit >= u'A' && unit <= u'Z') ? static_cast<char16_t>(unit + 32) : unit;
    if (unit >= 0xD800 && unit <= 0xDFFF) return unit;  // half of a pair: left as it is
    return platform::LowerCaseUnit(unit);
}

std::u16string LowerCase(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& unit : out) unit = LowerCase(unit);
    return out;
}

}  // namespace lang
