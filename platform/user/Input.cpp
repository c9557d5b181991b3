// Mouse and keyboard routing, mouse tracking, key states, TranslateMessage.

#include <algorithm>
#include <cstdlib>

#include "platform/kernel/WinError.h"
#include "platform/user/Clock.h"
#include "platform/user/InputSink.h"
#include "platform/user/InputState.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {

HWND HitTestWindowAt(POINT p, LRESULT* hitOut, bool sendHitTest);  // WindowPos.cpp

namespace {

bool IsDown(const BYTE* keys, int vk) { return (keys[vk & 0xFF] & 0x80) != 0; }

WPARAM MouseKeyFlags(const BYTE* keys) {
  WPARAM flags = 0;
  if (IsDown(keys, VK_LBUTTON)) flags |= MK_LBUTTON;
  if (IsDown(keys, VK_RBUTTON)) flags |= MK_RBUTTON;
  if (IsDown(keys, VK_MBUTTON)) flags |= MK_MBUTTON;
  if (IsDown(keys, VK_SHIFT)) flags |= MK_SHIFT;
  if (IsDown(keys, VK_CONTROL)) flags |= MK_CONTROL;
  return flags;
}

void SetKey(BYTE* keys, int vk, bool down) {
  BYTE& k = keys[vk & 0xFF];
  if (down && !(k & 0x80)) k ^= 0x01;  // each press toggles
  k = static_cast<BYTE>(down ? (k | 0x80) : (k & ~0x80));
  // The generic shift keys follow their left and right keys.
  auto generic = [&](int left, int right, int both) {
    if (vk == left || vk == right) keys[both] = static_cast<BYTE>((keys[both] & 0x01) | ((IsDown(keys, left) || IsDown(keys, right)) ? 0x80 : 0));
  };
  generic(VK_LSHIFT, VK_RSHIFT, VK_SHIFT);
  generic(VK_LCONTROL, VK_RCONTROL, VK_CONTROL);
  generic(VK_LMENU, VK_RMENU, VK_MENU);
}

void Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, POINT pt, LPARAM extra = 0) {
  WindowPtr w = FindWindowPtrQuiet(hwnd);
  if (!w || !w->queue) return;
  MSG msg{hwnd, message, wParam, lParam, static_cast<DWORD>(UserClockNow()), pt};
  (void)extra;
  w->queue->PostInput(msg);
}

// Mouse leave: the tracked window hears it once the pointer is elsewhere (or in the other
// part of it: client versus frame).
void CheckMouseLeave(HWND target, bool nonClient, POINT p) {
  HWND tracked;
  DWORD flags;
  {
    UserGuard guard(UserLock());
    tracked = Input().trackWindow;
    flags = Input().trackFlags;
    if (!tracked || !(flags & TME_LEAVE)) return;
    if (tracked == target && ((flags & TME_NONCLIENT) != 0) == nonClient) return;
    Input().trackWindow = nullptr;
    Input().trackFlags = 0;
  }
  Post(tracked, (flags & TME_NONCLIENT) ? WM_NCMOUSELEAVE : WM_MOUSELEAVE, 0, 0, p);
}

UINT ButtonMessage(MouseButton button, bool down) {
  switch (button) {
    case MouseButton::Left: return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    case MouseButton::Right: return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    case MouseButton::Middle: return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
  }
  return WM_NULL;
}

int ButtonKey(MouseButton button) {
  switch (button) {
    case MouseButton::Left: return VK_LBUTTON;
    case MouseButton::Right: return VK_RBUTTON;
    case MouseButton::Middle: return VK_MBUTTON;
  }
  return 0;
}

