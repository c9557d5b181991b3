#include "program/imaging/ColorBlend.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#include "vcl/Bitmap.h"
#include "vcl/Canvas.h"

using imaging::detail::ClipSpan;

namespace {

// One channel of F over B with weight w: each part rounded on its own, so that the sum never
// passes 255.
constexpr uint32_t MixChannel(uint32_t f, uint32_t b, uint32_t w) {
  return ((f * w + 128) >> 8) + ((b * (255 - w) + 128) >> 8);
}

constexpr uint32_t MixRgb(uint32_t f, uint32_t b, uint32_t w) {
  uint32_t result = 0;
  for (int shift = 0; shift < 24; shift += 8) result |= MixChannel((f >> shift) & 0xFF, (b >> shift) & 0xFF, w) << shift;
  return result;
}

constexpr uint32_t MixArgb(uint32_t f, uint32_t b, uint32_t w) {
  return MixRgb(f, b, w) | (MixChannel(f >> 24, b >> 24, w) << 24);
}

constexpr uint32_t ExWeight(uint32_t f, uint32_t m) { return ((m + 1) * (f >> 24)) >> 8; }

uint32_t PlainMixColor(uint32_t x, uint32_t y, uint8_t w) {
  if (w == 0) return y;
  if (w == 255) return x;
  return MixArgb(x, y, w);
}

void PlainMixColorTo(uint32_t x, uint32_t& y, uint8_t w) {
  if (w == 0) return;
  y = w == 255 ? x : MixRgb(x, y, w);
}

uint32_t PlainBlendColor(uint32_t f, uint32_t b) {
  uint32_t alpha = f >> 24;
  if (alpha == 255) return f;
  if (alpha == 0) return b;
  return MixArgb(f, b, alpha);
}

void PlainBlendColorTo(uint32_t f, uint32_t& b) {
  uint32_t alpha = f >> 24;
  if (alpha == 0) return;
  b = alpha == 255 ? f : MixArgb(f, b, alpha);
}

uint32_t PlainBlendColorEx(uint32_t f, uint32_t b, uint8_t m) {
  uint32_t w = ExWeight(f, m);
  if (w == 0) return b;  // also covers a source alpha of 0
  return MixRgb(f, b, w);
}

void PlainBlendColorExTo(uint32_t f, uint32_t& b, uint8_t m) {
  uint32_t w = ExWeight(f, m);
  if (w != 0) b = MixRgb(f, b, w);
}

void PlainBlendRow(const uint32_t* source, uint32_t* dest, int count) {
  for (int i = 0; i < count; ++i) PlainBlendColorTo(source[i], dest[i]);
}

void PlainBlendRowEx(const uint32_t* source, uint32_t* dest, int count, uint8_t m) {
  for (int i = 0; i < count; ++i) PlainBlendColorExTo(source[i], dest[i], m);
}

constexpr TBlendRoutines kPlainRoutines{PlainMixColor,     PlainMixColorTo, PlainBlendColor, PlainBlendColorTo,
                                        PlainBlendColorEx, PlainBlendColorExTo, PlainBlendRow, PlainBlendRowEx};

bool ProcessorHasSse2() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  return __builtin_cpu_supports("sse2");
#else
  return false;
#endif
}

std::atomic<const TBlendRoutines*> g_routines{&kPlainRoutines};

// The start-up choice, made before main so that blending works before anything else runs.
const bool g_selected = (SelectBlendRoutines(), true);

// ---- AlphaBlendDC -------------------------------------------------------------------------

// The pixel memory of the 32-bit DIB section selected into a DC, with the DC's window origin.
struct DibView {
  uint8_t* bits = nullptr;
  int width = 0;
  int height = 0;  // rows, always positive
  int stride = 0;
  bool bottomUp = false;
  POINT origin{};

  uint32_t* Row(int row) const {
    int memoryRow = bottomUp ? height - 1 - row : row;
    return reinterpret_cast<uint32_t*>(bits + static_cast<ptrdiff_t>(memoryRow) * stride);
  }
};

bool ViewOf(HDC dc, DibView& view) {
  HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
  DIBSECTION section{};
  if (!bitmap || GetObject(bitmap, sizeof(section), &section) != static_cast<int>(sizeof(section))) return false;
  // The direct path reads and writes four bytes a pixel; other depths go through GDI.
  if (!section.dsBm.bmBits || section.dsBmih.biBitCount != 32) return false;
  if (!GetWindowOrgEx(dc, &view.origin)) return false;
  view.bits = static_cast<uint8_t*>(section.dsBm.bmBits);
  view.width = section.dsBm.bmWidth;
  view.height = std::abs(section.dsBmih.biHeight);
  view.stride = section.dsBm.bmWidthBytes;
  view.bottomUp = section.dsBmih.biHeight > 0;
  return true;
}

