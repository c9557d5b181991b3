#include "program/imaging/ColorBlend.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "vcl/Graphics.h"

// Test listings show the variant's name instead of its bytes (found by argument-dependent
// lookup, so it lives beside the enum in the global namespace).
static void PrintTo(TBlendVariant variant, std::ostream* out) {
  *out << (variant == TBlendVariant::Plain ? "Plain" : "Sse2");
}

namespace {

uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return (a << 24) | (r << 16) | (g << 8) | b; }

std::unique_ptr<TBitmap> Bitmap(int width, int height, uint32_t fill, TPixelFormat format = pf32bit) {
  auto bitmap = std::make_unique<TBitmap>(width, height, format);
  if (format == pf32bit)
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) static_cast<uint32_t*>(bitmap->ScanLine(y))[x] = fill;
  return bitmap;
}

uint32_t& Pixel(TBitmap& bitmap, int x, int y) { return static_cast<uint32_t*>(bitmap.ScanLine(y))[x]; }

// Restores the start-up choice after a test that switched the table.
class BlendVariantTest : public ::testing::TestWithParam<TBlendVariant> {
 protected:
  void SetUp() override {
    if (!SelectBlendRoutines(GetParam())) GTEST_SKIP() << "this processor has no SSE2";
  }
  void TearDown() override { SelectBlendRoutines(); }
};

TEST(ColorBlendStartup, PicksSse2OnAProcessorThatHasIt) {
#if defined(__SSE2__)
  EXPECT_EQ(SelectedBlendVariant(), TBlendVariant::Sse2);
#else
  EXPECT_EQ(SelectedBlendVariant(), TBlendVariant::Plain);
#endif
}

// Known results, the same for either variant.
TEST_P(BlendVariantTest, KnownPixels) {
  const uint32_t f = Argb(128, 200, 100, 50);
  EXPECT_EQ(BlendColor(f, 0), Argb(64, 100, 50, 25));
  EXPECT_EQ(BlendColor(Argb(255, 1, 2, 3), Argb(9, 9, 9, 9)), Argb(255, 1, 2, 3));
  EXPECT_EQ(BlendColor(Argb(0, 1, 2, 3), Argb(9, 9, 9, 9)), Argb(9, 9, 9, 9));
  EXPECT_EQ(MixColor(Argb(255, 255, 255, 255), 0, 255), Argb(255, 255, 255, 255));
  EXPECT_EQ(MixColor(Argb(255, 255, 255, 255), 7, 0), 7u);

  uint32_t y = Argb(200, 0, 0, 0);
  MixColorTo(Argb(255, 200, 100, 50), y, 128);
  EXPECT_EQ(y, Argb(0, 100, 50, 25));  // the mixed form drops alpha

  // Master alpha 255: the weight is the source alpha itself; alpha comes out 0.
  EXPECT_EQ(BlendColorEx(f, 0, 255), Argb(0, 100, 50, 25));
  // A weight that rounds to 0 keeps the background, alpha included.
  EXPECT_EQ(BlendColorEx(Argb(1, 255, 255, 255), Argb(77, 1, 2, 3), 100), Argb(77, 1, 2, 3));

  // Row forms: alpha 0 keeps the destination, 255 copies the source exactly.
  std::vector<uint32_t> source{Argb(0, 1, 2, 3), Argb(255, 4, 5, 6), Argb(0, 7, 8, 9), Argb(255, 10, 11, 12),
                               Argb(0, 13, 14, 15)};
  std::vector<uint32_t> dest(source.size(), Argb(99, 98, 97, 96));
  BlendRow(source.data(), dest.data(), static_cast<int>(source.size()));
  EXPECT_EQ(dest, (std::vector<uint32_t>{Argb(99, 98, 97, 96), Argb(255, 4, 5, 6), Argb(99, 98, 97, 96),
                                         Argb(255, 10, 11, 12), Argb(99, 98, 97, 96)}));
  std::vector<uint32_t> untouched(dest);
  BlendRow(source.data(), dest.data(), 0);
  BlendRowEx(source.data(), dest.data(), -3, 255);
  EXPECT_EQ(dest, untouched);
}

INSTANTIATE_TEST_SUITE_P(Variants, BlendVariantTest, ::testing::Values(TBlendVariant::Plain, TBlendVariant::Sse2),
                         [](const auto& info) { return info.param == TBlendVariant::Plain ? "Plain" : "Sse2"; });

