#pragma once
// The tree view's inner state, shared by its message handling (TreeView.cpp) and its layout
// and painting (TreeViewPaint.cpp). Not for other modules.

#include <string>
#include <unordered_set>
#include <vector>

#include "platform/comctl/TreeView.h"

namespace platform {

// An item of a tree view; HTREEITEM points at it.
struct TreeItemHandle {
  TreeItemHandle* parent = nullptr;
  TreeItemHandle* firstChild = nullptr;
  TreeItemHandle* lastChild = nullptr;
  TreeItemHandle* next = nullptr;
  TreeItemHandle* prev = nullptr;
  std::u16string text;
  bool textCallback = false;
  int image = 0;
  int selectedImage = 0;
  int expandedImage = I_IMAGENONE;
  UINT state = 0;
  LPARAM lParam = 0;
  // The TVIF_CHILDREN value, or kChildrenFromItems while the item's own children decide.
  int children = kChildrenFromItems;
  int level = 0;
  int row = -1;         // index among the shown rows, -1 when hidden under a collapsed parent
  int textWidth = -1;   // the label's measured width, -1 until measured
  bool deleting = false;

  static constexpr int kChildrenFromItems = -2;
};

namespace treeview_detail {

class TreeView {
 public:
  explicit TreeView(HWND hwnd);
  ~TreeView();
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  using Item = TreeItemHandle;

  // ---- model
  bool IsLive(HTREEITEM item) const { return item && m_live.count(item) != 0; }
  Item* ParentFromHandle(HTREEITEM parent);
  Item* Insert(const TVINSERTSTRUCTW& insert, const std::u16string* text);
  void Link(Item* item, Item* parent, HTREEITEM after);
  void Unlink(Item* item);
  bool Delete(HTREEITEM item);
  void DeleteSubtree(Item* item, bool notify);
  bool HasChildren(Item* item);
  bool Expand(Item* item, WPARAM code, UINT cause, bool viaMessage);
  bool Select(Item* item, UINT cause, bool singleExpand = true);
  void SetDropHilite(Item* item);
  bool EnsureVisible(Item* item);
  bool GetItem(TVITEMEXW& item, bool extended, std::u16string* textOut);
  bool SetItem(const TVITEMEXW& item, bool extended, const std::u16string* text);
  HTREEITEM NextItem(WPARAM code, HTREEITEM item);
  void SortChildren(Item* parent, bool recurse, PFNTVCOMPARE compare, LPARAM lParam, bool byText);
  void ToggleCheck(Item* item);
  std::u16string TextOf(Item* item);
  int ImageOf(Item* item, bool selected);

  // ---- notifications
  LRESULT Notify(UINT codeW, UINT codeA, NMHDR* header, size_t size);
  LRESULT NotifyCode(UINT code);
  LRESULT NotifyTree(UINT codeW, UINT codeA, UINT action, Item* oldItem, Item* newItem, POINT drag = {});
  void FillItem(TVITEMW& item, Item* from, UINT mask);

  // ---- rows and geometry (TreeViewPaint.cpp)
  void RowsChanged();
  void BuildRows();
  int RowHeight();
  int DefaultRowHeight();
  int VisibleRowCount();
  int ContentX(Item* item);
  int TextWidth(Item* item);
  int StateImageWidth();
  int ImageWidth();
  bool ShowsStateImage(Item* item);
  RECT RowRect(int row);
  RECT LabelRect(Item* item);
  UINT HitTest(POINT pt, HTREEITEM* item);
  void UpdateScrollBars();
  void ScrollTo(int topRow, int hscroll);
  void InvalidateItem(Item* item);
  void Redraw();
  HFONT Font() const;
  COLORREF BackColor() const;
  COLORREF TextColor() const;

  // ---- painting (TreeViewPaint.cpp)
  void Paint(HDC dc, const RECT& clip);
  void PaintRow(HDC dc, Item* item, const RECT& row, LRESULT controlAnswer);
  void PaintLines(HDC dc, Item* item, const RECT& row);
  void PaintButton(HDC dc, Item* item, const RECT& row);
  void EraseBackground(HDC dc);

  // ---- input
  void OnButtonDown(bool right, POINT pt);
  void OnButtonUp(bool right, POINT pt);
  void OnMouseMove(POINT pt, WPARAM keys);
  void OnDoubleClick(POINT pt);
  void OnKeyDown(WPARAM key);
  void OnChar(char16_t ch);
  void OnScroll(int bar, WORD code);

  // ---- label editing
  HWND EditLabel(Item* item);
  bool EndEdit(bool cancel);
  static LRESULT EditSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data);

  HWND m_hwnd;
  Item m_root;  // the invisible parent of the top-level items
  std::unordered_set<HTREEITEM> m_live;
  Item* m_selected = nullptr;
  Item* m_dropHilite = nullptr;
  Item* m_hot = nullptr;
  std::vector<Item*> m_rows;  // the items shown, top to bottom, scrolled or not
  bool m_rowsDirty = true;
  int m_top = 0;       // the first row at the top of the client area
  int m_hscroll = 0;   // pixels scrolled to the left
  int m_indent = 19;
  int m_itemHeight = -1;  // -1: the control's own
  int m_defaultHeight = -1;  // the control's own, measured once per font, image lists and style
  COLORREF m_bkColor = CLR_DEFAULT;
  COLORREF m_textColor = CLR_DEFAULT;
  COLORREF m_lineColor = CLR_DEFAULT;
  HFONT m_font = nullptr;
  HIMAGELIST m_images = nullptr;
  HIMAGELIST m_stateImages = nullptr;
  bool m_unicode = true;
  bool m_redraw = true;
  bool m_focused = false;
  bool m_inDestroy = false;
  // A press on an item waits for its release (a click) or a move (a drag).
  struct Pending {
    bool active = false;
    bool right = false;
    POINT at{};
    Item* item = nullptr;
    UINT hit = 0;
    bool wasSelected = false;
  } m_pending;
  HWND m_edit = nullptr;
  Item* m_editItem = nullptr;
  bool m_ending = false;
  Item* m_editAfterTimer = nullptr;
  std::u16string m_search;
  LONG m_searchTime = 0;
};

}  // namespace treeview_detail
}  // namespace platform
