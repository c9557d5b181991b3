// Drawing into a GDI memory DC's bitmap, and bitmaps to and from GDI bitmap handles.

#include <filesystem>

#include "GdiplusTestSupport.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/Objects.h"

using namespace gdiplus_test;

namespace {

TEST(GdiInterop, DrawingIntoAMemoryDcsBitmap) {
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, -4, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(dib, nullptr);
  HGDIOBJ old = SelectObject(dc, dib);
  std::fill_n(static_cast<uint32_t*>(bits), 16, 0x000000FFu);  // blue, alpha 0 as GDI leaves it

  GpGraphics* graphics = nullptr;
  ASSERT_EQ(GdipCreateFromHDC(dc, &graphics), Ok);
  GpBitmap* source = BitmapFromArgb(1, 1, {0x80FF0000});  // half-transparent red
  ASSERT_EQ(GdipSetInterpolationMode(graphics, InterpolationModeNearestNeighbor), Ok);
  ASSERT_EQ(GdipDrawImageRectI(graphics, source, 0, 0, 2, 2), Ok);
  auto* pixels = static_cast<uint32_t*>(bits);
  // The DC's pixels count as opaque blue underneath.
  EXPECT_TRUE(Near(pixels[0] | 0xFF000000u, 0xFF80007F, 1)) << std::hex << pixels[0];
  EXPECT_EQ(pixels[2] & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(pixels[5] & 0xFFFFFF, pixels[0] & 0xFFFFFF);
  GdipDeleteGraphics(graphics);

  // The DC's bitmap back as a GDI+ bitmap.
  SelectObject(dc, old);
  GpBitmap* copy = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromHBITMAP(dib, nullptr, &copy), Ok);
  PixelFormat format = 0;
  GdipGetImagePixelFormat(copy, &format);
  EXPECT_EQ(format, PixelFormat32bppRGB);
  std::vector<ARGB> read = ReadArgb(copy);
  EXPECT_EQ(read[2], 0xFF0000FFu);
  EXPECT_TRUE(Near(read[0], 0xFF80007F, 1));
  GdipDisposeImage(copy);

  // And a GDI+ bitmap as a DIB section over a background.
  HBITMAP made = nullptr;
  ASSERT_EQ(GdipCreateHBITMAPFromBitmap(source, &made, 0xFFFFFFFF), Ok);
  DIBSECTION section{};
  ASSERT_EQ(GetObject(made, sizeof section, &section), int(sizeof section));
  EXPECT_TRUE(Near(static_cast<uint32_t*>(section.dsBm.bmBits)[0], 0xFFFF7F7F, 1));
  DeleteObject(made);
  GdipDisposeImage(source);
  DeleteObject(dib);
  DeleteDC(dc);
}

}  // namespace
