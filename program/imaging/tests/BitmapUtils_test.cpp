#include <gtest/gtest.h>

#include "ImagingTestSupport.h"
#include "platform/gdi/Objects.h"
#include "program/imaging/BitmapUtils.h"

using namespace imaging_test;

namespace {

uint32_t Pixel32(TBitmap& bitmap, int x, int y) { return static_cast<uint32_t*>(bitmap.ScanLine(y))[x]; }

void Fill32(TBitmap& bitmap, uint32_t bgra) {
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x) static_cast<uint32_t*>(bitmap.ScanLine(y))[x] = bgra;
}

TEST(BitmapUtils, LoadersPickTheBitmapKind) {
  auto alpha = TempPath("alpha.png");
  WriteFile(alpha, PatternFile(ImageFormatPNG, true));
  auto photo = TempPath("photo.jpg");
  WriteFile(photo, PatternFile(ImageFormatJPEG));
  auto gif = TempPath("loader.gif");
  WriteFile(gif, AnimatedGif());
  auto tiff = TempPath("loader.tif");
  WriteTwoPageTiff(tiff);
  struct Case {
    std::filesystem::path path;
    bool bitmap;
    TPixelFormat format;
  } cases[] = {// The GIF decoder reports alpha for every GIF (frames are composed over transparency).
               {alpha, true, pf32bit}, {photo, true, pf24bit}, {gif, true, pf32bit}, {tiff, true, pf24bit}};
  for (const Case& c : cases) {
    std::unique_ptr<TGraphic> loaded(LoadImageAsBitmap(c.path.string()));
    ASSERT_NE(loaded, nullptr) << c.path;
    auto* bitmap = dynamic_cast<TBitmap*>(loaded.get());
    ASSERT_NE(bitmap, nullptr) << c.path;
    EXPECT_EQ(bitmap->PixelFormat(), c.format) << c.path;
  }
  std::unique_ptr<TGraphic> gifBitmap(LoadImageAsBitmap(gif.string()));
  EXPECT_EQ(gifBitmap->Width(), 4);

  auto missing = TempPath("missing.png");
  auto damaged = TempPath("damaged.jpg");
  WriteFile(damaged, Bytes{0xFF, 0xD8, 0xFF, 1, 2});
  EXPECT_EQ(LoadImageAsBitmap(missing.string()), nullptr);
  EXPECT_EQ(LoadImageAsBitmap(damaged.string()), nullptr);
  EXPECT_EQ(LoadGPGraphicFile(missing.string()), nullptr);
  EXPECT_EQ(LoadGPGraphicFile(damaged.string()), nullptr);
  std::unique_ptr<TGPGraphic> skin(LoadGPGraphicFile(alpha.string()));
  ASSERT_NE(skin, nullptr);
  EXPECT_TRUE(skin->BitmapMode());
  EXPECT_EQ(skin->Width(), 8);

  auto bmp = TempPath("loader.bmp");
  WriteFile(bmp, BmpV5WithAlpha());
  std::unique_ptr<TBitmap> plain(LoadBitmapFile(bmp.string()));
  EXPECT_EQ(plain->PixelFormat(), pf24bit);
  EXPECT_EQ(plain->Canvas()->Pixels(0, 0), clRed);
  EXPECT_THROW(LoadBitmapFile(missing.string()), EFOpenError);
}

TEST(BitmapUtils, GrayingKeepsTheKeyAndTheAlpha) {
  TBitmap bitmap(2, 1, pf32bit);
  static_cast<uint32_t*>(bitmap.ScanLine(0))[0] = 0x40FF0000;  // red, alpha 0x40 (bytes B G R A)
  static_cast<uint32_t*>(bitmap.ScanLine(0))[1] = 0x80FF00FF;  // magenta
  GrayBitmap(&bitmap, clFuchsia);
  EXPECT_EQ(Pixel32(bitmap, 0, 0), 0x404D4D4Du);  // (77 * 255 + 128) >> 8 = 77
  EXPECT_EQ(Pixel32(bitmap, 1, 0), 0x80FF00FFu);  // the key keeps its colour
  GrayBitmap(&bitmap, clNone);
  EXPECT_EQ(Pixel32(bitmap, 1, 0), 0x806A6A6Au);  // (77 * 255 + 29 * 255 + 128) >> 8 = 106

  TBitmap indexed(2, 2, pf8bit);
  GrayBitmap(&indexed, clNone);
  EXPECT_EQ(indexed.PixelFormat(), pf24bit);
}

