// Monitors and the work area, the caret's show/hide counting and blinking on the manual
// clock, and files dropped on windows that accept them.

#include <gtest/gtest.h>

#include <cstring>

#include "UserTestSupport.h"
#include "platform/gdi/WinGdi.h"
#include "platform/kernel/WinError.h"
#include "platform/user/Monitors.h"
#include "platform/user/Present.h"
#include "platform/user/WinUser.h"

namespace {

using namespace usertest;

TEST(Monitors, OneMonitorWithTheWorkArea) {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  HMONITOR primary = MonitorFromPoint(POINT{10, 10}, MONITOR_DEFAULTTONULL);
  ASSERT_NE(primary, nullptr);
  struct Case {
    const char* name;
    HMONITOR got;
    HMONITOR expected;
  };
  RECT inside{100, 100, 200, 200}, outside{-500, -500, -400, -400};
  const Case cases[] = {
      {"point outside, null", MonitorFromPoint(POINT{-5, -5}, MONITOR_DEFAULTTONULL), nullptr},
      {"point outside, nearest", MonitorFromPoint(POINT{-5, -5}, MONITOR_DEFAULTTONEAREST), primary},
      {"rect inside", MonitorFromRect(&inside, MONITOR_DEFAULTTONULL), primary},
      {"rect outside, null", MonitorFromRect(&outside, MONITOR_DEFAULTTONULL), nullptr},
      {"rect outside, primary", MonitorFromRect(&outside, MONITOR_DEFAULTTOPRIMARY), primary},
      {"stale window", MonitorFromWindow(reinterpret_cast<HWND>(0x5555), MONITOR_DEFAULTTONEAREST), nullptr},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.expected) << c.name;

  RECT reserved{0, 30, width, height - 40};
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETWORKAREA, 0, &reserved, 0));
  MONITORINFOEXW info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetMonitorInfoW(primary, &info));
  EXPECT_TRUE(EqualRect(&info.rcMonitor, &(const RECT&)RECT{0, 0, width, height}));
  EXPECT_TRUE(EqualRect(&info.rcWork, &reserved));
  EXPECT_EQ(info.dwFlags, MONITORINFOF_PRIMARY);
  EXPECT_EQ(std::u16string(info.szDevice), u"\\\\.\\DISPLAY1");
  MONITORINFO bad{};
  bad.cbSize = 5;
  EXPECT_FALSE(GetMonitorInfoA(primary, &bad));
  RECT full{0, 0, width, height};
  SystemParametersInfoW(SPI_SETWORKAREA, 0, &full, 0);

  int calls = 0;
  RECT clip{-10, -10, 50, 60};
  struct Seen {
    int* calls;
    RECT rect;
  } seen{&calls, {}};
  ASSERT_TRUE(EnumDisplayMonitors(nullptr, &clip, [](HMONITOR, HDC, RECT* r, LPARAM data) {
    auto* s = reinterpret_cast<Seen*>(data);
    ++*s->calls;
    s->rect = *r;
    return TRUE;
  }, reinterpret_cast<LPARAM>(&seen)));
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(EqualRect(&seen.rect, &(const RECT&)RECT{0, 0, 50, 60}));
}

// Monitors the display names, each with a work area that need not start at the monitor's
// corner: lookups, SPI_SETWORKAREA and maximising follow the monitor a window is on.
class MonitorsTest : public UserTest {
 protected:
  void TearDown() override {
    platform::detail::SetMonitorAreas({});
    UserTest::TearDown();
  }
};

