#pragma once

// GDI objects: stock objects, pens, brushes, bitmaps and DIB sections, selection and
// deletion. As documented, an object selected into a DC cannot be deleted, and a bitmap can
// be selected into one memory DC at a time.

#include "platform/gdi/GdiTypes.h"

constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int OEM_FIXED_FONT = 10;
constexpr int ANSI_FIXED_FONT = 11;
constexpr int ANSI_VAR_FONT = 12;
constexpr int SYSTEM_FONT = 13;
constexpr int DEVICE_DEFAULT_FONT = 14;
constexpr int DEFAULT_PALETTE = 15;
constexpr int SYSTEM_FIXED_FONT = 16;
constexpr int DEFAULT_GUI_FONT = 17;
constexpr int DC_BRUSH = 18;
constexpr int DC_PEN = 19;

HGDIOBJ GetStockObject(int index);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Fails (FALSE) for stale handles and for objects currently selected into a DC; deleting a
// stock object succeeds and does nothing.
BOOL DeleteObject(HGDIOBJ object);
// Fills BITMAP/DIBSECTION, LOGPEN/EXTLOGPEN, LOGBRUSH, LOGFONTA or LOGPALETTE's entry count
// (a WORD); returns the bytes written, or the size needed when `buffer` is null.
int GetObjectA(HGDIOBJ object, int size, void* buffer);
int GetObjectW(HGDIOBJ object, int size, void* buffer);
inline int GetObject(HGDIOBJ object, int size, void* buffer) { return GetObjectA(object, size, buffer); }

// ---- pens and brushes --------------------------------------------------------------------

HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* pen);
HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styles);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
HBRUSH CreatePatternBrush(HBITMAP bitmap);
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);

// ---- bitmaps -----------------------------------------------------------------------------

// bitsPerPixel 1 gives a monochrome bitmap; other depths are kept as 32-bit colour.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
HBITMAP CreateBitmapIndirect(const BITMAP* bitmap);
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// A DIB section of 1, 4, 8, 16, 24 or 32 bits; bottom-up for a positive height, top-down
// for a negative one. *bits receives the pixel memory, laid out as the header says.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);
HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits, const BITMAPINFO* info, UINT usage);

namespace platform {
// The header of a top-down 32-bit DIB: rows from the top, B,G,R,x bytes per pixel, as every
// buffer of this layer is laid out.
inline BITMAPINFO TopDownBitmapInfo32(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}
}  // namespace platform
constexpr DWORD CBM_INIT = 0x04;
LONG GetBitmapBits(HBITMAP bitmap, LONG size, void* bits);
LONG SetBitmapBits(HBITMAP bitmap, DWORD size, const void* bits);
// Reads rows [start, start + lines) of `bitmap` in the format of `info` (bottom-up rows
// for a positive height). With bits null and biBitCount 0, fills in the header only.
int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage);
int SetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage);
BOOL GetBitmapDimensionEx(HBITMAP bitmap, SIZE* size);
UINT GetDIBColorTable(HDC dc, UINT start, UINT count, RGBQUAD* colors);
UINT SetDIBColorTable(HDC dc, UINT start, UINT count, const RGBQUAD* colors);
