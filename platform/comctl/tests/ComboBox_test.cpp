#include "platform/comctl/ComboBox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/comctl/Edit.h"
#include "platform/comctl/tests/ControlTestWindow.h"
#include "platform/display/Display.h"
#include "platform/gdi/WinGdi.h"
#include "platform/testing/Synthetic.h"
#include "platform/user/InputSink.h"
#include "platform/user/Monitors.h"
#include "platform/user/ScrollBars.h"
#include "platform/user/WinUser.h"

namespace platform {
namespace {

using platform::detail::InjectKey;
namespace test = platform::testing;

// What the parent and the combo box itself heard.
struct Heard {
  std::vector<WORD> notifications;
  std::vector<MEASUREITEMSTRUCT> measures;
  std::vector<DRAWITEMSTRUCT> draws;
  std::vector<std::pair<WPARAM, HWND>> parentNotify;  // the combo box's own WM_PARENTNOTIFY
  UINT variableHeight = 0;                            // answer for variable items: data × this
};
Heard* g_heard = nullptr;
WNDPROC g_comboProc = nullptr;

LRESULT ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (g_heard) {
    if (msg == WM_COMMAND && lParam && GetWindowLongPtrW(reinterpret_cast<HWND>(lParam), GWLP_ID) == 5)
      g_heard->notifications.push_back(HIWORD(wParam));
    if (msg == WM_MEASUREITEM) {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (g_heard->variableHeight && measure->itemID != static_cast<UINT>(-1))
        measure->itemHeight = static_cast<UINT>(measure->itemData) * g_heard->variableHeight;
      else
        measure->itemHeight = 20;
      g_heard->measures.push_back(*measure);
      return TRUE;
    }
    if (msg == WM_DRAWITEM) {
      const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      g_heard->draws.push_back(*draw);
      FillRect(draw->hDC, &draw->rcItem, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      return TRUE;
    }
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// A class over the combo box, as a class library's control makes one, to watch what the combo
// box itself is sent.
LRESULT WatchedComboProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PARENTNOTIFY && g_heard) g_heard->parentNotify.emplace_back(wParam, reinterpret_cast<HWND>(lParam));
  return CallWindowProcW(g_comboProc, hwnd, msg, wParam, lParam);
}

std::u16string TextOf(HWND hwnd) {
  std::u16string text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, u'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

class ComboBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_heard = &m_heard;
    m_parent = comctltest::StartParentWindow(u"ComboTestParent", ParentProc, 100, 100, 400, 300);
    ASSERT_NE(m_parent, nullptr);
    g_comboProc = comctltest::RegisterWatchedClass(WC_COMBOBOXW, u"WatchedCombo", WatchedComboProc);
    ASSERT_NE(g_comboProc, nullptr);
  }
  void TearDown() override {
    comctltest::StopParentWindow(m_parent);
    g_heard = nullptr;
    detail::SetMonitorAreas({});
  }

  HWND MakeCombo(DWORD style, int height = 200, const std::vector<std::u16string>& items = {u"Apple", u"Banana", u"Blueberry", u"Cherry"}) {
    HWND combo = CreateWindowExW(0, u"WatchedCombo", u"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 10, 10, 150, height,
                                 m_parent, reinterpret_cast<HMENU>(5), nullptr, nullptr);
    EXPECT_NE(combo, nullptr);
    for (const auto& item : items) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    test::RunUntilIdle();
    m_heard.notifications.clear();
    return combo;
  }
  static COMBOBOXINFO Info(HWND combo) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    EXPECT_TRUE(GetComboBoxInfo(combo, &info));
    return info;
  }
  static void ClickButton(HWND combo) {
    const RECT button = Info(combo).rcButton;
    test::Click(test::ScreenPoint(combo, (button.left + button.right) / 2, (button.top + button.bottom) / 2));
    test::RunUntilIdle();
  }
  static void ClickItem(HWND combo, int index) {
    HWND list = Info(combo).hwndList;
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    test::Click(test::ScreenPoint(list, 10, (item.top + item.bottom) / 2));
    test::RunUntilIdle();
  }
  static void Key(int key, bool alt = false) {
    if (alt) InjectKey(VK_MENU, true);
    InjectKey(key, true, true);
    InjectKey(key, false, true);
    if (alt) InjectKey(VK_MENU, false);
    test::RunUntilIdle();
  }
  static bool Dropped(HWND combo) { return SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; }

