#include "platform/comctl/ToolBar.h"

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "platform/comctl/ControlSupport.h"
#include "platform/gdi/WinGdi.h"
#include "platform/kernel/Unicode.h"

namespace platform {
namespace {

constexpr int kDropArrowWidth = 14;  // the split arrow part of a drop-down button
constexpr int kSeparatorWidth = 8;
constexpr int kDividerHeight = 2;    // the etched line above the buttons without CCS_NODIVIDER

struct Button {
  int image = 0;
  int id = 0;
  BYTE state = TBSTATE_ENABLED;
  BYTE style = 0;
  DWORD_PTR data = 0;
  std::u16string text;
  int fixedWidth = 0;  // TBIF_SIZE
  RECT rect{};
  bool IsSeparator() const { return (style & BTNS_SEP) != 0; }
  bool Hidden() const { return (state & TBSTATE_HIDDEN) != 0; }
  bool Enabled() const { return (state & TBSTATE_ENABLED) != 0; }
};

// The caption without its "&" markers ("&&" stays one "&").
std::u16string VisibleText(const std::u16string& text, bool prefix) {
  if (!prefix) return text;
  std::u16string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

char16_t Accelerator(const std::u16string& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (text[i + 1] != u'&') return static_cast<char16_t>(std::towlower(text[i + 1]));
    ++i;
  }
  return 0;
}

void Fill(HDC dc, const RECT& r, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

class ToolBar {
 public:
  explicit ToolBar(HWND hwnd) : m_hwnd(hwnd), m_notify(GetParent(hwnd)) {}
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  DWORD Style() const { return static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE)); }
  int IndexOfId(int id) const {
    for (size_t i = 0; i < m_buttons.size(); ++i)
      if (m_buttons[i].id == id) return static_cast<int>(i);
    return -1;
  }
  Button* ById(int id) {
    const int i = IndexOfId(id);
    return i < 0 ? nullptr : &m_buttons[i];
  }
  HFONT Font() const { return m_font ? m_font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }
  bool ShowsText(const Button& b) const {
    if (m_maxTextRows == 0 || b.text.empty()) return false;
    if ((Style() & TBSTYLE_LIST) && (m_exStyle & TBSTYLE_EX_MIXEDBUTTONS)) return (b.style & BTNS_SHOWTEXT) != 0;
    return true;
  }
  bool HasSplitArrow(const Button& b) const {
    return (b.style & BTNS_DROPDOWN) && ((m_exStyle & TBSTYLE_EX_DRAWDDARROWS) || (b.style & BTNS_WHOLEDROPDOWN));
  }
  SIZE TextSize(const Button& b);
  SIZE ImageSize() const;
  void Layout();
  void Changed();
  void InvalidateButton(int index);
  int HitTest(POINT pt) const;
  LRESULT Notify(UINT code, NMHDR* header);
  void SetHot(int index, DWORD flags);
  void Click(int index);
  bool Insert(int index, const TBBUTTON& button, bool unicode);
  void Autosize();

  void OnButtonDown(POINT pt);
  void OnButtonUp(POINT pt);
  void OnMouseMove(POINT pt);
  void DropDown(int index);

  void Erase(HDC dc);
  void Paint(HDC dc);
  void PaintButton(HDC dc, int index, LRESULT controlAnswer);

  bool GetInfo(int index, TBBUTTONINFOW& info, bool unicode);
  bool SetInfo(int index, const TBBUTTONINFOW& info, bool unicode);

