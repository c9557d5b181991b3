// The tree view's rows, geometry, scrolling and painting.

#include <algorithm>

#include "platform/comctl/ControlSupport.h"
#include "platform/comctl/TreeViewControl.h"
#include "platform/gdi/WinGdi.h"
#include "platform/user/ScrollBars.h"

namespace platform::treeview_detail {

namespace {

constexpr int kLabelPad = 2;       // text inset inside the label rectangle
constexpr int kCheckBoxCell = 16;  // the drawn check boxes' cell when no state list is set
constexpr int kImageGap = 1;

// Puts a DC's font, colours and mode back when painting one row is done.
struct DcState {
  explicit DcState(HDC dc) : dc(dc), saved(SaveDC(dc)) {}
  ~DcState() { RestoreDC(dc, saved); }
  HDC dc;
  int saved;
};

void Fill(HDC dc, const RECT& r, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

}  // namespace

HFONT TreeView::Font() const { return m_font ? m_font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

COLORREF TreeView::BackColor() const {
  if (!IsWindowEnabled(m_hwnd) && m_bkColor == CLR_DEFAULT) return GetSysColor(COLOR_BTNFACE);
  return m_bkColor == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : m_bkColor;
}

COLORREF TreeView::TextColor() const {
  if (!IsWindowEnabled(m_hwnd)) return GetSysColor(COLOR_GRAYTEXT);
  return m_textColor == CLR_DEFAULT ? GetSysColor(COLOR_WINDOWTEXT) : m_textColor;
}

// ---- rows ------------------------------------------------------------------------------------

void TreeView::RowsChanged() {
  m_rowsDirty = true;
  if (!m_redraw) return;
  UpdateScrollBars();
  InvalidateRect(m_hwnd, nullptr, TRUE);
}

void TreeView::Redraw() {
  if (m_redraw) InvalidateRect(m_hwnd, nullptr, TRUE);
}

void TreeView::BuildRows() {
  if (!m_rowsDirty) return;
  m_rowsDirty = false;
  // The old rows may hold items deleted since they were built.
  for (Item* item : m_rows)
    if (IsLive(item)) item->row = -1;
  m_rows.clear();
  // Depth first over the expanded branches, without recursion (trees may be deep).
  Item* item = m_root.firstChild;
  while (item) {
    item->row = static_cast<int>(m_rows.size());
    m_rows.push_back(item);
    if ((item->state & TVIS_EXPANDED) && item->firstChild) {
      item = item->firstChild;
      continue;
    }
    while (item && !item->next) {
      item = item->parent;
      if (item == &m_root) item = nullptr;
    }
    if (item) item = item->next;
  }
  // Rows that went away leave hidden items with stale numbers; the loop above reset only
  // those shown before, so clear the rest lazily: an item is shown when m_rows says so.
  for (size_t i = 0; i < m_rows.size(); ++i) m_rows[i]->row = static_cast<int>(i);
}

int TreeView::DefaultRowHeight() {
  if (m_defaultHeight > 0) return m_defaultHeight;
  int height = comctl_detail::FontCellHeight(m_hwnd, Font()) + 3;
  int cx = 0, cy = 0;
  if (m_images && ImageList_GetIconSize(m_images, &cx, &cy)) height = std::max(height, cy);
  if (m_stateImages && ImageList_GetIconSize(m_stateImages, &cx, &cy)) height = std::max(height, cy);
  else if (GetWindowLongPtrW(m_hwnd, GWL_STYLE) & TVS_CHECKBOXES) height = std::max(height, kCheckBoxCell);
  if (!(GetWindowLongPtrW(m_hwnd, GWL_STYLE) & TVS_NONEVENHEIGHT)) height = (height + 1) & ~1;
  m_defaultHeight = height;
  return height;
}

int TreeView::RowHeight() { return m_itemHeight > 0 ? m_itemHeight : DefaultRowHeight(); }

int TreeView::VisibleRowCount() {
  RECT client;
  GetClientRect(m_hwnd, &client);
  return std::max(0, static_cast<int>(client.bottom) / RowHeight());
}

int TreeView::StateImageWidth() {
  int cx = 0, cy = 0;
  if (m_stateImages && ImageList_GetIconSize(m_stateImages, &cx, &cy)) return cx;
  return (GetWindowLongPtrW(m_hwnd, GWL_STYLE) & TVS_CHECKBOXES) ? kCheckBoxCell : 0;
}

int TreeView::ImageWidth() {
  int cx = 0, cy = 0;
  if (m_images && ImageList_GetIconSize(m_images, &cx, &cy)) return cx + kImageGap;
  return 0;
}

bool TreeView::ShowsStateImage(Item* item) {
  return (item->state & TVIS_STATEIMAGEMASK) != 0 && StateImageWidth() > 0;
}

// Where an item's content (state image, image, label) starts; its button cell is the indent
// to the left of it.
int TreeView::ContentX(Item* item) {
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE));
  const bool rootCells = (style & TVS_LINESATROOT) && (style & (TVS_HASLINES | TVS_HASBUTTONS));
  return -m_hscroll + (item->level + (rootCells ? 1 : 0)) * m_indent + 3;
}

int TreeView::TextWidth(Item* item) {
  if (item->textWidth >= 0 && !item->textCallback) return item->textWidth;
  const std::u16string text = TextOf(item);
  HDC dc = GetDC(m_hwnd);
  HGDIOBJ old = SelectObject(dc, Font());
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(m_hwnd, dc);
  item->textWidth = size.cx;
  return size.cx;
}

RECT TreeView::RowRect(int row) {
  RECT client;
  GetClientRect(m_hwnd, &client);
  const int h = RowHeight();
  return RECT{0, (row - m_top) * h, client.right, (row - m_top + 1) * h};
}

RECT TreeView::LabelRect(Item* item) {
  RECT r = RowRect(item->row);
  int x = ContentX(item);
  if (ShowsStateImage(item)) x += StateImageWidth();
  x += ImageWidth();
  r.left = x;
  r.right = x + TextWidth(item) + 2 * kLabelPad;
  return r;
}

UINT TreeView::HitTest(POINT pt, HTREEITEM* out) {
  *out = nullptr;
  BuildRows();
  RECT client;
  GetClientRect(m_hwnd, &client);
  UINT flags = 0;
  if (pt.x < 0) flags |= TVHT_TOLEFT;
  else if (pt.x >= client.right) flags |= TVHT_TORIGHT;
  if (pt.y < 0) flags |= TVHT_ABOVE;
  else if (pt.y >= client.bottom) flags |= TVHT_BELOW;
  if (flags) return flags;
  const int row = m_top + pt.y / RowHeight();
  if (row >= static_cast<int>(m_rows.size())) return TVHT_NOWHERE;
  Item* item = m_rows[row];
  *out = item;
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE));
  int x = ContentX(item);
  if (pt.x < x) {
    const bool buttonCell = pt.x >= x - m_indent && (style & TVS_HASBUTTONS) && HasChildren(item) &&
                            (item->level > 0 || (style & TVS_LINESATROOT));
    return buttonCell ? TVHT_ONITEMBUTTON : TVHT_ONITEMINDENT;
  }
  if (ShowsStateImage(item)) {
    x += StateImageWidth();
    if (pt.x < x) return TVHT_ONITEMSTATEICON;
  }
  if (const int w = ImageWidth()) {
    x += w;
    if (pt.x < x) return TVHT_ONITEMICON;
  }
  if (pt.x < x + TextWidth(item) + 2 * kLabelPad) return TVHT_ONITEMLABEL;
  return TVHT_ONITEMRIGHT;
}

