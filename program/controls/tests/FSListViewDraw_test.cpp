#include <gtest/gtest.h>

#include "FSListViewTestSupport.h"

using namespace listview_test;
using namespace controls_test;
using namespace platform;
namespace pt = platform::testing;

namespace {

// Header sections normal, hot, pressed; the divider; progress track and bar.
constexpr uint32_t kNormal = 0xC0C0C0, kHot = 0xFFFF00, kPressed = 0xFF8000, kDivider = 0x000080, kTrack = 0x404040,
                   kBar = 0x00C000;

class ListViewDrawing : public ListViewFixture {
 protected:
  void SetUp() override {
    ListViewFixture::SetUp();
    WriteCells(folder / "cells.bmp", {kNormal, kHot, kPressed, kDivider, kTrack, kBar}, 20);
    WriteSkin("Controls", {{"Header", CellPart(0, "cells.bmp", 0, 3) +
                                          "<Part id=\"1\"><Graphic Name=\"cells.bmp\"/><State Left=\"60\" Top=\"0\" "
                                          "Width=\"1\" Height=\"20\"/></Part>"},
                           {"Bars", CellPart(0, "cells.bmp", 4, 2)}});
    UseFolder();
  }
  TestListView* ReportView() {
    TestListView* view = MakeView(vsReport, 300, 160);
    AddColumns(view, {"Name", "Done"}, 100);
    return view;
  }
  static RECT Section(TFSCustomListView* view, int index) {
    RECT r{};
    SendMessageA(view->HeaderHandle(), HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    return r;
  }
  static int HeaderHeight(TFSCustomListView* view) {
    RECT r{};
    GetWindowRect(view->HeaderHandle(), &r);
    return r.bottom - r.top;
  }
};

TEST_F(ListViewDrawing, TheHeaderIsAsHighAsItsSkinUnlessTold) {
  TestListView* view = ReportView();
  EXPECT_EQ(HeaderHeight(view), 20);
  view->SetHeaderHeight(30);
  pt::RunUntilIdle();
  EXPECT_EQ(HeaderHeight(view), 30);
  view->SetHeaderHeight(-1);
  view->SetOwnerDrawHeader(false);
  view->SetHeaderHeight(-2);
  view->SetHeaderHeight(-1);
  pt::RunUntilIdle();
  EXPECT_NE(HeaderHeight(view), 20) << "without the skinned header the control's own height";
}

// Visual themes are never on: the skinned hot and pressed looks must repaint all the same.
TEST_F(ListViewDrawing, HotAndPressedSectionsRepaintFromTheSkin) {
  TestListView* view = ReportView();
  pt::RunUntilIdle();
  HWND header = view->HeaderHandle();
  const RECT size = Section(view, 1);
  auto pixel = [&] {
    pt::RunUntilIdle();
    return WindowPixel(header, size.left + 60, 4);
  };
  EXPECT_EQ(pixel(), kNormal);
  pt::MouseMove(pt::ScreenPoint(header, size.left + 50, 10));
  EXPECT_EQ(pixel(), kHot);
  EXPECT_EQ(view->HotSection(), 1);
  pt::MouseDown(pt::ScreenPoint(header, size.left + 50, 10));
  EXPECT_EQ(pixel(), kPressed);
  pt::MouseUp(pt::ScreenPoint(header, size.left + 50, 10));
  pt::MouseMove(pt::ScreenPoint(view->Handle(), 150, 120));
  EXPECT_EQ(pixel(), kNormal);
  EXPECT_EQ(WindowPixel(header, size.left - 1, 10), kDivider) << "the divider at the section's left edge";
}

TEST_F(ListViewDrawing, ProgressCellsDrawBarsForLeadingNumbersOnly) {
  TestListView* view = ReportView();
  view->ProgressSkinName = "Bars";
  view->ResolveProgressPart();
  view->SetProgressColumn(1);
  AddItem(view, "half", {"45%"});
  AddItem(view, "spaced", {"7 %"});
  AddItem(view, "words", {"waiting"});
  pt::RunUntilIdle();
  auto cellPixel = [&](int row, int x) {
    RECT cell{};
    cell.top = 1;
    cell.left = LVIR_BOUNDS;
    view->Perform(LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    return WindowPixel(view->Handle(), cell.left + x, cell.top + 2);
  };
  EXPECT_EQ(cellPixel(0, 5), kBar);
  EXPECT_EQ(cellPixel(0, 90), kTrack);
  EXPECT_EQ(cellPixel(1, 3), kBar);
  EXPECT_EQ(cellPixel(1, 20), kTrack);
  EXPECT_NE(cellPixel(2, 90), kTrack) << "a text that is no number is the control's to show";
}

}  // namespace
