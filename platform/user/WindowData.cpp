// Per-window data: window longs and styles, window text, properties.

#include <algorithm>
#include <cstring>

#include "platform/kernel/Unicode.h"
#include "platform/kernel/WinError.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/ProcessRegistry.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

using namespace platform::detail;

namespace {

LONG_PTR ChangeStyle(const WindowPtr& w, int index, DWORD newValue) {
  HWND hwnd = w->handle;
  STYLESTRUCT ss{};
  {
    UserGuard guard(UserLock());
    ss.styleOld = index == GWL_STYLE ? w->style : w->exStyle;
  }
  ss.styleNew = newValue;
  SendMessageW(hwnd, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&ss));
  if (!IsWindow(hwnd)) return 0;
  {
    UserGuard guard(UserLock());
    const DWORD changed = ss.styleOld ^ ss.styleNew;
    if (index == GWL_STYLE) {
      w->style = ss.styleNew;
      if (changed & WS_CHILD) UpdateTaskbarPresence(w.get());
    } else {
      w->exStyle = ss.styleNew;
      if (changed & (WS_EX_APPWINDOW | WS_EX_TOOLWINDOW)) UpdateTaskbarPresence(w.get());
    }
  }
  SendMessageW(hwnd, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&ss));
  return static_cast<LONG>(ss.styleOld);
}

LONG_PTR WindowLong(HWND hwnd, int index, bool set, LONG_PTR value, bool unicode, bool narrowSlot) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return 0;
  switch (index) {
    case GWL_STYLE:
    case GWL_EXSTYLE:
      if (set) return ChangeStyle(w, index, static_cast<DWORD>(value));
      return static_cast<LONG>(index == GWL_STYLE ? w->style : w->exStyle);
    default: break;
  }
  UserGuard guard(UserLock());
  switch (index) {
    case GWLP_WNDPROC: {
      LONG_PTR old = reinterpret_cast<LONG_PTR>(w->proc);
      if (set) {
        if (!value) {
          SetLastError(ERROR_INVALID_PARAMETER);
          return 0;
        }
        w->proc = reinterpret_cast<WNDPROC>(value);
        w->unicode = unicode;
        RememberProcCharset(w->proc, unicode);
      }
      return old;
    }
    case GWLP_USERDATA: {
      LONG_PTR old = w->userData;
      if (set) w->userData = value;
      return old;
    }
    case GWLP_ID: {
      LONG_PTR old = w->id;
      if (set) w->id = value;
      return old;
    }
    case GWLP_HINSTANCE: {
      LONG_PTR old = reinterpret_cast<LONG_PTR>(w->instance);
      if (set) w->instance = reinterpret_cast<HINSTANCE>(value);
      return old;
    }
    case GWLP_HWNDPARENT: {
      if (w->style & WS_CHILD) {
        // A child's parent changes only through SetParent.
        return reinterpret_cast<LONG_PTR>(w->parent ? w->parent->handle : nullptr);
      }
      LONG_PTR old = reinterpret_cast<LONG_PTR>(w->owner ? w->owner->handle : nullptr);
      if (set) {
        WindowPtr owner = FindWindowPtrQuiet(reinterpret_cast<HWND>(value));
        if (value && !owner) {
          SetLastError(ERROR_INVALID_WINDOW_HANDLE);
          return 0;
        }
        if (owner && IsDescendant(w.get(), owner.get())) {
          SetLastError(ERROR_INVALID_PARAMETER);
          return 0;
        }
        w->owner = owner ? TopLevelOf(owner.get()) : nullptr;
        UpdateTaskbarPresence(w.get());
      }
      return old;
    }
    default: break;
  }
  const size_t width = narrowSlot ? 4 : sizeof(LONG_PTR);
  if (index < 0 || static_cast<size_t>(index) + width > w->extra.size()) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  LONG_PTR old = 0;
  if (narrowSlot) {
    LONG narrow;
    std::memcpy(&narrow, w->extra.data() + index, 4);
    old = narrow;
    if (set) {
      narrow = static_cast<LONG>(value);
      std::memcpy(w->extra.data() + index, &narrow, 4);
    }
  } else {
    std::memcpy(&old, w->extra.data() + index, width);
    if (set) std::memcpy(w->extra.data() + index, &value, width);
  }
  if (set) SetLastError(ERROR_SUCCESS);
  return old;
}

std::u16string PropKey(LPCWSTR name) {
  if (IS_INTRESOURCE(name)) return u"\x01#" + platform::Utf8ToUtf16(std::to_string(reinterpret_cast<ULONG_PTR>(name)));
  std::u16string key = name;
  for (auto& c : key)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  return key;
}

std::u16string PropKey(LPCSTR name) {
  if (IS_INTRESOURCE(name)) return PropKey(reinterpret_cast<LPCWSTR>(name));
  std::u16string wide = ToWide(name);
  return PropKey(wide.c_str());
}

}  // namespace

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) { return WindowLong(hwnd, index, false, 0, true, false); }
LONG_PTR GetWindowLongPtrA(HWND hwnd, int index) { return WindowLong(hwnd, index, false, 0, false, false); }
LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) { return WindowLong(hwnd, index, true, value, true, false); }
LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) { return WindowLong(hwnd, index, true, value, false, false); }
LONG_PTR GetWindowLongW(HWND hwnd, int index) { return WindowLong(hwnd, index, false, 0, true, index >= 0); }
LONG_PTR GetWindowLongA(HWND hwnd, int index) { return WindowLong(hwnd, index, false, 0, false, index >= 0); }
LONG_PTR SetWindowLongW(HWND hwnd, int index, LONG_PTR value) { return WindowLong(hwnd, index, true, value, true, index >= 0); }
LONG_PTR SetWindowLongA(HWND hwnd, int index, LONG_PTR value) { return WindowLong(hwnd, index, true, value, false, index >= 0); }

