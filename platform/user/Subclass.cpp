// The window subclass chain. A subclassed window's procedure is the chain's own procedure,
// which calls the newest subclass; the window's former procedure is kept with the chain and
// called after the oldest subclass.
//
// Each message runs over a snapshot of the chain taken when it arrives, so a subclass added
// meanwhile does not see it and one removed meanwhile is skipped. A chain that becomes empty
// gives the window its former procedure back (unless someone set a procedure over the chain's
// since) while calls still under way finish through the record they hold.

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/kernel/WinError.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {
namespace {

struct Subclass {
  SUBCLASSPROC proc = nullptr;
  UINT_PTR id = 0;
  DWORD_PTR refData = 0;
  bool removed = false;
};

struct Chain {
  WNDPROC former = nullptr;
  bool formerUnicode = true;
  std::vector<std::shared_ptr<Subclass>> entries;  // oldest first
};

// One message passing down a chain: what is left to call, newest first.
struct Call {
  HWND hwnd;
  std::shared_ptr<Chain> chain;
  std::vector<std::shared_ptr<Subclass>> pending;
  size_t next = 0;
};

// Chains are per window and windows are used by their own thread only, but the map is shared.
std::mutex g_chainMutex;
std::map<HWND, std::shared_ptr<Chain>>& Chains() {
  static auto* chains = new std::map<HWND, std::shared_ptr<Chain>>;
  return *chains;
}

thread_local std::vector<Call*> t_calls;

std::shared_ptr<Chain> FindChain(HWND hwnd) {
  std::lock_guard lock(g_chainMutex);
  auto it = Chains().find(hwnd);
  return it == Chains().end() ? nullptr : it->second;
}

LRESULT CallFormer(const Chain& chain, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return CallProcedure(chain.former, chain.formerUnicode, hwnd, msg, wParam, lParam, true);
}

// Hands the message to the next subclass of the innermost call on this window, or to the
// former procedure when none is left.
LRESULT PassOn(Call& call, UINT msg, WPARAM wParam, LPARAM lParam) {
  while (call.next < call.pending.size()) {
    const std::shared_ptr<Subclass> entry = call.pending[call.next++];
    if (entry->removed) continue;
    return entry->proc(call.hwnd, msg, wParam, lParam, entry->id, entry->refData);
  }
  return CallFormer(*call.chain, call.hwnd, msg, wParam, lParam);
}

LRESULT ChainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<Chain> chain = FindChain(hwnd);
  if (!chain) return DefWindowProcW(hwnd, msg, wParam, lParam);
  Call call{hwnd, chain, {}, 0};
  {
    std::lock_guard lock(g_chainMutex);
    call.pending.assign(chain->entries.rbegin(), chain->entries.rend());
  }
  t_calls.push_back(&call);
  struct Pop {
    ~Pop() { t_calls.pop_back(); }
  } pop;
  return PassOn(call, msg, wParam, lParam);
}

// Drops the window's chain record (its subclasses marked removed).
std::shared_ptr<Chain> TakeChain(HWND hwnd) {
  std::lock_guard lock(g_chainMutex);
  auto it = Chains().find(hwnd);
  if (it == Chains().end()) return nullptr;
  std::shared_ptr<Chain> chain = it->second;
  Chains().erase(it);
  for (auto& entry : chain->entries) entry->removed = true;
  return chain;
}

// The last subclass went: the window gets its former procedure back. When a procedure was
// set over the chain's since, that one still calls the chain's, so the chain stays as a
// pass-through to the former procedure.
void DetachEmptyChain(HWND hwnd) {
  if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) != ChainProc) return;
  std::shared_ptr<Chain> chain = TakeChain(hwnd);
  if (!chain) return;
  if (chain->formerUnicode) SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chain->former));
  else SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chain->former));
}

void OnWindowDestroyed(HWND hwnd) { TakeChain(hwnd); }

// The window must exist and belong to the calling thread.
bool IsOwnWindow(HWND hwnd) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return false;
  if (!w->queue || !w->queue->IsCurrentThread()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return true;
}

}  // namespace
}  // namespace platform::detail

using namespace platform::detail;

BOOL SetWindowSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR refData) {
  if (!proc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!IsOwnWindow(hwnd)) return FALSE;
  static const bool hooked = [] {
    RememberProcCharset(ChainProc, true);
    platform::AddWindowDestroyedHook(OnWindowDestroyed);
    return true;
  }();
  (void)hooked;
  std::shared_ptr<Chain> chain = FindChain(hwnd);
  if (!chain) {
    chain = std::make_shared<Chain>();
    chain->formerUnicode = IsWindowUnicode(hwnd) != FALSE;
    chain->former = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    {
      std::lock_guard lock(g_chainMutex);
      Chains()[hwnd] = chain;
    }
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ChainProc));
  }
  std::lock_guard lock(g_chainMutex);
  for (auto& entry : chain->entries) {
    if (entry->proc == proc && entry->id == id) {
      entry->refData = refData;
      return TRUE;
    }
  }
  chain->entries.push_back(std::make_shared<Subclass>(Subclass{proc, id, refData, false}));
  return TRUE;
}

BOOL GetWindowSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR* refData) {
  if (refData) *refData = 0;
  std::shared_ptr<Chain> chain = FindChain(hwnd);
  if (!chain) return FALSE;
  std::lock_guard lock(g_chainMutex);
  for (auto& entry : chain->entries) {
    if (entry->proc == proc && entry->id == id) {
      if (refData) *refData = entry->refData;
      return TRUE;
    }
  }
  return FALSE;
}

BOOL RemoveWindowSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id) {
  if (!IsOwnWindow(hwnd)) return FALSE;
  std::shared_ptr<Chain> chain = FindChain(hwnd);
  if (!chain) return FALSE;
  bool empty;
  {
    std::lock_guard lock(g_chainMutex);
    auto& entries = chain->entries;
    auto it = std::find_if(entries.begin(), entries.end(),
                           [&](const auto& entry) { return entry->proc == proc && entry->id == id; });
    if (it == entries.end()) return FALSE;
    (*it)->removed = true;
    entries.erase(it);
    empty = entries.empty();
  }
  if (empty) DetachEmptyChain(hwnd);
  return TRUE;
}

LRESULT DefSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // The innermost call on this window is the one the caller is handling.
  for (auto it = t_calls.rbegin(); it != t_calls.rend(); ++it)
    if ((*it)->hwnd == hwnd) return PassOn(**it, msg, wParam, lParam);
  std::shared_ptr<Chain> chain = FindChain(hwnd);
  if (chain) return CallFormer(*chain, hwnd, msg, wParam, lParam);
  return CallWindowProcW(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)), hwnd, msg, wParam, lParam);
}
