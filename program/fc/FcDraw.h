#pragma once

// The drawing routines of the Fc controls: one-pixel sides and bevels, the 3D borders of the
// frame styles (in system colours or derived from one base colour), boxes and rounded flat
// borders, the composite frame of borders and panels, the frame of the framed edit's
// non-client area, the drop-down arrow, a ten-way gradient fill, a parent's background under
// a transparent control, and two invalidation helpers.
//
// All draw on a TCanvas with its pen and brush; colours may be system colours (converted
// when drawn) and clNone (skipped). Most return the rectangle left inside what they drew.
// GUI thread only (they draw on canvases the GUI thread owns).

#include "platform/user/WinUser.h"
#include "vcl/Canvas.h"
#include "vcl/Colors.h"
#include "vcl/TypInfo.h"

class TControl;
class TWinControl;

BRANTWELL_ENUM(TFrameStyleEx, fsNone, fsFlat, fsGroove, fsBump, fsLowered, fsButtonDown, fsRaised,
               fsButtonUp, fsStatus, fsPopup, fsFlatBold, fsFlatRounded)
// The styles without fsFlatRounded; properties of this kind take fsNone to fsFlatBold.
using TFrameStyle = TFrameStyleEx;
BRANTWELL_ENUM(TSide, sdLeft, sdTop, sdRight, sdBottom)
using TSides = TSet<TSide>;
BRANTWELL_ENUM(TFramingPreference, fpCustomFraming, fpXPThemes)

inline const TSides AllSides{sdLeft, sdTop, sdRight, sdBottom};

// Lines on the listed sides: left and top in `first`, right and bottom in `second` (clNone
// skips them); every listed side moves in by 1 whether drawn or not.
TRect DrawSides(TCanvas* canvas, TRect rect, TColor first, TColor second, TSides sides);
// DrawSides `width` times inward.
TRect DrawBevel(TCanvas* canvas, TRect rect, TColor first, TColor second, TSides sides, int width);
// A frame style in the fixed system colours.
TRect DrawStyleBorder(TCanvas* canvas, TRect rect, TFrameStyle style, TSides sides);
// A frame style in shades of one base colour.
TRect DrawColorBorder(TCanvas* canvas, TRect rect, TColor base, TSides sides, TFrameStyle style);
TRect DrawColorBorder(TCanvas* canvas, TRect rect, TColor base, TFrameStyle style);
// The etched border of fsGroove and fsBump: `outer` (left and top outer line, right and
// bottom inner line) and `inner`.
TRect DrawEtchedBorder(TCanvas* canvas, TRect rect, TColor outer, TColor inner, TSides sides);
// A one-pixel box.
TRect DrawBox(TCanvas* canvas, TRect rect, TColor color);
// A one-pixel border whose corners are cut by one pixel; the rectangle's corner pixels stay.
TRect DrawRoundedFlatBorder(TCanvas* canvas, TRect rect, TColor color, TSides sides);

// The frame of the border and panel controls: outer style, a ring of BorderWidth, inner
// style.
struct TFrameSet {
  TFrameStyleEx Outer = fsNone;
  TFrameStyleEx Inner = fsNone;
  int BorderWidth = 0;
  TSides Sides = AllSides;
  int BevelWidth = 1;
  TColor BorderColor = clBtnFace;
  TColor BorderHighlight = clBtnHighlight;
  TColor BorderShadow = clBtnShadow;
  TColor FlatColor = clBtnShadow;
  int FlatColorAdjustment = 0;
  TColor ControlColor = clBtnFace;
  TColor ParentColor = clBtnFace;
  bool Transparent = false;
};
TRect DrawFrameSet(TCanvas* canvas, TRect rect, const TFrameSet& frame);
// The rectangle less what the outer and the inner style take on the listed sides (1 for
// fsFlat, bevelWidth for fsStatus and fsPopup, 2 for the other styles but fsNone); the
// BorderWidth ring is not included.
TRect FrameStylesInset(TRect rect, TFrameStyleEx outer, TFrameStyleEx inner, TSides sides, int bevelWidth);

// The frame of a framed edit's non-client area of width x height: the platform's 3D border
// covered in the control colour, then the style.
void DrawEditFrame(TCanvas* canvas, int width, int height, TSides sides, TColor frameColor,
                   TColor controlColor, TFrameStyle style);

// The drop-down arrow centred in rect: the plain form a 7-pixel-wide triangle, the flat form
// a chevron.
void DrawDropArrow(TCanvas* canvas, const TRect& rect, bool flat, bool pressed, bool enabled);

// Gradient kinds.
enum TGradientKind {
  gkDiagonalUp = 0,        // first colour bottom-left, second top-right
  gkDiagonalDown = 1,      // first colour top-left, second bottom-right
  gkVertical = 2,          // first at the top, second at the bottom
  gkVerticalCentre = 3,    // first at top and bottom, second in the middle
  gkRectangleWide = 4,     // second in the centre, first outward, narrowed horizontally
  gkHorizontal = 5,        // first at the left, second at the right
  gkHorizontalCentre = 6,  // first at left and right, second in the middle
  gkRectangleTall = 7,     // narrowed vertically
  gkRectangle = 8,         // full size
  gkRectangleSmall = 9,    // narrowed both ways
};
// Fills rect with a gradient; `stepMerge` merges colour steps into wider bands (1: none).
void PaintGradient(TCanvas* canvas, const TRect& rect, int kind, TColor first, TColor second,
                   int stepMerge = 1);

// Paints the parent's background and content under `control` into dc (the control's
// client coordinates); with invalidateParent a plain parent is invalidated too.
void PaintParentBackground(TControl* control, HDC dc, bool invalidateParent);
// Invalidates rect of a window's non-client and client area when the window shows.
void InvalidateNonClient(HWND window, const TRect& rect);
// Invalidates every child whose published Transparent property is True.
void InvalidateTransparentChildren(TWinControl* control);
