// The font dialog's protocol with a scripted presenter: what the presenter is given for each
// flag, what OK writes back, what Cancel and the failures leave alone.

#include <gtest/gtest.h>

#include <cstring>

#include "platform/comdlg/FontDialog.h"

namespace {

using platform::comdlg::FontDialogRequest;
using platform::comdlg::SetFontDialogPresenter;
using platform::comdlg::SetFontFamiliesForTesting;

class FontDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetFontFamiliesForTesting({u"Serif", u"DejaVu Sans", u"@Vertical", u"dejavu sans", u"Mono"});
  }
  void TearDown() override {
    SetFontDialogPresenter(nullptr);
    SetFontFamiliesForTesting({});
  }
};

LOGFONTW MakeLogFont(const char16_t* face, LONG height) {
  LOGFONTW font{};
  font.lfHeight = height;
  font.lfWeight = FW_BOLD;
  font.lfItalic = 1;
  font.lfUnderline = 1;
  font.lfCharSet = 0;  // kept on OK
  std::char_traits<char16_t>::copy(font.lfFaceName, face, std::char_traits<char16_t>::length(face) + 1);
  return font;
}

TEST_F(FontDialogTest, FailuresLeaveTheRecordAlone) {
  LOGFONTW font = MakeLogFont(u"Serif", -16);
  CHOOSEFONTW cf{};
  cf.lStructSize = sizeof(cf);
  cf.lpLogFont = &font;
  cf.Flags = CF_SCREENFONTS;
  EXPECT_FALSE(ChooseFontW(&cf));  // no presenter
  EXPECT_EQ(CommDlgExtendedError(), CDERR_INITIALIZATION);

  bool called = false;
  SetFontDialogPresenter([&](FontDialogRequest&) { return called = true; });
  struct Case {
    DWORD size;
    bool logFont;
    DWORD flags;
    INT min, max;
    DWORD error;
  };
  const Case cases[] = {
      {sizeof(cf) - 4, true, CF_SCREENFONTS, 0, 0, CDERR_STRUCTSIZE},
      {sizeof(cf), false, CF_SCREENFONTS, 0, 0, CDERR_INITIALIZATION},
      {sizeof(cf), true, CF_SCREENFONTS | CF_LIMITSIZE, 20, 8, CFERR_MAXLESSTHANMIN},
  };
  for (const Case& c : cases) {
    cf.lStructSize = c.size;
    cf.lpLogFont = c.logFont ? &font : nullptr;
    cf.Flags = c.flags;
    cf.nSizeMin = c.min;
    cf.nSizeMax = c.max;
    EXPECT_FALSE(ChooseFontW(&cf));
    EXPECT_EQ(CommDlgExtendedError(), c.error);
  }
  EXPECT_FALSE(called);
  EXPECT_EQ(font.lfHeight, -16);

  // A desktop without fonts.
  SetFontFamiliesForTesting({u"@OnlyVertical"});
  cf = CHOOSEFONTW{};
  cf.lStructSize = sizeof(cf);
  cf.lpLogFont = &font;
  cf.Flags = CF_SCREENFONTS | CF_NOVERTFONTS;
  EXPECT_FALSE(ChooseFontW(&cf));
  EXPECT_EQ(CommDlgExtendedError(), CFERR_NOFONTS);

  // Cancel: no error, nothing written.
  SetFontFamiliesForTesting({u"Serif"});
  SetFontDialogPresenter([](FontDialogRequest& r) {
    r.pointSize = 720;
    return false;
  });
  cf.iPointSize = 5;
  EXPECT_FALSE(ChooseFontW(&cf));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_EQ(font.lfHeight, -16);
  EXPECT_EQ(cf.iPointSize, 5);
}

