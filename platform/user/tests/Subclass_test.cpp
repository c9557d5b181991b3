// The window subclass chain: order, reference data, removal from inside a call, the window
// procedure restored, and the chain gone after WM_NCDESTROY.

#include <string>
#include <vector>

#include "UserTestSupport.h"

using namespace usertest;

namespace {

constexpr UINT kProbe = WM_USER + 7;

// Each subclass appends "<id>:<refData>" to the trace and passes on, or acts as `g_action` says.
std::vector<std::string> g_trace;
enum class Action { PassOn, RemoveSelfThenPassOn, Answer };
Action g_action[4] = {};

LRESULT TracingSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR refData) {
  if (msg == kProbe || msg == WM_NCDESTROY) {
    g_trace.push_back((msg == WM_NCDESTROY ? "nc" : "") + std::to_string(id) + ":" + std::to_string(refData));
    if (msg == kProbe && g_action[id] == Action::Answer) return 1000 + static_cast<LRESULT>(id);
    if (msg == kProbe && g_action[id] == Action::RemoveSelfThenPassOn) {
      EXPECT_TRUE(RemoveWindowSubclass(hwnd, TracingSubclass, id));
      // A subclass that removed itself still reaches the older ones.
      return DefSubclassProc(hwnd, msg, wParam, lParam) + 1;
    }
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

// The window's own procedure answers the probe with 7.
bool AnswerProbe(HWND, UINT msg, WPARAM, LPARAM, LRESULT* result) {
  if (msg != kProbe) return false;
  g_trace.push_back("window");
  *result = 7;
  return true;
}

class SubclassTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    g_trace.clear();
    for (auto& action : g_action) action = Action::PassOn;
  }
};

TEST_F(SubclassTest, NewestFirstThenTheWindowProcedureWithEachReferenceData) {
  HWND hwnd = Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, AnswerProbe);
  const LONG_PTR own = GetWindowLongPtrW(hwnd, GWLP_WNDPROC);
  ASSERT_TRUE(SetWindowSubclass(hwnd, TracingSubclass, 1, 10));
  ASSERT_TRUE(SetWindowSubclass(hwnd, TracingSubclass, 2, 20));
  ASSERT_TRUE(SetWindowSubclass(hwnd, TracingSubclass, 3, 30));
  // The same procedure and id again only updates the data; its place stays.
  ASSERT_TRUE(SetWindowSubclass(hwnd, TracingSubclass, 2, 21));
  DWORD_PTR data = 0;
  EXPECT_TRUE(GetWindowSubclass(hwnd, TracingSubclass, 2, &data));
  EXPECT_EQ(data, 21u);
  EXPECT_FALSE(GetWindowSubclass(hwnd, TracingSubclass, 9, &data));
  EXPECT_EQ(data, 0u);

  EXPECT_EQ(SendMessageW(hwnd, kProbe, 0, 0), 7);
  EXPECT_EQ(g_trace, (std::vector<std::string>{"3:30", "2:21", "1:10", "window"}));

  // A subclass that answers keeps the message from the older ones.
  g_trace.clear();
  g_action[2] = Action::Answer;
  EXPECT_EQ(SendMessageW(hwnd, kProbe, 0, 0), 1002);
  EXPECT_EQ(g_trace, (std::vector<std::string>{"3:30", "2:21"}));

  // Removing every subclass gives the window its own procedure back.
  EXPECT_TRUE(RemoveWindowSubclass(hwnd, TracingSubclass, 1));
  EXPECT_TRUE(RemoveWindowSubclass(hwnd, TracingSubclass, 2));
  EXPECT_FALSE(RemoveWindowSubclass(hwnd, TracingSubclass, 2));
  EXPECT_TRUE(RemoveWindowSubclass(hwnd, TracingSubclass, 3));
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), own);
  g_trace.clear();
  EXPECT_EQ(SendMessageW(hwnd, kProbe, 0, 0), 7);
  EXPECT_EQ(g_trace, (std::vector<std::string>{"window"}));
}

