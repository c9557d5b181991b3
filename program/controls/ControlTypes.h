#pragma once

// Enumerations the skinned controls publish beyond the class library's alignments: the
// vertical placement of text and where a button's glyph sits.

#include "vcl/Control.h"
#include "vcl/Label.h"  // TTextLayout, shared with the class library's label
#include "vcl/TypInfo.h"

// The glyph's side of the caption.
BRANTWELL_ENUM(TFSButtonLayout, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom)
