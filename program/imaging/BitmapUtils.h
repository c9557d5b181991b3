#pragma once

// Small routines on bitmaps, device contexts and GDI+ bitmaps shared by the skin engine, its
// animators and the controls: the loaders of skin image files, grayed copies and grayed
// drawing for disabled states, alpha and pixel copies, and 32-bit bitmap handles as GDI+
// bitmaps with their alpha channel. Rectangles are clipped to the bitmaps they touch.
// GUI thread (or any thread that owns the bitmaps).

#include "program/imaging/GPPictures.h"
#include "vcl/Bitmap.h"

// Loaders; the caller owns the result.
// A picture decoded as a GDI+ bitmap, or nullptr when the file cannot be opened or decoded.
TGPGraphic* LoadGPGraphicFile(const AnsiString& fileName);
// A TBitmap (pf32bit when the image has alpha, else pf24bit); a TPNGImage for images of
// several frame dimensions; nullptr when the file cannot be loaded or converted.
TGraphic* LoadImageAsBitmap(const AnsiString& fileName);
// A pf24bit bitmap from a BMP file; failures raise.
TBitmap* LoadBitmapFile(const AnsiString& fileName);

// Draws a TGPGraphic grayed into rect; any other picture is drawn ungrayed through a 24-bit
// copy.
void DrawGraphicGrayed(TCanvas* canvas, TGraphic* graphic, const TRect& rect);
// StretchDraw into a rectangle of a bare DC (which stays the caller's).
void StretchDrawToDC(TGraphic* graphic, HDC dc, const TRect& rect);

// A new grayed copy of rect of source (nullptr for no source). Mode 2 copies the 32-bit
// pixels with their alpha and grays every pixel; other modes copy through the canvas and
// keep the pixels of the copy's transparent colour.
TBitmap* CreatePartBitmap(TBitmap* source, const TRect& rect, int mode, TColor transparentColor);
// pf32bit bitmaps only.
void SetBitmapAlpha(TBitmap* bitmap, uint8_t alpha);
void SetBitmapAlphaRect(TBitmap* bitmap, const TRect& rect, uint8_t alpha);
// Same size and pixel format (pf24bit or pf32bit) only.
void CopyBitmapPixels(TBitmap* dest, TBitmap* source);
// dest becomes a copy of rect of source; false for pfDevice and pfCustom.
bool CopyBitmapRect(TBitmap* source, const TRect& rect, TBitmap* dest);
// Both pf32bit: rect of source to (destX, destY) of dest.
void CopyBitmapRect32(TBitmap* source, TBitmap* dest, const TRect& rect, int destY, int destX);
// Gray := (77 R + 150 G + 29 B + 128) / 256 for every pixel but those of the transparent
// colour (all of them for clNone); alpha stays. Other formats become pf24bit first.
void GrayBitmap(TBitmap* bitmap, TColor transparentColor);
// A 32-bit bitmap handle as a new 32-bit ARGB GDI+ bitmap, alpha kept; false (and no
// bitmap) for other depths or a bad handle.
bool GPBitmapFromHBitmap32(HBITMAP bitmap, TGPBitmap*& gpBitmap);
