// Drawing helpers on memory DCs: exact edge colours per side and flag, frame-control
// glyphs and states, the reversible focus rectangle, and a picture of them all.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/gdi/WinGdi.h"
#include "platform/testing/Pictures.h"
#include "platform/user/WinUser.h"

namespace {

// A white memory surface of the given size.
class Surface {
 public:
  Surface(int width, int height) {
    m_dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info = platform::TopDownBitmapInfo32(width, height);
    m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    m_old = SelectObject(m_dc, m_bitmap);
    RECT all{0, 0, width, height};
    FillRect(m_dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~Surface() {
    SelectObject(m_dc, m_old);
    DeleteObject(m_bitmap);
    DeleteDC(m_dc);
  }
  HDC dc() const { return m_dc; }
  COLORREF At(int x, int y) const { return GetPixel(m_dc, x, y); }

 private:
  HDC m_dc;
  HBITMAP m_bitmap;
  HGDIOBJ m_old;
};

constexpr COLORREF kWhite = RGB(255, 255, 255);

TEST(DrawEdge, SidesAndRingsUseTheClassicColours) {
  struct Case {
    const char* name;
    UINT edge, flags;
    // expected colours: outer top-left, outer bottom-right, inner top-left, inner bottom-right
    int outerTL, outerBR, innerTL, innerBR;
  };
  const Case cases[] = {
      {"raised", EDGE_RAISED, BF_RECT, COLOR_3DLIGHT, COLOR_3DDKSHADOW, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW},
      {"raised soft", EDGE_RAISED, BF_RECT | BF_SOFT, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW, COLOR_3DLIGHT, COLOR_BTNSHADOW},
      {"sunken", EDGE_SUNKEN, BF_RECT, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW, COLOR_3DLIGHT},
      {"etched", EDGE_ETCHED, BF_RECT, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW},
      {"flat", EDGE_SUNKEN, BF_RECT | BF_FLAT, COLOR_BTNSHADOW, COLOR_BTNSHADOW, COLOR_BTNFACE, COLOR_BTNFACE},
      {"mono", EDGE_RAISED, BF_RECT | BF_MONO, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME, COLOR_WINDOW, COLOR_WINDOW},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Surface s(20, 20);
    RECT r{2, 2, 12, 10};
    ASSERT_TRUE(DrawEdge(s.dc(), &r, c.edge, c.flags));
    EXPECT_EQ(s.At(5, 2), GetSysColor(c.outerTL));    // top
    EXPECT_EQ(s.At(2, 5), GetSysColor(c.outerTL));    // left
    EXPECT_EQ(s.At(5, 9), GetSysColor(c.outerBR));    // bottom
    EXPECT_EQ(s.At(11, 5), GetSysColor(c.outerBR));   // right
    EXPECT_EQ(s.At(11, 2), GetSysColor(c.outerBR));   // the top-right corner belongs to the right side
    EXPECT_EQ(s.At(5, 3), GetSysColor(c.innerTL));
    EXPECT_EQ(s.At(10, 5), GetSysColor(c.innerBR));
    EXPECT_EQ(s.At(5, 5), kWhite);  // no BF_MIDDLE: the inside is untouched
    EXPECT_EQ(s.At(12, 5), kWhite);
    EXPECT_EQ(s.At(1, 1), kWhite);
  }
}

TEST(DrawEdge, PartialSidesMiddleAndAdjust) {
  Surface s(20, 20);
  RECT r{0, 0, 10, 10};
  ASSERT_TRUE(DrawEdge(s.dc(), &r, BDR_RAISEDOUTER, BF_TOPLEFT | BF_MIDDLE | BF_ADJUST));
  EXPECT_EQ(r.left, 1);
  EXPECT_EQ(r.top, 1);
  EXPECT_EQ(r.right, 10);  // sides not drawn are not taken off
  EXPECT_EQ(r.bottom, 10);
  EXPECT_EQ(s.At(5, 0), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(s.At(9, 9), GetSysColor(COLOR_BTNFACE));  // middle reaches the undrawn sides
  EXPECT_EQ(s.At(10, 5), kWhite);

  RECT flat{0, 0, 6, 6};
  ASSERT_TRUE(DrawEdge(s.dc(), &flat, BDR_SUNKENOUTER, BF_RECT | BF_FLAT | BF_MIDDLE | BF_ADJUST));
  EXPECT_EQ(s.At(3, 3), GetSysColor(COLOR_WINDOW));  // flat middles are window-coloured

  RECT diagonal{0, 0, 5, 5};
  EXPECT_FALSE(DrawEdge(s.dc(), &diagonal, EDGE_RAISED, BF_DIAGONAL));
  EXPECT_FALSE(DrawEdge(nullptr, &diagonal, EDGE_RAISED, BF_RECT));
}

TEST(DrawFrameControl, ButtonsArrowsAndStates) {
  Surface s(60, 40);
  RECT push{0, 0, 20, 16};
  ASSERT_TRUE(DrawFrameControl(s.dc(), &push, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT));
  EXPECT_EQ(push.left, 2);  // inside the two-line edge
  EXPECT_EQ(push.right, 18);
  EXPECT_EQ(s.At(0, 5), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(s.At(19, 5), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(s.At(10, 8), GetSysColor(COLOR_BTNFACE));

  RECT pushed{20, 0, 40, 16};
  ASSERT_TRUE(DrawFrameControl(s.dc(), &pushed, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED));
  EXPECT_EQ(s.At(20, 5), GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_EQ(s.At(21, 5), GetSysColor(COLOR_BTNSHADOW));

  // A check box: unchecked is all window colour inside; checked has the glyph in button text.
  RECT unchecked{0, 20, 13, 33}, checked{20, 20, 33, 33}, disabled{40, 20, 53, 33};
  ASSERT_TRUE(DrawFrameControl(s.dc(), &unchecked, DFC_BUTTON, DFCS_BUTTONCHECK));
  ASSERT_TRUE(DrawFrameControl(s.dc(), &checked, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED));
  ASSERT_TRUE(DrawFrameControl(s.dc(), &disabled, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE));
  EXPECT_EQ(s.At(0, 25), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(s.At(1, 25), GetSysColor(COLOR_3DDKSHADOW));
  int glyph = 0, grey = 0;
  for (int y = 22; y < 31; ++y)
    for (int x = 2; x < 11; ++x) {
      EXPECT_EQ(s.At(x, y), GetSysColor(COLOR_WINDOW)) << x << "," << y;
      if (s.At(20 + x, y) == GetSysColor(COLOR_BTNTEXT)) ++glyph;
      if (s.At(40 + x, y) == GetSysColor(COLOR_BTNSHADOW)) ++grey;
    }
  EXPECT_EQ(glyph, 21);  // seven columns of three pixels
  EXPECT_EQ(grey, 21);
  EXPECT_EQ(s.At(45, 25) == GetSysColor(COLOR_BTNFACE) || s.At(45, 25) == GetSysColor(COLOR_BTNSHADOW), true);

  EXPECT_FALSE(DrawFrameControl(s.dc(), &checked, 99, 0));
  EXPECT_FALSE(DrawFrameControl(s.dc(), &checked, DFC_SCROLL, 0x77));
}

TEST(DrawFrameControl, ScrollArrowPointsTheRightWay) {
  // A 17-pixel scroll button has a 7-wide, 4-high arrow; the wide row is away from the tip.
  struct Case {
    UINT kind;
    bool vertical;
    bool tipFirst;  // the tip is the first row (up, left) or the last (down, right)
  };
  for (const Case& c : {Case{DFCS_SCROLLUP, true, true}, Case{DFCS_SCROLLDOWN, true, false},
                        Case{DFCS_SCROLLLEFT, false, true}, Case{DFCS_SCROLLRIGHT, false, false},
                        Case{DFCS_SCROLLCOMBOBOX, true, false}}) {
    SCOPED_TRACE(c.kind);
    Surface s(17, 17);
    RECT r{0, 0, 17, 17};
    ASSERT_TRUE(DrawFrameControl(s.dc(), &r, DFC_SCROLL, c.kind));
    std::vector<int> lengths;  // dark pixels per row (or column), in order
    for (int a = 0; a < 17; ++a) {
      int n = 0;
      for (int b = 2; b < 15; ++b) {
        const COLORREF p = c.vertical ? s.At(b, a) : s.At(a, b);
        if (a >= 2 && a < 15 && p == GetSysColor(COLOR_BTNTEXT)) ++n;
      }
      if (n) lengths.push_back(n);
    }
    const std::vector<int> up{1, 3, 5, 7}, down{7, 5, 3, 1};
    EXPECT_EQ(lengths, c.tipFirst ? up : down);
  }
  // Inactive arrows are etched: highlight and shadow, no text colour.
  Surface s(17, 17);
  RECT r{0, 0, 17, 17};
  ASSERT_TRUE(DrawFrameControl(s.dc(), &r, DFC_SCROLL, DFCS_SCROLLDOWN | DFCS_INACTIVE));
  int shadow = 0;
  for (int y = 2; y < 15; ++y)
    for (int x = 2; x < 15; ++x) {
      EXPECT_NE(s.At(x, y), GetSysColor(COLOR_BTNTEXT));
      if (s.At(x, y) == GetSysColor(COLOR_BTNSHADOW)) ++shadow;
    }
  EXPECT_EQ(shadow, 16);
}

// Caption glyphs span the button as the frame's own caption buttons do (a glyph of a few
// pixels in the middle of a caption-sized button is unreadable), and inactive ones are
// etched in grey instead of black.
TEST(DrawFrameControl, CaptionGlyphsSpanTheButton) {
  for (UINT kind : {DFCS_CAPTIONCLOSE, DFCS_CAPTIONMIN, DFCS_CAPTIONMAX, DFCS_CAPTIONRESTORE, DFCS_CAPTIONHELP}) {
    SCOPED_TRACE(kind);
    for (UINT state : {0u, static_cast<UINT>(DFCS_INACTIVE)}) {
      Surface s(16, 14);
      RECT r{0, 0, 16, 14};
      ASSERT_TRUE(DrawFrameControl(s.dc(), &r, DFC_CAPTION, kind | state));
      int glyph = 0, left = 16, right = -1;
      for (int y = 2; y < 12; ++y)
        for (int x = 2; x < 14; ++x)
          if (s.At(x, y) == (state ? RGB(128, 128, 128) : RGB(0, 0, 0))) {
            ++glyph;
            left = std::min(left, x);
            right = std::max(right, x);
          }
      EXPECT_GE(glyph, 6);
      EXPECT_GE(right - left + 1, 5) << "glyph width";
    }
  }
}

TEST(DrawFocusRect, InvertsAlternatePixelsAndUndoesItself) {
  Surface s(12, 12);
  RECT r{1, 1, 11, 9};
  ASSERT_TRUE(DrawFocusRect(s.dc(), &r));
  EXPECT_EQ(s.At(2, 2), kWhite);  // inside untouched
  int black = 0;
  for (int x = 1; x < 11; ++x) black += s.At(x, 1) == RGB(0, 0, 0);
  EXPECT_EQ(black, 5);  // every other pixel of the top line
  EXPECT_EQ(s.At(1, 1), RGB(0, 0, 0));
  EXPECT_EQ(s.At(2, 1), kWhite);
  ASSERT_TRUE(DrawFocusRect(s.dc(), &r));
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) ASSERT_EQ(s.At(x, y), kWhite) << x << "," << y;
}

TEST(DrawControlsPicture, SavesAPictureOfEveryHelper) {
  Surface s(260, 120);
  RECT face{0, 0, 260, 120};
  FillRect(s.dc(), &face, GetSysColorBrush(COLOR_BTNFACE));
  int x = 4;
  for (UINT edge : {EDGE_RAISED, EDGE_SUNKEN, EDGE_ETCHED, EDGE_BUMP}) {
    RECT r{x, 4, x + 40, 30};
    DrawEdge(s.dc(), &r, edge, BF_RECT);
    x += 46;
  }
  x = 4;
  for (UINT state : {0u, DFCS_PUSHED, DFCS_CHECKED, DFCS_INACTIVE}) {
    RECT b{x, 36, x + 40, 58};
    DrawFrameControl(s.dc(), &b, DFC_BUTTON, DFCS_BUTTONPUSH | state);
    RECT c{x, 62, x + 13, 75};
    DrawFrameControl(s.dc(), &c, DFC_BUTTON, DFCS_BUTTONCHECK | (state & DFCS_INACTIVE) | DFCS_CHECKED);
    RECT radio{x + 20, 62, x + 33, 75};
    DrawFrameControl(s.dc(), &radio, DFC_BUTTON, DFCS_BUTTONRADIO | (state & DFCS_INACTIVE) | DFCS_CHECKED);
    x += 46;
  }
  x = 4;
  for (UINT kind : {DFCS_SCROLLUP, DFCS_SCROLLDOWN, DFCS_SCROLLLEFT, DFCS_SCROLLRIGHT, DFCS_SCROLLCOMBOBOX}) {
    RECT r{x, 80, x + 17, 97};
    DrawFrameControl(s.dc(), &r, DFC_SCROLL, kind);
    x += 20;
  }
  for (UINT kind : {DFCS_CAPTIONCLOSE, DFCS_CAPTIONMIN, DFCS_CAPTIONMAX, DFCS_CAPTIONRESTORE, DFCS_CAPTIONHELP}) {
    RECT r{x, 80, x + 16, 94};
    DrawFrameControl(s.dc(), &r, DFC_CAPTION, kind);
    x += 20;
  }
  RECT grip{236, 96, 256, 116};
  DrawFrameControl(s.dc(), &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
  RECT focus{4, 100, 80, 116};
  DrawFocusRect(s.dc(), &focus);
  std::string error;
  EXPECT_TRUE(platform::testing::SaveDcPng(s.dc(), std::string(BRANTWELL_TEST_BIN_DIR) + "/draw_controls.png", &error))
      << error;
}

}  // namespace
