#pragma once

// Between frames and cairo image surfaces (premultiplied ARGB32, the layout of 32bppPARGB on
// this machine), and the shared drawing of an image region into a cairo context.

#include "platform/gdi/CairoHandles.h"
#include "platform/gdiplus/ImageModel.h"

namespace platform::detail {

using SurfacePtr = CairoSurface;
using ContextPtr = CairoContext;

// A premultiplied surface from ARGB pixels (width x height, no padding). Null on failure.
SurfacePtr SurfaceFromArgb(const ARGB* pixels, int width, int height);
// The surface's pixels back as straight ARGB.
std::vector<ARGB> ArgbFromSurface(cairo_surface_t* surface);

// Draws source (a premultiplied surface) scaled from the source rectangle into the
// destination rectangle, with the filter of the interpolation mode; edge pixels are extended
// rather than faded.
void DrawSurface(cairo_t* context, cairo_surface_t* source, double sourceX, double sourceY, double sourceWidth,
                 double sourceHeight, double destX, double destY, double destWidth, double destHeight,
                 InterpolationMode mode);

}  // namespace platform::detail
