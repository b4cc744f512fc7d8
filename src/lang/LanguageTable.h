// What the language chooser lists, without the dialog: the names of the index's languages in
// order, and the row of the language in force.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lang {

struct LanguageTable {
    std::vector<std::u16string> names;  // row i: language i of the index
    int32_t currentRow = -1;            // Language when it names a row, else -1 (none selected)
};

LanguageTable ChooserTable();

}  // namespace lang
