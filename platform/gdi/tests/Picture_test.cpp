// A composed picture of shapes, text in several fonts, a rotated label and an alpha-blended
// bitmap, saved as a PNG in the build folder for a person to look at.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "Canvas.h"
#include "platform/testing/Pictures.h"

namespace {

HFONT Font(const char* face, int height, int weight = FW_NORMAL, int escapement = 0, bool italic = false,
           bool underline = false) {
  return CreateFontA(height, 0, escapement, escapement, weight, italic, underline, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
}

// A premultiplied 64x64 disc fading from opaque orange in the middle to clear at the edge.
HBITMAP GlowBitmap(void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 64;
  info.bmiHeader.biHeight = -64;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
  auto* pixels = static_cast<uint32_t*>(*bits);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const double distance = std::hypot(x - 31.5, y - 31.5) / 32;
      const uint32_t a = distance >= 1 ? 0 : static_cast<uint32_t>(255 * (1 - distance));
      const uint32_t r = 255 * a / 255, g = 140 * a / 255, b = 0;
      pixels[y * 64 + x] = (a << 24) | (r << 16) | (g << 8) | b;
    }
  }
  return bitmap;
}

}  // namespace

TEST(Picture, ComposedSceneLooksRight) {
  Canvas canvas(480, 320, RGB(236, 233, 216));
  HDC dc = canvas.dc;

  // A title band.
  RECT band{0, 0, 480, 40};
  HBRUSH navy = CreateSolidBrush(RGB(10, 36, 106));
  FillRect(dc, &band, navy);
  HFONT title = Font("Tahoma", -20, FW_BOLD);
  HGDIOBJ oldFont = SelectObject(dc, title);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  TextOut(dc, 12, 9, "Brantwell - Menu preview", 24);

  // Shapes.
  HPEN thick = CreatePen(PS_SOLID, 3, RGB(128, 0, 0));
  HBRUSH yellow = CreateSolidBrush(RGB(255, 230, 120));
  HGDIOBJ oldPen = SelectObject(dc, thick);
  HGDIOBJ oldBrush = SelectObject(dc, yellow);
  Rectangle(dc, 16, 56, 116, 126);
  HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, RGB(0, 100, 0));
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(210, 240, 210));
  SelectObject(dc, hatch);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  Ellipse(dc, 130, 56, 230, 126);
  HBRUSH teal = CreateSolidBrush(RGB(0, 128, 128));
  SelectObject(dc, teal);
  RoundRect(dc, 244, 56, 344, 126, 20, 20);
  HBRUSH red = CreateSolidBrush(RGB(200, 40, 40));
  SelectObject(dc, red);
  Pie(dc, 360, 52, 440, 132, 440, 92, 400, 52);
  const POINT star[5] = {{60, 140}, {80, 200}, {25, 163}, {95, 163}, {40, 200}};
  SetPolyFillMode(dc, WINDING);
  HBRUSH purple = CreateSolidBrush(RGB(120, 60, 160));
  SelectObject(dc, purple);
  Polygon(dc, star, 5);
  HPEN dashed = CreatePen(PS_DASH, 1, RGB(0, 0, 0));
  SelectObject(dc, dashed);
  SetBkMode(dc, TRANSPARENT);
  MoveToEx(dc, 16, 215, nullptr);
  LineTo(dc, 464, 215);

  // Text in three faces, and a word-wrapped, ellipsised block.
  SetTextColor(dc, RGB(0, 0, 0));
  HFONT sans = Font("Arial", -14);
  HFONT serifItalic = Font("Times New Roman", -16, FW_NORMAL, 0, true);
  HFONT mono = Font("Courier New", -13, FW_NORMAL, 0, false, true);
  SelectObject(dc, sans);
  TextOut(dc, 120, 140, "Arial 14: Chapter 1 - Summer holiday", 36);
  SelectObject(dc, serifItalic);
  TextOut(dc, 120, 162, "Times italic: Play all titles", 29);
  SelectObject(dc, mono);
  TextOut(dc, 120, 186, "Courier underlined: 00:12:34", 28);
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  RECT wrap{120, 224, 300, 300};
  FrameRect(dc, &wrap, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  {
    RECT inside{wrap.left + 3, wrap.top + 3, wrap.right - 3, wrap.bottom - 3};
    DrawText(dc, "&Burn the project to a disc, or save it as a folder or an ISO image on your hard disk drive.", -1,
             &inside, DT_WORDBREAK | DT_END_ELLIPSIS);
  }
  RECT path{120, 302, 300, 318};
  DrawText(dc, "/home/user/Videos/Holidays/2024/summer/beach.mpg", -1, &path, DT_SINGLELINE | DT_PATH_ELLIPSIS);

  // A label turned upwards by the font's escapement.
  HFONT upward = Font("Verdana", -13, FW_BOLD, 900);
  SelectObject(dc, upward);
  SetTextColor(dc, RGB(10, 36, 106));
  TextOut(dc, 456, 300, "Rotated label", 13);

  // Text and a bitmap turned by a world transform.
  SetGraphicsMode(dc, GM_ADVANCED);
  const double angle = -25 * M_PI / 180;
  const XFORM turn{static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle)),
                   static_cast<float>(-std::sin(angle)), static_cast<float>(std::cos(angle)), 330, 270};
  SetWorldTransform(dc, &turn);
  SelectObject(dc, sans);
  SetTextColor(dc, RGB(128, 0, 0));
  TextOut(dc, 0, 0, "World transform", 15);

  // A checked bitmap, turned by 20 degrees and enlarged one and a half times.
  HBITMAP checks = CreateBitmap(32, 24, 1, 32, nullptr);
  HDC checksDc = CreateCompatibleDC(dc);
  HGDIOBJ oldChecks = SelectObject(checksDc, checks);
  for (int y = 0; y < 24; y += 8) {
    for (int x = 0; x < 32; x += 8) {
      RECT cell{x, y, x + 8, y + 8};
      FillRect(checksDc, &cell, static_cast<HBRUSH>(GetStockObject(((x + y) / 8) % 2 ? WHITE_BRUSH : DKGRAY_BRUSH)));
    }
  }
  const double tilt = 20 * M_PI / 180;
  const XFORM turnAndScale{static_cast<float>(1.5 * std::cos(tilt)), static_cast<float>(1.5 * std::sin(tilt)),
                           static_cast<float>(-1.5 * std::sin(tilt)), static_cast<float>(1.5 * std::cos(tilt)), 40, 228};
  SetWorldTransform(dc, &turnAndScale);
  EXPECT_TRUE(BitBlt(dc, 0, 0, 32, 24, checksDc, 0, 0, SRCCOPY));
  SelectObject(checksDc, oldChecks);
  DeleteDC(checksDc);
  DeleteObject(checks);
  ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
  SetGraphicsMode(dc, GM_COMPATIBLE);

  // An alpha-blended glow over the shapes, and a smoothly stretched copy of it.
  void* bits = nullptr;
  HBITMAP glow = GlowBitmap(&bits);
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ oldBitmap = SelectObject(memory, glow);
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  EXPECT_TRUE(AlphaBlend(dc, 200, 80, 64, 64, memory, 0, 0, 64, 64, blend));
  SetStretchBltMode(dc, HALFTONE);
  EXPECT_TRUE(AlphaBlend(dc, 330, 140, 128, 64, memory, 0, 0, 64, 64, BLENDFUNCTION{AC_SRC_OVER, 0, 160, AC_SRC_ALPHA}));
  SelectObject(memory, oldBitmap);
  DeleteDC(memory);

  const std::string file = std::string(BRANTWELL_TEST_BIN_DIR) + "/gdi-composition.png";
  std::string error;
  ASSERT_TRUE(platform::testing::SaveDcPng(dc, file, &error)) << error;

  // What was saved reads back as what was drawn.
  platform::testing::Image loaded;
  ASSERT_TRUE(platform::testing::LoadPng(file, &loaded, &error)) << error;
  const auto comparison = platform::testing::CompareImages(platform::testing::CaptureDc(dc), loaded);
  EXPECT_TRUE(comparison.same) << comparison.message;

  SelectObject(dc, oldFont);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  for (HGDIOBJ object : {static_cast<HGDIOBJ>(navy), static_cast<HGDIOBJ>(title), static_cast<HGDIOBJ>(thick),
                         static_cast<HGDIOBJ>(yellow), static_cast<HGDIOBJ>(hatch), static_cast<HGDIOBJ>(teal),
                         static_cast<HGDIOBJ>(red), static_cast<HGDIOBJ>(purple), static_cast<HGDIOBJ>(dashed),
                         static_cast<HGDIOBJ>(sans), static_cast<HGDIOBJ>(serifItalic), static_cast<HGDIOBJ>(mono),
                         static_cast<HGDIOBJ>(upward), static_cast<HGDIOBJ>(glow)}) {
    EXPECT_TRUE(DeleteObject(object));
  }
}
