// Frame, arrow and gradient drawing on a memory bitmap, checked pixel by pixel where the
// pixel matters and by corners, symmetry and monotony for the gradients.

#include <gtest/gtest.h>

#include <memory>

#include "program/fc/FcColors.h"
#include "program/fc/FcDraw.h"
#include "vcl/Bitmap.h"

namespace {

constexpr TColor Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }
constexpr TColor kPaper = Rgb(1, 254, 1);

// A 32-bit bitmap filled with a paper colour no routine draws.
std::unique_ptr<TBitmap> Surface(int width, int height) {
  auto bitmap = std::make_unique<TBitmap>(width, height, pf32bit);
  bitmap->Canvas()->Brush()->SetColor(kPaper);
  bitmap->Canvas()->FillRect(Rect(0, 0, width, height));
  return bitmap;
}

TColor Px(TBitmap& b, int x, int y) { return b.Canvas()->Pixels(x, y); }
TColor RGBOf(TColor c) { return static_cast<TColor>(ColorToRGB(c)); }

int InkCount(TBitmap& b) {
  int n = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) n += Px(b, x, y) != kPaper;
  return n;
}

// Distinct system colours, so that a wrong one shows.
COLORREF TestSysColor(int index) { return Rgb(10 + index * 8, 200 - index * 5, 40 + index * 3); }

class FcDrawTest : public ::testing::Test {
 protected:
  void SetUp() override { SetSysColorFunc(&TestSysColor); }
  void TearDown() override { SetSysColorFunc(nullptr); }
};

}  // namespace

TEST_F(FcDrawTest, SidesDrawOnlyListedSidesAndSkipClNone) {
  struct Case {
    TSides sides;
    TColor first, second;
    TRect result;
    int ink;
  } cases[] = {
      {AllSides, clNone, clNone, Rect(1, 1, 9, 9), 0},
      {AllSides, clRed, clNone, Rect(1, 1, 9, 9), 19},
      {AllSides, clNone, clBlue, Rect(1, 1, 9, 9), 19},
      {AllSides, clRed, clBlue, Rect(1, 1, 9, 9), 36},
      {TSides{sdLeft}, clRed, clBlue, Rect(1, 0, 10, 10), 10},
      {TSides{sdRight, sdBottom}, clNone, clBlue, Rect(0, 0, 9, 9), 19},
      {TSides{}, clRed, clBlue, Rect(0, 0, 10, 10), 0},
  };
  for (const Case& c : cases) {
    auto s = Surface(10, 10);
    EXPECT_EQ(DrawSides(s->Canvas(), Rect(0, 0, 10, 10), c.first, c.second, c.sides), c.result);
    EXPECT_EQ(InkCount(*s), c.ink) << c.sides.Bits() << " " << c.first << " " << c.second;
  }
  auto s = Surface(10, 10);
  DrawSides(s->Canvas(), Rect(0, 0, 10, 10), clRed, clBlue, AllSides);
  EXPECT_EQ(Px(*s, 0, 8), clRed) << "the left side runs the full height";
  EXPECT_EQ(Px(*s, 0, 9), clBlue) << "the bottom is drawn after the left";
  EXPECT_EQ(Px(*s, 9, 0), clBlue) << "the right side is drawn after the top";
  EXPECT_EQ(Px(*s, 5, 9), clBlue);

  s = Surface(10, 10);
  EXPECT_EQ(DrawBevel(s->Canvas(), Rect(0, 0, 10, 10), clRed, clRed, AllSides, 3), Rect(3, 3, 7, 7));
  EXPECT_EQ(Px(*s, 2, 5), clRed);
  EXPECT_EQ(Px(*s, 3, 5), kPaper);
}

