// The list view's mouse and keyboard handling: selection (click, Ctrl, Shift, marquee, keys,
// type-ahead), hot tracking, activation, check boxes, drag detection, label editing and the
// header's notifications.

#include <algorithm>

#include "platform/comctl/Edit.h"
#include "platform/comctl/ListViewControl.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/Subclass.h"

namespace platform::listview_detail {

namespace {

// Timer ids kept clear of the ones a subclass of the control may use.
constexpr UINT_PTR kEditTimer = 0x4C5601;
constexpr UINT_PTR kEditSubclassId = 0x4C56;
constexpr LONG kTypeAheadMs = 1000;

bool CtrlDown() { return GetKeyState(VK_CONTROL) < 0; }
bool ShiftDown() { return GetKeyState(VK_SHIFT) < 0; }

}  // namespace

void ListView::SetHot(int row) {
  if (row == m_hot) return;
  const int old = m_hot;
  m_hot = row;
  InvalidateRow(old);
  InvalidateRow(row);
  if (row >= 0) {
    const bool hover = (m_exStyle & LVS_EX_TRACKSELECT) != 0;
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE | (hover ? TME_HOVER : 0U), m_hwnd,
                          m_hoverTime < 0 ? HOVER_DEFAULT : static_cast<DWORD>(m_hoverTime)};
    TrackMouseEvent(&track);
    NotifyListView(LVN_HOTTRACK, row, 0, 0, 0, 0);
  }
}

void ListView::SetFocusRow(int row, bool ensureVisible) {
  if (!Valid(row)) return;
  SetState(row, LVIS_FOCUSED, LVIS_FOCUSED);
  if (ensureVisible) EnsureVisible(row, false);
}

// A plain key press: the row becomes the only selected one, focused, and the anchor.
void ListView::SelectByKey(int row) {
  if (!Valid(row)) return;
  if (ShiftDown() && !(Style() & LVS_SINGLESEL) && Valid(m_anchor)) {
    if (!CtrlDown()) {
      // The range from the anchor replaces the selection.
      const int from = std::min(m_anchor, row), to = std::max(m_anchor, row);
      if (OwnerData()) {
        ClearSelection();
        SelectRange(from, to, true);
      } else {
        for (int i = 0; i < Count(); ++i) {
          const bool inside = i >= from && i <= to;
          if (inside != ((StateOf(i) & LVIS_SELECTED) != 0)) SetState(i, inside ? LVIS_SELECTED : 0, LVIS_SELECTED);
        }
      }
    } else {
      SelectRange(m_anchor, row, true);
    }
    SetFocusRow(row, true);
    return;
  }
  if (CtrlDown() && !(Style() & LVS_SINGLESEL)) {
    SetFocusRow(row, true);
    return;
  }
  ClearSelection(row);
  SetState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  m_anchor = row;
  EnsureVisible(row, false);
}

