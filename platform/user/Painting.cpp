// Update regions and the paint cycle: invalidation, WM_PAINT generation, BeginPaint/EndPaint,
// UpdateWindow and RedrawWindow.

#include <algorithm>

#include "platform/kernel/WinError.h"
#include "platform/user/Caret.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/Present.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {
namespace {

void (*g_presentHook)() = nullptr;

RECT WindowBox(const Window* w) { return RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top}; }

bool ClientCovers(const Window* w, const PixelRegion& area) {
  PixelRegion outside = area;
  outside.Subtract(w->client);
  return outside.Empty();
}

void Wake(Window* w) {
  if (w->queue) w->queue->Wake();
}

void ValidateInternal(Window* w, const PixelRegion* area, bool children) {
  if (area) {
    w->update.Subtract(*area);
  } else {
    w->update.Clear();
    w->internalPaint = false;
  }
  if (w->update.Empty()) {
    w->erasePending = false;
    w->ncPaintPending = false;
  }
  if (!children) return;
  for (Window* child : w->children) {
    if (!area) {
      ValidateInternal(child, nullptr, true);
      continue;
    }
    PixelRegion sub = *area;
    sub.Offset(-(w->client.left + child->rect.left), -(w->client.top + child->rect.top));
    ValidateInternal(child, &sub, true);
  }
}

}  // namespace

void SetPresentHook(void (*hook)()) { g_presentHook = hook; }

void BeforeMessageWait() {
  PresentChanges();
  if (g_presentHook) g_presentHook();
}

// `area`: window coordinates, or null for the whole window.
void InvalidateInternal(Window* w, const PixelRegion* area, UINT flags) {
  if (!IsVisibleChain(w) || w->redrawDisabled) return;
  PixelRegion region = area ? *area : PixelRegion(WindowBox(w));
  region.Intersect(WindowBox(w));
  if (!(flags & RDW_FRAME)) region.Intersect(w->client);
  if (w->windowRegion) region.Intersect(*w->windowRegion);
  if (flags & RDW_INVALIDATE) {
    if (!region.Empty()) {
      w->update.Add(region);
      if (flags & RDW_ERASE) w->erasePending = true;
      if (!ClientCovers(w, region)) w->ncPaintPending = true;
      Wake(w);
    }
  }
  if (flags & RDW_INTERNALPAINT) {
    w->internalPaint = true;
    Wake(w);
  }
  const bool recurse = (flags & RDW_ALLCHILDREN) || (!(flags & RDW_NOCHILDREN) && !(w->style & WS_CLIPCHILDREN));
  if (!recurse) return;
  for (Window* child : w->children) {
    if (!(child->style & WS_VISIBLE)) continue;
    PixelRegion sub = region;
    sub.Offset(-(w->client.left + child->rect.left), -(w->client.top + child->rect.top));
    sub.Intersect(WindowBox(child));
    if (sub.Empty()) continue;
    InvalidateInternal(child, &sub, (flags & ~RDW_NOCHILDREN) | RDW_FRAME);
  }
}

