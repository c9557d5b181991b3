#pragma once

// The geometry of a menu page: the 720 x 540 square-pixel design canvas (4:3), rectangles on
// it, the kinds of element a page shows, and where each element of a page sits. The designer
// window hit-tests and draws its selection with these; the renderer draws the same places.

#include <cstdint>
#include <vector>

namespace engines::menu {

constexpr int kCanvasWidth = 720;
constexpr int kCanvasHeight = 540;
// The grid that dragging snaps to in the designer (Shift drags freely).
constexpr int kDesignGrid = 8;

// A rectangle of canvas pixels; right and bottom exclusive.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const Rect&) const = default;
};

// Moves `rect` (keeping its size) so that it lies inside the canvas as far as it can.
Rect KeepInsideCanvas(Rect rect);

// The kinds of element of a page; the numbers are the designer notification's lParam.
enum class ElementKind : int32_t {
  Background = 1,
  Frame = 2,     // a title's frame in a slot
  Previous = 3,  // the previous-page button
  Play = 4,      // the play-all button
  Next = 5,      // the next-page button
  Text = 6,      // a text item
};

// One element where the page shows it. `index` is the slot for a frame (its title is
// `title`), the text item's index for a text, 0 otherwise.
struct PageElement {
  ElementKind kind = ElementKind::Background;
  int index = 0;
  int title = -1;  // total title index of a frame, -1 for other kinds
  Rect rect;
};

// Which element of the current page is selected in the designer.
struct Selection {
  ElementKind kind = ElementKind::Background;
  int index = 0;  // slot of a frame, index of a text item
  bool operator==(const Selection&) const = default;
};

}  // namespace engines::menu