void BlendConstant(const uint32_t* source, uint32_t* dest, int count, uint32_t alpha) {
  for (int i = 0; i < count; ++i) {
    uint32_t s = source[i];
    uint32_t d = dest[i];
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      uint32_t sc = (s >> shift) & 0xFF;
      uint32_t dc = (d >> shift) & 0xFF;
      result |= ((sc * alpha + dc * (256 - alpha)) >> 8) << shift;
    }
    dest[i] = result;
  }
}

// Blends equal sizes straight in the memory of two 32-bit DIB sections; false, and nothing
// done, when either DC has none.
bool BlendInMemory(HDC destDC, int x, int y, HDC sourceDC, int sourceLeft, int sourceTop, int sourceWidth, int sourceHeight,
                   uint32_t constantAlpha, uint32_t alphaFormat) {
  DibView source;
  DibView dest;
  if (!ViewOf(sourceDC, source) || !ViewOf(destDC, dest)) return false;

  int sourceX = sourceLeft - source.origin.x;
  int sourceY = sourceTop - source.origin.y;
  int destX = x - dest.origin.x;
  int destY = y - dest.origin.y;
  int width = sourceWidth;
  int height = sourceHeight;
  ClipSpan(sourceX, destX, width, source.width, dest.width);
  ClipSpan(sourceY, destY, height, source.height, dest.height);

  const TBlendRoutines& routines = BlendRoutines();
  for (int row = 0; row < height; ++row) {
    const uint32_t* from = source.Row(sourceY + row) + sourceX;
    uint32_t* to = dest.Row(destY + row) + destX;
    if (alphaFormat == AC_SRC_OVER)
      BlendConstant(from, to, width, constantAlpha);
    else if (constantAlpha < 255)
      routines.BlendRowEx(from, to, width, static_cast<uint8_t>(constantAlpha));
    else
      routines.BlendRow(from, to, width);
  }
  return true;
}

// Blends a source block stretched to Width x Height (nearest pixel, as a plain StretchBlt
// picks them) straight in the memory of two 32-bit DIB sections, one row at a time through a
// scratch row: a stretched nine-grid cell costs its own area and no temporary bitmaps. False,
// and nothing done, when either DC has no 32-bit DIB section or the source block is not wholly
// inside the source bitmap.
bool BlendStretchedInMemory(HDC destDC, int x, int y, int width, int height, HDC sourceDC, int sourceLeft,
                            int sourceTop, int sourceWidth, int sourceHeight, uint32_t constantAlpha,
                            uint32_t alphaFormat) {
  DibView source;
  DibView dest;
  if (!ViewOf(sourceDC, source) || !ViewOf(destDC, dest)) return false;
  const int sourceX = sourceLeft - source.origin.x, sourceY = sourceTop - source.origin.y;
  if (sourceX < 0 || sourceY < 0 || sourceX + sourceWidth > source.width || sourceY + sourceHeight > source.height)
    return false;
  const int destX = x - dest.origin.x, destY = y - dest.origin.y;
  // The visible columns of the target and the source column each one shows.
  const int firstColumn = std::max(0, -destX), lastColumn = std::min(width, dest.width - destX);
  if (lastColumn <= firstColumn) return true;
  thread_local std::vector<int> columns;
  thread_local std::vector<uint32_t> row;
  columns.resize(static_cast<size_t>(lastColumn - firstColumn));
  row.resize(columns.size());
  const double scaleX = static_cast<double>(sourceWidth) / width, scaleY = static_cast<double>(sourceHeight) / height;
  for (int c = firstColumn; c < lastColumn; ++c)
    columns[static_cast<size_t>(c - firstColumn)] =
        sourceX + std::min(static_cast<int>((c + 0.5) * scaleX), sourceWidth - 1);

  const TBlendRoutines& routines = BlendRoutines();
  const int count = static_cast<int>(columns.size());
  for (int r = std::max(0, -destY); r < std::min(height, dest.height - destY); ++r) {
    const uint32_t* from = source.Row(sourceY + std::min(static_cast<int>((r + 0.5) * scaleY), sourceHeight - 1));
    for (int i = 0; i < count; ++i) row[static_cast<size_t>(i)] = from[columns[static_cast<size_t>(i)]];
    uint32_t* to = dest.Row(destY + r) + destX + firstColumn;
    if (alphaFormat == AC_SRC_OVER)
      BlendConstant(row.data(), to, count, constantAlpha);
    else if (constantAlpha < 255)
      routines.BlendRowEx(row.data(), to, count, static_cast<uint8_t>(constantAlpha));
    else
      routines.BlendRow(row.data(), to, count);
  }
  return true;
}

