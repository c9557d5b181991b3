#include "vcl/Bitmap.h"

#include "platform/gdi/DcGuards.h"
#include "platform/gdi/Objects.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// The memory DCs of bitmap canvases, so that they can be released all at once.
std::mutex& CanvasListLock() {
  static std::mutex lock;
  return lock;
}
std::vector<TBitmapCanvas*>& CanvasList() {
  static std::vector<TBitmapCanvas*> list;
  return list;
}

// A memory DC with a bitmap selected, for the duration of a scope.
using SelectedBitmap = platform::BitmapDc;

// The pixels of any bitmap as top-down 32-bit values (0xAARRGGBB).
std::vector<uint32_t> ReadPixels32(HBITMAP bitmap, int width, int height) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  BITMAPINFO info = platform::TopDownBitmapInfo32(width, height);
  const platform::OwnedDc dc(CreateCompatibleDC(nullptr));
  GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
  return pixels;
}

void WritePixels32(HBITMAP bitmap, int width, int height, const std::vector<uint32_t>& pixels) {
  BITMAPINFO info = platform::TopDownBitmapInfo32(width, height);
  const platform::OwnedDc dc(CreateCompatibleDC(nullptr));
  SetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
}

std::vector<RGBQUAD> ColorTableOf(HBITMAP bitmap) {
  SelectedBitmap selected(bitmap);
  RGBQUAD colors[256];
  const UINT count = GetDIBColorTable(selected.get(), 0, 256, colors);
  return std::vector<RGBQUAD>(colors, colors + count);
}

}  // namespace

int BytesPerScanline(int pixelsPerScanline, int bitsPerPixel, int alignment) {
  if (alignment <= 0) alignment = 8;
  const long long bits = static_cast<long long>(pixelsPerScanline) * bitsPerPixel;
  return static_cast<int>(((bits + alignment - 1) / alignment) * alignment / 8);
}

int PixelFormatBits(TPixelFormat format) {
  switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    case pf32bit: return 32;
    default: return 0;
  }
}

namespace vcl::detail {

std::vector<RGBQUAD> DefaultColorTable(int bitsPerPixel) {
  auto quad = [](BYTE r, BYTE g, BYTE b) { return RGBQUAD{b, g, r, 0}; };
  if (bitsPerPixel == 1) return {quad(0, 0, 0), quad(255, 255, 255)};
  std::vector<RGBQUAD> table = {
      quad(0, 0, 0),       quad(128, 0, 0),   quad(0, 128, 0),   quad(128, 128, 0),
      quad(0, 0, 128),     quad(128, 0, 128), quad(0, 128, 128), quad(192, 192, 192),
      quad(128, 128, 128), quad(255, 0, 0),   quad(0, 255, 0),   quad(255, 255, 0),
      quad(0, 0, 255),     quad(255, 0, 255), quad(0, 255, 255), quad(255, 255, 255)};
  if (bitsPerPixel == 4) return table;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        table.push_back(quad(static_cast<BYTE>(r * 51), static_cast<BYTE>(g * 51), static_cast<BYTE>(b * 51)));
  // 24 grays between the cube's steps.
  for (int i = 1; table.size() < 256; ++i) {
    const BYTE level = static_cast<BYTE>(i * 255 / 25);
    table.push_back(quad(level, level, level));
  }
  return table;
}

HBITMAP CreateSection(TPixelFormat format, int width, int height, bool topDown, const std::vector<RGBQUAD>& colors,
                      void** bits) {
  const int depth = PixelFormatBits(format);
  if (depth == 0) throw EInvalidGraphic("Invalid pixel format");
  std::vector<uint8_t> buffer(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
  auto* info = reinterpret_cast<BITMAPINFO*>(buffer.data());
  info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info->bmiHeader.biWidth = width;
  info->bmiHeader.biHeight = topDown ? -height : height;
  info->bmiHeader.biPlanes = 1;
  info->bmiHeader.biBitCount = static_cast<WORD>(depth);
  info->bmiHeader.biCompression = BI_RGB;
  uint8_t* after = buffer.data() + sizeof(BITMAPINFOHEADER);
  if (format == pf16bit) {
    info->bmiHeader.biCompression = BI_BITFIELDS;
    const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(after, masks, sizeof(masks));
  } else if (depth <= 8) {
    std::vector<RGBQUAD> table = colors.empty() ? DefaultColorTable(depth) : colors;
    table.resize(std::min<size_t>(table.size(), size_t{1} << depth));
    info->bmiHeader.biClrUsed = static_cast<DWORD>(table.size());
    std::memcpy(after, table.data(), table.size() * sizeof(RGBQUAD));
  }
  HBITMAP bitmap = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, bits, nullptr, 0);
  if (!bitmap) throw EOutOfResources("Cannot create a bitmap of " + std::to_string(width) + " x " + std::to_string(height) + " pixels");
  return bitmap;
}

}  // namespace vcl::detail

