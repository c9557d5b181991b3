#include "platform/kernel/WinError.h"
#include "platform/user/tests/UserTestSupport.h"

using namespace usertest;

namespace {

const std::vector<UINT> kLifecycle = {WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE,
                                      WM_PARENTNOTIFY, WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED,
                                      WM_DESTROY, WM_NCDESTROY, WM_ACTIVATE, WM_SETFOCUS, WM_KILLFOCUS};

class WindowsTest : public UserTest {};

TEST_F(WindowsTest, CreateSendsMessagesInOrder) {
  struct Case {
    const char* name;
    bool child;
    DWORD style;
    std::vector<UINT> expected;
  };
  const std::vector<Case> cases = {
      {"hidden overlapped", false, WS_OVERLAPPEDWINDOW,
       {WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE}},
      {"hidden popup", false, WS_POPUP, {WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE}},
      {"visible overlapped", false, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
       {WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW,
        WM_WINDOWPOSCHANGING, WM_ACTIVATE, WM_SETFOCUS, WM_WINDOWPOSCHANGED}},
      {"visible child", true, WS_CHILD | WS_VISIBLE,
       {WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW, WM_WINDOWPOSCHANGING,
        WM_WINDOWPOSCHANGED}},
  };
  HWND parent = Create(WS_POPUP, 0, 0, 300, 300);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClearLog();
    HWND hwnd = Create(c.style, 10, 10, 200, 100, c.child ? parent : nullptr);
    EXPECT_EQ(Messages(hwnd, kLifecycle), c.expected);
    if (c.child) {
      EXPECT_EQ(Messages(parent, {WM_PARENTNOTIFY}), std::vector<UINT>{WM_PARENTNOTIFY});
    }
    DestroyWindow(hwnd);
  }
}

TEST_F(WindowsTest, DestroyGoesParentFirstThenNcDestroyChildrenFirst) {
  HWND top = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300);
  HWND child = Create(WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, top);
  HWND grandchild = Create(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, child);
  HWND owned = Create(WS_POPUP, 0, 0, 50, 50, top);
  ASSERT_EQ(GetWindow(owned, GW_OWNER), top);
  ClearLog();
  ASSERT_TRUE(DestroyWindow(top));
  const auto seen = WindowMessages({WM_DESTROY, WM_NCDESTROY});
  const std::vector<std::pair<HWND, UINT>> expected = {
      {owned, WM_DESTROY}, {owned, WM_NCDESTROY}, {top, WM_DESTROY}, {child, WM_DESTROY}, {grandchild, WM_DESTROY},
      {grandchild, WM_NCDESTROY}, {child, WM_NCDESTROY}, {top, WM_NCDESTROY}};
  EXPECT_EQ(seen, expected);
  for (HWND h : {top, child, grandchild, owned}) EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(WindowsTest, CreateFailsCleanlyWhenProcedureRefuses) {
  for (UINT refuse : {WM_NCCREATE, WM_CREATE}) {
    ClearLog();
    NextHandler() = [refuse](HWND, UINT msg, WPARAM, LPARAM, LRESULT* r) {
      if (msg != refuse) return false;
      *r = refuse == WM_NCCREATE ? FALSE : -1;
      return true;
    };
    HWND hwnd = CreateWindowExW(0, ClassName(), u"x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    NextHandler() = nullptr;
    EXPECT_EQ(hwnd, nullptr);
    auto log = Messages(nullptr, {WM_NCDESTROY});
    EXPECT_EQ(log.size(), 1u) << "the refused window is torn down once";
  }
  EXPECT_EQ(CreateWindowExW(0, u"NoSuchClass", u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
  EXPECT_EQ(CreateWindowExW(0, ClassName(), u"", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_TLW_WITH_WSCHILD);
}

TEST_F(WindowsTest, StaleHandlesAreDetected) {
  HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10);
  DestroyWindow(hwnd);
  HWND reused = Create(WS_POPUP, 0, 0, 10, 10);
  EXPECT_NE(hwnd, reused);
  EXPECT_FALSE(IsWindow(hwnd));
  SetLastError(0);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWL_STYLE), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_FALSE(PostMessageW(hwnd, WM_USER, 0, 0));
  EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(LoadCursorW(nullptr, IDC_ARROW))));
}

