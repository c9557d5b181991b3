#include <gtest/gtest.h>

#include "ImagingTestSupport.h"
#include "program/imaging/GPGraphics.h"

using namespace imaging_test;

namespace {

std::unique_ptr<TGPImage> Load(const Bytes& bytes) {
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  stream.SetPosition(0);
  return std::unique_ptr<TGPImage>(TGPImage::FromStream(stream));
}

TEST(GPImage, GifKeepsItsBytesOtherFormatsAreEncodedAnew) {
  const Bytes gif = AnimatedGif();
  auto path = TempPath("kept.gif");
  WriteFile(path, gif);
  std::unique_ptr<TGPImage> image(TGPImage::FromFile(WidePath(path)));
  ASSERT_NE(image->SourceData(), nullptr);
  // Saved as GIF, to a file and to a stream: the very bytes, so both frames survive.
  auto copy = TempPath("kept-copy.gif");
  image->SaveToFile(WidePath(copy), ImageFormatGIF);
  EXPECT_EQ(ReadFile(copy), gif);
  EXPECT_EQ(Encode(image.get(), ImageFormatGIF), gif);
  // Saved as PNG: encoded.
  EXPECT_TRUE(StartsWith(Encode(image.get(), ImageFormatPNG), {0x89, 'P', 'N', 'G'}));

  // A JPEG keeps nothing and is encoded again.
  const Bytes jpeg = PatternFile(ImageFormatJPEG);
  std::unique_ptr<TGPImage> photo = Load(jpeg);
  EXPECT_EQ(photo->SourceData(), nullptr);
  const Bytes again = Encode(photo.get(), ImageFormatJPEG);
  EXPECT_TRUE(StartsWith(again, {0xFF, 0xD8}));
  EXPECT_NE(again, jpeg);
}

TEST(GPImage, KeptBytesAreNeverWrittenUnderAnotherFormat) {
  // There is no icon encoder: GIF bytes must not land in an icon file.
  std::unique_ptr<TGPImage> image = Load(AnimatedGif());
  auto path = TempPath("not-an-icon.ico");
  std::filesystem::remove(path);
  EXPECT_THROW(image->SaveToFile(WidePath(path), ImageFormatIcon), ArgumentException);
  EXPECT_EQ(image->GetLastStatus(), UnknownImageFormat);
  EXPECT_FALSE(std::filesystem::exists(path));
  TMemoryStream stream;
  EXPECT_THROW(image->SaveToStream(stream, ImageFormatIcon), ArgumentException);
  EXPECT_EQ(stream.Size(), 0);
}

TEST(GPImage, DecodesFromAStreamPositionAndSize) {
  const Bytes png = PatternFile(ImageFormatPNG);
  TMemoryStream stream;
  stream.WriteBuffer("junk", 4);
  stream.WriteBuffer(png.data(), static_cast<int32_t>(png.size()));
  stream.WriteBuffer("tail", 4);
  stream.SetPosition(4);
  std::unique_ptr<TGPImage> image(TGPImage::FromStream(stream, static_cast<int64_t>(png.size())));
  EXPECT_EQ(stream.Position(), 4 + static_cast<int64_t>(png.size()));
  EXPECT_EQ(image->GetWidth(), 8u);
  EXPECT_EQ(image->GetHeight(), 4u);
  EXPECT_EQ(image->GetRawFormat(), ImageFormatPNG);
  EXPECT_NE(dynamic_cast<TGPBitmap*>(image.get()), nullptr);

  stream.SetPosition(0);
  EXPECT_THROW(TGPImage::FromStream(stream, 4), ArgumentException);  // "junk": no format
  EXPECT_THROW(TGPImage::FromFile(WidePath(TempPath("missing.png"))), GDIPlusException);
}

TEST(GPImage, FramesPropertiesAndSizesOfTheFixtures) {
  auto tiffPath = TempPath("two-pages.tif");
  WriteTwoPageTiff(tiffPath);
  std::unique_ptr<TGPImage> tiff(TGPImage::FromFile(WidePath(tiffPath)));
  EXPECT_EQ(tiff->GetFrameCount(FrameDimensionPage), 2u);
  tiff->SelectActiveFrame(FrameDimensionPage, 1);
  EXPECT_EQ(tiff->GetWidth(), 5u);
  EXPECT_THROW(tiff->SelectActiveFrame(FrameDimensionPage, 2), ArgumentException);
  EXPECT_EQ(tiff->GetLastStatus(), InvalidParameter);

  std::unique_ptr<TGPImage> photo = Load(JpegWithOrientation(6));
  TGPPropertyItem orientation;
  ASSERT_TRUE(ReadPropertyItem(photo->NativeImage(), PropertyTagOrientation, orientation));
  EXPECT_EQ(PropertyItemToStr(orientation), "6");
  TGPPropertyItem none;
  EXPECT_FALSE(ReadPropertyItem(photo->NativeImage(), PropertyTagFrameDelay, none));

  std::unique_ptr<TGPImage> icon = Load(IconWithTwoSizes());
  EXPECT_EQ(icon->GetRawFormat(), ImageFormatIcon);
  EXPECT_EQ(icon->GetFrameCount(FrameDimensionResolution), 2u);
  EXPECT_EQ(icon->GetWidth(), 32u);

  std::unique_ptr<TGPImage> bmp = Load(BmpV5WithAlpha());
  EXPECT_EQ(ReadArgb(bmp.get()), (std::vector<ARGB>{0xFFFF0000u, 0x8000FF00u, 0x000000FFu, 0xFFFFFFFFu}));
}

TEST(GPImage, MakeTransparentClearsExactlyTheKeyColour) {
  std::unique_ptr<TGPBitmap> bitmap(BitmapFromArgb(2, 1, {0xFFFF00FFu, 0xFFFE00FFu}));
  bitmap->MakeTransparent(0xFFFF00FFu);
  EXPECT_EQ(bitmap->GetPixelFormat(), PixelFormat32bppARGB);
  const std::vector<ARGB> pixels = ReadArgb(bitmap.get());
  EXPECT_EQ(pixels[0] >> 24, 0u);
  EXPECT_EQ(pixels[1], 0xFFFE00FFu);

  std::unique_ptr<TGPImage> icon = Load(IconWithTwoSizes());
  auto* iconBitmap = dynamic_cast<TGPBitmap*>(icon.get());
  ASSERT_NE(iconBitmap, nullptr);
  try {
    iconBitmap->MakeTransparent(0xFF000000u);
    ADD_FAILURE();
  } catch (const InvalidOperationException& e) {
    EXPECT_EQ(e.Message(), "CantMakeIconTransparent");
  }
}

TEST(GPImage, ColourKeysAndMatricesOnKnownPixels) {
  std::unique_ptr<TGPBitmap> source(BitmapFromArgb(3, 1, {0xFF102030u, 0xFF405060u, 0xFF708090u}));
  std::unique_ptr<TGPBitmap> target(new TGPBitmap(3, 1, PixelFormat32bppARGB));
  TGPGraphics graphics(target.get());
  graphics.Clear(0);
  TGPImageAttributes attributes;
  attributes.SetColorKey(0xFF405060u, 0xFF405060u);
  ColorMatrix swap{};  // red and blue change places, alpha halves
  swap.m[0][2] = 1, swap.m[1][1] = 1, swap.m[2][0] = 1, swap.m[3][3] = 0.5f, swap.m[4][4] = 1;
  attributes.SetColorMatrix(swap);
  graphics.DrawImage(source.get(), GpRect{0, 0, 3, 1}, 0, 0, 3, 1, UnitPixel, &attributes);
  const std::vector<ARGB> pixels = ReadArgb(target.get());
  EXPECT_TRUE(Near(pixels[0], 0x80302010u, 1)) << std::hex << pixels[0];
  EXPECT_EQ(pixels[1] >> 24, 0u);
  EXPECT_TRUE(Near(pixels[2], 0x80908070u, 1)) << std::hex << pixels[2];
}

TEST(GPImage, ThumbnailsAreNewImages) {
  std::unique_ptr<TGPImage> image = Load(PatternFile(ImageFormatPNG));
  std::unique_ptr<TGPImage> thumbnail(image->GetThumbnailImage(4, 2));
  ASSERT_NE(thumbnail, nullptr);
  EXPECT_EQ(thumbnail->GetWidth(), 4u);
  EXPECT_EQ(thumbnail->GetHeight(), 2u);
}

}  // namespace
