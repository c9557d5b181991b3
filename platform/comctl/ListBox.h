#pragma once
// The list box core: a single-selection list of strings (or owner-drawn items with data),
// with a vertical scroll bar, keyboard and mouse selection, type-ahead and the LB_ messages
// below. The combo box's list ("ComboLBox") runs on it; a public list box class can be
// registered over the same procedure. GUI thread of the window only.
//
// Its owner-draw identity (who gets WM_MEASUREITEM and WM_DRAWITEM, with which control type,
// id and item window) and the window that hears its LBN_ notifications are set by whoever
// makes it: a plain list box names its parent, itself and ODT_LISTBOX; the combo's list names
// the combo box.

#include <string>
#include <vector>

#include "platform/comctl/CommCtrl.h"
#include "platform/comctl/OwnerDraw.h"

namespace platform {

// ---- styles ---------------------------------------------------------------------------------

constexpr DWORD LBS_NOTIFY = 0x0001;
constexpr DWORD LBS_SORT = 0x0002;
constexpr DWORD LBS_NOREDRAW = 0x0004;
constexpr DWORD LBS_MULTIPLESEL = 0x0008;
constexpr DWORD LBS_OWNERDRAWFIXED = 0x0010;
constexpr DWORD LBS_OWNERDRAWVARIABLE = 0x0020;
constexpr DWORD LBS_HASSTRINGS = 0x0040;
constexpr DWORD LBS_USETABSTOPS = 0x0080;
constexpr DWORD LBS_NOINTEGRALHEIGHT = 0x0100;
constexpr DWORD LBS_MULTICOLUMN = 0x0200;
constexpr DWORD LBS_WANTKEYBOARDINPUT = 0x0400;
constexpr DWORD LBS_EXTENDEDSEL = 0x0800;
constexpr DWORD LBS_DISABLENOSCROLL = 0x1000;
constexpr DWORD LBS_NODATA = 0x2000;
constexpr DWORD LBS_NOSEL = 0x4000;
constexpr DWORD LBS_COMBOBOX = 0x8000;

// ---- messages -------------------------------------------------------------------------------

constexpr UINT LB_ADDSTRING = 0x0180;       // lParam text (or item data without strings); the index
constexpr UINT LB_INSERTSTRING = 0x0181;    // wParam index (-1: the end), lParam as above
constexpr UINT LB_DELETESTRING = 0x0182;    // wParam index; the count left
constexpr UINT LB_RESETCONTENT = 0x0184;
constexpr UINT LB_SETSEL = 0x0185;          // wParam BOOL, lParam index
constexpr UINT LB_SETCURSEL = 0x0186;       // wParam index (-1: none); LB_ERR for -1 or out of range
constexpr UINT LB_GETSEL = 0x0187;          // wParam index
constexpr UINT LB_GETCURSEL = 0x0188;
constexpr UINT LB_GETTEXT = 0x0189;         // wParam index, lParam buffer; the length
constexpr UINT LB_GETTEXTLEN = 0x018A;
constexpr UINT LB_GETCOUNT = 0x018B;
constexpr UINT LB_SELECTSTRING = 0x018C;    // wParam start (-1: from the top), lParam prefix
constexpr UINT LB_GETTOPINDEX = 0x018E;
constexpr UINT LB_FINDSTRING = 0x018F;      // wParam start, lParam prefix (case-insensitive)
constexpr UINT LB_SETTOPINDEX = 0x0197;
constexpr UINT LB_GETITEMRECT = 0x0198;     // wParam index, lParam RECT*
constexpr UINT LB_GETITEMDATA = 0x0199;
constexpr UINT LB_SETITEMDATA = 0x019A;
constexpr UINT LB_SETCARETINDEX = 0x019E;
constexpr UINT LB_GETCARETINDEX = 0x019F;
constexpr UINT LB_SETITEMHEIGHT = 0x01A0;   // wParam index (fixed heights: any), lParam height
constexpr UINT LB_GETITEMHEIGHT = 0x01A1;
constexpr UINT LB_FINDSTRINGEXACT = 0x01A2;
constexpr UINT LB_INITSTORAGE = 0x01A8;
constexpr UINT LB_ITEMFROMPOINT = 0x01A9;   // lParam client point; MAKELONG(index, TRUE when outside)

constexpr LRESULT LB_OKAY = 0;
constexpr LRESULT LB_ERR = -1;
constexpr LRESULT LB_ERRSPACE = -2;

// ---- notifications (WM_COMMAND, high word of wParam) ----------------------------------------

constexpr WORD LBN_ERRSPACE = static_cast<WORD>(-2);
constexpr WORD LBN_SELCHANGE = 1;
constexpr WORD LBN_DBLCLK = 2;
constexpr WORD LBN_SELCANCEL = 3;
constexpr WORD LBN_SETFOCUS = 4;
constexpr WORD LBN_KILLFOCUS = 5;

// The most items a list holds; an add past it answers LB_ERRSPACE.
constexpr size_t kListBoxMaxItems = 0x7FFFFFF;

namespace comctl_detail {

// Whom a list box reports to: LBN_ codes go to `notify` as WM_COMMAND with `id` and the list
// window; owner-draw requests go to `drawParent` with `ctlType`, `id` and `itemWindow`.
struct ListBoxHost {
  HWND notify = nullptr;
  HWND drawParent = nullptr;
  UINT ctlType = ODT_LISTBOX;
  UINT id = 0;
  HWND itemWindow = nullptr;
};

class ListBox;

// The list box behind a window made with ListBoxWindowProc (null for other windows).
ListBox* ListBoxOf(HWND hwnd);
LRESULT ListBoxWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Bytes of window data the procedure needs.
constexpr int kListBoxWindowExtra = static_cast<int>(sizeof(void*));

class ListBox {
 public:
  explicit ListBox(HWND hwnd);
  ~ListBox();

