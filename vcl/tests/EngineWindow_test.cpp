// Controls over windows made by an engine (a player's view): adopting the window and
// handing it back, re-creating it while it shows, keys a view keeps for itself, and the
// full-screen host. Headless window manager.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/testing/Synthetic.h"
#include "platform/user/Monitors.h"
#include "vcl/Application.h"
#include "vcl/Form.h"
#include "vcl/GraphicControl.h"

namespace {

// The "engine": a window class of its own whose procedure logs what reaches it and answers
// one private message, as a player engine's view window would.
constexpr UINT kEngineQuery = WM_USER + 77;
std::vector<std::string> g_engineLog;

LRESULT EngineProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kEngineQuery) return 4242;
  if (msg == WM_NCDESTROY) g_engineLog.push_back("ncdestroy");
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND EngineCreateView(HWND parent, int x, int y, int w, int h) {
  WNDCLASSW cls{};
  if (!GetClassInfoW(nullptr, u"EngineTestView", &cls)) {
    cls = WNDCLASSW{};
    cls.lpfnWndProc = &EngineProc;
    cls.lpszClassName = u"EngineTestView";
    RegisterClassW(&cls);
  }
  return CreateWindowExW(0, u"EngineTestView", u"", WS_CHILD | WS_VISIBLE, x, y, w, h, parent, nullptr, nullptr,
                         nullptr);
}

// A view whose window comes from the engine, and which can keep the dialog keys and Alt+F4.
class TEngineView : public TCustomControl {
  BRANTWELL_CLASS(TEngineView, TCustomControl)
 public:
  explicit TEngineView(TComponent* owner) : TCustomControl(owner) {
    SetBounds(10, 10, 160, 120);
    SetTabStop(true);
    FControlStyle.Include(csAcceptsControls);
  }
  bool ownKeys = false;
  bool swallowClose = false;
  std::vector<HWND> replaced;
  std::vector<HWND> handedBack;

  void WndProc(TMessage& m) override {
    if (swallowClose && ((m.Msg == WM_SYSKEYDOWN && m.WParam == VK_F4) ||
                         (m.Msg == WM_SYSCOMMAND && (m.WParam & 0xFFF0) == SC_CLOSE))) {
      m.Result = 0;
      return;
    }
    inherited::WndProc(m);
  }

 protected:
  void CreateWindowHandle(const TCreateParams& params) override {
    AdoptWindowHandle(EngineCreateView(params.WndParent, params.X, params.Y, params.Width, params.Height), params);
  }
  void DestroyWindowHandle() override {
    if (!HasAdoptedWindow()) return inherited::DestroyWindowHandle();
    HWND window = ReleaseWindowHandle();
    handedBack.push_back(window);
    DestroyWindow(window);
  }
  void DestroyReplacedWindow(HWND old) override {
    replaced.push_back(old);
    inherited::DestroyReplacedWindow(old);
  }
  void CNKeyDown(TWMKey& m) override { ownKeys ? m.SetResult(0) : inherited::CNKeyDown(m); }
  void CNKeyUp(TWMKey& m) override { ownKeys ? m.SetResult(0) : inherited::CNKeyUp(m); }
  void CNChar(TWMKey& m) override { ownKeys ? m.SetResult(0) : inherited::CNChar(m); }
};

// A focusable child, and the form's "Cancel button": it takes Esc as a dialog key.
class TChildBox : public TCustomControl {
  BRANTWELL_CLASS(TChildBox, TCustomControl)
 public:
  explicit TChildBox(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 30, 20);
    SetTabStop(true);
  }
  bool isCancel = false;
  int cancels = 0;

 protected:
  void CMDialogKey(TWMKey& m) override {
    if (isCancel && m.CharCode == VK_ESCAPE) {
      ++cancels;
      m.SetResult(1);
      return;
    }
    inherited::CMDialogKey(m);
  }
};

class EngineWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_engineLog.clear();
    form = TCustomForm::CreateNew<TForm>(Application);
    form->SetBounds(20, 20, 300, 220);
    view = new TEngineView(form);
    view->SetParent(form);
  }
  void TearDown() override { DoneApplication(); }
  TForm* form = nullptr;
  TEngineView* view = nullptr;
};

