#pragma once
// The standard combo box ("ComboBox"): a selection field (an edit child for CBS_SIMPLE and
// CBS_DROPDOWN, a drawn field for CBS_DROPDOWNLIST) over a list ("ComboLBox", id 1000, with a
// vertical scroll bar). The list of the drop-down styles is a popup shown below the combo box
// (above when the work area below has no room) and closed by a click outside, Esc, Enter, F4
// or Alt+Up/Down; CBS_SIMPLE shows it always under the field. Every style announces its list
// with WM_PARENTNOTIFY (WM_CREATE, 1000) to the combo box as the list is made. Registered by
// InitCommonControlsEx. GUI thread of the window only.
//
// Notifications (WM_COMMAND to the parent) come in this order: choosing an item with the mouse
// from the dropped list gives CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE; Enter CBN_SELENDOK,
// CBN_CLOSEUP; Esc, F4 and a click outside CBN_SELENDCANCEL, CBN_CLOSEUP; arrows and typing in
// the closed or dropped list CBN_SELCHANGE; typing in the edit CBN_EDITUPDATE, CBN_EDITCHANGE.
// Items the pointer passes over in the dropped list are only highlighted: a cancelled drop
// returns to the item chosen before.
//
// Owner-drawn styles send WM_MEASUREITEM (itemID -1 for the selection field) and WM_DRAWITEM
// (ODT_COMBOBOX, ODS_COMBOBOXEDIT for the field) to the parent; colours are asked with
// WM_CTLCOLOREDIT (WM_CTLCOLORSTATIC when disabled) and WM_CTLCOLORLISTBOX, which the combo box
// passes on to its parent when they come from its children.
//
// The window's height for the drop-down styles is the field's; a height asked for by
// CreateWindowEx or SetWindowPos is kept as the height of the dropped combo box (field and
// list together).

#include "platform/comctl/CommCtrl.h"
#include "platform/comctl/ListBox.h"

namespace platform {

inline constexpr char16_t WC_COMBOBOXW[] = u"ComboBox";
inline constexpr char WC_COMBOBOXA[] = "ComboBox";
inline constexpr char16_t WC_COMBOLBOXW[] = u"ComboLBox";

// ---- styles ---------------------------------------------------------------------------------

constexpr DWORD CBS_SIMPLE = 0x0001;
constexpr DWORD CBS_DROPDOWN = 0x0002;
constexpr DWORD CBS_DROPDOWNLIST = 0x0003;
constexpr DWORD CBS_OWNERDRAWFIXED = 0x0010;
constexpr DWORD CBS_OWNERDRAWVARIABLE = 0x0020;
constexpr DWORD CBS_AUTOHSCROLL = 0x0040;
constexpr DWORD CBS_OEMCONVERT = 0x0080;
constexpr DWORD CBS_SORT = 0x0100;
constexpr DWORD CBS_HASSTRINGS = 0x0200;
constexpr DWORD CBS_NOINTEGRALHEIGHT = 0x0400;
constexpr DWORD CBS_DISABLENOSCROLL = 0x0800;
constexpr DWORD CBS_UPPERCASE = 0x2000;
constexpr DWORD CBS_LOWERCASE = 0x4000;

// ---- messages -------------------------------------------------------------------------------

constexpr UINT CB_GETEDITSEL = 0x0140;           // wParam DWORD* start, lParam DWORD* end; MAKELONG(start, end)
constexpr UINT CB_LIMITTEXT = 0x0141;            // wParam limit (0: the largest)
constexpr UINT CB_SETEDITSEL = 0x0142;           // lParam MAKELONG(start, end)
constexpr UINT CB_ADDSTRING = 0x0143;
constexpr UINT CB_DELETESTRING = 0x0144;
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_GETLBTEXT = 0x0148;
constexpr UINT CB_GETLBTEXTLEN = 0x0149;
constexpr UINT CB_INSERTSTRING = 0x014A;
constexpr UINT CB_RESETCONTENT = 0x014B;
constexpr UINT CB_FINDSTRING = 0x014C;
constexpr UINT CB_SELECTSTRING = 0x014D;
constexpr UINT CB_SETCURSEL = 0x014E;
constexpr UINT CB_SHOWDROPDOWN = 0x014F;         // wParam BOOL
constexpr UINT CB_GETITEMDATA = 0x0150;
constexpr UINT CB_SETITEMDATA = 0x0151;
constexpr UINT CB_GETDROPPEDCONTROLRECT = 0x0152;  // lParam RECT*: screen rectangle of the dropped combo
constexpr UINT CB_SETITEMHEIGHT = 0x0153;        // wParam -1 (the field) or an index, lParam height
constexpr UINT CB_GETITEMHEIGHT = 0x0154;
constexpr UINT CB_GETDROPPEDSTATE = 0x0157;
constexpr UINT CB_FINDSTRINGEXACT = 0x0158;
constexpr UINT CB_GETTOPINDEX = 0x015B;
constexpr UINT CB_SETTOPINDEX = 0x015C;
constexpr UINT CB_GETDROPPEDWIDTH = 0x015F;
constexpr UINT CB_SETDROPPEDWIDTH = 0x0160;      // wParam the least width of the dropped list
constexpr UINT CB_INITSTORAGE = 0x0161;
constexpr UINT CB_GETCOMBOBOXINFO = 0x0164;      // lParam COMBOBOXINFO*

constexpr LRESULT CB_OKAY = 0;
constexpr LRESULT CB_ERR = -1;
constexpr LRESULT CB_ERRSPACE = -2;

// ---- notifications (WM_COMMAND, high word of wParam) ----------------------------------------

constexpr WORD CBN_ERRSPACE = static_cast<WORD>(-1);
constexpr WORD CBN_SELCHANGE = 1;
constexpr WORD CBN_DBLCLK = 2;
constexpr WORD CBN_SETFOCUS = 3;
constexpr WORD CBN_KILLFOCUS = 4;
constexpr WORD CBN_EDITCHANGE = 5;
constexpr WORD CBN_EDITUPDATE = 6;
constexpr WORD CBN_DROPDOWN = 7;
constexpr WORD CBN_CLOSEUP = 8;
constexpr WORD CBN_SELENDOK = 9;
constexpr WORD CBN_SELENDCANCEL = 10;

// The ids of the combo box's children.
constexpr int kComboListId = 1000;
constexpr int kComboEditId = 1001;

constexpr DWORD STATE_SYSTEM_PRESSED = 0x00000008;
constexpr DWORD STATE_SYSTEM_INVISIBLE = 0x00008000;

struct COMBOBOXINFO {
  DWORD cbSize;
  RECT rcItem;       // the selection field (client coordinates)
  RECT rcButton;     // the drop button (empty for CBS_SIMPLE)
  DWORD stateButton;  // STATE_SYSTEM_PRESSED while dropped; STATE_SYSTEM_INVISIBLE without a button
  HWND hwndCombo;
  HWND hwndItem;     // the edit child, or the combo box itself
  HWND hwndList;
};

BOOL GetComboBoxInfo(HWND combo, COMBOBOXINFO* info);

}  // namespace platform
