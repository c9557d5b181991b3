// The default frame's mouse handling: presses on the caption buttons, and the move and size
// loops (WM_SYSCOMMAND SC_MOVE / SC_SIZE) that follow the pointer until the button is
// released or Enter accepts, or Escape cancels. The arrow keys move the window or the edge
// being sized by kKeyboardStep pixels. The loops read every mouse
// message, whichever window it was routed to, and take the pointer from the message; other
// messages are dispatched as usual.

#include <algorithm>

#include "platform/user/FrameParts.h"
#include "platform/user/InputState.h"
#include "platform/user/ScrollBars.h"
#include "platform/user/WinUser.h"

namespace platform::detail {

FrameStyle FrameStyleOf(const Window* w);  // WindowPos.cpp

namespace {

constexpr WPARAM WMSZ_LEFT = 1, WMSZ_RIGHT = 2, WMSZ_TOP = 3, WMSZ_TOPLEFT = 4, WMSZ_TOPRIGHT = 5, WMSZ_BOTTOM = 6,
                 WMSZ_BOTTOMLEFT = 7, WMSZ_BOTTOMRIGHT = 8;

constexpr int kKeyboardStep = 8;

bool IsMouseMessage(UINT m) {
  return (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK);
}

// The window's rectangle in its parent's client coordinates (screen for top-level windows).
RECT RectInParent(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  HWND parent = GetParent(hwnd);
  if (parent && (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD)) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

MINMAXINFO MinMaxOf(HWND hwnd) {
  MINMAXINFO info{};
  info.ptMaxSize = POINT{GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
  info.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  info.ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
  SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  return info;
}

WPARAM EdgeForHit(WPARAM hit) {
  switch (hit) {
    case HTLEFT: return WMSZ_LEFT;
    case HTRIGHT: return WMSZ_RIGHT;
    case HTTOP: return WMSZ_TOP;
    case HTTOPLEFT: return WMSZ_TOPLEFT;
    case HTTOPRIGHT: return WMSZ_TOPRIGHT;
    case HTBOTTOM: return WMSZ_BOTTOM;
    case HTBOTTOMLEFT: return WMSZ_BOTTOMLEFT;
    case HTBOTTOMRIGHT: case HTSIZE: return WMSZ_BOTTOMRIGHT;
    default: return 0;
  }
}

// Arrow keys step the pointer in the move and size loops, not while a caption button is held.
enum class ArrowKeys { Step, Ignore };

// Follows the pointer from `start` until the button goes up or Enter is pressed (true), or
// Escape (false). `follow` gets each new pointer position, from the mouse or the arrow keys.
template <typename Follow>
bool MouseLoop(HWND hwnd, POINT start, ArrowKeys arrows, Follow follow) {
  // Arrow keys add up to an offset that later mouse positions keep, so the mouse carries on
  // from where the keys left the window instead of snapping back to the pointer.
  POINT keyed{0, 0};
  auto at = [&](POINT p) { return POINT{p.x + keyed.x, p.y + keyed.y}; };
  POINT pointer = start;
  MSG msg;
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    if (IsMouseMessage(msg.message)) {
      if (msg.message == WM_LBUTTONUP || msg.message == WM_NCLBUTTONUP) {
        follow(at(msg.pt));
        return true;
      }
      if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) follow(pointer = at(msg.pt));
      continue;
    }
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
      if (msg.wParam == VK_ESCAPE) return false;
      if (msg.wParam == VK_RETURN) return true;
      POINT step{};
      if (arrows == ArrowKeys::Ignore) continue;
      switch (msg.wParam) {
        case VK_LEFT: step.x = -kKeyboardStep; break;
        case VK_RIGHT: step.x = kKeyboardStep; break;
        case VK_UP: step.y = -kKeyboardStep; break;
        case VK_DOWN: step.y = kKeyboardStep; break;
        default: continue;
      }
      keyed.x += step.x;
      keyed.y += step.y;
      pointer.x += step.x;
      pointer.y += step.y;
      follow(pointer);
      continue;
    }
    if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP || msg.message == WM_CHAR) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    if (!IsWindow(hwnd) || GetCapture() != hwnd) return false;
  }
}

void MoveOrSize(HWND hwnd, WPARAM command, POINT start) {
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
  if (style & (WS_MAXIMIZE | WS_MINIMIZE)) return;
  const bool sizing = (command & 0xFFF0) == SC_SIZE;
  const WPARAM edge = sizing ? (command & 0x000F) : 0;
  if (sizing && (!edge || edge > WMSZ_BOTTOMRIGHT || !(style & WS_THICKFRAME))) return;
  const RECT original = RectInParent(hwnd);
  const MINMAXINFO limits = MinMaxOf(hwnd);
  SetCapture(hwnd);
  SendMessageW(hwnd, WM_ENTERSIZEMOVE, 0, 0);
  RECT last = original;
  auto follow = [&](POINT p) {
    const int dx = p.x - start.x, dy = p.y - start.y;
    RECT r = original;
    if (!sizing) {
      OffsetRect(&r, dx, dy);
      SendMessageW(hwnd, WM_MOVING, 0, reinterpret_cast<LPARAM>(&r));
    } else {
      const bool left = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
      const bool right = edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT;
      const bool top = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
      const bool bottom = edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT;
      const int minW = limits.ptMinTrackSize.x, maxW = std::max(minW, static_cast<int>(limits.ptMaxTrackSize.x));
      const int minH = limits.ptMinTrackSize.y, maxH = std::max(minH, static_cast<int>(limits.ptMaxTrackSize.y));
      if (left) r.left = std::clamp<LONG>(original.left + dx, original.right - maxW, original.right - minW);
      if (right) r.right = std::clamp<LONG>(original.right + dx, original.left + minW, original.left + maxW);
      if (top) r.top = std::clamp<LONG>(original.top + dy, original.bottom - maxH, original.bottom - minH);
      if (bottom) r.bottom = std::clamp<LONG>(original.bottom + dy, original.top + minH, original.top + maxH);
      SendMessageW(hwnd, WM_SIZING, edge, reinterpret_cast<LPARAM>(&r));
    }
    if (EqualRect(&r, &last)) return;
    last = r;
    SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | (sizing ? 0 : SWP_NOSIZE));
    UpdateWindow(hwnd);
  };
  const bool done = MouseLoop(hwnd, start, ArrowKeys::Step, follow);
  if (!IsWindow(hwnd)) return;
  if (!done && !EqualRect(&last, &original))
    SetWindowPos(hwnd, nullptr, original.left, original.top, original.right - original.left,
                 original.bottom - original.top, SWP_NOZORDER | SWP_NOACTIVATE);
  if (GetCapture() == hwnd) ReleaseCapture();
  SendMessageW(hwnd, WM_EXITSIZEMOVE, 0, 0);
}

