#include <gtest/gtest.h>

#include <vector>

#include "Canvas.h"

namespace {

RECT Box(HRGN region) {
  RECT r{};
  GetRgnBox(region, &r);
  return r;
}

}  // namespace

TEST(Regions, CombineGivesTheSetOperationAndItsComplexity) {
  struct Case {
    int mode;
    int complexity;
    std::vector<POINT> inside;
    std::vector<POINT> outside;
  };
  // a = [0,4)x[0,4), b = [2,6)x[2,6)
  const Case cases[] = {
      {RGN_AND, SIMPLEREGION, {{2, 2}, {3, 3}}, {{1, 1}, {4, 4}}},
      {RGN_OR, COMPLEXREGION, {{0, 0}, {5, 5}, {3, 3}}, {{5, 0}, {0, 5}}},
      {RGN_XOR, COMPLEXREGION, {{0, 0}, {5, 5}}, {{2, 2}, {3, 3}, {5, 0}}},
      {RGN_DIFF, COMPLEXREGION, {{0, 0}, {3, 1}}, {{2, 2}, {5, 5}}},
      {RGN_COPY, SIMPLEREGION, {{0, 0}, {3, 3}}, {{4, 4}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    HRGN a = CreateRectRgn(0, 0, 4, 4), b = CreateRectRgn(2, 2, 6, 6), out = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(out, a, b, c.mode), c.complexity);
    for (POINT p : c.inside) EXPECT_TRUE(PtInRegion(out, p.x, p.y)) << p.x << "," << p.y;
    for (POINT p : c.outside) EXPECT_FALSE(PtInRegion(out, p.x, p.y)) << p.x << "," << p.y;
    DeleteObject(a);
    DeleteObject(b);
    DeleteObject(out);
  }
  HRGN a = CreateRectRgn(0, 0, 2, 2), b = CreateRectRgn(5, 5, 6, 6);
  EXPECT_EQ(CombineRgn(a, a, b, RGN_AND), NULLREGION);  // destination may be a source
  EXPECT_EQ(CombineRgn(a, a, b, 99), ERROR);
  DeleteObject(b);
  EXPECT_EQ(CombineRgn(a, a, b, RGN_OR), ERROR);  // stale handle
  DeleteObject(a);
}

TEST(Regions, ShapesQueriesAndData) {
  HRGN rect = CreateRectRgn(10, 10, 0, 0);  // normalised
  EXPECT_EQ(Box(rect).right, 10);
  EXPECT_TRUE(PtInRegion(rect, 9, 9));
  EXPECT_FALSE(PtInRegion(rect, 10, 9));  // right edge excluded
  RECT touching{9, 9, 20, 20}, apart{10, 0, 20, 10};
  EXPECT_TRUE(RectInRegion(rect, &touching));
  EXPECT_FALSE(RectInRegion(rect, &apart));
  EXPECT_EQ(OffsetRgn(rect, 5, -5), SIMPLEREGION);
  EXPECT_EQ(Box(rect).left, 5);
  EXPECT_EQ(Box(rect).top, -5);

  HRGN ellipse = CreateEllipticRgn(0, 0, 10, 10);
  EXPECT_TRUE(PtInRegion(ellipse, 5, 5));
  EXPECT_FALSE(PtInRegion(ellipse, 0, 0));  // corners are outside
  EXPECT_TRUE(PtInRegion(ellipse, 0, 5));
  EXPECT_FALSE(PtInRegion(ellipse, 10, 5));
  HRGN round = CreateRoundRectRgn(0, 0, 10, 10, 4, 4);
  EXPECT_FALSE(PtInRegion(round, 0, 0));
  EXPECT_TRUE(PtInRegion(round, 1, 1));
  EXPECT_TRUE(PtInRegion(round, 5, 0));
  const POINT triangle[3] = {{0, 0}, {8, 0}, {0, 8}};
  HRGN polygon = CreatePolygonRgn(triangle, 3, ALTERNATE);
  EXPECT_TRUE(PtInRegion(polygon, 1, 1));
  EXPECT_FALSE(PtInRegion(polygon, 6, 6));

  // Region data round-trips through ExtCreateRegion.
  const DWORD size = GetRegionData(round, 0, nullptr);
  ASSERT_GT(size, sizeof(RGNDATAHEADER));
  std::vector<char> data(size);
  auto* rgnData = reinterpret_cast<RGNDATA*>(data.data());
  EXPECT_EQ(GetRegionData(round, size - 1, rgnData), 0u);
  EXPECT_EQ(GetRegionData(round, size, rgnData), size);
  EXPECT_EQ(rgnData->rdh.iType, RDH_RECTANGLES);
  HRGN copy = ExtCreateRegion(nullptr, size, rgnData);
  EXPECT_TRUE(EqualRgn(copy, round));
  EXPECT_FALSE(EqualRgn(copy, ellipse));
  rgnData->rdh.nCount += 100;  // claims more rectangles than the buffer holds
  EXPECT_EQ(ExtCreateRegion(nullptr, size, rgnData), nullptr);
  for (HRGN r : {rect, ellipse, round, polygon, copy}) DeleteObject(r);
}

TEST(Regions, PaintingRegions) {
  Canvas canvas(6, 6);
  HRGN region = CreateRectRgn(1, 1, 5, 5);
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  EXPECT_TRUE(FrameRgn(canvas.dc, region, black, 1, 1));
  EXPECT_EQ(canvas.Picture(RGB(0, 0, 0)), Rows({"......", ".####.", ".#..#.", ".#..#.", ".####.", "......"}));
  EXPECT_TRUE(InvertRgn(canvas.dc, region));
  EXPECT_EQ(canvas.Picture(RGB(0, 0, 0)), Rows({"......", "......", "..##..", "..##..", "......", "......"}));
  canvas.Fill(RGB(255, 255, 255));
  SetViewportOrgEx(canvas.dc, -1, -1, nullptr);  // painting takes logical coordinates
  EXPECT_TRUE(FillRgn(canvas.dc, region, black));
  EXPECT_EQ(canvas.Count(RGB(0, 0, 0)), 16);
  EXPECT_EQ(canvas.Color(0, 0), RGB(0, 0, 0));
  DeleteObject(region);
}

TEST(Clipping, ClipRegionsFollowSavedStates) {
  Canvas canvas(8, 8);
  HDC dc = canvas.dc;
  RECT box{};
  EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
  EXPECT_EQ(box.right, 8);
  HRGN probe = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(dc, probe), 0);  // no clip region yet

  EXPECT_EQ(SaveDC(dc), 1);
  EXPECT_EQ(IntersectClipRect(dc, 2, 2, 6, 6), SIMPLEREGION);
  EXPECT_EQ(ExcludeClipRect(dc, 3, 3, 5, 5), COMPLEXREGION);
  EXPECT_EQ(GetClipRgn(dc, probe), 1);
  EXPECT_FALSE(PtInRegion(probe, 3, 3));
  EXPECT_TRUE(PtVisible(dc, 2, 2));
  EXPECT_FALSE(PtVisible(dc, 4, 4));
  RECT hole{3, 3, 5, 5}, edge{5, 5, 7, 7};
  EXPECT_FALSE(RectVisible(dc, &hole));
  EXPECT_TRUE(RectVisible(dc, &edge));
  RECT all{0, 0, 8, 8};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(canvas.Count(RGB(0, 0, 0)), 16 - 4);

  EXPECT_EQ(SaveDC(dc), 2);
  EXPECT_EQ(OffsetClipRgn(dc, 10, 10), NULLREGION);  // moved off the bitmap
  EXPECT_EQ(GetClipBox(dc, &box), NULLREGION);
  EXPECT_TRUE(RestoreDC(dc, -1));
  EXPECT_EQ(GetClipBox(dc, &box), COMPLEXREGION);
  EXPECT_EQ(box.left, 2);

  EXPECT_TRUE(RestoreDC(dc, 1));
  EXPECT_EQ(GetClipRgn(dc, probe), 0);
  canvas.Fill(RGB(255, 255, 255));
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(canvas.Count(RGB(0, 0, 0)), 64);

  // SelectClipRgn copies the region; ExtSelectClipRgn combines with the current clip.
  HRGN left = CreateRectRgn(0, 0, 4, 8);
  EXPECT_EQ(SelectClipRgn(dc, left), SIMPLEREGION);
  DeleteObject(left);
  HRGN top = CreateRectRgn(0, 0, 8, 4);
  EXPECT_EQ(ExtSelectClipRgn(dc, top, RGN_AND), SIMPLEREGION);
  GetClipBox(dc, &box);
  EXPECT_EQ(box.right, 4);
  EXPECT_EQ(box.bottom, 4);
  // Clip boxes are reported in logical coordinates.
  SetWindowOrgEx(dc, 1, 1, nullptr);
  GetClipBox(dc, &box);
  EXPECT_EQ(box.left, 1);
  EXPECT_EQ(box.right, 5);
  EXPECT_EQ(SelectClipRgn(dc, nullptr), SIMPLEREGION);
  EXPECT_EQ(ExtSelectClipRgn(dc, nullptr, RGN_AND), ERROR);
  DeleteObject(top);
  DeleteObject(probe);
}
