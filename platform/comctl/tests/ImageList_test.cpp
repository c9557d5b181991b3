#include "platform/comctl/ImageList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/display/Display.h"
#include "platform/testing/Pictures.h"
#include "platform/testing/Synthetic.h"
#include "platform/user/WinUser.h"

namespace platform {
namespace {

namespace test = platform::testing;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kMagenta = 0xFF00FF, kWhite = 0xFFFFFF;

// A top-down 32-bit bitmap of `width` x `height` from 0xAARRGGBB pixels.
HBITMAP Bitmap(int width, int height, const std::vector<uint32_t>& pixels) {
  BITMAPINFO info = TopDownBitmapInfo32(width, height);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  std::memcpy(bits, pixels.data(), pixels.size() * 4);
  return bitmap;
}

// A 4x4 drawing surface filled with one colour.
class Surface {
 public:
  explicit Surface(uint32_t fill = kGreen) {
    m_bitmap = Bitmap(4, 4, std::vector<uint32_t>(16, fill));
    m_dc = CreateCompatibleDC(nullptr);
    m_old = SelectObject(m_dc, m_bitmap);
  }
  ~Surface() {
    SelectObject(m_dc, m_old);
    DeleteDC(m_dc);
    DeleteObject(m_bitmap);
  }
  HDC dc() const { return m_dc; }
  uint32_t At(int x, int y) const { return test::CaptureDc(m_dc).At(x, y) & 0xFFFFFF; }