// ---- canvas ---------------------------------------------------------------------------

TBitmapCanvas::~TBitmapCanvas() { FreeContext(); }

void TBitmapCanvas::CreateHandle() {
  if (FContext) return;
  HBITMAP bitmap = FBitmap->Handle();
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) throw EOutOfResources("Cannot create a memory device context");
  FOldBitmap = bitmap ? SelectObject(dc, bitmap) : nullptr;
  FContext = dc;
  SetHandle(dc);
  std::lock_guard<std::mutex> guard(CanvasListLock());
  CanvasList().push_back(this);
}

void TBitmapCanvas::FreeContext() {
  if (!FContext) return;
  {
    std::lock_guard<std::mutex> guard(CanvasListLock());
    auto& list = CanvasList();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  SetHandle(nullptr);
  if (FOldBitmap) SelectObject(FContext, FOldBitmap);
  DeleteDC(FContext);
  FContext = nullptr;
  FOldBitmap = nullptr;
}

void FreeMemoryContexts() {
  std::vector<TBitmapCanvas*> canvases;
  {
    std::lock_guard<std::mutex> guard(CanvasListLock());
    canvases = CanvasList();
  }
  for (TBitmapCanvas* canvas : canvases) {
    // A locked canvas is in use on some thread: it keeps its DC.
    if (!canvas->TryLock()) continue;
    canvas->FreeContext();
    canvas->Unlock();
  }
}

// ---- bitmap ---------------------------------------------------------------------------

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height, TPixelFormat format) {
  FPixelFormat = format;
  SetSize(width, height);
}

TBitmap::~TBitmap() {
  FCanvas.reset();
  if (FHandle) DeleteObject(FHandle);
}

void TBitmap::DetachCanvas() {
  if (FCanvas) FCanvas->FreeContext();
}

void TBitmap::Adopt(HBITMAP handle) {
  DetachCanvas();
  if (FHandle && FHandle != handle) DeleteObject(FHandle);
  FHandle = handle;
  FBits = nullptr;
  FStride = 0;
  FTopDown = false;
  FWidth = FHeight = 0;
  if (!handle) return;
  DIBSECTION section{};
  const int size = GetObjectA(handle, sizeof(section), &section);
  FWidth = section.dsBm.bmWidth;
  FHeight = section.dsBm.bmHeight;
  if (size == static_cast<int>(sizeof(DIBSECTION))) {
    FHandleType = bmDIB;
    FBits = static_cast<uint8_t*>(section.dsBm.bmBits);
    FStride = section.dsBm.bmWidthBytes;
    FTopDown = section.dsBmih.biHeight < 0;
    switch (section.dsBm.bmBitsPixel) {
      case 1: FPixelFormat = pf1bit; break;
      case 4: FPixelFormat = pf4bit; break;
      case 8: FPixelFormat = pf8bit; break;
      case 16: FPixelFormat = section.dsBitfields[1] == 0x07E0 ? pf16bit : pf15bit; break;
      case 24: FPixelFormat = pf24bit; break;
      default: FPixelFormat = pf32bit; break;
    }
  } else {
    FHandleType = bmDDB;
    FPixelFormat = section.dsBm.bmBitsPixel == 1 ? pf1bit : pfDevice;
  }
}

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) {
    FCanvas = std::make_unique<TBitmapCanvas>(this);
    FCanvas->SetOnChange(TNotifyEvent(this, &TBitmap::CanvasChanged));
  }
  return FCanvas.get();
}

void TBitmap::CanvasChanged(TObject*) { Changed(this); }

HBITMAP TBitmap::Handle() { return FHandle; }

void TBitmap::SetHandle(HBITMAP value) {
  if (value == FHandle) return;
  if (value && GetObjectType(value) != OBJ_BITMAP) throw EInvalidGraphic("Invalid bitmap handle");
  Adopt(value);
  Changed(this);
}

HBITMAP TBitmap::ReleaseHandle() {
  DetachCanvas();
  HBITMAP handle = FHandle;
  FHandle = nullptr;
  Adopt(nullptr);
  return handle;
}

void TBitmap::SetHandleType(TBitmapHandleType value) {
  if (value == FHandleType || !FHandle) {
    FHandleType = value;
    return;
  }
  SetPixelFormat(value == bmDDB ? pfDevice : pf32bit);
}

