#include "program/imaging/NineGrid.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "vcl/Graphics.h"

namespace {

constexpr uint32_t kBackground = 0xFF102030;

// Colours without alpha: the colour-keyed copy goes through monochrome masks, which carry no
// alpha, as on any GDI.
uint32_t Rgb(uint32_t pixel) { return pixel & 0xFFFFFF; }

// A 6 x 6 skin image with margins of 2: every corner pixel is its own colour; the top and
// bottom edges vary only down the rows, the left and right edges only across the columns;
// the centre is one colour. So a copied pixel tells which cell it came from, and a corner
// pixel exactly where.
uint32_t SkinPixel(int x, int y) {
  const int column = x < 2 ? 0 : x < 4 ? 1 : 2;
  const int row = y < 2 ? 0 : y < 4 ? 1 : 2;
  if (column != 1 && row != 1) return 0xFF000000 | (x * 40 + 1) << 16 | (y * 40 + 1) << 8 | 0x11;
  if (column == 1 && row != 1) return 0xFF000000 | 0x22 << 16 | (y * 40 + 1) << 8 | 0x22;
  if (row == 1 && column != 1) return 0xFF000000 | (x * 40 + 1) << 16 | 0x33 << 8 | 0x33;
  return 0xFF444444;
}

// The cell a skin pixel belongs to, as "TL", "T", "TR", "L", "C", "R", "BL", "B", "BR"; "-"
// for the background.
std::string CellOf(uint32_t pixel) {
  static const std::map<uint32_t, std::string> cells = [] {
    const char* names[3][3] = {{"TL", "T", "TR"}, {"L", "C", "R"}, {"BL", "B", "BR"}};
    std::map<uint32_t, std::string> map;
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 6; ++x) map[SkinPixel(x, y) & 0xFFFFFF] = names[y / 2][x / 2];
    return map;
  }();
  if ((pixel & 0xFFFFFF) == (kBackground & 0xFFFFFF)) return "-";
  auto found = cells.find(pixel & 0xFFFFFF);
  return found == cells.end() ? "?" : found->second;
}

std::unique_ptr<TBitmap> SkinImage() {
  auto image = std::make_unique<TBitmap>(6, 6, pf32bit);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) static_cast<uint32_t*>(image->ScanLine(y))[x] = SkinPixel(x, y);
  return image;
}

// The same 6 x 6 image at (left, top) of a larger sheet, as skin images hold many states
// side by side; the pixels around it are a colour of no cell.
std::unique_ptr<TBitmap> SkinSheet(int left, int top) {
  auto image = std::make_unique<TBitmap>(left + 9, top + 8, pf32bit);
  for (int y = 0; y < image->Height(); ++y)
    for (int x = 0; x < image->Width(); ++x) {
      const bool inside = x >= left && x < left + 6 && y >= top && y < top + 6;
      static_cast<uint32_t*>(image->ScanLine(y))[x] = inside ? SkinPixel(x - left, y - top) : 0xFF0A0B0C;
    }
  return image;
}

struct Target {
  Target(int width, int height) : bitmap(std::make_unique<TBitmap>(width, height, pf32bit)), lock(bitmap->Canvas()) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) Pixel(x, y) = kBackground;
  }
  HDC DC() { return bitmap->Canvas()->Handle(); }
  uint32_t& Pixel(int x, int y) { return static_cast<uint32_t*>(bitmap->ScanLine(y))[x]; }
  std::unique_ptr<TBitmap> bitmap;
  TCanvasLock lock;
};

const TNineGridMargins kMargins{2, 2, 2, 2};