  Heard m_heard;
  HWND m_parent = nullptr;
};

TEST_F(ComboBoxTest, EveryStyleAnnouncesItsListAndReportsItsParts) {
  struct Case {
    DWORD style;
    bool edit, popup;
  } cases[] = {{CBS_SIMPLE, true, false}, {CBS_DROPDOWN, true, true}, {CBS_DROPDOWNLIST, false, true}};
  for (const Case& c : cases) {
    m_heard.parentNotify.clear();
    HWND combo = MakeCombo(c.style | WS_VSCROLL);
    EXPECT_EQ(GetWindowLongPtrW(combo, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL), 0) << "the bars are the list's";
    const COMBOBOXINFO info = Info(combo);
    ASSERT_NE(info.hwndList, nullptr);
    EXPECT_EQ(info.hwndCombo, combo);
    bool announced = false;
    for (const auto& [wParam, child] : m_heard.parentNotify)
      if (LOWORD(wParam) == WM_CREATE && HIWORD(wParam) == kComboListId && child == info.hwndList) announced = true;
    EXPECT_TRUE(announced) << "style " << c.style << " heard " << m_heard.parentNotify.size();
    char16_t name[32] = {};
    GetClassNameW(info.hwndList, name, 32);
    EXPECT_EQ(std::u16string(name), u"ComboLBox");
    EXPECT_EQ(GetWindowLongPtrW(info.hwndList, GWLP_ID), kComboListId);
    EXPECT_EQ((GetWindowLongPtrW(info.hwndList, GWL_STYLE) & WS_POPUP) != 0, c.popup);
    EXPECT_EQ(info.hwndItem != combo, c.edit);
    if (c.edit) {
      EXPECT_EQ(GetWindowLongPtrW(info.hwndItem, GWLP_ID), kComboEditId);
    }
    EXPECT_EQ(info.stateButton, c.popup ? 0u : STATE_SYSTEM_INVISIBLE);
    if (c.popup) {
      // The window keeps the field's height; the height asked for is the dropped height.
      RECT window{};
      GetWindowRect(combo, &window);
      EXPECT_LT(window.bottom - window.top, 40);
      EXPECT_EQ(window.bottom - window.top,
                SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0) + 6);
      EXPECT_GT(info.rcButton.right, info.rcButton.left);
    }
    DestroyWindow(combo);
  }
  COMBOBOXINFO wrongSize{};
  wrongSize.cbSize = 3;
  EXPECT_FALSE(GetComboBoxInfo(FindWindowExW(m_parent, nullptr, u"WatchedCombo", nullptr), &wrongSize));
}

