// Handle table, stock objects, pens, brushes, palettes, selection and deletion.

#include <cstring>
#include <mutex>

#include "platform/gdi/GdiInternal.h"
#include "platform/kernel/Unicode.h"

namespace platform::detail {

HandleTable<GdiObject>& GdiHandles() {
  static HandleTable<GdiObject> table(handle_tags::kGdi);
  return table;
}

uintptr_t AddGdiObject(std::shared_ptr<GdiObject> object) {
  GdiObject* raw = object.get();
  raw->handle = GdiHandles().Add(std::move(object));
  return raw->handle;
}

namespace {

struct StockObjects {
  HGDIOBJ objects[DC_PEN + 1] = {};
};

std::shared_ptr<BrushObject> MakeBrush(UINT style, COLORREF color) {
  auto brush = std::make_shared<BrushObject>();
  brush->style = style;
  brush->color = color;
  return brush;
}

std::shared_ptr<PenObject> MakePen(int style, int width, COLORREF color) {
  auto pen = std::make_shared<PenObject>();
  pen->style = static_cast<DWORD>(style);
  pen->width = width;
  pen->color = color;
  return pen;
}

std::shared_ptr<FontObject> MakeStockFont(LONG height, const char16_t* face, bool fixed, LONG weight) {
  auto font = std::make_shared<FontObject>();
  font->logFont.lfHeight = height;
  font->logFont.lfWeight = weight;
  font->logFont.lfCharSet = DEFAULT_CHARSET;
  font->logFont.lfPitchAndFamily = fixed ? (FIXED_PITCH | FF_MODERN) : (VARIABLE_PITCH | FF_SWISS);
  std::u16string name(face);
  std::memcpy(font->logFont.lfFaceName, name.c_str(), (name.size() + 1) * sizeof(char16_t));
  return font;
}

const StockObjects& Stock() {
  static const StockObjects stock = [] {
    StockObjects result;
    auto add = [&](int index, std::shared_ptr<GdiObject> object) {
      object->stock = true;
      result.objects[index] = reinterpret_cast<HGDIOBJ>(AddGdiObject(std::move(object)));
    };
    add(WHITE_BRUSH, MakeBrush(BS_SOLID, RGB(255, 255, 255)));
    add(LTGRAY_BRUSH, MakeBrush(BS_SOLID, RGB(192, 192, 192)));
    add(GRAY_BRUSH, MakeBrush(BS_SOLID, RGB(128, 128, 128)));
    add(DKGRAY_BRUSH, MakeBrush(BS_SOLID, RGB(64, 64, 64)));
    add(BLACK_BRUSH, MakeBrush(BS_SOLID, RGB(0, 0, 0)));
    add(NULL_BRUSH, MakeBrush(BS_NULL, 0));
    add(WHITE_PEN, MakePen(PS_SOLID, 1, RGB(255, 255, 255)));
    add(BLACK_PEN, MakePen(PS_SOLID, 1, RGB(0, 0, 0)));
    add(NULL_PEN, MakePen(PS_NULL, 1, 0));
    add(OEM_FIXED_FONT, MakeStockFont(12, u"Courier New", true, FW_NORMAL));
    add(ANSI_FIXED_FONT, MakeStockFont(12, u"Courier New", true, FW_NORMAL));
    add(ANSI_VAR_FONT, MakeStockFont(-11, u"MS Sans Serif", false, FW_NORMAL));
    add(SYSTEM_FONT, MakeStockFont(16, u"System", false, FW_BOLD));
    add(DEVICE_DEFAULT_FONT, MakeStockFont(16, u"System", false, FW_BOLD));
    auto palette = std::make_shared<PaletteObject>();
    palette->entries.resize(20);
    add(DEFAULT_PALETTE, palette);
    add(SYSTEM_FIXED_FONT, MakeStockFont(16, u"Courier New", true, FW_NORMAL));
    add(DEFAULT_GUI_FONT, MakeStockFont(-11, u"MS Shell Dlg", false, FW_NORMAL));
    auto dcBrush = MakeBrush(BS_SOLID, RGB(255, 255, 255));
    dcBrush->dcBrush = true;
    add(DC_BRUSH, dcBrush);
    auto dcPen = MakePen(PS_SOLID, 1, 0);
    dcPen->dcPen = true;
    add(DC_PEN, dcPen);
    return result;
  }();
  return stock;
}

}  // namespace

std::shared_ptr<FontObject> DefaultFont() {
  return GetGdi<FontObject>(Stock().objects[SYSTEM_FONT], GdiKind::Font);
}

void InitDcState(DcState& state) {
  const auto& stock = Stock();
  state.pen = GetGdi<PenObject>(stock.objects[BLACK_PEN], GdiKind::Pen);
  state.brush = GetGdi<BrushObject>(stock.objects[WHITE_BRUSH], GdiKind::Brush);
  state.font = GetGdi<FontObject>(stock.objects[SYSTEM_FONT], GdiKind::Font);
  state.palette = GetGdi<PaletteObject>(stock.objects[DEFAULT_PALETTE], GdiKind::Palette);
  for (GdiObject* object : {static_cast<GdiObject*>(state.pen.get()), static_cast<GdiObject*>(state.brush.get()),
                            static_cast<GdiObject*>(state.font.get()), static_cast<GdiObject*>(state.palette.get())}) {
    ++object->selections;
  }
}

void ReleaseDcState(DcState& state) {
  for (GdiObject* object : {static_cast<GdiObject*>(state.pen.get()), static_cast<GdiObject*>(state.brush.get()),
                            static_cast<GdiObject*>(state.font.get()), static_cast<GdiObject*>(state.bitmap.get()),
                            static_cast<GdiObject*>(state.palette.get())}) {
    if (object) --object->selections;
  }
}

COLORREF PenColor(const DcState& state) { return state.pen->dcPen ? state.dcPenColor : state.pen->color; }

}  // namespace platform::detail

