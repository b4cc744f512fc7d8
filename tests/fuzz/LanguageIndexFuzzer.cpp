// A language index (messages.uni) of arbitrary bytes: the number of languages (Total), their
// names and files are interpreted and the chooser's table built from them. Nothing crashes,
// the count stays within the tables, every language file is named under the catalogue folder, and the
// chooser lists exactly the index's languages with the language in force selected or none.
// Byte 0 is the language chosen; the rest is the index file.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "FuzzFolder.h"
#include "lang/Lang.h"
#include "lang/LanguageTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::filesystem::path& folder = fuzzsupport::FuzzFolder();
    fuzzsupport::WriteInput(folder / "messages.uni",
                                   std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    const std::string base = folder.string() + "/";
    const std::u16string catalogueFolder(base.begin(), base.end());
    lang::LoadLanguageListFrom(catalogueFolder);
    if (lang::languageCount < 0 || lang::languageCount > lang::MaxLanguages) std::abort();

    lang::Language = static_cast<int8_t>(data[0]);
    const int32_t inForce = lang::EffectiveLanguage();
    if (inForce < 0 || inForce >= lang::MaxLanguages) std::abort();
    const std::u16string file = lang::LanguageFilePath(u"");
    if (inForce < lang::languageCount && file.compare(0, catalogueFolder.size(), catalogueFolder) != 0) std::abort();

    const lang::LanguageTable table = lang::ChooserTable();
    if (table.names.size() != static_cast<size_t>(lang::languageCount)) std::abort();
    if (table.currentRow != (lang::Language >= 0 && lang::Language < lang::languageCount ? lang::Language : -1)) std::abort();
    lang::ResetCatalogue();
    return 0;
}
