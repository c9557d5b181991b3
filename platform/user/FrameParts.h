#pragma once

// Shared by the frame painter, the scroll bar painter and the mouse loops of the default
// frame: push button faces, scroll bar geometry, and which part is held down. GUI thread.

#include "platform/user/NonClient.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {

// A push button's face and edge (DrawEdge), sunken while pressed.
void DrawRaisedButton(HDC dc, const RECT& r, bool pressed);

enum class ScrollPart { None, ArrowBack, PageBack, Thumb, PageForward, ArrowForward };

struct ScrollGeometry {
  RECT bar{};
  bool vertical = true;
  RECT arrowBack{}, arrowForward{}, track{}, thumb{};
  bool hasThumb = false;
  bool enabled = false;  // there is something to scroll
};

ScrollGeometry ComputeScrollGeometry(const RECT& bar, bool vertical, const ScrollBarState& state);
ScrollPart ScrollPartAt(const ScrollGeometry& g, POINT p);
// The position a thumb whose leading edge is at `thumbStart` (along the bar) stands for.
int ScrollPosForThumb(const ScrollGeometry& g, const ScrollBarState& state, int thumbStart);
void DrawScrollBar(HDC dc, const ScrollGeometry& g, const ScrollBarState& state, ScrollPart pressed);

// Parts held down by a running mouse loop, drawn pressed.
struct PressedParts {
  HWND captionWindow = nullptr;
  LRESULT captionHit = 0;
  HWND scrollWindow = nullptr;
  int scrollBar = 0;
  ScrollPart scrollPart = ScrollPart::None;
};
PressedParts& Pressed();  // user lock

// The scroll tracking loop for a window scroll bar (SB_HORZ / SB_VERT) pressed at `screen`.
void TrackWindowScrollBar(HWND hwnd, int bar, POINT screen);

// Has the frame repainted at once (caption buttons and scroll bars during mouse loops) by
// sending WM_NCPAINT for the whole frame.
void RepaintFrameNow(HWND hwnd);

}  // namespace platform::detail
