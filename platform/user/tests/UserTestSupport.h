#pragma once

// Shared by the window manager's tests: a window class whose procedure records the messages
// it sees, and a pump that runs the calling thread's queue until it is empty.

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/user/Clock.h"
#include "platform/user/WinUser.h"

namespace usertest {

struct Seen {
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

// Messages of every recording window, in order. Guarded for the cross-thread tests.
inline std::mutex& LogMutex() {
  static std::mutex m;
  return m;
}
inline std::vector<Seen>& Log() {
  static std::vector<Seen> log;
  return log;
}
// Per-window reactions: return true to answer with `*result` instead of DefWindowProc.
using Handler = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)>;
inline std::map<HWND, Handler>& Handlers() {
  static std::map<HWND, Handler> handlers;
  return handlers;
}
inline Handler& NextHandler() {
  static Handler handler;
  return handler;
}

inline LRESULT RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Handler handler;
  {
    std::lock_guard lock(LogMutex());
    Log().push_back({hwnd, msg, wParam, lParam});
    auto it = Handlers().find(hwnd);
    if (it != Handlers().end()) handler = it->second;
    else if (msg == WM_NCCREATE && NextHandler()) handler = Handlers()[hwnd] = NextHandler();
  }
  LRESULT result = 0;
  if (handler && handler(hwnd, msg, wParam, lParam, &result)) return result;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

inline void ClearLog() {
  std::lock_guard lock(LogMutex());
  Log().clear();
}

// The message numbers seen by `hwnd` (all windows when null), keeping only `interesting`.
inline std::vector<UINT> Messages(HWND hwnd, const std::vector<UINT>& interesting) {
  std::lock_guard lock(LogMutex());
  std::vector<UINT> out;
  for (const Seen& s : Log()) {
    if (hwnd && s.hwnd != hwnd) continue;
    if (std::find(interesting.begin(), interesting.end(), s.msg) != interesting.end()) out.push_back(s.msg);
  }
  return out;
}

inline std::vector<std::pair<HWND, UINT>> WindowMessages(const std::vector<UINT>& interesting) {
  std::lock_guard lock(LogMutex());
  std::vector<std::pair<HWND, UINT>> out;
  for (const Seen& s : Log())
    if (std::find(interesting.begin(), interesting.end(), s.msg) != interesting.end()) out.push_back({s.hwnd, s.msg});
  return out;
}

inline const char16_t* ClassName(UINT style = 0) {
  static std::map<UINT, std::u16string> names;
  auto it = names.find(style);
  if (it != names.end()) return it->second.c_str();
  std::u16string name = u"RecordingClass" + std::u16string(1, static_cast<char16_t>(u'A' + names.size()));
  WNDCLASSW wc{};
  wc.style = style;
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = name.c_str();
  EXPECT_NE(RegisterClassW(&wc), 0);
  return (names[style] = name).c_str();
}

// Runs the calling thread's queue until nothing is left (a bounded number of rounds, so a
// window that never validates fails the test instead of hanging it).
inline int Pump(int limit = 10000) {
  MSG msg;
  int count = 0;
  while (count < limit && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    ++count;
  }
  EXPECT_LT(count, limit) << "the queue never ran dry";
  return count;
}

// Destroys every window a test left behind and resets the log and handlers.
class UserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::detail::UseManualClock(true);
    ClearLog();
    Handlers().clear();
    NextHandler() = nullptr;
  }
  void TearDown() override {
    for (HWND hwnd : m_windows)
      if (IsWindow(hwnd)) DestroyWindow(hwnd);
    Pump();
    ReleaseCapture();
    SetFocus(nullptr);
    SetActiveWindow(nullptr);
    Handlers().clear();
    NextHandler() = nullptr;
    platform::detail::UseManualClock(false);
  }

  HWND Create(DWORD style, int x, int y, int w, int h, HWND parent = nullptr, Handler handler = nullptr,
              UINT classStyle = 0, DWORD exStyle = 0, UINT_PTR id = 0) {
    NextHandler() = std::move(handler);
    HWND hwnd = CreateWindowExW(exStyle, ClassName(classStyle), u"test", style, x, y, w, h, parent,
                                reinterpret_cast<HMENU>(id), nullptr, nullptr);
    NextHandler() = nullptr;
    EXPECT_NE(hwnd, nullptr);
    m_windows.push_back(hwnd);
    return hwnd;
  }

  std::vector<HWND> m_windows;
};

}  // namespace usertest