void ListView::OnButtonDown(bool right, POINT pt, bool dblclk) {
  if (m_edit) EndEdit(false);
  KillTimer(m_hwnd, kEditTimer);
  m_editAfterTimer = -1;
  if (GetFocus() != m_hwnd) SetFocus(m_hwnd);
  int row = -1, subItem = 0;
  const UINT hit = HitTest(pt, &row, &subItem);
  const bool onItem = row >= 0 && (hit & LVHT_ONITEM);
  const DWORD style = Style();
  if (dblclk) {
    if (onItem && (hit & LVHT_ONITEMSTATEICON) && HasCheckBoxes()) ToggleCheck(row);
    if (NotifyActivate(NM_DBLCLK, row, subItem, pt)) return;
    if (onItem && !(hit & LVHT_ONITEMSTATEICON) && !(m_exStyle & LVS_EX_ONECLICKACTIVATE))
      NotifyActivate(LVN_ITEMACTIVATE, row, subItem, pt);
    return;
  }
  if (!right && onItem && (hit & LVHT_ONITEMSTATEICON) && HasCheckBoxes()) {
    ToggleCheck(row);
    m_pending = Pending{};
    m_pending.active = true;
    m_pending.at = pt;
    m_pending.row = row;
    m_pending.hit = hit;
    m_pending.dragged = true;  // no drag and no selection from a click on the box
    SetCapture(m_hwnd);
    return;
  }
  const bool single = (style & LVS_SINGLESEL) != 0;
  const bool ctrl = CtrlDown() && !single && !right;
  const bool shift = ShiftDown() && !single && !right;
  m_pending = Pending{};
  m_pending.active = true;
  m_pending.right = right;
  m_pending.at = pt;
  m_pending.row = onItem ? row : -1;
  m_pending.hit = hit;
  m_pending.wasSelected = onItem && (StateOf(row) & LVIS_SELECTED);
  m_pending.keys = (ctrl ? MK_CONTROL : 0) | (shift ? MK_SHIFT : 0);
  SetCapture(m_hwnd);
  if (!onItem) {
    if (!ctrl && !shift) ClearSelection();
    // A marquee may start from here once the pointer moves (icon views, several may be
    // selected).
    return;
  }
  if (shift && Valid(m_anchor)) {
    SelectByKey(row);
    return;
  }
  if (ctrl) {
    const bool now = !(StateOf(row) & LVIS_SELECTED);
    SetState(row, (now ? LVIS_SELECTED : 0) | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_anchor = row;
    return;
  }
  if (m_pending.wasSelected && SelectedCount() > 1) {
    // Keep the selection for a drag of all of it; a plain click narrows it on release.
    SetFocusRow(row, false);
    m_anchor = row;
    return;
  }
  ClearSelection(row);
  SetState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  m_anchor = row;
}

void ListView::OnMouseMove(POINT pt, WPARAM keys) {
  (void)keys;
  if (!m_pending.active && (m_exStyle & (LVS_EX_TRACKSELECT | LVS_EX_ONECLICKACTIVATE | LVS_EX_TWOCLICKACTIVATE |
                                         LVS_EX_UNDERLINEHOT | LVS_EX_BORDERSELECT))) {
    int row = -1, subItem = 0;
    const UINT hit = HitTest(pt, &row, &subItem);
    SetHot(row >= 0 && (hit & LVHT_ONITEM) ? row : -1);
  }
  if (!m_pending.active || m_pending.dragged) {
    if (m_marquee) {
      m_marqueeTo = POINT{pt.x + m_scrollX, pt.y + m_scrollY};
      const RECT box{std::min(m_marqueeFrom.x, m_marqueeTo.x) - m_scrollX, std::min(m_marqueeFrom.y, m_marqueeTo.y) - m_scrollY,
                     std::max(m_marqueeFrom.x, m_marqueeTo.x) - m_scrollX, std::max(m_marqueeFrom.y, m_marqueeTo.y) - m_scrollY};
      for (int row = 0; row < Count(); ++row) {
        if (!ShowsRow(row)) continue;
        const RECT r = ItemRect(row, LVIR_SELECTBOUNDS);
        RECT overlap;
        const bool inside = IntersectRect(&overlap, &r, &box) != 0;
        const bool before = row < static_cast<int>(m_marqueeStart.size()) && (m_marqueeStart[static_cast<size_t>(row)] & LVIS_SELECTED);
        const bool want = (m_pending.keys & MK_CONTROL) ? (before != inside) : (inside || ((m_pending.keys & MK_SHIFT) && before));
        if (want != ((StateOf(row) & LVIS_SELECTED) != 0)) SetState(row, want ? LVIS_SELECTED : 0, LVIS_SELECTED);
      }
      InvalidateRect(m_hwnd, nullptr, TRUE);
    }
    return;
  }
  const int cx = GetSystemMetrics(SM_CXDRAG), cy = GetSystemMetrics(SM_CYDRAG);
  if (std::abs(pt.x - m_pending.at.x) <= cx && std::abs(pt.y - m_pending.at.y) <= cy) return;
  m_pending.dragged = true;
  if (m_pending.row >= 0) {
    const int row = m_pending.row;
    const POINT at = m_pending.at;
    const bool right = m_pending.right;
    // The parent runs the drag from here; the control lets go of the mouse.
    m_pending = Pending{};
    if (GetCapture() == m_hwnd) ReleaseCapture();
    NotifyListView(right ? LVN_BEGINRDRAG : LVN_BEGINDRAG, row, 0, 0, 0, 0, at);
    return;
  }
  const DWORD view = View();
  if (!m_pending.right && (view == LVS_ICON || view == LVS_SMALLICON) && !(Style() & LVS_SINGLESEL)) {
    if (NotifyCode(LVN_MARQUEEBEGIN)) return;
    m_marquee = true;
    m_marqueeFrom = POINT{m_pending.at.x + m_scrollX, m_pending.at.y + m_scrollY};
    m_marqueeTo = POINT{pt.x + m_scrollX, pt.y + m_scrollY};
    m_marqueeStart.assign(static_cast<size_t>(Count()), 0);
    for (int row = 0; row < Count(); ++row) m_marqueeStart[static_cast<size_t>(row)] = StateOf(row);
    OnMouseMove(pt, keys);
  }
}

void ListView::OnButtonUp(bool right, POINT pt) {
  if (!m_pending.active || m_pending.right != right) {
    if (GetCapture() == m_hwnd) ReleaseCapture();
    return;
  }
  const Pending pending = m_pending;
  m_pending = Pending{};
  if (m_marquee) {
    m_marquee = false;
    m_marqueeStart.clear();
    InvalidateRect(m_hwnd, nullptr, TRUE);
  }
  if (GetCapture() == m_hwnd) ReleaseCapture();
  int row = -1, subItem = 0;
  HitTest(pt, &row, &subItem);
  if (right) {
    if (Valid(pending.row) && !(StateOf(pending.row) & LVIS_SELECTED)) {
      ClearSelection(pending.row);
      SetState(pending.row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    if (!NotifyActivate(NM_RCLICK, pending.row, subItem, pt)) {
      POINT screen = pt;
      ClientToScreen(m_hwnd, &screen);
      SendMessageW(m_hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_hwnd), MAKELPARAM(screen.x, screen.y));
    }
    return;
  }
  if (pending.dragged && pending.row >= 0 && (pending.hit & LVHT_ONITEMSTATEICON)) {
    NotifyActivate(NM_CLICK, pending.row, subItem, pt);
    return;
  }
  // A plain click on one of several selected rows leaves it the only one.
  if (!pending.dragged && Valid(pending.row) && pending.wasSelected && !pending.keys && SelectedCount() > 1) {
    ClearSelection(pending.row);
    SetState(pending.row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
  if (NotifyActivate(NM_CLICK, pending.row, subItem, pt)) return;
  if (!Valid(pending.row) || pending.dragged) return;
  if ((m_exStyle & LVS_EX_ONECLICKACTIVATE) || ((m_exStyle & LVS_EX_TWOCLICKACTIVATE) && pending.wasSelected)) {
    NotifyActivate(LVN_ITEMACTIVATE, pending.row, subItem, pt);
    return;
  }
  // A slow second click on the label of the only selected row edits it.
  if (pending.wasSelected && (pending.hit & LVHT_ONITEMLABEL) && (Style() & LVS_EDITLABELS) && !pending.keys &&
      SelectedCount() == 1 && GetFocus() == m_hwnd) {
    m_editAfterTimer = pending.row;
    SetTimer(m_hwnd, kEditTimer, GetDoubleClickTime(), nullptr);
  }
}

void ListView::OnTimer(UINT_PTR id) {
  if (id != kEditTimer) return;
  KillTimer(m_hwnd, kEditTimer);
  const int row = m_editAfterTimer;
  m_editAfterTimer = -1;
  if (Valid(row) && (StateOf(row) & LVIS_SELECTED) && GetFocus() == m_hwnd) EditLabel(row);
}

void ListView::OnKeyDown(WPARAM key) {
  NMLVKEYDOWN nm{};
  nm.wVKey = static_cast<WORD>(key);
  Notify(LVN_KEYDOWN, LVN_KEYDOWN, &nm.hdr);
  const int count = Count();
  if (count == 0 && key != VK_RETURN) return;
  const int focus = Valid(m_focus) ? m_focus : -1;
  int target = -1;
  const DWORD view = View();
  switch (key) {
    case VK_HOME: target = 0; break;
    case VK_END: target = count - 1; break;
    case VK_UP:
    case VK_DOWN:
    case VK_LEFT:
    case VK_RIGHT: {
      if (focus < 0) {
        target = 0;
        break;
      }
      if (view == LVS_REPORT && (key == VK_LEFT || key == VK_RIGHT)) {
        ScrollBy(key == VK_LEFT ? -16 : 16, 0);
        return;
      }
      const RECT r = ItemRect(focus, LVIR_BOUNDS);
      target = NearestItem(POINT{r.left, r.top}, static_cast<UINT>(key), focus);
      if (target < 0) return;
      break;
    }
    case VK_PRIOR:
    case VK_NEXT: {
      const int page = std::max(1, view == LVS_REPORT ? CountPerPage() - 1 : ItemsPerLine());
      target = std::clamp(std::max(focus, 0) + (key == VK_NEXT ? page : -page), 0, count - 1);
      break;
    }
    case VK_SPACE:
      if (focus < 0) return;
      if (HasCheckBoxes() && !CtrlDown()) {
        ToggleCheck(focus);
        return;
      }
      if (CtrlDown() && !(Style() & LVS_SINGLESEL)) {
        SetState(focus, (StateOf(focus) & LVIS_SELECTED) ? 0 : LVIS_SELECTED, LVIS_SELECTED);
        m_anchor = focus;
        return;
      }
      if (!(StateOf(focus) & LVIS_SELECTED)) SelectByKey(focus);
      return;
    case VK_RETURN:
      if (NotifyCode(NM_RETURN)) return;
      if (focus >= 0) NotifyActivate(LVN_ITEMACTIVATE, focus, 0, POINT{});
      return;
    case VK_F2:
      if ((Style() & LVS_EDITLABELS) && focus >= 0) EditLabel(focus);
      return;
    default: return;
  }
  SelectByKey(target);
}

void ListView::OnChar(char16_t ch) {
  if (ch < 0x20 || ch == 0x7F) return;
  const LONG now = GetMessageTime();
  if (now - m_searchTime > kTypeAheadMs) m_search.clear();
  m_searchTime = now;
  // A repeated first letter steps through the rows starting with it.
  const bool repeat = m_search.size() == 1 && m_search[0] == ch;
  if (!repeat) m_search.push_back(ch);
  const int count = Count();
  if (count == 0) return;
  LVFINDINFOW find{};
  find.flags = LVFI_PARTIAL | LVFI_WRAP | LVFI_STRING;
  const std::u16string& prefix = repeat ? m_search : m_search;
  int start = Valid(m_focus) ? m_focus : -1;
  if (m_search.size() > 1 && start >= 0) --start;  // the current row may still match longer text
  int found = FindItem(start, find, prefix);
  if (found < 0 && start >= 0) found = FindItem(-1, find, prefix);
  if (found >= 0) SelectByKey(found);
}

// ---- label editing ---------------------------------------------------------------------------

HWND ListView::EditLabel(int row) {
  if (m_edit) EndEdit(false);
  if (!Valid(row)) return nullptr;
  if (GetFocus() != m_hwnd) SetFocus(m_hwnd);
  if (!EnsureVisible(row, false)) return nullptr;
  UpdateWindow(m_hwnd);
  const std::u16string text = TextOf(row, 0);
  NMLVDISPINFOW nm{};
  nm.item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
  nm.item.iItem = row;
  nm.item.state = StateOf(row);
  nm.item.lParam = ParamOf(row);
  comctl_detail::NotifyText shown(text, m_unicode);
  nm.item.pszText = shown.Text();
  nm.item.cchTextMax = shown.Capacity();
  if (Notify(LVN_BEGINLABELEDITW, LVN_BEGINLABELEDITA, &nm.hdr) || !Valid(row)) return nullptr;
  const ItemGeometry g = Geometry(row);
  RECT r = g.label;
  RECT client;
  GetClientRect(m_hwnd, &client);
  DWORD style = WS_CHILD | WS_BORDER | ES_AUTOHSCROLL;
  if (View() == LVS_ICON) {
    style |= ES_CENTER;
    r.bottom = r.top + RowHeight() + 4;
    InflateRect(&r, 8, 0);
  } else {
    r.right = std::max<int>(r.right, r.left + 40);
    r.left -= 2;
    if (View() == LVS_REPORT && !m_columns.empty()) r.right = std::min<int>(r.right, ColumnLeft(0) - m_scrollX + m_columns[0].width);
  }
  r.right = std::min(r.right, client.right);
  r.right = r.left + std::max<int>(r.right - r.left, 24);
  HWND edit = comctl_detail::CreateLabelEdit({m_hwnd, text.c_str(), style, r, Font(), 1}, EditSubclass, kEditSubclassId,
                                             reinterpret_cast<DWORD_PTR>(this));
  if (!edit) return nullptr;
  m_edit = edit;
  m_editRow = row;
  ShowWindow(edit, SW_SHOW);
  SetFocus(edit);
  InvalidateRow(row);
  return edit;
}

bool ListView::EndEdit(bool cancel) {
  if (!m_edit || m_ending) return false;
  m_ending = true;
  HWND edit = m_edit;
  const int row = m_editRow;
  const std::u16string text = comctl_detail::WindowTextOf(edit);
  ShowWindow(edit, SW_HIDE);
  bool kept = false;
  if (Valid(row)) {
    NMLVDISPINFOW nm{};
    nm.item.mask = LVIF_TEXT | LVIF_PARAM;
    nm.item.iItem = row;
    nm.item.lParam = ParamOf(row);
    comctl_detail::NotifyText edited(text, m_unicode);
    if (!cancel) {
      nm.item.pszText = edited.Text();
      nm.item.cchTextMax = edited.Capacity();
    }
    const LRESULT keep = Notify(LVN_ENDLABELEDITW, LVN_ENDLABELEDITA, &nm.hdr);
    if (keep && !cancel && Valid(row)) {
      const bool callback = OwnerData() || m_rows[static_cast<size_t>(row)].label.callback;
      if (callback) {
        NMLVDISPINFOW set{};
        set.item.mask = LVIF_TEXT;
        set.item.iItem = row;
        set.item.lParam = ParamOf(row);
        set.item.pszText = edited.Text();
        Notify(LVN_SETDISPINFOW, LVN_SETDISPINFOA, &set.hdr);
      } else {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        SetItem(item, &text);
      }
      kept = true;
    }
  }
  if (m_edit == edit) {
    m_edit = nullptr;
    m_editRow = -1;
  }
  const bool hadFocus = GetFocus() == edit;
  DestroyWindow(edit);
  if (hadFocus && IsWindow(m_hwnd)) SetFocus(m_hwnd);
  if (Valid(row)) InvalidateRow(row);
  m_ending = false;
  return kept;
}

LRESULT ListView::EditSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<ListView*>(data);
  return comctl_detail::LabelEditMessage(hwnd, msg, wParam, lParam, self->m_edit == hwnd, self->m_ending,
                                         [self](bool cancel) { self->EndEdit(cancel); });
}

// ---- header ----------------------------------------------------------------------------------

void ListView::OnHeaderNotify(const NMHDR* header) {
  if (!header) return;
  const UINT code = header->code;
  // NM_ codes come with a bare NMHDR (or a record of their own): nothing past it is read.
  if (code == NM_RELEASEDCAPTURE) {
    LayoutChanged();
    return;
  }
  if (code > HDN_FIRST || code <= HDN_FIRST - 100) return;
  const auto* nm = reinterpret_cast<const NMHEADERW*>(header);
  const int column = nm->iItem;
  if (code == HDN_BEGINTRACKA || code == HDN_BEGINTRACKW || code == HDN_BEGINDRAG || code == HDN_ITEMCLICKA ||
      code == HDN_ITEMCLICKW || code == HDN_DIVIDERDBLCLICKA || code == HDN_DIVIDERDBLCLICKW) {
    if (m_edit) EndEdit(false);
  }
  if (code == HDN_ITEMCHANGEDA || code == HDN_ITEMCHANGEDW) {
    if (nm->pitem && (nm->pitem->mask & HDI_WIDTH) && column >= 0 && column < ColumnCount()) {
      m_columns[static_cast<size_t>(column)].width = std::max(0, nm->pitem->cxy);
      LayoutChanged();
    }
    return;
  }
  if (code == HDN_ITEMCLICKA || code == HDN_ITEMCLICKW) {
    if (!(Style() & LVS_NOSORTHEADER)) NotifyListView(LVN_COLUMNCLICK, -1, column, 0, 0, 0);
    return;
  }
  if (code == HDN_DIVIDERDBLCLICKA || code == HDN_DIVIDERDBLCLICKW) {
    if (column >= 0 && column < ColumnCount()) SetColumnWidth(column, LVSCW_AUTOSIZE);
    return;
  }
  if (code == HDN_ENDDRAG) {
    LayoutChanged();
    return;
  }
}

}  // namespace platform::listview_detail
