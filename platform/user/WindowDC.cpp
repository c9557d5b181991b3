// Window device contexts over the backing buffers of top-level windows, window regions,
// layered windows, and the hand-over of changed areas to the display.
//
// Every top-level window owns a BGRA buffer of its window size. A window DC is a GDI buffer
// DC over that buffer with its origin at the window's (or its client area's) top-left and a
// visible region that leaves out what covers it: the parent chain's client areas, children
// (WS_CLIPCHILDREN / DCX_CLIPCHILDREN), siblings above (WS_CLIPSIBLINGS / DCX_CLIPSIBLINGS)
// and the window region. Releasing a DC marks its visible area as changed. All state here is
// guarded by the user lock.

#include <algorithm>
#include <cstring>
#include <map>

#include "platform/gdi/WinGdi.h"
#include "platform/kernel/WinError.h"
#include "platform/user/ClassicColors.h"
#include "platform/user/Icons.h"
#include "platform/user/Present.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {

namespace classic {

// One scheme for the whole layer: the system colours (SetSysColors reaches frames too).
COLORREF Color(int index) { return GetSysColor(index); }

HBRUSH Brush(int index) {
  HBRUSH brush = GetSysColorBrush(index);
  return brush ? brush : GetSysColorBrush(kButtonFace);
}

HBRUSH ResolveBrush(HBRUSH brush) {
  const auto value = reinterpret_cast<uintptr_t>(brush);
  if (value >= 1 && value <= static_cast<uintptr_t>(kColorCount)) return Brush(static_cast<int>(value - 1));
  return brush;
}

}  // namespace classic

