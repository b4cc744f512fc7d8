#include "platform/Text.h"

#include <locale.h>
#include <wctype.h>

namespace platform {
namespace {

// C.UTF-8 carries the full Unicode case tables and is part of glibc itself, so the mapping does
// not depend on which locales a machine has installed or which one the user chose.
locale_t UnicodeLocale() {
    static const locale_t handle = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return handle;
}

}  // namespace

char16_t LowerCaseUnit(char16_t unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) return unit;
    const locale_t locale = UnicodeLocale();
    if (locale == static_cast<locale_t>(0)) return unit;
    const wint_t lower = towlower_l(static_cast<wint_t>(unit), locale);
    return lower <= 0xFFFF ? static_cast<char16_t>(lower) : unit;
}

}  // namespace platform
