#pragma once
// The tree-view control ("SysTreeView32"): a hierarchy of items with text, images, state
// images (check boxes) and overlays, drawn with lines and expand buttons; selection, expanding,
// label editing in an Edit child, hit tests, sorting, custom draw and the TVN_/NM_
// notifications below. Registered by InitCommonControlsEx. GUI thread of the window only.
//
// Notifications go to the parent as WM_NOTIFY, in UTF-16 (the W codes) when the parent
// answers WM_NOTIFYFORMAT with NFR_UNICODE or is a Unicode window, else in UTF-8 (the A
// codes); CCM_SETUNICODEFORMAT switches. Item handles stay valid until their item is deleted;
// a message given a handle that is not a live item of this control fails (FALSE or null)
// instead of touching memory.
//
// The scroll bars are the window's standard ones, set only through the user layer's function
// table, so replacements (skinned bars) see every change.

#include "platform/comctl/CommCtrl.h"
#include "platform/comctl/CommonMessages.h"
#include "platform/comctl/ImageList.h"

namespace platform {

inline constexpr char16_t WC_TREEVIEWW[] = u"SysTreeView32";
inline constexpr char WC_TREEVIEWA[] = "SysTreeView32";

// ---- styles -----------------------------------------------------------------------------------

constexpr DWORD TVS_HASBUTTONS = 0x0001;
constexpr DWORD TVS_HASLINES = 0x0002;
constexpr DWORD TVS_LINESATROOT = 0x0004;
constexpr DWORD TVS_EDITLABELS = 0x0008;
constexpr DWORD TVS_DISABLEDRAGDROP = 0x0010;
constexpr DWORD TVS_SHOWSELALWAYS = 0x0020;
constexpr DWORD TVS_RTLREADING = 0x0040;
constexpr DWORD TVS_NOTOOLTIPS = 0x0080;
constexpr DWORD TVS_CHECKBOXES = 0x0100;
constexpr DWORD TVS_TRACKSELECT = 0x0200;
constexpr DWORD TVS_SINGLEEXPAND = 0x0400;
constexpr DWORD TVS_INFOTIP = 0x0800;
constexpr DWORD TVS_FULLROWSELECT = 0x1000;
constexpr DWORD TVS_NOSCROLL = 0x2000;
constexpr DWORD TVS_NONEVENHEIGHT = 0x4000;
constexpr DWORD TVS_NOHSCROLL = 0x8000;

// ---- items ----------------------------------------------------------------------------------

struct TreeItemHandle;
using HTREEITEM = TreeItemHandle*;

inline HTREEITEM const TVI_ROOT = reinterpret_cast<HTREEITEM>(static_cast<ULONG_PTR>(-0x10000));
inline HTREEITEM const TVI_FIRST = reinterpret_cast<HTREEITEM>(static_cast<ULONG_PTR>(-0x0FFFF));
inline HTREEITEM const TVI_LAST = reinterpret_cast<HTREEITEM>(static_cast<ULONG_PTR>(-0x0FFFE));
inline HTREEITEM const TVI_SORT = reinterpret_cast<HTREEITEM>(static_cast<ULONG_PTR>(-0x0FFFD));

constexpr UINT TVIF_TEXT = 0x0001;
constexpr UINT TVIF_IMAGE = 0x0002;
constexpr UINT TVIF_PARAM = 0x0004;
constexpr UINT TVIF_STATE = 0x0008;
constexpr UINT TVIF_HANDLE = 0x0010;
constexpr UINT TVIF_SELECTEDIMAGE = 0x0020;
constexpr UINT TVIF_CHILDREN = 0x0040;
constexpr UINT TVIF_INTEGRAL = 0x0080;
constexpr UINT TVIF_EXPANDEDIMAGE = 0x0200;
constexpr UINT TVIF_DI_SETITEM = 0x1000;  // a GETDISPINFO answer asks the control to keep it

constexpr UINT TVIS_SELECTED = 0x0002;
constexpr UINT TVIS_CUT = 0x0004;
constexpr UINT TVIS_DROPHILITED = 0x0008;
constexpr UINT TVIS_BOLD = 0x0010;
constexpr UINT TVIS_EXPANDED = 0x0020;
constexpr UINT TVIS_EXPANDEDONCE = 0x0040;
constexpr UINT TVIS_EXPANDPARTIAL = 0x0080;
constexpr UINT TVIS_OVERLAYMASK = 0x0F00;
constexpr UINT TVIS_STATEIMAGEMASK = 0xF000;
constexpr UINT TVIS_USERMASK = 0xF000;

constexpr int I_CHILDRENCALLBACK = -1;

struct TVITEMW {
  UINT mask;
  HTREEITEM hItem;
  UINT state;
  UINT stateMask;
  LPWSTR pszText;
  int cchTextMax;
  int iImage;
  int iSelectedImage;
  int cChildren;
  LPARAM lParam;
};

struct TVITEMA {
  UINT mask;
  HTREEITEM hItem;
  UINT state;
  UINT stateMask;
  LPSTR pszText;
  int cchTextMax;
  int iImage;
  int iSelectedImage;
  int cChildren;
  LPARAM lParam;
};

struct TVITEMEXW {
  UINT mask;
  HTREEITEM hItem;
  UINT state;
  UINT stateMask;
  LPWSTR pszText;
  int cchTextMax;
  int iImage;
  int iSelectedImage;
  int cChildren;
  LPARAM lParam;
  int iIntegral;
  UINT uStateEx;
  HWND hwnd;
  int iExpandedImage;
  int iReserved;
};

struct TVITEMEXA {
  UINT mask;
  HTREEITEM hItem;
  UINT state;
  UINT stateMask;
  LPSTR pszText;
  int cchTextMax;
  int iImage;
  int iSelectedImage;
  int cChildren;
  LPARAM lParam;
  int iIntegral;
  UINT uStateEx;
  HWND hwnd;
  int iExpandedImage;
  int iReserved;
};

struct TVINSERTSTRUCTW {
  HTREEITEM hParent;
  HTREEITEM hInsertAfter;
  union {
    TVITEMEXW itemex;
    TVITEMW item;
  };
};

struct TVINSERTSTRUCTA {
  HTREEITEM hParent;
  HTREEITEM hInsertAfter;
  union {
    TVITEMEXA itemex;
    TVITEMA item;
  };
};

// ---- messages ---------------------------------------------------------------------------------

constexpr UINT TV_FIRST = 0x1100;
constexpr UINT TVM_INSERTITEMA = TV_FIRST + 0;      // lParam TVINSERTSTRUCT*; the new item or null
constexpr UINT TVM_DELETEITEM = TV_FIRST + 1;       // lParam item (TVI_ROOT or null: all)
constexpr UINT TVM_EXPAND = TV_FIRST + 2;           // wParam TVE_*, lParam item
constexpr UINT TVM_GETITEMRECT = TV_FIRST + 4;      // wParam TRUE: the label only; lParam RECT* holding the item
constexpr UINT TVM_GETCOUNT = TV_FIRST + 5;
constexpr UINT TVM_GETINDENT = TV_FIRST + 6;
constexpr UINT TVM_SETINDENT = TV_FIRST + 7;        // wParam pixels
constexpr UINT TVM_GETIMAGELIST = TV_FIRST + 8;     // wParam TVSIL_*
constexpr UINT TVM_SETIMAGELIST = TV_FIRST + 9;     // wParam TVSIL_*, lParam list; the previous list
constexpr UINT TVM_GETNEXTITEM = TV_FIRST + 10;     // wParam TVGN_*, lParam item
constexpr UINT TVM_SELECTITEM = TV_FIRST + 11;      // wParam TVGN_CARET/DROPHILITE/FIRSTVISIBLE, lParam item
constexpr UINT TVM_GETITEMA = TV_FIRST + 12;
constexpr UINT TVM_SETITEMA = TV_FIRST + 13;
constexpr UINT TVM_EDITLABELA = TV_FIRST + 14;      // lParam item; the edit window or null
constexpr UINT TVM_GETEDITCONTROL = TV_FIRST + 15;
constexpr UINT TVM_GETVISIBLECOUNT = TV_FIRST + 16;
constexpr UINT TVM_HITTEST = TV_FIRST + 17;         // lParam TVHITTESTINFO*
constexpr UINT TVM_SORTCHILDREN = TV_FIRST + 19;    // wParam recurse, lParam parent
constexpr UINT TVM_ENSUREVISIBLE = TV_FIRST + 20;   // lParam item
constexpr UINT TVM_SORTCHILDRENCB = TV_FIRST + 21;  // wParam recurse, lParam TVSORTCB*
constexpr UINT TVM_ENDEDITLABELNOW = TV_FIRST + 22; // wParam TRUE: cancel
constexpr UINT TVM_SETITEMHEIGHT = TV_FIRST + 27;   // wParam pixels (-1: the control's own); the previous
constexpr UINT TVM_GETITEMHEIGHT = TV_FIRST + 28;
constexpr UINT TVM_SETBKCOLOR = TV_FIRST + 29;      // lParam COLORREF (-1: system); the previous
constexpr UINT TVM_SETTEXTCOLOR = TV_FIRST + 30;
constexpr UINT TVM_GETBKCOLOR = TV_FIRST + 31;
constexpr UINT TVM_GETTEXTCOLOR = TV_FIRST + 32;
constexpr UINT TVM_GETITEMSTATE = TV_FIRST + 39;    // wParam item, lParam mask
constexpr UINT TVM_SETLINECOLOR = TV_FIRST + 40;
constexpr UINT TVM_GETLINECOLOR = TV_FIRST + 41;
constexpr UINT TVM_INSERTITEMW = TV_FIRST + 50;
constexpr UINT TVM_GETITEMW = TV_FIRST + 62;        // lParam TVITEM(EX)* with hItem and mask
constexpr UINT TVM_SETITEMW = TV_FIRST + 63;
constexpr UINT TVM_EDITLABELW = TV_FIRST + 65;

constexpr WPARAM TVE_COLLAPSE = 0x0001;
constexpr WPARAM TVE_EXPAND = 0x0002;
constexpr WPARAM TVE_TOGGLE = 0x0003;
constexpr WPARAM TVE_EXPANDPARTIAL = 0x4000;
constexpr WPARAM TVE_COLLAPSERESET = 0x8000;

constexpr WPARAM TVSIL_NORMAL = 0;
constexpr WPARAM TVSIL_STATE = 2;

constexpr WPARAM TVGN_ROOT = 0x0000;
constexpr WPARAM TVGN_NEXT = 0x0001;
constexpr WPARAM TVGN_PREVIOUS = 0x0002;
constexpr WPARAM TVGN_PARENT = 0x0003;
constexpr WPARAM TVGN_CHILD = 0x0004;
constexpr WPARAM TVGN_FIRSTVISIBLE = 0x0005;
constexpr WPARAM TVGN_NEXTVISIBLE = 0x0006;
constexpr WPARAM TVGN_PREVIOUSVISIBLE = 0x0007;
constexpr WPARAM TVGN_DROPHILITE = 0x0008;
constexpr WPARAM TVGN_CARET = 0x0009;
constexpr WPARAM TVGN_LASTVISIBLE = 0x000A;
constexpr WPARAM TVSI_NOSINGLEEXPAND = 0x8000;

constexpr UINT TVHT_NOWHERE = 0x0001;
constexpr UINT TVHT_ONITEMICON = 0x0002;
constexpr UINT TVHT_ONITEMLABEL = 0x0004;
constexpr UINT TVHT_ONITEMINDENT = 0x0008;
constexpr UINT TVHT_ONITEMBUTTON = 0x0010;
constexpr UINT TVHT_ONITEMRIGHT = 0x0020;
constexpr UINT TVHT_ONITEMSTATEICON = 0x0040;
constexpr UINT TVHT_ONITEM = TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON;
constexpr UINT TVHT_ABOVE = 0x0100;
constexpr UINT TVHT_BELOW = 0x0200;
constexpr UINT TVHT_TORIGHT = 0x0400;
constexpr UINT TVHT_TOLEFT = 0x0800;

struct TVHITTESTINFO {
  POINT pt;  // client coordinates
  UINT flags;
  HTREEITEM hItem;
};

// Compares two items' lParams: negative, zero or positive.
using PFNTVCOMPARE = int (*)(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);
struct TVSORTCB {
  HTREEITEM hParent;
  PFNTVCOMPARE lpfnCompare;
  LPARAM lParam;
};

// ---- notifications ----------------------------------------------------------------------------

constexpr UINT TVN_SELCHANGINGA = TVN_FIRST - 1;
constexpr UINT TVN_SELCHANGEDA = TVN_FIRST - 2;
constexpr UINT TVN_GETDISPINFOA = TVN_FIRST - 3;
constexpr UINT TVN_SETDISPINFOA = TVN_FIRST - 4;
constexpr UINT TVN_ITEMEXPANDINGA = TVN_FIRST - 5;
constexpr UINT TVN_ITEMEXPANDEDA = TVN_FIRST - 6;
constexpr UINT TVN_BEGINDRAGA = TVN_FIRST - 7;
constexpr UINT TVN_BEGINRDRAGA = TVN_FIRST - 8;
constexpr UINT TVN_DELETEITEMA = TVN_FIRST - 9;
constexpr UINT TVN_BEGINLABELEDITA = TVN_FIRST - 10;
constexpr UINT TVN_ENDLABELEDITA = TVN_FIRST - 11;
constexpr UINT TVN_KEYDOWN = TVN_FIRST - 12;
constexpr UINT TVN_SINGLEEXPAND = TVN_FIRST - 15;
constexpr UINT TVN_SELCHANGINGW = TVN_FIRST - 50;
constexpr UINT TVN_SELCHANGEDW = TVN_FIRST - 51;
constexpr UINT TVN_GETDISPINFOW = TVN_FIRST - 52;
constexpr UINT TVN_SETDISPINFOW = TVN_FIRST - 53;
constexpr UINT TVN_ITEMEXPANDINGW = TVN_FIRST - 54;
constexpr UINT TVN_ITEMEXPANDEDW = TVN_FIRST - 55;
constexpr UINT TVN_BEGINDRAGW = TVN_FIRST - 56;
constexpr UINT TVN_BEGINRDRAGW = TVN_FIRST - 57;
constexpr UINT TVN_DELETEITEMW = TVN_FIRST - 58;
constexpr UINT TVN_BEGINLABELEDITW = TVN_FIRST - 59;
constexpr UINT TVN_ENDLABELEDITW = TVN_FIRST - 60;

// What caused a selection change or an expansion (NMTREEVIEW.action for the selection).
constexpr UINT TVC_UNKNOWN = 0x0000;
constexpr UINT TVC_BYMOUSE = 0x0001;
constexpr UINT TVC_BYKEYBOARD = 0x0002;

// Returned by TVN_SINGLEEXPAND: keep the previous item open / leave the new one alone.
constexpr LRESULT TVNRET_DEFAULT = 0;
constexpr LRESULT TVNRET_SKIPOLD = 1;
constexpr LRESULT TVNRET_SKIPNEW = 2;

// SELCHANGING/ED (itemOld, itemNew), ITEMEXPANDING/ED (action TVE_*, itemNew), DELETEITEM
// (itemOld), BEGIN(R)DRAG (itemNew, ptDrag), SINGLEEXPAND (itemOld, itemNew).
struct NMTREEVIEWW {
  NMHDR hdr;
  UINT action;
  TVITEMW itemOld;
  TVITEMW itemNew;
  POINT ptDrag;
};

struct NMTREEVIEWA {
  NMHDR hdr;
  UINT action;
  TVITEMA itemOld;
  TVITEMA itemNew;
  POINT ptDrag;
};

// GETDISPINFO (fill what item.mask asks), BEGIN/ENDLABELEDIT (ENDLABELEDIT: pszText the new
// text, null when cancelled; a non-zero answer keeps it).
struct NMTVDISPINFOW {
  NMHDR hdr;
  TVITEMW item;
};

struct NMTVDISPINFOA {
  NMHDR hdr;
  TVITEMA item;
};

struct NMTVKEYDOWN {
  NMHDR hdr;
  WORD wVKey;
  UINT flags;
};

// NM_CUSTOMDRAW: CDDS_PREPAINT / POSTPAINT for the control, CDDS_ITEMPREPAINT / POSTPAINT
// per item (dwItemSpec the HTREEITEM, lItemlParam its lParam, rc its row). An item-stage
// answer may change clrText, clrTextBk and the DC's font (CDRF_NEWFONT).
struct NMTVCUSTOMDRAW {
  NMCUSTOMDRAW nmcd;
  COLORREF clrText;
  COLORREF clrTextBk;
  int iLevel;
};

}  // namespace platform