// The cell every destination pixel should come from, for a grid of W x H at the origin with
// margins of 2.
std::string ExpectedCell(uint8_t piece, int x, int y, int W, int H) {
  const char column = x < 2 ? 'L' : x >= W - 2 ? 'R' : 'M';
  const char row = y < 2 ? 'T' : y >= H - 2 ? 'B' : 'M';
  auto cell = [](char c, char r) -> std::string {
    std::string name = r == 'M' ? "" : std::string(1, r);
    if (c != 'M') name += c;
    return name.empty() ? "C" : name;
  };
  switch (piece) {
    case NineGridPiece::All: return cell(column, row);
    case NineGridPiece::Frame: return column == 'M' && row == 'M' ? "-" : cell(column, row);
    case NineGridPiece::Center: return "C";
    case NineGridPiece::LeftColumn: return column == 'L' ? cell('L', row) : "-";
    case NineGridPiece::MiddleColumn: return cell('M', row);
    case NineGridPiece::RightColumn: return column == 'R' ? cell('R', row) : "-";
    case NineGridPiece::TopRow: return row == 'T' ? cell(column, 'T') : "-";
    case NineGridPiece::MiddleRow: return cell(column, 'M');
    case NineGridPiece::BottomRow: return row == 'B' ? cell(column, 'B') : "-";
  }
  return "?";
}

// Every piece in every mode puts each cell where it belongs: corners at their own size,
// edges stretched along their edge only, the centre both ways; nothing outside DestRect.
// The source rectangle may lie anywhere in its image: one at the sheet's corner and one
// further in draw alike.
TEST(DrawBitmapPart, DrawsEachPieceInEachMode) {
  const int W = 14, H = 9;
  for (const TPoint at : {TPoint(0, 0), TPoint(5, 3), TPoint(7, 0)}) {
    auto skin = SkinSheet(at.X, at.Y);
    const TRect source(at.X, at.Y, at.X + 6, at.Y + 6);
    SCOPED_TRACE(testing::Message() << "source at " << at.X << "," << at.Y);
    for (uint8_t mode : {NineGridMode::Copy, NineGridMode::ColorKey, NineGridMode::Alpha}) {
      for (uint8_t piece = 0; piece <= 8; ++piece) {
        Target target(W + 4, H + 3);
        ASSERT_TRUE(DrawBitmapPart(target.DC(), TRect(3, 1, 3 + W, 1 + H), skin->Handle(), source, kMargins, kMargins,
                                   mode, RGB(1, 2, 3), piece, nullptr))
            << "mode " << +mode << " piece " << +piece;
        for (int y = 0; y < H + 3; ++y)
          for (int x = 0; x < W + 4; ++x) {
            const bool inside = x >= 3 && x < 3 + W && y >= 1 && y < 1 + H;
            const std::string expected = inside ? ExpectedCell(piece, x - 3, y - 1, W, H) : "-";
            ASSERT_EQ(CellOf(target.Pixel(x, y)), expected)
                << "mode " << +mode << " piece " << +piece << " at " << x << "," << y;
          }
        if (piece == NineGridPiece::All) {
          // Corners are copied pixel for pixel; edges keep their rows (top) or columns (left).
          for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x) {
              EXPECT_EQ(Rgb(target.Pixel(3 + x, 1 + y)), Rgb(SkinPixel(x, y))) << +mode;
              EXPECT_EQ(Rgb(target.Pixel(3 + W - 2 + x, 1 + H - 2 + y)), Rgb(SkinPixel(4 + x, 4 + y)));
            }
          for (int x = 2; x < W - 2; ++x) EXPECT_EQ(Rgb(target.Pixel(3 + x, 2)), Rgb(SkinPixel(2, 1)));
          for (int y = 2; y < H - 2; ++y) EXPECT_EQ(Rgb(target.Pixel(4, 1 + y)), Rgb(SkinPixel(1, 2)));
        }
      }
    }
  }
}

