// The scroll-function hooks, driven through the window manager's own functions: a window
// that carries a ScrollHookInfo record gets its bars repainted by the record's owner instead
// of by the window manager; every other window is passed straight on.

#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/DcGuards.h"
#include "platform/testing/Synthetic.h"
#include "platform/user/FunctionTable.h"
#include "platform/user/ScrollBars.h"
#include "program/skin/DrawUtils.h"
#include "program/skin/ScrollHooks.h"
#include "program/skin/ScrollHookAtom.h"
#include "program/skin/SkinModule.h"

namespace {

using platform::OwnedGdiObject;
namespace testing_ui = platform::testing;

// Counts what the window manager paints of the frame.
int g_ncPaints = 0;

LRESULT CountingProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCPAINT) ++g_ncPaints;
  return DefWindowProcW(wnd, msg, wParam, lParam);
}

// The owner side of a record: counts repaints and can pretend to drag.
struct FakeBars : TScrollHookOwner {
  bool ThumbDragging() const override { return dragging; }
  static void Repaint(TScrollHookOwner* owner) { ++static_cast<FakeBars*>(owner)->repaints; }
  bool dragging = false;
  int repaints = 0;
  ScrollHookInfo record{this, &FakeBars::Repaint, -1, -1, 0, 0};
};

class ScrollHooks : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = CountingProc;
    wc.lpszClassName = u"ScrollHooksTest";
    RegisterClassW(&wc);
    wnd = CreateWindowExW(0, u"ScrollHooksTest", u"", WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL | WS_VISIBLE, 10,
                          10, 300, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(wnd);
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE, 0, 99, 10, 0, 0};
    SetScrollInfo(wnd, SB_VERT, &info, FALSE);
    testing_ui::RunUntilIdle();
    g_ncPaints = 0;
  }
  void TearDown() override {
    RemoveScrollHooks();
    if (IsWindow(wnd)) {
      RemovePropA(wnd, kScrollHookPropName);
      DestroyWindow(wnd);
    }
    testing_ui::UseManualClock(false);
  }
  void Skin() { SetPropA(wnd, kScrollHookPropName, &bars.record); }

  HWND wnd = nullptr;
  FakeBars bars;
};

TEST_F(ScrollHooks, InstallOnceAndRemoveRestoresTheTable) {
  const auto& original = platform::OriginalUserFunctions();
  auto& table = platform::UserFunctions();
  ASSERT_EQ(table.SetScrollPos, original.SetScrollPos);
  EXPECT_TRUE(InstallScrollHooks());
  auto hookedPos = table.SetScrollPos.Load();
  auto hookedDispatch = table.DispatchMessageW.Load();
  EXPECT_NE(hookedPos, original.SetScrollPos);
  EXPECT_NE(table.SetScrollInfo, original.SetScrollInfo);
  EXPECT_NE(table.SetScrollRange, original.SetScrollRange);
  EXPECT_NE(table.GetScrollInfo, original.GetScrollInfo);
  EXPECT_NE(table.DispatchMessageA, original.DispatchMessageA);
  EXPECT_NE(hookedDispatch, original.DispatchMessageW);
  EXPECT_EQ(table.GetScrollPos, original.GetScrollPos) << "only the six functions are replaced";

  EXPECT_TRUE(InstallScrollHooks()) << "a second install is a no-op that reports success";
  EXPECT_EQ(table.SetScrollPos, hookedPos);
  EXPECT_EQ(table.DispatchMessageW, hookedDispatch);

  // Installed twice, removed once: every call reaches the window manager directly again.
  RemoveScrollHooks();
  EXPECT_FALSE(ScrollHooksInstalled());
  EXPECT_EQ(table.SetScrollInfo, original.SetScrollInfo);
  EXPECT_EQ(table.SetScrollPos, original.SetScrollPos);
  EXPECT_EQ(table.SetScrollRange, original.SetScrollRange);
  EXPECT_EQ(table.GetScrollInfo, original.GetScrollInfo);
  EXPECT_EQ(table.DispatchMessageA, original.DispatchMessageA);
  EXPECT_EQ(table.DispatchMessageW, original.DispatchMessageW);
  RemoveScrollHooks();

  Skin();
  SetScrollPos(wnd, SB_VERT, 5, TRUE);
  testing_ui::RunUntilIdle();
  EXPECT_EQ(bars.repaints, 0);
  EXPECT_GE(g_ncPaints, 1) << "without the hooks the window manager repaints the frame";
}