void RouteMouse(UINT clientMessage, POINT p) {
  HWND capture;
  {
    UserGuard guard(UserLock());
    capture = Input().capture;
  }
  LRESULT hit = HTCLIENT;
  HWND target = capture;
  if (!target) target = HitTestWindowAt(p, &hit, true);
  // While a button is held the window it was pressed on keeps getting the pointer outside
  // every window (as the display's implicit grab delivers it), so that a frame loop started
  // by the press sees the release even where no window is.
  static HWND pressedOn = nullptr;
  const bool isUp = clientMessage == WM_LBUTTONUP || clientMessage == WM_RBUTTONUP || clientMessage == WM_MBUTTONUP;
  if (!target && pressedOn && IsWindow(pressedOn)) {
    target = pressedOn;
    hit = HTNOWHERE;
  }
  if (clientMessage == WM_LBUTTONDOWN || clientMessage == WM_RBUTTONDOWN || clientMessage == WM_MBUTTONDOWN) pressedOn = target;
  else if (isUp) pressedOn = nullptr;
  if (!target) {
    CheckMouseLeave(nullptr, false, p);
    return;
  }
  const bool client = capture || hit == HTCLIENT;
  CheckMouseLeave(target, !client, p);

  UINT message = clientMessage;
  const bool isDown = clientMessage == WM_LBUTTONDOWN || clientMessage == WM_RBUTTONDOWN || clientMessage == WM_MBUTTONDOWN;
  WindowPtr w = FindWindowPtrQuiet(target);
  if (!w) return;
  if (isDown) {
    UserGuard guard(UserLock());
    InputState& in = Input();
    const uint64_t now = UserClockNow();
    const int dx = GetSystemMetrics(SM_CXDOUBLECLK) / 2, dy = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    const bool again = in.lastDownMessage == clientMessage && in.lastDownWindow == target &&
                       now - in.lastDownTime <= in.doubleClickTimeMs && std::abs(p.x - in.lastDownPoint.x) <= dx &&
                       std::abs(p.y - in.lastDownPoint.y) <= dy;
    if (again && (!client || (w->cls->style & CS_DBLCLKS))) {
      message = clientMessage + 2;  // WM_xBUTTONDBLCLK
      in.lastDownMessage = 0;        // a third click starts over
    } else {
      in.lastDownMessage = clientMessage;
      in.lastDownWindow = target;
      in.lastDownTime = now;
      in.lastDownPoint = p;
    }
  }
  WPARAM keys;
  {
    UserGuard guard(UserLock());
    keys = MouseKeyFlags(Input().asyncKeys);
  }
  if (client) {
    POINT c = p;
    ScreenToClient(target, &c);
    Post(target, message, keys, MAKELPARAM(c.x, c.y), p);
  } else {
    // WM_NCMOUSEMOVE .. WM_NCMBUTTONDBLCLK mirror the client messages' order.
    Post(target, message - WM_MOUSEMOVE + WM_NCMOUSEMOVE, static_cast<WPARAM>(hit), MAKELPARAM(p.x, p.y), p);
  }
}

}  // namespace

void InjectMouseMove(POINT screen) {
  {
    UserGuard guard(UserLock());
    InputState& in = Input();
    in.cursor = screen;
    if (in.trackWindow && (in.trackFlags & TME_HOVER) &&
        (std::abs(screen.x - in.hoverPoint.x) > 2 || std::abs(screen.y - in.hoverPoint.y) > 2)) {
      in.hoverStart = UserClockNow();
      in.hoverPoint = screen;
    }
  }
  RouteMouse(WM_MOUSEMOVE, screen);
}

void InjectMouseButton(MouseButton button, bool down, POINT screen) {
  {
    UserGuard guard(UserLock());
    Input().cursor = screen;
    SetKey(Input().asyncKeys, ButtonKey(button), down);
  }
  RouteMouse(ButtonMessage(button, down), screen);
}

void InjectMouseWheel(int delta, POINT screen, bool horizontal) {
  HWND target;
  WPARAM keys;
  {
    UserGuard guard(UserLock());
    Input().cursor = screen;
    target = Input().focus ? Input().focus : Input().active;
    keys = MouseKeyFlags(Input().asyncKeys);
  }
  if (!target) target = HitTestWindowAt(screen, nullptr, false);
  if (!target) return;
  Post(target, horizontal ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL, MAKEWPARAM(static_cast<int>(keys), delta),
       MAKELPARAM(screen.x, screen.y), screen);
}

