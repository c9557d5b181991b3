#pragma once

// Application bars: where the desktop's task bar lies. Any thread may call this.

#include "platform/gdi/GdiTypes.h"
#include "platform/user/UserTypes.h"

struct APPBARDATA {
  DWORD cbSize;
  HWND hWnd;
  UINT uCallbackMessage;
  UINT uEdge;
  RECT rc;
  LPARAM lParam;
};

constexpr DWORD ABM_NEW = 0x00000000;
constexpr DWORD ABM_REMOVE = 0x00000001;
constexpr DWORD ABM_QUERYPOS = 0x00000002;
constexpr DWORD ABM_SETPOS = 0x00000003;
constexpr DWORD ABM_GETSTATE = 0x00000004;
constexpr DWORD ABM_GETTASKBARPOS = 0x00000005;
constexpr DWORD ABM_ACTIVATE = 0x00000006;
constexpr DWORD ABM_GETAUTOHIDEBAR = 0x00000007;
constexpr DWORD ABM_SETAUTOHIDEBAR = 0x00000008;
constexpr DWORD ABM_WINDOWPOSCHANGED = 0x00000009;
constexpr DWORD ABM_SETSTATE = 0x0000000A;

constexpr UINT ABE_LEFT = 0;
constexpr UINT ABE_TOP = 1;
constexpr UINT ABE_RIGHT = 2;
constexpr UINT ABE_BOTTOM = 3;

// ABM_GETTASKBARPOS: the task bar of the monitor that `data->hWnd` is on (the primary
// monitor when it names no window) is the strip its work area leaves free of the monitor:
// the side with the largest gap (bottom, top, left, right in this order on a tie). Fills
// `uEdge` (ABE_*) and `rc` (the strip, screen coordinates) and returns TRUE; FALSE when the
// work area is the whole monitor (no task bar). Other messages are not offered: FALSE with
// ERROR_NOT_SUPPORTED. FALSE with ERROR_INVALID_PARAMETER for a null record or a wrong
// `cbSize`.
UINT_PTR SHAppBarMessage(DWORD message, APPBARDATA* data);