TEST_F(ComboBoxTest, ItemMessagesKeepOrderSelectionAndData) {
  HWND combo = MakeCombo(CBS_DROPDOWNLIST | CBS_SORT | CBS_HASSTRINGS, 200, {u"pear", u"Apple", u"banana"});
  auto text = [&](int index) {
    char16_t buffer[64] = {};
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
    EXPECT_EQ(length, SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0));
    return std::u16string(buffer);
  };
  EXPECT_EQ(text(0), u"Apple");
  EXPECT_EQ(text(1), u"banana");
  EXPECT_EQ(text(2), u"pear");
  // An insert goes where it is told even when sorted.
  EXPECT_EQ(SendMessageW(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(u"zucchini")), 0);
  EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 4);

  struct Find {
    UINT msg;
    int start;
    const char16_t* text;
    LRESULT expected;
  } finds[] = {
      {CB_FINDSTRING, -1, u"B", 2},       {CB_FINDSTRING, 2, u"b", 2},          {CB_FINDSTRING, -1, u"x", CB_ERR},
      {CB_FINDSTRINGEXACT, -1, u"PEAR", 3}, {CB_FINDSTRINGEXACT, -1, u"pea", CB_ERR}, {CB_FINDSTRING, 3, u"", 0},
  };
  for (const Find& f : finds)
    EXPECT_EQ(SendMessageW(combo, f.msg, static_cast<WPARAM>(f.start), reinterpret_cast<LPARAM>(f.text)), f.expected)
        << std::string(f.text, f.text + std::char_traits<char16_t>::length(f.text));

  EXPECT_EQ(SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"pe")), 3);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 3);
  EXPECT_EQ(TextOf(combo), u"pear");
  // Deleting an item before the selection moves it; deleting the selected item clears it.
  SendMessageW(combo, CB_DELETESTRING, 0, 0);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(SendMessageW(combo, CB_DELETESTRING, 2, 0), 2);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(combo, CB_DELETESTRING, 7, 0), CB_ERR);

  EXPECT_EQ(SendMessageW(combo, CB_SETITEMDATA, 1, 1234), 0);
  EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, 1, 0), 1234);
  EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, 9, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, 9, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, 1, 0), 1);
  // The drop-down list's text follows the selection; a text not in the list is refused.
  EXPECT_EQ(SendMessageW(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"nothing")), CB_ERR);
  EXPECT_EQ(SendMessageW(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"APPLE")), TRUE);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
  // No edit: the edit-selection messages fail; the field height changes the window.
  EXPECT_EQ(SendMessageW(combo, CB_GETEDITSEL, 0, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), 30), 0);
  RECT window{};
  GetWindowRect(combo, &window);
  EXPECT_EQ(window.bottom - window.top, 36);
  EXPECT_EQ(SendMessageW(combo, CB_SETITEMHEIGHT, 0, 0), CB_ERR);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_TRUE(m_heard.notifications.empty());  // programmatic changes notify nothing
}

// One user action on a closed combo box and the notifications it brings, for both drop-down styles.
TEST_F(ComboBoxTest, DropAndCloseNotifyInWindowsOrder) {
  enum Action { kClickItem, kArrowThenEnter, kAltDownEsc, kClickOutside, kF4Twice, kHoverThenEsc, kArrowClosed };
  struct Case {
    Action action;
    std::vector<WORD> expected;
    int selection;
  } cases[] = {
      {kClickItem, {CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}, 2},
      {kArrowThenEnter, {CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP}, 2},
      {kAltDownEsc, {CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}, 1},
      {kClickOutside, {CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}, 1},
      {kF4Twice, {CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}, 1},
      {kHoverThenEsc, {CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}, 1},
      {kArrowClosed, {CBN_SELCHANGE}, 2},
  };
  for (DWORD style : {DWORD{CBS_DROPDOWNLIST}, DWORD{CBS_DROPDOWN}}) {
    for (const Case& c : cases) {
      HWND combo = MakeCombo(style);
      SendMessageW(combo, CB_SETCURSEL, 1, 0);
      SetFocus(combo);
      test::RunUntilIdle();
      m_heard.notifications.clear();
      HWND list = Info(combo).hwndList;
      switch (c.action) {
        case kClickItem:
          ClickButton(combo);
          EXPECT_TRUE(Dropped(combo));
          EXPECT_TRUE(IsWindowVisible(list));
          ClickItem(combo, 2);
          break;
        case kArrowThenEnter:
          Key(VK_F4);
          Key(VK_DOWN);
          Key(VK_RETURN);
          break;
        case kAltDownEsc:
          Key(VK_DOWN, true);
          EXPECT_TRUE(Dropped(combo));
          Key(VK_ESCAPE);
          break;
        case kClickOutside:
          ClickButton(combo);
          test::Click(test::ScreenPoint(m_parent, 350, 280));
          test::RunUntilIdle();
          break;
        case kF4Twice:
          Key(VK_F4);
          Key(VK_F4);
          break;
        case kHoverThenEsc: {
          Key(VK_F4);
          RECT item{};
          SendMessageW(list, LB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&item));
          test::MouseMove(test::ScreenPoint(list, 10, (item.top + item.bottom) / 2));
          test::RunUntilIdle();
          EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 3);  // highlighted while passed over
          Key(VK_ESCAPE);
          break;
        }
        case kArrowClosed:
          Key(VK_DOWN);
          break;
      }
      EXPECT_EQ(m_heard.notifications, c.expected) << "style " << style << " action " << c.action;
      EXPECT_FALSE(Dropped(combo));
      EXPECT_FALSE(IsWindowVisible(list));
      EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), c.selection) << "style " << style << " action " << c.action;
      const char16_t* names[] = {u"Apple", u"Banana", u"Blueberry", u"Cherry"};
      EXPECT_EQ(TextOf(combo), names[c.selection]);
      DestroyWindow(combo);
    }
  }
}

