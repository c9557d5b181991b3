#pragma once
// The header control ("SysHeader32"): a row of sections (column captions) with widths, texts,
// images, formats and a display order; dividers dragged to resize (with HDN_BEGINTRACK, TRACK,
// ENDTRACK), sections clicked as buttons (HDS_BUTTONS), dragged to a new order (HDS_DRAGDROP),
// hot tracked (HDS_HOTTRACK). Registered by InitCommonControlsEx. GUI thread of the window only.
// The list view makes one as its child for the report view.
//
// Notifications go to the parent as WM_NOTIFY, in UTF-16 (the W codes) when the parent answers
// WM_NOTIFYFORMAT with NFR_UNICODE or is a Unicode window, else in UTF-8 (the A codes);
// CCM_SETUNICODEFORMAT switches. Texts of the A messages are UTF-8.

#include "platform/comctl/CommCtrl.h"
#include "platform/comctl/CommonMessages.h"
#include "platform/comctl/ImageList.h"

namespace platform {

inline constexpr char16_t WC_HEADERW[] = u"SysHeader32";
inline constexpr char WC_HEADERA[] = "SysHeader32";

// ---- styles ---------------------------------------------------------------------------------

constexpr DWORD HDS_HORZ = 0x0000;
constexpr DWORD HDS_BUTTONS = 0x0002;    // sections are buttons: pressed look, HDN_ITEMCLICK
constexpr DWORD HDS_HOTTRACK = 0x0004;   // the section under the pointer is drawn hot
constexpr DWORD HDS_HIDDEN = 0x0008;     // HDM_LAYOUT answers a height of 0
constexpr DWORD HDS_DRAGDROP = 0x0040;   // sections can be dragged to a new order
constexpr DWORD HDS_FULLDRAG = 0x0080;   // widths change while a divider is dragged
constexpr DWORD HDS_FILTERBAR = 0x0100;
constexpr DWORD HDS_FLAT = 0x0200;
constexpr DWORD HDS_CHECKBOXES = 0x0400;
constexpr DWORD HDS_NOSIZING = 0x0800;
constexpr DWORD HDS_OVERFLOW = 0x1000;

// ---- items ----------------------------------------------------------------------------------

constexpr UINT HDI_WIDTH = 0x0001;
constexpr UINT HDI_HEIGHT = HDI_WIDTH;
constexpr UINT HDI_TEXT = 0x0002;
constexpr UINT HDI_FORMAT = 0x0004;
constexpr UINT HDI_LPARAM = 0x0008;
constexpr UINT HDI_BITMAP = 0x0010;
constexpr UINT HDI_IMAGE = 0x0020;
constexpr UINT HDI_DI_SETITEM = 0x0040;
constexpr UINT HDI_ORDER = 0x0080;
constexpr UINT HDI_FILTER = 0x0100;
constexpr UINT HDI_STATE = 0x0200;

constexpr int HDF_LEFT = 0x0000;
constexpr int HDF_RIGHT = 0x0001;
constexpr int HDF_CENTER = 0x0002;
constexpr int HDF_JUSTIFYMASK = 0x0003;
constexpr int HDF_RTLREADING = 0x0004;
constexpr int HDF_CHECKBOX = 0x0040;
constexpr int HDF_CHECKED = 0x0080;
constexpr int HDF_FIXEDWIDTH = 0x0100;
constexpr int HDF_SORTDOWN = 0x0200;
constexpr int HDF_SORTUP = 0x0400;
constexpr int HDF_IMAGE = 0x0800;
constexpr int HDF_BITMAP_ON_RIGHT = 0x1000;
constexpr int HDF_BITMAP = 0x2000;
constexpr int HDF_STRING = 0x4000;
constexpr int HDF_OWNERDRAW = 0x8000;

constexpr UINT HDIS_FOCUSED = 0x0001;

// A section. pszText may be LPSTR_TEXTCALLBACK (the parent answers HDN_GETDISPINFO); iOrder is
// the display position (HDI_ORDER).
struct HDITEMW {
  UINT mask;
  int cxy;
  LPWSTR pszText;
  HBITMAP hbm;
  int cchTextMax;
  int fmt;
  LPARAM lParam;
  int iImage;
  int iOrder;
  UINT type;
  void* pvFilter;
  UINT state;
};

struct HDITEMA {
  UINT mask;
  int cxy;
  LPSTR pszText;
  HBITMAP hbm;
  int cchTextMax;
  int fmt;
  LPARAM lParam;
  int iImage;
  int iOrder;
  UINT type;
  void* pvFilter;
  UINT state;
};

using HDITEM = HDITEMA;

// HDM_LAYOUT: prc is the rectangle the header may take (in its parent); the answer puts the
// header's place and size into pwpos (flags SWP_NOZORDER | SWP_NOACTIVATE).
struct HDLAYOUT {
  RECT* prc;
  WINDOWPOS* pwpos;
};

constexpr UINT HHT_NOWHERE = 0x0001;
constexpr UINT HHT_ONHEADER = 0x0002;
constexpr UINT HHT_ONDIVIDER = 0x0004;
constexpr UINT HHT_ONDIVOPEN = 0x0008;  // on the divider of a zero-width section
constexpr UINT HHT_ONFILTER = 0x0010;
constexpr UINT HHT_ONFILTERBUTTON = 0x0020;
constexpr UINT HHT_ABOVE = 0x0100;
constexpr UINT HHT_BELOW = 0x0200;
constexpr UINT HHT_TORIGHT = 0x0400;
constexpr UINT HHT_TOLEFT = 0x0800;

struct HDHITTESTINFO {
  POINT pt;  // client coordinates
  UINT flags;
  int iItem;  // the section index, -1 when none
};

// ---- messages -------------------------------------------------------------------------------

constexpr UINT HDM_FIRST = 0x1200;
constexpr UINT HDM_GETITEMCOUNT = HDM_FIRST + 0;
constexpr UINT HDM_INSERTITEMA = HDM_FIRST + 1;   // wParam index (past the end appends), lParam HDITEM*; the index or -1
constexpr UINT HDM_DELETEITEM = HDM_FIRST + 2;    // wParam index
constexpr UINT HDM_GETITEMA = HDM_FIRST + 3;      // wParam index, lParam HDITEM* with mask
constexpr UINT HDM_SETITEMA = HDM_FIRST + 4;      // wParam index, lParam HDITEM* with mask
constexpr UINT HDM_LAYOUT = HDM_FIRST + 5;        // lParam HDLAYOUT*
constexpr UINT HDM_HITTEST = HDM_FIRST + 6;       // lParam HDHITTESTINFO*; the section or -1
constexpr UINT HDM_GETITEMRECT = HDM_FIRST + 7;   // wParam index, lParam RECT*
constexpr UINT HDM_SETIMAGELIST = HDM_FIRST + 8;  // wParam HDSIL_*, lParam list; the previous list
constexpr UINT HDM_GETIMAGELIST = HDM_FIRST + 9;
constexpr UINT HDM_INSERTITEMW = HDM_FIRST + 10;
constexpr UINT HDM_GETITEMW = HDM_FIRST + 11;
constexpr UINT HDM_SETITEMW = HDM_FIRST + 12;
constexpr UINT HDM_ORDERTOINDEX = HDM_FIRST + 15;     // wParam display position; the section index
constexpr UINT HDM_CREATEDRAGIMAGE = HDM_FIRST + 16;  // wParam index; an image list of the section
constexpr UINT HDM_GETORDERARRAY = HDM_FIRST + 17;    // wParam count, lParam int[count]
constexpr UINT HDM_SETORDERARRAY = HDM_FIRST + 18;    // wParam count, lParam int[count]
constexpr UINT HDM_SETHOTDIVIDER = HDM_FIRST + 19;
constexpr UINT HDM_SETBITMAPMARGIN = HDM_FIRST + 20;
constexpr UINT HDM_GETBITMAPMARGIN = HDM_FIRST + 21;

constexpr WPARAM HDSIL_NORMAL = 0;
constexpr WPARAM HDSIL_STATE = 1;

// ---- notifications --------------------------------------------------------------------------

constexpr UINT HDN_ITEMCHANGINGA = HDN_FIRST - 0;  // non-zero answer refuses the change
constexpr UINT HDN_ITEMCHANGEDA = HDN_FIRST - 1;
constexpr UINT HDN_ITEMCLICKA = HDN_FIRST - 2;     // iButton 0 left, 1 right, 2 middle
constexpr UINT HDN_ITEMDBLCLICKA = HDN_FIRST - 3;
constexpr UINT HDN_DIVIDERDBLCLICKA = HDN_FIRST - 5;
constexpr UINT HDN_BEGINTRACKA = HDN_FIRST - 6;    // non-zero answer refuses the tracking
constexpr UINT HDN_ENDTRACKA = HDN_FIRST - 7;
constexpr UINT HDN_TRACKA = HDN_FIRST - 8;
constexpr UINT HDN_GETDISPINFOA = HDN_FIRST - 9;
constexpr UINT HDN_BEGINDRAG = HDN_FIRST - 10;     // non-zero answer refuses the drag
constexpr UINT HDN_ENDDRAG = HDN_FIRST - 11;       // pitem->iOrder the new position; non-zero refuses
constexpr UINT HDN_FILTERCHANGE = HDN_FIRST - 12;
constexpr UINT HDN_FILTERBTNCLICK = HDN_FIRST - 13;
constexpr UINT HDN_ITEMCHANGINGW = HDN_FIRST - 20;
constexpr UINT HDN_ITEMCHANGEDW = HDN_FIRST - 21;
constexpr UINT HDN_ITEMCLICKW = HDN_FIRST - 22;
constexpr UINT HDN_ITEMDBLCLICKW = HDN_FIRST - 23;
constexpr UINT HDN_DIVIDERDBLCLICKW = HDN_FIRST - 25;
constexpr UINT HDN_BEGINTRACKW = HDN_FIRST - 26;
constexpr UINT HDN_ENDTRACKW = HDN_FIRST - 27;
constexpr UINT HDN_TRACKW = HDN_FIRST - 28;
constexpr UINT HDN_GETDISPINFOW = HDN_FIRST - 29;

// iItem the section; pitem (when the notification carries one) the values concerned: for
// ITEMCHANGING/ED the mask of what changes, for TRACK and ENDTRACK the width (HDI_WIDTH),
// for ENDDRAG the order (HDI_ORDER).
struct NMHEADERW {
  NMHDR hdr;
  int iItem;
  int iButton;
  HDITEMW* pitem;
};

struct NMHEADERA {
  NMHDR hdr;
  int iItem;
  int iButton;
  HDITEMA* pitem;
};

using NMHEADER = NMHEADERA;

struct NMHDDISPINFOW {
  NMHDR hdr;
  int iItem;
  UINT mask;
  LPWSTR pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
};

struct NMHDDISPINFOA {
  NMHDR hdr;
  int iItem;
  UINT mask;
  LPSTR pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
};

// ---- helpers --------------------------------------------------------------------------------

inline int Header_GetItemCount(HWND header) {
  return static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
}
inline int Header_InsertItem(HWND header, int index, const HDITEMW* item) {
  return static_cast<int>(SendMessageW(header, HDM_INSERTITEMW, static_cast<WPARAM>(index),
                                       reinterpret_cast<LPARAM>(item)));
}
inline int Header_InsertItem(HWND header, int index, const HDITEMA* item) {
  return static_cast<int>(SendMessageW(header, HDM_INSERTITEMA, static_cast<WPARAM>(index),
                                       reinterpret_cast<LPARAM>(item)));
}
inline BOOL Header_DeleteItem(HWND header, int index) {
  return static_cast<BOOL>(SendMessageW(header, HDM_DELETEITEM, static_cast<WPARAM>(index), 0));
}
inline BOOL Header_GetItem(HWND header, int index, HDITEMW* item) {
  return static_cast<BOOL>(
      SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)));
}
inline BOOL Header_GetItem(HWND header, int index, HDITEMA* item) {
  return static_cast<BOOL>(
      SendMessageW(header, HDM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)));
}
inline BOOL Header_SetItem(HWND header, int index, const HDITEMW* item) {
  return static_cast<BOOL>(
      SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)));
}
inline BOOL Header_SetItem(HWND header, int index, const HDITEMA* item) {
  return static_cast<BOOL>(
      SendMessageW(header, HDM_SETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)));
}
inline BOOL Header_Layout(HWND header, HDLAYOUT* layout) {
  return static_cast<BOOL>(SendMessageW(header, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(layout)));
}
inline int Header_HitTest(HWND header, HDHITTESTINFO* info) {
  return static_cast<int>(SendMessageW(header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(info)));
}
inline BOOL Header_GetItemRect(HWND header, int index, RECT* rect) {
  return static_cast<BOOL>(
      SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect)));
}
inline HIMAGELIST Header_SetImageList(HWND header, HIMAGELIST list) {
  return reinterpret_cast<HIMAGELIST>(
      SendMessageW(header, HDM_SETIMAGELIST, HDSIL_NORMAL, reinterpret_cast<LPARAM>(list)));
}
inline HIMAGELIST Header_GetImageList(HWND header) {
  return reinterpret_cast<HIMAGELIST>(SendMessageW(header, HDM_GETIMAGELIST, HDSIL_NORMAL, 0));
}
inline int Header_OrderToIndex(HWND header, int order) {
  return static_cast<int>(SendMessageW(header, HDM_ORDERTOINDEX, static_cast<WPARAM>(order), 0));
}
inline BOOL Header_GetOrderArray(HWND header, int count, int* order) {
  return static_cast<BOOL>(
      SendMessageW(header, HDM_GETORDERARRAY, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(order)));
}
inline BOOL Header_SetOrderArray(HWND header, int count, const int* order) {
  return static_cast<BOOL>(
      SendMessageW(header, HDM_SETORDERARRAY, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(order)));
}
inline HIMAGELIST Header_CreateDragImage(HWND header, int index) {
  return reinterpret_cast<HIMAGELIST>(SendMessageW(header, HDM_CREATEDRAGIMAGE, static_cast<WPARAM>(index), 0));
}

}  // namespace platform
