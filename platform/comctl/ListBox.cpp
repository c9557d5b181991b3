// The list box core: items, selection, scrolling, painting (plain or owner-drawn), keys,
// mouse and the LB_ messages.

#include "platform/comctl/ListBox.h"

#include <algorithm>
#include <cstring>

#include "platform/comctl/ControlSupport.h"
#include "platform/gdi/WinGdi.h"
#include "platform/user/DrawControls.h"
#include "platform/user/ScrollBars.h"
#include "platform/user/SystemParams.h"

namespace platform::comctl_detail {
namespace {

char16_t Fold(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
  return c;
}

int CompareNoCase(const std::u16string& a, const std::u16string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const char16_t x = Fold(a[i]), y = Fold(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool StartsWithNoCase(const std::u16string& text, const std::u16string& prefix) {
  if (prefix.size() > text.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (Fold(text[i]) != Fold(prefix[i])) return false;
  return true;
}

}  // namespace

ListBox::ListBox(HWND hwnd) : m_hwnd(hwnd) {
  m_host.notify = GetParent(hwnd);
  m_host.drawParent = GetParent(hwnd);
  m_host.id = static_cast<UINT>(GetWindowLongPtrW(hwnd, GWLP_ID));
  m_host.itemWindow = hwnd;
}

ListBox::~ListBox() = default;

DWORD ListBox::Style() const { return static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE)); }

bool ListBox::OwnerDraw() const { return (Style() & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0; }

bool ListBox::HasStrings() const { return !OwnerDraw() || (Style() & LBS_HASSTRINGS); }

std::u16string ListBox::Text(int index) const {
  if (index < 0 || index >= Count()) return {};
  return m_items[static_cast<size_t>(index)].text;
}

ULONG_PTR ListBox::Data(int index) const {
  if (index < 0 || index >= Count()) return 0;
  return m_items[static_cast<size_t>(index)].data;
}

int ListBox::DefaultItemHeight() {
  if (m_itemHeight > 0) return m_itemHeight;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, m_font ? m_font : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW metrics{};
  int height = 16;
  if (GetTextMetricsW(dc, &metrics)) height = std::max<int>(1, metrics.tmHeight + 2);
  SelectObject(dc, old);
  DeleteDC(dc);
  m_itemHeight = height;
  if (Style() & LBS_OWNERDRAWFIXED) MeasureItem(0);
  return m_itemHeight;
}

void ListBox::MeasureItem(int index) {
  // Fixed owner-drawn lists ask once (item 0); variable ones ask for each item.
  const bool variable = (Style() & LBS_OWNERDRAWVARIABLE) != 0;
  if (!OwnerDraw() || !m_host.drawParent) return;
  // A combo box's list waits for the combo box to name itself.
  if ((Style() & LBS_COMBOBOX) && m_host.ctlType != ODT_COMBOBOX) return;
  MEASUREITEMSTRUCT measure{};
  measure.CtlType = m_host.ctlType;
  measure.CtlID = m_host.id;
  measure.itemID = static_cast<UINT>(index);
  RECT client{};
  GetClientRect(m_hwnd, &client);
  measure.itemWidth = static_cast<UINT>(std::max<LONG>(0, client.right));
  measure.itemHeight = static_cast<UINT>(m_itemHeight > 0 ? m_itemHeight : 16);
  if (variable && index >= 0 && index < Count()) measure.itemData = m_items[static_cast<size_t>(index)].data;
  SendMessageW(m_host.drawParent, WM_MEASUREITEM, m_host.id, reinterpret_cast<LPARAM>(&measure));
  const int height = std::clamp<int>(static_cast<int>(measure.itemHeight), 1, 255);
  if (variable && index >= 0 && index < Count())
    m_items[static_cast<size_t>(index)].height = height;
  else if (!variable)
    m_itemHeight = height;
}

int ListBox::ItemHeight(int index) const {
  if ((Style() & LBS_OWNERDRAWVARIABLE) && index >= 0 && index < Count())
    return m_items[static_cast<size_t>(index)].height;
  return const_cast<ListBox*>(this)->DefaultItemHeight();
}

int ListBox::RowsHeight(int count) const {
  if (!(Style() & LBS_OWNERDRAWVARIABLE)) return count * ItemHeight(-1);
  int height = 0;
  for (int i = 0; i < count; ++i) height += i < Count() ? ItemHeight(i) : ItemHeight(-1);
  return height;
}

int ListBox::SortedPosition(const std::u16string& text) const {
  auto it = std::upper_bound(m_items.begin(), m_items.end(), text,
                             [](const std::u16string& value, const Item& item) { return CompareNoCase(value, item.text) < 0; });
  return static_cast<int>(it - m_items.begin());
}

int ListBox::Insert(int index, LPARAM value) {
  if (m_items.size() >= kListBoxMaxItems) {
    Notify(LBN_ERRSPACE);
    return static_cast<int>(LB_ERRSPACE);
  }
  Item item;
  if (HasStrings()) {
    if (value) item.text = reinterpret_cast<const char16_t*>(value);
  } else {
    item.data = static_cast<ULONG_PTR>(value);
  }
  if (index == -2) index = (Style() & LBS_SORT) && HasStrings() ? SortedPosition(item.text) : Count();
  if (index == -1) index = Count();
  if (index < 0 || index > Count()) return static_cast<int>(LB_ERR);
  m_items.insert(m_items.begin() + index, std::move(item));
  m_items[static_cast<size_t>(index)].height = DefaultItemHeight();
  if (Style() & LBS_OWNERDRAWVARIABLE) MeasureItem(index);
  if (m_curSel >= index) ++m_curSel;
  UpdateScrollBar();
  InvalidateRect(m_hwnd, nullptr, TRUE);
  return index;
}

void ListBox::SetCurSel(int index) {
  if (index < -1 || index >= Count()) index = -1;
  if (index == m_curSel) return;
  m_curSel = index;
  if (index >= 0) EnsureVisible(index);
  InvalidateRect(m_hwnd, nullptr, TRUE);
}

int ListBox::Find(int start, const std::u16string& text, bool exact) const {
  const int count = Count();
  if (count == 0) return -1;
  if (start < -1 || start >= count) start = -1;
  for (int step = 1; step <= count; ++step) {
    const int i = (start + step) % count;
    const Item& item = m_items[static_cast<size_t>(i)];
    if (!HasStrings()) {
      // Without strings the search compares item data with the value given.
      if (!text.empty() && item.data == static_cast<ULONG_PTR>(text[0])) return i;
      continue;
    }
    if (exact ? CompareNoCase(item.text, text) == 0 : StartsWithNoCase(item.text, text)) return i;
  }
  return -1;
}

int ListBox::VisibleRows() const {
  RECT client{};
  GetClientRect(m_hwnd, &client);
  const int height = std::max<int>(0, client.bottom);
  if (!(Style() & LBS_OWNERDRAWVARIABLE)) return std::max(1, height / std::max(1, ItemHeight(-1)));
  int rows = 0, used = 0;
  for (int i = m_top; i < Count(); ++i) {
    used += ItemHeight(i);
    if (used > height) break;
    ++rows;
  }
  return std::max(1, rows);
}

void ListBox::SetTopIndex(int index) {
  int last = 0;
  if (!(Style() & LBS_OWNERDRAWVARIABLE)) {
    last = std::max(0, Count() - VisibleRows());
  } else {
    // The highest top that still fills the view.
    RECT client{};
    GetClientRect(m_hwnd, &client);
    int used = 0;
    last = Count();
    while (last > 0 && used + ItemHeight(last - 1) <= client.bottom) used += ItemHeight(--last);
  }
  index = std::clamp(index, 0, last);
  if (index == m_top) return;
  m_top = index;
  UpdateScrollBar();
  InvalidateRect(m_hwnd, nullptr, TRUE);
}

void ListBox::EnsureVisible(int index) {
  if (index < 0 || index >= Count()) return;
  if (index < m_top) {
    SetTopIndex(index);
    return;
  }
  RECT client{};
  GetClientRect(m_hwnd, &client);
  int top = m_top;
  auto bottomOf = [&](int from) {
    int y = 0;
    for (int i = from; i <= index; ++i) y += ItemHeight(i);
    return y;
  };
  while (top < index && bottomOf(top) > client.bottom) ++top;
  SetTopIndex(top);
}

RECT ListBox::ItemRect(int index) const {
  RECT client{};
  GetClientRect(m_hwnd, &client);
  int y = 0;
  if (index >= m_top) {
    for (int i = m_top; i < index; ++i) y += ItemHeight(i);
  } else {
    for (int i = index; i < m_top; ++i) y -= ItemHeight(i);
  }
  return RECT{0, y, client.right, y + ItemHeight(index)};
}

int ListBox::ItemFromPoint(POINT point, bool* outside) const {
  RECT client{};
  GetClientRect(m_hwnd, &client);
  bool out = point.x < 0 || point.x >= client.right || point.y < 0 || point.y >= client.bottom;
  int y = 0;
  int found = -1;
  if (point.y < 0) {
    found = std::max(0, m_top - 1);
  } else {
    for (int i = m_top; i < Count(); ++i) {
      const int h = ItemHeight(i);
      if (point.y < y + h) {
        found = i;
        break;
      }
      y += h;
    }
    if (found < 0) {
      found = Count() - 1;
      out = true;
    }
  }
  if (outside) *outside = out;
  return found;
}

void ListBox::UpdateScrollBar() {
  if (!m_wantsScrollBar) return;
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  if (Style() & LBS_DISABLENOSCROLL) info.fMask |= SIF_DISABLENOSCROLL;
  info.nMin = 0;
  info.nMax = std::max(0, Count() - 1);
  info.nPage = static_cast<UINT>(VisibleRows());
  info.nPos = m_top;
  SetScrollInfo(m_hwnd, SB_VERT, &info, TRUE);
}

void ListBox::Notify(WORD code) {
  if (!m_host.notify) return;
  // A plain list box reports selection and clicks only with LBS_NOTIFY; the combo's list always.
  if ((code == LBN_SELCHANGE || code == LBN_DBLCLK || code == LBN_SELCANCEL) && m_host.ctlType == ODT_LISTBOX &&
      !(Style() & LBS_NOTIFY))
    return;
  SendMessageW(m_host.notify, WM_COMMAND, MAKEWPARAM(m_host.id, code), reinterpret_cast<LPARAM>(m_hwnd));
}

void ListBox::SetFont(HFONT font, bool redraw) {
  m_font = font;
  m_itemHeight = 0;
  const int height = DefaultItemHeight();
  if (!(Style() & LBS_OWNERDRAWVARIABLE))
    for (Item& item : m_items) item.height = height;
  UpdateScrollBar();
  if (redraw) InvalidateRect(m_hwnd, nullptr, TRUE);
}

void ListBox::DrawItem(HDC dc, int index, const RECT& rect, UINT action) {
  const bool selected = index == m_curSel;
  const bool enabled = IsWindowEnabled(m_hwnd) != FALSE;
  if (OwnerDraw() && m_host.drawParent) {
    DRAWITEMSTRUCT draw{};
    draw.CtlType = m_host.ctlType;
    draw.CtlID = m_host.id;
    draw.itemID = static_cast<UINT>(index);
    draw.itemAction = action;
    draw.itemState = (selected ? ODS_SELECTED : 0) | (enabled ? 0 : ODS_DISABLED) |
                     (selected && m_focused ? ODS_FOCUS : 0);
    draw.hwndItem = m_host.itemWindow;
    draw.hDC = dc;
    draw.rcItem = rect;
    draw.itemData = index >= 0 ? Data(index) : 0;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    SendMessageW(m_host.drawParent, WM_DRAWITEM, m_host.id, reinterpret_cast<LPARAM>(&draw));
    RestoreDC(dc, saved);
    return;
  }
  const COLORREF back = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
  const COLORREF fore = GetSysColor(!enabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
  platform::detail::FillSolid(dc, rect, back);
  if (index < 0) return;
  const std::u16string& text = m_items[static_cast<size_t>(index)].text;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, fore);
  RECT textRect{rect.left + 2, rect.top, rect.right - 2, rect.bottom};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  if (selected && m_focused) DrawFocusRect(dc, &rect);
}

void ListBox::Paint(HDC dc) {
  RECT client{};
  GetClientRect(m_hwnd, &client);
  HGDIOBJ oldFont = SelectObject(dc, m_font ? m_font : GetStockObject(DEFAULT_GUI_FONT));
  HWND colourParent = m_host.notify ? m_host.notify : GetParent(m_hwnd);
  HBRUSH brush = nullptr;
  if (colourParent)
    brush = reinterpret_cast<HBRUSH>(SendMessageW(colourParent, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc),
                                                  reinterpret_cast<LPARAM>(m_hwnd)));
  int y = 0;
  for (int i = m_top; i < Count() && y < client.bottom; ++i) {
    const RECT rect{0, y, client.right, y + ItemHeight(i)};
    DrawItem(dc, i, rect, ODA_DRAWENTIRE);
    y = rect.bottom;
  }
  if (y < client.bottom) {
    RECT rest{0, y, client.right, client.bottom};
    if (brush)
      FillRect(dc, &rest, brush);
    else
      platform::detail::FillSolid(dc, rest, GetSysColor(COLOR_WINDOW));
  }
  SelectObject(dc, oldFont);
}

int ListBox::NavigationTarget(int key) const {
  const int count = Count();
  if (count == 0) return -2;
  const int current = m_curSel;
  const int page = std::max(1, VisibleRows() - 1);
  switch (key) {
    case VK_UP:
    case VK_LEFT: return current < 0 ? 0 : std::max(0, current - 1);
    case VK_DOWN:
    case VK_RIGHT: return current < 0 ? 0 : std::min(count - 1, current + 1);
    case VK_PRIOR: return current < 0 ? 0 : std::max(0, current - page);
    case VK_NEXT: return current < 0 ? 0 : std::min(count - 1, current + page);
    case VK_HOME: return 0;
    case VK_END: return count - 1;
    default: return -2;
  }
}

int ListBox::TypeAhead(char16_t c, LONG time) {
  if (c < u' ' || !HasStrings()) return -1;
  if (m_typed.empty() || static_cast<LONG>(time - m_typedTime) > 1000) m_typed.clear();
  m_typedTime = time;
  // The same letter pressed again steps through the items that start with it.
  const bool repeat = !m_typed.empty() && std::all_of(m_typed.begin(), m_typed.end(), [&](char16_t t) { return Fold(t) == Fold(c); });
  m_typed.push_back(c);
  if (repeat) {
    const int found = Find(m_curSel, std::u16string(1, c), false);
    if (found >= 0) {
      // Keep the longer prefix when it still names an item (names like "aab").
      const int longer = Find(m_curSel - 1, m_typed, false);
      if (longer >= 0 && longer == m_curSel) return longer;
      return found;
    }
  }
  const int found = Find(m_curSel - 1, m_typed, false);
  if (found >= 0) return found;
  m_typed.assign(1, c);
  return Find(m_curSel, m_typed, false);
}

void ListBox::SelectByUser(int index) {
  if (index < 0 || index >= Count()) return;
  EnsureVisible(index);
  if (index == m_curSel) return;
  SetCurSel(index);
  Notify(LBN_SELCHANGE);
}

void ListBox::OnKey(int key) {
  const int target = NavigationTarget(key);
  if (target >= -1) SelectByUser(target);
}

void ListBox::OnChar(char16_t c) {
  const int found = TypeAhead(c, GetMessageTime());
  if (found >= 0) SelectByUser(found);
}

void ListBox::OnScroll(int request) {
  int top = m_top;
  switch (request) {
    case SB_LINEUP: --top; break;
    case SB_LINEDOWN: ++top; break;
    case SB_PAGEUP: top -= std::max(1, VisibleRows() - 1); break;
    case SB_PAGEDOWN: top += std::max(1, VisibleRows() - 1); break;
    case SB_TOP: top = 0; break;
    case SB_BOTTOM: top = Count(); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info{};
      info.cbSize = sizeof(info);
      info.fMask = SIF_TRACKPOS;
      if (GetScrollInfo(m_hwnd, SB_VERT, &info)) top = info.nTrackPos;
      break;
    }
    default: return;
  }
  SetTopIndex(top);
}

LRESULT ListBox::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      m_wantsScrollBar = create && (create->style & WS_VSCROLL);
      UpdateScrollBar();
      return 0;
    }
    case WM_SETFONT:
      SetFont(reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(m_font);
    case WM_SIZE:
      SetTopIndex(m_top);
      UpdateScrollBar();
      return 0;
    case WM_ERASEBKGND: return TRUE;
    case WM_PAINT:
      return comctl_detail::AnswerPaint(m_hwnd, wParam, [this](HDC dc, const RECT&) { Paint(dc); });
    case WM_PRINTCLIENT:
      if (wParam) Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ENABLE:
      InvalidateRect(m_hwnd, nullptr, TRUE);
      return 0;
    case WM_SETFOCUS:
      m_focused = true;
      InvalidateRect(m_hwnd, nullptr, TRUE);
      Notify(LBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      m_focused = false;
      InvalidateRect(m_hwnd, nullptr, TRUE);
      Notify(LBN_KILLFOCUS);
      return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN: OnKey(static_cast<int>(wParam)); return 0;
    case WM_CHAR: OnChar(static_cast<char16_t>(wParam)); return 0;
    case WM_LBUTTONDOWN: {
      // The combo's list leaves the focus with the combo box.
      if (m_host.ctlType == ODT_LISTBOX && GetFocus() != m_hwnd) SetFocus(m_hwnd);
      bool outside = false;
      const int index = ItemFromPoint(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, &outside);
      if (!outside) SelectByUser(index);
      m_tracking = true;
      SetCapture(m_hwnd);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (m_tracking) {
        bool outside = false;
        const int index = ItemFromPoint(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, &outside);
        SelectByUser(index);
      }
      return 0;
    case WM_LBUTTONUP:
      if (m_tracking) {
        m_tracking = false;
        if (GetCapture() == m_hwnd) ReleaseCapture();
      }
      return 0;
    case WM_LBUTTONDBLCLK: {
      bool outside = false;
      const int index = ItemFromPoint(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, &outside);
      if (!outside) {
        SelectByUser(index);
        Notify(LBN_DBLCLK);
      }
      return 0;
    }
    case WM_CAPTURECHANGED: m_tracking = false; return 0;
    case WM_MOUSEWHEEL: {
      const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
      SetTopIndex(m_top - delta / WHEEL_DELTA * 3);
      return 0;
    }
    case WM_VSCROLL: OnScroll(LOWORD(wParam)); return 0;

    case LB_ADDSTRING: return Insert(-2, lParam);
    case LB_INSERTSTRING: return Insert(static_cast<int>(static_cast<INT_PTR>(wParam)), lParam);
    case LB_DELETESTRING: {
      const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
      if (index < 0 || index >= Count()) return LB_ERR;
      m_items.erase(m_items.begin() + index);
      if (m_curSel == index)
        m_curSel = -1;
      else if (m_curSel > index)
        --m_curSel;
      SetTopIndex(m_top);
      UpdateScrollBar();
      InvalidateRect(m_hwnd, nullptr, TRUE);
      return Count();
    }
    case LB_RESETCONTENT:
      m_items.clear();
      m_curSel = -1;
      m_top = 0;
      UpdateScrollBar();
      InvalidateRect(m_hwnd, nullptr, TRUE);
      return 0;
    case LB_INITSTORAGE:
      m_items.reserve(m_items.size() + std::min<size_t>(wParam, kListBoxMaxItems));
      return static_cast<LRESULT>(m_items.capacity());
    case LB_GETCOUNT: return Count();
    case LB_GETCURSEL: return m_curSel;
    case LB_SETCURSEL: {
      const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
      SetCurSel(index);
      return index >= 0 && index < Count() ? index : LB_ERR;
    }
    case LB_GETSEL: {
      const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
      if (index < 0 || index >= Count()) return LB_ERR;
      return index == m_curSel ? 1 : 0;
    }
    case LB_SETSEL: {
      const int index = static_cast<int>(lParam);
      if (index >= Count()) return LB_ERR;
      SetCurSel(wParam ? index : -1);
      return 0;
    }
    case LB_GETCARETINDEX: return m_curSel < 0 ? 0 : m_curSel;
    case LB_SETCARETINDEX: {
      const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
      if (index < 0 || index >= Count()) return LB_ERR;
      EnsureVisible(index);
      return 0;
    }
    case LB_GETTEXTLEN: {
      const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
      if (index < 0 || index >= Count()) return LB_ERR;
      return HasStrings() ? static_cast<LRESULT>(Text(index).size()) : static_cast<LRESULT>(sizeof(ULONG_PTR));
    }
    case LB_GETTEXT: {
      const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
      if (index < 0 || index >= Count() || !lParam) return LB_ERR;
      if (!HasStrings()) {
        const ULONG_PTR data = Data(index);
        std::memcpy(reinterpret_cast<void*>(lParam), &data, sizeof(data));
        return sizeof(ULONG_PTR);
      }
      const std::u16string& text = m_items[static_cast<size_t>(index)].text;
      auto* buffer = reinterpret_cast<char16_t*>(lParam);
      std::memcpy(buffer, text.data(), text.size() * sizeof(char16_t));
      buffer[text.size()] = 0;
      return static_cast<LRESULT>(text.size());
    }
    case LB_GETITEMDATA: {
      const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
      if (index < 0 || index >= Count()) return LB_ERR;
      return static_cast<LRESULT>(Data(index));
    }
    case LB_SETITEMDATA: {
      const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
      if (index < 0 || index >= Count()) return LB_ERR;
      m_items[static_cast<size_t>(index)].data = static_cast<ULONG_PTR>(lParam);
      return 0;
    }
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT:
    case LB_SELECTSTRING: {
      std::u16string text;
      if (HasStrings()) {
        if (lParam) text = reinterpret_cast<const char16_t*>(lParam);
      } else {
        // Lists without strings search their item data.
        for (int step = 1; step <= Count(); ++step) {
          const int i = (static_cast<int>(static_cast<INT_PTR>(wParam)) + step + Count()) % Count();
          if (Data(i) == static_cast<ULONG_PTR>(lParam)) {
            if (msg == LB_SELECTSTRING) SetCurSel(i);
            return i;
          }
        }
        return LB_ERR;
      }
      const int found = Find(static_cast<int>(static_cast<INT_PTR>(wParam)), text, msg == LB_FINDSTRINGEXACT);
      if (found < 0) return LB_ERR;
      if (msg == LB_SELECTSTRING) SetCurSel(found);
      return found;
    }
    case LB_GETTOPINDEX: return m_top;
    case LB_SETTOPINDEX: {
      const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
      if (index < 0 || (index >= Count() && Count() > 0)) return LB_ERR;
      SetTopIndex(index);
      return 0;
    }
    case LB_GETITEMRECT: {
      const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
      if (!lParam || index < 0 || (index >= Count() && index != 0)) return LB_ERR;
      *reinterpret_cast<RECT*>(lParam) = ItemRect(index);
      return 1;
    }
    case LB_GETITEMHEIGHT: {
      const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
      if ((Style() & LBS_OWNERDRAWVARIABLE) && (index < 0 || index >= Count())) return LB_ERR;
      return ItemHeight(index);
    }
    case LB_SETITEMHEIGHT: {
      const int height = static_cast<int>(LOWORD(lParam));
      const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
      if (height <= 0 || height > 255) return LB_ERR;
      if (Style() & LBS_OWNERDRAWVARIABLE) {
        if (index < 0 || index >= Count()) return LB_ERR;
        m_items[static_cast<size_t>(index)].height = height;
      } else {
        m_itemHeight = height;
        for (Item& item : m_items) item.height = height;
      }
      SetTopIndex(m_top);
      UpdateScrollBar();
      InvalidateRect(m_hwnd, nullptr, TRUE);
      return 0;
    }
    case LB_ITEMFROMPOINT: {
      bool outside = false;
      const int index = ItemFromPoint(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, &outside);
      return MAKELONG(std::max(0, index), outside ? 1 : 0);
    }
    default: return DefWindowProcW(m_hwnd, msg, wParam, lParam);
  }
}

ListBox* ListBoxOf(HWND hwnd) { return ControlOfWindow<ListBox>(hwnd); }

LRESULT ListBoxWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ControlWindowProc<ListBox>(hwnd, msg, wParam, lParam);
}

}  // namespace platform::comctl_detail
