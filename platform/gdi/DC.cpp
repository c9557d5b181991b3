// Device contexts: creation, saved states, attributes, coordinate spaces, clipping, pixel
// access, and the buffer DCs the window manager hands out.

#include <cmath>
#include <cstring>
#include <mutex>

#include "platform/gdi/GdiInternal.h"
#include "platform/kernel/Unicode.h"

namespace platform::detail {

namespace {

std::mutex g_screenMutex;
int g_screenWidth = 1280;
int g_screenHeight = 800;
std::shared_ptr<std::vector<uint32_t>> g_screenPixels;

std::shared_ptr<BitmapObject> StockBitmap() {
  static const std::shared_ptr<BitmapObject> bitmap = [] {
    HBITMAP handle = CreateBitmap(1, 1, 1, 1, nullptr);
    auto object = GetGdi<BitmapObject>(handle, GdiKind::Bitmap);
    object->stock = true;
    return object;
  }();
  return bitmap;
}

void SelectInitialBitmap(DcState& state) {
  state.bitmap = StockBitmap();
  ++state.bitmap->selections;
}

HDC AddDc(std::shared_ptr<DcObject> dc) {
  InitDcState(dc->state);
  if (dc->type == DcType::Memory) SelectInitialBitmap(dc->state);
  return reinterpret_cast<HDC>(AddGdiObject(std::move(dc)));
}

PixelBuffer ScreenBuffer(std::shared_ptr<void>* keepAlive) {
  std::lock_guard lock(g_screenMutex);
  const size_t count = static_cast<size_t>(g_screenWidth) * g_screenHeight;
  if (!g_screenPixels || g_screenPixels->size() != count) g_screenPixels = std::make_shared<std::vector<uint32_t>>(count);
  *keepAlive = g_screenPixels;
  return PixelBuffer{reinterpret_cast<uint8_t*>(g_screenPixels->data()), g_screenWidth, g_screenHeight,
                     g_screenWidth * 4};
}

}  // namespace

DcObject::~DcObject() {
  ReleaseDcState(state);
}

std::shared_ptr<DcObject> GetDc(HDC dc) {
  auto object = GetGdi<DcObject>(dc, GdiKind::Dc);
  if (!object) SetLastError(ERROR_INVALID_HANDLE);
  return object;
}

void SetScreenSize(int width, int height) {
  std::lock_guard lock(g_screenMutex);
  if (width > 0 && height > 0) {
    g_screenWidth = width;
    g_screenHeight = height;
  }
}

SIZE ScreenSize() {
  std::lock_guard lock(g_screenMutex);
  return SIZE{g_screenWidth, g_screenHeight};
}

HDC CreateBufferDC(const PixelBuffer& buffer, POINT origin, HRGN visible, std::shared_ptr<void> keepAlive) {
  if (!buffer.pixels || buffer.width <= 0 || buffer.height <= 0 || buffer.stride < buffer.width * 4) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto dc = std::make_shared<DcObject>();
  dc->type = DcType::Buffer;
  HDC handle = AddDc(dc);
  if (!UpdateBufferDC(handle, buffer, origin, visible, std::move(keepAlive))) {
    DeleteDC(handle);
    return nullptr;
  }
  return handle;
}

BOOL UpdateBufferDC(HDC handle, const PixelBuffer& buffer, POINT origin, HRGN visible, std::shared_ptr<void> keepAlive) {
  auto dc = GetDc(handle);
  if (!dc || dc->type != DcType::Buffer) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::optional<Region> region;
  if (visible) {
    auto object = GetGdi<RegionObject>(visible, GdiKind::Region);
    if (!object) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    region = object->region;
  }
  dc->buffer = buffer;
  dc->origin = origin;
  dc->visible = std::move(region);
  dc->keepAlive = std::move(keepAlive);
  return TRUE;
}

BOOL ResetBufferDC(HDC handle) {
  auto dc = GetDc(handle);
  if (!dc) return FALSE;
  ReleaseDcState(dc->state);
  dc->saved.clear();
  dc->state = DcState{};
  InitDcState(dc->state);
  return TRUE;
}

bool ReadDcPixels(HDC handle, DcPixels* out) {
  auto dc = GetDc(handle);
  if (!dc || !out) return false;
  if (dc->type != DcType::Memory) {
    out->owner = dc->keepAlive;
    out->buffer = dc->buffer;
    return true;
  }
  auto bitmap = dc->state.bitmap;
  auto copy = std::make_shared<std::vector<uint32_t>>(static_cast<size_t>(bitmap->width) * bitmap->height);
  if (bitmap->Direct()) {
    for (int y = 0; y < bitmap->height; ++y) {
      std::memcpy(&(*copy)[static_cast<size_t>(y) * bitmap->width], bitmap->NativeRow(y), bitmap->width * 4u);
    }
  } else {
    bitmap->LoadShadow();
    *copy = bitmap->shadow;
  }
  out->buffer = PixelBuffer{reinterpret_cast<uint8_t*>(copy->data()), bitmap->width, bitmap->height, bitmap->width * 4};
  out->owner = copy;
  return true;
}

// ---- coordinates -----------------------------------------------------------------------------

bool SimpleMapping(const DcState& state) {
  const XFORM& m = state.world;
  return state.graphicsMode != GM_ADVANCED || (m.eM11 == 1 && m.eM12 == 0 && m.eM21 == 0 && m.eM22 == 1 &&
                                              m.eDx == std::floor(m.eDx) && m.eDy == std::floor(m.eDy));
}

XFORM DeviceMatrix(const DcState& state) {
  XFORM m = state.graphicsMode == GM_ADVANCED ? state.world : XFORM{1, 0, 0, 1, 0, 0};
  m.eDx += static_cast<float>(state.viewportOrigin.x - state.windowOrigin.x);
  m.eDy += static_cast<float>(state.viewportOrigin.y - state.windowOrigin.y);
  return m;
}

PointF ToDeviceF(const DcState& state, double x, double y) {
  const XFORM m = DeviceMatrix(state);
  return PointF{x * m.eM11 + y * m.eM21 + m.eDx, x * m.eM12 + y * m.eM22 + m.eDy};
}

POINT ToDevice(const DcState& state, int x, int y) {
  const PointF p = ToDeviceF(state, x, y);
  return POINT{static_cast<LONG>(std::lround(p.x)), static_cast<LONG>(std::lround(p.y))};
}

RECT ToDeviceRect(const DcState& state, const RECT& rect) {
  const POINT a = ToDevice(state, rect.left, rect.top);
  const POINT b = ToDevice(state, rect.right, rect.bottom);
  return RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

bool InvertMatrix(const XFORM& m, XFORM* inverse) {
  const double det = static_cast<double>(m.eM11) * m.eM22 - static_cast<double>(m.eM12) * m.eM21;
  if (std::fabs(det) < 1e-12) return false;
  inverse->eM11 = static_cast<float>(m.eM22 / det);
  inverse->eM12 = static_cast<float>(-m.eM12 / det);
  inverse->eM21 = static_cast<float>(-m.eM21 / det);
  inverse->eM22 = static_cast<float>(m.eM11 / det);
  inverse->eDx = static_cast<float>((m.eM21 * m.eDy - m.eM22 * m.eDx) / det);
  inverse->eDy = static_cast<float>((m.eM12 * m.eDx - m.eM11 * m.eDy) / det);
  return true;
}

// ---- pixel access ----------------------------------------------------------------------------

DrawTarget::DrawTarget(DcObject& dc, bool write) : m_write(write) {
  if (dc.type == DcType::Memory) {
    m_bitmap = dc.state.bitmap;
    if (!m_bitmap) return;
    m_bounds = RECT{0, 0, m_bitmap->width, m_bitmap->height};
    if (m_bitmap->Direct()) {
      m_data = m_bitmap->NativeRow(0);
      m_stride = m_bitmap->topDown ? m_bitmap->stride : -static_cast<ptrdiff_t>(m_bitmap->stride);
    } else {
      m_bitmap->LoadShadow();
      m_data = reinterpret_cast<uint8_t*>(m_bitmap->shadow.data());
      m_stride = m_bitmap->width * 4;
    }
  } else {
    if (dc.type == DcType::Screen && !dc.buffer.pixels) dc.buffer = ScreenBuffer(&dc.keepAlive);
    m_data = dc.buffer.pixels;
    m_stride = dc.buffer.stride;
    m_offsetX = dc.origin.x;
    m_offsetY = dc.origin.y;
    m_bounds = RECT{-dc.origin.x, -dc.origin.y, dc.buffer.width - dc.origin.x, dc.buffer.height - dc.origin.y};
  }
  m_clip = Region(m_bounds);
  if (dc.visible) m_clip.Intersect(*dc.visible);
  if (dc.state.clip) m_clip.Intersect(*dc.state.clip);
}

DrawTarget::~DrawTarget() {
  if (m_write && m_bitmap && !m_bitmap->Direct()) m_bitmap->StoreShadow();
}

}  // namespace platform::detail

using namespace platform::detail;

// ---- creation and state ----------------------------------------------------------------------

HDC CreateCompatibleDC(HDC dc) {
  if (dc && !GetDc(dc)) return nullptr;
  auto object = std::make_shared<DcObject>();
  object->type = DcType::Memory;
  return AddDc(std::move(object));
}

static HDC CreateDisplayDc(const std::string& driver) {
  std::string lower;
  for (char c : driver) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower != "display") {
    SetLastErrorWithDetail(ERROR_INVALID_PARAMETER, "only the DISPLAY device is available");
    return nullptr;
  }
  auto object = std::make_shared<DcObject>();
  object->type = DcType::Screen;
  return AddDc(std::move(object));
}