TEST_F(FcDrawTest, EtchedBorderPixelsAndPartialSides) {
  const TColor shadow = RGBOf(clBtnShadow), light = RGBOf(clBtnHighlight);
  auto s = Surface(10, 10);
  EXPECT_EQ(DrawStyleBorder(s->Canvas(), Rect(0, 0, 10, 10), fsGroove, AllSides), Rect(2, 2, 8, 8));
  struct Pixel {
    int x, y;
    TColor color;
  } groove[] = {{0, 0, shadow}, {1, 1, light}, {9, 0, light}, {0, 9, light}, {9, 9, light}, {8, 8, shadow},
                {8, 1, shadow}, {1, 8, shadow}, {5, 0, shadow}, {5, 1, light}, {2, 2, kPaper}};
  for (const Pixel& p : groove) EXPECT_EQ(Px(*s, p.x, p.y), p.color) << p.x << "," << p.y;

  s = Surface(10, 10);
  DrawStyleBorder(s->Canvas(), Rect(0, 0, 10, 10), fsBump, AllSides);
  EXPECT_EQ(Px(*s, 0, 0), light);
  EXPECT_EQ(Px(*s, 9, 9), shadow);

  // Left and top only: both outer lines run to the far edge, the inner ones start one in.
  s = Surface(10, 10);
  EXPECT_EQ(DrawStyleBorder(s->Canvas(), Rect(0, 0, 10, 10), fsGroove, TSides{sdLeft, sdTop}),
            Rect(2, 2, 10, 10));
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(Px(*s, i, 0), shadow) << i;
    EXPECT_EQ(Px(*s, 0, i), shadow) << i;
  }
  EXPECT_EQ(Px(*s, 1, 9), light);
  EXPECT_EQ(Px(*s, 9, 1), light);
  EXPECT_EQ(Px(*s, 9, 9), kPaper);

  // Right and bottom only.
  s = Surface(10, 10);
  EXPECT_EQ(DrawStyleBorder(s->Canvas(), Rect(0, 0, 10, 10), fsGroove, TSides{sdRight, sdBottom}),
            Rect(0, 0, 8, 8));
  EXPECT_EQ(Px(*s, 9, 0), light);
  EXPECT_EQ(Px(*s, 8, 0), shadow);
  EXPECT_EQ(Px(*s, 0, 8), shadow);
  EXPECT_EQ(Px(*s, 0, 9), light);
  EXPECT_EQ(Px(*s, 0, 0), kPaper);
}

TEST_F(FcDrawTest, RoundedFlatBorderCutsTheCorners) {
  auto s = Surface(10, 10);
  EXPECT_EQ(DrawRoundedFlatBorder(s->Canvas(), Rect(0, 0, 10, 10), clRed, AllSides), Rect(2, 2, 8, 8));
  for (auto [x, y] : {std::pair{0, 0}, {9, 0}, {0, 9}, {9, 9}, {0, 1}, {1, 0}, {8, 9}, {9, 8}})
    EXPECT_EQ(Px(*s, x, y), kPaper) << x << "," << y;
  for (auto [x, y] : {std::pair{1, 1}, {8, 1}, {8, 8}, {1, 8}, {0, 2}, {0, 7}, {2, 0}, {7, 0}, {9, 5}, {5, 9}})
    EXPECT_EQ(Px(*s, x, y), clRed) << x << "," << y;
  EXPECT_EQ(Px(*s, 2, 2), kPaper);

  // Without the top side the left and right lines reach the top edge and no top corner is cut.
  s = Surface(10, 10);
  EXPECT_EQ(DrawRoundedFlatBorder(s->Canvas(), Rect(0, 0, 10, 10), clRed, TSides{sdLeft, sdRight, sdBottom}),
            Rect(2, 0, 8, 8));
  EXPECT_EQ(Px(*s, 0, 0), clRed);
  EXPECT_EQ(Px(*s, 1, 1), kPaper);
  EXPECT_EQ(Px(*s, 1, 8), clRed);

  s = Surface(10, 10);
  EXPECT_EQ(DrawBox(s->Canvas(), Rect(0, 0, 10, 10), clRed), Rect(1, 1, 9, 9));
  EXPECT_EQ(InkCount(*s), 36);
}

