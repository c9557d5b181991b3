// The standard window scroll bars' state. Every public scroll function goes through the
// replaceable function table; the originals here do the work.

#include <algorithm>

#include "platform/kernel/WinError.h"
#include "platform/user/FunctionTable.h"
#include "platform/user/ScrollBars.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {
namespace {

ScrollBarState* StateOf(Window* w, int bar) {
  if (bar == SB_HORZ) return &w->hscroll;
  if (bar == SB_VERT) return &w->vscroll;
  return nullptr;  // SB_CTL belongs to the scroll bar control
}

void ClampPos(ScrollBarState& s) {
  const int maxPos = s.max - std::max<int>(static_cast<int>(s.page) - 1, 0);
  s.pos = std::clamp(s.pos, s.min, std::max(s.min, maxPos));
}

void RedrawFrame(HWND hwnd) {
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
}

int RealSetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w || !info || (info->cbSize != sizeof(SCROLLINFO) && info->cbSize != sizeof(SCROLLINFO) - 4)) return 0;
  int pos;
  bool needed, wasShown, allDisabled;
  {
    UserGuard guard(UserLock());
    ScrollBarState* s = StateOf(w.get(), bar);
    if (!s) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    if (info->fMask & SIF_RANGE) s->min = info->nMin, s->max = std::max(info->nMin, info->nMax);
    if (info->fMask & SIF_PAGE) s->page = static_cast<int>(std::min<UINT>(info->nPage, static_cast<UINT>(s->max - s->min + 1)));
    if (info->fMask & SIF_POS) s->pos = info->nPos;
    ClampPos(*s);
    pos = s->pos;
    // A bar is needed while its page leaves part of its range out of view.
    needed = s->max > s->min && (s->page == 0 || s->page <= s->max - s->min);
    wasShown = (w->style & (bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL)) != 0;
    allDisabled = s->disabledArrows == ESB_DISABLE_BOTH;
  }
  if (info->fMask & (SIF_RANGE | SIF_PAGE)) {
    // A bar that is needed shows; one that is not hides, or stays shown but disabled when the
    // caller asks for that.
    const auto& table = platform::UserFunctions();
    if (needed) {
      if (allDisabled) table.EnableScrollBar(hwnd, static_cast<UINT>(bar), ESB_ENABLE_BOTH);
      if (!wasShown) table.ShowScrollBar(hwnd, bar, TRUE);
    } else if (info->fMask & SIF_DISABLENOSCROLL) {
      if (!wasShown) table.ShowScrollBar(hwnd, bar, TRUE);
      if (!allDisabled) table.EnableScrollBar(hwnd, static_cast<UINT>(bar), ESB_DISABLE_BOTH);
    } else if (wasShown) {
      table.ShowScrollBar(hwnd, bar, FALSE);
    }
  }
  if (redraw) RedrawFrame(hwnd);
  return pos;
}

BOOL RealGetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w || !info) return FALSE;
  UserGuard guard(UserLock());
  ScrollBarState* s = StateOf(w.get(), bar);
  if (!s) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (info->fMask & SIF_RANGE) info->nMin = s->min, info->nMax = s->max;
  if (info->fMask & SIF_PAGE) info->nPage = static_cast<UINT>(s->page);
  if (info->fMask & SIF_POS) info->nPos = s->pos;
  if (info->fMask & SIF_TRACKPOS) info->nTrackPos = s->tracking ? s->trackPos : s->pos;
  return TRUE;
}

int RealSetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return 0;
  int old;
  {
    UserGuard guard(UserLock());
    ScrollBarState* s = StateOf(w.get(), bar);
    if (!s) return 0;
    old = s->pos;
    s->pos = pos;
    ClampPos(*s);
  }
  if (redraw) RedrawFrame(hwnd);
  return old;
}

int RealGetScrollPos(HWND hwnd, int bar) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return 0;
  UserGuard guard(UserLock());
  ScrollBarState* s = StateOf(w.get(), bar);
  return s ? s->pos : 0;
}

BOOL RealSetScrollRange(HWND hwnd, int bar, int min, int max, BOOL redraw) {
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE, min, max, 0, 0, 0};
  if (!GetWindowPtr(hwnd)) return FALSE;
  RealSetScrollInfo(hwnd, bar, &info, redraw);
  return TRUE;
}

BOOL RealGetScrollRange(HWND hwnd, int bar, int* min, int* max) {
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE, 0, 0, 0, 0, 0};
  if (!RealGetScrollInfo(hwnd, bar, &info)) return FALSE;
  if (min) *min = info.nMin;
  if (max) *max = info.nMax;
  return TRUE;
}

BOOL RealShowScrollBar(HWND hwnd, int bar, BOOL show) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return FALSE;
  DWORD bits = bar == SB_HORZ ? WS_HSCROLL : bar == SB_VERT ? WS_VSCROLL : bar == SB_BOTH ? (WS_HSCROLL | WS_VSCROLL) : 0;
  if (!bits) return FALSE;
  bool changed;
  {
    UserGuard guard(UserLock());
    const DWORD before = w->style;
    if (show) w->style |= bits;
    else w->style &= ~bits;
    if (bits & WS_HSCROLL) w->hscroll.shown = show != FALSE;
    if (bits & WS_VSCROLL) w->vscroll.shown = show != FALSE;
    changed = before != w->style;
  }
  if (changed) SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return TRUE;
}

BOOL RealEnableScrollBar(HWND hwnd, UINT bar, UINT arrows) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return FALSE;
  {
    UserGuard guard(UserLock());
    if (bar == SB_HORZ || bar == SB_BOTH) w->hscroll.disabledArrows = arrows;
    if (bar == SB_VERT || bar == SB_BOTH) w->vscroll.disabledArrows = arrows;
  }
  RedrawFrame(hwnd);
  return TRUE;
}

}  // namespace

extern const platform::UserFunctionTable kScrollFunctions;
const platform::UserFunctionTable kScrollFunctions = {
    nullptr, nullptr, RealSetScrollInfo, RealGetScrollInfo, RealSetScrollPos, RealGetScrollPos,
    RealSetScrollRange, RealGetScrollRange, RealShowScrollBar, RealEnableScrollBar, nullptr,
};

}  // namespace platform::detail

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw) { return platform::UserFunctions().SetScrollInfo(hwnd, bar, info, redraw); }
BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info) { return platform::UserFunctions().GetScrollInfo(hwnd, bar, info); }
int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) { return platform::UserFunctions().SetScrollPos(hwnd, bar, pos, redraw); }
int GetScrollPos(HWND hwnd, int bar) { return platform::UserFunctions().GetScrollPos(hwnd, bar); }
BOOL SetScrollRange(HWND hwnd, int bar, int min, int max, BOOL redraw) { return platform::UserFunctions().SetScrollRange(hwnd, bar, min, max, redraw); }
BOOL GetScrollRange(HWND hwnd, int bar, int* min, int* max) { return platform::UserFunctions().GetScrollRange(hwnd, bar, min, max); }
BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show) { return platform::UserFunctions().ShowScrollBar(hwnd, bar, show); }
BOOL EnableScrollBar(HWND hwnd, UINT bar, UINT arrows) { return platform::UserFunctions().EnableScrollBar(hwnd, bar, arrows); }
