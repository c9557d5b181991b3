// The message box window, its layout and painting, and its modal loop.

#include "platform/user/MessageBox.h"

#include <algorithm>
#include <cwctype>

#include "platform/gdi/DcGuards.h"
#include "platform/gdi/WinGdi.h"
#include "platform/kernel/WinError.h"
#include "platform/kernel/Threads.h"
#include "platform/user/DrawControls.h"
#include "platform/user/FunctionTable.h"
#include "platform/user/Icons.h"
#include "platform/user/Menus.h"
#include "platform/user/SystemParams.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {
namespace {

constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kIconGap = 12;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;
constexpr int kTextButtonGap = 16;
constexpr int kMaxTextWidth = 480;

struct ButtonInfo {
  int id;
  const char16_t* label;
};

std::vector<ButtonInfo> ButtonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OK: return {{IDOK, u"OK"}};
    case MB_OKCANCEL: return {{IDOK, u"OK"}, {IDCANCEL, u"Cancel"}};
    case MB_ABORTRETRYIGNORE: return {{IDABORT, u"&Abort"}, {IDRETRY, u"&Retry"}, {IDIGNORE, u"&Ignore"}};
    case MB_YESNOCANCEL: return {{IDYES, u"&Yes"}, {IDNO, u"&No"}, {IDCANCEL, u"Cancel"}};
    case MB_YESNO: return {{IDYES, u"&Yes"}, {IDNO, u"&No"}};
    case MB_RETRYCANCEL: return {{IDRETRY, u"&Retry"}, {IDCANCEL, u"Cancel"}};
    case MB_CANCELTRYCONTINUE: return {{IDCANCEL, u"Cancel"}, {IDTRYAGAIN, u"&Try Again"}, {IDCONTINUE, u"&Continue"}};
    default: return {};
  }
}

LPCWSTR IconOf(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return IDI_HAND;
    case MB_ICONQUESTION: return IDI_QUESTION;
    case MB_ICONEXCLAMATION: return IDI_EXCLAMATION;
    case MB_ICONASTERISK: return IDI_ASTERISK;
    default: return nullptr;
  }
}

// What Escape and the close button answer: Cancel when there is one, OK when it is alone.
int CancelAnswer(UINT type) {
  for (const ButtonInfo& b : ButtonsOf(type))
    if (b.id == IDCANCEL) return IDCANCEL;
  return (type & MB_TYPEMASK) == MB_OK ? IDOK : 0;
}

HFONT BoxFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

struct BoxState {
  std::u16string text;
  UINT type = 0;
  MessageBoxLayout layout;
  int focused = 0;
  int pressed = -1;   // the button held down by the mouse
  bool pressedInside = false;
  int result = 0;
  bool done = false;
};

BoxState* StateOf(HWND hwnd) { return reinterpret_cast<BoxState*>(GetPropW(hwnd, u"MessageBoxState")); }

int ButtonAt(const MessageBoxLayout& layout, POINT p) {
  for (size_t i = 0; i < layout.buttons.size(); ++i)
    if (PtInRect(&layout.buttons[i], p)) return static_cast<int>(i);
  return -1;
}

void Finish(HWND hwnd, BoxState* s, int id) {
  s->result = id;
  s->done = true;
  PostMessageW(hwnd, WM_NULL, 0, 0);  // wake the loop
}

void SetFocused(HWND hwnd, BoxState* s, int index) {
  const int count = static_cast<int>(s->layout.buttons.size());
  s->focused = (index % count + count) % count;
  InvalidateRect(hwnd, nullptr, FALSE);
}

char16_t Mnemonic(const char16_t* label) {
  for (const char16_t* p = label; *p; ++p)
    if (*p == u'&' && p[1]) return static_cast<char16_t>(std::towlower(p[1]));
  return 0;
}

bool OnKey(HWND hwnd, BoxState* s, WPARAM key) {
  switch (key) {
    case VK_TAB:
      SetFocused(hwnd, s, s->focused + ((GetKeyState(VK_SHIFT) & 0x8000) ? -1 : 1));
      return true;
    case VK_RIGHT: case VK_DOWN: SetFocused(hwnd, s, s->focused + 1); return true;
    case VK_LEFT: case VK_UP: SetFocused(hwnd, s, s->focused - 1); return true;
    case VK_RETURN: case VK_SPACE: Finish(hwnd, s, s->layout.buttonIds[s->focused]); return true;
    case VK_ESCAPE:
      if (const int answer = CancelAnswer(s->type)) Finish(hwnd, s, answer);
      return true;
    default: return false;
  }
}

void OnChar(HWND hwnd, BoxState* s, char16_t ch) {
  const char16_t key = static_cast<char16_t>(std::towlower(ch));
  const auto buttons = ButtonsOf(s->type);
  for (const ButtonInfo& b : buttons)
    if (Mnemonic(b.label) == key) Finish(hwnd, s, b.id);
}