namespace {

struct Backing {
  std::vector<uint32_t> pixels;
  int width = 0;
  int height = 0;
  PixelRegion dirty;        // window coordinates
  bool presented = false;   // handed to the presenter at least once
  RECT lastScreenRect{};
  BYTE lastAlpha = 255;
  size_t lastShapeHash = 0;
  bool lastTaskbar = false;
  std::u16string lastTitle;
  HICON lastIcon = nullptr;
  PixelBuffer Buffer() {
    return PixelBuffer{reinterpret_cast<uint8_t*>(pixels.data()), width, height, width * 4};
  }
};

struct LayeredState {
  BYTE alpha = 255;
  COLORREF key = 0;
  DWORD flags = 0;
};

struct DcRecord {
  HWND hwnd = nullptr;
  HWND top = nullptr;
  std::shared_ptr<Backing> backing;
  POINT origin{};        // buffer pixel of the DC's device (0,0)
  PixelRegion visible;   // buffer coordinates
};

std::map<HWND, std::shared_ptr<Backing>>& Backings() {
  static auto* map = new std::map<HWND, std::shared_ptr<Backing>>;
  return *map;
}
std::map<HDC, DcRecord>& Dcs() {
  static auto* map = new std::map<HDC, DcRecord>;
  return *map;
}
std::map<HWND, LayeredState>& Layered() {
  static auto* map = new std::map<HWND, LayeredState>;
  return *map;
}
Presenter* g_presenter = nullptr;
std::vector<HWND> g_lastStack;

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// Keeps the top-level window's buffer as large as the window, keeping what was drawn.
std::shared_ptr<Backing> EnsureBacking(Window* top) {
  auto& slot = Backings()[top->handle];
  if (!slot) slot = std::make_shared<Backing>();
  const int width = std::max(1, Width(top->rect)), height = std::max(1, Height(top->rect));
  if (slot->width == width && slot->height == height) return slot;
  // A new buffer object, so that DCs still holding the old one draw harmlessly into it.
  auto fresh = std::make_shared<Backing>();
  fresh->width = width;
  fresh->height = height;
  fresh->pixels.assign(static_cast<size_t>(width) * height, 0);
  const int copyWidth = std::min(width, slot->width), copyHeight = std::min(height, slot->height);
  for (int y = 0; y < copyHeight; ++y)
    std::memcpy(&fresh->pixels[static_cast<size_t>(y) * width], &slot->pixels[static_cast<size_t>(y) * slot->width],
                static_cast<size_t>(copyWidth) * 4);
  fresh->presented = slot->presented;
  fresh->lastScreenRect = slot->lastScreenRect;
  fresh->lastAlpha = slot->lastAlpha;
  fresh->lastShapeHash = slot->lastShapeHash;
  fresh->lastTaskbar = slot->lastTaskbar;
  fresh->lastTitle = slot->lastTitle;
  fresh->lastIcon = slot->lastIcon;
  fresh->dirty = slot->dirty;
  slot = fresh;
  for (auto& [dc, record] : Dcs())
    if (record.top == top->handle) record.backing = fresh;
  return slot;
}

// The window's top-left in its top-level window's coordinates.
POINT OffsetInTop(const Window* w) {
  POINT p{0, 0};
  for (const Window* c = w; c->parent && c->parent != DesktopWindowRaw() && c->parent->parent; c = c->parent) {
    p.x += c->rect.left + c->parent->client.left;
    p.y += c->rect.top + c->parent->client.top;
  }
  return p;
}

RECT Offset(RECT r, POINT by) {
  OffsetRect(&r, by.x, by.y);
  return r;
}

PixelRegion ShapeOf(const Window* w, POINT offset) {
  PixelRegion r = w->windowRegion ? *w->windowRegion : PixelRegion(RECT{0, 0, Width(w->rect), Height(w->rect)});
  if (w->windowRegion) r.Intersect(RECT{0, 0, Width(w->rect), Height(w->rect)});
  r.Offset(offset.x, offset.y);
  return r;
}

void SubtractSiblingsAbove(const Window* w, PixelRegion* region) {
  const Window* parent = w->parent;
  if (!parent) return;
  const POINT parentOffset = OffsetInTop(parent);
  for (const Window* sibling : parent->children) {
    if (sibling == w) break;
    if (!(sibling->style & WS_VISIBLE)) continue;
    region->Subtract(ShapeOf(sibling, POINT{parentOffset.x + parent->client.left + sibling->rect.left,
                                            parentOffset.y + parent->client.top + sibling->rect.top}));
  }
}

// The part of `w` a DC may draw on, in top-level coordinates.
PixelRegion VisibleRegion(const Window* w, bool windowArea, bool clipChildren, bool clipSiblings) {
  if (!IsVisibleChain(w)) return PixelRegion();
  const POINT offset = OffsetInTop(w);
  PixelRegion region(Offset(windowArea ? RECT{0, 0, Width(w->rect), Height(w->rect)} : w->client, offset));
  region.Intersect(ShapeOf(w, offset));
  if (clipChildren) {
    const POINT clientOffset{offset.x + w->client.left, offset.y + w->client.top};
    for (const Window* child : w->children)
      if (child->style & WS_VISIBLE)
        region.Subtract(ShapeOf(child, POINT{clientOffset.x + child->rect.left, clientOffset.y + child->rect.top}));
  }
  if (clipSiblings) SubtractSiblingsAbove(w, &region);
  for (const Window* c = w; c->parent && c->parent != DesktopWindowRaw() && c->parent->parent; c = c->parent) {
    const Window* parent = c->parent;
    const POINT parentOffset = OffsetInTop(parent);
    region.Intersect(Offset(parent->client, parentOffset));
    region.Intersect(ShapeOf(parent, parentOffset));
    if (c != w && (c->style & WS_CLIPSIBLINGS)) SubtractSiblingsAbove(c, &region);
  }
  return region;
}

HRGN ToHandle(const PixelRegion& region) {
  const std::vector<RECT> rects = region.Rects();
  std::vector<char> data(sizeof(RGNDATAHEADER) + std::max<size_t>(rects.size(), 1) * sizeof(RECT));
  auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
  header->dwSize = sizeof(RGNDATAHEADER);
  header->iType = RDH_RECTANGLES;
  header->nCount = static_cast<DWORD>(rects.size());
  header->nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
  header->rcBound = region.Bounds();
  if (!rects.empty()) std::memcpy(data.data() + sizeof(RGNDATAHEADER), rects.data(), rects.size() * sizeof(RECT));
  return ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA*>(data.data()));
}