TEST_F(FontDialogTest, TheRequestFollowsTheFlagsAndTheLogFont) {
  FontDialogRequest seen;
  SetFontDialogPresenter([&](FontDialogRequest& r) {
    seen = r;
    return false;
  });
  LOGFONTW font = MakeLogFont(u"Mono", -16);  // 12 pt at 96 pixels per inch
  CHOOSEFONTW cf{};
  cf.lStructSize = sizeof(cf);
  cf.lpLogFont = &font;
  cf.rgbColors = 0x00FF0000;

  cf.Flags = CF_SCREENFONTS | CF_NOVERTFONTS;
  ChooseFontW(&cf);
  EXPECT_EQ(seen.families, (std::vector<std::u16string>{u"DejaVu Sans", u"Mono", u"Serif"}));
  EXPECT_EQ(seen.face, u"");  // the record is not read without CF_INITTOLOGFONTSTRUCT
  EXPECT_EQ(seen.pointSize, 0);
  EXPECT_FALSE(seen.bold || seen.italic || seen.effects || seen.limitSize);
  EXPECT_EQ(seen.color, 0u);

  cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS;
  ChooseFontW(&cf);
  EXPECT_EQ(seen.families.size(), 4u);  // "@Vertical" shows without CF_NOVERTFONTS
  EXPECT_EQ(seen.face, u"Mono");
  EXPECT_EQ(seen.pointSize, 120);
  EXPECT_TRUE(seen.bold && seen.italic && seen.underline && seen.effects);
  EXPECT_FALSE(seen.strikeOut);
  EXPECT_EQ(seen.color, 0xFF0000u);

  // The starting size lies within the limits.
  cf.Flags = CF_INITTOLOGFONTSTRUCT | CF_LIMITSIZE;
  const struct {
    LONG height;
    INT min, max;
    int start;
  } limits[] = {{-16, 14, 20, 140}, {-16, 4, 10, 100}, {-16, 8, 36, 120}, {-16, -5, 0, 10}};
  for (const auto& l : limits) {
    font.lfHeight = l.height;
    cf.nSizeMin = l.min;
    cf.nSizeMax = l.max;
    ChooseFontW(&cf);
    EXPECT_TRUE(seen.limitSize);
    EXPECT_EQ(seen.pointSize, l.start) << l.min << ".." << l.max;
  }
}

TEST_F(FontDialogTest, OkWritesTheChoiceBack) {
  SetFontDialogPresenter([](FontDialogRequest& r) {
    r.face = u"DejaVu Sans";
    r.pointSize = 180;
    r.bold = true;
    r.italic = false;
    r.underline = true;
    r.strikeOut = true;
    r.color = 0x000080;
    return true;
  });
  LOGFONTW font = MakeLogFont(u"Mono", -16);
  font.lfEscapement = 900;
  CHOOSEFONTW cf{};
  cf.lStructSize = sizeof(cf);
  cf.lpLogFont = &font;
  cf.rgbColors = 0x00FF0000;
  cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS;
  ASSERT_TRUE(ChooseFontW(&cf));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_EQ(std::u16string(font.lfFaceName), u"DejaVu Sans");
  EXPECT_EQ(font.lfHeight, -24);
  EXPECT_EQ(font.lfWeight, FW_BOLD);
  EXPECT_EQ(font.lfItalic, 0);
  EXPECT_EQ(font.lfUnderline, 1);
  EXPECT_EQ(font.lfStrikeOut, 1);
  EXPECT_EQ(font.lfEscapement, 900);  // what the dialog does not choose is kept
  EXPECT_EQ(font.lfCharSet, 0);
  EXPECT_EQ(cf.iPointSize, 180);
  EXPECT_EQ(cf.rgbColors, 0x000080u);
  EXPECT_EQ(cf.nFontType, SCREEN_FONTTYPE | BOLD_FONTTYPE);

  // Without CF_EFFECTS the effects stay as they were and the colour is not answered; the
  // size keeps within the limits whatever the presenter answered.
  font = MakeLogFont(u"Mono", -16);
  cf.Flags = CF_INITTOLOGFONTSTRUCT | CF_LIMITSIZE;
  cf.nSizeMin = 8;
  cf.nSizeMax = 12;
  ASSERT_TRUE(ChooseFontW(&cf));
  EXPECT_EQ(font.lfUnderline, 1);
  EXPECT_EQ(font.lfStrikeOut, 0);
  EXPECT_EQ(cf.rgbColors, 0x000080u);
  EXPECT_EQ(cf.iPointSize, 120);
  EXPECT_EQ(font.lfHeight, -16);

  // Without CF_INITTOLOGFONTSTRUCT the record is written whole.
  font = MakeLogFont(u"Mono", -16);
  font.lfEscapement = 900;
  cf.Flags = CF_SCREENFONTS;
  ASSERT_TRUE(ChooseFontW(&cf));
  EXPECT_EQ(font.lfEscapement, 0);
  EXPECT_EQ(font.lfUnderline, 0);
  EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
}

