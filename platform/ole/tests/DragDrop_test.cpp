// The in-process drag loop on the headless display, driven by synthetic input: what the
// source and the targets hear and in which order, the answers of DoDragDrop, registration.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/ole/Ole.h"
#include "platform/testing/Synthetic.h"
#include "platform/testing/Watchdog.h"

namespace {

using namespace platform::testing;

// What the drop targets and the source heard, in order.
std::vector<std::string> g_events;

template <typename Interface>
class Counted : public Interface {
 public:
  HRESULT QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override { return --references; }  // lives on the test's stack
  ULONG references = 1;
};

std::string Describe(const char* what, const std::string& name, DWORD keys, POINTL p, DWORD effect) {
  return name + "." + what + " keys=" + std::to_string(keys) + " at " + std::to_string(p.x) + "," +
         std::to_string(p.y) + " offered=" + std::to_string(effect);
}

class Target : public Counted<IDropTarget> {
 public:
  explicit Target(std::string name) : m_name(std::move(name)) {}
  HRESULT DragEnter(IDataObject*, DWORD keys, POINTL p, DWORD* effect) override {
    g_events.push_back(Describe("enter", m_name, keys, p, *effect));
    if (onEnter) onEnter();
    *effect = answer;
    return S_OK;
  }
  HRESULT DragOver(DWORD keys, POINTL p, DWORD* effect) override {
    g_events.push_back(Describe("over", m_name, keys, p, *effect));
    if (onOver) onOver();
    *effect = answer;
    return S_OK;
  }
  HRESULT DragLeave() override {
    g_events.push_back(m_name + ".leave");
    return S_OK;
  }
  HRESULT Drop(IDataObject*, DWORD keys, POINTL p, DWORD* effect) override {
    g_events.push_back(Describe("drop", m_name, keys, p, *effect));
    *effect = answer;
    return S_OK;
  }
  DWORD answer = DROPEFFECT_COPY;
  std::function<void()> onEnter, onOver;

 private:
  std::string m_name;
};

// Behaves as the program's drag sources do: Escape or the right button cancels, the left
// button held goes on, its release drops.
class Source : public Counted<IDropSource> {
 public:
  HRESULT QueryContinueDrag(BOOL escape, DWORD keys) override {
    queries.push_back(keys);
    if (escape || (keys & MK_RBUTTON)) return DRAGDROP_S_CANCEL;
    return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT GiveFeedback(DWORD effect) override {
    feedback.push_back(effect);
    return DRAGDROP_S_USEDEFAULTCURSORS;
  }
  std::vector<DWORD> queries, feedback;
};

class Data : public Counted<IDataObject> {
 public:
  HRESULT GetData(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
  HRESULT GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
};

// Windows whose reactions the tests set per message.
using Reaction = std::function<bool(HWND, UINT, WPARAM, LPARAM)>;
std::map<HWND, Reaction> g_reactions;

LRESULT TestProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto it = g_reactions.find(hwnd);
  if (it != g_reactions.end() && it->second && it->second(hwnd, msg, wParam, lParam)) return 0;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

constexpr UINT kRevoke = WM_USER + 1;
constexpr UINT kDestroy = WM_USER + 2;
constexpr UINT kRepaint = WM_USER + 3;

// Two top-level windows side by side: the source on the left, the target on the right with
// a child control covering its middle. The target window (not the child) is registered.
class DragDropTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static const ATOM atom = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = TestProc;
      wc.lpszClassName = u"DragDropTestWindow";
      return RegisterClassW(&wc);
    }();
    ASSERT_NE(atom, 0);
    g_events.clear();
    g_reactions.clear();
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    source = Make(WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr);
    target = Make(WS_POPUP | WS_VISIBLE, 300, 0, 200, 200, nullptr);
    child = Make(WS_CHILD | WS_VISIBLE, 50, 50, 100, 100, target);
    SetActiveWindow(source);
    SetFocus(source);
    ASSERT_EQ(RegisterDragDrop(target, &dropTarget), S_OK);
    // The drag starts when the source window is pressed.
    g_reactions[source] = [this](HWND, UINT msg, WPARAM, LPARAM) {
      if (msg != WM_LBUTTONDOWN) return false;
      platform::testing::Watchdog watchdog(std::chrono::seconds(20));
      result = DoDragDrop(&data, &dragSource, okEffects, &effect);
      ++drags;
      return true;
    };
  }
  void TearDown() override {
    g_reactions.clear();  // they may refer to the finished test's locals
    for (HWND hwnd : {child, target, source})
      if (IsWindow(hwnd)) DestroyWindow(hwnd);
    RunUntilIdle();
    g_reactions.clear();
    OleUninitialize();
    // The registration of a destroyed window let its target go.
    EXPECT_EQ(dropTarget.references, 1u);
  }

