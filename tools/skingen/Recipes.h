#pragma once

// The drawing recipes of the default skin: each draws one state of one part into a cairo
// context whose origin is the state's top-left corner, from the manifest's palette and
// metrics and the part's recipe arguments.

#include <cairo.h>

#include <string>

#include "tools/skingen/Manifest.h"

namespace skingen {

// Draws state number `state` of `part` into (0, 0, part.width, part.height). Throws
// ManifestError for a recipe, argument or state name that the generator does not know.
void DrawState(cairo_t* cr, const Manifest& manifest, const PartSpec& part, size_t state);

// The recipes of the small windows' pictures (SmallWindowPictures.cpp): false for a recipe
// that is not one of them.
bool DrawSmallWindowState(cairo_t* cr, const Manifest& manifest, const PartSpec& part, size_t state);

// The face that the wordmark is set in, opened from the file fontconfig names for it (the
// family must match exactly, so the drawing never depends on a fallback family). The caller
// owns the returned reference; the FreeType face lives as long as cairo keeps the font face.
// Throws std::runtime_error when the font is not installed.
cairo_font_face_t* OpenWordmarkFace(const std::string& family);

// Sets the wordmark's face (freed with the context's use of it) at `size`, with the greyscale,
// unhinted rendering that keeps the drawn pixels the same on every run.
void UseWordmarkFont(cairo_t* cr, double size);

// A closed sub-path: the rectangle with its corners rounded by the radii top-left, top-right,
// bottom-right and bottom-left, or all four by r.
void RoundedRectPath(cairo_t* cr, double x, double y, double w, double h, double tl, double tr, double br, double bl);
inline void RoundedRectPath(cairo_t* cr, double x, double y, double w, double h, double r) {
  RoundedRectPath(cr, x, y, w, h, r, r, r, r);
}

// The program's name in DejaVu Sans Bold, centred on cx with its baseline at `baseline`.
void DrawWordmark(cairo_t* cr, double cx, double baseline, double size, const Rgba& color);

}  // namespace skingen
