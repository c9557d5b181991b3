#pragma once
// The standard edit control ("Edit"): single-line and multi-line text fields with a caret,
// selection by mouse and keys, one level of undo, the clipboard, a context menu, and the
// EM_ messages and EN_ notifications below. Registered by InitCommonControlsEx. GUI thread
// of the window only.
//
// Before painting its client the edit asks its parent for colours with WM_CTLCOLOREDIT
// (WM_CTLCOLORSTATIC when read-only or disabled): the returned brush fills the background,
// the DC's text colour and background mode draw the text, and the stock NULL_BRUSH leaves
// whatever the parent drew into the DC in place (a skin behind the text).
//
// Text is kept as UTF-16; positions and lengths count UTF-16 units. Line breaks in the text
// are "\r\n" (what Enter inserts); a lone "\n" also breaks a line. Lines wrapped by a
// multi-line edit without ES_AUTOHSCROLL or WS_HSCROLL are breaks of the view only.

#include <string>

#include "platform/comctl/CommCtrl.h"

namespace platform {

inline constexpr char16_t WC_EDITW[] = u"Edit";
inline constexpr char WC_EDITA[] = "Edit";

// ---- styles ---------------------------------------------------------------------------------

constexpr DWORD ES_LEFT = 0x0000;
constexpr DWORD ES_CENTER = 0x0001;
constexpr DWORD ES_RIGHT = 0x0002;
constexpr DWORD ES_MULTILINE = 0x0004;
constexpr DWORD ES_UPPERCASE = 0x0008;
constexpr DWORD ES_LOWERCASE = 0x0010;
constexpr DWORD ES_PASSWORD = 0x0020;
constexpr DWORD ES_AUTOVSCROLL = 0x0040;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD ES_NOHIDESEL = 0x0100;
constexpr DWORD ES_OEMCONVERT = 0x0400;
constexpr DWORD ES_READONLY = 0x0800;
constexpr DWORD ES_WANTRETURN = 0x1000;
constexpr DWORD ES_NUMBER = 0x2000;

// ---- messages -------------------------------------------------------------------------------

constexpr UINT EM_GETSEL = 0x00B0;            // wParam DWORD* start, lParam DWORD* end; MAKELONG(start, end)
constexpr UINT EM_SETSEL = 0x00B1;            // wParam start, lParam end; -1 start: none; -1 end: to the end
constexpr UINT EM_GETRECT = 0x00B2;           // lParam RECT*: the formatting rectangle
constexpr UINT EM_SCROLL = 0x00B5;            // wParam SB_LINEUP ...: TRUE in the high word when it moved
constexpr UINT EM_LINESCROLL = 0x00B6;        // wParam characters, lParam lines
constexpr UINT EM_SCROLLCARET = 0x00B7;
constexpr UINT EM_GETMODIFY = 0x00B8;
constexpr UINT EM_SETMODIFY = 0x00B9;         // wParam BOOL
constexpr UINT EM_GETLINECOUNT = 0x00BA;
constexpr UINT EM_LINEINDEX = 0x00BB;         // wParam line (-1: the caret's); -1 when past the last
constexpr UINT EM_LINELENGTH = 0x00C1;        // wParam a character index of the line (-1: unselected rest)
constexpr UINT EM_REPLACESEL = 0x00C2;        // wParam BOOL can undo, lParam text
constexpr UINT EM_GETLINE = 0x00C4;           // wParam line, lParam buffer whose first WORD is its size
constexpr UINT EM_LIMITTEXT = 0x00C5;
constexpr UINT EM_SETLIMITTEXT = EM_LIMITTEXT;  // wParam limit; 0 the largest
constexpr UINT EM_CANUNDO = 0x00C6;
constexpr UINT EM_UNDO = 0x00C7;
constexpr UINT EM_LINEFROMCHAR = 0x00C9;      // wParam index (-1: the caret's line)
constexpr UINT EM_SETPASSWORDCHAR = 0x00CC;   // wParam character, 0 shows the text
constexpr UINT EM_EMPTYUNDOBUFFER = 0x00CD;
constexpr UINT EM_GETFIRSTVISIBLELINE = 0x00CE;
constexpr UINT EM_SETREADONLY = 0x00CF;       // wParam BOOL
constexpr UINT EM_GETPASSWORDCHAR = 0x00D2;
constexpr UINT EM_SETMARGINS = 0x00D3;        // wParam EC_ flags, lParam MAKELONG(left, right)
constexpr UINT EM_GETMARGINS = 0x00D4;        // MAKELONG(left, right)
constexpr UINT EM_GETLIMITTEXT = 0x00D5;
constexpr UINT EM_POSFROMCHAR = 0x00D6;       // wParam index; MAKELONG(x, y) in client coordinates
constexpr UINT EM_CHARFROMPOS = 0x00D7;       // lParam MAKELONG(x, y); MAKELONG(index, line)

constexpr WPARAM EC_LEFTMARGIN = 0x0001;
constexpr WPARAM EC_RIGHTMARGIN = 0x0002;
constexpr WPARAM EC_USEFONTINFO = 0xFFFF;

// ---- notifications (WM_COMMAND, high word of wParam) ----------------------------------------

constexpr WORD EN_SETFOCUS = 0x0100;
constexpr WORD EN_KILLFOCUS = 0x0200;
constexpr WORD EN_CHANGE = 0x0300;
constexpr WORD EN_UPDATE = 0x0400;
constexpr WORD EN_ERRSPACE = 0x0500;
constexpr WORD EN_MAXTEXT = 0x0501;
constexpr WORD EN_HSCROLL = 0x0601;
constexpr WORD EN_VSCROLL = 0x0602;

// The limit an edit starts with, and the one EM_SETLIMITTEXT 0 gives.
constexpr size_t kEditDefaultLimit = 32767;
constexpr size_t kEditLargestLimit = 0x7FFFFFFE;

// The captions of the edit's context menu (English until the program sets its own; "&" marks
// the access key). Applies to menus opened after the call.
struct EditMenuCaptions {
  std::u16string undo = u"&Undo";
  std::u16string cut = u"Cu&t";
  std::u16string copy = u"&Copy";
  std::u16string paste = u"&Paste";
  std::u16string clear = u"&Delete";
  std::u16string selectAll = u"Select &All";
};
void SetEditMenuCaptions(const EditMenuCaptions& captions);
EditMenuCaptions GetEditMenuCaptions();

}  // namespace platform
