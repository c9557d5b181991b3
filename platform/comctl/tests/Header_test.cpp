// The header control through its messages: sections and their order, layout, hit tests,
// divider tracking, clicks, dragging sections to a new order, the split cursor.

#include "platform/comctl/Header.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/comctl/tests/NotifyRecorder.h"
#include "platform/testing/Pictures.h"

namespace {

using namespace platform;
using comctltest::Heard;
using comctltest::ParentWindow;
namespace pt = platform::testing;

class HeaderTest : public comctltest::ComctlTest {
 protected:
  void SetUp() override {
    ComctlTest::SetUp();
    parent = std::make_unique<ParentWindow>(400, 120);
    parent->describe = [](NMHDR* header, Heard* h) {
      if (header->code >= HDN_FIRST - 40 && header->code <= HDN_FIRST) {
        auto* nm = reinterpret_cast<NMHEADERW*>(header);
        h->wParam = static_cast<WPARAM>(nm->iItem);
        if (nm->pitem) {
          h->action = nm->pitem->mask;
          h->lParam = (nm->pitem->mask & HDI_ORDER) ? nm->pitem->iOrder : nm->pitem->cxy;
        }
      }
    };
  }
  void TearDown() override {
    if (IsWindow(header)) DestroyWindow(header);
    parent.reset();
    ComctlTest::TearDown();
  }
  HWND Make(DWORD style) {
    header = CreateWindowExW(0, WC_HEADERW, u"", WS_CHILD | WS_VISIBLE | style, 0, 0, 360, 24, parent->hwnd,
                             reinterpret_cast<HMENU>(3), nullptr, nullptr);
    EXPECT_NE(header, nullptr);
    for (const auto& [text, width] : {std::pair{u"Name", 120}, {u"Size", 80}, {u"Date", 100}}) {
      HDITEMW item{};
      item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
      item.pszText = const_cast<LPWSTR>(text);
      item.cxy = width;
      item.fmt = HDF_LEFT | HDF_STRING;
      Header_InsertItem(header, Header_GetItemCount(header), &item);
    }
    return header;
  }
  std::vector<int> Order() {
    std::vector<int> order(static_cast<size_t>(Header_GetItemCount(header)));
    Header_GetOrderArray(header, static_cast<int>(order.size()), order.data());
    return order;
  }
  int Width(int index) {
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    Header_GetItem(header, index, &item);
    return item.cxy;
  }
  void DragFrom(int x1, int x2) {
    pt::Drag(pt::ScreenPoint(header, x1, 10), pt::ScreenPoint(header, x2, 10), 4);
    Pump();
  }

  std::unique_ptr<ParentWindow> parent;
  HWND header = nullptr;
};

TEST_F(HeaderTest, SectionsKeepTheirOrderAndAnswerHitTests) {
  Make(HDS_BUTTONS);
  EXPECT_EQ(Header_GetItemCount(header), 3);
  // A section inserted at position 0 by HDI_ORDER.
  HDITEMW extra{};
  extra.mask = HDI_TEXT | HDI_WIDTH | HDI_ORDER | HDI_LPARAM;
  extra.pszText = const_cast<LPWSTR>(u"Kind");
  extra.cxy = 40;
  extra.iOrder = 0;
  extra.lParam = 77;
  EXPECT_EQ(Header_InsertItem(header, 3, &extra), 3);
  EXPECT_EQ(Order(), (std::vector<int>{3, 0, 1, 2}));
  EXPECT_EQ(Header_OrderToIndex(header, 0), 3);
  RECT r{};
  ASSERT_TRUE(Header_GetItemRect(header, 0, &r));
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.right, 160);
  char16_t text[16] = {};
  HDITEMW get{};
  get.mask = HDI_TEXT | HDI_LPARAM | HDI_ORDER;
  get.pszText = text;
  get.cchTextMax = 16;
  ASSERT_TRUE(Header_GetItem(header, 3, &get));
  EXPECT_EQ(std::u16string(text), u"Kind");
  EXPECT_EQ(get.lParam, 77);
  EXPECT_EQ(get.iOrder, 0);
  const int notPermutation[] = {0, 0, 1, 2};
  EXPECT_FALSE(Header_SetOrderArray(header, 4, notPermutation));
  struct Case {
    int x, y;
    UINT flags;
    int item;
  };
  const Case cases[] = {
      {10, 5, HHT_ONHEADER, 3},   {60, 5, HHT_ONHEADER, 0},    {159, 5, HHT_ONDIVIDER, 0}, {163, 5, HHT_ONDIVIDER, 0},
      {200, 5, HHT_ONHEADER, 1},  {350, 5, HHT_NOWHERE, -1},   {-3, 5, HHT_TOLEFT, -1},    {50, 40, HHT_BELOW, -1},
  };
  for (const Case& c : cases) {
    HDHITTESTINFO hit{};
    hit.pt = POINT{c.x, c.y};
    EXPECT_EQ(Header_HitTest(header, &hit), c.item) << c.x << "," << c.y;
    EXPECT_EQ(hit.flags, c.flags) << c.x << "," << c.y;
  }
  EXPECT_TRUE(Header_DeleteItem(header, 3));
  EXPECT_EQ(Order(), (std::vector<int>{0, 1, 2}));
}

