#include "platform/comctl/TabControl.h"
#include "platform/comctl/tests/ControlTestWindow.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/display/Display.h"
#include "platform/gdi/WinGdi.h"
#include "platform/testing/Pictures.h"
#include "platform/testing/Synthetic.h"
#include "platform/user/InputSink.h"
#include "platform/user/WinUser.h"

namespace platform {
namespace {

using platform::detail::InjectKey;
namespace test = platform::testing;

struct Heard {
  std::vector<UINT> codes;              // WM_NOTIFY codes from the tab control
  bool veto = false;                    // answer to TCN_SELCHANGING
  std::vector<DRAWITEMSTRUCT> draws;
  std::vector<WPARAM> scrolls;          // WM_HSCROLL seen by the control
};
Heard* g_heard = nullptr;
WNDPROC g_tabProc = nullptr;

LRESULT ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (g_heard) {
    if (msg == WM_NOTIFY) {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      g_heard->codes.push_back(header->code);
      if (header->code == TCN_SELCHANGING) return g_heard->veto ? 1 : 0;
      return 0;
    }
    if (msg == WM_DRAWITEM) {
      g_heard->draws.push_back(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    }
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT WatchedTabProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_HSCROLL && g_heard) g_heard->scrolls.push_back(wParam);
  return CallWindowProcW(g_tabProc, hwnd, msg, wParam, lParam);
}

class TabControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_heard = &m_heard;
    m_parent = comctltest::StartParentWindow(u"TabTestParent", ParentProc, 0, 0, 640, 480);
    ASSERT_NE(m_parent, nullptr);
    g_tabProc = comctltest::RegisterWatchedClass(WC_TABCONTROLW, u"WatchedTab", WatchedTabProc);
    ASSERT_NE(g_tabProc, nullptr);
  }
  void TearDown() override {
    comctltest::StopParentWindow(m_parent);
    g_heard = nullptr;
  }

  HWND MakeTabs(DWORD style, const std::vector<std::u16string>& captions, int x = 10, int y = 10, int width = 300,
                int height = 200) {
    HWND tabs = CreateWindowExW(0, u"WatchedTab", u"", WS_CHILD | WS_VISIBLE | style, x, y, width, height, m_parent,
                                reinterpret_cast<HMENU>(9), nullptr, nullptr);
    EXPECT_NE(tabs, nullptr);
    for (const auto& caption : captions) Insert(tabs, caption);
    test::RunUntilIdle();
    m_heard.codes.clear();
    return tabs;
  }
  static int Insert(HWND tabs, const std::u16string& caption, LPARAM param = 0, int image = -1) {
    std::u16string text = caption;
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_PARAM | TCIF_IMAGE;
    item.pszText = text.data();
    item.lParam = param;
    item.iImage = image;
    return static_cast<int>(SendMessageW(tabs, TCM_INSERTITEM, static_cast<WPARAM>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0)),
                                         reinterpret_cast<LPARAM>(&item)));
  }
  static RECT ItemRect(HWND tabs, int index) {
    RECT rect{};
    EXPECT_TRUE(SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)));
    return rect;
  }
  static POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
  static int Hit(HWND tabs, POINT point, UINT* flags = nullptr) {
    TCHITTESTINFO info{point, 0};
    const int index = static_cast<int>(SendMessageW(tabs, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    if (flags) *flags = info.flags;
    return index;
  }
  static void Click(HWND tabs, POINT client) {
    test::Click(test::ScreenPoint(tabs, client.x, client.y));
    test::RunUntilIdle();
  }

  Heard m_heard;
  HWND m_parent = nullptr;
};

// For each side: the tabs stand in a row along that side, touching the page's frame, and the
// display rectangle lies inside the frame; TCM_ADJUSTRECT goes both ways.
TEST_F(TabControlTest, TabsStandOnTheirSideAndTheDisplayAreaFillsTheRest) {
  struct Case {
    DWORD style;
    bool horizontal;
    int side;  // 0 top, 1 bottom, 2 left, 3 right
  } cases[] = {{TCS_TABS, true, 0}, {TCS_BOTTOM, true, 1}, {TCS_VERTICAL, false, 2}, {TCS_VERTICAL | TCS_RIGHT, false, 3}};
  for (const Case& c : cases) {
    HWND tabs = MakeTabs(c.style, {u"One", u"Two", u"Three"});
    RECT client{};
    GetClientRect(tabs, &client);
    RECT display = client;
    SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    for (int i = 0; i < 3; ++i) {
      const RECT r = ItemRect(tabs, i);
      EXPECT_GT(r.right - r.left, 0);
      EXPECT_GT(r.bottom - r.top, 0);
      if (i > 0) {
        const RECT p = ItemRect(tabs, i - 1);
        // Next to the one before along the strip, on the same row.
        EXPECT_EQ(c.horizontal ? r.left : r.top, c.horizontal ? p.right : p.bottom) << "style " << c.style;
        EXPECT_EQ(c.horizontal ? r.top : r.left, c.horizontal ? p.top : p.left);
      }
      switch (c.side) {
        case 0: EXPECT_LE(r.bottom, display.top); EXPECT_EQ(r.top, 2); break;
        case 1: EXPECT_GE(r.top, display.bottom); EXPECT_EQ(r.bottom, client.bottom - 2); break;
        case 2: EXPECT_LE(r.right, display.left); EXPECT_EQ(r.left, 2); break;
        case 3: EXPECT_GE(r.left, display.right); EXPECT_EQ(r.right, client.right - 2); break;
      }
      EXPECT_EQ(Hit(tabs, Centre(r)), i);
    }
    RECT back = display;
    SendMessageW(tabs, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&back));
    EXPECT_TRUE(EqualRect(&back, &client)) << "style " << c.style;
    EXPECT_EQ(SendMessageW(tabs, TCM_GETROWCOUNT, 0, 0), 1);
    DestroyWindow(tabs);
  }
}

