#include "vcl/MaskUtils.h"

#include <gtest/gtest.h>

namespace {

TEST(MaskUtils, SectionsGiveSavingAndBlank) {
  struct Case {
    const char* mask;
    bool save;
    char16_t blank;
    int length;
  } cases[] = {
      {"!99:99:99;1;0", true, u'0', 8},
      {"99:99:99;0;_", false, u'_', 8},
      {"000", true, u'_', 3},
      {"LL;0", false, u'_', 2},
      {"\\;9;0;*", false, u'*', 2},  // an escaped separator is a literal of the mask
      {"", true, u'_', 0},
  };
  for (const Case& c : cases) {
    const TEditMaskFormat format{AnsiString(c.mask)};
    EXPECT_EQ(format.SaveLiterals(), c.save) << c.mask;
    EXPECT_EQ(format.Blank(), c.blank) << c.mask;
    EXPECT_EQ(format.Length(), c.length) << c.mask;
    EXPECT_EQ(MaskGetMaskSave(c.mask), c.save) << c.mask;
  }
}

TEST(MaskUtils, FormatsValuesIntoTheMask) {
  struct Case {
    const char* mask;
    const char* value;
    const char* text;
  } cases[] = {
      {"!99:99:99;1;0", "12:34:56", "12:34:56"},
      {"!99:99:99;1;0", "", "  :  :  "},
      {"!99:99:99;1;0", "4:56", "  : 4:56"},  // reversed: filled from the right
      {"99:99:99;0;_", "123456", "12:34:56"},
      {"99:99:99;0;_", "12", "12:  :  "},
      {"99:99:99;0;_", "1x3456", "1 :34:56"},   // a refused character leaves its place empty
      {">LL<ll;0", "abCD", "ABcd"},
      {">L<>l;0", "ab", "Ab"},
      {"\\A\\9-000;0", "123", "A9-123"},
      {"(999)_000;0", "555123", "(555) 123"},
      {"#9;0", "-5", "-5"},
      {"", "anything", "anything"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatMaskText(c.mask, c.value), c.text) << c.mask << " / " << c.value;
}

TEST(MaskUtils, EditTextValueAndValidation) {
  const TEditMaskFormat time{AnsiString("!99:99:99;1;0")};
  EXPECT_EQ(time.EmptyText(), u"00:00:00");
  EXPECT_EQ(time.Value(u"00:00:00"), u"  :  :  ");
  EXPECT_EQ(time.Value(u"01:20:30"), u" 1:2 :3 ");
  EXPECT_EQ(time.FirstInvalid(u"00:00:00"), -1);  // every position is optional

  const TEditMaskFormat code{AnsiString("LL-000;0;_")};
  EXPECT_EQ(code.Value(u"AB-12_"), u"AB12 ");
  struct Case {
    std::u16string text;
    int bad;
  } cases[] = {{u"AB-123", -1}, {u"AB-12_", 5}, {u"A1-123", 1}, {u"__-___", 0}};
  for (const Case& c : cases) EXPECT_EQ(code.FirstInvalid(c.text), c.bad);

  // Typing goes through Accept: case conversion, kinds, literals refused.
  const TEditMaskFormat upper{AnsiString(">L0a#c")};
  EXPECT_EQ(upper.Accept(0, u'q'), u'Q');
  EXPECT_EQ(upper.Accept(0, u'7'), 0);
  EXPECT_EQ(upper.Accept(1, u'7'), u'7');
  EXPECT_EQ(upper.Accept(1, u' '), 0);  // required
  EXPECT_EQ(upper.Accept(2, u' '), u' ');
  EXPECT_EQ(upper.Accept(3, u'+'), u'+');
  EXPECT_EQ(upper.Accept(4, u'%'), u'%');
  EXPECT_EQ(upper.Accept(9, u'x'), 0);
  EXPECT_EQ(code.Accept(2, u'-'), 0);
  EXPECT_EQ(code.NextEditable(2), 3);
  EXPECT_EQ(code.PreviousEditable(2), 1);
  EXPECT_EQ(code.NextEditable(6), 6);
}

}  // namespace
