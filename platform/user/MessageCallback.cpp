// SendMessageCallback: a send that does not wait, answered through a callback.

#include "platform/kernel/WinError.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace {

using namespace platform::detail;

BOOL SendWithCallback(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, SENDASYNCPROC callback, ULONG_PTR data,
                      bool unicode) {
  if (hwnd == HWND_BROADCAST) {
    std::vector<HWND> targets;
    {
      UserGuard guard(UserLock());
      for (const Window* top : DesktopWindowRaw()->children) targets.push_back(top->handle);
    }
    for (HWND target : targets) SendWithCallback(target, msg, wParam, lParam, callback, data, unicode);
    return TRUE;
  }
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return FALSE;
  std::shared_ptr<ThreadQueue> queue;
  {
    UserGuard guard(UserLock());
    queue = w->queue;
  }
  if (!queue) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (queue->IsCurrentThread()) {
    const LRESULT result = SendMessageInternal(hwnd, msg, wParam, lParam, unicode);
    if (callback) callback(hwnd, msg, data, result);
    return TRUE;
  }
  auto message = MakeSentMessage(hwnd, msg, wParam, lParam, unicode);
  if (callback) {
    message->callback = callback;
    message->callbackData = data;
    message->callbackQueue = ThreadQueue::Current();
  }
  queue->Send(message);
  return TRUE;
}

}  // namespace

BOOL SendMessageCallbackW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, SENDASYNCPROC callback, ULONG_PTR data) {
  return SendWithCallback(hwnd, msg, wParam, lParam, callback, data, true);
}

BOOL SendMessageCallbackA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, SENDASYNCPROC callback, ULONG_PTR data) {
  return SendWithCallback(hwnd, msg, wParam, lParam, callback, data, false);
}
