#pragma once
// The list-view control ("SysListView32"): rows of items with sub-item texts, images, state
// images (check boxes), overlays and indents, shown as large icons, small icons, a list or a
// report with a header ("SysHeader32" child); selection by mouse, keys and type-ahead; hot
// tracking; groups; work areas; callback texts and images (LVN_GETDISPINFO); owner data
// (LVS_OWNERDATA: the control keeps only the count, selection and focus); label editing in an
// Edit child (id 1); custom and owner draw; insert marks; drag images. Registered by
// InitCommonControlsEx. GUI thread of the window only.
//
// Notifications go to the parent as WM_NOTIFY, in UTF-16 (the W codes) when the parent answers
// WM_NOTIFYFORMAT with NFR_UNICODE or is a Unicode window, else in UTF-8 (the A codes);
// CCM_SETUNICODEFORMAT switches. Texts of the A messages are UTF-8. The generic names (LVITEM,
// LVM_GETITEM ...) are the A ones.
//
// The header's notifications reach the list view's window procedure as WM_NOTIFY; the list
// view announces its header to its parent with WM_PARENTNOTIFY (WM_CREATE) when it makes it,
// and lays its rows out below the height HDM_LAYOUT answers.
//
// The scroll bars are the window's standard ones, set only through the user layer's function
// table, so replacements (skinned bars) see every change.

#include "platform/comctl/CommCtrl.h"
#include "platform/comctl/CommonMessages.h"
#include "platform/comctl/Header.h"
#include "platform/comctl/ImageList.h"

