#pragma once

// The drawing recipes of the default skin: each draws one state of one part into a cairo
// context whose origin is the state's top-left corner, from the manifest's palette and
// metrics and the part's recipe arguments.

#include <cairo.h>

#include "tools/skingen/Manifest.h"

namespace skingen {

// Draws state number `state` of `part` into (0, 0, part.width, part.height). Throws
// ManifestError for a recipe, argument or state name that the generator does not know.
void DrawState(cairo_t* cr, const Manifest& manifest, const PartSpec& part, size_t state);

}  // namespace skingen