void InjectKey(int vk, bool down, bool textFollows) {
  HWND target;
  bool alt, control, wasDown;
  {
    UserGuard guard(UserLock());
    InputState& in = Input();
    wasDown = IsDown(in.asyncKeys, vk);
    SetKey(in.asyncKeys, vk, down);
    alt = IsDown(in.asyncKeys, VK_MENU) || vk == VK_MENU || vk == VK_LMENU || vk == VK_RMENU;
    control = IsDown(in.asyncKeys, VK_CONTROL);
    target = in.focus;
    if (!target) target = in.active;
  }
  if (!target) return;
  const bool noFocus = GetFocus() == nullptr;
  const bool sys = (alt && !control) || vk == VK_F10 || noFocus;
  UINT message = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
  const UINT scan = MapVirtualKeyW(static_cast<UINT>(vk), 0);
  const bool extended = (vk >= VK_PRIOR && vk <= VK_DOWN) || vk == VK_INSERT || vk == VK_DELETE || vk == VK_DIVIDE ||
                        vk == VK_RCONTROL || vk == VK_RMENU;
  LPARAM lParam = 1 | (static_cast<LPARAM>(scan & 0xFF) << 16);
  if (extended) lParam |= 1 << 24;
  if (alt && !(vk == VK_MENU && !down)) lParam |= 1 << 29;
  if (down ? wasDown : true) lParam |= 1 << 30;
  if (!down) lParam |= static_cast<LPARAM>(1u) << 31;
  POINT cursor;
  GetCursorPos(&cursor);
  WindowPtr w = FindWindowPtrQuiet(target);
  if (!w) return;
  MSG msg{target, message, static_cast<WPARAM>(vk), lParam, static_cast<DWORD>(UserClockNow()), cursor};
  if (textFollows && down) {
    // The key's text comes separately: TranslateMessage must add none for this press.
    UserGuard guard(UserLock());
    Input().keysWithText.push_back({msg.time, static_cast<WPARAM>(vk)});
    if (Input().keysWithText.size() > 64) Input().keysWithText.erase(Input().keysWithText.begin());
  }
  w->queue->PostInput(msg);
}

void InjectText(const std::u16string& text) {
  HWND target = GetFocus();
  if (!target) target = GetActiveWindow();
  if (!target) return;
  POINT cursor;
  GetCursorPos(&cursor);
  for (char16_t c : text) Post(target, WM_CHAR, c, 1, cursor);
}

char16_t CharacterForKey(int vk, bool shift, bool capsLock, bool control) {
  if (vk >= 'A' && vk <= 'Z') {
    if (control) return static_cast<char16_t>(vk - 'A' + 1);
    return static_cast<char16_t>((shift != capsLock) ? vk : vk + 32);
  }
  if (control) {
    switch (vk) {
      case VK_OEM_4: return 0x1B;
      case VK_OEM_5: return 0x1C;
      case VK_OEM_6: return 0x1D;
      case VK_BACK: return 0x7F;
      case VK_RETURN: return 0x0A;
      default: break;
    }
  }
  if (vk >= '0' && vk <= '9') {
    static const char16_t shifted[] = u")!@#$%^&*(";
    return shift ? shifted[vk - '0'] : static_cast<char16_t>(vk);
  }
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return static_cast<char16_t>(u'0' + (vk - VK_NUMPAD0));
  switch (vk) {
    case VK_SPACE: return u' ';
    case VK_RETURN: return u'\r';
    case VK_BACK: return u'\b';
    case VK_TAB: return u'\t';
    case VK_ESCAPE: return 0x1B;
    case VK_MULTIPLY: return u'*';
    case VK_ADD: return u'+';
    case VK_SUBTRACT: return u'-';
    case VK_DECIMAL: return u'.';
    case VK_DIVIDE: return u'/';
    case VK_OEM_1: return shift ? u':' : u';';
    case VK_OEM_PLUS: return shift ? u'+' : u'=';
    case VK_OEM_COMMA: return shift ? u'<' : u',';
    case VK_OEM_MINUS: return shift ? u'_' : u'-';
    case VK_OEM_PERIOD: return shift ? u'>' : u'.';
    case VK_OEM_2: return shift ? u'?' : u'/';
    case VK_OEM_3: return shift ? u'~' : u'`';
    case VK_OEM_4: return shift ? u'{' : u'[';
    case VK_OEM_5: return shift ? u'|' : u'\\';
    case VK_OEM_6: return shift ? u'}' : u']';
    case VK_OEM_7: return shift ? u'"' : u'\'';
    default: return 0;
  }
}

