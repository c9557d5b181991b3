#pragma once

// Enumerations the skinned controls publish beyond the class library's alignments: where a
// button's glyph sits. The vertical placement of text (TTextLayout) is the class library's
// label's.

#include "vcl/Control.h"
#include "vcl/Label.h"
#include "vcl/TypInfo.h"

// The glyph's side of the caption.
BRANTWELL_ENUM(TFSButtonLayout, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom)
