#pragma once
// The list view's inner state, shared by its message handling (ListView.cpp), its layout and
// scrolling (ListViewLayout.cpp), its painting (ListViewPaint.cpp) and its mouse, keyboard,
// label editing and drag handling (ListViewInput.cpp). Not for other modules.

#include <string>
#include <vector>

#include "platform/comctl/ControlSupport.h"
#include "platform/comctl/ListView.h"

namespace platform::listview_detail {

struct Cell {
  std::u16string text;
  bool callback = false;   // LPSTR_TEXTCALLBACK: the parent gives the text
  int image = I_IMAGENONE; // sub-items; the item's own image lives in Row
};

struct Row {
  Cell label;
  int image = 0;
  UINT state = 0;
  LPARAM lParam = 0;
  int indent = 0;
  int groupId = I_GROUPIDNONE;
  std::vector<Cell> subItems;  // column 1 .. n (grown on demand)
  POINT position{};            // icon views: the top-left of its cell, in view coordinates
  bool placed = false;         // position set by LVM_SETITEMPOSITION
};

struct Column {
  int width = 0;
  int fmt = LVCFMT_LEFT;
  std::u16string text;
  int image = I_IMAGENONE;
  int subItem = 0;
  int minWidth = 0;
};

struct Group {
  int id = 0;
  std::u16string header, footer, subtitle, descriptionTop, descriptionBottom, task;
  UINT state = 0;
  UINT align = LVGA_HEADER_LEFT;
  int titleImage = -1;
  int extendedImage = -1;
};

// One band of the grouped layout (report and icon views): a group's header, or one of its
// rows of items.
struct Band {
  int group = -1;       // index into m_groups
  int top = 0;          // view coordinates
  int height = 0;
  bool header = false;
};

// What the painter and hit tests learn about one item.
struct ItemGeometry {
  RECT bounds{};
  RECT icon{};
  RECT state{};  // the state image (check box); empty without one
  RECT label{};
  RECT select{};
};

// Copies text into a caller's buffer of `capacity` units, always terminated, never cutting a
// character in two.
using comctl_detail::CopyOut;
// Reads the text an A (UTF-8) or W message carries; false for LPSTR_TEXTCALLBACK.
bool ReadText(bool ansi, const void* pointer, std::u16string* out);

class ListView {
 public:
  explicit ListView(HWND hwnd);
  ~ListView();
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

  // ---- model (ListView.cpp)
  bool OwnerData() const { return (Style() & LVS_OWNERDATA) != 0; }
  DWORD Style() const;
  DWORD View() const { return Style() & LVS_TYPEMASK; }
  int Count() const { return OwnerData() ? m_ownerCount : static_cast<int>(m_rows.size()); }
  bool Valid(int row) const { return row >= 0 && row < Count(); }
  UINT StateOf(int row) const;
  // Changes the state bits in `mask` of one row (-1: all); notifies as Windows does.
  bool SetState(int row, UINT state, UINT mask, bool notify = true);
  int InsertItem(const LVITEMW& item, const std::u16string* text);
  bool DeleteItem(int row);
  bool DeleteAll();
  bool SetItem(const LVITEMW& item, const std::u16string* text);
  bool GetItem(LVITEMW& item, bool ansi);
  std::u16string TextOf(int row, int subItem);
  int ImageOf(int row, int subItem);
  int IndentOf(int row);
  LPARAM ParamOf(int row) const { return OwnerData() || !Valid(row) ? 0 : m_rows[static_cast<size_t>(row)].lParam; }
  int GroupOf(int row);
  int FindItem(int start, const LVFINDINFOW& find, const std::u16string& text);
  int NextItem(int start, UINT flags);
  bool SortItems(PFNLVCOMPARE compare, LPARAM param, bool byIndex);
  void SetItemCount(int count, LPARAM flags);
  int SelectedCount() const;
  int FocusedRow() const { return m_focus; }
  void ClearSelection(int except = -1);
  void SelectRange(int from, int to, bool select);
  void ToggleCheck(int row);
  bool HasCheckBoxes() const { return (m_exStyle & LVS_EX_CHECKBOXES) != 0; }
  // LVS_EX_DOUBLEBUFFER paints through a bitmap, unless the parent is to show through.
  bool DoubleBuffered() const { return (m_exStyle & LVS_EX_DOUBLEBUFFER) && m_bkColor != CLR_NONE; }