// Every slot of the SSE2 table gives the plain table's pixels, on random colours with the
// alphas and weights at and next to the edges, and on rows long and short (four-pixel steps
// and the remainder).
TEST(ColorBlendVariants, Sse2MatchesPlainOnRandomPixelsAndEdgeAlphas) {
  const TBlendRoutines* plain = BlendRoutinesOf(TBlendVariant::Plain);
  const TBlendRoutines* sse2 = BlendRoutinesOf(TBlendVariant::Sse2);
  if (!sse2) GTEST_SKIP() << "this processor has no SSE2";

  std::mt19937 random(20240611);
  const uint32_t edges[] = {0, 1, 2, 127, 128, 129, 254, 255};
  auto randomPixel = [&] {
    uint32_t pixel = random();
    if (random() % 2) pixel = (pixel & 0x00FFFFFF) | (edges[random() % 8] << 24);
    return pixel;
  };
  for (int i = 0; i < 20000; ++i) {
    uint32_t f = randomPixel();
    uint32_t b = randomPixel();
    auto w = static_cast<uint8_t>(i % 3 ? random() : edges[random() % 8]);
    ASSERT_EQ(plain->MixColor(f, b, w), sse2->MixColor(f, b, w)) << std::hex << f << " " << b << " " << +w;
    ASSERT_EQ(plain->BlendColor(f, b), sse2->BlendColor(f, b)) << std::hex << f << " " << b;
    ASSERT_EQ(plain->BlendColorEx(f, b, w), sse2->BlendColorEx(f, b, w)) << std::hex << f << " " << b << " " << +w;
    uint32_t p = b, s = b;
    plain->MixColorTo(f, p, w), sse2->MixColorTo(f, s, w);
    ASSERT_EQ(p, s);
    p = b, s = b;
    plain->BlendColorTo(f, p), sse2->BlendColorTo(f, s);
    ASSERT_EQ(p, s);
    p = b, s = b;
    plain->BlendColorExTo(f, p, w), sse2->BlendColorExTo(f, s, w);
    ASSERT_EQ(p, s);
  }
  for (int count = 0; count <= 37; ++count) {
    for (uint32_t master : {0u, 1u, 128u, 254u, 255u}) {
      std::vector<uint32_t> source(count), dest(count);
      for (auto& pixel : source) pixel = randomPixel();
      for (auto& pixel : dest) pixel = randomPixel();
      auto plainRow = dest, sse2Row = dest;
      plain->BlendRow(source.data(), plainRow.data(), count);
      sse2->BlendRow(source.data(), sse2Row.data(), count);
      ASSERT_EQ(plainRow, sse2Row) << "BlendRow of " << count;
      plainRow = dest, sse2Row = dest;
      plain->BlendRowEx(source.data(), plainRow.data(), count, static_cast<uint8_t>(master));
      sse2->BlendRowEx(source.data(), sse2Row.data(), count, static_cast<uint8_t>(master));
      ASSERT_EQ(plainRow, sse2Row) << "BlendRowEx of " << count << " with " << master;
    }
  }
}

TEST(BlendBitmaps, RefusesAnythingButTwo32BitBitmaps) {
  auto dest = Bitmap(4, 4, Argb(255, 10, 20, 30), pf24bit);
  auto source = Bitmap(4, 4, Argb(255, 200, 200, 200));
  std::vector<uint8_t> before(static_cast<uint8_t*>(dest->ScanLine(0)), static_cast<uint8_t*>(dest->ScanLine(0)) + 12);
  EXPECT_FALSE(BlendBitmaps(dest.get(), source.get(), 0, 0, 4, 4, 0, 0, 255));
  EXPECT_FALSE(BlendBitmaps(source.get(), dest.get(), 0, 0, 4, 4, 0, 0, 255));
  EXPECT_EQ(std::vector<uint8_t>(static_cast<uint8_t*>(dest->ScanLine(0)), static_cast<uint8_t*>(dest->ScanLine(0)) + 12),
            before);
  EXPECT_FALSE(BlendBitmaps(nullptr, source.get(), 0, 0, 1, 1, 0, 0, 255));
}

