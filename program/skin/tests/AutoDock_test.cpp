// The edge auto-dock: a form moved near an edge snaps to it and docks there (except at the
// task bar's edge), the left and top edges being those of the monitor's work area; a docked
// form slides into its edge leaving a 2-pixel strip and comes back out.

#include <gtest/gtest.h>

#include "SkinFormTestSupport.h"

using namespace skin_form_test;
using platform::testing::RunUntilIdle;

namespace {

class AutoDock : public SkinFormFixture {
 protected:
  void SetUp() override {
    SkinFormFixture::SetUp();
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &saved, 0);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    monitor = info.rcMonitor;
  }
  void TearDown() override {
    SystemParametersInfoW(SPI_SETWORKAREA, 0, &saved, 0);
    SkinFormFixture::TearDown();
  }
  void SetWorkArea(int left, int top, int right, int bottom) {
    RECT work{monitor.left + left, monitor.top + top, monitor.right - right, monitor.bottom - bottom};
    ASSERT_TRUE(SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0));
  }
  RECT saved{};
  RECT monitor{};
};

TEST_F(AutoDock, AMoveNearAnEdgeSnapsToItAndDocksThere) {
  TSkinForm* form = ShowForm(bsSizeable, 300, 200);
  struct Case {
    int gapLeft, gapTop;  // the work area's distance from the monitor's left and top
    int x, y;
    int snappedX, snappedY;
    TAutoDockPos dock;
    const char* what;
  } cases[] = {
      {0, 0, int(monitor.right) - 305, 300, int(monitor.right) - 300, 300, dpRight, "right edge"},
      {0, 0, 8, 300, 0, 300, dpLeft, "left edge"},
      {0, 0, 400, 300, 400, 300, dpNone, "far from every edge"},
      {40, 0, 48, 300, 48, 300, dpNone, "the task bar holds the left edge"},
      {20, 60, 25, 300, 20, 300, dpLeft, "the work area's left edge, not 0"},
      {60, 20, 400, 27, 400, 20, dpTop, "the work area's top edge, not 0"},
  };
  for (const Case& c : cases) {
    SetWorkArea(c.gapLeft, c.gapTop, 0, 0);
    form->SetDockPos(dpNone);
    int x = c.x + monitor.left, y = c.y + monitor.top;
    form->SnapToDockEdges(x, y);
    EXPECT_EQ(x, c.snappedX + monitor.left) << c.what;
    EXPECT_EQ(y, c.snappedY + monitor.top) << c.what;
    EXPECT_EQ(form->DockPos(), c.dock) << c.what;
  }
}

TEST_F(AutoDock, MovingTheWindowNearTheRightEdgeSnapsIt) {
  TSkinForm* form = ShowForm(bsSizeable, 300, 200);
  form->SetAutoDock(true);
  SetWindowPos(form->Handle(), nullptr, monitor.right - 295, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RunUntilIdle();
  EXPECT_EQ(form->Left(), monitor.right - 300);
  EXPECT_EQ(form->DockPos(), dpRight);
}

TEST_F(AutoDock, ADockedFormSlidesInLeavingAStripAndOutAgain) {
  SetWorkArea(0, 40, 0, 0);
  TSkinForm* form = ShowForm(bsSizeable, 300, 200);
  struct Case {
    TAutoDockPos dock;
    int inLeft, inTop, outLeft, outTop;
  } cases[] = {
      {dpRight, int(monitor.right) - 2, 100, int(monitor.right) - 300, 100},
      {dpBottom, 100, int(monitor.bottom) - 2, 100, int(monitor.bottom) - 200},
      {dpTop, 100, int(monitor.top) + 40 + 2 - 200, 100, int(monitor.top) + 40},
  };
  for (const Case& c : cases) {
    form->SetBounds(100, 100, 300, 200);
    form->SetDockPos(c.dock);
    int before = 0, after = 0;
    form->OnBeforeDock = TNotifyEvent([&](TObject*) { ++before; });
    form->OnAfterDock = TNotifyEvent([&](TObject*) { ++after; });
    form->SlideDock(true);
    EXPECT_TRUE(form->DockedIn());
    EXPECT_EQ(form->Left(), c.inLeft) << c.dock;
    EXPECT_EQ(form->Top(), c.inTop) << c.dock;
    EXPECT_TRUE(IsWindowVisible(form->Handle())) << "the strip stays on screen";
    form->SlideDock(false);
    EXPECT_FALSE(form->DockedIn());
    EXPECT_EQ(form->Left(), c.outLeft) << c.dock;
    EXPECT_EQ(form->Top(), c.outTop) << c.dock;
    EXPECT_EQ(before, 2);
    EXPECT_EQ(after, 2);
  }
  form->SetDockPos(dpNone);
  form->SlideDock(true);
  EXPECT_FALSE(form->DockedIn()) << "an undocked form does not slide";
}

}  // namespace
