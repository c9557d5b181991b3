// The list view through its messages: rows, columns and the header child, the four views'
// geometry, selection by mouse and keys with their notifications, owner data, check boxes,
// groups, work areas, label editing, drag detection, custom and owner draw, insert marks.

#include "platform/comctl/ListView.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/comctl/OwnerDraw.h"
#include "platform/comctl/tests/NotifyRecorder.h"
#include "platform/kernel/Unicode.h"
#include "platform/testing/Pictures.h"
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

}  // namespace
