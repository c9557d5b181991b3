// Graphics over images: clearing, scaled drawing with source rectangles, colour keys, colour
// matrices, modes and saved states.

#include <filesystem>

#include "GdiplusTestSupport.h"

using namespace gdiplus_test;

namespace {

struct Canvas {
  GpBitmap* bitmap = nullptr;
  GpGraphics* graphics = nullptr;
  Canvas(int width, int height, ARGB background) {
    EXPECT_EQ(GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &bitmap), Ok);
    EXPECT_EQ(GdipGetImageGraphicsContext(bitmap, &graphics), Ok);
    EXPECT_EQ(GdipGraphicsClear(graphics, background), Ok);
  }
  ~Canvas() {
    GdipDeleteGraphics(graphics);
    GdipDisposeImage(bitmap);
  }
};

TEST(Graphics, ClearAndNearestNeighbourScalingOfASourceRectangle) {
  Canvas canvas(4, 4, 0x00FFFFFF);
  EXPECT_EQ(ReadArgb(canvas.bitmap)[0], 0u);  // a fully transparent pixel keeps no colour
  GpBitmap* source = BitmapFromArgb(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF});
  ASSERT_EQ(GdipSetInterpolationMode(canvas.graphics, InterpolationModeNearestNeighbor), Ok);
  // The right column of the source (green over white) stretched over the left half.
  ASSERT_EQ(GdipDrawImageRectRectI(canvas.graphics, source, 0, 0, 2, 4, 1, 0, 1, 2, UnitPixel, nullptr, nullptr, nullptr),
            Ok);
  std::vector<ARGB> pixels = ReadArgb(canvas.bitmap);
  EXPECT_EQ(pixels[0], 0xFF00FF00u);
  EXPECT_EQ(pixels[1 * 4 + 1], 0xFF00FF00u);
  EXPECT_EQ(pixels[3 * 4 + 0], 0xFFFFFFFFu);
  EXPECT_EQ(pixels[3], 0u);  // right half untouched
  // Whole image into the right half at 1:1.
  ASSERT_EQ(GdipDrawImageRectI(canvas.graphics, source, 2, 2, 2, 2), Ok);
  pixels = ReadArgb(canvas.bitmap);
  EXPECT_EQ(pixels[2 * 4 + 2], 0xFFFF0000u);
  EXPECT_EQ(pixels[3 * 4 + 3], 0xFFFFFFFFu);
  EXPECT_EQ(GdipDrawImageRectRectI(canvas.graphics, source, 0, 0, 2, 2, 0, 0, 2, 2, UnitInch, nullptr, nullptr, nullptr),
            NotImplemented);
  auto abort = [](void*) -> BOOL { return TRUE; };
  EXPECT_EQ(GdipDrawImageRectRectI(canvas.graphics, source, 0, 0, 2, 2, 0, 0, 2, 2, UnitPixel, nullptr, abort, nullptr),
            Aborted);
  GdipDisposeImage(source);
}

TEST(Graphics, TranslucentImagesBlendOverTheTarget) {
  Canvas canvas(1, 1, 0xFF0000FF);
  GpBitmap* source = BitmapFromArgb(1, 1, {0x80FF0000});
  ASSERT_EQ(GdipDrawImageRectI(canvas.graphics, source, 0, 0, 1, 1), Ok);
  EXPECT_TRUE(Near(ReadArgb(canvas.bitmap)[0], 0xFF80007F, 1));
  GdipDisposeImage(source);
}