TEST_F(TabControlTest, HitTestsNameTheTabAndItsPart) {
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
  ImageList_SetImageCount(images, 1);
  HWND tabs = MakeTabs(TCS_TABS, {});
  SendMessageW(tabs, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
  Insert(tabs, u"Picture", 0, 0);
  Insert(tabs, u"Words");
  const RECT first = ItemRect(tabs, 0), second = ItemRect(tabs, 1);
  UINT flags = 0;
  EXPECT_EQ(Hit(tabs, POINT{first.left + (first.right - first.left - 16 - 6 - 40) / 2 + 4, Centre(first).y}, &flags), 0);
  EXPECT_EQ(flags, TCHT_ONITEMICON);
  EXPECT_EQ(Hit(tabs, POINT{first.right - 8, Centre(first).y}, &flags), 0);
  EXPECT_EQ(flags, TCHT_ONITEMLABEL);
  EXPECT_EQ(Hit(tabs, Centre(second), &flags), 1);
  EXPECT_EQ(flags, TCHT_ONITEMLABEL);
  EXPECT_EQ(Hit(tabs, POINT{second.right + 20, Centre(second).y}, &flags), -1);
  EXPECT_EQ(flags, TCHT_NOWHERE);
  EXPECT_EQ(Hit(tabs, POINT{100, 150}, &flags), -1);
  // Images widen the tab and the list can be swapped.
  EXPECT_GT(first.right - first.left, 16);
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(tabs, TCM_SETIMAGELIST, 0, 0)), images);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETIMAGELIST, 0, 0), 0);
  ImageList_Destroy(images);
}

TEST_F(TabControlTest, UserChangesAskTheParentWhichMayRefuse) {
  HWND tabs = MakeTabs(TCS_TABS | TCS_FOCUSONBUTTONDOWN, {u"One", u"Two", u"Three"});
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 0);  // the first tab is selected when made
  struct Step {
    const char* action;
    bool veto;
    std::vector<UINT> codes;
    int selection;
  } steps[] = {
      {"click 2", false, {TCN_SELCHANGING, TCN_SELCHANGE, NM_CLICK}, 2},
      {"click 1 refused", true, {TCN_SELCHANGING, NM_CLICK}, 2},
      {"left", false, {TCN_KEYDOWN, TCN_SELCHANGING, TCN_SELCHANGE}, 1},
      {"left refused", true, {TCN_KEYDOWN, TCN_SELCHANGING}, 1},
      {"right", false, {TCN_KEYDOWN, TCN_SELCHANGING, TCN_SELCHANGE}, 2},
      {"right at the end", false, {TCN_KEYDOWN}, 2},
      {"setcursel", false, {}, 0},
      {"setcurfocus", false, {TCN_SELCHANGING, TCN_SELCHANGE}, 1},
  };
  for (const Step& s : steps) {
    m_heard.codes.clear();
    m_heard.veto = s.veto;
    const std::string action = s.action;
    if (action.rfind("click", 0) == 0) {
      Click(tabs, Centre(ItemRect(tabs, action[6] - '0')));
      EXPECT_EQ(GetFocus(), tabs);
    } else if (action.rfind("left", 0) == 0) {
      test::KeyPress(VK_LEFT);
    } else if (action.rfind("right", 0) == 0) {
      test::KeyPress(VK_RIGHT);
    } else if (action == "setcursel") {
      EXPECT_EQ(SendMessageW(tabs, TCM_SETCURSEL, 0, 0), 2);  // the previous selection
      EXPECT_EQ(SendMessageW(tabs, TCM_SETCURSEL, 7, 0), -1);
    } else {
      SendMessageW(tabs, TCM_SETCURFOCUS, 1, 0);
    }
    test::RunUntilIdle();
    EXPECT_EQ(m_heard.codes, s.codes) << s.action;
    EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), s.selection) << s.action;
  }
}

