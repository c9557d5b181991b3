// The default window procedure: what a window does with a message its own procedure does
// not handle.

#include <algorithm>
#include <cstring>

#include "platform/user/InputState.h"
#include "platform/user/NonClient.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {

FrameStyle FrameStyleOf(const Window* w);  // WindowPos.cpp

// Non-client painting and the move/size loops live beside the frame (NonClientPaint.cpp).
void DefaultNcPaint(HWND hwnd, HRGN region) __attribute__((weak));
LRESULT DefaultNcButtonDown(HWND hwnd, WPARAM hit, POINT screen) __attribute__((weak));
LRESULT DefaultSysCommandLoop(HWND hwnd, WPARAM command, LPARAM lParam) __attribute__((weak));
BOOL DefaultEraseBackground(HWND hwnd, HDC dc) __attribute__((weak));
LRESULT DefaultPrint(HWND hwnd, HDC dc, LPARAM flags) __attribute__((weak));

namespace {

LRESULT GetText(const WindowPtr& w, WPARAM capacity, LPARAM buffer) {
  if (!buffer || capacity == 0) return 0;
  std::u16string text;
  {
    UserGuard guard(UserLock());
    text = w->text;
  }
  size_t count = std::min(text.size(), static_cast<size_t>(capacity - 1));
  if (count > 0 && count < text.size() && text[count] >= 0xDC00 && text[count] <= 0xDFFF) --count;
  std::memcpy(reinterpret_cast<char16_t*>(buffer), text.data(), count * sizeof(char16_t));
  reinterpret_cast<char16_t*>(buffer)[count] = 0;
  return static_cast<LRESULT>(count);
}

void BroadcastUiState(HWND hwnd, WPARAM wParam) {
  SendMessageW(hwnd, WM_UPDATEUISTATE, wParam, 0);
}

LRESULT NcCalcSize(const WindowPtr& w, WPARAM calcValid, LPARAM lParam) {
  if (!lParam) return 0;
  RECT* rect = calcValid ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
  FrameStyle style;
  {
    UserGuard guard(UserLock());
    style = FrameStyleOf(w.get());
  }
  const FrameLayout l = ComputeFrameLayout(style, rect->right - rect->left, rect->bottom - rect->top);
  const RECT window = *rect;
  *rect = RECT{window.left + l.client.left, window.top + l.client.top, window.left + l.client.right, window.top + l.client.bottom};
  return 0;
}

LRESULT NcHitTest(const WindowPtr& w, LPARAM lParam) {
  const POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  FrameStyle style;
  RECT rect;
  RECT client;
  {
    UserGuard guard(UserLock());
    style = FrameStyleOf(w.get());
    rect = WindowRectOnScreen(w.get());
    client = w->client;
    if (w->windowRegion && !w->windowRegion->Contains(screen.x - rect.left, screen.y - rect.top)) return HTNOWHERE;
  }
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (style.style & WS_MINIMIZE) return (screen.x >= rect.left && screen.x < rect.right && screen.y >= rect.top && screen.y < rect.bottom) ? HTCAPTION : HTNOWHERE;
  FrameLayout l = ComputeFrameLayout(style, width, height);
  // The client area is the one WM_NCCALCSIZE left, which a window may have narrowed.
  l.client = client;
  return HitTestFrame(l, style, width, height, POINT{screen.x - rect.left, screen.y - rect.top});
}

void SizeAndMoveFromPos(HWND hwnd, const WINDOWPOS* wp, const WindowPtr& w) {
  if (!wp) return;
  RECT client;
  DWORD style;
  POINT origin;
  {
    UserGuard guard(UserLock());
    client = w->client;
    style = w->style;
    origin = POINT{w->rect.left + w->client.left, w->rect.top + w->client.top};
  }
  if (!(wp->flags & SWP_NOCLIENTSIZE)) {
    const WPARAM kind = (style & WS_MINIMIZE) ? SIZE_MINIMIZED : (style & WS_MAXIMIZE) ? SIZE_MAXIMIZED : SIZE_RESTORED;
    const int cx = (style & WS_MINIMIZE) ? 0 : client.right - client.left;
    const int cy = (style & WS_MINIMIZE) ? 0 : client.bottom - client.top;
    SendMessageW(hwnd, WM_SIZE, kind, MAKELPARAM(cx, cy));
  }
  if (!(wp->flags & SWP_NOCLIENTMOVE) && IsWindow(hwnd)) SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
}

}  // namespace

