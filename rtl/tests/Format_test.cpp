#include "rtl/Format.h"

#include <gtest/gtest.h>

#include "rtl/Exceptions.h"

namespace {

struct Case {
  const char* format;
  TVarRecs args;
  const char* expected;
};

TEST(Format, Specifiers) {
  const Case cases[] = {
      {"plain 100%%", {}, "plain 100%"},
      {"%d|%5d|%-5d|%.3d|%.3d", {42, 42, 42, 7, -7}, "42|   42|42   |007|-007"},
      {"%d", {Int64(-9223372036854775807LL - 1)}, "-9223372036854775808"},
      {"%u|%u", {-1, Int64(-1)}, "4294967295|18446744073709551615"},
      {"%x|%x|%.4x|%X", {255, -1, 10, Int64(-1)}, "FF|FFFFFFFF|000A|FFFFFFFFFFFFFFFF"},
      {"%s|%6s|%-6s|%.2s", {"abc", "ab", "ab", "abcdef"}, "abc|    ab|ab    |ab"},
      {"%s %s %s", {u"wide", 'c', u'\u00E9'}, "wide c \xC3\xA9"},
      // Halves round away from zero; -1.005 is stored as -1.00499999999999989.
      {"%f|%.0f|%.3f|%f", {3.14159, 2.5, -0.0005, -1.005}, "3.14|3|-0.001|-1.00"},
      {"%.2f", {0.125}, "0.13"},
      {"%e|%.3e|%e", {1.0, 12345.678, -0.00012}, "1.00000000000000E+000|1.23E+004|-1.20000000000000E-004"},
      {"%g|%g|%g|%g|%.3g", {1.5, 100.0, 1e20, 0.0001, 1234.5}, "1.5|100|1E020|0.0001|1.23E003"},
      {"%n|%.0n|%n", {1234567.891, -1234567.0, 12.0}, "1,234,567.89|-1,234,567|12.00"},
      {"%m|%m", {1234.5, -2.0}, "$1,234.50|($2.00)"},
      {"%1:s %0:s %s", {"a", "b"}, "b a b"},
      {"%*d|%-*d|%.*f|%*.*f", {4, 7, 3, 7, 1, 2.25, 6, 2, 1.5}, "   7|7  |2.3|  1.50"},
      {"%*d", {-3, 5}, "5  "},
      {"%p", {static_cast<const void*>(nullptr)}, "0000000000000000"},
      {"%5s|", {"\xC3\xA9t\xC3\xA9"}, "  \xC3\xA9t\xC3\xA9|"},  // width counts characters
      {"%.1s|", {"\xC3\xA9t\xC3\xA9"}, "\xC3\xA9|"},             // never cuts a character
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    EXPECT_EQ(Format(c.format, c.args), c.expected);
  }
}

TEST(Format, InvalidOrIncompatibleRaises) {
  const Case cases[] = {
      {"%d", {}, ""},            {"%d", {1.5}, ""},     {"%f", {1}, ""},
      {"%s", {1}, ""},           {"%x", {"a"}, ""},     {"%p", {1}, ""},
      {"%", {1}, ""},            {"%5", {1}, ""},       {"%q", {1}, ""},
      {"%2:d", {1, 2}, ""},      {"%*d", {1.0, 2}, ""}, {"%99999999999d", {1}, ""},
      {"%d %d", {1}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    try {
      Format(c.format, c.args);
      ADD_FAILURE() << "no exception";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), AnsiString("Format '") + c.format +
                                 "' invalid or incompatible with argument");
    }
  }
}

TEST(Format, SeparatorsComeFromSettings) {
  TFormatSettings german;
  german.DecimalSeparator = ',';
  german.ThousandSeparator = '.';
  EXPECT_EQ(Format("%n|%f|%e", {1234.5, 0.5, 1.5}, german), "1.234,50|0,50|1,50000000000000E+000");
  TFormatSettings french;
  french.DecimalSeparator = ',';
  french.ThousandSeparator = u'\u00A0';
  EXPECT_EQ(Format("%.0n", {1234567.0}, french), "1\xC2\xA0" "234\xC2\xA0" "567");
}

TEST(Format, WideFormatCountsUtf16Units) {
  EXPECT_EQ(WideFormat(u"%s=%d %4s", {u"\U0001F3AC", 5, "\xC3\xA9"}), u"\U0001F3AC=5    \u00E9");
  EXPECT_EQ(WideFormat(u"%-3s|", {u"\u00E9"}), u"\u00E9  |");
  EXPECT_THROW(WideFormat(u"%d", {u"x"}), EConvertError);
}

TEST(Format, ExceptionsFormatTheirMessage) {
  const EConvertError error = EConvertError::CreateFmt("'%s' at %d", {"x", 3});
  EXPECT_EQ(error.Message(), "'x' at 3");
  const EOSError os = EOSError::CreateFmt("cannot open %s", {"a.vob"}, 2);
  EXPECT_EQ(os.Message(), "cannot open a.vob");
  EXPECT_EQ(os.ErrorCode, 2u);
}

}  // namespace
