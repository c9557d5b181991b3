// Calling window procedures: text messages converted between UTF-8 ("A") and UTF-16 ("W")
// procedures, CallWindowProc, and the charset each known procedure expects.

#include <algorithm>
#include <cstring>
#include <map>

#include "platform/kernel/Unicode.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {
namespace {

// The edit control's two text messages outside the WM_ range (its header is in the common
// controls); their numbers are the same in every window, so they are converted here.
constexpr UINT kEditReplaceSelection = 0x00C2;  // lParam text
constexpr UINT kEditGetLine = 0x00C4;           // lParam buffer whose first WORD is its size

std::mutex g_charsetMutex;
std::map<WNDPROC, bool>& Charsets() {
  static auto* charsets = new std::map<WNDPROC, bool>{{DefWindowProcW, true}, {DefWindowProcA, false}};
  return *charsets;
}

// The procedure works in UTF-16, the caller in UTF-8.
LRESULT CallWideFromNarrow(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SETTEXT: {
      if (!lParam) break;
      std::u16string text = Utf8ToUtf16(reinterpret_cast<const char*>(lParam));
      return proc(hwnd, msg, wParam, reinterpret_cast<LPARAM>(text.c_str()));
    }
    case WM_GETTEXT: {
      if (!lParam || wParam == 0) break;
      std::u16string buffer(wParam, u'\0');
      proc(hwnd, msg, wParam, reinterpret_cast<LPARAM>(buffer.data()));
      buffer.resize(std::char_traits<char16_t>::length(buffer.c_str()));
      std::string text = Utf16ToUtf8(buffer);
      size_t count = std::min(text.size(), static_cast<size_t>(wParam - 1));
      while (count > 0 && count < text.size() && (static_cast<unsigned char>(text[count]) & 0xC0) == 0x80) --count;
      std::memcpy(reinterpret_cast<char*>(lParam), text.data(), count);
      reinterpret_cast<char*>(lParam)[count] = 0;
      return static_cast<LRESULT>(count);
    }
    case kEditReplaceSelection: {
      if (!lParam) break;
      std::u16string text = Utf8ToUtf16(reinterpret_cast<const char*>(lParam));
      return proc(hwnd, msg, wParam, reinterpret_cast<LPARAM>(text.c_str()));
    }
    case kEditGetLine: {
      if (!lParam) break;
      WORD capacity = 0;
      std::memcpy(&capacity, reinterpret_cast<const void*>(lParam), sizeof capacity);
      std::u16string buffer(std::max<size_t>(capacity, 1), u'\0');
      std::memcpy(buffer.data(), &capacity, sizeof capacity);
      const LRESULT units = proc(hwnd, msg, wParam, reinterpret_cast<LPARAM>(buffer.data()));
      if (units <= 0) return 0;
      std::string text = Utf16ToUtf8(buffer.substr(0, static_cast<size_t>(units)));
      size_t count = std::min(text.size(), static_cast<size_t>(capacity));
      while (count > 0 && count < text.size() && (static_cast<unsigned char>(text[count]) & 0xC0) == 0x80) --count;
      std::memcpy(reinterpret_cast<char*>(lParam), text.data(), count);
      return static_cast<LRESULT>(count);
    }
    case WM_GETTEXTLENGTH: {
      // UTF-8 can need up to three bytes per UTF-16 unit; ask for the text to be exact.
      LRESULT units = proc(hwnd, msg, wParam, lParam);
      if (units <= 0) return units;
      std::u16string buffer(static_cast<size_t>(units) + 1, u'\0');
      proc(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
      buffer.resize(std::char_traits<char16_t>::length(buffer.c_str()));
      return static_cast<LRESULT>(Utf16ToUtf8(buffer).size());
    }
    case WM_NCCREATE:
    case WM_CREATE: {
      if (!lParam) break;
      CREATESTRUCTW cs;
      std::memcpy(&cs, reinterpret_cast<const void*>(lParam), sizeof cs);
      const auto* narrow = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      std::u16string name = narrow->lpszName ? Utf8ToUtf16(narrow->lpszName) : std::u16string();
      std::u16string cls = (narrow->lpszClass && !IS_INTRESOURCE(narrow->lpszClass)) ? Utf8ToUtf16(narrow->lpszClass) : std::u16string();
      if (narrow->lpszName) cs.lpszName = name.c_str();
      if (narrow->lpszClass && !IS_INTRESOURCE(narrow->lpszClass)) cs.lpszClass = cls.c_str();
      return proc(hwnd, msg, wParam, reinterpret_cast<LPARAM>(&cs));
    }
    default: break;
  }
  return proc(hwnd, msg, wParam, lParam);
}

// The procedure works in UTF-8, the caller in UTF-16.
LRESULT CallNarrowFromWide(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SETTEXT: {
      if (!lParam) break;
      std::string text = Utf16ToUtf8(reinterpret_cast<const char16_t*>(lParam));
      return proc(hwnd, msg, wParam, reinterpret_cast<LPARAM>(text.c_str()));
    }
    case WM_GETTEXT: {
      if (!lParam || wParam == 0) break;
      std::string buffer(wParam * 3 + 1, '\0');
      proc(hwnd, msg, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
      buffer.resize(std::strlen(buffer.c_str()));
      std::u16string text = Utf8ToUtf16(buffer);
      size_t count = std::min(text.size(), static_cast<size_t>(wParam - 1));
      if (count > 0 && count < text.size() && text[count] >= 0xDC00 && text[count] <= 0xDFFF) --count;
      std::memcpy(reinterpret_cast<char16_t*>(lParam), text.data(), count * sizeof(char16_t));
      reinterpret_cast<char16_t*>(lParam)[count] = 0;
      return static_cast<LRESULT>(count);
    }
    case kEditReplaceSelection: {
      if (!lParam) break;
      std::string text = Utf16ToUtf8(reinterpret_cast<const char16_t*>(lParam));
      return proc(hwnd, msg, wParam, reinterpret_cast<LPARAM>(text.c_str()));
    }
    case kEditGetLine: {
      if (!lParam) break;
      WORD capacity = 0;
      std::memcpy(&capacity, reinterpret_cast<const void*>(lParam), sizeof capacity);
      const size_t bytes = std::max<size_t>(static_cast<size_t>(capacity) * 3, 2);
      std::string buffer(bytes, '\0');
      const WORD narrowCapacity = static_cast<WORD>(std::min<size_t>(bytes, 0xFFFF));
      std::memcpy(buffer.data(), &narrowCapacity, sizeof narrowCapacity);
      const LRESULT length = proc(hwnd, msg, wParam, reinterpret_cast<LPARAM>(buffer.data()));
      if (length <= 0) return 0;
      std::u16string text = Utf8ToUtf16(buffer.substr(0, static_cast<size_t>(length)));
      size_t count = std::min(text.size(), static_cast<size_t>(capacity));
      if (count > 0 && count < text.size() && text[count] >= 0xDC00 && text[count] <= 0xDFFF) --count;
      std::memcpy(reinterpret_cast<char16_t*>(lParam), text.data(), count * sizeof(char16_t));
      return static_cast<LRESULT>(count);
    }
    case WM_NCCREATE:
    case WM_CREATE: {
      if (!lParam) break;
      CREATESTRUCTA cs;
      std::memcpy(&cs, reinterpret_cast<const void*>(lParam), sizeof cs);
      const auto* wide = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      std::string name = wide->lpszName ? Utf16ToUtf8(wide->lpszName) : std::string();
      std::string cls = (wide->lpszClass && !IS_INTRESOURCE(wide->lpszClass)) ? Utf16ToUtf8(wide->lpszClass) : std::string();
      if (wide->lpszName) cs.lpszName = name.c_str();
      if (wide->lpszClass && !IS_INTRESOURCE(wide->lpszClass)) cs.lpszClass = cls.c_str();
      return proc(hwnd, msg, wParam, reinterpret_cast<LPARAM>(&cs));
    }
    default: break;
  }
  return proc(hwnd, msg, wParam, lParam);
}

}  // namespace

void RememberProcCharset(WNDPROC proc, bool unicode) {
  if (!proc) return;
  std::lock_guard lock(g_charsetMutex);
  Charsets()[proc] = unicode;
}

bool ProcIsUnicode(WNDPROC proc, bool fallback) {
  std::lock_guard lock(g_charsetMutex);
  auto it = Charsets().find(proc);
  return it == Charsets().end() ? fallback : it->second;
}

LRESULT CallProcedure(WNDPROC proc, bool procUnicode, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                      bool callerUnicode) {
  if (!proc) return 0;
  if (procUnicode == callerUnicode) return proc(hwnd, msg, wParam, lParam);
  return procUnicode ? CallWideFromNarrow(proc, hwnd, msg, wParam, lParam)
                     : CallNarrowFromWide(proc, hwnd, msg, wParam, lParam);
}

}  // namespace platform::detail

using namespace platform::detail;

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return CallProcedure(proc, ProcIsUnicode(proc, true), hwnd, msg, wParam, lParam, true);
}

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return CallProcedure(proc, ProcIsUnicode(proc, false), hwnd, msg, wParam, lParam, false);
}