  HWND Make(DWORD style, int x, int y, int w, int h, HWND parent) {
    HWND hwnd = CreateWindowExW(0, u"DragDropTestWindow", u"", style, x, y, w, h, parent, nullptr, nullptr, nullptr);
    EXPECT_NE(hwnd, nullptr);
    return hwnd;
  }

  // Presses the source, runs the drag the queued input makes, and checks it ran once.
  void RunDrag() {
    ASSERT_TRUE(RunUntilIdle());
    ASSERT_EQ(drags, 1);
  }

  HWND source = nullptr, target = nullptr, child = nullptr;
  Target dropTarget{"target"};
  Source dragSource;
  Data data;
  DWORD okEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  HRESULT result = E_FAIL;
  DWORD effect = 0xDEAD;
  int drags = 0;
};

TEST_F(DragDropTest, TargetHearsEnterOverAndDropAtScreenPointsWithTheKeyState) {
  HCURSOR seenInOver = nullptr;
  dropTarget.onOver = [&] { seenInOver = GetCursor(); };
  MouseDown(POINT{20, 20});
  MouseMove(POINT{100, 20});   // still over the source: no target
  MouseMove(POINT{360, 30});   // the target window's own area
  MouseMove(POINT{380, 90});   // over its child: the registered parent is found
  platform::detail::InjectKey(VK_SHIFT, true);
  MouseUp(POINT{380, 90});
  RunDrag();

  EXPECT_EQ(result, DRAGDROP_S_DROP);
  EXPECT_EQ(effect, DROPEFFECT_COPY);
  const DWORD both = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(g_events, (std::vector<std::string>{
                          Describe("enter", "target", MK_LBUTTON, {360, 30}, both),
                          Describe("over", "target", MK_LBUTTON, {380, 90}, both),
                          Describe("over", "target", MK_LBUTTON | MK_SHIFT, {380, 90}, both),
                          Describe("drop", "target", MK_SHIFT, {380, 90}, both)}));
  // The source was asked at the start and at every event after it, and shown the effect.
  EXPECT_EQ(dragSource.queries, (std::vector<DWORD>{MK_LBUTTON, MK_LBUTTON, MK_LBUTTON, MK_LBUTTON,
                                                    MK_LBUTTON | MK_SHIFT, MK_SHIFT}));
  EXPECT_EQ(dragSource.feedback, (std::vector<DWORD>{0, 0, DROPEFFECT_COPY, DROPEFFECT_COPY, DROPEFFECT_COPY}));
  EXPECT_EQ(seenInOver, LoadCursorW(nullptr, IDC_DRAGCOPY));
  EXPECT_EQ(GetCapture(), nullptr);
  platform::detail::InjectKey(VK_SHIFT, false);
}

TEST_F(DragDropTest, EffectsAreMaskedByWhatTheSourceAllows) {
  struct Case {
    DWORD okEffects, answer;
    HRESULT result;
    DWORD effect;
    const char* lastEvent;
    LPCWSTR cursor;
  };
  const Case cases[] = {
      {DROPEFFECT_COPY, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, DRAGDROP_S_DROP, DROPEFFECT_COPY,
       "drop", IDC_DRAGCOPY},
      {DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_MOVE, DRAGDROP_S_DROP, DROPEFFECT_MOVE, "drop", IDC_DRAGMOVE},
      {DROPEFFECT_LINK | DROPEFFECT_COPY, DROPEFFECT_LINK, DRAGDROP_S_DROP, DROPEFFECT_LINK, "drop", IDC_DRAGLINK},
      // A target answering only what the source does not allow gets DragLeave: a cancel.
      {DROPEFFECT_COPY, DROPEFFECT_MOVE, DRAGDROP_S_CANCEL, DROPEFFECT_NONE, "leave", IDC_NO},
      {DROPEFFECT_COPY, DROPEFFECT_NONE, DRAGDROP_S_CANCEL, DROPEFFECT_NONE, "leave", IDC_NO},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.okEffects * 100 + c.answer);
    g_events.clear();
    drags = 0;
    okEffects = c.okEffects;
    dropTarget.answer = c.answer;
    HCURSOR cursor = nullptr;
    dropTarget.onOver = [&] { cursor = GetCursor(); };
    MouseDown(POINT{20, 20});
    MouseMove(POINT{320, 20});
    MouseMove(POINT{380, 90});  // over the child (moves over one window coalesce)
    MouseUp(POINT{380, 90});
    RunDrag();
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(effect, c.effect);
    ASSERT_EQ(g_events.size(), 3u) << ::testing::PrintToString(g_events);
    EXPECT_EQ(g_events[0].find("target.enter"), 0u) << g_events[0];
    EXPECT_NE(g_events[0].find("offered=" + std::to_string(c.okEffects)), std::string::npos) << g_events[0];
    EXPECT_EQ(g_events[2].find(std::string("target.") + c.lastEvent), 0u) << g_events[2];
    EXPECT_EQ(cursor, LoadCursorW(nullptr, c.cursor));
  }
}