TEST_F(ScrollHooks, SetFunctionsOnASkinnedWindowRepaintTheSkinnedBarsOnce) {
  InstallScrollHooks();
  Skin();
  EXPECT_EQ(SetScrollPos(wnd, SB_VERT, 45, TRUE), 0);
  EXPECT_EQ(SetScrollPos(wnd, SB_VERT, 20, TRUE), 45) << "the previous position, as the window manager gives it";
  EXPECT_EQ(GetScrollPos(wnd, SB_VERT), 20);
  EXPECT_EQ(bars.repaints, 2);
  SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, 30, 0};
  EXPECT_EQ(SetScrollInfo(wnd, SB_VERT, &info, TRUE), 30);
  EXPECT_TRUE(SetScrollRange(wnd, SB_HORZ, 0, 50, TRUE));
  EXPECT_EQ(bars.repaints, 4);
  testing_ui::RunUntilIdle();
  EXPECT_EQ(g_ncPaints, 0) << "the window manager's own bar painting is held back";

  // No redraw asked: nothing repaints. DeleteLock holds back SetScrollInfo's repaint only.
  SetScrollPos(wnd, SB_VERT, 10, FALSE);
  EXPECT_EQ(bars.repaints, 4);
  bars.record.DeleteLock = -1;
  SetScrollInfo(wnd, SB_VERT, &info, TRUE);
  EXPECT_EQ(bars.repaints, 4);
  SetScrollPos(wnd, SB_VERT, 11, TRUE);
  EXPECT_EQ(bars.repaints, 5);
  bars.record.DeleteLock = 0;

  // A hidden window is not painted; an inactive record passes the redraw on.
  ShowWindow(wnd, SW_HIDE);
  SetScrollPos(wnd, SB_VERT, 12, TRUE);
  EXPECT_EQ(bars.repaints, 5);
  ShowWindow(wnd, SW_SHOW);
  testing_ui::RunUntilIdle();
  g_ncPaints = 0;
  bars.record.Active = 0;
  SetScrollPos(wnd, SB_VERT, 13, TRUE);
  testing_ui::RunUntilIdle();
  EXPECT_EQ(bars.repaints, 5);
  EXPECT_GE(g_ncPaints, 1);
  EXPECT_EQ(SetScrollPos(nullptr, SB_VERT, 1, TRUE), 0) << "a bad handle still fails as before";
}

TEST_F(ScrollHooks, GetScrollInfoReportsTheOwnersTrackPosDuringItsDrag) {
  InstallScrollHooks();
  Skin();
  SetScrollPos(wnd, SB_VERT, 7, FALSE);
  bars.record.TrackPos = 70000;  // beyond 16 bits: exact through GetScrollInfo
  SCROLLINFO info{sizeof info, SIF_TRACKPOS | SIF_POS, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(wnd, SB_VERT, &info));
  EXPECT_EQ(info.nTrackPos, 7) << "not dragging: the window manager's value";
  bars.dragging = true;
  ASSERT_TRUE(GetScrollInfo(wnd, SB_VERT, &info));
  EXPECT_EQ(info.nTrackPos, 70000);
  EXPECT_EQ(info.nPos, 7);
  info = SCROLLINFO{sizeof info, SIF_POS, 0, 0, 0, 0, -1};
  ASSERT_TRUE(GetScrollInfo(wnd, SB_VERT, &info));
  EXPECT_EQ(info.nTrackPos, -1) << "untouched unless asked for";
  bars.record.Active = 0;
  info.fMask = SIF_TRACKPOS;
  ASSERT_TRUE(GetScrollInfo(wnd, SB_VERT, &info));
  EXPECT_EQ(info.nTrackPos, 7);
  EXPECT_FALSE(GetScrollInfo(nullptr, SB_VERT, &info));
}

struct TimerSeen {
  int calls = 0;
  bool barMasked = false;
  bool clientKept = false;
};
TimerSeen g_timer;
POINT g_barPoint, g_clientPoint;  // window coordinates

void RecordingTimerProc(HWND wnd, UINT, UINT_PTR, DWORD) {
  ++g_timer.calls;
  OwnedGdiObject<HRGN> region(CreateRectRgn(0, 0, 0, 0));
  if (GetWindowRgn(wnd, region.get()) != ERROR) {
    g_timer.barMasked = !PtInRegion(region.get(), g_barPoint.x, g_barPoint.y);
    g_timer.clientKept = PtInRegion(region.get(), g_clientPoint.x, g_clientPoint.y);
  }
  KillTimer(wnd, 7);
}