TEST(BitmapUtils, PartBitmapsInBothModes) {
  TBitmap source(6, 4, pf32bit);
  Fill32(source, 0xFFFF00FF);                              // magenta
  static_cast<uint32_t*>(source.ScanLine(1))[2] = 0x7F00FF00;  // one green pixel, alpha 0x7F

  std::unique_ptr<TBitmap> keyed(CreatePartBitmap(&source, TRect(1, 1, 4, 3), 1, clNone));
  ASSERT_NE(keyed, nullptr);
  EXPECT_EQ(keyed->PixelFormat(), pf24bit);
  EXPECT_EQ(keyed->Width(), 3);
  EXPECT_EQ(keyed->Canvas()->Pixels(0, 0), clFuchsia);
  EXPECT_EQ(keyed->Canvas()->Pixels(2, 1), clFuchsia);
  EXPECT_EQ(keyed->Canvas()->Pixels(1, 0), TColor(0x959595));  // green grayed: (150 * 255 + 128) >> 8 = 149

  std::unique_ptr<TBitmap> alpha(CreatePartBitmap(&source, TRect(1, 1, 4, 3), 2, clNone));
  EXPECT_EQ(alpha->PixelFormat(), pf32bit);
  EXPECT_EQ(Pixel32(*alpha, 1, 0), 0x7F959595u);
  EXPECT_EQ(Pixel32(*alpha, 0, 0), 0xFF6A6A6Au);
  EXPECT_EQ(CreatePartBitmap(nullptr, TRect(0, 0, 1, 1), 1, clNone), nullptr);
}

TEST(BitmapUtils, AlphaAndPixelCopiesStayInsideTheBitmaps) {
  TBitmap bitmap(4, 3, pf32bit);
  Fill32(bitmap, 0x00102030);
  SetBitmapAlpha(&bitmap, 0xFF);
  EXPECT_EQ(Pixel32(bitmap, 3, 2), 0xFF102030u);
  // A rectangle reaching outside is clipped, not written past the rows.
  SetBitmapAlphaRect(&bitmap, TRect(-5, 2, 100, 100), 0x10);
  EXPECT_EQ(Pixel32(bitmap, 0, 2), 0x10102030u);
  EXPECT_EQ(Pixel32(bitmap, 3, 1), 0xFF102030u);

  TBitmap rgb(2, 2, pf24bit);
  rgb.Canvas()->Brush()->SetColor(clRed);
  rgb.Canvas()->FillRect(TRect(0, 0, 2, 2));
  SetBitmapAlpha(&rgb, 0);
  EXPECT_EQ(rgb.Canvas()->Pixels(0, 0), clRed);

  TBitmap same(2, 2, pf24bit), other(3, 2, pf24bit);
  CopyBitmapPixels(&same, &rgb);
  EXPECT_EQ(same.Canvas()->Pixels(1, 1), clRed);
  const TColor before = other.Canvas()->Pixels(1, 1);
  CopyBitmapPixels(&other, &rgb);
  EXPECT_EQ(other.Canvas()->Pixels(1, 1), before);
  EXPECT_NE(before, clRed);

  // CopyBitmapRect32 clips against both bitmaps.
  TBitmap target(3, 3, pf32bit);
  Fill32(target, 0);
  CopyBitmapRect32(&bitmap, &target, TRect(2, 0, 10, 10), 1, 1);
  EXPECT_EQ(Pixel32(target, 1, 1), 0xFF102030u);
  EXPECT_EQ(Pixel32(target, 2, 2), 0xFF102030u);
  EXPECT_EQ(Pixel32(target, 0, 0), 0u);
  // Starts before either bitmap move both points along: source row 2 (alpha 0x10) lands on
  // the target's row 0 when the destination starts one row above it.
  Fill32(target, 0);
  CopyBitmapRect32(&bitmap, &target, TRect(-1, -1, 2, 2), 0, 0);
  EXPECT_EQ(Pixel32(target, 0, 0), 0u);
  EXPECT_EQ(Pixel32(target, 1, 1), 0xFF102030u);
  EXPECT_EQ(Pixel32(target, 2, 2), 0xFF102030u);
  Fill32(target, 0);
  CopyBitmapRect32(&bitmap, &target, TRect(0, 1, 4, 3), -1, -1);
  EXPECT_EQ(Pixel32(target, 0, 0), 0x10102030u);
  EXPECT_EQ(Pixel32(target, 0, 1), 0u);
}

