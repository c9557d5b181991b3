#include "engines/menu/MenuGeometry.h"

#include <algorithm>

namespace engines::menu {

Rect KeepInsideCanvas(Rect rect) {
  const int width = std::min(rect.Width(), kCanvasWidth);
  const int height = std::min(rect.Height(), kCanvasHeight);
  const int left = std::clamp(rect.left, 0, kCanvasWidth - width);
  const int top = std::clamp(rect.top, 0, kCanvasHeight - height);
  return {left, top, left + width, top + height};
}

}  // namespace engines::menu
