#pragma once

// Drawing routines shared by the skinned forms and controls: placement of pictures and of a
// button's glyph and caption, a parent's image under a transparent control, frames and focus
// rectangles, classic button and check-box faces, device contexts for non-client painting,
// conversions between client, window and screen coordinates, keyboard-cue queries, recursive
// enabling of child controls, cursor registration, scaling to the screen's density and the
// text form of a byte count.
//
// The placement routines and the byte-size text are pure. Everything else runs on the GUI
// thread. Every GDI object a routine makes is deleted before it returns, and every DC it
// gets for itself is released; a DC handed back to the caller (GetNCPaintDC) is the
// caller's to release.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "platform/gdi/WinGdi.h"
#include "platform/user/WinUser.h"
#include "rtl/SysTypes.h"
#include "vcl/Colors.h"
#include "vcl/Messages.h"
#include "vcl/Object.h"
#include "vcl/Types.h"

class TCanvas;
class TControl;
class TWinControl;

// ---- placement (pure) ----------------------------------------------------------------------

// Where a picture of the given natural size goes inside `box`: scaled to fill the box when
// `stretch` is set, or shrunk to fit (keeping its proportions when `proportional` is set)
// when it is larger than the box; a smaller picture keeps its size unless stretched. The
// result is centred in the box (a picture larger than the box gets negative offsets).
// Every caller centres; `center` is accepted for them and does not change the result.
void CalcImageRect(const TRect& box, int imageWidth, int imageHeight, TRect& result, bool center,
                   bool proportional, bool stretch);

// A button's glyph and caption placement. Layout: 0 glyph left of the caption, 1 right,
// 2 above, 3 below. HorzAlign: 0 left, 1 right, 2 centre; VertAlign: 0 top, 1 bottom,
// 2 centre. `offset` (the pressed shift) is added to every output; `margin` applies at the
// edge an item is aligned to; `spacing` is the gap between glyph and caption. Another
// layout value leaves the outputs untouched.
void CalcButtonLayout(int layout, int horzAlign, int vertAlign, int width, int height, int glyphWidth,
                      int glyphHeight, int textWidth, int textHeight, int offset, int margin, int spacing,
                      int& glyphX, int& glyphY, int& textX, int& textY);

// ---- painting ------------------------------------------------------------------------------

// Paints the part of the control's parent that lies under the control into `dc` (at the
// control's own origin), so that a transparent control can draw over it. Nothing happens
// for a control without a parent.
void DrawParentImage(TControl* control, HDC dc);

// A one- or two-colour frame: the outer colour around `rect`, the inner colour one pixel
// inside it (not drawn for clNone or clWindowFrame); `innerShadow` doubles the inner left
// and top edges.
void DrawFrameColors(HDC dc, const TRect& rect, TColor innerColor, TColor outerColor, bool innerShadow);
// The same frame around a whole window, drawn in its non-client area through GetNCPaintDC.
void DrawWindowFrame(HWND wnd, HRGN updateRgn, TColor innerColor, TColor outerColor, bool innerShadow);

// The dotted focus rectangle in black and white whatever colours the DC holds.
void DrawFocusRectDC(HDC dc, const TRect& rect);
void DrawFocusRectCanvas(TCanvas* canvas, const TRect& rect);

// A classic push-button face (sunken when pressed). The other states are for themed faces,
// which this platform never shows.
void DrawButtonFrame(TControl* control, HDC dc, const TRect& rect, bool enabled, bool hot, bool pressed,
                     bool focused, bool isDefault, bool transparent);
// A classic check-box square: inactive when disabled, else checked when `checked`.
void DrawCheckBoxFrame(TControl* control, HDC dc, const TRect& rect, bool enabled, bool hot, bool pressed,
                       bool checked, bool transparent);
// The dashed outline a control shows in design mode; nothing otherwise.
void DrawDesignFrame(TControl* control, TCanvas* canvas);

// ---- device contexts and coordinates ---------------------------------------------------------

// The DC for non-client painting: clipped to `updateRgn` (screen coordinates, as WM_NCPAINT
// delivers it) when it is a real region, the whole window's DC for 0 or 1. The caller
// releases it with ReleaseDC.
HDC GetNCPaintDC(HWND wnd, HRGN updateRgn);
// Redraws the band `outer` minus `inner` (client coordinates of `wnd`) with RedrawWindow's
// flags; its result.
BOOL RedrawRectDifference(HWND wnd, const TRect& outer, const TRect& inner, UINT flags);
// Copies what the screen shows in `rect` into `dc` at (0, 0).
bool CopyScreenRect(HDC dc, const TRect& rect);
// Forwards a WM_PRINT (WParam the DC, LParam the PRF_ flags) to every windowed child of the
// control, each at its own position, with its non-client area and background.
void PrintChildWindows(TWinControl* control, const TMessage& printMessage);

// `rect` from client coordinates to coordinates relative to the window rectangle; false,
// with `rect` untouched, when the window's rectangle cannot be read.
bool ClientRectToWindow(HWND wnd, TRect& rect);
// Between screen coordinates and coordinates relative to the window rectangle; `point` is
// untouched when the window's rectangle cannot be read.
void ScreenToWindowPoint(HWND wnd, TPoint& point);
void WindowToScreenPoint(HWND wnd, TPoint& point);
// The size of the icon's colour image; 0 x 0 for no icon or one without a colour image.
void GetIconSize(HICON icon, int& width, int& height);

// ---- queries and control routines -------------------------------------------------------------

LRESULT QueryUIState(HWND wnd);
bool IsFocusRectVisible(HWND wnd);
bool IsAccelVisible(HWND wnd);
// Whether accelerators are always underlined.
bool GetKeyboardCues();

// Sets Enabled on every child of `parent` (recursing into windowed children) except the
// controls listed, which are left alone with everything inside them. Children of a class
// registered with RegisterEnableColorClass also take clWindow when enabled and the parent's
// colour when disabled.
void EnableChildControls(TWinControl* parent, bool enable, const std::vector<TControl*>& except = {});
// The edit and combo classes register themselves here (and their descendants follow).
void RegisterEnableColorClass(TClass cls);
void UnregisterEnableColorClass(TClass cls);
bool ControlInArray(const TControl* control, const std::vector<TControl*>& controls);

// A set of byte values: bit n of byte n div 8, least significant bit first.
using TByteSet = std::array<uint8_t, 32>;
bool InCharSet(int value, const TByteSet& set);

// A slot of the screen's cursor table that holds no cursor of its own (searched from -3
// downwards, then from 1 upwards); 1 when none is free.
int GetFreeCursorIndex();
// Stores the cursor in a free slot and returns the slot's number.
int AddCursor(HCURSOR handle);

// value x the screen's pixels per inch / 96, rounded half away from zero.
int ScaleToScreenDPI(int value);
void ScaleToScreenDPIVar(int& value);

// ---- byte sizes (pure) -------------------------------------------------------------------------

// "0", "512B", "1.5KB", "2GB" ...: bytes below 1024 as a count, larger sizes in KB, MB, GB or
// TB (1 KB = 1024) with `digits` decimals and the trailing zeros dropped.
AnsiString FormatByteSizeDigits(int digits, uint64_t bytes);
inline AnsiString FormatByteSize(uint64_t bytes) { return FormatByteSizeDigits(1, bytes); }
// Drops the zeros (and spaces) after the last non-zero decimal of a number with a "." (and
// the "." itself when nothing else follows it); text without "." is returned unchanged.
AnsiString TrimDecimalZeros(const AnsiString& text);