HDC CreateDCA(LPCSTR driver, LPCSTR, LPCSTR, const void*) { return CreateDisplayDc(driver ? driver : ""); }
HDC CreateDCW(LPCWSTR driver, LPCWSTR, LPCWSTR, const void*) {
  return CreateDisplayDc(driver ? platform::Utf16ToUtf8(driver) : "");
}

BOOL DeleteDC(HDC dc) {
  auto object = GetDc(dc);
  if (!object) return FALSE;
  for (DcState& saved : object->saved) saved = DcState{};
  GdiHandles().Remove(reinterpret_cast<uintptr_t>(dc));
  return TRUE;
}

int SaveDC(HDC dc) {
  auto object = GetDc(dc);
  if (!object) return 0;
  object->saved.push_back(object->state);
  return static_cast<int>(object->saved.size());
}

BOOL RestoreDC(HDC dc, int level) {
  auto object = GetDc(dc);
  if (!object) return FALSE;
  const int depth = static_cast<int>(object->saved.size());
  const int target = level < 0 ? depth + level + 1 : level;
  if (level == 0 || target < 1 || target > depth) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DcState restored = object->saved[static_cast<size_t>(target - 1)];
  object->saved.resize(static_cast<size_t>(target - 1));
  for (GdiObject* o : {static_cast<GdiObject*>(restored.pen.get()), static_cast<GdiObject*>(restored.brush.get()),
                       static_cast<GdiObject*>(restored.font.get()), static_cast<GdiObject*>(restored.bitmap.get()),
                       static_cast<GdiObject*>(restored.palette.get())}) {
    if (o) ++o->selections;
  }
  ReleaseDcState(object->state);
  object->state = std::move(restored);
  return TRUE;
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type) {
  auto object = GetDc(dc);
  if (!object) return nullptr;
  const DcState& state = object->state;
  GdiObject* current = nullptr;
  switch (type) {
    case OBJ_PEN:
    case OBJ_EXTPEN: current = state.pen.get(); break;
    case OBJ_BRUSH: current = state.brush.get(); break;
    case OBJ_FONT: current = state.font.get(); break;
    case OBJ_BITMAP: current = state.bitmap.get(); break;
    case OBJ_PAL: current = state.palette.get(); break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
  }
  return current ? reinterpret_cast<HGDIOBJ>(current->handle) : nullptr;
}