// A target narrower than its two margins shrinks them: 10 pixels from margins of 8 show the
// outer 5 columns of each side.
TEST(DrawBitmapPart, ShrinksMarginsThatDoNotFit) {
  auto skin = std::make_unique<TBitmap>(20, 1, pf32bit);
  for (int x = 0; x < 20; ++x) static_cast<uint32_t*>(skin->ScanLine(0))[x] = 0xFF000000 | x;
  Target target(10, 1);
  ASSERT_TRUE(DrawBitmapPart(target.DC(), TRect(0, 0, 10, 1), skin->Handle(), TRect(0, 0, 20, 1), {8, 8, 0, 0},
                             {8, 8, 0, 0}, NineGridMode::Copy, 0, NineGridPiece::All, nullptr));
  std::vector<uint32_t> columns;
  for (int x = 0; x < 10; ++x) columns.push_back(target.Pixel(x, 0) & 0xFF);
  EXPECT_EQ(columns, (std::vector<uint32_t>{0, 1, 2, 3, 4, 15, 16, 17, 18, 19}));
}

TEST(DrawBitmapPart, PlainPathStretchesTheWholeRectangle) {
  auto skin = SkinImage();
  for (uint8_t mode : {NineGridMode::Copy, NineGridMode::ColorKey, NineGridMode::Alpha}) {
    Target target(8, 4);
    // The 2 x 2 top-left corner, doubled.
    ASSERT_TRUE(DrawBitmapPart(target.DC(), TRect(2, 0, 6, 4), skin->Handle(), TRect(0, 0, 2, 2), {}, {}, mode,
                               RGB(1, 2, 3), NineGridPiece::All, nullptr));
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 8; ++x)
        EXPECT_EQ(Rgb(target.Pixel(x, y)), Rgb(x >= 2 && x < 6 ? SkinPixel((x - 2) / 2, y / 2) : kBackground))
            << "mode " << +mode << " at " << x << "," << y;
  }
}

// Transparent pixels are left out: by colour key, and by alpha.
TEST(DrawBitmapPart, LeavesOutTransparentPixels) {
  auto skin = SkinImage();
  auto* row = static_cast<uint32_t*>(skin->ScanLine(2));
  row[2] = row[3] = 0x00FF00FF;  // the centre's top row: magenta with alpha 0
  for (uint8_t mode : {NineGridMode::ColorKey, NineGridMode::Alpha}) {
    Target target(6, 6);
    ASSERT_TRUE(DrawBitmapPart(target.DC(), TRect(0, 0, 6, 6), skin->Handle(), TRect(0, 0, 6, 6), kMargins, kMargins,
                               mode, RGB(255, 0, 255), NineGridPiece::All, nullptr));
    EXPECT_EQ(Rgb(target.Pixel(2, 2)), Rgb(kBackground)) << +mode;
    EXPECT_EQ(Rgb(target.Pixel(3, 2)), Rgb(kBackground)) << +mode;
    EXPECT_EQ(Rgb(target.Pixel(2, 3)), 0x444444u) << +mode;
    EXPECT_EQ(Rgb(target.Pixel(0, 0)), Rgb(SkinPixel(0, 0))) << +mode;
  }
}

TEST(DrawBitmapPart, RefusesEmptyTargetsAndUnknownModes) {
  auto skin = SkinImage();
  Target target(6, 6);
  struct Case {
    TRect dest;
    uint8_t mode;
    uint8_t piece;
  };
  const Case cases[] = {{TRect(2, 2, 2, 6), 0, 0},
                        {TRect(2, 2, 6, 1), 0, 1},
                        {TRect(0, 0, 6, 6), 3, 0},
                        {TRect(0, 0, 6, 6), 3, 1},
                        {TRect(0, 0, 6, 6), 0, 9}};
  for (const Case& c : cases)
    EXPECT_FALSE(DrawBitmapPart(target.DC(), c.dest, skin->Handle(), TRect(0, 0, 6, 6), kMargins, kMargins, c.mode, 0,
                                c.piece, nullptr));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) ASSERT_EQ(target.Pixel(x, y), kBackground);
}

