// The combo box's window procedure and its list's: the field, the drop button, the popup
// list with its mouse capture, keys, focus and the CB_ messages.

#include "platform/comctl/ComboBox.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/comctl/ControlSupport.h"
#include "platform/comctl/Edit.h"
#include "platform/gdi/WinGdi.h"
#include "platform/user/DrawControls.h"
#include "platform/user/Monitors.h"
#include "platform/user/Subclass.h"
#include "platform/user/SystemParams.h"

namespace platform {
namespace {

using comctl_detail::ListBox;
using comctl_detail::ListBoxOf;

char16_t ToUpper(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 32);
  return c;
}
char16_t ToLower(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
  return c;
}

bool PointIn(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

class ComboBox {
 public:
  explicit ComboBox(HWND hwnd) : m_hwnd(hwnd) {}

  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT ListMessage(HWND list, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT EditMessage(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  DWORD Style() const { return static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE)); }
  DWORD Kind() const { return Style() & 3; }
  bool Simple() const { return Kind() == CBS_SIMPLE; }
  bool HasEdit() const { return Kind() != CBS_DROPDOWNLIST; }
  bool OwnerDraw() const { return (Style() & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0; }
  ListBox* List() const { return m_list ? ListBoxOf(m_list) : nullptr; }
  int Margin() const { return (GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) ? 0 : 2; }

  void Create(const CREATESTRUCTW& create);
  void MeasureField();
  int FieldHeight() const { return m_fieldHeight; }
  int WindowHeight() const;
  RECT ButtonRect() const;
  RECT ItemRect() const;
  void Layout();
  int ListHeight();
  void Notify(WORD code);
  void DropDown();
  void CloseUp(bool ok);
  // The list's selection changed by the user: the field follows and the parent hears it.
  void UserSelect(int index);
  void SyncField(int index);
  void Paint(HDC dc);
  void PaintField(HDC dc);
  void OnKeyDown(int key, bool alt);
  bool NavigationKey(int key) const;
  void GotFocus();
  void LostFocus(HWND next);
  bool OwnsWindow(HWND hwnd) const { return hwnd && (hwnd == m_hwnd || hwnd == m_edit || hwnd == m_list); }
  std::u16string CaseFold(std::u16string text) const;
  LRESULT AddOrInsert(UINT msg, WPARAM wParam, LPARAM lParam);

  HWND m_hwnd;
  HWND m_list = nullptr;
  HWND m_edit = nullptr;
  HFONT m_font = nullptr;
  int m_fieldHeight = 0;
  bool m_fieldHeightSet = false;  // CB_SETITEMHEIGHT -1 fixed it
  int m_dropHeight = 0;           // the dropped combo's height (field and list)
  int m_droppedWidth = 0;
  bool m_dropped = false;
  bool m_focused = false;
  bool m_buttonDrag = false;      // the drop came from a press on the combo still held
  bool m_listPressed = false;     // a press in the dropped list is held
  bool m_inListScroll = false;    // the list's scroll bar runs its own loop
  bool m_settingEdit = false;     // the combo box writes the edit's text: no edit notifications
  int m_committedSel = -1;        // the selection the parent last heard of
};

// ---- creation and geometry ----------------------------------------------------------------------

int ComboBox::WindowHeight() const {
  RECT window{}, client{};
  GetWindowRect(m_hwnd, &window);
  GetClientRect(m_hwnd, &client);
  const int nonClient = static_cast<int>((window.bottom - window.top) - client.bottom);
  return m_fieldHeight + 2 * Margin() + 2 + nonClient;
}

RECT ComboBox::ButtonRect() const {
  if (Simple()) return RECT{};
  RECT client{};
  GetClientRect(m_hwnd, &client);
  const int m = Margin();
  const int width = GetSystemMetrics(SM_CXVSCROLL);
  return RECT{client.right - m - width, m, client.right - m, client.bottom - m};
}

RECT ComboBox::ItemRect() const {
  RECT client{};
  GetClientRect(m_hwnd, &client);
  const int m = Margin();
  const LONG right = Simple() ? client.right - m - 1 : ButtonRect().left - 1;
  return RECT{m + 1, m + 1, std::max<LONG>(m + 1, right), m + 1 + m_fieldHeight};
}

void ComboBox::MeasureField() {
  if (m_fieldHeightSet) return;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, m_font ? m_font : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW metrics{};
  m_fieldHeight = GetTextMetricsW(dc, &metrics) ? metrics.tmHeight + 2 : 16;
  SelectObject(dc, old);
  DeleteDC(dc);
  if (OwnerDraw()) {
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_COMBOBOX;
    measure.CtlID = static_cast<UINT>(GetWindowLongPtrW(m_hwnd, GWLP_ID));
    measure.itemID = static_cast<UINT>(-1);
    measure.itemHeight = static_cast<UINT>(m_fieldHeight);
    if (HWND parent = GetParent(m_hwnd))
      SendMessageW(parent, WM_MEASUREITEM, measure.CtlID, reinterpret_cast<LPARAM>(&measure));
    m_fieldHeight = std::clamp<int>(static_cast<int>(measure.itemHeight), 1, 255);
  }
}

void ComboBox::Create(const CREATESTRUCTW& create) {
  m_dropHeight = create.cy;
  MeasureField();
  const DWORD style = create.style;
  DWORD listStyle = WS_VSCROLL | WS_BORDER | LBS_COMBOBOX | LBS_NOTIFY;
  if (style & CBS_SORT) listStyle |= LBS_SORT;
  if (style & CBS_HASSTRINGS) listStyle |= LBS_HASSTRINGS;
  if (style & CBS_OWNERDRAWFIXED) listStyle |= LBS_OWNERDRAWFIXED;
  if (style & CBS_OWNERDRAWVARIABLE) listStyle |= LBS_OWNERDRAWVARIABLE;
  if (style & CBS_NOINTEGRALHEIGHT) listStyle |= LBS_NOINTEGRALHEIGHT;
  if (style & CBS_DISABLENOSCROLL) listStyle |= LBS_DISABLENOSCROLL;
  const bool simple = (style & 3) == CBS_SIMPLE;
  HINSTANCE instance = create.hInstance;
  if (simple) {
    // A child of the combo box: the window manager announces it with WM_PARENTNOTIFY.
    m_list = CreateWindowExW(0, WC_COMBOLBOXW, nullptr, WS_CHILD | WS_VISIBLE | listStyle, 0, 0, 0, 0, m_hwnd,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kComboListId)), instance, nullptr);
  } else {
    // A popup's menu argument names a menu: the id is set after.
    m_list = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, WC_COMBOLBOXW, nullptr, WS_POPUP | listStyle, 0, 0, 0, 0,
                             m_hwnd, nullptr, instance, nullptr);
    if (m_list) {
      SetWindowLongPtrW(m_list, GWLP_ID, kComboListId);
      SendMessageW(m_hwnd, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, kComboListId), reinterpret_cast<LPARAM>(m_list));
    }
  }
  if (ListBox* list = List()) {
    comctl_detail::ListBoxHost host;
    host.notify = m_hwnd;
    host.drawParent = GetParent(m_hwnd);
    host.ctlType = ODT_COMBOBOX;
    host.id = static_cast<UINT>(GetWindowLongPtrW(m_hwnd, GWLP_ID));
    host.itemWindow = m_hwnd;
    list->SetHost(host);
  }
  if (HasEdit()) {
    DWORD editStyle = WS_CHILD | WS_VISIBLE;
    if (style & CBS_AUTOHSCROLL) editStyle |= ES_AUTOHSCROLL;
    if (style & CBS_UPPERCASE) editStyle |= ES_UPPERCASE;
    if (style & CBS_LOWERCASE) editStyle |= ES_LOWERCASE;
    m_edit = CreateWindowExW(0, WC_EDITW, create.lpszName && !IS_INTRESOURCE(create.lpszName) ? create.lpszName : u"",
                             editStyle, 0, 0, 0, 0, m_hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kComboEditId)),
                             instance, nullptr);
    if (m_edit) SetWindowSubclass(m_edit, [](HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR ref) {
      return reinterpret_cast<ComboBox*>(ref)->EditMessage(h, m, w, l);
    }, 1, reinterpret_cast<DWORD_PTR>(this));
  }
  if (m_list) SetWindowSubclass(m_list, [](HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR ref) {
    return reinterpret_cast<ComboBox*>(ref)->ListMessage(h, m, w, l);
  }, 1, reinterpret_cast<DWORD_PTR>(this));
  if (!simple) {
    RECT window{};
    GetWindowRect(m_hwnd, &window);
    SetWindowPos(m_hwnd, nullptr, 0, 0, window.right - window.left, WindowHeight(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Layout();
}

void ComboBox::Layout() {
  const RECT item = ItemRect();
  if (m_edit) MoveWindow(m_edit, item.left, item.top, item.right - item.left, item.bottom - item.top, TRUE);
  if (Simple() && m_list) {
    RECT client{};
    GetClientRect(m_hwnd, &client);
    const int top = m_fieldHeight + 2 * Margin() + 2;
    MoveWindow(m_list, 0, top, client.right, std::max<int>(0, client.bottom - top), TRUE);
  }
}

int ComboBox::ListHeight() {
  ListBox* list = List();
  if (!list) return 0;
  const int border = 2;
  const int itemHeight = std::max(1, list->ItemHeight(-1));
  int height = m_dropHeight - WindowHeight();
  if (height < itemHeight + border) height = itemHeight + border;
  // A short list takes no more room than its items.
  if (list->Count() > 0) {
    const int content = list->RowsHeight(list->Count()) + border;
    if (content < height) height = content;
  }
  if (!(Style() & (CBS_NOINTEGRALHEIGHT | CBS_OWNERDRAWVARIABLE)))
    height = border + std::max(1, (height - border) / itemHeight) * itemHeight;
  return height;
}

// ---- notifications, dropping and closing ------------------------------------------------------

void ComboBox::Notify(WORD code) {
  HWND parent = GetParent(m_hwnd);
  if (!parent) return;
  const int id = static_cast<int>(GetWindowLongPtrW(m_hwnd, GWLP_ID));
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(m_hwnd));
}

void ComboBox::DropDown() {
  if (m_dropped || Simple() || !m_list) return;
  Notify(CBN_DROPDOWN);
  if (!IsWindow(m_hwnd) || m_dropped) return;
  ListBox* list = List();
  RECT combo{};
  GetWindowRect(m_hwnd, &combo);
  const int width = std::max<int>(combo.right - combo.left, m_droppedWidth);
  int height = ListHeight();
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (GetMonitorInfoW(MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTONEAREST), &monitor)) work = monitor.rcWork;
  int top = combo.bottom;
  if (top + height > work.bottom) {
    const int below = static_cast<int>(work.bottom - combo.bottom);
    const int above = static_cast<int>(combo.top - work.top);
    if (above >= height) {
      top = combo.top - height;
    } else if (above > below) {
      height = above;
      top = work.top;
    } else {
      height = std::max(0, below);
    }
  }
  int left = combo.left;
  if (left + width > work.right) left = std::max<int>(work.left, work.right - width);
  if (left < work.left) left = work.left;
  m_committedSel = list->CurSel();
  SetWindowPos(m_list, HWND_TOPMOST, left, top, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  m_dropped = true;
  // The selected item opens the list (as far up as it can go).
  list->SetTopIndex(std::max(0, list->CurSel()));
  SetCapture(m_list);
  InvalidateRect(m_hwnd, nullptr, TRUE);
}

void ComboBox::CloseUp(bool ok) {
  Notify(ok ? CBN_SELENDOK : CBN_SELENDCANCEL);
  if (!m_dropped || !IsWindow(m_hwnd)) return;
  m_dropped = false;
  m_buttonDrag = false;
  m_listPressed = false;
  ListBox* list = List();
  if (!ok && list && list->CurSel() != m_committedSel) {
    // Items only passed over return to the one chosen before.
    list->SetCurSel(m_committedSel);
    SyncField(m_committedSel);
  }
  if (GetCapture() == m_list) ReleaseCapture();
  ShowWindow(m_list, SW_HIDE);
  InvalidateRect(m_hwnd, nullptr, TRUE);
  Notify(CBN_CLOSEUP);
}

void ComboBox::SyncField(int index) {
  if (m_edit) {
    ListBox* list = List();
    const std::u16string text = index >= 0 && list ? list->Text(index) : std::u16string();
    m_settingEdit = true;
    SendMessageW(m_edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    m_settingEdit = false;
    SendMessageW(m_edit, EM_SETSEL, 0, -1);
  }
  InvalidateRect(m_hwnd, nullptr, TRUE);
}

void ComboBox::UserSelect(int index) {
  ListBox* list = List();
  if (!list || index < 0 || index >= list->Count()) return;
  list->EnsureVisible(index);
  if (index == list->CurSel() && index == m_committedSel) return;
  list->SetCurSel(index);
  m_committedSel = index;
  SyncField(index);
  Notify(CBN_SELCHANGE);
}

// ---- painting -----------------------------------------------------------------------------------

void ComboBox::PaintField(HDC dc) {
  const RECT item = ItemRect();
  ListBox* list = List();
  const int index = list ? list->CurSel() : -1;
  const bool enabled = IsWindowEnabled(m_hwnd) != FALSE;
  const bool highlight = m_focused && !m_dropped && enabled;
  HFONT font = m_font ? m_font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HGDIOBJ oldFont = SelectObject(dc, font);
  if (OwnerDraw()) {
    HWND parent = GetParent(m_hwnd);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_COMBOBOX;
    draw.CtlID = static_cast<UINT>(GetWindowLongPtrW(m_hwnd, GWLP_ID));
    draw.itemID = static_cast<UINT>(index);
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = ODS_COMBOBOXEDIT | (highlight ? ODS_SELECTED | ODS_FOCUS : 0) | (enabled ? 0 : ODS_DISABLED);
    draw.hwndItem = m_hwnd;
    draw.hDC = dc;
    draw.rcItem = item;
    draw.itemData = list && index >= 0 ? list->Data(index) : 0;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, item.left, item.top, item.right, item.bottom);
    if (parent) SendMessageW(parent, WM_DRAWITEM, draw.CtlID, reinterpret_cast<LPARAM>(&draw));
    RestoreDC(dc, saved);
  } else {
    if (highlight) {
      detail::FillSolid(dc, item, GetSysColor(COLOR_HIGHLIGHT));
      SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else if (!enabled) {
      SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    }
    SetBkMode(dc, TRANSPARENT);
    if (list && index >= 0) {
      const std::u16string text = list->Text(index);
      RECT textRect{item.left + 2, item.top, item.right - 1, item.bottom};
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    if (highlight) DrawFocusRect(dc, &item);
  }
  SelectObject(dc, oldFont);
}

void ComboBox::Paint(HDC dc) {
  RECT client{};
  GetClientRect(m_hwnd, &client);
  const bool enabled = IsWindowEnabled(m_hwnd) != FALSE;
  // The field's colours come from the parent: its brush fills the combo box.
  HWND parent = GetParent(m_hwnd);
  HBRUSH brush = nullptr;
  if (parent)
    brush = reinterpret_cast<HBRUSH>(SendMessageW(parent, enabled ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC,
                                                  reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(m_hwnd)));
  RECT fill = client;
  if (Simple()) fill.bottom = std::min<LONG>(client.bottom, m_fieldHeight + 2 * Margin() + 2);
  if (brush)
    FillRect(dc, &fill, brush);
  else
    detail::FillSolid(dc, fill, GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
  if (Margin() > 0) {
    RECT edge = fill;
    DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
  }
  if (!Simple()) {
    RECT button = ButtonRect();
    UINT state = DFCS_SCROLLCOMBOBOX;
    if (m_dropped) state |= DFCS_PUSHED | DFCS_FLAT;
    if (!enabled) state |= DFCS_INACTIVE;
    DrawFrameControl(dc, &button, DFC_SCROLL, state);
  }
  if (!HasEdit()) PaintField(dc);
}

// ---- input and focus ----------------------------------------------------------------------------

bool ComboBox::NavigationKey(int key) const {
  switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT: return true;
    case VK_HOME:
    case VK_END:
    case VK_LEFT:
    case VK_RIGHT: return !HasEdit();
    default: return false;
  }
}

void ComboBox::OnKeyDown(int key, bool alt) {
  if (alt && (key == VK_DOWN || key == VK_UP)) {
    if (m_dropped) CloseUp(false);
    else DropDown();
    return;
  }
  if (key == VK_F4 && !alt) {
    if (m_dropped) CloseUp(false);
    else DropDown();
    return;
  }
  if (m_dropped && key == VK_ESCAPE) {
    CloseUp(false);
    return;
  }
  if (m_dropped && key == VK_RETURN) {
    CloseUp(true);
    return;
  }
  if (NavigationKey(key)) {
    ListBox* list = List();
    if (!list) return;
    int target = list->NavigationTarget(key);
    // From a typed text without a selection, Down starts at the item the text leads to.
    if (target >= 0 && list->CurSel() < 0 && m_edit && (key == VK_DOWN || key == VK_NEXT)) {
      std::u16string text(static_cast<size_t>(GetWindowTextLengthW(m_edit)) + 1, u'\0');
      text.resize(static_cast<size_t>(GetWindowTextW(m_edit, text.data(), static_cast<int>(text.size()))));
      const int found = text.empty() ? -1 : list->Find(-1, text, false);
      if (found >= 0) target = found;
    }
    if (target >= 0) UserSelect(target);
  }
}

void ComboBox::GotFocus() {
  if (m_focused) return;
  m_focused = true;
  if (m_edit) SendMessageW(m_edit, EM_SETSEL, 0, -1);
  InvalidateRect(m_hwnd, nullptr, TRUE);
  Notify(CBN_SETFOCUS);
}

void ComboBox::LostFocus(HWND next) {
  if (!m_focused || OwnsWindow(next)) return;
  if (m_dropped) CloseUp(false);
  m_focused = false;
  if (m_edit) SendMessageW(m_edit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
  InvalidateRect(m_hwnd, nullptr, TRUE);
  Notify(CBN_KILLFOCUS);
}

std::u16string ComboBox::CaseFold(std::u16string text) const {
  if (Style() & CBS_UPPERCASE) std::transform(text.begin(), text.end(), text.begin(), ToUpper);
  if (Style() & CBS_LOWERCASE) std::transform(text.begin(), text.end(), text.begin(), ToLower);
  return text;
}

LRESULT ComboBox::AddOrInsert(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!m_list) return CB_ERR;
  ListBox* list = List();
  std::u16string text;
  if (list->HasStrings() && lParam) {
    text = CaseFold(reinterpret_cast<const char16_t*>(lParam));
    lParam = reinterpret_cast<LPARAM>(text.c_str());
  }
  const LRESULT result = SendMessageW(m_list, msg == CB_ADDSTRING ? LB_ADDSTRING : LB_INSERTSTRING, wParam, lParam);
  if (result == LB_ERRSPACE) Notify(CBN_ERRSPACE);
  if (result >= 0 && list->CurSel() >= 0) m_committedSel = list->CurSel();
  if (!HasEdit()) InvalidateRect(m_hwnd, nullptr, TRUE);
  return result;
}

// ---- the combo box's messages -------------------------------------------------------------------

LRESULT ComboBox::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  ListBox* list = List();
  switch (msg) {
    case WM_CREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      if (create) Create(*create);
      return m_list ? 0 : -1;
    }
    case WM_DESTROY:
      if (m_list && !Simple()) {
        HWND popup = m_list;
        m_dropped = false;
        m_list = nullptr;
        DestroyWindow(popup);
      }
      return 0;
    case WM_WINDOWPOSCHANGING: {
      auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
      if (pos && !(pos->flags & SWP_NOSIZE) && !Simple() && m_list) {
        const int height = WindowHeight();
        if (pos->cy != height) {
          if (pos->cy > height) m_dropHeight = pos->cy;
          pos->cy = height;
        }
      }
      return 0;
    }
    case WM_SIZE:
      Layout();
      InvalidateRect(m_hwnd, nullptr, TRUE);
      return 0;
    case WM_SETFONT:
      m_font = reinterpret_cast<HFONT>(wParam);
      if (m_edit) SendMessageW(m_edit, WM_SETFONT, wParam, FALSE);
      if (m_list) SendMessageW(m_list, WM_SETFONT, wParam, FALSE);
      MeasureField();
      if (!Simple()) {
        RECT window{};
        GetWindowRect(m_hwnd, &window);
        SetWindowPos(m_hwnd, nullptr, 0, 0, window.right - window.left, WindowHeight(),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      Layout();
      if (LOWORD(lParam)) InvalidateRect(m_hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(m_font);
    case WM_ERASEBKGND: return TRUE;
    case WM_PAINT:
      return comctl_detail::AnswerPaint(m_hwnd, wParam, [this](HDC dc, const RECT&) { Paint(dc); });
    case WM_PRINTCLIENT:
      if (wParam) Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ENABLE:
      if (m_edit) EnableWindow(m_edit, wParam != 0);
      if (m_list) EnableWindow(m_list, wParam != 0);
      if (!wParam && m_dropped) CloseUp(false);
      InvalidateRect(m_hwnd, nullptr, TRUE);
      return 0;
    case WM_SETTEXT: {
      if (m_edit) return SendMessageW(m_edit, WM_SETTEXT, wParam, lParam);
      const std::u16string text = lParam ? reinterpret_cast<const char16_t*>(lParam) : u"";
      const int found = list && !text.empty() ? list->Find(-1, text, true) : -1;
      if (found < 0 && !text.empty()) return CB_ERR;
      if (list) list->SetCurSel(found);
      m_committedSel = found;
      InvalidateRect(m_hwnd, nullptr, TRUE);
      return TRUE;
    }
    case WM_GETTEXT: {
      if (m_edit) return SendMessageW(m_edit, WM_GETTEXT, wParam, lParam);
      if (wParam == 0 || !lParam) return 0;
      const std::u16string text = list ? list->Text(list->CurSel()) : std::u16string();
      const size_t count = std::min(text.size(), static_cast<size_t>(wParam) - 1);
      auto* buffer = reinterpret_cast<char16_t*>(lParam);
      std::memcpy(buffer, text.data(), count * sizeof(char16_t));
      buffer[count] = 0;
      return static_cast<LRESULT>(count);
    }
    case WM_GETTEXTLENGTH:
      if (m_edit) return SendMessageW(m_edit, WM_GETTEXTLENGTH, 0, 0);
      return list ? static_cast<LRESULT>(list->Text(list->CurSel()).size()) : 0;
    case WM_SETFOCUS:
      if (m_edit) {
        SetFocus(m_edit);
        return 0;
      }
      GotFocus();
      return 0;
    case WM_KILLFOCUS:
      LostFocus(reinterpret_cast<HWND>(wParam));
      return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS | (m_dropped ? DLGC_WANTALLKEYS : 0);
    case WM_KEYDOWN:
      OnKeyDown(static_cast<int>(wParam), false);
      return 0;
    case WM_SYSKEYDOWN:
      if ((wParam == VK_DOWN || wParam == VK_UP) && (lParam & (1 << 29))) {
        OnKeyDown(static_cast<int>(wParam), true);
        return 0;
      }
      return DefWindowProcW(m_hwnd, msg, wParam, lParam);
    case WM_CHAR:
      if (!HasEdit() && list) {
        const int found = list->TypeAhead(static_cast<char16_t>(wParam), GetMessageTime());
        if (found >= 0) UserSelect(found);
      }
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (Simple()) return 0;
      if (GetFocus() != m_hwnd && GetFocus() != m_edit) SetFocus(m_edit ? m_edit : m_hwnd);
      if (!IsWindow(m_hwnd)) return 0;
      if (HasEdit() && !PointIn(ButtonRect(), point)) return 0;
      if (m_dropped) {
        CloseUp(false);
      } else {
        DropDown();
        m_buttonDrag = m_dropped;
      }
      return 0;
    }
    case WM_COMMAND: {
      const HWND from = reinterpret_cast<HWND>(lParam);
      const WORD code = HIWORD(wParam);
      if (from && from == m_edit) {
        if (m_settingEdit) return 0;
        if (code == EN_UPDATE) Notify(CBN_EDITUPDATE);
        if (code == EN_CHANGE) {
          // The list follows the text: a dropped list shows the first item it starts.
          if (list) {
            std::u16string text(static_cast<size_t>(GetWindowTextLengthW(m_edit)) + 1, u'\0');
            text.resize(static_cast<size_t>(GetWindowTextW(m_edit, text.data(), static_cast<int>(text.size()))));
            const int found = text.empty() ? -1 : list->Find(-1, text, false);
            if (m_dropped && found >= 0) {
              list->SetCurSel(found);
              list->SetTopIndex(found);
            } else {
              list->SetCurSel(-1);
            }
            m_committedSel = list->CurSel();
          }
          Notify(CBN_EDITCHANGE);
        }
        if (code == EN_MAXTEXT) Notify(CBN_ERRSPACE);
        return 0;
      }
      if (from && from == m_list && list) {
        if (code == LBN_SELCHANGE) {
          m_committedSel = list->CurSel();
          SyncField(list->CurSel());
          Notify(CBN_SELCHANGE);
        }
        if (code == LBN_DBLCLK) Notify(CBN_DBLCLK);
      }
      return 0;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
      // Colour requests of the edit and the list go to the combo box's parent.
      if (HWND parent = GetParent(m_hwnd)) return SendMessageW(parent, msg, wParam, lParam);
      return DefWindowProcW(m_hwnd, msg, wParam, lParam);

    case CB_ADDSTRING:
    case CB_INSERTSTRING: return AddOrInsert(msg, wParam, lParam);
    case CB_DELETESTRING: {
      if (!m_list) return CB_ERR;
      const LRESULT result = SendMessageW(m_list, LB_DELETESTRING, wParam, 0);
      m_committedSel = list->CurSel();
      if (!HasEdit()) InvalidateRect(m_hwnd, nullptr, TRUE);
      return result;
    }
    case CB_RESETCONTENT:
      if (!m_list) return CB_ERR;
      SendMessageW(m_list, LB_RESETCONTENT, 0, 0);
      m_committedSel = -1;
      if (m_edit) {
        m_settingEdit = true;
        SendMessageW(m_edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u""));
        m_settingEdit = false;
      }
      InvalidateRect(m_hwnd, nullptr, TRUE);
      return CB_OKAY;
    case CB_INITSTORAGE: return m_list ? SendMessageW(m_list, LB_INITSTORAGE, wParam, lParam) : CB_ERR;
    case CB_GETCOUNT: return list ? list->Count() : CB_ERR;
    case CB_GETCURSEL: return list ? list->CurSel() : CB_ERR;
    case CB_SETCURSEL: {
      if (!list) return CB_ERR;
      const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
      const int target = index >= 0 && index < list->Count() ? index : -1;
      list->SetCurSel(target);
      m_committedSel = target;
      SyncField(target);
      return target >= 0 ? target : CB_ERR;
    }
    case CB_GETLBTEXT: return m_list ? SendMessageW(m_list, LB_GETTEXT, wParam, lParam) : CB_ERR;
    case CB_GETLBTEXTLEN: return m_list ? SendMessageW(m_list, LB_GETTEXTLEN, wParam, lParam) : CB_ERR;
    case CB_GETITEMDATA: return m_list ? SendMessageW(m_list, LB_GETITEMDATA, wParam, lParam) : CB_ERR;
    case CB_SETITEMDATA: return m_list ? SendMessageW(m_list, LB_SETITEMDATA, wParam, lParam) : CB_ERR;
    case CB_FINDSTRING: return m_list ? SendMessageW(m_list, LB_FINDSTRING, wParam, lParam) : CB_ERR;
    case CB_FINDSTRINGEXACT: return m_list ? SendMessageW(m_list, LB_FINDSTRINGEXACT, wParam, lParam) : CB_ERR;
    case CB_SELECTSTRING: {
      if (!m_list) return CB_ERR;
      const LRESULT found = SendMessageW(m_list, LB_FINDSTRING, wParam, lParam);
      if (found < 0) return CB_ERR;
      list->SetCurSel(static_cast<int>(found));
      m_committedSel = static_cast<int>(found);
      SyncField(static_cast<int>(found));
      return found;
    }
    case CB_GETEDITSEL: {
      if (!m_edit) return CB_ERR;
      return SendMessageW(m_edit, EM_GETSEL, wParam, lParam);
    }
    case CB_SETEDITSEL: {
      if (!m_edit) return CB_ERR;
      const int start = static_cast<SHORT>(LOWORD(lParam));
      const int end = static_cast<SHORT>(HIWORD(lParam));
      SendMessageW(m_edit, EM_SETSEL, static_cast<WPARAM>(start), end);
      return TRUE;
    }
    case CB_LIMITTEXT:
      if (m_edit) SendMessageW(m_edit, EM_SETLIMITTEXT, wParam, 0);
      return TRUE;
    case CB_GETITEMHEIGHT: {
      const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
      if (index == -1) return m_fieldHeight;
      return m_list ? SendMessageW(m_list, LB_GETITEMHEIGHT, wParam, 0) : CB_ERR;
    }
    case CB_SETITEMHEIGHT: {
      const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
      const int height = static_cast<int>(lParam);
      if (height <= 0 || height > 255) return CB_ERR;
      if (index != -1) return m_list ? SendMessageW(m_list, LB_SETITEMHEIGHT, wParam, height) : CB_ERR;
      m_fieldHeight = height;
      m_fieldHeightSet = true;
      if (!Simple()) {
        RECT window{};
        GetWindowRect(m_hwnd, &window);
        SetWindowPos(m_hwnd, nullptr, 0, 0, window.right - window.left, WindowHeight(),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      Layout();
      InvalidateRect(m_hwnd, nullptr, TRUE);
      return 0;
    }
    case CB_SHOWDROPDOWN:
      if (wParam) DropDown();
      else if (m_dropped) CloseUp(false);
      return TRUE;
    case CB_GETDROPPEDSTATE: return m_dropped ? TRUE : FALSE;
    case CB_GETDROPPEDCONTROLRECT: {
      if (!lParam) return CB_ERR;
      RECT window{};
      GetWindowRect(m_hwnd, &window);
      if (Simple()) {
        *reinterpret_cast<RECT*>(lParam) = window;
      } else {
        const int width = std::max<int>(window.right - window.left, m_droppedWidth);
        *reinterpret_cast<RECT*>(lParam) =
            RECT{window.left, window.top, window.left + width, window.bottom + ListHeight()};
      }
      return TRUE;
    }
    case CB_GETDROPPEDWIDTH: {
      RECT window{};
      GetWindowRect(m_hwnd, &window);
      return std::max<int>(window.right - window.left, m_droppedWidth);
    }
    case CB_SETDROPPEDWIDTH: {
      const int width = static_cast<int>(static_cast<INT_PTR>(wParam));
      if (width < 0) return CB_ERR;
      m_droppedWidth = width;
      RECT window{};
      GetWindowRect(m_hwnd, &window);
      return std::max<int>(window.right - window.left, m_droppedWidth);
    }
    case CB_GETTOPINDEX: return list ? list->TopIndex() : CB_ERR;
    case CB_SETTOPINDEX: return m_list ? SendMessageW(m_list, LB_SETTOPINDEX, wParam, 0) : CB_ERR;
    case CB_GETCOMBOBOXINFO: {
      auto* info = reinterpret_cast<COMBOBOXINFO*>(lParam);
      if (!info || info->cbSize != sizeof(COMBOBOXINFO)) return FALSE;
      info->rcItem = ItemRect();
      info->rcButton = ButtonRect();
      info->stateButton = Simple() ? STATE_SYSTEM_INVISIBLE : (m_dropped ? STATE_SYSTEM_PRESSED : 0);
      info->hwndCombo = m_hwnd;
      info->hwndItem = m_edit ? m_edit : m_hwnd;
      info->hwndList = m_list;
      return TRUE;
    }
    default: return DefWindowProcW(m_hwnd, msg, wParam, lParam);
  }
}

// ---- the edit child, seen through its subclass --------------------------------------------------

LRESULT ComboBox::EditMessage(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SETFOCUS: {
      const LRESULT result = DefSubclassProc(edit, msg, wParam, lParam);
      GotFocus();
      return result;
    }
    case WM_KILLFOCUS: {
      const LRESULT result = DefSubclassProc(edit, msg, wParam, lParam);
      LostFocus(reinterpret_cast<HWND>(wParam));
      return result;
    }
    case WM_GETDLGCODE: return DefSubclassProc(edit, msg, wParam, lParam) | (m_dropped ? DLGC_WANTALLKEYS : 0);
    case WM_KEYDOWN: {
      const int key = static_cast<int>(wParam);
      if (key == VK_F4 || NavigationKey(key) || (m_dropped && (key == VK_ESCAPE || key == VK_RETURN))) {
        OnKeyDown(key, false);
        return 0;
      }
      break;
    }
    case WM_SYSKEYDOWN:
      if ((wParam == VK_DOWN || wParam == VK_UP) && (lParam & (1 << 29))) {
        OnKeyDown(static_cast<int>(wParam), true);
        return 0;
      }
      break;
    case WM_CHAR:
      // Enter and Esc closing a list leave no character behind.
      if (wParam == u'\r' || wParam == 0x1B) return 0;
      break;
    default: break;
  }
  return DefSubclassProc(edit, msg, wParam, lParam);
}

// ---- the list, seen through its subclass --------------------------------------------------------

LRESULT ComboBox::ListMessage(HWND listWindow, UINT msg, WPARAM wParam, LPARAM lParam) {
  ListBox* list = ListBoxOf(listWindow);
  if (msg == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
  if (Simple() || !list) {
    if (msg == WM_LBUTTONDOWN && m_edit && GetFocus() != m_edit) SetFocus(m_edit);
    return DefSubclassProc(listWindow, msg, wParam, lParam);
  }
  switch (msg) {
    case WM_MOUSEMOVE: {
      if (!m_dropped) break;
      const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      RECT client{};
      GetClientRect(listWindow, &client);
      // Passing over an item highlights it; the parent hears of it when it is chosen.
      if (PointIn(client, point) || m_listPressed) {
        bool outside = false;
        const int index = list->ItemFromPoint(point, &outside);
        if (index >= 0 && index != list->CurSel()) {
          list->SetCurSel(index);
          list->EnsureVisible(index);
          if (m_edit) SyncField(index);
        }
      }
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (!m_dropped) break;
      const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      RECT client{};
      GetClientRect(listWindow, &client);
      if (PointIn(client, point)) {
        m_listPressed = true;
        bool outside = false;
        const int index = list->ItemFromPoint(point, &outside);
        if (index >= 0) list->SetCurSel(index);
        return 0;
      }
      POINT screen = point;
      ClientToScreen(listWindow, &screen);
      RECT window{};
      GetWindowRect(listWindow, &window);
      if (PointIn(window, screen)) {
        // The list's scroll bar runs its own loop; the capture comes back after it.
        const LRESULT hit = SendMessageW(listWindow, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
        m_inListScroll = true;
        DefWindowProcW(listWindow, WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit), MAKELPARAM(screen.x, screen.y));
        m_inListScroll = false;
        if (m_dropped && GetCapture() != listWindow) SetCapture(listWindow);
        return 0;
      }
      // A press anywhere else, the combo box's button included, closes the list.
      CloseUp(false);
      return 0;
    }
    case WM_LBUTTONUP: {
      if (!m_dropped) break;
      const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      RECT client{};
      GetClientRect(listWindow, &client);
      const bool wasPressed = m_listPressed || m_buttonDrag;
      m_listPressed = false;
      m_buttonDrag = false;
      if (wasPressed && PointIn(client, point)) {
        bool outside = false;
        const int index = list->ItemFromPoint(point, &outside);
        if (index >= 0 && !outside) {
          list->SetCurSel(index);
          CloseUp(true);
          if (!IsWindow(m_hwnd)) return 0;
          m_committedSel = index;
          SyncField(index);
          Notify(CBN_SELCHANGE);
        }
      }
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (m_dropped && !m_inListScroll && reinterpret_cast<HWND>(lParam) != listWindow) CloseUp(false);
      return 0;
    default: break;
  }
  return DefSubclassProc(listWindow, msg, wParam, lParam);
}

// ---- window procedures and registration ---------------------------------------------------------

LRESULT ComboWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    // The scroll bars a combo box is made with are its list's: the box itself shows none.
    SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_VSCROLL | WS_HSCROLL));
  }
  return comctl_detail::ControlWindowProc<ComboBox>(hwnd, msg, wParam, lParam);
}

void RegisterComboClasses() {
  comctl_detail::RegisterControlClass({.name = WC_COMBOBOXW,
                                       .procedure = ComboWindowProc,
                                       .style = CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW});
  comctl_detail::RegisterControlClass(
      {.name = WC_COMBOLBOXW, .procedure = comctl_detail::ListBoxWindowProc, .style = CS_DBLCLKS | CS_SAVEBITS});
}

const comctl_detail::ClassRegistration g_registration(RegisterComboClasses);

}  // namespace

BOOL GetComboBoxInfo(HWND combo, COMBOBOXINFO* info) {
  return SendMessageW(combo, CB_GETCOMBOBOXINFO, 0, reinterpret_cast<LPARAM>(info)) ? TRUE : FALSE;
}

}  // namespace platform