 private:
  HBITMAP m_bitmap;
  HDC m_dc;
  HGDIOBJ m_old;
};

// Two 4x4 images side by side: red with its top-left pixel magenta, and blue.
HBITMAP TwoImages() {
  std::vector<uint32_t> pixels(32);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) pixels[static_cast<size_t>(y) * 8 + x] = x < 4 ? kRed : kBlue;
  pixels[0] = kMagenta;
  return Bitmap(8, 4, pixels);
}

TEST(ImageList, AddsSlicesAndDrawsWithTheMaskRules) {
  HIMAGELIST list = ImageList_Create(4, 4, ILC_COLOR32 | ILC_MASK, 2, 2);
  ASSERT_NE(list, nullptr);
  HBITMAP images = TwoImages();
  EXPECT_EQ(ImageList_AddMasked(list, images, RGB(255, 0, 255)), 0);
  EXPECT_EQ(ImageList_GetImageCount(list), 2);

  struct Case {
    const char* what;
    COLORREF listBackground;
    UINT style;
    uint32_t maskedPixel, otherPixel;
  } cases[] = {
      {"transparent", CLR_NONE, ILD_NORMAL, kGreen, kRed},
      {"on the list's colour", RGB(255, 255, 255), ILD_NORMAL, kWhite, kRed},
      {"transparent wins over the colour", RGB(255, 255, 255), ILD_TRANSPARENT, kGreen, kRed},
      {"the mask", CLR_NONE, ILD_MASK, kWhite, 0x000000},
      {"the image without its mask", CLR_NONE, ILD_IMAGE, 0x000000, kRed},
  };
  for (const Case& c : cases) {
    ImageList_SetBkColor(list, c.listBackground);
    Surface surface;
    ASSERT_TRUE(ImageList_Draw(list, 0, surface.dc(), 0, 0, c.style)) << c.what;
    EXPECT_EQ(surface.At(0, 0), c.maskedPixel) << c.what;
    EXPECT_EQ(surface.At(2, 2), c.otherPixel) << c.what;
  }
  ImageList_SetBkColor(list, CLR_NONE);

  // Blending mixes the given colour in; an overlay is drawn on top, transparent.
  {
    Surface surface;
    ImageList_DrawEx(list, 1, surface.dc(), 0, 0, 0, 0, CLR_NONE, RGB(255, 0, 0), ILD_BLEND50);
    EXPECT_EQ(surface.At(1, 1), 0x800080u);
  }
  {
    ASSERT_TRUE(ImageList_SetOverlayImage(list, 0, 1));
    Surface surface;
    ImageList_Draw(list, 1, surface.dc(), 0, 0, ILD_TRANSPARENT | INDEXTOOVERLAYMASK(1));
    EXPECT_EQ(surface.At(0, 0), kBlue);  // the overlay's transparent pixel
    EXPECT_EQ(surface.At(3, 3), kRed);
  }
  // Part of an image: cx, cy limit what is drawn.
  {
    Surface surface;
    ImageList_DrawEx(list, 1, surface.dc(), 0, 0, 2, 2, CLR_NONE, CLR_DEFAULT, ILD_NORMAL);
    EXPECT_EQ(surface.At(1, 1), kBlue);
    EXPECT_EQ(surface.At(3, 3), kGreen);
  }
  DeleteObject(images);
  ImageList_Destroy(list);
}

TEST(ImageList, KeepsAlphaOfThirtyTwoBitImages) {
  HIMAGELIST list = ImageList_Create(4, 4, ILC_COLOR32, 1, 1);
  HBITMAP half = Bitmap(4, 4, std::vector<uint32_t>(16, 0x80FFFFFFu));
  ASSERT_EQ(ImageList_Add(list, half, nullptr), 0);
  Surface surface(0x000000);
  ImageList_Draw(list, 0, surface.dc(), 0, 0, ILD_TRANSPARENT);
  const uint32_t p = surface.At(1, 1);
  EXPECT_NEAR(static_cast<int>(p & 0xFF), 128, 2);
  // Without alpha in the bitmap, an unmasked list draws the image opaque.
  HBITMAP opaque = Bitmap(4, 4, std::vector<uint32_t>(16, kBlue));
  ASSERT_EQ(ImageList_Add(list, opaque, nullptr), 1);
  ImageList_Draw(list, 1, surface.dc(), 0, 0, ILD_TRANSPARENT);
  EXPECT_EQ(surface.At(1, 1), kBlue);
  DeleteObject(half);
  DeleteObject(opaque);
  ImageList_Destroy(list);
}

TEST(ImageList, CountsReplacesRemovesAndDescribes) {
  HIMAGELIST list = ImageList_Create(4, 4, ILC_COLOR32 | ILC_MASK, 0, 4);
  HBITMAP images = TwoImages();
  ImageList_Add(list, images, nullptr);
  ASSERT_TRUE(ImageList_SetOverlayImage(list, 1, 2));

  IMAGEINFO info{};
  ASSERT_TRUE(ImageList_GetImageInfo(list, 1, &info));
  EXPECT_EQ(info.rcImage.left, 4);
  EXPECT_EQ(info.rcImage.right, 8);
  EXPECT_NE(info.hbmImage, nullptr);
  EXPECT_NE(info.hbmMask, nullptr);
  EXPECT_EQ(test::CaptureBitmap(info.hbmImage).At(5, 1) & 0xFFFFFF, kBlue);

  // Replacing image 0 by image 1's icon; removing image 0 moves the overlay down.
  HICON icon = ImageList_GetIcon(list, 1, ILD_NORMAL);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(ImageList_ReplaceIcon(list, 0, icon), 0);
  EXPECT_EQ(ImageList_AddIcon(list, icon), 2);
  {
    Surface surface;
    ImageList_Draw(list, 0, surface.dc(), 0, 0, ILD_TRANSPARENT);
    EXPECT_EQ(surface.At(0, 0), kBlue);
  }
  DestroyIcon(icon);
  EXPECT_TRUE(ImageList_Remove(list, 0));
  EXPECT_EQ(ImageList_GetImageCount(list), 2);
  {
    Surface surface;
    ImageList_Draw(list, 1, surface.dc(), 0, 0, ILD_TRANSPARENT | INDEXTOOVERLAYMASK(2));
    EXPECT_EQ(surface.At(2, 2), kBlue);
  }
  EXPECT_FALSE(ImageList_Remove(list, 5));
  EXPECT_FALSE(ImageList_Draw(list, 7, nullptr, 0, 0, ILD_NORMAL));

  EXPECT_TRUE(ImageList_SetImageCount(list, 5));
  EXPECT_EQ(ImageList_GetImageCount(list), 5);
  {
    Surface surface;
    ImageList_Draw(list, 4, surface.dc(), 0, 0, ILD_NORMAL);  // a blank image is transparent
    EXPECT_EQ(surface.At(2, 2), kGreen);
  }
  EXPECT_TRUE(ImageList_SetIconSize(list, 8, 6));
  int cx = 0, cy = 0;
  ASSERT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
  EXPECT_EQ(cx, 8);
  EXPECT_EQ(cy, 6);
  EXPECT_EQ(ImageList_GetImageCount(list), 0);

  EXPECT_EQ(ImageList_SetBkColor(list, RGB(1, 2, 3)), CLR_NONE);
  EXPECT_EQ(ImageList_GetBkColor(list), RGB(1, 2, 3));
  DeleteObject(images);
  EXPECT_TRUE(ImageList_Destroy(list));
  // A destroyed list is refused everywhere.
  EXPECT_FALSE(ImageList_Destroy(list));
  EXPECT_EQ(ImageList_GetImageCount(list), 0);
  EXPECT_EQ(ImageList_Add(list, images, nullptr), -1);
  EXPECT_EQ(ImageList_Create(0, 4, ILC_COLOR32, 0, 0), nullptr);
}


TEST(ImageList, DragImageIsDrawnOverAWindowAndTakenAwayWithoutTrace) {
  std::string error;
  ASSERT_TRUE(platform::display::StartDisplay(platform::display::Backend::Headless, &error)) << error;
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"DragImageTarget";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  RegisterClassW(&wc);
  HWND target = CreateWindowExW(0, u"DragImageTarget", u"", WS_POPUP | WS_VISIBLE, 0, 0, 40, 30, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(target, nullptr);
  UpdateWindow(target);
  const uint32_t background = test::ReadWindow(target, true).At(20, 20) & 0xFFFFFF;
  HIMAGELIST list = ImageList_Create(4, 4, ILC_COLOR32, 2, 2);
  HBITMAP images = TwoImages();
  ImageList_Add(list, images, nullptr);
  DeleteObject(images);
  ASSERT_TRUE(ImageList_BeginDrag(list, 1, 1, 1));
  ImageList_Destroy(list);  // the drag keeps its own copy
  POINT hotspot{};
  ASSERT_NE(ImageList_GetDragImage(nullptr, &hotspot), nullptr);
  EXPECT_EQ(hotspot.x, 1);
  ASSERT_TRUE(ImageList_DragEnter(target, 10, 10));
  auto at = [&](int x, int y) { return test::ReadWindow(target, true).At(x, y) & 0xFFFFFF; };
  EXPECT_EQ(at(9, 9), kBlue);  // (10, 10) less the hot spot
  EXPECT_EQ(at(12, 12), kBlue);
  EXPECT_EQ(at(13, 13), background);
  ImageList_DragMove(20, 15);
  EXPECT_EQ(at(9, 9), background);
  EXPECT_EQ(at(19, 14), kBlue);
  ImageList_DragShowNolock(FALSE);
  EXPECT_EQ(at(19, 14), background);
  ImageList_DragShowNolock(TRUE);
  EXPECT_EQ(at(19, 14), kBlue);
  ImageList_DragLeave(target);
  EXPECT_EQ(at(19, 14), background);
  ImageList_EndDrag();
  EXPECT_EQ(ImageList_GetDragImage(nullptr, nullptr), nullptr);
  EXPECT_FALSE(ImageList_DragMove(1, 1));
  DestroyWindow(target);
}

}  // namespace
}  // namespace platform
