#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Canvas.h"
#include "platform/gdi/BufferDC.h"
#include "platform/kernel/WinError.h"

TEST(DeviceContexts, CapsDescribeA96DpiTrueColourScreen) {
  HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(screen, PLANES), 1);
  EXPECT_EQ(GetDeviceCaps(screen, HORZRES), platform::detail::ScreenSize().cx);
  EXPECT_EQ(GetDeviceCaps(screen, VERTRES), platform::detail::ScreenSize().cy);
  // The screen DC draws and reads back.
  SetPixel(screen, 5, 5, RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(screen, 5, 5), RGB(1, 2, 3));
  EXPECT_EQ(GetObjectType(screen), OBJ_DC);
  DeleteDC(screen);
  EXPECT_EQ(CreateDCA("PRINTER", nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 0);
}

TEST(DeviceContexts, SaveAndRestoreNestAndCountBackwards) {
  Canvas canvas(8, 8);
  HDC dc = canvas.dc;
  SetTextColor(dc, RGB(1, 0, 0));
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  EXPECT_EQ(SaveDC(dc), 1);
  SetTextColor(dc, RGB(2, 0, 0));
  SelectObject(dc, red);
  SetWindowOrgEx(dc, 3, 3, nullptr);
  EXPECT_EQ(SaveDC(dc), 2);
  SetTextColor(dc, RGB(3, 0, 0));
  EXPECT_EQ(SaveDC(dc), 3);
  SetTextColor(dc, RGB(4, 0, 0));

  EXPECT_TRUE(RestoreDC(dc, -1));  // back to save 3
  EXPECT_EQ(GetTextColor(dc), RGB(3, 0, 0));
  EXPECT_TRUE(RestoreDC(dc, 1));  // straight back to the first save, dropping save 2
  EXPECT_EQ(GetTextColor(dc), RGB(1, 0, 0));
  POINT origin{};
  GetWindowOrgEx(dc, &origin);
  EXPECT_EQ(origin.x, 0);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
  EXPECT_FALSE(RestoreDC(dc, -1));  // nothing left to restore
  EXPECT_FALSE(RestoreDC(dc, 0));
  EXPECT_TRUE(DeleteObject(red));   // no longer selected
}

TEST(DeviceContexts, OriginsMoveDrawing) {
  Canvas canvas(8, 8);
  SetViewportOrgEx(canvas.dc, 2, 1, nullptr);
  SetWindowOrgEx(canvas.dc, 1, 0, nullptr);
  SetPixel(canvas.dc, 0, 0, RGB(0, 0, 0));
  EXPECT_EQ(canvas.Color(1, 1), RGB(0, 0, 0));
  OffsetViewportOrgEx(canvas.dc, 1, 1, nullptr);
  POINT p{0, 0};
  LPtoDP(canvas.dc, &p, 1);
  EXPECT_EQ(p.x, 2);
  EXPECT_EQ(p.y, 2);
  DPtoLP(canvas.dc, &p, 1);
  EXPECT_EQ(p.x, 0);
}

TEST(DeviceContexts, WorldTransformNeedsAdvancedMode) {
  Canvas canvas(8, 8);
  XFORM scale{2, 0, 0, 2, 0, 0};
  EXPECT_FALSE(SetWorldTransform(canvas.dc, &scale));
  EXPECT_EQ(SetGraphicsMode(canvas.dc, GM_ADVANCED), GM_COMPATIBLE);
  EXPECT_TRUE(SetWorldTransform(canvas.dc, &scale));
  XFORM shift{1, 0, 0, 1, 1, 0};
  EXPECT_TRUE(ModifyWorldTransform(canvas.dc, &shift, MWT_RIGHTMULTIPLY));
  XFORM result{};
  GetWorldTransform(canvas.dc, &result);
  EXPECT_FLOAT_EQ(result.eM11, 2);
  EXPECT_FLOAT_EQ(result.eDx, 1);
  RECT r{0, 0, 2, 2};
  FillRect(canvas.dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(canvas.Count(RGB(0, 0, 0)), 16);  // a 4x4 square
  EXPECT_EQ(canvas.Color(1, 0), RGB(0, 0, 0));
  EXPECT_EQ(canvas.Color(0, 0), RGB(255, 255, 255));
  XFORM singular{0, 0, 0, 0, 0, 0};
  EXPECT_FALSE(SetWorldTransform(canvas.dc, &singular));
  EXPECT_EQ(SetGraphicsMode(canvas.dc, GM_COMPATIBLE), 0);  // refused until the identity is back
  ModifyWorldTransform(canvas.dc, nullptr, MWT_IDENTITY);
  EXPECT_EQ(SetGraphicsMode(canvas.dc, GM_COMPATIBLE), GM_ADVANCED);
}

TEST(BufferDCs, DrawIntoTheirPartOfTheBufferOnly) {
  // A 10x6 window buffer; the DC starts at pixel (4, 2) and may touch only a 3x2 area.
  std::vector<uint32_t> pixels(60, 0x00FFFFFF);
  platform::detail::PixelBuffer buffer{reinterpret_cast<uint8_t*>(pixels.data()), 10, 6, 40};
  HRGN visible = CreateRectRgn(0, 0, 3, 2);
  HDC dc = platform::detail::CreateBufferDC(buffer, POINT{4, 2}, visible);
  DeleteObject(visible);
  ASSERT_NE(dc, nullptr);
  RECT all{-10, -10, 20, 20};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  int black = 0;
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 4 && x < 7 && y >= 2 && y < 4;
      EXPECT_EQ(pixels[y * 10 + x] == 0, inside) << x << "," << y;
      black += pixels[y * 10 + x] == 0;
    }
  }
  EXPECT_EQ(black, 6);
  RECT box{};
  EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
  EXPECT_EQ(box.right, 3);
  // Handing the DC out again resets its state.
  SetTextColor(dc, RGB(9, 9, 9));
  EXPECT_TRUE(platform::detail::ResetBufferDC(dc));
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
  DeleteDC(dc);
}
