#pragma once

// Regions: sets of pixels built from rectangles, rounded rectangles, ellipses and polygons,
// combined with set operations. Coordinates are device pixels; a rectangle includes its
// left and top edges and excludes its right and bottom edges.

#include "platform/gdi/GdiTypes.h"

HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
HRGN CreateEllipticRgnIndirect(const RECT* rect);
HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode);
HRGN CreatePolyPolygonRgn(const POINT* points, const INT* counts, int polygons, int fillMode);
// `transform` must be null (transformed regions are not supported).
HRGN ExtCreateRegion(const XFORM* transform, DWORD size, const RGNDATA* data);
// Returns the bytes written, or the size needed when `data` is null or `size` too small
// (then nothing is written and 0 is returned for a too-small buffer).
DWORD GetRegionData(HRGN region, DWORD size, RGNDATA* data);
int CombineRgn(HRGN destination, HRGN source1, HRGN source2, int mode);
BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom);
int OffsetRgn(HRGN region, int dx, int dy);
BOOL PtInRegion(HRGN region, int x, int y);
BOOL RectInRegion(HRGN region, const RECT* rect);
int GetRgnBox(HRGN region, RECT* rect);
BOOL EqualRgn(HRGN a, HRGN b);

// Region painting takes logical coordinates of the DC.
BOOL FillRgn(HDC dc, HRGN region, HBRUSH brush);
BOOL PaintRgn(HDC dc, HRGN region);
BOOL FrameRgn(HDC dc, HRGN region, HBRUSH brush, int width, int height);
BOOL InvertRgn(HDC dc, HRGN region);