// ---- scrolling -------------------------------------------------------------------------------

void TreeView::UpdateScrollBars() {
  BuildRows();
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE));
  const int rows = static_cast<int>(m_rows.size());
  if (style & TVS_NOSCROLL) {
    m_top = std::clamp(m_top, 0, std::max(0, rows - 1));
    return;
  }
  // Showing one bar narrows the client, which may call for the other: settle in two passes.
  for (int pass = 0; pass < 2; ++pass) {
    RECT client;
    GetClientRect(m_hwnd, &client);
    const int page = std::max(1, static_cast<int>(client.bottom) / RowHeight());
    const bool needV = rows > page;
    m_top = std::clamp(m_top, 0, std::max(0, rows - page));
    SCROLLINFO v{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, needV ? rows - 1 : 0,
                 static_cast<UINT>(needV ? page : 0), needV ? m_top : 0, 0};
    const bool hasV = (GetWindowLongPtrW(m_hwnd, GWL_STYLE) & WS_VSCROLL) != 0;
    if (needV != hasV) ShowScrollBar(m_hwnd, SB_VERT, needV);
    SetScrollInfo(m_hwnd, SB_VERT, &v, TRUE);

    int width = 0;
    if (!(style & TVS_NOHSCROLL)) {
      for (Item* item : m_rows) width = std::max(width, static_cast<int>(LabelRect(item).right) + m_hscroll);
    }
    const bool needH = width > client.right;
    m_hscroll = needH ? std::clamp(m_hscroll, 0, width - static_cast<int>(client.right)) : 0;
    SCROLLINFO h{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, needH ? width - 1 : 0,
                 static_cast<UINT>(needH ? client.right : 0), m_hscroll, 0};
    const bool hasH = (GetWindowLongPtrW(m_hwnd, GWL_STYLE) & WS_HSCROLL) != 0;
    if (needH != hasH) ShowScrollBar(m_hwnd, SB_HORZ, needH);
    SetScrollInfo(m_hwnd, SB_HORZ, &h, TRUE);
    if (needV == hasV && needH == hasH) break;
  }
}

