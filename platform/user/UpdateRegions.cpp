// Update regions by HRGN, scrolling a window's pixels, and the default WM_PRINT.

#include <algorithm>

#include "platform/gdi/DcGuards.h"
#include "platform/gdi/WinGdi.h"
#include "platform/kernel/WinError.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {

HRGN RegionToHandle(const PixelRegion& region);                 // WindowDC.cpp
void MoveWindowPixels(Window* w, const PixelRegion& sourceClient, int dx, int dy, const PixelRegion& allowedClient);
PixelRegion VisibleClientArea(Window* w, bool clipChildren);
void PaintNonClientInto(HWND hwnd, HDC dc);                     // FramePaint.cpp

namespace {

int Complexity(const PixelRegion& region) {
  if (region.Empty()) return NULLREGION;
  return region.Rects().size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

}  // namespace

// WM_PRINT: draws the window into a caller's DC, as the flags ask.
LRESULT DefaultPrint(HWND hwnd, HDC dc, LPARAM flags) {
  WindowPtr w = FindWindowPtrQuiet(hwnd);
  if (!w || !dc) return 0;
  RECT client;
  std::vector<std::pair<HWND, RECT>> children;  // bottom of the z-order first
  {
    UserGuard guard(UserLock());
    if ((flags & PRF_CHECKVISIBLE) && !IsVisibleChain(w.get())) return 0;
    client = w->client;
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it)
      if ((*it)->style & WS_VISIBLE) children.emplace_back((*it)->handle, (*it)->rect);
  }
  // With the frame the DC's origin is the window's top-left; without it, the client's.
  const POINT clientOrigin = (flags & PRF_NONCLIENT) ? POINT{client.left, client.top} : POINT{0, 0};
  if (flags & PRF_NONCLIENT) {
    SavedDcState saved(dc);
    ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
    PaintNonClientInto(hwnd, dc);
  }
  SavedDcState saved(dc);
  OffsetViewportOrgEx(dc, clientOrigin.x, clientOrigin.y, nullptr);
  IntersectClipRect(dc, 0, 0, client.right - client.left, client.bottom - client.top);
  if (flags & PRF_ERASEBKGND) SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  if (flags & PRF_CLIENT) SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), flags);
  if (flags & PRF_CHILDREN) {
    for (const auto& [child, rect] : children) {
      SavedDcState childSaved(dc);
      OffsetViewportOrgEx(dc, rect.left, rect.top, nullptr);
      IntersectClipRect(dc, 0, 0, rect.right - rect.left, rect.bottom - rect.top);
      SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(dc), flags | PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
    }
  }
  return 0;
}

}  // namespace platform::detail

using namespace platform::detail;

BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase) {
  return RedrawWindow(hwnd, nullptr, region, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL ValidateRgn(HWND hwnd, HRGN region) {
  if (!region) return ValidateRect(hwnd, nullptr);
  return RedrawWindow(hwnd, nullptr, region, RDW_VALIDATE | RDW_NOCHILDREN);
}

int GetUpdateRgn(HWND hwnd, HRGN region, BOOL erase) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return ERROR;
  if (!region) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return ERROR;
  }
  PixelRegion clientPart;
  {
    UserGuard guard(UserLock());
    clientPart = w->update;
    clientPart.Intersect(w->client);
    clientPart.Offset(-w->client.left, -w->client.top);
  }
  HRGN copy = RegionToHandle(clientPart);
  CombineRgn(region, copy, nullptr, RGN_COPY);
  DeleteObject(copy);
  if (erase) GetUpdateRect(hwnd, nullptr, TRUE);
  return Complexity(clientPart);
}

int ScrollWindowEx(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update, RECT* updateRect,
                   UINT flags) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return ERROR;
  PixelRegion exposed;
  std::vector<std::pair<HWND, RECT>> movedChildren;
  {
    UserGuard guard(UserLock());
    const RECT clientBox{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
    PixelRegion area(scroll ? *scroll : clientBox);
    area.Intersect(clientBox);
    if (clip) area.Intersect(*clip);
    const bool withChildren = (flags & SW_SCROLLCHILDREN) != 0;
    PixelRegion visible = VisibleClientArea(w.get(), !withChildren && (w->style & WS_CLIPCHILDREN));
    visible.Intersect(area);
    if (IsVisibleChain(w.get())) MoveWindowPixels(w.get(), visible, dx, dy, visible);
    PixelRegion covered = visible;
    covered.Offset(dx, dy);
    covered.Intersect(visible);
    exposed = visible;
    exposed.Subtract(covered);
    // What was waiting to be painted moves with the pixels.
    PixelRegion pending = w->update;
    pending.Offset(-w->client.left, -w->client.top);
    pending.Intersect(area);
    if (!pending.Empty()) {
      PixelRegion moved = pending;
      moved.Offset(dx, dy);
      moved.Intersect(area);
      PixelRegion old = pending;
      old.Offset(w->client.left, w->client.top);
      w->update.Subtract(old);
      moved.Offset(w->client.left, w->client.top);
      w->update.Add(moved);
    }
    if (withChildren) {
      for (Window* child : w->children) {
        RECT inter;
        if (scroll && !IntersectRect(&inter, &child->rect, scroll)) continue;
        movedChildren.emplace_back(child->handle, child->rect);
      }
    }
  }
  for (auto& [child, rect] : movedChildren)
    SetWindowPos(child, nullptr, rect.left + dx, rect.top + dy, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  if (flags & SW_INVALIDATE) {
    HRGN handle = RegionToHandle(exposed);
    RedrawWindow(hwnd, nullptr, handle, RDW_INVALIDATE | ((flags & SW_ERASE) ? RDW_ERASE : 0) |
                                            (movedChildren.empty() ? 0 : RDW_ALLCHILDREN));
    DeleteObject(handle);
    if (!movedChildren.empty())
      for (auto& [child, rect] : movedChildren) RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
  if (update) {
    HRGN handle = RegionToHandle(exposed);
    CombineRgn(update, handle, nullptr, RGN_COPY);
    DeleteObject(handle);
  }
  if (updateRect) *updateRect = exposed.Bounds();
  return Complexity(exposed);
}

BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip) {
  return ScrollWindowEx(hwnd, dx, dy, scroll, clip, nullptr, nullptr,
                        SW_INVALIDATE | SW_ERASE | (scroll ? 0 : SW_SCROLLCHILDREN)) != ERROR;
}
