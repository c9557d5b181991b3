#pragma once

// Internal model of the GDI: the object kinds behind the handles, DC state, pixel access
// and the region wrapper shared by the implementation files. Not for use outside the GDI.

#include <pixman.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gdi/BufferDC.h"
#include "platform/gdi/WinGdi.h"
#include "platform/kernel/HandleTable.h"
#include "platform/kernel/WinError.h"

namespace platform::detail {

// ---- regions -------------------------------------------------------------------------------

// Owns a pixman region (device pixels, half-open rectangles).
class Region {
 public:
  Region() { pixman_region32_init(&m_region); }
  explicit Region(const RECT& rect);
  Region(const Region& other) {
    pixman_region32_init(&m_region);
    pixman_region32_copy(&m_region, const_cast<pixman_region32_t*>(&other.m_region));
  }
  Region& operator=(const Region& other) {
    if (this != &other) pixman_region32_copy(&m_region, const_cast<pixman_region32_t*>(&other.m_region));
    return *this;
  }
  ~Region() { pixman_region32_fini(&m_region); }

  static Region FromRects(const std::vector<pixman_box32_t>& boxes);

  pixman_region32_t* get() { return &m_region; }
  const pixman_region32_t* get() const { return &m_region; }
  pixman_region32_t* mut() const { return const_cast<pixman_region32_t*>(&m_region); }

  bool Empty() const { return !pixman_region32_not_empty(mut()); }
  RECT Bounds() const;
  int Complexity() const;  // NULLREGION, SIMPLEREGION or COMPLEXREGION
  std::vector<pixman_box32_t> Boxes() const;
  void Intersect(const Region& other) { pixman_region32_intersect(&m_region, &m_region, other.mut()); }
  void Unite(const Region& other) { pixman_region32_union(&m_region, &m_region, other.mut()); }
  void Subtract(const Region& other) { pixman_region32_subtract(&m_region, &m_region, other.mut()); }
  void Translate(int dx, int dy) { pixman_region32_translate(&m_region, dx, dy); }
  bool Contains(int x, int y) const { return pixman_region32_contains_point(mut(), x, y, nullptr); }

