// Window classes: registration, lookup by name or atom, class longs.

#include <algorithm>
#include <cstring>

#include "platform/kernel/Unicode.h"
#include "platform/kernel/WinError.h"
#include "platform/user/Classes.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {
namespace {

struct ClassRegistry {
  std::vector<std::shared_ptr<WindowClass>> classes;
  ATOM nextAtom = 0xC000;
};

ClassRegistry& Registry() {
  static auto* registry = new ClassRegistry;
  return *registry;
}

char16_t Fold(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

}  // namespace

bool EqualsNoCase(const std::u16string& a, const std::u16string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return Fold(x) == Fold(y); });
}

std::u16string ToWide(const char* text) { return text ? Utf8ToUtf16(text) : std::u16string(); }
std::u16string ToWide(const char16_t* text) { return text ? std::u16string(text) : std::u16string(); }
std::string ToNarrow(const std::u16string& text) { return Utf16ToUtf8(text); }

std::shared_ptr<WindowClass> FindClass(const ClassName& name) {
  UserGuard guard(UserLock());
  for (auto& cls : Registry().classes) {
    if (name.atom ? cls->atom == name.atom : EqualsNoCase(cls->name, name.name)) return cls;
  }
  return nullptr;
}

ClassName ClassNameFrom(LPCWSTR name) {
  if (IS_INTRESOURCE(name)) return ClassName{static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name)), {}};
  return ClassName{0, ToWide(name)};
}

ClassName ClassNameFrom(LPCSTR name) {
  if (IS_INTRESOURCE(name)) return ClassName{static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name)), {}};
  return ClassName{0, ToWide(name)};
}

ATOM RegisterClassInternal(std::shared_ptr<WindowClass> cls) {
  if (!cls->proc || cls->name.empty() || cls->classExtraBytes < 0 || cls->windowExtraBytes < 0 ||
      cls->classExtraBytes > 40 * 1024 || cls->windowExtraBytes > 40 * 1024) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  UserGuard guard(UserLock());
  if (FindClass(ClassName{0, cls->name})) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  cls->atom = Registry().nextAtom++;
  cls->extra.assign(static_cast<size_t>(cls->classExtraBytes), 0);
  RememberProcCharset(cls->proc, cls->unicode);
  Registry().classes.push_back(cls);
  return cls->atom;
}

BOOL UnregisterClassInternal(const ClassName& name) {
  UserGuard guard(UserLock());
  auto& classes = Registry().classes;
  for (auto it = classes.begin(); it != classes.end(); ++it) {
    if (name.atom ? (*it)->atom != name.atom : !EqualsNoCase((*it)->name, name.name)) continue;
    if ((*it)->windowCount > 0) {
      SetLastError(ERROR_CLASS_HAS_WINDOWS);
      return FALSE;
    }
    if ((*it)->system) break;
    classes.erase(it);
    return TRUE;
  }
  SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
  return FALSE;
}

}  // namespace platform::detail

using namespace platform::detail;

namespace {

template <typename ClassRecord>
std::shared_ptr<WindowClass> FromRecord(const ClassRecord& wc, bool unicode) {
  auto cls = std::make_shared<WindowClass>();
  cls->name = IS_INTRESOURCE(wc.lpszClassName) ? std::u16string() : ToWide(wc.lpszClassName);
  cls->style = wc.style;
  cls->proc = wc.lpfnWndProc;
  cls->unicode = unicode;
  cls->classExtraBytes = wc.cbClsExtra;
  cls->windowExtraBytes = wc.cbWndExtra;
  cls->instance = wc.hInstance;
  cls->icon = wc.hIcon;
  cls->cursor = wc.hCursor;
  cls->background = wc.hbrBackground;
  if (wc.lpszMenuName && !IS_INTRESOURCE(wc.lpszMenuName)) cls->menuName = ToWide(wc.lpszMenuName);
  return cls;
}

template <typename ClassRecord, typename Char>
BOOL FillClassInfo(const ClassName& name, ClassRecord* out, const Char* requestedName) {
  auto cls = FindClass(name);
  if (!cls) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (!out) return TRUE;
  UserGuard guard(UserLock());
  out->style = cls->style;
  out->lpfnWndProc = cls->proc;
  out->cbClsExtra = cls->classExtraBytes;
  out->cbWndExtra = cls->windowExtraBytes;
  out->hInstance = cls->instance;
  out->hIcon = cls->icon;
  out->hCursor = cls->cursor;
  out->hbrBackground = cls->background;
  out->lpszMenuName = nullptr;
  out->lpszClassName = requestedName;
  return TRUE;
}

ULONG_PTR ClassLong(HWND hwnd, int index, bool set, LONG_PTR value, bool unicode, bool narrowSlot) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return 0;
  UserGuard guard(UserLock());
  WindowClass& cls = *w->cls;
  auto swap = [&](auto& field, auto newValue) -> ULONG_PTR {
    ULONG_PTR old = static_cast<ULONG_PTR>(reinterpret_cast<uintptr_t>(field));
    if (set) field = newValue;
    return old;
  };
  switch (index) {
    case GCL_STYLE: {
      ULONG_PTR old = cls.style;
      if (set) cls.style = static_cast<UINT>(value);
      return old;
    }
    case GCLP_WNDPROC: {
      ULONG_PTR old = reinterpret_cast<ULONG_PTR>(cls.proc);
      if (set) {
        cls.proc = reinterpret_cast<WNDPROC>(value);
        cls.unicode = unicode;
        RememberProcCharset(cls.proc, unicode);
      }
      return old;
    }
    case GCLP_HBRBACKGROUND: return swap(cls.background, reinterpret_cast<HBRUSH>(value));
    case GCLP_HCURSOR: return swap(cls.cursor, reinterpret_cast<HCURSOR>(value));
    case GCLP_HICON: return swap(cls.icon, reinterpret_cast<HICON>(value));
    case GCLP_HICONSM: return swap(cls.smallIcon, reinterpret_cast<HICON>(value));
    case GCLP_HMODULE: return swap(cls.instance, reinterpret_cast<HINSTANCE>(value));
    case GCL_CBWNDEXTRA: return static_cast<ULONG_PTR>(cls.windowExtraBytes);
    case GCL_CBCLSEXTRA: return static_cast<ULONG_PTR>(cls.classExtraBytes);
    case GCW_ATOM: return cls.atom;
    default: break;
  }
  const size_t width = narrowSlot ? 4 : sizeof(LONG_PTR);
  if (index < 0 || static_cast<size_t>(index) + width > cls.extra.size()) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  ULONG_PTR old = 0;
  std::memcpy(&old, cls.extra.data() + index, width);
  if (set) std::memcpy(cls.extra.data() + index, &value, width);
  return old;
}

}  // namespace

