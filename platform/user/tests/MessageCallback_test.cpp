// SendMessageCallback on the same thread and across threads: the answer arrives through the
// callback on the sender's thread, only while that thread retrieves messages.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "UserTestSupport.h"
#include "platform/kernel/WinError.h"
#include "platform/user/WinUser.h"

namespace {

using namespace usertest;

struct Answer {
  std::atomic<int> calls{0};
  LRESULT result = 0;
  ULONG_PTR data = 0;
  std::thread::id thread;
};
Answer g_answer;

void Callback(HWND, UINT, ULONG_PTR data, LRESULT result) {
  g_answer.result = result;
  g_answer.data = data;
  g_answer.thread = std::this_thread::get_id();
  ++g_answer.calls;
}

class SendMessageCallbackTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    g_answer.calls = 0;
  }
};

TEST_F(SendMessageCallbackTest, SameThreadAnswersAtOnce) {
  HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10, nullptr, [](HWND, UINT msg, WPARAM, LPARAM, LRESULT* r) {
    if (msg != WM_USER + 5) return false;
    *r = 7;
    return true;
  });
  ASSERT_TRUE(SendMessageCallbackW(hwnd, WM_USER + 5, 0, 0, Callback, 99));
  EXPECT_EQ(g_answer.calls, 1);
  EXPECT_EQ(g_answer.result, 7);
  EXPECT_EQ(g_answer.data, 99u);
  EXPECT_FALSE(SendMessageCallbackW(reinterpret_cast<HWND>(0x4444), WM_USER, 0, 0, Callback, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(SendMessageCallbackTest, OtherThreadAnswersWhileTheSenderRetrieves) {
  std::atomic<HWND> worker{nullptr};
  std::atomic<bool> stop{false};
  std::thread thread([&] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
      return m == WM_USER + 6 ? static_cast<LRESULT>(w * 2) : DefWindowProcW(h, m, w, l);
    };
    wc.lpszClassName = u"CallbackWorkerClass";
    RegisterClassW(&wc);
    worker = CreateWindowExW(0, u"CallbackWorkerClass", u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    MSG msg;
    while (!stop) {
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    DestroyWindow(worker);
  });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);  // watchdog
  while (!worker && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_NE(worker.load(), nullptr);

  ASSERT_TRUE(SendMessageCallbackW(worker, WM_USER + 6, 21, 0, Callback, 5));
  // Without retrieving, the answer waits for us.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(g_answer.calls, 0);
  MSG msg;
  while (g_answer.calls == 0 && std::chrono::steady_clock::now() < deadline) {
    PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(g_answer.calls, 1);
  EXPECT_EQ(g_answer.result, 42);
  EXPECT_EQ(g_answer.data, 5u);
  EXPECT_EQ(g_answer.thread, std::this_thread::get_id());
  stop = true;
  thread.join();
}

}  // namespace
