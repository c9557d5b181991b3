#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "platform/kernel/Synch.h"
#include "platform/kernel/SysInfo.h"
#include "platform/kernel/Threads.h"
#include "platform/kernel/WinError.h"
#include "platform/testing/Watchdog.h"
#include "platform/user/FunctionTable.h"
#include "platform/user/ScrollBars.h"
#include "platform/user/tests/UserTestSupport.h"

using namespace usertest;

namespace {

class MessagesTest : public UserTest {};

// Runs `body` on a thread with its own queue; fails (instead of hanging) after 10 s.
template <typename F>
void OnOtherThread(F body) {
  auto done = std::async(std::launch::async, body);
  ASSERT_EQ(done.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "watchdog: the thread hung";
  done.get();
}

TEST_F(MessagesTest, RetrievalOrderIsSentPostedInputPaintTimer) {
  HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 0, 0, 50, 50);
  Pump();
  ClearLog();
  SetTimer(hwnd, 1, 10, nullptr);
  platform::detail::AdvanceManualClock(20);
  InvalidateRect(hwnd, nullptr, FALSE);
  PostMessageW(hwnd, WM_USER + 1, 0, 0);
  PostMessageW(hwnd, WM_USER + 2, 0, 0);
  std::vector<UINT> order;
  MSG msg;
  while (order.size() < 4 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    order.push_back(msg.message);
    DispatchMessageW(&msg);
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_PAINT, WM_TIMER}));
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) << "one WM_PAINT, then validated by DefWindowProc";
  KillTimer(hwnd, 1);
}

TEST_F(MessagesTest, PeekFiltersByWindowAndRange) {
  HWND a = Create(WS_POPUP, 0, 0, 10, 10), b = Create(WS_POPUP, 0, 0, 10, 10);
  PostMessageW(a, WM_USER + 1, 0, 0);
  PostMessageW(b, WM_USER + 2, 0, 0);
  PostMessageW(nullptr, WM_USER + 3, 0, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, b, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_USER + 2);
  ASSERT_TRUE(PeekMessageW(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 3) << "-1 picks thread messages";
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_USER + 2, WM_USER + 5, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 2);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 1);
  PostQuitMessage(3);
  EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_EQ(GetMessageW(&msg, reinterpret_cast<HWND>(0x12345), 0, 0), -1) << "a bad window filter is an error";
}

