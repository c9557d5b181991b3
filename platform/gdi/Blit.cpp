// Bit-block transfers: raster operations, stretching, alpha blending, colour keys, masks and
// DIB transfers.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "platform/gdi/DcGuards.h"
#include "platform/gdi/GdiInternal.h"

namespace platform::detail {

namespace {

struct Image {
  std::vector<uint32_t> pixels;
  int width = 0;
  int height = 0;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

bool NeedsSource(DWORD rop) { return (((rop >> 2) ^ rop) & 0x330000) != 0; }
bool NeedsPattern(DWORD rop) { return (((rop >> 4) ^ rop) & 0x0F0000) != 0; }
uint8_t RopIndex(DWORD rop) { return static_cast<uint8_t>((rop >> 16) & 0xFF); }

// A source rectangle (device coordinates of `source`) as 32-bit pixels, converted the way
// Windows converts between monochrome and colour: a monochrome source takes the
// destination's text colour for 0 and background colour for 1; a colour source going into
// a monochrome destination gives 1 where it matches the source's background colour.
bool ReadSource(DcObject& source, const RECT& rect, const DcState& destState, bool destMono, Image* out) {
  DrawTarget target(source, false);
  const RECT bounds = target.Bounds();
  if (!target.Valid() || rect.left < bounds.left || rect.top < bounds.top || rect.right > bounds.right ||
      rect.bottom > bounds.bottom || rect.right <= rect.left || rect.bottom <= rect.top) {
    return false;
  }
  out->width = rect.right - rect.left;
  out->height = rect.bottom - rect.top;
  out->pixels.resize(static_cast<size_t>(out->width) * out->height);
  for (int y = 0; y < out->height; ++y) {
    std::memcpy(&out->pixels[static_cast<size_t>(y) * out->width], target.Pixel(rect.left, rect.top + y), out->width * 4u);
  }
  const bool sourceMono = target.Monochrome();
  if (sourceMono && !destMono) {
    const uint32_t text = ToPixel(destState.textColor), background = ToPixel(destState.bkColor);
    for (uint32_t& pixel : out->pixels) pixel = (pixel & 0xFFFFFF) ? background : text;
  } else if (destMono && !sourceMono) {
    const uint32_t key = ToPixel(source.state.bkColor);
    for (uint32_t& pixel : out->pixels) pixel = (pixel & 0xFFFFFF) == key ? 0xFFFFFF : 0;
  }
  return true;
}

// Resampling weights along one axis, in 1/256ths (so two channels fit one 32-bit multiply).
struct Tap {
  int index;
  int weight;
};

std::vector<std::vector<Tap>> AxisWeights(int sourceSize, int destSize, bool smooth) {
  std::vector<std::vector<Tap>> weights(static_cast<size_t>(destSize));
  const double scale = static_cast<double>(sourceSize) / destSize;
  for (int d = 0; d < destSize; ++d) {
    auto& taps = weights[static_cast<size_t>(d)];
    if (!smooth) {
      taps.push_back({std::min(static_cast<int>((d + 0.5) * scale), sourceSize - 1), 256});
    } else if (scale > 1) {
      // Shrinking: the average over the source span the pixel covers.
      const double start = d * scale, end = (d + 1) * scale;
      int total = 0;
      for (int s = static_cast<int>(start); s < end && s < sourceSize; ++s) {
        const double overlap = std::min<double>(s + 1, end) - std::max<double>(s, start);
        const int weight = static_cast<int>(std::lround(overlap / scale * 256));
        if (weight > 0) taps.push_back({s, weight});
        total += weight;
      }
      if (!taps.empty()) taps.back().weight += 256 - total;
    } else {
      // Enlarging: linear between the two nearest source pixels.
      const double centre = (d + 0.5) * scale - 0.5;
      const int s0 = static_cast<int>(std::floor(centre));
      const int w1 = static_cast<int>(std::lround((centre - s0) * 256));
      taps.push_back({std::clamp(s0, 0, sourceSize - 1), 256 - w1});
      if (w1 > 0) taps.push_back({std::clamp(s0 + 1, 0, sourceSize - 1), w1});
    }
  }
  return weights;
}

uint32_t Weighted(const uint32_t* pixels, ptrdiff_t step, const std::vector<Tap>& taps) {
  if (taps.size() == 1) return pixels[taps[0].index * step];
  // Red/blue and alpha/green lanes side by side; weights sum to 256, so no lane overflows.
  uint32_t rb = 0x00800080, ag = 0x00800080;
  for (const Tap& tap : taps) {
    const uint32_t p = pixels[tap.index * step];
    const uint32_t w = static_cast<uint32_t>(tap.weight);
    rb += (p & 0x00FF00FF) * w;
    ag += ((p >> 8) & 0x00FF00FF) * w;
  }
  return ((rb >> 8) & 0x00FF00FF) | (ag & 0xFF00FF00);
}

// Every byte times f / 255, rounded.
inline uint32_t ScaleBytes(uint32_t p, uint32_t f) {
  uint32_t rb = (p & 0x00FF00FF) * f + 0x00800080;
  rb = ((rb + ((rb >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF;
  uint32_t ag = ((p >> 8) & 0x00FF00FF) * f + 0x00800080;
  ag = (ag + ((ag >> 8) & 0x00FF00FF)) & 0xFF00FF00;
  return rb | ag;
}

// Bytewise sum, saturating at 255 (sources that are not properly premultiplied).
inline uint32_t AddBytes(uint32_t a, uint32_t b) {
  uint32_t rb = (a & 0x00FF00FF) + (b & 0x00FF00FF);
  uint32_t ag = ((a >> 8) & 0x00FF00FF) + ((b >> 8) & 0x00FF00FF);
  rb |= ((rb >> 8) & 0x00010001) * 0xFF;
  ag |= ((ag >> 8) & 0x00010001) * 0xFF;
  return (rb & 0x00FF00FF) | ((ag & 0x00FF00FF) << 8);
}

// Scales `source` to width x height (mirrored as asked) and returns the part of the result
// inside `window` (in result pixels).
Image Resample(Image source, int width, int height, bool flipX, bool flipY, bool smooth, const RECT& window) {
  const int outWidth = window.right - window.left, outHeight = window.bottom - window.top;
  if (width == source.width && height == source.height && !flipX && !flipY && outWidth == width && outHeight == height) {
    return source;
  }
  const auto columns = AxisWeights(source.width, width, smooth);
  const auto rows = AxisWeights(source.height, height, smooth);
  Image out;
  out.width = outWidth;
  out.height = outHeight;
  out.pixels.resize(static_cast<size_t>(outWidth) * outHeight);
  // Horizontal pass over every source row, then vertical.
  std::vector<uint32_t> across(static_cast<size_t>(outWidth) * source.height);
  for (int y = 0; y < source.height; ++y) {
    const uint32_t* row = &source.pixels[static_cast<size_t>(y) * source.width];
    for (int x = 0; x < outWidth; ++x) {
      const int d = window.left + x;
      across[static_cast<size_t>(y) * outWidth + x] = Weighted(row, 1, columns[static_cast<size_t>(flipX ? width - 1 - d : d)]);
    }
  }
  for (int y = 0; y < outHeight; ++y) {
    const int d = window.top + y;
    const auto& taps = rows[static_cast<size_t>(flipY ? height - 1 - d : d)];
    for (int x = 0; x < outWidth; ++x) {
      out.pixels[static_cast<size_t>(y) * outWidth + x] = Weighted(&across[static_cast<size_t>(x)], outWidth, taps);
    }
  }
  return out;
}

// The plain copy, done row by row.
struct CopyPixels {
  void operator()(uint32_t& d, uint32_t s, int, int) const { d = s; }
};

// Draws the source picture stretched into the logical rectangle (x, y, width, height),
// combining each pixel with `combine(dest, source, x, y)`. A negative size runs back from
// (x, y), which stays inside (mirrored copies of [x, x + w) are made with x + w - 1 and -w);
// flips mirror the source. Only the part that survives clipping is resampled. Under a
// rotating world transform each destination pixel is mapped back into the picture.
template <typename Combine>
void Transfer(DrawTarget& target, const DcState& state, int x, int y, int width, int height, Image source, bool flipX,
              bool flipY, bool smooth, Combine combine) {
  if (SimpleMapping(state)) {
    const POINT origin = ToDevice(state, width < 0 ? x + width + 1 : x, height < 0 ? y + height + 1 : y);
    const int w = std::abs(width), h = std::abs(height);
    Region area(RECT{origin.x, origin.y, origin.x + w, origin.y + h});
    area.Intersect(target.Clip());
    if (area.Empty()) return;
    const RECT window = area.Bounds();
    const Image image = Resample(std::move(source), w, h, flipX != (width < 0), flipY != (height < 0), smooth,
                                 RECT{window.left - origin.x, window.top - origin.y, window.right - origin.x,
                                      window.bottom - origin.y});
    for (const auto& box : area.Boxes()) {
      for (int py = box.y1; py < box.y2; ++py) {
        uint32_t* row = target.Pixel(box.x1, py);
        const uint32_t* from = &image.pixels[static_cast<size_t>(py - window.top) * image.width + (box.x1 - window.left)];
        if constexpr (std::is_same_v<Combine, CopyPixels>) {
          std::memmove(row, from, static_cast<size_t>(box.x2 - box.x1) * 4);
        } else {
          for (int i = 0; i < box.x2 - box.x1; ++i) combine(row[i], from[i], box.x1 + i, py);
        }
      }
    }
    return;
  }
  XFORM inverse;
  if (!InvertMatrix(DeviceMatrix(state), &inverse)) return;
  if (flipX || flipY) {
    source = Resample(std::move(source), source.width, source.height, flipX, flipY, false,
                      RECT{0, 0, source.width, source.height});
  }
  std::vector<PointF> corners = {ToDeviceF(state, x, y), ToDeviceF(state, x + width, y),
                                 ToDeviceF(state, x + width, y + height), ToDeviceF(state, x, y + height)};
  Region area = PolygonRegion({corners}, WINDING);
  area.Intersect(target.Clip());
  for (const auto& box : area.Boxes()) {
    for (int py = box.y1; py < box.y2; ++py) {
      for (int px = box.x1; px < box.x2; ++px) {
        const double cx = px + 0.5, cy = py + 0.5;
        const double lx = cx * inverse.eM11 + cy * inverse.eM21 + inverse.eDx;
        const double ly = cx * inverse.eM12 + cy * inverse.eM22 + inverse.eDy;
        double u = (lx - x) / width * source.width, v = (ly - y) / height * source.height;
        if (u < 0 || v < 0 || u >= source.width || v >= source.height) continue;
        uint32_t sample;
        if (smooth) {
          const double fu = std::clamp(u - 0.5, 0.0, source.width - 1.0), fv = std::clamp(v - 0.5, 0.0, source.height - 1.0);
          const int u0 = static_cast<int>(fu), v0 = static_cast<int>(fv);
          const int u1 = std::min(u0 + 1, source.width - 1), v1 = std::min(v0 + 1, source.height - 1);
          const double au = fu - u0, av = fv - v0;
          sample = 0;
          for (int c = 0; c < 4; ++c) {
            auto ch = [&](int sx, int sy) { return (source.At(sx, sy) >> (8 * c)) & 0xFF; };
            const double value = (ch(u0, v0) * (1 - au) + ch(u1, v0) * au) * (1 - av) + (ch(u0, v1) * (1 - au) + ch(u1, v1) * au) * av;
            sample |= static_cast<uint32_t>(std::lround(value)) << (8 * c);
          }
        } else {
          sample = source.At(static_cast<int>(u), static_cast<int>(v));
        }
        combine(*target.Pixel(px, py), sample, px, py);
      }
    }
  }
}

struct BlitSetup {
  std::shared_ptr<DcObject> dest;
  std::shared_ptr<DcObject> source;
  RECT sourceRect{};
  bool flipX = false;
  bool flipY = false;
};

// Resolves the DCs and the source rectangle; fails for bad handles and for source
// rectangles outside the source surface.
bool Prepare(HDC destDc, HDC sourceDc, int sourceX, int sourceY, int sourceWidth, int sourceHeight, bool needSource,
             BlitSetup* setup) {
  setup->dest = GetDc(destDc);
  if (!setup->dest) return false;
  if (!needSource) return true;
  setup->source = GetDc(sourceDc);
  if (!setup->source) return false;
  if (sourceWidth < 0) sourceX += sourceWidth + 1;
  if (sourceHeight < 0) sourceY += sourceHeight + 1;
  const POINT a = ToDevice(setup->source->state, sourceX, sourceY);
  const POINT b = ToDevice(setup->source->state, sourceX + std::abs(sourceWidth), sourceY + std::abs(sourceHeight));
  setup->sourceRect = RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
  setup->flipX = sourceWidth < 0;
  setup->flipY = sourceHeight < 0;
  return true;
}

// The part of a source rectangle that lies on the source surface, with the destination
// rectangle shrunk to match when there is no stretching.
bool ClampUnstretched(DcObject& source, RECT* sourceRect, int* x, int* y, int* width, int* height) {
  DrawTarget target(source, false);
  const RECT bounds = target.Bounds();
  const int left = std::max(sourceRect->left, bounds.left) - sourceRect->left;
  const int top = std::max(sourceRect->top, bounds.top) - sourceRect->top;
  const int right = sourceRect->right - std::min(sourceRect->right, bounds.right);
  const int bottom = sourceRect->bottom - std::min(sourceRect->bottom, bounds.bottom);
  *x += left;
  *y += top;
  *width -= left + right;
  *height -= top + bottom;
  *sourceRect = RECT{sourceRect->left + left, sourceRect->top + top, sourceRect->right - right, sourceRect->bottom - bottom};
  return *width > 0 && *height > 0;
}

BOOL RopBlit(HDC destDc, int x, int y, int width, int height, HDC sourceDc, int sourceX, int sourceY, int sourceWidth,
             int sourceHeight, DWORD rop, bool stretch) {
  const bool needSource = NeedsSource(rop);
  BlitSetup setup;
  if (!Prepare(destDc, sourceDc, sourceX, sourceY, sourceWidth, sourceHeight, needSource, &setup)) return FALSE;
  DcObject& dest = *setup.dest;
  const DcState& state = dest.state;
  DrawTarget target(dest);
  if (!target.Valid()) return FALSE;
  if (width == 0 || height == 0) return TRUE;
  const uint8_t code = RopIndex(rop);
  Paint pattern;
  if (NeedsPattern(rop)) pattern = BrushPaint(state, state.brush.get());
  Image image;
  if (needSource) {
    if (!stretch) {
      if (width < 0) { x += width; width = -width; }
      if (height < 0) { y += height; height = -height; }
      setup.sourceRect.right = setup.sourceRect.left + width;
      setup.sourceRect.bottom = setup.sourceRect.top + height;
      if (!ClampUnstretched(*setup.source, &setup.sourceRect, &x, &y, &width, &height)) return TRUE;
    }
    if (!ReadSource(*setup.source, setup.sourceRect, state, target.Monochrome(), &image)) {
      SetLastErrorWithDetail(ERROR_INVALID_PARAMETER, "the source rectangle is outside the source bitmap");
      return FALSE;
    }
  } else {
    image.width = std::abs(width);
    image.height = std::abs(height);
    image.pixels.assign(static_cast<size_t>(image.width) * image.height, 0);
  }
  const bool smooth = stretch && state.stretchMode == HALFTONE;
  if (code == 0xCC) {
    Transfer(target, state, x, y, width, height, std::move(image), setup.flipX, setup.flipY, smooth, CopyPixels{});
  } else if (pattern.none) {
    Transfer(target, state, x, y, width, height, std::move(image), setup.flipX, setup.flipY, smooth,
             [code](uint32_t& d, uint32_t s, int, int) { d = ApplyRop3(code, 0, s, d); });
  } else {
    Transfer(target, state, x, y, width, height, std::move(image), setup.flipX, setup.flipY, smooth,
             [&](uint32_t& d, uint32_t s, int px, int py) {
      bool visible;
      const uint32_t p = pattern.At(px, py, &visible);
      d = ApplyRop3(code, p, s, d);
    });
  }
  return TRUE;
}

}  // namespace

}  // namespace platform::detail

using namespace platform::detail;

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop) {
  return RopBlit(dest, x, y, width, height, source, sourceX, sourceY, width, height, rop & 0x00FFFFFF, false);
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, int sourceWidth,
                int sourceHeight, DWORD rop) {
  if (sourceWidth == 0 || sourceHeight == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return RopBlit(dest, x, y, width, height, source, sourceX, sourceY, sourceWidth, sourceHeight, rop & 0x00FFFFFF, true);
}

BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop) {
  if (NeedsSource(rop)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return RopBlit(dc, x, y, width, height, nullptr, 0, 0, 0, 0, rop & 0x00FFFFFF, false);
}

BOOL MaskBlt(HDC destDc, int x, int y, int width, int height, HDC sourceDc, int sourceX, int sourceY, HBITMAP maskHandle,
             int maskX, int maskY, DWORD rop4) {
  if (!maskHandle) return BitBlt(destDc, x, y, width, height, sourceDc, sourceX, sourceY, rop4 & 0x00FFFFFF);
  auto mask = GetGdi<BitmapObject>(maskHandle, GdiKind::Bitmap);
  if (!mask || mask->bitsPerPixel != 1 || width <= 0 || height <= 0) {
    SetLastErrorWithDetail(ERROR_INVALID_PARAMETER, "the mask must be a monochrome bitmap");
    return FALSE;
  }
  const uint8_t fore = static_cast<uint8_t>((rop4 >> 16) & 0xFF);
  const uint8_t back = static_cast<uint8_t>((rop4 >> 24) & 0xFF);
  const bool needSource = NeedsSource(static_cast<DWORD>(fore) << 16) || NeedsSource(static_cast<DWORD>(back) << 16);
  BlitSetup setup;
  if (!Prepare(destDc, sourceDc, sourceX, sourceY, width, height, needSource, &setup)) return FALSE;
  const DcState& state = setup.dest->state;
  if (!SimpleMapping(state)) {
    SetLastErrorWithDetail(ERROR_INVALID_PARAMETER, "MaskBlt does not take world transforms");
    return FALSE;
  }
  DrawTarget target(*setup.dest);
  Image image;
  image.width = width;
  image.height = height;
  if (needSource) {
    if (!ReadSource(*setup.source, setup.sourceRect, state, target.Monochrome(), &image)) {
      SetLastErrorWithDetail(ERROR_INVALID_PARAMETER, "the source rectangle is outside the source bitmap");
      return FALSE;
    }
  } else {
    image.pixels.assign(static_cast<size_t>(width) * height, 0);
  }
  mask->LoadShadow();
  const Paint pattern = BrushPaint(state, state.brush.get());
  const POINT origin = ToDevice(state, x, y);
  Transfer(target, state, x, y, width, height, std::move(image), false, false, false,
           [&](uint32_t& d, uint32_t s, int px, int py) {
    const int mx = maskX + px - origin.x, my = maskY + py - origin.y;
    const bool on = mx >= 0 && my >= 0 && mx < mask->width && my < mask->height &&
                    (mask->shadow[static_cast<size_t>(my) * mask->width + mx] & 0xFFFFFF) != 0;
    bool visible;
    const uint32_t p = pattern.none ? 0 : pattern.At(px, py, &visible);
    d = ApplyRop3(on ? fore : back, p, s, d);
  });
  return TRUE;
}

BOOL AlphaBlend(HDC destDc, int x, int y, int width, int height, HDC sourceDc, int sourceX, int sourceY, int sourceWidth,
                int sourceHeight, BLENDFUNCTION blend) {
  if (width < 0 || height < 0 || sourceWidth < 0 || sourceHeight < 0 || blend.BlendOp != AC_SRC_OVER) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  BlitSetup setup;
  if (!Prepare(destDc, sourceDc, sourceX, sourceY, sourceWidth, sourceHeight, true, &setup)) return FALSE;
  if (width == 0 || height == 0 || sourceWidth == 0 || sourceHeight == 0) return TRUE;
  const DcState& state = setup.dest->state;
  DrawTarget target(*setup.dest);
  Image image;
  if (!ReadSource(*setup.source, setup.sourceRect, state, false, &image)) {
    SetLastErrorWithDetail(ERROR_INVALID_PARAMETER, "the source rectangle is outside the source bitmap");
    return FALSE;
  }
  const bool smooth = state.stretchMode == HALFTONE;
  const uint32_t constant = blend.SourceConstantAlpha;
  if (!(blend.AlphaFormat & AC_SRC_ALPHA)) {
    // Dst = Src * a + Dst * (1 - a) on every channel.
    Transfer(target, state, x, y, width, height, std::move(image), false, false, smooth, [constant](uint32_t& d, uint32_t s, int, int) {
      d = AddBytes(ScaleBytes(s, constant), ScaleBytes(d, 255 - constant));
    });
  } else if (constant == 255) {
    // Premultiplied source: Dst = Src + (1 - SrcAlpha) * Dst.
    Transfer(target, state, x, y, width, height, std::move(image), false, false, smooth, [](uint32_t& d, uint32_t s, int, int) {
      const uint32_t alpha = s >> 24;
      if (alpha == 255) d = s;
      else if (alpha != 0 || (s & 0xFFFFFF)) d = AddBytes(s, ScaleBytes(d, 255 - alpha));
    });
  } else {
    // The source scaled by the constant alpha first.
    Transfer(target, state, x, y, width, height, std::move(image), false, false, smooth, [constant](uint32_t& d, uint32_t s, int, int) {
      const uint32_t scaled = ScaleBytes(s, constant);
      d = AddBytes(scaled, ScaleBytes(d, 255 - (scaled >> 24)));
    });
  }
  return TRUE;
}

BOOL TransparentBlt(HDC destDc, int x, int y, int width, int height, HDC sourceDc, int sourceX, int sourceY,
                    int sourceWidth, int sourceHeight, UINT transparent) {
  if (width < 0 || height < 0 || sourceWidth <= 0 || sourceHeight <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  BlitSetup setup;
  if (!Prepare(destDc, sourceDc, sourceX, sourceY, sourceWidth, sourceHeight, true, &setup)) return FALSE;
  if (width == 0 || height == 0) return TRUE;
  const DcState& state = setup.dest->state;
  DrawTarget target(*setup.dest);
  Image image;
  if (!ReadSource(*setup.source, setup.sourceRect, state, target.Monochrome(), &image)) {
    SetLastErrorWithDetail(ERROR_INVALID_PARAMETER, "the source rectangle is outside the source bitmap");
    return FALSE;
  }
  const uint32_t key = ToPixel(transparent);
  Transfer(target, state, x, y, width, height, std::move(image), false, false, false, [key](uint32_t& d, uint32_t s, int, int) {
    if ((s & 0xFFFFFF) != key) d = s;
  });
  return TRUE;
}

// A DIB in memory as a top-down picture.
static bool DibPicture(const void* bits, const BITMAPINFO* info, UINT usage, UINT startScan, UINT scanLines, Image* out,
                       DibFormat* format) {
  if (!bits || !ParseBitmapInfo(info, usage, format)) {
    if (!bits) SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  out->width = format->width;
  out->height = format->height;
  out->pixels.assign(static_cast<size_t>(out->width) * out->height, 0);
  const UINT end = std::min<UINT>(startScan + scanLines, static_cast<UINT>(format->height));
  for (UINT scan = startScan; scan < end; ++scan) {
    const int row = format->topDown ? static_cast<int>(scan) : format->height - 1 - static_cast<int>(scan);
    ReadDibRow(*format, static_cast<const uint8_t*>(bits) + static_cast<size_t>(scan - startScan) * format->stride,
               &out->pixels[static_cast<size_t>(row) * out->width], out->width);
  }
  return true;
}

// Draws part of a picture with a ROP, through a temporary memory DC.
static BOOL BlitPicture(HDC dc, const Image& picture, int x, int y, int width, int height, int sourceX, int sourceY,
                        int sourceWidth, int sourceHeight, DWORD rop) {
  BITMAPINFO info = platform::TopDownBitmapInfo32(picture.width, picture.height);
  void* bits = nullptr;
  const platform::OwnedGdiObject<HBITMAP> bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) return FALSE;
  std::memcpy(bits, picture.pixels.data(), picture.pixels.size() * 4);
  const platform::BitmapDc memory(bitmap.get(), dc);
  return StretchBlt(dc, x, y, width, height, memory.get(), sourceX, sourceY, sourceWidth, sourceHeight, rop);
}

int SetDIBitsToDevice(HDC dc, int x, int y, DWORD width, DWORD height, int sourceX, int sourceY, UINT startScan,
                      UINT scanLines, const void* bits, const BITMAPINFO* info, UINT usage) {
  if (!GetDc(dc)) return 0;
  Image picture;
  DibFormat format;
  if (!DibPicture(bits, info, usage, startScan, scanLines, &picture, &format)) return 0;
  // Source coordinates count from the picture's first stored row: its bottom when bottom-up.
  int top = format.topDown ? sourceY : format.height - sourceY - static_cast<int>(height);
  int bottom = top + static_cast<int>(height);
  // Only the band of scan lines handed in is drawn.
  const int lines = static_cast<int>(std::min<UINT>(scanLines, static_cast<UINT>(format.height) - std::min<UINT>(startScan, format.height)));
  const int bandTop = format.topDown ? static_cast<int>(startScan) : format.height - static_cast<int>(startScan) - lines;
  const int clippedTop = std::max({top, bandTop, 0});
  bottom = std::min({bottom, bandTop + lines, format.height});
  y += clippedTop - top;
  top = clippedTop;
  const int w = std::min<int>(static_cast<int>(width), format.width - sourceX);
  const int h = bottom - top;
  if (lines <= 0) return 0;
  if (w <= 0 || h <= 0 || sourceX < 0) return lines;
  if (!BlitPicture(dc, picture, x, y, w, h, sourceX, top, w, h, SRCCOPY)) return 0;
  return lines;
}

int StretchDIBits(HDC dc, int x, int y, int width, int height, int sourceX, int sourceY, int sourceWidth, int sourceHeight,
                  const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop) {
  if (!GetDc(dc)) return 0;
  Image picture;
  DibFormat format;
  if (!DibPicture(bits, info, usage, 0, static_cast<UINT>(std::abs(info ? info->bmiHeader.biHeight : 0)), &picture, &format)) {
    return 0;
  }
  const int top = format.topDown ? sourceY : format.height - sourceY - sourceHeight;
  if (!BlitPicture(dc, picture, x, y, width, height, sourceX, top, sourceWidth, sourceHeight, rop)) return 0;
  return format.height;
}