ATOM RegisterClassW(const WNDCLASSW* wc) {
  if (!wc) return SetLastError(ERROR_INVALID_PARAMETER), 0;
  return RegisterClassInternal(FromRecord(*wc, true));
}
ATOM RegisterClassA(const WNDCLASSA* wc) {
  if (!wc) return SetLastError(ERROR_INVALID_PARAMETER), 0;
  return RegisterClassInternal(FromRecord(*wc, false));
}
ATOM RegisterClassExW(const WNDCLASSEXW* wc) {
  if (!wc || wc->cbSize != sizeof(WNDCLASSEXW)) return SetLastError(ERROR_INVALID_PARAMETER), 0;
  auto cls = FromRecord(*wc, true);
  cls->smallIcon = wc->hIconSm;
  return RegisterClassInternal(cls);
}
ATOM RegisterClassExA(const WNDCLASSEXA* wc) {
  if (!wc || wc->cbSize != sizeof(WNDCLASSEXA)) return SetLastError(ERROR_INVALID_PARAMETER), 0;
  auto cls = FromRecord(*wc, false);
  cls->smallIcon = wc->hIconSm;
  return RegisterClassInternal(cls);
}
BOOL UnregisterClassW(LPCWSTR name, HINSTANCE) { return UnregisterClassInternal(ClassNameFrom(name)); }
BOOL UnregisterClassA(LPCSTR name, HINSTANCE) { return UnregisterClassInternal(ClassNameFrom(name)); }
BOOL GetClassInfoW(HINSTANCE, LPCWSTR name, WNDCLASSW* out) { return FillClassInfo(ClassNameFrom(name), out, name); }
BOOL GetClassInfoA(HINSTANCE, LPCSTR name, WNDCLASSA* out) { return FillClassInfo(ClassNameFrom(name), out, name); }

int GetClassNameW(HWND hwnd, LPWSTR buffer, int capacity) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w || !buffer || capacity <= 0) return 0;
  std::u16string name = w->cls->name;
  const int count = std::min<int>(static_cast<int>(name.size()), capacity - 1);
  std::copy_n(name.data(), count, buffer);
  buffer[count] = 0;
  return count;
}

int GetClassNameA(HWND hwnd, LPSTR buffer, int capacity) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w || !buffer || capacity <= 0) return 0;
  std::string name = ToNarrow(w->cls->name);
  const int count = std::min<int>(static_cast<int>(name.size()), capacity - 1);
  std::copy_n(name.data(), count, buffer);
  buffer[count] = 0;
  return count;
}

ULONG_PTR GetClassLongPtrW(HWND hwnd, int index) { return ClassLong(hwnd, index, false, 0, true, false); }
ULONG_PTR GetClassLongPtrA(HWND hwnd, int index) { return ClassLong(hwnd, index, false, 0, false, false); }
ULONG_PTR SetClassLongPtrW(HWND hwnd, int index, LONG_PTR value) { return ClassLong(hwnd, index, true, value, true, false); }
ULONG_PTR SetClassLongPtrA(HWND hwnd, int index, LONG_PTR value) { return ClassLong(hwnd, index, true, value, false, false); }
DWORD GetClassLongW(HWND hwnd, int index) { return static_cast<DWORD>(ClassLong(hwnd, index, false, 0, true, true)); }
DWORD GetClassLongA(HWND hwnd, int index) { return static_cast<DWORD>(ClassLong(hwnd, index, false, 0, false, true)); }
DWORD SetClassLongW(HWND hwnd, int index, LONG value) { return static_cast<DWORD>(ClassLong(hwnd, index, true, value, true, true)); }
DWORD SetClassLongA(HWND hwnd, int index, LONG value) { return static_cast<DWORD>(ClassLong(hwnd, index, true, value, false, true)); }
