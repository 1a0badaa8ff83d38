#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "settings/text.h"

namespace vyr {
namespace {

TEST(PermittedCharacters, HoldsTheRepertoireInItsDefinedOrder) {
    EXPECT_EQ(
        std::set<unsigned char>(PermittedCharacters.begin(), PermittedCharacters.end()).size(),
        106u);
    EXPECT_EQ(PermittedCharacters[0], 'a');
    EXPECT_EQ(PermittedCharacters[51], 'Z');
    EXPECT_EQ(PermittedCharacters[52], 0xE4);
    EXPECT_EQ(PermittedCharacters[57], 0xDC);
    EXPECT_EQ(PermittedCharacters[58], '0');
    EXPECT_EQ(PermittedCharacters[68], '_');
    EXPECT_EQ(PermittedCharacters[69], 0xDF);
    EXPECT_EQ(PermittedCharacters[73], ' ');
    EXPECT_EQ(PermittedCharacters[74], '/');
    EXPECT_EQ(PermittedCharacters[104], '=');
    EXPECT_EQ(PermittedCharacters[105], '\n');
}

TEST(PermittedCharacters, StrictSetIsLettersUmlautsDigitsAndUnderscore) {
    for (char32_t c : {U'a', U'Z', U'\u00E4', U'\u00DC', U'0', U'9', U'_'})
        EXPECT_TRUE(IsStrictCharacter(c));
    for (char32_t c : {U' ', U'-', U'\u00DF', U'\n', U'\u00E9'})
        EXPECT_FALSE(IsStrictCharacter(c));
    EXPECT_EQ(StrictCharacters.size(), 69u);
    EXPECT_EQ(StrictCharacters.back(), '_');
    EXPECT_TRUE(IsPermittedCharacter(U'\u00DF'));
    EXPECT_TRUE(IsPermittedCharacter(U'~'));
    for (char32_t c : {U'\r', U'\t', U'\u00E9', U'\x7F', U'\0', U'\u20AC'})
        EXPECT_FALSE(IsPermittedCharacter(c));
}

TEST(DeviceText, WidenReplacesBytesOutsideTheRepertoire) {
    EXPECT_EQ(WidenSettingText("caf\xE9 \xE4\r\n"), L"caf_ \u00E4_\n");
}

TEST(DeviceText, NarrowReplacesOrDrops) {
    EXPECT_EQ(NarrowSettingText(L"Gr\u00FC\u00DF \u20AC caf\u00E9", NarrowMode::Replace),
              "Gr\xFC\xDF _ caf_");
    EXPECT_EQ(NarrowSettingText(L"Gr\u00FC\u00DF \u20AC caf\u00E9", NarrowMode::Drop),
              "Gr\xFC\xDF  caf");
}

TEST(DeviceText, FilterStrictTurnsSeparatorsIntoUnderscores) {
    std::wstring label = L"A-B C";
    FilterText(label, true);
    EXPECT_EQ(label, L"A_B_C");
    std::wstring free = L"A-B C\u00E9";
    FilterText(free, false);
    EXPECT_EQ(free, L"A-B C_");
}

TEST(Numbers, LeadingIntegerReadsLikeAtoiWithoutOverflow) {
    EXPECT_EQ(ReadLeadingInteger("12abc"), 12);
    EXPECT_EQ(ReadLeadingInteger("abc"), 0);
    EXPECT_EQ(ReadLeadingInteger(""), 0);
    EXPECT_EQ(ReadLeadingInteger(" \t-7x"), -7);
    EXPECT_EQ(ReadLeadingInteger("+5"), 5);
    EXPECT_EQ(ReadLeadingInteger("- 5"), 0);
    EXPECT_GT(ReadLeadingInteger("99999999999999999999999999"), 4294967296LL);
    EXPECT_LT(ReadLeadingInteger("-99999999999999999999999999"), -4294967296LL);
}

TEST(Numbers, ASecondSignIsNoNumber) {
    for (std::string_view text : {"+-5", "-+5", "--5", "++0", "+-0", " - 5"}) {
        EXPECT_EQ(ReadLeadingInteger(text), 0) << text;
        EXPECT_EQ(ParseWholeInteger(text), std::nullopt) << text;
    }
}

TEST(Numbers, WholeIntegerNeedsTheWholeText) {
    EXPECT_EQ(ParseWholeInteger("48000"), 48000);
    EXPECT_EQ(ParseWholeInteger(" -12"), -12);
    EXPECT_EQ(ParseWholeInteger("12 "), std::nullopt);
    EXPECT_EQ(ParseWholeInteger("12abc"), std::nullopt);
    EXPECT_EQ(ParseWholeInteger(""), std::nullopt);
    EXPECT_EQ(ParseWholeInteger("-"), std::nullopt);
    EXPECT_EQ(ParseWholeInteger("4294967296"), std::nullopt);
}

TEST(TextHelpers, TrimAndUtf8) {
    EXPECT_EQ(TrimTrailingBlanks("  a b \t\r\n "), "  a b");
    EXPECT_EQ(TrimTrailingBlanks(" \r\n"), "");
    EXPECT_EQ(Latin1ToUtf8("\xE4\xDF!"), "\xC3\xA4\xC3\x9F!");
    EXPECT_EQ(WideToUtf8(L"\u20AC"), "\xE2\x82\xAC");
    EXPECT_EQ(Utf8ToWide("\xC3\xA4\xE2\x82\xAC\xF0\x9F\x8E\xA4" "a"), L"\u00E4\u20AC\U0001F3A4a");
    EXPECT_EQ(Utf8ToWide("a\xC3"), L"a_");       // cut short
    EXPECT_EQ(Utf8ToWide("\xFFx\xA4"), L"_x_");  // no character starts with these
}

TEST(TextHelpers, Utf8DecoderRefusesWhatIsNoCharacter) {
    // The shortest forms are characters ...
    EXPECT_EQ(Utf8ToWide("\x7F\xC2\x80\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF"),
              L"\x7F\u0080\u0800\uD7FF\uE000\U0010FFFF");
    // ... longer forms of the same codes are not: every byte of them becomes "_".
    EXPECT_EQ(Utf8ToWide("\xC0\xAF"), L"__");            // "/" in two bytes
    EXPECT_EQ(Utf8ToWide("\xC1\xBF"), L"__");            // U+007F in two bytes
    EXPECT_EQ(Utf8ToWide("\xE0\x9F\xBF"), L"___");       // U+07FF in three bytes
    EXPECT_EQ(Utf8ToWide("\xF0\x8F\xBF\xBF"), L"____");  // U+FFFF in four bytes
    // UTF-16 surrogates, alone or as a pair, are no characters.
    EXPECT_EQ(Utf8ToWide("a\xED\xA0\x80z"), L"a___z");
    EXPECT_EQ(Utf8ToWide("\xED\xA0\xBD\xED\xB8\x80"), L"______");
    // Nothing lies above U+10FFFF.
    EXPECT_EQ(Utf8ToWide("\xF4\x90\x80\x80"), L"____");
    EXPECT_EQ(Utf8ToWide("\xF7\xBF\xBF\xBF!"), L"____!");
}

TEST(DeviceText, FilterReplacesEveryByteOutsideTheRepertoire) {
    EXPECT_EQ(FilterDeviceText(std::string_view("a\tb\r\n\xE9\0\x7F\xE4\xDF~=", 12)),
              "a_b_\n___\xE4\xDF~=");
    std::string all;
    for (int c = 0; c < 256; ++c)
        all.push_back(static_cast<char>(c));
    const std::string filtered = FilterDeviceText(all);
    ASSERT_EQ(filtered.size(), 256u);
    EXPECT_EQ(std::count_if(filtered.begin(), filtered.end(), [](char c) { return c != '_'; }),
              105);  // the repertoire less "_" itself
}

}  // namespace
}  // namespace vyr
