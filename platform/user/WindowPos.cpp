// Window geometry: SetWindowPos with its messages and z-order rules, ShowWindow, coordinate
// mapping, window-from-point, system metrics.

#include <algorithm>
#include <atomic>

#include "platform/kernel/WinError.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/Monitors.h"
#include "platform/user/NonClient.h"
#include "platform/user/ProcessRegistry.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {

Window* MessageRootRaw();

namespace {

std::atomic<int> g_screenWidth{1280};
std::atomic<int> g_screenHeight{800};

void PlaceInZOrder(Window* w, HWND insertAfter) {
  Window* parent = w->parent;
  if (!parent) return;
  auto& siblings = parent->children;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), w), siblings.end());
  const bool topLevel = parent == DesktopWindowRaw();
  if (insertAfter == HWND_TOPMOST && topLevel) w->exStyle |= WS_EX_TOPMOST;
  if ((insertAfter == HWND_NOTOPMOST || insertAfter == HWND_BOTTOM) && topLevel) w->exStyle &= ~WS_EX_TOPMOST;
  size_t firstNormal = 0;
  if (topLevel)
    while (firstNormal < siblings.size() && (siblings[firstNormal]->exStyle & WS_EX_TOPMOST)) ++firstNormal;
  size_t index;
  if (insertAfter == HWND_BOTTOM) {
    index = siblings.size();
  } else if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
    index = (w->exStyle & WS_EX_TOPMOST) || !topLevel ? 0 : firstNormal;
  } else {
    auto it = std::find_if(siblings.begin(), siblings.end(), [&](Window* s) { return s->handle == insertAfter; });
    index = it == siblings.end() ? 0 : static_cast<size_t>(it - siblings.begin()) + 1;
    // A normal window cannot go above a topmost one, nor a topmost one below a normal one.
    if (topLevel) index = (w->exStyle & WS_EX_TOPMOST) ? std::min(index, firstNormal) : std::max(index, firstNormal);
  }
  siblings.insert(siblings.begin() + static_cast<long>(std::min(index, siblings.size())), w);
}

// Owned top-level windows stay above their owner.
void RaiseOwnedAbove(Window* owner) {
  auto& siblings = DesktopWindowRaw()->children;
  std::vector<Window*> owned;
  for (Window* s : siblings)
    if (s->owner == owner) owned.push_back(s);
  for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
    auto pos = std::find(siblings.begin(), siblings.end(), owner);
    auto self = std::find(siblings.begin(), siblings.end(), *it);
    if (self > pos) {
      siblings.erase(self);
      pos = std::find(siblings.begin(), siblings.end(), owner);
      siblings.insert(pos, *it);
    }
  }
}

RECT ClientInParent(const Window* w) {
  return RECT{w->rect.left + w->client.left, w->rect.top + w->client.top, w->rect.left + w->client.right,
              w->rect.top + w->client.bottom};
}

}  // namespace

void SetScreenSizeForUser(int width, int height) {
  g_screenWidth = width;
  g_screenHeight = height;
  UserGuard guard(UserLock());
  for (Window* root : {DesktopWindowRaw(), MessageRootRaw()}) {
    root->rect = RECT{0, 0, width, height};
    root->client = RECT{0, 0, width, height};
  }
}


FrameStyle FrameStyleOf(const Window* w) {
  FrameStyle s;
  s.style = w->style;
  s.exStyle = w->exStyle;
  s.hasMenu = w->menu != nullptr && !(w->style & WS_CHILD);
  s.hscrollShown = w->hscroll.shown;
  s.vscrollShown = w->vscroll.shown;
  s.classStyle = w->cls ? w->cls->style : 0;
  return s;
}

}  // namespace platform::detail

using namespace platform::detail;