HDC MakeWindowDc(Window* w, DWORD flags, const PixelRegion* clip /*DC coordinates*/, bool clipIsExclude) {
  Window* top = TopLevelOf(w);
  auto backing = EnsureBacking(top);
  const bool windowArea = (flags & DCX_WINDOW) != 0;
  const POINT offset = OffsetInTop(w);
  const POINT origin = windowArea ? offset : POINT{offset.x + w->client.left, offset.y + w->client.top};
  PixelRegion visible;
  if ((flags & DCX_PARENTCLIP) && w->parent && w->parent->parent && w != top) {
    // CS_PARENTDC: the parent's visible client area, at the child's own origin.
    visible = VisibleRegion(w->parent, false, false, (w->parent->style & WS_CLIPSIBLINGS) != 0);
  } else {
    visible = VisibleRegion(w, windowArea, (flags & DCX_CLIPCHILDREN) != 0, (flags & DCX_CLIPSIBLINGS) != 0);
  }
  if (clip) {
    PixelRegion inBuffer = *clip;
    inBuffer.Offset(origin.x, origin.y);
    if (clipIsExclude) visible.Subtract(inBuffer);
    else visible.Intersect(inBuffer);
  }
  if (flags & (DCX_INTERSECTUPDATE | DCX_EXCLUDEUPDATE)) {
    PixelRegion update = w->update;
    update.Offset(offset.x, offset.y);
    if (flags & DCX_INTERSECTUPDATE) visible.Intersect(update);
    else visible.Subtract(update);
  }
  PixelRegion local = visible;
  local.Offset(-origin.x, -origin.y);
  HRGN region = ToHandle(local);
  HDC dc = CreateBufferDC(backing->Buffer(), origin, region, backing);
  DeleteObject(region);
  if (!dc) return nullptr;
  DcRecord record;
  record.hwnd = w->handle;
  record.top = top->handle;
  record.backing = backing;
  record.origin = origin;
  record.visible = visible;
  Dcs()[dc] = std::move(record);
  return dc;
}

DWORD StyleClipFlags(const Window* w) {
  DWORD flags = 0;
  if (w->style & WS_CLIPCHILDREN) flags |= DCX_CLIPCHILDREN;
  if (w->style & WS_CLIPSIBLINGS) flags |= DCX_CLIPSIBLINGS;
  if (w->cls && (w->cls->style & CS_PARENTDC)) flags |= DCX_PARENTCLIP;
  return flags;
}

// Frame painters pass these along with DCX_INTERSECTRGN; they have no effect.
constexpr DWORD kDcxUndocumented10000 = 0x00010000;
constexpr DWORD kDcxUndocumented40000 = 0x00040000;

HDC ScreenDc() {
  HDC dc = CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr);
  if (dc) Dcs()[dc] = DcRecord{};
  return dc;
}

size_t ShapeHash(const Window* w) {
  if (!w->windowRegion) return 0;
  size_t hash = 1469598103934665603ull;
  for (const RECT& r : w->windowRegion->Rects())
    for (LONG v : {r.left, r.top, r.right, r.bottom}) hash = (hash ^ static_cast<size_t>(v)) * 1099511628211ull;
  return hash;
}

}  // namespace

HDC GetPaintDC(HWND hwnd, const PixelRegion& visible) {
  WindowPtr w = FindWindowPtrQuiet(hwnd);
  if (!w) return nullptr;
  UserGuard guard(UserLock());
  return MakeWindowDc(w.get(), StyleClipFlags(w.get()), &visible, false);
}

PixelRegion RegionFromHandle(HRGN region) {
  PixelRegion out;
  if (!region) return out;
  const DWORD size = GetRegionData(region, 0, nullptr);
  if (size < sizeof(RGNDATAHEADER)) return out;
  std::vector<char> data(size);
  if (!GetRegionData(region, size, reinterpret_cast<RGNDATA*>(data.data()))) return out;
  const auto* header = reinterpret_cast<const RGNDATAHEADER*>(data.data());
  const auto* rects = reinterpret_cast<const RECT*>(data.data() + header->dwSize);
  for (DWORD i = 0; i < header->nCount; ++i) out.Add(rects[i]);
  return out;
}

HRGN RegionToHandle(const PixelRegion& region) { return ToHandle(region); }

// A window DC over the whole window, clipped as its styles ask, for frame painting.
HDC GetFrameDC(HWND hwnd) {
  WindowPtr w = FindWindowPtrQuiet(hwnd);
  if (!w) return nullptr;
  UserGuard guard(UserLock());
  return MakeWindowDc(w.get(), DCX_WINDOW | (w->style & WS_CLIPSIBLINGS ? DCX_CLIPSIBLINGS : 0), nullptr, false);
}

