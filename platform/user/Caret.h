#pragma once

// The caret: one per thread, owned by a window of that thread, a solid or bitmap block
// that blinks at GetCaretBlinkTime by inverting the pixels under it. It starts hidden; each
// HideCaret needs a ShowCaret to undo it. Call from the owner window's thread.

#include "platform/user/UserTypes.h"

// `bitmap`: null for a solid caret, (HBITMAP)1 for a grey one, or a bitmap whose pixels are
// inverted through (its size then gives the caret's size).
BOOL CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height);
BOOL DestroyCaret();
BOOL ShowCaret(HWND hwnd);
BOOL HideCaret(HWND hwnd);
BOOL SetCaretPos(int x, int y);
BOOL GetCaretPos(POINT* point);

namespace platform::detail {
// The caret as it is now, for tests: its window, client rectangle, and whether it is shown
// (hide count zero) and currently drawn (in the "on" half of a blink).
struct CaretState {
  HWND window = nullptr;
  RECT rect{};
  bool shown = false;
  bool drawn = false;
};
CaretState CurrentCaret();
}  // namespace platform::detail
