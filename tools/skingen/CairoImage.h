#pragma once

// The bridge between cairo's image surfaces (premultiplied, native-endian ARGB) and the
// straight RGBA pixels the skin's PNG files hold.

#include <cairo.h>

#include <memory>

#include "tools/skingen/Png.h"

namespace skingen {

using SurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using ContextPtr = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

// The surface's pixels, straight.
RgbaImage SurfaceToRgba(cairo_surface_t* surface);
// A new ARGB32 surface holding the picture, premultiplied.
SurfacePtr RgbaToSurface(const RgbaImage& image);

}  // namespace skingen
