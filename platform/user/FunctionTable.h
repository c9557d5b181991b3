#pragma once

// The replaceable function table. DispatchMessage, the window scroll-bar functions and
// MessageBoxW are reached through it, so a module can install replacements that see every
// call (the skinned scroll bars do; the program shows its own message box) and call through
// to the originals.
//
// Each entry is an atomic function pointer: a replacement may be installed or removed while
// other threads call through the table. An entry reads and writes like a plain function
// pointer (call it, assign a function or a capture-less lambda to it, compare it); copying a
// whole table copies entry by entry, which is how a caller keeps the entries it replaces:
//
//   const platform::UserFunctionTable saved = platform::UserFunctions();
//   platform::UserFunctions().SetScrollPos = MySetScrollPos;  // calls OriginalUserFunctions()
//   ...
//   platform::UserFunctions() = saved;

#include <atomic>
#include <utility>

#include "platform/user/UserTypes.h"

struct SCROLLINFO;

namespace platform {

template <typename Signature>
class UserFunctionEntry;

template <typename Result, typename... Args>
class UserFunctionEntry<Result(Args...)> {
 public:
  using Function = Result (*)(Args...);

  constexpr UserFunctionEntry(Function function = nullptr) noexcept : m_function(function) {}
  UserFunctionEntry(const UserFunctionEntry& other) noexcept : m_function(other.Load()) {}
  UserFunctionEntry& operator=(const UserFunctionEntry& other) noexcept {
    Store(other.Load());
    return *this;
  }
  UserFunctionEntry& operator=(Function function) noexcept {
    Store(function);
    return *this;
  }

  Function Load() const noexcept { return m_function.load(std::memory_order_acquire); }
  void Store(Function function) noexcept { m_function.store(function, std::memory_order_release); }
  // Puts `replacement` in only while the entry still holds `expected`; false when another
  // caller changed it first.
  bool Replace(Function expected, Function replacement) noexcept {
    return m_function.compare_exchange_strong(expected, replacement, std::memory_order_acq_rel);
  }

  operator Function() const noexcept { return Load(); }
  Result operator()(Args... args) const { return Load()(std::forward<Args>(args)...); }

 private:
  std::atomic<Function> m_function;
};

struct UserFunctionTable {
  UserFunctionEntry<LRESULT(const MSG* msg)> DispatchMessageW;
  UserFunctionEntry<LRESULT(const MSG* msg)> DispatchMessageA;
  UserFunctionEntry<int(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw)> SetScrollInfo;
  UserFunctionEntry<BOOL(HWND hwnd, int bar, SCROLLINFO* info)> GetScrollInfo;
  UserFunctionEntry<int(HWND hwnd, int bar, int pos, BOOL redraw)> SetScrollPos;
  UserFunctionEntry<int(HWND hwnd, int bar)> GetScrollPos;
  UserFunctionEntry<BOOL(HWND hwnd, int bar, int min, int max, BOOL redraw)> SetScrollRange;
  UserFunctionEntry<BOOL(HWND hwnd, int bar, int* min, int* max)> GetScrollRange;
  UserFunctionEntry<BOOL(HWND hwnd, int bar, BOOL show)> ShowScrollBar;
  UserFunctionEntry<BOOL(HWND hwnd, UINT bar, UINT arrows)> EnableScrollBar;
  // MessageBoxA and the Ex forms convert their arguments and call this one.
  UserFunctionEntry<int(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)> MessageBoxW;
};

// The table every caller goes through; entries may be replaced from any thread.
UserFunctionTable& UserFunctions();
// The window manager's own implementations, for replacements to call through.
const UserFunctionTable& OriginalUserFunctions();

}  // namespace platform