TEST_F(HeaderTest, LayoutGivesTheHeightAndTheRestOfTheRectangle) {
  Make(0);
  RECT area{0, 0, 300, 200};
  WINDOWPOS pos{};
  HDLAYOUT layout{&area, &pos};
  ASSERT_TRUE(Header_Layout(header, &layout));
  EXPECT_GT(pos.cy, 12);
  EXPECT_EQ(pos.cx, 300);
  EXPECT_EQ(area.top, pos.cy);
  SetWindowLongPtrW(header, GWL_STYLE, GetWindowLongPtrW(header, GWL_STYLE) | HDS_HIDDEN);
  area = RECT{0, 0, 300, 200};
  Header_Layout(header, &layout);
  EXPECT_EQ(pos.cy, 0);
  EXPECT_EQ(area.top, 0);
}

TEST_F(HeaderTest, TrackingADividerNotifiesAndMayBeRefused) {
  Make(HDS_BUTTONS | HDS_FULLDRAG);
  DragFrom(120, 150);
  EXPECT_EQ(Width(0), 150);
  const auto codes = parent->Codes({HDN_BEGINTRACKW, HDN_TRACKW, HDN_ENDTRACKW, HDN_ITEMCHANGEDW});
  ASSERT_GE(codes.size(), 4u);
  EXPECT_EQ(codes.front(), HDN_BEGINTRACKW);
  EXPECT_EQ(parent->Last(HDN_ENDTRACKW)->lParam, 150);
  EXPECT_EQ(parent->Last(HDN_ITEMCHANGEDW)->wParam, 0u);
  // A non-zero answer to BEGINTRACK refuses; so does one to ITEMCHANGING.
  parent->onNotify = [](NMHDR* h, bool* handled) -> LRESULT {
    *handled = h->code == HDN_BEGINTRACKW;
    return *handled;
  };
  parent->heard.clear();
  DragFrom(150, 200);
  EXPECT_EQ(Width(0), 150);
  EXPECT_EQ(parent->Codes({HDN_TRACKW, HDN_ENDTRACKW}).size(), 0u);
  parent->onNotify = [](NMHDR* h, bool* handled) -> LRESULT {
    *handled = h->code == HDN_ITEMCHANGINGW;
    return *handled;
  };
  HDITEMW set{};
  set.mask = HDI_WIDTH;
  set.cxy = 10;
  EXPECT_FALSE(Header_SetItem(header, 1, &set));
  EXPECT_EQ(Width(1), 80);
}

TEST_F(HeaderTest, ClicksDoubleClicksAndRightClicksNotify) {
  Make(HDS_BUTTONS);
  pt::Click(pt::ScreenPoint(header, 150, 10));
  Pump();
  ASSERT_NE(parent->Last(HDN_ITEMCLICKW), nullptr);
  EXPECT_EQ(parent->Last(HDN_ITEMCLICKW)->wParam, 1u);
  pt::DoubleClick(pt::ScreenPoint(header, 200, 10));
  Pump();
  ASSERT_NE(parent->Last(HDN_DIVIDERDBLCLICKW), nullptr);
  EXPECT_EQ(parent->Last(HDN_DIVIDERDBLCLICKW)->wParam, 1u);
  pt::Click(pt::ScreenPoint(header, 30, 10), pt::MouseButton::Right);
  Pump();
  EXPECT_EQ(parent->Codes({NM_RCLICK}).size(), 1u);
}

TEST_F(HeaderTest, DraggedSectionsHaveTheirNewOrderWhenTheCaptureGoes) {
  Make(HDS_BUTTONS | HDS_DRAGDROP);
  std::vector<int> orderAtRelease;
  parent->onNotify = [&](NMHDR* h, bool*) -> LRESULT {
    if (h->code == NM_RELEASEDCAPTURE) orderAtRelease = Order();
    return 0;
  };
  // Name (0..120) dragged past the middle of Date (200..300).
  DragFrom(60, 280);
  EXPECT_EQ(Order(), (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(orderAtRelease, (std::vector<int>{1, 2, 0}));
  ASSERT_NE(parent->Last(HDN_BEGINDRAG), nullptr);
  ASSERT_NE(parent->Last(HDN_ENDDRAG), nullptr);
  EXPECT_EQ(parent->Last(HDN_ENDDRAG)->lParam, 2);
  EXPECT_EQ(parent->Codes({HDN_ITEMCLICKW}).size(), 0u);
  // A refused end leaves the order.
  parent->onNotify = [](NMHDR* h, bool* handled) -> LRESULT {
    *handled = h->code == HDN_ENDDRAG;
    return *handled;
  };
  DragFrom(30, 280);
  EXPECT_EQ(Order(), (std::vector<int>{1, 2, 0}));
}

TEST_F(HeaderTest, TheSplitCursorShowsOverDividers) {
  Make(HDS_BUTTONS | HDS_HOTTRACK);
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  pt::MouseMove(pt::ScreenPoint(header, 60, 10));
  Pump();
  EXPECT_EQ(GetCursor(), arrow);
  pt::MouseMove(pt::ScreenPoint(header, 121, 10));
  Pump();
  EXPECT_NE(GetCursor(), arrow);
  EXPECT_NE(GetCursor(), nullptr);
  // Hot, pressed and sorted sections, for the eye.
  HDITEMW sorted{};
  sorted.mask = HDI_FORMAT;
  sorted.fmt = HDF_LEFT | HDF_STRING | HDF_SORTUP;
  Header_SetItem(header, 2, &sorted);
  pt::MouseMove(pt::ScreenPoint(header, 160, 10));
  pt::MouseDown(pt::ScreenPoint(header, 60, 10));
  Pump();
  if (const char* dir = std::getenv("BRANTWELL_PICTURES")) pt::SaveWindowPng(parent->hwnd, std::string(dir) + "/header.png");
  pt::MouseUp(pt::ScreenPoint(header, 60, 10));
  Pump();
}

}  // namespace
