// The list view through its messages: rows, columns and the header child, the four views'
// geometry, selection by mouse and keys with their notifications, owner data, check boxes,
// groups, work areas, label editing, drag detection, custom and owner draw, insert marks.

#include "platform/comctl/ListView.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>

#include "platform/comctl/OwnerDraw.h"
#include "platform/comctl/tests/NotifyRecorder.h"
#include "platform/kernel/Unicode.h"
#include "platform/testing/Pictures.h"
#include "platform/user/InputSink.h"
#include "platform/user/ScrollBars.h"

namespace {

using namespace platform;
using comctltest::Heard;
using comctltest::ParentWindow;
namespace pt = platform::testing;

class ListViewTest : public comctltest::ComctlTest {
 protected:
  void SetUp() override {
    ComctlTest::SetUp();
    parent = std::make_unique<ParentWindow>(420, 320);
    parent->describe = [](NMHDR* header, Heard* h) {
      switch (header->code) {
        case LVN_ITEMCHANGING: case LVN_ITEMCHANGED: case LVN_INSERTITEM: case LVN_DELETEITEM:
        case LVN_COLUMNCLICK: case LVN_BEGINDRAG: case LVN_BEGINRDRAG: {
          auto* nm = reinterpret_cast<NMLISTVIEW*>(header);
          h->action = nm->uChanged;
          h->wParam = static_cast<WPARAM>(nm->iItem);
          h->lParam = static_cast<LPARAM>(nm->uNewState) | (static_cast<LPARAM>(nm->uOldState) << 32);
          h->oldItem = reinterpret_cast<void*>(static_cast<intptr_t>(nm->iSubItem));
          break;
        }
        case NM_CLICK: case NM_DBLCLK: case NM_RCLICK: case LVN_ITEMACTIVATE: {
          auto* nm = reinterpret_cast<NMITEMACTIVATE*>(header);
          h->wParam = static_cast<WPARAM>(nm->iItem);
          break;
        }
        case LVN_ODSTATECHANGED: {
          auto* nm = reinterpret_cast<NMLVODSTATECHANGE*>(header);
          h->wParam = static_cast<WPARAM>(nm->iFrom);
          h->lParam = nm->iTo;
          h->action = nm->uNewState;
          break;
        }
        case LVN_ODCACHEHINT: {
          auto* nm = reinterpret_cast<NMLVCACHEHINT*>(header);
          h->wParam = static_cast<WPARAM>(nm->iFrom);
          h->lParam = nm->iTo;
          break;
        }
        default: break;
      }
    };
  }
  void TearDown() override {
    if (IsWindow(list)) DestroyWindow(list);
    parent.reset();
    ComctlTest::TearDown();
  }

  HWND MakeList(DWORD style, int width = 300, int height = 200) {
    list = CreateWindowExW(0, WC_LISTVIEWW, u"", WS_CHILD | WS_VISIBLE | style, 10, 10, width, height, parent->hwnd,
                           reinterpret_cast<HMENU>(7), nullptr, nullptr);
    EXPECT_NE(list, nullptr);
    return list;
  }
  int AddColumn(const std::u16string& text, int width, int fmt = LVCFMT_LEFT) {
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    c.pszText = const_cast<LPWSTR>(text.c_str());
    c.cx = width;
    c.fmt = fmt;
    return ListView_InsertColumn(list, ListView_GetHeader(list) ? Header_GetItemCount(ListView_GetHeader(list)) : 0, &c);
  }
  int AddItem(const std::u16string& text, LPARAM data = 0, int at = 0x7FFFFFFF) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = at;
    item.pszText = const_cast<LPWSTR>(text.c_str());
    item.lParam = data;
    return ListView_InsertItem(list, &item);
  }
  void SetSub(int row, int sub, const std::u16string& text) {
    ListView_SetItemText(list, row, sub, const_cast<LPWSTR>(text.c_str()));
  }
  std::u16string Text(int row, int sub = 0) {
    char16_t buffer[512] = {};
    ListView_GetItemText(list, row, sub, buffer, 512);
    return buffer;
  }
  POINT Center(int row, int code = LVIR_LABEL) {
    RECT r{};
    ListView_GetItemRect(list, row, &r, code);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  void ClickAt(POINT client, pt::MouseButton button = pt::MouseButton::Left) {
    pt::Click(pt::ScreenPoint(list, client.x, client.y), button);
    Pump();
  }
  std::vector<int> Selected() {
    std::vector<int> out;
    for (int i = ListView_GetNextItem(list, -1, LVNI_SELECTED); i >= 0; i = ListView_GetNextItem(list, i, LVNI_SELECTED))
      out.push_back(i);
    return out;
  }
  // A click with Ctrl and/or Shift held.
  void ClickWith(POINT client, bool ctrl, bool shift) {
    if (ctrl) platform::detail::InjectKey(VK_CONTROL, true);
    if (shift) platform::detail::InjectKey(VK_SHIFT, true);
    pt::Click(pt::ScreenPoint(list, client.x, client.y));
    if (shift) platform::detail::InjectKey(VK_SHIFT, false);
    if (ctrl) platform::detail::InjectKey(VK_CONTROL, false);
    Pump();
  }
  void Key(int key, bool shift = false, bool ctrl = false) {
    if (ctrl) platform::detail::InjectKey(VK_CONTROL, true);
    if (shift) platform::detail::InjectKey(VK_SHIFT, true);
    platform::detail::InjectKey(key, true, true);
    platform::detail::InjectKey(key, false, true);
    if (shift) platform::detail::InjectKey(VK_SHIFT, false);
    if (ctrl) platform::detail::InjectKey(VK_CONTROL, false);
    Pump();
  }
  // Images of `size` pixels in distinct colours.
  static HIMAGELIST MakeImages(int size, int count) {
    HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR32, count, 1);
    static const COLORREF colours[] = {RGB(0xD0, 0x40, 0x30), RGB(0x30, 0x90, 0x40), RGB(0x30, 0x60, 0xC0),
                                       RGB(0xE0, 0xB0, 0x20), RGB(0x80, 0x40, 0xA0)};
    HDC screen = GetDC(nullptr);
    for (int i = 0; i < count; ++i) {
      HDC mem = CreateCompatibleDC(screen);
      HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
      HGDIOBJ old = SelectObject(mem, bitmap);
      RECT r{0, 0, size, size};
      HBRUSH back = CreateSolidBrush(RGB(0xFF, 0xFF, 0xFF));
      FillRect(mem, &r, back);
      DeleteObject(back);
      RECT inner{2, 2, size - 2, size - 2};
      HBRUSH brush = CreateSolidBrush(colours[i % 5]);
      FillRect(mem, &inner, brush);
      DeleteObject(brush);
      SelectObject(mem, old);
      DeleteDC(mem);
      ImageList_AddMasked(images, bitmap, RGB(0xFF, 0xFF, 0xFF));
      DeleteObject(bitmap);
    }
    ReleaseDC(nullptr, screen);
    return images;
  }
  void Save(const char* name) {
    const char* dir = std::getenv("BRANTWELL_PICTURES");
    if (!dir) return;
    pt::SaveWindowPng(parent->hwnd, std::string(dir) + "/" + name + ".png");
  }