int GetDeviceCaps(HDC dc, int index) {
  if (!GetDc(dc)) return 0;
  const SIZE screen = ScreenSize();
  switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return DT_RASDISPLAY;
    case HORZSIZE: return static_cast<int>(std::lround(screen.cx * 25.4 / 96));
    case VERTSIZE: return static_cast<int>(std::lround(screen.cy * 25.4 / 96));
    case HORZRES:
    case DESKTOPHORZRES: return screen.cx;
    case VERTRES:
    case DESKTOPVERTRES: return screen.cy;
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case NUMBRUSHES:
    case NUMPENS:
    case NUMCOLORS: return -1;
    case NUMFONTS: return 0;
    case RASTERCAPS: return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case SIZEPALETTE:
    case NUMRESERVED: return 0;
    case COLORRES: return 24;
    case VREFRESH: return 60;
    case BLTALIGNMENT: return 0;
    case SHADEBLENDCAPS: return SB_CONST_ALPHA | SB_PIXEL_ALPHA;
    default: return 0;
  }
}

// ---- attributes ------------------------------------------------------------------------------

template <typename T, typename V>
static V Exchange(HDC dc, T DcState::*field, V value, V failure) {
  auto object = GetDc(dc);
  if (!object) return failure;
  V previous = static_cast<V>(object->state.*field);
  object->state.*field = static_cast<T>(value);
  return previous;
}