LRESULT DefWindowProcInternal(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WindowPtr w = FindWindowPtrQuiet(hwnd);
  if (!w) return 0;
  const bool child = (w->style & WS_CHILD) != 0;
  HWND parent = child && w->parent ? w->parent->handle : nullptr;
  switch (msg) {
    case WM_NCCREATE: return TRUE;
    case WM_NCCALCSIZE: return NcCalcSize(w, wParam, lParam);
    case WM_NCHITTEST: return NcHitTest(w, lParam);
    case WM_NCPAINT:
      if (DefaultNcPaint) DefaultNcPaint(hwnd, reinterpret_cast<HRGN>(wParam));
      return 0;
    case WM_NCACTIVATE:
      if (DefaultNcPaint && !(w->style & WS_MINIMIZE)) {
        // Only the frame repaints; client areas already waiting to be painted stay invalid.
        UserGuard guard(UserLock());
        PixelRegion frame(RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top});
        frame.Subtract(w->client);
        if (!frame.Empty()) InvalidateInternal(w.get(), &frame, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
      }
      return TRUE;
    case WM_WINDOWPOSCHANGED:
      SizeAndMoveFromPos(hwnd, reinterpret_cast<const WINDOWPOS*>(lParam), w);
      return 0;
    case WM_GETTEXT: return GetText(w, wParam, lParam);
    case WM_GETTEXTLENGTH: {
      UserGuard guard(UserLock());
      return static_cast<LRESULT>(w->text.size());
    }
    case WM_SETTEXT: {
      {
        UserGuard guard(UserLock());
        w->text = lParam ? std::u16string(reinterpret_cast<const char16_t*>(lParam)) : std::u16string();
        if ((w->style & WS_CAPTION) == WS_CAPTION) InvalidateInternal(w.get(), nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
      }
      return TRUE;
    }
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_QUERYENDSESSION: return TRUE;
    case WM_SYSCOMMAND: {
      const WPARAM command = wParam & 0xFFF0;
      switch (command) {
        case SC_CLOSE: SendMessageW(hwnd, WM_CLOSE, 0, 0); return 0;
        case SC_MINIMIZE: ShowWindow(hwnd, SW_MINIMIZE); return 0;
        case SC_MAXIMIZE: ShowWindow(hwnd, SW_MAXIMIZE); return 0;
        case SC_RESTORE: ShowWindow(hwnd, SW_RESTORE); return 0;
        default:
          if (DefaultSysCommandLoop) return DefaultSysCommandLoop(hwnd, wParam, lParam);
          return 0;
      }
    }
    case WM_NCLBUTTONDOWN:
      if (DefaultNcButtonDown) return DefaultNcButtonDown(hwnd, wParam, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_NCLBUTTONDBLCLK:
      if (wParam == HTCAPTION && (w->style & WS_MAXIMIZEBOX) && (w->style & WS_THICKFRAME))
        SendMessageW(hwnd, WM_SYSCOMMAND, (w->style & WS_MAXIMIZE) ? SC_RESTORE : SC_MAXIMIZE, lParam);
      else if (wParam == HTSYSMENU && (w->style & WS_SYSMENU))
        SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, lParam);
      return 0;
    case WM_RBUTTONUP: {
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(hwnd, &p);
      SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(p.x, p.y));
      return 0;
    }
    case WM_NCRBUTTONUP:
      if (wParam == HTCAPTION || wParam == HTSYSMENU)
        SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), lParam);
      return 0;
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
    case WM_HELP:
      if (parent) return SendMessageW(parent, msg, wParam, lParam);
      return 0;
    case WM_SETCURSOR: {
      if (parent && SendMessageW(parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
      const LRESULT hit = static_cast<SHORT>(LOWORD(lParam));
      if (hit == HTCLIENT) {
        HCURSOR cursor = w->cls->cursor;
        if (cursor) {
          SetCursor(cursor);
          return TRUE;
        }
        return FALSE;
      }
      if (hit == HTERROR) return FALSE;
      SetCursor(LoadCursorW(nullptr, DefaultCursorForHit(hit)));
      return TRUE;
    }
    case WM_MOUSEACTIVATE:
      if (parent) {
        const LRESULT answer = SendMessageW(parent, WM_MOUSEACTIVATE, wParam, lParam);
        if (answer) return answer;
      }
      return MA_ACTIVATE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) SetFocus(hwnd);
      return 0;
    case WM_CANCELMODE:
      if (GetCapture() == hwnd) ReleaseCapture();
      return 0;
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4 && (HIWORD(lParam) & 0x2000)) {
        HWND top = GetAncestor(hwnd, GA_ROOT);
        PostMessageW(top, WM_SYSCOMMAND, SC_CLOSE, 0);
      }
      return 0;
    case WM_CHANGEUISTATE:
      if (parent) return SendMessageW(parent, msg, wParam, lParam);
      BroadcastUiState(hwnd, wParam);
      return 0;
    case WM_UPDATEUISTATE: {
      const WORD action = LOWORD(wParam), bits = HIWORD(wParam) & (UISF_HIDEFOCUS | UISF_HIDEACCEL | UISF_ACTIVE);
      std::vector<HWND> children;
      {
        UserGuard guard(UserLock());
        if (action == UIS_SET) w->uiState |= bits;
        else if (action == UIS_CLEAR) w->uiState &= static_cast<WORD>(~bits);
        for (Window* c : w->children) children.push_back(c->handle);
      }
      for (HWND c : children) SendMessageW(c, WM_UPDATEUISTATE, wParam, lParam);
      return 0;
    }
    case WM_QUERYUISTATE: {
      UserGuard guard(UserLock());
      return w->uiState;
    }
    case WM_SETREDRAW: {
      UserGuard guard(UserLock());
      w->redrawDisabled = !wParam;
      return 0;
    }
    case WM_ERASEBKGND:
      return DefaultEraseBackground ? DefaultEraseBackground(hwnd, reinterpret_cast<HDC>(wParam)) : 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_PRINT:
      return DefaultPrint ? DefaultPrint(hwnd, reinterpret_cast<HDC>(wParam), lParam) : 0;
    case WM_SETICON: {
      UserGuard guard(UserLock());
      HICON& slot = wParam == ICON_BIG ? w->bigIcon : w->smallIcon;
      HICON old = slot;
      slot = reinterpret_cast<HICON>(lParam);
      return reinterpret_cast<LRESULT>(old);
    }
    case WM_GETICON: {
      UserGuard guard(UserLock());
      return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? w->bigIcon : w->smallIcon);
    }
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
      return DefaultControlColor(msg, reinterpret_cast<HDC>(wParam));
    default: return 0;
  }
}

}  // namespace platform::detail

using namespace platform::detail;

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcInternal(hwnd, msg, wParam, lParam);
}

LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // The default procedure works in UTF-16; text messages are converted on the way.
  static const WNDPROC wide = [](HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcInternal(h, m, w, l); };
  return CallProcedure(wide, true, hwnd, msg, wParam, lParam, false);
}