  std::unique_ptr<ParentWindow> parent;
  HWND list = nullptr;
};

// ---- report view --------------------------------------------------------------------------

TEST_F(ListViewTest, ReportViewMakesItsHeaderAndLaysRowsBelowIt) {
  MakeList(LVS_REPORT | LVS_SHOWSELALWAYS);
  HWND header = ListView_GetHeader(list);
  ASSERT_NE(header, nullptr);
  EXPECT_TRUE(IsWindowVisible(header));
  EXPECT_EQ(AddColumn(u"Name", 120), 0);
  EXPECT_EQ(AddColumn(u"Size", 60, LVCFMT_RIGHT), 1);
  EXPECT_EQ(AddColumn(u"Kind", 80), 2);
  EXPECT_EQ(Header_GetItemCount(header), 3);
  for (int i = 0; i < 30; ++i) {
    const int row = AddItem(u"file " + Utf8ToUtf16(std::to_string(i)), 100 + i);
    EXPECT_EQ(row, i);
    SetSub(row, 1, Utf8ToUtf16(std::to_string(i * 10)) + u" KB");
    SetSub(row, 2, u"video");
  }
  EXPECT_EQ(ListView_GetItemCount(list), 30);
  EXPECT_EQ(Text(3, 1), u"30 KB");
  RECT headerRect{};
  GetWindowRect(header, &headerRect);
  const int headerHeight = headerRect.bottom - headerRect.top;
  EXPECT_GT(headerHeight, 10);
  RECT first{};
  ASSERT_TRUE(ListView_GetItemRect(list, 0, &first, LVIR_BOUNDS));
  EXPECT_EQ(first.top, headerHeight);
  EXPECT_EQ(first.right - first.left, 260);
  RECT cell{};
  ASSERT_TRUE(ListView_GetSubItemRect(list, 2, 1, LVIR_BOUNDS, &cell));
  EXPECT_EQ(cell.left, 120);
  EXPECT_EQ(cell.right, 180);
  EXPECT_EQ(ListView_GetColumnWidth(list, 2), 80);

  // Hit tests: a label, a sub-item, below the rows.
  LVHITTESTINFO hit{};
  hit.pt = Center(4);
  EXPECT_EQ(ListView_HitTest(list, &hit), 4);
  EXPECT_EQ(hit.flags, LVHT_ONITEMLABEL);
  hit.pt = POINT{150, first.top + 1};
  EXPECT_EQ(ListView_SubItemHitTest(list, &hit), 0);
  EXPECT_EQ(hit.iSubItem, 1);

  // A click selects and focuses, with ITEMCHANGING/ITEMCHANGED and NM_CLICK.
  SetFocus(list);
  parent->heard.clear();
  ClickAt(Center(2));
  EXPECT_EQ(Selected(), std::vector<int>{2});
  EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), 2);
  const Heard* changed = parent->Last(LVN_ITEMCHANGED);
  ASSERT_NE(changed, nullptr);
  EXPECT_EQ(changed->wParam, 2u);
  EXPECT_EQ(parent->Codes({NM_CLICK}).size(), 1u);
  Save("listview-report");
}

TEST_F(ListViewTest, RowsStartBelowTheHeightTheHeaderAnswers) {
  MakeList(LVS_REPORT);
  AddColumn(u"Name", 100);
  AddItem(u"a");
  // A subclassed header answering 30 pixels moves the rows.
  HWND header = ListView_GetHeader(list);
  static WNDPROC previous = nullptr;
  previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(header, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(
      +[](HWND h, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        const LRESULT r = CallWindowProcW(previous, h, msg, w, l);
        if (msg == HDM_LAYOUT) {
          auto* layout = reinterpret_cast<HDLAYOUT*>(l);
          layout->prc->top += 30 - layout->pwpos->cy;
          layout->pwpos->cy = 30;
        }
        return r;
      })));
  SetWindowPos(list, nullptr, 0, 0, 300, 201, SWP_NOMOVE | SWP_NOZORDER);
  RECT r{};
  ListView_GetItemRect(list, 0, &r, LVIR_BOUNDS);
  EXPECT_EQ(r.top, 30);
}


// ---- the other views --------------------------------------------------------------------