TEST_F(ScrollHooks, TimerProceduresRunWithTheBarsMaskedAndTheBarsRepaintAfter) {
  InstallScrollHooks();
  Skin();
  TRect horz, vert, sizeBox;
  CalcScrollBarRects(wnd, horz, vert, sizeBox);
  ASSERT_FALSE(vert.IsEmpty());
  ASSERT_FALSE(sizeBox.IsEmpty());
  g_barPoint = {vert.Left + 2, vert.Top + 2};
  g_clientPoint = {vert.Left - 5, vert.Top + 2};
  testing_ui::UseManualClock(true);

  g_timer = {};
  SetTimer(wnd, 7, 10, RecordingTimerProc);
  testing_ui::AdvanceClock(20);
  testing_ui::RunUntilIdle();
  EXPECT_EQ(g_timer.calls, 1);
  EXPECT_TRUE(g_timer.barMasked) << "the bar is cut out of the window region while the procedure runs";
  EXPECT_TRUE(g_timer.clientKept);
  OwnedGdiObject<HRGN> after(CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(GetWindowRgn(wnd, after.get()), ERROR) << "the window had no region and has none again";
  EXPECT_EQ(bars.repaints, 1);

  // A window with its own region gets it back; MaskFlag clear leaves it alone.
  SetWindowRgn(wnd, CreateRectRgn(1, 1, 299, 199), FALSE);
  bars.record.MaskFlag = 0;
  g_timer = {};
  SetTimer(wnd, 7, 10, RecordingTimerProc);
  testing_ui::AdvanceClock(20);
  testing_ui::RunUntilIdle();
  EXPECT_EQ(g_timer.calls, 1);
  EXPECT_FALSE(g_timer.barMasked);
  EXPECT_EQ(bars.repaints, 2);
  bars.record.MaskFlag = -1;
  g_timer = {};
  SetTimer(wnd, 7, 10, RecordingTimerProc);
  testing_ui::AdvanceClock(20);
  testing_ui::RunUntilIdle();
  EXPECT_TRUE(g_timer.barMasked);
  ASSERT_NE(GetWindowRgn(wnd, after.get()), ERROR);
  RECT box{};
  GetRgnBox(after.get(), &box);
  EXPECT_EQ(TRect(box), TRect(1, 1, 299, 199)) << "the window's own region is put back";

  // A plain WM_TIMER (no procedure) is not the hooks' business.
  const int before = bars.repaints;
  SetTimer(wnd, 8, 10, nullptr);
  testing_ui::AdvanceClock(20);
  testing_ui::RunUntilIdle();
  KillTimer(wnd, 8);
  EXPECT_EQ(bars.repaints, before);
}

TEST_F(ScrollHooks, BarRectanglesFollowTheClientAreaAndTheLeftScrollBarStyle) {
  RECT client{};
  GetClientRect(wnd, &client);
  TRect c(client);
  ASSERT_TRUE(ClientRectToWindow(wnd, c));
  const int barWidth = GetSystemMetrics(SM_CXVSCROLL), barHeight = GetSystemMetrics(SM_CYHSCROLL);
  TRect horz, vert, sizeBox;
  CalcScrollBarRects(wnd, horz, vert, sizeBox);
  EXPECT_EQ(horz, TRect(c.Left, c.Bottom, c.Right, c.Bottom + barHeight));
  EXPECT_EQ(vert, TRect(c.Right, c.Top, c.Right + barWidth, c.Bottom));
  EXPECT_EQ(sizeBox, TRect(c.Right, c.Bottom, c.Right + barWidth, c.Bottom + barHeight));

  SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) | WS_EX_LEFTSCROLLBAR);
  SetWindowPos(wnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  GetClientRect(wnd, &client);
  c = TRect(client);
  ClientRectToWindow(wnd, c);
  CalcScrollBarRects(wnd, horz, vert, sizeBox);
  EXPECT_EQ(vert, TRect(c.Left - barWidth, c.Top, c.Left, c.Bottom));
  EXPECT_EQ(sizeBox, TRect(vert.Left, horz.Top, vert.Right, horz.Bottom));

  ShowScrollBar(wnd, SB_HORZ, FALSE);
  CalcScrollBarRects(wnd, horz, vert, sizeBox);
  EXPECT_TRUE(horz.IsEmpty());
  EXPECT_TRUE(sizeBox.IsEmpty());
  EXPECT_FALSE(vert.IsEmpty());
  ShowScrollBar(wnd, SB_VERT, FALSE);
  CalcScrollBarRects(wnd, horz, vert, sizeBox);
  EXPECT_EQ(vert, TRect()) << "no bars: nothing stale is kept";
}

TEST(ScrollHooksModule, StopRemovesTheHooksBeforeTheAtomGoes) {
  StartSkinModule();
  EXPECT_TRUE(ScrollHookAtomExists());
  InstallScrollHooks();
  StopSkinModule();
  EXPECT_FALSE(ScrollHooksInstalled());
  EXPECT_EQ(platform::UserFunctions().DispatchMessageW, platform::OriginalUserFunctions().DispatchMessageW);
  EXPECT_FALSE(ScrollHookAtomExists());
}

}  // namespace
