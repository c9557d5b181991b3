#include <gtest/gtest.h>

#include "FSListViewTestSupport.h"
#include "platform/comctl/Edit.h"
#include "rtl/Numbers.h"

using namespace listview_test;
using namespace platform;
namespace pt = platform::testing;

namespace {

using ListView = ListViewFixture;

// The client point of a row's check box (found by hit testing along the row).
POINT CheckBoxPoint(TFSCustomListView* view, int row) {
  RECT bounds{};
  bounds.left = LVIR_BOUNDS;
  view->Perform(LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds));
  const int y = (bounds.top + bounds.bottom) / 2;
  for (int x = bounds.left; x < bounds.right; ++x) {
    LVHITTESTINFO hit{};
    hit.pt = POINT{x, y};
    view->Perform(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.flags == LVHT_ONITEMSTATEICON && hit.iItem == row) return hit.pt;
  }
  return POINT{-1, -1};
}

void ClickClient(TFSCustomListView* view, POINT p) {
  pt::Click(pt::ScreenPoint(view->Handle(), p.x, p.y));
  pt::RunUntilIdle();
}

TEST_F(ListView, SelectionAndCheckNotificationsBecomeEvents) {
  TestListView* view = MakeView();
  view->SetCheckboxes(true);
  AddColumns(view, {"Name"}, 150);
  AddItem(view, "a");
  AddItem(view, "b");
  std::vector<std::string> events;
  view->OnSelectItem = [&](TObject*, TFSListItem* item, bool selected) {
    events.push_back("select " + item->Caption() + (selected ? " on" : " off"));
  };
  view->OnItemChecked = [&](TObject*, TFSListItem* item, bool checked) {
    events.push_back("check " + item->Caption() + (checked ? " on" : " off"));
  };
  view->Items()->Item(0)->SetSelected(true);
  view->Items()->Item(1)->SetSelected(true);
  const POINT box = CheckBoxPoint(view, 0);
  ASSERT_GE(box.x, 0);
  ClickClient(view, box);
  ClickClient(view, box);
  EXPECT_EQ(events, (std::vector<std::string>{"select a on", "select a off", "select b on", "check a on", "check a off"}));
  EXPECT_FALSE(view->Items()->Item(0)->Checked());
}

TEST_F(ListView, OwnerDataCheckBoxesFireFromTheViewAndHiddenBoxesIgnoreClicks) {
  TestListView* view = MakeView();
  view->SetOwnerData(true);
  view->SetCheckboxes(true);
  AddColumns(view, {"Name"}, 150);
  view->OnData = [&](TObject*, TFSListItem* item) { item->SetCaption("row " + IntToStr(item->Index())); };
  view->Items()->SetCount(3);
  std::vector<std::pair<int, bool>> events;
  view->OnItemChecked = [&](TObject*, TFSListItem* item, bool value) { events.emplace_back(item->Index(), value); };
  const POINT box = CheckBoxPoint(view, 1);
  ASSERT_GE(box.x, 0);
  ClickClient(view, box);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0], std::make_pair(1, true));
}