template <typename T>
static T Read(HDC dc, T DcState::*field, T failure) {
  auto object = GetDc(dc);
  return object ? object->state.*field : failure;
}

COLORREF SetTextColor(HDC dc, COLORREF color) { return Exchange(dc, &DcState::textColor, color & 0xFFFFFF, CLR_INVALID); }
COLORREF GetTextColor(HDC dc) { return Read(dc, &DcState::textColor, CLR_INVALID); }
COLORREF SetBkColor(HDC dc, COLORREF color) { return Exchange(dc, &DcState::bkColor, color & 0xFFFFFF, CLR_INVALID); }
COLORREF GetBkColor(HDC dc) { return Read(dc, &DcState::bkColor, CLR_INVALID); }
COLORREF SetDCBrushColor(HDC dc, COLORREF color) {
  return Exchange(dc, &DcState::dcBrushColor, color & 0xFFFFFF, CLR_INVALID);
}
COLORREF SetDCPenColor(HDC dc, COLORREF color) { return Exchange(dc, &DcState::dcPenColor, color & 0xFFFFFF, CLR_INVALID); }

int SetBkMode(HDC dc, int mode) {
  if (mode != TRANSPARENT && mode != OPAQUE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Exchange(dc, &DcState::bkMode, mode, 0);
}
int GetBkMode(HDC dc) { return Read(dc, &DcState::bkMode, 0); }

int SetROP2(HDC dc, int mode) {
  if (mode < R2_BLACK || mode > R2_WHITE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Exchange(dc, &DcState::rop2, mode, 0);
}
int GetROP2(HDC dc) { return Read(dc, &DcState::rop2, 0); }

int SetStretchBltMode(HDC dc, int mode) {
  if (mode < BLACKONWHITE || mode > HALFTONE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Exchange(dc, &DcState::stretchMode, mode, 0);
}
int GetStretchBltMode(HDC dc) { return Read(dc, &DcState::stretchMode, 0); }

int SetPolyFillMode(HDC dc, int mode) {
  if (mode != ALTERNATE && mode != WINDING) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Exchange(dc, &DcState::polyFillMode, mode, 0);
}
int GetPolyFillMode(HDC dc) { return Read(dc, &DcState::polyFillMode, 0); }

UINT SetTextAlign(HDC dc, UINT align) { return Exchange(dc, &DcState::textAlign, align, GDI_ERROR); }
UINT GetTextAlign(HDC dc) { return Read(dc, &DcState::textAlign, GDI_ERROR); }

static BOOL SetPointField(HDC dc, POINT DcState::*field, int x, int y, POINT* previous, bool relative) {
  auto object = GetDc(dc);
  if (!object) return FALSE;
  POINT& point = object->state.*field;
  if (previous) *previous = point;
  point = relative ? POINT{point.x + x, point.y + y} : POINT{x, y};
  return TRUE;
}

static BOOL GetPointField(HDC dc, POINT DcState::*field, POINT* out) {
  auto object = GetDc(dc);
  if (!object || !out) {
    if (object) SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *out = object->state.*field;
  return TRUE;
}

BOOL SetBrushOrgEx(HDC dc, int x, int y, POINT* previous) {
  return SetPointField(dc, &DcState::brushOrigin, x, y, previous, false);
}
BOOL GetBrushOrgEx(HDC dc, POINT* origin) { return GetPointField(dc, &DcState::brushOrigin, origin); }

// ---- coordinates -----------------------------------------------------------------------------

int SetMapMode(HDC dc, int mode) {
  if (!GetDc(dc)) return 0;
  if (mode != MM_TEXT) {
    SetLastErrorWithDetail(ERROR_INVALID_PARAMETER, "only MM_TEXT is supported");
    return 0;
  }
  return MM_TEXT;
}
int GetMapMode(HDC dc) { return GetDc(dc) ? MM_TEXT : 0; }

BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* previous) {
  return SetPointField(dc, &DcState::windowOrigin, x, y, previous, false);
}
BOOL GetWindowOrgEx(HDC dc, POINT* origin) { return GetPointField(dc, &DcState::windowOrigin, origin); }
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, POINT* previous) {
  return SetPointField(dc, &DcState::windowOrigin, dx, dy, previous, true);
}
BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* previous) {
  return SetPointField(dc, &DcState::viewportOrigin, x, y, previous, false);
}
BOOL GetViewportOrgEx(HDC dc, POINT* origin) { return GetPointField(dc, &DcState::viewportOrigin, origin); }
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* previous) {
  return SetPointField(dc, &DcState::viewportOrigin, dx, dy, previous, true);
}

