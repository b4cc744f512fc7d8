#include "platform/Text.h"

#include <windows.h>

namespace platform {

char16_t LowerCaseUnit(char16_t unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) return unit;
    // The invariant locale's mapping: the same for every user and every language setting.
    const wchar_t in = static_cast<wchar_t>(unit);
    wchar_t out = in;
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, &in, 1, &out, 1, nullptr, nullptr, 0) != 1) return unit;
    return static_cast<char16_t>(out);
}

}  // namespace platform
