// The language index, the catalogue reader and the lookups.
#include <gtest/gtest.h>

#include <fstream>

#include "lang/Lang.h"
#include "lang/Utf16Ini.h"
#include "platform/Text.h"
#include "support/TempFolder.h"

namespace {

// Writes text as UTF-16LE, with a byte-order mark unless told otherwise.
void WriteUtf16(const std::string& path, std::u16string_view text, bool bom = true) {
    std::ofstream out(path, std::ios::binary);
    if (bom) out.write("\xFF\xFE", 2);
    const std::string bytes = lang::EncodeUtf16Le(text);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class Catalogue : public ::testing::Test {
protected:
    void SetUp() override { lang::ResetCatalogue(); }
    void TearDown() override { lang::ResetCatalogue(); }

    // Loads text as the catalogue of language 1.
    bool Load(std::u16string_view text, bool bom = true) {
        const std::string path = folder / "catalogue.uni";
        WriteUtf16(path, text, bom);
        lang::languageFiles[1] = platform::FromUtf8(path);
        lang::Language = 1;
        return lang::LoadLanguageFile();
    }

    testsupport::TempFolder folder;
};

TEST_F(Catalogue, ReaderRules) {
    struct Case {
        const char* what;
        std::u16string line;
        std::u16string_view lookup;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {"usual line", u"Exit; Konec\r\n", u"Exit", u"Konec"},
        {"key in capitals matches any case", u"EXIT; Konec\n", u"eXiT", u"Konec"},
        {"non-ASCII key case", u"ČTENÍ; read\n", u"čtení", u"read"},
        {"blank before ; belongs to the key", u"Exit ; Konec\n", u"Exit", u"Exit"},
        {"no blank after ; loses a character", u"Exit;Konec\n", u"Exit", u"onec"},
        {"line ending right after ;", u"Exit;\n", u"Exit", u""},
        {"; and one more character", u"Exit;x\n", u"Exit", u""},
        {"translation keeps later ;", u"Exit; a;b\n", u"Exit", u"a;b"},
        {"trailing blanks, tabs and CR go", u"Exit;  Konec \t \r\n", u"Exit", u" Konec"},
        {"inner blanks stay", u"Exit; K o n e c\n", u"Exit", u"K o n e c"},
        {"line without ; is ignored", u"just a comment\nExit; Konec\n", u"Exit", u"Konec"},
        {"last line without LF", u"Exit; Konec", u"Exit", u"Konec"},
        {"first occurrence wins", u"Exit; first\nexit; second\n", u"Exit", u"first"},
        {"decoration must match", u"About; O programu\n", u"About...", u"About..."},
        {"unknown text keeps its case", u"Exit; Konec\n", u"Help Me", u"Help Me"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(Load(c.line));
        EXPECT_EQ(lang::Translate(c.lookup), c.expected);
    }
}

TEST_F(Catalogue, WithoutByteOrderMarkTheFirstCharacterIsLost) {
    ASSERT_TRUE(Load(u"Exit; Konec\nHelp; Pomoc\n", /*bom=*/false));
    EXPECT_EQ(lang::Translate(u"Exit"), u"Exit");  // its key read as "xit"
    EXPECT_EQ(lang::Translate(u"xit"), u"Konec");
    EXPECT_EQ(lang::Translate(u"Help"), u"Pomoc");
}

TEST_F(Catalogue, LongLinesAreReadIn1023UnitPieces) {
    std::u16string line(1500, u'a');
    line[10] = u';';       // first piece: key of 10 units
    line[1023 + 5] = u';'; // second piece: a line of its own
    ASSERT_TRUE(Load(line + u"\n"));
    EXPECT_EQ(lang::catalogueCount, 2);
    EXPECT_EQ(lang::catalogueKeys[0], std::u16string(10, u'a'));
    EXPECT_EQ(lang::catalogueTexts[0].size(), 1023u - 12u);
    EXPECT_EQ(lang::catalogueKeys[1], std::u16string(5, u'a'));
}

TEST_F(Catalogue, HoldsTenThousandEntriesAndNoMore) {
    std::u16string text;
    for (int i = 0; i < 10050; ++i) {
        const std::string n = std::to_string(i);
        text += u"k" + std::u16string(n.begin(), n.end()) + u"; v\n";
    }
    ASSERT_TRUE(Load(text));
    EXPECT_EQ(lang::catalogueCount, 10000);
    EXPECT_EQ(lang::Translate(u"k9999"), u"v");
    EXPECT_EQ(lang::Translate(u"k10000"), u"k10000");
}

TEST_F(Catalogue, AFileWithoutEntriesKeepsThePreviousCatalogueAndAMissingFileChangesNothing) {
    ASSERT_TRUE(Load(u"Exit; Konec\nHelp; Pomoc\n"));
    ASSERT_TRUE(Load(u"only comments here\n"));
    EXPECT_EQ(lang::Translate(u"Help"), u"Pomoc");
    ASSERT_TRUE(Load(u"Exit; Beenden\n"));  // fewer entries: the older ones above its count are hidden
    EXPECT_EQ(lang::catalogueCount, 1);
    EXPECT_EQ(lang::Translate(u"Help"), u"Help");
    lang::languageFiles[1] = platform::FromUtf8(folder / "missing.uni");
    EXPECT_FALSE(lang::LoadLanguageFile());
    EXPECT_EQ(lang::Translate(u"Exit"), u"Beenden");
}

TEST_F(Catalogue, LanguageZeroOrOutOfRangeNeverLooksUp) {
    ASSERT_TRUE(Load(u"Exit; Konec\n"));
    for (int32_t language : {0, -1, 10, 12345}) {
        lang::Language = language;
        EXPECT_EQ(lang::Translate(u"Exit"), u"Exit") << language;
        EXPECT_EQ(lang::LanguageFilePath(u""), lang::languageFiles[0]) << language;
    }
    lang::Language = 5;  // within 0..9 but not in the index: no file, the catalogue in force stays
    EXPECT_TRUE(lang::LanguageFilePath(u"").empty());
    EXPECT_FALSE(lang::LoadLanguageFile());
    EXPECT_EQ(lang::Translate(u"Exit"), u"Konec");
}

TEST_F(Catalogue, DecoratedFormsAppendUntranslatedDecoration) {
    EXPECT_EQ(lang::TranslateWithColon(u"Zero error is"), u"Zero error is: ");
    EXPECT_EQ(lang::TranslateWithEllipsis(u"About"), u"About...");
    ASSERT_TRUE(Load(u"About; O programu...\n"));
    EXPECT_EQ(lang::TranslateWithEllipsis(u"About"), u"O programu......");
    EXPECT_EQ(lang::TranslatePointer(u"Nothing"), u"Nothing");
}

TEST_F(Catalogue, TranslateFormatUsesOnlySafeTranslations) {
    struct Case {
        const char16_t* translation;  // nullptr: no entry
        std::u16string_view expected;
    };
    const Case cases[] = {
        {nullptr, u"Serial number is 12345"},
        {u"Sériové číslo je %i", u"Sériové číslo je 12345"},
        {u"Nr. %d", u"Nr. 12345"},
        {u"[%8i]", u"[   12345]"},
        {u"[%-8i]", u"[12345   ]"},
        {u"[%08d]", u"[00012345]"},
        {u"[%+d] 100%%", u"[+12345] 100%"},
        {u"%s", u"Serial number is 12345"},
        {u"%n", u"Serial number is 12345"},
        {u"%i %i", u"Serial number is 12345"},
        {u"%x", u"Serial number is 12345"},
        {u"%.3i", u"Serial number is 12345"},
        {u"%99999999i", u"Serial number is 12345"},
        {u"%*i", u"Serial number is 12345"},
        {u"Seriennummer unbekannt", u"Seriennummer unbekannt"},  // no conversion: as printf shows it
        {u"100%% sicher", u"100% sicher"},
        {u"trailing %", u"Serial number is 12345"},
        {u"%ls", u"Serial number is 12345"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(platform::ToUtf8(c.translation ? c.translation : u"(none)"));
        std::u16string line = c.translation ? u"Serial number is %i; " + std::u16string(c.translation) + u"\n" : u"x; y\n";
        ASSERT_TRUE(Load(line));
        EXPECT_EQ(lang::TranslateFormat(u"Serial number is %i", 12345), c.expected);
    }
    ASSERT_TRUE(Load(u"Serial number is %i;\n"));  // an empty translation gives an empty text
    EXPECT_EQ(lang::TranslateFormat(u"Serial number is %i", 1), u"");
    lang::Language = 0;
    EXPECT_EQ(lang::TranslateFormat(u"Serial number is %i", 65535), u"Serial number is 65535");
    EXPECT_EQ(lang::TranslateFormat(u"Serial number is %i", -1), u"Serial number is -1");
}

TEST_F(Catalogue, LanguageIndexWithItsDefaults) {
    const std::string index = folder / "messages.uni";
    const std::u16string base = platform::FromUtf8(folder.path().string() + "/");
    auto names = [] { return std::vector<std::u16string>(lang::languageNames.begin(), lang::languageNames.begin() + lang::languageCount); };

    WriteUtf16(index, u"[Main]\r\nTotal=3\r\n[Names]\r\n0=English\r\n1=Čeština\r\n[Files]\r\n1=cz.uni\r\n[Shorts]\r\n1=CZ\r\n");
    lang::LoadLanguageListFrom(base);
    EXPECT_EQ(lang::catalogueFolder, base);
    EXPECT_EQ(names(), (std::vector<std::u16string>{u"English", u"Čeština", u"---"}));
    EXPECT_EQ(lang::languageFiles[0], base + u"messages_uk.uni");
    EXPECT_EQ(lang::languageFiles[1], base + u"cz.uni");
    EXPECT_EQ(lang::languageShorts[1], u"CZ");
    EXPECT_EQ(lang::languageShorts[2], u"UK");

    WriteUtf16(index, u"[main]\r\ntotal=25\r\n");
    lang::LoadLanguageListFrom(base);
    EXPECT_EQ(lang::languageCount, 10);  // the table holds ten and no more

    WriteUtf16(index, u"[Main]\r\nTotal=0\r\n");
    lang::LoadLanguageListFrom(base);
    EXPECT_EQ(lang::languageCount, 0);

    WriteUtf16(index, u"[Main]\r\nTotal=many\r\n");
    lang::LoadLanguageListFrom(base);
    EXPECT_EQ(lang::languageCount, 1);

    lang::LoadLanguageListFrom(platform::FromUtf8(folder / "no-such-folder/"));
    EXPECT_EQ(names(), (std::vector<std::u16string>{u"---"}));
    lang::Language = 0;
    EXPECT_FALSE(lang::LoadLanguageFile());
    EXPECT_EQ(lang::Translate(u"Exit"), u"Exit");
}

TEST(ApplicationDirectory, NormalisesTheExecutablesFolder) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"/opt/tools/app", u"/opt/tools/language/"},
        {u"/proj/Win32/Debug/app", u"/proj/language/"},
        {u"/proj/Win32/Release/app", u"/proj/language/"},
        {u"/opt/tools/./app", u"/opt/tools/language/"},
        {u"/opt/./tools/app", u"/opt/tools/language/"},
        {u"/opt/tools./app", u"/opt/tools./language/"},  // a folder name ending in a dot stays
        {u"app", u"/language/"},
    };
    for (const auto& [executable, expected] : cases)
        EXPECT_EQ(lang::ApplicationDirectoryOf(executable, u"language/"), expected) << platform::ToUtf8(executable);
    const std::u16string own = lang::ApplicationDirectory(u"");
#ifdef _WIN32
    EXPECT_TRUE(own.back() == u'/' || own.back() == u'\\') << platform::ToUtf8(own);
#else
    EXPECT_EQ(own.back(), u'/');
#endif
    EXPECT_TRUE(testsupport::PathFromText(platform::ToUtf8(own)).is_absolute()) << platform::ToUtf8(own);
}

}  // namespace
