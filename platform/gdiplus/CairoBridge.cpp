// Frames to cairo surfaces and back, and scaled drawing.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gdiplus/CairoBridge.h"

namespace platform::detail {

SurfacePtr SurfaceFromArgb(const ARGB* pixels, int width, int height) {
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_surface_flush(surface.get());
  uint8_t* data = cairo_image_surface_get_data(surface.get());
  int stride = cairo_image_surface_get_stride(surface.get());
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + size_t(y) * stride);
    for (int x = 0; x < width; ++x) row[x] = Premultiply(pixels[size_t(y) * width + x]);
  }
  cairo_surface_mark_dirty(surface.get());
  return surface;
}

std::vector<ARGB> ArgbFromSurface(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
  int stride = cairo_image_surface_get_stride(surface);
  const uint8_t* data = cairo_image_surface_get_data(surface);
  bool opaque = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_RGB24;
  std::vector<ARGB> out(size_t(width) * height);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * stride);
    for (int x = 0; x < width; ++x) out[size_t(y) * width + x] = opaque ? (row[x] | 0xFF000000u) : Unpremultiply(row[x]);
  }
  return out;
}

static cairo_filter_t FilterFor(InterpolationMode mode) {
  switch (mode) {
    case InterpolationModeNearestNeighbor: return CAIRO_FILTER_NEAREST;
    case InterpolationModeHighQualityBilinear: return CAIRO_FILTER_GOOD;
    case InterpolationModeHighQuality:
    case InterpolationModeBicubic:
    case InterpolationModeHighQualityBicubic: return CAIRO_FILTER_BEST;
    default: return CAIRO_FILTER_BILINEAR;
  }
}

void DrawSurface(cairo_t* context, cairo_surface_t* source, double sourceX, double sourceY, double sourceWidth,
                 double sourceHeight, double destX, double destY, double destWidth, double destHeight,
                 InterpolationMode mode) {
  if (sourceWidth == 0 || sourceHeight == 0 || destWidth == 0 || destHeight == 0) return;
  cairo_save(context);
  cairo_rectangle(context, destX, destY, destWidth, destHeight);
  cairo_clip(context);
  // Only the source rectangle may be sampled: a sub-surface keeps the filter from reaching
  // pixels outside it, and PAD repeats its edge instead of fading into transparency.
  int x0 = static_cast<int>(std::floor(sourceX)), y0 = static_cast<int>(std::floor(sourceY));
  int x1 = static_cast<int>(std::ceil(sourceX + sourceWidth)), y1 = static_cast<int>(std::ceil(sourceY + sourceHeight));
  if (sourceWidth < 0) std::swap(x0, x1);
  if (sourceHeight < 0) std::swap(y0, y1);
  SurfacePtr sub(cairo_surface_create_for_rectangle(source, x0, y0, std::max(1, x1 - x0), std::max(1, y1 - y0)));
  cairo_translate(context, destX, destY);
  cairo_scale(context, destWidth / sourceWidth, destHeight / sourceHeight);
  cairo_translate(context, x0 - sourceX, y0 - sourceY);
  cairo_set_source_surface(context, sub.get(), 0, 0);
  cairo_pattern_t* pattern = cairo_get_source(context);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  cairo_pattern_set_filter(pattern, FilterFor(mode));
  cairo_paint(context);
  cairo_restore(context);
}

}  // namespace platform::detail
