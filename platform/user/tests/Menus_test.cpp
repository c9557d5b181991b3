// Menus: item operations and states, system menus, and popup menus answered with synthetic
// keyboard and mouse input (scripted from the owner's WM_ENTERIDLE, as the tracking loop
// runs on the test's thread).

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "UserTestSupport.h"
#include "platform/gdi/WinGdi.h"
#include "platform/kernel/WinError.h"
#include "platform/testing/Pictures.h"
#include "platform/user/InputSink.h"
#include "platform/user/PopupMenu.h"
#include "platform/user/Present.h"
#include "platform/user/WinUser.h"

namespace {

using namespace usertest;
using platform::detail::InjectKey;
using platform::detail::InjectMouseButton;
using platform::detail::InjectMouseMove;
using platform::detail::InjectText;
using platform::detail::MouseButton;

std::u16string ItemText(HMENU menu, UINT item, UINT flags) {
  char16_t buffer[64];
  const int n = GetMenuStringW(menu, item, buffer, 64, flags);
  return std::u16string(buffer, n);
}

TEST(MenuItems, InsertModifyDeleteAndFindByCommandInSubmenus) {
  HMENU menu = CreatePopupMenu();
  HMENU sub = CreatePopupMenu();
  ASSERT_TRUE(AppendMenuW(menu, MF_STRING, 10, u"&Open"));
  ASSERT_TRUE(AppendMenuW(menu, MF_SEPARATOR, 0, nullptr));
  ASSERT_TRUE(AppendMenuA(menu, MF_STRING | MF_GRAYED, 30, "Sa\xC3\xBCve"));
  ASSERT_TRUE(AppendMenuW(sub, MF_STRING, 41, u"Deep"));
  ASSERT_TRUE(AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), u"More"));
  ASSERT_TRUE(InsertMenuW(menu, 0, MF_BYPOSITION, 5, u"First"));
  ASSERT_TRUE(InsertMenuW(menu, 30, MF_BYCOMMAND, 20, u"Before save"));
  EXPECT_EQ(GetMenuItemCount(menu), 6);

  struct Row {
    int position;
    UINT id;
    const char16_t* text;
  };
  const Row rows[] = {{0, 5, u"First"}, {1, 10, u"&Open"}, {2, 0, u""}, {3, 20, u"Before save"},
                      {4, 30, u"Saüve"}, {5, UINT(-1), u"More"}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.position);
    EXPECT_EQ(GetMenuItemID(menu, r.position), r.id);
    EXPECT_EQ(ItemText(menu, r.position, MF_BYPOSITION), r.text);
  }
  char narrow[8];
  EXPECT_EQ(GetMenuStringA(menu, 30, narrow, 4, MF_BYCOMMAND), 2);  // never cuts a character in two
  EXPECT_STREQ(narrow, "Sa");

  // By command, the search reaches into submenus.
  EXPECT_EQ(GetMenuState(menu, 41, MF_BYCOMMAND), 0u);
  EXPECT_EQ(CheckMenuItem(menu, 41, MF_BYCOMMAND | MF_CHECKED), 0u);
  EXPECT_EQ(GetMenuState(sub, 0, MF_BYPOSITION), MF_CHECKED);
  EXPECT_EQ(GetMenuState(menu, 5, MF_BYPOSITION), MF_POPUP | (1u << 8));
  EXPECT_EQ(GetMenuState(menu, 2, MF_BYPOSITION), MF_SEPARATOR);

  // Enabling and checking return the previous state; a missing item gives -1.
  EXPECT_EQ(EnableMenuItem(menu, 30, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
  EXPECT_EQ(EnableMenuItem(menu, 30, MF_BYCOMMAND | MF_GRAYED | MF_DISABLED), MF_ENABLED);
  EXPECT_EQ(GetMenuState(menu, 30, MF_BYCOMMAND) & MFS_GRAYED, MFS_GRAYED);
  EXPECT_EQ(EnableMenuItem(menu, 999, MF_BYCOMMAND), DWORD(-1));
  EXPECT_EQ(CheckMenuItem(menu, 99, MF_BYPOSITION), DWORD(-1));
  EXPECT_EQ(GetMenuState(menu, 999, MF_BYCOMMAND), UINT(-1));

  ASSERT_TRUE(ModifyMenuW(menu, 10, MF_BYCOMMAND | MF_STRING | MF_CHECKED, 11, u"Reopen"));
  EXPECT_EQ(GetMenuItemID(menu, 1), 11u);
  EXPECT_EQ(GetMenuState(menu, 1, MF_BYPOSITION), MF_CHECKED);

  ASSERT_TRUE(SetMenuDefaultItem(menu, 20, FALSE));
  EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), 20u);
  EXPECT_EQ(GetMenuDefaultItem(menu, TRUE, 0), 3u);
  ASSERT_TRUE(SetMenuDefaultItem(menu, 4, TRUE));
  EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), UINT(-1));  // a greyed default does not count
  EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, GMDI_USEDISABLED), 30u);
  EXPECT_FALSE(SetMenuDefaultItem(menu, 777, FALSE));

  // RemoveMenu hands the submenu back; DeleteMenu destroys it.
  ASSERT_TRUE(RemoveMenu(menu, 5, MF_BYPOSITION));
  EXPECT_TRUE(IsMenu(sub));
  ASSERT_TRUE(AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), u"More"));
  ASSERT_TRUE(DeleteMenu(menu, 5, MF_BYPOSITION));
  EXPECT_FALSE(IsMenu(sub));
  EXPECT_FALSE(DeleteMenu(menu, 123, MF_BYCOMMAND));
  EXPECT_EQ(GetLastError(), ERROR_MENU_ITEM_NOT_FOUND);

  ASSERT_TRUE(DestroyMenu(menu));
  EXPECT_FALSE(IsMenu(menu));
  EXPECT_EQ(GetMenuItemCount(menu), -1);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_MENU_HANDLE);
  EXPECT_FALSE(AppendMenuW(menu, MF_STRING, 1, u"x"));
}

