// The list view's painting: background, items in the four views, report cells, group
// headers, check boxes, the insert mark and the marquee; custom draw and owner draw; drag
// images.

#include <algorithm>

#include "platform/comctl/ListViewControl.h"
#include "platform/comctl/OwnerDraw.h"
#include "platform/gdi/Text.h"
#include "platform/gdi/WinGdi.h"
#include "platform/user/DrawControls.h"

namespace platform::listview_detail {

namespace {

constexpr int kLabelPad = 2;

struct DcState {
  explicit DcState(HDC dc) : dc(dc), saved(SaveDC(dc)) {}
  ~DcState() { RestoreDC(dc, saved); }
  DcState(const DcState&) = delete;
  DcState& operator=(const DcState&) = delete;
  HDC dc;
  int saved;
};

void Fill(HDC dc, const RECT& r, COLORREF colour) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

bool Overlaps(const RECT& a, const RECT& b) {
  RECT out;
  return IntersectRect(&out, &a, &b) != 0;
}

}  // namespace

COLORREF ListView::BackColor() const {
  if (m_bkColor == CLR_NONE) return CLR_NONE;
  return m_bkColor == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : m_bkColor;
}

COLORREF ListView::TextColor() const {
  if (!IsWindowEnabled(m_hwnd)) return GetSysColor(COLOR_GRAYTEXT);
  return m_textColor == CLR_DEFAULT ? GetSysColor(COLOR_WINDOWTEXT) : m_textColor;
}

void ListView::EraseBackground(HDC dc, const RECT* area) {
  // CLR_NONE leaves what the parent drew.
  const COLORREF back = BackColor();
  if (back == CLR_NONE) return;
  RECT client;
  GetClientRect(m_hwnd, &client);
  Fill(dc, area ? *area : client, back);
}

// The state images of the control's own check boxes: 1 empty, 2 checked.
void ListView::PaintCheckBox(HDC dc, const RECT& r, int stateImage) {
  if (stateImage <= 0) return;
  RECT box{r.left + (r.right - r.left - 13) / 2, r.top + (r.bottom - r.top - 13) / 2, 0, 0};
  box.right = box.left + 13;
  box.bottom = box.top + 13;
  DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (stateImage == 2 ? DFCS_CHECKED : 0));
}