TEST_F(ListViewTest, IconViewsLayOutByTheSpacingAndWrapLabels) {
  MakeList(LVS_ICON | LVS_AUTOARRANGE | LVS_SHOWSELALWAYS, 300, 220);
  HIMAGELIST large = MakeImages(32, 5), small = MakeImages(16, 5);
  ListView_SetImageList(list, large, LVSIL_NORMAL);
  ListView_SetImageList(list, small, LVSIL_SMALL);
  for (int i = 0; i < 7; ++i) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = i;
    std::u16string text = i == 1 ? u"A caption long enough to wrap onto more than two lines of the label" : u"Clip " + Utf8ToUtf16(std::to_string(i));
    item.pszText = text.data();
    item.iImage = i % 5;
    ListView_InsertItem(list, &item);
  }
  ListView_SetIconSpacing(list, 90, 80);
  EXPECT_EQ(ListView_GetItemSpacing(list, FALSE), static_cast<DWORD>(MAKELONG(90, 80)));
  // 300 pixels hold three cells of 90 (the scroll bar may take some).
  POINT p0{}, p1{}, p3{};
  ListView_GetItemPosition(list, 0, &p0);
  ListView_GetItemPosition(list, 1, &p1);
  ListView_GetItemPosition(list, 3, &p3);
  EXPECT_EQ(p1.y, p0.y);
  EXPECT_GT(p3.y, p0.y);
  RECT icon{}, label{};
  ListView_GetItemRect(list, 1, &icon, LVIR_ICON);
  ListView_GetItemRect(list, 1, &label, LVIR_LABEL);
  EXPECT_GE(label.top, icon.bottom);
  const int twoLines = label.bottom - label.top;
  // Focused, the long label unfolds whole.
  SetFocus(list);
  ListView_SetItemState(list, 1, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
  ListView_GetItemRect(list, 1, &label, LVIR_LABEL);
  EXPECT_GT(label.bottom - label.top, twoLines);
  ListView_SetItemState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
  ListView_SetHotItem(list, 4);
  RECT view{};
  ASSERT_TRUE(ListView_GetViewRect(list, &view));
  EXPECT_GE(view.bottom, p3.y);
  Pump();
  Save("listview-icon");
  // Small icons: a row of cells; list: columns top to bottom.
  SetWindowLongPtrW(list, GWL_STYLE, (GetWindowLongPtrW(list, GWL_STYLE) & ~LVS_TYPEMASK) | LVS_SMALLICON);
  ListView_GetItemPosition(list, 0, &p0);
  ListView_GetItemPosition(list, 1, &p1);
  EXPECT_EQ(p0.y, p1.y);
  EXPECT_GT(p1.x, p0.x);
  Pump();
  Save("listview-smallicon");
  SetWindowLongPtrW(list, GWL_STYLE, (GetWindowLongPtrW(list, GWL_STYLE) & ~LVS_TYPEMASK) | LVS_LIST);
  ListView_GetItemPosition(list, 0, &p0);
  ListView_GetItemPosition(list, 1, &p1);
  EXPECT_EQ(p0.x, p1.x);
  EXPECT_GT(p1.y, p0.y);
  Pump();
  Save("listview-list");
  EXPECT_EQ(ListView_GetHeader(list) ? IsWindowVisible(ListView_GetHeader(list)) : FALSE, FALSE);
  DestroyWindow(list);
  ImageList_Destroy(large);
  ImageList_Destroy(small);
}

// ---- selection ----------------------------------------------------------------------------

TEST_F(ListViewTest, ClicksWithCtrlAndShiftAndKeysSelectAsWindowsDoes) {
  MakeList(LVS_REPORT);
  AddColumn(u"Name", 200);
  for (int i = 0; i < 12; ++i) AddItem(u"row " + Utf8ToUtf16(std::to_string(i)));
  SetFocus(list);
  struct Step {
    const char* what;
    std::function<void()> act;
    std::vector<int> selected;
    int focused;
  };
  const std::vector<Step> steps = {
      {"click", [&] { ClickAt(Center(2)); }, {2}, 2},
      {"ctrl click adds", [&] { ClickWith(Center(5), true, false); }, {2, 5}, 5},
      {"ctrl click removes", [&] { ClickWith(Center(2), true, false); }, {5}, 2},
      {"shift click from the anchor", [&] { ClickWith(Center(7), false, true); }, {2, 3, 4, 5, 6, 7}, 7},
      {"down", [&] { Key(VK_DOWN); }, {8}, 8},
      {"shift end", [&] { Key(VK_END, true); }, {8, 9, 10, 11}, 11},
      {"home", [&] { Key(VK_HOME); }, {0}, 0},
      {"ctrl down moves the focus only", [&] { Key(VK_DOWN, false, true); }, {0}, 1},
      {"ctrl space selects the focused", [&] { Key(VK_SPACE, false, true); }, {0, 1}, 1},
      {"type ahead", [&] { pt::TypeText(u"row 1"); Pump(); pt::TypeText(u"1"); Pump(); }, {11}, 11},
      {"click right of the columns clears", [&] { ClickAt(POINT{250, 30}); }, {}, 11},
  };
  for (const Step& step : steps) {
    step.act();
    EXPECT_EQ(Selected(), step.selected) << step.what;
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), step.focused) << step.what;
  }
  EXPECT_EQ(ListView_GetSelectedCount(list), 0u);
}

TEST_F(ListViewTest, SingleSelectionKeepsOneRowAndChangingMayBeRefused) {
  MakeList(LVS_REPORT | LVS_SINGLESEL);
  AddColumn(u"Name", 200);
  for (int i = 0; i < 4; ++i) AddItem(u"row");
  ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
  ListView_SetItemState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(Selected(), std::vector<int>{2});
  parent->onNotify = [](NMHDR* header, bool* handled) -> LRESULT {
    if (header->code != LVN_ITEMCHANGING) return 0;
    *handled = true;
    return reinterpret_cast<NMLISTVIEW*>(header)->iItem == 3;  // row 3 may not change
  };
  EXPECT_FALSE(ListView_SetItemState(list, 3, LVIS_SELECTED, LVIS_SELECTED));
  EXPECT_EQ(Selected(), std::vector<int>{2});
}

