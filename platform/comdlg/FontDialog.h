#pragma once

// The font dialog's call (ChooseFontA/W) with its record and flags. The platform keeps the
// rules (which flags count, the size limits, what is written back); the dialog itself is
// shown by the installed presenter, as with the other common dialogs. The families offered
// are the desktop's fonts as fontconfig lists them; every family offers the four styles
// regular, italic, bold and bold italic.
//
// GUI thread (the presenter runs a modal window on the caller's thread).

#include <functional>
#include <string>
#include <vector>

#include "platform/comdlg/CommDlg.h"
#include "platform/gdi/GdiTypes.h"

using LPCFHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

struct CHOOSEFONTA {
  DWORD lStructSize;
  HWND hwndOwner;
  HDC hDC;
  LOGFONTA* lpLogFont;
  INT iPointSize;  // tenths of a point
  DWORD Flags;
  COLORREF rgbColors;
  LPARAM lCustData;
  LPCFHOOKPROC lpfnHook;
  LPCSTR lpTemplateName;
  HINSTANCE hInstance;
  LPSTR lpszStyle;
  WORD nFontType;
  WORD reserved;
  INT nSizeMin;
  INT nSizeMax;
};
struct CHOOSEFONTW {
  DWORD lStructSize;
  HWND hwndOwner;
  HDC hDC;
  LOGFONTW* lpLogFont;
  INT iPointSize;
  DWORD Flags;
  COLORREF rgbColors;
  LPARAM lCustData;
  LPCFHOOKPROC lpfnHook;
  LPCWSTR lpTemplateName;
  HINSTANCE hInstance;
  LPWSTR lpszStyle;
  WORD nFontType;
  WORD reserved;
  INT nSizeMin;
  INT nSizeMax;
};
using LPCHOOSEFONTA = CHOOSEFONTA*;
using LPCHOOSEFONTW = CHOOSEFONTW*;

constexpr DWORD CF_SCREENFONTS = 0x00000001;
constexpr DWORD CF_PRINTERFONTS = 0x00000002;
constexpr DWORD CF_BOTH = CF_SCREENFONTS | CF_PRINTERFONTS;
constexpr DWORD CF_SHOWHELP = 0x00000004;
constexpr DWORD CF_ENABLEHOOK = 0x00000008;
constexpr DWORD CF_ENABLETEMPLATE = 0x00000010;
constexpr DWORD CF_ENABLETEMPLATEHANDLE = 0x00000020;
constexpr DWORD CF_INITTOLOGFONTSTRUCT = 0x00000040;
constexpr DWORD CF_USESTYLE = 0x00000080;
constexpr DWORD CF_EFFECTS = 0x00000100;
constexpr DWORD CF_APPLY = 0x00000200;
constexpr DWORD CF_ANSIONLY = 0x00000400;
constexpr DWORD CF_SCRIPTSONLY = CF_ANSIONLY;
constexpr DWORD CF_NOVECTORFONTS = 0x00000800;
constexpr DWORD CF_NOOEMFONTS = CF_NOVECTORFONTS;
constexpr DWORD CF_NOSIMULATIONS = 0x00001000;
constexpr DWORD CF_LIMITSIZE = 0x00002000;
constexpr DWORD CF_FIXEDPITCHONLY = 0x00004000;
constexpr DWORD CF_WYSIWYG = 0x00008000;
constexpr DWORD CF_FORCEFONTEXIST = 0x00010000;
constexpr DWORD CF_SCALABLEONLY = 0x00020000;
constexpr DWORD CF_TTONLY = 0x00040000;
constexpr DWORD CF_NOFACESEL = 0x00080000;
constexpr DWORD CF_NOSTYLESEL = 0x00100000;
constexpr DWORD CF_NOSIZESEL = 0x00200000;
constexpr DWORD CF_SELECTSCRIPT = 0x00400000;
constexpr DWORD CF_NOSCRIPTSEL = 0x00800000;
constexpr DWORD CF_NOVERTFONTS = 0x01000000;

constexpr WORD BOLD_FONTTYPE = 0x0100;
constexpr WORD ITALIC_FONTTYPE = 0x0200;
constexpr WORD REGULAR_FONTTYPE = 0x0400;
constexpr WORD SCREEN_FONTTYPE = 0x2000;

constexpr DWORD CFERR_NOFONTS = 0x2001;
constexpr DWORD CFERR_MAXLESSTHANMIN = 0x2002;

// TRUE when the user chose a font (OK): the LOGFONT, iPointSize, nFontType and (with
// CF_EFFECTS) rgbColors are written back. FALSE on Cancel (CommDlgExtendedError 0) or on a
// failure: CDERR_STRUCTSIZE, CDERR_INITIALIZATION (no LOGFONT, no presenter),
// CFERR_MAXLESSTHANMIN (CF_LIMITSIZE with nSizeMax below nSizeMin), CFERR_NOFONTS (the desktop
// has no fonts), CDERR_DIALOGFAILURE.
BOOL ChooseFontA(LPCHOOSEFONTA cf);
BOOL ChooseFontW(LPCHOOSEFONTW cf);

namespace platform::comdlg {

// The 16 colours the font dialog offers (black, maroon, green, olive, navy, purple, teal,
// grey, silver, red, lime, yellow, blue, fuchsia, aqua, white).
extern const COLORREF kFontDialogColors[16];

// What the presenter gets and answers.
struct FontDialogRequest {
  HWND owner = nullptr;
  std::vector<std::u16string> families;  // sorted, each once
  std::u16string face;                   // the starting family ("" : the presenter's choice); the chosen one
  int pointSize = 0;                     // tenths of a point (0: the presenter's choice); the chosen one
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  COLORREF color = 0;
  bool effects = false;    // CF_EFFECTS: underline, strike-out and colour can be chosen
  bool limitSize = false;  // CF_LIMITSIZE: sizes from minSize to maxSize points only
  int minSize = 0;
  int maxSize = 0;
};
// Shows the dialog; true on OK with the request's choice filled in.
using FontDialogPresenter = std::function<bool(FontDialogRequest& request)>;
// Installs the presenter (an empty one: none); the previous one is returned.
FontDialogPresenter SetFontDialogPresenter(FontDialogPresenter presenter);

// The font families the desktop offers (fontconfig's), sorted without letter case, each once.
// Families whose name starts with "@" (vertical faces) are left out when `noVertical`.
std::vector<std::u16string> ScreenFontFamilies(bool noVertical);
// The family list the dialog uses instead of the desktop's (tests); empty: the desktop's.
void SetFontFamiliesForTesting(std::vector<std::u16string> families);

// Point sizes in tenths and LOGFONT heights at the screen's 96 pixels per inch.
int PointTenthsFromHeight(LONG height);
LONG HeightFromPointTenths(int tenths);

}  // namespace platform::comdlg