BOOL LPtoDP(HDC dc, POINT* points, int count) {
  auto object = GetDc(dc);
  if (!object || (!points && count > 0)) return FALSE;
  for (int i = 0; i < count; ++i) points[i] = ToDevice(object->state, points[i].x, points[i].y);
  return TRUE;
}

BOOL DPtoLP(HDC dc, POINT* points, int count) {
  auto object = GetDc(dc);
  XFORM inverse;
  if (!object || (!points && count > 0) || !InvertMatrix(DeviceMatrix(object->state), &inverse)) return FALSE;
  for (int i = 0; i < count; ++i) {
    const double x = points[i].x, y = points[i].y;
    points[i].x = static_cast<LONG>(std::lround(x * inverse.eM11 + y * inverse.eM21 + inverse.eDx));
    points[i].y = static_cast<LONG>(std::lround(x * inverse.eM12 + y * inverse.eM22 + inverse.eDy));
  }
  return TRUE;
}

int SetGraphicsMode(HDC dc, int mode) {
  auto object = GetDc(dc);
  if (!object) return 0;
  if (mode != GM_COMPATIBLE && mode != GM_ADVANCED) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // Going back to the compatible mode requires the identity transform, as documented.
  if (mode == GM_COMPATIBLE && object->state.graphicsMode == GM_ADVANCED) {
    const XFORM& m = object->state.world;
    if (!(m.eM11 == 1 && m.eM12 == 0 && m.eM21 == 0 && m.eM22 == 1 && m.eDx == 0 && m.eDy == 0)) return 0;
  }
  const int previous = object->state.graphicsMode;
  object->state.graphicsMode = mode;
  return previous;
}
int GetGraphicsMode(HDC dc) { return Read(dc, &DcState::graphicsMode, 0); }