// Called as a key or mouse message leaves the queue: GetKeyState follows the messages.
void NoteInputRetrieved(const MSG& msg) {
  UserGuard guard(UserLock());
  BYTE* keys = Input().syncKeys;
  switch (msg.message) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN: SetKey(keys, static_cast<int>(msg.wParam), true); break;
    case WM_KEYUP: case WM_SYSKEYUP: SetKey(keys, static_cast<int>(msg.wParam), false); break;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_NCLBUTTONDOWN: case WM_NCLBUTTONDBLCLK: SetKey(keys, VK_LBUTTON, true); break;
    case WM_LBUTTONUP: case WM_NCLBUTTONUP: SetKey(keys, VK_LBUTTON, false); break;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: case WM_NCRBUTTONDOWN: case WM_NCRBUTTONDBLCLK: SetKey(keys, VK_RBUTTON, true); break;
    case WM_RBUTTONUP: case WM_NCRBUTTONUP: SetKey(keys, VK_RBUTTON, false); break;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: case WM_NCMBUTTONDOWN: case WM_NCMBUTTONDBLCLK: SetKey(keys, VK_MBUTTON, true); break;
    case WM_MBUTTONUP: case WM_NCMBUTTONUP: SetKey(keys, VK_MBUTTON, false); break;
    default: break;
  }
}

// A mouse message about to be returned: activation by click and the cursor shape. False
// when the message is eaten.
bool PrepareInputForDelivery(MSG& msg) {
  const bool nonClient = msg.message >= WM_NCMOUSEMOVE && msg.message <= WM_NCMBUTTONDBLCLK;
  const UINT clientForm = nonClient ? msg.message - WM_NCMOUSEMOVE + WM_MOUSEMOVE : msg.message;
  const LRESULT hit = nonClient ? static_cast<LRESULT>(msg.wParam) : HTCLIENT;
  const bool isDown = clientForm == WM_LBUTTONDOWN || clientForm == WM_RBUTTONDOWN || clientForm == WM_MBUTTONDOWN ||
                      clientForm == WM_LBUTTONDBLCLK || clientForm == WM_RBUTTONDBLCLK || clientForm == WM_MBUTTONDBLCLK;
  if (msg.message == WM_MOUSEWHEEL || msg.message == WM_MOUSEHWHEEL) return true;
  WindowPtr w = FindWindowPtrQuiet(msg.hwnd);
  if (!w) return false;
  HWND top, capture;
  bool topDisabled;
  {
    UserGuard guard(UserLock());
    Window* t = TopLevelOf(w.get());
    top = t->handle;
    topDisabled = (t->style & WS_DISABLED) != 0;
    capture = Input().capture;
  }
  if (topDisabled && !capture) {
    // A window disabled behind a modal one: the click goes nowhere.
    SendMessageW(msg.hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(msg.hwnd), MAKELPARAM(HTERROR, static_cast<int>(clientForm)));
    return false;
  }
  if (isDown && GetActiveWindow() != top && !(GetWindowLongPtrW(top, GWL_EXSTYLE) & WS_EX_NOACTIVATE)) {
    const LRESULT how = SendMessageW(msg.hwnd, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top),
                                     MAKELPARAM(static_cast<int>(hit), static_cast<int>(clientForm)));
    if (how == MA_ACTIVATE || how == MA_ACTIVATEANDEAT || how == 0) ActivateWindowInternal(top, WA_CLICKACTIVE);
    if (how == MA_ACTIVATEANDEAT || how == MA_NOACTIVATEANDEAT) return false;
  }
  if (!capture && IsWindow(msg.hwnd))
    SendMessageW(msg.hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(msg.hwnd), MAKELPARAM(static_cast<int>(hit), static_cast<int>(clientForm)));
  return IsWindow(msg.hwnd);
}

}  // namespace platform::detail

using namespace platform::detail;

