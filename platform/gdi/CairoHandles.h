#pragma once

// Owners of cairo objects, each bound to its release function (see UniqueHandle). Pango's are
// in PangoHandles.h.

#include <cairo.h>

#include "platform/kernel/UniqueHandle.h"

namespace platform {

using CairoContext = UniqueHandle<cairo_t*, cairo_destroy>;
using CairoSurface = UniqueHandle<cairo_surface_t*, cairo_surface_destroy>;
using CairoFontOptions = UniqueHandle<cairo_font_options_t*, cairo_font_options_destroy>;

}  // namespace platform
