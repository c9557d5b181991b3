#include "program/imaging/Regions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "vcl/Graphics.h"

namespace {

constexpr uint32_t kKey = 0x00FF00FF;  // magenta as a 32-bit pixel; RGB(255, 0, 255) as a TColor

std::unique_ptr<TBitmap> RowBitmap(const std::string& pattern, TPixelFormat format) {
  auto bitmap = std::make_unique<TBitmap>(static_cast<int>(pattern.size()), 1, format);
  auto* row = static_cast<uint8_t*>(bitmap->ScanLine(0));
  const int bytes = format == pf32bit ? 4 : 3;
  for (size_t x = 0; x < pattern.size(); ++x) {
    // 'k' the key colour, 'o' an opaque grey, 't' a grey with alpha 0.
    uint32_t pixel = pattern[x] == 'k' ? kKey : pattern[x] == 't' ? 0x00808080 : 0xFF808080;
    std::memcpy(row + x * bytes, &pixel, bytes);
  }
  return bitmap;
}

// The pixels of the region as a string per row, '#' inside and '.' outside, over a box one
// pixel beyond the region's expected extent.
std::vector<std::string> Picture(const RGNDATA* data, int width, int height) {
  HRGN region = ExtCreateRegion(nullptr, GetRegionDataSize(data), data);
  std::vector<std::string> rows;
  for (int y = 0; y < height; ++y) {
    std::string row;
    for (int x = 0; x < width; ++x) row += PtInRegion(region, x, y) ? '#' : '.';
    rows.push_back(row);
  }
  DeleteObject(region);
  return rows;
}

using Rows = std::vector<std::string>;

TEST(BitmapToRegionData, LeavesOutTransparentRunsAndKeepsTheExtraColumnAndRow) {
  struct Case {
    std::string pattern;
    TPixelFormat format;
    TColor transparent;
    Rows expected;  // 6 x 3: the 4 x 1 rectangle, its extra column and row, and outside
  };
  const TColor key = RGB(255, 0, 255);
  const Case cases[] = {
      {"kkok", pf24bit, key, {"..#.#.", "#####.", "......"}},
      {"kooo", pf24bit, key, {".####.", "#####.", "......"}},
      {"kkko", pf32bit, key, {"...##.", "#####.", "......"}},
      // clNone: alpha decides on 32 bits; on 24 bits nothing is transparent.
      {"tott", pf32bit, clNone, {".#..#.", "#####.", "......"}},
      {"kkkk", pf24bit, clNone, {"#####.", "#####.", "......"}},
  };
  for (const Case& c : cases) {
    auto bitmap = RowBitmap(c.pattern, c.format);
    TRegionData data = BitmapToRegionData(bitmap.get(), TRect(0, 0, 4, 1), c.transparent);
    ASSERT_TRUE(data) << c.pattern;
    EXPECT_EQ(Picture(data.get(), 6, 3), c.expected) << c.pattern;
    EXPECT_EQ(GetRegionDataSize(data.get()), 32u + 16u * data->rdh.nCount);
  }
}

// Coordinates are relative to the rectangle, and a rectangle from a skin that reaches past
// the bitmap reads only the pixels that exist.
TEST(BitmapToRegionData, ClipsTheRectangleToTheBitmap) {
  auto bitmap = RowBitmap("okko", pf32bit);
  TRegionData data = BitmapToRegionData(bitmap.get(), TRect(2, -5, 40, 9), RGB(255, 0, 255));
  ASSERT_TRUE(data);
  EXPECT_EQ(Picture(data.get(), 4, 3), (Rows{".##.", "###.", "...."}));

  EXPECT_FALSE(BitmapToRegionData(bitmap.get(), TRect(4, 0, 9, 1), clNone));
  EXPECT_FALSE(BitmapToRegionData(bitmap.get(), TRect(-3, 0, 0, 1), clNone));
}

TEST(BitmapToRegionData, GivesNothingForUnsupportedBitmaps) {
  auto indexed = std::make_unique<TBitmap>(4, 4, pf8bit);
  EXPECT_FALSE(BitmapToRegionData(indexed.get(), TRect(0, 0, 4, 4), clNone));
  EXPECT_FALSE(BitmapToRegionData(nullptr, TRect(0, 0, 4, 4), clNone));
  TBitmap empty;
  EXPECT_FALSE(BitmapToRegionData(&empty, TRect(0, 0, 4, 4), clNone));
  EXPECT_EQ(GetRegionDataSize(nullptr), 0u);
}

// Region data of single rectangles, stretched, for a list of (left, right) source spans.
std::vector<std::pair<LONG, LONG>> StretchSpans(const std::vector<std::pair<LONG, LONG>>& spans, int sourceWidth,
                                                TNineGridMargins source, TNineGridMargins dest, int width) {
  std::vector<uint8_t> block(sizeof(RGNDATAHEADER) + spans.size() * sizeof(RECT));
  auto* data = reinterpret_cast<RGNDATA*>(block.data());
  data->rdh = {sizeof(RGNDATAHEADER), RDH_RECTANGLES, static_cast<DWORD>(spans.size()), 0, {1, 2, 3, 4}};
  auto* rects = reinterpret_cast<RECT*>(block.data() + sizeof(RGNDATAHEADER));
  for (size_t i = 0; i < spans.size(); ++i) rects[i] = {spans[i].first, 0, spans[i].second, 1};
  EXPECT_TRUE(StretchRegionData(data, TRect(0, 0, sourceWidth, 1), source, dest, width, 1));
  EXPECT_EQ(data->rdh.rcBound.left, 1);  // the header stays as it was
  std::vector<std::pair<LONG, LONG>> out;
  for (size_t i = 0; i < spans.size(); ++i) out.emplace_back(rects[i].left, rects[i].right);
  return out;
}

TEST(StretchRegionData, MapsEachAxisWithTheNineGridRules) {
  using Spans = std::vector<std::pair<LONG, LONG>>;
  const Spans spans{{0, 1}, {2, 5}, {8, 10}, {10, 11}};
  // The same size and margins change nothing.
  EXPECT_EQ(StretchSpans(spans, 10, {2, 2, 0, 0}, {2, 2, 0, 0}, 10), spans);
  // Wider: margins keep their size, the middle of 6 becomes 16.
  EXPECT_EQ(StretchSpans(spans, 10, {2, 2, 0, 0}, {2, 2, 0, 0}, 20), (Spans{{0, 1}, {2, 10}, {18, 20}, {20, 21}}));
  // Narrower than the margins: 8 + 8 shrink to 5 + 5 over 10 pixels.
  EXPECT_EQ(StretchSpans({{0, 8}, {12, 20}, {4, 16}}, 20, {8, 8, 0, 0}, {8, 8, 0, 0}, 10),
            (Spans{{0, 5}, {5, 10}, {4, 6}}));
}

// Destination margins that add up to 0 on a negative target never divide by them.
TEST(StretchRegionData, GuardsTheMarginDivisor) {
  using Spans = std::vector<std::pair<LONG, LONG>>;
  EXPECT_EQ(StretchSpans({{0, 10}}, 10, {0, 0, 0, 0}, {0, 0, 0, 0}, -4), (Spans{{0, -4}}));
  EXPECT_EQ(StretchSpans({{0, 10}}, 10, {3, 3, 0, 0}, {5, -5, 0, 0}, -2), (Spans{{0, -2}}));
}

}  // namespace
