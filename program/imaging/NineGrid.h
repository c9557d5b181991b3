#pragma once

// Nine-grid drawing of skin images: a rectangle of a skin bitmap is stretched to any size
// while its borders keep their pixel size. DrawBitmapPart draws the whole grid or one of its
// eight partial pieces (a frame, a column, a row, the centre) in one of three modes: a plain
// copy, a colour-keyed copy, or per-pixel alpha. GUI thread, like every DC it draws on.

#include <cstdint>

#include "platform/gdi/WinGdi.h"
#include "vcl/Types.h"

// Margins of a nine-grid, in the order the skin files store them: Left, Right, Top, Bottom.
// Source margins are in source pixels, destination margins in destination pixels.
struct TNineGridMargins {
  int32_t Left = 0;
  int32_t Right = 0;
  int32_t Top = 0;
  int32_t Bottom = 0;
};
static_assert(sizeof(TNineGridMargins) == 16);

// How the pixels of a skin part are copied (the skin part's transparent mode).
namespace NineGridMode {
constexpr uint8_t Copy = 0;      // plain copy
constexpr uint8_t ColorKey = 1;  // pixels of the transparent colour are not drawn
constexpr uint8_t Alpha = 2;     // the 32-bit source's alpha channel is honoured
}  // namespace NineGridMode

// Which part of the grid is drawn.
namespace NineGridPiece {
constexpr uint8_t All = 0;
constexpr uint8_t Frame = 1;         // all but the centre
constexpr uint8_t Center = 2;        // the centre over the whole destination
constexpr uint8_t LeftColumn = 3;    // two left corners and the left edge
constexpr uint8_t MiddleColumn = 4;  // top edge, centre, bottom edge, each the full width
constexpr uint8_t RightColumn = 5;
constexpr uint8_t TopRow = 6;        // two top corners and the top edge
constexpr uint8_t MiddleRow = 7;     // left edge, centre, right edge, each the full height
constexpr uint8_t BottomRow = 8;
}  // namespace NineGridPiece

// Draws SrcRect of Bitmap into DestRect of DC. Piece 0 with all source margins 0 is a plain
// stretch; anything else is drawn as a nine-grid. The destination DC's stretch mode becomes
// COLORONCOLOR. When ClipRect is given the DC's clipping region is intersected with it (in
// the DC's current coordinates) and stays so. Bitmap must not be selected into another DC.
// Returns the success of the last copy made; false when DestRect is empty, the mode or piece
// is unknown, or the bitmap cannot be selected.
bool DrawBitmapPart(HDC DC, const TRect& DestRect, HBITMAP Bitmap, const TRect& SrcRect,
                    const TNineGridMargins& SrcMargins, const TNineGridMargins& DestMargins, uint8_t Mode,
                    COLORREF TransparentColor, uint8_t Piece, const TRect* ClipRect);

// Stretches the source rectangle to the destination leaving out the pixels equal to
// TransparentColor, through a monochrome mask. False, nothing drawn, for an empty
// destination or source, or when a step fails.
bool StretchBltColorKey(HDC DestDC, int X, int Y, int DestWidth, int DestHeight, HDC SrcDC, int SrcX, int SrcY,
                        int SrcWidth, int SrcHeight, COLORREF TransparentColor);

namespace imaging::detail {

// One axis of a nine-grid: the source length with its first and last margins, the target
// length with its margins, and the lengths of the two middles.
struct NineGridAxis {
  int sourceFirst;
  int sourceLast;
  int sourceMiddle;
  int destLength;
  int destFirst;
  int destLast;
  int destMiddle;
};

NineGridAxis MakeNineGridAxis(int sourceLength, int sourceFirst, int sourceLast, int destLength, int destFirst,
                              int destLast);
// A target shorter than its two margins: the margins shrink in proportion, the source middle
// takes over what they lost, and the destination middle becomes 0. Nothing happens unless
// the destination margins add up to more than 0.
void ShrinkNineGridMargins(NineGridAxis& axis);

}  // namespace imaging::detail