LRESULT BoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  BoxState* s = StateOf(hwnd);
  if (!s) return DefWindowProcW(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc) PaintMessageBox(dc, s->text, s->type, s->layout, s->focused, s->pressedInside ? s->pressed : -1);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_KEYDOWN: case WM_SYSKEYDOWN:
      if (OnKey(hwnd, s, wParam)) return 0;
      break;
    case WM_CHAR: case WM_SYSCHAR: OnChar(hwnd, s, static_cast<char16_t>(wParam)); return 0;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: {
      const int index = ButtonAt(s->layout, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      if (index >= 0) {
        s->pressed = index;
        s->pressedInside = true;
        s->focused = index;
        SetCapture(hwnd);
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    }
    case WM_MOUSEMOVE:
      if (s->pressed >= 0) {
        const bool inside = ButtonAt(s->layout, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) == s->pressed;
        if (inside != s->pressedInside) {
          s->pressedInside = inside;
          InvalidateRect(hwnd, nullptr, FALSE);
        }
      }
      return 0;
    case WM_LBUTTONUP:
      if (s->pressed >= 0) {
        const int index = s->pressed;
        const bool inside = ButtonAt(s->layout, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) == index;
        s->pressed = -1;
        s->pressedInside = false;
        ReleaseCapture();
        InvalidateRect(hwnd, nullptr, FALSE);
        if (inside) Finish(hwnd, s, s->layout.buttonIds[index]);
      }
      return 0;
    case WM_CAPTURECHANGED:
      s->pressed = -1;
      s->pressedInside = false;
      return 0;
    case WM_COMMAND: {
      // A button's id (as a program may post it) answers with that button.
      const int id = LOWORD(wParam);
      if (std::find(s->layout.buttonIds.begin(), s->layout.buttonIds.end(), id) != s->layout.buttonIds.end())
        Finish(hwnd, s, id);
      else if (id == IDCANCEL && CancelAnswer(s->type))
        Finish(hwnd, s, CancelAnswer(s->type));
      return 0;
    }
    case WM_CLOSE:
      if (const int answer = CancelAnswer(s->type)) Finish(hwnd, s, answer);
      return 0;
    case WM_GETDLGCODE: return 0x0004 | 0x0080;  // all keys
    default: break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool RegisterBoxClass() {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = BoxProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_BTNFACE + 1));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = u"#32770";
    // The dialog class may already be registered by the dialog code: then the box takes it
    // over with its own procedure after creation.
    return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

void CollectThreadWindows(std::vector<HWND>* out) {
  EnumThreadWindows(GetCurrentThreadId(), [](HWND h, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(h);
    return TRUE;
  }, reinterpret_cast<LPARAM>(out));
}

}  // namespace

MessageBoxLayout LayoutMessageBox(const std::u16string& text, UINT type) {
  MessageBoxLayout layout;
  RECT textRect{0, 0, kMaxTextWidth, 0};
  {
    const OwnedDc dc(CreateCompatibleDC(nullptr));
    const SelectedObject font(dc.get(), BoxFont());
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &textRect,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  }
  const int textWidth = textRect.right - textRect.left, textHeight = std::max<int>(textRect.bottom - textRect.top, 13);
  const bool icon = IconOf(type) != nullptr;
  const int contentHeight = std::max(textHeight, icon ? kIconSize : 0);
  const int textLeft = kMargin + (icon ? kIconSize + kIconGap : 0);
  const int textTop = kMargin + (icon && textHeight < kIconSize ? (kIconSize - textHeight) / 2 : 0);
  if (icon) layout.icon = RECT{kMargin, kMargin, kMargin + kIconSize, kMargin + kIconSize};
  layout.text = RECT{textLeft, textTop, textLeft + textWidth, textTop + textHeight};

  const auto buttons = ButtonsOf(type);
  const int rowWidth = static_cast<int>(buttons.size()) * kButtonWidth + (static_cast<int>(buttons.size()) - 1) * kButtonGap;
  const int width = std::max({textLeft + textWidth + kMargin, rowWidth + 2 * kMargin, 160});
  const int buttonTop = kMargin + contentHeight + kTextButtonGap;
  int x = (width - rowWidth) / 2;
  for (const ButtonInfo& b : buttons) {
    layout.buttonIds.push_back(b.id);
    layout.buttons.push_back(RECT{x, buttonTop, x + kButtonWidth, buttonTop + kButtonHeight});
    x += kButtonWidth + kButtonGap;
  }
  layout.client = SIZE{width, buttonTop + kButtonHeight + kMargin};
  return layout;
}

void PaintMessageBox(HDC dc, const std::u16string& text, UINT type, const MessageBoxLayout& layout, int focused,
                     int pressed) {
  RECT all{0, 0, layout.client.cx, layout.client.cy};
  FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
  if (LPCWSTR icon = IconOf(type)) DrawIcon(dc, layout.icon.left, layout.icon.top, LoadIconW(nullptr, icon));
  const SelectedObject font(dc, BoxFont());
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColor = SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  RECT textRect = layout.text;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect, DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  const auto buttons = ButtonsOf(type);
  for (size_t i = 0; i < layout.buttons.size() && i < buttons.size(); ++i) {
    RECT r = layout.buttons[i];
    const bool isFocused = static_cast<int>(i) == focused;
    if (isFocused) {
      // The default button has a dark outline around its face.
      HBRUSH frame = GetSysColorBrush(COLOR_WINDOWFRAME);
      FrameRect(dc, &r, frame);
      InflateRect(&r, -1, -1);
    }
    RECT face = r;
    DrawFrameControl(dc, &face, DFC_BUTTON,
                     DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (static_cast<int>(i) == pressed ? DFCS_PUSHED : 0));
    RECT label = r;
    if (static_cast<int>(i) == pressed) OffsetRect(&label, 1, 1);
    DrawTextW(dc, buttons[i].label, -1, &label, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (isFocused) {
      RECT focus = r;
      InflateRect(&focus, -4, -4);
      DrawFocusRect(dc, &focus);
    }
  }
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
}

}  // namespace platform::detail