 private:
  pixman_region32_t m_region;
};

// Shapes as regions, in device pixels.
Region RoundRectRegion(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
Region EllipseRegion(int left, int top, int right, int bottom);
struct PointF {
  double x;
  double y;
};
Region PolygonRegion(const std::vector<std::vector<PointF>>& polygons, int fillMode);

// ---- objects -------------------------------------------------------------------------------

enum class GdiKind : uint8_t { Dc, Pen, Brush, Font, Bitmap, Region, Palette };

struct GdiObject {
  explicit GdiObject(GdiKind kind) : kind(kind) {}
  virtual ~GdiObject() = default;
  const GdiKind kind;
  uintptr_t handle = 0;
  bool stock = false;
  std::atomic<int> selections{0};  // how many DCs have it selected now
};

HandleTable<GdiObject>& GdiHandles();
uintptr_t AddGdiObject(std::shared_ptr<GdiObject> object);

template <typename T>
std::shared_ptr<T> GetGdi(const void* handle, GdiKind kind) {
  auto object = GdiHandles().Get(reinterpret_cast<uintptr_t>(handle));
  if (!object || object->kind != kind) return nullptr;
  return std::static_pointer_cast<T>(object);
}

struct PenObject : GdiObject {
  PenObject() : GdiObject(GdiKind::Pen) {}
  DWORD style = PS_SOLID;  // full style word, type and caps included
  int width = 1;
  COLORREF color = 0;
  bool extended = false;
  bool dcPen = false;  // the DC_PEN stock pen: colour comes from the DC
  int Style() const { return static_cast<int>(style & PS_STYLE_MASK); }
};

struct BitmapObject;

struct BrushObject : GdiObject {
  BrushObject() : GdiObject(GdiKind::Brush) {}
  UINT style = BS_SOLID;
  COLORREF color = 0;
  int hatch = 0;
  bool dcBrush = false;  // the DC_BRUSH stock brush
  // Pattern brushes: a copy of the bitmap's pixels; monochrome patterns take the DC's text
  // and background colours.
  std::vector<uint32_t> pattern;
  int patternWidth = 0;
  int patternHeight = 0;
  bool monochrome = false;
  HBITMAP patternBitmap = nullptr;
};

struct FontObject : GdiObject {
  FontObject() : GdiObject(GdiKind::Font) {}
  ~FontObject() override;
  LOGFONTW logFont{};
  std::string family;       // fontconfig family we asked for
  void* description = nullptr;  // PangoFontDescription*, made on first use
  // Metrics in pixels, filled on first use.
  bool measured = false;
  int ascent = 0;
  int descent = 0;
  int emHeight = 0;
  int averageWidth = 0;
  int maxWidth = 0;
  bool fixedPitch = false;
};

struct BitmapObject : GdiObject {
  BitmapObject() : GdiObject(GdiKind::Bitmap) {}
  int width = 0;
  int height = 0;
  int bitsPerPixel = 32;
  bool dib = false;
  bool topDown = true;  // DDBs are top-down; DIB sections as created
  int stride = 0;       // bytes per native row
  std::unique_ptr<uint8_t[], void (*)(void*)> storage{nullptr, nullptr};
  std::vector<RGBQUAD> colors;  // colour table for 1/4/8 bits
  DWORD masks[3] = {0, 0, 0};   // 16/32-bit bit fields
  bool bitfields = false;
  SIZE dimension{0, 0};
  // Non-32-bit bitmaps are drawn through a 32-bit top-down copy.
  std::vector<uint32_t> shadow;

  uint8_t* NativeRow(int y) const {  // y counts from the top of the picture
    return storage.get() + static_cast<size_t>(topDown ? y : height - 1 - y) * stride;
  }
  bool Direct() const { return bitsPerPixel == 32; }
  void LoadShadow();
  void StoreShadow();
};

struct PaletteObject : GdiObject {
  PaletteObject() : GdiObject(GdiKind::Palette) {}
  std::vector<PALETTEENTRY> entries;
};

struct RegionObject : GdiObject {
  RegionObject() : GdiObject(GdiKind::Region) {}
  Region region;
};

// ---- DCs -----------------------------------------------------------------------------------

struct DcState {
  std::shared_ptr<PenObject> pen;
  std::shared_ptr<BrushObject> brush;
  std::shared_ptr<FontObject> font;
  std::shared_ptr<BitmapObject> bitmap;  // memory DCs
  std::shared_ptr<PaletteObject> palette;
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF bkColor = RGB(255, 255, 255);
  COLORREF dcBrushColor = RGB(255, 255, 255);
  COLORREF dcPenColor = RGB(0, 0, 0);
  int bkMode = OPAQUE;
  int rop2 = R2_COPYPEN;
  int stretchMode = BLACKONWHITE;
  int polyFillMode = ALTERNATE;
  UINT textAlign = TA_TOP | TA_LEFT;
  int graphicsMode = GM_COMPATIBLE;
  POINT brushOrigin{0, 0};
  POINT windowOrigin{0, 0};
  POINT viewportOrigin{0, 0};
  POINT position{0, 0};
  XFORM world{1, 0, 0, 1, 0, 0};
  std::optional<Region> clip;  // application clip region, device coordinates
};

enum class DcType { Memory, Screen, Buffer };

struct DcObject : GdiObject {
  DcObject() : GdiObject(GdiKind::Dc) {}
  ~DcObject() override;
  DcType type = DcType::Memory;
  DcState state;
  std::vector<DcState> saved;
  // Buffer and screen DCs.
  PixelBuffer buffer;
  POINT origin{0, 0};
  std::optional<Region> visible;
  std::shared_ptr<void> keepAlive;
};

std::shared_ptr<DcObject> GetDc(HDC dc);  // sets ERROR_INVALID_HANDLE when it fails
void InitDcState(DcState& state);
void ReleaseDcState(DcState& state);

// True when the world transform is the identity or a translation.
bool SimpleMapping(const DcState& state);
PointF ToDeviceF(const DcState& state, double x, double y);
POINT ToDevice(const DcState& state, int x, int y);
// Device rectangle of a logical rectangle under a simple mapping (normalised).
RECT ToDeviceRect(const DcState& state, const RECT& rect);
// The 2x3 matrix logical -> device.
XFORM DeviceMatrix(const DcState& state);
bool InvertMatrix(const XFORM& m, XFORM* inverse);

// Pixel access to what a DC draws into, with its effective clip region. Non-32-bit bitmaps
// are converted to 32 bits for the lifetime of the target and written back afterwards.
class DrawTarget {
 public:
  explicit DrawTarget(DcObject& dc, bool write = true);
  ~DrawTarget();
  DrawTarget(const DrawTarget&) = delete;
  DrawTarget& operator=(const DrawTarget&) = delete;

  bool Valid() const { return m_data != nullptr; }
  uint32_t* Pixel(int x, int y) const {
    return reinterpret_cast<uint32_t*>(m_data + static_cast<ptrdiff_t>(y + m_offsetY) * m_stride) + (x + m_offsetX);
  }
  const Region& Clip() const { return m_clip; }
  // Device-space rectangle of the whole surface.
  RECT Bounds() const { return m_bounds; }
  // Monochrome device-dependent bitmaps convert colours by the text and background colours.
  bool Monochrome() const { return m_bitmap && m_bitmap->bitsPerPixel == 1 && !m_bitmap->dib; }

 private:
  std::shared_ptr<BitmapObject> m_bitmap;
  uint8_t* m_data = nullptr;
  ptrdiff_t m_stride = 0;
  int m_offsetX = 0;
  int m_offsetY = 0;
  RECT m_bounds{0, 0, 0, 0};
  Region m_clip;
  bool m_write;
};

// ---- pixels and painting -------------------------------------------------------------------

inline uint32_t ToPixel(COLORREF color) {
  return (static_cast<uint32_t>(GetRValue(color)) << 16) | (static_cast<uint32_t>(GetGValue(color)) << 8) |
         GetBValue(color);
}
inline COLORREF ToColorRef(uint32_t pixel) {
  return RGB(static_cast<BYTE>(pixel >> 16), static_cast<BYTE>(pixel >> 8), static_cast<BYTE>(pixel));
}
// Windows' ROP2 on two pixels (code R2_BLACK..R2_WHITE).
inline uint32_t ApplyRop2(int rop2, uint32_t pen, uint32_t dest) {
  const unsigned table = static_cast<unsigned>(rop2 - 1) & 15;
  uint32_t result = 0;
  if (table & 1) result |= ~pen & ~dest;
  if (table & 2) result |= ~pen & dest;
  if (table & 4) result |= pen & ~dest;
  if (table & 8) result |= pen & dest;
  return result;
}
// Windows' ROP3 (the code's third byte) on pattern, source and destination.
inline uint32_t ApplyRop3(uint8_t rop, uint32_t p, uint32_t s, uint32_t d) {
  switch (rop) {
    case 0xCC: return s;
    case 0xF0: return p;
    case 0x00: return 0;
    case 0xFF: return 0xFFFFFFFF;
    case 0x55: return ~d;
    case 0x33: return ~s;
    case 0x88: return s & d;
    case 0xEE: return s | d;
    case 0x66: return s ^ d;
    case 0x5A: return p ^ d;
    default: break;
  }
  uint32_t result = 0;
  for (int i = 0; i < 8; ++i) {
    if (!(rop & (1 << i))) continue;
    result |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  }
  return result;
}

// What fills a shape: one colour, or a brush's tiled pattern (transparent where the mask
// is 0, for hatches in TRANSPARENT mode).
struct Paint {
  bool none = false;
  bool pattern = false;
  uint32_t color = 0;
  std::vector<uint32_t> tile;
  std::vector<uint8_t> mask;
  int tileWidth = 0;
  int tileHeight = 0;
  POINT origin{0, 0};
  uint32_t At(int x, int y, bool* visible) const;
};

Paint BrushPaint(const DcState& state, const BrushObject* brush);
Paint ColorPaint(COLORREF color);
// Paints `shape` (device coordinates) clipped by the target with ROP2; alpha byte 0.
void PaintRegion(DrawTarget& target, const Region& shape, const Paint& paint, int rop2);
COLORREF PenColor(const DcState& state);

// Rows in the DIB formats, converted to and from 32-bit pixels.
struct DibFormat {
  int width = 0;
  int height = 0;  // absolute
  bool topDown = false;
  int bitsPerPixel = 32;
  int stride = 0;
  std::vector<RGBQUAD> colors;
  DWORD masks[3] = {0, 0, 0};
  bool bitfields = false;
};
// Fails with ERROR_INVALID_PARAMETER for depths or compressions we do not handle.
bool ParseBitmapInfo(const BITMAPINFO* info, UINT usage, DibFormat* format);
void ReadDibRow(const DibFormat& format, const uint8_t* row, uint32_t* out, int count);
void WriteDibRow(const DibFormat& format, const uint32_t* in, uint8_t* row, int count);
inline int DibStride(int width, int bitsPerPixel) { return ((width * bitsPerPixel + 31) / 32) * 4; }

// Text metrics of the DC's font (made on demand).
FontObject& MeasuredFont(FontObject& font);
std::shared_ptr<FontObject> DefaultFont();

}  // namespace platform::detail