TEST(MenuItems, ItemInfoRadioGroupsAndCycles) {
  HMENU menu = CreatePopupMenu();
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID | MIIM_STRING | MIIM_DATA | MIIM_STATE;
  info.wID = 7;
  info.dwTypeData = const_cast<LPWSTR>(u"Seven");
  info.dwItemData = 0xABCD;
  info.fState = MFS_CHECKED;
  ASSERT_TRUE(InsertMenuItemW(menu, 0, TRUE, &info));
  for (UINT id : {8u, 9u}) AppendMenuW(menu, MF_STRING, id, u"x");

  MENUITEMINFOA out{};
  out.cbSize = sizeof out;
  out.fMask = MIIM_ID | MIIM_STRING | MIIM_DATA | MIIM_STATE;
  char text[4];
  out.dwTypeData = text;
  out.cch = sizeof text;
  ASSERT_TRUE(GetMenuItemInfoA(menu, 7, FALSE, &out));
  EXPECT_EQ(out.wID, 7u);
  EXPECT_EQ(out.dwItemData, 0xABCDu);
  EXPECT_EQ(out.fState, MFS_CHECKED);
  EXPECT_STREQ(text, "Sev");  // cut to the buffer
  out.dwTypeData = nullptr;
  ASSERT_TRUE(GetMenuItemInfoA(menu, 7, FALSE, &out));
  EXPECT_EQ(out.cch, 5u);  // without a buffer: the length

  MENUITEMINFOW bad{};
  bad.cbSize = 3;
  EXPECT_FALSE(SetMenuItemInfoW(menu, 0, TRUE, &bad));

  ASSERT_TRUE(CheckMenuRadioItem(menu, 7, 9, 8, MF_BYCOMMAND));
  EXPECT_EQ(GetMenuState(menu, 7, MF_BYCOMMAND) & MF_CHECKED, 0u);
  EXPECT_EQ(GetMenuState(menu, 8, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);

  // A menu cannot become its own submenu, directly or further down.
  HMENU sub = CreatePopupMenu();
  ASSERT_TRUE(AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), u"Sub"));
  EXPECT_FALSE(AppendMenuW(sub, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), u"Loop"));
  EXPECT_FALSE(AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), u"Self"));
  DestroyMenu(menu);
  EXPECT_FALSE(IsMenu(sub));
}

class PopupMenuTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    m_owner = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                     [this](HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT*) {
                       if (msg == WM_ENTERIDLE && wParam == MSGF_MENU && m_step < m_script.size())
                         m_script[m_step++](reinterpret_cast<HWND>(lParam));
                       return false;
                     });
    SetActiveWindow(m_owner);
    SetFocus(m_owner);
    m_menu = CreatePopupMenu();
    m_sub = CreatePopupMenu();
    AppendMenuW(m_sub, MF_STRING, 201, u"Deep &one");
    AppendMenuW(m_sub, MF_STRING, 202, u"Deep &two");
    AppendMenuW(m_menu, MF_STRING, 101, u"&Copy\tCtrl+C");
    AppendMenuW(m_menu, MF_STRING | MF_GRAYED, 102, u"&Paste\tCtrl+V");
    AppendMenuW(m_menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(m_menu, MF_POPUP, reinterpret_cast<UINT_PTR>(m_sub), u"&More");
    AppendMenuW(m_menu, MF_STRING | MF_CHECKED, 104, u"C&heck");
  }
  void TearDown() override {
    DestroyMenu(m_menu);
    UserTest::TearDown();
  }
  static void Key(int vk) {
    InjectKey(vk, true);
    InjectKey(vk, false);
  }
  // The screen centre of item `index` of the popup window `popup`.
  static POINT ItemCentre(HWND popup, int index) {
    RECT r;
    GetWindowRect(popup, &r);
    // Items are 18 pixels high (separators 9) below a 3-pixel frame.
    int y = r.top + 3;
    for (int i = 0; i < index; ++i) y += (i == 2 ? 9 : 18);
    return POINT{(r.left + r.right) / 2, y + 9};
  }

  HWND m_owner = nullptr;
  HMENU m_menu = nullptr, m_sub = nullptr;
  std::vector<std::function<void(HWND)>> m_script;
  size_t m_step = 0;
};

