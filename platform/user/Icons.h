#pragma once

// Icons and picture cursors: the standard IDI_* icons, icons and cursors from the program's
// resources (.ico and .cur files, BMP or PNG entries), icons made from bitmaps, and drawing
// them with their transparency. Any thread may create and draw icons.

#include <cstdint>
#include <vector>

#include "platform/gdi/GdiTypes.h"
#include "platform/user/UserTypes.h"

inline LPCWSTR const IDI_APPLICATION = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(32512));
inline LPCWSTR const IDI_HAND = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(32513));
inline LPCWSTR const IDI_QUESTION = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(32514));
inline LPCWSTR const IDI_EXCLAMATION = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(32515));
inline LPCWSTR const IDI_ASTERISK = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(32516));
inline LPCWSTR const IDI_WINLOGO = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(32517));
inline LPCWSTR const IDI_SHIELD = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(32518));
inline LPCWSTR const IDI_WARNING = IDI_EXCLAMATION;
inline LPCWSTR const IDI_ERROR = IDI_HAND;
inline LPCWSTR const IDI_INFORMATION = IDI_ASTERISK;

struct ICONINFO {
  BOOL fIcon;
  DWORD xHotspot;
  DWORD yHotspot;
  HBITMAP hbmMask;
  HBITMAP hbmColor;
};

constexpr UINT DI_MASK = 0x0001;
constexpr UINT DI_IMAGE = 0x0002;
constexpr UINT DI_NORMAL = 0x0003;
constexpr UINT DI_COMPAT = 0x0004;
constexpr UINT DI_DEFAULTSIZE = 0x0008;
constexpr UINT DI_NOMIRROR = 0x0010;

constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT IMAGE_ICON = 1;
constexpr UINT IMAGE_CURSOR = 2;

constexpr UINT LR_DEFAULTCOLOR = 0x00000000;
constexpr UINT LR_MONOCHROME = 0x00000001;
constexpr UINT LR_COLOR = 0x00000002;  // copies keep their colours (they always do here)
constexpr UINT LR_COPYRETURNORG = 0x00000004;
constexpr UINT LR_COPYDELETEORG = 0x00000008;
constexpr UINT LR_LOADFROMFILE = 0x00000010;
constexpr UINT LR_DEFAULTSIZE = 0x00000040;
constexpr UINT LR_CREATEDIBSECTION = 0x00002000;
constexpr UINT LR_COPYFROMRESOURCE = 0x00004000;
constexpr UINT LR_SHARED = 0x00008000;

// Standard icons (instance null, an IDI_* id) are shared; other names are the program's
// RT_GROUP_ICON resources, loaded at SM_CXICON size.
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
// Icons (IMAGE_ICON) and cursors (IMAGE_CURSOR) from resources at the asked size (0: the
// default size with LR_DEFAULTSIZE, else the picture's own). Bitmaps are not offered here.
HANDLE LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int width, int height, UINT flags);
HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT flags);
// Copies the bitmaps (a null colour bitmap means a double-height monochrome mask).
HICON CreateIconIndirect(const ICONINFO* info);
// Fills `info` with new bitmaps the caller deletes: a 32-bit colour bitmap and a
// monochrome mask.
BOOL GetIconInfo(HICON icon, ICONINFO* info);
HICON CopyIcon(HICON icon);
// Copies an icon, cursor or bitmap, scaled to the size asked (0 keeps the size). With
// LR_COPYFROMRESOURCE an icon or cursor loaded from a resource, or a standard icon, is taken
// afresh from its source at that size (the 16-pixel image of an icon, not its large one
// shrunk); other pictures are scaled.
HANDLE CopyImage(HANDLE image, UINT type, int width, int height, UINT flags);
BOOL DestroyIcon(HICON icon);
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);
// `width`/`height` 0: the icon's size (or SM_CXICON with DI_DEFAULTSIZE). A `flickerFree`
// brush fills the area first.
BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int width, int height, UINT step, HBRUSH flickerFree, UINT flags);

namespace platform::detail {
// A cursor from an RT_GROUP_CURSOR resource, for LoadCursor.
HCURSOR LoadResourceCursor(LPCWSTR name);
bool IsPictureIcon(HICON icon);
// The icon's size and hot spot.
bool IconMetrics(HICON icon, SIZE* size, POINT* hotspot, bool* isIcon);
// The icon's straight 0xAARRGGBB pixels, top-down; false for a stale handle.
bool IconPixels(HICON icon, int* width, int* height, std::vector<uint32_t>* pixels);
}  // namespace platform::detail
