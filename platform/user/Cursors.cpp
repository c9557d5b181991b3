// Cursors: the standard set by IDC_* id, the current cursor and its show count. The display
// shows the current cursor; which one it is is what tests observe.

#include <map>

#include "platform/kernel/WinError.h"
#include "platform/user/InputState.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {
namespace {

struct Cursor {
  int standardId = 0;
};

HandleTable<Cursor>& CursorTable() {
  static auto* table = new HandleTable<Cursor>(handle_tags::kUserObject);
  return *table;
}

std::mutex g_cursorMutex;
std::map<int, HCURSOR>& Standard() {
  static auto* cursors = new std::map<int, HCURSOR>;
  return *cursors;
}

bool IsStandardId(int id) {
  return (id >= 32512 && id <= 32516) || (id >= 32640 && id <= 32651) || (id >= 32660 && id <= 32662);
}

}  // namespace

LPCWSTR DefaultCursorForHit(LRESULT hit) {
  switch (hit) {
    case HTLEFT: case HTRIGHT: return IDC_SIZEWE;
    case HTTOP: case HTBOTTOM: return IDC_SIZENS;
    case HTTOPLEFT: case HTBOTTOMRIGHT: return IDC_SIZENWSE;
    case HTTOPRIGHT: case HTBOTTOMLEFT: return IDC_SIZENESW;
    default: return IDC_ARROW;
  }
}

int StandardCursorId(HCURSOR cursor) {
  auto c = CursorTable().Get(reinterpret_cast<uintptr_t>(cursor));
  return c ? c->standardId : 0;
}

}  // namespace platform::detail

using namespace platform::detail;

HCURSOR LoadCursorW(HINSTANCE, LPCWSTR name) {
  const int id = IS_INTRESOURCE(name) ? static_cast<int>(reinterpret_cast<ULONG_PTR>(name)) : 0;
  if (!IsStandardId(id)) return LoadResourceCursor(name);  // the program's own cursors
  std::lock_guard lock(g_cursorMutex);
  HCURSOR& slot = Standard()[id];
  if (!slot) slot = reinterpret_cast<HCURSOR>(CursorTable().Add(std::make_shared<Cursor>(Cursor{id})));
  return slot;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  if (IS_INTRESOURCE(name)) return LoadCursorW(instance, reinterpret_cast<LPCWSTR>(name));
  const std::u16string wide = ToWide(name);
  return LoadCursorW(instance, wide.c_str());
}

HCURSOR SetCursor(HCURSOR cursor) {
  UserGuard guard(UserLock());
  HCURSOR old = Input().currentCursor;
  Input().currentCursor = cursor;
  return old;
}

HCURSOR GetCursor() {
  UserGuard guard(UserLock());
  return Input().currentCursor;
}

int ShowCursor(BOOL show) {
  UserGuard guard(UserLock());
  return show ? ++Input().cursorShowCount : --Input().cursorShowCount;
}

BOOL DestroyCursor(HCURSOR cursor) {
  if (IsPictureIcon(cursor)) return DestroyIcon(cursor);
  // Standard cursors are shared and stay.
  return CursorTable().Contains(reinterpret_cast<uintptr_t>(cursor)) ? TRUE : FALSE;
}
