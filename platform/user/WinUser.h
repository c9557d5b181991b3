#pragma once

// The window manager's functions, under the names the program uses. "A" functions take
// UTF-8 text, "W" functions UTF-16. Functions that take a window fail with
// ERROR_INVALID_WINDOW_HANDLE for a stale or unknown handle.

#include "platform/kernel/Atoms.h"  // MAKEINTATOMW, one definition for both layers
#include "platform/user/UserTypes.h"

// The rest of the window manager: drawing helpers, menus, message boxes, icons, carets,
// clipboard, dropped files, monitors, system settings, resources.
#include "platform/user/Caret.h"
#include "platform/user/Clipboard.h"
#include "platform/user/DrawControls.h"
#include "platform/user/DropFiles.h"
#include "platform/user/Hooks.h"
#include "platform/user/Icons.h"
#include "platform/user/Menus.h"
#include "platform/user/MessageBox.h"
#include "platform/user/Monitors.h"
#include "platform/user/Resources.h"
#include "platform/user/SystemParams.h"
#include "platform/user/Subclass.h"

// ---- classes ---------------------------------------------------------------------------

ATOM RegisterClassW(const WNDCLASSW* wc);
ATOM RegisterClassA(const WNDCLASSA* wc);
ATOM RegisterClassExW(const WNDCLASSEXW* wc);
ATOM RegisterClassExA(const WNDCLASSEXA* wc);
BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance);
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);
BOOL GetClassInfoW(HINSTANCE instance, LPCWSTR className, WNDCLASSW* out);
BOOL GetClassInfoA(HINSTANCE instance, LPCSTR className, WNDCLASSA* out);
int GetClassNameW(HWND hwnd, LPWSTR buffer, int capacity);
int GetClassNameA(HWND hwnd, LPSTR buffer, int capacity);
ULONG_PTR GetClassLongPtrW(HWND hwnd, int index);
ULONG_PTR GetClassLongPtrA(HWND hwnd, int index);
ULONG_PTR SetClassLongPtrW(HWND hwnd, int index, LONG_PTR value);
ULONG_PTR SetClassLongPtrA(HWND hwnd, int index, LONG_PTR value);
DWORD GetClassLongW(HWND hwnd, int index);
DWORD GetClassLongA(HWND hwnd, int index);
DWORD SetClassLongW(HWND hwnd, int index, LONG value);
DWORD SetClassLongA(HWND hwnd, int index, LONG value);

// ---- windows -----------------------------------------------------------------------------

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
inline HWND CreateWindowW(LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                          int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  return CreateWindowExW(0, className, windowName, style, x, y, width, height, parent, menu, instance, param);
}
inline HWND CreateWindowA(LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                          int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  return CreateWindowExA(0, className, windowName, style, x, y, width, height, parent, menu, instance, param);
}
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
BOOL IsWindowUnicode(HWND hwnd);
BOOL IsWindowVisible(HWND hwnd);
BOOL IsWindowEnabled(HWND hwnd);
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsIconic(HWND hwnd);
BOOL IsZoomed(HWND hwnd);
BOOL IsChild(HWND parent, HWND hwnd);
HWND GetDesktopWindow();
HWND GetParent(HWND hwnd);
HWND SetParent(HWND hwnd, HWND newParent);
HWND GetAncestor(HWND hwnd, UINT flags);
HWND GetWindow(HWND hwnd, UINT command);
HWND GetTopWindow(HWND hwnd);
HWND GetLastActivePopup(HWND hwnd);
DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId);
BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam);
BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam);
BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM lParam);
HWND FindWindowW(LPCWSTR className, LPCWSTR windowName);
HWND FindWindowA(LPCSTR className, LPCSTR windowName);
HWND FindWindowExW(HWND parent, HWND childAfter, LPCWSTR className, LPCWSTR windowName);
HWND FindWindowExA(HWND parent, HWND childAfter, LPCSTR className, LPCSTR windowName);

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index);
LONG_PTR GetWindowLongPtrA(HWND hwnd, int index);
LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value);
LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value);
// The 32-bit forms: extra-byte slots read and write 32 bits; the named indexes are the same
// pointer-sized values as the Ptr forms (procedures and handles need all 64 bits).
LONG_PTR GetWindowLongW(HWND hwnd, int index);
LONG_PTR GetWindowLongA(HWND hwnd, int index);
LONG_PTR SetWindowLongW(HWND hwnd, int index, LONG_PTR value);
LONG_PTR SetWindowLongA(HWND hwnd, int index, LONG_PTR value);
WORD GetWindowWord(HWND hwnd, int index);

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int capacity);
int GetWindowTextA(HWND hwnd, LPSTR buffer, int capacity);
int GetWindowTextLengthW(HWND hwnd);
int GetWindowTextLengthA(HWND hwnd);
BOOL SetWindowTextW(HWND hwnd, LPCWSTR text);
BOOL SetWindowTextA(HWND hwnd, LPCSTR text);