void TreeView::ScrollTo(int topRow, int hscroll) {
  BuildRows();
  RECT client;
  GetClientRect(m_hwnd, &client);
  const int rows = static_cast<int>(m_rows.size());
  const int page = std::max(1, static_cast<int>(client.bottom) / RowHeight());
  topRow = std::clamp(topRow, 0, std::max(0, rows - page));
  SCROLLINFO h{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
  GetScrollInfo(m_hwnd, SB_HORZ, &h);
  const int maxH = std::max(0, h.nMax - static_cast<int>(h.nPage) + 1);
  hscroll = (GetWindowLongPtrW(m_hwnd, GWL_STYLE) & WS_HSCROLL) ? std::clamp(hscroll, 0, maxH) : 0;
  if (topRow == m_top && hscroll == m_hscroll) return;
  if (m_edit) EndEdit(false);
  m_top = topRow;
  m_hscroll = hscroll;
  SetScrollPos(m_hwnd, SB_VERT, m_top, TRUE);
  SetScrollPos(m_hwnd, SB_HORZ, m_hscroll, TRUE);
  Redraw();
}

void TreeView::InvalidateItem(Item* item) {
  if (!m_redraw || m_rowsDirty || !item || item->row < 0) {
    if (m_redraw && m_rowsDirty) InvalidateRect(m_hwnd, nullptr, TRUE);
    return;
  }
  RECT r = RowRect(item->row);
  InvalidateRect(m_hwnd, &r, TRUE);
}

// ---- painting --------------------------------------------------------------------------------

void TreeView::EraseBackground(HDC dc) {
  if (!dc) return;
  RECT client;
  GetClientRect(m_hwnd, &client);
  Fill(dc, client, BackColor());
}

void TreeView::Paint(HDC dc, const RECT& clip) {
  BuildRows();
  RECT client;
  GetClientRect(m_hwnd, &client);
  NMTVCUSTOMDRAW cd{};
  cd.nmcd.dwDrawStage = CDDS_PREPAINT;
  cd.nmcd.hdc = dc;
  cd.nmcd.rc = client;
  cd.clrText = TextColor();
  cd.clrTextBk = BackColor();
  const LRESULT answer = Notify(NM_CUSTOMDRAW, NM_CUSTOMDRAW, &cd.nmcd.hdr, sizeof cd);
  if (answer & CDRF_SKIPDEFAULT) return;
  {
    DcState state(dc);
    SelectObject(dc, Font());
    const int h = RowHeight();
    const int first = m_top + std::max(0, static_cast<int>(clip.top) / h);
    const int last = std::min(static_cast<int>(m_rows.size()) - 1, m_top + (static_cast<int>(clip.bottom) - 1) / h);
    for (int row = first; row <= last; ++row) {
      if (row >= static_cast<int>(m_rows.size())) break;  // a handler may have deleted items
      PaintRow(dc, m_rows[row], RowRect(row), answer);
    }
  }
  if (answer & CDRF_NOTIFYPOSTPAINT) {
    cd.nmcd.dwDrawStage = CDDS_POSTPAINT;
    Notify(NM_CUSTOMDRAW, NM_CUSTOMDRAW, &cd.nmcd.hdr, sizeof cd);
  }
}

void TreeView::PaintRow(HDC dc, Item* item, const RECT& row, LRESULT controlAnswer) {
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE));
  const bool selected = (item->state & TVIS_SELECTED) != 0;
  const bool showSelection = selected && (m_focused || (style & TVS_SHOWSELALWAYS));
  const bool dropHilited = (item->state & TVIS_DROPHILITED) != 0;
  const bool hot = item == m_hot && (style & TVS_TRACKSELECT);
  const COLORREF back = BackColor();
  COLORREF text = TextColor();
  COLORREF textBack = back;
  if (dropHilited || (showSelection && m_focused)) {
    text = GetSysColor(COLOR_HIGHLIGHTTEXT);
    textBack = GetSysColor(COLOR_HIGHLIGHT);
  } else if (showSelection) {
    text = GetSysColor(COLOR_BTNTEXT);
    textBack = GetSysColor(COLOR_BTNFACE);
  } else if (hot) {
    text = GetSysColor(COLOR_HOTLIGHT);
  }

  DcState state(dc);
  NMTVCUSTOMDRAW cd{};
  LRESULT answer = CDRF_DODEFAULT;
  if (controlAnswer & CDRF_NOTIFYITEMDRAW) {
    cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    cd.nmcd.hdc = dc;
    cd.nmcd.rc = row;
    cd.nmcd.dwItemSpec = reinterpret_cast<DWORD_PTR>(item);
    cd.nmcd.lItemlParam = item->lParam;
    cd.nmcd.uItemState = (selected ? CDIS_SELECTED : 0) | (selected && m_focused ? CDIS_FOCUS : 0) |
                         (hot ? CDIS_HOT : 0) | (IsWindowEnabled(m_hwnd) ? 0 : CDIS_DISABLED) |
                         (dropHilited ? CDIS_DROPHILITED : 0);
    cd.clrText = text;
    cd.clrTextBk = textBack;
    cd.iLevel = item->level;
    answer = Notify(NM_CUSTOMDRAW, NM_CUSTOMDRAW, &cd.nmcd.hdr, sizeof cd);
    if (!IsLive(item)) return;
    if (answer & CDRF_SKIPDEFAULT) return;
    text = cd.clrText;
    textBack = cd.clrTextBk;
  }
  if (!(answer & CDRF_NEWFONT) && (item->state & TVIS_BOLD)) {
    // FIXME: a bold label is drawn in the control's font; no bold face is made for it yet.
  }

  if (style & TVS_FULLROWSELECT) {
    if (textBack != back) Fill(dc, row, textBack);
  }
  if ((style & TVS_HASLINES) && !(style & TVS_FULLROWSELECT)) PaintLines(dc, item, row);
  if (style & TVS_HASBUTTONS) PaintButton(dc, item, row);

  int x = ContentX(item);
  const int h = row.bottom - row.top;
  if (ShowsStateImage(item)) {
    const int index = static_cast<int>((item->state & TVIS_STATEIMAGEMASK) >> 12);
    const int w = StateImageWidth();
    if (m_stateImages) {
      int cx = 0, cy = 0;
      ImageList_GetIconSize(m_stateImages, &cx, &cy);
      ImageList_Draw(m_stateImages, index, dc, x, row.top + (h - cy) / 2, ILD_TRANSPARENT);
    } else {
      // The built-in boxes: image 1 unchecked, image 2 checked.
      RECT box{x + 2, row.top + (h - 13) / 2, x + 15, row.top + (h - 13) / 2 + 13};
      DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (index == 2 ? DFCS_CHECKED : 0));
    }
    x += w;
  }
  if (m_images) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(m_images, &cx, &cy);
    const int image = ImageOf(item, selected);
    if (!IsLive(item)) return;
    const UINT overlay = item->state & TVIS_OVERLAYMASK;
    UINT flags = ILD_TRANSPARENT | overlay;  // TVIS_OVERLAYMASK and ILD_OVERLAYMASK share their bits
    if ((showSelection && m_focused) || dropHilited) flags |= ILD_SELECTED;
    else if (item->state & TVIS_CUT) flags |= ILD_BLEND25;
    if (image >= 0) ImageList_Draw(m_images, image, dc, x, row.top + (h - cy) / 2, flags);
    x += cx + kImageGap;
  }

  const std::u16string label = TextOf(item);
  if (!IsLive(item)) return;
  RECT labelRect{x, row.top, x + TextWidth(item) + 2 * kLabelPad, row.bottom};
  if (!(style & TVS_FULLROWSELECT) && textBack != back) Fill(dc, labelRect, textBack);
  if (m_edit && m_editItem == item) {
    // The edit window covers the label.
  } else {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text);
    RECT textRect{labelRect.left + kLabelPad, labelRect.top, labelRect.right, labelRect.bottom};
    DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &textRect, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    if (hot) {
      SIZE size{};
      GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &size);
      const int baseline = (textRect.top + textRect.bottom + size.cy) / 2 - 1;
      Fill(dc, RECT{textRect.left, baseline, textRect.left + size.cx, baseline + 1}, text);
    }
  }
  if (selected && m_focused && !(m_edit && m_editItem == item)) {
    RECT focus = (style & TVS_FULLROWSELECT) ? row : labelRect;
    DrawFocusRect(dc, &focus);
  }

  if (answer & CDRF_NOTIFYPOSTPAINT) {
    cd.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT;
    Notify(NM_CUSTOMDRAW, NM_CUSTOMDRAW, &cd.nmcd.hdr, sizeof cd);
  }
}