// A block that hangs over the edges of both bitmaps blends only the pixels inside both.
TEST(BlendBitmaps, ClipsTheBlockToBothBitmaps) {
  const uint32_t red = Argb(255, 255, 0, 0);
  const uint32_t blue = Argb(255, 0, 0, 255);
  auto dest = Bitmap(4, 3, blue);
  auto source = Bitmap(3, 5, red);
  // Source (-1, 2) to (5, 8) onto dest (1, -1): the overlap is source columns 0-1, rows 3-4,
  // landing on dest columns 2-3, rows 0-1.
  EXPECT_TRUE(BlendBitmaps(dest.get(), source.get(), 1, 2, 6, 6, -1, -1, 255));
  const uint32_t blended = BlendRoutinesOf(TBlendVariant::Plain)->BlendColorEx(red, blue, 255);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      bool inside = x >= 2 && y <= 1;
      EXPECT_EQ(Pixel(*dest, x, y), inside ? blended : blue) << x << "," << y;
    }
  EXPECT_TRUE(BlendBitmaps(dest.get(), source.get(), 100, 0, 5, 5, 0, 0, 255));  // nothing overlaps
}

struct BlendCanvas {
  explicit BlendCanvas(std::unique_ptr<TBitmap> owned) : bitmap(std::move(owned)), lock(bitmap->Canvas()) {}
  HDC DC() { return bitmap->Canvas()->Handle(); }
  std::unique_ptr<TBitmap> bitmap;
  TCanvasLock lock;
};

constexpr uint32_t kPerPixel = BlendFunctionValue({AC_SRC_OVER, 0, 255, AC_SRC_ALPHA});

TEST(AlphaBlendDC, BlendsInTheDibMemoryWithWindowOrigins) {
  BlendCanvas dest(Bitmap(6, 4, Argb(255, 0, 0, 0)));
  BlendCanvas source(Bitmap(3, 3, Argb(255, 0, 0, 0)));
  Pixel(*source.bitmap, 1, 1) = Argb(255, 255, 255, 255);
  Pixel(*source.bitmap, 2, 1) = Argb(0, 255, 255, 255);
  Pixel(*source.bitmap, 1, 2) = Argb(128, 200, 100, 50);
  SetWindowOrgEx(source.DC(), 10, 20, nullptr);
  SetWindowOrgEx(dest.DC(), -1, 0, nullptr);
  // Source logical (11, 21) is pixel (1, 1); dest logical (2, 1) is pixel (3, 1).
  ASSERT_TRUE(AlphaBlendDC(dest.DC(), 2, 1, 2, 2, source.DC(), 11, 21, 2, 2, kPerPixel));
  EXPECT_EQ(Pixel(*dest.bitmap, 3, 1), Argb(255, 255, 255, 255));
  EXPECT_EQ(Pixel(*dest.bitmap, 4, 1), Argb(255, 0, 0, 0));
  EXPECT_EQ(Pixel(*dest.bitmap, 3, 2), BlendRoutinesOf(TBlendVariant::Plain)->BlendColor(Argb(128, 200, 100, 50), Argb(255, 0, 0, 0)));
  EXPECT_EQ(Pixel(*dest.bitmap, 2, 1), Argb(255, 0, 0, 0));

  // Constant alpha alone: every channel ((S - D) x A + 256 x D) shr 8.
  ASSERT_TRUE(AlphaBlendDC(dest.DC(), -1, 0, 1, 1, source.DC(), 11, 21, 1, 1,
                           BlendFunctionValue({AC_SRC_OVER, 0, 64, AC_SRC_OVER})));
  EXPECT_EQ(Pixel(*dest.bitmap, 0, 0), Argb(255, 63, 63, 63));
}