BOOL SetPropW(HWND hwnd, LPCWSTR name, HANDLE data);
BOOL SetPropA(HWND hwnd, LPCSTR name, HANDLE data);
HANDLE GetPropW(HWND hwnd, LPCWSTR name);
HANDLE GetPropA(HWND hwnd, LPCSTR name);
HANDLE RemovePropW(HWND hwnd, LPCWSTR name);
HANDLE RemovePropA(HWND hwnd, LPCSTR name);

// Atoms as names: MAKEINTATOM values (below 0xC000 as a pointer) name properties and classes.
inline LPCSTR MAKEINTATOMA(ATOM atom) { return reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(atom)); }
inline bool IS_INTRESOURCE(const void* p) { return (reinterpret_cast<ULONG_PTR>(p) >> 16) == 0; }

// ---- geometry ----------------------------------------------------------------------------

BOOL GetWindowRect(HWND hwnd, RECT* rect);
BOOL GetClientRect(HWND hwnd, RECT* rect);
BOOL ClientToScreen(HWND hwnd, POINT* point);
BOOL ScreenToClient(HWND hwnd, POINT* point);
int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL ShowWindow(HWND hwnd, int command);
BOOL BringWindowToTop(HWND hwnd);
BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement);
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);
BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu);
HWND WindowFromPoint(POINT point);
HWND ChildWindowFromPoint(HWND parent, POINT point);
HWND ChildWindowFromPointEx(HWND parent, POINT point, UINT flags);
HWND RealChildWindowFromPoint(HWND parent, POINT point);
BOOL AnimateWindow(HWND hwnd, DWORD timeMs, DWORD flags);
int GetSystemMetrics(int index);

constexpr DWORD AW_HOR_POSITIVE = 0x00000001;
constexpr DWORD AW_HOR_NEGATIVE = 0x00000002;
constexpr DWORD AW_VER_POSITIVE = 0x00000004;
constexpr DWORD AW_VER_NEGATIVE = 0x00000008;
constexpr DWORD AW_CENTER = 0x00000010;
constexpr DWORD AW_HIDE = 0x00010000;
constexpr DWORD AW_ACTIVATE = 0x00020000;
constexpr DWORD AW_SLIDE = 0x00040000;
constexpr DWORD AW_BLEND = 0x00080000;

// ---- procedures and messages --------------------------------------------------------------

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageTimeoutW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeoutMs,
                            DWORD_PTR* result);
LRESULT SendMessageTimeoutA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeoutMs,
                            DWORD_PTR* result);
BOOL SendNotifyMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL SendNotifyMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Sends without waiting; `callback` gets the answer on the calling thread (at once for a
// window of this thread, else while this thread next retrieves messages).
BOOL SendMessageCallbackW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, SENDASYNCPROC callback, ULONG_PTR data);
BOOL SendMessageCallbackA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, SENDASYNCPROC callback, ULONG_PTR data);
BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessageA(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
BOOL ReplyMessage(LRESULT result);
BOOL InSendMessage();
DWORD InSendMessageEx(LPVOID reserved);

BOOL GetMessageW(MSG* msg, HWND hwnd, UINT first, UINT last);
BOOL GetMessageA(MSG* msg, HWND hwnd, UINT first, UINT last);
BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT first, UINT last, UINT removeFlags);
BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT first, UINT last, UINT removeFlags);
BOOL WaitMessage();
DWORD GetQueueStatus(UINT flags);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageW(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
DWORD GetMessagePos();
LONG GetMessageTime();
LPARAM GetMessageExtraInfo();
UINT RegisterWindowMessageW(LPCWSTR name);
UINT RegisterWindowMessageA(LPCSTR name);
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD timeoutMs, DWORD wakeMask);
DWORD MsgWaitForMultipleObjectsEx(DWORD count, const HANDLE* handles, DWORD timeoutMs, DWORD wakeMask,
                                  DWORD flags);