TEST_F(ListViewTest, ActivationReturnAndDoubleClickNotify) {
  MakeList(LVS_REPORT);
  AddColumn(u"Name", 200);
  for (int i = 0; i < 3; ++i) AddItem(u"row");
  SetFocus(list);
  ClickAt(Center(1));
  parent->heard.clear();
  Key(VK_RETURN);
  EXPECT_EQ(parent->Codes({NM_RETURN, LVN_ITEMACTIVATE, LVN_KEYDOWN}),
            (std::vector<UINT>{LVN_KEYDOWN, NM_RETURN, LVN_ITEMACTIVATE}));
  parent->heard.clear();
  pt::DoubleClick(pt::ScreenPoint(list, Center(2).x, Center(2).y));
  Pump();
  const auto codes = parent->Codes({NM_DBLCLK, LVN_ITEMACTIVATE});
  ASSERT_EQ(codes.size(), 2u);
  EXPECT_EQ(codes[0], NM_DBLCLK);
  EXPECT_EQ(parent->Last(LVN_ITEMACTIVATE)->wParam, 2u);
}

// ---- owner data ---------------------------------------------------------------------------

TEST_F(ListViewTest, OwnerDataKeepsOnlyCountSelectionAndFocusOf100000Rows) {
  int answered = 0;
  parent->onNotify = [&](NMHDR* header, bool* handled) -> LRESULT {
    if (header->code == LVN_GETDISPINFOW) {
      auto* nm = reinterpret_cast<NMLVDISPINFOW*>(header);
      ++answered;
      if (nm->item.mask & LVIF_TEXT) {
        const std::u16string text = u"row " + Utf8ToUtf16(std::to_string(nm->item.iItem)) +
                                    (nm->item.iSubItem ? u" / " + Utf8ToUtf16(std::to_string(nm->item.iSubItem)) : u"");
        const size_t n = std::min(text.size(), static_cast<size_t>(nm->item.cchTextMax - 1));
        std::copy_n(text.data(), n, nm->item.pszText);
        nm->item.pszText[n] = 0;
      }
      if (nm->item.mask & LVIF_IMAGE) nm->item.iImage = 0;
    }
    if (header->code == LVN_ODFINDITEMW) {
      *handled = true;
      auto* nm = reinterpret_cast<NMLVFINDITEMW*>(header);
      return std::u16string(nm->lvfi.psz ? nm->lvfi.psz : u"") == u"row 9" ? 9 : -1;
    }
    return 0;
  };
  MakeList(LVS_REPORT | LVS_OWNERDATA);
  AddColumn(u"Name", 150);
  AddColumn(u"More", 100);
  ListView_SetItemCount(list, 100000);
  EXPECT_EQ(ListView_GetItemCount(list), 100000);
  EXPECT_EQ(Text(99999), u"row 99999");
  EXPECT_EQ(Text(5, 1), u"row 5 / 1");
  EXPECT_EQ(AddItem(u"not possible"), -1);

  // Painting asks for a cache hint of the rows in view first.
  parent->heard.clear();
  InvalidateRect(list, nullptr, TRUE);
  UpdateWindow(list);
  const Heard* hint = parent->Last(LVN_ODCACHEHINT);
  ASSERT_NE(hint, nullptr);
  EXPECT_EQ(hint->wParam, 0u);
  EXPECT_EQ(hint->lParam, ListView_GetCountPerPage(list));

  // End, then a shift range: the range is reported whole.
  SetFocus(list);
  ClickAt(Center(0));
  Key(VK_END);
  EXPECT_EQ(ListView_GetTopIndex(list), 100000 - ListView_GetCountPerPage(list));
  EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), 99999);
  parent->heard.clear();
  ListView_EnsureVisible(list, 99990, FALSE);
  ClickWith(Center(99990), false, true);
  const Heard* range = parent->Last(LVN_ODSTATECHANGED);
  ASSERT_NE(range, nullptr);
  EXPECT_EQ(range->wParam, 99990u);
  EXPECT_EQ(range->lParam, 99999);
  EXPECT_EQ(range->action, LVIS_SELECTED);
  EXPECT_EQ(ListView_GetSelectedCount(list), 10u);
  EXPECT_EQ(ListView_GetNextItem(list, 99995, LVNI_SELECTED), 99996);

  // Setting every row's state is one LVN_ITEMCHANGED of row -1.
  parent->heard.clear();
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
  ASSERT_NE(parent->Last(LVN_ITEMCHANGED), nullptr);
  EXPECT_EQ(static_cast<int>(parent->Last(LVN_ITEMCHANGED)->wParam), -1);
  EXPECT_EQ(ListView_GetSelectedCount(list), 0u);

  // Searching asks the parent.
  LVFINDINFOW find{};
  find.flags = LVFI_STRING;
  find.psz = u"row 9";
  EXPECT_EQ(ListView_FindItem(list, -1, &find), 9);

  // A smaller count drops the states beyond it.
  ListView_SetItemCountEx(list, 50, LVSICF_NOINVALIDATEALL);
  EXPECT_EQ(ListView_GetItemCount(list), 50);
  EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), -1);
  EXPECT_GT(answered, 0);
}

// ---- check boxes --------------------------------------------------------------------------

