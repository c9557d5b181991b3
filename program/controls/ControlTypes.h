#pragma once

// Enumerations the skinned controls publish: horizontal and vertical alignment of a
// caption block, the vertical placement of text, and where a button's glyph sits.

#include "vcl/TypInfo.h"

BRANTWELL_ENUM(TAlignment, taLeftJustify, taRightJustify, taCenter)
BRANTWELL_ENUM(TVerticalAlignment, taAlignTop, taAlignBottom, taVerticalCenter)
BRANTWELL_ENUM(TTextLayout, tlTop, tlCenter, tlBottom)
// The glyph's side of the caption.
BRANTWELL_ENUM(TFSButtonLayout, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom)