BOOL TrackMouseEvent(TRACKMOUSEEVENT* track) {
  if (!track || track->cbSize != sizeof(TRACKMOUSEEVENT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // The system's hover time, read before the window manager's lock is taken.
  UINT defaultHover = 400;
  if (track->dwHoverTime == HOVER_DEFAULT) SystemParametersInfoW(SPI_GETMOUSEHOVERTIME, 0, &defaultHover, 0);
  UserGuard guard(UserLock());
  InputState& in = Input();
  if (track->dwFlags & TME_QUERY) {
    track->dwFlags = in.trackWindow ? in.trackFlags : 0;
    track->hwndTrack = in.trackWindow;
    track->dwHoverTime = in.hoverTimeMs;
    return TRUE;
  }
  if (!FindWindowPtrQuiet(track->hwndTrack)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (track->dwFlags & TME_CANCEL) {
    if (in.trackWindow == track->hwndTrack) {
      in.trackFlags &= ~(track->dwFlags & (TME_LEAVE | TME_HOVER));
      if (!(in.trackFlags & (TME_LEAVE | TME_HOVER))) in.trackWindow = nullptr;
    }
    return TRUE;
  }
  // Tracking starts only while the pointer is over the window (in the named part of it, as
  // the window's own hit test tells it: a window may claim part of its client area as frame);
  // otherwise the leave notification is due at once.
  LRESULT hit = HTNOWHERE;
  HWND under;
  {
    const POINT cursor = in.cursor;
    UserLock().unlock();
    under = HitTestWindowAt(cursor, &hit, true);
    UserLock().lock();
  }
  WindowPtr w = FindWindowPtrQuiet(track->hwndTrack);
  if (!w) return FALSE;
  const bool nonClient = (track->dwFlags & TME_NONCLIENT) != 0;
  bool over = under == track->hwndTrack;
  if (over) over = (hit == HTCLIENT) != nonClient;
  if (!over && (track->dwFlags & TME_LEAVE)) {
    MSG msg{track->hwndTrack, nonClient ? WM_NCMOUSELEAVE : WM_MOUSELEAVE, 0, 0, static_cast<DWORD>(UserClockNow()), in.cursor};
    w->queue->PostInput(msg);
    return TRUE;
  }
  in.trackWindow = track->hwndTrack;
  in.trackFlags = track->dwFlags & (TME_LEAVE | TME_HOVER | TME_NONCLIENT);
  if (track->dwFlags & TME_HOVER) {
    in.hoverTimeMs = track->dwHoverTime == HOVER_DEFAULT ? defaultHover : track->dwHoverTime;
    in.hoverStart = UserClockNow();
    in.hoverPoint = in.cursor;
  }
  return TRUE;
}

namespace platform::detail {

// When the hover notification for a window of `queue` comes due; ~0 when none is pending.
uint64_t NextHoverDue(ThreadQueue* queue) {
  UserGuard guard(UserLock());
  InputState& in = Input();
  if (!in.trackWindow || !(in.trackFlags & TME_HOVER)) return ~0ull;
  WindowPtr w = FindWindowPtrQuiet(in.trackWindow);
  if (!w || w->queue.get() != queue) return ~0ull;
  return in.hoverStart + in.hoverTimeMs;
}

// Hover notifications come due while the queue is idle (polled as timers are).
void CheckHover() {
  HWND target;
  POINT point;
  {
    UserGuard guard(UserLock());
    InputState& in = Input();
    if (!in.trackWindow || !(in.trackFlags & TME_HOVER) || UserClockNow() < in.hoverStart + in.hoverTimeMs) return;
    target = in.trackWindow;
    point = in.cursor;
    in.trackFlags &= ~TME_HOVER;
    if (!(in.trackFlags & TME_LEAVE)) in.trackWindow = nullptr;
  }
  POINT client = point;
  ScreenToClient(target, &client);
  Post(target, WM_MOUSEHOVER, 0, MAKELPARAM(client.x, client.y), point);
}

}  // namespace platform::detail

BOOL GetCursorPos(POINT* point) {
  if (!point) return FALSE;
  UserGuard guard(UserLock());
  *point = Input().cursor;
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  InjectMouseMove(POINT{x, y});
  return TRUE;
}

SHORT GetKeyState(int vk) {
  UserGuard guard(UserLock());
  const BYTE k = Input().syncKeys[vk & 0xFF];
  return static_cast<SHORT>(((k & 0x80) ? 0x8000 : 0) | (k & 0x01));
}

SHORT GetAsyncKeyState(int vk) {
  UserGuard guard(UserLock());
  return static_cast<SHORT>((Input().asyncKeys[vk & 0xFF] & 0x80) ? 0x8000 : 0);
}

BOOL GetKeyboardState(BYTE* keys) {
  if (!keys) return FALSE;
  UserGuard guard(UserLock());
  std::copy(std::begin(Input().syncKeys), std::end(Input().syncKeys), keys);
  return TRUE;
}

UINT GetDoubleClickTime() {
  UserGuard guard(UserLock());
  return Input().doubleClickTimeMs;
}

BOOL SetDoubleClickTime(UINT ms) {
  UserGuard guard(UserLock());
  Input().doubleClickTimeMs = ms ? ms : 500;
  return TRUE;
}

UINT MapVirtualKeyW(UINT code, UINT mapType) {
  // Set-1 scan codes of a US keyboard, enough for lParam and round trips.
  static const UINT kScan[256] = {
      0, 0, 0, 0x46, 0, 0, 0, 0, 0x0E, 0x0F, 0, 0, 0x4C, 0x1C, 0, 0,
      0x2A, 0x1D, 0x38, 0, 0x3A, 0, 0, 0, 0, 0, 0, 0x01, 0, 0, 0, 0,
      0x39, 0x49, 0x51, 0x4F, 0x47, 0x4B, 0x48, 0x4D, 0x50, 0, 0, 0, 0x54, 0x52, 0x53, 0,
      0x0B, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0, 0, 0, 0, 0, 0,
      0, 0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32, 0x31, 0x18,
      0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C, 0x5B, 0x5C, 0x5D, 0, 0,
      0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49, 0x37, 0x4E, 0, 0x4A, 0x53, 0x35,
      0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44, 0x57, 0x58, 0, 0, 0, 0,
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      0x45, 0x46, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      0x2A, 0x36, 0x1D, 0x1D, 0x38, 0x38, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x27, 0x0D, 0x33, 0x0C, 0x34, 0x35,
      0x29, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x1A, 0x2B, 0x1B, 0x28, 0,
  };
  switch (mapType) {
    case 0: return code < 256 ? kScan[code] : 0;  // virtual key to scan code
    case 1:                                     // scan code to virtual key
      for (UINT vk = 1; vk < 256; ++vk)
        if (kScan[vk] == code && vk != VK_LSHIFT && vk != VK_LCONTROL && vk != VK_LMENU) return vk;
      return 0;
    case 2: {  // virtual key to character
      const char16_t c = CharacterForKey(static_cast<int>(code), false, false, false);
      return (code >= 'A' && code <= 'Z') ? code : c;
    }
    default: return 0;
  }
}

UINT MapVirtualKeyA(UINT code, UINT mapType) { return MapVirtualKeyW(code, mapType); }

BOOL TranslateMessage(const MSG* msg) {
  if (!msg) return FALSE;
  if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) {
    return msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP;
  }
  bool shift, caps, control, alt;
  {
    UserGuard guard(UserLock());
    auto& pending = Input().keysWithText;
    for (auto it = pending.begin(); it != pending.end(); ++it) {
      if (it->first == msg->time && it->second == msg->wParam) {
        pending.erase(it);
        return TRUE;
      }
    }
    const BYTE* keys = Input().syncKeys;
    shift = IsDown(keys, VK_SHIFT);
    caps = (keys[VK_CAPITAL] & 0x01) != 0;
    control = IsDown(keys, VK_CONTROL);
    alt = IsDown(keys, VK_MENU);
  }
  const char16_t c = CharacterForKey(static_cast<int>(msg->wParam), shift, caps, control && !alt);
  if (c) {
    WindowPtr w = FindWindowPtrQuiet(msg->hwnd);
    if (w && w->queue) {
      MSG chr{msg->hwnd, msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR, c, msg->lParam, msg->time, msg->pt};
      w->queue->Post(chr);
    }
  }
  return TRUE;
}

BOOL DragDetect(HWND hwnd, POINT point) {
  // Without a device to poll, a drag is detected from the pointer already being away.
  POINT now;
  GetCursorPos(&now);
  POINT screen = point;
  ClientToScreen(hwnd, &screen);
  return std::abs(now.x - screen.x) > GetSystemMetrics(SM_CXDRAG) / 2 || std::abs(now.y - screen.y) > GetSystemMetrics(SM_CYDRAG) / 2;
}

BOOL FlashWindow(HWND hwnd, BOOL) { return IsWindow(hwnd) ? FALSE : FALSE; }