TEST(BitmapUtils, CopyBitmapRectPerFormat) {
  TBitmap wide(5, 2, pf24bit);
  wide.Canvas()->Brush()->SetColor(clBlue);
  wide.Canvas()->FillRect(TRect(0, 0, 5, 2));
  wide.Canvas()->SetPixels(3, 1, clYellow);
  TBitmap part;
  ASSERT_TRUE(CopyBitmapRect(&wide, TRect(2, 1, 9, 7), &part));  // clipped to 3 x 1
  EXPECT_EQ(part.Width(), 3);
  EXPECT_EQ(part.Height(), 1);
  EXPECT_EQ(part.Canvas()->Pixels(1, 0), clYellow);
  EXPECT_EQ(part.Canvas()->Pixels(2, 0), clBlue);

  // 4 bits per pixel from an odd column.
  TBitmap nibbles(4, 1, pf4bit);
  auto* row = static_cast<uint8_t*>(nibbles.ScanLine(0));
  row[0] = 0x12, row[1] = 0x34;
  TBitmap nibblePart;
  ASSERT_TRUE(CopyBitmapRect(&nibbles, TRect(1, 0, 4, 1), &nibblePart));
  const auto* copied = static_cast<const uint8_t*>(nibblePart.ScanLine(0));
  EXPECT_EQ(copied[0], 0x23);
  EXPECT_EQ(copied[1] & 0xF0, 0x40);

  TBitmap device;
  device.SetPixelFormat(pfDevice);
  EXPECT_FALSE(CopyBitmapRect(&device, TRect(0, 0, 1, 1), &part));
}

TEST(BitmapUtils, ThirtyTwoBitHandlesKeepTheirAlpha) {
  for (bool topDown : {false, true}) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 2;
    info.bmiHeader.biHeight = topDown ? -2 : 2;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP handle = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(handle, nullptr);
    auto* pixels = static_cast<uint32_t*>(bits);
    // Memory order: the first row is the top one only when top-down.
    const uint32_t top = 0x80FF0000, bottom = 0x4000FF00;
    pixels[0] = pixels[1] = topDown ? top : bottom;
    pixels[2] = pixels[3] = topDown ? bottom : top;
    TGPBitmap* converted = nullptr;
    ASSERT_TRUE(GPBitmapFromHBitmap32(handle, converted));
    std::unique_ptr<TGPBitmap> owner(converted);
    EXPECT_EQ(ReadArgb(converted), (std::vector<ARGB>{top, top, bottom, bottom})) << topDown;
    DeleteObject(handle);
  }
  TBitmap rgb(2, 2, pf24bit);
  TGPBitmap* none = nullptr;
  EXPECT_FALSE(GPBitmapFromHBitmap32(rgb.Handle(), none));
  EXPECT_EQ(none, nullptr);
  EXPECT_FALSE(GPBitmapFromHBitmap32(nullptr, none));
}

TEST(BitmapUtils, GrayedDrawing) {
  auto path = TempPath("grayed.png");
  WriteFile(path, PatternFile(ImageFormatPNG));
  TPNGImage picture;
  picture.LoadFromFile(path.string());
  TBitmap target(8, 4, pf32bit);
  DrawGraphicGrayed(target.Canvas(), &picture, TRect(0, 0, 8, 4));
  const TColor red = target.Canvas()->Pixels(1, 1), blue = target.Canvas()->Pixels(6, 1);
  EXPECT_NEAR(red & 0xFF, 76, 2);  // 0.299 * 255
  EXPECT_EQ(red & 0xFF, (red >> 16) & 0xFF);
  EXPECT_NEAR(blue & 0xFF, 29, 2);  // 0.114 * 255

  // Any other picture is drawn as it is.
  TBitmap plain(2, 2, pf24bit);
  plain.Canvas()->Brush()->SetColor(clRed);
  plain.Canvas()->FillRect(TRect(0, 0, 2, 2));
  DrawGraphicGrayed(target.Canvas(), &plain, TRect(0, 0, 2, 2));
  EXPECT_EQ(target.Canvas()->Pixels(1, 1), clRed);

  StretchDrawToDC(&picture, target.Canvas()->Handle(), TRect(0, 0, 8, 4));
  EXPECT_EQ(target.Canvas()->Pixels(6, 1), clBlue);
}

}  // namespace
