#include "rtl/Numbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

#include "rtl/Exceptions.h"

namespace {

TEST(Numbers, IntegerText) {
  EXPECT_EQ(IntToStr(-2147483647 - 1), "-2147483648");
  EXPECT_EQ(IntToStr(Int64(1) << 40), "1099511627776");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
  EXPECT_EQ(IntToHex(Int64(-2), 1), "FFFFFFFFFFFFFFFE");
}

TEST(Numbers, StrToIntAcceptsPascalForms) {
  struct Case {
    const char* text;
    bool ok;
    Integer value;
  } const cases[] = {
      {"42", true, 42},           {"  -42", true, -42},         {"+7", true, 7},
      {"$ff", true, 255},         {"0x1F", true, 31},           {"x10", true, 16},
      {"-$10", true, -16},        {"$FFFFFFFF", true, -1},      {"2147483647", true, 2147483647},
      {"-2147483648", true, -2147483647 - 1},
      {"2147483648", false, 0},   {"$100000000", false, 0},     {"42 ", false, 0},
      {"", false, 0},             {"  ", false, 0},             {"-", false, 0},
      {"$", false, 0},            {"1.5", false, 0},            {"12a", false, 0},
      {"99999999999999999999999", false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Integer value = 1234;
    EXPECT_EQ(TryStrToInt(c.text, value), c.ok);
    if (c.ok) {
      EXPECT_EQ(value, c.value);
    }
    EXPECT_EQ(StrToIntDef(c.text, -5), c.ok ? c.value : -5);
  }
  try {
    StrToInt("2147483648");
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'2147483648' is not a valid integer value");
  }
}

TEST(Numbers, StrToInt64) {
  EXPECT_EQ(StrToInt64("9223372036854775807"), 9223372036854775807LL);
  EXPECT_EQ(StrToInt64("-9223372036854775808"), -9223372036854775807LL - 1);
  EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(StrToInt64("$FFFFFFFF"), 4294967295LL);
  EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
  EXPECT_EQ(StrToInt64Def("x", 3), 3);
}

TEST(Numbers, FloatTextUsesSettingsNeverTheLocale) {
  // A decimal comma in the C library's locale (where that locale is installed) must not
  // leak in.
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");

  EXPECT_EQ(FloatToStr(0.1), "0.1");
  EXPECT_EQ(FloatToStr(-1234.5), "-1234.5");
  EXPECT_EQ(FloatToStr(1e15), "1E15");
  EXPECT_EQ(FloatToStr(123456789012345.0), "123456789012345");
  EXPECT_EQ(FloatToStr(0.0001), "0.0001");
  EXPECT_EQ(FloatToStr(0.00001), "1E-5");
  EXPECT_EQ(FloatToStr(0.1 + 0.2), "0.3");
  EXPECT_EQ(FloatToStr(0.0), "0");
  EXPECT_EQ(FloatToStr(NAN), "NAN");
  EXPECT_EQ(FloatToStr(-INFINITY), "-INF");
  EXPECT_EQ(StrToFloat(" 2.5 "), 2.5);
  EXPECT_EQ(StrToFloat("-1.5e3"), -1500.0);
  EXPECT_EQ(StrToFloat(".5"), 0.5);
  EXPECT_EQ(StrToFloat("1e-400"), 0.0);

  TFormatSettings comma;
  comma.DecimalSeparator = ',';
  EXPECT_EQ(FloatToStr(2.5, comma), "2,5");
  EXPECT_EQ(StrToFloat("2,5", comma), 2.5);
  double value = 0;
  EXPECT_FALSE(TryStrToFloat("2.5", value, comma));
  EXPECT_FALSE(TryStrToFloat("2,5", value));
  for (const char* bad : {"", "-", ".", "1e", "1,000.5", "1e400", "0x10", "1.5x", "inf"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(TryStrToFloat(bad, value));
  }
  EXPECT_EQ(StrToFloatDef("abc", 7.5), 7.5);
  try {
    StrToFloat("abc");
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'abc' is not a valid floating point value");
  }
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(Numbers, FloatToStrF) {
  EXPECT_EQ(FloatToStrF(1234.567, ffFixed, 15, 2), "1234.57");
  EXPECT_EQ(FloatToStrF(1234.567, ffNumber, 15, 1), "1,234.6");
  EXPECT_EQ(FloatToStrF(1234.567, ffExponent, 4, 2), "1.235E+03");
  EXPECT_EQ(FloatToStrF(-5, ffCurrency, 15, 2), "($5.00)");
}

TEST(Numbers, FormatFloatPictures) {
  struct Case {
    const char* picture;
    double value;
    const char* expected;
  } const cases[] = {
      {"0.00", 3.14159, "3.14"},
      {"0.00", -0.001, "0.00"},  // rounds to zero: no minus sign
      {"#.##", 0.5, ".5"},
      {"#.##", 5.0, "5"},
      {"0.0#", 2.5, "2.5"},
      {"0.0#", 2.567, "2.57"},
      {"000", 7, "007"},
      {"#", 0, ""},
      {"0", 2.5, "3"},
      {"0", -2.5, "-3"},
      {"#,##0", 1234567, "1,234,567"},
      {"#,##0.00", -1234.5, "-1,234.50"},
      {"0.###,", 1234.5, "1,234.5"},
      {".00", 12.5, "12.50"},
      {"000-0000", 1234567, "123-4567"},
      {"0.00E+00", 12345, "1.23E+04"},
      {"0.00E-00", 12345, "1.23E04"},
      {"0.00e+0", 0.00012345, "1.23e-4"},
      {"00.0E+0", 1234, "12.3E+2"},
      {"\"$\"#,##0.00", 1234.5, "$1,234.50"},
      {"0 'MB'", 700, "700 MB"},
      {"0.0 \"#.0\"", 1.25, "1.3 #.0"},
      {"0.00;(0.00)", -5.5, "(5.50)"},
      {"0.00;(0.00);\"zero\"", 0, "zero"},
      {"0.00;;\"zero\"", -0.001, "zero"},
      {"0.00;\"neg\"", -1, "neg"},
      {"0;", -3, "-3"},
      {"", 1.5, "1.5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.picture);
    EXPECT_EQ(FormatFloat(c.picture, c.value), c.expected);
  }
  TFormatSettings german;
  german.DecimalSeparator = ',';
  german.ThousandSeparator = '.';
  EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891, german), "1.234.567,89");
}

}  // namespace