// Moves a rectangle of pixels inside a window's top-level buffer, for ScrollWindowEx.
// `source` is in the window's client coordinates; only pixels inside `allowed` (buffer
// coordinates) are written. Marks the destination as changed.
void MoveWindowPixels(Window* w, const PixelRegion& sourceClient, int dx, int dy, const PixelRegion& allowedClient) {
  Window* top = TopLevelOf(w);
  auto backing = EnsureBacking(top);
  const POINT offset = OffsetInTop(w);
  const POINT origin{offset.x + w->client.left, offset.y + w->client.top};
  PixelRegion destination = sourceClient;
  destination.Offset(dx, dy);
  destination.Intersect(allowedClient);
  destination.Offset(origin.x, origin.y);
  destination.Intersect(RECT{0, 0, backing->width, backing->height});
  const std::vector<uint32_t> copy = backing->pixels;
  for (const RECT& r : destination.Rects()) {
    for (int y = r.top; y < r.bottom; ++y) {
      const int sy = y - dy;
      if (sy < 0 || sy >= backing->height) continue;
      for (int x = r.left; x < r.right; ++x) {
        const int sx = x - dx;
        if (sx < 0 || sx >= backing->width) continue;
        backing->pixels[static_cast<size_t>(y) * backing->width + x] = copy[static_cast<size_t>(sy) * backing->width + sx];
      }
    }
  }
  backing->dirty.Add(destination);
}

// The visible part of a window's client area, client coordinates (for ScrollWindowEx).
PixelRegion VisibleClientArea(Window* w, bool clipChildren) {
  PixelRegion region = VisibleRegion(w, false, clipChildren, (w->style & WS_CLIPSIBLINGS) != 0);
  const POINT offset = OffsetInTop(w);
  region.Offset(-(offset.x + w->client.left), -(offset.y + w->client.top));
  return region;
}

LRESULT DefaultControlColor(UINT msg, HDC dc) {
  const bool field = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
  if (dc) {
    SetTextColor(dc, classic::Color(classic::kWindowText));
    SetBkColor(dc, classic::Color(field ? classic::kWindow : classic::kButtonFace));
  }
  return reinterpret_cast<LRESULT>(classic::Brush(field ? classic::kWindow : classic::kButtonFace));
}

// WM_ERASEBKGND: the class brush over the DC's visible part.
BOOL DefaultEraseBackground(HWND hwnd, HDC dc) {
  WindowPtr w = FindWindowPtrQuiet(hwnd);
  if (!w || !dc) return FALSE;
  HBRUSH brush;
  {
    UserGuard guard(UserLock());
    brush = w->cls ? w->cls->background : nullptr;
  }
  if (!brush) return FALSE;
  RECT box;
  if (GetClipBox(dc, &box) == ERROR) return FALSE;
  FillRect(dc, &box, classic::ResolveBrush(brush));
  return TRUE;
}

Presenter* SetPresenter(Presenter* presenter) {
  UserGuard guard(UserLock());
  Presenter* old = g_presenter;
  g_presenter = presenter;
  g_lastStack.clear();
  for (auto& [hwnd, backing] : Backings()) backing->presented = false;
  return old;
}

