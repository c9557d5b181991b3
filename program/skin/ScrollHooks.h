#pragma once

// Scroll-function hooks. The window manager repaints a window's standard scroll bars
// whenever SetScrollInfo, SetScrollPos or SetScrollRange is called with the redraw flag set,
// and some controls scroll from timer procedures. For windows whose bars the skinned scroll
// bars paint, that painting must not happen. InstallScrollHooks puts six replacements
// (SetScrollInfo, SetScrollPos, SetScrollRange, GetScrollInfo, DispatchMessageA and
// DispatchMessageW) into the window manager's replaceable function table; each one looks for
// the window property "FS_HOOK_WNDPROP" (a ScrollHookInfo record) and passes every other
// window straight on to the function it replaced.
//
// For a window whose record is Active:
// - the Set functions call through without the redraw flag and then run the record's repaint
//   callback when the window is visible (SetScrollInfo not while DeleteLock is set);
// - GetScrollInfo reports the record's TrackPos as nTrackPos while the owner drags its thumb;
// - a WM_TIMER with a timer procedure is dispatched with the bar areas cut out of the window
//   region (when MaskFlag is set), and the repaint callback runs after it.
//
// Install and remove on the GUI thread; the replacements run on whichever thread calls the
// functions and only read the property and the record. The record belongs to its owner,
// which removes the property before the record goes away.

#include <cstdint>

#include "platform/gdi/WinGdi.h"
#include "platform/user/WinUser.h"
#include "vcl/Types.h"

// The name of the window property that points at a window's ScrollHookInfo.
constexpr const char* kScrollHookPropName = "FS_HOOK_WNDPROP";

// What the hooks ask of the record's owner.
class TScrollHookOwner {
 public:
  // True while the owner runs its own thumb drag (TrackPos is then the position).
  virtual bool ThumbDragging() const = 0;

 protected:
  ~TScrollHookOwner() = default;
};

// Repaints the owner's bars at once.
using TScrollHookRepaint = void (*)(TScrollHookOwner* owner);

struct ScrollHookInfo {
  TScrollHookOwner* Owner = nullptr;
  TScrollHookRepaint Repaint = nullptr;
  int32_t Active = 0;     // -1 while the owner skins the bars, else 0
  int32_t MaskFlag = -1;  // -1: timer procedures run with the bars masked
  int32_t DeleteLock = 0; // -1 while a list view deletes all its items
  int32_t TrackPos = 0;   // the position during the owner's own thumb drag
};

// Puts the replacements into the function table once; true once installed.
bool InstallScrollHooks();
// Puts back the entries the replacements took; nothing when not installed.
void RemoveScrollHooks();
bool ScrollHooksInstalled();

// The record of a window, or null (stale handles included).
ScrollHookInfo* GetScrollHookInfo(HWND wnd);

// The window-relative rectangles of a window's standard scroll bars: the horizontal bar
// below the client area, the vertical bar right of it (left with WS_EX_LEFTSCROLLBAR) and,
// with both, the size box between them. The rectangles of absent bars (and of the size box
// without both bars) are empty.
void CalcScrollBarRects(HWND wnd, TRect& horzRect, TRect& vertRect, TRect& sizeBox);
// A region (window coordinates) of the window without its bars and size box: its current
// window region, or its whole rectangle when it has none. The caller owns it; null when
// the window is gone.
HRGN MaskScrollBarsRegion(HWND wnd);
