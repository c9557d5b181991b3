#include "program/imaging/Quantize.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "ImagingTestSupport.h"
#include "program/imaging/QuantizeDither.h"
#include "rtl/Exceptions.h"

namespace {

class QuantizeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    GdiplusStartupInput input;
    ASSERT_EQ(GdiplusStartup(&s_token, &input, nullptr), Ok);
  }
  static void TearDownTestSuite() { GdiplusShutdown(s_token); }

  // A 32-bit ARGB GDI+ bitmap of the given pixels, row after row.
  static std::unique_ptr<TGPBitmap> Image(int width, int height, const std::vector<uint32_t>& pixels) {
    return std::unique_ptr<TGPBitmap>(imaging_test::BitmapFromArgb(width, height, pixels));
  }

  struct Indexed {
    int width = 0;
    int height = 0;
    PixelFormat format = 0;
    std::vector<uint8_t> indexes;
    std::vector<uint32_t> palette;
    uint32_t ColorAt(int x, int y) const { return palette.at(indexes.at(static_cast<size_t>(y * width + x))); }
  };

  static Indexed Read(TGPBitmap& bitmap) {
    Indexed result;
    result.format = bitmap.GetPixelFormat();
    result.width = static_cast<int>(bitmap.GetWidth());
    result.height = static_cast<int>(bitmap.GetHeight());
    TGPLockedBits locked(bitmap, GpRect{0, 0, result.width, result.height}, ImageLockModeRead,
                         PixelFormat8bppIndexed);
    for (int y = 0; y < result.height; ++y)
      for (int x = 0; x < result.width; ++x) result.indexes.push_back(locked.ScanLine(y)[x]);
    locked.Unlock();
    INT size = 0;
    GdipGetImagePaletteSize(bitmap.NativeImage(), &size);
    TGPColorPalette palette(size);
    EXPECT_EQ(GdipGetImagePalette(bitmap.NativeImage(), palette.Palette(), palette.ByteSize()), Ok);
    for (UINT i = 0; i < palette.Count(); ++i) result.palette.push_back(palette.Entry(i));
    return result;
  }

  static Indexed Quantized(int width, int height, const std::vector<uint32_t>& pixels) {
    TOctreeQuantizer quantizer(255, 8);
    auto image = Image(width, height, pixels);
    std::unique_ptr<TGPBitmap> output = quantizer.Quantize(image.get());
    EXPECT_TRUE(output);
    return output ? Read(*output) : Indexed{};
  }

  static inline ULONG_PTR s_token = 0;
};

