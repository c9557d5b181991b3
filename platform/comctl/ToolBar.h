#pragma once
// The tool bar ("ToolbarWindow32"): a row (or wrapped rows) of buttons with images from up to
// three image lists (normal, hot, disabled) and optional captions below or beside them; push,
// check and check-group buttons, drop-down buttons with an optional split arrow, separators,
// hot tracking in the flat styles, and custom draw. A click sends WM_COMMAND (the button's id,
// BN_CLICKED, the tool bar) to the notification window (the parent unless TB_SETPARENT named
// another); a drop-down button sends TBN_DROPDOWN while it is shown pressed. Registered by
// InitCommonControlsEx. GUI thread of the window only.

#include "platform/comctl/CommCtrl.h"
#include "platform/comctl/CommonMessages.h"
#include "platform/comctl/ImageList.h"

namespace platform {

inline constexpr char16_t TOOLBARCLASSNAMEW[] = u"ToolbarWindow32";
inline constexpr char TOOLBARCLASSNAMEA[] = "ToolbarWindow32";

// ---- window styles --------------------------------------------------------------------------

constexpr DWORD CCS_TOP = 0x0001;
constexpr DWORD CCS_NOMOVEY = 0x0002;
constexpr DWORD CCS_BOTTOM = 0x0003;
constexpr DWORD CCS_NORESIZE = 0x0004;
constexpr DWORD CCS_NOPARENTALIGN = 0x0008;
constexpr DWORD CCS_ADJUSTABLE = 0x0020;
constexpr DWORD CCS_NODIVIDER = 0x0040;
constexpr DWORD CCS_VERT = 0x0080;

constexpr DWORD TBSTYLE_TOOLTIPS = 0x0100;
constexpr DWORD TBSTYLE_WRAPABLE = 0x0200;
constexpr DWORD TBSTYLE_ALTDRAG = 0x0400;
constexpr DWORD TBSTYLE_FLAT = 0x0800;
constexpr DWORD TBSTYLE_LIST = 0x1000;
constexpr DWORD TBSTYLE_CUSTOMERASE = 0x2000;
constexpr DWORD TBSTYLE_REGISTERDROP = 0x4000;
constexpr DWORD TBSTYLE_TRANSPARENT = 0x8000;

constexpr DWORD TBSTYLE_EX_DRAWDDARROWS = 0x0001;
constexpr DWORD TBSTYLE_EX_MIXEDBUTTONS = 0x0008;
constexpr DWORD TBSTYLE_EX_HIDECLIPPEDBUTTONS = 0x0010;
constexpr DWORD TBSTYLE_EX_DOUBLEBUFFER = 0x0080;

// ---- buttons --------------------------------------------------------------------------------

constexpr BYTE BTNS_BUTTON = 0x00;
constexpr BYTE BTNS_SEP = 0x01;
constexpr BYTE BTNS_CHECK = 0x02;
constexpr BYTE BTNS_GROUP = 0x04;
constexpr BYTE BTNS_CHECKGROUP = BTNS_GROUP | BTNS_CHECK;
constexpr BYTE BTNS_DROPDOWN = 0x08;
constexpr BYTE BTNS_AUTOSIZE = 0x10;
constexpr BYTE BTNS_NOPREFIX = 0x20;
constexpr BYTE BTNS_SHOWTEXT = 0x40;
constexpr BYTE BTNS_WHOLEDROPDOWN = 0x80;
constexpr BYTE TBSTYLE_BUTTON = BTNS_BUTTON;
constexpr BYTE TBSTYLE_SEP = BTNS_SEP;
constexpr BYTE TBSTYLE_CHECK = BTNS_CHECK;
constexpr BYTE TBSTYLE_GROUP = BTNS_GROUP;
constexpr BYTE TBSTYLE_CHECKGROUP = BTNS_CHECKGROUP;
constexpr BYTE TBSTYLE_DROPDOWN = BTNS_DROPDOWN;
constexpr BYTE TBSTYLE_AUTOSIZE = BTNS_AUTOSIZE;
constexpr BYTE TBSTYLE_NOPREFIX = BTNS_NOPREFIX;

constexpr BYTE TBSTATE_CHECKED = 0x01;
constexpr BYTE TBSTATE_PRESSED = 0x02;
constexpr BYTE TBSTATE_ENABLED = 0x04;
constexpr BYTE TBSTATE_HIDDEN = 0x08;
constexpr BYTE TBSTATE_INDETERMINATE = 0x10;
constexpr BYTE TBSTATE_WRAP = 0x20;
constexpr BYTE TBSTATE_ELLIPSES = 0x40;
constexpr BYTE TBSTATE_MARKED = 0x80;

constexpr int I_IMAGENONE_TB = -2;  // a button without an image (I_IMAGENONE)

// iString: an index into the strings added with TB_ADDSTRING, or a pointer to the text.
struct TBBUTTON {
  int iBitmap;
  int idCommand;
  BYTE fsState;
  BYTE fsStyle;
  BYTE bReserved[6];
  DWORD_PTR dwData;
  INT_PTR iString;
};

constexpr DWORD TBIF_IMAGE = 0x00000001;
constexpr DWORD TBIF_TEXT = 0x00000002;
constexpr DWORD TBIF_STATE = 0x00000004;
constexpr DWORD TBIF_STYLE = 0x00000008;
constexpr DWORD TBIF_LPARAM = 0x00000010;
constexpr DWORD TBIF_COMMAND = 0x00000020;
constexpr DWORD TBIF_SIZE = 0x00000040;
constexpr DWORD TBIF_BYINDEX = 0x80000000;

struct TBBUTTONINFOW {
  UINT cbSize;
  DWORD dwMask;
  int idCommand;
  int iImage;
  BYTE fsState;
  BYTE fsStyle;
  WORD cx;
  DWORD_PTR lParam;
  LPWSTR pszText;
  int cchText;
};

struct TBBUTTONINFOA {
  UINT cbSize;
  DWORD dwMask;
  int idCommand;
  int iImage;
  BYTE fsState;
  BYTE fsStyle;
  WORD cx;
  DWORD_PTR lParam;
  LPSTR pszText;
  int cchText;
};

// ---- messages ---------------------------------------------------------------------------------

constexpr UINT TB_ENABLEBUTTON = WM_USER + 1;       // wParam id, lParam BOOL
constexpr UINT TB_CHECKBUTTON = WM_USER + 2;        // wParam id, lParam BOOL
constexpr UINT TB_PRESSBUTTON = WM_USER + 3;        // wParam id, lParam BOOL
constexpr UINT TB_HIDEBUTTON = WM_USER + 4;         // wParam id, lParam BOOL
constexpr UINT TB_INDETERMINATE = WM_USER + 5;
constexpr UINT TB_MARKBUTTON = WM_USER + 6;
constexpr UINT TB_ISBUTTONENABLED = WM_USER + 9;
constexpr UINT TB_ISBUTTONCHECKED = WM_USER + 10;
constexpr UINT TB_ISBUTTONPRESSED = WM_USER + 11;
constexpr UINT TB_ISBUTTONHIDDEN = WM_USER + 12;
constexpr UINT TB_SETSTATE = WM_USER + 17;          // wParam id, lParam TBSTATE_*
constexpr UINT TB_GETSTATE = WM_USER + 18;          // wParam id; -1 for no such button
constexpr UINT TB_ADDBUTTONSA = WM_USER + 20;       // wParam count, lParam TBBUTTON*
constexpr UINT TB_INSERTBUTTONA = WM_USER + 21;     // wParam index, lParam TBBUTTON*
constexpr UINT TB_DELETEBUTTON = WM_USER + 22;      // wParam index
constexpr UINT TB_GETBUTTON = WM_USER + 23;         // wParam index, lParam TBBUTTON*
constexpr UINT TB_BUTTONCOUNT = WM_USER + 24;
constexpr UINT TB_COMMANDTOINDEX = WM_USER + 25;
constexpr UINT TB_ADDSTRINGA = WM_USER + 28;        // lParam strings, each ended by NUL, the last by two
constexpr UINT TB_GETITEMRECT = WM_USER + 29;       // wParam index, lParam RECT*
constexpr UINT TB_BUTTONSTRUCTSIZE = WM_USER + 30;
constexpr UINT TB_SETBUTTONSIZE = WM_USER + 31;     // lParam MAKELONG(cx, cy)
constexpr UINT TB_SETBITMAPSIZE = WM_USER + 32;     // lParam MAKELONG(cx, cy)
constexpr UINT TB_AUTOSIZE = WM_USER + 33;
constexpr UINT TB_SETPARENT = WM_USER + 37;         // wParam the window notified; the previous
constexpr UINT TB_GETROWS = WM_USER + 40;
constexpr UINT TB_SETCMDID = WM_USER + 42;          // wParam index, lParam id
constexpr UINT TB_GETBUTTONTEXTA = WM_USER + 45;
constexpr UINT TB_SETINDENT = WM_USER + 47;         // wParam pixels before the first button
constexpr UINT TB_SETIMAGELIST = WM_USER + 48;      // lParam list; the previous
constexpr UINT TB_GETIMAGELIST = WM_USER + 49;
constexpr UINT TB_GETRECT = WM_USER + 51;           // wParam id, lParam RECT*
constexpr UINT TB_SETHOTIMAGELIST = WM_USER + 52;
constexpr UINT TB_GETHOTIMAGELIST = WM_USER + 53;
constexpr UINT TB_SETDISABLEDIMAGELIST = WM_USER + 54;
constexpr UINT TB_GETDISABLEDIMAGELIST = WM_USER + 55;
constexpr UINT TB_SETSTYLE = WM_USER + 56;
constexpr UINT TB_GETSTYLE = WM_USER + 57;
constexpr UINT TB_GETBUTTONSIZE = WM_USER + 58;     // MAKELONG(cx, cy)
constexpr UINT TB_SETBUTTONWIDTH = WM_USER + 59;    // lParam MAKELONG(min, max)
constexpr UINT TB_SETMAXTEXTROWS = WM_USER + 60;    // wParam rows; 0 shows no captions
constexpr UINT TB_GETTEXTROWS = WM_USER + 61;
constexpr UINT TB_GETBUTTONINFOW = WM_USER + 63;    // wParam id (index with TBIF_BYINDEX); the index or -1
constexpr UINT TB_SETBUTTONINFOW = WM_USER + 64;
constexpr UINT TB_GETBUTTONINFOA = WM_USER + 65;
constexpr UINT TB_SETBUTTONINFOA = WM_USER + 66;
constexpr UINT TB_INSERTBUTTONW = WM_USER + 67;
constexpr UINT TB_ADDBUTTONSW = WM_USER + 68;
constexpr UINT TB_HITTEST = WM_USER + 69;           // lParam POINT*: the button's index, negative off a button
constexpr UINT TB_SETDRAWTEXTFLAGS = WM_USER + 70;  // wParam mask, lParam DT_* flags
constexpr UINT TB_GETHOTITEM = WM_USER + 71;        // the hot button's index or -1
constexpr UINT TB_SETHOTITEM = WM_USER + 72;        // wParam index (-1: none); the previous
constexpr UINT TB_GETBUTTONTEXTW = WM_USER + 75;    // wParam id, lParam buffer (null: the length)
constexpr UINT TB_ADDSTRINGW = WM_USER + 77;
constexpr UINT TB_MAPACCELERATORA = WM_USER + 78;   // wParam character, lParam UINT* id
constexpr UINT TB_GETMAXSIZE = WM_USER + 83;        // lParam SIZE*
constexpr UINT TB_SETEXTENDEDSTYLE = WM_USER + 84;  // lParam TBSTYLE_EX_*; the previous
constexpr UINT TB_GETEXTENDEDSTYLE = WM_USER + 85;
constexpr UINT TB_GETPADDING = WM_USER + 86;
constexpr UINT TB_SETPADDING = WM_USER + 87;        // lParam MAKELONG(cx, cy); the previous
constexpr UINT TB_MAPACCELERATORW = WM_USER + 90;
constexpr UINT TB_SETLISTGAP = WM_USER + 96;

constexpr int HINST_COMMCTRL_NONE = 0;

// ---- notifications ------------------------------------------------------------------------

constexpr UINT TBN_DROPDOWN = TBN_FIRST - 10;
constexpr UINT TBN_HOTITEMCHANGE = TBN_FIRST - 13;

// TBN_DROPDOWN answers.
constexpr LRESULT TBDDRET_DEFAULT = 0;
constexpr LRESULT TBDDRET_NODEFAULT = 1;
constexpr LRESULT TBDDRET_TREATPRESSED = 2;

// TBN_DROPDOWN: iItem the button's id, rcButton its rectangle.
struct NMTOOLBARW {
  NMHDR hdr;
  int iItem;
  TBBUTTON tbButton;
  int cchText;
  LPWSTR pszText;
  RECT rcButton;
};

// TBN_HOTITEMCHANGE (ids, -1 for none; a non-zero answer keeps the old hot button).
constexpr DWORD HICF_OTHER = 0x00000000;
constexpr DWORD HICF_MOUSE = 0x00000001;
constexpr DWORD HICF_ARROWKEYS = 0x00000002;
constexpr DWORD HICF_ACCELERATOR = 0x00000004;
constexpr DWORD HICF_LEAVING = 0x00000020;
struct NMTBHOTITEM {
  NMHDR hdr;
  int idOld;
  int idNew;
  DWORD dwFlags;
};

// NM_CLICK and NM_RCLICK: dwItemSpec the button's id (-1 off a button).
struct NMMOUSE {
  NMHDR hdr;
  DWORD_PTR dwItemSpec;
  DWORD_PTR dwItemData;
  POINT pt;
  LPARAM dwHitInfo;
};

// NM_CUSTOMDRAW: the control's CDDS_PREPAINT/POSTPAINT (and CDDS_PREERASE/POSTERASE with
// TBSTYLE_CUSTOMERASE); per button CDDS_ITEMPREPAINT/POSTPAINT with dwItemSpec its id,
// lItemlParam its data and uItemState CDIS_*. An item answer may add TBCDRF_* flags and change
// the colours and rcText.
struct NMTBCUSTOMDRAW {
  NMCUSTOMDRAW nmcd;
  HBRUSH hbrMonoDither;
  HBRUSH hbrLines;
  HPEN hpenLines;
  COLORREF clrText;
  COLORREF clrMark;
  COLORREF clrTextHighlight;
  COLORREF clrBtnFace;
  COLORREF clrBtnHighlight;
  COLORREF clrHighlightHotTrack;
  RECT rcText;
  int nStringBkMode;
  int nHLStringBkMode;
  int iListGap;
};

constexpr LRESULT TBCDRF_NOEDGES = 0x00010000;
constexpr LRESULT TBCDRF_HILITEHOTTRACK = 0x00020000;
constexpr LRESULT TBCDRF_NOOFFSET = 0x00040000;
constexpr LRESULT TBCDRF_NOMARK = 0x00080000;
constexpr LRESULT TBCDRF_NOETCHEDEFFECT = 0x00100000;
constexpr LRESULT TBCDRF_BLENDICON = 0x00200000;
constexpr LRESULT TBCDRF_NOBACKGROUND = 0x00400000;
constexpr LRESULT TBCDRF_USECDCOLORS = 0x00800000;

}  // namespace platform
