#pragma once

// Window shapes from skin bitmaps: the region of the pixels of a bitmap rectangle that are not
// transparent (by colour key or by alpha), handed out as region data, and the stretching of
// such data to a new size with the nine-grid rules of the drawing, so that a window region of
// any size comes from data computed once. GUI thread.

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "platform/gdi/WinGdi.h"
#include "program/imaging/NineGrid.h"
#include "vcl/Colors.h"
#include "vcl/Types.h"

class TBitmap;

struct TRegionDataFree {
  void operator()(RGNDATA* data) const { std::free(data); }
};
// Region data: the RGNDATA header followed by its rectangles, in one malloc'd block.
using TRegionData = std::unique_ptr<RGNDATA, TRegionDataFree>;

// The region of the pixels of Rect (clipped to the bitmap) that are not transparent, with
// coordinates relative to the rectangle's top-left corner. The region is one pixel wider and
// taller than the rectangle: its extra column and row are always inside it. A pf32bit bitmap
// with TransparentColor clNone tests alpha (0 is transparent); otherwise pixels of the colour
// ColorToRGB(TransparentColor) are transparent. Null for no bitmap, a format other than
// pf24bit and pf32bit, or an empty (clipped) rectangle.
TRegionData BitmapToRegionData(TBitmap* Bitmap, const TRect& Rect, TColor TransparentColor);

// dwSize + 16 x nCount for rectangle data, else 0.
uint32_t GetRegionDataSize(const RGNDATA* Data);

// Rewrites the rectangles of Data, made from SrcRect, for a Width x Height target: each axis
// keeps its source margins at the destination margins' size and stretches the middle. The
// header (rcBound included) is left as it was. Always true.
bool StretchRegionData(RGNDATA* Data, const TRect& SrcRect, const TNineGridMargins& SrcMargins,
                       const TNineGridMargins& DestMargins, int Width, int Height);