TEST_F(EngineWindowTest, AdoptedWindowRunsTheControlFirstAndTheEngineByDefault) {
  form->Show();
  HWND window = view->Handle();
  ASSERT_TRUE(IsWindow(window));
  char16_t cls[64] = {};
  GetClassNameW(window, cls, 64);
  EXPECT_EQ(std::u16string(cls), u"EngineTestView");
  EXPECT_EQ(TWinControl::FindControl(window), view);
  EXPECT_NE(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)), &EngineProc);
  // The control's parameters are on the window; what the control leaves goes to the engine.
  EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & WS_TABSTOP);
  EXPECT_EQ(SendMessageW(window, kEngineQuery, 0, 0), 4242);
  SetWindowTextA(window, "titled");
  EXPECT_EQ(view->Caption(), "titled");

  // Destroying the control hands the window back with the engine's procedure on it.
  delete view;
  view = nullptr;
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(g_engineLog, (std::vector<std::string>{"ncdestroy"}));
}

TEST_F(EngineWindowTest, HandedBackWindowKeepsTheEnginesProcedure) {
  form->Show();
  HWND window = view->Handle();
  // Hand it back by hand, keeping it alive.
  struct Peek : TEngineView {
    using TEngineView::ReleaseWindowHandle;
  };
  HWND released = static_cast<Peek*>(view)->ReleaseWindowHandle();
  EXPECT_EQ(released, window);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)), &EngineProc);
  EXPECT_EQ(TWinControl::FindControl(window), nullptr);
  EXPECT_FALSE(view->HandleAllocated());
  DestroyWindow(window);
}

TEST_F(EngineWindowTest, RecreatingAShowingViewMovesItsChildrenAndKeepsTheFocus) {
  auto* top = new TChildBox(form);
  auto* bottom = new TChildBox(form);
  bottom->SetParent(view);
  top->SetParent(view);
  top->SetLeft(40);
  form->Show();
  Application->ProcessMessages();
  HWND old = view->Handle();
  HWND topWnd = GetWindow(old, GW_CHILD);
  HWND bottomWnd = GetWindow(topWnd, GW_HWNDNEXT);
  ASSERT_TRUE(topWnd == top->Handle() || topWnd == bottom->Handle());
  ASSERT_TRUE(bottomWnd == top->Handle() || bottomWnd == bottom->Handle());
  bottom->SetFocus();

  view->RecreateWnd();

  HWND now = view->Handle();
  EXPECT_NE(now, old);
  EXPECT_FALSE(IsWindow(old));
  EXPECT_EQ(view->replaced, (std::vector<HWND>{old}));
  // The old window was told it is gone while the engine's procedure was on it.
  EXPECT_EQ(g_engineLog, (std::vector<std::string>{"ncdestroy", "ncdestroy"}));
  // The same child windows, in the same order, now under the new window.
  EXPECT_TRUE(top->Handle() == topWnd || top->Handle() == bottomWnd);
  EXPECT_TRUE(bottom->Handle() == topWnd || bottom->Handle() == bottomWnd);
  EXPECT_EQ(GetParent(topWnd), now);
  EXPECT_EQ(GetParent(bottomWnd), now);
  EXPECT_EQ(GetWindow(now, GW_CHILD), topWnd);
  EXPECT_EQ(GetWindow(topWnd, GW_HWNDNEXT), bottomWnd);
  EXPECT_TRUE(bottom->Focused());
  EXPECT_TRUE(IsWindowVisible(now));
  EXPECT_EQ(TWinControl::FindControl(now), view);

  // The view itself focused comes back focused too.
  view->SetFocus();
  view->RecreateWnd();
  EXPECT_TRUE(view->Focused());
  EXPECT_EQ(GetParent(topWnd), view->Handle());
}

TEST_F(EngineWindowTest, HiddenViewIsRecreatedTheOrdinaryWay) {
  auto* child = new TChildBox(form);
  child->SetParent(view);
  view->HandleNeeded();  // the form is not showing
  HWND old = view->Handle();
  view->RecreateWnd();
  EXPECT_TRUE(view->replaced.empty());
  EXPECT_EQ(view->handedBack, (std::vector<HWND>{old}));
  EXPECT_FALSE(IsWindow(old));
  EXPECT_EQ(GetParent(child->Handle()), view->Handle());
}

