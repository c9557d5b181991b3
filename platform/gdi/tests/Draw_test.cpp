#include <gtest/gtest.h>

#include <functional>

#include "Canvas.h"

namespace {

constexpr COLORREF kInk = RGB(0, 0, 0);
constexpr COLORREF kFill = RGB(0, 160, 0);

struct ShapeCase {
  const char* name;
  int width;
  int height;
  std::function<void(HDC)> draw;
  COLORREF ink;
  std::string expected;
};

void RunShapes(const std::vector<ShapeCase>& cases) {
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas canvas(c.width, c.height);
    c.draw(canvas.dc);
    EXPECT_EQ(canvas.Picture(c.ink), c.expected);
  }
}

}  // namespace

TEST(Primitives, WindowsPixelRules) {
  auto nullBrush = [](HDC dc) { SelectObject(dc, GetStockObject(NULL_BRUSH)); };
  RunShapes({
      {"a 1-pixel rectangle frames pixels 0..3", 6, 6,
       [&](HDC dc) { nullBrush(dc); Rectangle(dc, 0, 0, 4, 4); }, kInk,
       Rows({"####..", "#..#..", "#..#..", "####..", "......", "......"})},
      {"the brush fills inside the frame", 6, 6,
       [](HDC dc) { SelectObject(dc, CreateSolidBrush(kFill)); Rectangle(dc, 0, 0, 5, 5);
                    DeleteObject(SelectObject(dc, GetStockObject(WHITE_BRUSH))); }, kFill,
       Rows({"......", ".###..", ".###..", ".###..", "......", "......"})},
      {"a null pen fills one pixel less", 6, 6,
       [](HDC dc) { SelectObject(dc, GetStockObject(NULL_PEN)); SelectObject(dc, GetStockObject(BLACK_BRUSH));
                    Rectangle(dc, 0, 0, 4, 4); }, kInk,
       Rows({"###...", "###...", "###...", "......", "......", "......"})},
      {"FillRect excludes right and bottom", 5, 5,
       [](HDC dc) { RECT r{1, 1, 3, 4}; FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))); }, kInk,
       Rows({".....", ".##..", ".##..", ".##..", "....."})},
      {"FillRect with an empty rectangle paints nothing", 3, 3,
       [](HDC dc) { RECT r{2, 2, 1, 1}; FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))); }, kInk,
       Rows({"...", "...", "..."})},
      {"FrameRect", 5, 5,
       [](HDC dc) { RECT r{0, 0, 4, 3}; FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))); }, kInk,
       Rows({"####.", "#..#.", "####.", ".....", "....."})},
      {"LineTo excludes its end point", 6, 2,
       [](HDC dc) { MoveToEx(dc, 0, 0, nullptr); LineTo(dc, 4, 0); }, kInk,
       Rows({"####..", "......"})},
      {"a diagonal line", 4, 4,
       [](HDC dc) { MoveToEx(dc, 0, 0, nullptr); LineTo(dc, 3, 3); }, kInk,
       Rows({"#...", ".#..", "..#.", "...."})},
      {"a line drawn right to left", 6, 1,
       [](HDC dc) { MoveToEx(dc, 5, 0, nullptr); LineTo(dc, 1, 0); }, kInk,
       Rows({"..####"})},
      {"Polyline leaves out only the last point", 5, 5,
       [](HDC dc) { const POINT p[3] = {{0, 0}, {3, 0}, {3, 3}}; Polyline(dc, p, 3); }, kInk,
       Rows({"####.", "...#.", "...#.", ".....", "....."})},
      {"Polygon closes its outline and includes every vertex", 6, 6,
       [&](HDC dc) { nullBrush(dc); const POINT p[4] = {{1, 1}, {4, 1}, {4, 4}, {1, 4}}; Polygon(dc, p, 4); }, kInk,
       Rows({"......", ".####.", ".#..#.", ".#..#.", ".####.", "......"})},
      {"Polygon fills pixel centres inside", 6, 6,
       [](HDC dc) { SelectObject(dc, GetStockObject(NULL_PEN)); SelectObject(dc, GetStockObject(BLACK_BRUSH));
                    const POINT p[4] = {{1, 1}, {4, 1}, {4, 4}, {1, 4}}; Polygon(dc, p, 4); }, kInk,
       Rows({"......", ".###..", ".###..", ".###..", "......", "......"})},
      {"a 3-pixel pen is centred on the frame", 10, 10,
       [&](HDC dc) { nullBrush(dc); SelectObject(dc, CreatePen(PS_SOLID, 3, kInk)); Rectangle(dc, 2, 2, 8, 8);
                     DeleteObject(SelectObject(dc, GetStockObject(BLACK_PEN))); }, kInk,
       Rows({"..........", ".########.", ".########.", ".########.", ".###..###.", ".###..###.", ".########.",
             ".########.", ".########.", ".........."})},
      {"an inside-frame pen stays inside", 8, 8,
       [&](HDC dc) { nullBrush(dc); SelectObject(dc, CreatePen(PS_INSIDEFRAME, 2, kInk)); Rectangle(dc, 1, 1, 7, 7);
                     DeleteObject(SelectObject(dc, GetStockObject(BLACK_PEN))); }, kInk,
       Rows({"........", ".######.", ".######.", ".##..##.", ".##..##.", ".######.", ".######.", "........"})},
      {"dotted lines skip in threes", 14, 1,
       [](HDC dc) { SetBkMode(dc, TRANSPARENT); SelectObject(dc, CreatePen(PS_DOT, 1, kInk)); MoveToEx(dc, 0, 0, nullptr);
                    LineTo(dc, 14, 0); DeleteObject(SelectObject(dc, GetStockObject(BLACK_PEN))); }, kInk,
       Rows({"###...###...##"})},
      {"opaque gaps take the background colour", 8, 1,
       [](HDC dc) { SetBkColor(dc, kFill); SelectObject(dc, CreatePen(PS_DOT, 1, kInk)); MoveToEx(dc, 0, 0, nullptr);
                    LineTo(dc, 8, 0); DeleteObject(SelectObject(dc, GetStockObject(BLACK_PEN))); }, kFill,
       Rows({"...###.."})},
      {"an ellipse is round and inside its box", 7, 7,
       [&](HDC dc) { nullBrush(dc); Ellipse(dc, 0, 0, 7, 7); }, kInk,
       Rows({"..###..", ".#...#.", "#.....#", "#.....#", "#.....#", ".#...#.", "..###.."})},
      {"a round rectangle cuts its corners", 8, 5,
       [&](HDC dc) { nullBrush(dc); RoundRect(dc, 0, 0, 8, 5, 4, 4); }, kInk,
       Rows({".######.", "#......#", "#......#", "#......#", ".######."})},
      {"a pie quarter fills counter-clockwise from start to end", 10, 10,
       [](HDC dc) { SelectObject(dc, GetStockObject(NULL_PEN)); SelectObject(dc, GetStockObject(BLACK_BRUSH));
                    Pie(dc, 0, 0, 11, 11, 10, 5, 5, 0); }, kInk,
       Rows({".....##...", ".....####.", ".....####.", ".....#####", ".....#####", "..........", "..........",
             "..........", "..........", ".........."})},
      {"a 3-pixel line covers three rows and ends round", 11, 9,
       [](HDC dc) { SelectObject(dc, CreatePen(PS_SOLID, 3, kInk)); MoveToEx(dc, 2, 4, nullptr); LineTo(dc, 8, 4);
                    DeleteObject(SelectObject(dc, GetStockObject(BLACK_PEN))); }, kInk,
       Rows({"...........", "...........", "...........", ".#########.", ".#########.", ".#########.",
             "...........", "...........", "..........."})},
      {"an arc runs counter-clockwise from the start radial", 7, 7,
       [](HDC dc) { Arc(dc, 0, 0, 7, 7, 7, 4, 3, 0); }, kInk,
       Rows({"...##..", ".....#.", "......#", "......#", ".......", ".......", "......."})},
      {"a chord fills the side of its line", 7, 7,
       [](HDC dc) { SelectObject(dc, GetStockObject(NULL_PEN)); SelectObject(dc, GetStockObject(BLACK_BRUSH));
                    Chord(dc, 0, 0, 7, 7, 0, 3, 7, 3); }, kInk,
       Rows({".......", ".......", ".......", "######.", "######.", ".####..", "......."})},
      {"a hatched brush draws its lines in the brush colour", 8, 8,
       [](HDC dc) { RECT r{0, 0, 8, 8}; HBRUSH b = CreateHatchBrush(HS_CROSS, kInk); FillRect(dc, &r, b); DeleteObject(b); },
       kInk, Rows({".......#", ".......#", ".......#", ".......#", ".......#", ".......#", ".......#", "########"})},
  });
}