TEST_F(ComboBoxTest, TheListDropsBelowOrAboveWithinTheWorkArea) {
  HWND combo = MakeCombo(CBS_DROPDOWNLIST, 120);
  HWND list = Info(combo).hwndList;
  RECT field{};
  GetWindowRect(combo, &field);

  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  RECT below{};
  GetWindowRect(list, &below);
  EXPECT_EQ(below.top, field.bottom);
  EXPECT_EQ(below.left, field.left);
  EXPECT_EQ(below.right - below.left, field.right - field.left);
  RECT dropped{};
  SendMessageW(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
  EXPECT_EQ(dropped.bottom, below.bottom);
  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);

  // A work area that ends just under the combo box sends the list above it.
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  detail::SetMonitorAreas({{RECT{0, 0, screenWidth, screenHeight}, RECT{0, 0, screenWidth, field.bottom + 10}}});
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  RECT above{};
  GetWindowRect(list, &above);
  EXPECT_EQ(above.bottom, field.top);
  EXPECT_EQ(above.bottom - above.top, below.bottom - below.top);
  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);

  // A short list is as high as its items; a long one as the dropped height allows, whole rows.
  const LRESULT itemHeight = SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0);
  EXPECT_EQ(below.bottom - below.top, 4 * itemHeight + 2);
  detail::SetMonitorAreas({});
  for (int i = 0; i < 30; ++i) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"more"));
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  RECT tall{};
  GetWindowRect(list, &tall);
  EXPECT_LE(tall.bottom - tall.top, 120);
  EXPECT_EQ((tall.bottom - tall.top - 2) % itemHeight, 0);
  EXPECT_TRUE(GetWindowLongPtrW(list, GWL_STYLE) & WS_VSCROLL);  // the bar shows when items are out of view
  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
}

TEST_F(ComboBoxTest, TypeAheadSelectsByPrefix) {
  HWND combo = MakeCombo(CBS_DROPDOWNLIST, 200, {u"Apple", u"Banana", u"Blueberry", u"Bluebird", u"Cherry"});
  SetFocus(combo);
  test::RunUntilIdle();
  struct Step {
    char16_t typed;
    unsigned pause;
    int selection;
  } steps[] = {
      {u'b', 0, 1}, {u'l', 100, 2}, {u'u', 100, 2}, {u'e', 100, 2}, {u'b', 100, 2}, {u'i', 100, 3},
      {u'c', 2000, 4},  // a pause starts a new prefix
      {u'b', 2000, 1}, {u'b', 100, 2}, {u'b', 100, 3}, {u'b', 100, 1},  // one letter again steps through
      {u'z', 2000, 1},  // nothing starts with it: the selection stays
  };
  for (const Step& s : steps) {
    test::AdvanceClock(s.pause);
    test::TypeText(std::u16string(1, s.typed));
    test::RunUntilIdle();
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), s.selection) << char(s.typed);
  }
}