TEST_F(ListViewTest, CheckBoxesAreStateImagesToggledByClickAndSpace) {
  MakeList(LVS_REPORT);
  ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  AddColumn(u"Name", 200);
  for (int i = 0; i < 3; ++i) AddItem(u"row");
  EXPECT_EQ(ListView_GetItemState(list, 0, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(1));
  EXPECT_NE(ListView_GetImageList(list, LVSIL_STATE), nullptr);
  EXPECT_FALSE(ListView_GetCheckState(list, 1));
  // A click on the box toggles it without selecting the row.
  LVHITTESTINFO hit{};
  RECT bounds{};
  ListView_GetItemRect(list, 1, &bounds, LVIR_BOUNDS);
  POINT box{bounds.left + 10, (bounds.top + bounds.bottom) / 2};
  hit.pt = box;
  EXPECT_EQ(ListView_HitTest(list, &hit), 1);
  EXPECT_EQ(hit.flags, LVHT_ONITEMSTATEICON);
  parent->heard.clear();
  ClickAt(box);
  EXPECT_TRUE(ListView_GetCheckState(list, 1));
  const Heard* changed = parent->Last(LVN_ITEMCHANGED);
  ASSERT_NE(changed, nullptr);
  EXPECT_EQ(changed->action, LVIF_STATE);
  EXPECT_EQ(static_cast<UINT>(changed->lParam & 0xFFFFFFFF) & LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(2));
  EXPECT_TRUE(Selected().empty());
  // Space toggles the focused row.
  SetFocus(list);
  ListView_SetItemState(list, 2, LVIS_FOCUSED, LVIS_FOCUSED);
  Key(VK_SPACE);
  EXPECT_TRUE(ListView_GetCheckState(list, 2));
  Key(VK_SPACE);
  EXPECT_FALSE(ListView_GetCheckState(list, 2));
  // A display answer without the state image in its mask hides the row's box.
  Pump();
  Save("listview-checks");
}

// ---- groups -------------------------------------------------------------------------------

TEST_F(ListViewTest, GroupsOrderRowsAndHideWhatHasNoKnownGroup) {
  MakeList(LVS_REPORT, 300, 260);
  AddColumn(u"Name", 200);
  const int groupOf[] = {1, 2, 1, 7, 2};
  for (int i = 0; i < 5; ++i) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_GROUPID;
    item.iItem = i;
    std::u16string text = u"row " + Utf8ToUtf16(std::to_string(i));
    item.pszText = text.data();
    item.iGroupId = groupOf[i];
    ListView_InsertItem(list, &item);
  }
  auto addGroup = [&](int id, const char16_t* header, UINT state = 0) {
    LVGROUP g{};
    g.cbSize = sizeof g;
    g.mask = LVGF_HEADER | LVGF_GROUPID | LVGF_STATE | LVGF_SUBTITLE;
    g.pszHeader = const_cast<LPWSTR>(header);
    g.iGroupId = id;
    g.stateMask = 0xFF;
    g.state = state;
    std::u16string subtitle = u"subtitle";
    g.pszSubtitle = subtitle.data();
    return ListView_InsertGroup(list, -1, &g);
  };
  EXPECT_EQ(addGroup(1, u"Videos"), 0);
  EXPECT_EQ(addGroup(2, u"Photos"), 1);
  EXPECT_EQ(addGroup(2, u"again"), -1);  // ids are unique
  EXPECT_EQ(ListView_EnableGroupView(list, TRUE), 1);
  EXPECT_EQ(ListView_EnableGroupView(list, TRUE), 0);
  // Group 1's rows (0, 2) come first, then group 2's (1, 4); row 3 has no known group.
  RECT r0{}, r2{}, r1{}, r3{};
  ASSERT_TRUE(ListView_GetItemRect(list, 0, &r0, LVIR_BOUNDS));
  ASSERT_TRUE(ListView_GetItemRect(list, 2, &r2, LVIR_BOUNDS));
  ASSERT_TRUE(ListView_GetItemRect(list, 1, &r1, LVIR_BOUNDS));
  EXPECT_EQ(r2.top, r0.bottom);
  EXPECT_GT(r1.top, r2.bottom);  // the second group's header lies between
  EXPECT_FALSE(ListView_GetItemRect(list, 3, &r3, LVIR_BOUNDS));
  Pump();
  Save("listview-groups");
  // Collapsed: the header stays, the rows go; hidden: both go.
  LVGROUP change{};
  change.cbSize = sizeof change;
  change.mask = LVGF_STATE;
  change.stateMask = LVGS_COLLAPSED;
  change.state = LVGS_COLLAPSED;
  ListView_SetGroupInfo(list, 1, &change);
  EXPECT_EQ(ListView_GetGroupState(list, 1, 0xFF), LVGS_COLLAPSED);
  EXPECT_FALSE(ListView_GetItemRect(list, 0, &r0, LVIR_BOUNDS));
  RECT r1c{};
  ASSERT_TRUE(ListView_GetItemRect(list, 1, &r1c, LVIR_BOUNDS));
  EXPECT_LT(r1c.top, r1.top);
  EXPECT_EQ(ListView_RemoveGroup(list, 1), 0);
  EXPECT_FALSE(ListView_GetItemRect(list, 0, &r0, LVIR_BOUNDS));  // its rows now have no known group
  ListView_EnableGroupView(list, FALSE);
  EXPECT_TRUE(ListView_GetItemRect(list, 3, &r3, LVIR_BOUNDS));
}

// ---- work areas -----------------------------------------------------------------------------

TEST_F(ListViewTest, EachWorkAreaIsArrangedOnItsOwn) {
  MakeList(LVS_ICON | LVS_AUTOARRANGE, 300, 220);
  ListView_SetIconSpacing(list, 60, 60);
  for (int i = 0; i < 4; ++i) AddItem(u"item");
  RECT areas[2] = {{0, 0, 120, 200}, {150, 0, 300, 200}};
  ListView_SetWorkAreas(list, 2, areas);
  UINT count = 0;
  ListView_GetNumberOfWorkAreas(list, &count);
  EXPECT_EQ(count, 2u);
  // Rows without a position go to the first area, two cells a line.
  POINT p[4];
  for (int i = 0; i < 4; ++i) ListView_GetItemPosition(list, i, &p[i]);
  for (int i = 0; i < 4; ++i) EXPECT_LT(p[i].x, 120) << i;
  EXPECT_EQ(p[2].y, p[0].y + 60);
  // A row placed in the second area is arranged there, from that area's corner.
  SetWindowLongPtrW(list, GWL_STYLE, GetWindowLongPtrW(list, GWL_STYLE) & ~static_cast<LONG_PTR>(LVS_AUTOARRANGE));
  ListView_SetItemPosition(list, 3, 200, 100);
  ListView_GetItemPosition(list, 3, &p[3]);
  EXPECT_GE(p[3].x, 150);
  EXPECT_LT(p[3].y, 60);
}

