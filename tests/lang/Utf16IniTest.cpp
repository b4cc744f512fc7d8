// The UTF-16LE INI codec.
#include <gtest/gtest.h>

#include "lang/Utf16Ini.h"

namespace {

std::string Bytes(std::u16string_view text) { return "\xFF\xFE" + lang::EncodeUtf16Le(text); }

TEST(Utf16Ini, ReadsSectionsKeysAndValuesWithoutRegardToCase) {
    const lang::Utf16Ini ini(lang::DecodeUtf16Le(Bytes(
        u"; comment\r\n[Options]\r\n  Language = 2 \r\nisPressure=1\nempty=\r[Other]\r\nkey=value with = sign\r\n")));
    EXPECT_EQ(ini.ReadInteger(u"options", u"LANGUAGE", 0), 2);
    EXPECT_EQ(ini.ReadInteger(u"Options", u"isPressure", 0), 1);
    EXPECT_EQ(ini.Value(u"Options", u"empty"), std::u16string());
    EXPECT_FALSE(ini.Value(u"Options", u"missing"));
    EXPECT_FALSE(ini.Value(u"Missing", u"Language"));
    EXPECT_EQ(ini.ReadString(u"Other", u"key", u"-"), u"value with = sign");
    EXPECT_EQ(ini.ReadString(u"Other", u"none", u"-"), u"-");
}

TEST(Utf16Ini, IntegerValues) {
    const std::pair<std::u16string_view, std::optional<int32_t>> cases[] = {
        {u"4", 4},       {u"-1", -1},          {u"+7", 7},         {u"0x4", 4},
        {u"0X1f", 31},   {u"0xFFFFFFFF", -1},  {u"bar", std::nullopt}, {u"", std::nullopt},
        {u"0x", std::nullopt}, {u"0xG", std::nullopt}, {u"1.5", std::nullopt}, {u"4 4", std::nullopt},
        {u"2147483648", std::nullopt}, {u"0x100000000", std::nullopt},
    };
    for (const auto& [value, expected] : cases) EXPECT_EQ(lang::ParseIniInteger(value), expected);
}

TEST(Utf16Ini, WritesInPlaceAppendsNewKeysAndSectionsAndKeepsTheRest) {
    lang::Utf16Ini ini(u"[Foreign]\r\n; keep me\r\nx=1\r\n[options]\r\nunitOfLength=0\r\nextra=yes\r\n");
    ini.WriteInteger(u"Options", u"Language", 1);
    ini.WriteInteger(u"Options", u"unitOfLength", 2);
    ini.WriteString(u"New", u"k", u"v");
    const std::u16string expected =
        u"\uFEFF[Foreign]\r\n; keep me\r\nx=1\r\n\r\n[options]\r\nunitOfLength=2\r\nextra=yes\r\nLanguage=1\r\n\r\n"
        u"[New]\r\nk=v\r\n\r\n";
    EXPECT_EQ(ini.Serialize(), lang::EncodeUtf16Le(expected));
}

TEST(Utf16Ini, WhatItWritesItReadsBack) {
    lang::Utf16Ini ini;
    ini.WriteString(u"Names", u"1", u"Čeština");
    ini.WriteInteger(u"Main", u"Total", -3);
    const lang::Utf16Ini back(lang::DecodeUtf16Le(ini.Serialize()));
    EXPECT_EQ(back.ReadString(u"names", u"1", u""), u"Čeština");
    EXPECT_EQ(back.ReadInteger(u"MAIN", u"total", 0), -3);
    EXPECT_EQ(lang::Utf16Ini(lang::DecodeUtf16Le(back.Serialize())).Serialize(), ini.Serialize());
}

TEST(Utf16Ini, DecodingSkipsTheMarkAndDropsAnOddByte) {
    EXPECT_EQ(lang::DecodeUtf16Le(std::string("\xFF\xFE" "A\0B", 5)), u"A");
    EXPECT_EQ(lang::DecodeUtf16Le(std::string("A\0", 2)), u"A");
    EXPECT_EQ(lang::DecodeUtf16Le(""), u"");
}

}  // namespace
