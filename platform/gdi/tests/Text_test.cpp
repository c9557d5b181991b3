#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>
#include <thread>
#include <vector>
#include <string>

#include "Canvas.h"

namespace {

HFONT MakeFont(const char* face, int height, int weight = FW_NORMAL, int escapement = 0) {
  return CreateFontA(height, 0, escapement, escapement, weight, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
}

SIZE Extent(HDC dc, const std::string& text) {
  SIZE size{};
  GetTextExtentPoint32(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

// The columns and rows that hold any pixel other than white.
RECT InkBox(const Canvas& canvas) {
  RECT box{canvas.width, canvas.height, 0, 0};
  for (int y = 0; y < canvas.height; ++y) {
    for (int x = 0; x < canvas.width; ++x) {
      if (canvas.Color(x, y) == RGB(255, 255, 255)) continue;
      box.left = std::min<LONG>(box.left, x);
      box.top = std::min<LONG>(box.top, y);
      box.right = std::max<LONG>(box.right, x + 1);
      box.bottom = std::max<LONG>(box.bottom, y + 1);
    }
  }
  return box;
}

}  // namespace

TEST(Fonts, HeightsFollowTheLogicalFontRules) {
  Canvas canvas(10, 10);
  for (const char* face : {"MS Sans Serif", "Tahoma", "Arial", "Verdana", "Courier New"}) {
    SCOPED_TRACE(face);
    HFONT character = MakeFont(face, -20);  // character height 20
    HFONT cell = MakeFont(face, 20);        // cell height 20
    TEXTMETRICA metrics{};
    HGDIOBJ old = SelectObject(canvas.dc, cell);
    ASSERT_TRUE(GetTextMetrics(canvas.dc, &metrics));
    EXPECT_EQ(metrics.tmHeight, 20);
    SelectObject(canvas.dc, character);
    ASSERT_TRUE(GetTextMetrics(canvas.dc, &metrics));
    EXPECT_GT(metrics.tmHeight, 20);
    EXPECT_EQ(metrics.tmHeight - metrics.tmInternalLeading, 20);
    EXPECT_EQ(metrics.tmAscent + metrics.tmDescent, metrics.tmHeight);
    EXPECT_GT(metrics.tmAveCharWidth, 0);
    const bool fixed = !(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH);
    EXPECT_EQ(fixed, std::strcmp(face, "Courier New") == 0);
    SelectObject(canvas.dc, old);
    DeleteObject(character);
    DeleteObject(cell);
  }
  // The default GUI font is an 8-point sans serif face: 11 pixels of character height.
  SelectObject(canvas.dc, GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW metrics{};
  ASSERT_TRUE(GetTextMetrics(canvas.dc, &metrics));
  EXPECT_EQ(metrics.tmHeight - metrics.tmInternalLeading, 11);
  EXPECT_GE(metrics.tmHeight, 12);
  EXPECT_LE(metrics.tmHeight, 15);
  char face[LF_FACESIZE];
  EXPECT_GT(GetTextFaceA(canvas.dc, LF_FACESIZE, face), 0);
  EXPECT_STREQ(face, "MS Shell Dlg");
}

TEST(TextMeasure, ExtentsGrowWithTextAndWeight) {
  Canvas canvas(10, 10);
  HFONT normal = MakeFont("Arial", -14), bold = MakeFont("Arial", -14, FW_BOLD);
  SelectObject(canvas.dc, normal);
  const SIZE one = Extent(canvas.dc, "Menu");
  const SIZE two = Extent(canvas.dc, "Menu Menu");
  EXPECT_GT(one.cx, 0);
  EXPECT_GT(two.cx, one.cx * 2);
  EXPECT_EQ(one.cy, two.cy);
  EXPECT_EQ(Extent(canvas.dc, "").cx, 0);
  // Wide and ANSI forms agree, also beyond ASCII.
  SIZE wide{};
  GetTextExtentPoint32(canvas.dc, u"Menü", 4, &wide);
  EXPECT_EQ(wide.cx, Extent(canvas.dc, "Menü").cx);
  SelectObject(canvas.dc, bold);
  EXPECT_GT(Extent(canvas.dc, "Menu").cx, one.cx);

  // GetTextExtentExPoint: how much fits, and the extent after each character.
  SelectObject(canvas.dc, normal);
  INT fit = 0;
  INT dx[4] = {};
  SIZE size{};
  ASSERT_TRUE(GetTextExtentExPoint(canvas.dc, "Menu", 4, one.cx - 1, &fit, dx, &size));
  EXPECT_EQ(fit, 3);
  EXPECT_EQ(dx[3], one.cx);
  EXPECT_LT(dx[0], dx[1]);
  EXPECT_EQ(size.cx, one.cx);
  INT widths[2] = {};
  ASSERT_TRUE(GetCharWidth32(canvas.dc, 'i', 'j', widths));
  INT m = 0;
  GetCharWidth32(canvas.dc, 'M', 'M', &m);
  EXPECT_GT(m, widths[0]);
  SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(normal);
  DeleteObject(bold);
}

TEST(TextOutput, DrawsWithinTheMeasuredCell) {
  Canvas canvas(120, 40);
  HFONT font = MakeFont("Arial", -16);
  SelectObject(canvas.dc, font);
  SetBkMode(canvas.dc, TRANSPARENT);
  SetTextColor(canvas.dc, RGB(0, 0, 0));
  const SIZE size = Extent(canvas.dc, "Chapter");
  EXPECT_TRUE(TextOut(canvas.dc, 10, 5, "Chapter", 7));
  const RECT ink = InkBox(canvas);
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 10 + size.cx + 1);
  EXPECT_GE(ink.top, 5);
  EXPECT_LE(ink.bottom, 5 + size.cy);
  EXPECT_GT(ink.right - ink.left, size.cx / 2);
  for (int i = 0; i < canvas.width * canvas.height; ++i) EXPECT_EQ(canvas.bits[i] >> 24, 0u);

  // Opaque mode fills the whole cell with the background colour.
  canvas.Fill(RGB(255, 255, 255));
  SetBkMode(canvas.dc, OPAQUE);
  SetBkColor(canvas.dc, RGB(0, 0, 255));
  TextOut(canvas.dc, 0, 0, u"Chapter", 7);
  EXPECT_EQ(canvas.Color(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(canvas.Color(size.cx - 1, size.cy - 1), RGB(0, 0, 255));
  EXPECT_EQ(canvas.Color(size.cx, 0), RGB(255, 255, 255));

  // Right and bottom alignment put the cell before the reference point.
  canvas.Fill(RGB(255, 255, 255));
  SetTextAlign(canvas.dc, TA_RIGHT | TA_BOTTOM);
  TextOut(canvas.dc, 100, 30, "Chapter", 7);
  EXPECT_EQ(canvas.Color(99, 29), RGB(0, 0, 255));
  EXPECT_EQ(canvas.Color(100, 29), RGB(255, 255, 255));
  EXPECT_EQ(canvas.Color(99, 30), RGB(255, 255, 255));
  EXPECT_EQ(canvas.Color(100 - size.cx, 30 - size.cy), RGB(0, 0, 255));
  SetTextAlign(canvas.dc, TA_LEFT | TA_TOP);

  // ExtTextOut: ETO_OPAQUE fills the rectangle, ETO_CLIPPED keeps glyphs inside it.
  canvas.Fill(RGB(255, 255, 255));
  SetBkMode(canvas.dc, TRANSPARENT);
  RECT r{5, 5, 25, 30};
  EXPECT_TRUE(ExtTextOut(canvas.dc, 5, 5, ETO_OPAQUE | ETO_CLIPPED, &r, "Chapter", 7, nullptr));
  EXPECT_EQ(canvas.Color(24, 29), RGB(0, 0, 255));
  const RECT clipped = InkBox(canvas);
  EXPECT_EQ(clipped.right, 25);
  EXPECT_EQ(clipped.bottom, 30);
  SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
}

TEST(DrawText, CalcRectAgreesWithWhatIsDrawn) {
  Canvas canvas(200, 100);
  HFONT font = MakeFont("Tahoma", -13);
  SelectObject(canvas.dc, font);
  SetBkMode(canvas.dc, TRANSPARENT);
  RECT calc{10, 10, 10, 10};
  const int height = DrawText(canvas.dc, "Burn to disc", -1, &calc, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(height, calc.bottom - calc.top);
  EXPECT_EQ(calc.right - calc.left, Extent(canvas.dc, "Burn to disc").cx);
  EXPECT_EQ(canvas.Count(RGB(0, 0, 0)), 0);  // measuring draws nothing
  RECT draw = calc;
  EXPECT_EQ(DrawText(canvas.dc, "Burn to disc", -1, &draw, DT_SINGLELINE), height);
  const RECT ink = InkBox(canvas);
  EXPECT_GE(ink.left, calc.left);
  EXPECT_LE(ink.right, calc.right + 1);
  EXPECT_GE(ink.top, calc.top);
  EXPECT_LE(ink.bottom, calc.bottom);

  // Centred in both directions within a larger rectangle.
  canvas.Fill(RGB(255, 255, 255));
  RECT box{0, 0, 200, 100};
  DrawText(canvas.dc, "Burn to disc", -1, &box, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  const RECT centred = InkBox(canvas);
  EXPECT_NEAR((centred.left + centred.right) / 2, 100, 3);
  EXPECT_NEAR((centred.top + centred.bottom) / 2, 50, 4);
  SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
}

TEST(DrawText, WordBreakEllipsisAndPrefixes) {
  Canvas canvas(200, 200);
  HFONT font = MakeFont("Arial", -12);
  SelectObject(canvas.dc, font);
  const int lineHeight = Extent(canvas.dc, "x").cy;
  const char* text = "Add video files to the project before you burn the disc";
  const int fullWidth = Extent(canvas.dc, text).cx;

  // Word break wraps into lines no wider than the rectangle.
  RECT wrap{0, 0, fullWidth / 3, 0};
  const int height = DrawText(canvas.dc, text, -1, &wrap, DT_CALCRECT | DT_WORDBREAK);
  EXPECT_GE(height, 3 * lineHeight);
  EXPECT_EQ(height % lineHeight, 0);
  EXPECT_LE(wrap.right, fullWidth / 3);
  // Explicit line breaks start new lines even without word break.
  RECT lines{0, 0, 200, 0};
  EXPECT_EQ(DrawText(canvas.dc, "one\r\ntwo\nthree", -1, &lines, DT_CALCRECT), 3 * lineHeight);
  RECT single{0, 0, 200, 0};
  EXPECT_EQ(DrawText(canvas.dc, "one\r\ntwo", -1, &single, DT_CALCRECT | DT_SINGLELINE), lineHeight);

  // Ellipses shorten the text to fit.
  RECT narrow{0, 0, fullWidth / 2, 0};
  DrawText(canvas.dc, text, -1, &narrow, DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS);
  EXPECT_LE(narrow.right, fullWidth / 2);
  EXPECT_GT(narrow.right, fullWidth / 4);
  const char* path = "/home/user/Videos/Holidays/2024/summer/beach.mpg";
  RECT pathRect{0, 0, Extent(canvas.dc, path).cx / 2, 0};
  DrawText(canvas.dc, path, -1, &pathRect, DT_CALCRECT | DT_SINGLELINE | DT_PATH_ELLIPSIS);
  EXPECT_LE(pathRect.right, Extent(canvas.dc, path).cx / 2);
  EXPECT_GE(pathRect.right, Extent(canvas.dc, ".../beach.mpg").cx);

  // Wrapped text taller than its box stops at the last whole line, which ends in "...".
  RECT shortBox{0, 0, fullWidth / 3, 2 * lineHeight + lineHeight / 2};
  EXPECT_EQ(DrawText(canvas.dc, text, -1, &shortBox, DT_WORDBREAK | DT_END_ELLIPSIS), 2 * lineHeight);
  RECT tallBox{0, 0, fullWidth / 3, 20 * lineHeight};
  EXPECT_EQ(DrawText(canvas.dc, text, -1, &tallBox, DT_WORDBREAK | DT_END_ELLIPSIS), height);

  // DrawTextEx margins widen the measured rectangle on both sides.
  RECT margins{10, 0, 10, 0};
  DRAWTEXTPARAMS params{sizeof(DRAWTEXTPARAMS), 0, 4, 6, 0};
  char burn[] = "Burn";
  DrawTextEx(canvas.dc, burn, -1, &margins, DT_CALCRECT | DT_SINGLELINE, &params);
  EXPECT_EQ(margins.right, 10 + 4 + Extent(canvas.dc, "Burn").cx + 6);

  // '&' prefixes vanish from the measured text; && stays a single '&'.
  RECT prefixed{0, 0, 200, 0}, plain{0, 0, 200, 0}, literal{0, 0, 200, 0};
  DrawText(canvas.dc, "&Burn", -1, &prefixed, DT_CALCRECT | DT_SINGLELINE);
  DrawText(canvas.dc, "Burn", -1, &plain, DT_CALCRECT | DT_SINGLELINE);
  DrawText(canvas.dc, "&Burn", -1, &literal, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(prefixed.right, plain.right);
  EXPECT_GT(literal.right, plain.right);
  RECT ampersand{0, 0, 200, 0}, one{0, 0, 200, 0};
  DrawText(canvas.dc, "A&&B", -1, &ampersand, DT_CALCRECT | DT_SINGLELINE);
  DrawText(canvas.dc, "A&B", -1, &one, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(ampersand.right, one.right);
  // The prefixed letter is underlined: more ink below the baseline than without.
  SetBkMode(canvas.dc, TRANSPARENT);
  RECT at{0, 0, 100, 30};
  DrawText(canvas.dc, "&Burn", -1, &at, DT_SINGLELINE);
  const int underlined = canvas.Ink();
  canvas.Fill(RGB(255, 255, 255));
  DrawText(canvas.dc, "&Burn", -1, &at, DT_SINGLELINE | DT_HIDEPREFIX);
  EXPECT_GT(underlined, canvas.Ink());
  SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
}

TEST(TextOutput, EscapementTurnsTheLine) {
  Canvas canvas(60, 120);
  HFONT upward = MakeFont("Arial", -16, FW_NORMAL, 900);
  SelectObject(canvas.dc, upward);
  SetBkMode(canvas.dc, TRANSPARENT);
  SIZE size = Extent(canvas.dc, "Rotated");
  TextOut(canvas.dc, 10, 110, "Rotated", 7);
  const RECT ink = InkBox(canvas);
  // Running upwards from (10, 110): tall and narrow, above the reference point.
  EXPECT_GT(ink.bottom - ink.top, size.cx / 2);
  EXPECT_LE(ink.right - ink.left, size.cy);
  EXPECT_LE(ink.bottom, 111);
  EXPECT_GE(ink.left, 9);
  SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(upward);
}

TEST(TextOutput, QualityChoosesSmoothOrHardEdges) {
  for (BYTE quality : {DEFAULT_QUALITY, NONANTIALIASED_QUALITY}) {
    SCOPED_TRACE(int(quality));
    Canvas canvas(120, 30);
    HFONT font = CreateFontA(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             quality, DEFAULT_PITCH, "Arial");
    SelectObject(canvas.dc, font);
    SetBkMode(canvas.dc, TRANSPARENT);
    TextOut(canvas.dc, 2, 2, "Smooth edges", 12);
    const int black = canvas.Count(RGB(0, 0, 0));
    const int ink = canvas.Ink();
    EXPECT_GT(black, 0);
    if (quality == NONANTIALIASED_QUALITY) {
      EXPECT_EQ(ink, black);  // only text colour and background
    } else {
      EXPECT_GT(ink, black);  // grey coverage at the edges
    }
    SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
  }
}

TEST(TextOutput, UpdateCurrentPositionAdvancesPastTheText) {
  Canvas canvas(100, 20);
  SetTextAlign(canvas.dc, TA_UPDATECP);
  MoveToEx(canvas.dc, 5, 2, nullptr);
  TextOut(canvas.dc, 0, 0, "Menu", 4);
  POINT position{};
  GetCurrentPositionEx(canvas.dc, &position);
  EXPECT_EQ(position.x, 5 + Extent(canvas.dc, "Menu").cx);
  EXPECT_EQ(position.y, 2);
}

TEST(TextOutput, ThreadsDrawTextSideBySide) {
  // Worker threads (engines, thumbnails) draw into their own DCs at the same time.
  auto work = [] {
    Canvas canvas(200, 40);
    HFONT font = MakeFont("Verdana", -12);
    SelectObject(canvas.dc, font);
    int ink = 0;
    for (int i = 0; i < 30; ++i) {
      RECT r{0, 0, 200, 40};
      canvas.Fill(RGB(255, 255, 255));
      DrawText(canvas.dc, "Encoding title 3 of 7", -1, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
      ink = canvas.Ink();
    }
    SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
    return ink;
  };
  std::vector<std::future<int>> workers;
  for (int i = 0; i < 4; ++i) workers.push_back(std::async(std::launch::async, work));
  const int expected = work();
  for (auto& worker : workers) {
    ASSERT_EQ(worker.wait_for(std::chrono::seconds(60)), std::future_status::ready) << "text drawing hangs";
    EXPECT_EQ(worker.get(), expected);
  }
}