  HWND m_hwnd;
  HWND m_notify;
  std::vector<Button> m_buttons;
  std::vector<std::u16string> m_strings;
  SIZE m_bitmapSize{16, 15};
  SIZE m_buttonSize{23, 22};
  SIZE m_padding{7, 6};
  int m_minWidth = 0;
  int m_maxWidth = 0;
  int m_indent = 0;
  int m_listGap = 4;
  int m_maxTextRows = 1;
  UINT m_drawTextMask = 0;
  UINT m_drawTextFlags = 0;
  DWORD m_exStyle = 0;
  HIMAGELIST m_images = nullptr;
  HIMAGELIST m_hotImages = nullptr;
  HIMAGELIST m_disabledImages = nullptr;
  HFONT m_font = nullptr;
  int m_hot = -1;
  int m_pressed = -1;        // the button tracking a press
  bool m_pressedInside = false;
  bool m_inDropDown = false;
  SIZE m_total{};            // the buttons' extent after layout
  int m_rows = 1;
  bool m_unicode = true;
};

SIZE ToolBar::ImageSize() const {
  int cx = 0, cy = 0;
  if (m_images && ImageList_GetIconSize(m_images, &cx, &cy)) return SIZE{cx, cy};
  return m_bitmapSize;
}

SIZE ToolBar::TextSize(const Button& b) {
  if (!ShowsText(b)) return SIZE{0, 0};
  const std::u16string text = VisibleText(b.text, !(b.style & BTNS_NOPREFIX));
  HDC dc = GetDC(m_hwnd);
  HGDIOBJ old = SelectObject(dc, Font());
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(m_hwnd, dc);
  size.cy = tm.tmHeight;
  return size;
}

// Places the buttons: one row, or wrapped at the client's width (TBSTYLE_WRAPABLE) and after
// TBSTATE_WRAP. Buttons without BTNS_AUTOSIZE share the widest one's width.
void ToolBar::Layout() {
  const DWORD style = Style();
  const bool list = (style & TBSTYLE_LIST) != 0;
  const SIZE image = ImageSize();
  const bool hasImages = m_images != nullptr || image.cx > 0;
  int textHeight = 0;
  std::vector<SIZE> texts(m_buttons.size());
  for (size_t i = 0; i < m_buttons.size(); ++i) {
    texts[i] = TextSize(m_buttons[i]);
    textHeight = std::max<int>(textHeight, texts[i].cy);
  }
  // The common height and width.
  int height = m_buttonSize.cy;
  int commonWidth = m_buttonSize.cx;
  const int imageHeight = hasImages ? image.cy : 0;
  if (list) height = std::max<int>(height, std::max(imageHeight, textHeight) + m_padding.cy);
  else height = std::max<int>(height, imageHeight + (textHeight ? textHeight + 2 : 0) + m_padding.cy);
  auto naturalWidth = [&](size_t i) {
    const Button& b = m_buttons[i];
    const int imageWidth = hasImages && b.image != I_IMAGENONE_TB ? image.cx : 0;
    int w;
    if (list) w = imageWidth + (texts[i].cx ? texts[i].cx + (imageWidth ? m_listGap : 0) : 0) + m_padding.cx;
    else w = std::max<int>(imageWidth, texts[i].cx) + m_padding.cx;
    return w;
  };
  for (size_t i = 0; i < m_buttons.size(); ++i) {
    const Button& b = m_buttons[i];
    if (b.IsSeparator() || (b.style & BTNS_AUTOSIZE) || b.fixedWidth) continue;
    commonWidth = std::max(commonWidth, naturalWidth(i));
  }
  if (m_minWidth) commonWidth = std::max(commonWidth, m_minWidth);
  if (m_maxWidth) commonWidth = std::min(commonWidth, m_maxWidth);

  RECT client;
  GetClientRect(m_hwnd, &client);
  const int top = (style & CCS_NODIVIDER) ? 0 : kDividerHeight;
  int x = m_indent, y = top;
  m_rows = 1;
  int right = 0;
  for (size_t i = 0; i < m_buttons.size(); ++i) {
    Button& b = m_buttons[i];
    if (b.Hidden()) {
      b.rect = RECT{0, 0, 0, 0};
      continue;
    }
    int w;
    if (b.IsSeparator()) w = b.image > 0 ? b.image : kSeparatorWidth;
    else if (b.fixedWidth) w = b.fixedWidth;
    else if (b.style & BTNS_AUTOSIZE) w = std::max(naturalWidth(i), m_minWidth);
    else w = commonWidth;
    if (!b.IsSeparator() && HasSplitArrow(b)) w += kDropArrowWidth;
    if ((style & TBSTYLE_WRAPABLE) && x > m_indent && x + w > client.right && !b.IsSeparator()) {
      x = m_indent;
      y += height;
      ++m_rows;
    }
    b.rect = RECT{x, y, x + w, y + (b.IsSeparator() && !(style & TBSTYLE_WRAPABLE) ? height : height)};
    x += w;
    right = std::max(right, x);
    if (b.state & TBSTATE_WRAP) {
      x = m_indent;
      y += height;
      ++m_rows;
    }
  }
  m_total = SIZE{right, y + height};
}

void ToolBar::Changed() {
  Layout();
  InvalidateRect(m_hwnd, nullptr, TRUE);
}

void ToolBar::InvalidateButton(int index) {
  if (index < 0 || index >= static_cast<int>(m_buttons.size())) return;
  InvalidateRect(m_hwnd, &m_buttons[index].rect, TRUE);
}

int ToolBar::HitTest(POINT pt) const {
  int nearest = -1;
  for (size_t i = 0; i < m_buttons.size(); ++i) {
    const Button& b = m_buttons[i];
    if (b.Hidden()) continue;
    if (PtInRect(&b.rect, pt)) return b.IsSeparator() ? -static_cast<int>(i) - 1 : static_cast<int>(i);
    if (pt.x >= b.rect.left) nearest = static_cast<int>(i);
  }
  return -(nearest < 0 ? 0 : nearest) - 1;
}

LRESULT ToolBar::Notify(UINT code, NMHDR* header) {
  HWND target = IsWindow(m_notify) ? m_notify : GetParent(m_hwnd);
  if (!target) return 0;
  header->hwndFrom = m_hwnd;
  header->idFrom = static_cast<UINT_PTR>(GetWindowLongPtrW(m_hwnd, GWLP_ID));
  header->code = code;
  return SendMessageW(target, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

void ToolBar::SetHot(int index, DWORD flags) {
  if (index >= static_cast<int>(m_buttons.size()) || (index >= 0 && (m_buttons[index].IsSeparator() || !m_buttons[index].Enabled())))
    index = -1;
  if (index == m_hot) return;
  NMTBHOTITEM nm{};
  nm.idOld = m_hot >= 0 ? m_buttons[m_hot].id : -1;
  nm.idNew = index >= 0 ? m_buttons[index].id : -1;
  nm.dwFlags = flags | (index < 0 ? HICF_LEAVING : 0);
  if (Notify(TBN_HOTITEMCHANGE, &nm.hdr)) return;
  InvalidateButton(m_hot);
  m_hot = index;
  InvalidateButton(m_hot);
}

// A click on a button: check buttons toggle (a group keeps one checked), then WM_COMMAND.
void ToolBar::Click(int index) {
  Button& b = m_buttons[index];
  const int id = b.id;
  if ((b.style & BTNS_CHECKGROUP) == BTNS_CHECKGROUP) {
    // The group is the run of check-group buttons around this one.
    size_t first = static_cast<size_t>(index), last = static_cast<size_t>(index);
    while (first > 0 && (m_buttons[first - 1].style & BTNS_CHECKGROUP) == BTNS_CHECKGROUP) --first;
    while (last + 1 < m_buttons.size() && (m_buttons[last + 1].style & BTNS_CHECKGROUP) == BTNS_CHECKGROUP) ++last;
    for (size_t i = first; i <= last; ++i) {
      const bool mine = i == static_cast<size_t>(index);
      const BYTE old = m_buttons[i].state;
      m_buttons[i].state = mine ? (old | TBSTATE_CHECKED) : (old & ~TBSTATE_CHECKED);
      if (old != m_buttons[i].state) InvalidateButton(static_cast<int>(i));
    }
  } else if (b.style & BTNS_CHECK) {
    b.state ^= TBSTATE_CHECKED;
    InvalidateButton(index);
  }
  HWND target = IsWindow(m_notify) ? m_notify : GetParent(m_hwnd);
  if (target) SendMessageW(target, WM_COMMAND, MAKEWPARAM(id, 0), reinterpret_cast<LPARAM>(m_hwnd));
}

void ToolBar::DropDown(int index) {
  Button& b = m_buttons[index];
  const int id = b.id;
  b.state |= TBSTATE_PRESSED;
  InvalidateButton(index);
  UpdateWindow(m_hwnd);
  NMTOOLBARW nm{};
  nm.iItem = id;
  nm.tbButton.iBitmap = b.image;
  nm.tbButton.idCommand = id;
  nm.tbButton.fsState = b.state;
  nm.tbButton.fsStyle = b.style;
  nm.tbButton.dwData = b.data;
  nm.rcButton = b.rect;
  m_inDropDown = true;
  const LRESULT answer = Notify(TBN_DROPDOWN, &nm.hdr);
  m_inDropDown = false;
  // The handler may have changed the buttons; find ours again by its id.
  const int now = IndexOfId(id);
  if (now < 0) return;
  if (answer == TBDDRET_TREATPRESSED) {
    m_pressed = now;
    m_pressedInside = true;
    SetCapture(m_hwnd);
    return;
  }
  m_buttons[now].state &= ~TBSTATE_PRESSED;
  InvalidateButton(now);
}

void ToolBar::OnButtonDown(POINT pt) {
  const int index = HitTest(pt);
  if (index < 0) return;
  Button& b = m_buttons[index];
  if (!b.Enabled()) return;
  if (b.style & BTNS_DROPDOWN) {
    const bool whole = (b.style & BTNS_WHOLEDROPDOWN) || !(m_exStyle & TBSTYLE_EX_DRAWDDARROWS);
    if (whole || pt.x >= b.rect.right - kDropArrowWidth) {
      DropDown(index);
      return;
    }
  }
  m_pressed = index;
  m_pressedInside = true;
  b.state |= TBSTATE_PRESSED;
  InvalidateButton(index);
  SetCapture(m_hwnd);
}

void ToolBar::OnButtonUp(POINT pt) {
  if (m_pressed < 0) return;
  const int index = m_pressed;
  m_pressed = -1;
  if (GetCapture() == m_hwnd) ReleaseCapture();
  if (index >= static_cast<int>(m_buttons.size())) return;
  m_buttons[index].state &= ~TBSTATE_PRESSED;
  InvalidateButton(index);
  if (!PtInRect(&m_buttons[index].rect, pt) || !m_buttons[index].Enabled()) return;
  NMMOUSE nm{};
  nm.dwItemSpec = static_cast<DWORD_PTR>(m_buttons[index].id);
  nm.dwItemData = m_buttons[index].data;
  nm.pt = pt;
  if (Notify(NM_CLICK, &nm.hdr)) return;
  if (index < static_cast<int>(m_buttons.size())) Click(index);
}

void ToolBar::OnMouseMove(POINT pt) {
  if (m_pressed >= 0 && m_pressed < static_cast<int>(m_buttons.size())) {
    const bool inside = PtInRect(&m_buttons[m_pressed].rect, pt) != 0;
    if (inside != m_pressedInside) {
      m_pressedInside = inside;
      if (inside) m_buttons[m_pressed].state |= TBSTATE_PRESSED;
      else m_buttons[m_pressed].state &= ~TBSTATE_PRESSED;
      InvalidateButton(m_pressed);
    }
    return;
  }
  if (!(Style() & (TBSTYLE_FLAT | TBSTYLE_LIST))) return;
  const int index = HitTest(pt);
  SetHot(index, HICF_MOUSE);
  if (m_hot >= 0) {
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, m_hwnd, 0};
    TrackMouseEvent(&track);
  }
}

bool ToolBar::Insert(int index, const TBBUTTON& in, bool unicode) {
  Button b;
  b.image = in.iBitmap;
  b.id = in.idCommand;
  b.state = in.fsState;
  b.style = in.fsStyle;
  b.data = in.dwData;
  if (in.iString != 0 && in.iString != -1) {
    if (static_cast<ULONG_PTR>(in.iString) < 0x10000) {
      if (in.iString < static_cast<INT_PTR>(m_strings.size())) b.text = m_strings[static_cast<size_t>(in.iString)];
    } else if (unicode) {
      b.text = reinterpret_cast<const char16_t*>(in.iString);
    } else {
      b.text = Utf8ToUtf16(reinterpret_cast<const char*>(in.iString));
    }
  }
  if (index < 0 || index > static_cast<int>(m_buttons.size())) index = static_cast<int>(m_buttons.size());
  m_buttons.insert(m_buttons.begin() + index, b);
  if (m_hot >= index) ++m_hot;
  if (m_pressed >= index) ++m_pressed;
  Changed();
  return true;
}

void ToolBar::Autosize() {
  Layout();
  const DWORD style = Style();
  if (style & CCS_NORESIZE) return;
  HWND parent = GetParent(m_hwnd);
  RECT parentClient{0, 0, 0, 0};
  if (parent) GetClientRect(parent, &parentClient);
  RECT mine;
  GetWindowRect(m_hwnd, &mine);
  const int height = m_total.cy + 2;  // a little room below the buttons
  if (style & CCS_NOPARENTALIGN) {
    SetWindowPos(m_hwnd, nullptr, 0, 0, mine.right - mine.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    const bool bottom = (style & CCS_BOTTOM) == CCS_BOTTOM;
    SetWindowPos(m_hwnd, nullptr, 0, bottom ? parentClient.bottom - height : 0, parentClient.right, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Layout();
}

bool ToolBar::GetInfo(int index, TBBUTTONINFOW& info, bool unicode) {
  if (index < 0 || index >= static_cast<int>(m_buttons.size())) return false;
  const Button& b = m_buttons[index];
  if (info.dwMask & TBIF_COMMAND) info.idCommand = b.id;
  if (info.dwMask & TBIF_IMAGE) info.iImage = b.image;
  if (info.dwMask & TBIF_STATE) info.fsState = b.state;
  if (info.dwMask & TBIF_STYLE) info.fsStyle = b.style;
  if (info.dwMask & TBIF_LPARAM) info.lParam = b.data;
  if (info.dwMask & TBIF_SIZE) info.cx = static_cast<WORD>(b.rect.right - b.rect.left);
  if ((info.dwMask & TBIF_TEXT) && info.pszText && info.cchText > 0) {
    if (unicode) {
      const size_t n = std::min(b.text.size(), static_cast<size_t>(info.cchText - 1));
      std::copy_n(b.text.data(), n, info.pszText);
      info.pszText[n] = 0;
    } else {
      std::string text = Utf16ToUtf8(b.text);
      size_t n = std::min(text.size(), static_cast<size_t>(info.cchText - 1));
      while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
      auto* out = reinterpret_cast<char*>(info.pszText);
      std::copy_n(text.data(), n, out);
      out[n] = 0;
    }
  }
  return true;
}

bool ToolBar::SetInfo(int index, const TBBUTTONINFOW& info, bool unicode) {
  if (index < 0 || index >= static_cast<int>(m_buttons.size())) return false;
  Button& b = m_buttons[index];
  if (info.dwMask & TBIF_COMMAND) b.id = info.idCommand;
  if (info.dwMask & TBIF_IMAGE) b.image = info.iImage;
  if (info.dwMask & TBIF_STATE) b.state = info.fsState;
  if (info.dwMask & TBIF_STYLE) b.style = info.fsStyle;
  if (info.dwMask & TBIF_LPARAM) b.data = info.lParam;
  if (info.dwMask & TBIF_SIZE) b.fixedWidth = info.cx;
  if (info.dwMask & TBIF_TEXT) {
    if (!info.pszText) b.text.clear();
    else if (unicode) b.text = info.pszText;
    else b.text = Utf8ToUtf16(reinterpret_cast<const char*>(info.pszText));
  }
  Changed();
  return true;
}

// ---- painting --------------------------------------------------------------------------------

void ToolBar::Erase(HDC dc) {
  RECT client;
  GetClientRect(m_hwnd, &client);
  const DWORD style = Style();
  if (style & TBSTYLE_CUSTOMERASE) {
    NMTBCUSTOMDRAW cd{};
    cd.nmcd.dwDrawStage = CDDS_PREERASE;
    cd.nmcd.hdc = dc;
    cd.nmcd.rc = client;
    const LRESULT answer = Notify(NM_CUSTOMDRAW, &cd.nmcd.hdr);
    if (answer & CDRF_SKIPDEFAULT) return;
  }
  HWND parent = GetParent(m_hwnd);
  if ((style & TBSTYLE_TRANSPARENT) && parent) {
    // The parent erases behind the tool bar, its origin moved to the tool bar's corner.
    POINT offset{0, 0};
    MapWindowPoints(m_hwnd, parent, &offset, 1);
    POINT old;
    OffsetWindowOrgEx(dc, offset.x, offset.y, &old);
    SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SetWindowOrgEx(dc, old.x, old.y, nullptr);
  } else {
    Fill(dc, client, GetSysColor(COLOR_BTNFACE));
  }
  if (!(style & CCS_NODIVIDER)) {
    Fill(dc, RECT{client.left, 0, client.right, 1}, GetSysColor(COLOR_BTNSHADOW));
    Fill(dc, RECT{client.left, 1, client.right, 2}, GetSysColor(COLOR_BTNHIGHLIGHT));
  }
}

void ToolBar::Paint(HDC dc) {
  RECT client;
  GetClientRect(m_hwnd, &client);
  NMTBCUSTOMDRAW cd{};
  cd.nmcd.dwDrawStage = CDDS_PREPAINT;
  cd.nmcd.hdc = dc;
  cd.nmcd.rc = client;
  const LRESULT answer = Notify(NM_CUSTOMDRAW, &cd.nmcd.hdr);
  if (!(answer & CDRF_SKIPDEFAULT)) {
    const int saved = SaveDC(dc);
    SelectObject(dc, Font());
    for (size_t i = 0; i < m_buttons.size(); ++i) {
      if (i >= m_buttons.size()) break;  // a handler changed the buttons
      if (!m_buttons[i].Hidden()) PaintButton(dc, static_cast<int>(i), answer);
    }
    RestoreDC(dc, saved);
  }
  if (answer & CDRF_NOTIFYPOSTPAINT) {
    cd.nmcd.dwDrawStage = CDDS_POSTPAINT;
    Notify(NM_CUSTOMDRAW, &cd.nmcd.hdr);
  }
}

void ToolBar::PaintButton(HDC dc, int index, LRESULT controlAnswer) {
  const DWORD style = Style();
  const bool flat = (style & (TBSTYLE_FLAT | TBSTYLE_LIST)) != 0;
  Button b = m_buttons[index];  // a copy: a custom-draw handler may change the buttons
  RECT r = b.rect;
  if (b.IsSeparator()) {
    if (flat && !(b.state & TBSTATE_WRAP)) {
      const int x = (r.left + r.right) / 2 - 1;
      Fill(dc, RECT{x, r.top + 2, x + 1, r.bottom - 2}, GetSysColor(COLOR_BTNSHADOW));
      Fill(dc, RECT{x + 1, r.top + 2, x + 2, r.bottom - 2}, GetSysColor(COLOR_BTNHIGHLIGHT));
    }
    return;
  }
  const bool enabled = b.Enabled() && IsWindowEnabled(m_hwnd);
  const bool pressed = (b.state & TBSTATE_PRESSED) != 0;
  const bool checked = (b.state & TBSTATE_CHECKED) != 0;
  const bool hot = index == m_hot && enabled;

  NMTBCUSTOMDRAW cd{};
  cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
  cd.nmcd.hdc = dc;
  cd.nmcd.rc = r;
  cd.nmcd.dwItemSpec = static_cast<DWORD_PTR>(b.id);
  cd.nmcd.lItemlParam = static_cast<LPARAM>(b.data);
  cd.nmcd.uItemState = (pressed ? CDIS_SELECTED : 0) | (checked ? CDIS_CHECKED : 0) | (enabled ? 0 : CDIS_DISABLED) |
                       (hot ? CDIS_HOT : 0) | ((b.state & TBSTATE_INDETERMINATE) ? CDIS_INDETERMINATE : 0) |
                       ((b.state & TBSTATE_MARKED) ? CDIS_MARKED : 0);
  cd.clrText = GetSysColor(COLOR_BTNTEXT);
  cd.clrTextHighlight = GetSysColor(COLOR_HIGHLIGHTTEXT);
  cd.clrBtnFace = GetSysColor(COLOR_BTNFACE);
  cd.clrBtnHighlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  cd.clrHighlightHotTrack = GetSysColor(COLOR_HIGHLIGHT);
  cd.clrMark = GetSysColor(COLOR_HIGHLIGHT);
  cd.nStringBkMode = TRANSPARENT;
  cd.nHLStringBkMode = OPAQUE;
  cd.iListGap = m_listGap;
  cd.rcText = r;
  LRESULT answer = CDRF_DODEFAULT;
  if (controlAnswer & CDRF_NOTIFYITEMDRAW) {
    answer = Notify(NM_CUSTOMDRAW, &cd.nmcd.hdr);
    if (answer & CDRF_SKIPDEFAULT) return;
  }

  const bool split = HasSplitArrow(b) && !(b.style & BTNS_WHOLEDROPDOWN);
  RECT face = r;
  RECT arrow{};
  if (HasSplitArrow(b)) {
    arrow = RECT{r.right - kDropArrowWidth, r.top, r.right, r.bottom};
    if (split) face.right = arrow.left;
  }
  // Background: hot highlight, a checked button's lighter face, or the bar's own.
  if (hot && (answer & TBCDRF_HILITEHOTTRACK)) {
    Fill(dc, r, cd.clrHighlightHotTrack);
  } else if (checked && !pressed && !(answer & TBCDRF_NOBACKGROUND)) {
    Fill(dc, face, (answer & TBCDRF_USECDCOLORS) ? cd.clrBtnHighlight : GetSysColor(COLOR_3DLIGHT));
  } else if (answer & TBCDRF_USECDCOLORS) {
    Fill(dc, r, cd.clrBtnFace);
  }
  if (!(answer & TBCDRF_NOEDGES)) {
    UINT edge = 0;
    if (pressed || checked) edge = flat ? BDR_SUNKENOUTER : EDGE_SUNKEN;
    else if (!flat) edge = EDGE_RAISED;
    else if (hot) edge = BDR_RAISEDINNER;
    if (edge) {
      RECT e = face;
      DrawEdge(dc, &e, edge, BF_RECT);
      if (split) {
        RECT a = arrow;
        DrawEdge(dc, &a, pressed && m_inDropDown ? (flat ? BDR_SUNKENOUTER : EDGE_SUNKEN) : (flat ? BDR_RAISEDINNER : EDGE_RAISED), BF_RECT);
      }
    }
  }
  const int offset = (pressed || checked) && !(answer & TBCDRF_NOOFFSET) ? 1 : 0;

  // Image and caption.
  const bool list = (style & TBSTYLE_LIST) != 0;
  const SIZE imageSize = ImageSize();
  const bool text = ShowsText(b);
  const std::u16string caption = VisibleText(b.text, !(b.style & BTNS_NOPREFIX));
  SIZE textSize{0, 0};
  if (text) GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &textSize);
  HIMAGELIST images = !enabled && m_disabledImages ? m_disabledImages : hot && m_hotImages ? m_hotImages : m_images;
  const bool drawImage = images && b.image >= 0;
  const int faceWidth = face.right - face.left;
  const int faceHeight = face.bottom - face.top;
  int imageX, imageY;
  RECT textRect;
  if (list) {
    const int content = (drawImage ? imageSize.cx : 0) + (text ? textSize.cx + (drawImage ? m_listGap : 0) : 0);
    imageX = face.left + (faceWidth - content) / 2;
    imageY = face.top + (faceHeight - imageSize.cy) / 2;
    const int textLeft = imageX + (drawImage ? imageSize.cx + m_listGap : 0);
    textRect = RECT{textLeft, face.top, face.right, face.bottom};
  } else {
    const int content = (drawImage ? imageSize.cy : 0) + (text ? textSize.cy + 2 : 0);
    imageX = face.left + (faceWidth - imageSize.cx) / 2;
    imageY = face.top + (faceHeight - content) / 2;
    textRect = RECT{face.left, imageY + (drawImage ? imageSize.cy + 2 : 0), face.right, face.bottom};
  }
  if (drawImage) {
    UINT flags = ILD_TRANSPARENT;
    if (answer & TBCDRF_BLENDICON) flags |= ILD_BLEND50;
    if (!enabled && images == m_images) flags |= ILD_BLEND50;
    ImageList_Draw(images, b.image, dc, imageX + offset, imageY + offset, flags);
  }
  if (text) {
    if (controlAnswer & CDRF_NOTIFYITEMDRAW) {
      // The handler's text rectangle wins when it changed it.
      if (!EqualRect(&cd.rcText, &r)) textRect = cd.rcText;
    }
    OffsetRect(&textRect, offset, offset);
    SetBkMode(dc, cd.nStringBkMode);
    UINT format = DT_SINGLELINE | (list ? DT_LEFT | DT_VCENTER : DT_CENTER | DT_TOP);
    if (b.style & BTNS_NOPREFIX) format |= DT_NOPREFIX;
    format = (format & ~m_drawTextMask) | (m_drawTextFlags & m_drawTextMask);
    if (!list) textRect.right = face.right;
    const std::u16string& shown = b.text;
    if (!enabled && !(answer & TBCDRF_NOETCHEDEFFECT)) {
      RECT etched = textRect;
      OffsetRect(&etched, 1, 1);
      SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
      DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &etched, format);
      SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    } else if (!enabled) {
      SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    } else {
      SetTextColor(dc, hot && (answer & TBCDRF_HILITEHOTTRACK) ? cd.clrTextHighlight : cd.clrText);
    }
    DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &textRect, format);
  }
  if (HasSplitArrow(b)) {
    const int cx = (arrow.left + arrow.right) / 2 + offset, cy = (arrow.top + arrow.bottom) / 2 + offset;
    const COLORREF c = enabled ? cd.clrText : GetSysColor(COLOR_GRAYTEXT);
    for (int k = 0; k < 3; ++k) Fill(dc, RECT{cx - 2 + k, cy - 1 + k, cx + 3 - k, cy + k}, c);
  }
  if (answer & CDRF_NOTIFYPOSTPAINT) {
    cd.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT;
    Notify(NM_CUSTOMDRAW, &cd.nmcd.hdr);
  }
}

// ---- messages --------------------------------------------------------------------------------

LRESULT ToolBar::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case TB_BUTTONSTRUCTSIZE: return 0;
    case TB_ADDBUTTONSW:
    case TB_ADDBUTTONSA: {
      auto* buttons = reinterpret_cast<const TBBUTTON*>(lParam);
      if (!buttons) return FALSE;
      for (WPARAM i = 0; i < wParam; ++i) Insert(-1, buttons[i], msg == TB_ADDBUTTONSW);
      return TRUE;
    }
    case TB_INSERTBUTTONW:
    case TB_INSERTBUTTONA: {
      auto* button = reinterpret_cast<const TBBUTTON*>(lParam);
      if (!button) return FALSE;
      return Insert(static_cast<int>(wParam), *button, msg == TB_INSERTBUTTONW);
    }
    case TB_DELETEBUTTON: {
      const int index = static_cast<int>(wParam);
      if (index < 0 || index >= static_cast<int>(m_buttons.size())) return FALSE;
      m_buttons.erase(m_buttons.begin() + index);
      if (m_hot == index) m_hot = -1;
      else if (m_hot > index) --m_hot;
      if (m_pressed == index) {
        m_pressed = -1;
        if (GetCapture() == m_hwnd) ReleaseCapture();
      } else if (m_pressed > index) {
        --m_pressed;
      }
      Changed();
      return TRUE;
    }
    case TB_BUTTONCOUNT: return static_cast<LRESULT>(m_buttons.size());
    case TB_COMMANDTOINDEX: return IndexOfId(static_cast<int>(wParam));
    case TB_GETBUTTON: {
      auto* out = reinterpret_cast<TBBUTTON*>(lParam);
      const int index = static_cast<int>(wParam);
      if (!out || index < 0 || index >= static_cast<int>(m_buttons.size())) return FALSE;
      const Button& b = m_buttons[index];
      *out = TBBUTTON{};
      out->iBitmap = b.image;
      out->idCommand = b.id;
      out->fsState = b.state;
      out->fsStyle = b.style;
      out->dwData = b.data;
      out->iString = -1;
      return TRUE;
    }
    case TB_GETITEMRECT:
    case TB_GETRECT: {
      auto* out = reinterpret_cast<RECT*>(lParam);
      const int index = msg == TB_GETRECT ? IndexOfId(static_cast<int>(wParam)) : static_cast<int>(wParam);
      if (!out || index < 0 || index >= static_cast<int>(m_buttons.size()) || m_buttons[index].Hidden()) return FALSE;
      *out = m_buttons[index].rect;
      return TRUE;
    }
    case TB_GETBUTTONINFOW:
    case TB_GETBUTTONINFOA: {
      auto* info = reinterpret_cast<TBBUTTONINFOW*>(lParam);
      if (!info || info->cbSize != sizeof(TBBUTTONINFOW)) return -1;
      const int index = (info->dwMask & TBIF_BYINDEX) ? static_cast<int>(wParam) : IndexOfId(static_cast<int>(wParam));
      return GetInfo(index, *info, msg == TB_GETBUTTONINFOW) ? index : -1;
    }
    case TB_SETBUTTONINFOW:
    case TB_SETBUTTONINFOA: {
      auto* info = reinterpret_cast<const TBBUTTONINFOW*>(lParam);
      if (!info || info->cbSize != sizeof(TBBUTTONINFOW)) return FALSE;
      const int index = (info->dwMask & TBIF_BYINDEX) ? static_cast<int>(wParam) : IndexOfId(static_cast<int>(wParam));
      return SetInfo(index, *info, msg == TB_SETBUTTONINFOW);
    }
    case TB_GETBUTTONTEXTW:
    case TB_GETBUTTONTEXTA: {
      Button* b = ById(static_cast<int>(wParam));
      if (!b) return -1;
      if (msg == TB_GETBUTTONTEXTW) {
        if (lParam) std::copy(b->text.c_str(), b->text.c_str() + b->text.size() + 1, reinterpret_cast<char16_t*>(lParam));
        return static_cast<LRESULT>(b->text.size());
      }
      const std::string text = Utf16ToUtf8(b->text);
      if (lParam) std::copy(text.c_str(), text.c_str() + text.size() + 1, reinterpret_cast<char*>(lParam));
      return static_cast<LRESULT>(text.size());
    }
    case TB_ADDSTRINGW:
    case TB_ADDSTRINGA: {
      if (wParam != 0 || !lParam) return -1;  // strings from resources are not kept here
      const int first = static_cast<int>(m_strings.size());
      if (msg == TB_ADDSTRINGW) {
        for (auto p = reinterpret_cast<const char16_t*>(lParam); *p; p += std::char_traits<char16_t>::length(p) + 1)
          m_strings.emplace_back(p);
      } else {
        for (auto p = reinterpret_cast<const char*>(lParam); *p; p += std::char_traits<char>::length(p) + 1)
          m_strings.push_back(Utf8ToUtf16(p));
      }
      return first;
    }
    case TB_GETSTATE: {
      Button* b = ById(static_cast<int>(wParam));
      return b ? b->state : -1;
    }
    case TB_SETSTATE: {
      const int index = IndexOfId(static_cast<int>(wParam));
      if (index < 0) return FALSE;
      const bool layout = ((m_buttons[index].state ^ static_cast<BYTE>(lParam)) & (TBSTATE_HIDDEN | TBSTATE_WRAP)) != 0;
      m_buttons[index].state = static_cast<BYTE>(lParam);
      if (layout) Changed();
      else InvalidateButton(index);
      return TRUE;
    }
    case TB_CHECKBUTTON:
    case TB_ENABLEBUTTON:
    case TB_PRESSBUTTON:
    case TB_HIDEBUTTON:
    case TB_INDETERMINATE:
    case TB_MARKBUTTON: {
      const int index = IndexOfId(static_cast<int>(wParam));
      if (index < 0) return FALSE;
      BYTE bit = msg == TB_CHECKBUTTON ? TBSTATE_CHECKED : msg == TB_ENABLEBUTTON ? TBSTATE_ENABLED
                 : msg == TB_PRESSBUTTON ? TBSTATE_PRESSED : msg == TB_HIDEBUTTON ? TBSTATE_HIDDEN
                 : msg == TB_INDETERMINATE ? TBSTATE_INDETERMINATE : TBSTATE_MARKED;
      Button& b = m_buttons[index];
      const bool on = LOWORD(lParam) != 0;
      if (msg == TB_CHECKBUTTON && on && (b.style & BTNS_CHECKGROUP) == BTNS_CHECKGROUP) {
        // Checking one button of a group clears the others.
        for (int i = index - 1; i >= 0 && (m_buttons[i].style & BTNS_CHECKGROUP) == BTNS_CHECKGROUP; --i)
          m_buttons[i].state &= ~TBSTATE_CHECKED, InvalidateButton(i);
        for (int i = index + 1; i < static_cast<int>(m_buttons.size()) && (m_buttons[i].style & BTNS_CHECKGROUP) == BTNS_CHECKGROUP; ++i)
          m_buttons[i].state &= ~TBSTATE_CHECKED, InvalidateButton(i);
      }
      if (on) b.state |= bit;
      else b.state &= ~bit;
      if (msg == TB_ENABLEBUTTON && !on && m_hot == index) SetHot(-1, HICF_OTHER);
      if (msg == TB_HIDEBUTTON) Changed();
      else InvalidateButton(index);
      return TRUE;
    }
    case TB_ISBUTTONENABLED:
    case TB_ISBUTTONCHECKED:
    case TB_ISBUTTONPRESSED:
    case TB_ISBUTTONHIDDEN: {
      Button* b = ById(static_cast<int>(wParam));
      if (!b) return 0;
      const BYTE bit = msg == TB_ISBUTTONENABLED ? TBSTATE_ENABLED : msg == TB_ISBUTTONCHECKED ? TBSTATE_CHECKED
                       : msg == TB_ISBUTTONPRESSED ? TBSTATE_PRESSED : TBSTATE_HIDDEN;
      return (b->state & bit) != 0;
    }
    case TB_SETCMDID: {
      const int index = static_cast<int>(wParam);
      if (index < 0 || index >= static_cast<int>(m_buttons.size())) return FALSE;
      m_buttons[index].id = static_cast<int>(lParam);
      return TRUE;
    }
    case TB_SETBUTTONSIZE:
      m_buttonSize = SIZE{std::max<int>(LOWORD(lParam), 1), std::max<int>(HIWORD(lParam), 1)};
      Changed();
      return TRUE;
    case TB_GETBUTTONSIZE: {
      Layout();
      for (const Button& b : m_buttons)
        if (!b.IsSeparator() && !b.Hidden()) return MAKELONG(b.rect.right - b.rect.left, b.rect.bottom - b.rect.top);
      return MAKELONG(m_buttonSize.cx, m_buttonSize.cy);
    }
    case TB_SETBITMAPSIZE:
      m_bitmapSize = SIZE{LOWORD(lParam), HIWORD(lParam)};
      Changed();
      return TRUE;
    case TB_SETPADDING: {
      const LRESULT old = MAKELONG(m_padding.cx, m_padding.cy);
      m_padding = SIZE{LOWORD(lParam), HIWORD(lParam)};
      Changed();
      return old;
    }
    case TB_GETPADDING: return MAKELONG(m_padding.cx, m_padding.cy);
    case TB_SETBUTTONWIDTH:
      m_minWidth = LOWORD(lParam);
      m_maxWidth = HIWORD(lParam);
      Changed();
      return TRUE;
    case TB_SETINDENT:
      m_indent = static_cast<int>(wParam);
      Changed();
      return TRUE;
    case TB_SETLISTGAP:
      m_listGap = static_cast<int>(wParam);
      Changed();
      return 0;
    case TB_SETMAXTEXTROWS:
      m_maxTextRows = static_cast<int>(wParam);
      Changed();
      return TRUE;
    case TB_GETTEXTROWS: return m_maxTextRows;
    case TB_SETDRAWTEXTFLAGS: {
      const LRESULT old = m_drawTextFlags;
      m_drawTextMask = static_cast<UINT>(wParam);
      m_drawTextFlags = static_cast<UINT>(lParam);
      InvalidateRect(m_hwnd, nullptr, TRUE);
      return old;
    }
    case TB_AUTOSIZE: Autosize(); InvalidateRect(m_hwnd, nullptr, TRUE); return 0;
    case TB_GETROWS: return m_rows;
    case TB_GETMAXSIZE: {
      auto* size = reinterpret_cast<SIZE*>(lParam);
      if (!size) return FALSE;
      Layout();
      *size = m_total;
      return TRUE;
    }
    case TB_SETPARENT: {
      HWND old = m_notify;
      m_notify = reinterpret_cast<HWND>(wParam);
      return reinterpret_cast<LRESULT>(old);
    }
    case TB_SETIMAGELIST:
    case TB_SETHOTIMAGELIST:
    case TB_SETDISABLEDIMAGELIST: {
      HIMAGELIST& slot = msg == TB_SETIMAGELIST ? m_images : msg == TB_SETHOTIMAGELIST ? m_hotImages : m_disabledImages;
      HIMAGELIST old = slot;
      slot = reinterpret_cast<HIMAGELIST>(lParam);
      Changed();
      return reinterpret_cast<LRESULT>(old);
    }
    case TB_GETIMAGELIST: return reinterpret_cast<LRESULT>(m_images);
    case TB_GETHOTIMAGELIST: return reinterpret_cast<LRESULT>(m_hotImages);
    case TB_GETDISABLEDIMAGELIST: return reinterpret_cast<LRESULT>(m_disabledImages);
    case TB_SETSTYLE:
      SetWindowLongPtrW(m_hwnd, GWL_STYLE, static_cast<LONG_PTR>(lParam));
      return 0;
    case TB_GETSTYLE: return static_cast<LRESULT>(Style());
    case TB_SETEXTENDEDSTYLE: {
      const LRESULT old = m_exStyle;
      m_exStyle = wParam ? (m_exStyle & ~static_cast<DWORD>(wParam)) | (static_cast<DWORD>(lParam) & static_cast<DWORD>(wParam))
                         : static_cast<DWORD>(lParam);
      Changed();
      return old;
    }
    case TB_GETEXTENDEDSTYLE: return m_exStyle;
    case TB_GETHOTITEM: return m_hot;
    case TB_SETHOTITEM: {
      const LRESULT old = m_hot;
      SetHot(static_cast<int>(static_cast<INT_PTR>(wParam)), HICF_OTHER);
      return old;
    }
    case TB_HITTEST: {
      auto* point = reinterpret_cast<const POINT*>(lParam);
      return point ? HitTest(*point) : -1;
    }
    case TB_MAPACCELERATORW:
    case TB_MAPACCELERATORA: {
      auto* id = reinterpret_cast<UINT*>(lParam);
      const auto key = static_cast<char16_t>(std::towlower(static_cast<wint_t>(wParam)));
      for (const Button& b : m_buttons) {
        if (b.IsSeparator() || b.Hidden() || !b.Enabled() || (b.style & BTNS_NOPREFIX)) continue;
        if (Accelerator(b.text) == key) {
          if (id) *id = static_cast<UINT>(b.id);
          return TRUE;
        }
      }
      return FALSE;
    }
    case CCM_SETUNICODEFORMAT: {
      const bool old = m_unicode;
      m_unicode = wParam != 0;
      return old;
    }
    case CCM_GETUNICODEFORMAT: return m_unicode;
    case WM_NOTIFYFORMAT: return m_unicode ? NFR_UNICODE : NFR_ANSI;
    case WM_SETFONT:
      m_font = reinterpret_cast<HFONT>(wParam);
      Layout();
      if (lParam) InvalidateRect(m_hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(m_font);
    case WM_SIZE:
    case WM_STYLECHANGED:
      Layout();
      InvalidateRect(m_hwnd, nullptr, TRUE);
      return 0;
    case WM_ERASEBKGND:
      if (wParam) Erase(reinterpret_cast<HDC>(wParam));
      return TRUE;
    case WM_PAINT:
      return comctl_detail::AnswerPaint(m_hwnd, wParam, [this](HDC dc, const RECT&) { Paint(dc); });
    case WM_PRINTCLIENT:
      if (lParam & PRF_ERASEBKGND) Erase(reinterpret_cast<HDC>(wParam));
      Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      OnButtonDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_LBUTTONUP: OnButtonUp(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
    case WM_RBUTTONUP: {
      NMMOUSE nm{};
      nm.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      const int index = HitTest(nm.pt);
      nm.dwItemSpec = index >= 0 ? static_cast<DWORD_PTR>(m_buttons[index].id) : static_cast<DWORD_PTR>(-1);
      if (!Notify(NM_RCLICK, &nm.hdr)) return DefWindowProcW(m_hwnd, msg, wParam, lParam);
      return 0;
    }
    case WM_MOUSEMOVE: OnMouseMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
    case WM_MOUSELEAVE:
      if (m_pressed < 0) SetHot(-1, HICF_MOUSE);
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != m_hwnd && m_pressed >= 0) {
        if (m_pressed < static_cast<int>(m_buttons.size())) {
          m_buttons[m_pressed].state &= ~TBSTATE_PRESSED;
          InvalidateButton(m_pressed);
        }
        m_pressed = -1;
      }
      return 0;
    case WM_ENABLE:
    case WM_SYSCOLORCHANGE: InvalidateRect(m_hwnd, nullptr, TRUE); return 0;
    default: break;
  }
  return DefWindowProcW(m_hwnd, msg, wParam, lParam);
}

void RegisterToolBarClass() {
  comctl_detail::RegisterControlClass({.name = TOOLBARCLASSNAMEW,
                                       .procedure = comctl_detail::ControlWindowProc<ToolBar>,
                                       .style = CS_DBLCLKS | CS_GLOBALCLASS});
}

const comctl_detail::ClassRegistration g_registration(RegisterToolBarClass);

}  // namespace
}  // namespace platform