  // ---- columns and groups (ListView.cpp)
  int ColumnCount() const { return static_cast<int>(m_columns.size()); }
  int InsertColumn(int index, const LVCOLUMNW& column, const std::u16string* text);
  bool DeleteColumn(int index);
  bool SetColumn(int index, const LVCOLUMNW& column, const std::u16string* text);
  bool GetColumn(int index, LVCOLUMNW& column, bool ansi);
  bool SetColumnWidth(int index, int width);
  int ColumnLeft(int index);   // in view coordinates (report)
  std::vector<int> ColumnOrder();
  int GroupIndex(int id) const;
  int InsertGroup(int index, const LVGROUP& group);
  bool SetGroupInfo(int id, const LVGROUP& group);
  bool GetGroupInfo(int id, LVGROUP& group);
  bool RemoveGroup(int id);
  bool ShowsRow(int row);  // not hidden by the group view

  // ---- notifications (ListView.cpp)
  LRESULT Notify(UINT codeW, UINT codeA, NMHDR* header);
  LRESULT NotifyCode(UINT code);
  LRESULT NotifyListView(UINT code, int row, int subItem, UINT newState, UINT oldState, UINT changed,
                         POINT action = {});
  LRESULT NotifyActivate(UINT code, int row, int subItem, POINT at);
  void FillDispInfo(int row, int subItem, UINT mask, std::u16string* text, int* image, int* indent);
  void CacheHint(int from, int to);

  // ---- layout and scrolling (ListViewLayout.cpp)
  void LayoutChanged();  // positions or sizes changed: re-lay out and repaint
  void ForgetMeasurements();
  void EnsureLayout();
  HFONT Font() const;
  int RowHeight();
  int HeaderHeight();
  void PlaceHeader();
  SIZE IconSpacing(bool small);
  SIZE ImageSize(WPARAM which) const;
  SIZE StateImageSize() const;
  ItemGeometry Geometry(int row);
  RECT ItemRect(int row, int code);
  RECT SubItemRect(int row, int subItem, int code);
  POINT ItemPosition(int row);
  UINT HitTest(POINT pt, int* row, int* subItem, int* group = nullptr);
  RECT ClientArea();  // the client rectangle below the header
  void UpdateScrollBars();
  void ScrollBy(int dx, int dy);  // pixels (report: dy in rows)
  void OnScroll(int bar, WORD code);
  bool EnsureVisible(int row, bool partial);
  int TopIndex();
  int CountPerPage();
  RECT ViewRect();
  int ListColumnWidth();
  int LabelWidth(int row, int subItem = 0);
  int RowsPerListColumn();
  int ItemsPerLine();
  void InvalidateRow(int row);
  void Arrange(WPARAM code);
  int NearestItem(POINT pt, UINT vk, int from);
  int InsertMarkHitTest(POINT pt, LVINSERTMARK* mark);
  RECT InsertMarkRect();
  bool GroupedLayout() const { return m_groupView && !m_groups.empty() && View() != LVS_LIST; }

  // ---- painting (ListViewPaint.cpp)
  void Paint(HDC dc, const RECT& clip);
  void PaintItem(HDC dc, int row, LRESULT controlAnswer);
  void PaintReportRow(HDC dc, int row, LRESULT answer, NMLVCUSTOMDRAW& cd);
  void PaintGroupHeader(HDC dc, int group, const RECT& band);
  void PaintCheckBox(HDC dc, const RECT& r, int stateImage);
  void EraseBackground(HDC dc, const RECT* area = nullptr);
  COLORREF BackColor() const;
  COLORREF TextColor() const;
  HIMAGELIST CreateDragImage(int row, POINT* upperLeft);

