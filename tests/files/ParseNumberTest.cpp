// The tolerant number reading, in locales with either separator.
#include <gtest/gtest.h>

#include "files/ParseNumber.h"
#include "platform/NumberText.h"

namespace {

TEST(ParseNumber, PointOrCommaWhateverTheLocaleAndZeroForTheRest) {
    const std::pair<const char16_t*, double> cases[] = {
        {u"1.5", 1.5},     {u"1,5", 1.5},     {u"-10", -10},     {u" 2 ", 2},       {u"1e3", 1000},
        {u"1,5e-3", 0.0015}, {u"abc", 0},     {u"1.234,5", 0},   {u"", 0},          {u"12 34", 0},
        {u"998,5", 998.5}, {u"1e999", 0},     {u"+.5", 0.5},
    };
    for (char16_t separator : {u'.', u','}) {
        platform::SetDecimalSeparator(separator);
        for (const auto& [text, expected] : cases)
            EXPECT_DOUBLE_EQ(files::ParseNumber(text), expected) << "separator " << char(separator);
    }
    platform::SetDecimalSeparator(u'.');
}

}  // namespace
