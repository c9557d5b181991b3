#include <gtest/gtest.h>

#include "platform/display/Display.h"
#include "platform/gdi/WinGdi.h"
#include "platform/user/WinUser.h"

using namespace platform::display;

namespace {

LRESULT Proc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

void Pump() {
  MSG msg;
  for (int i = 0; i < 10000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) DispatchMessageW(&msg);
}

class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(StartDisplay(Backend::Headless, &error)) << error;
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = u"HeadlessRed";
    wc.hbrBackground = CreateSolidBrush(RGB(255, 0, 0));
    RegisterClassW(&wc);
  }
  void TearDown() override {
    for (HWND h : m_windows) DestroyWindow(h);
    Pump();
    StopDisplay();
  }
  HWND Red(DWORD exStyle, int x, int y, int w, int h) {
    HWND hwnd = CreateWindowExW(exStyle, u"HeadlessRed", u"", WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr, nullptr,
                                nullptr, nullptr);
    m_windows.push_back(hwnd);
    return hwnd;
  }
  std::vector<HWND> m_windows;
};

uint32_t At(const DesktopImage& image, int x, int y) { return image.pixels[static_cast<size_t>(y) * image.width + x]; }

TEST_F(HeadlessTest, ComposesWindowsWithAlphaAndShapes) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 800);
  Red(0, 10, 10, 100, 100);
  HWND layered = Red(WS_EX_LAYERED, 50, 50, 100, 100);
  ASSERT_TRUE(SetLayeredWindowAttributes(layered, 0, 128, LWA_ALPHA));
  HWND shaped = Red(0, 300, 300, 100, 100);
  SetWindowRgn(shaped, CreateRectRgn(0, 0, 50, 100), TRUE);
  Pump();
  const DesktopImage desktop = HeadlessDesktop();
  ASSERT_EQ(desktop.width, 1280);
  struct Case {
    const char* what;
    int x, y;
    uint32_t expected;
  };
  const uint32_t blue = 0x3A6EA5;
  const uint32_t overDesktop = (((255 * 128 + 0x3A * 127 + 127) / 255) << 16) | (((0x6E * 127 + 127) / 255) << 8) |
                               ((0xA5 * 127 + 127) / 255);
  const std::vector<Case> cases = {
      {"the desktop", 5, 5, blue},
      {"an opaque window", 20, 20, 0xFF0000},
      {"half-transparent over the red window", 60, 60, 0xFF0000},
      {"half-transparent over the desktop", 140, 140, overDesktop},
      {"inside the shape", 310, 350, 0xFF0000},
      {"outside the shape", 380, 350, blue},
  };
  for (const Case& c : cases) EXPECT_EQ(At(desktop, c.x, c.y), c.expected) << c.what;
}

TEST(DisplayChoice, ForcedAndMissingDisplays) {
  std::string error;
  setenv("BRANTWELL_DISPLAY", "nonsense", 1);
  EXPECT_FALSE(StartDisplay(&error));
  EXPECT_NE(error.find("nonsense"), std::string::npos);
  unsetenv("BRANTWELL_DISPLAY");
  const char* display = getenv("DISPLAY");
  std::string saved = display ? display : "";
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  EXPECT_FALSE(StartDisplay(&error));
  EXPECT_EQ(error, "no display: set DISPLAY or use the headless display");
  EXPECT_EQ(ActiveBackend(), Backend::None);
  setenv("BRANTWELL_DISPLAY", "headless", 1);
  EXPECT_TRUE(StartDisplay(&error));
  EXPECT_EQ(ActiveBackend(), Backend::Headless);
  StopDisplay();
  if (!saved.empty()) setenv("DISPLAY", saved.c_str(), 1);
}

}  // namespace