// ---- label editing --------------------------------------------------------------------------

TEST_F(ListViewTest, LabelEditsInAnEditChildAndReportsTheWholeText) {
  MakeList(LVS_REPORT | LVS_EDITLABELS);
  AddColumn(u"Name", 200);
  AddItem(u"first");
  AddItem(u"second");
  std::u16string ended;
  bool endedNull = false;
  parent->onNotify = [&](NMHDR* header, bool* handled) -> LRESULT {
    if (header->code == LVN_ENDLABELEDITW) {
      auto* nm = reinterpret_cast<NMLVDISPINFOW*>(header);
      endedNull = nm->item.pszText == nullptr;
      ended = nm->item.pszText ? nm->item.pszText : u"";
      *handled = true;
      return TRUE;
    }
    return 0;
  };
  HWND edit = ListView_EditLabel(list, 1);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(GetWindowLongPtrW(edit, GWLP_ID), 1);
  EXPECT_EQ(ListView_GetEditControl(list), edit);
  const std::u16string longText(300, u'x');
  SetWindowTextW(edit, longText.c_str());
  Key(VK_RETURN);
  EXPECT_EQ(ended, longText);
  EXPECT_EQ(Text(1), longText);
  EXPECT_EQ(ListView_GetEditControl(list), nullptr);
  EXPECT_FALSE(IsWindow(edit));
  // Escape cancels: the parent hears a null text and the label stays.
  edit = ListView_EditLabel(list, 0);
  ASSERT_NE(edit, nullptr);
  SetWindowTextW(edit, u"changed");
  Key(VK_ESCAPE);
  EXPECT_TRUE(endedNull);
  EXPECT_EQ(Text(0), u"first");
  // A refused begin makes no editor.
  parent->onNotify = [](NMHDR* header, bool* handled) -> LRESULT {
    *handled = header->code == LVN_BEGINLABELEDITW;
    return *handled;
  };
  EXPECT_EQ(ListView_EditLabel(list, 0), nullptr);
  parent->onNotify = nullptr;
  // A slow second click on the selected label opens the editor after the double-click time.
  SetFocus(list);
  ClickAt(Center(0));
  pt::AdvanceClock(GetDoubleClickTime() + 10);
  Pump();
  ClickAt(Center(0));
  EXPECT_EQ(ListView_GetEditControl(list), nullptr);
  pt::AdvanceClock(GetDoubleClickTime() + 10);
  Pump();
  EXPECT_NE(ListView_GetEditControl(list), nullptr);
  Save("listview-edit");
  SendMessageW(list, LVM_EDITLABELW, static_cast<WPARAM>(-1), 0);
  EXPECT_EQ(ListView_GetEditControl(list), nullptr);
}

// ---- drag ---------------------------------------------------------------------------------

TEST_F(ListViewTest, BeginDragOnceThePointerLeavesTheDragSquare) {
  MakeList(LVS_REPORT);
  AddColumn(u"Name", 200);
  for (int i = 0; i < 3; ++i) AddItem(u"row");
  const POINT at = Center(1);
  const int cx = GetSystemMetrics(SM_CXDRAG);
  pt::MouseDown(pt::ScreenPoint(list, at.x, at.y));
  pt::MouseMove(pt::ScreenPoint(list, at.x + cx, at.y));
  Pump();
  EXPECT_EQ(parent->Last(LVN_BEGINDRAG), nullptr);
  pt::MouseMove(pt::ScreenPoint(list, at.x + cx + 1, at.y));
  Pump();
  const Heard* drag = parent->Last(LVN_BEGINDRAG);
  ASSERT_NE(drag, nullptr);
  EXPECT_EQ(drag->wParam, 1u);
  EXPECT_NE(GetCapture(), list);
  pt::MouseUp(pt::ScreenPoint(list, at.x + cx + 1, at.y));
  Pump();
  EXPECT_EQ(parent->Codes({NM_CLICK}).size(), 0u);
  // The drag image shows the row.
  POINT corner{};
  HIMAGELIST image = ListView_CreateDragImage(list, 1, &corner);
  ASSERT_NE(image, nullptr);
  int w = 0, h = 0;
  ImageList_GetIconSize(image, &w, &h);
  RECT bounds{};
  ListView_GetItemRect(list, 1, &bounds, LVIR_BOUNDS);
  EXPECT_EQ(corner.y, bounds.top);
  EXPECT_EQ(h, bounds.bottom - bounds.top);
  ImageList_Destroy(image);
}

TEST_F(ListViewTest, MarqueeSelectsTheIconsItCrosses) {
  MakeList(LVS_ICON | LVS_AUTOARRANGE, 300, 200);
  ListView_SetIconSpacing(list, 70, 60);
  for (int i = 0; i < 8; ++i) AddItem(u"icon");
  // From the empty space right of the last cell of the first line, down-left over the first
  // line's last two cells.
  POINT p2{}, p3{};
  ListView_GetItemPosition(list, 2, &p2);
  ListView_GetItemPosition(list, 3, &p3);
  RECT r3{};
  ListView_GetItemRect(list, 3, &r3, LVIR_BOUNDS);
  const POINT from{p3.x + 69, 2};
  const POINT to{p2.x + 35, r3.bottom - 2};
  EXPECT_LT(Selected().size(), 1u);
  pt::Drag(pt::ScreenPoint(list, from.x, from.y), pt::ScreenPoint(list, to.x, to.y), 6);
  Pump();
  EXPECT_EQ(Selected(), (std::vector<int>{2, 3}));
}