TEST_F(DragDropTest, EscapeTheRightButtonOrAReleaseOverNoTargetCancel) {
  const std::function<void()> endings[] = {
      [] { KeyPress(VK_ESCAPE); },
      [] { MouseDown(POINT{330, 20}, MouseButton::Right); },  // pressing is enough
      [] {
        MouseMove(POINT{250, 20});  // between the windows
        MouseUp(POINT{250, 20});
      },
  };
  int index = 0;
  for (const auto& end : endings) {
    SCOPED_TRACE(index++);
    g_events.clear();
    drags = 0;
    MouseDown(POINT{20, 20});
    MouseMove(POINT{320, 20});
    end();
    RunDrag();
    EXPECT_EQ(result, DRAGDROP_S_CANCEL);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    ASSERT_EQ(g_events.size(), 2u);
    EXPECT_EQ(g_events[1], "target.leave");
    // Let go of whatever is still held, outside any drag.
    MouseUp(POINT{250, 20}, MouseButton::Right);
    MouseUp(POINT{250, 20});
    RunUntilIdle();
  }
  // A drag that never reaches a target hears nothing and is cancelled.
  g_events.clear();
  drags = 0;
  MouseDown(POINT{20, 20});
  MouseMove(POINT{100, 300});
  MouseUp(POINT{100, 300});
  RunDrag();
  EXPECT_EQ(result, DRAGDROP_S_CANCEL);
  EXPECT_EQ(effect, DROPEFFECT_NONE);
  EXPECT_TRUE(g_events.empty());
  EXPECT_EQ(dragSource.feedback.back(), DROPEFFECT_NONE);
}

TEST_F(DragDropTest, AQuitRequestOrALostCaptureEndsTheDrag) {
  // A quit request ends the drag and is left for the loop that started it.
  dropTarget.onEnter = [] { PostQuitMessage(3); };
  MouseDown(POINT{20, 20});
  MouseMove(POINT{320, 20});
  ASSERT_TRUE(RunUntil([&] { return drags == 1; }));  // stops before the quit request
  EXPECT_EQ(result, DRAGDROP_S_CANCEL);
  EXPECT_EQ(g_events.back(), "target.leave");
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);

  // A window taking the mouse away ends it too.
  MouseUp(POINT{320, 20});
  RunUntilIdle();
  g_events.clear();
  drags = 0;
  dropTarget.onEnter = [this] { SetCapture(source); };
  MouseDown(POINT{20, 20});
  MouseMove(POINT{320, 20});
  RunDrag();
  EXPECT_EQ(result, DRAGDROP_S_CANCEL);
  EXPECT_EQ(g_events.back(), "target.leave");
  ReleaseCapture();
  MouseUp(POINT{320, 20});
}

TEST_F(DragDropTest, RevokedOrDestroyedTargetsAreNeverCalledAgain) {
  // The source's window does what the target asks for while the drag runs.
  const Reaction startDrag = g_reactions[source];
  g_reactions[source] = [&](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kRevoke) {
      EXPECT_EQ(RevokeDragDrop(target), S_OK);
    }
    if (msg == kDestroy) DestroyWindow(target);
    if (msg == kRevoke || msg == kDestroy) {
      // The rest of the gesture comes while the drag holds the capture.
      MouseMove(POINT{380, 90});
      MouseUp(POINT{380, 90});
    }
    return startDrag(hwnd, msg, wParam, lParam);
  };
  for (UINT how : {kRevoke, kDestroy}) {
    SCOPED_TRACE(how);
    if (how == kDestroy) {
      ASSERT_EQ(RegisterDragDrop(target, &dropTarget), S_OK);
    }
    g_events.clear();
    drags = 0;
    dropTarget.onEnter = [&] { PostMessageW(source, how, 0, 0); };
    MouseDown(POINT{20, 20});
    MouseMove(POINT{320, 20});
    RunDrag();
    EXPECT_EQ(result, DRAGDROP_S_CANCEL);
    ASSERT_EQ(g_events.size(), 1u);
    EXPECT_EQ(g_events[0].find("target.enter"), 0u);
    EXPECT_EQ(dropTarget.references, 1u);
  }
  EXPECT_FALSE(IsWindow(target));
}