using namespace platform::detail;

HGDIOBJ GetStockObject(int index) {
  if (index < 0 || index > DC_PEN || index == 9) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return Stock().objects[index];
}

DWORD GetObjectType(HGDIOBJ handle) {
  auto object = GdiHandles().Get(reinterpret_cast<uintptr_t>(handle));
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  switch (object->kind) {
    case GdiKind::Dc: return static_cast<DcObject&>(*object).type == DcType::Memory ? OBJ_MEMDC : OBJ_DC;
    case GdiKind::Pen: return static_cast<PenObject&>(*object).extended ? OBJ_EXTPEN : OBJ_PEN;
    case GdiKind::Brush: return OBJ_BRUSH;
    case GdiKind::Font: return OBJ_FONT;
    case GdiKind::Bitmap: return OBJ_BITMAP;
    case GdiKind::Region: return OBJ_REGION;
    case GdiKind::Palette: return OBJ_PAL;
  }
  return 0;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ handle) {
  auto context = GetDc(dc);
  if (!context) return nullptr;
  auto object = GdiHandles().Get(reinterpret_cast<uintptr_t>(handle));
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  DcState& state = context->state;
  auto swap = [&](auto& slot) -> HGDIOBJ {
    using T = typename std::decay_t<decltype(slot)>::element_type;
    auto previous = slot;
    if (previous.get() == object.get()) return handle;
    slot = std::static_pointer_cast<T>(object);
    ++object->selections;
    if (previous) --previous->selections;
    return previous ? reinterpret_cast<HGDIOBJ>(previous->handle) : nullptr;
  };
  switch (object->kind) {
    case GdiKind::Pen: return swap(state.pen);
    case GdiKind::Brush: return swap(state.brush);
    case GdiKind::Font: return swap(state.font);
    case GdiKind::Palette: return swap(state.palette);
    case GdiKind::Bitmap: {
      // Bitmaps go only into memory DCs, and into one at a time.
      if (context->type != DcType::Memory) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
      }
      if (state.bitmap.get() == object.get()) return handle;
      if (object->selections > 0 && !object->stock) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
      }
      return swap(state.bitmap);
    }
    case GdiKind::Region: {
      // Selecting a region sets the clip region and returns its complexity.
      int result = SelectClipRgn(dc, static_cast<HRGN>(handle));
      return reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(result));
    }
    case GdiKind::Dc: break;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