// A press on a caption button: drawn pressed while the pointer stays on it; the command
// runs when the button is released over it.
void TrackCaptionButton(HWND hwnd, LRESULT hit, POINT start) {
  WindowPtr w = FindWindowPtrQuiet(hwnd);
  if (!w) return;
  auto hitAt = [&](POINT p) { return SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)); };
  auto setPressed = [&](bool down) {
    {
      UserGuard guard(UserLock());
      Pressed().captionWindow = down ? hwnd : nullptr;
      Pressed().captionHit = down ? hit : 0;
    }
    RepaintFrameNow(hwnd);
  };
  SetCapture(hwnd);
  setPressed(true);
  bool over = true;
  const bool released = MouseLoop(hwnd, start, ArrowKeys::Ignore, [&](POINT p) {
    const bool now = hitAt(p) == hit;
    if (now != over) setPressed(over = now);
  });
  if (!IsWindow(hwnd)) return;
  if (GetCapture() == hwnd) ReleaseCapture();
  setPressed(false);
  if (!released || !over) return;
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
  const LPARAM where = MAKELPARAM(start.x, start.y);
  switch (hit) {
    case HTCLOSE: SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, where); break;
    case HTMINBUTTON:
      if (style & WS_MINIMIZEBOX) SendMessageW(hwnd, WM_SYSCOMMAND, (style & WS_MINIMIZE) ? SC_RESTORE : SC_MINIMIZE, where);
      break;
    case HTMAXBUTTON:
      if (style & WS_MAXIMIZEBOX) SendMessageW(hwnd, WM_SYSCOMMAND, (style & WS_MAXIMIZE) ? SC_RESTORE : SC_MAXIMIZE, where);
      break;
    case HTHELP: SendMessageW(hwnd, WM_SYSCOMMAND, SC_CONTEXTHELP, where); break;
    default: break;
  }
}

}  // namespace

// WM_NCLBUTTONDOWN.
LRESULT DefaultNcButtonDown(HWND hwnd, WPARAM hit, POINT screen) {
  const LPARAM where = MAKELPARAM(screen.x, screen.y);
  switch (hit) {
    case HTCAPTION: {
      HWND top = GetAncestor(hwnd, GA_ROOT);
      if (top && GetActiveWindow() != top && !(GetWindowLongPtrW(top, GWL_EXSTYLE) & WS_EX_NOACTIVATE)) SetActiveWindow(top);
      SendMessageW(hwnd, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, where);
      return 0;
    }
    case HTSYSMENU: SendMessageW(hwnd, WM_SYSCOMMAND, SC_MOUSEMENU | HTSYSMENU, where); return 0;
    case HTCLOSE: case HTMINBUTTON: case HTMAXBUTTON: case HTHELP:
      TrackCaptionButton(hwnd, static_cast<LRESULT>(hit), screen);
      return 0;
    case HTVSCROLL: SendMessageW(hwnd, WM_SYSCOMMAND, SC_VSCROLL | HTVSCROLL, where); return 0;
    case HTHSCROLL: SendMessageW(hwnd, WM_SYSCOMMAND, SC_HSCROLL | HTHSCROLL, where); return 0;
    default:
      if (EdgeForHit(hit)) SendMessageW(hwnd, WM_SYSCOMMAND, SC_SIZE + EdgeForHit(hit), where);
      return 0;
  }
}

// WM_SYSCOMMAND commands beyond close, minimise, maximise and restore.
LRESULT DefaultSysCommandLoop(HWND hwnd, WPARAM command, LPARAM lParam) {
  POINT start{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  // Without a point (a window answering a press on its body as a caption press often passes
  // none) the loop starts where the message being handled happened: the pointer may have
  // moved on since, and starting from it would jump the window by the distance.
  if (!lParam) {
    const DWORD at = GetMessagePos();
    start = POINT{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  }
  switch (command & 0xFFF0) {
    case SC_MOVE:
    case SC_SIZE: MoveOrSize(hwnd, command, start); return 0;
    case SC_VSCROLL: TrackWindowScrollBar(hwnd, SB_VERT, start); return 0;
    case SC_HSCROLL: TrackWindowScrollBar(hwnd, SB_HORZ, start); return 0;
    default: return 0;
  }
}

}  // namespace platform::detail
