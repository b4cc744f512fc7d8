#include "lang/LanguageTable.h"

#include "lang/Lang.h"

namespace lang {

LanguageTable ChooserTable() {
    LanguageTable table;
    for (int32_t i = 0; i < languageCount && i < MaxLanguages; ++i) table.names.push_back(languageNames[static_cast<size_t>(i)]);
    const auto rows = static_cast<int32_t>(table.names.size());
    table.currentRow = Language >= 0 && Language < rows ? Language : -1;
    return table;
}

}  // namespace lang
