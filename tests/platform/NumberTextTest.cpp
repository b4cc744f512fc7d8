// Locale-aware reading and "C"-locale writing of numbers.
#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <optional>

#include "platform/NumberText.h"

namespace {

class DecimalSeparatorScope {
public:
    explicit DecimalSeparatorScope(char16_t separator) : previous_(platform::DecimalSeparator()) {
        platform::SetDecimalSeparator(separator);
    }
    ~DecimalSeparatorScope() { platform::SetDecimalSeparator(previous_); }

private:
    char16_t previous_;
};

struct ParseCase {
    char16_t separator;
    const char16_t* text;
    std::optional<double> expected;  // nothing: the conversion fails
};

TEST(TextToFloat, AcceptsExactlyTheLocaleGrammar) {
    const ParseCase cases[] = {
        {u'.', u"1.5", 1.5},          {u'.', u"1,5", std::nullopt}, {u',', u"1,5", 1.5},
        {u',', u"1.5", std::nullopt}, {u'.', u"  -12.25  ", -12.25}, {u'.', u"+3", 3.0},
        {u'.', u"1e3", 1000.0},       {u'.', u"2.5E-2", 0.025},      {u'.', u".5", 0.5},
        {u'.', u"5.", 5.0},           {u'.', u"", std::nullopt},     {u'.', u"   ", std::nullopt},
        {u'.', u"abc", std::nullopt}, {u'.', u"1 000", std::nullopt}, {u'.', u"1.2.3", std::nullopt},
        {u'.', u"1e", std::nullopt},  {u'.', u"e5", std::nullopt},   {u'.', u"--1", std::nullopt},
        {u'.', u"1e999", std::nullopt}, {u'.', u"1e-999", 0.0},      {u'.', u"0x10", std::nullopt},
        {u'.', u"\u0661", std::nullopt}, {u'.', u"inf", std::nullopt}, {u'.', u"nan", std::nullopt},
        {u'.', u"1\t", std::nullopt},
    };
    for (const ParseCase& c : cases) {
        DecimalSeparatorScope scope(c.separator);
        double value = -1;
        const bool ok = platform::TryTextToFloat(c.text, value);
        SCOPED_TRACE(testing::Message() << "separator " << char(c.separator) << " case #" << (&c - cases));
        ASSERT_EQ(ok, c.expected.has_value());
        if (ok) {
            EXPECT_DOUBLE_EQ(value, *c.expected);
        }
    }
}

TEST(TextToFloat, RaisingFormNamesTheText) {
    DecimalSeparatorScope scope(u'.');
    EXPECT_DOUBLE_EQ(platform::TextToFloat(u"998.5"), 998.5);
    try {
        platform::TextToFloat(u"abc");
        FAIL() << "no error raised";
    } catch (const platform::ConversionError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid floating point value");
    }
}

TEST(TextToInt, DecimalWithOptionalSignAndNothingElse) {
    const std::pair<const char16_t*, std::optional<int32_t>> cases[] = {
        {u"7", 7},           {u"-1", -1},          {u"+2", 2},           {u"0", 0},
        {u"2.0", std::nullopt}, {u"", std::nullopt}, {u" 1", std::nullopt}, {u"1 ", std::nullopt},
        {u"abc", std::nullopt}, {u"0x4", std::nullopt}, {u"+-1", std::nullopt},
        {u"2147483647", 2147483647}, {u"2147483648", std::nullopt}, {u"-2147483648", INT32_MIN},
    };
    for (const auto& [text, expected] : cases) {
        int32_t value = 99;
        SCOPED_TRACE(testing::Message() << "case #" << (&text - &cases[0].first));
        ASSERT_EQ(platform::TryTextToInt(text, value), expected.has_value());
        if (expected) {
            EXPECT_EQ(value, *expected);
        }
    }
}

TEST(FormatFixed, BehavesAsPrintfInTheCLocaleWhateverTheProcessLocale) {
    // Qt sets the process locale from the environment; the fixed forms must not follow it.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    for (const char* locale : {"C", "de_DE.UTF-8", "cs_CZ.UTF-8", "German_Germany.1252"}) {
        if (std::setlocale(LC_NUMERIC, locale) == nullptr) continue;
        SCOPED_TRACE(locale);
        EXPECT_EQ(platform::FormatFixed(2.5, 3), "2.500");
        EXPECT_EQ(platform::FormatFixed(-10, 3), "-10.000");
        EXPECT_EQ(platform::FormatFixed(0.4, 0), "0");
        EXPECT_EQ(platform::FormatFixed(-0.4, 0), "-0");
        EXPECT_EQ(platform::FormatFixed(50000, 6), "50000.000000");
        EXPECT_EQ(platform::FormatFixed(static_cast<float>(100999.995), 6), "100999.992188");
        EXPECT_EQ(platform::FormatFixed(1e20, 1), "100000000000000000000.0");
        EXPECT_EQ(platform::FormatFixed(0.125, 2), "0.12");  // exact tie: to even, as printf
        EXPECT_EQ(platform::FormatFixed(std::numeric_limits<double>::max(), 0).size(), 309u);
        EXPECT_EQ(platform::FormatFixed(std::nan(""), 3), "nan");
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(platform::FormatInt(-1), "-1");
    EXPECT_EQ(platform::FormatInt(65535), "65535");
}

TEST(FormatGeneral, FifteenDigitsNoTrailingZerosLocaleSeparator) {
    {
        DecimalSeparatorScope scope(u'.');
        EXPECT_EQ(platform::FormatGeneral(1000), u"1000");
        EXPECT_EQ(platform::FormatGeneral(998.5), u"998.5");
        EXPECT_EQ(platform::FormatGeneral(0), u"0");
        EXPECT_EQ(platform::FormatGeneral(-0.25), u"-0.25");
        EXPECT_EQ(platform::FormatGeneral(0.1 + 0.2), u"0.3");
        EXPECT_EQ(platform::FormatGeneral(1e20), u"1E20");
        EXPECT_EQ(platform::FormatGeneral(1.5e-7), u"1.5E-7");
    }
    DecimalSeparatorScope scope(u',');
    EXPECT_EQ(platform::FormatGeneral(998.5), u"998,5");
}

}  // namespace