BOOL DeleteObject(HGDIOBJ handle) {
  auto object = GdiHandles().Get(reinterpret_cast<uintptr_t>(handle));
  if (!object || object->kind == GdiKind::Dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (object->stock) return TRUE;
  if (object->selections > 0) {
    // Deleting an object that is selected into a DC fails, as documented.
    SetLastErrorWithDetail(ERROR_INVALID_PARAMETER, "the object is selected into a device context");
    return FALSE;
  }
  GdiHandles().Remove(reinterpret_cast<uintptr_t>(handle));
  return TRUE;
}

static int CopyOut(const void* record, int recordSize, int size, void* buffer) {
  if (!buffer) return recordSize;
  const int count = std::min(size, recordSize);
  if (count <= 0) return 0;
  std::memcpy(buffer, record, static_cast<size_t>(count));
  return count;
}

static int GetObjectImpl(HGDIOBJ handle, int size, void* buffer, bool wide) {
  auto object = GdiHandles().Get(reinterpret_cast<uintptr_t>(handle));
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  switch (object->kind) {
    case GdiKind::Pen: {
      auto& pen = static_cast<PenObject&>(*object);
      if (pen.extended) {
        EXTLOGPEN record{};
        record.elpPenStyle = pen.style;
        record.elpWidth = static_cast<DWORD>(pen.width);
        record.elpBrushStyle = BS_SOLID;
        record.elpColor = pen.color;
        return CopyOut(&record, static_cast<int>(offsetof(EXTLOGPEN, elpStyleEntry)), size, buffer);
      }
      LOGPEN record{static_cast<UINT>(pen.style), {pen.width, 0}, pen.color};
      return CopyOut(&record, sizeof(record), size, buffer);
    }
    case GdiKind::Brush: {
      auto& brush = static_cast<BrushObject&>(*object);
      LOGBRUSH record{brush.style, brush.color, static_cast<ULONG_PTR>(brush.hatch)};
      if (brush.style == BS_PATTERN) record.lbHatch = reinterpret_cast<ULONG_PTR>(brush.patternBitmap);
      return CopyOut(&record, sizeof(record), size, buffer);
    }
    case GdiKind::Font: {
      auto& font = static_cast<FontObject&>(*object);
      if (wide) return CopyOut(&font.logFont, sizeof(LOGFONTW), size, buffer);
      LOGFONTA record{};
      std::memcpy(&record, &font.logFont, offsetof(LOGFONTA, lfFaceName));
      std::string face = platform::Utf16ToUtf8(font.logFont.lfFaceName);
      if (face.size() >= LF_FACESIZE) face.resize(LF_FACESIZE - 1);
      std::memcpy(record.lfFaceName, face.c_str(), face.size() + 1);
      return CopyOut(&record, sizeof(record), size, buffer);
    }
    case GdiKind::Bitmap: {
      auto& bitmap = static_cast<BitmapObject&>(*object);
      DIBSECTION record{};
      record.dsBm.bmType = 0;
      record.dsBm.bmWidth = bitmap.width;
      record.dsBm.bmHeight = bitmap.height;
      record.dsBm.bmWidthBytes = bitmap.dib ? bitmap.stride : ((bitmap.width * bitmap.bitsPerPixel + 15) / 16) * 2;
      record.dsBm.bmPlanes = 1;
      record.dsBm.bmBitsPixel = static_cast<WORD>(bitmap.bitsPerPixel);
      record.dsBm.bmBits = bitmap.dib ? bitmap.storage.get() : nullptr;
      if (bitmap.dib && size >= static_cast<int>(sizeof(DIBSECTION))) {
        BITMAPINFOHEADER& header = record.dsBmih;
        header.biSize = sizeof(BITMAPINFOHEADER);
        header.biWidth = bitmap.width;
        header.biHeight = bitmap.topDown ? -bitmap.height : bitmap.height;
        header.biPlanes = 1;
        header.biBitCount = static_cast<WORD>(bitmap.bitsPerPixel);
        header.biCompression = bitmap.bitfields ? BI_BITFIELDS : BI_RGB;
        header.biSizeImage = static_cast<DWORD>(bitmap.stride * bitmap.height);
        header.biClrUsed = static_cast<DWORD>(bitmap.colors.size());
        std::memcpy(record.dsBitfields, bitmap.masks, sizeof(record.dsBitfields));
        return CopyOut(&record, sizeof(DIBSECTION), size, buffer);
      }
      return CopyOut(&record.dsBm, sizeof(BITMAP), size, buffer);
    }
    case GdiKind::Palette: {
      WORD count = static_cast<WORD>(static_cast<PaletteObject&>(*object).entries.size());
      return CopyOut(&count, sizeof(count), size, buffer);
    }
    case GdiKind::Region:
    case GdiKind::Dc: break;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return 0;
}

int GetObjectA(HGDIOBJ object, int size, void* buffer) { return GetObjectImpl(object, size, buffer, false); }
int GetObjectW(HGDIOBJ object, int size, void* buffer) { return GetObjectImpl(object, size, buffer, true); }

// ---- pens ------------------------------------------------------------------------------------

HPEN CreatePen(int style, int width, COLORREF color) {
  const int kind = style & PS_STYLE_MASK;
  if (kind > PS_INSIDEFRAME || width < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto pen = MakePen(style, std::max(width, 1), color);
  // Styled cosmetic lines exist only one pixel wide; wider ones are solid.
  if (width > 1 && kind >= PS_DASH && kind <= PS_DASHDOTDOT) pen->style = (pen->style & ~PS_STYLE_MASK) | PS_SOLID;
  return reinterpret_cast<HPEN>(AddGdiObject(std::move(pen)));
}

HPEN CreatePenIndirect(const LOGPEN* pen) {
  if (!pen) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreatePen(static_cast<int>(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor);
}

HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styles) {
  (void)styles;
  const int kind = static_cast<int>(style & PS_STYLE_MASK);
  const bool cosmetic = (style & PS_TYPE_MASK) == PS_COSMETIC;
  if (!brush || kind > PS_ALTERNATE || (kind == PS_USERSTYLE) != (styleCount > 0) || kind == PS_USERSTYLE ||
      (cosmetic && width != 1) || (kind == PS_ALTERNATE && !cosmetic)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto pen = MakePen(static_cast<int>(style), static_cast<int>(std::max<DWORD>(width, 1)), brush->lbColor);
  pen->extended = true;
  if (brush->lbStyle == BS_NULL) pen->style = (style & ~PS_STYLE_MASK) | PS_NULL;
  return reinterpret_cast<HPEN>(AddGdiObject(std::move(pen)));
}

// ---- brushes ---------------------------------------------------------------------------------

HBRUSH CreateSolidBrush(COLORREF color) {
  return reinterpret_cast<HBRUSH>(AddGdiObject(MakeBrush(BS_SOLID, color & 0x00FFFFFF)));
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
  if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto brush = MakeBrush(BS_HATCHED, color);
  brush->hatch = hatch;
  return reinterpret_cast<HBRUSH>(AddGdiObject(std::move(brush)));
}

HBRUSH CreatePatternBrush(HBITMAP handle) {
  auto bitmap = GetGdi<BitmapObject>(handle, GdiKind::Bitmap);
  if (!bitmap) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  auto brush = MakeBrush(BS_PATTERN, 0);
  brush->patternWidth = bitmap->width;
  brush->patternHeight = bitmap->height;
  brush->monochrome = bitmap->bitsPerPixel == 1 && !bitmap->dib;
  brush->patternBitmap = handle;
  if (bitmap->Direct()) {
    brush->pattern.resize(static_cast<size_t>(bitmap->width) * bitmap->height);
    for (int y = 0; y < bitmap->height; ++y) {
      std::memcpy(&brush->pattern[static_cast<size_t>(y) * bitmap->width], bitmap->NativeRow(y), bitmap->width * 4u);
    }
  } else {
    bitmap->LoadShadow();
    brush->pattern = bitmap->shadow;
  }
  return reinterpret_cast<HBRUSH>(AddGdiObject(std::move(brush)));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
  if (!brush) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  switch (brush->lbStyle) {
    case BS_SOLID: return CreateSolidBrush(brush->lbColor);
    case BS_NULL: return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    case BS_HATCHED: return CreateHatchBrush(static_cast<int>(brush->lbHatch), brush->lbColor);
    case BS_PATTERN: return CreatePatternBrush(reinterpret_cast<HBITMAP>(brush->lbHatch));
    default: break;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

// ---- palettes --------------------------------------------------------------------------------

HPALETTE CreatePalette(const LOGPALETTE* palette) {
  if (!palette || palette->palNumEntries == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto object = std::make_shared<PaletteObject>();
  object->entries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
  return reinterpret_cast<HPALETTE>(AddGdiObject(std::move(object)));
}

HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL) {
  if (!GetGdi<PaletteObject>(palette, GdiKind::Palette)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return static_cast<HPALETTE>(SelectObject(dc, palette));
}

UINT RealizePalette(HDC dc) {
  if (!GetDc(dc)) return GDI_ERROR;
  return 0;
}

COLORREF GetNearestColor(HDC dc, COLORREF color) {
  if (!GetDc(dc)) return CLR_INVALID;
  return color & 0x00FFFFFF;
}

BOOL GdiFlush() { return TRUE; }
