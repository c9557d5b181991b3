// The tab control's window procedure: tab items, their layout in rows on any side, the
// single-line scroller, painting (classic, owner-drawn or with images), keys, mouse and the
// TCM_ messages.

#include "platform/comctl/TabControl.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/comctl/ControlSupport.h"
#include "platform/gdi/WinGdi.h"
#include "platform/user/DrawControls.h"
#include "platform/user/SystemParams.h"

namespace platform {
namespace {

enum class Side { Top, Bottom, Left, Right };

struct TabItem {
  std::u16string text;
  int image = -1;
  LPARAM param = 0;
  DWORD state = 0;
  // Layout: the row (0: next to the display area) and the span along the strip.
  int row = 0;
  int start = 0;
  int end = 0;
};

bool PointIn(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

class TabControl {
 public:
  explicit TabControl(HWND hwnd) : m_hwnd(hwnd) {}
  ~TabControl() {
    if (m_rotatedFont) DeleteObject(m_rotatedFont);
    if (m_measureDc) DeleteDC(m_measureDc);
  }

  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  DWORD Style() const { return static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE)); }
  bool Buttons() const { return (Style() & TCS_BUTTONS) != 0; }
  Side TabSide() const {
    const DWORD style = Style();
    if (style & TCS_VERTICAL) return (style & TCS_RIGHT) ? Side::Right : Side::Left;
    return (style & TCS_BOTTOM) ? Side::Bottom : Side::Top;
  }
  bool Horizontal() const { return TabSide() == Side::Top || TabSide() == Side::Bottom; }
  // Vertical tabs always wrap, as the standard control's do.
  bool Multiline() const { return (Style() & (TCS_MULTILINE | TCS_VERTICAL)) != 0; }
  int Count() const { return static_cast<int>(m_items.size()); }
  bool Valid(int index) const { return index >= 0 && index < Count(); }

  HDC MeasureDc();
  SIZE TextSize(const std::u16string& text);
  SIZE IconSize() const;
  int RowHeight();
  int RowStep() { return RowHeight() + (Buttons() ? 3 : 0); }
  int NaturalWidth(const TabItem& item);
  void Layout();
  int StripLength() const;
  int Usable() const;  // the strip's length left for tabs (the scroller takes its end)
  int TabArea();
  RECT ItemRect(int index);
  RECT FrameRect();
  RECT DisplayRect();
  void ScrollerRects(RECT* left, RECT* right);
  bool CanScrollRight() const;
  void EnsureVisible(int index);
  int HitTest(POINT point, UINT* flags);

  void Notify(UINT code);
  bool Select(int index, bool byUser);
  LRESULT SetCurSel(int index);
  void OnKey(int key);
  void OnLButtonDown(POINT point);
  void OnMouseMove(POINT point);

  void Paint(HDC dc);
  void PaintTab(HDC dc, int index);
  HFONT CurrentFont() const {
    return m_font ? m_font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }
  HFONT RotatedFont();