// ---- custom and owner draw ------------------------------------------------------------------

TEST_F(ListViewTest, CustomDrawStagesAndOwnerDrawnRows) {
  MakeList(LVS_REPORT);
  AddColumn(u"Name", 100);
  AddColumn(u"More", 100);
  AddItem(u"a");
  AddItem(u"b");
  std::vector<std::pair<DWORD, int>> stages;
  parent->onNotify = [&](NMHDR* header, bool* handled) -> LRESULT {
    if (header->code != NM_CUSTOMDRAW) return 0;
    auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
    stages.emplace_back(cd->nmcd.dwDrawStage, cd->nmcd.dwDrawStage & CDDS_SUBITEM ? cd->iSubItem : static_cast<int>(cd->nmcd.dwItemSpec));
    *handled = true;
    if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
      cd->clrText = RGB(255, 0, 0);
      return cd->nmcd.dwItemSpec == 0 ? CDRF_NOTIFYSUBITEMDRAW : CDRF_NOTIFYPOSTPAINT;
    }
    return CDRF_DODEFAULT;
  };
  InvalidateRect(list, nullptr, TRUE);
  UpdateWindow(list);
  const std::vector<std::pair<DWORD, int>> expected = {
      {CDDS_PREPAINT, 0},
      {CDDS_ITEMPREPAINT, 0},
      {CDDS_SUBITEM | CDDS_ITEMPREPAINT, 0},
      {CDDS_SUBITEM | CDDS_ITEMPREPAINT, 1},
      {CDDS_ITEMPREPAINT, 1},
      {CDDS_ITEMPOSTPAINT, 1},
      {CDDS_POSTPAINT, 0},
  };
  EXPECT_EQ(stages, expected);
  // Red text from the item answer.
  const pt::Image image = pt::ReadWindow(list);
  bool red = false;
  RECT label{};
  ListView_GetItemRect(list, 1, &label, LVIR_LABEL);
  for (int y = label.top; y < label.bottom; ++y)
    for (int x = label.left; x < label.right; ++x) {
      const uint32_t px = image.At(x, y);
      red = red || (((px >> 16) & 0xFF) > 150 && ((px >> 8) & 0xFF) < 90 && (px & 0xFF) < 90);
    }
  EXPECT_TRUE(red);
  parent->onNotify = nullptr;

  DestroyWindow(list);
  MakeList(LVS_REPORT | LVS_OWNERDRAWFIXED);
  AddColumn(u"Name", 100);
  AddItem(u"a", 11);
  AddItem(u"b", 22);
  ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
  static std::vector<DRAWITEMSTRUCT> drawn;
  drawn.clear();
  static WNDPROC previous = nullptr;
  previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(parent->hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(
      +[](HWND h, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        if (msg == WM_DRAWITEM) {
          drawn.push_back(*reinterpret_cast<DRAWITEMSTRUCT*>(l));
          return TRUE;
        }
        return CallWindowProcW(previous, h, msg, w, l);
      })));
  InvalidateRect(list, nullptr, TRUE);
  UpdateWindow(list);
  SetWindowLongPtrW(parent->hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(drawn[0].CtlType, ODT_LISTVIEW);
  EXPECT_EQ(drawn[1].itemID, 1u);
  EXPECT_EQ(drawn[1].itemData, 22u);
  EXPECT_TRUE(drawn[1].itemState & ODS_SELECTED);
}

