// Focus, activation and capture.

#include <algorithm>

#include "platform/kernel/WinError.h"
#include "platform/user/InputState.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/ProcessRegistry.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {

namespace {
bool g_desktopInactive = false;
HWND g_activeBeforeLeaving = nullptr;
}  // namespace

InputState& Input() {
  static auto* state = new InputState;
  return *state;
}

namespace {

HWND Read(HWND InputState::*field) {
  UserGuard guard(UserLock());
  return Input().*field;
}

bool InTree(HWND root, HWND hwnd) {
  WindowPtr r = FindWindowPtrQuiet(root), w = FindWindowPtrQuiet(hwnd);
  if (!r || !w) return false;
  UserGuard guard(UserLock());
  return IsDescendant(r.get(), w.get());
}

void SendActivateApp(const std::shared_ptr<ThreadQueue>& queue, BOOL active, DWORD otherThread) {
  std::vector<HWND> windows;
  {
    UserGuard guard(UserLock());
    for (const Window* top : DesktopWindowRaw()->children)
      if (top->queue == queue) windows.push_back(top->handle);
  }
  for (HWND hwnd : windows) SendMessageW(hwnd, WM_ACTIVATEAPP, static_cast<WPARAM>(active), static_cast<LPARAM>(otherThread));
}

std::shared_ptr<ThreadQueue> QueueOf(HWND hwnd) {
  WindowPtr w = FindWindowPtrQuiet(hwnd);
  return w ? w->queue : nullptr;
}

void Deactivate(HWND old, HWND next) {
  if (!IsWindow(old)) return;
  SendMessageW(old, WM_NCACTIVATE, FALSE, 0);
  SendMessageW(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(old) ? 1 : 0), reinterpret_cast<LPARAM>(next));
  auto oldQueue = QueueOf(old), newQueue = QueueOf(next);
  if (oldQueue && oldQueue != newQueue) SendActivateApp(oldQueue, FALSE, newQueue ? newQueue->threadId() : 0);
}

}  // namespace

void ActivateWindowInternal(HWND hwnd, WORD how) {
  // Activating one of our windows brings the program back to the front.
  if (hwnd) g_desktopInactive = false, g_activeBeforeLeaving = nullptr;
  HWND old;
  {
    UserGuard guard(UserLock());
    old = Input().active;
    if (old == hwnd) return;
  }
  Deactivate(old, hwnd);
  HWND focus = Read(&InputState::focus);
  {
    UserGuard guard(UserLock());
    Input().active = hwnd;
    if (WindowPtr w = FindWindowPtrQuiet(hwnd)) {
      Window* owner = w->owner;
      while (owner && owner->owner) owner = owner->owner;
      if (owner) owner->lastActivePopup = hwnd;
    }
  }
  if (!hwnd) {
    if (focus) {
      {
        UserGuard guard(UserLock());
        Input().focus = nullptr;
      }
      if (IsWindow(focus)) SendMessageW(focus, WM_KILLFOCUS, 0, 0);
    }
    return;
  }
  if (GetWindow(hwnd, GW_HWNDFIRST) != hwnd && !(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST))
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  auto oldQueue = QueueOf(old), newQueue = QueueOf(hwnd);
  if (newQueue && newQueue != oldQueue) SendActivateApp(newQueue, TRUE, oldQueue ? oldQueue->threadId() : 0);
  if (!IsWindow(hwnd)) return;
  SendMessageW(hwnd, WM_NCACTIVATE, TRUE, 0);
  SendMessageW(hwnd, WM_ACTIVATE, MAKEWPARAM(how, IsIconic(hwnd) ? 1 : 0), reinterpret_cast<LPARAM>(old));
  // Focus that stayed in the window we left goes away.
  focus = Read(&InputState::focus);
  if (focus && Read(&InputState::active) == hwnd && !InTree(hwnd, focus)) {
    {
      UserGuard guard(UserLock());
      Input().focus = nullptr;
    }
    if (IsWindow(focus)) SendMessageW(focus, WM_KILLFOCUS, 0, 0);
  }
}

void OnWindowHiddenOrDestroyed(HWND hwnd) {
  HWND capture = Read(&InputState::capture);
  if (capture && InTree(hwnd, capture)) ReleaseCapture();
  {
    UserGuard guard(UserLock());
    if (Input().trackWindow && InTree(hwnd, Input().trackWindow)) Input().trackWindow = nullptr, Input().trackFlags = 0;
  }
  HWND focus = Read(&InputState::focus);
  WindowPtr w = FindWindowPtrQuiet(hwnd);
  if (!w) return;
  const bool child = (w->style & WS_CHILD) != 0;
  if (focus && InTree(hwnd, focus) && child) {
    HWND parent = GetParent(hwnd);
    if (parent && IsWindowVisible(parent)) {
      SetFocus(parent);
    } else {
      {
        UserGuard guard(UserLock());
        Input().focus = nullptr;
      }
      if (IsWindow(focus)) SendMessageW(focus, WM_KILLFOCUS, 0, 0);
    }
    return;
  }
  if (child || Read(&InputState::active) != hwnd) return;
  // The active window went: its owner, else the topmost other visible, enabled window.
  HWND next = nullptr;
  {
    UserGuard guard(UserLock());
    Window* owner = w->owner;
    if (owner && (owner->style & WS_VISIBLE) && !(owner->style & (WS_DISABLED | WS_MINIMIZE)) && !owner->destroying) {
      next = owner->handle;
    } else {
      for (const Window* top : DesktopWindowRaw()->children) {
        if (top == w.get() || top->destroying || !(top->style & WS_VISIBLE) || (top->style & (WS_DISABLED | WS_MINIMIZE))) continue;
        if (top->exStyle & (WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW)) continue;
        next = top->handle;
        break;
      }
    }
  }
  ActivateWindowInternal(next, WA_ACTIVE);
}

