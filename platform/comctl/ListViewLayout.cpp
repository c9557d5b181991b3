// The list view's layout: where each item lies in the four views (with groups and work
// areas), hit tests, scrolling and the scroll bars.

#include <algorithm>
#include <climits>

#include "platform/comctl/ListViewControl.h"
#include "platform/gdi/Text.h"
#include "platform/gdi/WinGdi.h"
#include "platform/user/ScrollBars.h"

namespace platform::listview_detail {

namespace {

constexpr int kCheckBoxCell = 16;     // the control's own check boxes
constexpr int kLabelPad = 2;          // text inset inside a label
constexpr int kDefaultSmallLabel = 100;  // small-icon label width when labels are not measured
constexpr int kGroupGap = 6;          // pixels between groups in the icon views

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

}  // namespace

HFONT ListView::Font() const { return m_font ? m_font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

SIZE ListView::ImageSize(WPARAM which) const {
  HIMAGELIST list = which == LVSIL_NORMAL ? m_normalImages : which == LVSIL_SMALL ? m_smallImages : m_stateImages;
  int cx = 0, cy = 0;
  if (list && ImageList_GetIconSize(list, &cx, &cy)) return SIZE{cx, cy};
  return SIZE{0, 0};
}

SIZE ListView::StateImageSize() const {
  if (m_stateImages) return ImageSize(LVSIL_STATE);
  if (HasCheckBoxes()) return SIZE{kCheckBoxCell, kCheckBoxCell};
  return SIZE{0, 0};
}

int ListView::RowHeight() {
  if (m_rowHeightCache > 0) return m_rowHeightCache;
  int height = comctl_detail::FontCellHeight(m_hwnd, Font()) + 3;
  height = std::max(height, static_cast<int>(ImageSize(LVSIL_SMALL).cy) + 1);
  height = std::max(height, static_cast<int>(StateImageSize().cy) + 1);
  m_rowHeightCache = height;
  return height;
}

int ListView::HeaderHeight() {
  if (!m_header || View() != LVS_REPORT || (Style() & LVS_NOCOLUMNHEADER)) return 0;
  RECT r;
  GetWindowRect(m_header, &r);
  return IsWindowVisible(m_header) ? Height(r) : 0;
}

void ListView::PlaceHeader() {
  if (!m_header) return;
  const bool shown = View() == LVS_REPORT && !(Style() & LVS_NOCOLUMNHEADER);
  RECT client;
  GetClientRect(m_hwnd, &client);
  // The header may be subclassed and answer its own height.
  RECT area = client;
  WINDOWPOS pos{};
  HDLAYOUT layout{&area, &pos};
  SendMessageW(m_header, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout));
  SetWindowPos(m_header, nullptr, -m_scrollX * (View() == LVS_REPORT ? 1 : 0), pos.y,
               std::max(static_cast<int>(pos.cx) + (View() == LVS_REPORT ? m_scrollX : 0), 0), pos.cy,
               SWP_NOZORDER | SWP_NOACTIVATE | (shown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

RECT ListView::ClientArea() {
  RECT client;
  GetClientRect(m_hwnd, &client);
  client.top += HeaderHeight();
  return client;
}

SIZE ListView::IconSpacing(bool small) {
  if (!small) {
    const SIZE image = ImageSize(LVSIL_NORMAL);
    const int text = RowHeight() - 3;
    SIZE def{std::max(75, static_cast<int>(image.cx) + 16), std::max(static_cast<int>(image.cy), 32) + 2 * text + 14};
    if (m_iconSpacing.cx > 0) def.cx = m_iconSpacing.cx;
    if (m_iconSpacing.cy > 0) def.cy = m_iconSpacing.cy;
    return def;
  }
  if (m_smallSpacingCache.cx > 0) return m_smallSpacingCache;
  const SIZE image = ImageSize(LVSIL_SMALL);
  const SIZE state = StateImageSize();
  int label = kDefaultSmallLabel;
  if (!OwnerData() && Count() <= 2000) {
    label = 16;
    for (int row = 0; row < Count(); ++row) label = std::max(label, LabelWidth(row));
    label = std::min(label + 2 * kLabelPad, kDefaultSmallLabel);
  }
  m_smallSpacingCache = SIZE{image.cx + state.cx + label + 8, RowHeight()};
  return m_smallSpacingCache;
}

int ListView::LabelWidth(int row, int subItem) {
  const std::u16string text = TextOf(row, subItem);
  if (text.empty()) return 0;
  HDC dc = GetDC(m_hwnd);
  HGDIOBJ old = SelectObject(dc, Font());
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(m_hwnd, dc);
  return size.cx;
}

int ListView::ListColumnWidth() {
  if (m_listColumnWidth > 0) return m_listColumnWidth;
  if (m_listWidthCache > 0) return m_listWidthCache;
  const SIZE image = ImageSize(LVSIL_SMALL);
  const SIZE state = StateImageSize();
  int label = kDefaultSmallLabel;
  if (!OwnerData() && Count() <= 2000) {
    label = 16;
    for (int row = 0; row < Count(); ++row) label = std::max(label, LabelWidth(row));
    label = std::min(label + 2 * kLabelPad, 400);
  }
  m_listWidthCache = image.cx + state.cx + label + 8;
  return m_listWidthCache;
}

int ListView::RowsPerListColumn() {
  const RECT client = ClientArea();
  return std::max(1, Height(client) / RowHeight());
}

int ListView::ItemsPerLine() {
  const RECT client = ClientArea();
  const SIZE spacing = IconSpacing(View() == LVS_SMALLICON);
  if (Style() & LVS_ALIGNLEFT) return std::max(1, Height(client) / std::max(1, static_cast<int>(spacing.cy)));
  return std::max(1, Width(client) / std::max(1, static_cast<int>(spacing.cx)));
}

void ListView::ForgetMeasurements() {
  m_layoutDirty = true;
  m_rowHeightCache = -1;
  m_smallSpacingCache = SIZE{-1, -1};
  m_listWidthCache = -1;
}

void ListView::LayoutChanged() {
  ForgetMeasurements();
  if (!m_redraw) return;
  UpdateScrollBars();
  InvalidateRect(m_hwnd, nullptr, TRUE);
}

void ListView::EnsureLayout() {
  if (!m_layoutDirty) return;
  m_layoutDirty = false;
  const int count = Count();
  const DWORD view = View();
  m_bands.clear();
  m_rowBand.clear();
  m_rowSlot.clear();
  m_iconCells.clear();
  m_viewSize = SIZE{};
  if (view == LVS_REPORT) {
    int width = 0;
    for (const Column& c : m_columns) width += c.width;
    m_viewSize.cx = width;
    if (!GroupedLayout()) {
      m_viewSize.cy = count;
      return;
    }
    // Slots: two for a group's header (caption and rule), one per row, one for a footer.
    m_rowSlot.assign(static_cast<size_t>(count), -1);
    int slot = 0;
    for (size_t g = 0; g < m_groups.size(); ++g) {
      const Group& group = m_groups[g];
      if (group.state & LVGS_HIDDEN) continue;
      bool any = false;
      for (int row = 0; row < count; ++row) any = any || GroupOf(row) == group.id;
      if (!any) continue;
      Band band;
      band.group = static_cast<int>(g);
      band.top = slot;
      band.height = group.subtitle.empty() && group.descriptionTop.empty() ? 2 : 3;
      band.header = true;
      if (group.state & LVGS_NOHEADER) band.height = 0;
      m_bands.push_back(band);
      slot += band.height;
      if (group.state & LVGS_COLLAPSED) continue;
      for (int row = 0; row < count; ++row)
        if (GroupOf(row) == group.id) m_rowSlot[static_cast<size_t>(row)] = slot++;
      if (!group.footer.empty() || !group.descriptionBottom.empty()) {
        Band footer;
        footer.group = static_cast<int>(g);
        footer.top = slot;
        footer.height = 1;
        m_bands.push_back(footer);
        ++slot;
      }
    }
    m_viewSize.cy = slot;
    return;
  }
  if (view == LVS_LIST) {
    const int perColumn = RowsPerListColumn();
    const int columns = (count + perColumn - 1) / perColumn;
    m_viewSize = SIZE{columns, perColumn};
    return;
  }
  // Icon views: every row gets a cell in view coordinates.
  const bool small = view == LVS_SMALLICON;
  const SIZE spacing = IconSpacing(small);
  const bool alignLeft = (Style() & LVS_ALIGNLEFT) != 0;
  const bool autoArrange = (Style() & LVS_AUTOARRANGE) != 0;
  m_iconCells.assign(static_cast<size_t>(count), POINT{});
  const RECT client = ClientArea();
  auto flow = [&](const std::vector<int>& rows, RECT area, int* bottom) {
    const int perLine = alignLeft ? std::max(1, Height(area) / std::max(1, static_cast<int>(spacing.cy)))
                                  : std::max(1, Width(area) / std::max(1, static_cast<int>(spacing.cx)));
    int i = 0;
    for (int row : rows) {
      const int line = i / perLine, at = i % perLine;
      POINT p = alignLeft ? POINT{area.left + line * spacing.cx, area.top + at * spacing.cy}
                          : POINT{area.left + at * spacing.cx, area.top + line * spacing.cy};
      if (!OwnerData() && !autoArrange && m_rows[static_cast<size_t>(row)].placed) p = m_rows[static_cast<size_t>(row)].position;
      m_iconCells[static_cast<size_t>(row)] = p;
      m_viewSize.cx = std::max(m_viewSize.cx, p.x + spacing.cx);
      m_viewSize.cy = std::max(m_viewSize.cy, p.y + spacing.cy);
      ++i;
    }
    const int lines = (static_cast<int>(rows.size()) + perLine - 1) / perLine;
    if (bottom) *bottom = area.top + lines * spacing.cy;
  };
  if (GroupedLayout()) {
    m_rowBand.assign(static_cast<size_t>(count), -1);
    const int headerHeight = RowHeight() + 8;
    int top = 0;
    for (size_t g = 0; g < m_groups.size(); ++g) {
      const Group& group = m_groups[g];
      if (group.state & LVGS_HIDDEN) continue;
      std::vector<int> rows;
      for (int row = 0; row < count; ++row)
        if (GroupOf(row) == group.id) rows.push_back(row);
      if (rows.empty()) continue;
      Band band;
      band.group = static_cast<int>(g);
      band.top = top;
      band.height = (group.state & LVGS_NOHEADER) ? 0 : headerHeight;
      band.header = true;
      m_bands.push_back(band);
      top += band.height;
      if (!(group.state & LVGS_COLLAPSED)) {
        int bottom = top;
        flow(rows, RECT{0, top, Width(client), INT_MAX / 4}, &bottom);
        for (int row : rows) m_rowBand[static_cast<size_t>(row)] = static_cast<int>(m_bands.size()) - 1;
        top = bottom;
      }
      top += kGroupGap;
    }
    m_viewSize.cx = std::max(m_viewSize.cx, static_cast<int>(Width(client)));
    m_viewSize.cy = std::max(m_viewSize.cy, top);
    return;
  }
  if (!m_workAreas.empty()) {
    // Each work area is arranged on its own; a row belongs to the area that holds its
    // position (the first area when it has none).
    std::vector<std::vector<int>> perArea(m_workAreas.size());
    for (int row = 0; row < count; ++row) {
      size_t area = 0;
      if (!OwnerData() && m_rows[static_cast<size_t>(row)].placed) {
        const POINT p = m_rows[static_cast<size_t>(row)].position;
        for (size_t a = 0; a < m_workAreas.size(); ++a)
          if (PtInRect(&m_workAreas[a], p)) {
            area = a;
            break;
          }
      }
      perArea[area].push_back(row);
    }
    for (size_t a = 0; a < m_workAreas.size(); ++a) {
      // Placed rows are re-flowed inside their area.
      for (int row : perArea[a])
        if (!OwnerData()) m_rows[static_cast<size_t>(row)].placed = false;
      flow(perArea[a], m_workAreas[a], nullptr);
      m_viewSize.cx = std::max(m_viewSize.cx, static_cast<int>(m_workAreas[a].right));
      m_viewSize.cy = std::max(m_viewSize.cy, static_cast<int>(m_workAreas[a].bottom));
    }
    for (size_t a = 0; a < m_workAreas.size(); ++a)
      for (int row : perArea[a])
        if (!OwnerData() && a > 0) {
          m_rows[static_cast<size_t>(row)].position = m_iconCells[static_cast<size_t>(row)];
          m_rows[static_cast<size_t>(row)].placed = true;
        }
    return;
  }
  std::vector<int> rows(static_cast<size_t>(count));
  for (int row = 0; row < count; ++row) rows[static_cast<size_t>(row)] = row;
  flow(rows, RECT{0, 0, Width(client), Height(client)}, nullptr);
}

// ---- item geometry ---------------------------------------------------------------------------

// Icon views: the item's cell in view coordinates (what LVM_SETITEMPOSITION sets); the other
// views: the bounds' corner in the client area.
POINT ListView::ItemPosition(int row) {
  EnsureLayout();
  const DWORD view = View();
  if ((view == LVS_ICON || view == LVS_SMALLICON) && Valid(row)) return m_iconCells[static_cast<size_t>(row)];
  const RECT r = ItemRect(row, LVIR_BOUNDS);
  return POINT{r.left, r.top};
}

ItemGeometry ListView::Geometry(int row) {
  EnsureLayout();
  ItemGeometry g;
  if (!Valid(row)) return g;
  const DWORD view = View();
  const SIZE state = StateImageSize();
  if (view == LVS_REPORT || view == LVS_LIST) {
    const int rh = RowHeight();
    int left = 0, top = 0, right = 0;
    if (view == LVS_REPORT) {
      const int slot = GroupedLayout() ? m_rowSlot[static_cast<size_t>(row)] : row;
      if (slot < 0) return g;
      top = HeaderHeight() + (slot - m_scrollY) * rh;
      left = -m_scrollX;
      right = left + m_viewSize.cx;
      g.bounds = RECT{left, top, right, top + rh};
      if (!m_columns.empty()) {
        left = ColumnLeft(0) - m_scrollX;
        right = left + m_columns[0].width;
      } else {
        right = left;
      }
    } else {
      const int perColumn = RowsPerListColumn();
      const int width = ListColumnWidth();
      left = (row / perColumn - m_scrollX) * width;
      top = (row % perColumn) * rh;
      right = left + width;
      g.bounds = RECT{left, top, right, top + rh};
    }
    int x = left + 2 + IndentOf(row) * std::max(1, static_cast<int>(ImageSize(LVSIL_SMALL).cx));
    if (state.cx > 0) {
      g.state = RECT{x, top + (rh - state.cy) / 2, x + state.cx, top + (rh - state.cy) / 2 + state.cy};
      x += state.cx;
    }
    const SIZE small = ImageSize(LVSIL_SMALL);
    g.icon = RECT{x, top, x + small.cx, top + rh};
    x += small.cx;
    int labelRight = right;
    if (view == LVS_LIST) labelRight = std::min<int>(right, x + LabelWidth(row) + 2 * kLabelPad + 2);
    g.label = RECT{x, top, std::max(x, labelRight), top + rh};
    g.select = RECT{g.icon.left, top, g.label.right, top + rh};
    if (view == LVS_REPORT && (m_exStyle & LVS_EX_FULLROWSELECT)) g.select = g.bounds;
    if (view == LVS_LIST) g.bounds.right = std::max(g.label.right, static_cast<LONG>(g.bounds.left));
    return g;
  }
  // Icon views.
  if (GroupedLayout() && m_rowBand[static_cast<size_t>(row)] < 0) return g;
  const bool small = view == LVS_SMALLICON;
  const SIZE spacing = IconSpacing(small);
  const POINT cell = m_iconCells[static_cast<size_t>(row)];
  const int x0 = cell.x - m_scrollX;
  const int y0 = cell.y - m_scrollY + HeaderHeight();
  if (small) {
    const int rh = RowHeight();
    int x = x0 + 2;
    if (state.cx > 0) {
      g.state = RECT{x, y0 + (rh - state.cy) / 2, x + state.cx, y0 + (rh - state.cy) / 2 + state.cy};
      x += state.cx;
    }
    const SIZE image = ImageSize(LVSIL_SMALL);
    g.icon = RECT{x, y0, x + image.cx, y0 + rh};
    x += image.cx;
    const int label = std::min<int>(LabelWidth(row) + 2 * kLabelPad + 2, x0 + spacing.cx - x - 2);
    g.label = RECT{x, y0, x + std::max(label, 0), y0 + rh};
    g.bounds = RECT{x0, y0, std::max(g.label.right, g.icon.right), y0 + rh};
    g.select = RECT{g.icon.left, y0, g.label.right, y0 + rh};
    return g;
  }
  const SIZE image = ImageSize(LVSIL_NORMAL);
  const int iw = std::max(static_cast<int>(image.cx), 1), ih = std::max(static_cast<int>(image.cy), 1);
  const int iconLeft = x0 + (spacing.cx - iw) / 2;
  g.icon = RECT{iconLeft - 2, y0, iconLeft + iw + 2, y0 + ih + 4};
  if (state.cx > 0) {
    const int sx = iconLeft - state.cx;
    g.state = RECT{sx, y0 + ih + 4 - state.cy, sx + state.cx, y0 + ih + 4};
  }
  // The label: wrapped to two lines in the cell's width, whole when focused (or without
  // LVS_NOLABELWRAP a single line).
  const std::u16string text = TextOf(row, 0);
  const int maxWidth = std::max(static_cast<int>(spacing.cx) - 4, 8);
  HDC dc = GetDC(m_hwnd);
  HGDIOBJ old = SelectObject(dc, Font());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  RECT measure{0, 0, maxWidth - 2 * kLabelPad, 0};
  const bool wrap = !(Style() & LVS_NOLABELWRAP) && !(m_exStyle & LVS_EX_HIDELABELS);
  if (!text.empty())
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measure,
              DT_CALCRECT | DT_NOPREFIX | DT_CENTER | (wrap ? DT_WORDBREAK | DT_EDITCONTROL : DT_SINGLELINE));
  SelectObject(dc, old);
  ReleaseDC(m_hwnd, dc);
  int lines = std::max(1, static_cast<int>(Height(measure) / std::max(1, static_cast<int>(tm.tmHeight))));
  const bool whole = (StateOf(row) & LVIS_FOCUSED) && m_focused;
  if (!whole) lines = std::min(lines, 2);
  const int labelWidth = std::min<int>(Width(measure), maxWidth - 2 * kLabelPad) + 2 * kLabelPad;
  const int labelTop = g.icon.bottom + 1;
  const int labelLeft = x0 + (spacing.cx - labelWidth) / 2;
  g.label = RECT{labelLeft, labelTop, labelLeft + labelWidth, labelTop + lines * tm.tmHeight + 2};
  if (m_exStyle & LVS_EX_HIDELABELS) g.label = RECT{g.icon.left, g.icon.bottom, g.icon.right, g.icon.bottom};
  g.bounds = RECT{std::min(g.icon.left, g.label.left), y0, std::max(g.icon.right, g.label.right),
                  std::max(g.label.bottom, g.icon.bottom)};
  if (g.state.right > g.state.left) g.bounds.left = std::min(g.bounds.left, g.state.left);
  g.select = g.bounds;
  return g;
}

RECT ListView::ItemRect(int row, int code) {
  const ItemGeometry g = Geometry(row);
  switch (code) {
    case LVIR_ICON: return g.icon;
    case LVIR_LABEL: return g.label;
    case LVIR_SELECTBOUNDS: return g.select;
    default: return g.bounds;
  }
}

RECT ListView::SubItemRect(int row, int subItem, int code) {
  const ItemGeometry g = Geometry(row);
  if (subItem == 0) {
    if (code == LVIR_BOUNDS) {
      // Column 0's cell (Windows answers the whole row for sub-item 0's bounds).
      return g.bounds;
    }
    return code == LVIR_ICON ? g.icon : g.label;
  }
  if (subItem >= ColumnCount()) return RECT{};
  const int left = ColumnLeft(subItem) - m_scrollX;
  RECT cell{left, g.bounds.top, left + m_columns[static_cast<size_t>(subItem)].width, g.bounds.bottom};
  if (code == LVIR_ICON) {
    const SIZE small = ImageSize(LVSIL_SMALL);
    cell.right = std::min<int>(cell.right, cell.left + small.cx + 2);
  }
  return cell;
}

// ---- hit tests -------------------------------------------------------------------------------

UINT ListView::HitTest(POINT pt, int* rowOut, int* subItemOut, int* groupOut) {
  EnsureLayout();
  *rowOut = -1;
  if (subItemOut) *subItemOut = 0;
  if (groupOut) *groupOut = -1;
  RECT client;
  GetClientRect(m_hwnd, &client);
  UINT flags = 0;
  if (pt.y < client.top) flags |= LVHT_ABOVE;
  if (pt.y >= client.bottom) flags |= LVHT_BELOW;
  if (pt.x < client.left) flags |= LVHT_TOLEFT;
  if (pt.x >= client.right) flags |= LVHT_TORIGHT;
  if (flags) return flags;
  const DWORD view = View();
  auto classify = [&](int row, const ItemGeometry& g) -> UINT {
    if (PtInRect(&g.state, pt)) return LVHT_ONITEMSTATEICON;
    if (PtInRect(&g.icon, pt)) return LVHT_ONITEMICON;
    if (PtInRect(&g.label, pt)) return LVHT_ONITEMLABEL;
    (void)row;
    return 0;
  };
  if (view == LVS_REPORT) {
    const int headerHeight = HeaderHeight();
    if (pt.y < headerHeight) return LVHT_NOWHERE;
    const int rh = RowHeight();
    const int slot = (pt.y - headerHeight) / rh + m_scrollY;
    int row = -1;
    if (!GroupedLayout()) {
      row = slot < Count() ? slot : -1;
    } else {
      for (size_t i = 0; i < m_rowSlot.size(); ++i)
        if (m_rowSlot[i] == slot) row = static_cast<int>(i);
      if (row < 0)
        for (const Band& band : m_bands)
          if (band.header && slot >= band.top && slot < band.top + band.height) {
            if (groupOut) *groupOut = m_groups[static_cast<size_t>(band.group)].id;
            return LVHT_EX_GROUP_HEADER | LVHT_NOWHERE;
          }
    }
    if (row < 0) return LVHT_NOWHERE;
    // Which column.
    int x = -m_scrollX, column = -1;
    for (int c : ColumnOrder()) {
      const int w = m_columns[static_cast<size_t>(c)].width;
      if (pt.x >= x && pt.x < x + w) column = c;
      x += w;
    }
    if (subItemOut) *subItemOut = std::max(column, 0);
    if (column < 0) {
      if (m_exStyle & LVS_EX_FULLROWSELECT && pt.x < x) {
        *rowOut = row;
        return LVHT_ONITEMLABEL;
      }
      return LVHT_NOWHERE;
    }
    const ItemGeometry g = Geometry(row);
    if (column == 0) {
      const UINT where = classify(row, g);
      if (where) {
        *rowOut = row;
        return where;
      }
      if (pt.x < g.state.left || (g.state.right == g.state.left && pt.x < g.icon.left)) {
        // The indent to the left of the content.
        if (m_exStyle & LVS_EX_FULLROWSELECT) {
          *rowOut = row;
          return LVHT_ONITEMLABEL;
        }
        return LVHT_NOWHERE;
      }
      *rowOut = row;
      return LVHT_ONITEMLABEL;
    }
    // A sub-item's cell: the row with full-row select or for LVM_SUBITEMHITTEST.
    *rowOut = row;
    return LVHT_ONITEMLABEL;
  }
  // The other views: the items that can be seen, last drawn first.
  const int count = Count();
  int first = 0, last = count - 1;
  if (view == LVS_LIST) {
    const int perColumn = RowsPerListColumn();
    const int width = std::max(1, ListColumnWidth());
    const int column = pt.x / width + m_scrollX;
    const int rowInColumn = pt.y / RowHeight();
    if (rowInColumn >= perColumn) return LVHT_NOWHERE;
    first = last = column * perColumn + rowInColumn;
    if (first >= count) return LVHT_NOWHERE;
  }
  for (int row = last; row >= first; --row) {
    if (!ShowsRow(row)) continue;
    if (GroupedLayout() && view != LVS_REPORT && m_rowBand[static_cast<size_t>(row)] < 0) continue;
    const RECT cell = view == LVS_LIST ? ItemRect(row, LVIR_BOUNDS) : RECT{};
    if (view != LVS_LIST) {
      // Cheap rejection by cell before measuring labels.
      const SIZE spacing = IconSpacing(view == LVS_SMALLICON);
      const POINT p = m_iconCells[static_cast<size_t>(row)];
      const int x0 = p.x - m_scrollX, y0 = p.y - m_scrollY;
      if (pt.x < x0 - 20 || pt.x >= x0 + spacing.cx + 20 || pt.y < y0 || pt.y >= y0 + spacing.cy * 3) continue;
    } else if (!PtInRect(&cell, pt)) {
      continue;
    }
    const ItemGeometry g = Geometry(row);
    const UINT where = classify(row, g);
    if (where) {
      *rowOut = row;
      return where;
    }
  }
  if (GroupedLayout() && view != LVS_LIST)
    for (const Band& band : m_bands)
      if (band.header && pt.y + m_scrollY >= band.top && pt.y + m_scrollY < band.top + band.height) {
        if (groupOut) *groupOut = m_groups[static_cast<size_t>(band.group)].id;
        return LVHT_EX_GROUP_HEADER | LVHT_NOWHERE;
      }
  return LVHT_NOWHERE;
}

int ListView::NearestItem(POINT pt, UINT vk, int from) {
  EnsureLayout();
  const DWORD view = View();
  const int count = Count();
  if (count == 0) return -1;
  if (view == LVS_REPORT || (view == LVS_LIST && vk != VK_LEFT && vk != VK_RIGHT)) {
    // Rows follow one another.
    if (from < 0) {
      int row = -1, sub = 0;
      HitTest(pt, &row, &sub);
      return row;
    }
    int step = vk == VK_UP || vk == VK_LEFT ? -1 : 1;
    for (int row = from + step; row >= 0 && row < count; row += step)
      if (ShowsRow(row)) return row;
    return -1;
  }
  if (view == LVS_LIST) {
    const int perColumn = RowsPerListColumn();
    const int row = from + (vk == VK_LEFT ? -perColumn : perColumn);
    return row >= 0 && row < count ? row : -1;
  }
  // Icon views: the nearest item in the direction asked.
  long best = LONG_MAX;
  int found = -1;
  for (int row = 0; row < count; ++row) {
    if (row == from || !ShowsRow(row)) continue;
    if (GroupedLayout() && m_rowBand[static_cast<size_t>(row)] < 0) continue;
    const POINT c = m_iconCells[static_cast<size_t>(row)];
    const int x = c.x - m_scrollX, y = c.y - m_scrollY + HeaderHeight();
    const int dx = x - pt.x, dy = y - pt.y;
    bool ahead = true;
    long weight = 0;
    const SIZE spacing = IconSpacing(view == LVS_SMALLICON);
    const int cx = spacing.cx / 2, cy = spacing.cy / 2;
    switch (vk) {
      case VK_LEFT: ahead = dx < -cx / 2; weight = static_cast<long>(-dx) + 4L * std::abs(dy); break;
      case VK_RIGHT: ahead = dx > cx / 2; weight = static_cast<long>(dx) + 4L * std::abs(dy); break;
      case VK_UP: ahead = dy < -cy / 2; weight = static_cast<long>(-dy) + 4L * std::abs(dx); break;
      case VK_DOWN: ahead = dy > cy / 2; weight = static_cast<long>(dy) + 4L * std::abs(dx); break;
      default: weight = static_cast<long>(dx) * dx + static_cast<long>(dy) * dy; break;
    }
    if (from >= 0 && !ahead) continue;
    if (weight < best) {
      best = weight;
      found = row;
    }
  }
  return found;
}

// ---- insert mark -----------------------------------------------------------------------------

int ListView::InsertMarkHitTest(POINT pt, LVINSERTMARK* mark) {
  EnsureLayout();
  mark->iItem = -1;
  mark->dwFlags = 0;
  const int count = Count();
  if (count == 0) return 0;
  // The item whose middle lies nearest before or after the point in reading order.
  const DWORD view = View();
  int best = -1;
  long bestDistance = LONG_MAX;
  bool after = false;
  for (int row = 0; row < count; ++row) {
    if (!ShowsRow(row)) continue;
    const RECT r = ItemRect(row, LVIR_BOUNDS);
    if (r.right <= r.left && r.bottom <= r.top) continue;
    const int mx = (r.left + r.right) / 2, my = (r.top + r.bottom) / 2;
    long distance;
    bool isAfter;
    if (view == LVS_REPORT) {
      distance = std::abs(pt.y - my);
      isAfter = pt.y > my;
    } else if (view == LVS_LIST) {
      distance = std::abs(pt.y - my) + 4L * std::abs(pt.x - mx);
      isAfter = pt.y > my;
    } else {
      // A row of icons: the vertical distance to its line matters most.
      const long dy = pt.y < r.top ? r.top - pt.y : pt.y > r.bottom ? pt.y - r.bottom : 0;
      distance = dy * 4 + std::abs(pt.x - mx);
      isAfter = pt.x > mx;
    }
    if (distance < bestDistance) {
      bestDistance = distance;
      best = row;
      after = isAfter;
    }
  }
  mark->iItem = best;
  mark->dwFlags = after ? LVIM_AFTER : 0;
  return best >= 0 ? 1 : 0;
}

RECT ListView::InsertMarkRect() {
  if (!Valid(m_insertMark)) return RECT{};
  const RECT r = ItemRect(m_insertMark, LVIR_BOUNDS);
  const DWORD view = View();
  if (view == LVS_REPORT || view == LVS_LIST) {
    const int y = m_insertAfter ? r.bottom : r.top;
    return RECT{r.left, y - 1, r.right, y + 1};
  }
  const int x = m_insertAfter ? r.right + 1 : r.left - 2;
  return RECT{x - 1, r.top, x + 2, r.bottom};
}

// ---- scrolling -------------------------------------------------------------------------------

int ListView::TopIndex() {
  EnsureLayout();
  const DWORD view = View();
  if (view == LVS_REPORT) {
    if (!GroupedLayout()) return std::clamp(m_scrollY, 0, std::max(0, Count() - 1));
    for (size_t i = 0; i < m_rowSlot.size(); ++i)
      if (m_rowSlot[i] >= m_scrollY) return static_cast<int>(i);
    return 0;
  }
  if (view == LVS_LIST) return std::min(m_scrollX * RowsPerListColumn(), std::max(0, Count() - 1));
  return 0;
}

int ListView::CountPerPage() {
  const DWORD view = View();
  const RECT client = ClientArea();
  if (view == LVS_REPORT) return std::max(0, Height(client) / RowHeight());
  if (view == LVS_LIST) return std::max(1, Width(client) / std::max(1, ListColumnWidth())) * RowsPerListColumn();
  return Count();
}

RECT ListView::ViewRect() {
  EnsureLayout();
  const DWORD view = View();
  if (view == LVS_REPORT) {
    const int rh = RowHeight();
    return RECT{-m_scrollX, HeaderHeight() - m_scrollY * rh, m_viewSize.cx - m_scrollX,
                HeaderHeight() + (m_viewSize.cy - m_scrollY) * rh};
  }
  if (view == LVS_LIST) {
    const int width = ListColumnWidth();
    return RECT{-m_scrollX * width, 0, (m_viewSize.cx - m_scrollX) * width, m_viewSize.cy * RowHeight()};
  }
  // The bounds of every item, in client coordinates.
  RECT bounds{0, 0, 0, 0};
  bool any = false;
  for (int row = 0; row < Count(); ++row) {
    if (!ShowsRow(row)) continue;
    const RECT r = ItemRect(row, LVIR_BOUNDS);
    if (!any) bounds = r;
    else UnionRect(&bounds, &bounds, &r);
    any = true;
  }
  return bounds;
}

void ListView::UpdateScrollBars() {
  if (!m_redraw) return;
  EnsureLayout();
  const DWORD style = Style();
  if (style & LVS_NOSCROLL) return;
  const DWORD view = View();
  for (int pass = 0; pass < 2; ++pass) {
    const RECT client = ClientArea();
    int vMax = 0, vPage = 0, hMax = 0, hPage = 0;
    if (view == LVS_REPORT) {
      vPage = std::max(1, Height(client) / RowHeight());
      vMax = m_viewSize.cy;
      hPage = Width(client);
      hMax = m_viewSize.cx;
    } else if (view == LVS_LIST) {
      const int width = std::max(1, ListColumnWidth());
      hPage = std::max(1, Width(client) / width);
      hMax = m_viewSize.cx;
    } else {
      const RECT r = ViewRect();
      vPage = Height(client);
      vMax = r.bottom + m_scrollY - client.top;
      hPage = Width(client);
      hMax = r.right + m_scrollX;
      // Icons laid out in rows never need a horizontal bar unless placed beyond.
    }
    const bool needV = vMax > vPage;
    const bool needH = hMax > hPage;
    if (view == LVS_REPORT) m_scrollY = std::clamp(m_scrollY, 0, std::max(0, vMax - vPage));
    else if (view != LVS_LIST) m_scrollY = std::clamp(m_scrollY, 0, std::max(0, vMax - vPage));
    m_scrollX = std::clamp(m_scrollX, 0, std::max(0, hMax - hPage));
    const bool hasV = (GetWindowLongPtrW(m_hwnd, GWL_STYLE) & WS_VSCROLL) != 0;
    const bool hasH = (GetWindowLongPtrW(m_hwnd, GWL_STYLE) & WS_HSCROLL) != 0;
    if (needV != hasV) ShowScrollBar(m_hwnd, SB_VERT, needV);
    if (needH != hasH) ShowScrollBar(m_hwnd, SB_HORZ, needH);
    SCROLLINFO v{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, needV ? vMax - 1 : 0,
                 static_cast<UINT>(needV ? vPage : 0), needV ? m_scrollY : 0, 0};
    SetScrollInfo(m_hwnd, SB_VERT, &v, TRUE);
    SCROLLINFO h{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, needH ? hMax - 1 : 0,
                 static_cast<UINT>(needH ? hPage : 0), needH ? m_scrollX : 0, 0};
    SetScrollInfo(m_hwnd, SB_HORZ, &h, TRUE);
    if (needV == hasV && needH == hasH) break;
    if (view == LVS_LIST) m_layoutDirty = true, EnsureLayout();  // the rows per column changed
  }
  PlaceHeader();
}

void ListView::ScrollBy(int dx, int dy) {
  EnsureLayout();
  const DWORD view = View();
  const int oldX = m_scrollX, oldY = m_scrollY;
  if (view == LVS_REPORT) {
    // dy in rows (LVM_SCROLL converts pixels before calling).
    m_scrollY += dy;
    m_scrollX += dx;
  } else if (view == LVS_LIST) {
    const int width = std::max(1, ListColumnWidth());
    m_scrollX += dx / width + (dx % width != 0 ? (dx > 0 ? 1 : -1) : 0);
  } else {
    m_scrollX += dx;
    m_scrollY += dy;
  }
  // Clamp through the scroll bars' ranges.
  SCROLLINFO v{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
  SCROLLINFO h{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(m_hwnd, SB_VERT, &v);
  GetScrollInfo(m_hwnd, SB_HORZ, &h);
  const bool hasV = (GetWindowLongPtrW(m_hwnd, GWL_STYLE) & WS_VSCROLL) != 0;
  const bool hasH = (GetWindowLongPtrW(m_hwnd, GWL_STYLE) & WS_HSCROLL) != 0;
  m_scrollY = hasV ? std::clamp(m_scrollY, 0, std::max(0, v.nMax - static_cast<int>(v.nPage) + 1)) : 0;
  m_scrollX = hasH ? std::clamp(m_scrollX, 0, std::max(0, h.nMax - static_cast<int>(h.nPage) + 1)) : 0;
  if (oldX == m_scrollX && oldY == m_scrollY) return;
  if (m_edit) EndEdit(false);
  SetScrollPos(m_hwnd, SB_VERT, m_scrollY, TRUE);
  SetScrollPos(m_hwnd, SB_HORZ, m_scrollX, TRUE);
  if (view == LVS_REPORT && oldX != m_scrollX) PlaceHeader();
  if (m_redraw) InvalidateRect(m_hwnd, nullptr, TRUE);
}

void ListView::OnScroll(int bar, WORD code) {
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(m_hwnd, bar, &info);
  const bool vertical = bar == SB_VERT;
  const DWORD view = View();
  int line = 1;
  if (!vertical && view == LVS_REPORT) line = 16;
  else if (!vertical && view != LVS_LIST) line = IconSpacing(view == LVS_SMALLICON).cx / 2;
  else if (vertical && view != LVS_REPORT) line = std::max(1, static_cast<int>(IconSpacing(view == LVS_SMALLICON).cy) / 2);
  const int page = std::max(1, static_cast<int>(info.nPage));
  const int pos = vertical ? m_scrollY : m_scrollX;
  int target = pos;
  switch (code) {
    case SB_LINEUP: target -= line; break;
    case SB_LINEDOWN: target += line; break;
    case SB_PAGEUP: target -= page; break;
    case SB_PAGEDOWN: target += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: target = info.nTrackPos; break;
    case SB_TOP: target = 0; break;
    case SB_BOTTOM: target = info.nMax; break;
    default: return;
  }
  const int delta = target - pos;
  if (view == LVS_LIST && !vertical) ScrollBy(delta * std::max(1, ListColumnWidth()), 0);
  else if (vertical) ScrollBy(0, delta);
  else ScrollBy(delta, 0);
}

bool ListView::EnsureVisible(int row, bool partial) {
  if (!Valid(row)) return false;
  EnsureLayout();
  if (!ShowsRow(row)) return false;
  const DWORD view = View();
  const RECT client = ClientArea();
  if (view == LVS_REPORT) {
    const int slot = GroupedLayout() ? m_rowSlot[static_cast<size_t>(row)] : row;
    if (slot < 0) return false;
    const int page = std::max(1, Height(client) / RowHeight());
    if (slot < m_scrollY) ScrollBy(0, slot - m_scrollY);
    else if (slot >= m_scrollY + page) ScrollBy(0, slot - page + 1 - m_scrollY);
    return true;
  }
  if (view == LVS_LIST) {
    const int perColumn = RowsPerListColumn();
    const int column = row / perColumn;
    const int visible = std::max(1, Width(client) / std::max(1, ListColumnWidth()));
    if (column < m_scrollX) ScrollBy((column - m_scrollX) * ListColumnWidth(), 0);
    else if (column >= m_scrollX + visible) ScrollBy((column - visible + 1 - m_scrollX) * ListColumnWidth(), 0);
    return true;
  }
  const RECT r = ItemRect(row, LVIR_BOUNDS);
  int dx = 0, dy = 0;
  if (partial) {
    if (r.bottom <= client.top) dy = r.top - client.top;
    else if (r.top >= client.bottom) dy = r.bottom - client.bottom;
  } else {
    if (r.top < client.top) dy = r.top - client.top;
    else if (r.bottom > client.bottom) dy = std::min<int>(r.bottom - client.bottom, r.top - client.top);
    if (r.left < client.left) dx = r.left - client.left;
    else if (r.right > client.right) dx = std::min<int>(r.right - client.right, r.left - client.left);
  }
  if (dx || dy) ScrollBy(dx, dy);
  return true;
}

void ListView::InvalidateRow(int row) {
  if (!m_redraw || !Valid(row)) return;
  if (m_layoutDirty) {
    InvalidateRect(m_hwnd, nullptr, TRUE);
    return;
  }
  RECT r = ItemRect(row, LVIR_BOUNDS);
  if (View() == LVS_REPORT) {
    RECT client;
    GetClientRect(m_hwnd, &client);
    r.left = client.left;
    r.right = client.right;
  } else {
    InflateRect(&r, 3, 3);
    // A focused label unfolds below its two lines.
    if (View() == LVS_ICON) r.bottom += 4 * RowHeight();
  }
  InvalidateRect(m_hwnd, &r, TRUE);
}

void ListView::Arrange(WPARAM code) {
  (void)code;
  if (!OwnerData())
    for (Row& r : m_rows) r.placed = false;
  LayoutChanged();
}

}  // namespace platform::listview_detail
