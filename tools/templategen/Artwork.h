#pragma once

// The backgrounds (720 x 540, opaque), the frame and the buttons of a template, and the
// stand-in pictures the preview shows in its frames. Everything is drawn from code and from
// fixed seeds: the same template always gives the same pixels.

#include <cairo.h>

#include "tools/templategen/Catalogue.h"
#include "tools/templategen/Raster.h"

namespace templategen {

enum class ButtonKind { Previous, Play, Next };

// Paints the template's scene over the whole canvas.
void PaintBackground(cairo_t* cr, const TemplateDesign& design);
// The frame picture, the size of a slot: transparent in its window.
Surface DrawFrame(const TemplateDesign& design);
// A kButtonSize square picture.
Surface DrawButton(const TemplateDesign& design, ButtonKind kind);
// Fills `width` x `height` at the origin with a small landscape in the template's sample
// colours (`variant` shifts the scene, so neighbouring frames differ).
void PaintSamplePicture(cairo_t* cr, const TemplateDesign& design, int variant, double width, double height);

}  // namespace templategen
