// What the list view makes of its control's and its header's notifications: info tips (the
// hint's text from OnInfoTip, owner-data tips from the rows) and the column order taken over
// after a header section is dragged.

#include <gtest/gtest.h>

#include <cstring>

#include "FSListViewTestSupport.h"
#include "vcl/Messages.h"

using namespace listview_test;
using namespace platform;
namespace pt = platform::testing;

namespace {

using ListViewNotify = ListViewFixture;

TPoint RowCentre(TFSCustomListView* view, int row) {
  const TRect r = view->Items()->Item(row)->DisplayRect(drLabel);
  return TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}

TEST_F(ListViewNotify, InfoTipsAreTheItemsCaptionAsOnInfoTipChangesIt) {
  TestListView* view = MakeView();
  AddColumns(view, {"Name", "Size"}, 120);
  AddItem(view, "Holiday.mpg", {"412 MB"});
  AddItem(view, "Garden.jpg", {"3 MB"});
  auto hintAt = [&](TPoint point, THintInfo& info) {
    info = THintInfo{};
    info.HintStr = "the control's own hint";
    info.CursorPos = point;
    return view->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  };
  THintInfo info;
  // Without OnInfoTip the control's own hint stays.
  hintAt(RowCentre(view, 1), info);
  EXPECT_EQ(info.HintStr, "the control's own hint");

  TFSListItem* asked = nullptr;
  view->OnInfoTip = [&](TObject*, TFSListItem* item, AnsiString& tip) {
    asked = item;
    tip += " (" + item->SubItems()->Get(0) + ")";
  };
  EXPECT_EQ(hintAt(RowCentre(view, 1), info), 0);
  EXPECT_EQ(asked, view->Items()->Item(1));
  EXPECT_EQ(info.HintStr, "Garden.jpg (3 MB)");
  EXPECT_EQ(info.CursorRect, view->ClientRect());
  EXPECT_EQ(info.HintMaxWidth, view->ClientWidth());
  // Away from every row: no tip of a row.
  asked = nullptr;
  hintAt(TPoint{view->ClientWidth() - 5, view->ClientHeight() - 5}, info);
  EXPECT_EQ(asked, nullptr);
  EXPECT_EQ(info.HintStr, "the control's own hint");
}

TEST_F(ListViewNotify, OwnerDataInfoTipsComeFromTheRowsTexts) {
  TestListView* view = MakeView();
  view->SetOwnerData(true);
  AddColumns(view, {"Name", "Size"}, 120);
  view->OnData = [&](TObject*, TFSListItem* item) {
    item->SetCaption("row " + std::to_string(item->Index()));
    item->SubItems()->Add(std::to_string(item->Index() * 10) + " MB");
  };
  view->Items()->SetCount(5);
  const struct {
    int row, subItem, capacity;
    const char* text;
  } cases[] = {
      {3, 0, 64, "row 3"},
      {3, 1, 64, "30 MB"},
      {3, 2, 64, ""},   // no such sub-item
      {4, 0, 4, "row"}, // cut to the buffer, terminated
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    buffer[0] = 0;
    NMLVGETINFOTIPA tip{};
    tip.hdr.hwndFrom = view->Handle();
    tip.hdr.code = static_cast<UINT>(LVN_GETINFOTIPA);
    tip.iItem = c.row;
    tip.iSubItem = c.subItem;
    tip.pszText = buffer;
    tip.cchTextMax = c.capacity;
    view->Perform(CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
    EXPECT_EQ(tip.dwFlags, 1u);
    EXPECT_STREQ(buffer, c.text);
  }
}

// Drags header section `from` to the left edge of section `to`.
void DragHeaderSection(TFSCustomListView* view, int from, int to) {
  HWND header = view->HeaderHandle();
  RECT source{}, target{};
  SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&source));
  SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(to), reinterpret_cast<LPARAM>(&target));
  const int y = (source.top + source.bottom) / 2;
  const POINT start = pt::ScreenPoint(header, (source.left + source.right) / 2, y);
  pt::MouseMove(start);
  pt::RunUntilIdle();
  pt::MouseDown(start);
  pt::RunUntilIdle();
  pt::MouseMove(POINT{start.x - 10, start.y});
  pt::RunUntilIdle();
  const POINT end = pt::ScreenPoint(header, target.left + 4, y);
  pt::MouseMove(end);
  pt::RunUntilIdle();
  pt::MouseUp(end);
  pt::RunUntilIdle();
}

TEST_F(ListViewNotify, ADraggedHeaderSectionReordersTheColumns) {
  TestListView* view = MakeView(vsReport, 360, 160);
  view->SetFullDrag(true);
  AddColumns(view, {"Name", "Size", "Date"}, 110);
  AddItem(view, "Holiday.mpg", {"412 MB", "May"});
  int dragged = 0;
  view->OnColumnDragged = [&](TObject*) { ++dragged; };
  DragHeaderSection(view, 2, 0);
  EXPECT_EQ(dragged, 1);
  // The collection follows the order on screen; each column keeps its header item, so the
  // rows' texts stay under their captions.
  std::vector<std::string> captions;
  for (int i = 0; i < view->Columns()->Count(); ++i) captions.push_back(view->Columns()->Items(i)->Caption());
  EXPECT_EQ(captions, (std::vector<std::string>{"Date", "Name", "Size"}));
  int order[3] = {};
  view->Perform(LVM_GETCOLUMNORDERARRAY, 3, reinterpret_cast<LPARAM>(order));
  EXPECT_EQ(std::vector<int>(order, order + 3), (std::vector<int>{2, 0, 1}));
  EXPECT_EQ(RowText(view, 0, view->Columns()->Items(0)->OrderTag()), "May");
  EXPECT_EQ(RowText(view, 0, view->Columns()->Items(2)->OrderTag()), "412 MB");
  // A later change to a column reaches the right header item.
  view->Columns()->Items(0)->SetCaption("When");
  char text[32] = {};
  HDITEMA item{};
  item.mask = HDI_TEXT;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(view->HeaderHandle(), HDM_GETITEMA, 2, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(text, "When");
}

}  // namespace