TEST_F(QuantizeTest, RejectsColourCountsAndDepthsOutOfRange) {
  struct Case {
    int colors, bits;
    const char* message;
  };
  const Case cases[] = {{256, 8, "The number of colors should be less than 256"},
                        {255, 9, "This should be between 1 and 8"},
                        {300, 0, "The number of colors should be less than 256"},
                        {0, 8, "The number of colors should be at least 1"},
                        {-5, 8, "The number of colors should be at least 1"},
                        {1, 1, nullptr},
                        {255, 8, nullptr}};
  for (const Case& c : cases) {
    if (!c.message) {
      EXPECT_NO_THROW(TOctreeQuantizer(c.colors, c.bits));
      continue;
    }
    try {
      TOctreeQuantizer quantizer(c.colors, c.bits);
      ADD_FAILURE() << c.colors << ", " << c.bits << " accepted";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

// A smooth two-way gradient has far more colours than the palette: the result stays close.
TEST_F(QuantizeTest, StaysCloseToAGradient) {
  const int width = 96, height = 64;
  std::vector<uint32_t> pixels;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels.push_back(0xFF000000u | uint32_t(x * 255 / (width - 1)) << 16 | uint32_t(y * 255 / (height - 1)) << 8 |
                       uint32_t((x + y) * 255 / (width + height - 2)));
  Indexed out = Quantized(width, height, pixels);
  EXPECT_EQ(out.format, PixelFormat8bppIndexed);
  ASSERT_EQ(out.width, width);
  ASSERT_EQ(out.height, height);

  double total = 0;
  std::set<uint8_t> used;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t want = pixels[static_cast<size_t>(y * width + x)];
      const uint32_t got = out.ColorAt(x, y);
      used.insert(out.indexes[static_cast<size_t>(y * width + x)]);
      for (int shift : {0, 8, 16}) {
        const int error = std::abs(int((want >> shift) & 0xFF) - int((got >> shift) & 0xFF));
        total += error;
      }
    }
  // Nearly every 4 x 4 block keeps its mean colour closely.
  std::vector<uint32_t> colours;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) colours.push_back(out.ColorAt(x, y));
  const std::vector<double> errors = imaging_test::BlockErrors(pixels, colours, width, height);
  const auto blocks = static_cast<int>(errors.size());
  const auto closeBlocks = static_cast<int>(std::count_if(errors.begin(), errors.end(), [](double e) { return e < 9; }));
  EXPECT_LT(total / (width * height * 3), 8.0);
  EXPECT_GE(closeBlocks * 100, blocks * 95);
  EXPECT_GT(used.size(), 100u);
  EXPECT_LE(used.size(), 254u);
  EXPECT_EQ(out.palette.at(255), 0xFF000000u);  // the transparent pixels' entry
}

// Few colours come through exactly, and one colour is entry 0 everywhere; one pixel wide
// images turn back at column 0.
TEST_F(QuantizeTest, KeepsFewColoursExactly) {
  {
    Indexed out = Quantized(3, 2, std::vector<uint32_t>(6, 0xFF3366CC));
    EXPECT_EQ(out.palette.at(0), 0xFF3366CCu);
    EXPECT_EQ(out.indexes, std::vector<uint8_t>(6, 0));
  }
  {
    std::vector<uint32_t> pixels;
    for (uint32_t i = 0; i < 254; ++i) pixels.push_back(0xFF000000u | (i * 97 % 256) << 16 | (i * 13 % 256) << 8 | i);
    Indexed out = Quantized(254, 1, pixels);
    for (int x = 0; x < 254; ++x) ASSERT_EQ(out.ColorAt(x, 0), pixels[static_cast<size_t>(x)]) << x;
  }
  {
    const std::vector<uint32_t> pixels{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFF000000};
    Indexed out = Quantized(1, 5, pixels);
    for (int y = 0; y < 5; ++y) EXPECT_EQ(out.ColorAt(0, y), pixels[static_cast<size_t>(y)]) << y;
  }
}

// Fully transparent pixels take entry 255, which becomes transparent; their stored colour is
// neither counted nor dithered, so the opaque colours around them still come through exactly.
TEST_F(QuantizeTest, TransparentPixelsTakeTheTransparentEntry) {
  struct Case {
    const char* name;
    int width, height;
    std::vector<uint32_t> pixels;
  };
  const uint32_t red = 0xFFC02010, teal = 0xFF1090A0, hole = 0x00000000, tinted = 0x00FF00FF;
  const Case cases[] = {
      {"a hole in a two-colour picture", 6, 4,
       {red, red, red, teal, teal, teal,     //
        red, hole, hole, tinted, teal, teal,  //
        red, hole, tinted, hole, teal, teal,  //
        red, red, red, teal, teal, teal}},
      {"nothing but transparency", 3, 2, std::vector<uint32_t>(6, tinted)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Indexed out = Quantized(c.width, c.height, c.pixels);
    ASSERT_EQ(out.indexes.size(), c.pixels.size());
    EXPECT_EQ(out.palette.at(255), 0x00000000u);
    for (size_t i = 0; i < c.pixels.size(); ++i) {
      const int x = static_cast<int>(i) % c.width, y = static_cast<int>(i) / c.width;
      if ((c.pixels[i] >> 24) == 0) {
        EXPECT_EQ(out.indexes[i], 255) << x << "," << y;
      } else {
        EXPECT_EQ(out.ColorAt(x, y), c.pixels[i]) << x << "," << y;
      }
    }
  }
}

// No image, or an image GDI+ cannot read, raises the object layer's exception of the status.
TEST_F(QuantizeTest, ReportsAFailingImage) {
  TOctreeQuantizer quantizer(255, 8);
  EXPECT_THROW(quantizer.Quantize(nullptr), Exception);
  TGPImage unreadable(nullptr, Ok);
  try {
    quantizer.Quantize(&unreadable);
    ADD_FAILURE() << "an image without pixels was quantized";
  } catch (const ArgumentException& e) {
    EXPECT_EQ(e.Message(), "GdiplusInvalidParameter");
  }
  EXPECT_EQ(unreadable.GetLastStatus(), InvalidParameter);
}

TEST(Octree, ANodeWithoutChildrenAnswersIndexZero) {
  TOctree tree(8);
  uint32_t color = 0x12345678;
  EXPECT_EQ(tree.FindIndex(0xFFABCDEF, color), 0);
  EXPECT_EQ(color, 0xFF000000u);
  EXPECT_TRUE(tree.BuildPalette(10).empty());
}

TEST(Octree, ReducesToTheColourCountAndFindsTheNearestLeaf) {
  TOctree tree(8);
  for (uint32_t i = 0; i < 64; ++i) tree.Insert(0xFF000000u | (i * 4) << 16 | 0x8000 | (255 - i * 4));
  EXPECT_EQ(tree.Leaves(), 64);
  std::vector<uint32_t> palette = tree.BuildPalette(16);
  EXPECT_LE(palette.size(), 16u);
  EXPECT_EQ(static_cast<int>(palette.size()), tree.Leaves());
  for (uint32_t i = 0; i < 64; ++i) {
    uint32_t color = 0;
    const uint32_t pixel = 0xFF000000u | (i * 4) << 16 | 0x8000 | (255 - i * 4);
    const int index = tree.FindIndex(pixel, color);
    ASSERT_LT(index, static_cast<int>(palette.size()));
    EXPECT_EQ(color, palette[static_cast<size_t>(index)]);
    EXPECT_LE(std::abs(int((color >> 16) & 0xFF) - int(i * 4)), 32) << i;
  }
  // Folding everything leaves the root; one more fold has nothing left.
  EXPECT_EQ(tree.BuildPalette(0).size(), 1u);
  EXPECT_FALSE(tree.ReduceOne());
}

// A grey ramp to black and white: records what the lookup is asked, to follow the error
// spread and the turn at the end of each row.
class ThresholdLookup : public TColorLookup {
 public:
  int32_t Match(uint8_t R, uint8_t G, uint8_t B, uint8_t& OutR, uint8_t& OutG, uint8_t& OutB) override {
    asked.push_back(R);
    const uint8_t value = R >= 128 ? 255 : 0;
    OutR = OutG = OutB = value;
    (void)G, (void)B;
    return value ? 1 : 0;
  }
  std::vector<int> asked;
};

TEST(StuckiDitherer, SpreadsTheErrorAheadAndBelowInAlternatingDirections) {
  ThresholdLookup lookup;
  TStuckiDitherer ditherer(3, &lookup);
  std::vector<int> columns;
  for (int row = 0; row < 2; ++row) {
    while (ditherer.Column() >= 0 && ditherer.Column() < 3) {
      columns.push_back(ditherer.Column());
      uint8_t r, g, b;
      ditherer.DitherPixel(100, 100, 100, r, g, b);
    }
    ditherer.NextRow();
  }
  EXPECT_EQ(columns, (std::vector<int>{0, 1, 2, 2, 1, 0}));
  // 100 -> black (error 100, 800 to the next pixel) -> 100 + 19 = 119 -> black -> 100 + (400 +
  // 952 + 21) / 42 = 132 -> white (error -123). Row 2 starts at column 2 with 200 + 476 - 984
  // = -308: 100 + (-287 / 42, truncated) = 94.
  ASSERT_GE(lookup.asked.size(), 4u);
  EXPECT_EQ(std::vector<int>(lookup.asked.begin(), lookup.asked.begin() + 4), (std::vector<int>{100, 119, 132, 94}));
}

}  // namespace
