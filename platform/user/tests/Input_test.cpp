#include "platform/kernel/Threads.h"
#include "platform/user/InputSink.h"
#include "platform/user/tests/UserTestSupport.h"

#include <atomic>
#include <chrono>
#include <thread>

using namespace usertest;
using platform::detail::InjectKey;
using platform::detail::InjectMouseButton;
using platform::detail::InjectMouseMove;
using platform::detail::MouseButton;

namespace {

class InputTest : public UserTest {
 protected:
  void Click(POINT p, MouseButton b = MouseButton::Left) {
    InjectMouseMove(p);
    InjectMouseButton(b, true, p);
    InjectMouseButton(b, false, p);
    Pump();
  }
};

TEST_F(InputTest, FocusAndActivationOrder) {
  HWND a = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200);
  HWND edit = Create(WS_CHILD | WS_VISIBLE, 10, 10, 50, 20, a);
  HWND b = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 0, 200, 200);
  EXPECT_EQ(GetActiveWindow(), b);
  EXPECT_EQ(GetFocus(), b);
  ClearLog();
  EXPECT_EQ(SetFocus(edit), b);
  const std::vector<UINT> kFocus = {WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS, WM_KILLFOCUS};
  const auto seen = WindowMessages(kFocus);
  const std::vector<std::pair<HWND, UINT>> expected = {{b, WM_NCACTIVATE}, {b, WM_ACTIVATE}, {a, WM_NCACTIVATE},
                                                       {a, WM_ACTIVATE},   {b, WM_KILLFOCUS}, {a, WM_SETFOCUS},
                                                       {a, WM_KILLFOCUS},  {edit, WM_SETFOCUS}};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(GetActiveWindow(), a);
  EXPECT_EQ(GetFocus(), edit);

  // Hiding the focused child moves focus to its parent; destroying the active window
  // activates the next one.
  ShowWindow(edit, SW_HIDE);
  EXPECT_EQ(GetFocus(), a);
  DestroyWindow(a);
  EXPECT_EQ(GetActiveWindow(), b);
  EXPECT_EQ(GetFocus(), b);
}

TEST_F(InputTest, MouseGoesToTheWindowUnderThePointerInClientCoordinates) {
  HWND top = Create(WS_POPUP | WS_VISIBLE, 100, 100, 200, 200);
  HWND child = Create(WS_CHILD | WS_VISIBLE, 20, 30, 50, 50, top);
  Pump();
  ClearLog();
  Click(POINT{125, 135});
  std::lock_guard lock(LogMutex());
  std::vector<Seen> downs;
  for (auto& s : Log())
    if (s.msg == WM_LBUTTONDOWN) downs.push_back(s);
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0].hwnd, child);
  EXPECT_EQ(GET_X_LPARAM(downs[0].lParam), 5);
  EXPECT_EQ(GET_Y_LPARAM(downs[0].lParam), 5);
  EXPECT_EQ(downs[0].wParam & MK_LBUTTON, MK_LBUTTON);
}

TEST_F(InputTest, ClickActivatesThroughMouseActivate) {
  HWND a = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  HWND b = Create(WS_POPUP | WS_VISIBLE, 200, 0, 100, 100, nullptr, [](HWND, UINT msg, WPARAM, LPARAM, LRESULT* r) {
    if (msg != WM_MOUSEACTIVATE) return false;
    *r = MA_NOACTIVATEANDEAT;
    return true;
  });
  SetActiveWindow(a);
  Pump();
  ClearLog();
  Click(POINT{250, 50});
  EXPECT_EQ(GetActiveWindow(), a) << "MA_NOACTIVATEANDEAT keeps activation";
  EXPECT_TRUE(Messages(b, {WM_LBUTTONDOWN}).empty()) << "and eats the click";
  EXPECT_EQ(Messages(b, {WM_LBUTTONUP}).size(), 1u);
  Handlers().erase(b);
  Click(POINT{250, 50});
  EXPECT_EQ(GetActiveWindow(), b);
}

TEST_F(InputTest, DoubleClicksOnlyForClassesThatAskForThem) {
  for (UINT classStyle : {0u, CS_DBLCLKS}) {
    SCOPED_TRACE(classStyle);
    HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, classStyle);
    Pump();
    ClearLog();
    Click(POINT{10, 10});
    platform::detail::AdvanceManualClock(100);
    Click(POINT{11, 11});
    platform::detail::AdvanceManualClock(100);
    Click(POINT{11, 11});
    const auto seen = Messages(hwnd, {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK});
    if (classStyle) {
      EXPECT_EQ(seen, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN}));
    } else {
      EXPECT_EQ(seen, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDOWN, WM_LBUTTONDOWN}));
    }
    platform::detail::AdvanceManualClock(1000);
    DestroyWindow(hwnd);
  }
}

