#pragma once

// The classic drawing helpers of the window manager: 3D edges, frame controls (buttons,
// scroll arrows, caption buttons, menu glyphs), focus rectangles. They draw with the system
// colours into any DC. Call from the thread that owns the DC.

#include "platform/gdi/GdiTypes.h"
#include "platform/user/UserTypes.h"

// ---- DrawEdge --------------------------------------------------------------------------------

constexpr UINT BDR_RAISEDOUTER = 0x0001;
constexpr UINT BDR_SUNKENOUTER = 0x0002;
constexpr UINT BDR_RAISEDINNER = 0x0004;
constexpr UINT BDR_SUNKENINNER = 0x0008;
constexpr UINT BDR_OUTER = BDR_RAISEDOUTER | BDR_SUNKENOUTER;
constexpr UINT BDR_INNER = BDR_RAISEDINNER | BDR_SUNKENINNER;
constexpr UINT BDR_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr UINT BDR_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr UINT EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr UINT EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr UINT EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr UINT EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;

constexpr UINT BF_LEFT = 0x0001;
constexpr UINT BF_TOP = 0x0002;
constexpr UINT BF_RIGHT = 0x0004;
constexpr UINT BF_BOTTOM = 0x0008;
constexpr UINT BF_TOPLEFT = BF_TOP | BF_LEFT;
constexpr UINT BF_TOPRIGHT = BF_TOP | BF_RIGHT;
constexpr UINT BF_BOTTOMLEFT = BF_BOTTOM | BF_LEFT;
constexpr UINT BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT;
constexpr UINT BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
constexpr UINT BF_DIAGONAL = 0x0010;
constexpr UINT BF_MIDDLE = 0x0800;
constexpr UINT BF_SOFT = 0x1000;
constexpr UINT BF_ADJUST = 0x2000;
constexpr UINT BF_FLAT = 0x4000;
constexpr UINT BF_MONO = 0x8000;

// Draws the chosen sides of a one- or two-line 3D edge inside `rect`. BF_ADJUST shrinks
// `rect` by what was drawn. Diagonal edges are not offered (ERROR_NOT_SUPPORTED).
BOOL DrawEdge(HDC dc, RECT* rect, UINT edge, UINT flags);

// ---- DrawFrameControl -------------------------------------------------------------------------

constexpr UINT DFC_CAPTION = 1;
constexpr UINT DFC_MENU = 2;
constexpr UINT DFC_SCROLL = 3;
constexpr UINT DFC_BUTTON = 4;
constexpr UINT DFC_POPUPMENU = 5;

constexpr UINT DFCS_CAPTIONCLOSE = 0x0000;
constexpr UINT DFCS_CAPTIONMIN = 0x0001;
constexpr UINT DFCS_CAPTIONMAX = 0x0002;
constexpr UINT DFCS_CAPTIONRESTORE = 0x0003;
constexpr UINT DFCS_CAPTIONHELP = 0x0004;
constexpr UINT DFCS_MENUARROW = 0x0000;
constexpr UINT DFCS_MENUCHECK = 0x0001;
constexpr UINT DFCS_MENUBULLET = 0x0002;
constexpr UINT DFCS_MENUARROWRIGHT = 0x0004;
constexpr UINT DFCS_SCROLLUP = 0x0000;
constexpr UINT DFCS_SCROLLDOWN = 0x0001;
constexpr UINT DFCS_SCROLLLEFT = 0x0002;
constexpr UINT DFCS_SCROLLRIGHT = 0x0003;
constexpr UINT DFCS_SCROLLCOMBOBOX = 0x0005;
constexpr UINT DFCS_SCROLLSIZEGRIP = 0x0008;
constexpr UINT DFCS_SCROLLSIZEGRIPRIGHT = 0x0010;
constexpr UINT DFCS_BUTTONCHECK = 0x0000;
constexpr UINT DFCS_BUTTONRADIOIMAGE = 0x0001;
constexpr UINT DFCS_BUTTONRADIOMASK = 0x0002;
constexpr UINT DFCS_BUTTONRADIO = 0x0004;
constexpr UINT DFCS_BUTTON3STATE = 0x0008;
constexpr UINT DFCS_BUTTONPUSH = 0x0010;
constexpr UINT DFCS_INACTIVE = 0x0100;
constexpr UINT DFCS_PUSHED = 0x0200;
constexpr UINT DFCS_CHECKED = 0x0400;
constexpr UINT DFCS_TRANSPARENT = 0x0800;
constexpr UINT DFCS_HOT = 0x1000;
constexpr UINT DFCS_ADJUSTRECT = 0x2000;
constexpr UINT DFCS_FLAT = 0x4000;
constexpr UINT DFCS_MONO = 0x8000;

// Draws a classic frame control of `type` in the state of `state` inside `rect`.
// DFCS_ADJUSTRECT (push buttons) shrinks `rect` to the area inside the edge.
BOOL DrawFrameControl(HDC dc, RECT* rect, UINT type, UINT state);

// Inverts every other pixel of the rectangle's one-pixel outline; drawing it twice
// restores the picture.
BOOL DrawFocusRect(HDC dc, const RECT* rect);

namespace platform::detail {
// A filled triangle glyph pointing in a DFCS_SCROLL* direction, centred in `rect`.
void DrawArrowGlyph(HDC dc, const RECT& rect, UINT direction, COLORREF color);
// The check-mark glyph of check boxes and menus, centred in `rect`.
void DrawCheckGlyph(HDC dc, const RECT& rect, COLORREF color);
// The glyph of a caption button (a DFCS_CAPTION* kind) sized to the whole button `rect`,
// moved by a pixel with DFCS_PUSHED and etched with DFCS_INACTIVE. The frame's caption
// buttons and DrawFrameControl(DFC_CAPTION) both draw with it.
void DrawCaptionGlyph(HDC dc, const RECT& button, UINT kind, UINT state);
void FillSolid(HDC dc, const RECT& rect, COLORREF color);
}  // namespace platform::detail
