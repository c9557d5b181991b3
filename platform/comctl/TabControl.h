#pragma once
// The tab control ("SysTabControl32"): a strip of tabs (or buttons) on one side of a display
// area, in one row with two scroll arrows when the tabs do not fit, or in several rows. The
// selection moves by mouse, arrow keys and TCM_SETCURFOCUS, each user change asking the
// parent first (TCN_SELCHANGING: a non-zero answer refuses it) and telling it after
// (TCN_SELCHANGE). The scroll arrows move the strip by one tab by sending the control
// WM_HSCROLL (SB_THUMBPOSITION, the first tab shown; lParam 0), so that a class over the
// control sees every scroll. Tab images come from the image list of TCM_SETIMAGELIST.
// Registered by InitCommonControlsEx. GUI thread of the window only.
//
// Tab rectangles (TCM_GETITEMRECT, TCM_HITTEST) are in client coordinates and leave out the
// two pixels the selected tab grows by when drawn.

#include "platform/comctl/CommCtrl.h"
#include "platform/comctl/ImageList.h"
#include "platform/comctl/OwnerDraw.h"

namespace platform {

inline constexpr char16_t WC_TABCONTROLW[] = u"SysTabControl32";
inline constexpr char WC_TABCONTROLA[] = "SysTabControl32";

// ---- styles ---------------------------------------------------------------------------------

constexpr DWORD TCS_SCROLLOPPOSITE = 0x0001;
constexpr DWORD TCS_BOTTOM = 0x0002;
constexpr DWORD TCS_RIGHT = 0x0002;
constexpr DWORD TCS_MULTISELECT = 0x0004;
constexpr DWORD TCS_FLATBUTTONS = 0x0008;
constexpr DWORD TCS_FORCEICONLEFT = 0x0010;
constexpr DWORD TCS_FORCELABELLEFT = 0x0020;
constexpr DWORD TCS_HOTTRACK = 0x0040;
constexpr DWORD TCS_VERTICAL = 0x0080;
constexpr DWORD TCS_TABS = 0x0000;
constexpr DWORD TCS_BUTTONS = 0x0100;
constexpr DWORD TCS_SINGLELINE = 0x0000;
constexpr DWORD TCS_MULTILINE = 0x0200;
constexpr DWORD TCS_RIGHTJUSTIFY = 0x0000;
constexpr DWORD TCS_FIXEDWIDTH = 0x0400;
constexpr DWORD TCS_RAGGEDRIGHT = 0x0800;
constexpr DWORD TCS_FOCUSONBUTTONDOWN = 0x1000;
constexpr DWORD TCS_OWNERDRAWFIXED = 0x2000;
constexpr DWORD TCS_TOOLTIPS = 0x4000;
constexpr DWORD TCS_FOCUSNEVER = 0x8000;

// ---- messages -------------------------------------------------------------------------------

constexpr UINT TCM_FIRST = 0x1300;
constexpr UINT TCM_GETIMAGELIST = TCM_FIRST + 2;
constexpr UINT TCM_SETIMAGELIST = TCM_FIRST + 3;     // lParam HIMAGELIST; the previous one
constexpr UINT TCM_GETITEMCOUNT = TCM_FIRST + 4;
constexpr UINT TCM_DELETEITEM = TCM_FIRST + 8;
constexpr UINT TCM_DELETEALLITEMS = TCM_FIRST + 9;
constexpr UINT TCM_GETITEMRECT = TCM_FIRST + 10;     // wParam index, lParam RECT*
constexpr UINT TCM_GETCURSEL = TCM_FIRST + 11;
constexpr UINT TCM_SETCURSEL = TCM_FIRST + 12;       // wParam index; the previous selection or -1
constexpr UINT TCM_HITTEST = TCM_FIRST + 13;         // lParam TCHITTESTINFO*
constexpr UINT TCM_ADJUSTRECT = TCM_FIRST + 40;      // wParam TRUE: display → window, lParam RECT*
constexpr UINT TCM_SETITEMSIZE = TCM_FIRST + 41;     // lParam MAKELPARAM(cx, cy); the previous size
constexpr UINT TCM_SETPADDING = TCM_FIRST + 43;      // lParam MAKELPARAM(cx, cy)
constexpr UINT TCM_GETROWCOUNT = TCM_FIRST + 44;
constexpr UINT TCM_GETCURFOCUS = TCM_FIRST + 47;
constexpr UINT TCM_SETCURFOCUS = TCM_FIRST + 48;     // wParam index
constexpr UINT TCM_SETMINTABWIDTH = TCM_FIRST + 49;  // lParam width (-1: the default); the previous one
constexpr UINT TCM_HIGHLIGHTITEM = TCM_FIRST + 51;   // wParam index, lParam MAKELONG(BOOL, 0)
constexpr UINT TCM_GETITEMW = TCM_FIRST + 60;        // wParam index, lParam TCITEMW*
constexpr UINT TCM_SETITEMW = TCM_FIRST + 61;
constexpr UINT TCM_INSERTITEMW = TCM_FIRST + 62;     // wParam index; the new index or -1
constexpr UINT TCM_GETITEM = TCM_GETITEMW;
constexpr UINT TCM_SETITEM = TCM_SETITEMW;
constexpr UINT TCM_INSERTITEM = TCM_INSERTITEMW;

constexpr UINT TCIF_TEXT = 0x0001;
constexpr UINT TCIF_IMAGE = 0x0002;
constexpr UINT TCIF_RTLREADING = 0x0004;
constexpr UINT TCIF_PARAM = 0x0008;
constexpr UINT TCIF_STATE = 0x0010;

constexpr DWORD TCIS_BUTTONPRESSED = 0x0001;
constexpr DWORD TCIS_HIGHLIGHTED = 0x0002;

struct TCITEMW {
  UINT mask;
  DWORD dwState;
  DWORD dwStateMask;
  LPWSTR pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
};
using TCITEM = TCITEMW;

constexpr UINT TCHT_NOWHERE = 0x0001;
constexpr UINT TCHT_ONITEMICON = 0x0002;
constexpr UINT TCHT_ONITEMLABEL = 0x0004;
constexpr UINT TCHT_ONITEM = TCHT_ONITEMICON | TCHT_ONITEMLABEL;

struct TCHITTESTINFO {
  POINT pt;
  UINT flags;
};

// ---- notifications (WM_NOTIFY) --------------------------------------------------------------

constexpr UINT TCN_KEYDOWN = TCN_FIRST - 0;
constexpr UINT TCN_SELCHANGE = TCN_FIRST - 1;
constexpr UINT TCN_SELCHANGING = TCN_FIRST - 2;
constexpr UINT TCN_FOCUSCHANGE = TCN_FIRST - 4;

struct NMTCKEYDOWN {
  NMHDR hdr;
  WORD wVKey;
  UINT flags;
};

}  // namespace platform