TEST_F(TabControlTest, ItemsKeepTheirFieldsAndTheSelectionFollowsDeletes) {
  HWND tabs = MakeTabs(TCS_TABS, {u"A", u"B", u"C", u"D"});
  TCITEMW item{};
  item.mask = TCIF_PARAM | TCIF_STATE | TCIF_TEXT | TCIF_IMAGE;
  item.lParam = 77;
  item.iImage = 3;
  item.dwState = TCIS_HIGHLIGHTED;
  item.dwStateMask = TCIS_HIGHLIGHTED;
  std::u16string caption = u"Bee";
  item.pszText = caption.data();
  EXPECT_TRUE(SendMessageW(tabs, TCM_SETITEM, 1, reinterpret_cast<LPARAM>(&item)));
  char16_t buffer[3] = {};
  TCITEMW out{};
  out.mask = TCIF_PARAM | TCIF_STATE | TCIF_TEXT | TCIF_IMAGE;
  out.dwStateMask = 0xFFFF;
  out.pszText = buffer;
  out.cchTextMax = 3;  // the text is cut to the buffer
  EXPECT_TRUE(SendMessageW(tabs, TCM_GETITEM, 1, reinterpret_cast<LPARAM>(&out)));
  EXPECT_EQ(std::u16string(buffer), u"Be");
  EXPECT_EQ(out.lParam, 77);
  EXPECT_EQ(out.iImage, 3);
  EXPECT_EQ(out.dwState, TCIS_HIGHLIGHTED);
  SendMessageW(tabs, TCM_HIGHLIGHTITEM, 1, MAKELONG(FALSE, 0));
  SendMessageW(tabs, TCM_GETITEM, 1, reinterpret_cast<LPARAM>(&out));
  EXPECT_EQ(out.dwState, 0u);
  EXPECT_FALSE(SendMessageW(tabs, TCM_GETITEM, 9, reinterpret_cast<LPARAM>(&out)));

  SendMessageW(tabs, TCM_SETCURSEL, 2, 0);
  EXPECT_TRUE(SendMessageW(tabs, TCM_DELETEITEM, 0, 0));
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 1);  // still "C"
  EXPECT_TRUE(SendMessageW(tabs, TCM_DELETEITEM, 1, 0));
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), -1);  // the selected tab went
  EXPECT_FALSE(SendMessageW(tabs, TCM_DELETEITEM, 5, 0));
  EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
  SendMessageW(tabs, TCM_DELETEALLITEMS, 0, 0);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 0);
  EXPECT_TRUE(m_heard.codes.empty());
}