TEST_F(MonitorsTest, SeveralMonitorsWithTheirWorkAreas) {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  const RECT primaryBounds{0, 0, width, height}, primaryWork{0, 30, width, height};
  const RECT secondBounds{width, 0, width + 1024, 768}, secondWork{width + 40, 0, width + 1024, 768};
  platform::detail::SetMonitorAreas({{primaryBounds, primaryWork}, {secondBounds, secondWork}});
  EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
  EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), width + 1024);
  RECT work{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_TRUE(EqualRect(&work, &primaryWork)) << "the primary monitor's";

  HMONITOR primary = MonitorFromPoint(POINT{10, 10}, MONITOR_DEFAULTTONULL);
  HMONITOR second = MonitorFromPoint(POINT{width + 10, 10}, MONITOR_DEFAULTTONULL);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, primary);
  const RECT mostlyOnSecond{width - 10, 100, width + 300, 200};
  EXPECT_EQ(MonitorFromRect(&mostlyOnSecond, MONITOR_DEFAULTTONULL), second);
  EXPECT_EQ(MonitorFromPoint(POINT{width + 2000, 10}, MONITOR_DEFAULTTONEAREST), second);
  EXPECT_EQ(MonitorFromPoint(POINT{width + 100, 5000}, MONITOR_DEFAULTTOPRIMARY), primary);
  MONITORINFOEXA info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetMonitorInfoA(second, &info));
  EXPECT_TRUE(EqualRect(&info.rcMonitor, &secondBounds));
  EXPECT_TRUE(EqualRect(&info.rcWork, &secondWork));
  EXPECT_EQ(info.dwFlags, 0u);
  EXPECT_STREQ(info.szDevice, "\\\\.\\DISPLAY2");
  int seen = 0;
  EnumDisplayMonitors(nullptr, nullptr, [](HMONITOR, HDC, RECT*, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
  }, reinterpret_cast<LPARAM>(&seen));
  EXPECT_EQ(seen, 2);

  // Maximised, a window fills the work area of its monitor with its frame (4) just outside.
  struct Case {
    const char* what;
    RECT place;
    RECT expected;
  };
  const std::vector<Case> cases = {
      {"primary, work area below a top panel", {10, 100, 310, 300}, {-4, 26, width + 4, height + 4}},
      {"second, work area right of a left panel", {width + 100, 100, width + 400, 300},
       {width + 36, -4, width + 1028, 772}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HWND hwnd = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, c.place.left, c.place.top, c.place.right - c.place.left,
                       c.place.bottom - c.place.top);
    ShowWindow(hwnd, SW_MAXIMIZE);
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_TRUE(EqualRect(&r, &c.expected)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    ShowWindow(hwnd, SW_MINIMIZE);
    ShowWindow(hwnd, SW_RESTORE);
    ShowWindow(hwnd, SW_MINIMIZE);
    EXPECT_EQ(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONULL), MonitorFromRect(&c.place, MONITOR_DEFAULTTONULL))
        << "a minimised window belongs to the monitor it is restored on";
    DestroyWindow(hwnd);
  }

  // SPI_SETWORKAREA changes the monitor that holds the area.
  const RECT reserved{width, 0, width + 1024, 700};
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETWORKAREA, 0, const_cast<RECT*>(&reserved), 0));
  ASSERT_TRUE(GetMonitorInfoA(second, &info));
  EXPECT_TRUE(EqualRect(&info.rcWork, &reserved));
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_TRUE(EqualRect(&work, &primaryWork)) << "the primary monitor keeps its own";

  platform::detail::SetMonitorAreas({});
  EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 1);
  EXPECT_FALSE(GetMonitorInfoA(second, &info)) << "the second monitor is gone";
}

class CaretTest : public UserTest {};

