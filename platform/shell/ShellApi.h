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

// ---- opening documents and addresses -----------------------------------------------------

// Failure codes of ShellExecute (values of 32 or less; above 32 means success).
constexpr UINT_PTR SE_ERR_FNF = 2;
constexpr UINT_PTR SE_ERR_PNF = 3;
constexpr UINT_PTR SE_ERR_ACCESSDENIED = 5;
constexpr UINT_PTR SE_ERR_OOM = 8;
constexpr UINT_PTR SE_ERR_SHARE = 26;
constexpr UINT_PTR SE_ERR_ASSOCINCOMPLETE = 27;
constexpr UINT_PTR SE_ERR_DDETIMEOUT = 28;
constexpr UINT_PTR SE_ERR_DDEFAIL = 29;
constexpr UINT_PTR SE_ERR_DDEBUSY = 30;
constexpr UINT_PTR SE_ERR_NOASSOC = 31;
constexpr UINT_PTR SE_ERR_DLLNOTFOUND = 32;

// Hands a document or an address to the desktop's handler for it (`xdg-open`, found on PATH
// and started with an argument vector, never through a shell). `operation` must be null,
// empty or "open" (letter case ignored). `file` is an address when it starts with a scheme
// ("https:", "mailto:" ...), passed on as written; otherwise a path of the program, taken
// relative to `directory` (or the current folder) when not absolute, which must exist.
// The handler is not waited for; it is reaped when it ends. `window`, `parameters` and
// `showCommand` change nothing here: documents take no parameters.
//
// Returns a value above 32 on success. Otherwise (also set as the last error, with the
// error code of the same number): ERROR_FILE_NOT_FOUND (2) for an empty or missing file,
// ERROR_PATH_NOT_FOUND (3) when its folder is missing, SE_ERR_NOASSOC (31) for another verb
// or when the desktop has no handler program, SE_ERR_OOM (8) when the handler could not be
// started. Any thread. "A" takes UTF-8, "W" UTF-16.
HINSTANCE ShellExecuteA(HWND window, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                        int showCommand);
HINSTANCE ShellExecuteW(HWND window, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        int showCommand);