void ListView::PaintGroupHeader(HDC dc, int groupIndex, const RECT& band) {
  const Group& group = m_groups[static_cast<size_t>(groupIndex)];
  if (band.bottom <= band.top) return;
  DcState state(dc);
  SelectObject(dc, Font());
  SetBkMode(dc, TRANSPARENT);
  const COLORREF accent = RGB(0x1E, 0x39, 0x87);
  SetTextColor(dc, accent);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  RECT text{band.left + 8, band.top + 2, band.right - 8, band.top + 2 + tm.tmHeight};
  UINT align = DT_LEFT;
  if (group.align & LVGA_HEADER_CENTER) align = DT_CENTER;
  else if (group.align & LVGA_HEADER_RIGHT) align = DT_RIGHT;
  int x = text.left;
  if (m_groupImages && group.titleImage >= 0) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(m_groupImages, &cx, &cy);
    ImageList_Draw(m_groupImages, group.titleImage, dc, x, band.top + 2, ILD_TRANSPARENT);
    text.left += cx + 4;
  }
  (void)x;
  SIZE size{};
  GetTextExtentPoint32W(dc, group.header.c_str(), static_cast<int>(group.header.size()), &size);
  DrawTextW(dc, group.header.c_str(), static_cast<int>(group.header.size()), &text,
            align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  // The rule after the caption, to the right edge.
  const int ruleY = text.top + tm.tmHeight / 2 + 1;
  const int ruleFrom = align == DT_LEFT ? std::min<int>(text.left + size.cx + 6, band.right) : band.left + 8;
  RECT rule{ruleFrom, ruleY, band.right - 8, ruleY + 1};
  if (align != DT_LEFT) rule = RECT{band.left + 8, text.bottom + 1, band.right - 8, text.bottom + 2};
  Fill(dc, rule, RGB(0xB6, 0xC4, 0xE6));
  int y = text.bottom + 2;
  SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  for (const std::u16string* line : {&group.subtitle, &group.descriptionTop}) {
    if (line->empty() || y + tm.tmHeight > band.bottom) continue;
    RECT r{text.left, y, band.right - 8, y + tm.tmHeight};
    DrawTextW(dc, line->c_str(), static_cast<int>(line->size()), &r, DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    y += tm.tmHeight;
  }
}

void ListView::Paint(HDC dc, const RECT& clip) {
  EnsureLayout();
  DcState state(dc);
  SelectObject(dc, Font());
  RECT client;
  GetClientRect(m_hwnd, &client);
  NMLVCUSTOMDRAW cd{};
  cd.nmcd.dwDrawStage = CDDS_PREPAINT;
  cd.nmcd.hdc = dc;
  cd.nmcd.rc = client;
  const LRESULT controlAnswer = Notify(NM_CUSTOMDRAW, NM_CUSTOMDRAW, &cd.nmcd.hdr);
  if (!(controlAnswer & CDRF_SKIPDEFAULT)) {
    const DWORD view = View();
    const int count = Count();
    std::vector<int> rows;
    if (view == LVS_REPORT) {
      const int rh = RowHeight();
      const int headerHeight = HeaderHeight();
      const int firstSlot = m_scrollY + std::max(0, static_cast<int>(clip.top) - headerHeight) / rh;
      const int lastSlot = m_scrollY + std::max(0, static_cast<int>(clip.bottom) - headerHeight) / rh;
      if (!GroupedLayout()) {
        for (int row = std::max(0, firstSlot); row <= lastSlot && row < count; ++row) rows.push_back(row);
      } else {
        for (int row = 0; row < count; ++row) {
          const int slot = m_rowSlot[static_cast<size_t>(row)];
          if (slot >= firstSlot && slot <= lastSlot) rows.push_back(row);
        }
        for (const Band& band : m_bands) {
          if (band.height == 0 || band.top + band.height < firstSlot || band.top > lastSlot) continue;
          const RECT r{0, headerHeight + (band.top - m_scrollY) * rh, client.right,
                       headerHeight + (band.top + band.height - m_scrollY) * rh};
          if (band.header) {
            PaintGroupHeader(dc, band.group, r);
          } else {
            const Group& group = m_groups[static_cast<size_t>(band.group)];
            const std::u16string& text = group.footer.empty() ? group.descriptionBottom : group.footer;
            RECT t{r.left + 8, r.top, r.right - 8, r.bottom};
            UINT align = (group.align & LVGA_FOOTER_CENTER) ? DT_CENTER : (group.align & LVGA_FOOTER_RIGHT) ? DT_RIGHT : DT_LEFT;
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &t, align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
          }
        }
      }
    } else if (view == LVS_LIST) {
      const int perColumn = RowsPerListColumn();
      const int width = std::max(1, ListColumnWidth());
      const int firstColumn = m_scrollX + std::max(0, static_cast<int>(clip.left)) / width;
      const int lastColumn = m_scrollX + std::max(0, static_cast<int>(clip.right)) / width;
      for (int row = firstColumn * perColumn; row < count && row < (lastColumn + 1) * perColumn; ++row) rows.push_back(row);
    } else {
      if (GroupedLayout())
        for (const Band& band : m_bands)
          if (band.header && band.height > 0) {
            const RECT r{0, band.top - m_scrollY + HeaderHeight(), client.right, band.top - m_scrollY + band.height + HeaderHeight()};
            if (Overlaps(r, clip)) PaintGroupHeader(dc, band.group, r);
          }
      const SIZE spacing = IconSpacing(view == LVS_SMALLICON);
      const int extra = view == LVS_ICON ? 6 * RowHeight() : 0;
      for (int row = 0; row < count; ++row) {
        if (GroupedLayout() && m_rowBand[static_cast<size_t>(row)] < 0) continue;
        const POINT p = m_iconCells[static_cast<size_t>(row)];
        const RECT cell{p.x - m_scrollX - 4, p.y - m_scrollY, p.x - m_scrollX + spacing.cx + 4,
                        p.y - m_scrollY + spacing.cy + extra};
        if (Overlaps(cell, clip)) rows.push_back(row);
      }
    }
    if (!rows.empty()) CacheHint(rows.front(), rows.back());
    // An unfolded focused label lies over the items after it: paint it last.
    if (view == LVS_ICON && Valid(m_focus)) {
      auto it = std::find(rows.begin(), rows.end(), m_focus);
      if (it != rows.end()) {
        rows.erase(it);
        rows.push_back(m_focus);
      }
    }
    for (int row : rows) {
      if (!Valid(row)) break;  // a notification may have changed the rows
      if (!ShowsRow(row)) continue;
      PaintItem(dc, row, controlAnswer);
    }
    // Grid lines between rows and columns.
    if (view == LVS_REPORT && (m_exStyle & LVS_EX_GRIDLINES)) {
      const int rh = RowHeight();
      const COLORREF line = GetSysColor(COLOR_BTNFACE);
      for (int y = HeaderHeight() + rh - 1; y < client.bottom; y += rh) Fill(dc, RECT{0, y, client.right, y + 1}, line);
      int x = -m_scrollX;
      for (int c : ColumnOrder()) {
        x += m_columns[static_cast<size_t>(c)].width;
        Fill(dc, RECT{x - 1, HeaderHeight(), x, client.bottom}, line);
      }
    }
    if (Valid(m_insertMark)) {
      const RECT mark = InsertMarkRect();
      Fill(dc, mark, m_insertMarkColor);
      // Small bars across both ends, so that the mark reads as a caret.
      if (View() == LVS_REPORT || View() == LVS_LIST) {
        Fill(dc, RECT{mark.left, mark.top - 2, mark.left + 1, mark.bottom + 2}, m_insertMarkColor);
        Fill(dc, RECT{mark.right - 1, mark.top - 2, mark.right, mark.bottom + 2}, m_insertMarkColor);
      } else {
        Fill(dc, RECT{mark.left - 2, mark.top, mark.right + 2, mark.top + 1}, m_insertMarkColor);
        Fill(dc, RECT{mark.left - 2, mark.bottom - 1, mark.right + 2, mark.bottom}, m_insertMarkColor);
      }
    }
    if (m_marquee) {
      RECT r{std::min(m_marqueeFrom.x, m_marqueeTo.x) - m_scrollX, std::min(m_marqueeFrom.y, m_marqueeTo.y) - m_scrollY,
             std::max(m_marqueeFrom.x, m_marqueeTo.x) - m_scrollX, std::max(m_marqueeFrom.y, m_marqueeTo.y) - m_scrollY};
      HBRUSH frame = CreateSolidBrush(GetSysColor(COLOR_HIGHLIGHT));
      FrameRect(dc, &r, frame);
      DeleteObject(frame);
    }
  }
  if (controlAnswer & CDRF_NOTIFYPOSTPAINT) {
    NMLVCUSTOMDRAW post{};
    post.nmcd.dwDrawStage = CDDS_POSTPAINT;
    post.nmcd.hdc = dc;
    post.nmcd.rc = client;
    Notify(NM_CUSTOMDRAW, NM_CUSTOMDRAW, &post.nmcd.hdr);
  }
}

void ListView::PaintItem(HDC dc, int row, LRESULT controlAnswer) {
  const ItemGeometry g = Geometry(row);
  const UINT state = StateOf(row);
  const DWORD style = Style();
  const bool selected = (state & LVIS_SELECTED) != 0;
  const bool showSelection = selected && (m_focused || (style & LVS_SHOWSELALWAYS));
  NMLVCUSTOMDRAW cd{};
  cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
  cd.nmcd.hdc = dc;
  cd.nmcd.rc = g.bounds;
  cd.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
  cd.nmcd.lItemlParam = ParamOf(row);
  if (selected) cd.nmcd.uItemState |= CDIS_SELECTED;
  if ((state & LVIS_FOCUSED) && m_focused) cd.nmcd.uItemState |= CDIS_FOCUS;
  if (row == m_hot) cd.nmcd.uItemState |= CDIS_HOT;
  if (state & LVIS_DROPHILITED) cd.nmcd.uItemState |= CDIS_DROPHILITED;
  cd.clrText = TextColor();
  cd.clrTextBk = m_textBkColor;
  DcState dcState(dc);
  LRESULT answer = CDRF_DODEFAULT;
  if (controlAnswer & CDRF_NOTIFYITEMDRAW) {
    answer = Notify(NM_CUSTOMDRAW, NM_CUSTOMDRAW, &cd.nmcd.hdr);
    if (answer & CDRF_SKIPDEFAULT) return;
    if (!Valid(row)) return;
  }
  if (View() == LVS_REPORT && (style & LVS_OWNERDRAWFIXED)) {
    DRAWITEMSTRUCT di{};
    di.CtlType = ODT_LISTVIEW;
    di.CtlID = static_cast<UINT>(GetWindowLongPtrW(m_hwnd, GWLP_ID));
    di.itemID = static_cast<UINT>(row);
    di.itemAction = ODA_DRAWENTIRE;
    if (selected) di.itemState |= ODS_SELECTED;
    if ((state & LVIS_FOCUSED) && m_focused) di.itemState |= ODS_FOCUS;
    di.hwndItem = m_hwnd;
    di.hDC = dc;
    di.rcItem = g.bounds;
    di.itemData = static_cast<ULONG_PTR>(ParamOf(row));
    HWND parent = GetParent(m_hwnd);
    if (parent) SendMessageW(parent, WM_DRAWITEM, di.CtlID, reinterpret_cast<LPARAM>(&di));
  } else if (View() == LVS_REPORT) {
    PaintReportRow(dc, row, answer, cd);
  } else {
    if (!(answer & CDRF_NEWFONT)) SelectObject(dc, Font());
    // State image (check box), then the image with its overlay, then the label.
    UINT stateBits = state;
    bool showStateImage = true;
    if (OwnerData() || HasCheckBoxes() || (m_callbackMask & LVIS_STATEIMAGEMASK)) {
      if (OwnerData() || (ParamOf(row) != 0 || true)) {
        FillDispInfo(row, 0, LVIF_STATE, nullptr, nullptr, nullptr);
        if ((m_dispStateMask & LVIS_STATEIMAGEMASK) == 0 && HasCheckBoxes()) showStateImage = false;
        else stateBits = (stateBits & ~LVIS_STATEIMAGEMASK) | (m_dispState & LVIS_STATEIMAGEMASK);
      }
    }
    const int stateImage = static_cast<int>((stateBits & LVIS_STATEIMAGEMASK) >> 12);
    if (showStateImage && stateImage > 0 && g.state.right > g.state.left) {
      if (m_stateImages) ImageList_Draw(m_stateImages, stateImage - 1, dc, g.state.left, g.state.top, ILD_TRANSPARENT);
      else PaintCheckBox(dc, g.state, stateImage);
    }
    const bool small = View() != LVS_ICON;
    HIMAGELIST images = small ? m_smallImages : m_normalImages;
    const int image = images ? ImageOf(row, 0) : I_IMAGENONE;
    const UINT overlay = (stateBits & LVIS_OVERLAYMASK);
    const bool borderSelect = (m_exStyle & LVS_EX_BORDERSELECT) && View() == LVS_ICON;
    if (images && image >= 0) {
      int cx = 0, cy = 0;
      ImageList_GetIconSize(images, &cx, &cy);
      const int x = small ? g.icon.left : g.icon.left + 2;
      const int y = small ? g.icon.top + (g.icon.bottom - g.icon.top - cy) / 2 : g.icon.top + 2;
      UINT flags = ILD_TRANSPARENT | overlay;
      if ((showSelection && !borderSelect) || (state & LVIS_DROPHILITED)) flags |= ILD_BLEND50;
      if (state & LVIS_CUT) flags |= ILD_BLEND50;
      ImageList_DrawEx(images, image, dc, x, y, 0, 0, CLR_NONE, CLR_DEFAULT, flags);
    }
    if (borderSelect) {
      // A frame around the picture instead of a tinted picture: the selection's colour for a
      // selected item, the hot colour for the hot one, and a thin outline in the outline colour
      // for every other.
      const bool active = m_focused || (state & LVIS_DROPHILITED);
      const bool marked = showSelection || row == m_hot;
      const COLORREF colour = showSelection ? GetSysColor(active ? COLOR_HIGHLIGHT : COLOR_BTNFACE)
                              : row == m_hot ? GetSysColor(COLOR_HOTLIGHT)
                                             : m_outlineColor;
      HBRUSH frame = CreateSolidBrush(colour);
      RECT r = g.icon;
      FrameRect(dc, &r, frame);
      if (marked) {
        InflateRect(&r, -1, -1);
        FrameRect(dc, &r, frame);
      }
      DeleteObject(frame);
    }
    if (!(m_exStyle & LVS_EX_HIDELABELS)) {
      const std::u16string text = TextOf(row, 0);
      RECT label = g.label;
      COLORREF textColour = cd.clrText;
      COLORREF back = cd.clrTextBk;
      if (showSelection || (state & LVIS_DROPHILITED)) {
        const bool active = m_focused || (state & LVIS_DROPHILITED);
        back = GetSysColor(active ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
        textColour = GetSysColor(active ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
      }
      if (back != CLR_NONE && back != CLR_DEFAULT && (back != BackColor() || showSelection)) Fill(dc, label, back);
      const bool hotLook = row == m_hot && (m_exStyle & (LVS_EX_TRACKSELECT | LVS_EX_UNDERLINEHOT | LVS_EX_ONECLICKACTIVATE));
      HFONT underline = nullptr;
      if (hotLook && !showSelection) {
        textColour = GetSysColor(COLOR_HOTLIGHT);
        if (m_exStyle & (LVS_EX_UNDERLINEHOT | LVS_EX_ONECLICKACTIVATE)) {
          LOGFONTW lf{};
          GetObjectW(Font(), sizeof lf, &lf);
          lf.lfUnderline = TRUE;
          underline = CreateFontIndirectW(&lf);
          SelectObject(dc, underline);
        }
      }
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, textColour);
      RECT t = label;
      InflateRect(&t, -kLabelPad, 0);
      if (View() == LVS_ICON) {
        const bool wrap = !(Style() & LVS_NOLABELWRAP);
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &t,
                  DT_CENTER | DT_NOPREFIX | DT_END_ELLIPSIS | (wrap ? DT_WORDBREAK | DT_EDITCONTROL : DT_SINGLELINE));
      } else {
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &t, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
      }
      if (underline) {
        SelectObject(dc, Font());
        DeleteObject(underline);
      }
      if ((state & LVIS_FOCUSED) && m_focused && row != m_editRow) DrawFocusRect(dc, &label);
    }
  }
  if (answer & CDRF_NOTIFYPOSTPAINT) {
    cd.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT;
    Notify(NM_CUSTOMDRAW, NM_CUSTOMDRAW, &cd.nmcd.hdr);
  }
}

void ListView::PaintReportRow(HDC dc, int row, LRESULT answer, NMLVCUSTOMDRAW& cd) {
  const ItemGeometry g = Geometry(row);
  const UINT state = StateOf(row);
  const bool selected = (state & LVIS_SELECTED) != 0;
  const bool showSelection = (selected && (m_focused || (Style() & LVS_SHOWSELALWAYS))) || (state & LVIS_DROPHILITED);
  const bool active = m_focused || (state & LVIS_DROPHILITED);
  const bool fullRow = (m_exStyle & LVS_EX_FULLROWSELECT) != 0;
  const COLORREF selectBack = GetSysColor(active ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
  const COLORREF selectText = GetSysColor(active ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
  if (!(answer & CDRF_NEWFONT)) SelectObject(dc, Font());
  UINT stateBits = state;
  bool showStateImage = true;
  if (OwnerData() || HasCheckBoxes() || (m_callbackMask & LVIS_STATEIMAGEMASK)) {
    FillDispInfo(row, 0, LVIF_STATE, nullptr, nullptr, nullptr);
    if ((m_dispStateMask & LVIS_STATEIMAGEMASK) == 0 && HasCheckBoxes()) showStateImage = false;
    else stateBits = (stateBits & ~LVIS_STATEIMAGEMASK) | (m_dispState & LVIS_STATEIMAGEMASK);
  }
  const std::vector<int> order = ColumnOrder();
  const int columns = std::max(1, ColumnCount());
  for (int i = 0; i < columns; ++i) {
    const int column = m_columns.empty() ? 0 : order[static_cast<size_t>(i)];
    RECT cell = SubItemRect(row, column, LVIR_BOUNDS);
    if (column == 0 && !m_columns.empty()) {
      const int left = ColumnLeft(0) - m_scrollX;
      cell = RECT{left, g.bounds.top, left + m_columns[0].width, g.bounds.bottom};
    }
    if (cell.right <= cell.left) continue;
    NMLVCUSTOMDRAW sub = cd;
    LRESULT subAnswer = CDRF_DODEFAULT;
    if (answer & CDRF_NOTIFYSUBITEMDRAW) {
      sub.nmcd.dwDrawStage = CDDS_SUBITEM | CDDS_ITEMPREPAINT;
      sub.iSubItem = column;
      sub.nmcd.rc = cell;
      subAnswer = Notify(NM_CUSTOMDRAW, NM_CUSTOMDRAW, &sub.nmcd.hdr);
      if (!Valid(row)) return;
      if (subAnswer & CDRF_SKIPDEFAULT) continue;
      if (!(subAnswer & CDRF_NEWFONT) && !(answer & CDRF_NEWFONT)) SelectObject(dc, Font());
    }
    const bool highlighted = showSelection && (fullRow || column == 0);
    COLORREF textColour = highlighted ? selectText : sub.clrText;
    COLORREF back = sub.clrTextBk;
    // The cell: its background first, then in column 0 the item's state image, indent and image,
    // then the text. A full-row highlight starts at the label, so the check box and the icon
    // stay visible on a selected row.
    if (highlighted) {
      RECT fill = column == 0 ? g.label : cell;
      if (column == 0 && fullRow) fill.right = cell.right;
      if (column == 0 && !fullRow) fill.right = std::min<int>(fill.right, fill.left + LabelWidth(row) + 2 * kLabelPad + 4);
      Fill(dc, fill, selectBack);
    } else if (back != CLR_NONE && back != CLR_DEFAULT && back != BackColor()) {
      Fill(dc, column == 0 ? g.label : cell, back);
    }
    int x = cell.left + 2;
    RECT textRect = cell;
    if (column == 0) {
      const int stateImage = static_cast<int>((stateBits & LVIS_STATEIMAGEMASK) >> 12);
      if (showStateImage && stateImage > 0 && g.state.right > g.state.left) {
        if (m_stateImages) ImageList_Draw(m_stateImages, stateImage - 1, dc, g.state.left, g.state.top, ILD_TRANSPARENT);
        else PaintCheckBox(dc, g.state, stateImage);
      }
      if (m_smallImages) {
        const int image = ImageOf(row, 0);
        if (image >= 0) {
          int cx = 0, cy = 0;
          ImageList_GetIconSize(m_smallImages, &cx, &cy);
          UINT flags = ILD_TRANSPARENT | (stateBits & LVIS_OVERLAYMASK);
          if (showSelection || (state & LVIS_CUT)) flags |= ILD_BLEND50;
          ImageList_DrawEx(m_smallImages, image, dc, g.icon.left, g.icon.top + (g.icon.bottom - g.icon.top - cy) / 2, 0, 0,
                           CLR_NONE, CLR_DEFAULT, flags);
        }
      }
      textRect = g.label;
      x = g.label.left;
    } else if ((m_exStyle & LVS_EX_SUBITEMIMAGES) && m_smallImages) {
      const int image = ImageOf(row, column);
      if (image >= 0) {
        int cx = 0, cy = 0;
        ImageList_GetIconSize(m_smallImages, &cx, &cy);
        ImageList_Draw(m_smallImages, image, dc, x, cell.top + (cell.bottom - cell.top - cy) / 2, ILD_TRANSPARENT);
        x += cx + 2;
      }
      textRect.left = x;
    }
    const std::u16string text = TextOf(row, column);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, textColour);
    RECT t = textRect;
    t.left += kLabelPad + (column == 0 ? 0 : 4);
    t.right -= kLabelPad + 2;
    UINT align = DT_LEFT;
    if (column > 0 && column < ColumnCount()) {
      const int fmt = m_columns[static_cast<size_t>(column)].fmt & LVCFMT_JUSTIFYMASK;
      if (fmt == LVCFMT_RIGHT) align = DT_RIGHT;
      else if (fmt == LVCFMT_CENTER) align = DT_CENTER;
    }
    if (!text.empty() && t.right > t.left)
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &t, align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (subAnswer & CDRF_NOTIFYPOSTPAINT) {
      sub.nmcd.dwDrawStage = CDDS_SUBITEM | CDDS_ITEMPOSTPAINT;
      Notify(NM_CUSTOMDRAW, NM_CUSTOMDRAW, &sub.nmcd.hdr);
    }
  }
  if ((state & LVIS_FOCUSED) && m_focused && row != m_editRow) {
    RECT focus = fullRow ? g.bounds : g.label;
    if (!fullRow) focus.right = std::min<int>(focus.right, focus.left + LabelWidth(row) + 2 * kLabelPad + 4);
    DrawFocusRect(dc, &focus);
  }
}

HIMAGELIST ListView::CreateDragImage(int row, POINT* upperLeft) {
  if (!Valid(row)) return nullptr;
  const ItemGeometry g = Geometry(row);
  RECT r = View() == LVS_REPORT ? RECT{g.icon.left, g.bounds.top, g.label.right, g.bounds.bottom} : g.bounds;
  if (View() == LVS_REPORT) r.right = std::min<int>(r.right, g.label.left + LabelWidth(row) + 2 * kLabelPad + 4);
  const int w = std::max(1, static_cast<int>(r.right - r.left)), h = std::max(1, static_cast<int>(r.bottom - r.top));
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bitmap);
  Fill(mem, RECT{0, 0, w, h}, BackColor() == CLR_NONE ? GetSysColor(COLOR_WINDOW) : BackColor());
  SetViewportOrgEx(mem, -r.left, -r.top, nullptr);
  {
    // The item as it looks unselected, without custom draw.
    const UINT saved = StateOf(row);
    const bool focused = m_focused;
    m_focused = false;
    if (OwnerData()) m_ownerStates[static_cast<size_t>(row)] &= ~(LVIS_SELECTED | LVIS_FOCUSED);
    else m_rows[static_cast<size_t>(row)].state &= ~(LVIS_SELECTED | LVIS_FOCUSED);
    PaintItem(mem, row, CDRF_DODEFAULT);
    if (OwnerData()) m_ownerStates[static_cast<size_t>(row)] = saved;
    else m_rows[static_cast<size_t>(row)].state = saved;
    m_focused = focused;
  }
  SetViewportOrgEx(mem, 0, 0, nullptr);
  SelectObject(mem, old);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  // Make the pixels opaque: GDI left their alpha at 0.
  if (bits) {
    auto* px = static_cast<DWORD*>(bits);
    for (int i = 0; i < w * h; ++i) px[i] |= 0xFF000000u;
  }
  HIMAGELIST list = ImageList_Create(w, h, ILC_COLOR32, 1, 1);
  ImageList_Add(list, bitmap, nullptr);
  DeleteObject(bitmap);
  if (upperLeft) *upperLeft = POINT{r.left, r.top};
  return list;
}

}  // namespace platform::listview_detail