// Empty sizes are refused; a format with no blend of its own is done by drawing nothing, on
// the direct path and on the detour alike. The destination never changes.
TEST(AlphaBlendDC, EmptySizesFailAndUnknownFormatsDrawNothing) {
  BlendCanvas dest(Bitmap(2, 2, Argb(255, 1, 1, 1)));
  BlendCanvas source(Bitmap(2, 2, Argb(255, 9, 9, 9)));
  struct Case {
    int width, height, sourceWidth, sourceHeight;
    uint32_t blend;
    bool result;
  } cases[] = {
      {2, 2, 0, 2, kPerPixel, false},
      {2, 2, 2, -1, kPerPixel, false},
      {2, 0, 2, 2, kPerPixel, false},
      {0, 1, 2, 2, kPerPixel, false},
      {2, 2, 2, 2, BlendFunctionValue({0, 0, 255, 7}), true},
      {2, 2, 1, 1, BlendFunctionValue({0, 0, 128, 2}), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " from " << c.sourceWidth << "x"
                                      << c.sourceHeight << " format " << (c.blend >> 24));
    EXPECT_EQ(AlphaBlendDC(dest.DC(), 0, 0, c.width, c.height, source.DC(), 0, 0, c.sourceWidth, c.sourceHeight,
                           c.blend),
              c.result);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 2; ++x) EXPECT_EQ(Pixel(*dest.bitmap, x, y), Argb(255, 1, 1, 1));
  }
}

// Rectangles that reach past both DIB sections touch only the pixels inside them.
TEST(AlphaBlendDC, ClipsToBothDibSections) {
  BlendCanvas dest(Bitmap(3, 3, Argb(255, 0, 0, 0)));
  BlendCanvas source(Bitmap(2, 2, Argb(255, 255, 255, 255)));
  ASSERT_TRUE(AlphaBlendDC(dest.DC(), 1, -2, 50, 50, source.DC(), -1, -1, 50, 50, kPerPixel));
  // Source pixel (0, 0) is at offset (1, 1) of the block: dest (2, -1), outside. Source (0..1,
  // 1) land on dest row 0 at columns 2..3; only column 2 exists.
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(Pixel(*dest.bitmap, x, y), x == 2 && y == 0 ? Argb(255, 255, 255, 255) : Argb(255, 0, 0, 0))
          << x << "," << y;
}

// A 24-bit destination is not read as 32-bit memory: it goes through the temporary bitmaps
// and comes out blended.
TEST(AlphaBlendDC, TakesTheDirectPathOnlyForTwo32BitSections) {
  auto destBitmap = std::make_unique<TBitmap>(4, 2, pf24bit);
  for (int y = 0; y < 2; ++y) {
    auto* row = static_cast<uint8_t*>(destBitmap->ScanLine(y));
    for (int i = 0; i < 12; ++i) row[i] = 100;
  }
  BlendCanvas dest(std::move(destBitmap));
  BlendCanvas source(Bitmap(4, 2, Argb(255, 200, 200, 200)));
  ASSERT_TRUE(AlphaBlendDC(dest.DC(), 0, 0, 4, 2, source.DC(), 0, 0, 4, 2,
                           BlendFunctionValue({AC_SRC_OVER, 0, 128, AC_SRC_OVER})));
  for (int y = 0; y < 2; ++y) {
    auto* row = static_cast<uint8_t*>(dest.bitmap->ScanLine(y));
    for (int i = 0; i < 12; ++i) EXPECT_EQ(row[i], 150) << y << ":" << i;
  }
}

TEST(AlphaBlendDC, StretchesASourceOfAnotherSize) {
  BlendCanvas dest(Bitmap(4, 4, Argb(255, 0, 0, 0)));
  BlendCanvas source(Bitmap(2, 2, Argb(255, 255, 255, 255)));
  Pixel(*source.bitmap, 1, 1) = Argb(0, 255, 255, 255);
  ASSERT_TRUE(AlphaBlendDC(dest.DC(), 0, 0, 4, 4, source.DC(), 0, 0, 2, 2, kPerPixel));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(Pixel(*dest.bitmap, x, y) & 0x00FFFFFF, x >= 2 && y >= 2 ? 0u : 0x00FFFFFFu) << x << "," << y;
}

// The detour reports its own failure: a destination DC that cannot be drawn on gives false.
TEST(AlphaBlendDC, ReportsAFailedDetour) {
  BlendCanvas source(Bitmap(2, 2, Argb(255, 255, 255, 255)));
  HDC gone = CreateCompatibleDC(nullptr);
  DeleteDC(gone);
  EXPECT_FALSE(AlphaBlendDC(gone, 0, 0, 2, 2, source.DC(), 0, 0, 2, 2, kPerPixel));
  EXPECT_FALSE(AlphaBlendDC(gone, 0, 0, 4, 4, source.DC(), 0, 0, 2, 2, kPerPixel));
}

}  // namespace