TEST_F(FontDialogTest, TheAnsiCallSpeaksUtf8AndCutsLongNames) {
  const std::u16string longName = u"Ünïcode Family With A Name Longer Than The Record";
  SetFontFamiliesForTesting({longName});
  FontDialogRequest seen;
  SetFontDialogPresenter([&](FontDialogRequest& r) {
    seen = r;
    r.face = longName;
    r.pointSize = 95;
    r.italic = true;
    return true;
  });
  LOGFONTA font{};
  std::strcpy(font.lfFaceName, "Ünïcode");
  font.lfHeight = -13;
  CHOOSEFONTA cf{};
  cf.lStructSize = sizeof(cf);
  cf.lpLogFont = &font;
  cf.Flags = CF_INITTOLOGFONTSTRUCT;
  ASSERT_TRUE(ChooseFontA(&cf));
  EXPECT_EQ(seen.face, u"Ünïcode");
  EXPECT_EQ(seen.pointSize, 100);  // 13 px
  EXPECT_EQ(cf.iPointSize, 95);
  EXPECT_EQ(cf.nFontType, SCREEN_FONTTYPE | REGULAR_FONTTYPE | ITALIC_FONTTYPE);
  // Cut to the record's 31 bytes at a whole character, terminated.
  EXPECT_EQ(std::string(font.lfFaceName), std::string("Ünïcode Family With A Name Lo"));
  EXPECT_LE(std::strlen(font.lfFaceName), 31u);

  LOGFONTW wide{};
  CHOOSEFONTW cw{};
  cw.lStructSize = sizeof(cw);
  cw.lpLogFont = &wide;
  ASSERT_TRUE(ChooseFontW(&cw));
  EXPECT_EQ(std::u16string(wide.lfFaceName), longName.substr(0, 31));
}

TEST(FontDialogSizes, HeightsAndPointSizesRoundTrip) {
  using platform::comdlg::HeightFromPointTenths;
  using platform::comdlg::PointTenthsFromHeight;
  // A height that a whole point size gives is that size; the others keep their tenths.
  const struct {
    LONG height;
    int tenths;
  } cases[] = {{-11, 80}, {-13, 100}, {-14, 105}, {-16, 120}, {-18, 135}, {-21, 160}, {21, 160}, {-96, 720}};
  for (const auto& c : cases) EXPECT_EQ(PointTenthsFromHeight(c.height), c.tenths) << c.height;
  for (int points = 1; points <= 200; ++points)
    EXPECT_EQ(PointTenthsFromHeight(HeightFromPointTenths(points * 10)), points * 10) << points;
  EXPECT_GT(PointTenthsFromHeight(-2147483647 - 1), 0);  // no overflow
}

TEST_F(FontDialogTest, TheDesktopListsItsFonts) {
  SetFontFamiliesForTesting({});
  const std::vector<std::u16string> families = platform::comdlg::ScreenFontFamilies(true);
  ASSERT_FALSE(families.empty());
  for (const auto& f : families) EXPECT_NE(f[0], u'@');
}

}  // namespace
