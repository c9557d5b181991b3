// Locked pixels in each format, caller buffers with either stride sign, and the lock's errors.

#include "GdiplusTestSupport.h"

using namespace gdiplus_test;

namespace {

struct LockCase {
  const char* name;
  PixelFormat format;
  std::vector<uint8_t> expected;  // bytes of pixel (1, 0) locked in that format
};

// Test listings show the format's name instead of the record's bytes.
void PrintTo(const LockCase& lockCase, std::ostream* out) { *out << lockCase.name; }

class LockFormats : public ::testing::TestWithParam<LockCase> {};

// A 3x2 ARGB bitmap whose pixel (1, 0) is half-transparent orange (0x80FF8000).
GpBitmap* Sample() {
  return BitmapFromArgb(3, 2, {0xFF000000, 0x80FF8000, 0xFFFFFFFF, 0xFF102030, 0xFF405060, 0xFF708090});
}

TEST_P(LockFormats, ReadsConvertedPixelsAndWritesThemBack) {
  const LockCase& c = GetParam();
  GpBitmap* bitmap = Sample();
  BitmapData data{};
  ASSERT_EQ(GdipBitmapLockBits(bitmap, nullptr, ImageLockModeRead | ImageLockModeWrite, c.format, &data), Ok);
  EXPECT_EQ(data.PixelFormat, c.format);
  EXPECT_EQ(data.Width, 3u);
  EXPECT_EQ(data.Stride % 4, 0);
  size_t bytesPerPixel = GetPixelFormatSize(c.format) / 8;
  auto* pixel = static_cast<uint8_t*>(data.Scan0) + bytesPerPixel;
  EXPECT_EQ(std::vector<uint8_t>(pixel, pixel + bytesPerPixel), c.expected) << c.name;
  // Write pure blue into pixel (0, 1) in this format.
  uint8_t* target = static_cast<uint8_t*>(data.Scan0) + data.Stride;
  std::fill(target, target + bytesPerPixel, 0);
  target[0] = 0xFF;
  if (bytesPerPixel == 4) target[3] = 0xFF;
  ASSERT_EQ(GdipBitmapUnlockBits(bitmap, &data), Ok);
  std::vector<ARGB> pixels = ReadArgb(bitmap);
  EXPECT_EQ(pixels[3], 0xFF0000FFu) << c.name;
  EXPECT_EQ(pixels[4], 0xFF405060u) << c.name;  // neighbours untouched
  GdipDisposeImage(bitmap);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, LockFormats,
    ::testing::Values(LockCase{"argb", PixelFormat32bppARGB, {0x00, 0x80, 0xFF, 0x80}},
                      LockCase{"pargb", PixelFormat32bppPARGB, {0x00, 0x40, 0x80, 0x80}},
                      LockCase{"rgb32", PixelFormat32bppRGB, {0x00, 0x80, 0xFF, 0xFF}},
                      LockCase{"rgb24", PixelFormat24bppRGB, {0x00, 0x80, 0xFF}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LockBits, IndexedBitmapsLockAsIndices) {
  GpBitmap* bitmap = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromScan0(5, 1, 0, PixelFormat8bppIndexed, nullptr, &bitmap), Ok);
  BitmapData data{};
  ASSERT_EQ(GdipBitmapLockBits(bitmap, nullptr, ImageLockModeWrite, PixelFormat8bppIndexed, &data), Ok);
  uint8_t indices[5] = {0, 9, 10, 12, 15};  // black, red, green, blue, white in the default palette
  std::memcpy(data.Scan0, indices, 5);
  ASSERT_EQ(GdipBitmapUnlockBits(bitmap, &data), Ok);
  EXPECT_EQ(ReadArgb(bitmap), (std::vector<ARGB>{0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}));
  ASSERT_EQ(GdipBitmapLockBits(bitmap, nullptr, ImageLockModeRead, PixelFormat8bppIndexed, &data), Ok);
  EXPECT_EQ(static_cast<uint8_t*>(data.Scan0)[1], 9);
  GdipBitmapUnlockBits(bitmap, &data);
  GdipDisposeImage(bitmap);

  // A colour bitmap has no indices to lock.
  GpBitmap* colour = Sample();
  EXPECT_EQ(GdipBitmapLockBits(colour, nullptr, ImageLockModeRead, PixelFormat8bppIndexed, &data), InvalidParameter);
  GdipDisposeImage(colour);
}

TEST(LockBits, CallerBuffersWithNegativeStrideAreBottomUp) {
  GpBitmap* bitmap = Sample();
  // A bottom-up buffer: rows run backwards in memory, Scan0 is the top row at the end.
  std::vector<uint32_t> memory(2 * 4, 0xDEADBEEF);
  BitmapData data{};
  data.Scan0 = memory.data() + 4;  // row 0 lives in the second half
  data.Stride = -16;
  GpRect rect{1, 0, 2, 2};
  ASSERT_EQ(GdipBitmapLockBits(bitmap, &rect, ImageLockModeRead | ImageLockModeWrite | ImageLockModeUserInputBuf,
                               PixelFormat32bppARGB, &data),
            Ok);
  EXPECT_EQ(memory[4], 0x80FF8000u);  // (1, 0)
  EXPECT_EQ(memory[5], 0xFFFFFFFFu);  // (2, 0)
  EXPECT_EQ(memory[0], 0xFF405060u);  // (1, 1)
  EXPECT_EQ(memory[2], 0xDEADBEEFu);  // beyond the locked width: untouched
  memory[1] = 0xFF00FF00;              // (2, 1)
  ASSERT_EQ(GdipBitmapUnlockBits(bitmap, &data), Ok);
  EXPECT_EQ(ReadArgb(bitmap)[5], 0xFF00FF00u);

  // A caller buffer too narrow for the rectangle is refused.
  data.Stride = 4;
  EXPECT_EQ(GdipBitmapLockBits(bitmap, &rect, ImageLockModeRead | ImageLockModeUserInputBuf, PixelFormat32bppARGB, &data),
            InvalidParameter);
  GdipDisposeImage(bitmap);
}

TEST(LockBits, Errors) {
  GpBitmap* bitmap = Sample();
  BitmapData data{};
  struct {
    GpRect rect;
    UINT flags;
    PixelFormat format;
  } refused[] = {
      {{0, 0, 4, 2}, ImageLockModeRead, PixelFormat32bppARGB},   // wider than the bitmap
      {{-1, 0, 1, 1}, ImageLockModeRead, PixelFormat32bppARGB},  // outside
      {{0, 0, 0, 1}, ImageLockModeRead, PixelFormat32bppARGB},   // empty
      {{0, 0, 1, 1}, 0, PixelFormat32bppARGB},                   // neither read nor write
      {{0, 0, 1, 1}, ImageLockModeRead, 0x12345},                // no such format
  };
  for (const auto& c : refused) EXPECT_EQ(GdipBitmapLockBits(bitmap, &c.rect, c.flags, c.format, &data), InvalidParameter);
  ASSERT_EQ(GdipBitmapLockBits(bitmap, nullptr, ImageLockModeRead, PixelFormat32bppARGB, &data), Ok);
  BitmapData second{};
  EXPECT_EQ(GdipBitmapLockBits(bitmap, nullptr, ImageLockModeRead, PixelFormat32bppARGB, &second), WrongState);
  GpGraphics* graphics = nullptr;
  EXPECT_EQ(GdipGetImageGraphicsContext(bitmap, &graphics), WrongState);
  Bytes bytes;
  EXPECT_EQ(Save(bitmap, EncoderClsidPNG, &bytes), WrongState);
  ASSERT_EQ(GdipBitmapUnlockBits(bitmap, &data), Ok);
  EXPECT_EQ(GdipBitmapUnlockBits(bitmap, &data), WrongState);
  GdipDisposeImage(bitmap);
}

TEST(LockBits, Scan0BitmapsCopyRowsWithEitherStrideSign) {
  uint32_t rows[2][2] = {{0xFF111111, 0xFF222222}, {0xFF333333, 0xFF444444}};
  GpBitmap* bitmap = nullptr;
  // Negative stride from the last row: the bitmap is the rows upside down.
  ASSERT_EQ(GdipCreateBitmapFromScan0(2, 2, -8, PixelFormat32bppARGB, reinterpret_cast<BYTE*>(rows[1]), &bitmap), Ok);
  EXPECT_EQ(ReadArgb(bitmap), (std::vector<ARGB>{0xFF333333, 0xFF444444, 0xFF111111, 0xFF222222}));
  GdipDisposeImage(bitmap);
  EXPECT_EQ(GdipCreateBitmapFromScan0(2, 2, 4, PixelFormat32bppARGB, reinterpret_cast<BYTE*>(rows), &bitmap),
            InvalidParameter);
  EXPECT_EQ(GdipCreateBitmapFromScan0(0, 2, 0, PixelFormat32bppARGB, nullptr, &bitmap), InvalidParameter);
  EXPECT_EQ(GdipCreateBitmapFromScan0(100000, 100000, 0, PixelFormat32bppARGB, nullptr, &bitmap), OutOfMemory);
}

TEST(LockBits, PaletteSizeGetAndSet) {
  GpBitmap* bitmap = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromScan0(2, 2, 0, PixelFormat8bppIndexed, nullptr, &bitmap), Ok);
  INT size = 0;
  ASSERT_EQ(GdipGetImagePaletteSize(bitmap, &size), Ok);
  EXPECT_EQ(size, 8 + 256 * 4);
  std::vector<uint8_t> block(size);
  auto* palette = reinterpret_cast<ColorPalette*>(block.data());
  EXPECT_EQ(GdipGetImagePalette(bitmap, palette, size - 4), InvalidParameter);
  ASSERT_EQ(GdipGetImagePalette(bitmap, palette, size), Ok);
  EXPECT_EQ(palette->Count, 256u);
  palette->Entries[0] = 0xFF123456;
  ASSERT_EQ(GdipSetImagePalette(bitmap, palette), Ok);
  EXPECT_EQ(ReadArgb(bitmap)[0], 0xFF123456u);
  palette->Count = 0;
  EXPECT_EQ(GdipSetImagePalette(bitmap, palette), InvalidParameter);
  GdipDisposeImage(bitmap);
}

}  // namespace