TEST_F(FcDrawTest, FrameSetStyles) {
  const TColor flatBase = Rgb(90, 120, 150);
  TFrameSet base;
  base.BorderColor = Rgb(5, 6, 7);
  base.BorderHighlight = Rgb(250, 240, 230);
  base.BorderShadow = Rgb(30, 20, 10);
  base.FlatColor = flatBase;
  base.FlatColorAdjustment = 20;
  base.ControlColor = Rgb(200, 200, 100);
  base.ParentColor = Rgb(100, 0, 100);
  const TColor flat = LighterColor(flatBase, 20);

  struct Case {
    TFrameStyleEx style;
    int inset;
    TColor topLeft, bottomRight, second;  // (0, 0), (W-1, H-1), (1, 1)
  } cases[] = {
      {fsFlat, 1, flat, flat, kPaper},
      {fsFlatBold, 2, flat, flat, flat},
      {fsGroove, 2, RGBOf(clBtnShadow), RGBOf(clBtnHighlight), RGBOf(clBtnHighlight)},
      {fsBump, 2, RGBOf(clBtnHighlight), RGBOf(clBtnShadow), RGBOf(clBtnShadow)},
      {fsLowered, 2, RGBOf(clBtnShadow), RGBOf(clBtnHighlight), RGBOf(cl3DDkShadow)},
      {fsRaised, 2, RGBOf(cl3DLight), RGBOf(cl3DDkShadow), RGBOf(clBtnHighlight)},
      {fsButtonDown, 2, RGBOf(clBtnText), RGBOf(clBtnText), RGBOf(clBtnShadow)},
      {fsButtonUp, 2, RGBOf(clBtnHighlight), RGBOf(cl3DDkShadow), RGBOf(cl3DLight)},
      {fsStatus, 1, base.BorderShadow, base.BorderHighlight, kPaper},
      {fsPopup, 1, base.BorderHighlight, base.BorderShadow, kPaper},
      {fsFlatRounded, 2, base.ParentColor, base.ParentColor, flat},
  };
  for (const Case& c : cases) {
    TFrameSet f = base;
    f.Outer = c.style;
    auto s = Surface(12, 10);
    EXPECT_EQ(DrawFrameSet(s->Canvas(), Rect(0, 0, 12, 10), f), Rect(c.inset, c.inset, 12 - c.inset, 10 - c.inset))
        << c.style;
    EXPECT_EQ(Px(*s, 0, 0), c.topLeft) << c.style;
    EXPECT_EQ(Px(*s, 11, 9), c.bottomRight) << c.style;
    EXPECT_EQ(Px(*s, 1, 1), c.second) << c.style;
    EXPECT_EQ(Px(*s, c.inset, c.inset), kPaper) << c.style;

    // The same style inside a one-pixel border ring.
    f.Outer = fsNone;
    f.Inner = c.style;
    f.BorderWidth = 1;
    s = Surface(12, 10);
    const int in = c.inset + 1;
    EXPECT_EQ(DrawFrameSet(s->Canvas(), Rect(0, 0, 12, 10), f), Rect(in, in, 12 - in, 10 - in)) << c.style;
    EXPECT_EQ(Px(*s, 0, 0), base.BorderColor);
    if (c.style != fsFlatRounded) EXPECT_EQ(Px(*s, 1, 1), c.topLeft) << c.style;
    EXPECT_EQ(Px(*s, in, in), kPaper) << c.style;
  }

  // Rounded outside a ring: the cut corner shows the parent, the pixel inside it the ring.
  TFrameSet f = base;
  f.Outer = fsFlatRounded;
  f.BorderWidth = 1;
  auto s = Surface(12, 10);
  EXPECT_EQ(DrawFrameSet(s->Canvas(), Rect(0, 0, 12, 10), f), Rect(3, 3, 9, 7));
  EXPECT_EQ(Px(*s, 0, 0), base.ParentColor);
  EXPECT_EQ(Px(*s, 1, 1), flat);
  EXPECT_EQ(Px(*s, 2, 1), base.BorderColor);
  EXPECT_EQ(Px(*s, 2, 2), base.BorderColor);
  // Transparent: nothing outside the rounded line.
  f.Transparent = true;
  s = Surface(12, 10);
  DrawFrameSet(s->Canvas(), Rect(0, 0, 12, 10), f);
  EXPECT_EQ(Px(*s, 0, 0), kPaper);
  EXPECT_EQ(Px(*s, 1, 1), flat);

  // Nothing at all.
  s = Surface(12, 10);
  EXPECT_EQ(DrawFrameSet(s->Canvas(), Rect(0, 0, 12, 10), TFrameSet{}), Rect(0, 0, 12, 10));
  EXPECT_EQ(InkCount(*s), 0);
}

TEST_F(FcDrawTest, EditFrameStyles) {
  const TColor frame = Rgb(0, 0, 200), face = Rgb(180, 190, 200);
  struct Case {
    TFrameStyle style;
    TColor control;
    TColor outer, second, third;  // (0, 0), (1, 1), (2, 2)
  } cases[] = {
      {fsNone, face, face, face, kPaper},
      {fsFlat, face, frame, face, kPaper},
      {fsFlatBold, face, frame, frame, kPaper},
      {fsLowered, clWindow, RGBOf(clBtnShadow), RGBOf(cl3DDkShadow), kPaper},
      {fsLowered, face, DarkerColor(face, 50), DarkerColor(face, 100), kPaper},
      {fsStatus, face, DarkerColor(face, 50), face, kPaper},
      {fsGroove, clWindow, RGBOf(clBtnShadow), RGBOf(clBtnHighlight), kPaper},
  };
  for (const Case& c : cases) {
    auto s = Surface(20, 12);
    DrawEditFrame(s->Canvas(), 20, 12, AllSides, frame, c.control, c.style);
    EXPECT_EQ(Px(*s, 0, 0), c.outer == face && c.control != face ? RGBOf(c.control) : c.outer) << c.style;
    EXPECT_EQ(Px(*s, 1, 1), c.second) << c.style;
    EXPECT_EQ(Px(*s, 2, 2), c.third) << c.style;
  }
  // Only the listed sides get the frame; the control-colour ring covers all four.
  auto s = Surface(20, 12);
  DrawEditFrame(s->Canvas(), 20, 12, TSides{sdLeft}, frame, face, fsFlat);
  EXPECT_EQ(Px(*s, 0, 5), frame);
  EXPECT_EQ(Px(*s, 19, 5), face);
  EXPECT_EQ(Px(*s, 10, 0), face);
}