int GetSystemMetrics(int index) {
  const int width = g_screenWidth, height = g_screenHeight;
  switch (index) {
    case SM_CXSCREEN: case SM_CXFULLSCREEN: return width;
    case SM_CYSCREEN: return height;
    case SM_CYFULLSCREEN: return height - 19;
    case SM_XVIRTUALSCREEN: case SM_YVIRTUALSCREEN: case SM_CXVIRTUALSCREEN: case SM_CYVIRTUALSCREEN: {
      // The box around every monitor.
      RECT all{0, 0, width, height};
      for (const MonitorArea& m : MonitorAreas()) UnionRect(&all, &all, &m.bounds);
      if (index == SM_XVIRTUALSCREEN) return all.left;
      if (index == SM_YVIRTUALSCREEN) return all.top;
      return index == SM_CXVIRTUALSCREEN ? all.right - all.left : all.bottom - all.top;
    }
    case SM_CMONITORS: return static_cast<int>(MonitorAreas().size());
    case SM_CXVSCROLL: case SM_CYHSCROLL: case SM_CYVSCROLL: case SM_CXHSCROLL: return 17;
    case SM_CYVTHUMB: case SM_CXHTHUMB: return 17;
    case SM_CYCAPTION: return 19;
    case SM_CYSMCAPTION: return 15;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXFIXEDFRAME: case SM_CYFIXEDFRAME: return 3;
    case SM_CXSIZEFRAME: case SM_CYSIZEFRAME: return 4;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CXICON: case SM_CYICON: case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CXSMICON: case SM_CYSMICON: return 16;
    case SM_CYMENU: return 19;
    case SM_CXSIZE: case SM_CYSIZE: case SM_CXMENUSIZE: case SM_CYMENUSIZE: return 18;
    case SM_CXSMSIZE: return 12;
    case SM_CYSMSIZE: return 14;
    case SM_CXMIN: case SM_CXMINTRACK: return 112;
    case SM_CYMIN: case SM_CYMINTRACK: return 27;
    case SM_CXMAXTRACK: return width + 12;
    case SM_CYMAXTRACK: return height + 12;
    case SM_CXMAXIMIZED: return width + 8;
    case SM_CYMAXIMIZED: return height + 8;
    case SM_CXMINIMIZED: return 160;
    case SM_CYMINIMIZED: return 24;
    case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: return 4;
    case SM_CXDRAG: return DragThreshold().cx;
    case SM_CYDRAG: return DragThreshold().cy;
    case SM_CXMENUCHECK: case SM_CYMENUCHECK: return 13;
    case SM_CXFOCUSBORDER: case SM_CYFOCUSBORDER: return 1;
    case SM_MOUSEWHEELPRESENT: return 1;
    case SM_SWAPBUTTON: return 0;
    default: return 0;
  }
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (!rect) return FALSE;
  FrameStyle s;
  s.style = style & ~(WS_VSCROLL | WS_HSCROLL);
  s.exStyle = exStyle;
  s.hasMenu = menu != FALSE;
  // Lay out a large window and read the frame's thickness on each side.
  const FrameLayout l = ComputeFrameLayout(s, 10000, 10000);
  rect->left -= l.client.left;
  rect->top -= l.client.top;
  rect->right += 10000 - l.client.right;
  rect->bottom += 10000 - l.client.bottom;
  return TRUE;
}

BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu) { return AdjustWindowRectEx(rect, style, menu, 0); }

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w || !rect) return FALSE;
  UserGuard guard(UserLock());
  *rect = WindowRectOnScreen(w.get());
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w || !rect) return FALSE;
  UserGuard guard(UserLock());
  *rect = RECT{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w || !point) return FALSE;
  UserGuard guard(UserLock());
  const POINT origin = ClientOriginOnScreen(w.get());
  point->x += origin.x;
  point->y += origin.y;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w || !point) return FALSE;
  UserGuard guard(UserLock());
  const POINT origin = ClientOriginOnScreen(w.get());
  point->x -= origin.x;
  point->y -= origin.y;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
  POINT a{0, 0}, b{0, 0};
  {
    WindowPtr wf = from ? GetWindowPtr(from) : nullptr;
    WindowPtr wt = to ? GetWindowPtr(to) : nullptr;
    if ((from && !wf) || (to && !wt)) return 0;
    UserGuard guard(UserLock());
    if (wf) a = ClientOriginOnScreen(wf.get());
    if (wt) b = ClientOriginOnScreen(wt.get());
  }
  const LONG dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; points && i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
  }
  SetLastError(ERROR_SUCCESS);
  return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return FALSE;
  if (w.get() == DesktopWindowRaw()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  flags &= ~(SWP_NOCLIENTSIZE | SWP_NOCLIENTMOVE);
  WINDOWPOS wp{hwnd, insertAfter, x, y, width, height, flags};
  RECT oldRect, oldClient;
  bool wasVisible, isChild;
  {
    UserGuard guard(UserLock());
    oldRect = w->rect;
    oldClient = ClientInParent(w.get());
    wasVisible = (w->style & WS_VISIBLE) != 0;
    isChild = (w->style & WS_CHILD) != 0;
    if (wasVisible) wp.flags &= ~SWP_SHOWWINDOW;
    if (!wasVisible) wp.flags &= ~SWP_HIDEWINDOW;
    if (wp.flags & SWP_NOMOVE) wp.x = oldRect.left, wp.y = oldRect.top;
    if (wp.flags & SWP_NOSIZE) wp.cx = oldRect.right - oldRect.left, wp.cy = oldRect.bottom - oldRect.top;
    if (wp.x == oldRect.left && wp.y == oldRect.top) wp.flags |= SWP_NOMOVE;
    if (wp.cx == oldRect.right - oldRect.left && wp.cy == oldRect.bottom - oldRect.top) wp.flags |= SWP_NOSIZE;
    if (isChild) wp.flags |= SWP_NOACTIVATE;
  }
  const bool sendChanging = !(flags & SWP_NOSENDCHANGING);
  if (sendChanging) {
    SendMessageW(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
    if (!IsWindow(hwnd)) return FALSE;
    wp.cx = std::max(wp.cx, 0);
    wp.cy = std::max(wp.cy, 0);
  }
  RECT newRect{wp.x, wp.y, wp.x + std::max(wp.cx, 0), wp.y + std::max(wp.cy, 0)};
  if (wp.flags & SWP_NOMOVE) OffsetRect(&newRect, oldRect.left - newRect.left, oldRect.top - newRect.top);
  if (wp.flags & SWP_NOSIZE) newRect.right = newRect.left + (oldRect.right - oldRect.left), newRect.bottom = newRect.top + (oldRect.bottom - oldRect.top);
  const bool sizeChanged = (newRect.right - newRect.left) != (oldRect.right - oldRect.left) ||
                           (newRect.bottom - newRect.top) != (oldRect.bottom - oldRect.top);

  RECT newClientInParent;
  if (sizeChanged || (wp.flags & SWP_FRAMECHANGED)) {
    NCCALCSIZE_PARAMS params{};
    params.rgrc[0] = newRect;
    params.rgrc[1] = oldRect;
    params.rgrc[2] = oldClient;
    params.lppos = &wp;
    SendMessageW(hwnd, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
    if (!IsWindow(hwnd)) return FALSE;
    newClientInParent = params.rgrc[0];
    newClientInParent.right = std::max(newClientInParent.right, newClientInParent.left);
    newClientInParent.bottom = std::max(newClientInParent.bottom, newClientInParent.top);
  } else {
    newClientInParent = oldClient;
    OffsetRect(&newClientInParent, newRect.left - oldRect.left, newRect.top - oldRect.top);
  }

  {
    UserGuard guard(UserLock());
    if (!(wp.flags & SWP_NOREDRAW) && wasVisible) InvalidateExposedByMove(w.get());
    w->rect = newRect;
    w->client = RECT{newClientInParent.left - newRect.left, newClientInParent.top - newRect.top,
                     newClientInParent.right - newRect.left, newClientInParent.bottom - newRect.top};
    if (!(wp.flags & SWP_NOZORDER)) {
      PlaceInZOrder(w.get(), wp.hwndInsertAfter);
      if (!isChild && !(wp.flags & SWP_NOOWNERZORDER)) RaiseOwnedAbove(w.get());
    }
    if (wp.flags & SWP_SHOWWINDOW) w->style |= WS_VISIBLE;
    if (wp.flags & SWP_HIDEWINDOW) w->style &= ~WS_VISIBLE;
    if (wp.flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) UpdateTaskbarPresence(w.get());
    const bool nowVisible = (w->style & WS_VISIBLE) != 0;
    if (!(wp.flags & SWP_NOREDRAW) && nowVisible) {
      const bool moved = sizeChanged || !(wp.flags & SWP_NOMOVE) || (wp.flags & (SWP_SHOWWINDOW | SWP_FRAMECHANGED)) ||
                         !(wp.flags & SWP_NOZORDER);
      if (moved) {
        if ((wp.flags & (SWP_SHOWWINDOW | SWP_FRAMECHANGED)) || sizeChanged) {
          InvalidateInternal(w.get(), nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        } else {
          InvalidateExposedByMove(w.get());
        }
      }
    }
  }

  if (wp.flags & SWP_HIDEWINDOW) OnWindowHiddenOrDestroyed(hwnd);
  if (!(wp.flags & SWP_NOACTIVATE) && !isChild && IsWindowVisible(hwnd) && GetActiveWindow() != hwnd) {
    WindowPtr again = FindWindowPtrQuiet(hwnd);
    if (again && !(again->exStyle & WS_EX_NOACTIVATE)) ActivateWindowInternal(hwnd, WA_ACTIVE);
  }
  if (!IsWindow(hwnd)) return FALSE;

  if (newClientInParent.right - newClientInParent.left == oldClient.right - oldClient.left &&
      newClientInParent.bottom - newClientInParent.top == oldClient.bottom - oldClient.top)
    wp.flags |= SWP_NOCLIENTSIZE;
  if (newClientInParent.left == oldClient.left && newClientInParent.top == oldClient.top) wp.flags |= SWP_NOCLIENTMOVE;
  wp.x = newRect.left;
  wp.y = newRect.top;
  wp.cx = newRect.right - newRect.left;
  wp.cy = newRect.bottom - newRect.top;
  SendMessageW(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
  return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND hwnd) { return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

namespace {

// The rectangle a window maximises to on the monitor that holds `place` (its restored
// rectangle). As WM_GETMINMAXINFO has it, the maximised position is relative to that
// monitor's top-left, and by default the window fills the monitor's work area with its
// frame just outside it.
RECT MaximizedRect(HWND hwnd, DWORD style, const RECT& place) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromRect(&place, MONITOR_DEFAULTTONEAREST), &monitor)) {
    monitor.rcMonitor = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    monitor.rcWork = PrimaryWorkArea();
  }
  const RECT& work = monitor.rcWork;
  MINMAXINFO info{};
  int frame = 0;
  if (style & WS_THICKFRAME) frame = GetSystemMetrics(SM_CXSIZEFRAME);
  else if (style & WS_DLGFRAME) frame = GetSystemMetrics(SM_CXFIXEDFRAME);
  else if (style & WS_BORDER) frame = GetSystemMetrics(SM_CXBORDER);
  info.ptMaxSize = POINT{work.right - work.left + 2 * frame, work.bottom - work.top + 2 * frame};
  info.ptMaxPosition = POINT{work.left - monitor.rcMonitor.left - frame, work.top - monitor.rcMonitor.top - frame};
  info.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  info.ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
  SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  const POINT at{monitor.rcMonitor.left + info.ptMaxPosition.x, monitor.rcMonitor.top + info.ptMaxPosition.y};
  return RECT{at.x, at.y, at.x + info.ptMaxSize.x, at.y + info.ptMaxSize.y};
}

}  // namespace

BOOL ShowWindow(HWND hwnd, int command) {
  if (IsRemoteWindow(hwnd)) return RemoteShowWindow(hwnd, command);
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return FALSE;
  DWORD style;
  RECT rect;
  bool isChild;
  {
    UserGuard guard(UserLock());
    style = w->style;
    rect = w->rect;
    isChild = (style & WS_CHILD) != 0;
  }
  const bool wasVisible = (style & WS_VISIBLE) != 0;
  UINT swp = SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE;
  bool show = true;
  bool activate = !isChild;
  DWORD newState = style & (WS_MINIMIZE | WS_MAXIMIZE);
  RECT target = rect;
  auto saveNormal = [&] {
    if (!(style & (WS_MINIMIZE | WS_MAXIMIZE))) {
      UserGuard guard(UserLock());
      w->normalRect = w->rect;
    }
  };
  switch (command) {
    case SW_HIDE:
      if (!wasVisible) return FALSE;
      show = false;
      activate = false;
      break;
    case SW_SHOW: break;
    case SW_SHOWNA: activate = false; break;
    case SW_SHOWNOACTIVATE:
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
      if (command == SW_SHOWNOACTIVATE) activate = false;
      if (style & WS_MINIMIZE) {
        {
          UserGuard guard(UserLock());
          newState = w->hadMaximizeBeforeMinimize && command == SW_RESTORE ? WS_MAXIMIZE : 0;
          target = newState ? rect : w->normalRect;
        }
        if (newState == WS_MAXIMIZE) {
          RECT place;
          {
            UserGuard guard(UserLock());
            place = w->normalRect;
          }
          target = MaximizedRect(hwnd, style, place);
        }
      } else if (style & WS_MAXIMIZE) {
        newState = 0;
        UserGuard guard(UserLock());
        target = w->normalRect;
      }
      break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE:
      saveNormal();
      {
        UserGuard guard(UserLock());
        w->hadMaximizeBeforeMinimize = (style & WS_MAXIMIZE) != 0;
      }
      newState = WS_MINIMIZE;
      target = RECT{-32000, -32000, -32000 + GetSystemMetrics(SM_CXMINIMIZED), -32000 + GetSystemMetrics(SM_CYMINIMIZED)};
      if (isChild) target = RECT{0, 0, GetSystemMetrics(SM_CXMINIMIZED), GetSystemMetrics(SM_CYMINIMIZED)};
      activate = command == SW_SHOWMINIMIZED && !isChild;
      break;
    case SW_MAXIMIZE: {
      saveNormal();
      newState = WS_MAXIMIZE;
      RECT place;
      {
        UserGuard guard(UserLock());
        place = (style & (WS_MINIMIZE | WS_MAXIMIZE)) ? w->normalRect : w->rect;
      }
      target = MaximizedRect(hwnd, style, place);
      if (isChild) {
        RECT parent;
        GetClientRect(GetParent(hwnd), &parent);
        target = parent;
      }
      break;
    }
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }

  if (show != wasVisible) {
    SendMessageW(hwnd, WM_SHOWWINDOW, show, 0);
    if (!IsWindow(hwnd)) return wasVisible;
  }
  const bool stateChanged = newState != (style & (WS_MINIMIZE | WS_MAXIMIZE));
  if (stateChanged) {
    {
      UserGuard guard(UserLock());
      w->style = (w->style & ~(WS_MINIMIZE | WS_MAXIMIZE)) | newState;
    }
    swp &= ~(SWP_NOMOVE | SWP_NOSIZE);
    swp |= SWP_FRAMECHANGED | SWP_STATECHANGED;
  }
  swp |= show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
  if (!activate) swp |= SWP_NOACTIVATE;
  else swp &= ~SWP_NOZORDER;
  SetWindowPos(hwnd, HWND_TOP, target.left, target.top, target.right - target.left, target.bottom - target.top, swp);
  if (IsWindow(hwnd) && newState == WS_MINIMIZE && stateChanged && GetActiveWindow() == hwnd && command != SW_SHOWMINIMIZED) {
    OnWindowHiddenOrDestroyed(hwnd);  // a minimised window gives up activation
  }
  return wasVisible;
}

BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w || !placement) return FALSE;
  UserGuard guard(UserLock());
  placement->flags = 0;
  placement->showCmd = (w->style & WS_MINIMIZE) ? SW_SHOWMINIMIZED : (w->style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
  placement->ptMinPosition = POINT{-1, -1};
  placement->ptMaxPosition = POINT{-1, -1};
  placement->rcNormalPosition = (w->style & (WS_MINIMIZE | WS_MAXIMIZE)) ? w->normalRect : w->rect;
  return TRUE;
}

BOOL AnimateWindow(HWND hwnd, DWORD, DWORD flags) {
  // Shown or hidden at once: the display does not animate.
  if (!IsWindow(hwnd)) return SetLastError(ERROR_INVALID_WINDOW_HANDLE), FALSE;
  if (flags & AW_HIDE) return ShowWindow(hwnd, SW_HIDE), TRUE;
  ShowWindow(hwnd, (flags & AW_ACTIVATE) ? SW_SHOW : SW_SHOWNA);
  return TRUE;
}

// ---- window from point ------------------------------------------------------------------

namespace platform::detail {

bool WindowContainsScreenPoint(const Window* w, POINT p) {
  const RECT r = WindowRectOnScreen(w);
  if (p.x < r.left || p.x >= r.right || p.y < r.top || p.y >= r.bottom) return false;
  if (w->windowRegion && !w->windowRegion->Contains(p.x - r.left, p.y - r.top)) return false;
  return true;
}

// The deepest visible, enabled window under a screen point, skipping windows whose hit test
// says HTTRANSPARENT (asked only of windows on the calling thread). `hitOut` gets the code.
HWND HitTestWindowAt(POINT p, LRESULT* hitOut, bool sendHitTest) {
  HWND candidate = nullptr;
  std::vector<HWND> skipped;
  for (;;) {
    candidate = nullptr;
    {
      UserGuard guard(UserLock());
      const Window* level = DesktopWindowRaw();
      for (bool descended = true; descended;) {
        descended = false;
        for (const Window* child : level->children) {
          if (!(child->style & WS_VISIBLE) || !WindowContainsScreenPoint(child, p)) continue;
          if (std::find(skipped.begin(), skipped.end(), child->handle) != skipped.end()) continue;
          if ((child->style & WS_CHILD) && (child->style & WS_DISABLED)) break;  // a disabled child: its parent
          candidate = child->handle;
          if (child->style & WS_MINIMIZE) break;
          // Only into the client area.
          const POINT origin = ClientOriginOnScreen(child);
          const RECT client{origin.x, origin.y, origin.x + child->client.right - child->client.left,
                            origin.y + child->client.bottom - child->client.top};
          if (p.x >= client.left && p.x < client.right && p.y >= client.top && p.y < client.bottom) {
            level = child;
            descended = true;
          }
          break;
        }
      }
    }
    if (!candidate) {
      if (hitOut) *hitOut = HTNOWHERE;
      return nullptr;
    }
    if (!sendHitTest) {
      if (hitOut) *hitOut = HTCLIENT;
      return candidate;
    }
    const LRESULT hit = SendMessageW(candidate, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
    if (hit == HTTRANSPARENT) {
      skipped.push_back(candidate);
      continue;
    }
    if (hitOut) *hitOut = hit;
    return candidate;
  }
}

}  // namespace platform::detail

HWND WindowFromPoint(POINT point) { return HitTestWindowAt(point, nullptr, true); }

HWND ChildWindowFromPointEx(HWND parent, POINT point, UINT flags) {
  WindowPtr p = GetWindowPtr(parent);
  if (!p) return nullptr;
  UserGuard guard(UserLock());
  const RECT client{0, 0, p->client.right - p->client.left, p->client.bottom - p->client.top};
  if (p.get() != DesktopWindowRaw() && !PtInRect(&client, point)) return nullptr;
  const POINT origin = ClientOriginOnScreen(p.get());
  const POINT screen{point.x + origin.x, point.y + origin.y};
  for (const Window* child : p->children) {
    if ((flags & CWP_SKIPINVISIBLE) && !(child->style & WS_VISIBLE)) continue;
    if ((flags & CWP_SKIPDISABLED) && (child->style & WS_DISABLED)) continue;
    if ((flags & CWP_SKIPTRANSPARENT) && (child->exStyle & WS_EX_TRANSPARENT)) continue;
    if (WindowContainsScreenPoint(child, screen)) return child->handle;
  }
  return parent;
}

HWND ChildWindowFromPoint(HWND parent, POINT point) { return ChildWindowFromPointEx(parent, point, CWP_ALL); }
HWND RealChildWindowFromPoint(HWND parent, POINT point) { return ChildWindowFromPointEx(parent, point, CWP_SKIPINVISIBLE); }

// ---- rectangles ----------------------------------------------------------------------------

BOOL SetRect(RECT* r, int left, int top, int right, int bottom) {
  if (!r) return FALSE;
  *r = RECT{left, top, right, bottom};
  return TRUE;
}
BOOL SetRectEmpty(RECT* r) { return SetRect(r, 0, 0, 0, 0); }
BOOL CopyRect(RECT* dest, const RECT* source) {
  if (!dest || !source) return FALSE;
  *dest = *source;
  return TRUE;
}
BOOL InflateRect(RECT* r, int dx, int dy) {
  if (!r) return FALSE;
  r->left -= dx, r->top -= dy, r->right += dx, r->bottom += dy;
  return TRUE;
}
BOOL OffsetRect(RECT* r, int dx, int dy) {
  if (!r) return FALSE;
  r->left += dx, r->top += dy, r->right += dx, r->bottom += dy;
  return TRUE;
}
BOOL IsRectEmpty(const RECT* r) { return !r || r->left >= r->right || r->top >= r->bottom; }
BOOL EqualRect(const RECT* a, const RECT* b) {
  return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}
BOOL PtInRect(const RECT* r, POINT p) { return r && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom; }
BOOL IntersectRect(RECT* dest, const RECT* a, const RECT* b) {
  if (!dest || !a || !b) return FALSE;
  RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right), std::min(a->bottom, b->bottom)};
  if (IsRectEmpty(&r)) {
    *dest = RECT{0, 0, 0, 0};
    return FALSE;
  }
  *dest = r;
  return TRUE;
}
BOOL UnionRect(RECT* dest, const RECT* a, const RECT* b) {
  if (!dest || !a || !b) return FALSE;
  if (IsRectEmpty(a)) return IsRectEmpty(b) ? (SetRectEmpty(dest), FALSE) : (*dest = *b, TRUE);
  if (IsRectEmpty(b)) return *dest = *a, TRUE;
  *dest = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right), std::max(a->bottom, b->bottom)};
  return TRUE;
}
BOOL SubtractRect(RECT* dest, const RECT* a, const RECT* b) {
  if (!dest || !a || !b) return FALSE;
  RECT r = *a, i;
  if (IntersectRect(&i, a, b)) {
    if (i.top == r.top && i.bottom == r.bottom) {
      if (i.left == r.left) r.left = i.right;
      else if (i.right == r.right) r.right = i.left;
    } else if (i.left == r.left && i.right == r.right) {
      if (i.top == r.top) r.top = i.bottom;
      else if (i.bottom == r.bottom) r.bottom = i.top;
    }
  }
  *dest = r;
  return !IsRectEmpty(&r);
}