BOOL CombineTransform(XFORM* result, const XFORM* a, const XFORM* b) {
  if (!result || !a || !b) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // a then b.
  XFORM r;
  r.eM11 = a->eM11 * b->eM11 + a->eM12 * b->eM21;
  r.eM12 = a->eM11 * b->eM12 + a->eM12 * b->eM22;
  r.eM21 = a->eM21 * b->eM11 + a->eM22 * b->eM21;
  r.eM22 = a->eM21 * b->eM12 + a->eM22 * b->eM22;
  r.eDx = a->eDx * b->eM11 + a->eDy * b->eM21 + b->eDx;
  r.eDy = a->eDx * b->eM12 + a->eDy * b->eM22 + b->eDy;
  *result = r;
  return TRUE;
}

BOOL SetWorldTransform(HDC dc, const XFORM* transform) {
  auto object = GetDc(dc);
  if (!object) return FALSE;
  XFORM inverse;
  if (!transform || object->state.graphicsMode != GM_ADVANCED || !InvertMatrix(*transform, &inverse)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  object->state.world = *transform;
  return TRUE;
}

BOOL GetWorldTransform(HDC dc, XFORM* transform) {
  auto object = GetDc(dc);
  if (!object || !transform) return FALSE;
  *transform = object->state.world;
  return TRUE;
}

BOOL ModifyWorldTransform(HDC dc, const XFORM* transform, DWORD mode) {
  auto object = GetDc(dc);
  if (!object) return FALSE;
  if (object->state.graphicsMode != GM_ADVANCED) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  XFORM result;
  switch (mode) {
    case MWT_IDENTITY: result = XFORM{1, 0, 0, 1, 0, 0}; break;
    case MWT_LEFTMULTIPLY:
      if (!transform) return FALSE;
      CombineTransform(&result, transform, &object->state.world);
      break;
    case MWT_RIGHTMULTIPLY:
      if (!transform) return FALSE;
      CombineTransform(&result, &object->state.world, transform);
      break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return FALSE;
  }
  XFORM inverse;
  if (!InvertMatrix(result, &inverse)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  object->state.world = result;
  return TRUE;
}

// ---- clipping --------------------------------------------------------------------------------

static Region SurfaceRegion(DcObject& dc) {
  DrawTarget target(dc, false);
  Region region(target.Bounds());
  if (dc.visible) region.Intersect(*dc.visible);
  return region;
}

static int ClipComplexity(DcObject& dc) {
  DrawTarget target(dc, false);
  return target.Clip().Complexity();
}

static Region LogicalRectRegion(const DcState& state, int left, int top, int right, int bottom) {
  if (SimpleMapping(state)) return Region(ToDeviceRect(state, RECT{left, top, right, bottom}));
  std::vector<PointF> corners = {ToDeviceF(state, left, top), ToDeviceF(state, right, top),
                                 ToDeviceF(state, right, bottom), ToDeviceF(state, left, bottom)};
  return PolygonRegion({corners}, ALTERNATE);
}

int ExtSelectClipRgn(HDC dc, HRGN handle, int mode) {
  auto object = GetDc(dc);
  if (!object) return ERROR;
  if (mode < RGN_AND || mode > RGN_COPY) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return ERROR;
  }
  if (!handle) {
    if (mode != RGN_COPY) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return ERROR;
    }
    object->state.clip.reset();
    return ClipComplexity(*object);
  }
  auto region = GetGdi<RegionObject>(handle, GdiKind::Region);
  if (!region) {
    SetLastError(ERROR_INVALID_HANDLE);
    return ERROR;
  }
  if (mode == RGN_COPY) {
    object->state.clip = region->region;
  } else {
    Region current = object->state.clip ? *object->state.clip : SurfaceRegion(*object);
    Region result;
    switch (mode) {
      case RGN_AND: pixman_region32_intersect(result.get(), current.get(), region->region.mut()); break;
      case RGN_OR: pixman_region32_union(result.get(), current.get(), region->region.mut()); break;
      case RGN_DIFF: pixman_region32_subtract(result.get(), current.get(), region->region.mut()); break;
      case RGN_XOR: {
        Region a, b;
        pixman_region32_subtract(a.get(), current.get(), region->region.mut());
        pixman_region32_subtract(b.get(), region->region.mut(), current.get());
        pixman_region32_union(result.get(), a.get(), b.get());
        break;
      }
    }
    object->state.clip = std::move(result);
  }
  return ClipComplexity(*object);
}

