// Catalogue files of arbitrary bytes never crash the reader or push it past its tables, and
// no translation can make the formatted serial number text misbehave.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "lang/Lang.h"
#include "lang/Texts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    lang::Language = 1;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    lang::LoadCatalogueFrom(in);
    if (lang::catalogueCount < 0 || lang::catalogueCount > lang::MaxCatalogueEntries) std::abort();
    for (std::u16string_view english : text::All) lang::Translate(english);
    lang::TranslateFormat(text::SerialNumberIs, -2147483647 - 1);
    if (lang::catalogueCount > 0) {
        // A text looked up by its own key finds the first entry with that key.
        const std::u16string& key = lang::catalogueKeys[0];
        if (lang::Translate(key) != lang::catalogueTexts[0]) std::abort();
    }
    return 0;
}