TEST(Graphics, ColourKeyAndColourMatrixOnKnownPixels) {
  GpBitmap* source = BitmapFromArgb(3, 1, {0xFFFF0000, 0xFFFF00FF, 0x80102030});
  GpImageAttributes* attributes = nullptr;
  ASSERT_EQ(GdipCreateImageAttributes(&attributes), Ok);
  // Magenta is the colour key; everything else goes gray (0.299 R + 0.587 G + 0.114 B).
  ASSERT_EQ(GdipSetImageAttributesColorKeys(attributes, ColorAdjustTypeDefault, TRUE, 0xFFFF00FF, 0xFFFF00FF), Ok);
  ColorMatrix gray{};
  for (int column = 0; column < 3; ++column) gray.m[0][column] = 0.299f, gray.m[1][column] = 0.587f, gray.m[2][column] = 0.114f;
  gray.m[3][3] = 1, gray.m[4][4] = 1;
  ASSERT_EQ(GdipSetImageAttributesColorMatrix(attributes, ColorAdjustTypeBitmap, TRUE, &gray, nullptr,
                                              ColorMatrixFlagsDefault),
            Ok);
  // The bitmap settings replace the default ones: the key must be set for bitmaps too.
  ASSERT_EQ(GdipSetImageAttributesColorKeys(attributes, ColorAdjustTypeBitmap, TRUE, 0xFFFF00FF, 0xFFFF00FF), Ok);

  GpBitmap* target = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromScan0(3, 1, 0, PixelFormat32bppARGB, nullptr, &target), Ok);
  GpGraphics* graphics = nullptr;
  ASSERT_EQ(GdipGetImageGraphicsContext(target, &graphics), Ok);
  ASSERT_EQ(GdipDrawImageRectRectI(graphics, source, 0, 0, 3, 1, 0, 0, 3, 1, UnitPixel, attributes, nullptr, nullptr), Ok);
  std::vector<ARGB> pixels = ReadArgb(target);
  EXPECT_TRUE(Near(pixels[0], 0xFF4C4C4C, 1)) << std::hex << pixels[0];  // red: 0.299 * 255 = 76
  EXPECT_EQ(pixels[1] >> 24, 0u);                                        // the key is transparent
  EXPECT_TRUE(Near(pixels[2], 0x801D1D1D, 2)) << std::hex << pixels[2];  // alpha kept

  // Disabling the matrix leaves only the key.
  ASSERT_EQ(GdipSetImageAttributesColorMatrix(attributes, ColorAdjustTypeBitmap, FALSE, nullptr, nullptr,
                                              ColorMatrixFlagsDefault),
            Ok);
  ASSERT_EQ(GdipGraphicsClear(graphics, 0), Ok);
  ASSERT_EQ(GdipDrawImageRectRectI(graphics, source, 0, 0, 3, 1, 0, 0, 3, 1, UnitPixel, attributes, nullptr, nullptr), Ok);
  EXPECT_EQ(ReadArgb(target)[0], 0xFFFF0000u);
  EXPECT_EQ(ReadArgb(target)[1] >> 24, 0u);

  EXPECT_EQ(GdipSetImageAttributesColorMatrix(attributes, ColorAdjustTypeBitmap, TRUE, nullptr, nullptr,
                                              ColorMatrixFlagsDefault),
            InvalidParameter);
  GdipDeleteGraphics(graphics);
  GdipDisposeImage(target);
  GdipDisposeImageAttributes(attributes);
  GdipDisposeImage(source);
}