TEST_F(WindowsTest, GeometryAndCoordinateMapping) {
  HWND top = Create(WS_OVERLAPPEDWINDOW, 100, 50, 400, 300);
  RECT rect, client;
  GetWindowRect(top, &rect);
  GetClientRect(top, &client);
  EXPECT_EQ(rect.left, 100);
  EXPECT_EQ(rect.right, 500);
  // Sizing frame 4 on each side, caption 19 on top.
  EXPECT_EQ(client.right, 400 - 8);
  EXPECT_EQ(client.bottom, 300 - 8 - 19);
  HWND child = Create(WS_CHILD | WS_BORDER, 10, 20, 50, 60, top);
  POINT p{0, 0};
  ClientToScreen(child, &p);
  EXPECT_EQ(p.x, 100 + 4 + 10 + 1);
  EXPECT_EQ(p.y, 50 + 4 + 19 + 20 + 1);
  POINT q{5, 5};
  MapWindowPoints(child, top, &q, 1);
  EXPECT_EQ(q.x, 5 + 10 + 1);
  RECT adjust{0, 0, 100, 100};
  AdjustWindowRectEx(&adjust, WS_OVERLAPPEDWINDOW, FALSE, 0);
  EXPECT_EQ(adjust.left, -4);
  EXPECT_EQ(adjust.top, -23);
  EXPECT_EQ(adjust.right, 104);
}

TEST_F(WindowsTest, SetWindowPosReportsClientChangesAndZOrder) {
  HWND top = Create(WS_POPUP | WS_VISIBLE, 0, 0, 300, 300);
  HWND a = Create(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, top);
  HWND b = Create(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, top);
  EXPECT_EQ(GetWindow(top, GW_CHILD), a) << "new children start at the bottom";
  SetWindowPos(b, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(top, GW_CHILD), b);
  EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), a);

  ClearLog();
  SetWindowPos(a, nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(Messages(a, {WM_SIZE, WM_MOVE, WM_NCCALCSIZE}), std::vector<UINT>{WM_MOVE});
  ClearLog();
  SetWindowPos(a, nullptr, 0, 0, 20, 30, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(Messages(a, {WM_SIZE, WM_MOVE, WM_NCCALCSIZE}), (std::vector<UINT>{WM_NCCALCSIZE, WM_SIZE}));
  ClearLog();
  SetWindowPos(a, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  EXPECT_EQ(Messages(a, {WM_SIZE, WM_MOVE, WM_NCCALCSIZE}), std::vector<UINT>{WM_NCCALCSIZE});

  // A WM_WINDOWPOSCHANGING handler may change the request.
  Handlers()[a] = [](HWND, UINT msg, WPARAM, LPARAM l, LRESULT*) {
    if (msg == WM_WINDOWPOSCHANGING) reinterpret_cast<WINDOWPOS*>(l)->cx = 77;
    return false;
  };
  SetWindowPos(a, nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER);
  RECT r;
  GetClientRect(a, &r);
  EXPECT_EQ(r.right, 77);
}

TEST_F(WindowsTest, TopmostWindowsStayAbove) {
  HWND normal = Create(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10);
  HWND topmost = Create(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, 0, WS_EX_TOPMOST);
  HWND later = Create(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10);
  EXPECT_EQ(GetTopWindow(nullptr), topmost);
  EXPECT_EQ(GetWindow(topmost, GW_HWNDNEXT), later);
  SetWindowPos(normal, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_TRUE(GetWindowLongPtrW(normal, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(GetTopWindow(nullptr), normal);
  SetWindowPos(normal, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(GetTopWindow(nullptr), topmost);
}

TEST_F(WindowsTest, ShowWindowMinimiseMaximiseRestore) {
  HWND top = Create(WS_OVERLAPPEDWINDOW, 100, 100, 300, 200);
  EXPECT_FALSE(ShowWindow(top, SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(top));
  ClearLog();
  ShowWindow(top, SW_MAXIMIZE);
  EXPECT_TRUE(IsZoomed(top));
  RECT r;
  GetWindowRect(top, &r);
  EXPECT_EQ(r.left, -4);
  EXPECT_EQ(r.right, 1280 + 4);
  bool sawMaximized = false;
  {
    std::lock_guard lock(LogMutex());
    for (auto& s : Log())
      if (s.hwnd == top && s.msg == WM_SIZE && s.wParam == SIZE_MAXIMIZED) sawMaximized = true;
  }
  EXPECT_TRUE(sawMaximized);
  ShowWindow(top, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(top));
  EXPECT_NE(GetActiveWindow(), top);
  ShowWindow(top, SW_RESTORE);
  EXPECT_TRUE(IsZoomed(top)) << "restoring a window minimised from maximised maximises it again";
  ShowWindow(top, SW_RESTORE);
  GetWindowRect(top, &r);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.right, 400);
  EXPECT_TRUE(ShowWindow(top, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(top));
}

TEST_F(WindowsTest, WindowLongsStylesAndSubclassing) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.cbWndExtra = 16;
  wc.lpszClassName = u"ExtraBytesClass";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, u"ExtraBytesClass", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  m_windows.push_back(hwnd);
  EXPECT_EQ(SetWindowLongPtrW(hwnd, 8, 0x1234567890LL), 0);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, 8), 0x1234567890LL);
  SetLastError(0);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, 12), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, 42);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_USERDATA), 42);

  ClearLog();
  SetWindowLongPtrW(hwnd, GWL_STYLE, WS_POPUP | WS_BORDER);
  EXPECT_EQ(Messages(hwnd, {WM_STYLECHANGING, WM_STYLECHANGED}), (std::vector<UINT>{WM_STYLECHANGING, WM_STYLECHANGED}));
  EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_BORDER);
  EXPECT_LT(GetWindowLongPtrW(hwnd, GWL_STYLE), 0) << "styles read as a signed 32-bit value";

  static WNDPROC previous;
  static int subclassed;
  subclassed = 0;
  WNDPROC sub = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_USER + 7) ++subclassed;
    return CallWindowProcW(previous, h, m, w, l);
  };
  previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(sub)));
  EXPECT_EQ(previous, RecordingProc);
  ClearLog();
  SendMessageW(hwnd, WM_USER + 7, 0, 0);
  EXPECT_EQ(subclassed, 1);
  EXPECT_EQ(Messages(hwnd, {WM_USER + 7}).size(), 1u) << "the original procedure still sees it";
  EXPECT_FALSE(UnregisterClassW(u"ExtraBytesClass", nullptr)) << "a class in use stays";
  EXPECT_EQ(GetLastError(), ERROR_CLASS_HAS_WINDOWS);
}

