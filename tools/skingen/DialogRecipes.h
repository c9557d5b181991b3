#pragma once

// The recipe "dialog-glyph": the message box's 32-pixel icons (information, question,
// warning, error) and the file dialog's 16-pixel glyphs (its places, Up and New Folder).

#include <cairo.h>

#include "tools/skingen/Manifest.h"

namespace skingen {

// Draws state `state` of a "dialog-glyph" part (its "kind" argument says which).
void DrawDialogGlyph(cairo_t* cr, const Manifest& manifest, const PartSpec& part, size_t state);

// The information mark (a white "i" on an accent disc) filling (0, 0, w, h).
void DrawInformationMark(cairo_t* cr, const Manifest& manifest, double w, double h);

}  // namespace skingen
