#include <gtest/gtest.h>

#include "Canvas.h"

TEST(Blits, RasterOperationsOnKnownPixels) {
  // Source 0x00F0F0F0-ish and destination values chosen so each operation differs.
  struct Case {
    const char* name;
    DWORD rop;
    uint32_t expected;
  };
  const uint32_t s = 0x00CC33F0, d = 0x00AA55FF, p = 0x000000FF;  // brush: blue
  const Case cases[] = {
      {"SRCCOPY", SRCCOPY, s},
      {"SRCPAINT", SRCPAINT, s | d},
      {"SRCAND", SRCAND, s & d},
      {"SRCINVERT", SRCINVERT, s ^ d},
      {"SRCERASE", SRCERASE, s & ~d},
      {"NOTSRCCOPY", NOTSRCCOPY, ~s},
      {"NOTSRCERASE", NOTSRCERASE, ~(s | d)},
      {"MERGECOPY", MERGECOPY, p & s},
      {"MERGEPAINT", MERGEPAINT, ~s | d},
      {"PATCOPY", PATCOPY, p},
      {"PATINVERT", PATINVERT, p ^ d},
      {"PATPAINT", PATPAINT, p | ~s | d},
      {"DSTINVERT", DSTINVERT, ~d},
      {"BLACKNESS", BLACKNESS, 0},
      {"WHITENESS", WHITENESS, 0xFFFFFFFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas source(1, 1), dest(1, 1);
    source.bits[0] = s;
    dest.bits[0] = d;
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
    SelectObject(dest.dc, brush);
    EXPECT_TRUE(BitBlt(dest.dc, 0, 0, 1, 1, source.dc, 0, 0, c.rop));
    EXPECT_EQ(dest.bits[0], c.expected);
    SelectObject(dest.dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
  }
}

TEST(Blits, CopiesAllFourBytesAndClipsToTheSource) {
  Canvas source(2, 2), dest(4, 4);
  source.bits[0] = 0x80112233;
  source.bits[3] = 0x7F445566;
  EXPECT_TRUE(BitBlt(dest.dc, 1, 1, 2, 2, source.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(dest.Raw(1, 1), 0x80112233u);
  EXPECT_EQ(dest.Raw(2, 2), 0x7F445566u);
  // A source rectangle hanging off the source bitmap copies only what exists.
  dest.Fill(RGB(0, 0, 0));
  EXPECT_TRUE(BitBlt(dest.dc, 0, 0, 4, 4, source.dc, 1, 1, SRCCOPY));
  EXPECT_EQ(dest.Raw(0, 0), 0x7F445566u);
  EXPECT_EQ(dest.Color(1, 0), RGB(0, 0, 0));
  // Overlapping copies within one DC (scrolling) read the source before writing.
  Canvas strip(4, 1);
  for (int i = 0; i < 4; ++i) strip.bits[i] = static_cast<uint32_t>(i + 1);
  BitBlt(strip.dc, 1, 0, 3, 1, strip.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(strip.bits[1], 1u);
  EXPECT_EQ(strip.bits[3], 3u);
  EXPECT_FALSE(BitBlt(dest.dc, 0, 0, 1, 1, nullptr, 0, 0, SRCCOPY));
  EXPECT_TRUE(PatBlt(dest.dc, 0, 0, 4, 4, BLACKNESS));
  EXPECT_FALSE(PatBlt(dest.dc, 0, 0, 4, 4, SRCCOPY));
}

TEST(Blits, StretchModes) {
  // A 2x1 source, black and white, stretched to 4x1.
  Canvas source(2, 1), dest(4, 1);
  source.bits[0] = 0x00000000;
  source.bits[1] = 0x00FFFFFF;
  SetStretchBltMode(dest.dc, COLORONCOLOR);
  EXPECT_TRUE(StretchBlt(dest.dc, 0, 0, 4, 1, source.dc, 0, 0, 2, 1, SRCCOPY));
  EXPECT_EQ(dest.Picture(RGB(0, 0, 0)), "##..\n");
  // HALFTONE blends between them.
  SetStretchBltMode(dest.dc, HALFTONE);
  EXPECT_TRUE(StretchBlt(dest.dc, 0, 0, 4, 1, source.dc, 0, 0, 2, 1, SRCCOPY));
  EXPECT_EQ(dest.Color(0, 0), RGB(0, 0, 0));
  EXPECT_GT(GetRValue(dest.Color(1, 0)), 20);
  EXPECT_LT(GetRValue(dest.Color(1, 0)), 128);
  EXPECT_GT(GetRValue(dest.Color(2, 0)), 128);
  EXPECT_EQ(dest.Color(3, 0), RGB(255, 255, 255));
  // Clipping leaves the visible part exactly as the unclipped stretch drew it.
  const COLORREF third = dest.Color(2, 0);
  dest.Fill(RGB(0, 0, 255));
  IntersectClipRect(dest.dc, 2, 0, 3, 1);
  StretchBlt(dest.dc, 0, 0, 4, 1, source.dc, 0, 0, 2, 1, SRCCOPY);
  EXPECT_EQ(dest.Color(1, 0), RGB(0, 0, 255));
  EXPECT_EQ(dest.Color(2, 0), third);
  EXPECT_EQ(dest.Color(3, 0), RGB(0, 0, 255));
  SelectClipRgn(dest.dc, nullptr);
  // Shrinking 4 -> 1 with HALFTONE averages; COLORONCOLOR picks one pixel.
  Canvas wide(4, 1), one(1, 1);
  wide.bits[0] = wide.bits[1] = 0;
  wide.bits[2] = wide.bits[3] = 0x00FFFFFF;
  SetStretchBltMode(one.dc, HALFTONE);
  StretchBlt(one.dc, 0, 0, 1, 1, wide.dc, 0, 0, 4, 1, SRCCOPY);
  EXPECT_NEAR(GetRValue(one.Color(0, 0)), 128, 1);
  // A negative width mirrors.
  SetStretchBltMode(dest.dc, COLORONCOLOR);
  StretchBlt(dest.dc, 3, 0, -4, 1, source.dc, 0, 0, 2, 1, SRCCOPY);
  EXPECT_EQ(dest.Picture(RGB(0, 0, 0)), "..##\n");
  EXPECT_FALSE(StretchBlt(dest.dc, 0, 0, 4, 1, source.dc, 0, 0, 0, 1, SRCCOPY));
}

TEST(Blits, AlphaBlendFollowsThePremultipliedRule) {
  Canvas source(1, 1), dest(1, 1);
  // Per-pixel alpha: a half-transparent premultiplied red over blue.
  source.bits[0] = 0x80800000;
  dest.bits[0] = 0x000000FF;
  BLENDFUNCTION perPixel{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  EXPECT_TRUE(AlphaBlend(dest.dc, 0, 0, 1, 1, source.dc, 0, 0, 1, 1, perPixel));
  EXPECT_EQ(dest.bits[0], 0x8080007Fu);  // red 0x80, blue 255 * (1 - 128/255) = 127, alpha 128
  // Constant alpha only: every channel mixes by the constant.
  source.bits[0] = 0x00FF0000;
  dest.bits[0] = 0x00000000;
  BLENDFUNCTION constant{AC_SRC_OVER, 0, 64, 0};
  EXPECT_TRUE(AlphaBlend(dest.dc, 0, 0, 1, 1, source.dc, 0, 0, 1, 1, constant));
  EXPECT_EQ(dest.bits[0], 0x00400000u);
  // Both: the source is scaled by the constant first.
  source.bits[0] = 0xFFFF0000;
  dest.bits[0] = 0x000000FF;
  BLENDFUNCTION both{AC_SRC_OVER, 0, 128, AC_SRC_ALPHA};
  EXPECT_TRUE(AlphaBlend(dest.dc, 0, 0, 1, 1, source.dc, 0, 0, 1, 1, both));
  EXPECT_EQ(dest.bits[0], 0x8080007Fu);
  // Bad arguments fail: a source rectangle outside the bitmap, negative sizes.
  EXPECT_FALSE(AlphaBlend(dest.dc, 0, 0, 1, 1, source.dc, 0, 0, 2, 2, perPixel));
  EXPECT_FALSE(AlphaBlend(dest.dc, 0, 0, -1, 1, source.dc, 0, 0, 1, 1, perPixel));
}

TEST(Blits, TransparentBltSkipsTheKeyColour) {
  Canvas source(2, 1), dest(4, 1, RGB(0, 0, 255));
  source.bits[0] = 0x00FF00FF;  // magenta key
  source.bits[1] = 0x0000FF00;
  EXPECT_TRUE(TransparentBlt(dest.dc, 0, 0, 4, 1, source.dc, 0, 0, 2, 1, RGB(255, 0, 255)));
  EXPECT_EQ(dest.Color(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(dest.Color(1, 0), RGB(0, 0, 255));
  EXPECT_EQ(dest.Color(2, 0), RGB(0, 255, 0));
  EXPECT_EQ(dest.Color(3, 0), RGB(0, 255, 0));
}

TEST(Blits, MaskBltChoosesTheOperationByMaskBit) {
  Canvas source(2, 1, RGB(255, 0, 0)), dest(2, 1, RGB(0, 0, 255));
  const uint8_t maskBits[2] = {0x80, 0};  // first pixel 1, second 0
  HBITMAP mask = CreateBitmap(2, 1, 1, 1, maskBits);
  EXPECT_TRUE(MaskBlt(dest.dc, 0, 0, 2, 1, source.dc, 0, 0, mask, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029)));
  EXPECT_EQ(dest.Color(0, 0), RGB(255, 0, 0));  // foreground: copy
  EXPECT_EQ(dest.Color(1, 0), RGB(0, 0, 255));  // background: leave the destination
  HBITMAP colour = CreateBitmap(2, 1, 1, 32, nullptr);
  EXPECT_FALSE(MaskBlt(dest.dc, 0, 0, 2, 1, source.dc, 0, 0, colour, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029)));
  DeleteObject(mask);
  DeleteObject(colour);
}

TEST(Blits, WorldTransformRotatesBitmaps) {
  // A 4x2 source (top row red, bottom row green) turned by 90 degrees becomes 2 wide, 4 tall.
  Canvas source(4, 2), dest(6, 6);
  for (int x = 0; x < 4; ++x) {
    source.bits[x] = 0x00FF0000;
    source.bits[4 + x] = 0x0000FF00;
  }
  SetGraphicsMode(dest.dc, GM_ADVANCED);
  const XFORM turn{0, 1, -1, 0, 4, 1};  // (x, y) -> (4 - y, 1 + x)
  SetWorldTransform(dest.dc, &turn);
  EXPECT_TRUE(BitBlt(dest.dc, 0, 0, 4, 2, source.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(dest.Picture(RGB(255, 0, 0)),
            Rows({"......", "...#..", "...#..", "...#..", "...#..", "......"}));
  EXPECT_EQ(dest.Picture(RGB(0, 255, 0)),
            Rows({"......", "..#...", "..#...", "..#...", "..#...", "......"}));
}
