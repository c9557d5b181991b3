#pragma once

// Device contexts: memory DCs, the screen DC, saved states, device capabilities, DC
// attributes (colours, modes), coordinate spaces (window and viewport origins, world
// transforms) and clipping. A DC is used by one thread at a time.

#include "platform/gdi/GdiTypes.h"

// ---- creation and state ------------------------------------------------------------------

// A memory DC with a 1x1 monochrome bitmap selected, compatible with `dc` (or the screen).
HDC CreateCompatibleDC(HDC dc);
// "DISPLAY" gives a DC over the whole screen; other drivers fail.
HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR output, const void* initData);
HDC CreateDCW(LPCWSTR driver, LPCWSTR device, LPCWSTR output, const void* initData);
BOOL DeleteDC(HDC dc);
// Returns the new save level (1 for the first save), 0 on failure.
int SaveDC(HDC dc);
// level > 0 restores that saved state; level < 0 goes back that many saves.
BOOL RestoreDC(HDC dc, int level);
HGDIOBJ GetCurrentObject(HDC dc, UINT type);
DWORD GetObjectType(HGDIOBJ object);

constexpr int DRIVERVERSION = 0;
constexpr int TECHNOLOGY = 2;
constexpr int HORZSIZE = 4;
constexpr int VERTSIZE = 6;
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMBRUSHES = 16;
constexpr int NUMPENS = 18;
constexpr int NUMFONTS = 22;
constexpr int NUMCOLORS = 24;
constexpr int RASTERCAPS = 38;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int SIZEPALETTE = 104;
constexpr int NUMRESERVED = 106;
constexpr int COLORRES = 108;
constexpr int VREFRESH = 116;
constexpr int DESKTOPVERTRES = 117;
constexpr int DESKTOPHORZRES = 118;
constexpr int BLTALIGNMENT = 119;
constexpr int SHADEBLENDCAPS = 120;

constexpr int DT_RASDISPLAY = 1;
constexpr int RC_BITBLT = 0x0001;
constexpr int RC_BITMAP64 = 0x0008;
constexpr int RC_DI_BITMAP = 0x0080;
constexpr int RC_DIBTODEV = 0x0200;
constexpr int RC_STRETCHBLT = 0x0800;
constexpr int RC_STRETCHDIB = 0x2000;
constexpr int SB_CONST_ALPHA = 0x00000001;
constexpr int SB_PIXEL_ALPHA = 0x00000002;

int GetDeviceCaps(HDC dc, int index);

// ---- attributes --------------------------------------------------------------------------

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

constexpr int R2_BLACK = 1;
constexpr int R2_NOTMERGEPEN = 2;
constexpr int R2_MASKNOTPEN = 3;
constexpr int R2_NOTCOPYPEN = 4;
constexpr int R2_MASKPENNOT = 5;
constexpr int R2_NOT = 6;
constexpr int R2_XORPEN = 7;
constexpr int R2_NOTMASKPEN = 8;
constexpr int R2_MASKPEN = 9;
constexpr int R2_NOTXORPEN = 10;
constexpr int R2_NOP = 11;
constexpr int R2_MERGENOTPEN = 12;
constexpr int R2_COPYPEN = 13;
constexpr int R2_MERGEPENNOT = 14;
constexpr int R2_MERGEPEN = 15;
constexpr int R2_WHITE = 16;

constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
constexpr int STRETCH_ANDSCANS = BLACKONWHITE;
constexpr int STRETCH_ORSCANS = WHITEONBLACK;
constexpr int STRETCH_DELETESCANS = COLORONCOLOR;
constexpr int STRETCH_HALFTONE = HALFTONE;

constexpr UINT TA_NOUPDATECP = 0;
constexpr UINT TA_UPDATECP = 1;
constexpr UINT TA_LEFT = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;
constexpr UINT TA_RTLREADING = 256;
constexpr UINT GDI_ERROR = 0xFFFFFFFF;

COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
int SetROP2(HDC dc, int mode);
int GetROP2(HDC dc);
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);
int SetPolyFillMode(HDC dc, int mode);
int GetPolyFillMode(HDC dc);
UINT SetTextAlign(HDC dc, UINT align);
UINT GetTextAlign(HDC dc);
BOOL SetBrushOrgEx(HDC dc, int x, int y, POINT* previous);
BOOL GetBrushOrgEx(HDC dc, POINT* origin);
COLORREF SetDCBrushColor(HDC dc, COLORREF color);
COLORREF SetDCPenColor(HDC dc, COLORREF color);

// ---- coordinates -------------------------------------------------------------------------

constexpr int MM_TEXT = 1;
constexpr int GM_COMPATIBLE = 1;
constexpr int GM_ADVANCED = 2;
constexpr DWORD MWT_IDENTITY = 1;
constexpr DWORD MWT_LEFTMULTIPLY = 2;
constexpr DWORD MWT_RIGHTMULTIPLY = 3;

// Only MM_TEXT is supported; other modes fail with ERROR_INVALID_PARAMETER.
int SetMapMode(HDC dc, int mode);
int GetMapMode(HDC dc);
BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* previous);
BOOL GetWindowOrgEx(HDC dc, POINT* origin);
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, POINT* previous);
BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* previous);
BOOL GetViewportOrgEx(HDC dc, POINT* origin);
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* previous);
BOOL LPtoDP(HDC dc, POINT* points, int count);
BOOL DPtoLP(HDC dc, POINT* points, int count);
int SetGraphicsMode(HDC dc, int mode);
int GetGraphicsMode(HDC dc);
// Fail unless the DC is in GM_ADVANCED, as documented.
BOOL SetWorldTransform(HDC dc, const XFORM* transform);
BOOL GetWorldTransform(HDC dc, XFORM* transform);
BOOL ModifyWorldTransform(HDC dc, const XFORM* transform, DWORD mode);
BOOL CombineTransform(XFORM* result, const XFORM* first, const XFORM* second);

// ---- clipping ----------------------------------------------------------------------------

// Region arguments are in device coordinates; rectangles in logical coordinates.
int SelectClipRgn(HDC dc, HRGN region);
int ExtSelectClipRgn(HDC dc, HRGN region, int mode);
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
int OffsetClipRgn(HDC dc, int dx, int dy);
// Logical bounds of what can be drawn; returns the region complexity.
int GetClipBox(HDC dc, RECT* rect);
// Copies the application clip region into `region`: 1 when there is one, 0 when there is
// none, -1 on error.
int GetClipRgn(HDC dc, HRGN region);
BOOL RectVisible(HDC dc, const RECT* rect);
BOOL PtVisible(HDC dc, int x, int y);

// ---- colour and palettes -----------------------------------------------------------------

// 32-bit surfaces show every colour, so the nearest colour is the colour itself and
// palettes change nothing.
COLORREF GetNearestColor(HDC dc, COLORREF color);
HPALETTE CreatePalette(const LOGPALETTE* palette);
HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL forceBackground);
UINT RealizePalette(HDC dc);
// Makes sure pending drawing has reached the bitmap bits; drawing here is never deferred.
BOOL GdiFlush();
