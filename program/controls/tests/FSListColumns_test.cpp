#include <gtest/gtest.h>

#include "FSListViewTestSupport.h"
#include "rtl/Exceptions.h"

using namespace listview_test;
using namespace platform;
namespace pt = platform::testing;

namespace {

using ListColumns = ListViewFixture;

TEST_F(ListColumns, WidthsKeepTheirLimitsAndAutomaticValues) {
  TestListView* view = MakeView();
  TFSListColumn* column = view->Columns()->Add();
  const struct {
    int minWidth, maxWidth, set, expected;
  } cases[] = {{20, 0, 10, 20}, {20, 0, -1, -1}, {0, 0, 500, 500}, {0, 100, 500, 100}, {0, 0, -2, -2}};
  for (const auto& c : cases) {
    column->SetMinWidth(c.minWidth);
    column->SetMaxWidth(c.maxWidth);
    column->SetWidth(c.set);
    EXPECT_EQ(column->StoredWidth(), c.expected) << "min " << c.minWidth << " max " << c.maxWidth << " set " << c.set;
  }
}

TEST_F(ListColumns, ColumnsReachTheWindowAndSurviveItsRecreation) {
  TestListView* view = MakeView();
  AddColumns(view, {"Name", "Size"}, 90);
  view->Columns()->Items(1)->SetAlignment(taRightJustify);
  auto check = [&] {
    char text[64] = {};
    LVCOLUMNA info{};
    info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    info.pszText = text;
    info.cchTextMax = sizeof(text);
    ASSERT_TRUE(view->Perform(LVM_GETCOLUMNA, 1, reinterpret_cast<LPARAM>(&info)));
    EXPECT_STREQ(text, "Size");
    EXPECT_EQ(info.cx, 90);
    EXPECT_EQ(info.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_RIGHT);
  };
  check();
  view->SetShowColumnHeaders(false);
  view->SetShowColumnHeaders(true);
  check();
}

TEST_F(ListColumns, AutoSizeColumnsShareTheFreeWidthButNeverGoBelowTheirMinimum) {
  TestListView* view = MakeView(vsReport, 301, 200);
  view->SetBorderStyle(bsNone);
  view->SetBounds(10, 10, 301, 200);
  ASSERT_EQ(view->ClientWidth(), 301);
  AddColumns(view, {"a", "b", "c"});
  for (int i = 0; i < 3; ++i) view->Columns()->Items(i)->SetAutoSize(true);
  view->DoAutoSize();
  EXPECT_EQ(view->Columns()->Items(0)->StoredWidth(), 101) << "the first takes the remainder";
  EXPECT_EQ(view->Columns()->Items(1)->StoredWidth(), 100);
  EXPECT_EQ(view->Columns()->Items(2)->StoredWidth(), 100);
  // A fixed column wider than the view leaves nothing to share.
  view->Columns()->Items(0)->SetAutoSize(false);
  view->Columns()->Items(0)->SetWidth(400);
  view->Columns()->Items(2)->SetMinWidth(30);
  view->DoAutoSize();
  EXPECT_EQ(view->Columns()->Items(1)->StoredWidth(), 0) << "never a negative (automatic) width";
  EXPECT_EQ(view->Columns()->Items(2)->StoredWidth(), 30);
}

TEST_F(ListColumns, SortMarksCycleOnHeaderClicksAndResetTheOthers) {
  TestListView* view = MakeView();
  AddColumns(view, {"Name", "Size"}, 100);
  std::vector<TObject*> changed;
  view->OnSortMarkChange = [&](TObject* sender) { changed.push_back(sender); };
  ASSERT_NE(view->HeaderHandle(), nullptr);
  auto clickSection = [&](int index) {
    RECT r{};
    SendMessageA(view->HeaderHandle(), HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    pt::Click(pt::ScreenPoint(view->HeaderHandle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2));
    pt::RunUntilIdle();
  };
  const TFSColumnSortStyle expected[] = {smsAsc, smsDesc, smsAsc};
  for (TFSColumnSortStyle mark : expected) {
    clickSection(0);
    EXPECT_EQ(view->Columns()->Items(0)->SortMark(), mark);
  }
  clickSection(1);
  EXPECT_EQ(view->Columns()->Items(0)->SortMark(), smsNone);
  EXPECT_EQ(view->Columns()->Items(1)->SortMark(), smsAsc);
  EXPECT_EQ(changed.size(), 5u);
  EXPECT_EQ(changed.back(), view->Columns()->Items(1));
}

TEST_F(ListColumns, GroupsTakeFreeIdsAndTheirItemsFollowThem) {
  TestListView* view = MakeView();
  view->SetGroupView(true);
  for (int id : {0, 1, 3}) {
    TFSListGroup* group = view->Groups()->Add();
    group->SetGroupID(id);
    group->SetHeader("Group " + std::to_string(id));
  }
  EXPECT_EQ(view->Groups()->NextGroupID(), 2);
  EXPECT_EQ(view->Groups()->Add()->GroupID(), 2);
  EXPECT_EQ(view->Perform(LVM_GETGROUPCOUNT), 4);
  TFSListItem* item = AddItem(view, "in 3");
  item->SetGroupID(3);
  view->Groups()->Items(0)->SetGroupID(1);  // taken: refused
  EXPECT_EQ(view->Groups()->Items(0)->GroupID(), 0);
  view->Groups()->Items(2)->SetGroupID(7);
  EXPECT_EQ(item->GroupID(), 7) << "the group's rows move with its id";
  delete view->Groups()->Items(2);
  EXPECT_EQ(item->GroupID(), -1);
  EXPECT_EQ(view->Perform(LVM_GETGROUPCOUNT), 3);
  view->Groups()->Items(0)->SetState(TListGroupStateSet{lgsNormal, lgsCollapsed});
  EXPECT_TRUE(view->Groups()->Items(0)->State().Contains(lgsCollapsed));
  view->Groups()->Items(1)->SetTask("kept");
  TFSListGroup copy(nullptr);
  copy.Assign(view->Groups()->Items(1));
  EXPECT_EQ(copy.Task(), "kept");
}

TEST_F(ListColumns, WorkAreasAndIconOptions) {
  TestListView* view = MakeView(vsIcon);
  TFSWorkArea* area = view->WorkAreas()->Add();
  area->SetRect(TRect(0, 0, 120, 90));
  view->WorkAreas()->Add()->SetRect(TRect(130, 0, 250, 90));
  RECT areas[2] = {};
  view->Perform(LVM_GETWORKAREAS, 2, reinterpret_cast<LPARAM>(areas));
  EXPECT_EQ(TRect(areas[1]), TRect(130, 0, 250, 90));
  EXPECT_THROW(TFSIconOptions(nullptr), EInvalidOperation);
  view->IconOptions()->SetArrangement(iaLeft);
  EXPECT_TRUE(GetWindowLongPtrA(view->Handle(), GWL_STYLE) & LVS_ALIGNLEFT);
}

}  // namespace