TEST_F(PopupMenuTest, KeyboardChoosesSkippingSeparatorsAndGreyedItems) {
  struct Case {
    const char* name;
    std::vector<int> keys;
    UINT expected;
  };
  const Case cases[] = {
      {"first item", {VK_DOWN, VK_RETURN}, 101},
      {"greyed item is not chosen", {VK_DOWN, VK_DOWN, VK_RETURN, VK_ESCAPE}, 0},
      {"separator skipped, into the submenu", {VK_UP, VK_UP, VK_RIGHT, VK_DOWN, VK_RETURN}, 202},
      {"left closes the submenu, enter opens it again", {VK_UP, VK_UP, VK_RIGHT, VK_LEFT, VK_RETURN, VK_RETURN}, 201},
      {"wraps around", {VK_UP, VK_RETURN}, 104},
      {"escape cancels", {VK_DOWN, VK_ESCAPE}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_step = 0;
    m_script = {[&](HWND) {
      for (int key : c.keys) Key(key);
    }};
    const BOOL result = TrackPopupMenu(m_menu, TPM_RETURNCMD, 120, 120, 0, m_owner, nullptr);
    EXPECT_EQ(static_cast<UINT>(result), c.expected);
    EXPECT_EQ(GetCapture(), nullptr);
  }
}

TEST_F(PopupMenuTest, NotificationsInOrderAndTheCommandIsPosted) {
  m_script = {[&](HWND) {
    InjectText(u"h");  // the mnemonic of "C&heck" chooses it at once
  }};
  ClearLog();
  ASSERT_TRUE(TrackPopupMenu(m_menu, 0, 120, 120, 0, m_owner, nullptr));
  const std::vector<UINT> interesting{WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP, WM_MENUSELECT,
                                      WM_UNINITMENUPOPUP, WM_EXITMENULOOP, WM_COMMAND};
  EXPECT_EQ(Messages(m_owner, interesting),
            (std::vector<UINT>{WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP, WM_MENUSELECT, WM_UNINITMENUPOPUP,
                               WM_MENUSELECT, WM_EXITMENULOOP}));
  Pump();
  std::vector<Seen> commands;
  {
    std::lock_guard lock(LogMutex());
    for (const Seen& s : Log())
      if (s.hwnd == m_owner && (s.msg == WM_COMMAND || s.msg == WM_MENUSELECT)) commands.push_back(s);
  }
  ASSERT_EQ(commands.size(), 3u);
  EXPECT_EQ(LOWORD(commands[0].wParam), 104);  // selected
  EXPECT_EQ(HIWORD(commands[0].wParam) & MF_CHECKED, MF_CHECKED);
  EXPECT_EQ(HIWORD(commands[1].wParam), 0xFFFF);  // closed
  EXPECT_EQ(commands[1].lParam, 0);
  EXPECT_EQ(commands[2].msg, WM_COMMAND);
  EXPECT_EQ(commands[2].wParam, 104u);
}

TEST_F(PopupMenuTest, MouseHoversIntoTheSubmenuAndClicks) {
  HWND first = nullptr;
  m_script = {
      [&](HWND popup) {
        first = popup;
        const POINT more = ItemCentre(popup, 3);
        InjectMouseMove(more);  // hovering opens the submenu
      },
      [&](HWND deepest) {
        EXPECT_NE(deepest, first);
        RECT sub;
        GetWindowRect(deepest, &sub);
        RECT parent;
        GetWindowRect(first, &parent);
        EXPECT_GE(sub.left, parent.right - 6);  // beside its item
        // The live window paints the hovered item highlighted.
        UpdateWindow(first);
        platform::detail::WindowPixels pixels;
        ASSERT_TRUE(platform::detail::ReadWindowPixels(first, false, &pixels));
        const int moreY = 3 + 18 * 2 + 9 + 2;
        EXPECT_EQ(pixels.pixels[static_cast<size_t>(moreY) * pixels.width + 5] & 0xFFFFFF, 0x0A246Au);
        EXPECT_EQ(pixels.pixels[static_cast<size_t>(5) * pixels.width + 5] & 0xFFFFFF, 0xD4D0C8u);
        platform::testing::Image image{pixels.width, pixels.height, pixels.pixels};
        platform::testing::SavePng(image, std::string(BRANTWELL_TEST_BIN_DIR) + "/popup_menu_window.png");
        const POINT two{(sub.left + sub.right) / 2, sub.top + 3 + 18 + 9};
        InjectMouseMove(two);
        InjectMouseButton(MouseButton::Left, true, two);
        InjectMouseButton(MouseButton::Left, false, two);
      }};
  ClearLog();
  EXPECT_EQ(TrackPopupMenu(m_menu, TPM_RETURNCMD, 120, 120, 0, m_owner, nullptr), 202);
  EXPECT_EQ(Messages(m_owner, {WM_INITMENUPOPUP}).size(), 2u);
  EXPECT_EQ(Messages(m_owner, {WM_UNINITMENUPOPUP}).size(), 2u);
  EXPECT_FALSE(IsWindow(first));
}

TEST_F(PopupMenuTest, ClickOutsideCancelsAndRightButtonNeedsTheFlag) {
  m_script = {[&](HWND popup) {
    RECT r;
    GetWindowRect(popup, &r);
    const POINT outside{r.right + 40, r.bottom + 40};
    InjectMouseButton(MouseButton::Left, true, outside);
    InjectMouseButton(MouseButton::Left, false, outside);
  }};
  EXPECT_EQ(TrackPopupMenu(m_menu, TPM_RETURNCMD, 120, 120, 0, m_owner, nullptr), 0);

  for (bool allowed : {false, true}) {
    m_step = 0;
    m_script = {[&](HWND popup) {
                  const POINT copy = ItemCentre(popup, 0);
                  InjectMouseMove(copy);
                  InjectMouseButton(MouseButton::Right, true, copy);
                  InjectMouseButton(MouseButton::Right, false, copy);
                },
                [&](HWND) { Key(VK_ESCAPE); }};
    const UINT flags = TPM_RETURNCMD | (allowed ? TPM_RIGHTBUTTON : 0);
    EXPECT_EQ(TrackPopupMenuEx(m_menu, flags, 120, 120, m_owner, nullptr), allowed ? 101 : 0) << allowed;
  }
}

TEST_F(PopupMenuTest, SystemMenuPostsSysCommandsAndGreysWhatDoesNotApply) {
  HMENU system = GetSystemMenu(m_owner, FALSE);
  ASSERT_NE(system, nullptr);
  EXPECT_EQ(GetSystemMenu(m_owner, FALSE), system);
  EXPECT_EQ(GetMenuDefaultItem(system, FALSE, 0), static_cast<UINT>(SC_CLOSE));
  m_script = {[&](HWND) {
    Key(VK_UP);  // Close is the last item
    Key(VK_RETURN);
  }};
  ASSERT_TRUE(TrackPopupMenu(system, 0, 120, 120, 0, m_owner, nullptr));
  // Restore does not apply to a normal window.
  EXPECT_EQ(GetMenuState(system, SC_RESTORE, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
  EXPECT_EQ(GetMenuState(system, SC_MAXIMIZE, MF_BYCOMMAND) & MFS_GRAYED, 0u);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, m_owner, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(SC_CLOSE));
  EXPECT_EQ(GetSystemMenu(m_owner, TRUE), nullptr);
  EXPECT_FALSE(IsMenu(system));
}

// A menu dropped from a button keeps clear of it: below it (vertical) or beside it.
TEST_F(PopupMenuTest, MenuKeepsClearOfTheExcludedArea) {
  const struct {
    UINT flags;
    LONG left, top;
  } cases[] = {{TPM_VERTICAL, 120, 140}, {TPM_HORIZONTAL, 200, 120}, {TPM_VERTICAL | TPM_RECURSE, 120, 140}};
  for (const auto& c : cases) {
    RECT seen{};
    m_step = 0;
    m_script = {[&](HWND popup) {
      GetWindowRect(popup, &seen);
      Key(VK_ESCAPE);
    }};
    TPMPARAMS params{sizeof params, {100, 100, 200, 140}};
    EXPECT_EQ(TrackPopupMenuEx(m_menu, c.flags | TPM_RETURNCMD, 120, 120, m_owner, &params), 0);
    RECT overlap;
    EXPECT_FALSE(IntersectRect(&overlap, &seen, &params.rcExclude)) << c.flags;
    EXPECT_EQ(seen.left, c.left) << c.flags;
    EXPECT_EQ(seen.top, c.top) << c.flags;
  }
  // Without an area the menu opens where it is asked to.
  RECT seen{};
  m_step = 0;
  m_script = {[&](HWND popup) {
    GetWindowRect(popup, &seen);
    Key(VK_ESCAPE);
  }};
  TrackPopupMenuEx(m_menu, TPM_RETURNCMD, 120, 120, m_owner, nullptr);
  EXPECT_EQ(seen.left, 120);
  EXPECT_EQ(seen.top, 120);
}

TEST_F(PopupMenuTest, BadArgumentsFail) {
  EXPECT_FALSE(TrackPopupMenu(nullptr, 0, 0, 0, 0, m_owner, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_MENU_HANDLE);
  EXPECT_FALSE(TrackPopupMenu(m_menu, 0, 0, 0, 0, reinterpret_cast<HWND>(0x1234), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  TPMPARAMS params{3, {}};
  EXPECT_FALSE(TrackPopupMenuEx(m_menu, 0, 0, 0, m_owner, &params));
  HMENU empty = CreatePopupMenu();
  EXPECT_FALSE(TrackPopupMenu(empty, 0, 0, 0, 0, m_owner, nullptr));
  DestroyMenu(empty);
}

TEST_F(PopupMenuTest, PopupPicture) {
  std::vector<platform::detail::MenuItemView> items;
  ASSERT_TRUE(platform::detail::SnapshotMenu(m_menu, &items));
  SetMenuDefaultItem(m_menu, 101, FALSE);
  platform::detail::SnapshotMenu(m_menu, &items);
  const auto layout = platform::detail::LayoutPopupMenu(items);
  ASSERT_EQ(layout.itemRects.size(), 5u);
  EXPECT_EQ(layout.itemRects[3].top, 3 + 18 * 2 + 9);
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = layout.size.cx;
  info.bmiHeader.biHeight = -layout.size.cy;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  platform::detail::PaintPopupMenu(dc, items, layout, 0);
  // The selected item is highlighted, the frame raised, the rest menu-coloured.
  EXPECT_EQ(GetPixel(dc, layout.itemRects[0].left + 2, layout.itemRects[0].top + 1), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(GetPixel(dc, layout.itemRects[1].left + 2, layout.itemRects[1].top + 1), GetSysColor(COLOR_MENU));
  EXPECT_EQ(GetPixel(dc, layout.size.cx - 1, 5), GetSysColor(COLOR_3DDKSHADOW));
  std::string error;
  EXPECT_TRUE(platform::testing::SaveDcPng(dc, std::string(BRANTWELL_TEST_BIN_DIR) + "/popup_menu.png", &error)) << error;
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

}  // namespace

namespace {

// A message filter of the thread sees the menu loop's messages first and may keep them:
// here it takes Left at the top level and closes the menu, as a menu bar does to switch menus.
std::vector<UINT> g_filtered;
LRESULT MenuFilter(int code, WPARAM, LPARAM lParam) {
  auto* msg = reinterpret_cast<MSG*>(lParam);
  if (code != MSGF_MENU) return 0;
  if (msg->message == WM_KEYDOWN) g_filtered.push_back(static_cast<UINT>(msg->wParam));
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_LEFT) {
    EndMenu();
    return 1;
  }
  return 0;
}

TEST_F(PopupMenuTest, MessageFiltersSeeTheMenuLoopAndMayKeepMessages) {
  EXPECT_EQ(SetWindowsHookExW(WH_MSGFILTER + 5, MenuFilter, nullptr, 0), nullptr);
  HHOOK hook = SetWindowsHookExW(WH_MSGFILTER, MenuFilter, nullptr, 0);
  ASSERT_NE(hook, nullptr);
  g_filtered.clear();
  m_script = {[&](HWND) {
    Key(VK_DOWN);
    Key(VK_LEFT);
    Key(VK_RETURN);  // never reached: the menu has closed
  }};
  EXPECT_EQ(TrackPopupMenu(m_menu, TPM_RETURNCMD, 120, 120, 0, m_owner, nullptr), 0);
  EXPECT_EQ(g_filtered, (std::vector<UINT>{VK_DOWN, VK_LEFT}));
  EXPECT_TRUE(UnhookWindowsHookEx(hook));
  EXPECT_FALSE(UnhookWindowsHookEx(hook));
  // Without the filter the same keys choose the first item.
  Pump();
  m_step = 0;
  m_script = {[&](HWND) {
    Key(VK_DOWN);
    Key(VK_LEFT);
    Key(VK_RETURN);
  }};
  EXPECT_EQ(TrackPopupMenu(m_menu, TPM_RETURNCMD, 120, 120, 0, m_owner, nullptr), 101);
}

}  // namespace