inline LONG GET_X_LPARAM(LPARAM lp) { return static_cast<SHORT>(LOWORD(lp)); }
inline LONG GET_Y_LPARAM(LPARAM lp) { return static_cast<SHORT>(HIWORD(lp)); }
inline LPARAM MAKELPARAM(int low, int high) { return static_cast<LPARAM>(MAKELONG(static_cast<WORD>(low), static_cast<WORD>(high))); }
inline WPARAM MAKEWPARAM(int low, int high) { return static_cast<WPARAM>(MAKELONG(static_cast<WORD>(low), static_cast<WORD>(high))); }
inline short GET_WHEEL_DELTA_WPARAM(WPARAM wp) { return static_cast<short>(HIWORD(wp)); }

// ---- timers --------------------------------------------------------------------------------

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);
constexpr UINT USER_TIMER_MINIMUM = 0x0000000A;
constexpr UINT USER_TIMER_MAXIMUM = 0x7FFFFFFF;

// ---- focus, activation, capture, mouse and keyboard ---------------------------------------

HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
BOOL SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();
BOOL TrackMouseEvent(TRACKMOUSEEVENT* track);
BOOL GetCursorPos(POINT* point);
BOOL SetCursorPos(int x, int y);
SHORT GetKeyState(int virtualKey);
SHORT GetAsyncKeyState(int virtualKey);
BOOL GetKeyboardState(BYTE* keys);
UINT GetDoubleClickTime();
BOOL SetDoubleClickTime(UINT ms);
BOOL DragDetect(HWND hwnd, POINT point);
UINT MapVirtualKeyW(UINT code, UINT mapType);
UINT MapVirtualKeyA(UINT code, UINT mapType);
BOOL FlashWindow(HWND hwnd, BOOL invert);

// ---- cursors ----------------------------------------------------------------------------------

inline LPCWSTR MAKEINTRESOURCEW(int id) { return reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(id))); }
inline LPCSTR MAKEINTRESOURCEA(int id) { return reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(id))); }
inline LPCWSTR const IDC_ARROW = MAKEINTRESOURCEW(32512);
inline LPCWSTR const IDC_IBEAM = MAKEINTRESOURCEW(32513);
inline LPCWSTR const IDC_WAIT = MAKEINTRESOURCEW(32514);
inline LPCWSTR const IDC_CROSS = MAKEINTRESOURCEW(32515);
inline LPCWSTR const IDC_UPARROW = MAKEINTRESOURCEW(32516);
inline LPCWSTR const IDC_SIZENWSE = MAKEINTRESOURCEW(32642);
inline LPCWSTR const IDC_SIZENESW = MAKEINTRESOURCEW(32643);
inline LPCWSTR const IDC_SIZEWE = MAKEINTRESOURCEW(32644);
inline LPCWSTR const IDC_SIZENS = MAKEINTRESOURCEW(32645);
inline LPCWSTR const IDC_SIZEALL = MAKEINTRESOURCEW(32646);
inline LPCWSTR const IDC_NO = MAKEINTRESOURCEW(32648);
inline LPCWSTR const IDC_HAND = MAKEINTRESOURCEW(32649);
inline LPCWSTR const IDC_APPSTARTING = MAKEINTRESOURCEW(32650);
inline LPCWSTR const IDC_HELP = MAKEINTRESOURCEW(32651);
// The drag-and-drop feedback cursors: the arrow with a badge of a plus (copy), a box (move)
// or a curved arrow (link). The layer's own ids, beside the standard set.
inline LPCWSTR const IDC_DRAGCOPY = MAKEINTRESOURCEW(32660);
inline LPCWSTR const IDC_DRAGMOVE = MAKEINTRESOURCEW(32661);
inline LPCWSTR const IDC_DRAGLINK = MAKEINTRESOURCEW(32662);