void TreeView::PaintLines(HDC dc, Item* item, const RECT& row) {
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE));
  const bool rootLines = (style & TVS_LINESATROOT) != 0;
  const COLORREF color = m_lineColor == CLR_DEFAULT ? GetSysColor(COLOR_GRAYTEXT) : m_lineColor;
  const int midY = (row.top + row.bottom) / 2;
  auto dotsV = [&](int x, int y0, int y1) {
    for (int y = y0 + ((y0 + x) & 1); y < y1; y += 2) SetPixelV(dc, x, y, color);
  };
  auto dotsH = [&](int x0, int x1, int y) {
    for (int x = x0 + ((x0 + y) & 1); x < x1; x += 2) SetPixelV(dc, x, y, color);
  };
  // The item's own elbow: from the middle of its cell to its content.
  if (item->level > 0 || rootLines) {
    const int cellX = ContentX(item) - m_indent + m_indent / 2;
    dotsH(cellX, ContentX(item) - 1, midY);
    const bool firstAtRoot = item->parent == &m_root && !item->prev;
    dotsV(cellX, firstAtRoot ? midY : row.top, item->next ? row.bottom : midY + 1);
  }
  // Lines passing by for every ancestor that has a later sibling.
  for (Item* a = item->parent; a && a != &m_root; a = a->parent) {
    if (!a->next) continue;
    if (a->level == 0 && !rootLines) continue;
    const int cellX = ContentX(a) - m_indent + m_indent / 2;
    dotsV(cellX, row.top, row.bottom);
  }
}

void TreeView::PaintButton(HDC dc, Item* item, const RECT& row) {
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE));
  if (item->level == 0 && !(style & TVS_LINESATROOT)) return;
  if (!HasChildren(item)) return;
  const int cx = ContentX(item) - m_indent + m_indent / 2;
  const int cy = (row.top + row.bottom) / 2;
  RECT box{cx - 4, cy - 4, cx + 5, cy + 5};
  Fill(dc, box, BackColor());
  HBRUSH frame = CreateSolidBrush(GetSysColor(COLOR_GRAYTEXT));
  FrameRect(dc, &box, frame);
  DeleteObject(frame);
  const COLORREF sign = GetSysColor(COLOR_WINDOWTEXT);
  Fill(dc, RECT{cx - 2, cy, cx + 3, cy + 1}, sign);
  if (!(item->state & TVIS_EXPANDED)) Fill(dc, RECT{cx, cy - 2, cx + 1, cy + 3}, sign);
}

}  // namespace platform::treeview_detail