void PresentChanges() {
  UserGuard guard(UserLock());
  // Buffers of destroyed windows go.
  for (auto it = Backings().begin(); it != Backings().end();) {
    if (!FindWindowPtrQuiet(it->first)) it = Backings().erase(it);
    else ++it;
  }
  for (auto it = Layered().begin(); it != Layered().end();) {
    if (!FindWindowPtrQuiet(it->first)) it = Layered().erase(it);
    else ++it;
  }
  if (!g_presenter) return;
  std::vector<PresentedWindow> list;
  std::vector<HWND> stack;
  bool changed = false;
  for (Window* top : DesktopWindowRaw()->children) {
    if (!(top->style & WS_VISIBLE) || top->destroying) continue;
    auto backing = EnsureBacking(top);
    PresentedWindow p;
    p.hwnd = top->handle;
    p.screenRect = top->rect;
    auto layered = Layered().find(top->handle);
    if ((top->exStyle & WS_EX_LAYERED) && layered != Layered().end()) {
      if (layered->second.flags & LWA_ALPHA) p.alpha = layered->second.alpha;
      p.colorKeyed = (layered->second.flags & LWA_COLORKEY) != 0;
      p.colorKey = layered->second.key;
    }
    if (top->windowRegion) {
      PixelRegion shape = *top->windowRegion;
      shape.Intersect(RECT{0, 0, backing->width, backing->height});
      p.shape = shape.Rects();
      if (p.shape.empty()) p.shape.push_back(RECT{0, 0, 0, 0});
    }
    p.pixels = backing->Buffer();
    p.taskbar = top->taskbarButton;
    if (top->exStyle & WS_EX_NOACTIVATE) {
      const bool menuClass = top->cls && top->cls->name == u"#32768";
      p.role = (top->exStyle & WS_EX_TOPMOST) && !menuClass ? WindowRole::Tooltip : WindowRole::PopupMenu;
    }
    p.minimized = (top->style & WS_MINIMIZE) != 0;
    p.restoredRect = top->normalRect;
    p.fullScreen = (top->style & (WS_POPUP | WS_MAXIMIZE)) == (WS_POPUP | WS_MAXIMIZE) &&
                   (top->style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME)) == 0 && (top->exStyle & WS_EX_TOPMOST);
    p.title = top->text;
    HICON icon = top->bigIcon ? top->bigIcon : top->smallIcon;
    if (!icon && top->cls) icon = top->cls->icon ? top->cls->icon : top->cls->smallIcon;
    p.iconChanged = !backing->presented || icon != backing->lastIcon;
    if (p.iconChanged && icon) IconPixels(icon, &p.iconWidth, &p.iconHeight, &p.iconPixels);
    if (p.iconChanged || p.taskbar != backing->lastTaskbar || p.title != backing->lastTitle) changed = true;
    backing->lastIcon = icon;
    backing->lastTaskbar = p.taskbar;
    backing->lastTitle = p.title;
    const size_t shapeHash = ShapeHash(top);
    p.moved = !backing->presented || !EqualRect(&backing->lastScreenRect, &top->rect) || backing->lastAlpha != p.alpha ||
              backing->lastShapeHash != shapeHash;
    if (!backing->presented) backing->dirty = PixelRegion(RECT{0, 0, backing->width, backing->height});
    backing->dirty.Intersect(RECT{0, 0, backing->width, backing->height});
    p.dirty = backing->dirty.Rects();
    if (p.moved || !p.dirty.empty()) changed = true;
    backing->presented = true;
    backing->lastScreenRect = top->rect;
    backing->lastAlpha = p.alpha;
    backing->lastShapeHash = shapeHash;
    backing->dirty.Clear();
    stack.push_back(top->handle);
    list.push_back(std::move(p));
  }
  if (stack != g_lastStack) changed = true;
  g_lastStack = stack;
  // Hidden windows must be shown afresh when they come back.
  for (auto& [hwnd, backing] : Backings())
    if (std::find(stack.begin(), stack.end(), hwnd) == stack.end()) backing->presented = false;
  if (changed) g_presenter->Present(list);
}

bool ReadWindowPixels(HWND hwnd, bool withFrame, WindowPixels* out) {
  if (!out) return false;
  *out = WindowPixels{};
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return false;
  UserGuard guard(UserLock());
  Window* top = TopLevelOf(w.get());
  if (top == DesktopWindowRaw()) return false;
  auto backing = EnsureBacking(top);
  const POINT offset = OffsetInTop(w.get());
  const RECT area = Offset(withFrame ? RECT{0, 0, Width(w->rect), Height(w->rect)} : w->client, offset);
  out->width = std::max(0, Width(area));
  out->height = std::max(0, Height(area));
  out->pixels.assign(static_cast<size_t>(out->width) * out->height, 0);
  for (int y = 0; y < out->height; ++y) {
    const int by = area.top + y;
    if (by < 0 || by >= backing->height) continue;
    for (int x = 0; x < out->width; ++x) {
      const int bx = area.left + x;
      if (bx < 0 || bx >= backing->width) continue;
      out->pixels[static_cast<size_t>(y) * out->width + x] = backing->pixels[static_cast<size_t>(by) * backing->width + bx] & 0x00FFFFFF;
    }
  }
  return true;
}

}  // namespace platform::detail

using namespace platform::detail;