  HWND m_hwnd;
  std::vector<TabItem> m_items;
  int m_cur = -1;
  int m_focus = -1;
  int m_hot = -1;
  int m_first = 0;  // the first tab a scrolled single-line strip shows
  int m_rows = 1;
  bool m_overflow = false;
  HFONT m_font = nullptr;
  HFONT m_rotatedFont = nullptr;
  HDC m_measureDc = nullptr;
  HIMAGELIST m_images = nullptr;
  int m_itemWidth = 0;   // TCM_SETITEMSIZE
  int m_itemHeight = 0;
  int m_padX = 6;
  int m_padY = 3;
  int m_minWidth = -1;
  bool m_tracking = false;
};

// ---- measuring and layout -----------------------------------------------------------------------

HDC TabControl::MeasureDc() {
  if (!m_measureDc) m_measureDc = CreateCompatibleDC(nullptr);
  SelectObject(m_measureDc, CurrentFont());
  return m_measureDc;
}

SIZE TabControl::TextSize(const std::u16string& text) {
  SIZE size{};
  HDC dc = MeasureDc();
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  if (!text.empty()) GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  size.cy = metrics.tmHeight;
  return size;
}

SIZE TabControl::IconSize() const {
  int cx = 0, cy = 0;
  if (m_images) ImageList_GetIconSize(m_images, &cx, &cy);
  return SIZE{cx, cy};
}

int TabControl::RowHeight() {
  if (m_itemHeight > 0) return m_itemHeight;
  const int text = static_cast<int>(TextSize(u"").cy);
  const int icon = static_cast<int>(Horizontal() ? IconSize().cy : IconSize().cx);
  return std::max(text, icon) + 2 * m_padY + 1;
}

int TabControl::NaturalWidth(const TabItem& item) {
  int width = 2 * m_padX + static_cast<int>(TextSize(item.text).cx);
  if (m_images && item.image >= 0) width += static_cast<int>(Horizontal() ? IconSize().cx : IconSize().cy) + m_padX;
  const int least = m_minWidth >= 0 ? m_minWidth : (m_items.empty() ? 0 : 2 * m_padX + 4);
  return std::max(width, least);
}

int TabControl::StripLength() const {
  RECT client{};
  GetClientRect(m_hwnd, &client);
  return static_cast<int>(Horizontal() ? client.right : client.bottom);
}

int TabControl::Usable() const {
  const int length = StripLength();
  if (!m_overflow) return length;
  return length - 2 * GetSystemMetrics(SM_CXVSCROLL) - 2;
}

void TabControl::Layout() {
  const int margin = Buttons() ? 0 : 2;
  const int gap = Buttons() ? 3 : 0;
  const bool fixed = (Style() & (TCS_FIXEDWIDTH | TCS_OWNERDRAWFIXED)) != 0;
  int fixedWidth = m_itemWidth;
  if ((Style() & TCS_FIXEDWIDTH) && fixedWidth <= 0)
    for (const TabItem& item : m_items) fixedWidth = std::max(fixedWidth, NaturalWidth(item));
  std::vector<int> widths;
  for (const TabItem& item : m_items)
    widths.push_back(fixed && fixedWidth > 0 ? fixedWidth : NaturalWidth(item));

  const int length = StripLength();
  m_rows = 1;
  m_overflow = false;
  if (!Multiline()) {
    int x = margin;
    for (size_t i = 0; i < m_items.size(); ++i) {
      m_items[i].row = 0;
      m_items[i].start = x;
      m_items[i].end = x + widths[i];
      x = m_items[i].end + gap;
    }
    m_overflow = !m_items.empty() && m_items.back().end > length - margin;
    if (!m_overflow) m_first = 0;
    m_first = std::clamp(m_first, 0, std::max(0, Count() - 1));
    return;
  }
  // Rows fill in item order; each row's tabs then stretch to the strip unless ragged.
  std::vector<std::vector<int>> rows(1);
  int x = margin;
  for (size_t i = 0; i < m_items.size(); ++i) {
    if (!rows.back().empty() && x + widths[i] > length - margin) {
      rows.emplace_back();
      x = margin;
    }
    rows.back().push_back(static_cast<int>(i));
    m_items[i].start = x;
    m_items[i].end = x + widths[i];
    x = m_items[i].end + gap;
  }
  m_rows = static_cast<int>(rows.size());
  const bool stretch = m_rows > 1 && !(Style() & TCS_RAGGEDRIGHT) && !Buttons();
  int selectedRow = 0;
  for (int r = 0; r < m_rows; ++r) {
    const std::vector<int>& row = rows[static_cast<size_t>(r)];
    if (stretch && !row.empty()) {
      const int used = m_items[static_cast<size_t>(row.back())].end - margin;
      const int extra = std::max(0, length - 2 * margin - used);
      int shift = 0;
      for (size_t k = 0; k < row.size(); ++k) {
        TabItem& item = m_items[static_cast<size_t>(row[k])];
        const int add = extra * static_cast<int>(k + 1) / static_cast<int>(row.size()) -
                        extra * static_cast<int>(k) / static_cast<int>(row.size());
        item.start += shift;
        shift += add;
        item.end += shift;
      }
    }
    for (int index : row)
      if (index == m_cur) selectedRow = r;
  }
  for (int r = 0; r < m_rows; ++r)
    for (int index : rows[static_cast<size_t>(r)]) {
      // Tabs bring the selected row next to the display area; buttons keep their rows.
      m_items[static_cast<size_t>(index)].row = Buttons() ? m_rows - 1 - r : (r - selectedRow + m_rows) % m_rows;
    }
  m_first = 0;
}

int TabControl::TabArea() {
  if (m_items.empty()) return 0;
  return m_rows * RowStep() + (Buttons() ? 0 : 2);
}

RECT TabControl::ItemRect(int index) {
  const TabItem& item = m_items[static_cast<size_t>(index)];
  RECT client{};
  GetClientRect(m_hwnd, &client);
  const int area = TabArea();
  const int step = RowStep();
  const int height = RowHeight();
  int offset = 0;
  if (!Multiline() && Valid(m_first)) offset = m_items[static_cast<size_t>(m_first)].start - (Buttons() ? 0 : 2);
  const int a = item.start - offset, b = item.end - offset;
  // The row's span across the strip, counted from the display area's edge outwards.
  const int nearEdge = item.row * step;
  switch (TabSide()) {
    case Side::Top: return RECT{a, area - nearEdge - height, b, area - nearEdge};
    case Side::Bottom: {
      const int top = static_cast<int>(client.bottom) - area + nearEdge;
      return RECT{a, top, b, top + height};
    }
    case Side::Left: return RECT{area - nearEdge - height, a, area - nearEdge, b};
    case Side::Right: {
      const int left = static_cast<int>(client.right) - area + nearEdge;
      return RECT{left, a, left + height, b};
    }
  }
  return RECT{};
}

RECT TabControl::FrameRect() {
  RECT frame{};
  GetClientRect(m_hwnd, &frame);
  const int area = TabArea();
  switch (TabSide()) {
    case Side::Top: frame.top += area; break;
    case Side::Bottom: frame.bottom -= area; break;
    case Side::Left: frame.left += area; break;
    case Side::Right: frame.right -= area; break;
  }
  return frame;
}

RECT TabControl::DisplayRect() {
  RECT display = FrameRect();
  if (!Buttons()) InflateRect(&display, -4, -4);
  return display;
}

void TabControl::ScrollerRects(RECT* left, RECT* right) {
  *left = *right = RECT{};
  if (!m_overflow || m_items.empty()) return;
  RECT client{};
  GetClientRect(m_hwnd, &client);
  const int width = GetSystemMetrics(SM_CXVSCROLL);
  const int height = std::min(RowHeight(), GetSystemMetrics(SM_CYHSCROLL));
  const RECT row = ItemRect(std::clamp(m_first, 0, Count() - 1));
  const int top = static_cast<int>(TabSide() == Side::Bottom ? row.top + 2 : row.bottom - height - 2);
  *right = RECT{client.right - width, top, client.right, top + height};
  *left = RECT{right->left - width, top, right->left, top + height};
}

bool TabControl::CanScrollRight() const {
  if (!m_overflow || m_items.empty() || !Valid(m_first)) return false;
  const int offset = m_items[static_cast<size_t>(m_first)].start - (Buttons() ? 0 : 2);
  return m_items.back().end - offset > Usable() && m_first < Count() - 1;
}

void TabControl::EnsureVisible(int index) {
  if (Multiline() || !m_overflow || !Valid(index)) return;
  const int before = m_first;
  if (index < m_first) m_first = index;
  auto endOf = [&](int first) {
    return m_items[static_cast<size_t>(index)].end - (m_items[static_cast<size_t>(first)].start - (Buttons() ? 0 : 2));
  };
  while (m_first < index && endOf(m_first) > Usable()) ++m_first;
  if (m_first != before) InvalidateRect(m_hwnd, nullptr, TRUE);
}

int TabControl::HitTest(POINT point, UINT* flags) {
  if (flags) *flags = TCHT_NOWHERE;
  RECT left{}, right{};
  ScrollerRects(&left, &right);
  if (PointIn(left, point) || PointIn(right, point)) return -1;
  for (int i = 0; i < Count(); ++i) {
    if (!Multiline() && i < m_first) continue;
    const RECT rect = ItemRect(i);
    if (!Multiline() && (Horizontal() ? rect.left : rect.top) >= Usable()) break;
    if (!PointIn(rect, point)) continue;
    if (flags) {
      *flags = TCHT_ONITEMLABEL;
      const TabItem& item = m_items[static_cast<size_t>(i)];
      if (m_images && item.image >= 0 && Horizontal()) {
        // The image stands left of the caption, the pair centred in the tab.
        const SIZE icon = IconSize();
        const int content = static_cast<int>(icon.cx) + m_padX + static_cast<int>(TextSize(item.text).cx);
        const int x = static_cast<int>(rect.left) + (static_cast<int>(rect.right - rect.left) - content) / 2;
        if (point.x >= x && point.x < x + icon.cx) *flags = TCHT_ONITEMICON;
      }
    }
    return i;
  }
  return -1;
}

// ---- selection --------------------------------------------------------------------------------

void TabControl::Notify(UINT code) {
  HWND parent = GetParent(m_hwnd);
  if (!parent) return;
  NMHDR header{m_hwnd, static_cast<UINT_PTR>(GetWindowLongPtrW(m_hwnd, GWLP_ID)), code};
  SendMessageW(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

bool TabControl::Select(int index, bool byUser) {
  if (!Valid(index)) return false;
  if (index == m_cur) {
    m_focus = index;
    return true;
  }
  if (byUser) {
    HWND parent = GetParent(m_hwnd);
    NMHDR header{m_hwnd, static_cast<UINT_PTR>(GetWindowLongPtrW(m_hwnd, GWLP_ID)), TCN_SELCHANGING};
    if (parent && SendMessageW(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header)) != 0) return false;
    if (!IsWindow(m_hwnd)) return false;
  }
  m_cur = index;
  m_focus = index;
  Layout();
  EnsureVisible(index);
  InvalidateRect(m_hwnd, nullptr, TRUE);
  if (byUser) Notify(TCN_SELCHANGE);
  return true;
}

LRESULT TabControl::SetCurSel(int index) {
  const int previous = m_cur;
  if (!Valid(index)) return -1;
  Select(index, false);
  return previous;
}

void TabControl::OnKey(int key) {
  HWND parent = GetParent(m_hwnd);
  if (parent) {
    NMTCKEYDOWN down{};
    down.hdr = NMHDR{m_hwnd, static_cast<UINT_PTR>(GetWindowLongPtrW(m_hwnd, GWLP_ID)), TCN_KEYDOWN};
    down.wVKey = static_cast<WORD>(key);
    SendMessageW(parent, WM_NOTIFY, down.hdr.idFrom, reinterpret_cast<LPARAM>(&down));
  }
  int step = 0;
  if (key == (Horizontal() ? VK_LEFT : VK_UP)) step = -1;
  if (key == (Horizontal() ? VK_RIGHT : VK_DOWN)) step = 1;
  const int from = m_focus >= 0 ? m_focus : m_cur;
  if (step != 0) {
    const int target = std::clamp(from + step, 0, Count() - 1);
    if (Buttons()) {
      // Buttons move the focus; Space or Enter presses the focused one.
      m_focus = target;
      EnsureVisible(target);
      InvalidateRect(m_hwnd, nullptr, TRUE);
    } else {
      Select(target, true);
    }
  } else if (Buttons() && (key == VK_SPACE || key == VK_RETURN) && Valid(m_focus)) {
    Select(m_focus, true);
  }
}

void TabControl::OnLButtonDown(POINT point) {
  RECT left{}, right{};
  ScrollerRects(&left, &right);
  if (PointIn(left, point) || PointIn(right, point)) {
    const bool back = PointIn(left, point);
    if (back ? m_first > 0 : CanScrollRight()) {
      const int first = m_first + (back ? -1 : 1);
      SendMessageW(m_hwnd, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, first), 0);
      SendMessageW(m_hwnd, WM_HSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
    }
    return;
  }
  const int index = HitTest(point, nullptr);
  if (index < 0) return;
  if ((Style() & TCS_FOCUSONBUTTONDOWN) && !(Style() & TCS_FOCUSNEVER)) SetFocus(m_hwnd);
  Select(index, true);
}

void TabControl::OnMouseMove(POINT point) {
  if (!(Style() & TCS_HOTTRACK) && !(Style() & TCS_FLATBUTTONS)) return;
  const int hot = HitTest(point, nullptr);
  if (!m_tracking) {
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, m_hwnd, 0};
    m_tracking = TrackMouseEvent(&track) != FALSE;
  }
  if (hot == m_hot) return;
  if (Valid(m_hot)) {
    RECT rect = ItemRect(m_hot);
    InflateRect(&rect, 2, 2);
    InvalidateRect(m_hwnd, &rect, TRUE);
  }
  m_hot = hot;
  if (Valid(m_hot)) {
    RECT rect = ItemRect(m_hot);
    InflateRect(&rect, 2, 2);
    InvalidateRect(m_hwnd, &rect, TRUE);
  }
}

// ---- painting -----------------------------------------------------------------------------------

HFONT TabControl::RotatedFont() {
  if (m_rotatedFont) return m_rotatedFont;
  LOGFONTW font{};
  GetObjectW(CurrentFont(), sizeof(font), &font);
  const LONG angle = TabSide() == Side::Right ? 2700 : 900;
  font.lfEscapement = angle;
  font.lfOrientation = angle;
  m_rotatedFont = CreateFontIndirectW(&font);
  return m_rotatedFont;
}

void TabControl::PaintTab(HDC dc, int index) {
  const TabItem& item = m_items[static_cast<size_t>(index)];
  const bool selected = index == m_cur;
  const Side side = TabSide();
  RECT rect = ItemRect(index);
  RECT face = rect;
  const bool buttons = Buttons();
  if (!buttons && selected) {
    // The selected tab stands out by two pixels and joins the display area.
    InflateRect(&face, 2, 2);
    switch (side) {
      case Side::Top: face.bottom -= 1; break;
      case Side::Bottom: face.top += 1; break;
      case Side::Left: face.right -= 1; break;
      case Side::Right: face.left += 1; break;
    }
  }
  detail::FillSolid(dc, face, GetSysColor(COLOR_BTNFACE));
  if (!buttons) {
    UINT sides = BF_RECT;
    switch (side) {
      case Side::Top: sides = BF_LEFT | BF_TOP | BF_RIGHT; break;
      case Side::Bottom: sides = BF_LEFT | BF_BOTTOM | BF_RIGHT; break;
      case Side::Left: sides = BF_LEFT | BF_TOP | BF_BOTTOM; break;
      case Side::Right: sides = BF_RIGHT | BF_TOP | BF_BOTTOM; break;
    }
    RECT edge = face;
    if (selected) {
      // Reach over the frame's line so that the tab and the page are one.
      switch (side) {
        case Side::Top: edge.bottom += 1; break;
        case Side::Bottom: edge.top -= 1; break;
        case Side::Left: edge.right += 1; break;
        case Side::Right: edge.left -= 1; break;
      }
      detail::FillSolid(dc, edge, GetSysColor(COLOR_BTNFACE));
    }
    DrawEdge(dc, &edge, EDGE_RAISED, sides | BF_SOFT);
  } else if (selected || (item.state & TCIS_BUTTONPRESSED)) {
    RECT edge = face;
    DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
  } else if (!(Style() & TCS_FLATBUTTONS) || index == m_hot) {
    RECT edge = face;
    DrawEdge(dc, &edge, (Style() & TCS_FLATBUTTONS) ? BDR_RAISEDINNER : EDGE_RAISED, BF_RECT);
  }

  RECT inner = face;
  InflateRect(&inner, -2, -2);
  if (item.state & TCIS_HIGHLIGHTED) detail::FillSolid(dc, inner, GetSysColor(COLOR_HIGHLIGHT));

  if (Style() & TCS_OWNERDRAWFIXED) {
    HWND parent = GetParent(m_hwnd);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_TAB;
    draw.CtlID = static_cast<UINT>(GetWindowLongPtrW(m_hwnd, GWLP_ID));
    draw.itemID = static_cast<UINT>(index);
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = (selected ? ODS_SELECTED : 0) | (IsWindowEnabled(m_hwnd) ? 0 : ODS_DISABLED) |
                     (selected && GetFocus() == m_hwnd ? ODS_FOCUS : 0);
    draw.hwndItem = m_hwnd;
    draw.hDC = dc;
    draw.rcItem = inner;
    draw.itemData = static_cast<ULONG_PTR>(item.param);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
    if (parent) SendMessageW(parent, WM_DRAWITEM, draw.CtlID, reinterpret_cast<LPARAM>(&draw));
    RestoreDC(dc, saved);
    return;
  }

  const bool horizontal = Horizontal();
  const bool hasImage = m_images && item.image >= 0;
  const SIZE icon = hasImage ? IconSize() : SIZE{0, 0};
  const SIZE text = TextSize(item.text);
  const int gap = hasImage && !item.text.empty() ? m_padX : 0;
  const int iconAlong = static_cast<int>(horizontal ? icon.cx : icon.cy);
  const int content = iconAlong + gap + static_cast<int>(text.cx);
  COLORREF colour = GetSysColor(COLOR_BTNTEXT);
  if (!IsWindowEnabled(m_hwnd)) colour = GetSysColor(COLOR_GRAYTEXT);
  else if (item.state & TCIS_HIGHLIGHTED) colour = GetSysColor(COLOR_HIGHLIGHTTEXT);
  else if ((Style() & TCS_HOTTRACK) && index == m_hot) colour = GetSysColor(COLOR_HOTLIGHT);
  SetTextColor(dc, colour);
  SetBkMode(dc, TRANSPARENT);
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
  if (horizontal) {
    const int x = static_cast<int>(face.left) + (static_cast<int>(face.right - face.left) - content) / 2;
    const int mid = static_cast<int>(face.top + face.bottom) / 2 + (selected && !Buttons() ? (side == Side::Top ? -1 : 1) : 0);
    if (hasImage) ImageList_Draw(m_images, item.image, dc, x, mid - static_cast<int>(icon.cy) / 2, ILD_TRANSPARENT);
    SelectObject(dc, CurrentFont());
    TextOutW(dc, x + iconAlong + gap, mid - static_cast<int>(text.cy) / 2, item.text.c_str(), static_cast<int>(item.text.size()));
  } else {
    // Captions run upwards on the left, downwards on the right.
    const int y0 = static_cast<int>(face.top) + (static_cast<int>(face.bottom - face.top) - content) / 2;
    const int mid = static_cast<int>(face.left + face.right) / 2;
    SelectObject(dc, RotatedFont());
    if (side == Side::Left) {
      if (hasImage) ImageList_Draw(m_images, item.image, dc, mid - static_cast<int>(icon.cx) / 2, y0 + static_cast<int>(text.cx) + gap, ILD_TRANSPARENT);
      TextOutW(dc, mid - static_cast<int>(text.cy) / 2, y0 + static_cast<int>(text.cx), item.text.c_str(), static_cast<int>(item.text.size()));
    } else {
      if (hasImage) ImageList_Draw(m_images, item.image, dc, mid - static_cast<int>(icon.cx) / 2, y0, ILD_TRANSPARENT);
      TextOutW(dc, mid + static_cast<int>(text.cy) / 2, y0 + iconAlong + gap, item.text.c_str(), static_cast<int>(item.text.size()));
    }
    SelectObject(dc, CurrentFont());
  }
  RestoreDC(dc, saved);
  if (index == m_focus && GetFocus() == m_hwnd && !(Style() & TCS_FOCUSNEVER)) {
    RECT focus = inner;
    InflateRect(&focus, -1, -1);
    DrawFocusRect(dc, &focus);
  }
}

void TabControl::Paint(HDC dc) {
  RECT client{};
  GetClientRect(m_hwnd, &client);
  detail::FillSolid(dc, client, GetSysColor(COLOR_BTNFACE));
  HGDIOBJ oldFont = SelectObject(dc, CurrentFont());
  if (!Buttons()) {
    RECT frame = FrameRect();
    DrawEdge(dc, &frame, EDGE_RAISED, BF_RECT | BF_SOFT);
  }
  const int saved = SaveDC(dc);
  RECT left{}, right{};
  ScrollerRects(&left, &right);
  if (m_overflow) {
    // The scroller's end of the strip shows no tabs.
    if (Horizontal())
      ExcludeClipRect(dc, Usable(), client.top, client.right, FrameRect().top > client.top ? FrameRect().top : client.bottom);
  }
  for (int i = 0; i < Count(); ++i) {
    if (i == m_cur || (!Multiline() && i < m_first)) continue;
    PaintTab(dc, i);
  }
  if (Valid(m_cur) && (Multiline() || m_cur >= m_first)) PaintTab(dc, m_cur);
  RestoreDC(dc, saved);
  if (m_overflow) {
    const bool enabled = IsWindowEnabled(m_hwnd) != FALSE;
    DrawFrameControl(dc, &left, DFC_SCROLL, DFCS_SCROLLLEFT | (m_first > 0 && enabled ? 0 : DFCS_INACTIVE));
    DrawFrameControl(dc, &right, DFC_SCROLL, DFCS_SCROLLRIGHT | (CanScrollRight() && enabled ? 0 : DFCS_INACTIVE));
  }
  SelectObject(dc, oldFont);
}

// ---- messages -----------------------------------------------------------------------------------

LRESULT TabControl::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SETFONT:
      m_font = reinterpret_cast<HFONT>(wParam);
      if (m_rotatedFont) DeleteObject(m_rotatedFont);
      m_rotatedFont = nullptr;
      Layout();
      if (LOWORD(lParam)) InvalidateRect(m_hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(m_font);
    case WM_SIZE:
    case WM_STYLECHANGED:
      if (msg == WM_STYLECHANGED && m_rotatedFont) {
        DeleteObject(m_rotatedFont);
        m_rotatedFont = nullptr;
      }
      Layout();
      EnsureVisible(m_cur);
      InvalidateRect(m_hwnd, nullptr, TRUE);
      return 0;
    case WM_ERASEBKGND: return TRUE;
    case WM_PAINT:
      return comctl_detail::AnswerPaint(m_hwnd, wParam, [this](HDC dc, const RECT&) { Paint(dc); });
    case WM_PRINTCLIENT:
      if (wParam) Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(m_hwnd, nullptr, TRUE);
      return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN: OnKey(static_cast<int>(wParam)); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      OnLButtonDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_LBUTTONUP:
      if (HitTest(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, nullptr) >= 0) Notify(NM_CLICK);
      return 0;
    case WM_RBUTTONUP:
      if (HitTest(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, nullptr) >= 0) Notify(NM_RCLICK);
      return DefWindowProcW(m_hwnd, msg, wParam, lParam);
    case WM_MOUSEMOVE:
      OnMouseMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_MOUSELEAVE:
      m_tracking = false;
      if (Valid(m_hot)) {
        m_hot = -1;
        InvalidateRect(m_hwnd, nullptr, TRUE);
      }
      m_hot = -1;
      return 0;
    case WM_HSCROLL:
      if (LOWORD(wParam) == SB_THUMBPOSITION && m_overflow) {
        m_first = std::clamp(static_cast<int>(static_cast<short>(HIWORD(wParam))), 0, std::max(0, Count() - 1));
        InvalidateRect(m_hwnd, nullptr, TRUE);
      }
      return 0;

    case TCM_GETITEMCOUNT: return Count();
    case TCM_INSERTITEMW: {
      const auto* in = reinterpret_cast<const TCITEMW*>(lParam);
      int index = static_cast<int>(static_cast<INT_PTR>(wParam));
      if (!in || index < 0) return -1;
      index = std::min(index, Count());
      TabItem item;
      if ((in->mask & TCIF_TEXT) && in->pszText) item.text = in->pszText;
      if (in->mask & TCIF_IMAGE) item.image = in->iImage;
      if (in->mask & TCIF_PARAM) item.param = in->lParam;
      if (in->mask & TCIF_STATE) item.state = in->dwState & in->dwStateMask;
      m_items.insert(m_items.begin() + index, std::move(item));
      if (m_cur >= index) ++m_cur;
      if (m_focus >= index) ++m_focus;
      if (m_cur < 0 && Count() == 1 && !Buttons()) m_cur = m_focus = 0;
      Layout();
      InvalidateRect(m_hwnd, nullptr, TRUE);
      return index;
    }
    case TCM_DELETEITEM: {
      const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
      if (!Valid(index)) return FALSE;
      m_items.erase(m_items.begin() + index);
      if (m_cur == index) m_cur = -1;
      else if (m_cur > index) --m_cur;
      if (m_focus == index) m_focus = -1;
      else if (m_focus > index) --m_focus;
      if (m_hot >= Count()) m_hot = -1;
      Layout();
      InvalidateRect(m_hwnd, nullptr, TRUE);
      return TRUE;
    }
    case TCM_DELETEALLITEMS:
      m_items.clear();
      m_cur = m_focus = m_hot = -1;
      m_first = 0;
      Layout();
      InvalidateRect(m_hwnd, nullptr, TRUE);
      return TRUE;
    case TCM_GETITEMW: {
      auto* out = reinterpret_cast<TCITEMW*>(lParam);
      const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
      if (!out || !Valid(index)) return FALSE;
      const TabItem& item = m_items[static_cast<size_t>(index)];
      if ((out->mask & TCIF_TEXT) && out->pszText && out->cchTextMax > 0) {
        const size_t count = std::min(item.text.size(), static_cast<size_t>(out->cchTextMax) - 1);
        std::memcpy(out->pszText, item.text.data(), count * sizeof(char16_t));
        out->pszText[count] = 0;
      }
      if (out->mask & TCIF_IMAGE) out->iImage = item.image;
      if (out->mask & TCIF_PARAM) out->lParam = item.param;
      if (out->mask & TCIF_STATE) out->dwState = item.state & out->dwStateMask;
      return TRUE;
    }
    case TCM_SETITEMW: {
      const auto* in = reinterpret_cast<const TCITEMW*>(lParam);
      const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
      if (!in || !Valid(index)) return FALSE;
      TabItem& item = m_items[static_cast<size_t>(index)];
      if (in->mask & TCIF_TEXT) item.text = in->pszText ? in->pszText : u"";
      if (in->mask & TCIF_IMAGE) item.image = in->iImage;
      if (in->mask & TCIF_PARAM) item.param = in->lParam;
      if (in->mask & TCIF_STATE) item.state = (item.state & ~in->dwStateMask) | (in->dwState & in->dwStateMask);
      Layout();
      InvalidateRect(m_hwnd, nullptr, TRUE);
      return TRUE;
    }
    case TCM_HIGHLIGHTITEM: {
      const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
      if (!Valid(index)) return FALSE;
      DWORD& state = m_items[static_cast<size_t>(index)].state;
      if (LOWORD(lParam)) state |= TCIS_HIGHLIGHTED;
      else state &= ~TCIS_HIGHLIGHTED;
      InvalidateRect(m_hwnd, nullptr, TRUE);
      return TRUE;
    }
    case TCM_GETITEMRECT: {
      const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
      if (!lParam || !Valid(index)) return FALSE;
      *reinterpret_cast<RECT*>(lParam) = ItemRect(index);
      return TRUE;
    }
    case TCM_GETCURSEL: return m_cur;
    case TCM_SETCURSEL: return SetCurSel(static_cast<int>(static_cast<INT_PTR>(wParam)));
    case TCM_GETCURFOCUS: return m_focus >= 0 ? m_focus : m_cur;
    case TCM_SETCURFOCUS: {
      const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
      if (!Valid(index)) return 0;
      if (Buttons()) {
        m_focus = index;
        EnsureVisible(index);
        InvalidateRect(m_hwnd, nullptr, TRUE);
      } else {
        Select(index, true);
      }
      return 0;
    }
    case TCM_HITTEST: {
      auto* info = reinterpret_cast<TCHITTESTINFO*>(lParam);
      if (!info) return -1;
      return HitTest(info->pt, &info->flags);
    }
    case TCM_ADJUSTRECT: {
      auto* rect = reinterpret_cast<RECT*>(lParam);
      if (!rect) return 0;
      const int area = TabArea();
      const int inset = Buttons() ? 0 : 4;
      const int sign = wParam ? -1 : 1;
      InflateRect(rect, -sign * inset, -sign * inset);
      switch (TabSide()) {
        case Side::Top: rect->top += sign * area; break;
        case Side::Bottom: rect->bottom -= sign * area; break;
        case Side::Left: rect->left += sign * area; break;
        case Side::Right: rect->right -= sign * area; break;
      }
      return 0;
    }
    case TCM_SETITEMSIZE: {
      const LRESULT previous = MAKELONG(m_itemWidth, RowHeight());
      m_itemWidth = static_cast<short>(LOWORD(lParam));
      m_itemHeight = static_cast<short>(HIWORD(lParam));
      Layout();
      InvalidateRect(m_hwnd, nullptr, TRUE);
      return previous;
    }
    case TCM_SETPADDING:
      m_padX = std::max(0, static_cast<int>(static_cast<short>(LOWORD(lParam))));
      m_padY = std::max(0, static_cast<int>(static_cast<short>(HIWORD(lParam))));
      Layout();
      InvalidateRect(m_hwnd, nullptr, TRUE);
      return 0;
    case TCM_SETMINTABWIDTH: {
      const LRESULT previous = m_minWidth;
      m_minWidth = static_cast<int>(lParam) < 0 ? -1 : static_cast<int>(lParam);
      Layout();
      return previous;
    }
    case TCM_GETROWCOUNT: return m_rows;
    case TCM_GETIMAGELIST: return reinterpret_cast<LRESULT>(m_images);
    case TCM_SETIMAGELIST: {
      HIMAGELIST previous = m_images;
      m_images = reinterpret_cast<HIMAGELIST>(lParam);
      Layout();
      InvalidateRect(m_hwnd, nullptr, TRUE);
      return reinterpret_cast<LRESULT>(previous);
    }
    default: return DefWindowProcW(m_hwnd, msg, wParam, lParam);
  }
}

void RegisterTabClass() {
  comctl_detail::RegisterControlClass({.name = WC_TABCONTROLW,
                                       .procedure = comctl_detail::ControlWindowProc<TabControl>,
                                       .style = CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW,
                                       .background = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1))});
}

const comctl_detail::ClassRegistration g_registration(RegisterTabClass);

}  // namespace
}  // namespace platform
