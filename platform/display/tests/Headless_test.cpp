#include <gtest/gtest.h>

#include "platform/display/Display.h"
#include "platform/gdi/WinGdi.h"
#include "platform/testing/Synthetic.h"
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

// A window that answers a press on its client area as a press on its caption (releasing the
// capture and sending WM_NCLBUTTONDOWN with HTCAPTION), as windows without a caption of their
// own do to be dragged by their body. `g_pressPoint` says whether it passes the pointer's
// place (a screen point) or nothing (0), as callers do both.
bool g_pressPoint = false;

LRESULT DragByBodyProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_LBUTTONDOWN) {
    POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
    ClientToScreen(h, &at);
    ReleaseCapture();
    SendMessageW(h, WM_NCLBUTTONDOWN, HTCAPTION, g_pressPoint ? MAKELPARAM(at.x, at.y) : 0);
    return 0;
  }
  return DefWindowProcW(h, m, w, l);
}

TEST_F(HeadlessTest, APressOnTheClientAreaAnsweredAsACaptionPressMovesTheWindow) {
  namespace pt = platform::testing;
  WNDCLASSW wc{};
  wc.lpfnWndProc = DragByBodyProc;
  wc.lpszClassName = u"HeadlessDragByBody";
  wc.hbrBackground = CreateSolidBrush(RGB(0, 0, 255));
  RegisterClassW(&wc);
  struct Case {
    const char* what;
    DWORD style;
    bool pressPoint;
  };
  const Case cases[] = {
      {"a popup, no point", WS_POPUP, false},
      {"a popup, the press's point", WS_POPUP, true},
      {"a framed window, no point", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    g_pressPoint = c.pressPoint;
    HWND hwnd = CreateWindowExW(0, u"HeadlessDragByBody", u"", c.style | WS_VISIBLE, 200, 150, 400, 300, nullptr, nullptr,
                                nullptr, nullptr);
    m_windows.push_back(hwnd);
    ASSERT_TRUE(pt::RunUntilIdle());
    const POINT from = pt::ScreenPoint(hwnd, 150, 120);
    pt::Drag(from, POINT{from.x + 130, from.y + 70}, 5);
    ASSERT_TRUE(pt::RunUntilIdle());
    RECT r{};
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 330);
    EXPECT_EQ(r.top, 220);
    EXPECT_EQ(r.right - r.left, 400) << "moved, not sized";
    EXPECT_EQ(GetCapture(), nullptr) << "the loop lets the pointer go";
    // The desktop shows it at its new place.
    const DesktopImage desktop = HeadlessDesktop();
    EXPECT_EQ(At(desktop, 400, 300), 0x0000FFu);
    EXPECT_NE(At(desktop, 210, 160), 0x0000FFu);
    DestroyWindow(hwnd);
    m_windows.pop_back();
  }
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