namespace platform::detail {

int RealMessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  if (owner && !IsWindow(owner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (ButtonsOf(type).empty() || (type & MB_ICONMASK) > MB_ICONASTERISK) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!RegisterBoxClass()) return 0;
  // Boxes belong to the owner's top-level window.
  if (owner) owner = GetAncestor(owner, GA_ROOT);

  BoxState state;
  state.text = text ? text : u"";
  state.type = type;
  state.layout = LayoutMessageBox(state.text, type);
  const int defaultIndex = static_cast<int>((type & MB_DEFMASK) >> 8);
  state.focused = defaultIndex < static_cast<int>(state.layout.buttons.size()) ? defaultIndex : 0;

  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | ((type & (MB_TOPMOST | MB_SYSTEMMODAL)) ? WS_EX_TOPMOST : 0);
  RECT frame{0, 0, state.layout.client.cx, state.layout.client.cy};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  // Centred on the owner when it is showing, else on the work area.
  RECT area;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &area);
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int x = std::clamp<int>((area.left + area.right - width) / 2, work.left, std::max<int>(work.left, work.right - width));
  const int y = std::clamp<int>((area.top + area.bottom - height) / 2, work.top, std::max<int>(work.top, work.bottom - height));

  HWND box = CreateWindowExW(exStyle, u"#32770", caption ? caption : u"Error", style, x, y, width, height, owner,
                             nullptr, nullptr, nullptr);
  if (!box) return 0;
  SetPropW(box, u"MessageBoxState", &state);
  if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(box, GWLP_WNDPROC)) != BoxProc)
    SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BoxProc));
  // The caption's close button answers as Escape does; boxes without such an answer have it
  // greyed in their system menu.
  if (!CancelAnswer(type)) EnableMenuItem(GetSystemMenu(box, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);

  // Modal: the owner, or every other window of the thread for a task-modal box, is disabled.
  std::vector<HWND> disabled;
  std::vector<HWND> candidates;
  if (owner) candidates.push_back(owner);
  else if (type & MB_TASKMODAL) CollectThreadWindows(&candidates);
  for (HWND h : candidates)
    if (h != box && IsWindowEnabled(h)) {
      EnableWindow(h, FALSE);
      disabled.push_back(h);
    }

  ShowWindow(box, SW_SHOW);
  SetForegroundWindow(box);
  SetActiveWindow(box);
  SetFocus(box);
  UpdateWindow(box);

  bool idleSent = false, quit = false;
  int quitCode = 0;
  while (!state.done && IsWindow(box)) {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!idleSent && owner && IsWindow(owner)) {
        idleSent = true;
        SendMessageW(owner, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(box));
        continue;
      }
      idleSent = true;
      WaitMessage();
      continue;
    }
    idleSent = false;
    if (msg.message == WM_QUIT) {
      quit = true;
      quitCode = static_cast<int>(msg.wParam);
      break;
    }
    // Keys belong to the box whichever window of the thread they were aimed at.
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && msg.hwnd != box && !IsChild(box, msg.hwnd))
      msg.hwnd = box;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }

  for (HWND h : disabled)
    if (IsWindow(h)) EnableWindow(h, TRUE);
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
  if (IsWindow(box)) {
    RemovePropW(box, u"MessageBoxState");
    DestroyWindow(box);
  }
  if (quit) {
    PostQuitMessage(quitCode);
    // Shutting down: the answer that does nothing.
    const int cancel = CancelAnswer(type);
    return cancel ? cancel : state.layout.buttonIds.back();
  }
  if (!state.done) {
    // The box was destroyed from outside: treat it as cancelled.
    const int cancel = CancelAnswer(type);
    return cancel ? cancel : state.layout.buttonIds.back();
  }
  return state.result;
}

}  // namespace platform::detail

using namespace platform::detail;

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  return platform::UserFunctions().MessageBoxW(owner, text, caption, type);
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  const std::u16string wideText = text ? ToWide(text) : std::u16string();
  const std::u16string wideCaption = caption ? ToWide(caption) : std::u16string();
  return MessageBoxW(owner, text ? wideText.c_str() : nullptr, caption ? wideCaption.c_str() : nullptr, type);
}

int MessageBoxExW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type, WORD) {
  return MessageBoxW(owner, text, caption, type);
}

int MessageBoxExA(HWND owner, LPCSTR text, LPCSTR caption, UINT type, WORD) {
  return MessageBoxA(owner, text, caption, type);
}