TEST_F(ComboBoxTest, OwnerDrawnStylesMeasureAndDrawThroughTheParent) {
  HWND combo = MakeCombo(CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED, 200, {});
  for (ULONG_PTR data : {11, 22, 33}) SendMessageW(combo, CB_ADDSTRING, 0, static_cast<LPARAM>(data));
  // Fixed: the field (-1) and the items (0) are measured once.
  std::vector<UINT> measured;
  for (const auto& m : m_heard.measures) {
    EXPECT_EQ(m.CtlType, ODT_COMBOBOX);
    EXPECT_EQ(m.CtlID, 5u);
    measured.push_back(m.itemID);
  }
  EXPECT_NE(std::find(measured.begin(), measured.end(), static_cast<UINT>(-1)), measured.end());
  EXPECT_NE(std::find(measured.begin(), measured.end(), 0u), measured.end());
  EXPECT_EQ(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0), 20);
  EXPECT_EQ(SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0), 20);
  // Without strings, the data is the item and the search compares it.
  EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, 1, 0), 22);
  EXPECT_EQ(SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), 33), 2);

  SendMessageW(combo, CB_SETCURSEL, 1, 0);
  SetFocus(combo);
  m_heard.draws.clear();
  UpdateWindow(combo);
  test::RunUntilIdle();
  ASSERT_FALSE(m_heard.draws.empty());
  const DRAWITEMSTRUCT field = m_heard.draws.back();
  EXPECT_EQ(field.CtlType, ODT_COMBOBOX);
  EXPECT_EQ(field.itemID, 1u);
  EXPECT_EQ(field.itemData, 22u);
  EXPECT_EQ(field.hwndItem, combo);
  EXPECT_EQ(field.itemState & (ODS_COMBOBOXEDIT | ODS_SELECTED | ODS_FOCUS), ODS_COMBOBOXEDIT | ODS_SELECTED | ODS_FOCUS);

  m_heard.draws.clear();
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  UpdateWindow(Info(combo).hwndList);
  test::RunUntilIdle();
  std::vector<UINT> drawn;
  for (const auto& d : m_heard.draws)
    if (!(d.itemState & ODS_COMBOBOXEDIT)) {
      drawn.push_back(d.itemID);
      EXPECT_EQ((d.itemState & ODS_SELECTED) != 0, d.itemID == 1u);
      EXPECT_EQ(d.rcItem.bottom - d.rcItem.top, 20);
    }
  EXPECT_EQ(drawn, (std::vector<UINT>{0, 1, 2}));
  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
  DestroyWindow(combo);

  // Variable: each item is measured with its data.
  m_heard.measures.clear();
  m_heard.variableHeight = 1;
  HWND variable = MakeCombo(CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS, 200, {});
  for (const char16_t* text : {u"a", u"b"}) {
    const LRESULT index = SendMessageW(variable, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    SendMessageW(variable, CB_SETITEMDATA, static_cast<WPARAM>(index), 0);
  }
  SendMessageW(variable, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"c"));
  EXPECT_EQ(SendMessageW(variable, CB_SETITEMHEIGHT, 2, 31), 0);
  EXPECT_EQ(SendMessageW(variable, CB_GETITEMHEIGHT, 2, 0), 31);
  EXPECT_EQ(SendMessageW(variable, CB_GETITEMHEIGHT, 9, 0), CB_ERR);
}

TEST_F(ComboBoxTest, TheEditFieldFollowsTheListAndReportsTyping) {
  HWND combo = MakeCombo(CBS_DROPDOWN | CBS_AUTOHSCROLL);
  HWND edit = Info(combo).hwndItem;
  SetFocus(combo);
  test::RunUntilIdle();
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(m_heard.notifications, std::vector<WORD>{CBN_SETFOCUS});
  m_heard.notifications.clear();

  SendMessageW(combo, CB_SETCURSEL, 2, 0);
  EXPECT_EQ(TextOf(edit), u"Blueberry");
  EXPECT_EQ(SendMessageW(combo, CB_GETEDITSEL, 0, 0), MAKELONG(0, 9));
  EXPECT_TRUE(SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(2, 4)));
  DWORD from = 0, to = 0;
  SendMessageW(combo, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(std::make_pair(from, to), std::make_pair(DWORD{2}, DWORD{4}));

  // Typing reports the update before the change and leaves no selection in a closed list.
  SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
  test::TypeText(u"Ch");
  test::RunUntilIdle();
  EXPECT_EQ(m_heard.notifications,
            (std::vector<WORD>{CBN_EDITUPDATE, CBN_EDITCHANGE, CBN_EDITUPDATE, CBN_EDITCHANGE}));
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(TextOf(combo), u"Ch");
  // Down from a typed text goes to the item it starts.
  Key(VK_DOWN);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 3);
  EXPECT_EQ(TextOf(edit), u"Cherry");

  SendMessageW(combo, CB_LIMITTEXT, 3, 0);
  EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 3);

  // Moving the focus between the combo box and its edit is no focus change; leaving is one.
  m_heard.notifications.clear();
  SetFocus(combo);
  test::RunUntilIdle();
  EXPECT_TRUE(m_heard.notifications.empty());
  SetFocus(m_parent);
  test::RunUntilIdle();
  EXPECT_EQ(m_heard.notifications, std::vector<WORD>{CBN_KILLFOCUS});

  // The text is kept in upper case when the style asks for it.
  HWND upper = MakeCombo(CBS_DROPDOWN | CBS_UPPERCASE, 200, {u"mixed Case"});
  char16_t buffer[32] = {};
  SendMessageW(upper, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(buffer));
  EXPECT_EQ(std::u16string(buffer), u"MIXED CASE");
}

