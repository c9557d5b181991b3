#pragma once

// The replaceable function table. DispatchMessage and the window scroll-bar functions are
// reached through it, so a module can install replacements that see every call (the
// skinned scroll bars do) and call through to the originals. Install on the GUI thread
// before windows are made; keep a copy of the table you replace to call through.

#include "platform/user/UserTypes.h"

struct SCROLLINFO;

namespace platform {

struct UserFunctionTable {
  LRESULT (*DispatchMessageW)(const MSG* msg);
  LRESULT (*DispatchMessageA)(const MSG* msg);
  int (*SetScrollInfo)(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw);
  BOOL (*GetScrollInfo)(HWND hwnd, int bar, SCROLLINFO* info);
  int (*SetScrollPos)(HWND hwnd, int bar, int pos, BOOL redraw);
  int (*GetScrollPos)(HWND hwnd, int bar);
  BOOL (*SetScrollRange)(HWND hwnd, int bar, int min, int max, BOOL redraw);
  BOOL (*GetScrollRange)(HWND hwnd, int bar, int* min, int* max);
  BOOL (*ShowScrollBar)(HWND hwnd, int bar, BOOL show);
  BOOL (*EnableScrollBar)(HWND hwnd, UINT bar, UINT arrows);
};

// The table every caller goes through; entries may be replaced.
UserFunctionTable& UserFunctions();
// The window manager's own implementations, for replacements to call through.
const UserFunctionTable& OriginalUserFunctions();

}  // namespace platform