namespace platform {

inline constexpr char16_t WC_LISTVIEWW[] = u"SysListView32";
inline constexpr char WC_LISTVIEWA[] = "SysListView32";

// ---- styles ---------------------------------------------------------------------------------

constexpr DWORD LVS_ICON = 0x0000;
constexpr DWORD LVS_REPORT = 0x0001;
constexpr DWORD LVS_SMALLICON = 0x0002;
constexpr DWORD LVS_LIST = 0x0003;
constexpr DWORD LVS_TYPEMASK = 0x0003;
constexpr DWORD LVS_SINGLESEL = 0x0004;
constexpr DWORD LVS_SHOWSELALWAYS = 0x0008;
constexpr DWORD LVS_SORTASCENDING = 0x0010;
constexpr DWORD LVS_SORTDESCENDING = 0x0020;
constexpr DWORD LVS_SHAREIMAGELISTS = 0x0040;  // the control never destroys its image lists
constexpr DWORD LVS_NOLABELWRAP = 0x0080;
constexpr DWORD LVS_AUTOARRANGE = 0x0100;
constexpr DWORD LVS_EDITLABELS = 0x0200;
constexpr DWORD LVS_OWNERDRAWFIXED = 0x0400;   // report rows drawn by the parent (WM_DRAWITEM)
constexpr DWORD LVS_ALIGNTOP = 0x0000;
constexpr DWORD LVS_ALIGNLEFT = 0x0800;
constexpr DWORD LVS_ALIGNMASK = 0x0C00;
constexpr DWORD LVS_OWNERDATA = 0x1000;
constexpr DWORD LVS_NOSCROLL = 0x2000;
constexpr DWORD LVS_NOCOLUMNHEADER = 0x4000;
constexpr DWORD LVS_NOSORTHEADER = 0x8000;
constexpr DWORD LVS_TYPESTYLEMASK = 0xFC00;

// Extended styles (LVM_SETEXTENDEDLISTVIEWSTYLE).
constexpr DWORD LVS_EX_GRIDLINES = 0x00000001;
constexpr DWORD LVS_EX_SUBITEMIMAGES = 0x00000002;
constexpr DWORD LVS_EX_CHECKBOXES = 0x00000004;
constexpr DWORD LVS_EX_TRACKSELECT = 0x00000008;
constexpr DWORD LVS_EX_HEADERDRAGDROP = 0x00000010;
constexpr DWORD LVS_EX_FULLROWSELECT = 0x00000020;
constexpr DWORD LVS_EX_ONECLICKACTIVATE = 0x00000040;
constexpr DWORD LVS_EX_TWOCLICKACTIVATE = 0x00000080;
constexpr DWORD LVS_EX_FLATSB = 0x00000100;
constexpr DWORD LVS_EX_REGIONAL = 0x00000200;
constexpr DWORD LVS_EX_INFOTIP = 0x00000400;
constexpr DWORD LVS_EX_UNDERLINEHOT = 0x00000800;
constexpr DWORD LVS_EX_UNDERLINECOLD = 0x00001000;
constexpr DWORD LVS_EX_MULTIWORKAREAS = 0x00002000;
constexpr DWORD LVS_EX_LABELTIP = 0x00004000;
constexpr DWORD LVS_EX_BORDERSELECT = 0x00008000;
constexpr DWORD LVS_EX_DOUBLEBUFFER = 0x00010000;
constexpr DWORD LVS_EX_HIDELABELS = 0x00020000;
constexpr DWORD LVS_EX_SINGLEROW = 0x00040000;
constexpr DWORD LVS_EX_SNAPTOGRID = 0x00080000;
constexpr DWORD LVS_EX_SIMPLESELECT = 0x00100000;
constexpr DWORD LVS_EX_JUSTIFYCOLUMNS = 0x00200000;
constexpr DWORD LVS_EX_TRANSPARENTBKGND = 0x00400000;
constexpr DWORD LVS_EX_TRANSPARENTSHADOWTEXT = 0x00800000;
constexpr DWORD LVS_EX_AUTOAUTOARRANGE = 0x01000000;
constexpr DWORD LVS_EX_HEADERINALLVIEWS = 0x02000000;
constexpr DWORD LVS_EX_AUTOCHECKSELECT = 0x08000000;
constexpr DWORD LVS_EX_AUTOSIZECOLUMNS = 0x10000000;
constexpr DWORD LVS_EX_COLUMNSNAPPOINTS = 0x40000000;
constexpr DWORD LVS_EX_COLUMNOVERFLOW = 0x80000000;

// ---- items ----------------------------------------------------------------------------------

constexpr UINT LVIF_TEXT = 0x00000001;
constexpr UINT LVIF_IMAGE = 0x00000002;
constexpr UINT LVIF_PARAM = 0x00000004;
constexpr UINT LVIF_STATE = 0x00000008;
constexpr UINT LVIF_INDENT = 0x00000010;
constexpr UINT LVIF_GROUPID = 0x00000100;
constexpr UINT LVIF_COLUMNS = 0x00000200;
constexpr UINT LVIF_NORECOMPUTE = 0x00000800;
constexpr UINT LVIF_DI_SETITEM = 0x00001000;  // a GETDISPINFO answer asks the control to keep it
constexpr UINT LVIF_COLFMT = 0x00010000;

constexpr UINT LVIS_FOCUSED = 0x0001;
constexpr UINT LVIS_SELECTED = 0x0002;
constexpr UINT LVIS_CUT = 0x0004;
constexpr UINT LVIS_DROPHILITED = 0x0008;
constexpr UINT LVIS_GLOW = 0x0010;
constexpr UINT LVIS_ACTIVATING = 0x0020;
constexpr UINT LVIS_OVERLAYMASK = 0x0F00;     // overlay image n at bits 8 to 11
constexpr UINT LVIS_STATEIMAGEMASK = 0xF000;  // state image n at bits 12 to 15 (0: none)

constexpr int I_INDENTCALLBACK = -1;
constexpr int I_GROUPIDCALLBACK = -1;
constexpr int I_GROUPIDNONE = -2;
constexpr int I_COLUMNSCALLBACK = -1;
inline LPSTR const LPSTR_TEXTCALLBACK = LPSTR_TEXTCALLBACKA;

// An item or sub-item. iItem is the row, iSubItem the column (0: the item itself). pszText may
// be LPSTR_TEXTCALLBACK and iImage I_IMAGECALLBACK: the parent then answers LVN_GETDISPINFO.
struct LVITEMW {
  UINT mask;
  int iItem;
  int iSubItem;
  UINT state;
  UINT stateMask;
  LPWSTR pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
  int iIndent;
  int iGroupId;
  UINT cColumns;
  UINT* puColumns;
  int* piColFmt;
  int iGroup;
};

struct LVITEMA {
  UINT mask;
  int iItem;
  int iSubItem;
  UINT state;
  UINT stateMask;
  LPSTR pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
  int iIndent;
  int iGroupId;
  UINT cColumns;
  UINT* puColumns;
  int* piColFmt;
  int iGroup;
};

using LVITEM = LVITEMA;

// ---- columns --------------------------------------------------------------------------------

constexpr UINT LVCF_FMT = 0x0001;
constexpr UINT LVCF_WIDTH = 0x0002;
constexpr UINT LVCF_TEXT = 0x0004;
constexpr UINT LVCF_SUBITEM = 0x0008;
constexpr UINT LVCF_IMAGE = 0x0010;
constexpr UINT LVCF_ORDER = 0x0020;
constexpr UINT LVCF_MINWIDTH = 0x0040;
constexpr UINT LVCF_DEFAULTWIDTH = 0x0080;
constexpr UINT LVCF_IDEALWIDTH = 0x0100;

constexpr int LVCFMT_LEFT = 0x0000;
constexpr int LVCFMT_RIGHT = 0x0001;
constexpr int LVCFMT_CENTER = 0x0002;
constexpr int LVCFMT_JUSTIFYMASK = 0x0003;
constexpr int LVCFMT_IMAGE = 0x0800;
constexpr int LVCFMT_BITMAP_ON_RIGHT = 0x1000;
constexpr int LVCFMT_COL_HAS_IMAGES = 0x8000;

struct LVCOLUMNW {
  UINT mask;
  int fmt;
  int cx;
  LPWSTR pszText;
  int cchTextMax;
  int iSubItem;
  int iImage;
  int iOrder;
  int cxMin;
  int cxDefault;
  int cxIdeal;
};

struct LVCOLUMNA {
  UINT mask;
  int fmt;
  int cx;
  LPSTR pszText;
  int cchTextMax;
  int iSubItem;
  int iImage;
  int iOrder;
  int cxMin;
  int cxDefault;
  int cxIdeal;
};

using LVCOLUMN = LVCOLUMNA;

// LVM_SETCOLUMNWIDTH's width: fit the widest text, or (the last column) fill the client width /
// fit the widest text and the header's caption.
constexpr int LVSCW_AUTOSIZE = -1;
constexpr int LVSCW_AUTOSIZE_USEHEADER = -2;

// ---- groups ---------------------------------------------------------------------------------

constexpr UINT LVGF_NONE = 0x00000000;
constexpr UINT LVGF_HEADER = 0x00000001;
constexpr UINT LVGF_FOOTER = 0x00000002;
constexpr UINT LVGF_STATE = 0x00000004;
constexpr UINT LVGF_ALIGN = 0x00000008;
constexpr UINT LVGF_GROUPID = 0x00000010;
constexpr UINT LVGF_SUBTITLE = 0x00000100;
constexpr UINT LVGF_TASK = 0x00000200;
constexpr UINT LVGF_DESCRIPTIONTOP = 0x00000400;
constexpr UINT LVGF_DESCRIPTIONBOTTOM = 0x00000800;
constexpr UINT LVGF_TITLEIMAGE = 0x00001000;
constexpr UINT LVGF_EXTENDEDIMAGE = 0x00002000;
constexpr UINT LVGF_ITEMS = 0x00004000;
constexpr UINT LVGF_SUBSET = 0x00008000;
constexpr UINT LVGF_SUBSETITEMS = 0x00010000;

// Group states as this program's list view sends them: hidden 1, collapsed 2 (the order in
// which its group state set names them).
constexpr UINT LVGS_NORMAL = 0x00000000;
constexpr UINT LVGS_HIDDEN = 0x00000001;
constexpr UINT LVGS_COLLAPSED = 0x00000002;
constexpr UINT LVGS_NOHEADER = 0x00000004;
constexpr UINT LVGS_COLLAPSIBLE = 0x00000008;
constexpr UINT LVGS_FOCUSED = 0x00000010;
constexpr UINT LVGS_SELECTED = 0x00000020;
constexpr UINT LVGS_SUBSETED = 0x00000040;
constexpr UINT LVGS_SUBSETLINKFOCUSED = 0x00000080;

constexpr UINT LVGA_HEADER_LEFT = 0x00000001;
constexpr UINT LVGA_HEADER_CENTER = 0x00000002;
constexpr UINT LVGA_HEADER_RIGHT = 0x00000004;
constexpr UINT LVGA_FOOTER_LEFT = 0x00000008;
constexpr UINT LVGA_FOOTER_CENTER = 0x00000010;
constexpr UINT LVGA_FOOTER_RIGHT = 0x00000020;

// A group. Texts are UTF-16 whichever procedure sends the message. cbSize: sizeof(LVGROUP);
// any value of at least LVGROUP_V6_MINSIZE (the 96 of the 32-bit record) is read in full,
// smaller ones only up to uAlign.
struct LVGROUP {
  UINT cbSize;
  UINT mask;
  LPWSTR pszHeader;
  int cchHeader;
  LPWSTR pszFooter;
  int cchFooter;
  int iGroupId;
  UINT stateMask;
  UINT state;
  UINT uAlign;
  LPWSTR pszSubtitle;
  UINT cchSubtitle;
  LPWSTR pszTask;
  UINT cchTask;
  LPWSTR pszDescriptionTop;
  UINT cchDescriptionTop;
  LPWSTR pszDescriptionBottom;
  UINT cchDescriptionBottom;
  int iTitleImage;
  int iExtendedImage;
  int iFirstItem;
  UINT cItems;
  LPWSTR pszSubsetTitle;
  UINT cchSubsetTitle;
};
constexpr UINT LVGROUP_V6_MINSIZE = 96;

// ---- finding, hit testing, geometry ---------------------------------------------------------

constexpr UINT LVNI_ALL = 0x0000;
constexpr UINT LVNI_FOCUSED = 0x0001;
constexpr UINT LVNI_SELECTED = 0x0002;
constexpr UINT LVNI_CUT = 0x0004;
constexpr UINT LVNI_DROPHILITED = 0x0008;
constexpr UINT LVNI_STATEMASK = 0x000F;
constexpr UINT LVNI_ABOVE = 0x0100;
constexpr UINT LVNI_BELOW = 0x0200;
constexpr UINT LVNI_TOLEFT = 0x0400;
constexpr UINT LVNI_TORIGHT = 0x0800;
constexpr UINT LVNI_DIRECTIONMASK = 0x0F00;

constexpr UINT LVFI_PARAM = 0x0001;
constexpr UINT LVFI_STRING = 0x0002;
constexpr UINT LVFI_SUBSTRING = 0x0004;
constexpr UINT LVFI_PARTIAL = 0x0008;  // the item's text starts with psz (case-insensitive)
constexpr UINT LVFI_WRAP = 0x0020;     // continue from the top after the last item
constexpr UINT LVFI_NEARESTXY = 0x0040;

struct LVFINDINFOW {
  UINT flags;
  LPCWSTR psz;
  LPARAM lParam;
  POINT pt;
  UINT vkDirection;  // VK_LEFT/RIGHT/UP/DOWN (with LVFI_NEARESTXY); 0 any direction
};

struct LVFINDINFOA {
  UINT flags;
  LPCSTR psz;
  LPARAM lParam;
  POINT pt;
  UINT vkDirection;
};

using LVFINDINFO = LVFINDINFOA;

constexpr int LVIR_BOUNDS = 0;
constexpr int LVIR_ICON = 1;
constexpr int LVIR_LABEL = 2;
constexpr int LVIR_SELECTBOUNDS = 3;

constexpr UINT LVHT_NOWHERE = 0x00000001;
constexpr UINT LVHT_ONITEMICON = 0x00000002;
constexpr UINT LVHT_ONITEMLABEL = 0x00000004;
constexpr UINT LVHT_ONITEMSTATEICON = 0x00000008;
constexpr UINT LVHT_ONITEM = LVHT_ONITEMICON | LVHT_ONITEMLABEL | LVHT_ONITEMSTATEICON;
constexpr UINT LVHT_ABOVE = 0x00000008;
constexpr UINT LVHT_BELOW = 0x00000010;
constexpr UINT LVHT_TORIGHT = 0x00000020;
constexpr UINT LVHT_TOLEFT = 0x00000040;
constexpr UINT LVHT_EX_GROUP_HEADER = 0x10000000;
constexpr UINT LVHT_EX_GROUP_FOOTER = 0x20000000;
constexpr UINT LVHT_EX_GROUP = LVHT_EX_GROUP_HEADER | LVHT_EX_GROUP_FOOTER;

struct LVHITTESTINFO {
  POINT pt;  // client coordinates
  UINT flags;
  int iItem;  // -1 when none
  int iSubItem;
  int iGroup;
};

constexpr WPARAM LVA_DEFAULT = 0x0000;
constexpr WPARAM LVA_ALIGNLEFT = 0x0001;
constexpr WPARAM LVA_ALIGNTOP = 0x0002;
constexpr WPARAM LVA_SNAPTOGRID = 0x0005;

constexpr WPARAM LVSIL_NORMAL = 0;
constexpr WPARAM LVSIL_SMALL = 1;
constexpr WPARAM LVSIL_STATE = 2;
constexpr WPARAM LVSIL_GROUPHEADER = 3;

constexpr LPARAM LVSICF_NOINVALIDATEALL = 0x00000001;
constexpr LPARAM LVSICF_NOSCROLL = 0x00000002;

// The insert mark: a line before or after an item (LVIM_AFTER), -1 none.
constexpr DWORD LVIM_AFTER = 0x00000001;

struct LVINSERTMARK {
  UINT cbSize;
  DWORD dwFlags;
  int iItem;
  DWORD dwReserved;
};

// ---- messages -------------------------------------------------------------------------------

constexpr UINT LVM_FIRST = 0x1000;
constexpr UINT LVM_GETBKCOLOR = LVM_FIRST + 0;
constexpr UINT LVM_SETBKCOLOR = LVM_FIRST + 1;           // lParam COLORREF (CLR_NONE: the parent shows through)
constexpr UINT LVM_GETIMAGELIST = LVM_FIRST + 2;         // wParam LVSIL_*
constexpr UINT LVM_SETIMAGELIST = LVM_FIRST + 3;         // wParam LVSIL_*, lParam list; the previous list
constexpr UINT LVM_GETITEMCOUNT = LVM_FIRST + 4;
constexpr UINT LVM_GETITEMA = LVM_FIRST + 5;             // lParam LVITEM* with iItem, iSubItem, mask
constexpr UINT LVM_SETITEMA = LVM_FIRST + 6;
constexpr UINT LVM_INSERTITEMA = LVM_FIRST + 7;          // lParam LVITEM*; the row or -1
constexpr UINT LVM_DELETEITEM = LVM_FIRST + 8;           // wParam row
constexpr UINT LVM_DELETEALLITEMS = LVM_FIRST + 9;
constexpr UINT LVM_GETCALLBACKMASK = LVM_FIRST + 10;
constexpr UINT LVM_SETCALLBACKMASK = LVM_FIRST + 11;     // wParam the LVIS_ bits the parent keeps
constexpr UINT LVM_GETNEXTITEM = LVM_FIRST + 12;         // wParam start (-1: from the top), lParam LVNI_*
constexpr UINT LVM_FINDITEMA = LVM_FIRST + 13;           // wParam start (-1), lParam LVFINDINFO*
constexpr UINT LVM_GETITEMRECT = LVM_FIRST + 14;         // wParam row, lParam RECT* (left = LVIR_*)
constexpr UINT LVM_SETITEMPOSITION = LVM_FIRST + 15;     // wParam row, lParam MAKELPARAM(x, y)
constexpr UINT LVM_GETITEMPOSITION = LVM_FIRST + 16;     // wParam row, lParam POINT*
constexpr UINT LVM_GETSTRINGWIDTHA = LVM_FIRST + 17;
constexpr UINT LVM_HITTEST = LVM_FIRST + 18;             // lParam LVHITTESTINFO*; the row or -1
constexpr UINT LVM_ENSUREVISIBLE = LVM_FIRST + 19;       // wParam row, lParam partial ok
constexpr UINT LVM_SCROLL = LVM_FIRST + 20;              // wParam dx, lParam dy (pixels; report: dy in pixels rounded to rows)
constexpr UINT LVM_REDRAWITEMS = LVM_FIRST + 21;         // wParam first, lParam last
constexpr UINT LVM_ARRANGE = LVM_FIRST + 22;             // wParam LVA_*
constexpr UINT LVM_EDITLABELA = LVM_FIRST + 23;          // wParam row (-1 ends an edit); the edit window
constexpr UINT LVM_GETEDITCONTROL = LVM_FIRST + 24;
constexpr UINT LVM_GETCOLUMNA = LVM_FIRST + 25;          // wParam column, lParam LVCOLUMN*
constexpr UINT LVM_SETCOLUMNA = LVM_FIRST + 26;
constexpr UINT LVM_INSERTCOLUMNA = LVM_FIRST + 27;       // wParam index; the index or -1
constexpr UINT LVM_DELETECOLUMN = LVM_FIRST + 28;
constexpr UINT LVM_GETCOLUMNWIDTH = LVM_FIRST + 29;
constexpr UINT LVM_SETCOLUMNWIDTH = LVM_FIRST + 30;      // wParam column, lParam width or LVSCW_*
constexpr UINT LVM_GETHEADER = LVM_FIRST + 31;
constexpr UINT LVM_CREATEDRAGIMAGE = LVM_FIRST + 33;     // wParam row, lParam POINT* (the image's top left); a new image list
constexpr UINT LVM_GETVIEWRECT = LVM_FIRST + 34;         // lParam RECT*: the items' bounds (icon views)
constexpr UINT LVM_GETTEXTCOLOR = LVM_FIRST + 35;
constexpr UINT LVM_SETTEXTCOLOR = LVM_FIRST + 36;
constexpr UINT LVM_GETTEXTBKCOLOR = LVM_FIRST + 37;
constexpr UINT LVM_SETTEXTBKCOLOR = LVM_FIRST + 38;      // lParam COLORREF (CLR_NONE: transparent)
constexpr UINT LVM_GETTOPINDEX = LVM_FIRST + 39;
constexpr UINT LVM_GETCOUNTPERPAGE = LVM_FIRST + 40;
constexpr UINT LVM_GETORIGIN = LVM_FIRST + 41;           // lParam POINT*: the view's scroll origin
constexpr UINT LVM_UPDATE = LVM_FIRST + 42;              // wParam row
constexpr UINT LVM_SETITEMSTATE = LVM_FIRST + 43;        // wParam row (-1: all), lParam LVITEM* (state, stateMask)
constexpr UINT LVM_GETITEMSTATE = LVM_FIRST + 44;        // wParam row, lParam mask
constexpr UINT LVM_GETITEMTEXTA = LVM_FIRST + 45;        // wParam row, lParam LVITEM* (iSubItem, pszText, cchTextMax); the length
constexpr UINT LVM_SETITEMTEXTA = LVM_FIRST + 46;        // wParam row, lParam LVITEM* (iSubItem, pszText)
constexpr UINT LVM_SETITEMCOUNT = LVM_FIRST + 47;        // wParam count, lParam LVSICF_*
constexpr UINT LVM_SORTITEMS = LVM_FIRST + 48;           // wParam lParamSort, lParam PFNLVCOMPARE
constexpr UINT LVM_SETITEMPOSITION32 = LVM_FIRST + 49;   // wParam row, lParam POINT*
constexpr UINT LVM_GETSELECTEDCOUNT = LVM_FIRST + 50;
constexpr UINT LVM_GETITEMSPACING = LVM_FIRST + 51;      // wParam TRUE: small icons; MAKELONG(cx, cy)
constexpr UINT LVM_GETISEARCHSTRINGA = LVM_FIRST + 52;
constexpr UINT LVM_SETICONSPACING = LVM_FIRST + 53;      // lParam MAKELPARAM(cx, cy), -1: the default; the previous
constexpr UINT LVM_SETEXTENDEDLISTVIEWSTYLE = LVM_FIRST + 54;  // wParam mask (0: all), lParam styles; the previous
constexpr UINT LVM_GETEXTENDEDLISTVIEWSTYLE = LVM_FIRST + 55;
constexpr UINT LVM_GETSUBITEMRECT = LVM_FIRST + 56;      // wParam row, lParam RECT* (top = sub-item, left = LVIR_*)
constexpr UINT LVM_SUBITEMHITTEST = LVM_FIRST + 57;      // lParam LVHITTESTINFO*
constexpr UINT LVM_SETCOLUMNORDERARRAY = LVM_FIRST + 58; // wParam count, lParam int[count]
constexpr UINT LVM_GETCOLUMNORDERARRAY = LVM_FIRST + 59;
constexpr UINT LVM_SETHOTITEM = LVM_FIRST + 60;
constexpr UINT LVM_GETHOTITEM = LVM_FIRST + 61;
constexpr UINT LVM_SETHOTCURSOR = LVM_FIRST + 62;
constexpr UINT LVM_GETHOTCURSOR = LVM_FIRST + 63;
constexpr UINT LVM_APPROXIMATEVIEWRECT = LVM_FIRST + 64;
constexpr UINT LVM_SETWORKAREAS = LVM_FIRST + 65;        // wParam count, lParam RECT[count]
constexpr UINT LVM_GETSELECTIONMARK = LVM_FIRST + 66;
constexpr UINT LVM_SETSELECTIONMARK = LVM_FIRST + 67;
constexpr UINT LVM_GETWORKAREAS = LVM_FIRST + 70;        // wParam count, lParam RECT[count]
constexpr UINT LVM_SETHOVERTIME = LVM_FIRST + 71;        // lParam ms (-1: the system's); the previous
constexpr UINT LVM_GETHOVERTIME = LVM_FIRST + 72;
constexpr UINT LVM_GETNUMBEROFWORKAREAS = LVM_FIRST + 73;  // lParam UINT*
constexpr UINT LVM_SETTOOLTIPS = LVM_FIRST + 74;
constexpr UINT LVM_GETITEMW = LVM_FIRST + 75;
constexpr UINT LVM_SETITEMW = LVM_FIRST + 76;
constexpr UINT LVM_INSERTITEMW = LVM_FIRST + 77;
constexpr UINT LVM_GETTOOLTIPS = LVM_FIRST + 78;
constexpr UINT LVM_SORTITEMSEX = LVM_FIRST + 81;         // as SORTITEMS, the compare gets row indexes
constexpr UINT LVM_FINDITEMW = LVM_FIRST + 83;
constexpr UINT LVM_GETSTRINGWIDTHW = LVM_FIRST + 87;
constexpr UINT LVM_GETGROUPSTATE = LVM_FIRST + 92;       // wParam group id, lParam mask; the state bits
constexpr UINT LVM_GETFOCUSEDGROUP = LVM_FIRST + 93;
constexpr UINT LVM_GETCOLUMNW = LVM_FIRST + 95;
constexpr UINT LVM_SETCOLUMNW = LVM_FIRST + 96;
constexpr UINT LVM_INSERTCOLUMNW = LVM_FIRST + 97;
constexpr UINT LVM_GETGROUPRECT = LVM_FIRST + 98;
constexpr UINT LVM_GETITEMTEXTW = LVM_FIRST + 115;
constexpr UINT LVM_SETITEMTEXTW = LVM_FIRST + 116;
constexpr UINT LVM_GETISEARCHSTRINGW = LVM_FIRST + 117;
constexpr UINT LVM_EDITLABELW = LVM_FIRST + 118;
constexpr UINT LVM_SETSELECTEDCOLUMN = LVM_FIRST + 140;
constexpr UINT LVM_SETVIEW = LVM_FIRST + 142;
constexpr UINT LVM_GETVIEW = LVM_FIRST + 143;
constexpr UINT LVM_INSERTGROUP = LVM_FIRST + 145;        // wParam index (-1: the end), lParam LVGROUP*; the index or -1
constexpr UINT LVM_SETGROUPINFO = LVM_FIRST + 147;       // wParam group id, lParam LVGROUP*
constexpr UINT LVM_GETGROUPINFO = LVM_FIRST + 149;       // wParam group id, lParam LVGROUP*
constexpr UINT LVM_REMOVEGROUP = LVM_FIRST + 150;        // wParam group id; the index or -1
constexpr UINT LVM_MOVEGROUP = LVM_FIRST + 151;
constexpr UINT LVM_GETGROUPCOUNT = LVM_FIRST + 152;
constexpr UINT LVM_GETGROUPINFOBYINDEX = LVM_FIRST + 153;
constexpr UINT LVM_MOVEITEMTOGROUP = LVM_FIRST + 154;
constexpr UINT LVM_ENABLEGROUPVIEW = LVM_FIRST + 157;    // wParam on; 0 unchanged, 1 changed, -1 failed
constexpr UINT LVM_REMOVEALLGROUPS = LVM_FIRST + 160;
constexpr UINT LVM_HASGROUP = LVM_FIRST + 161;
constexpr UINT LVM_SETINSERTMARK = LVM_FIRST + 166;      // lParam LVINSERTMARK*
constexpr UINT LVM_GETINSERTMARK = LVM_FIRST + 167;      // lParam LVINSERTMARK*
constexpr UINT LVM_INSERTMARKHITTEST = LVM_FIRST + 168;  // wParam POINT*, lParam LVINSERTMARK* (out)
constexpr UINT LVM_GETINSERTMARKRECT = LVM_FIRST + 169;  // lParam RECT*
constexpr UINT LVM_SETINSERTMARKCOLOR = LVM_FIRST + 170; // lParam COLORREF; the previous
constexpr UINT LVM_GETINSERTMARKCOLOR = LVM_FIRST + 171;
constexpr UINT LVM_SETINFOTIP = LVM_FIRST + 173;
constexpr UINT LVM_GETSELECTEDCOLUMN = LVM_FIRST + 174;
constexpr UINT LVM_ISGROUPVIEWENABLED = LVM_FIRST + 175;
constexpr UINT LVM_GETOUTLINECOLOR = LVM_FIRST + 176;
constexpr UINT LVM_SETOUTLINECOLOR = LVM_FIRST + 177;    // lParam COLORREF (border-select frames); the previous
constexpr UINT LVM_CANCELEDITLABEL = LVM_FIRST + 179;
constexpr UINT LVM_MAPINDEXTOID = LVM_FIRST + 180;
constexpr UINT LVM_MAPIDTOINDEX = LVM_FIRST + 181;
constexpr UINT LVM_ISITEMVISIBLE = LVM_FIRST + 182;

constexpr UINT LVM_GETITEM = LVM_GETITEMA;
constexpr UINT LVM_SETITEM = LVM_SETITEMA;
constexpr UINT LVM_INSERTITEM = LVM_INSERTITEMA;
constexpr UINT LVM_FINDITEM = LVM_FINDITEMA;
constexpr UINT LVM_EDITLABEL = LVM_EDITLABELA;
constexpr UINT LVM_GETCOLUMN = LVM_GETCOLUMNA;
constexpr UINT LVM_SETCOLUMN = LVM_SETCOLUMNA;
constexpr UINT LVM_INSERTCOLUMN = LVM_INSERTCOLUMNA;
constexpr UINT LVM_GETITEMTEXT = LVM_GETITEMTEXTA;
constexpr UINT LVM_SETITEMTEXT = LVM_SETITEMTEXTA;
constexpr UINT LVM_GETSTRINGWIDTH = LVM_GETSTRINGWIDTHA;

// LVM_SETVIEW / GETVIEW.
constexpr DWORD LV_VIEW_ICON = 0x0000;
constexpr DWORD LV_VIEW_DETAILS = 0x0001;
constexpr DWORD LV_VIEW_SMALLICON = 0x0002;
constexpr DWORD LV_VIEW_LIST = 0x0003;
constexpr DWORD LV_VIEW_TILE = 0x0004;

// LVM_SORTITEMS: compares two items' lParams (SORTITEMSEX: their rows); negative, zero or
// positive.
using PFNLVCOMPARE = int (*)(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);

// ---- notifications --------------------------------------------------------------------------

constexpr UINT LVN_ITEMCHANGING = LVN_FIRST - 0;    // NMLISTVIEW; non-zero answer refuses
constexpr UINT LVN_ITEMCHANGED = LVN_FIRST - 1;     // NMLISTVIEW (iItem -1: every item)
constexpr UINT LVN_INSERTITEM = LVN_FIRST - 2;      // NMLISTVIEW
constexpr UINT LVN_DELETEITEM = LVN_FIRST - 3;      // NMLISTVIEW with the item's lParam
constexpr UINT LVN_DELETEALLITEMS = LVN_FIRST - 4;  // non-zero answer: no LVN_DELETEITEM per item
constexpr UINT LVN_BEGINLABELEDITA = LVN_FIRST - 5; // NMLVDISPINFO; non-zero answer refuses
constexpr UINT LVN_ENDLABELEDITA = LVN_FIRST - 6;   // NMLVDISPINFO (pszText null: cancelled); non-zero keeps
constexpr UINT LVN_COLUMNCLICK = LVN_FIRST - 8;     // NMLISTVIEW, iSubItem the column
constexpr UINT LVN_BEGINDRAG = LVN_FIRST - 9;       // NMLISTVIEW, ptAction
constexpr UINT LVN_BEGINRDRAG = LVN_FIRST - 11;
constexpr UINT LVN_ODCACHEHINT = LVN_FIRST - 13;    // NMLVCACHEHINT
constexpr UINT LVN_ITEMACTIVATE = LVN_FIRST - 14;   // NMITEMACTIVATE
constexpr UINT LVN_ODSTATECHANGED = LVN_FIRST - 15; // NMLVODSTATECHANGE
constexpr UINT LVN_HOTTRACK = LVN_FIRST - 21;       // NMLISTVIEW; non-zero answer keeps the hot item
constexpr UINT LVN_GETDISPINFOA = LVN_FIRST - 50;   // NMLVDISPINFO: fill what item.mask asks
constexpr UINT LVN_SETDISPINFOA = LVN_FIRST - 51;
constexpr UINT LVN_ODFINDITEMA = LVN_FIRST - 52;    // NMLVFINDITEM; the row or -1
constexpr UINT LVN_KEYDOWN = LVN_FIRST - 55;        // NMLVKEYDOWN
constexpr UINT LVN_MARQUEEBEGIN = LVN_FIRST - 56;   // non-zero answer refuses the marquee
constexpr UINT LVN_GETINFOTIPA = LVN_FIRST - 57;    // NMLVGETINFOTIP
constexpr UINT LVN_GETINFOTIPW = LVN_FIRST - 58;
constexpr UINT LVN_INCREMENTALSEARCHA = LVN_FIRST - 62;
constexpr UINT LVN_INCREMENTALSEARCHW = LVN_FIRST - 63;
constexpr UINT LVN_BEGINLABELEDITW = LVN_FIRST - 75;
constexpr UINT LVN_ENDLABELEDITW = LVN_FIRST - 76;
constexpr UINT LVN_GETDISPINFOW = LVN_FIRST - 77;
constexpr UINT LVN_SETDISPINFOW = LVN_FIRST - 78;
constexpr UINT LVN_ODFINDITEMW = LVN_FIRST - 79;
constexpr UINT LVN_BEGINSCROLL = LVN_FIRST - 80;
constexpr UINT LVN_ENDSCROLL = LVN_FIRST - 81;

constexpr UINT LVN_BEGINLABELEDIT = LVN_BEGINLABELEDITA;
constexpr UINT LVN_ENDLABELEDIT = LVN_ENDLABELEDITA;
constexpr UINT LVN_GETDISPINFO = LVN_GETDISPINFOA;
constexpr UINT LVN_SETDISPINFO = LVN_SETDISPINFOA;
constexpr UINT LVN_ODFINDITEM = LVN_ODFINDITEMA;
constexpr UINT LVN_GETINFOTIP = LVN_GETINFOTIPA;

// ITEMCHANGING/ED (uChanged LVIF_*, states), INSERTITEM, DELETEITEM (lParam), COLUMNCLICK
// (iSubItem), BEGINDRAG (iItem, ptAction).
struct NMLISTVIEW {
  NMHDR hdr;
  int iItem;
  int iSubItem;
  UINT uNewState;
  UINT uOldState;
  UINT uChanged;
  POINT ptAction;
  LPARAM lParam;
};

constexpr UINT LVKF_ALT = 0x0001;
constexpr UINT LVKF_CONTROL = 0x0002;
constexpr UINT LVKF_SHIFT = 0x0004;

// NM_CLICK, NM_DBLCLK, NM_RCLICK, LVN_ITEMACTIVATE: the row and column under the pointer
// (iItem -1 when none) and the modifier keys (LVKF_*).
struct NMITEMACTIVATE {
  NMHDR hdr;
  int iItem;
  int iSubItem;
  UINT uNewState;
  UINT uOldState;
  UINT uChanged;
  POINT ptAction;
  LPARAM lParam;
  UINT uKeyFlags;
};

struct NMLVDISPINFOW {
  NMHDR hdr;
  LVITEMW item;
};

struct NMLVDISPINFOA {
  NMHDR hdr;
  LVITEMA item;
};

using NMLVDISPINFO = NMLVDISPINFOA;

struct NMLVKEYDOWN {
  NMHDR hdr;
  WORD wVKey;
  UINT flags;
};

// Owner data: the rows iFrom..iTo are about to be painted.
struct NMLVCACHEHINT {
  NMHDR hdr;
  int iFrom;
  int iTo;
};

// Owner data: the state of rows iFrom..iTo changed from uOldState to uNewState.
struct NMLVODSTATECHANGE {
  NMHDR hdr;
  int iFrom;
  int iTo;
  UINT uNewState;
  UINT uOldState;
};

// Owner data: find the item lvfi describes, starting at iStart; answer its row or -1.
struct NMLVFINDITEMW {
  NMHDR hdr;
  int iStart;
  LVFINDINFOW lvfi;
};

struct NMLVFINDITEMA {
  NMHDR hdr;
  int iStart;
  LVFINDINFOA lvfi;
};

using NMLVFINDITEM = NMLVFINDITEMA;

constexpr DWORD LVGIT_UNFOLDED = 0x0001;

struct NMLVGETINFOTIPW {
  NMHDR hdr;
  DWORD dwFlags;
  LPWSTR pszText;
  int cchTextMax;
  int iItem;
  int iSubItem;
  LPARAM lParam;
};

struct NMLVGETINFOTIPA {
  NMHDR hdr;
  DWORD dwFlags;
  LPSTR pszText;
  int cchTextMax;
  int iItem;
  int iSubItem;
  LPARAM lParam;
};

using NMLVGETINFOTIP = NMLVGETINFOTIPA;

struct NMLVSCROLL {
  NMHDR hdr;
  int dx;
  int dy;
};

// NM_CUSTOMDRAW: CDDS_PREPAINT / POSTPAINT (and PREERASE / POSTERASE) for the control;
// CDDS_ITEMPREPAINT / POSTPAINT per row (dwItemSpec the row, lItemlParam its lParam, rc its
// bounds); with CDRF_NOTIFYSUBITEMDRAW, CDDS_SUBITEM | CDDS_ITEMPREPAINT per cell in report
// view (iSubItem). An answer may change clrText, clrTextBk and the DC's font (CDRF_NEWFONT).
struct NMLVCUSTOMDRAW {
  NMCUSTOMDRAW nmcd;
  COLORREF clrText;
  COLORREF clrTextBk;
  int iSubItem;
  DWORD dwItemType;
  COLORREF clrFace;
  int iIconEffect;
  int iIconPhase;
  int iPartId;
  int iStateId;
  RECT rcText;
  UINT uAlign;
};

constexpr DWORD LVCDI_ITEM = 0x00000000;
constexpr DWORD LVCDI_GROUP = 0x00000001;
constexpr DWORD LVCDI_ITEMSLIST = 0x00000002;

// ---- helpers --------------------------------------------------------------------------------

namespace listview_helpers {
inline LRESULT Send(HWND list, UINT msg, WPARAM wParam, LPARAM lParam) {
  return SendMessageW(list, msg, wParam, lParam);
}
template <class T>
inline LPARAM Ptr(T* pointer) {
  return reinterpret_cast<LPARAM>(pointer);
}
}  // namespace listview_helpers

inline COLORREF ListView_GetBkColor(HWND list) {
  return static_cast<COLORREF>(listview_helpers::Send(list, LVM_GETBKCOLOR, 0, 0));
}
inline BOOL ListView_SetBkColor(HWND list, COLORREF colour) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(colour)));
}
inline HIMAGELIST ListView_GetImageList(HWND list, WPARAM which) {
  return reinterpret_cast<HIMAGELIST>(listview_helpers::Send(list, LVM_GETIMAGELIST, which, 0));
}
inline HIMAGELIST ListView_SetImageList(HWND list, HIMAGELIST images, WPARAM which) {
  return reinterpret_cast<HIMAGELIST>(listview_helpers::Send(list, LVM_SETIMAGELIST, which, listview_helpers::Ptr(images)));
}
inline int ListView_GetItemCount(HWND list) {
  return static_cast<int>(listview_helpers::Send(list, LVM_GETITEMCOUNT, 0, 0));
}
inline BOOL ListView_GetItem(HWND list, LVITEMA* item) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_GETITEMA, 0, listview_helpers::Ptr(item)));
}
inline BOOL ListView_GetItem(HWND list, LVITEMW* item) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_GETITEMW, 0, listview_helpers::Ptr(item)));
}
inline BOOL ListView_SetItem(HWND list, const LVITEMA* item) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_SETITEMA, 0, listview_helpers::Ptr(item)));
}
inline BOOL ListView_SetItem(HWND list, const LVITEMW* item) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_SETITEMW, 0, listview_helpers::Ptr(item)));
}
inline int ListView_InsertItem(HWND list, const LVITEMA* item) {
  return static_cast<int>(listview_helpers::Send(list, LVM_INSERTITEMA, 0, listview_helpers::Ptr(item)));
}
inline int ListView_InsertItem(HWND list, const LVITEMW* item) {
  return static_cast<int>(listview_helpers::Send(list, LVM_INSERTITEMW, 0, listview_helpers::Ptr(item)));
}
inline BOOL ListView_DeleteItem(HWND list, int row) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0));
}
inline BOOL ListView_DeleteAllItems(HWND list) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_DELETEALLITEMS, 0, 0));
}
inline int ListView_GetNextItem(HWND list, int start, UINT flags) {
  return static_cast<int>(listview_helpers::Send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(start), static_cast<LPARAM>(flags)));
}
inline int ListView_FindItem(HWND list, int start, const LVFINDINFOA* info) {
  return static_cast<int>(listview_helpers::Send(list, LVM_FINDITEMA, static_cast<WPARAM>(start), listview_helpers::Ptr(info)));
}
inline int ListView_FindItem(HWND list, int start, const LVFINDINFOW* info) {
  return static_cast<int>(listview_helpers::Send(list, LVM_FINDITEMW, static_cast<WPARAM>(start), listview_helpers::Ptr(info)));
}
// `code` LVIR_*.
inline BOOL ListView_GetItemRect(HWND list, int row, RECT* rect, int code) {
  if (rect) rect->left = code;
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), listview_helpers::Ptr(rect)));
}
inline BOOL ListView_GetSubItemRect(HWND list, int row, int subItem, int code, RECT* rect) {
  if (rect) {
    rect->top = subItem;
    rect->left = code;
  }
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), listview_helpers::Ptr(rect)));
}
inline BOOL ListView_SetItemPosition(HWND list, int row, int x, int y) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_SETITEMPOSITION, static_cast<WPARAM>(row), MAKELPARAM(x, y)));
}
inline BOOL ListView_GetItemPosition(HWND list, int row, POINT* point) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_GETITEMPOSITION, static_cast<WPARAM>(row), listview_helpers::Ptr(point)));
}
inline int ListView_HitTest(HWND list, LVHITTESTINFO* info) {
  return static_cast<int>(listview_helpers::Send(list, LVM_HITTEST, 0, listview_helpers::Ptr(info)));
}
inline int ListView_SubItemHitTest(HWND list, LVHITTESTINFO* info) {
  return static_cast<int>(listview_helpers::Send(list, LVM_SUBITEMHITTEST, 0, listview_helpers::Ptr(info)));
}
inline BOOL ListView_EnsureVisible(HWND list, int row, BOOL partialOk) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), partialOk));
}
inline BOOL ListView_Scroll(HWND list, int dx, int dy) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_SCROLL, static_cast<WPARAM>(dx), dy));
}
inline BOOL ListView_RedrawItems(HWND list, int first, int last) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_REDRAWITEMS, static_cast<WPARAM>(first), last));
}
inline BOOL ListView_Arrange(HWND list, WPARAM code) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_ARRANGE, code, 0));
}
inline HWND ListView_EditLabel(HWND list, int row) {
  return reinterpret_cast<HWND>(listview_helpers::Send(list, LVM_EDITLABELW, static_cast<WPARAM>(row), 0));
}
inline HWND ListView_GetEditControl(HWND list) {
  return reinterpret_cast<HWND>(listview_helpers::Send(list, LVM_GETEDITCONTROL, 0, 0));
}
inline BOOL ListView_GetColumn(HWND list, int column, LVCOLUMNA* info) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_GETCOLUMNA, static_cast<WPARAM>(column), listview_helpers::Ptr(info)));
}
inline BOOL ListView_GetColumn(HWND list, int column, LVCOLUMNW* info) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), listview_helpers::Ptr(info)));
}
inline BOOL ListView_SetColumn(HWND list, int column, const LVCOLUMNA* info) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_SETCOLUMNA, static_cast<WPARAM>(column), listview_helpers::Ptr(info)));
}
inline BOOL ListView_SetColumn(HWND list, int column, const LVCOLUMNW* info) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_SETCOLUMNW, static_cast<WPARAM>(column), listview_helpers::Ptr(info)));
}
inline int ListView_InsertColumn(HWND list, int column, const LVCOLUMNA* info) {
  return static_cast<int>(listview_helpers::Send(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), listview_helpers::Ptr(info)));
}
inline int ListView_InsertColumn(HWND list, int column, const LVCOLUMNW* info) {
  return static_cast<int>(listview_helpers::Send(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), listview_helpers::Ptr(info)));
}
inline BOOL ListView_DeleteColumn(HWND list, int column) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_DELETECOLUMN, static_cast<WPARAM>(column), 0));
}
inline int ListView_GetColumnWidth(HWND list, int column) {
  return static_cast<int>(listview_helpers::Send(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}
// `width` pixels or LVSCW_AUTOSIZE / LVSCW_AUTOSIZE_USEHEADER.
inline BOOL ListView_SetColumnWidth(HWND list, int column, int width) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)));
}
inline HWND ListView_GetHeader(HWND list) {
  return reinterpret_cast<HWND>(listview_helpers::Send(list, LVM_GETHEADER, 0, 0));
}
inline HIMAGELIST ListView_CreateDragImage(HWND list, int row, POINT* upperLeft) {
  return reinterpret_cast<HIMAGELIST>(
      listview_helpers::Send(list, LVM_CREATEDRAGIMAGE, static_cast<WPARAM>(row), listview_helpers::Ptr(upperLeft)));
}
inline BOOL ListView_GetViewRect(HWND list, RECT* rect) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_GETVIEWRECT, 0, listview_helpers::Ptr(rect)));
}
inline COLORREF ListView_GetTextColor(HWND list) {
  return static_cast<COLORREF>(listview_helpers::Send(list, LVM_GETTEXTCOLOR, 0, 0));
}
inline BOOL ListView_SetTextColor(HWND list, COLORREF colour) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(colour)));
}
inline COLORREF ListView_GetTextBkColor(HWND list) {
  return static_cast<COLORREF>(listview_helpers::Send(list, LVM_GETTEXTBKCOLOR, 0, 0));
}
inline BOOL ListView_SetTextBkColor(HWND list, COLORREF colour) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(colour)));
}
inline int ListView_GetTopIndex(HWND list) {
  return static_cast<int>(listview_helpers::Send(list, LVM_GETTOPINDEX, 0, 0));
}
inline int ListView_GetCountPerPage(HWND list) {
  return static_cast<int>(listview_helpers::Send(list, LVM_GETCOUNTPERPAGE, 0, 0));
}
inline BOOL ListView_GetOrigin(HWND list, POINT* origin) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_GETORIGIN, 0, listview_helpers::Ptr(origin)));
}
inline BOOL ListView_Update(HWND list, int row) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_UPDATE, static_cast<WPARAM>(row), 0));
}
// `row` -1 sets every row.
inline BOOL ListView_SetItemState(HWND list, int row, UINT state, UINT mask) {
  LVITEMW item{};
  item.stateMask = mask;
  item.state = state;
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), listview_helpers::Ptr(&item)));
}
inline UINT ListView_GetItemState(HWND list, int row, UINT mask) {
  return static_cast<UINT>(listview_helpers::Send(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), static_cast<LPARAM>(mask)));
}
// State image 2 is the checked box, 1 the empty one.
inline BOOL ListView_SetCheckState(HWND list, int row, BOOL checked) {
  return ListView_SetItemState(list, row, INDEXTOSTATEIMAGEMASK(checked ? 2U : 1U), LVIS_STATEIMAGEMASK);
}
inline BOOL ListView_GetCheckState(HWND list, int row) {
  return ((ListView_GetItemState(list, row, LVIS_STATEIMAGEMASK) >> 12) - 1) == 1;
}
inline int ListView_GetItemText(HWND list, int row, int subItem, LPWSTR buffer, int capacity) {
  LVITEMW item{};
  item.iSubItem = subItem;
  item.pszText = buffer;
  item.cchTextMax = capacity;
  return static_cast<int>(listview_helpers::Send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), listview_helpers::Ptr(&item)));
}
inline int ListView_GetItemText(HWND list, int row, int subItem, LPSTR buffer, int capacity) {
  LVITEMA item{};
  item.iSubItem = subItem;
  item.pszText = buffer;
  item.cchTextMax = capacity;
  return static_cast<int>(listview_helpers::Send(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), listview_helpers::Ptr(&item)));
}
inline BOOL ListView_SetItemText(HWND list, int row, int subItem, LPWSTR text) {
  LVITEMW item{};
  item.iSubItem = subItem;
  item.pszText = text;
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), listview_helpers::Ptr(&item)));
}
inline BOOL ListView_SetItemText(HWND list, int row, int subItem, LPSTR text) {
  LVITEMA item{};
  item.iSubItem = subItem;
  item.pszText = text;
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), listview_helpers::Ptr(&item)));
}
inline void ListView_SetItemCount(HWND list, int count) {
  listview_helpers::Send(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), 0);
}
inline void ListView_SetItemCountEx(HWND list, int count, LPARAM flags) {
  listview_helpers::Send(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), flags);
}
inline BOOL ListView_SortItems(HWND list, PFNLVCOMPARE compare, LPARAM lParamSort) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_SORTITEMS, static_cast<WPARAM>(lParamSort),
                                                  reinterpret_cast<LPARAM>(compare)));
}
inline BOOL ListView_SortItemsEx(HWND list, PFNLVCOMPARE compare, LPARAM lParamSort) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_SORTITEMSEX, static_cast<WPARAM>(lParamSort),
                                                  reinterpret_cast<LPARAM>(compare)));
}
inline UINT ListView_GetSelectedCount(HWND list) {
  return static_cast<UINT>(listview_helpers::Send(list, LVM_GETSELECTEDCOUNT, 0, 0));
}
inline DWORD ListView_GetItemSpacing(HWND list, BOOL small) {
  return static_cast<DWORD>(listview_helpers::Send(list, LVM_GETITEMSPACING, static_cast<WPARAM>(small), 0));
}
inline DWORD ListView_SetIconSpacing(HWND list, int cx, int cy) {
  return static_cast<DWORD>(listview_helpers::Send(list, LVM_SETICONSPACING, 0, MAKELPARAM(cx, cy)));
}
inline DWORD ListView_SetExtendedListViewStyle(HWND list, DWORD styles) {
  return static_cast<DWORD>(listview_helpers::Send(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(styles)));
}
inline DWORD ListView_SetExtendedListViewStyleEx(HWND list, DWORD mask, DWORD styles) {
  return static_cast<DWORD>(listview_helpers::Send(list, LVM_SETEXTENDEDLISTVIEWSTYLE, mask, static_cast<LPARAM>(styles)));
}
inline DWORD ListView_GetExtendedListViewStyle(HWND list) {
  return static_cast<DWORD>(listview_helpers::Send(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
}
inline BOOL ListView_SetColumnOrderArray(HWND list, int count, const int* order) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_SETCOLUMNORDERARRAY, static_cast<WPARAM>(count), listview_helpers::Ptr(order)));
}
inline BOOL ListView_GetColumnOrderArray(HWND list, int count, int* order) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(count), listview_helpers::Ptr(order)));
}
inline int ListView_SetHotItem(HWND list, int row) {
  return static_cast<int>(listview_helpers::Send(list, LVM_SETHOTITEM, static_cast<WPARAM>(row), 0));
}
inline int ListView_GetHotItem(HWND list) {
  return static_cast<int>(listview_helpers::Send(list, LVM_GETHOTITEM, 0, 0));
}
inline void ListView_SetWorkAreas(HWND list, int count, const RECT* areas) {
  listview_helpers::Send(list, LVM_SETWORKAREAS, static_cast<WPARAM>(count), listview_helpers::Ptr(areas));
}
inline void ListView_GetWorkAreas(HWND list, int count, RECT* areas) {
  listview_helpers::Send(list, LVM_GETWORKAREAS, static_cast<WPARAM>(count), listview_helpers::Ptr(areas));
}
inline void ListView_GetNumberOfWorkAreas(HWND list, UINT* count) {
  listview_helpers::Send(list, LVM_GETNUMBEROFWORKAREAS, 0, listview_helpers::Ptr(count));
}
inline int ListView_GetSelectionMark(HWND list) {
  return static_cast<int>(listview_helpers::Send(list, LVM_GETSELECTIONMARK, 0, 0));
}
inline int ListView_SetSelectionMark(HWND list, int row) {
  return static_cast<int>(listview_helpers::Send(list, LVM_SETSELECTIONMARK, 0, row));
}
inline DWORD ListView_SetHoverTime(HWND list, DWORD ms) {
  return static_cast<DWORD>(listview_helpers::Send(list, LVM_SETHOVERTIME, 0, static_cast<LPARAM>(static_cast<int>(ms))));
}
inline DWORD ListView_GetHoverTime(HWND list) {
  return static_cast<DWORD>(listview_helpers::Send(list, LVM_GETHOVERTIME, 0, 0));
}
inline int ListView_InsertGroup(HWND list, int index, const LVGROUP* group) {
  return static_cast<int>(listview_helpers::Send(list, LVM_INSERTGROUP, static_cast<WPARAM>(index), listview_helpers::Ptr(group)));
}
inline int ListView_SetGroupInfo(HWND list, int groupId, const LVGROUP* group) {
  return static_cast<int>(listview_helpers::Send(list, LVM_SETGROUPINFO, static_cast<WPARAM>(groupId), listview_helpers::Ptr(group)));
}
inline int ListView_GetGroupInfo(HWND list, int groupId, LVGROUP* group) {
  return static_cast<int>(listview_helpers::Send(list, LVM_GETGROUPINFO, static_cast<WPARAM>(groupId), listview_helpers::Ptr(group)));
}
inline int ListView_RemoveGroup(HWND list, int groupId) {
  return static_cast<int>(listview_helpers::Send(list, LVM_REMOVEGROUP, static_cast<WPARAM>(groupId), 0));
}
inline void ListView_RemoveAllGroups(HWND list) { listview_helpers::Send(list, LVM_REMOVEALLGROUPS, 0, 0); }
inline BOOL ListView_HasGroup(HWND list, int groupId) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_HASGROUP, static_cast<WPARAM>(groupId), 0));
}
inline int ListView_GetGroupCount(HWND list) {
  return static_cast<int>(listview_helpers::Send(list, LVM_GETGROUPCOUNT, 0, 0));
}
inline UINT ListView_GetGroupState(HWND list, int groupId, UINT mask) {
  return static_cast<UINT>(listview_helpers::Send(list, LVM_GETGROUPSTATE, static_cast<WPARAM>(groupId), static_cast<LPARAM>(mask)));
}
inline int ListView_EnableGroupView(HWND list, BOOL enable) {
  return static_cast<int>(listview_helpers::Send(list, LVM_ENABLEGROUPVIEW, static_cast<WPARAM>(enable), 0));
}
inline BOOL ListView_IsGroupViewEnabled(HWND list) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_ISGROUPVIEWENABLED, 0, 0));
}
inline BOOL ListView_SetInsertMark(HWND list, const LVINSERTMARK* mark) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_SETINSERTMARK, 0, listview_helpers::Ptr(mark)));
}
inline BOOL ListView_GetInsertMark(HWND list, LVINSERTMARK* mark) {
  return static_cast<BOOL>(listview_helpers::Send(list, LVM_GETINSERTMARK, 0, listview_helpers::Ptr(mark)));
}
inline int ListView_InsertMarkHitTest(HWND list, POINT* point, LVINSERTMARK* mark) {
  return static_cast<int>(listview_helpers::Send(list, LVM_INSERTMARKHITTEST, reinterpret_cast<WPARAM>(point), listview_helpers::Ptr(mark)));
}
inline int ListView_GetInsertMarkRect(HWND list, RECT* rect) {
  return static_cast<int>(listview_helpers::Send(list, LVM_GETINSERTMARKRECT, 0, listview_helpers::Ptr(rect)));
}
inline COLORREF ListView_SetInsertMarkColor(HWND list, COLORREF colour) {
  return static_cast<COLORREF>(listview_helpers::Send(list, LVM_SETINSERTMARKCOLOR, 0, static_cast<LPARAM>(colour)));
}
inline COLORREF ListView_GetInsertMarkColor(HWND list) {
  return static_cast<COLORREF>(listview_helpers::Send(list, LVM_GETINSERTMARKCOLOR, 0, 0));
}
inline COLORREF ListView_SetOutlineColor(HWND list, COLORREF colour) {
  return static_cast<COLORREF>(listview_helpers::Send(list, LVM_SETOUTLINECOLOR, 0, static_cast<LPARAM>(colour)));
}
inline COLORREF ListView_GetOutlineColor(HWND list) {
  return static_cast<COLORREF>(listview_helpers::Send(list, LVM_GETOUTLINECOLOR, 0, 0));
}
inline void ListView_CancelEditLabel(HWND list) { listview_helpers::Send(list, LVM_CANCELEDITLABEL, 0, 0); }
inline DWORD ListView_SetView(HWND list, DWORD view) {
  return static_cast<DWORD>(listview_helpers::Send(list, LVM_SETVIEW, view, 0));
}
inline DWORD ListView_GetView(HWND list) { return static_cast<DWORD>(listview_helpers::Send(list, LVM_GETVIEW, 0, 0)); }

}  // namespace platform