TEST(Primitives, RasterOperationsAndAlpha) {
  Canvas canvas(4, 1);
  for (int i = 0; i < 4; ++i) canvas.bits[i] = 0xFF123456;  // alpha set, as a blit may leave it
  SelectObject(canvas.dc, GetStockObject(WHITE_PEN));
  SetROP2(canvas.dc, R2_XORPEN);
  MoveToEx(canvas.dc, 0, 0, nullptr);
  LineTo(canvas.dc, 2, 0);
  EXPECT_EQ(canvas.Raw(0, 0), 0x00EDCBA9u);  // xor with white, alpha byte 0
  EXPECT_EQ(canvas.Raw(2, 0), 0xFF123456u);
  MoveToEx(canvas.dc, 0, 0, nullptr);
  LineTo(canvas.dc, 2, 0);
  EXPECT_EQ(canvas.Raw(0, 0), 0x00123456u);  // xor twice restores the colour
  SetROP2(canvas.dc, R2_NOT);
  MoveToEx(canvas.dc, 3, 0, nullptr);
  LineTo(canvas.dc, 4, 0);
  EXPECT_EQ(canvas.Raw(3, 0), 0x00EDCBA9u);
  RECT r{2, 0, 3, 1};
  InvertRect(canvas.dc, &r);
  EXPECT_EQ(canvas.Color(2, 0), RGB(0xED, 0xCB, 0xA9));
  EXPECT_EQ(SetPixel(canvas.dc, 1, 0, RGB(1, 2, 3)), RGB(1, 2, 3));
  EXPECT_EQ(canvas.Raw(1, 0), 0x00010203u);
  EXPECT_EQ(GetPixel(canvas.dc, 9, 0), CLR_INVALID);
  EXPECT_EQ(SetPixel(canvas.dc, -1, 0, 0), CLR_INVALID);
}

