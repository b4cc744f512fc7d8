// The catalogues shipped with the program translate every text the program translates.
#include <gtest/gtest.h>

#include <set>

#include "lang/CaseMapping.h"
#include "lang/Lang.h"
#include "lang/Texts.h"
#include "platform/Text.h"

namespace {

class ShippedCatalogues : public ::testing::Test {
protected:
    void SetUp() override {
        lang::ResetCatalogue();
        lang::LoadLanguageListFrom(u"" KD4410_SHIPPED_LANGUAGE_DIR);
    }
    void TearDown() override { lang::ResetCatalogue(); }
};

TEST_F(ShippedCatalogues, IndexListsEnglishCzechAndGerman) {
    ASSERT_EQ(lang::languageCount, 3);
    EXPECT_EQ(lang::languageNames[0], u"English");
    EXPECT_EQ(lang::languageNames[1], u"Čeština");
    EXPECT_EQ(lang::languageNames[2], u"Deutsch");
    for (int32_t i = 0; i < 3; ++i) {
        lang::Language = i;
        EXPECT_TRUE(lang::LoadLanguageFile()) << platform::ToUtf8(lang::languageFiles[i]);
    }
}

TEST_F(ShippedCatalogues, EveryTranslatedTextHasAnEntryInEveryLanguage) {
    for (int32_t language = 1; language < lang::languageCount; ++language) {
        lang::Language = language;
        ASSERT_TRUE(lang::LoadLanguageFile());
        std::set<std::u16string> keys(lang::catalogueKeys.begin(), lang::catalogueKeys.begin() + lang::catalogueCount);
        EXPECT_EQ(keys.size(), static_cast<size_t>(lang::catalogueCount)) << "a text appears twice";
        for (std::u16string_view english : text::All) {
            SCOPED_TRACE(platform::ToUtf8(lang::languageNames[language]) + ": " + platform::ToUtf8(english));
            ASSERT_TRUE(keys.count(lang::LowerCase(english)));
            const std::u16string translated = lang::Translate(english);
            EXPECT_FALSE(translated.empty());
        }
        // The serial number format must stay usable as a format.
        EXPECT_NE(lang::TranslateFormat(text::SerialNumberIs, 12345).find(u"12345"), std::u16string::npos);
    }
}

}  // namespace
