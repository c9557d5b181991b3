#pragma once
// Image lists: same-sized images kept by index, each with an optional mask, drawn into a DC
// normally, transparently, blended with a colour, as their mask, or with an overlay image on
// top. The tree view, the tab control and the tool bar draw from them.
//
// Images are kept as 32-bit pixels. A 32-bit image whose alpha bytes are not all zero keeps
// its alpha (ILC_COLOR32); otherwise it is opaque except where its mask (ILC_MASK) is set.
// A list handle names a list until ImageList_Destroy; a stale handle fails every call. Any
// thread may call; one lock guards every list.

#include "platform/comctl/CommCtrl.h"
#include "platform/gdi/WinGdi.h"
#include "platform/user/Icons.h"

namespace platform {

struct ImageListHandle;
using HIMAGELIST = ImageListHandle*;

constexpr UINT ILC_MASK = 0x00000001;
constexpr UINT ILC_COLOR = 0x00000000;
constexpr UINT ILC_COLORDDB = 0x000000FE;
constexpr UINT ILC_COLOR4 = 0x00000004;
constexpr UINT ILC_COLOR8 = 0x00000008;
constexpr UINT ILC_COLOR16 = 0x00000010;
constexpr UINT ILC_COLOR24 = 0x00000018;
constexpr UINT ILC_COLOR32 = 0x00000020;

constexpr UINT ILD_NORMAL = 0x00000000;
constexpr UINT ILD_TRANSPARENT = 0x00000001;
constexpr UINT ILD_BLEND25 = 0x00000002;
constexpr UINT ILD_FOCUS = ILD_BLEND25;
constexpr UINT ILD_BLEND50 = 0x00000004;
constexpr UINT ILD_SELECTED = ILD_BLEND50;
constexpr UINT ILD_BLEND = ILD_BLEND50;
constexpr UINT ILD_MASK = 0x00000010;
constexpr UINT ILD_IMAGE = 0x00000020;
constexpr UINT ILD_ROP = 0x00000040;
constexpr UINT ILD_OVERLAYMASK = 0x00000F00;
constexpr UINT ILD_PRESERVEALPHA = 0x00001000;
constexpr UINT ILD_SCALE = 0x00002000;
constexpr UINT ILD_DPISCALE = 0x00004000;
constexpr UINT INDEXTOOVERLAYMASK(UINT overlay) { return overlay << 8; }

constexpr DWORD ILS_NORMAL = 0x00000000;
constexpr DWORD ILS_SATURATE = 0x00000004;  // drawn in grays

struct IMAGEINFO {
  HBITMAP hbmImage;  // the list's images, side by side; owned by the list
  HBITMAP hbmMask;   // black where opaque, white where transparent; null without ILC_MASK
  int Unused1;
  int Unused2;
  RECT rcImage;      // where the image lies in both bitmaps
};

struct IMAGELISTDRAWPARAMS {
  DWORD cbSize;
  HIMAGELIST himl;
  int i;
  HDC hdcDst;
  int x;
  int y;
  int cx;  // 0: the whole width
  int cy;
  int xBitmap;  // offset into the image
  int yBitmap;
  COLORREF rgbBk;
  COLORREF rgbFg;
  UINT fStyle;
  DWORD dwRop;
  DWORD fState;  // ILS_NORMAL or ILS_SATURATE
  DWORD Frame;
  COLORREF crEffect;
};

// `initial` and `grow` are capacity hints.
HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
BOOL ImageList_Destroy(HIMAGELIST list);
int ImageList_GetImageCount(HIMAGELIST list);
// Grows with blank (transparent) images or drops images from the end.
BOOL ImageList_SetImageCount(HIMAGELIST list, UINT count);
// Adds the image (several when it is a multiple of the list's width wide); the mask's set
// (white) pixels are transparent. Returns the index of the first, or -1.
int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask);
// As Add with the pixels of `maskColour` transparent (CLR_DEFAULT: the top-left pixel's).
int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF maskColour);
// Replaces image `index` with the icon (scaled to the list's size); -1 appends. Returns the
// index, or -1.
int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon);
inline int ImageList_AddIcon(HIMAGELIST list, HICON icon) { return ImageList_ReplaceIcon(list, -1, icon); }
BOOL ImageList_Replace(HIMAGELIST list, int index, HBITMAP image, HBITMAP mask);
// -1 removes every image.
BOOL ImageList_Remove(HIMAGELIST list, int index);
inline BOOL ImageList_RemoveAll(HIMAGELIST list) { return ImageList_Remove(list, -1); }
BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style);
// `background`: CLR_DEFAULT the list's colour, CLR_NONE transparent. `foreground`: the colour
// ILD_BLEND25/50 mix in, CLR_DEFAULT the highlight colour.
BOOL ImageList_DrawEx(HIMAGELIST list, int index, HDC dc, int x, int y, int cx, int cy, COLORREF background,
                      COLORREF foreground, UINT style);
BOOL ImageList_DrawIndirect(const IMAGELISTDRAWPARAMS* params);
// Makes image `image` overlay number `overlay` (1 to 15), drawn by INDEXTOOVERLAYMASK.
BOOL ImageList_SetOverlayImage(HIMAGELIST list, int image, int overlay);
BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy);
// Changes the size of the images; removes them all.
BOOL ImageList_SetIconSize(HIMAGELIST list, int cx, int cy);
BOOL ImageList_GetImageInfo(HIMAGELIST list, int index, IMAGEINFO* info);
COLORREF ImageList_GetBkColor(HIMAGELIST list);
// Returns the previous colour, or CLR_NONE for a bad list.
COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF colour);
// A new icon of the image (the caller destroys it), or null.
HICON ImageList_GetIcon(HIMAGELIST list, int index, UINT style);

// ---- drag images -----------------------------------------------------------------------------
// One drag image per process, drawn over a window while something is dragged. BeginDrag copies
// image `index` of the list (the caller may destroy the list afterwards) with its hot spot;
// DragEnter shows it over `lock`'s window at (x, y) in that window's coordinates relative to its
// top-left corner (the window rectangle, not the client area), minus the hot spot; DragMove
// moves it;
// DragShowNolock hides or shows it (the window may then repaint under it); DragLeave removes it
// from the window; EndDrag forgets it. The picture under the image is saved and put back, so
// the window is never changed by the drag image. GUI thread only.
BOOL ImageList_BeginDrag(HIMAGELIST list, int index, int dxHotspot, int dyHotspot);
BOOL ImageList_DragEnter(HWND lock, int x, int y);
BOOL ImageList_DragMove(int x, int y);
BOOL ImageList_DragShowNolock(BOOL show);
BOOL ImageList_DragLeave(HWND lock);
void ImageList_EndDrag();
// The drag image's list (owned by the drag; null when none), its position and its hot spot.
HIMAGELIST ImageList_GetDragImage(POINT* position, POINT* hotspot);
// Combines image `index` of `list` with the current drag image (for a drag cursor): the new
// image's hot spot is placed at the drag image's hot spot. FALSE without a drag.
BOOL ImageList_SetDragCursorImage(HIMAGELIST list, int index, int dxHotspot, int dyHotspot);

}  // namespace platform
