// System colours and brushes, SystemParametersInfo reads, writes and errors, and the
// settings that other calls follow (work area for maximising, drag thresholds).

#include <gtest/gtest.h>

#include "platform/gdi/WinGdi.h"
#include "platform/kernel/WinError.h"
#include "platform/user/WinUser.h"

namespace {

TEST(SysColor, ClassicValuesBrushesAndGaps) {
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(212, 208, 200));
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGB(10, 36, 106));
  EXPECT_EQ(GetSysColor(COLOR_INFOBK), RGB(255, 255, 225));
  EXPECT_EQ(GetSysColor(COLOR_3DDKSHADOW), RGB(64, 64, 64));
  EXPECT_EQ(GetSysColor(25), 0u);  // the index without a colour
  EXPECT_EQ(GetSysColor(31), 0u);
  EXPECT_EQ(GetSysColor(-1), 0u);
  EXPECT_EQ(GetSysColorBrush(25), nullptr);

  // The brush paints its colour and is the same handle each time.
  HBRUSH brush = GetSysColorBrush(COLOR_INFOBK);
  ASSERT_NE(brush, nullptr);
  EXPECT_EQ(GetSysColorBrush(COLOR_INFOBK), brush);
  LOGBRUSH info{};
  ASSERT_EQ(GetObjectW(brush, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.lbColor, RGB(255, 255, 225));
  // A caller that deletes it by mistake does not leave later callers with a dead handle.
  DeleteObject(brush);
  HBRUSH again = GetSysColorBrush(COLOR_INFOBK);
  EXPECT_EQ(GetObjectType(again), static_cast<DWORD>(OBJ_BRUSH));
}

TEST(SystemParametersInfo, ReadsWritesAndErrors) {
  ANIMATIONINFO anim{sizeof anim, 7};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETANIMATION, sizeof anim, &anim, 0));
  EXPECT_EQ(anim.iMinAnimate, 0);
  anim.iMinAnimate = 1;
  ASSERT_TRUE(SystemParametersInfoA(SPI_SETANIMATION, sizeof anim, &anim, 0));
  anim.iMinAnimate = 0;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETANIMATION, sizeof anim, &anim, 0));
  EXPECT_EQ(anim.iMinAnimate, 1);
  ANIMATIONINFO off{sizeof off, 0};
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETANIMATION, sizeof off, &off, 0));

  // Boolean effects: get, set through the pointer value, get again.
  struct Flag {
    UINT get, set;
  };
  for (Flag f : {Flag{SPI_GETKEYBOARDCUES, SPI_SETKEYBOARDCUES}, Flag{SPI_GETTOOLTIPANIMATION, SPI_SETTOOLTIPANIMATION},
                 Flag{SPI_GETTOOLTIPFADE, SPI_SETTOOLTIPFADE}, Flag{SPI_GETMENUANIMATION, SPI_SETMENUANIMATION}}) {
    SCOPED_TRACE(f.get);
    BOOL value = 2;
    ASSERT_TRUE(SystemParametersInfoW(f.get, 0, &value, 0));
    EXPECT_EQ(value, FALSE);
    ASSERT_TRUE(SystemParametersInfoW(f.set, 0, reinterpret_cast<PVOID>(1), 0));
    ASSERT_TRUE(SystemParametersInfoW(f.get, 0, &value, 0));
    EXPECT_EQ(value, TRUE);
    ASSERT_TRUE(SystemParametersInfoW(f.set, 0, nullptr, 0));
  }

  struct Bad {
    const char* name;
    UINT action, value;
    PVOID param;
  };
  ANIMATIONINFO wrongSize{3, 0};
  for (const Bad& b : {Bad{"unknown action", 0x7777, 0, &anim}, Bad{"no buffer", SPI_GETWORKAREA, 0, nullptr},
                       Bad{"no buffer for a flag", SPI_GETKEYBOARDCUES, 0, nullptr},
                       Bad{"wrong cbSize", SPI_GETANIMATION, sizeof wrongSize, &wrongSize},
                       Bad{"zero drag width", SPI_SETDRAGWIDTH, 0, nullptr}}) {
    SCOPED_TRACE(b.name);
    SetLastError(0);
    EXPECT_FALSE(SystemParametersInfoW(b.action, b.value, b.param, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  UINT blink = GetCaretBlinkTime();
  EXPECT_EQ(blink, 530u);
  ASSERT_TRUE(SetCaretBlinkTime(300));
  EXPECT_EQ(GetCaretBlinkTime(), 300u);
  EXPECT_FALSE(SetCaretBlinkTime(0));
  SetCaretBlinkTime(blink);
  EXPECT_TRUE(MessageBeep(0));
}

TEST(SystemParametersInfo, WorkAreaAndDragThresholdReachOtherCalls) {
  RECT work{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(work.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(work.bottom, GetSystemMetrics(SM_CYSCREEN));

  RECT reserved{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) - 40};
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETWORKAREA, 0, &reserved, 0));
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(work.bottom, reserved.bottom);
  // A window maximised into the work area stops above the reserved strip.
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"SpiWorkAreaClass";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, u"SpiWorkAreaClass", u"w", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr,
                              nullptr, nullptr, nullptr);
  ShowWindow(hwnd, SW_MAXIMIZE);
  RECT client{};
  GetClientRect(hwnd, &client);
  POINT bottom{0, client.bottom};
  ClientToScreen(hwnd, &bottom);
  EXPECT_LE(bottom.y, reserved.bottom);
  DestroyWindow(hwnd);

  RECT empty{10, 10, 10, 20};
  EXPECT_FALSE(SystemParametersInfoW(SPI_SETWORKAREA, 0, &empty, 0));
  RECT full{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETWORKAREA, 0, &full, 0));

  ASSERT_TRUE(SystemParametersInfoW(SPI_SETDRAGWIDTH, 9, nullptr, 0));
  EXPECT_EQ(GetSystemMetrics(SM_CXDRAG), 9);
  EXPECT_EQ(GetSystemMetrics(SM_CYDRAG), 4);
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETDRAGWIDTH, 4, nullptr, 0));
}

}  // namespace
