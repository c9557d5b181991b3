#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "Canvas.h"

namespace {

struct Info {
  BITMAPINFOHEADER header{};
  RGBQUAD colors[256]{};
};

Info MakeInfo(int width, int height, int bits) {
  Info info;
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = height;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bits);
  for (int i = 0; i < 256; ++i) info.colors[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
  info.colors[1] = RGBQUAD{0, 0, 255, 0};  // index 1 is red
  return info;
}

const BITMAPINFO* AsInfo(const Info& info) { return reinterpret_cast<const BITMAPINFO*>(&info); }

}  // namespace

TEST(DibSections, RowsAreLaidOutAsTheHeightSays) {
  // A red pixel drawn at (1, 0) lands in the last stored row of a bottom-up DIB and in the
  // first of a top-down one, for every depth.
  for (int bits : {1, 4, 8, 16, 24, 32}) {
    for (int sign : {1, -1}) {
      SCOPED_TRACE(testing::Message() << bits << " bits, " << (sign > 0 ? "bottom-up" : "top-down"));
      const Info info = MakeInfo(5, 3 * sign, bits);
      void* pixels = nullptr;
      HBITMAP bitmap = CreateDIBSection(nullptr, AsInfo(info), DIB_RGB_COLORS, &pixels, nullptr, 0);
      ASSERT_NE(bitmap, nullptr);
      ASSERT_NE(pixels, nullptr);
      DIBSECTION section{};
      ASSERT_EQ(GetObject(bitmap, sizeof(section), &section), int(sizeof(section)));
      EXPECT_EQ(section.dsBm.bmBits, pixels);
      const int stride = ((5 * bits + 31) / 32) * 4;
      EXPECT_EQ(section.dsBm.bmWidthBytes, stride);

      HDC dc = CreateCompatibleDC(nullptr);
      HGDIOBJ old = SelectObject(dc, bitmap);
      SetPixel(dc, 1, 0, RGB(255, 0, 0));
      EXPECT_EQ(GetPixel(dc, 1, 0), RGB(255, 0, 0));
      EXPECT_NE(GetPixel(dc, 1, 1), RGB(255, 0, 0));
      const auto* row = static_cast<const uint8_t*>(pixels) + (sign > 0 ? 2 : 0) * stride;
      switch (bits) {
        case 1: EXPECT_EQ(row[0], 0x40); break;
        case 4: EXPECT_EQ(row[0], 0x01); break;
        case 8: EXPECT_EQ(row[1], 1); break;
        case 16: EXPECT_EQ(row[2] | (row[3] << 8), 0x7C00); break;
        case 24: EXPECT_EQ(row[5], 255); EXPECT_EQ(row[3], 0); break;
        case 32: EXPECT_EQ(row[6], 255); EXPECT_EQ(row[7], 0); break;
      }
      // And writing through the bits pointer shows in the DC.
      if (bits == 32) {
        reinterpret_cast<uint32_t*>(const_cast<uint8_t*>(row))[3] = 0x0000FF00;
        EXPECT_EQ(GetPixel(dc, 3, 0), RGB(0, 255, 0));
      }
      SelectObject(dc, old);
      DeleteDC(dc);
      DeleteObject(bitmap);
    }
  }
}

