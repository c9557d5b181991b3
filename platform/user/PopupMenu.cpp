// Popup menus: the "#32768" window class, layout and painting with the classic look, and
// the tracking loop of TrackPopupMenu with its notifications to the owner window.

#include "platform/user/PopupMenu.h"

#include <algorithm>
#include <cwctype>

#include "platform/gdi/WinGdi.h"
#include "platform/kernel/WinError.h"
#include "platform/user/DrawControls.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/SystemParams.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {
namespace {

constexpr int kFrame = 3;        // raised edge plus one pixel of margin
constexpr int kItemHeight = 18;
constexpr int kSeparatorHeight = 9;
constexpr int kCheckColumn = 17;  // check marks on the left
constexpr int kArrowColumn = 17;  // submenu arrows on the right
constexpr int kAccelGap = 16;     // between the text and its shortcut
constexpr wchar_t kClassName[] = L"#32768";

bool IsSeparator(const MenuItemView& item) { return (item.type & MFT_SEPARATOR) != 0; }
bool IsGrayed(const MenuItemView& item) { return (item.state & MFS_GRAYED) != 0; }

// The label and the shortcut after a tab.
std::pair<std::u16string, std::u16string> SplitText(const std::u16string& text) {
  const size_t tab = text.find(u'\t');
  if (tab == std::u16string::npos) return {text, u""};
  return {text.substr(0, tab), text.substr(tab + 1)};
}

HFONT MenuFont(bool bold) {
  static HFONT normal = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  static HFONT heavy = [] {
    LOGFONTW font{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfWeight = FW_BOLD;
    return CreateFontIndirectW(&font);
  }();
  return bold ? heavy : normal;
}

SIZE TextSize(HDC dc, const std::u16string& text, bool bold) {
  HGDIOBJ old = SelectObject(dc, MenuFont(bold));
  RECT r{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_CALCRECT);
  SelectObject(dc, old);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

}  // namespace

PopupLayout LayoutPopupMenu(const std::vector<MenuItemView>& items) {
  PopupLayout layout;
  HDC dc = CreateCompatibleDC(nullptr);
  int labelWidth = 0, accelWidth = 0, y = kFrame;
  for (const MenuItemView& item : items) {
    const int height = IsSeparator(item) ? kSeparatorHeight : kItemHeight;
    layout.itemRects.push_back(RECT{kFrame, y, 0, y + height});
    y += height;
    if (IsSeparator(item)) continue;
    const auto [label, accel] = SplitText(item.text);
    const bool bold = (item.state & MFS_DEFAULT) != 0;
    labelWidth = std::max<int>(labelWidth, TextSize(dc, label, bold).cx);
    if (!accel.empty()) accelWidth = std::max<int>(accelWidth, TextSize(dc, accel, bold).cx);
  }
  DeleteDC(dc);
  const int inner = kCheckColumn + labelWidth + (accelWidth ? kAccelGap + accelWidth : 0) + kArrowColumn;
  const int width = std::max(inner, 60) + 2 * kFrame;
  for (RECT& r : layout.itemRects) r.right = width - kFrame;
  layout.size = SIZE{width, y + kFrame};
  return layout;
}

void PaintPopupMenu(HDC dc, const std::vector<MenuItemView>& items, const PopupLayout& layout, int selected) {
  RECT all{0, 0, layout.size.cx, layout.size.cy};
  FillRect(dc, &all, GetSysColorBrush(COLOR_MENU));
  DrawEdge(dc, &all, EDGE_RAISED, BF_RECT);
  const int savedMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF savedColor = GetTextColor(dc);
  HGDIOBJ savedFont = SelectObject(dc, MenuFont(false));
  for (size_t i = 0; i < items.size() && i < layout.itemRects.size(); ++i) {
    const MenuItemView& item = items[i];
    const RECT r = layout.itemRects[i];
    if (IsSeparator(item)) {
      const int mid = (r.top + r.bottom) / 2 - 1;
      FillSolid(dc, RECT{r.left + 1, mid, r.right - 1, mid + 1}, GetSysColor(COLOR_BTNSHADOW));
      FillSolid(dc, RECT{r.left + 1, mid + 1, r.right - 1, mid + 2}, GetSysColor(COLOR_BTNHIGHLIGHT));
      continue;
    }
    const bool hot = static_cast<int>(i) == selected;
    if (hot) FillSolid(dc, r, GetSysColor(COLOR_HIGHLIGHT));
    const COLORREF textColor = GetSysColor(hot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
    const bool bold = (item.state & MFS_DEFAULT) != 0;
    SelectObject(dc, MenuFont(bold));
    // Named pair members rather than a structured binding: the lambda below captures them,
    // which clang 14 does not accept for structured bindings.
    const auto split = SplitText(item.text);
    const std::u16string& label = split.first;
    const std::u16string& accel = split.second;
    // Greyed items are etched: a white copy one pixel down-right under the grey text,
    // except on the highlight, where only the grey shows.
    auto drawText = [&](int dx, COLORREF color) {
      SetTextColor(dc, color);
      RECT text{r.left + kCheckColumn + dx, r.top + dx, r.right - kArrowColumn + dx, r.bottom + dx};
      DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
      if (!accel.empty())
        DrawTextW(dc, accel.c_str(), static_cast<int>(accel.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    };
    if (IsGrayed(item)) {
      if (!hot) drawText(1, GetSysColor(COLOR_BTNHIGHLIGHT));
      drawText(0, GetSysColor(COLOR_GRAYTEXT));
    } else {
      drawText(0, textColor);
    }
    const COLORREF glyph = IsGrayed(item) ? GetSysColor(COLOR_GRAYTEXT) : textColor;
    if (item.state & MFS_CHECKED) {
      const RECT box{r.left, r.top, r.left + kCheckColumn, r.bottom};
      if (item.type & MFT_RADIOCHECK) {
        const int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
        FillSolid(dc, RECT{cx - 2, cy - 3, cx + 2, cy + 3}, glyph);
        FillSolid(dc, RECT{cx - 3, cy - 2, cx + 3, cy + 2}, glyph);
      } else {
        DrawCheckGlyph(dc, box, glyph);
      }
    }
    if (item.submenu) DrawArrowGlyph(dc, RECT{r.right - kArrowColumn, r.top, r.right, r.bottom}, DFCS_SCROLLRIGHT, glyph);
  }
  SelectObject(dc, savedFont);
  SetTextColor(dc, savedColor);
  SetBkMode(dc, savedMode);
}

namespace {

// One open popup: the menu, its window and what it shows.
struct Level {
  HMENU menu = nullptr;
  HWND window = nullptr;
  std::vector<MenuItemView> items;
  PopupLayout layout;
  int selected = -1;
  RECT screen{};
};

struct Tracker {
  HWND owner = nullptr;
  UINT flags = 0;
  bool notify = true;
  HWND systemMenuOf = nullptr;
  std::vector<Level> levels;
  bool done = false;
  UINT command = 0;
  bool chosen = false;
  bool buttonSeenDown = false;
  Tracker* outer = nullptr;  // a popup tracked inside this one (TPM_RECURSE)
  bool hasExclude = false;   // the first level keeps clear of `exclude` (screen coordinates)
  RECT exclude{};
};

thread_local Tracker* t_tracker = nullptr;

Level* LevelOfWindow(Tracker& t, HWND hwnd) {
  for (Level& level : t.levels)
    if (level.window == hwnd) return &level;
  return nullptr;
}

LRESULT PopupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      Level* level = t_tracker ? LevelOfWindow(*t_tracker, hwnd) : nullptr;
      if (dc && level) PaintPopupMenu(dc, level->items, level->layout, level->selected);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_ERASEBKGND: return 1;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

void RegisterPopupClass() {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.style = CS_SAVEBITS | CS_DBLCLKS;
    wc.lpfnWndProc = PopupProc;
    wc.lpszClassName = reinterpret_cast<LPCWSTR>(u"#32768");
    return RegisterClassW(&wc) != 0;
  }();
  (void)registered;
  (void)kClassName;
}

void Notify(Tracker& t, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (t.notify && IsWindow(t.owner)) SendMessageW(t.owner, msg, wParam, lParam);
}

// Greys the system menu's items that do not apply to the window as it is now.
void UpdateSystemMenu(HMENU menu, HWND hwnd) {
  const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  const bool minimized = style & WS_MINIMIZE, maximized = style & WS_MAXIMIZE;
  auto set = [&](UINT id, bool enabled) { EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED)); };
  set(SC_RESTORE, minimized || maximized);
  set(SC_MOVE, !maximized && !minimized);
  set(SC_SIZE, (style & WS_THICKFRAME) && !maximized && !minimized);
  set(SC_MINIMIZE, (style & WS_MINIMIZEBOX) && !minimized);
  set(SC_MAXIMIZE, (style & WS_MAXIMIZEBOX) && !maximized);
}

RECT ScreenRect() { return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

// Places a popup of `size` at a point, keeping it on the screen: it flips to the other
// side of the point (or of `besideItem` for submenus) rather than covering it.
// Moves a menu at `p` off the area to keep clear: beside it (TPM_HORIZONTAL) or above or
// below it (TPM_VERTICAL), on the side where the menu fits on the screen.
POINT KeepClear(POINT p, SIZE size, UINT flags, const RECT& exclude, const RECT& screen) {
  const RECT menu{p.x, p.y, p.x + size.cx, p.y + size.cy};
  RECT overlap;
  if (IsRectEmpty(&exclude) || !IntersectRect(&overlap, &menu, &exclude)) return p;
  if (flags & TPM_VERTICAL) {
    p.y = exclude.bottom + size.cy <= screen.bottom || exclude.top - size.cy < screen.top ? exclude.bottom
                                                                                           : exclude.top - size.cy;
  } else {
    p.x = exclude.right + size.cx <= screen.right || exclude.left - size.cx < screen.left ? exclude.right
                                                                                           : exclude.left - size.cx;
  }
  return p;
}

POINT Place(SIZE size, POINT at, UINT flags, const RECT* besideItem, const RECT* exclude) {
  const RECT screen = ScreenRect();
  POINT p = at;
  if (besideItem) {
    p = POINT{besideItem->right - kFrame, besideItem->top - kFrame};
    if (p.x + size.cx > screen.right) p.x = besideItem->left - size.cx + kFrame;
  } else {
    if (flags & TPM_CENTERALIGN) p.x -= size.cx / 2;
    else if (flags & TPM_RIGHTALIGN) p.x -= size.cx;
    if (flags & TPM_VCENTERALIGN) p.y -= size.cy / 2;
    else if (flags & TPM_BOTTOMALIGN) p.y -= size.cy;
    if (p.x + size.cx > screen.right && at.x - size.cx >= screen.left) p.x = at.x - size.cx;
  }
  if (p.y + size.cy > screen.bottom) p.y = std::max<LONG>(screen.top, (besideItem ? besideItem->bottom + kFrame : at.y) - size.cy);
  p.x = std::clamp<LONG>(p.x, screen.left, std::max<LONG>(screen.left, screen.right - size.cx));
  p.y = std::clamp<LONG>(p.y, screen.top, std::max<LONG>(screen.top, screen.bottom - size.cy));
  if (exclude && !besideItem) p = KeepClear(p, size, flags, *exclude, screen);
  return p;
}

bool OpenLevel(Tracker& t, HMENU menu, UINT position, POINT at, const RECT* besideItem) {
  HWND systemOf = nullptr;
  const bool system = IsSystemMenu(menu, &systemOf);
  if (system) UpdateSystemMenu(menu, systemOf);
  Notify(t, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(position, system ? 1 : 0));
  Level level;
  level.menu = menu;
  if (!SnapshotMenu(menu, &level.items) || level.items.empty()) return false;
  level.layout = LayoutPopupMenu(level.items);
  const POINT p = Place(level.layout.size, at, t.flags, besideItem, t.hasExclude ? &t.exclude : nullptr);
  level.screen = RECT{p.x, p.y, p.x + level.layout.size.cx, p.y + level.layout.size.cy};
  RegisterPopupClass();
  level.window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, u"#32768", u"", WS_POPUP, p.x, p.y,
                                 level.layout.size.cx, level.layout.size.cy, t.owner, nullptr, nullptr, nullptr);
  if (!level.window) return false;
  t.levels.push_back(std::move(level));
  ShowWindow(t.levels.back().window, SW_SHOWNA);
  return true;
}

void CloseLevelsAbove(Tracker& t, size_t keep) {
  while (t.levels.size() > keep) {
    Level level = std::move(t.levels.back());
    t.levels.pop_back();
    if (IsWindow(level.window)) DestroyWindow(level.window);
    HWND systemOf = nullptr;
    const bool system = IsSystemMenu(level.menu, &systemOf);
    Notify(t, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(level.menu), MAKELPARAM(0, system ? MF_SYSMENU : 0));
  }
}

void Select(Tracker& t, size_t levelIndex, int index, bool byMouse) {
  Level& level = t.levels[levelIndex];
  if (level.selected == index) return;
  level.selected = index;
  InvalidateRect(level.window, nullptr, FALSE);
  if (index < 0) return;
  const MenuItemView& item = level.items[index];
  UINT flags = (item.state & (MF_CHECKED | MF_DEFAULT | MFS_GRAYED)) | MF_HILITE |
               (item.type & (MF_BITMAP | MF_OWNERDRAW | MF_SEPARATOR)) | (byMouse ? MF_MOUSESELECT : 0);
  if (IsSystemMenu(level.menu, nullptr)) flags |= MF_SYSMENU;
  WPARAM idOrPosition = item.id;
  if (item.submenu) {
    flags |= MF_POPUP;
    idOrPosition = static_cast<WPARAM>(index);
  }
  Notify(t, WM_MENUSELECT, MAKEWPARAM(static_cast<int>(idOrPosition), static_cast<int>(flags)),
         reinterpret_cast<LPARAM>(level.menu));
}

// Opens the selected item's submenu beside it; with `selectFirst` its first item is chosen.
bool OpenSubmenu(Tracker& t, bool selectFirst) {
  Level& level = t.levels.back();
  if (level.selected < 0) return false;
  const MenuItemView item = level.items[level.selected];
  if (!item.submenu || IsGrayed(item)) return false;
  RECT beside = level.layout.itemRects[level.selected];
  OffsetRect(&beside, level.screen.left, level.screen.top);
  if (!OpenLevel(t, item.submenu, static_cast<UINT>(level.selected), POINT{beside.right, beside.top}, &beside))
    return false;
  if (selectFirst) {
    Level& opened = t.levels.back();
    for (size_t i = 0; i < opened.items.size(); ++i)
      if (!IsSeparator(opened.items[i])) {
        Select(t, t.levels.size() - 1, static_cast<int>(i), false);
        break;
      }
  }
  return true;
}

void Choose(Tracker& t) {
  Level& level = t.levels.back();
  if (level.selected < 0) return;
  const MenuItemView& item = level.items[level.selected];
  if (IsSeparator(item) || IsGrayed(item)) return;
  if (item.submenu) {
    OpenSubmenu(t, true);
    return;
  }
  t.command = item.id;
  t.chosen = true;
  t.done = true;
}

void MoveSelection(Tracker& t, int step) {
  Level& level = t.levels.back();
  const int count = static_cast<int>(level.items.size());
  int index = level.selected;
  for (int tries = 0; tries < count; ++tries) {
    index = index < 0 ? (step > 0 ? 0 : count - 1) : (index + step + count) % count;
    if (!IsSeparator(level.items[index])) {
      Select(t, t.levels.size() - 1, index, false);
      return;
    }
  }
}

char16_t MnemonicOf(const std::u16string& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (text[i + 1] == u'&') {
      ++i;
      continue;
    }
    return static_cast<char16_t>(std::towlower(text[i + 1]));
  }
  return 0;
}

void OnChar(Tracker& t, char16_t ch) {
  Level& level = t.levels.back();
  const char16_t key = static_cast<char16_t>(std::towlower(ch));
  std::vector<int> matches;
  for (size_t i = 0; i < level.items.size(); ++i)
    if (!IsSeparator(level.items[i]) && MnemonicOf(level.items[i].text) == key) matches.push_back(static_cast<int>(i));
  if (matches.size() == 1) {
    Select(t, t.levels.size() - 1, matches[0], false);
    Choose(t);
    return;
  }
  if (matches.size() > 1) {
    // Several items share the letter: each press moves to the next of them.
    auto next = std::upper_bound(matches.begin(), matches.end(), level.selected);
    Select(t, t.levels.size() - 1, next == matches.end() ? matches[0] : *next, false);
    return;
  }
  if (!t.notify || !IsWindow(t.owner)) return;
  const LRESULT answer = SendMessageW(t.owner, WM_MENUCHAR, MAKEWPARAM(ch, MF_POPUP), reinterpret_cast<LPARAM>(level.menu));
  const WORD action = HIWORD(answer), index = LOWORD(answer);
  constexpr WORD kClose = 1, kExecute = 2, kSelect = 3;
  if (action == kClose) t.done = true;
  if ((action == kExecute || action == kSelect) && index < level.items.size()) {
    Select(t, t.levels.size() - 1, index, false);
    if (action == kExecute) Choose(t);
  }
}

void OnKey(Tracker& t, WPARAM key) {
  switch (key) {
    case VK_UP: MoveSelection(t, -1); break;
    case VK_DOWN: MoveSelection(t, 1); break;
    case VK_RIGHT: OpenSubmenu(t, true); break;
    case VK_LEFT:
      if (t.levels.size() > 1) CloseLevelsAbove(t, t.levels.size() - 1);
      break;
    case VK_ESCAPE:
      if (t.levels.size() > 1) CloseLevelsAbove(t, t.levels.size() - 1);
      else t.done = true;
      break;
    case VK_RETURN: Choose(t); break;
    case VK_MENU: case VK_F10: t.done = true; break;
    default: break;
  }
}

// Which level and item lie under a screen point: the deepest popup first.
bool HitTest(const Tracker& t, POINT screen, size_t* levelIndex, int* item) {
  for (size_t l = t.levels.size(); l-- > 0;) {
    const Level& level = t.levels[l];
    if (!PtInRect(&level.screen, screen)) continue;
    *levelIndex = l;
    *item = -1;
    const POINT local{screen.x - level.screen.left, screen.y - level.screen.top};
    for (size_t i = 0; i < level.layout.itemRects.size(); ++i)
      if (PtInRect(&level.layout.itemRects[i], local)) *item = static_cast<int>(i);
    return true;
  }
  return false;
}

void OnMouse(Tracker& t, const MSG& msg) {
  POINT screen{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
  ClientToScreen(msg.hwnd, &screen);
  size_t levelIndex = 0;
  int item = -1;
  const bool inside = HitTest(t, screen, &levelIndex, &item);
  const bool rightAllowed = (t.flags & TPM_RIGHTBUTTON) != 0;
  switch (msg.message) {
    case WM_MOUSEMOVE:
      if (!inside) return;
      // Moving into a parent popup closes what hangs off its other items.
      if (item >= 0 && t.levels[levelIndex].selected != item) CloseLevelsAbove(t, levelIndex + 1);
      if (item < 0 || IsSeparator(t.levels[levelIndex].items[item])) {
        if (levelIndex + 1 == t.levels.size()) Select(t, levelIndex, -1, true);
        return;
      }
      Select(t, levelIndex, item, true);
      if (levelIndex + 1 == t.levels.size() && t.levels[levelIndex].items[item].submenu) OpenSubmenu(t, false);
      return;
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK:
      t.buttonSeenDown = true;
      if (!inside) t.done = true;  // a click elsewhere closes the menu
      return;
    case WM_LBUTTONUP: case WM_RBUTTONUP:
      if (msg.message == WM_RBUTTONUP && !rightAllowed) return;
      if (!inside || item < 0) return;
      CloseLevelsAbove(t, levelIndex + 1);
      Select(t, levelIndex, item, true);
      if (!t.levels[levelIndex].items[item].submenu) Choose(t);
      else if (levelIndex + 1 == t.levels.size()) OpenSubmenu(t, false);
      return;
    default: return;
  }
}

bool IsMouseMessage(UINT msg) { return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL; }

}  // namespace

bool IsOwnerThread(HWND owner) {
  WindowPtr w = FindWindowPtrQuiet(owner);
  UserGuard guard(UserLock());
  return w && w->queue && w->queue->IsCurrentThread();
}

HMENU TrackedMenu() { return t_tracker && !t_tracker->levels.empty() ? t_tracker->levels.front().menu : nullptr; }

BOOL TrackPopup(HMENU menu, UINT flags, int x, int y, HWND owner, const TPMPARAMS* params) {
  if (!IsMenu(menu)) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  if (!IsWindow(owner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (!IsOwnerThread(owner)) {
    // Tracking reads the owner's input, so it runs on the owner's thread.
    SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
    return FALSE;
  }
  if (t_tracker && !(flags & TPM_RECURSE)) {
    SetLastError(ERROR_POPUP_ALREADY_ACTIVE);
    return FALSE;
  }
  Tracker tracker;
  if (params) {
    tracker.hasExclude = true;
    tracker.exclude = params->rcExclude;
  }
  tracker.owner = owner;
  tracker.flags = flags;
  tracker.notify = !(flags & TPM_NONOTIFY);
  IsSystemMenu(menu, &tracker.systemMenuOf);
  tracker.outer = t_tracker;
  t_tracker = &tracker;

  Notify(tracker, WM_ENTERMENULOOP, TRUE, 0);
  Notify(tracker, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
  const bool opened = OpenLevel(tracker, menu, 0, POINT{x, y}, nullptr);
  HWND previousCapture = GetCapture();
  if (opened) SetCapture(tracker.levels.front().window);

  bool idleSent = false;
  bool quit = false;
  int quitCode = 0;
  while (opened && !tracker.done) {
    if (!IsWindow(owner) || tracker.levels.empty() || !IsWindow(tracker.levels.front().window)) break;
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!idleSent) {
        idleSent = true;
        Notify(tracker, WM_ENTERIDLE, MSGF_MENU, reinterpret_cast<LPARAM>(tracker.levels.back().window));
        continue;
      }
      WaitMessage();
      continue;
    }
    idleSent = false;
    // The thread's message filters see the menu's messages first (a menu bar switches menus so).
    if (msg.message != WM_QUIT && CallMsgFilterW(&msg, MSGF_MENU)) continue;
    if (msg.message == WM_QUIT) {
      quit = true;
      quitCode = static_cast<int>(msg.wParam);
      break;
    }
    if (IsMouseMessage(msg.message) && LevelOfWindow(tracker, msg.hwnd)) {
      OnMouse(tracker, msg);
      continue;
    }
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
      TranslateMessage(&msg);
      OnKey(tracker, msg.wParam);
      continue;
    }
    if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR) {
      OnChar(tracker, static_cast<char16_t>(msg.wParam));
      continue;
    }
    if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }

  CloseLevelsAbove(tracker, 0);
  if (GetCapture() && !IsWindow(previousCapture)) ReleaseCapture();
  else if (GetCapture() != previousCapture) ReleaseCapture();
  Notify(tracker, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  Notify(tracker, WM_EXITMENULOOP, TRUE, 0);
  t_tracker = tracker.outer;
  if (quit) PostQuitMessage(quitCode);
  if (!opened) return FALSE;

  if (flags & TPM_RETURNCMD) return tracker.chosen ? static_cast<BOOL>(tracker.command) : 0;
  if (tracker.chosen && IsWindow(owner)) {
    if (tracker.systemMenuOf) PostMessageW(owner, WM_SYSCOMMAND, tracker.command, MAKELPARAM(x, y));
    else PostMessageW(owner, WM_COMMAND, MAKEWPARAM(tracker.command, 0), 0);
  }
  return TRUE;
}

}  // namespace platform::detail

using namespace platform::detail;

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
  return TrackPopup(menu, flags, x, y, owner, nullptr);
}

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, const TPMPARAMS* params) {
  if (params && params->cbSize != sizeof(TPMPARAMS)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TrackPopup(menu, flags, x, y, owner, params);
}

BOOL EndMenu() {
  if (!t_tracker) return FALSE;
  t_tracker->done = true;
  // Wake the loop if it is waiting.
  if (!t_tracker->levels.empty()) PostMessageW(t_tracker->levels.front().window, WM_NULL, 0, 0);
  return TRUE;
}
