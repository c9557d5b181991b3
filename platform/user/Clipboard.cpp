// The program's clipboard and its memory blocks.

#include "platform/user/Clipboard.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "platform/kernel/GlobalMemory.h"
#include "platform/kernel/WinError.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {
namespace {

struct Clipboard {
  bool open = false;
  std::thread::id openThread;
  HWND openWindow = nullptr;
  HWND owner = nullptr;
  bool changedWhileOpen = false;
  std::map<UINT, HANDLE> data;  // null: promised, rendered on request
  std::set<UINT> synthesized;    // text forms made here from the other form
};

std::recursive_mutex g_mutex;
Clipboard& State() {
  static auto* clipboard = new Clipboard;
  return *clipboard;
}

bool OpenedHere() {
  const Clipboard& c = State();
  if (c.open && c.openThread == std::this_thread::get_id()) return true;
  SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
  return false;
}

void FreeAll() {
  for (auto& [format, block] : State().data)
    if (block) GlobalFree(block);
  State().data.clear();
  State().synthesized.clear();
}

bool IsMemoryBlock(HANDLE block) {
  SetLastError(NO_ERROR);
  GlobalSize(block);
  return GetLastError() == NO_ERROR;
}

HANDLE MakeBlock(const void* data, size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) return nullptr;
  std::memcpy(GlobalLock(block), data, size);
  GlobalUnlock(block);
  return block;
}

// Text of a block up to its first terminator (blocks may be larger than their text).
template <typename Char>
std::basic_string<Char> BlockText(HANDLE block) {
  const auto* bytes = static_cast<const Char*>(GlobalLock(block));
  if (!bytes) return {};
  std::basic_string<Char> text(bytes, GlobalSize(block) / sizeof(Char));
  GlobalUnlock(block);
  const size_t end = text.find(Char(0));
  if (end != std::basic_string<Char>::npos) text.resize(end);
  return text;
}

// Stores a block made from the other text form; a failed allocation stores nothing, as a
// null entry would read as data promised by the owner.
HANDLE Keep(UINT format, HANDLE block) {
  if (!block) return nullptr;
  State().data[format] = block;
  State().synthesized.insert(format);
  return block;
}

// Makes CF_TEXT from CF_UNICODETEXT or the other way when only one was put.
HANDLE Synthesize(UINT format) {
  auto& data = State().data;
  if (format == CF_TEXT || format == CF_OEMTEXT) {
    auto it = data.find(CF_UNICODETEXT);
    if (it == data.end() || !it->second) return nullptr;
    const std::string text = ToNarrow(BlockText<char16_t>(it->second));
    return Keep(format, MakeBlock(text.c_str(), text.size() + 1));
  }
  if (format == CF_UNICODETEXT) {
    auto it = data.find(CF_TEXT);
    if (it == data.end() || !it->second) return nullptr;
    const std::u16string text = ToWide(BlockText<char>(it->second).c_str());
    return Keep(format, MakeBlock(text.c_str(), (text.size() + 1) * sizeof(char16_t)));
  }
  return nullptr;
}

bool Available(UINT format) {
  const auto& data = State().data;
  if (data.count(format)) return true;
  if (format == CF_TEXT || format == CF_OEMTEXT) return data.count(CF_UNICODETEXT) > 0;
  if (format == CF_UNICODETEXT) return data.count(CF_TEXT) > 0;
  return false;
}

}  // namespace

}  // namespace platform::detail

using namespace platform::detail;