TEST(DibSections, UnsupportedHeadersAreRefused) {
  Info info = MakeInfo(4, 4, 12);
  EXPECT_EQ(CreateDIBSection(nullptr, AsInfo(info), DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
  info = MakeInfo(0, 4, 32);
  EXPECT_EQ(CreateDIBSection(nullptr, AsInfo(info), DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
  info = MakeInfo(4, 4, 8);
  info.header.biCompression = BI_RLE8;
  EXPECT_EQ(CreateDIBSection(nullptr, AsInfo(info), DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
}

TEST(DibTransfers, GetAndSetDIBitsRoundTripThroughOtherDepths) {
  Canvas canvas(3, 2);
  SetPixel(canvas.dc, 0, 0, RGB(255, 0, 0));
  SetPixel(canvas.dc, 2, 1, RGB(0, 0, 255));
  // Read as bottom-up 24 bits: the first stored row is the picture's bottom row.
  Info info = MakeInfo(3, 2, 24);
  std::vector<uint8_t> rows(2 * 12);
  SelectObject(canvas.dc, canvas.previous);
  EXPECT_EQ(GetDIBits(canvas.dc, canvas.bitmap, 0, 2, rows.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS), 2);
  EXPECT_EQ(rows[6], 255);       // (2,1) blue, bottom row first
  EXPECT_EQ(rows[12 + 2], 255);  // (0,0) red in the second stored row
  // Write them into a fresh 32-bit bitmap and read pixels back.
  HBITMAP copy = CreateBitmap(3, 2, 1, 32, nullptr);
  EXPECT_EQ(SetDIBits(canvas.dc, copy, 0, 2, rows.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS), 2);
  std::vector<uint32_t> raw(6);
  EXPECT_EQ(GetBitmapBits(copy, 24, raw.data()), 24);
  EXPECT_EQ(raw[0], 0x00FF0000u);
  EXPECT_EQ(raw[5], 0x000000FFu);
  DeleteObject(copy);
  SelectObject(canvas.dc, canvas.bitmap);

  // Header-only query.
  Info query{};
  query.header.biSize = sizeof(BITMAPINFOHEADER);
  EXPECT_NE(GetDIBits(canvas.dc, canvas.bitmap, 0, 0, nullptr, reinterpret_cast<BITMAPINFO*>(&query), DIB_RGB_COLORS), 0);
  EXPECT_EQ(query.header.biWidth, 3);
  EXPECT_EQ(query.header.biBitCount, 32);
}

TEST(DibTransfers, SetDIBitsToDeviceAndStretchDIBitsPlaceRowsUpright) {
  Canvas canvas(4, 4);
  // A bottom-up 2x2 picture: stored rows are bottom (green) then top (red).
  Info info = MakeInfo(2, 2, 32);
  const uint32_t bits[4] = {0x00FF00, 0x00FF00, 0xFF0000, 0xFF0000};
  EXPECT_EQ(SetDIBitsToDevice(canvas.dc, 1, 1, 2, 2, 0, 0, 0, 2, bits, AsInfo(info), DIB_RGB_COLORS), 2);
  EXPECT_EQ(canvas.Color(1, 1), RGB(255, 0, 0));
  EXPECT_EQ(canvas.Color(2, 2), RGB(0, 255, 0));
  EXPECT_EQ(canvas.Color(0, 0), RGB(255, 255, 255));
  // Banded output: only the scan lines handed in are drawn (scan 0 is the bottom row).
  canvas.Fill(RGB(255, 255, 255));
  EXPECT_EQ(SetDIBitsToDevice(canvas.dc, 0, 0, 2, 2, 0, 0, 1, 1, bits + 2, AsInfo(info), DIB_RGB_COLORS), 1);
  EXPECT_EQ(canvas.Color(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(canvas.Color(0, 1), RGB(255, 255, 255));
  EXPECT_EQ(StretchDIBits(canvas.dc, 0, 0, 4, 4, 0, 0, 2, 2, bits, AsInfo(info), DIB_RGB_COLORS, SRCCOPY), 2);
  EXPECT_EQ(canvas.Color(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(canvas.Color(3, 1), RGB(255, 0, 0));
  EXPECT_EQ(canvas.Color(3, 3), RGB(0, 255, 0));
}

TEST(Bitmaps, MonochromeBitmapsTakeTextAndBackgroundColours) {
  // A 2x1 monochrome bitmap: black then white.
  const uint8_t bits[2] = {0x40, 0};
  HBITMAP mono = CreateBitmap(2, 1, 1, 1, bits);
  BITMAP info{};
  GetObject(mono, sizeof(info), &info);
  EXPECT_EQ(info.bmBitsPixel, 1);
  HDC source = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(source, mono);
  EXPECT_EQ(GetPixel(source, 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(source, 1, 0), RGB(255, 255, 255));
  Canvas canvas(2, 1);
  SetTextColor(canvas.dc, RGB(10, 20, 30));
  SetBkColor(canvas.dc, RGB(200, 100, 50));
  BitBlt(canvas.dc, 0, 0, 2, 1, source, 0, 0, SRCCOPY);
  EXPECT_EQ(canvas.Color(0, 0), RGB(10, 20, 30));
  EXPECT_EQ(canvas.Color(1, 0), RGB(200, 100, 50));
  // Colour to monochrome: the source background colour becomes white, the rest black.
  SetPixel(canvas.dc, 0, 0, RGB(1, 2, 3));
  SetBkColor(canvas.dc, RGB(1, 2, 3));
  BitBlt(source, 0, 0, 2, 1, canvas.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(source, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(source, 1, 0), RGB(0, 0, 0));
  SelectObject(source, old);
  DeleteDC(source);
  DeleteObject(mono);
}

TEST(Bitmaps, CompatibleBitmapsTakeTheDepthOfTheDc) {
  // A fresh memory DC holds a 1x1 monochrome bitmap, so its compatible bitmaps are
  // monochrome; the screen's are colour.
  HDC memory = CreateCompatibleDC(nullptr);
  HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  HBITMAP mono = CreateCompatibleBitmap(memory, 8, 8);
  HBITMAP colour = CreateCompatibleBitmap(screen, 8, 8);
  BITMAP info{};
  GetObject(mono, sizeof(info), &info);
  EXPECT_EQ(info.bmBitsPixel, 1);
  GetObject(colour, sizeof(info), &info);
  EXPECT_EQ(info.bmBitsPixel, 32);
  EXPECT_EQ(info.bmWidthBytes, 32);
  EXPECT_EQ(info.bmBits, nullptr);
  DeleteObject(mono);
  DeleteObject(colour);
  DeleteDC(screen);
  DeleteDC(memory);
}

TEST(DibSections, BitFieldMasksComeAfterTheHeader) {
  // 16 bits in 5-6-5 layout.
  struct {
    BITMAPINFOHEADER header;
    DWORD masks[3];
  } info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = 1;
  info.header.biHeight = 1;
  info.header.biPlanes = 1;
  info.header.biBitCount = 16;
  info.header.biCompression = BI_BITFIELDS;
  info.masks[0] = 0xF800;
  info.masks[1] = 0x07E0;
  info.masks[2] = 0x001F;
  void* pixels = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0);
  ASSERT_NE(bitmap, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SetPixel(dc, 0, 0, RGB(0, 255, 0));
  EXPECT_EQ(*static_cast<uint16_t*>(pixels), 0x07E0);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bitmap);
}
