#include "rtl/Strings.h"

#include <gtest/gtest.h>

namespace {

TEST(Strings, ConversionRoundTripsIncludingSurrogatePairs) {
  struct Case {
    const char* name;
    AnsiString utf8;
    WideString utf16;
  } const cases[] = {
      {"empty", "", u""},
      {"ascii", "Menu 1", u"Menu 1"},
      {"accented", "Caf\xC3\xA9 \xC3\x9C", u"Caf\u00E9 \u00DC"},
      {"cjk", "\xE5\xA9\x9A\xE7\xA4\xBC", u"\u5A5A\u793C"},
      {"above U+FFFF", "\xF0\x9F\x8E\xAC\xF0\x9D\x84\x9E", u"\U0001F3AC\U0001D11E"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(UTF8ToWide(c.utf8), c.utf16);
    EXPECT_EQ(WideToUTF8(c.utf16), c.utf8);
  }
}

TEST(Strings, MalformedInputBecomesReplacementCharacter) {
  EXPECT_EQ(UTF8ToWide("a\xFF" "b"), u"a\uFFFD" "b");
  EXPECT_EQ(UTF8ToWide("\xF0\x9F"), u"\uFFFD");
  const char16_t lone[] = {u'x', 0xD800, u'y', 0};
  EXPECT_EQ(WideToUTF8(lone), "x\xEF\xBF\xBDy");
}

TEST(Strings, TrimRemovesControlCharactersButNotNonAscii) {
  EXPECT_EQ(Trim(" \t\r\n a b \x01"), "a b");
  EXPECT_EQ(TrimLeft("  a "), "a ");
  EXPECT_EQ(TrimRight("  a "), "  a");
  EXPECT_EQ(Trim("\xC3\xA9"), "\xC3\xA9");  // bytes >= 0x80 are not blanks
  EXPECT_EQ(Trim(u"\t\u00A0x "), u"\u00A0x");
  EXPECT_EQ(Trim("   "), "");
}

TEST(Strings, CaseConversion) {
  EXPECT_EQ(UpperCase("abc \xC3\xA9"), "ABC \xC3\xA9");  // ASCII only
  EXPECT_EQ(LowerCase("ABC \xC3\x89"), "abc \xC3\x89");
  EXPECT_EQ(AnsiUpperCase("abc \xC3\xA9\xC3\xB6"), "ABC \xC3\x89\xC3\x96");
  EXPECT_EQ(AnsiLowerCase("\xD0\x9C\xD0\x95\xD0\x9D\xD0\xAE"), "\xD0\xBC\xD0\xB5\xD0\xBD\xD1\x8E");
  EXPECT_EQ(WideUpperCase(u"stra\u00DFe \U00010428"), u"STRA\u00DFE \U00010400");
  EXPECT_EQ(WideLowerCase(u"\u00C9T\u00C9"), u"\u00E9t\u00E9");
  // Malformed UTF-8 keeps its bytes.
  EXPECT_EQ(AnsiUpperCase("a\xFF"), "A\xFF");
}

TEST(Strings, Comparisons) {
  EXPECT_LT(CompareStr("a", "b"), 0);
  EXPECT_GT(CompareStr("a", "B"), 0);
  EXPECT_LT(CompareStr("ab", "abc"), 0);
  EXPECT_EQ(CompareText("Menu", "MENU"), 0);
  // CompareText folds to upper case: '_' sorts after letters.
  EXPECT_GT(CompareText("_", "a"), 0);
  EXPECT_TRUE(SameText("Title.VOB", "title.vob"));
  EXPECT_FALSE(SameText("\xC3\xA9", "\xC3\x89"));
  EXPECT_TRUE(AnsiSameText("\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89"));
  EXPECT_LT(AnsiCompareText("apple", "\xC3\x84PFEL"), 0);
  EXPECT_TRUE(WideSameText(u"\u0416\u0443\u043A", u"\u0436\u0423\u041A"));
  EXPECT_GT(WideCompareText(u"\U0001F3AC", u"\uFFFD"), 0);  // by code point
}

TEST(Strings, PosAndReplace) {
  EXPECT_EQ(Pos("b", "abcb"), 2);
  EXPECT_EQ(Pos("x", "abc"), 0);
  EXPECT_EQ(Pos("", "abc"), 0);
  EXPECT_EQ(Pos(u"\U0001F3AC", u"a\U0001F3AC"), 2);

  EXPECT_EQ(StringReplace("a-b-c", "-", "+"), "a+b-c");
  EXPECT_EQ(StringReplace("a-b-c", "-", "+", rfReplaceAll), "a+b+c");
  EXPECT_EQ(StringReplace("Aa aA", "a", "x", {rfReplaceAll, rfIgnoreCase}), "xx xx");
  EXPECT_EQ(StringReplace("aaa", "aa", "a", rfReplaceAll), "aa");  // no rescanning
  EXPECT_EQ(StringReplace("abc", "", "x", rfReplaceAll), "abc");
  // A case mapping that changes the UTF-8 length must not shift the replaced range.
  EXPECT_EQ(StringReplace("\xC4\xB1x\xC4\xB1", "X", "-", {rfReplaceAll, rfIgnoreCase}),
            "\xC4\xB1-\xC4\xB1");
  EXPECT_EQ(StringReplace("\xC3\xA9t\xC3\xA9", "\xC3\x89", "e", {rfReplaceAll, rfIgnoreCase}),
            "ete");
  EXPECT_EQ(StringReplace(u"x\u00E9x", u"\u00C9", u"E", rfIgnoreCase), u"xEx");
}

TEST(Strings, Quoting) {
  EXPECT_EQ(QuotedStr("it's"), "'it''s'");
  EXPECT_EQ(QuotedStr(u""), u"''");
  EXPECT_EQ(AnsiQuotedStr("say \"hi\"", '"'), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(AnsiDequotedStr("\"say \"\"hi\"\"\"", '"'), "say \"hi\"");
  EXPECT_EQ(AnsiDequotedStr("plain", '"'), "plain");
  EXPECT_EQ(AnsiDequotedStr("\"open", '"'), "\"open");
}

}  // namespace