TEST_F(SubclassTest, ASubclassRemovingItselfDuringItsCallIsSafeAndGoneFromTheNextMessage) {
  HWND hwnd = Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, AnswerProbe);
  ASSERT_TRUE(SetWindowSubclass(hwnd, TracingSubclass, 1, 10));
  ASSERT_TRUE(SetWindowSubclass(hwnd, TracingSubclass, 2, 20));
  g_action[2] = Action::RemoveSelfThenPassOn;
  EXPECT_EQ(SendMessageW(hwnd, kProbe, 0, 0), 8);
  EXPECT_EQ(g_trace, (std::vector<std::string>{"2:20", "1:10", "window"}));
  g_trace.clear();
  EXPECT_EQ(SendMessageW(hwnd, kProbe, 0, 0), 7);
  EXPECT_EQ(g_trace, (std::vector<std::string>{"1:10", "window"}));

  // The last subclass removing itself mid-call still ends at the window procedure.
  g_trace.clear();
  g_action[1] = Action::RemoveSelfThenPassOn;
  EXPECT_EQ(SendMessageW(hwnd, kProbe, 0, 0), 8);
  EXPECT_EQ(g_trace, (std::vector<std::string>{"1:10", "window"}));
  EXPECT_FALSE(GetWindowSubclass(hwnd, TracingSubclass, 1, nullptr));
}

TEST_F(SubclassTest, EverySubclassSeesNcDestroyAndIsDetachedAfterIt) {
  HWND hwnd = Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, AnswerProbe);
  ASSERT_TRUE(SetWindowSubclass(hwnd, TracingSubclass, 1, 10));
  ASSERT_TRUE(SetWindowSubclass(hwnd, TracingSubclass, 2, 20));
  ASSERT_TRUE(DestroyWindow(hwnd));
  EXPECT_EQ(g_trace, (std::vector<std::string>{"nc2:20", "nc1:10"}));
  EXPECT_FALSE(GetWindowSubclass(hwnd, TracingSubclass, 1, nullptr));

  // A later window (which may reuse the slot) starts with no chain.
  g_trace.clear();
  HWND next = Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, AnswerProbe);
  EXPECT_FALSE(GetWindowSubclass(next, TracingSubclass, 1, nullptr));
  EXPECT_EQ(SendMessageW(next, kProbe, 0, 0), 7);
  EXPECT_EQ(g_trace, (std::vector<std::string>{"window"}));
}

// A procedure set over the chain's by hand, forwarding to the one it replaced.
WNDPROC g_replaced = nullptr;
LRESULT HandSetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kProbe) g_trace.push_back("hand");
  return CallWindowProcW(g_replaced, hwnd, msg, wParam, lParam);
}

TEST_F(SubclassTest, AProcedureSetOverTheChainStillReachesTheWindowAfterTheLastRemoval) {
  HWND hwnd = Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, AnswerProbe);
  ASSERT_TRUE(SetWindowSubclass(hwnd, TracingSubclass, 1, 10));
  g_replaced = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HandSetProc)));
  EXPECT_TRUE(RemoveWindowSubclass(hwnd, TracingSubclass, 1));
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(HandSetProc));
  EXPECT_EQ(SendMessageW(hwnd, kProbe, 0, 0), 7);
  EXPECT_EQ(g_trace, (std::vector<std::string>{"hand", "window"}));
}

TEST_F(SubclassTest, RefusesStaleWindowsAndNullProcedures) {
  HWND hwnd = Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
  EXPECT_FALSE(SetWindowSubclass(hwnd, nullptr, 1, 0));
  DestroyWindow(hwnd);
  EXPECT_FALSE(SetWindowSubclass(hwnd, TracingSubclass, 1, 0));
  EXPECT_FALSE(RemoveWindowSubclass(hwnd, TracingSubclass, 1));
}

}  // namespace
