#pragma once

// A list view on a shown form, with what its tests reach inside: owner-data mode and the
// protected hooks.

#include "ControlsTestSupport.h"
#include "platform/comctl/Header.h"
#include "platform/comctl/ListView.h"
#include "program/controls/FSListView.h"

namespace listview_test {

class TestListView : public TFSCustomListView {
 public:
  using TFSCustomListView::TFSCustomListView;
  using TFSCustomListView::ListDragOver;
  using TFSCustomListView::SetOwnerData;
  using TFSCustomListView::DoStartDrag;
};

class ListViewFixture : public controls_test::ControlsFixture {
 protected:
  TestListView* MakeView(TViewStyle style = vsReport, int width = 300, int height = 200) {
    TForm* form = MakeForm(width + 40, height + 40);
    auto* view = new TestListView(form);
    view->SetParent(form);
    view->SetBounds(10, 10, width, height);
    view->SetViewStyle(style);
    view->HandleNeeded();
    return view;
  }
  static void AddColumns(TFSCustomListView* view, std::initializer_list<const char*> captions, int width = 80) {
    for (const char* caption : captions) {
      TFSListColumn* column = view->Columns()->Add();
      column->SetCaption(caption);
      column->SetWidth(width);
    }
  }
  static TFSListItem* AddItem(TFSCustomListView* view, const AnsiString& caption,
                              std::initializer_list<const char*> subItems = {}) {
    TFSListItem* item = view->Items()->Add();
    item->SetCaption(caption);
    for (const char* text : subItems) item->SubItems()->Add(text);
    return item;
  }
  // The text the window shows for a row and column (asked through display information).
  static AnsiString RowText(TFSCustomListView* view, int row, int column = 0) {
    char buffer[512] = {};
    platform::LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = sizeof(buffer);
    view->Perform(platform::LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return buffer;
  }
  static UINT RowState(TFSCustomListView* view, int row, UINT mask) {
    return static_cast<UINT>(view->Perform(platform::LVM_GETITEMSTATE, static_cast<WPARAM>(row), mask));
  }
};

}  // namespace listview_test