TEST_F(FcDrawTest, DropArrowPlacement) {
  auto tipOf = [](TBitmap& b, TColor ink) {
    TPoint tip(-1, -1);
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x)
        if (Px(b, x, y) == ink) tip = TPoint(x, y);  // the lowest ink pixel (one only in the tip row)
    return tip;
  };
  struct Case {
    int height;
    bool flat, pressed, enabled;
    TPoint tip;
    TColor ink;
  } cases[] = {
      {15, false, false, true, {8, 9}, clBlack},  // cy = 7 + 2
      {16, false, false, true, {8, 9}, clBlack},  // even: one higher than 17
      {17, false, false, true, {8, 10}, clBlack},
      {17, false, true, true, {9, 11}, clBlack},
      {17, false, false, false, {8, 10}, RGBOf(clBtnShadow)},
      // The flat chevron's lowest row is one above its tip vertex (cy = 8 + 4, 7 + 4).
      {17, true, false, true, {8, 11}, RGBOf(cl3DDkShadow)},
      {16, true, false, true, {8, 10}, RGBOf(cl3DDkShadow)},
  };
  for (const Case& c : cases) {
    auto s = Surface(17, 20);
    s->Canvas()->Brush()->SetColor(Rgb(1, 2, 3));
    DrawDropArrow(s->Canvas(), Rect(0, 0, 17, c.height), c.flat, c.pressed, c.enabled);
    EXPECT_EQ(s->Canvas()->Brush()->Color(), Rgb(1, 2, 3)) << "brush colour restored";
    EXPECT_EQ(tipOf(*s, c.ink), c.tip) << c.height << (c.flat ? " flat" : "") << (c.pressed ? " pressed" : "");
    if (!c.flat) {
      const int cx = c.tip.X, cy = c.tip.Y;
      EXPECT_EQ(Px(*s, cx - 3, cy - 3), c.ink);
      EXPECT_EQ(Px(*s, cx + 3, cy - 3), c.ink);
      EXPECT_EQ(Px(*s, cx - 4, cy - 3), kPaper);
      EXPECT_EQ(Px(*s, cx - 2, cy - 1), kPaper);
      EXPECT_EQ(Px(*s, cx, cy - 4), kPaper);
      EXPECT_EQ(InkCount(*s), 16);
    } else {
      EXPECT_EQ(Px(*s, c.tip.X, c.tip.Y - 1), c.ink);
      EXPECT_EQ(Px(*s, c.tip.X - 3, c.tip.Y - 5), c.ink) << "the left arm";
      EXPECT_EQ(Px(*s, c.tip.X, c.tip.Y - 5), kPaper) << "the notch of the chevron";
    }
  }
}

namespace {

int Channel(TColor c, int shift) { return (c >> shift) & 0xFF; }

}  // namespace

