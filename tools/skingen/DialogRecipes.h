#pragma once

// The recipe "dialog-glyph": the message box's 32-pixel icons (information, question,
// warning, error) and the file dialog's 16-pixel glyphs (its places, Up and New Folder).

#include <cairo.h>

#include "tools/skingen/Manifest.h"

namespace skingen {

// Draws state `state` of a "dialog-glyph" part (its "kind" argument says which).
void DrawDialogGlyph(cairo_t* cr, const Manifest& manifest, const PartSpec& part, size_t state);

}  // namespace skingen