TEST_F(EngineWindowTest, ViewKeepsEscapeAndSwallowsAltF4) {
  auto* cancel = new TChildBox(form);
  cancel->SetParent(form);
  cancel->SetLeft(200);
  cancel->isCancel = true;
  std::vector<WORD> keys;
  view->OnKeyDown = TKeyEvent([&](TObject*, WORD& key, TShiftState) { keys.push_back(key); });
  bool closed = false;
  form->OnClose = TCloseEvent([&](TObject*, TCloseAction&) { closed = true; });
  form->Show();
  Application->ProcessMessages();

  struct Case {
    const char* name;
    bool own;
    int cancels;
    std::vector<WORD> keys;
    bool closed;
  };
  const Case cases[] = {
      {"ordinary routing: Esc is the form's, Alt+F4 closes it", false, 1, {}, true},
      {"the view's own: Esc reaches its OnKeyDown, Alt+F4 does nothing", true, 0, {VK_ESCAPE}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    form->Show();
    view->ownKeys = view->swallowClose = c.own;
    view->SetFocus();
    keys.clear();
    cancel->cancels = 0;
    closed = false;
    platform::testing::KeyPress(VK_ESCAPE);
    Application->ProcessMessages();
    EXPECT_EQ(cancel->cancels, c.cancels);
    EXPECT_EQ(std::count(keys.begin(), keys.end(), VK_ESCAPE), static_cast<long>(c.keys.size()));
    PostMessageW(view->Handle(), WM_SYSKEYDOWN, VK_F4, 0x20000001);
    Application->ProcessMessages();
    SendMessageW(view->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Application->ProcessMessages();
    EXPECT_EQ(closed, c.closed);
  }
}

TEST_F(EngineWindowTest, FullScreenHostCoversTheMonitorAndGivesTheViewBack) {
  view->ownKeys = view->swallowClose = true;
  std::vector<WORD> keys;
  view->OnKeyDown = TKeyEvent([&](TObject*, WORD& key, TShiftState) { keys.push_back(key); });
  auto* cancel = new TChildBox(form);
  cancel->SetParent(form);
  cancel->SetLeft(200);
  cancel->isCancel = true;
  form->Show();
  Application->ProcessMessages();
  HWND window = view->Handle();

  const TRect bounds = view->BoundsRect();
  TFullScreenHost host;
  host.Enter(window, "Player");
  ASSERT_TRUE(host.Active());
  HWND popup = host.Window();
  EXPECT_EQ(GetParent(window), popup);
  const DWORD style = static_cast<DWORD>(GetWindowLongW(popup, GWL_STYLE));
  EXPECT_EQ(style & (WS_POPUP | WS_CLIPCHILDREN), WS_POPUP | WS_CLIPCHILDREN);
  EXPECT_EQ(style & (WS_CHILD | WS_BORDER), 0u);
  EXPECT_TRUE(GetWindowLongW(popup, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(IsWindowVisible(popup));
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(popup, MONITOR_DEFAULTTONEAREST), &monitor));
  RECT placed{};
  GetWindowRect(popup, &placed);
  EXPECT_TRUE(EqualRect(&placed, &monitor.rcMonitor));
  RECT viewRect{};
  GetWindowRect(window, &viewRect);
  EXPECT_TRUE(EqualRect(&viewRect, &monitor.rcMonitor))
      << viewRect.left << "," << viewRect.top << "," << viewRect.right << "," << viewRect.bottom << " / "
      << monitor.rcMonitor.right << "," << monitor.rcMonitor.bottom;
  EXPECT_EQ(GetFocus(), window);

  // Esc is the view's, Alt+F4 leaves the host and the view where they are.
  platform::testing::KeyPress(VK_ESCAPE);
  Application->ProcessMessages();
  EXPECT_EQ(keys, (std::vector<WORD>{VK_ESCAPE}));
  EXPECT_EQ(cancel->cancels, 0);
  PostMessageW(window, WM_SYSKEYDOWN, VK_F4, 0x20000001);
  Application->ProcessMessages();
  EXPECT_TRUE(IsWindow(popup));
  EXPECT_TRUE(IsWindow(window));
  EXPECT_TRUE(IsWindowVisible(form->Handle()));

  host.Leave(window, form->Handle(), bounds);
  EXPECT_FALSE(host.Active());
  EXPECT_FALSE(IsWindow(popup));
  EXPECT_EQ(GetParent(window), form->Handle());
  RECT back{};
  GetClientRect(window, &back);
  EXPECT_EQ(back.right, 160);
  EXPECT_EQ(back.bottom, 120);
  EXPECT_EQ(GetFocus(), window);
  EXPECT_EQ(view->BoundsRect(), bounds);
  EXPECT_EQ(view->handedBack.size(), 0u);
}

}  // namespace