// Standard cursors (instance null, an IDC_* id); other names are the program's resources.
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
int ShowCursor(BOOL show);
BOOL DestroyCursor(HCURSOR cursor);

// ---- painting state --------------------------------------------------------------------------

HDC GetDC(HWND hwnd);
HDC GetWindowDC(HWND hwnd);
HDC GetDCEx(HWND hwnd, HRGN clip, DWORD flags);
int ReleaseDC(HWND hwnd, HDC dc);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint);
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase);
BOOL UpdateWindow(HWND hwnd);
BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags);

constexpr DWORD DCX_WINDOW = 0x00000001;
constexpr DWORD DCX_CACHE = 0x00000002;
constexpr DWORD DCX_NORESETATTRS = 0x00000004;
constexpr DWORD DCX_CLIPCHILDREN = 0x00000008;
constexpr DWORD DCX_CLIPSIBLINGS = 0x00000010;
constexpr DWORD DCX_PARENTCLIP = 0x00000020;
constexpr DWORD DCX_EXCLUDERGN = 0x00000040;
constexpr DWORD DCX_INTERSECTRGN = 0x00000080;
constexpr DWORD DCX_EXCLUDEUPDATE = 0x00000100;
constexpr DWORD DCX_INTERSECTUPDATE = 0x00000200;
constexpr DWORD DCX_LOCKWINDOWUPDATE = 0x00000400;
constexpr DWORD DCX_VALIDATE = 0x00200000;

constexpr UINT RDW_INVALIDATE = 0x0001;
constexpr UINT RDW_INTERNALPAINT = 0x0002;
constexpr UINT RDW_ERASE = 0x0004;
constexpr UINT RDW_VALIDATE = 0x0008;
constexpr UINT RDW_NOINTERNALPAINT = 0x0010;
constexpr UINT RDW_NOERASE = 0x0020;
constexpr UINT RDW_NOCHILDREN = 0x0040;
constexpr UINT RDW_ALLCHILDREN = 0x0080;
constexpr UINT RDW_UPDATENOW = 0x0100;
constexpr UINT RDW_ERASENOW = 0x0200;
constexpr UINT RDW_FRAME = 0x0400;
constexpr UINT RDW_NOFRAME = 0x0800;

// ---- rectangles ------------------------------------------------------------------------------

BOOL SetRect(RECT* rect, int left, int top, int right, int bottom);
BOOL SetRectEmpty(RECT* rect);
BOOL CopyRect(RECT* dest, const RECT* source);
BOOL InflateRect(RECT* rect, int dx, int dy);
BOOL OffsetRect(RECT* rect, int dx, int dy);
BOOL IsRectEmpty(const RECT* rect);
BOOL EqualRect(const RECT* a, const RECT* b);
BOOL PtInRect(const RECT* rect, POINT point);
BOOL IntersectRect(RECT* dest, const RECT* a, const RECT* b);
BOOL UnionRect(RECT* dest, const RECT* a, const RECT* b);
BOOL SubtractRect(RECT* dest, const RECT* a, const RECT* b);

// ---- for the program: posting from engines ------------------------------------------------

namespace platform {
// A poster with the engines' signature (engines::WindowPoster) over PostMessageW: false for
// a stale window or a queue that has gone.
bool PostMessageForEngines(uintptr_t window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Layers that keep state per window (the subclass chain, drop targets) hear of each window of
// this process once it has handled WM_NCDESTROY, on the window's thread, while its handle is
// still valid. Hooks are added for the life of the process.
using WindowDestroyedHook = void (*)(HWND hwnd);
void AddWindowDestroyedHook(WindowDestroyedHook hook);
}  // namespace platform

#include "platform/user/PaintApi.h"