int SelectClipRgn(HDC dc, HRGN region) { return ExtSelectClipRgn(dc, region, RGN_COPY); }

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
  auto object = GetDc(dc);
  if (!object) return ERROR;
  Region rect = LogicalRectRegion(object->state, left, top, right, bottom);
  if (object->state.clip) {
    object->state.clip->Intersect(rect);
  } else {
    Region surface = SurfaceRegion(*object);
    surface.Intersect(rect);
    object->state.clip = std::move(surface);
  }
  return ClipComplexity(*object);
}

int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom) {
  auto object = GetDc(dc);
  if (!object) return ERROR;
  Region rect = LogicalRectRegion(object->state, left, top, right, bottom);
  if (!object->state.clip) object->state.clip = SurfaceRegion(*object);
  object->state.clip->Subtract(rect);
  return ClipComplexity(*object);
}

int OffsetClipRgn(HDC dc, int dx, int dy) {
  auto object = GetDc(dc);
  if (!object) return ERROR;
  if (object->state.clip) object->state.clip->Translate(dx, dy);
  return ClipComplexity(*object);
}

int GetClipBox(HDC dc, RECT* rect) {
  auto object = GetDc(dc);
  if (!object || !rect) return ERROR;
  DrawTarget target(*object, false);
  RECT box = target.Clip().Bounds();
  POINT corners[2] = {{box.left, box.top}, {box.right, box.bottom}};
  DPtoLP(dc, corners, 2);
  *rect = RECT{std::min(corners[0].x, corners[1].x), std::min(corners[0].y, corners[1].y),
               std::max(corners[0].x, corners[1].x), std::max(corners[0].y, corners[1].y)};
  return target.Clip().Complexity();
}

int GetClipRgn(HDC dc, HRGN handle) {
  auto object = GetDc(dc);
  auto region = GetGdi<RegionObject>(handle, GdiKind::Region);
  if (!object || !region) {
    SetLastError(ERROR_INVALID_HANDLE);
    return -1;
  }
  if (!object->state.clip) return 0;
  region->region = *object->state.clip;
  return 1;
}

BOOL RectVisible(HDC dc, const RECT* rect) {
  auto object = GetDc(dc);
  if (!object || !rect) return FALSE;
  DrawTarget target(*object, false);
  Region area = LogicalRectRegion(object->state, rect->left, rect->top, rect->right, rect->bottom);
  area.Intersect(target.Clip());
  return area.Empty() ? FALSE : TRUE;
}

BOOL PtVisible(HDC dc, int x, int y) {
  auto object = GetDc(dc);
  if (!object) return FALSE;
  DrawTarget target(*object, false);
  const POINT p = ToDevice(object->state, x, y);
  return target.Clip().Contains(p.x, p.y) ? TRUE : FALSE;
}