TEST_F(TabControlTest, SizesPaddingAndRowsFollowTheStyle) {
  // Fixed width: every tab as wide as the size given; the height too.
  HWND fixed = MakeTabs(TCS_FIXEDWIDTH, {u"A", u"A much longer caption"});
  SendMessageW(fixed, TCM_SETITEMSIZE, 0, MAKELPARAM(80, 30));
  for (int i = 0; i < 2; ++i) {
    const RECT r = ItemRect(fixed, i);
    EXPECT_EQ(r.right - r.left, 80);
    EXPECT_EQ(r.bottom - r.top, 30);
  }
  // Padding widens a tab by twice its horizontal part.
  HWND padded = MakeTabs(TCS_TABS, {u"Pad"});
  const LONG before = ItemRect(padded, 0).right - ItemRect(padded, 0).left;
  SendMessageW(padded, TCM_SETPADDING, 0, MAKELPARAM(16, 3));
  EXPECT_EQ(ItemRect(padded, 0).right - ItemRect(padded, 0).left, before + 20);

  // Multi-line: rows wrap, fill the width unless ragged, and the selected row moves next to
  // the page.
  const std::vector<std::u16string> many = {u"First tab", u"Second tab", u"Third tab", u"Fourth tab", u"Fifth tab", u"Sixth tab"};
  HWND multi = MakeTabs(TCS_MULTILINE, many, 10, 220, 200, 200);
  const int rows = static_cast<int>(SendMessageW(multi, TCM_GETROWCOUNT, 0, 0));
  EXPECT_GE(rows, 2);
  RECT client{};
  GetClientRect(multi, &client);
  const RECT first = ItemRect(multi, 0);
  EXPECT_EQ(first.left, 2);
  int lastOfFirstRow = 0;
  while (lastOfFirstRow + 1 < 6 && ItemRect(multi, lastOfFirstRow + 1).top == first.top) ++lastOfFirstRow;
  EXPECT_EQ(ItemRect(multi, lastOfFirstRow).right, client.right - 2);  // stretched
  const RECT last = ItemRect(multi, 5);
  EXPECT_LT(last.top, first.top);  // the first row starts next to the page
  SendMessageW(multi, TCM_SETCURSEL, 5, 0);
  EXPECT_EQ(ItemRect(multi, 5).top, first.top);  // now the last row is
  EXPECT_LT(ItemRect(multi, 0).top, first.top);

  HWND ragged = MakeTabs(TCS_MULTILINE | TCS_RAGGEDRIGHT, many, 220, 220, 200, 200);
  int end = 0;
  while (end + 1 < 6 && ItemRect(ragged, end + 1).top == ItemRect(ragged, 0).top) ++end;
  EXPECT_LT(ItemRect(ragged, end).right, client.right - 2);
}

TEST_F(TabControlTest, AnOverflowingStripScrollsByOneTabThroughWmHscroll) {
  HWND tabs = MakeTabs(TCS_TABS, {u"Alpha", u"Bravo", u"Charlie", u"Delta", u"Echo", u"Foxtrot"}, 10, 10, 160, 100);
  RECT client{};
  GetClientRect(tabs, &client);
  const int arrow = GetSystemMetrics(SM_CXVSCROLL);
  const RECT row = ItemRect(tabs, 0);
  const POINT right{client.right - arrow / 2, row.bottom - 6};
  const POINT left{client.right - arrow - arrow / 2, row.bottom - 6};
  EXPECT_EQ(Hit(tabs, right), -1);  // the arrows are no tab

  const LONG secondLeft = ItemRect(tabs, 1).left;
  Click(tabs, right);
  ASSERT_FALSE(m_heard.scrolls.empty());
  EXPECT_EQ(LOWORD(m_heard.scrolls.front()), SB_THUMBPOSITION);
  EXPECT_EQ(HIWORD(m_heard.scrolls.front()), 1);
  EXPECT_EQ(ItemRect(tabs, 1).left, 2);  // the second tab now starts the strip
  EXPECT_LE(ItemRect(tabs, 0).right, 2);
  EXPECT_EQ(Hit(tabs, POINT{6, row.top + 4}), 1);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 0);  // scrolling selects nothing

  // To the end and no further; then back to the start and no further.
  for (int i = 0; i < 10; ++i) Click(tabs, right);
  const size_t atEnd = m_heard.scrolls.size();
  Click(tabs, right);
  EXPECT_EQ(m_heard.scrolls.size(), atEnd);
  EXPECT_LE(ItemRect(tabs, 5).right, client.right - 2 * arrow);
  for (int i = 0; i < 10; ++i) Click(tabs, left);
  EXPECT_EQ(ItemRect(tabs, 1).left, secondLeft);
  m_heard.scrolls.clear();
  Click(tabs, left);
  EXPECT_TRUE(m_heard.scrolls.empty());

  // Selecting a tab out of view scrolls it in.
  SendMessageW(tabs, TCM_SETCURSEL, 5, 0);
  EXPECT_LE(ItemRect(tabs, 5).right, client.right - 2 * arrow);
  EXPECT_GE(ItemRect(tabs, 5).left, 0);
}