BOOL OpenClipboard(HWND owner) {
  if (owner && !IsWindow(owner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  std::lock_guard lock(g_mutex);
  Clipboard& c = State();
  if (c.open) {
    // Opening again from the same thread and window succeeds, as it does on Windows.
    if (c.openThread == std::this_thread::get_id() && c.openWindow == owner) return TRUE;
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  c.open = true;
  c.openThread = std::this_thread::get_id();
  c.openWindow = owner;
  c.changedWhileOpen = false;
  return TRUE;
}

BOOL CloseClipboard() {
  bool changed;
  {
    std::lock_guard lock(g_mutex);
    if (!OpenedHere()) return FALSE;
    State().open = false;
    State().openWindow = nullptr;
    changed = State().changedWhileOpen;
  }
  if (changed) {
    // Windows that watch the clipboard hear of the change.
    std::vector<HWND> windows;
    EnumWindows([](HWND h, LPARAM list) {
      reinterpret_cast<std::vector<HWND>*>(list)->push_back(h);
      return TRUE;
    }, reinterpret_cast<LPARAM>(&windows));
    for (HWND h : windows) PostMessageW(h, WM_CLIPBOARDUPDATE, 0, 0);
  }
  return TRUE;
}

BOOL EmptyClipboard() {
  HWND previousOwner;
  HWND newOwner;
  {
    std::lock_guard lock(g_mutex);
    if (!OpenedHere()) return FALSE;
    previousOwner = State().owner;
    newOwner = State().openWindow;
  }
  if (previousOwner && previousOwner != newOwner && IsWindow(previousOwner))
    SendMessageW(previousOwner, WM_DESTROYCLIPBOARD, 0, 0);
  std::lock_guard lock(g_mutex);
  FreeAll();
  State().owner = newOwner;
  State().changedWhileOpen = true;
  return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
  std::lock_guard lock(g_mutex);
  if (!OpenedHere()) return nullptr;
  if (format == 0 || (data && !IsMemoryBlock(data))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto& slot = State().data[format];
  if (slot && slot != data) GlobalFree(slot);
  slot = data;
  State().synthesized.erase(format);
  // A text put in one form replaces the forms made here from older text; a form the program
  // put itself stays.
  const bool text = format == CF_TEXT || format == CF_OEMTEXT || format == CF_UNICODETEXT;
  for (UINT other : {CF_TEXT, CF_OEMTEXT, CF_UNICODETEXT}) {
    if (!text || other == format || !State().synthesized.count(other)) continue;
    auto it = State().data.find(other);
    if (it != State().data.end() && it->second) GlobalFree(it->second);
    State().data.erase(other);
    State().synthesized.erase(other);
  }
  State().changedWhileOpen = true;
  return data;
}

HANDLE GetClipboardData(UINT format) {
  HWND owner = nullptr;
  {
    std::lock_guard lock(g_mutex);
    if (!OpenedHere()) return nullptr;
    auto it = State().data.find(format);
    if (it != State().data.end() && it->second) return it->second;
    if (it != State().data.end()) owner = State().owner;  // promised: ask the owner below
    else if (HANDLE made = Synthesize(format)) return made;
  }
  if (owner && IsWindow(owner)) {
    SendMessageW(owner, WM_RENDERFORMAT, format, 0);
    std::lock_guard lock(g_mutex);
    auto it = State().data.find(format);
    if (it != State().data.end() && it->second) return it->second;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  std::lock_guard lock(g_mutex);
  return Available(format) ? TRUE : FALSE;
}

int CountClipboardFormats() {
  std::lock_guard lock(g_mutex);
  return static_cast<int>(State().data.size());
}

UINT EnumClipboardFormats(UINT format) {
  std::lock_guard lock(g_mutex);
  if (!OpenedHere()) return 0;
  SetLastError(0);
  auto it = format == 0 ? State().data.begin() : State().data.upper_bound(format);
  return it == State().data.end() ? 0 : it->first;
}

// Formats and registered window messages share one table of names, as on Windows.
UINT RegisterClipboardFormatW(LPCWSTR name) { return RegisterWindowMessageW(name); }
UINT RegisterClipboardFormatA(LPCSTR name) { return RegisterWindowMessageA(name); }

HWND GetClipboardOwner() {
  std::lock_guard lock(g_mutex);
  return IsWindow(State().owner) ? State().owner : nullptr;
}

HWND GetOpenClipboardWindow() {
  std::lock_guard lock(g_mutex);
  return State().open ? State().openWindow : nullptr;
}
