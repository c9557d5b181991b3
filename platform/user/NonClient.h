#pragma once

// The classic default frame's geometry: where the border, caption, caption buttons, menu
// bar, client edge and window scroll bars lie for a window's styles. One layout serves
// WM_NCCALCSIZE, hit testing and frame painting, so they never disagree.

#include "platform/user/UserTypes.h"

namespace platform::detail {

struct FrameLayout {
  int frame = 0;          // outer frame thickness (border, fixed or sizing frame)
  bool sizing = false;    // a sizing frame: edges and corners hit-test as sizing handles
  RECT caption{};         // caption bar, window coordinates (empty when none)
  RECT sysMenu{}, minButton{}, maxButton{}, closeButton{}, helpButton{};
  RECT menuBar{};
  int clientEdge = 0;     // WS_EX_CLIENTEDGE / WS_EX_STATICEDGE thickness around the client
  RECT edgeOuter{};       // the client edge's outer bounds (inside frame, caption and menu bar)
  RECT vscroll{}, hscroll{}, sizeBox{};
  RECT client{};          // client area, window coordinates
};

struct FrameStyle {
  DWORD style = 0;
  DWORD exStyle = 0;
  bool hasMenu = false;
  bool hscrollShown = true;  // WS_HSCROLL present and not hidden by ShowScrollBar
  bool vscrollShown = true;
  UINT classStyle = 0;
};

// `width`/`height`: the window's size. Coordinates are relative to the window's top-left.
FrameLayout ComputeFrameLayout(const FrameStyle& style, int width, int height);

// The default WM_NCHITTEST answer for a point in window coordinates. `layout.client` is the
// client rectangle the window really has (its WM_NCCALCSIZE may have moved it); a point in
// none of the frame's parts nor the client area (room the window kept for itself) answers
// HTNOWHERE.
LRESULT HitTestFrame(const FrameLayout& layout, const FrameStyle& style, int width, int height, POINT point);

}  // namespace platform::detail