  // Owner-drawn heights are asked of the new host again.
  void SetHost(const ListBoxHost& host) {
    m_host = host;
    m_itemHeight = 0;
  }
  const ListBoxHost& Host() const { return m_host; }

  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

  int Count() const { return static_cast<int>(m_items.size()); }
  int CurSel() const { return m_curSel; }
  // Selects `index` (-1: none) and scrolls it into view; no notification.
  void SetCurSel(int index);
  bool HasStrings() const;
  bool OwnerDraw() const;
  std::u16string Text(int index) const;
  ULONG_PTR Data(int index) const;
  // The index of the first item from after `start` (wrapping) whose text starts with
  // `text` (exact: equals it), compared without regard to case; -1 when none.
  int Find(int start, const std::u16string& text, bool exact) const;
  int ItemHeight(int index) const;
  // The height of `count` rows of the list (fixed heights: count × item height).
  int RowsHeight(int count) const;
  int TopIndex() const { return m_top; }
  void SetTopIndex(int index);
  void EnsureVisible(int index);
  // The item at a client point; `outside` tells that the point is past the items.
  int ItemFromPoint(POINT point, bool* outside) const;
  RECT ItemRect(int index) const;
  // Type-ahead: the item the typed character leads to (-1: none); keeps the typed prefix
  // while keys follow each other within a second.
  int TypeAhead(char16_t c, LONG time);
  // Keyboard navigation: the item a key leads to from the current one (-2: not a
  // navigation key).
  int NavigationTarget(int key) const;
  void SetFont(HFONT font, bool redraw);
  HFONT Font() const { return m_font; }
  void Paint(HDC dc);

 private:
  struct Item {
    std::u16string text;
    ULONG_PTR data = 0;
    int height = 0;
  };
  DWORD Style() const;
  int Insert(int index, LPARAM value);
  int SortedPosition(const std::u16string& text) const;
  void MeasureItem(int index);
  int DefaultItemHeight();
  int VisibleRows() const;
  void UpdateScrollBar();
  void DrawItem(HDC dc, int index, const RECT& rect, UINT action);
  void Notify(WORD code);
  void OnKey(int key);
  void OnChar(char16_t c);
  void OnScroll(int request);
  void SelectByUser(int index);

  HWND m_hwnd;
  ListBoxHost m_host;
  std::vector<Item> m_items;
  int m_curSel = -1;
  int m_top = 0;
  int m_itemHeight = 0;  // fixed height; 0 until measured
  HFONT m_font = nullptr;
  bool m_wantsScrollBar = false;  // made with WS_VSCROLL (the bar hides while all items show)
  bool m_focused = false;
  bool m_tracking = false;
  std::u16string m_typed;
  LONG m_typedTime = 0;
};

}  // namespace comctl_detail
}  // namespace platform