TEST(Graphics, ModesPageUnitAndSavedStates) {
  Canvas canvas(96, 96, 0xFF000000);
  GraphicsState state = 0;
  ASSERT_EQ(GdipSaveGraphics(canvas.graphics, &state), Ok);
  ASSERT_EQ(GdipSetInterpolationMode(canvas.graphics, InterpolationModeHighQuality), Ok);
  ASSERT_EQ(GdipSetSmoothingMode(canvas.graphics, SmoothingModeAntiAlias), Ok);
  ASSERT_EQ(GdipSetPixelOffsetMode(canvas.graphics, PixelOffsetModeHalf), Ok);
  ASSERT_EQ(GdipSetPageUnit(canvas.graphics, UnitInch), Ok);
  InterpolationMode interpolation{};
  GdipGetInterpolationMode(canvas.graphics, &interpolation);
  EXPECT_EQ(interpolation, InterpolationModeHighQualityBicubic);
  // One inch at the bitmap's 96 dpi covers the whole canvas.
  GpBitmap* white = BitmapFromArgb(1, 1, {0xFFFFFFFF});
  ASSERT_EQ(GdipDrawImageRect(canvas.graphics, white, 0, 0, 1, 1), Ok);
  EXPECT_EQ(ReadArgb(canvas.bitmap)[95 * 96 + 95], 0xFFFFFFFFu);
  ASSERT_EQ(GdipRestoreGraphics(canvas.graphics, state), Ok);
  GpUnit unit{};
  SmoothingMode smoothing{};
  PixelOffsetMode offset{};
  GdipGetPageUnit(canvas.graphics, &unit);
  GdipGetSmoothingMode(canvas.graphics, &smoothing);
  GdipGetPixelOffsetMode(canvas.graphics, &offset);
  GdipGetInterpolationMode(canvas.graphics, &interpolation);
  EXPECT_EQ(unit, UnitDisplay);
  EXPECT_EQ(smoothing, SmoothingModeNone);
  EXPECT_EQ(offset, PixelOffsetModeNone);
  EXPECT_EQ(interpolation, InterpolationModeBilinear);
  EXPECT_EQ(GdipSetInterpolationMode(canvas.graphics, InterpolationModeInvalid), InvalidParameter);
  GdipDisposeImage(white);
}

TEST(Graphics, IndexedImagesAndDisposedTargetsAreRefused) {
  GpBitmap* indexed = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromScan0(2, 2, 0, PixelFormat8bppIndexed, nullptr, &indexed), Ok);
  GpGraphics* graphics = nullptr;
  EXPECT_EQ(GdipGetImageGraphicsContext(indexed, &graphics), InvalidParameter);
  GdipDisposeImage(indexed);

  GpBitmap* bitmap = BitmapFromArgb(1, 1, {0xFF000000});
  ASSERT_EQ(GdipGetImageGraphicsContext(bitmap, &graphics), Ok);
  GdipDisposeImage(bitmap);
  EXPECT_EQ(GdipGraphicsClear(graphics, 0xFFFFFFFF), InvalidParameter);
  EXPECT_EQ(GdipDeleteGraphics(graphics), Ok);
}

TEST(Graphics, ThumbnailOfAPhotoSizedPicture) {
  std::vector<ARGB> pixels(400 * 200);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 400; ++x) pixels[y * 400 + x] = 0xFF000000u | uint32_t(x * 255 / 399) << 16 | uint32_t(y * 255 / 199);
  GpBitmap* bitmap = BitmapFromArgb(400, 200, pixels);
  GpImage* thumbnail = nullptr;
  ASSERT_EQ(GdipGetImageThumbnail(bitmap, 100, 50, &thumbnail, nullptr, nullptr), Ok);
  UINT width = 0, height = 0;
  GdipGetImageWidth(thumbnail, &width);
  GdipGetImageHeight(thumbnail, &height);
  EXPECT_EQ(width, 100u);
  EXPECT_EQ(height, 50u);
  std::vector<ARGB> small = ReadArgb(thumbnail);
  EXPECT_TRUE(Near(small[0], 0xFF000000, 8));
  EXPECT_TRUE(Near(small[49 * 100 + 99], 0xFFFF00FF, 8));
  // Kept for looking at while developing.
  CLSID png = EncoderClsidPNG;
  auto path = std::filesystem::path(BRANTWELL_TEST_BIN_DIR) / "gdiplus-thumbnail.png";
  std::string utf8 = path.string();
  std::u16string name(utf8.begin(), utf8.end());
  EXPECT_EQ(GdipSaveImageToFile(thumbnail, name.c_str(), &png, nullptr), Ok);
  GdipDisposeImage(thumbnail);
  GdipDisposeImage(bitmap);
}

}  // namespace