// The area a window covered in its parent is exposed: the parent and the siblings there repaint.
void InvalidateExposedByMove(Window* w) {
  Window* parent = w->parent;
  if (!parent || parent == DesktopWindowRaw() || !parent->parent) return;  // top-level buffers are their own
  PixelRegion exposed(w->rect);
  exposed.Offset(parent->client.left, parent->client.top);
  InvalidateInternal(parent, &exposed, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

bool HasPaintPending(const Window* w) { return !w->update.Empty() || w->internalPaint; }

namespace {

bool FindPaintIn(const Window* w, ThreadQueue* queue, HWND filter, HWND* out) {
  for (const Window* child : w->children) {
    if (!(child->style & WS_VISIBLE)) continue;
    if (child->queue.get() == queue && HasPaintPending(child) && !child->destroying && WindowMatchesFilter(child->handle, filter)) {
      *out = child->handle;
      return true;
    }
    if (FindPaintIn(child, queue, filter, out)) return true;
  }
  return false;
}

}  // namespace

bool FindPaintWindow(ThreadQueue* queue, HWND filter, HWND* out) {
  UserGuard guard(UserLock());
  return FindPaintIn(DesktopWindowRaw(), queue, filter, out);
}

}  // namespace platform::detail

using namespace platform::detail;

namespace {

PixelRegion ClientAreaToWindow(const Window* w, const RECT* rect) {
  RECT r = rect ? *rect : RECT{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
  OffsetRect(&r, w->client.left, w->client.top);
  return PixelRegion(r);
}

}  // namespace

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  if (!hwnd) hwnd = GetDesktopWindow();
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return FALSE;
  UserGuard guard(UserLock());
  PixelRegion area = ClientAreaToWindow(w.get(), rect);
  InvalidateInternal(w.get(), &area, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return FALSE;
  UserGuard guard(UserLock());
  if (rect) {
    PixelRegion area = ClientAreaToWindow(w.get(), rect);
    ValidateInternal(w.get(), &area, false);
  } else {
    ValidateInternal(w.get(), nullptr, false);
  }
  return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return FALSE;
  bool empty;
  {
    UserGuard guard(UserLock());
    PixelRegion clientPart = w->update;
    clientPart.Intersect(w->client);
    empty = clientPart.Empty();
    if (rect) {
      *rect = clientPart.Bounds();
      if (!empty) OffsetRect(rect, -w->client.left, -w->client.top);
    }
  }
  if (!empty && erase) {
    bool pending;
    {
      UserGuard guard(UserLock());
      pending = w->erasePending;
      w->erasePending = false;
    }
    if (pending) {
      HDC dc = GetDC(hwnd);
      SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
      ReleaseDC(hwnd, dc);
    }
  }
  return !empty;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w || !paint) return nullptr;
  PixelRegion update;
  bool erase, ncPaint;
  {
    UserGuard guard(UserLock());
    update = w->update;
    erase = w->erasePending;
    ncPaint = w->ncPaintPending;
    w->update.Clear();
    w->internalPaint = false;
    w->erasePending = false;
    w->ncPaintPending = false;
  }
  if (ncPaint) SendMessageW(hwnd, WM_NCPAINT, 1, 0);
  // The caret is taken off while the window paints and drawn again on the new pixels by
  // EndPaint (fRestore says it was ours to hide).
  const bool caretHidden = platform::detail::CurrentCaret().window == hwnd && HideCaret(hwnd);
  PixelRegion clientPart = update;
  RECT client;
  {
    UserGuard guard(UserLock());
    clientPart.Intersect(w->client);
    client = w->client;
  }
  clientPart.Offset(-client.left, -client.top);
  HDC dc = GetPaintDC(hwnd, clientPart);
  *paint = PAINTSTRUCT{};
  paint->hdc = dc;
  paint->rcPaint = clientPart.Bounds();
  paint->fRestore = caretHidden ? TRUE : FALSE;
  // fErase tells the painter the background still needs erasing: WM_ERASEBKGND did not do it.
  if (erase && !clientPart.Empty()) paint->fErase = SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
  return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint) {
  if (!paint) return FALSE;
  if (paint->hdc) ReleaseDC(hwnd, paint->hdc);
  if (paint->fRestore) ShowCaret(hwnd);
  return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return FALSE;
  return RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_NOCHILDREN);
}

namespace {

void UpdateNow(HWND hwnd, bool children, bool eraseOnly) {
  WindowPtr w = FindWindowPtrQuiet(hwnd);
  if (!w) return;
  bool pending, visible;
  std::vector<HWND> kids;
  {
    UserGuard guard(UserLock());
    pending = HasPaintPending(w.get());
    visible = IsVisibleChain(w.get());
    if (children)
      for (Window* child : w->children) kids.push_back(child->handle);
  }
  if (pending && visible) {
    if (eraseOnly) {
      GetUpdateRect(hwnd, nullptr, TRUE);
    } else {
      SendMessageW(hwnd, WM_PAINT, 0, 0);
    }
  }
  for (HWND child : kids) UpdateNow(child, true, eraseOnly);
}

}  // namespace

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags) {
  if (!hwnd) hwnd = GetDesktopWindow();
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return FALSE;
  {
    UserGuard guard(UserLock());
    std::unique_ptr<PixelRegion> area;
    if (region) {
      area = std::make_unique<PixelRegion>(RegionFromHandle(region));
      area->Offset(w->client.left, w->client.top);
    } else if (rect) {
      area = std::make_unique<PixelRegion>(ClientAreaToWindow(w.get(), rect));
    } else if (!(flags & RDW_FRAME)) {
      area = std::make_unique<PixelRegion>(ClientAreaToWindow(w.get(), nullptr));
    }
    if (flags & RDW_INVALIDATE) {
      InvalidateInternal(w.get(), area.get(), flags & (RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_INTERNALPAINT |
                                                       RDW_ALLCHILDREN | RDW_NOCHILDREN));
    } else if (flags & RDW_INTERNALPAINT) {
      InvalidateInternal(w.get(), nullptr, RDW_INTERNALPAINT | RDW_NOCHILDREN);
    }
    if (flags & RDW_VALIDATE) {
      ValidateInternal(w.get(), area.get(), (flags & RDW_ALLCHILDREN) != 0);
      if (flags & RDW_NOFRAME) w->ncPaintPending = false;
    }
    if (flags & RDW_NOINTERNALPAINT) w->internalPaint = false;
    if (flags & RDW_NOERASE) w->erasePending = false;
  }
  if (flags & RDW_UPDATENOW) UpdateNow(hwnd, !(flags & RDW_NOCHILDREN), false);
  else if (flags & RDW_ERASENOW) UpdateNow(hwnd, !(flags & RDW_NOCHILDREN), true);
  return TRUE;
}