bool DesktopActivation() { return !g_desktopInactive; }

void SetDesktopActivation(bool active, HWND activate) {
  if (active == !g_desktopInactive) {
    if (active && activate) SetForegroundWindow(activate);
    return;
  }
  g_desktopInactive = !active;
  auto queue = ThreadQueue::Current();
  if (!active) {
    HWND old = Read(&InputState::active);
    g_activeBeforeLeaving = old;
    // Deactivating the active window tells its thread's windows that the program lost the
    // activation; without one, this thread's windows are told directly.
    if (old && QueueOf(old) == queue) ActivateWindowInternal(nullptr, WA_INACTIVE);
    else SendActivateApp(queue, FALSE, 0);
    return;
  }
  HWND back = activate ? activate : g_activeBeforeLeaving;
  g_activeBeforeLeaving = nullptr;
  bool canActivate = false;
  if (WindowPtr w = FindWindowPtrQuiet(back)) {
    UserGuard guard(UserLock());
    canActivate = !w->destroying && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED) && w->queue == queue;
  }
  if (canActivate && !Read(&InputState::active)) ::SetActiveWindow(back);
  else SendActivateApp(queue, TRUE, 0);
}

}  // namespace platform::detail

using namespace platform::detail;

HWND SetFocus(HWND hwnd) {
  if (!hwnd) {
    HWND old;
    {
      UserGuard guard(UserLock());
      old = Input().focus;
      Input().focus = nullptr;
    }
    if (old && IsWindow(old)) SendMessageW(old, WM_KILLFOCUS, 0, 0);
    return old;
  }
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return nullptr;
  HWND top;
  const HWND before = Read(&InputState::focus);
  {
    UserGuard guard(UserLock());
    top = TopLevelOf(w.get())->handle;
  }
  if (Read(&InputState::active) != top) {
    ActivateWindowInternal(top, WA_ACTIVE);
    if (!IsWindow(hwnd)) return nullptr;
  }
  HWND old;
  {
    UserGuard guard(UserLock());
    old = Input().focus;
    if (old == hwnd) return before;
    Input().focus = hwnd;
  }
  if (old && IsWindow(old)) SendMessageW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (Read(&InputState::focus) == hwnd && IsWindow(hwnd))
    SendMessageW(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return before;
}

HWND GetFocus() { return Read(&InputState::focus); }

HWND SetActiveWindow(HWND hwnd) {
  HWND old = Read(&InputState::active);
  if (!hwnd) {
    ActivateWindowInternal(nullptr, WA_INACTIVE);
    return old;
  }
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return nullptr;
  HWND top;
  {
    UserGuard guard(UserLock());
    top = TopLevelOf(w.get())->handle;
  }
  ActivateWindowInternal(top, WA_ACTIVE);
  return old;
}

HWND GetActiveWindow() { return Read(&InputState::active); }
HWND GetForegroundWindow() { return Read(&InputState::active); }

BOOL SetForegroundWindow(HWND hwnd) {
  if (IsRemoteWindow(hwnd)) return RemoteSetForegroundWindow(hwnd);
  if (!GetWindowPtr(hwnd)) return FALSE;
  SetActiveWindow(hwnd);
  return TRUE;
}

HWND SetCapture(HWND hwnd) {
  if (hwnd && !GetWindowPtr(hwnd)) return nullptr;
  HWND old;
  {
    UserGuard guard(UserLock());
    old = Input().capture;
    Input().capture = hwnd;
  }
  if (old && old != hwnd && IsWindow(old)) SendMessageW(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  return old;
}

BOOL ReleaseCapture() {
  HWND old;
  {
    UserGuard guard(UserLock());
    old = Input().capture;
    Input().capture = nullptr;
  }
  if (old && IsWindow(old)) SendMessageW(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() { return Read(&InputState::capture); }

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return FALSE;
  bool wasDisabled;
  {
    UserGuard guard(UserLock());
    wasDisabled = (w->style & WS_DISABLED) != 0;
    if (wasDisabled == !enable) return wasDisabled;
  }
  if (!enable) {
    // A disabled window loses focus and capture first.
    SendMessageW(hwnd, WM_CANCELMODE, 0, 0);
    HWND focus = GetFocus();
    if (focus && InTree(hwnd, focus)) SetFocus(nullptr);
  }
  {
    UserGuard guard(UserLock());
    if (enable) w->style &= ~WS_DISABLED;
    else w->style |= WS_DISABLED;
  }
  SendMessageW(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled;
}