// The clip rectangle limits the drawing and stays on the DC; the window origins are put back.
TEST(DrawBitmapPart, ClipsAndLeavesTheClipOnTheDC) {
  auto skin = SkinImage();
  for (uint8_t piece : {NineGridPiece::All, NineGridPiece::Frame}) {
    Target target(10, 10);
    SetWindowOrgEx(target.DC(), -1, 0, nullptr);
    const TRect clip(1, 1, 5, 5);  // logical: pixels 2 to 5
    ASSERT_TRUE(DrawBitmapPart(target.DC(), TRect(-1, 0, 9, 10), skin->Handle(), TRect(0, 0, 6, 6),
                               piece == NineGridPiece::All ? TNineGridMargins{} : kMargins, kMargins,
                               NineGridMode::Copy, 0, piece, &clip));
    POINT origin{};
    GetWindowOrgEx(target.DC(), &origin);
    EXPECT_EQ(origin.x, -1);
    EXPECT_EQ(origin.y, 0);
    RECT box{};
    GetClipBox(target.DC(), &box);
    EXPECT_EQ(box.left, 1);
    EXPECT_EQ(box.right, 5);
    // Inside the clip the frame leaves out the centre, which starts at row 2.
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 10; ++x) {
        const bool drawn = x >= 2 && x < 6 && y >= 1 && y < 5 && (piece == NineGridPiece::All || y < 2);
        EXPECT_EQ(target.Pixel(x, y) != kBackground, drawn) << +piece << " at " << x << "," << y;
      }
  }
}

TEST(StretchBltColorKey, StretchesAllButTheKeyColour) {
  auto source = std::make_unique<TBitmap>(2, 1, pf32bit);
  static_cast<uint32_t*>(source->ScanLine(0))[0] = 0xFF0000FF;
  static_cast<uint32_t*>(source->ScanLine(0))[1] = 0xFF00FF00;
  TCanvasLock sourceLock(source->Canvas());
  Target target(4, 2);
  ASSERT_TRUE(StretchBltColorKey(target.DC(), 0, 0, 4, 2, source->Canvas()->Handle(), 0, 0, 2, 1, RGB(0, 255, 0)));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(Rgb(target.Pixel(x, y)), x < 2 ? 0x0000FFu : Rgb(kBackground)) << x << "," << y;
  EXPECT_FALSE(StretchBltColorKey(target.DC(), 0, 0, 0, 2, source->Canvas()->Handle(), 0, 0, 2, 1, 0));
  EXPECT_FALSE(StretchBltColorKey(target.DC(), 0, 0, 4, 2, source->Canvas()->Handle(), 0, 0, 2, 0, 0));
}

TEST(NineGridMargins, ShrinkInProportionWhenTheTargetIsTooSmall) {
  using imaging::detail::MakeNineGridAxis;
  using imaging::detail::NineGridAxis;
  struct Case {
    NineGridAxis axis;
    int first, last, sourceMiddle, destFirst, destLast;
  };
  const Case cases[] = {
      // 10 wide with both margins 8: ratio 0.375, margins 5, source middle 4 + 6.
      {MakeNineGridAxis(20, 8, 8, 10, 8, 8), 5, 5, 10, 5, 5},
      // 13 wide: 1.5 rounds to even (margins 6), which leaves a pixel: the first margin
      // takes it.
      {MakeNineGridAxis(20, 8, 8, 13, 8, 8), 7, 6, 7, 7, 6},
      // 11 wide: 2.5 rounds to even too, and the margins keep their 6 + 6.
      {MakeNineGridAxis(20, 8, 8, 11, 8, 8), 6, 6, 9, 6, 6},
      // Room enough: nothing changes.
      {MakeNineGridAxis(20, 8, 8, 16, 8, 8), 8, 8, 4, 8, 8},
  };
  for (Case c : cases) {
    imaging::detail::ShrinkNineGridMargins(c.axis);
    EXPECT_EQ(c.axis.sourceFirst, c.first);
    EXPECT_EQ(c.axis.sourceLast, c.last);
    EXPECT_EQ(c.axis.sourceMiddle, c.sourceMiddle);
    EXPECT_EQ(c.axis.destFirst, c.destFirst);
    EXPECT_EQ(c.axis.destLast, c.destLast);
    EXPECT_GE(c.axis.destMiddle, 0);
  }
}

}  // namespace
