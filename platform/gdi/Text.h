#pragma once

// Fonts and text: logical fonts matched through fontconfig, text output and measurement in
// ANSI (UTF-8) and wide (UTF-16) forms. Lengths count bytes (A) or UTF-16 units (W); -1 in
// DrawText means "up to the terminating zero". Glyphs are drawn with grayscale coverage
// blended onto the surface; the alpha byte is written 0.

#include "platform/gdi/GdiTypes.h"

HFONT CreateFontIndirectA(const LOGFONTA* font);
HFONT CreateFontIndirectW(const LOGFONTW* font);
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR face);
HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCWSTR face);
inline HFONT CreateFontIndirect(const LOGFONTA* font) { return CreateFontIndirectA(font); }
inline HFONT CreateFontIndirect(const LOGFONTW* font) { return CreateFontIndirectW(font); }

constexpr UINT ETO_OPAQUE = 0x0002;
constexpr UINT ETO_CLIPPED = 0x0004;

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length);
BOOL TextOutW(HDC dc, int x, int y, LPCWSTR text, int length);
// `dx` (per-character advances) is accepted and ignored: glyphs keep their own advances.
BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT length, const INT* dx);
BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT length, const INT* dx);

constexpr UINT DT_TOP = 0x00000000;
constexpr UINT DT_LEFT = 0x00000000;
constexpr UINT DT_CENTER = 0x00000001;
constexpr UINT DT_RIGHT = 0x00000002;
constexpr UINT DT_VCENTER = 0x00000004;
constexpr UINT DT_BOTTOM = 0x00000008;
constexpr UINT DT_WORDBREAK = 0x00000010;
constexpr UINT DT_SINGLELINE = 0x00000020;
constexpr UINT DT_EXPANDTABS = 0x00000040;
constexpr UINT DT_TABSTOP = 0x00000080;
constexpr UINT DT_NOCLIP = 0x00000100;
constexpr UINT DT_EXTERNALLEADING = 0x00000200;
constexpr UINT DT_CALCRECT = 0x00000400;
constexpr UINT DT_NOPREFIX = 0x00000800;
constexpr UINT DT_INTERNAL = 0x00001000;
constexpr UINT DT_EDITCONTROL = 0x00002000;
constexpr UINT DT_PATH_ELLIPSIS = 0x00004000;
constexpr UINT DT_END_ELLIPSIS = 0x00008000;
constexpr UINT DT_MODIFYSTRING = 0x00010000;
constexpr UINT DT_RTLREADING = 0x00020000;
constexpr UINT DT_WORD_ELLIPSIS = 0x00040000;
constexpr UINT DT_NOFULLWIDTHCHARBREAK = 0x00080000;
constexpr UINT DT_HIDEPREFIX = 0x00100000;
constexpr UINT DT_PREFIXONLY = 0x00200000;

struct DRAWTEXTPARAMS {
  UINT cbSize;
  int iTabLength;
  int iLeftMargin;
  int iRightMargin;
  UINT uiLengthDrawn;
};

// Returns the height of the text (with DT_VCENTER/DT_BOTTOM: its bottom offset from the
// rectangle's top), 0 on failure. DT_CALCRECT measures without drawing and sets the
// rectangle's right and bottom.
int DrawTextA(HDC dc, LPCSTR text, int length, RECT* rect, UINT format);
int DrawTextW(HDC dc, LPCWSTR text, int length, RECT* rect, UINT format);
int DrawTextExA(HDC dc, LPSTR text, int length, RECT* rect, UINT format, DRAWTEXTPARAMS* params);
int DrawTextExW(HDC dc, LPWSTR text, int length, RECT* rect, UINT format, DRAWTEXTPARAMS* params);

BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, SIZE* size);
BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int length, SIZE* size);
// `fit` receives how many characters fit in maxExtent; `dx` the extent after each.
BOOL GetTextExtentExPointA(HDC dc, LPCSTR text, int length, int maxExtent, INT* fit, INT* dx, SIZE* size);
BOOL GetTextExtentExPointW(HDC dc, LPCWSTR text, int length, int maxExtent, INT* fit, INT* dx, SIZE* size);
BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics);
BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics);
BOOL GetCharWidth32A(HDC dc, UINT first, UINT last, INT* widths);
BOOL GetCharWidth32W(HDC dc, UINT first, UINT last, INT* widths);
int GetTextFaceA(HDC dc, int count, LPSTR face);
int GetTextFaceW(HDC dc, int count, LPWSTR face);

// The unsuffixed names pick the form by the character type.
inline BOOL TextOut(HDC dc, int x, int y, LPCSTR text, int length) { return TextOutA(dc, x, y, text, length); }
inline BOOL TextOut(HDC dc, int x, int y, LPCWSTR text, int length) { return TextOutW(dc, x, y, text, length); }
inline BOOL ExtTextOut(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT length, const INT* dx) {
  return ExtTextOutA(dc, x, y, options, rect, text, length, dx);
}
inline BOOL ExtTextOut(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT length, const INT* dx) {
  return ExtTextOutW(dc, x, y, options, rect, text, length, dx);
}
inline int DrawText(HDC dc, LPCSTR text, int length, RECT* rect, UINT format) { return DrawTextA(dc, text, length, rect, format); }
inline int DrawText(HDC dc, LPCWSTR text, int length, RECT* rect, UINT format) { return DrawTextW(dc, text, length, rect, format); }
inline int DrawTextEx(HDC dc, LPSTR text, int length, RECT* rect, UINT format, DRAWTEXTPARAMS* params) {
  return DrawTextExA(dc, text, length, rect, format, params);
}
inline int DrawTextEx(HDC dc, LPWSTR text, int length, RECT* rect, UINT format, DRAWTEXTPARAMS* params) {
  return DrawTextExW(dc, text, length, rect, format, params);
}
inline BOOL GetTextExtentPoint32(HDC dc, LPCSTR text, int length, SIZE* size) { return GetTextExtentPoint32A(dc, text, length, size); }
inline BOOL GetTextExtentPoint32(HDC dc, LPCWSTR text, int length, SIZE* size) { return GetTextExtentPoint32W(dc, text, length, size); }
inline BOOL GetTextExtentExPoint(HDC dc, LPCSTR text, int length, int maxExtent, INT* fit, INT* dx, SIZE* size) {
  return GetTextExtentExPointA(dc, text, length, maxExtent, fit, dx, size);
}
inline BOOL GetTextExtentExPoint(HDC dc, LPCWSTR text, int length, int maxExtent, INT* fit, INT* dx, SIZE* size) {
  return GetTextExtentExPointW(dc, text, length, maxExtent, fit, dx, size);
}
inline BOOL GetTextMetrics(HDC dc, TEXTMETRICA* metrics) { return GetTextMetricsA(dc, metrics); }
inline BOOL GetTextMetrics(HDC dc, TEXTMETRICW* metrics) { return GetTextMetricsW(dc, metrics); }
inline BOOL GetCharWidth32(HDC dc, UINT first, UINT last, INT* widths) { return GetCharWidth32A(dc, first, last, widths); }