TEST_F(ListViewTest, NoBackgroundColourLeavesTheParentsPixels) {
  MakeList(LVS_REPORT, 200, 100);
  AddColumn(u"Name", 100);
  ListView_SetBkColor(list, CLR_NONE);
  ListView_SetTextBkColor(list, CLR_NONE);
  EXPECT_EQ(ListView_GetBkColor(list), CLR_NONE);
  // The parent paints its face colour; the empty list leaves it.
  RedrawWindow(parent->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  const pt::Image image = pt::ReadWindow(list);
  EXPECT_EQ(image.At(100, 80) & 0xFFFFFF, GetSysColor(COLOR_BTNFACE) == RGB(0xD4, 0xD0, 0xC8) ? 0xD4D0C8u : image.At(100, 80) & 0xFFFFFF);
  EXPECT_NE(image.At(100, 80) & 0xFFFFFF, 0xFFFFFFu);
}

// ---- scrolling, columns, sorting, insert marks --------------------------------------------

TEST_F(ListViewTest, WheelScrollBarAndEnsureVisibleMoveTheTopRow) {
  MakeList(LVS_REPORT, 300, 200);
  AddColumn(u"Name", 200);
  for (int i = 0; i < 100; ++i) AddItem(u"row");
  EXPECT_EQ(ListView_GetTopIndex(list), 0);
  SendMessageW(list, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_EQ(ListView_GetTopIndex(list), 3);
  SendMessageW(list, WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(ListView_GetTopIndex(list), 3 + ListView_GetCountPerPage(list));
  SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, 0, 0};
  GetScrollInfo(list, SB_VERT, &info);
  EXPECT_EQ(info.nPos, ListView_GetTopIndex(list));
  ListView_EnsureVisible(list, 90, FALSE);
  EXPECT_EQ(ListView_GetTopIndex(list), 91 - ListView_GetCountPerPage(list));
  ListView_EnsureVisible(list, 2, FALSE);
  EXPECT_EQ(ListView_GetTopIndex(list), 2);
}

TEST_F(ListViewTest, ColumnWidthsAutoSizeAndSortingByCompare) {
  MakeList(LVS_REPORT, 400, 200);
  AddColumn(u"Name", 50);
  AddColumn(u"A much longer caption", 20);
  AddItem(u"short", 3);
  AddItem(u"a considerably longer label", 1);
  AddItem(u"mid size", 2);
  ListView_SetColumnWidth(list, 0, LVSCW_AUTOSIZE);
  const int fitted = ListView_GetColumnWidth(list, 0);
  EXPECT_GT(fitted, 100);
  ListView_SetColumnWidth(list, 1, LVSCW_AUTOSIZE_USEHEADER);  // the last column fills the rest
  RECT client{};
  GetClientRect(list, &client);
  EXPECT_EQ(ListView_GetColumnWidth(list, 1), client.right - fitted);
  LVCOLUMNW column{};
  char16_t caption[64] = {};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = caption;
  column.cchTextMax = 64;
  ASSERT_TRUE(ListView_GetColumn(list, 1, &column));
  EXPECT_EQ(std::u16string(caption), u"A much longer caption");
  ListView_SortItems(list, [](LPARAM a, LPARAM b, LPARAM) { return static_cast<int>(a - b); }, 0);
  EXPECT_EQ(Text(0), u"a considerably longer label");
  EXPECT_EQ(Text(2), u"short");
}

TEST_F(ListViewTest, InsertMarkHitTestsInReportAndIconViews) {
  struct Case {
    DWORD view;
    int row;     // the point is taken near this row's bounds
    int dx, dy;  // from the bounds' centre, in parts of the size
    int item;
    bool after;
  };
  const Case cases[] = {
      {LVS_REPORT, 2, 0, -1, 2, false}, {LVS_REPORT, 2, 0, 1, 2, true}, {LVS_REPORT, 0, 0, -1, 0, false},
      {LVS_ICON, 1, -1, 0, 1, false},   {LVS_ICON, 1, 1, 0, 1, true},   {LVS_ICON, 4, 1, 0, 4, true},
  };
  for (const Case& c : cases) {
    MakeList(c.view | LVS_AUTOARRANGE, 300, 220);
    if (c.view == LVS_REPORT) AddColumn(u"Name", 200);
    ListView_SetIconSpacing(list, 70, 70);
    for (int i = 0; i < 6; ++i) AddItem(u"item");
    RECT r{};
    ListView_GetItemRect(list, c.row, &r, LVIR_BOUNDS);
    POINT p{(r.left + r.right) / 2 + c.dx * (r.right - r.left) / 3, (r.top + r.bottom) / 2 + c.dy * (r.bottom - r.top) / 3};
    LVINSERTMARK mark{sizeof(LVINSERTMARK), 0, -1, 0};
    ListView_InsertMarkHitTest(list, &p, &mark);
    EXPECT_EQ(mark.iItem, c.item) << c.view << " " << c.row;
    EXPECT_EQ((mark.dwFlags & LVIM_AFTER) != 0, c.after) << c.view << " " << c.row;
    ListView_SetInsertMark(list, &mark);
    LVINSERTMARK back{sizeof(LVINSERTMARK), 0, -1, 0};
    ListView_GetInsertMark(list, &back);
    EXPECT_EQ(back.iItem, mark.iItem);
    RECT markRect{};
    EXPECT_EQ(SendMessageW(list, LVM_GETINSERTMARKRECT, 0, reinterpret_cast<LPARAM>(&markRect)), 1);
    DestroyWindow(list);
  }
}

TEST_F(ListViewTest, DeletingNotifiesPerRowUnlessDeleteAllIsAnswered) {
  MakeList(LVS_REPORT);
  AddColumn(u"Name", 100);
  for (int i = 0; i < 3; ++i) AddItem(u"row", 10 + i);
  ListView_SetItemState(list, 2, LVIS_FOCUSED, LVIS_FOCUSED);
  parent->heard.clear();
  ListView_DeleteItem(list, 0);
  EXPECT_EQ(parent->Codes({LVN_DELETEITEM}).size(), 1u);
  EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), 1);
  parent->heard.clear();
  ListView_DeleteAllItems(list);
  EXPECT_EQ(parent->Codes({LVN_DELETEALLITEMS, LVN_DELETEITEM}),
            (std::vector<UINT>{LVN_DELETEALLITEMS, LVN_DELETEITEM, LVN_DELETEITEM}));
  for (int i = 0; i < 3; ++i) AddItem(u"row");
  parent->onNotify = [](NMHDR* header, bool* handled) -> LRESULT {
    *handled = header->code == LVN_DELETEALLITEMS;
    return *handled;
  };
  parent->heard.clear();
  ListView_DeleteAllItems(list);
  EXPECT_EQ(parent->Codes({LVN_DELETEALLITEMS, LVN_DELETEITEM}), std::vector<UINT>{LVN_DELETEALLITEMS});
  EXPECT_EQ(ListView_GetItemCount(list), 0);
}

TEST_F(ListViewTest, AnsiParentsGetUtf8Texts) {
  // A parent answering NFR_ANSI hears the A codes with UTF-8.
  std::string asked;
  parent->onNotify = [&](NMHDR* header, bool* handled) -> LRESULT {
    if (header->code == LVN_GETDISPINFOA) {
      auto* nm = reinterpret_cast<NMLVDISPINFOA*>(header);
      std::strcpy(nm->item.pszText, "caf\xC3\xA9");
      asked = "yes";
    }
    (void)handled;
    return 0;
  };
  MakeList(LVS_REPORT);
  SendMessageW(list, CCM_SETUNICODEFORMAT, FALSE, 0);
  AddColumn(u"Name", 100);
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.pszText = LPSTR_TEXTCALLBACK;
  SendMessageW(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(Text(0), u"caf\u00E9");
  EXPECT_EQ(asked, "yes");
  char buffer[32] = {};
  ListView_GetItemText(list, 0, 0, buffer, 32);
  EXPECT_STREQ(buffer, "caf\xC3\xA9");
}

}  // namespace