TEST_F(TabControlTest, OwnerDrawnTabsAreDrawnByTheParent) {
  HWND tabs = MakeTabs(TCS_OWNERDRAWFIXED, {});
  Insert(tabs, u"x", 100);
  Insert(tabs, u"y", 200);
  SendMessageW(tabs, TCM_SETCURSEL, 1, 0);
  m_heard.draws.clear();
  InvalidateRect(tabs, nullptr, TRUE);
  UpdateWindow(tabs);
  ASSERT_EQ(m_heard.draws.size(), 2u);
  for (const DRAWITEMSTRUCT& d : m_heard.draws) {
    EXPECT_EQ(d.CtlType, ODT_TAB);
    EXPECT_EQ(d.CtlID, 9u);
    EXPECT_EQ(d.hwndItem, tabs);
    EXPECT_EQ(d.itemData, d.itemID == 0 ? 100u : 200u);
    EXPECT_EQ((d.itemState & ODS_SELECTED) != 0, d.itemID == 1);
  }
  EXPECT_EQ(m_heard.draws.back().itemID, 1u);  // the selected tab is drawn last, over its neighbours
}

TEST_F(TabControlTest, PicturesOfTabStrips) {
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
  HBITMAP bitmap = CreateBitmap(16, 16, 1, 32, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, 16, 16};
  HBRUSH red = CreateSolidBrush(RGB(200, 40, 40));
  FillRect(dc, &all, red);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(red);
  ImageList_Add(images, bitmap, nullptr);
  DeleteObject(bitmap);

  HWND top = MakeTabs(TCS_TABS | TCS_HOTTRACK, {}, 10, 10, 300, 100);
  SendMessageW(top, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
  Insert(top, u"Crop", 0, 0);
  Insert(top, u"Effect");
  Insert(top, u"Trim");
  SendMessageW(top, TCM_SETCURSEL, 1, 0);
  SendMessageW(top, TCM_HIGHLIGHTITEM, 2, MAKELONG(TRUE, 0));
  HWND bottom = MakeTabs(TCS_BOTTOM, {u"Watermark", u"Subtitle"}, 320, 10, 300, 100);
  MakeTabs(TCS_VERTICAL, {u"Left", u"Side"}, 10, 120, 140, 160);
  MakeTabs(TCS_VERTICAL | TCS_RIGHT, {u"Right", u"Side"}, 160, 120, 140, 160);
  MakeTabs(TCS_MULTILINE, {u"First tab", u"Second tab", u"Third tab", u"Fourth tab", u"Fifth"}, 320, 120, 200, 160);
  MakeTabs(TCS_TABS, {u"Alpha", u"Bravo", u"Charlie", u"Delta", u"Echo"}, 10, 290, 200, 80);
  MakeTabs(TCS_BUTTONS, {u"Button", u"Pressed"}, 220, 290, 200, 80);
  MakeTabs(TCS_BUTTONS | TCS_FLATBUTTONS, {u"Flat", u"Buttons"}, 430, 290, 200, 80);
  test::RunUntilIdle();
  UpdateWindow(m_parent);
  EXPECT_TRUE(test::SaveWindowPng(m_parent, std::string(BRANTWELL_TEST_BIN_DIR) + "/tab-strips.png"));
  // The selected tab joins the page: under its middle there is no frame line.
  const test::Image picture = test::ReadWindow(top);
  const RECT selected = ItemRect(top, 1);
  const uint32_t face = GetSysColor(COLOR_BTNFACE);
  const uint32_t expected = (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
  EXPECT_EQ(picture.At((selected.left + selected.right) / 2, selected.bottom) & 0xFFFFFFu, expected);
  EXPECT_EQ(picture.At((selected.left + selected.right) / 2, selected.bottom + 1) & 0xFFFFFFu, expected);
  // A selected tab at the bottom closes with a dark line under it.
  const test::Image under = test::ReadWindow(bottom);
  const RECT tab = ItemRect(bottom, 0);
  const COLORREF dark = GetSysColor(COLOR_3DDKSHADOW);
  EXPECT_EQ(under.At((tab.left + tab.right) / 2, tab.bottom + 1) & 0xFFFFFFu,
            static_cast<uint32_t>((GetRValue(dark) << 16) | (GetGValue(dark) << 8) | GetBValue(dark)));
  ImageList_Destroy(images);
}

}  // namespace
}  // namespace platform