WORD GetWindowWord(HWND hwnd, int index) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return 0;
  UserGuard guard(UserLock());
  if (index < 0 || static_cast<size_t>(index) + 2 > w->extra.size()) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  WORD value;
  std::memcpy(&value, w->extra.data() + index, 2);
  return value;
}

// ---- text ------------------------------------------------------------------------------

namespace {

bool OnOwnThread(const WindowPtr& w) { return w->queue && w->queue->IsCurrentThread(); }

std::u16string StoredText(const WindowPtr& w) {
  UserGuard guard(UserLock());
  return w->text;
}

}  // namespace

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int capacity) {
  if (IsRemoteWindow(hwnd)) {
    std::u16string text;
    if (!buffer || capacity <= 0 || !RemoteWindowText(hwnd, &text)) return 0;
    const int count = std::min<int>(static_cast<int>(text.size()), capacity - 1);
    std::copy_n(text.data(), count, buffer);
    buffer[count] = 0;
    return count;
  }
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w || !buffer || capacity <= 0) return 0;
  if (OnOwnThread(w)) return static_cast<int>(SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(capacity), reinterpret_cast<LPARAM>(buffer)));
  // Another thread's window: its stored text, without waiting for that thread.
  std::u16string text = StoredText(w);
  const int count = std::min<int>(static_cast<int>(text.size()), capacity - 1);
  std::copy_n(text.data(), count, buffer);
  buffer[count] = 0;
  return count;
}

int GetWindowTextA(HWND hwnd, LPSTR buffer, int capacity) {
  std::u16string remoteText;
  const bool remote = IsRemoteWindow(hwnd);
  if (remote && !RemoteWindowText(hwnd, &remoteText)) return 0;
  WindowPtr w = remote ? nullptr : GetWindowPtr(hwnd);
  if ((!remote && !w) || !buffer || capacity <= 0) return 0;
  if (!remote && OnOwnThread(w)) return static_cast<int>(SendMessageA(hwnd, WM_GETTEXT, static_cast<WPARAM>(capacity), reinterpret_cast<LPARAM>(buffer)));
  std::string text = ToNarrow(remote ? remoteText : StoredText(w));
  int count = std::min<int>(static_cast<int>(text.size()), capacity - 1);
  while (count > 0 && count < static_cast<int>(text.size()) && (static_cast<unsigned char>(text[count]) & 0xC0) == 0x80) --count;
  std::copy_n(text.data(), count, buffer);
  buffer[count] = 0;
  return count;
}

int GetWindowTextLengthW(HWND hwnd) {
  if (std::u16string text; IsRemoteWindow(hwnd)) return RemoteWindowText(hwnd, &text) ? static_cast<int>(text.size()) : 0;
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return 0;
  if (OnOwnThread(w)) return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
  return static_cast<int>(StoredText(w).size());
}

int GetWindowTextLengthA(HWND hwnd) {
  if (std::u16string text; IsRemoteWindow(hwnd))
    return RemoteWindowText(hwnd, &text) ? static_cast<int>(ToNarrow(text).size()) : 0;
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return 0;
  if (OnOwnThread(w)) return static_cast<int>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
  return static_cast<int>(ToNarrow(StoredText(w)).size());
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
  if (!GetWindowPtr(hwnd)) return FALSE;
  return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : u"")) != 0;
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) {
  if (!GetWindowPtr(hwnd)) return FALSE;
  return SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) != 0;
}

// ---- properties --------------------------------------------------------------------------

namespace {

BOOL SetPropKey(HWND hwnd, const std::u16string& key, HANDLE data) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return FALSE;
  UserGuard guard(UserLock());
  w->props[key] = data;
  return TRUE;
}

HANDLE GetPropKey(HWND hwnd, const std::u16string& key, bool remove) {
  WindowPtr w = FindWindowPtrQuiet(hwnd);
  if (!w) return nullptr;
  UserGuard guard(UserLock());
  auto it = w->props.find(key);
  if (it == w->props.end()) return nullptr;
  HANDLE data = it->second;
  if (remove) w->props.erase(it);
  return data;
}

}  // namespace

BOOL SetPropW(HWND hwnd, LPCWSTR name, HANDLE data) { return name ? SetPropKey(hwnd, PropKey(name), data) : FALSE; }
BOOL SetPropA(HWND hwnd, LPCSTR name, HANDLE data) { return name ? SetPropKey(hwnd, PropKey(name), data) : FALSE; }
HANDLE GetPropW(HWND hwnd, LPCWSTR name) { return name ? GetPropKey(hwnd, PropKey(name), false) : nullptr; }
HANDLE GetPropA(HWND hwnd, LPCSTR name) { return name ? GetPropKey(hwnd, PropKey(name), false) : nullptr; }
HANDLE RemovePropW(HWND hwnd, LPCWSTR name) { return name ? GetPropKey(hwnd, PropKey(name), true) : nullptr; }
HANDLE RemovePropA(HWND hwnd, LPCSTR name) { return name ? GetPropKey(hwnd, PropKey(name), true) : nullptr; }