TEST_F(MessagesTest, SendAcrossThreadsWhileBothSend) {
  HWND mine = Create(WS_POPUP, 0, 0, 10, 10, nullptr, [](HWND, UINT msg, WPARAM w, LPARAM, LRESULT* r) {
    if (msg != WM_USER + 1) return false;
    *r = static_cast<LRESULT>(w) * 10;
    return true;
  });
  std::promise<HWND> theirsReady;
  std::atomic<bool> quit{false};
  std::atomic<bool> sawInSend{false};
  std::thread other([&] {
    NextHandler() = [&, mine](HWND, UINT msg, WPARAM w, LPARAM, LRESULT* r) {
      if (msg != WM_USER + 2) return false;
      sawInSend = InSendMessage() != FALSE;
      // Sending back to the thread that is waiting on us must not deadlock.
      *r = SendMessageW(mine, WM_USER + 1, w + 1, 0) + 1;
      return true;
    };
    HWND theirs = CreateWindowExW(0, ClassName(), u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    NextHandler() = nullptr;
    theirsReady.set_value(theirs);
    MSG msg;
    while (!quit) {
      if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      else MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    DestroyWindow(theirs);
  });
  auto ready = theirsReady.get_future();
  ASSERT_EQ(ready.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  HWND theirs = ready.get();
  EXPECT_EQ(SendMessageW(theirs, WM_USER + 2, 4, 0), 51);
  EXPECT_TRUE(sawInSend);
  EXPECT_FALSE(InSendMessage());

  quit = true;
  other.join();
  EXPECT_FALSE(IsWindow(theirs));
  EXPECT_EQ(SendMessageW(theirs, WM_USER + 2, 0, 0), 0);
}

TEST_F(MessagesTest, SendTimeoutReplyAndNotify) {
  std::promise<HWND> ready;
  std::atomic<bool> quit{false};
  std::atomic<int> notified{0};
  std::thread other([&] {
    NextHandler() = [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT* r) {
      if (msg == WM_USER + 1) {  // answers early, then keeps working
        ReplyMessage(99);
        EXPECT_TRUE(InSendMessageEx(nullptr) & ISMEX_REPLIED);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        *r = 1;
        return true;
      }
      if (msg == WM_USER + 2) {  // slow
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return true;
      }
      if (msg == WM_USER + 3) {
        ++notified;
        return true;
      }
      return false;
    };
    HWND hwnd = CreateWindowExW(0, ClassName(), u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    NextHandler() = nullptr;
    ready.set_value(hwnd);
    MSG msg;
    while (!quit) {
      if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      else MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
  });
  HWND theirs = ready.get_future().get();
  EXPECT_EQ(SendMessageW(theirs, WM_USER + 1, 0, 0), 99);
  DWORD_PTR result = 5;
  EXPECT_EQ(SendMessageTimeoutW(theirs, WM_USER + 2, 0, 0, SMTO_NORMAL, 30, &result), 0);
  EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
  EXPECT_TRUE(SendNotifyMessageW(theirs, WM_USER + 3, 0, 0));
  for (int i = 0; i < 500 && notified == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(notified, 1);
  quit = true;
  other.join();
  EXPECT_FALSE(IsWindow(theirs)) << "a thread's windows go with it";
}

TEST_F(MessagesTest, PostFromAnyThreadAndEnginePoster) {
  HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10);
  OnOtherThread([&] {
    for (int i = 0; i < 100; ++i) EXPECT_TRUE(PostMessageW(hwnd, WM_USER + 5, static_cast<WPARAM>(i), 0));
    EXPECT_TRUE(platform::PostMessageForEngines(reinterpret_cast<uintptr_t>(hwnd), WM_USER + 6, 7, 8));
  });
  EXPECT_FALSE(platform::PostMessageForEngines(0x7777, WM_USER, 0, 0));
  Pump();
  auto seen = Messages(hwnd, {WM_USER + 5, WM_USER + 6});
  ASSERT_EQ(seen.size(), 101u);
  std::lock_guard lock(LogMutex());
  WPARAM expected = 0;
  for (auto& s : Log()) {
    if (s.msg == WM_USER + 5) {
      EXPECT_EQ(s.wParam, expected++) << "posted messages keep their order";
    }
  }
}

// The window manager and the kernel speak of threads by the same ids: windows report the id
// GetCurrentThreadId gives on their thread, whether the thread came from CreateThread or
// std::thread, and an id from CreateThread reaches that thread's queue.
TEST_F(MessagesTest, ThreadIdsAreTheKernelsIds) {
  HWND mine = Create(WS_POPUP, 0, 0, 10, 10);
  DWORD processId = 0;
  EXPECT_EQ(GetWindowThreadProcessId(mine, &processId), GetCurrentThreadId());
  EXPECT_EQ(processId, GetCurrentProcessId());
  std::vector<HWND> found;
  auto collect = [](HWND h, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(h);
    return TRUE;
  };
  EnumThreadWindows(GetCurrentThreadId(), collect, reinterpret_cast<LPARAM>(&found));
  EXPECT_EQ(found, std::vector<HWND>{mine});

  // A std::thread: its window is enumerated under its id while it lives.
  HANDLE created = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE finish = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  DWORD otherId = 0;
  HWND theirs = nullptr;
  std::thread other([&] {
    otherId = GetCurrentThreadId();
    theirs = CreateWindowExW(0, ClassName(), u"theirs", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetEvent(created);
    WaitForSingleObject(finish, 10000);
  });
  ASSERT_EQ(WaitForSingleObject(created, 10000), WAIT_OBJECT_0) << "watchdog";
  EXPECT_NE(otherId, GetCurrentThreadId());
  EXPECT_EQ(GetWindowThreadProcessId(theirs, nullptr), otherId);
  found.clear();
  EnumThreadWindows(otherId, collect, reinterpret_cast<LPARAM>(&found));
  EXPECT_EQ(found, std::vector<HWND>{theirs});
  SetEvent(finish);
  other.join();

  // CreateThread: the id it hands out is the thread's own, and a thread message reaches it.
  struct Shared {
    HANDLE ready;
    DWORD seenId = 0;
  } shared{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  DWORD threadId = 0;
  HANDLE thread = CreateThread(nullptr, 0, [](LPVOID p) -> DWORD {
    auto* s = static_cast<Shared*>(p);
    s->seenId = GetCurrentThreadId();
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // makes the queue
    SetEvent(s->ready);
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
      if (msg.message == WM_APP) return static_cast<DWORD>(msg.wParam);
    return 0;
  }, &shared, 0, &threadId);
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(WaitForSingleObject(shared.ready, 10000), WAIT_OBJECT_0) << "watchdog";
  EXPECT_EQ(shared.seenId, threadId);
  EXPECT_TRUE(PostThreadMessageW(threadId, WM_APP, 42, 0));
  ASSERT_EQ(WaitForSingleObject(thread, 15000), WAIT_OBJECT_0) << "watchdog";
  DWORD exitCode = 0;
  GetExitCodeThread(thread, &exitCode);
  EXPECT_EQ(exitCode, 42u);
  for (HANDLE h : {created, finish, shared.ready, thread}) CloseHandle(h);
}

TEST_F(MessagesTest, TimersFireOnTheManualClockAndCoalesce) {
  HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10);
  SetTimer(hwnd, 7, 100, nullptr);
  static int procCalls;
  procCalls = 0;
  UINT_PTR threadTimer = SetTimer(nullptr, 0, 250, [](HWND, UINT, UINT_PTR, DWORD) { ++procCalls; });
  ASSERT_NE(threadTimer, 0u);
  Pump();
  EXPECT_TRUE(Messages(hwnd, {WM_TIMER}).empty());
  platform::detail::AdvanceManualClock(99);
  Pump();
  EXPECT_TRUE(Messages(hwnd, {WM_TIMER}).empty());
  platform::detail::AdvanceManualClock(1);
  Pump();
  EXPECT_EQ(Messages(hwnd, {WM_TIMER}).size(), 1u);
  platform::detail::AdvanceManualClock(1000);
  Pump();
  EXPECT_EQ(Messages(hwnd, {WM_TIMER}).size(), 2u) << "an overdue timer fires once";
  EXPECT_EQ(procCalls, 1);
  EXPECT_TRUE(KillTimer(hwnd, 7));
  EXPECT_FALSE(KillTimer(hwnd, 7));
  platform::detail::AdvanceManualClock(1000);
  Pump();
  EXPECT_EQ(Messages(hwnd, {WM_TIMER}).size(), 2u);
  KillTimer(nullptr, threadTimer);
  const int callsBefore = procCalls;
  // A forged WM_TIMER with a procedure that no timer registered is not called.
  MSG forged{nullptr, WM_TIMER, 1, reinterpret_cast<LPARAM>(+[](HWND, UINT, UINT_PTR, DWORD) { ++procCalls; }), 0, {}};
  DispatchMessageW(&forged);
  EXPECT_EQ(procCalls, callsBefore);
}

TEST_F(MessagesTest, PaintOnlyForInvalidVisibleWindows) {
  HWND parent = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  HWND child = Create(WS_CHILD | WS_VISIBLE, 10, 10, 20, 20, parent);
  HWND hidden = Create(WS_CHILD, 50, 50, 20, 20, parent);
  Pump();
  ClearLog();
  InvalidateRect(hidden, nullptr, TRUE);
  Pump();
  EXPECT_TRUE(Messages(nullptr, {WM_PAINT}).empty()) << "hidden windows are never invalid";

  // Without WS_CLIPCHILDREN a parent's invalid area reaches the children it covers.
  RECT area{0, 0, 15, 15};
  InvalidateRect(parent, &area, TRUE);
  Pump();
  EXPECT_EQ(Messages(parent, {WM_PAINT, WM_ERASEBKGND}), (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND}));
  EXPECT_EQ(Messages(child, {WM_PAINT}).size(), 1u);
  ClearLog();
  SetWindowLongPtrW(parent, GWL_STYLE, GetWindowLongPtrW(parent, GWL_STYLE) | WS_CLIPCHILDREN);
  InvalidateRect(parent, &area, TRUE);
  Pump();
  EXPECT_EQ(Messages(parent, {WM_PAINT}).size(), 1u);
  EXPECT_TRUE(Messages(child, {WM_PAINT}).empty());
  RedrawWindow(parent, &area, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  Pump();
  EXPECT_EQ(Messages(child, {WM_PAINT}).size(), 1u);

  ClearLog();
  InvalidateRect(child, nullptr, FALSE);
  RECT update;
  EXPECT_TRUE(GetUpdateRect(child, &update, FALSE));
  EXPECT_EQ(update.right, 20);
  ValidateRect(child, nullptr);
  EXPECT_FALSE(GetUpdateRect(child, &update, FALSE));
  InvalidateRect(child, nullptr, FALSE);
  UpdateWindow(child);
  EXPECT_EQ(Messages(child, {WM_PAINT}).size(), 1u) << "UpdateWindow paints at once";
  Pump();
  EXPECT_EQ(Messages(child, {WM_PAINT}).size(), 1u);
}

TEST_F(MessagesTest, ReplacementTableSeesScrollCallsAndCallsThrough) {
  static std::vector<std::string> calls;
  calls.clear();
  const platform::UserFunctionTable saved = platform::UserFunctions();
  platform::UserFunctions().SetScrollInfo = [](HWND h, int bar, const SCROLLINFO* si, BOOL redraw) {
    calls.push_back("SetScrollInfo");
    return platform::OriginalUserFunctions().SetScrollInfo(h, bar, si, redraw);
  };
  platform::UserFunctions().GetScrollPos = [](HWND h, int bar) {
    calls.push_back("GetScrollPos");
    return platform::OriginalUserFunctions().GetScrollPos(h, bar);
  };
  platform::UserFunctions().DispatchMessageW = [](const MSG* m) {
    calls.push_back("DispatchMessageW");
    return platform::OriginalUserFunctions().DispatchMessageW(m);
  };
  HWND hwnd = Create(WS_POPUP | WS_VSCROLL, 0, 0, 100, 100);
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 10, 95, 0};
  EXPECT_EQ(SetScrollInfo(hwnd, SB_VERT, &si, FALSE), 91) << "the position is kept within range minus page";
  EXPECT_EQ(GetScrollPos(hwnd, SB_VERT), 91);
  PostMessageW(hwnd, WM_USER, 0, 0);
  Pump();
  platform::UserFunctions() = saved;
  EXPECT_EQ(calls, (std::vector<std::string>{"SetScrollInfo", "GetScrollPos", "DispatchMessageW"}));
}

// Replacements go in and out while another thread calls through the table: each call sees
// either the original or the replacement, whole.
TEST_F(MessagesTest, TableEntriesChangeWhileAnotherThreadCalls) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(60));
  static std::atomic<int> replaced;
  replaced = 0;
  using GetScrollPosFunction = int (*)(HWND, int);
  const GetScrollPosFunction replacement = [](HWND h, int bar) {
    ++replaced;
    return platform::OriginalUserFunctions().GetScrollPos(h, bar);
  };
  std::atomic<bool> stop{false};
  std::atomic<int> calls{0};
  std::thread caller([&] {
    while (!stop) {
      platform::UserFunctions().GetScrollPos(nullptr, SB_VERT);
      ++calls;
    }
  });
  const GetScrollPosFunction original = platform::UserFunctions().GetScrollPos;
  for (int i = 0; i < 2000 || replaced == 0; ++i) {
    platform::UserFunctions().GetScrollPos = replacement;
    std::this_thread::yield();
    platform::UserFunctions().GetScrollPos = original;
  }
  stop = true;
  caller.join();
  EXPECT_GT(calls.load(), 0);
  EXPECT_GT(replaced.load(), 0);
  EXPECT_EQ(platform::UserFunctions().GetScrollPos, platform::OriginalUserFunctions().GetScrollPos);
  // Replace puts a hook in only over the entry it expects.
  EXPECT_TRUE(platform::UserFunctions().GetScrollPos.Replace(original, replacement));
  EXPECT_FALSE(platform::UserFunctions().GetScrollPos.Replace(original, replacement));
  EXPECT_TRUE(platform::UserFunctions().GetScrollPos.Replace(replacement, original));
}

// Declared for the windows that answer a right click on their task-bar button; the default
// procedure leaves it alone.
TEST_F(MessagesTest, SystemMenuRequestReachesTheWindow) {
  HWND hwnd = Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
  EXPECT_EQ(WM_SYSMENU, 0x0313u);
  EXPECT_EQ(SendMessageW(hwnd, WM_SYSMENU, 0, MAKELPARAM(40, 50)), 0);
  EXPECT_EQ(Messages(hwnd, {WM_SYSMENU}).size(), 1u);
  EXPECT_TRUE(IsWindow(hwnd));
}

}  // namespace