// Painting over the caret: BeginPaint takes it off and EndPaint draws it again on the new
// pixels, so what is on screen still matches its blink state.
TEST_F(CaretTest, PaintingKeepsTheCaretInStep) {
  HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 10, 10, 100, 60, nullptr,
                     [](HWND window, UINT msg, WPARAM, LPARAM, LRESULT* result) {
                       if (msg != WM_PAINT) return false;
                       PAINTSTRUCT paint;
                       HDC dc = BeginPaint(window, &paint);
                       RECT all{0, 0, 100, 60};
                       FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
                       EndPaint(window, &paint);
                       *result = 0;
                       return true;
                     });
  UpdateWindow(hwnd);
  auto pixelAt = [&](int x, int y) {
    platform::detail::WindowPixels pixels;
    EXPECT_TRUE(platform::detail::ReadWindowPixels(hwnd, false, &pixels));
    return pixels.pixels[static_cast<size_t>(y) * pixels.width + x] & 0xFFFFFF;
  };
  ASSERT_TRUE(CreateCaret(hwnd, nullptr, 2, 14));
  ASSERT_TRUE(SetCaretPos(20, 5));
  ASSERT_TRUE(ShowCaret(hwnd));
  ASSERT_EQ(pixelAt(21, 10), 0u);  // white inverted
  InvalidateRect(hwnd, nullptr, FALSE);
  UpdateWindow(hwnd);
  EXPECT_TRUE(platform::detail::CurrentCaret().drawn);
  EXPECT_EQ(pixelAt(21, 10), 0u) << "drawn again after the paint";
  platform::detail::AdvanceManualClock(GetCaretBlinkTime() + 1);
  Pump();
  EXPECT_EQ(pixelAt(21, 10), 0xFFFFFFu) << "the next blink takes it off";
  // A hidden caret stays hidden through a paint.
  HideCaret(hwnd);
  InvalidateRect(hwnd, nullptr, FALSE);
  UpdateWindow(hwnd);
  EXPECT_FALSE(platform::detail::CurrentCaret().shown);
  EXPECT_EQ(pixelAt(21, 10), 0xFFFFFFu);
  DestroyCaret();
}

TEST_F(CaretTest, ABitmapCaretInvertsThroughItsColouredPixels) {
  HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 10, 10, 100, 60);
  UpdateWindow(hwnd);
  // An 8 x 20 caret: a cyan bar in columns 3 and 4, black elsewhere (black inverts nothing).
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 20);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  RECT whole{0, 0, 8, 20}, bar{3, 2, 5, 18};
  FillRect(memory, &whole, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  HBRUSH cyan = CreateSolidBrush(RGB(0, 0xFF, 0xFF));
  FillRect(memory, &bar, cyan);
  DeleteObject(cyan);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  auto pixelAt = [&](int x, int y) {
    platform::detail::WindowPixels pixels;
    EXPECT_TRUE(platform::detail::ReadWindowPixels(hwnd, false, &pixels));
    return pixels.pixels[static_cast<size_t>(y) * pixels.width + x] & 0xFFFFFF;
  };
  const uint32_t background = pixelAt(50, 30);
  ASSERT_TRUE(CreateCaret(hwnd, bitmap, 0, 0));
  DeleteObject(bitmap);  // the caret keeps its own copy
  ASSERT_TRUE(SetCaretPos(20, 5));
  ASSERT_TRUE(ShowCaret(hwnd));
  EXPECT_EQ(pixelAt(23, 10), background ^ 0x00FFFFu);  // the bar
  EXPECT_EQ(pixelAt(21, 10), background);              // beside it
  HideCaret(hwnd);
  EXPECT_EQ(pixelAt(23, 10), background);
  DestroyCaret();
}