void TBitmap::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == FWidth && height == FHeight && (FHandle || width == 0 || height == 0)) return;
  if (width == 0 || height == 0) {
    // An empty bitmap keeps its format for the next size.
    const TPixelFormat format = FPixelFormat;
    Adopt(nullptr);
    FWidth = width;
    FHeight = height;
    FPixelFormat = format;
    Changed(this);
    return;
  }
  const TPixelFormat format = FPixelFormat;
  DetachCanvas();  // the old bitmap is read through DCs of our own below
  HBITMAP created;
  if (format == pfDevice || format == pfCustom) {
    HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    created = CreateCompatibleBitmap(screen, width, height);
    DeleteDC(screen);
    if (!created) throw EOutOfResources("Cannot create a bitmap");
  } else {
    void* bits = nullptr;
    std::vector<RGBQUAD> colors;
    if (FHandle && PixelFormatBits(format) <= 8 && FHandleType == bmDIB) colors = ColorTableOf(FHandle);
    created = vcl::detail::CreateSection(format, width, height, FTopDown && FHandle, colors, &bits);
  }
  {
    // New pixels are white; the old picture keeps its place at the top left.
    SelectedBitmap target(created);
    RECT all{0, 0, width, height};
    FillRect(target.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (FHandle) {
      SelectedBitmap source(FHandle);
      BitBlt(target.get(), 0, 0, std::min(width, FWidth), std::min(height, FHeight), source.get(), 0, 0, SRCCOPY);
    }
  }
  Adopt(created);
  if (format == pfCustom) FPixelFormat = pfDevice;
  Changed(this);
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
  if (value == pfCustom) throw EInvalidGraphic("Invalid pixel format");
  if (value == FPixelFormat && (FHandleType == bmDIB) == (value != pfDevice)) return;
  if (!FHandle) {
    FPixelFormat = value;
    FHandleType = value == pfDevice ? bmDDB : bmDIB;
    return;
  }
  DetachCanvas();
  const std::vector<uint32_t> pixels = ReadPixels32(FHandle, FWidth, FHeight);
  std::vector<RGBQUAD> colors;
  const int depth = PixelFormatBits(value);
  if (depth > 0 && depth <= 8 && FHandleType == bmDIB && PixelFormatBits(FPixelFormat) <= depth)
    colors = ColorTableOf(FHandle);  // a wider table keeps every colour exactly
  HBITMAP created;
  if (value == pfDevice) {
    HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    created = CreateCompatibleBitmap(screen, FWidth, FHeight);
    DeleteDC(screen);
    if (!created) throw EOutOfResources("Cannot create a bitmap");
  } else {
    void* bits = nullptr;
    created = vcl::detail::CreateSection(value, FWidth, FHeight, FTopDown, colors, &bits);
  }
  WritePixels32(created, FWidth, FHeight, pixels);
  Adopt(created);
  Changed(this);
}

void TBitmap::SetAlphaFormat(TAlphaFormat value) {
  if (value == FAlphaFormat) return;
  FAlphaFormat = value;
  Changed(this);
}

void* TBitmap::ScanLine(int row) {
  if (!FHandle || row < 0 || row >= FHeight) throw EInvalidGraphic("Scan line index out of range");
  if (FHandleType == bmDDB) SetPixelFormat(FPixelFormat == pf1bit ? pf1bit : pf32bit);
  if (!FBits) SetPixelFormat(pf32bit);
  GdiFlush();
  const int stored = FTopDown ? row : FHeight - 1 - row;
  return FBits + static_cast<size_t>(stored) * FStride;
}

TColor TBitmap::TransparentColor() {
  if (FTransparentColor != clDefault) return FTransparentColor;
  if (!FHandle) return clDefault;
  // The automatic colour is that of the bottom-left pixel.
  const TColor color = Canvas()->Pixels(0, FHeight - 1);
  return color == clNone ? clDefault : color;
}

void TBitmap::SetTransparentColor(TColor value) {
  if (value == FTransparentColor) return;
  FTransparentColor = value;
  FTransparentMode = value == clDefault ? tmAuto : tmFixed;
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode value) {
  if (value == FTransparentMode) return;
  if (value == tmAuto)
    SetTransparentColor(clDefault);
  else
    SetTransparentColor(TransparentColor());
}

void TBitmap::Dormant() { DetachCanvas(); }

