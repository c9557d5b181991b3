#pragma once

// Painting functions beyond the update rectangle basics of WinUser.h: update regions,
// scrolling a window's pixels, window regions and layered windows. Included by WinUser.h.

#include "platform/gdi/GdiTypes.h"
#include "platform/user/UserTypes.h"

BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase);
BOOL ValidateRgn(HWND hwnd, HRGN region);
// Copies the update region (client coordinates) into `region`; returns its complexity
// (NULLREGION, SIMPLEREGION, COMPLEXREGION) or ERROR (0).
int GetUpdateRgn(HWND hwnd, HRGN region, BOOL erase);

constexpr UINT SW_SCROLLCHILDREN = 0x0001;
constexpr UINT SW_INVALIDATE = 0x0002;
constexpr UINT SW_ERASE = 0x0004;
constexpr UINT SW_SMOOTHSCROLL = 0x0010;

// Moves the client area's pixels (or those of `scroll`, client coordinates) by dx, dy,
// clipped to `clip`. The uncovered area is returned in `update`/`updateRect` and, with
// SW_INVALIDATE, invalidated. Returns the complexity of the uncovered area, or ERROR.
int ScrollWindowEx(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update, RECT* updateRect,
                   UINT flags);
BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip);

// The window region: the window manager owns `region` after a successful call (do not use
// or delete it); null removes the shape. It clips painting and hit testing.
int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw);
// Copies the window region (window coordinates) into `region`; ERROR when there is none.
int GetWindowRgn(HWND hwnd, HRGN region);

constexpr DWORD LWA_COLORKEY = 0x00000001;
constexpr DWORD LWA_ALPHA = 0x00000002;

// For WS_EX_LAYERED windows: constant alpha and colour key applied when the display shows
// the window.
BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF colorKey, BYTE alpha, DWORD flags);
BOOL GetLayeredWindowAttributes(HWND hwnd, COLORREF* colorKey, BYTE* alpha, DWORD* flags);