TEST_F(CaretTest, ShowHideCountingAndBlinkOnTheClock) {
  HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 10, 10, 100, 60);
  UpdateWindow(hwnd);
  ASSERT_TRUE(CreateCaret(hwnd, nullptr, 2, 14));
  EXPECT_FALSE(platform::detail::CurrentCaret().shown);  // created hidden
  ASSERT_TRUE(SetCaretPos(20, 5));
  ASSERT_TRUE(ShowCaret(hwnd));
  auto state = platform::detail::CurrentCaret();
  EXPECT_TRUE(state.shown);
  EXPECT_TRUE(state.drawn);
  EXPECT_TRUE(EqualRect(&state.rect, &(const RECT&)RECT{20, 5, 22, 19}));

  // Drawn means the pixels under it are inverted.
  auto pixelAt = [&](int x, int y) {
    platform::detail::WindowPixels pixels;
    EXPECT_TRUE(platform::detail::ReadWindowPixels(hwnd, false, &pixels));
    return pixels.pixels[static_cast<size_t>(y) * pixels.width + x] & 0xFFFFFF;
  };
  const uint32_t background = pixelAt(50, 30);
  EXPECT_EQ(pixelAt(21, 10), ~background & 0xFFFFFF);

  // Each blink time the caret toggles.
  platform::detail::AdvanceManualClock(GetCaretBlinkTime() + 1);
  Pump();
  EXPECT_FALSE(platform::detail::CurrentCaret().drawn);
  EXPECT_EQ(pixelAt(21, 10), background);
  platform::detail::AdvanceManualClock(GetCaretBlinkTime() + 1);
  Pump();
  EXPECT_TRUE(platform::detail::CurrentCaret().drawn);

  // Two hides need two shows; extra shows change nothing.
  ASSERT_TRUE(HideCaret(hwnd));
  ASSERT_TRUE(HideCaret(nullptr));
  EXPECT_EQ(pixelAt(21, 10), background);
  ShowCaret(hwnd);
  EXPECT_FALSE(platform::detail::CurrentCaret().shown);
  ShowCaret(hwnd);
  ShowCaret(hwnd);
  EXPECT_TRUE(platform::detail::CurrentCaret().shown);
  HideCaret(hwnd);
  EXPECT_FALSE(platform::detail::CurrentCaret().shown);

  HWND other = Create(WS_POPUP, 0, 0, 10, 10);
  EXPECT_FALSE(ShowCaret(other));  // not its caret
  POINT p{};
  ASSERT_TRUE(GetCaretPos(&p));
  EXPECT_EQ(p.x, 20);
  ASSERT_TRUE(DestroyCaret());
  EXPECT_FALSE(GetCaretPos(&p));
  EXPECT_FALSE(DestroyCaret());
  EXPECT_FALSE(CreateCaret(reinterpret_cast<HWND>(0x999), nullptr, 1, 1));
}

class DropFilesTest : public UserTest {};

TEST_F(DropFilesTest, DroppedOnTheNearestAcceptingWindow) {
  HWND top = Create(WS_POPUP | WS_VISIBLE, 100, 100, 300, 200);
  HWND child = Create(WS_CHILD | WS_VISIBLE, 10, 10, 100, 50, top);
  const std::vector<std::string> files{"/home/user/Videos/holiday.mp4", "/tmp/Caf\xC3\xA9 music.mp3"};

  EXPECT_FALSE(platform::detail::DropFiles(POINT{120, 120}, files));  // nobody accepts yet
  DragAcceptFiles(top, TRUE);
  EXPECT_TRUE(GetWindowLongPtrW(top, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  ClearLog();
  ASSERT_TRUE(platform::detail::DropFiles(POINT{120, 120}, files));  // over the child: goes to its parent
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_DROPFILES, WM_DROPFILES, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, top);
  HDROP drop = reinterpret_cast<HDROP>(msg.wParam);
  EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 2u);
  char16_t wide[64];
  EXPECT_EQ(DragQueryFileW(drop, 0, wide, 64), 29u);
  EXPECT_EQ(std::u16string(wide), u"/home/user/Videos/holiday.mp4");
  EXPECT_EQ(DragQueryFileA(drop, 1, nullptr, 0), 20u);
  char narrow[8];
  EXPECT_EQ(DragQueryFileA(drop, 1, narrow, 8), 7u);
  EXPECT_STREQ(narrow, "/tmp/Ca");
  EXPECT_EQ(DragQueryFileW(drop, 2, wide, 64), 0u);
  POINT at{};
  EXPECT_TRUE(DragQueryPoint(drop, &at));
  EXPECT_EQ(at.x, 20);
  EXPECT_EQ(at.y, 20);
  DragFinish(drop);
  EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 0u);

  DragAcceptFiles(top, FALSE);
  EXPECT_FALSE(platform::detail::DropFiles(POINT{120, 120}, files));
  EXPECT_FALSE(platform::detail::DropFiles(POINT{120, 120}, {}));
  (void)child;
}

}  // namespace
