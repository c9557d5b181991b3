// The standard window scroll bars' look and their mouse loop: arrows, track and thumb drawn
// in the frame; a press on an arrow or the track scrolls (repeating while held), a drag of
// the thumb reports SB_THUMBTRACK and ends with SB_THUMBPOSITION. The loop reads scroll
// state through the function table like every other caller.

#include <algorithm>

#include "platform/gdi/WinGdi.h"
#include "platform/user/ClassicColors.h"
#include "platform/user/FrameParts.h"
#include "platform/user/ScrollBars.h"
#include "platform/user/WinUser.h"

namespace platform::detail {

FrameStyle FrameStyleOf(const Window* w);  // WindowPos.cpp

using namespace classic;

namespace {

constexpr UINT_PTR kRepeatTimer = 0xFFF0;  // private to the scroll loop
constexpr UINT kFirstRepeatMs = 400;
constexpr UINT kRepeatMs = 50;
constexpr int kMinThumb = 8;

int Along(const ScrollGeometry& g, POINT p) { return g.vertical ? p.y : p.x; }
int Start(const ScrollGeometry& g, const RECT& r) { return g.vertical ? r.top : r.left; }
int End(const ScrollGeometry& g, const RECT& r) { return g.vertical ? r.bottom : r.right; }
bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

int MaxPos(const ScrollBarState& s) { return std::max(s.min, s.max - std::max(s.page - 1, 0)); }

void DrawArrow(HDC dc, const RECT& r, bool vertical, bool forward, bool pressed, bool disabled) {
  DrawRaisedButton(dc, r, pressed);
  const int size = std::min(r.right - r.left, r.bottom - r.top);
  const int half = std::max(2, size / 4);  // rows of the triangle
  int cx = (r.left + r.right) / 2 - (vertical ? 0 : (forward ? 1 : 0)), cy = (r.top + r.bottom) / 2 - 1;
  if (pressed) ++cx, ++cy;
  auto paint = [&](int dx, int dy, int color) {
    HBRUSH brush = Brush(color);
    for (int i = 0; i < half; ++i) {
      // Row i of the triangle: the tip first.
      RECT line;
      const int width = i;
      if (vertical) {
        const int y = forward ? cy - half / 2 + (half - 1 - i) + 1 : cy - half / 2 + i;
        line = RECT{cx - width + dx, y + dy, cx + width + 1 + dx, y + 1 + dy};
      } else {
        const int x = forward ? cx - half / 2 + (half - 1 - i) + 1 : cx - half / 2 + i;
        line = RECT{x + dx, cy - width + dy, x + 1 + dx, cy + width + 1 + dy};
      }
      FillRect(dc, &line, brush);
    }
  };
  if (disabled) {
    paint(1, 1, kButtonHighlight);
    paint(0, 0, kGrayText);
  } else {
    paint(0, 0, kButtonText);
  }
}

WORD RequestFor(ScrollPart part) {
  switch (part) {
    case ScrollPart::ArrowBack: return SB_LINEUP;
    case ScrollPart::ArrowForward: return SB_LINEDOWN;
    case ScrollPart::PageBack: return SB_PAGEUP;
    case ScrollPart::PageForward: return SB_PAGEDOWN;
    default: return SB_ENDSCROLL;
  }
}

bool IsMouseMessage(UINT m) {
  return (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK);
}

// The bar's rectangle (window coordinates), the window's screen rectangle and the state.
bool BarOf(HWND hwnd, int bar, RECT* barRect, RECT* windowRect, ScrollBarState* state) {
  WindowPtr w = FindWindowPtrQuiet(hwnd);
  if (!w) return false;
  FrameStyle style;
  {
    UserGuard guard(UserLock());
    style = FrameStyleOf(w.get());
    *windowRect = WindowRectOnScreen(w.get());
    *state = bar == SB_VERT ? w->vscroll : w->hscroll;
  }
  const FrameLayout l = ComputeFrameLayout(style, windowRect->right - windowRect->left, windowRect->bottom - windowRect->top);
  *barRect = bar == SB_VERT ? l.vscroll : l.hscroll;
  // The caller's view of the position, through the table (a replacement may keep its own).
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
  if (GetScrollInfo(hwnd, bar, &info)) {
    state->min = info.nMin, state->max = info.nMax, state->page = static_cast<int>(info.nPage), state->pos = info.nPos;
    state->trackPos = info.nTrackPos;
  }
  return barRect->right > barRect->left && barRect->bottom > barRect->top;
}

void SetTracking(HWND hwnd, int bar, bool tracking, int trackPos) {
  WindowPtr w = FindWindowPtrQuiet(hwnd);
  if (!w) return;
  UserGuard guard(UserLock());
  ScrollBarState& s = bar == SB_VERT ? w->vscroll : w->hscroll;
  s.tracking = tracking;
  s.trackPos = trackPos;
}

void SetPressed(HWND hwnd, int bar, ScrollPart part) {
  {
    UserGuard guard(UserLock());
    Pressed().scrollWindow = part == ScrollPart::None ? nullptr : hwnd;
    Pressed().scrollBar = bar;
    Pressed().scrollPart = part;
  }
  RepaintFrameNow(hwnd);
}

}  // namespace

ScrollGeometry ComputeScrollGeometry(const RECT& bar, bool vertical, const ScrollBarState& s) {
  ScrollGeometry g;
  g.bar = bar;
  g.vertical = vertical;
  const int length = vertical ? bar.bottom - bar.top : bar.right - bar.left;
  const int thickness = vertical ? bar.right - bar.left : bar.bottom - bar.top;
  const int arrow = std::min(thickness, length / 2);
  if (vertical) {
    g.arrowBack = RECT{bar.left, bar.top, bar.right, bar.top + arrow};
    g.arrowForward = RECT{bar.left, bar.bottom - arrow, bar.right, bar.bottom};
    g.track = RECT{bar.left, bar.top + arrow, bar.right, bar.bottom - arrow};
  } else {
    g.arrowBack = RECT{bar.left, bar.top, bar.left + arrow, bar.bottom};
    g.arrowForward = RECT{bar.right - arrow, bar.top, bar.right, bar.bottom};
    g.track = RECT{bar.left + arrow, bar.top, bar.right - arrow, bar.bottom};
  }
  const int range = s.max - s.min + 1;
  g.enabled = s.max > s.min && range > s.page && s.disabledArrows != ESB_DISABLE_BOTH;
  const int trackLength = End(g, g.track) - Start(g, g.track);
  if (!g.enabled || trackLength < kMinThumb) return g;
  int thumb = s.page > 0 ? static_cast<int>(static_cast<long long>(trackLength) * s.page / range) : thickness;
  thumb = std::clamp(thumb, std::min(kMinThumb, trackLength), trackLength);
  const int span = MaxPos(s) - s.min;
  const int pos = std::clamp(s.tracking ? s.trackPos : s.pos, s.min, MaxPos(s));
  const int start = Start(g, g.track) + (span > 0 ? static_cast<int>(static_cast<long long>(trackLength - thumb) * (pos - s.min) / span) : 0);
  g.thumb = vertical ? RECT{bar.left, start, bar.right, start + thumb} : RECT{start, bar.top, start + thumb, bar.bottom};
  g.hasThumb = true;
  return g;
}

ScrollPart ScrollPartAt(const ScrollGeometry& g, POINT p) {
  if (Inside(g.arrowBack, p)) return ScrollPart::ArrowBack;
  if (Inside(g.arrowForward, p)) return ScrollPart::ArrowForward;
  if (!Inside(g.track, p) || !g.hasThumb) return ScrollPart::None;
  if (Inside(g.thumb, p)) return ScrollPart::Thumb;
  return Along(g, p) < Start(g, g.thumb) ? ScrollPart::PageBack : ScrollPart::PageForward;
}

int ScrollPosForThumb(const ScrollGeometry& g, const ScrollBarState& s, int thumbStart) {
  const int thumb = End(g, g.thumb) - Start(g, g.thumb);
  const int room = End(g, g.track) - Start(g, g.track) - thumb;
  const int span = MaxPos(s) - s.min;
  if (room <= 0 || span <= 0) return s.min;
  const int offset = std::clamp(thumbStart - Start(g, g.track), 0, room);
  // Rounded to the nearest position, so the thumb lands where the pointer left it.
  return s.min + static_cast<int>((static_cast<long long>(offset) * span + room / 2) / room);
}

void DrawScrollBar(HDC dc, const ScrollGeometry& g, const ScrollBarState& s, ScrollPart pressed) {
  const bool backDisabled = !g.enabled || (s.disabledArrows & ESB_DISABLE_UP);
  const bool forwardDisabled = !g.enabled || (s.disabledArrows & ESB_DISABLE_DOWN);
  DrawArrow(dc, g.arrowBack, g.vertical, false, pressed == ScrollPart::ArrowBack, backDisabled);
  DrawArrow(dc, g.arrowForward, g.vertical, true, pressed == ScrollPart::ArrowForward, forwardDisabled);
  if (g.track.right <= g.track.left || g.track.bottom <= g.track.top) return;
  // The classic track: a fine checker of face and highlight.
  HBRUSH face = Brush(kScrollBar), light = Brush(kButtonHighlight);
  FillRect(dc, &g.track, face);
  for (int y = g.track.top; y < g.track.bottom; ++y)
    for (int x = g.track.left + ((y + g.track.left) & 1); x < g.track.right; x += 2) {
      RECT dot{x, y, x + 1, y + 1};
      FillRect(dc, &dot, light);
    }
  if (!g.hasThumb) return;
  if (pressed == ScrollPart::PageBack || pressed == ScrollPart::PageForward) {
    RECT page = g.track;
    if (pressed == ScrollPart::PageBack) (g.vertical ? page.bottom : page.right) = Start(g, g.thumb);
    else (g.vertical ? page.top : page.left) = End(g, g.thumb);
    FillRect(dc, &page, Brush(kDarkShadow));
  }
  DrawRaisedButton(dc, g.thumb, false);
}

void TrackWindowScrollBar(HWND hwnd, int bar, POINT screen) {
  RECT barRect, windowRect;
  ScrollBarState state;
  if (!BarOf(hwnd, bar, &barRect, &windowRect, &state)) return;
  const bool vertical = bar == SB_VERT;
  ScrollGeometry g = ComputeScrollGeometry(barRect, vertical, state);
  auto local = [&](POINT p) { return POINT{p.x - windowRect.left, p.y - windowRect.top}; };
  const ScrollPart part = ScrollPartAt(g, local(screen));
  if (part == ScrollPart::None || !g.enabled) return;
  const UINT message = vertical ? WM_VSCROLL : WM_HSCROLL;
  auto request = [&](WORD code, int pos) { SendMessageW(hwnd, message, MAKEWPARAM(code, pos), 0); };

  SetCapture(hwnd);
  SetPressed(hwnd, bar, part);
  int grab = 0, trackPos = state.pos;
  if (part == ScrollPart::Thumb) {
    grab = Along(g, local(screen)) - Start(g, g.thumb);
    SetTracking(hwnd, bar, true, trackPos);
  } else {
    request(RequestFor(part), 0);
    SetTimer(hwnd, kRepeatTimer, kFirstRepeatMs, nullptr);
  }
  POINT pointer = screen;
  MSG msg;
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (IsMouseMessage(msg.message)) {
      pointer = msg.pt;
      if (msg.message == WM_LBUTTONUP || msg.message == WM_NCLBUTTONUP) break;
      if (msg.message != WM_MOUSEMOVE && msg.message != WM_NCMOUSEMOVE) continue;
      if (!BarOf(hwnd, bar, &barRect, &windowRect, &state)) break;
      state.tracking = part == ScrollPart::Thumb;
      state.trackPos = trackPos;
      g = ComputeScrollGeometry(barRect, vertical, state);
      if (part == ScrollPart::Thumb) {
        const int pos = ScrollPosForThumb(g, state, Along(g, local(pointer)) - grab);
        if (pos != trackPos) {
          trackPos = pos;
          SetTracking(hwnd, bar, true, trackPos);
          request(SB_THUMBTRACK, trackPos);
          RepaintFrameNow(hwnd);
        }
      }
      continue;
    }
    if (msg.message == WM_TIMER && msg.hwnd == hwnd && msg.wParam == kRepeatTimer) {
      if (BarOf(hwnd, bar, &barRect, &windowRect, &state)) {
        g = ComputeScrollGeometry(barRect, vertical, state);
        if (ScrollPartAt(g, local(pointer)) == part) request(RequestFor(part), 0);
      }
      SetTimer(hwnd, kRepeatTimer, kRepeatMs, nullptr);
      continue;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    if (GetCapture() != hwnd || !IsWindow(hwnd)) break;
  }
  if (!IsWindow(hwnd)) return;
  KillTimer(hwnd, kRepeatTimer);
  if (part == ScrollPart::Thumb) {
    request(SB_THUMBPOSITION, trackPos);
    SetTracking(hwnd, bar, false, trackPos);
  }
  request(SB_ENDSCROLL, 0);
  if (GetCapture() == hwnd) ReleaseCapture();
  SetPressed(hwnd, bar, ScrollPart::None);
}

}  // namespace platform::detail