  // ---- input (ListViewInput.cpp)
  void OnButtonDown(bool right, POINT pt, bool dblclk);
  void OnMouseMove(POINT pt, WPARAM keys);
  void OnButtonUp(bool right, POINT pt);
  void OnKeyDown(WPARAM key);
  void OnChar(char16_t ch);
  void OnTimer(UINT_PTR id);
  void SetFocusRow(int row, bool ensureVisible);
  void SelectByKey(int row);
  void SetHot(int row);
  HWND EditLabel(int row);
  bool EndEdit(bool cancel);
  static LRESULT EditSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data);
  // Any notification of the header: only its HDN_ codes carry an NMHEADER.
  void OnHeaderNotify(const NMHDR* header);

  HWND m_hwnd;
  HWND m_header = nullptr;
  std::vector<Row> m_rows;
  std::vector<UINT> m_ownerStates;  // owner data: the state bits the control keeps per row
  int m_ownerCount = 0;
  std::vector<Column> m_columns;
  std::vector<Group> m_groups;
  std::vector<RECT> m_workAreas;
  bool m_groupView = false;
  DWORD m_exStyle = 0;
  UINT m_callbackMask = 0;
  int m_focus = -1;
  int m_anchor = -1;  // the selection mark (shift extends from it)
  int m_hot = -1;
  int m_dropHilite = -1;
  // Colours (CLR_NONE: the parent shows through / no text background).
  COLORREF m_bkColor;
  COLORREF m_textColor;
  COLORREF m_textBkColor;
  COLORREF m_insertMarkColor = 0;
  COLORREF m_outlineColor;
  HIMAGELIST m_normalImages = nullptr;
  HIMAGELIST m_smallImages = nullptr;
  HIMAGELIST m_stateImages = nullptr;
  HIMAGELIST m_groupImages = nullptr;
  HIMAGELIST m_checkImages = nullptr;  // the control's own check boxes (destroyed by it)
  HFONT m_font = nullptr;
  bool m_unicode = true;
  bool m_redraw = true;
  bool m_focused = false;
  SIZE m_iconSpacing{-1, -1};  // -1: the default
  int m_listColumnWidth = 0;   // LVS_LIST; 0: from the labels
  int m_hoverTime = -1;
  // Scrolling: the origin of the view in view coordinates (report: x pixels and the top row
  // kept as rows * row height).
  int m_scrollX = 0;
  int m_scrollY = 0;
  bool m_layoutDirty = true;
  std::vector<Band> m_bands;         // grouped layout
  std::vector<int> m_rowBand;        // grouped layout: each row's band, -1 when not shown
  std::vector<int> m_rowSlot;        // grouped report layout: slot within the view
  std::vector<POINT> m_iconCells;    // icon views: every row's cell
  SIZE m_viewSize{};                 // the laid-out extent in view coordinates
  // Measurements kept until the layout changes (fonts, image lists, texts, counts).
  int m_rowHeightCache = -1;
  SIZE m_smallSpacingCache{-1, -1};
  int m_listWidthCache = -1;
  int m_labelCacheRow = -1;
  // Insert mark.
  int m_insertMark = -1;
  bool m_insertAfter = false;
  // Mouse state.
  struct Pending {
    bool active = false;
    bool right = false;
    POINT at{};
    int row = -1;
    UINT hit = 0;
    bool wasSelected = false;
    bool dragged = false;
    WPARAM keys = 0;
  } m_pending;
  bool m_marquee = false;
  POINT m_marqueeFrom{};
  POINT m_marqueeTo{};
  std::vector<UINT> m_marqueeStart;  // the selection when the marquee began (Ctrl adds to it)
  // Label editing.
  HWND m_edit = nullptr;
  int m_editRow = -1;
  int m_editAfterTimer = -1;
  bool m_ending = false;
  // Type-ahead.
  std::u16string m_search;
  LONG m_searchTime = 0;
  bool m_inDestroy = false;
  // The state bits and mask of the last LVIF_STATE display-information answer.
  UINT m_dispState = 0;
  UINT m_dispStateMask = 0;
  bool m_inNotifyChange = false;
};

}  // namespace platform::listview_detail