TEST_F(InputTest, CaptureRoutesEverythingAndReportsItsLoss) {
  HWND a = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  HWND b = Create(WS_POPUP | WS_VISIBLE, 200, 0, 100, 100);
  Pump();
  SetCapture(a);
  ClearLog();
  InjectMouseMove(POINT{250, 50});
  Pump();
  std::vector<Seen> moves;
  {
    std::lock_guard lock(LogMutex());
    for (auto& s : Log())
      if (s.msg == WM_MOUSEMOVE) moves.push_back(s);
  }
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0].hwnd, a);
  EXPECT_EQ(GET_X_LPARAM(moves[0].lParam), 250) << "captured input is in the capturing window's coordinates";
  SetCapture(b);
  EXPECT_EQ(Messages(a, {WM_CAPTURECHANGED}).size(), 1u);
  ReleaseCapture();
  EXPECT_EQ(Messages(b, {WM_CAPTURECHANGED}).size(), 1u);
  EXPECT_EQ(GetCapture(), nullptr);
}

// A thread idle in GetMessage or WaitMessage, with no timer of its own, still gets its hover
// notification; HOVER_DEFAULT takes the system's hover time.
TEST_F(InputTest, HoverWakesAnIdleQueue) {
  HWND a = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200);
  InjectMouseMove(POINT{50, 50});
  Pump();
  UINT saved = 0;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETMOUSEHOVERTIME, 0, &saved, 0));
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETMOUSEHOVERTIME, 20, nullptr, 0));
  platform::detail::UseManualClock(false);

  // Should the wait never end, the watchdog's message ends it and the check below fails.
  const DWORD self = GetCurrentThreadId();
  std::atomic<bool> stop{false};
  std::thread watchdog([&] {
    for (int i = 0; i < 1000 && !stop; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    PostThreadMessageW(self, WM_APP, 0, 0);
  });
  for (const bool useWaitMessage : {false, true}) {
    TRACKMOUSEEVENT track{sizeof track, TME_HOVER, a, HOVER_DEFAULT};
    ASSERT_TRUE(TrackMouseEvent(&track));
    TRACKMOUSEEVENT query{sizeof query, TME_QUERY, nullptr, 0};
    ASSERT_TRUE(TrackMouseEvent(&query));
    EXPECT_EQ(query.dwHoverTime, 20u);
    if (useWaitMessage) WaitMessage();
    MSG msg{};
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, UINT(WM_MOUSEHOVER)) << (useWaitMessage ? "after WaitMessage" : "in GetMessage");
    EXPECT_EQ(msg.hwnd, a);
  }
  stop = true;
  watchdog.join();
  Pump();
  SystemParametersInfoW(SPI_SETMOUSEHOVERTIME, saved, nullptr, 0);
}

TEST_F(InputTest, MouseLeaveAndHover) {
  HWND a = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200);
  HWND b = Create(WS_POPUP | WS_VISIBLE, 300, 0, 100, 100);
  InjectMouseMove(POINT{50, 50});
  Pump();
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE | TME_HOVER, a, 300};
  ASSERT_TRUE(TrackMouseEvent(&track));
  ClearLog();
  platform::detail::AdvanceManualClock(300);
  Pump();
  EXPECT_EQ(Messages(a, {WM_MOUSEHOVER}).size(), 1u);
  InjectMouseMove(POINT{50, 10});  // onto the caption: leaves the client area
  Pump();
  EXPECT_EQ(Messages(a, {WM_MOUSELEAVE}).size(), 1u);
  TRACKMOUSEEVENT nc{sizeof nc, TME_LEAVE | TME_NONCLIENT, a, 0};
  ASSERT_TRUE(TrackMouseEvent(&nc));
  InjectMouseMove(POINT{350, 50});
  Pump();
  EXPECT_EQ(Messages(a, {WM_NCMOUSELEAVE}).size(), 1u);
  EXPECT_EQ(Messages(a, {WM_MOUSELEAVE}).size(), 1u) << "each tracking request ends once";
  (void)b;
}