TEST_F(FcDrawTest, GradientKindsCornersSymmetryAndMonotony) {
  const TColor c1 = Rgb(0, 100, 200), c2 = Rgb(200, 100, 0);
  for (auto [w, h] : {std::pair{1, 1}, {4, 4}, {9, 7}}) {
    for (int kind = 0; kind <= 9; ++kind) {
      SCOPED_TRACE(testing::Message() << "kind " << kind << " at " << w << "x" << h);
      auto s = Surface(w + 4, h + 4);
      PaintGradient(s->Canvas(), Bounds(2, 2, w, h), kind, c1, c2);
      auto at = [&](int x, int y) { return Px(*s, x + 2, y + 2); };
      // Nothing outside, every pixel between the two colours.
      EXPECT_EQ(Px(*s, 1, 1), kPaper);
      EXPECT_EQ(Px(*s, w + 2, h + 2), kPaper);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const TColor c = at(x, y);
          ASSERT_EQ(Channel(c, 8), 100) << x << "," << y;
          ASSERT_EQ(Channel(c, 0) + Channel(c, 16), 200) << x << "," << y;
        }
      if (w < 4) continue;
      const int red = 0;
      switch (kind) {
        case gkDiagonalUp:
          EXPECT_EQ(at(0, h - 1), c1);
          EXPECT_EQ(at(w - 1, 0), c2);
          for (int x = 1; x < w; ++x) EXPECT_GE(Channel(at(x, h - 1), red), Channel(at(x - 1, h - 1), red));
          for (int y = 1; y < h; ++y) EXPECT_LE(Channel(at(0, y), red), Channel(at(0, y - 1), red));
          break;
        case gkDiagonalDown:
          EXPECT_EQ(at(0, 0), c1);
          EXPECT_EQ(at(w - 1, h - 1), c2);
          for (int y = 1; y < h; ++y) EXPECT_GE(Channel(at(0, y), red), Channel(at(0, y - 1), red));
          break;
        case gkVertical:
        case gkHorizontal: {
          const bool vertical = kind == gkVertical;
          EXPECT_EQ(at(0, 0), c1);
          EXPECT_EQ(at(w - 1, h - 1), c2);
          EXPECT_EQ(vertical ? at(w - 1, 0) : at(0, h - 1), c1);
          const int n = vertical ? h : w;
          for (int i = 1; i < n; ++i) {
            TColor prev = vertical ? at(0, i - 1) : at(i - 1, 0), cur = vertical ? at(0, i) : at(i, 0);
            EXPECT_GE(Channel(cur, red), Channel(prev, red));
            EXPECT_EQ(vertical ? at(w - 1, i) : at(i, h - 1), cur) << "bands run straight across";
          }
          break;
        }
        case gkVerticalCentre:
        case gkHorizontalCentre: {
          const bool vertical = kind == gkVerticalCentre;
          EXPECT_EQ(at(0, 0), c1);
          EXPECT_EQ(at(w - 1, h - 1), c1);
          EXPECT_EQ(vertical ? at(0, (h - 1) / 2) : at((w - 1) / 2, 0), c2);
          for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
              EXPECT_EQ(at(x, y), vertical ? at(w - 1 - x, h - 1 - y) : at(w - 1 - x, h - 1 - y));
          break;
        }
        default:  // the rectangular kinds
          EXPECT_EQ(at(0, 0), c1);
          EXPECT_EQ(at(w - 1, 0), c1);
          EXPECT_EQ(at(0, h - 1), c1);
          EXPECT_EQ(at(w - 1, h - 1), c1);
          for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
              EXPECT_EQ(at(x, y), at(w - 1 - x, y)) << x << "," << y;
              EXPECT_EQ(at(x, y), at(x, h - 1 - y)) << x << "," << y;
            }
          if (w >= 5 && h >= 5) {
            EXPECT_EQ(at(w / 2, h / 2), c2) << "the second colour in the centre";
            for (int x = w / 2 + 1; x < w; ++x)
              EXPECT_LE(Channel(at(x, h / 2), red), Channel(at(x - 1, h / 2), red));
          } else {
            EXPECT_EQ(at(w / 2, h / 2), c1) << "too small for rings: the first colour";
          }
      }
    }
  }
}

TEST_F(FcDrawTest, GradientOfNothingAndOfOneColour) {
  auto s = Surface(8, 8);
  for (int kind = 0; kind <= 9; ++kind) {
    PaintGradient(s->Canvas(), Rect(2, 2, 2, 6), kind, clRed, clBlue);
    PaintGradient(s->Canvas(), Rect(2, 2, 6, 2), kind, clRed, clBlue);
  }
  EXPECT_EQ(InkCount(*s), 0);
  for (int kind = 0; kind <= 9; ++kind) {
    s = Surface(8, 8);
    PaintGradient(s->Canvas(), Rect(0, 0, 8, 8), kind, clBtnFace, RGBOf(clBtnFace));
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) ASSERT_EQ(Px(*s, x, y), RGBOf(clBtnFace)) << kind;
  }
  // A reversed rectangle paints its size from its left and top.
  s = Surface(8, 8);
  PaintGradient(s->Canvas(), Rect(1, 1, 0, 0), gkVertical, clRed, clRed);
  EXPECT_EQ(Px(*s, 1, 1), clRed);
  EXPECT_EQ(InkCount(*s), 1);
}
