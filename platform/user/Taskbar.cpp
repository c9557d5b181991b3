// Task-bar presence of top-level windows.

#include "platform/user/Taskbar.h"

#include "platform/kernel/WinError.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {

namespace {

bool RuleWantsButton(const Window* w) {
  if (w->destroying || w->parent != DesktopWindowRaw() || (w->style & WS_CHILD) || !(w->style & WS_VISIBLE)) return false;
  if (w->exStyle & WS_EX_APPWINDOW) return true;
  return !w->owner && !(w->exStyle & WS_EX_TOOLWINDOW);
}

}  // namespace

void UpdateTaskbarPresence(Window* w) {
  const bool wanted = RuleWantsButton(w);
  if (wanted == w->taskbarRule) return;  // an explicit choice stands
  w->taskbarRule = wanted;
  w->taskbarButton = wanted;
}

}  // namespace platform::detail

namespace platform {

using namespace detail;

bool HasTaskbarButton(HWND hwnd) {
  WindowPtr w = FindWindowPtrQuiet(hwnd);
  if (!w) return false;
  UserGuard guard(UserLock());
  return w->taskbarButton;
}

bool SetTaskbarButton(HWND hwnd, bool present) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return false;
  UserGuard guard(UserLock());
  if (w->parent != DesktopWindowRaw() || (w->style & WS_CHILD)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  w->taskbarButton = present;
  return true;
}

}  // namespace platform