TEST_F(WindowsTest, TextPropertiesAndLookup) {
  HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10);
  ASSERT_TRUE(SetWindowTextA(hwnd, "Caf\xC3\xA9 \xE2\x82\xAC"));
  char16_t wide[16];
  EXPECT_EQ(GetWindowTextW(hwnd, wide, 16), 6);
  EXPECT_EQ(std::u16string(wide), u"Café €");
  char narrow[8];
  EXPECT_EQ(GetWindowTextA(hwnd, narrow, 8), 6) << "never cuts a UTF-8 sequence";
  EXPECT_STREQ(narrow, "Caf\xC3\xA9 ");
  EXPECT_EQ(GetWindowTextLengthA(hwnd), 9);
  EXPECT_EQ(FindWindowW(ClassName(), u"café €"), hwnd);

  int value = 5;
  EXPECT_TRUE(SetPropW(hwnd, u"Payload", &value));
  EXPECT_EQ(GetPropA(hwnd, "PAYLOAD"), &value);
  EXPECT_TRUE(SetPropW(hwnd, MAKEINTATOMW(0xC123), &value));
  EXPECT_EQ(GetPropW(hwnd, MAKEINTATOMW(0xC123)), &value);
  EXPECT_EQ(RemovePropW(hwnd, u"payload"), &value);
  EXPECT_EQ(GetPropW(hwnd, u"Payload"), nullptr);

  char16_t cls[64];
  GetClassNameW(hwnd, cls, 64);
  EXPECT_EQ(std::u16string(cls), ClassName());
}

TEST_F(WindowsTest, ParentsOwnersAndEnumeration) {
  HWND a = Create(WS_POPUP, 0, 0, 100, 100);
  HWND b = Create(WS_POPUP, 0, 0, 100, 100);
  HWND child = Create(WS_CHILD, 0, 0, 10, 10, a);
  HWND popup = Create(WS_POPUP, 0, 0, 10, 10, child);
  EXPECT_EQ(GetParent(child), a);
  EXPECT_EQ(GetParent(popup), a) << "a popup's parent is its owner, the top-level window";
  EXPECT_EQ(GetAncestor(child, GA_PARENT), a);
  EXPECT_EQ(GetAncestor(a, GA_PARENT), GetDesktopWindow());
  EXPECT_EQ(GetAncestor(popup, GA_ROOTOWNER), a);
  EXPECT_TRUE(IsChild(a, child));
  EXPECT_FALSE(IsChild(a, popup));
  EXPECT_EQ(SetParent(child, b), a);
  EXPECT_TRUE(IsChild(b, child));
  EXPECT_EQ(SetParent(b, child), nullptr) << "a window cannot go inside its own child";

  std::vector<HWND> found;
  EnumChildWindows(b, [](HWND h, LPARAM l) { reinterpret_cast<std::vector<HWND>*>(l)->push_back(h); return TRUE; },
                   reinterpret_cast<LPARAM>(&found));
  EXPECT_EQ(found, std::vector<HWND>{child});
}

}  // namespace

namespace {

TEST_F(WindowsTest, ADesktopParentMakesAnUnownedWindowThatActivatesAndDestroysCleanly) {
  HWND other = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200);
  HWND owned = Create(WS_POPUP | WS_VISIBLE, 10, 10, 100, 100, GetDesktopWindow());
  EXPECT_EQ(GetWindow(owned, GW_OWNER), nullptr);
  EXPECT_EQ(GetActiveWindow(), owned);
  EXPECT_TRUE(DestroyWindow(owned));
  EXPECT_FALSE(IsWindow(owned));
  EXPECT_EQ(GetActiveWindow(), other);
  DestroyWindow(other);
}

}  // namespace