void TBitmap::Assign(TPersistent* source) {
  if (!source) {
    Adopt(nullptr);
    Changed(this);
    return;
  }
  auto* bitmap = dynamic_cast<TBitmap*>(source);
  if (!bitmap) {
    inherited::Assign(source);
    return;
  }
  if (bitmap == this) return;
  FTransparent = bitmap->FTransparent;
  FTransparentColor = bitmap->FTransparentColor;
  FTransparentMode = bitmap->FTransparentMode;
  FAlphaFormat = bitmap->FAlphaFormat;
  if (!bitmap->FHandle) {
    Adopt(nullptr);
    FPixelFormat = bitmap->FPixelFormat;
    FWidth = bitmap->FWidth;
    FHeight = bitmap->FHeight;
    Changed(this);
    return;
  }
  // A copy of the handle in the same format and orientation.
  bitmap->DetachCanvas();
  HBITMAP created;
  if (bitmap->FHandleType == bmDIB) {
    void* bits = nullptr;
    std::vector<RGBQUAD> colors;
    if (PixelFormatBits(bitmap->FPixelFormat) <= 8) colors = ColorTableOf(bitmap->FHandle);
    created = vcl::detail::CreateSection(bitmap->FPixelFormat, bitmap->FWidth, bitmap->FHeight, bitmap->FTopDown,
                                         colors, &bits);
    GdiFlush();
    std::memcpy(bits, bitmap->FBits, static_cast<size_t>(bitmap->FStride) * bitmap->FHeight);
  } else {
    HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    created = bitmap->FPixelFormat == pf1bit ? CreateBitmap(bitmap->FWidth, bitmap->FHeight, 1, 1, nullptr)
                                             : CreateCompatibleBitmap(screen, bitmap->FWidth, bitmap->FHeight);
    DeleteDC(screen);
    if (!created) throw EOutOfResources("Cannot create a bitmap");
    SelectedBitmap target(created);
    SelectedBitmap from(bitmap->FHandle);
    BitBlt(target.get(), 0, 0, bitmap->FWidth, bitmap->FHeight, from.get(), 0, 0, SRCCOPY);
  }
  Adopt(created);
  Changed(this);
}

void TBitmap::Draw(TCanvas* canvas, const TRect& rect) {
  if (!FHandle) return;
  HDC dc = canvas->Handle();
  // The bitmap can be selected into one DC at a time: read it through its canvas's DC when
  // that exists, else through a private one.
  std::optional<SelectedBitmap> own;
  HDC sourceDc;
  if (FCanvas && FCanvas->HandleAllocated()) {
    sourceDc = FCanvas->Handle();
  } else {
    own.emplace(FHandle);
    sourceDc = own->get();
  }
  const int oldMode = GetStretchBltMode(dc);
  const bool stretched = rect.Width() != FWidth || rect.Height() != FHeight;
  if (stretched && oldMode == BLACKONWHITE && FPixelFormat != pf1bit) SetStretchBltMode(dc, COLORONCOLOR);
  if (Transparent()) {
    const COLORREF key = ColorToRGB(TransparentColor()) & 0xFFFFFF;
    TransparentBlt(dc, rect.Left, rect.Top, rect.Width(), rect.Height(), sourceDc, 0, 0, FWidth, FHeight, key);
  } else if (FPixelFormat == pf32bit && FAlphaFormat != afIgnored) {
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    if (FAlphaFormat == afPremultiplied) {
      AlphaBlend(dc, rect.Left, rect.Top, rect.Width(), rect.Height(), sourceDc, 0, 0, FWidth, FHeight, blend);
    } else {
      // Straight alpha: blend from a premultiplied copy.
      TBitmap copy(FWidth, FHeight, pf32bit);
      for (int y = 0; y < FHeight; ++y) {
        const auto* from = static_cast<const uint8_t*>(ScanLine(y));
        auto* to = static_cast<uint8_t*>(copy.ScanLine(y));
        for (int x = 0; x < FWidth; ++x) {
          const int a = from[4 * x + 3];
          for (int c = 0; c < 3; ++c) to[4 * x + c] = static_cast<uint8_t>((from[4 * x + c] * a + 127) / 255);
          to[4 * x + 3] = static_cast<uint8_t>(a);
        }
      }
      SelectedBitmap premultiplied(copy.FHandle);
      AlphaBlend(dc, rect.Left, rect.Top, rect.Width(), rect.Height(), premultiplied.get(), 0, 0, FWidth, FHeight,
                 blend);
    }
  } else {
    StretchBlt(dc, rect.Left, rect.Top, rect.Width(), rect.Height(), sourceDc, 0, 0, FWidth, FHeight,
               static_cast<DWORD>(canvas->CopyMode()));
  }
  if (GetStretchBltMode(dc) != oldMode) SetStretchBltMode(dc, oldMode);
}

void TBitmap::ReadData(TStream& stream) {
  int32_t size = 0;
  stream.ReadBuffer(&size, sizeof(size));
  if (size < 0) throw EInvalidGraphic("Bitmap image is not valid");
  TMemoryStream data;
  if (size > 0) data.CopyFrom(stream, size);
  data.SetPosition(0);
  LoadFromStream(data);
}

void TBitmap::WriteData(TStream& stream) {
  TMemoryStream data;
  SaveToStream(data);
  const int32_t size = static_cast<int32_t>(data.Size());
  stream.WriteBuffer(&size, sizeof(size));
  if (size > 0) stream.WriteBuffer(data.Memory(), size);
}