TEST_F(ListView, ARowWithoutItsCheckBoxShowsNone) {
  TestListView* view = MakeView();
  view->SetCheckboxes(true);
  AddColumns(view, {"Name"}, 150);
  AddItem(view, "with");
  AddItem(view, "without")->SetShowCheckbox(false);
  EXPECT_EQ(RowState(view, 0, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(1));
  EXPECT_EQ(RowState(view, 1, LVIS_STATEIMAGEMASK), 0u) << "no state image, no box";
  const POINT box = CheckBoxPoint(view, 1);
  if (box.x >= 0) ClickClient(view, box);
  EXPECT_FALSE(view->Items()->Item(1)->Checked()) << "a click where the box would be checks nothing";
  EXPECT_EQ(RowState(view, 1, LVIS_STATEIMAGEMASK), 0u);
}

// An editor of the program's own, handed out for every edit.
struct CustomEditor {
  explicit CustomEditor(TFSCustomListView* view) : view(view) {
    view->OnGetEditControl = [this](TObject*) -> HWND {
      ++asked;
      last = CreateWindowExA(0, WC_EDITA, "", WS_CHILD | WS_BORDER, 0, 0, 60, 20, this->view->Handle(), nullptr,
                             nullptr, nullptr);
      return last;
    };
  }
  TFSCustomListView* view;
  HWND last = nullptr;
  int asked = 0;
};

TEST_F(ListView, CustomEditorConfirmsWithEnterAndCancelsWithEscape) {
  TestListView* view = MakeView();
  AddColumns(view, {"Name", "Note"}, 120);
  TFSListItem* item = AddItem(view, "clip", {"note"});
  CustomEditor editor(view);
  std::vector<AnsiString> edited;
  view->OnEdited = [&](TObject*, TFSListItem*, AnsiString& text) { edited.push_back(text); };
  const struct {
    int subItem;
    int key;
    const char* typed;
    const char* caption;
    std::vector<AnsiString> subItems;
  } cases[] = {
      {0, VK_ESCAPE, "dropped", "clip", {"note"}},
      {0, VK_RETURN, "renamed", "renamed", {"note"}},
      {3, VK_RETURN, "third", "renamed", {"note", "", "third"}},
  };
  for (const auto& c : cases) {
    view->SetEditSubItem(c.subItem);
    const auto window = reinterpret_cast<HWND>(view->Perform(LVM_EDITLABELA, 0, 0));
    ASSERT_EQ(window, editor.last);
    EXPECT_TRUE(view->IsEditing());
    SetWindowTextA(window, c.typed);
    ::SetFocus(window);
    pt::KeyPress(c.key);
    pt::RunUntilIdle();
    EXPECT_FALSE(view->IsEditing());
    EXPECT_FALSE(IsWindow(window)) << "the view destroys the editor it was given";
    EXPECT_EQ(view->EditSubItem(), 0);
    EXPECT_EQ(item->Caption(), c.caption);
    std::vector<AnsiString> subItems;
    for (int i = 0; i < item->SubItems()->Count(); ++i) subItems.push_back(item->SubItems()->Get(i));
    EXPECT_EQ(subItems, c.subItems);
  }
  EXPECT_EQ(edited, (std::vector<AnsiString>{"renamed", "third"}));
}

TEST_F(ListView, ARefusedCustomEditGoesAndLongTextsArriveWhole) {
  TestListView* view = MakeView();
  TFSListItem* item = AddItem(view, "clip");
  CustomEditor editor(view);
  bool allow = false;
  view->OnEditing = [&](TObject*, TFSListItem*, bool& value) { value = allow; };
  EXPECT_EQ(view->Perform(LVM_EDITLABELA, 0, 0), 0);
  EXPECT_FALSE(IsWindow(editor.last)) << "a refused edit leaves no editor behind";
  EXPECT_FALSE(view->IsEditing());
  allow = true;
  const auto window = reinterpret_cast<HWND>(view->Perform(LVM_EDITLABELA, 0, 0));
  ASSERT_TRUE(IsWindow(window));
  const AnsiString longText(400, 'w');
  SetWindowTextA(window, longText.c_str());
  view->EndEdit(true);
  EXPECT_EQ(item->Caption(), longText);
  // Scrolling ends an edit without keeping it.
  view->Perform(LVM_EDITLABELA, 0, 0);
  SetWindowTextA(editor.last, "scrolled away");
  view->Perform(WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(item->Caption(), longText);
  EXPECT_FALSE(view->IsEditing());
}

TEST_F(ListView, InsertMarkIndexesInIconAndReportViews) {
  for (TViewStyle style : {vsReport, vsIcon}) {
    SCOPED_TRACE(style == vsReport ? "report" : "icon");
    TestListView* view = MakeView(style, 300, 200);
    AddColumns(view, {"Name"}, 150);
    for (int i = 0; i < 4; ++i) AddItem(view, "item " + IntToStr(i));
    RECT first{}, last{};
    first.left = last.left = LVIR_BOUNDS;
    view->Perform(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    view->Perform(LVM_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&last));
    const bool vertical = style == vsReport;
    const struct {
      const char* where;
      POINT point;
      int index;
      bool after;
    } cases[] = {
        {"first half of row 0", {first.left + 2, first.top + 2}, 0, false},
        {"second half of row 3",
         vertical ? POINT{last.left + 2, last.bottom - 2} : POINT{last.right - 2, last.top + 2}, 3, true},
    };
    for (const auto& c : cases) {
      bool after = !c.after;
      EXPECT_EQ(view->GetInsertMarkIndex(c.point.x, c.point.y, after), c.index) << c.where;
      EXPECT_EQ(after, c.after) << c.where;
    }
    view->SetInsertMark(2, true);
    EXPECT_EQ(view->InsertMarkIndex(), 2);
    EXPECT_TRUE(view->InsertMarkCaretShown());
    view->SetInsertMark(-1, false);
    EXPECT_FALSE(view->InsertMarkCaretShown());
  }
}

TEST_F(ListView, DraggingNearAnEdgeScrollsOnTheTimer) {
  pt::UseManualClock(true);
  TestListView* view = MakeView(vsReport, 300, 200);
  AddColumns(view, {"Name"}, 150);
  for (int i = 0; i < 200; ++i) AddItem(view, "row " + IntToStr(i));
  view->Items()->Item(100)->MakeVisible(false);
  ASSERT_TRUE(GetWindowLongPtrA(view->Handle(), GWL_STYLE) & WS_VSCROLL);
  const int topBefore = static_cast<int>(view->Perform(LVM_GETTOPINDEX));
  bool accept = false;
  view->ListDragOver(view, 50, 10, dsDragMove, accept);
  EXPECT_TRUE(view->AutoScrolling());
  EXPECT_EQ(view->AutoScrollDelta().Y, -30);
  pt::AdvanceClock(100);
  pt::RunUntilIdle();
  EXPECT_LT(static_cast<int>(view->Perform(LVM_GETTOPINDEX)), topBefore) << "scrolled up";
  view->ListDragOver(view, 50, 100, dsDragMove, accept);
  EXPECT_FALSE(view->AutoScrolling()) << "leaving the zone stops the timer";
  view->ListDragOver(view, 50, view->ClientHeight() - 5, dsDragMove, accept);
  EXPECT_EQ(view->AutoScrollDelta().Y, 35);
  view->ListDragOver(view, 50, view->ClientHeight() - 5, dsDragLeave, accept);
  EXPECT_FALSE(view->AutoScrolling());
  pt::UseManualClock(false);
}

TEST_F(ListView, PropertiesGiveTheirWindowStyles) {
  TestListView* view = MakeView(vsReport);
  EXPECT_EQ(view->HoverTime(), static_cast<int>(view->Perform(LVM_GETHOVERTIME)));
  view->SetCheckboxes(true);
  const auto styles = static_cast<DWORD>(view->Perform(LVM_GETEXTENDEDLISTVIEWSTYLE));
  EXPECT_TRUE(styles & LVS_EX_CHECKBOXES);
  EXPECT_FALSE(styles & (LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP));
  view->SetProgressColumn(0);
  EXPECT_EQ(view->ProgressColumn(), -1);
  TestListView unplaced(nullptr);
  EXPECT_EQ(unplaced.HoverTime(), -1);
  unplaced.SetHoverTime(700);
  EXPECT_EQ(unplaced.HoverTime(), 700);
  AddItem(view, "a");
  AddItem(view, "b");
  EXPECT_EQ(view->ItemIndex(), -1);
  view->SetItemIndex(1);
  EXPECT_EQ(view->ItemIndex(), 1);
  view->SetItemIndex(-1);
  EXPECT_EQ(view->ItemIndex(), -1);
}

TEST_F(ListView, SortTypesSortByCaptionOrByTheCompareEvent) {
  TestListView* view = MakeView();
  for (const char* name : {"pear", "Apple", "fig"}) AddItem(view, name);
  view->SetSortType(stData);  // no compare event: nothing happens
  EXPECT_EQ(RowText(view, 0), "pear");
  view->SetSortType(stText);
  EXPECT_EQ(RowText(view, 0), "Apple");
  EXPECT_EQ(RowText(view, 2), "pear");
  view->Items()->Item(0)->SetCaption("zucchini");
  EXPECT_EQ(RowText(view, 2), "zucchini") << "a caption change re-sorts";
}

}  // namespace