HDC GetDCEx(HWND hwnd, HRGN clip, DWORD flags) {
  UserGuard guard(UserLock());
  if (!hwnd || hwnd == GetDesktopWindow()) return ScreenDc();
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return nullptr;
  // Two undocumented bits that frame painters pass along with the region WM_NCPAINT handed
  // them; they change nothing here.
  flags &= ~(kDcxUndocumented10000 | kDcxUndocumented40000);
  std::unique_ptr<PixelRegion> region;
  // The region is in screen coordinates, as WM_NCPAINT delivers it; 1 stands for the whole
  // window, as it does in WM_NCPAINT.
  const bool wholeWindow = reinterpret_cast<uintptr_t>(clip) == 1;
  if ((flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN)) && !wholeWindow) {
    region = std::make_unique<PixelRegion>(RegionFromHandle(clip));
    const RECT window = WindowRectOnScreen(w.get());
    const POINT origin = (flags & DCX_WINDOW) ? POINT{window.left, window.top} : ClientOriginOnScreen(w.get());
    region->Offset(-origin.x, -origin.y);
  } else if ((flags & DCX_EXCLUDERGN) && wholeWindow) {
    region = std::make_unique<PixelRegion>(RECT{-32768, -32768, 32767, 32767});
  }
  return MakeWindowDc(w.get(), flags, region.get(), (flags & DCX_EXCLUDERGN) != 0);
}

HDC GetDC(HWND hwnd) {
  UserGuard guard(UserLock());
  if (!hwnd || hwnd == GetDesktopWindow()) return ScreenDc();
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return nullptr;
  return MakeWindowDc(w.get(), DCX_CACHE | StyleClipFlags(w.get()), nullptr, false);
}

HDC GetWindowDC(HWND hwnd) {
  UserGuard guard(UserLock());
  if (!hwnd || hwnd == GetDesktopWindow()) return ScreenDc();
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return nullptr;
  return MakeWindowDc(w.get(), DCX_WINDOW | DCX_CACHE | (w->style & WS_CLIPSIBLINGS ? DCX_CLIPSIBLINGS : 0), nullptr, false);
}

int ReleaseDC(HWND, HDC dc) {
  UserGuard guard(UserLock());
  auto it = Dcs().find(dc);
  if (it == Dcs().end()) return 0;
  if (it->second.backing) {
    it->second.backing->dirty.Add(it->second.visible);
  }
  Dcs().erase(it);
  DeleteDC(dc);
  return 1;
}

int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return 0;
  std::unique_ptr<PixelRegion> shape;
  if (region) {
    RECT box;
    if (GetRgnBox(region, &box) == ERROR) {
      SetLastError(ERROR_INVALID_HANDLE);
      return 0;
    }
    shape = std::make_unique<PixelRegion>(RegionFromHandle(region));
    DeleteObject(region);  // the window manager owns the region now
  }
  {
    UserGuard guard(UserLock());
    // What the old shape hid and the new one shows must repaint, in the parent too.
    InvalidateExposedByMove(w.get());
    w->windowRegion = std::move(shape);
    if (redraw) InvalidateInternal(w.get(), nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN);
    Window* top = TopLevelOf(w.get());
    auto it = Backings().find(top->handle);
    if (it != Backings().end()) it->second->dirty.Add(RECT{0, 0, it->second->width, it->second->height});
  }
  return 1;
}

int GetWindowRgn(HWND hwnd, HRGN region) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w || !region) return ERROR;
  PixelRegion shape;
  {
    UserGuard guard(UserLock());
    if (!w->windowRegion) return ERROR;
    shape = *w->windowRegion;
  }
  HRGN copy = ToHandle(shape);
  const int kind = CombineRgn(region, copy, nullptr, RGN_COPY);
  DeleteObject(copy);
  return kind;
}

BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF colorKey, BYTE alpha, DWORD flags) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return FALSE;
  UserGuard guard(UserLock());
  if (!(w->exStyle & WS_EX_LAYERED) || (w->style & WS_CHILD)) {
    SetLastErrorWithDetail(ERROR_INVALID_PARAMETER, "layered attributes need a top-level window with WS_EX_LAYERED");
    return FALSE;
  }
  Layered()[hwnd] = LayeredState{alpha, colorKey, flags & (LWA_ALPHA | LWA_COLORKEY)};
  w->layeredAlpha = (flags & LWA_ALPHA) ? alpha : 255;
  return TRUE;
}

BOOL GetLayeredWindowAttributes(HWND hwnd, COLORREF* colorKey, BYTE* alpha, DWORD* flags) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return FALSE;
  UserGuard guard(UserLock());
  auto it = Layered().find(hwnd);
  if (!(w->exStyle & WS_EX_LAYERED) || it == Layered().end()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (colorKey) *colorKey = it->second.key;
  if (alpha) *alpha = it->second.alpha;
  if (flags) *flags = it->second.flags;
  return TRUE;
}
