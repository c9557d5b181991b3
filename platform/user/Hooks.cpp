#include "platform/user/Hooks.h"

#include <algorithm>
#include <vector>

#include "platform/kernel/WinError.h"
#include "platform/kernel/Threads.h"

struct HookHandle {
  HOOKPROC proc = nullptr;
  bool removed = false;
};

namespace {

// The calling thread's hooks, oldest first. A hook removed while the chain runs is only
// marked, and freed when no call is running.
struct ThreadHooks {
  std::vector<HookHandle*> hooks;
  int running = 0;
  ~ThreadHooks() {
    for (HookHandle* hook : hooks) delete hook;
  }
  void Sweep() {
    if (running) return;
    std::erase_if(hooks, [](HookHandle* hook) {
      if (!hook->removed) return false;
      delete hook;
      return true;
    });
  }
};

thread_local ThreadHooks t_hooks;

LRESULT RunFrom(size_t start, int code, WPARAM wParam, LPARAM lParam) {
  // Newest first: `start` counts down through the older hooks.
  for (size_t i = start; i-- > 0;) {
    HookHandle* hook = t_hooks.hooks[i];
    if (hook->removed) continue;
    ++t_hooks.running;
    const LRESULT answer = hook->proc(code, wParam, lParam);
    --t_hooks.running;
    t_hooks.Sweep();
    return answer;
  }
  return 0;
}

}  // namespace

HHOOK SetWindowsHookExW(int idHook, HOOKPROC proc, HINSTANCE, DWORD threadId) {
  if (idHook != WH_MSGFILTER || !proc || (threadId != 0 && threadId != GetCurrentThreadId())) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* hook = new HookHandle{proc, false};
  t_hooks.hooks.push_back(hook);
  return hook;
}

HHOOK SetWindowsHookExA(int idHook, HOOKPROC proc, HINSTANCE instance, DWORD threadId) {
  return SetWindowsHookExW(idHook, proc, instance, threadId);
}

BOOL UnhookWindowsHookEx(HHOOK hook) {
  auto it = std::find(t_hooks.hooks.begin(), t_hooks.hooks.end(), hook);
  if (!hook || it == t_hooks.hooks.end() || hook->removed) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  hook->removed = true;
  t_hooks.Sweep();
  return TRUE;
}

LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
  auto it = std::find(t_hooks.hooks.begin(), t_hooks.hooks.end(), hook);
  if (it == t_hooks.hooks.end()) return 0;
  return RunFrom(static_cast<size_t>(it - t_hooks.hooks.begin()), code, wParam, lParam);
}

BOOL CallMsgFilterW(MSG* msg, int code) {
  if (!msg || t_hooks.hooks.empty()) return FALSE;
  return RunFrom(t_hooks.hooks.size(), code, 0, reinterpret_cast<LPARAM>(msg)) != 0;
}

BOOL CallMsgFilterA(MSG* msg, int code) { return CallMsgFilterW(msg, code); }