// Client or frame is what the window's hit test answers, not where its client rectangle lies.
TEST_F(InputTest, MouseLeaveTrackingFollowsTheHitTest) {
  HWND knob = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, [](HWND, UINT msg, WPARAM, LPARAM, LRESULT* result) {
    if (msg != WM_NCHITTEST) return false;
    *result = HTOBJECT;
    return true;
  });
  InjectMouseMove(POINT{50, 50});
  Pump();
  ClearLog();
  TRACKMOUSEEVENT nc{sizeof nc, TME_LEAVE | TME_NONCLIENT, knob, 0};
  ASSERT_TRUE(TrackMouseEvent(&nc));
  TRACKMOUSEEVENT client{sizeof client, TME_LEAVE, knob, 0};
  Pump();
  EXPECT_TRUE(Messages(knob, {WM_NCMOUSELEAVE}).empty()) << "the pointer is over the frame part";
  ASSERT_TRUE(TrackMouseEvent(&client));
  Pump();
  EXPECT_EQ(Messages(knob, {WM_MOUSELEAVE}).size(), 1u) << "and not over the client part";
}

TEST_F(InputTest, KeysGoToFocusWithTheirLayoutAndTranslate) {
  HWND top = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  HWND edit = Create(WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, top);
  SetFocus(edit);
  Pump();
  ClearLog();
  InjectKey(VK_SHIFT, true);
  InjectKey('A', true);
  InjectKey('A', false);
  InjectKey(VK_SHIFT, false);
  Pump();
  std::vector<Seen> keys;
  {
    std::lock_guard lock(LogMutex());
    for (auto& s : Log())
      if (s.hwnd == edit && (s.msg == WM_KEYDOWN || s.msg == WM_KEYUP || s.msg == WM_CHAR)) keys.push_back(s);
  }
  ASSERT_EQ(keys.size(), 5u);
  EXPECT_EQ(keys[1].msg, WM_KEYDOWN);
  EXPECT_EQ(keys[1].wParam, static_cast<WPARAM>('A'));
  EXPECT_EQ((keys[1].lParam >> 16) & 0xFF, 0x1E) << "scan code";
  EXPECT_EQ(keys[2].msg, WM_CHAR);
  EXPECT_EQ(keys[2].wParam, static_cast<WPARAM>('A'));
  EXPECT_EQ(static_cast<uint32_t>(keys[3].lParam) >> 30, 3u) << "key up: previous state and transition bits";
  EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);

  ClearLog();
  InjectKey(VK_MENU, true);
  InjectKey(VK_F4, true);
  InjectKey(VK_F4, false);
  InjectKey(VK_MENU, false);
  Pump();
  EXPECT_EQ(Messages(edit, {WM_SYSKEYDOWN}).size(), 2u);
  EXPECT_FALSE(IsWindow(top)) << "Alt+F4 closes the top-level window";
}

}  // namespace

namespace {

// The desktop's focus leaving the program deactivates the active window and tells every
// top-level window; coming back tells them again and activates the same window.
TEST_F(InputTest, DesktopFocusLeavingAndComingBack) {
  HWND a = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200);
  HWND b = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 0, 200, 200);
  SetActiveWindow(a);
  Pump();
  ClearLog();
  auto activateApp = [](HWND hwnd) {
    std::lock_guard lock(LogMutex());
    std::vector<WPARAM> seen;
    for (const Seen& s : Log())
      if (s.hwnd == hwnd && s.msg == WM_ACTIVATEAPP) seen.push_back(s.wParam);
    return seen;
  };
  platform::detail::SetDesktopActivation(false);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_FALSE(platform::detail::DesktopActivation());
  EXPECT_EQ(activateApp(a), std::vector<WPARAM>{FALSE});
  EXPECT_EQ(activateApp(b), std::vector<WPARAM>{FALSE});
  platform::detail::SetDesktopActivation(false);  // no second round
  EXPECT_EQ(activateApp(a).size(), 1u);

  ClearLog();
  platform::detail::SetDesktopActivation(true);
  EXPECT_EQ(GetActiveWindow(), a);
  EXPECT_EQ(activateApp(a), std::vector<WPARAM>{TRUE});
  EXPECT_EQ(activateApp(b), std::vector<WPARAM>{TRUE});

  // Leaving with nothing active still tells the windows, and a destroyed window is not
  // brought back.
  platform::detail::SetDesktopActivation(false);
  DestroyWindow(a);
  ClearLog();
  platform::detail::SetDesktopActivation(true);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(activateApp(b), std::vector<WPARAM>{TRUE});
  platform::detail::SetDesktopActivation(false);
  ClearLog();
  platform::detail::SetDesktopActivation(true);
  platform::detail::SetDesktopActivation(false);
  EXPECT_EQ(activateApp(b), (std::vector<WPARAM>{TRUE, FALSE}));
  platform::detail::SetDesktopActivation(true);
}

}  // namespace