bool AlphaBlendThroughBitmaps(HDC destDC, int x, int y, int width, int height, HDC sourceDC, int sourceX, int sourceY,
                              int sourceWidth, int sourceHeight, uint32_t blend) {
  auto background = std::make_unique<TBitmap>(width, height, pf32bit);
  auto foreground = std::make_unique<TBitmap>(width, height, pf32bit);
  TCanvasLock backgroundLock(background->Canvas());
  TCanvasLock foregroundLock(foreground->Canvas());
  HDC backgroundDC = background->Canvas()->Handle();
  HDC foregroundDC = foreground->Canvas()->Handle();
  // A source or destination that cannot be read leaves the destination as it was.
  if (!BitBlt(backgroundDC, 0, 0, width, height, destDC, x, y, SRCCOPY)) return false;
  if (!StretchBlt(foregroundDC, 0, 0, width, height, sourceDC, sourceX, sourceY, sourceWidth, sourceHeight, SRCCOPY))
    return false;
  // Both are 32-bit DIB sections of one size now: the blend runs in their memory.
  const uint32_t constantAlpha = (blend >> 16) & 0xFF;
  if (!BlendInMemory(backgroundDC, 0, 0, foregroundDC, 0, 0, width, height, constantAlpha, blend >> 24)) return false;
  return BitBlt(destDC, x, y, width, height, backgroundDC, 0, 0, SRCCOPY) != FALSE;
}

}  // namespace

const TBlendRoutines& BlendRoutines() { return *g_routines.load(std::memory_order_acquire); }

const TBlendRoutines* BlendRoutinesOf(TBlendVariant variant) {
  if (variant == TBlendVariant::Plain) return &kPlainRoutines;
  return ProcessorHasSse2() ? imaging::detail::Sse2BlendRoutines() : nullptr;
}

bool SelectBlendRoutines(TBlendVariant variant) {
  const TBlendRoutines* routines = BlendRoutinesOf(variant);
  if (!routines) return false;
  g_routines.store(routines, std::memory_order_release);
  return true;
}

void SelectBlendRoutines() {
  if (!SelectBlendRoutines(TBlendVariant::Sse2)) SelectBlendRoutines(TBlendVariant::Plain);
}

TBlendVariant SelectedBlendVariant() {
  return &BlendRoutines() == &kPlainRoutines ? TBlendVariant::Plain : TBlendVariant::Sse2;
}

bool BlendBitmaps(TBitmap* Dest, TBitmap* Src, int DestX, int SrcY, int Width, int Height, int SrcX, int DestY,
                  uint8_t Alpha) {
  if (!Dest || !Src || Dest->PixelFormat() != pf32bit || Src->PixelFormat() != pf32bit) return false;
  ClipSpan(SrcX, DestX, Width, Src->Width(), Dest->Width());
  ClipSpan(SrcY, DestY, Height, Src->Height(), Dest->Height());
  if (Width <= 0 || Height <= 0) return true;
  const TBlendRoutines& routines = BlendRoutines();
  for (int row = 0; row < Height; ++row) {
    auto* source = static_cast<const uint32_t*>(Src->ScanLine(SrcY + row)) + SrcX;
    auto* dest = static_cast<uint32_t*>(Dest->ScanLine(DestY + row)) + DestX;
    routines.BlendRowEx(source, dest, Width, Alpha);
  }
  return true;
}

bool AlphaBlendDC(HDC DestDC, int X, int Y, int Width, int Height, HDC SrcDC, int SrcX, int SrcY, int SrcWidth,
                  int SrcHeight, uint32_t Blend) {
  // An empty target is as empty as an empty source: the detour would blend nothing of size 0.
  if (SrcWidth < 1 || SrcHeight < 1 || Width < 1 || Height < 1) return false;
  const uint32_t constantAlpha = (Blend >> 16) & 0xFF;
  const uint32_t alphaFormat = Blend >> 24;
  // A format without a blend of its own draws nothing, which is what was asked.
  if (alphaFormat != AC_SRC_OVER && alphaFormat != AC_SRC_ALPHA) return true;
  if (SrcWidth != Width || SrcHeight != Height) {
    if (BlendStretchedInMemory(DestDC, X, Y, Width, Height, SrcDC, SrcX, SrcY, SrcWidth, SrcHeight, constantAlpha,
                               alphaFormat))
      return true;
    return AlphaBlendThroughBitmaps(DestDC, X, Y, Width, Height, SrcDC, SrcX, SrcY, SrcWidth, SrcHeight, Blend);
  }

  if (!BlendInMemory(DestDC, X, Y, SrcDC, SrcX, SrcY, SrcWidth, SrcHeight, constantAlpha, alphaFormat))
    return AlphaBlendThroughBitmaps(DestDC, X, Y, Width, Height, SrcDC, SrcX, SrcY, SrcWidth, SrcHeight, Blend);
  return true;
}

void imaging::detail::ClipSpan(int& sourceStart, int& destStart, int& length, int sourceLimit, int destLimit) {
  const int skip = std::max({0, -sourceStart, -destStart});
  sourceStart += skip;
  destStart += skip;
  length -= skip;
  length = std::min({length, sourceLimit - sourceStart, destLimit - destStart});
}
