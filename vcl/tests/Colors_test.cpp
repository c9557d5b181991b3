#include <gtest/gtest.h>

#include "vcl/Font.h"
#include "vcl/TypInfo.h"

TEST(Colors, SystemColoursGoThroughTheReplaceableSource) {
  EXPECT_EQ(ColorToRGB(clBtnFace), RGB(212, 208, 200));
  EXPECT_EQ(ColorToRGB(clWindow), RGB(255, 255, 255));
  EXPECT_EQ(ColorToRGB(clRed), RGB(255, 0, 0));
  EXPECT_EQ(ColorToRGB(0x123456), 0x123456u);

  SetSysColorFunc([](int index) -> COLORREF { return index == 15 ? RGB(1, 2, 3) : 0; });
  EXPECT_EQ(ColorToRGB(clBtnFace), RGB(1, 2, 3));
  SetSysColorFunc(nullptr);
  EXPECT_EQ(ColorToRGB(clBtnFace), RGB(212, 208, 200));
}

TEST(Colors, IdentifiersAndNumbersConvertBothWays) {
  struct Case {
    TColor color;
    const char* text;
  };
  const Case cases[] = {{clRed, "clRed"},          {clBtnFace, "clBtnFace"}, {clNone, "clNone"},
                        {clDefault, "clDefault"},  {clSilver, "clSilver"},   {0x00123456, "$00123456"},
                        {clWindowText, "clWindowText"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ColorToString(c.color), c.text);
    EXPECT_EQ(StringToColor(c.text), c.color);
  }
  EXPECT_EQ(StringToColor("CLBTNFACE"), clBtnFace);
  EXPECT_EQ(StringToColor("255"), clRed);
  EXPECT_EQ(StringToColor("-2147483633"), clBtnFace);
  EXPECT_EQ(ColorToRGB(StringToColor("-16777201")), ColorToRGB(clBtnFace)) << "the other system-colour form";
  EXPECT_THROW(StringToColor("clNoSuchColour"), EConvertError);
  EXPECT_THROW(StringToColor(""), EConvertError);
}

TEST(Colors, ColourPropertiesCarryTheIdentifierConverters) {
  const TPropInfo* prop = GetPropInfo(TFont::StaticClass(), "Color");
  ASSERT_NE(prop, nullptr);
  EXPECT_EQ(prop->PropType()->Name, "TColor");
  Int64 value = 0;
  ASSERT_TRUE(FindIdentToInt(prop->PropType()));
  EXPECT_TRUE(FindIdentToInt(prop->PropType())("clHighlight", value));
  EXPECT_EQ(value, clHighlight);
  AnsiString ident;
  EXPECT_TRUE(FindIntToIdent(prop->PropType())(clBlue, ident));
  EXPECT_EQ(ident, "clBlue");
}

TEST(Font, SizeAndHeightFollowThePixelsPerInch) {
  struct Case {
    int ppi;
    int size;
    int height;
  };
  const Case cases[] = {{96, 8, -11}, {96, 10, -13}, {96, 12, -16}, {96, 72, -96}, {120, 8, -13}, {120, 12, -20}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.ppi << " dpi, " << c.size << " pt");
    TFont font;
    font.SetPixelsPerInch(c.ppi);
    font.SetSize(c.size);
    EXPECT_EQ(font.Height(), c.height);
    EXPECT_EQ(font.Size(), c.size);
  }
  TFont font;
  font.SetHeight(-20);
  EXPECT_EQ(font.Size(), 15);
  font.SetHeight(20);  // a positive height counts the internal leading; Size goes negative as the LOGFONT says
  EXPECT_EQ(font.Size(), -15);
}

TEST(Font, LogFontFollowsTheDescription) {
  TFont font;
  font.SetName("DejaVu Sans");
  font.SetStyle({fsBold, fsItalic, fsStrikeOut});
  font.SetOrientation(900);
  font.SetQuality(fqNonAntialiased);
  font.SetPitch(fpFixed);
  const LOGFONTA log = font.GetLogFont();
  EXPECT_STREQ(log.lfFaceName, "DejaVu Sans");
  EXPECT_EQ(log.lfWeight, FW_BOLD);
  EXPECT_TRUE(log.lfItalic);
  EXPECT_FALSE(log.lfUnderline);
  EXPECT_TRUE(log.lfStrikeOut);
  EXPECT_EQ(log.lfEscapement, 900);
  EXPECT_EQ(log.lfQuality, NONANTIALIASED_QUALITY);
  EXPECT_EQ(log.lfPitchAndFamily & 3, FIXED_PITCH);

  // A face name longer than the LOGFONT holds is cut at a whole UTF-8 character.
  font.SetName(AnsiString(29, 'x') + "\xC3\xA9\xC3\xA9");
  EXPECT_STREQ(font.GetLogFont().lfFaceName, (AnsiString(29, 'x') + "\xC3\xA9").c_str());

  // Taking over a handle takes its description.
  TFont other;
  other.SetHandle(font.Handle() ? CreateFontIndirectA(&log) : nullptr);
  EXPECT_EQ(other.Name(), "DejaVu Sans");
  EXPECT_EQ(other.Style(), (TFontStyles{fsBold, fsItalic, fsStrikeOut}));
}

TEST(Colors, CharsetIdentifiersConvertBothWays) {
  struct Case {
    Int64 value;
    const char* name;
  };
  const Case cases[] = {{0, "ANSI_CHARSET"},   {1, "DEFAULT_CHARSET"},  {2, "SYMBOL_CHARSET"},
                        {128, "SHIFTJIS_CHARSET"}, {204, "RUSSIAN_CHARSET"}, {238, "EASTEUROPE_CHARSET"},
                        {255, "OEM_CHARSET"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AnsiString ident;
    ASSERT_TRUE(CharsetToIdent(c.value, ident));
    EXPECT_EQ(ident, c.name);
    Int64 value = -1;
    ASSERT_TRUE(IdentToCharset(c.name, value));
    EXPECT_EQ(value, c.value);
  }
  Int64 value = 7;
  EXPECT_TRUE(IdentToCharset("greek_charset", value));
  EXPECT_EQ(value, 161);
  value = 7;
  EXPECT_FALSE(IdentToCharset("KLINGON_CHARSET", value));
  EXPECT_EQ(value, 7) << "an unknown name leaves the value";
  AnsiString ident = "kept";
  EXPECT_FALSE(CharsetToIdent(3, ident));
  EXPECT_EQ(ident, "kept");
}