TEST_F(DragDropTest, TheSourceRepaintsAndTimersRunWhileTheDragLoopRuns) {
  // The target's entry posts to the source; the source invalidates itself; only its
  // repaint releases the button, so the drop happens only if painting goes on in the loop.
  int paints = 0;
  bool armed = false;
  const Reaction startDrag = g_reactions[source];
  g_reactions[source] = [&](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kRepaint) InvalidateRect(hwnd, nullptr, TRUE);
    if (msg == WM_PAINT) {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      if (armed) {
        armed = false;
        ++paints;
        SetTimer(hwnd, 1, 10, nullptr);
      }
      return true;
    }
    if (msg == WM_TIMER) {
      KillTimer(hwnd, 1);
      MouseUp(POINT{330, 20});
      return true;
    }
    return startDrag(hwnd, msg, wParam, lParam);
  };
  RunUntilIdle();  // the first paints of the new windows
  armed = true;
  dropTarget.onEnter = [&] { PostMessageW(source, kRepaint, 0, 0); };
  MouseDown(POINT{20, 20});
  MouseMove(POINT{320, 20});
  RunDrag();
  EXPECT_EQ(paints, 1);
  EXPECT_EQ(result, DRAGDROP_S_DROP);
  EXPECT_EQ(g_events.back().find("target.drop"), 0u);
}

TEST(DragDropRegistration, ErrorCodesAndThePerThreadInitialisation) {
  static const ATOM atom = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = u"DragDropRegistration";
    return RegisterClassW(&wc);
  }();
  ASSERT_NE(atom, 0);
  HWND hwnd = CreateWindowExW(0, u"DragDropRegistration", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                              nullptr);
  Target target("t");
  EXPECT_EQ(RegisterDragDrop(hwnd, &target), CO_E_NOTINITIALIZED);
  EXPECT_EQ(OleInitialize(nullptr), S_OK);
  EXPECT_EQ(OleInitialize(nullptr), S_FALSE);
  // Each thread counts for itself.
  std::thread([] {
    EXPECT_EQ(OleInitialize(nullptr), S_OK);
    OleUninitialize();
  }).join();
  EXPECT_EQ(RegisterDragDrop(nullptr, &target), DRAGDROP_E_INVALIDHWND);
  EXPECT_EQ(RegisterDragDrop(hwnd, nullptr), E_INVALIDARG);
  EXPECT_EQ(RevokeDragDrop(hwnd), DRAGDROP_E_NOTREGISTERED);
  EXPECT_EQ(RegisterDragDrop(hwnd, &target), S_OK);
  EXPECT_EQ(target.references, 2u);
  EXPECT_EQ(RegisterDragDrop(hwnd, &target), DRAGDROP_E_ALREADYREGISTERED);
  EXPECT_EQ(RevokeDragDrop(hwnd), S_OK);
  EXPECT_EQ(target.references, 1u);
  EXPECT_EQ(RevokeDragDrop(hwnd), DRAGDROP_E_NOTREGISTERED);
  DestroyWindow(hwnd);
  EXPECT_EQ(RegisterDragDrop(hwnd, &target), DRAGDROP_E_INVALIDHWND);
  EXPECT_EQ(RevokeDragDrop(hwnd), DRAGDROP_E_INVALIDHWND);
  Source source;
  DWORD effect = 0;
  EXPECT_EQ(DoDragDrop(nullptr, &source, DROPEFFECT_COPY, &effect), E_INVALIDARG);
  OleUninitialize();
  OleUninitialize();
  OleUninitialize();  // one too many does nothing
  EXPECT_EQ(OleInitialize(nullptr), S_OK);
  OleUninitialize();
}

TEST(DragDropMedium, ReleaseFreesWhatTheMediumHoldsOrReleasesItsOwner) {
  STGMEDIUM medium{};
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = GlobalAlloc(GHND, 16);
  HGLOBAL block = medium.hGlobal;
  ReleaseStgMedium(&medium);
  EXPECT_EQ(GlobalSize(block), 0u);  // freed
  EXPECT_EQ(medium.tymed, TYMED_NULL);
  EXPECT_EQ(medium.hGlobal, nullptr);

  // With an owner, the owner is released and the block left to it.
  Counted<IUnknown> owner;
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = block = GlobalAlloc(GHND, 16);
  medium.pUnkForRelease = &owner;
  owner.references = 2;
  ReleaseStgMedium(&medium);
  EXPECT_EQ(owner.references, 1u);
  EXPECT_EQ(GlobalSize(block), 16u);
  EXPECT_EQ(medium.pUnkForRelease, nullptr);
  GlobalFree(block);
}

}  // namespace