TEST_F(ComboBoxTest, TheSimpleStyleShowsItsListUnderTheField) {
  HWND combo = MakeCombo(CBS_SIMPLE, 150);
  const COMBOBOXINFO info = Info(combo);
  EXPECT_TRUE(IsWindowVisible(info.hwndList));
  EXPECT_EQ(GetParent(info.hwndList), combo);
  RECT window{};
  GetWindowRect(combo, &window);
  EXPECT_EQ(window.bottom - window.top, 150);
  RECT listRect{};
  GetWindowRect(info.hwndList, &listRect);
  EXPECT_GE(listRect.top, window.top + info.rcItem.bottom);
  EXPECT_EQ(listRect.bottom, window.bottom);

  RECT item{};
  SendMessageW(info.hwndList, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
  const POINT at = test::ScreenPoint(info.hwndList, 10, (item.top + item.bottom) / 2);
  test::Click(at);
  test::RunUntilIdle();
  EXPECT_EQ(GetFocus(), info.hwndItem);
  EXPECT_EQ(TextOf(info.hwndItem), u"Banana");
  test::AdvanceClock(1000);
  test::DoubleClick(at);
  test::RunUntilIdle();
  EXPECT_EQ(m_heard.notifications, (std::vector<WORD>{CBN_SETFOCUS, CBN_SELCHANGE, CBN_DBLCLK}));
  // The simple style has nothing to drop.
  EXPECT_TRUE(SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0));
  EXPECT_FALSE(Dropped(combo));
}

TEST_F(ComboBoxTest, PicturesOfADroppedComboBox) {
  const std::string folder = BRANTWELL_TEST_BIN_DIR;
  HWND combo = MakeCombo(CBS_DROPDOWNLIST);
  HWND edit = MakeCombo(CBS_DROPDOWN);
  MoveWindow(edit, 180, 10, 150, 24, TRUE);
  SendMessageW(combo, CB_SETCURSEL, 1, 0);
  SendMessageW(edit, CB_SETCURSEL, 3, 0);
  SetFocus(combo);
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  test::RunUntilIdle();
  HWND list = Info(combo).hwndList;
  const test::Image field = test::ReadWindow(m_parent);
  const test::Image popup = test::ReadWindow(list);
  EXPECT_GT(popup.width, 0);
  EXPECT_TRUE(test::SaveWindowPng(m_parent, folder + "/combo-field.png"));
  EXPECT_TRUE(test::SaveWindowPng(list, folder + "/combo-list.png"));
  // The list shows the selected item highlighted: some pixel of its second row has the
  // highlight colour.
  RECT second{};
  SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
  const test::Image client = test::ReadWindow(list);
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  bool found = false;
  for (int x = 0; x < client.width && !found; ++x) {
    const uint32_t pixel = client.pixels[static_cast<size_t>((second.top + 3) * client.width + x)];
    found = (pixel & 0xFFFFFFu) == static_cast<uint32_t>((GetRValue(highlight) << 16) | (GetGValue(highlight) << 8) | GetBValue(highlight));
  }
  EXPECT_TRUE(found);
  (void)field;
}

}  // namespace
}  // namespace platform
