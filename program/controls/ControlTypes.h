#pragma once

// Enumerations the skinned controls publish beyond the class library's alignments: the
// vertical placement of text and where a button's glyph sits.

#include "vcl/Control.h"
#include "vcl/TypInfo.h"

BRANTWELL_ENUM(TTextLayout, tlTop, tlCenter, tlBottom)
// The glyph's side of the caption.
BRANTWELL_ENUM(TFSButtonLayout, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom)
