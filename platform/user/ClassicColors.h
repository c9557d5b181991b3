#pragma once

// The classic colour scheme the frame, the scroll bars and class brushes are painted with,
// indexed by the system colour numbers (a class brush of (HBRUSH)(index + 1) means "this
// system colour"). Internal to the window manager; GUI thread.

#include "platform/gdi/GdiTypes.h"

namespace platform::detail::classic {

enum ColorIndex : int {
  kScrollBar = 0, kBackground = 1, kActiveCaption = 2, kInactiveCaption = 3, kMenu = 4, kWindow = 5,
  kWindowFrame = 6, kMenuText = 7, kWindowText = 8, kCaptionText = 9, kActiveBorder = 10,
  kInactiveBorder = 11, kAppWorkspace = 12, kHighlight = 13, kHighlightText = 14, kButtonFace = 15,
  kButtonShadow = 16, kGrayText = 17, kButtonText = 18, kInactiveCaptionText = 19, kButtonHighlight = 20,
  kDarkShadow = 21, kLight = 22, kInfoText = 23, kInfoBackground = 24, kHotLight = 26,
  kGradientActiveCaption = 27, kGradientInactiveCaption = 28, kMenuHighlight = 29, kMenuBar = 30,
  kColorCount = 31
};

COLORREF Color(int index);
// A shared solid brush of the colour; never delete it.
HBRUSH Brush(int index);
// A class or caller brush: small values (index + 1) stand for system colours.
HBRUSH ResolveBrush(HBRUSH brush);

}  // namespace platform::detail::classic
