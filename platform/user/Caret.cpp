// The caret: state per thread, blinking by a thread timer, drawn by inverting through the
// window's DC. BeginPaint hides it and EndPaint shows it again, so painting never leaves the
// pixels and the blink state out of step.

#include "platform/user/Caret.h"

#include <memory>

#include "platform/gdi/DcGuards.h"
#include "platform/gdi/WinGdi.h"
#include "platform/kernel/WinError.h"
#include "platform/user/SystemParams.h"
#include "platform/user/WinUser.h"

namespace platform::detail {
namespace {

struct Caret {
  HWND window = nullptr;
  HBITMAP bitmap = nullptr;  // our copy of a bitmap caret's pixels
  bool grey = false;
  int width = 0;
  int height = 0;
  POINT pos{};
  int hideCount = 1;  // created hidden
  bool drawn = false;
  UINT_PTR timer = 0;
};

thread_local std::unique_ptr<Caret> t_caret;

// Inverts the caret's pixels on the window (drawing and erasing are the same operation).
void Toggle(Caret& c) {
  if (!IsWindow(c.window)) return;
  HDC dc = GetDC(c.window);
  if (dc) {
    if (c.bitmap) {
      const BitmapDc memory(c.bitmap, dc);
      BitBlt(dc, c.pos.x, c.pos.y, c.width, c.height, memory.get(), 0, 0, SRCINVERT);
    } else {
      RECT r{c.pos.x, c.pos.y, c.pos.x + c.width, c.pos.y + c.height};
      InvertRect(dc, &r);
    }
    ReleaseDC(c.window, dc);
  }
  c.drawn = !c.drawn;
}

void Erase(Caret& c) {
  if (c.drawn) Toggle(c);
}

void BlinkProc(HWND, UINT, UINT_PTR, DWORD) {
  if (t_caret && t_caret->hideCount == 0) Toggle(*t_caret);
}

void RestartBlink(Caret& c) {
  if (c.timer) KillTimer(nullptr, c.timer);
  c.timer = SetTimer(nullptr, 0, GetCaretBlinkTime(), BlinkProc);
}

bool OwnedBy(HWND hwnd) {
  if (!t_caret) return false;
  return !hwnd || t_caret->window == hwnd;
}

bool Fail(DWORD error) {
  SetLastError(error);
  return false;
}

}  // namespace

CaretState CurrentCaret() {
  if (!t_caret) return {};
  const Caret& c = *t_caret;
  return CaretState{c.window, RECT{c.pos.x, c.pos.y, c.pos.x + c.width, c.pos.y + c.height}, c.hideCount == 0, c.drawn};
}

}  // namespace platform::detail

using namespace platform::detail;

BOOL CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height) {
  if (!IsWindow(hwnd)) return Fail(ERROR_INVALID_WINDOW_HANDLE);
  DestroyCaret();
  auto c = std::make_unique<Caret>();
  c->window = hwnd;
  const bool grey = reinterpret_cast<uintptr_t>(bitmap) == 1;
  if (bitmap && !grey) {
    BITMAP bm{};
    if (GetObjectW(bitmap, sizeof bm, &bm) == 0) return Fail(ERROR_INVALID_PARAMETER);
    c->width = bm.bmWidth;
    c->height = bm.bmHeight;
    // A copy, so the caller may delete its bitmap.
    {
      // Compatible with the screen: a memory DC's would make a one-bit copy, losing the colours.
      HDC screen = GetDC(nullptr);
      c->bitmap = CreateCompatibleBitmap(screen, bm.bmWidth, bm.bmHeight);
      ReleaseDC(nullptr, screen);
    }
    const platform::BitmapDc from(bitmap), to(c->bitmap);
    BitBlt(to.get(), 0, 0, bm.bmWidth, bm.bmHeight, from.get(), 0, 0, SRCCOPY);
  } else {
    // Zero sizes take the system's caret width and border height.
    DWORD caretWidth = 1;
    SystemParametersInfoW(SPI_GETCARETWIDTH, 0, &caretWidth, 0);
    c->width = width > 0 ? width : static_cast<int>(caretWidth);
    c->height = height > 0 ? height : GetSystemMetrics(SM_CYBORDER);
    c->grey = grey;
  }
  t_caret = std::move(c);
  return TRUE;
}

BOOL DestroyCaret() {
  if (!t_caret) return Fail(ERROR_ACCESS_DENIED);
  Erase(*t_caret);
  if (t_caret->timer) KillTimer(nullptr, t_caret->timer);
  if (t_caret->bitmap) DeleteObject(t_caret->bitmap);
  t_caret.reset();
  return TRUE;
}

BOOL ShowCaret(HWND hwnd) {
  if (!OwnedBy(hwnd)) return Fail(ERROR_ACCESS_DENIED);
  Caret& c = *t_caret;
  if (c.hideCount == 0) return TRUE;  // more shows than hides change nothing
  if (--c.hideCount == 0) {
    Toggle(c);
    RestartBlink(c);
  }
  return TRUE;
}

BOOL HideCaret(HWND hwnd) {
  if (!OwnedBy(hwnd)) return Fail(ERROR_ACCESS_DENIED);
  Caret& c = *t_caret;
  if (c.hideCount++ == 0) {
    Erase(c);
    if (c.timer) KillTimer(nullptr, c.timer);
    c.timer = 0;
  }
  return TRUE;
}

BOOL SetCaretPos(int x, int y) {
  if (!t_caret) return Fail(ERROR_ACCESS_DENIED);
  Caret& c = *t_caret;
  if (c.pos.x == x && c.pos.y == y) return TRUE;
  Erase(c);
  c.pos = POINT{x, y};
  if (c.hideCount == 0) {
    // A moved caret shows at once and starts its blink afresh.
    Toggle(c);
    RestartBlink(c);
  }
  return TRUE;
}

BOOL GetCaretPos(POINT* point) {
  if (!point) return Fail(ERROR_INVALID_PARAMETER);
  if (!t_caret) return Fail(ERROR_ACCESS_DENIED);
  *point = t_caret->pos;
  return TRUE;
}