TEST(Primitives, PatternBrushesTileFromTheBrushOrigin) {
  // A 2x1 pattern: red, blue.
  HBITMAP pattern = CreateBitmap(2, 1, 1, 32, nullptr);
  const uint32_t pixels[2] = {0x00FF0000, 0x000000FF};
  SetBitmapBits(pattern, sizeof(pixels), pixels);
  HBRUSH brush = CreatePatternBrush(pattern);
  Canvas canvas(4, 1);
  RECT r{0, 0, 4, 1};
  FillRect(canvas.dc, &r, brush);
  EXPECT_EQ(canvas.Color(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(canvas.Color(1, 0), RGB(0, 0, 255));
  EXPECT_EQ(canvas.Color(2, 0), RGB(255, 0, 0));
  SetBrushOrgEx(canvas.dc, 1, 0, nullptr);
  FillRect(canvas.dc, &r, brush);
  EXPECT_EQ(canvas.Color(0, 0), RGB(0, 0, 255));
  DeleteObject(brush);
  DeleteObject(pattern);
}

TEST(Primitives, ClippingAppliesToEveryPrimitive) {
  Canvas canvas(6, 6);
  IntersectClipRect(canvas.dc, 0, 0, 3, 6);
  SelectObject(canvas.dc, GetStockObject(BLACK_BRUSH));
  Ellipse(canvas.dc, 0, 0, 6, 6);
  MoveToEx(canvas.dc, 0, 5, nullptr);
  LineTo(canvas.dc, 6, 5);
  for (int y = 0; y < 6; ++y)
    for (int x = 3; x < 6; ++x) EXPECT_EQ(canvas.Color(x, y), RGB(255, 255, 255));
  EXPECT_EQ(canvas.Color(2, 5), RGB(0, 0, 0));
}
