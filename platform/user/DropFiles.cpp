// Dropped files and their drop handles.

#include "platform/user/DropFiles.h"

#include <cstring>
#include <memory>

#include "platform/kernel/HandleTable.h"
#include "platform/kernel/WinError.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {
namespace {

struct Drop {
  std::vector<std::u16string> files;
  POINT point{};
  bool inClient = true;
};

HandleTable<Drop>& Drops() {
  static auto* table = new HandleTable<Drop>(handle_tags::kDrop);
  return *table;
}

}  // namespace

bool DropFiles(POINT screen, const std::vector<std::string>& paths) {
  if (paths.empty()) return false;
  HWND target = WindowFromPoint(screen);
  while (target) {
    WindowPtr w = FindWindowPtrQuiet(target);
    if (!w) return false;
    bool accepts;
    {
      UserGuard guard(UserLock());
      accepts = w->acceptFiles;
    }
    if (accepts) break;
    target = (GetWindowLongPtrW(target, GWL_STYLE) & WS_CHILD) ? GetParent(target) : nullptr;
  }
  if (!target || !IsWindowEnabled(target)) return false;
  auto drop = std::make_shared<Drop>();
  for (const std::string& path : paths) drop->files.push_back(ToWide(path.c_str()));
  POINT client = screen;
  ScreenToClient(target, &client);
  RECT clientRect;
  GetClientRect(target, &clientRect);
  drop->point = client;
  drop->inClient = PtInRect(&clientRect, client) != FALSE;
  const HDROP handle = reinterpret_cast<HDROP>(Drops().Add(drop));
  if (!PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(handle), 0)) {
    Drops().Remove(reinterpret_cast<uintptr_t>(handle));
    return false;
  }
  return true;
}

}  // namespace platform::detail

using namespace platform::detail;

void DragAcceptFiles(HWND hwnd, BOOL accept) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return;
  {
    UserGuard guard(UserLock());
    w->acceptFiles = accept != FALSE;
  }
  const LONG_PTR ex = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
  SetWindowLongPtrW(hwnd, GWL_EXSTYLE, accept ? (ex | WS_EX_ACCEPTFILES) : (ex & ~static_cast<LONG_PTR>(WS_EX_ACCEPTFILES)));
}

UINT DragQueryFileW(HDROP handle, UINT index, LPWSTR buffer, UINT capacity) {
  auto drop = Drops().Get(reinterpret_cast<uintptr_t>(handle));
  if (!drop) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (index == 0xFFFFFFFF) return static_cast<UINT>(drop->files.size());
  if (index >= drop->files.size()) return 0;
  const std::u16string& name = drop->files[index];
  if (!buffer) return static_cast<UINT>(name.size());
  if (capacity == 0) return 0;
  size_t count = std::min<size_t>(name.size(), capacity - 1);
  if (count > 0 && count < name.size() && name[count] >= 0xDC00 && name[count] <= 0xDFFF) --count;
  std::memcpy(buffer, name.data(), count * sizeof(char16_t));
  buffer[count] = 0;
  return static_cast<UINT>(count);
}

UINT DragQueryFileA(HDROP handle, UINT index, LPSTR buffer, UINT capacity) {
  auto drop = Drops().Get(reinterpret_cast<uintptr_t>(handle));
  if (!drop) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (index == 0xFFFFFFFF) return static_cast<UINT>(drop->files.size());
  if (index >= drop->files.size()) return 0;
  const std::string name = ToNarrow(drop->files[index]);
  if (!buffer) return static_cast<UINT>(name.size());
  if (capacity == 0) return 0;
  size_t count = std::min<size_t>(name.size(), capacity - 1);
  while (count > 0 && count < name.size() && (static_cast<unsigned char>(name[count]) & 0xC0) == 0x80) --count;
  std::memcpy(buffer, name.data(), count);
  buffer[count] = 0;
  return static_cast<UINT>(count);
}

BOOL DragQueryPoint(HDROP handle, POINT* point) {
  auto drop = Drops().Get(reinterpret_cast<uintptr_t>(handle));
  if (!drop || !point) return FALSE;
  *point = drop->point;
  return drop->inClient ? TRUE : FALSE;
}

void DragFinish(HDROP handle) { Drops().Remove(reinterpret_cast<uintptr_t>(handle)); }
