#pragma once

// Remote-control navigation between the buttons of a disc menu page: which button the arrow
// keys move to. The previewer and authoring both use it, so that the preview moves as the
// disc does. Any thread.

#include <vector>

#include "engines/common/MenuSource.h"

namespace engines::menu {

enum class Direction { Up, Down, Left, Right };

// The button that `direction` moves to from button `from`: of the buttons whose centre lies
// that way, the nearest, a sideways offset counting twice its distance. -1 when there is none
// (or `from` is out of range).
int NeighbourButton(const std::vector<MenuButtonInfo>& buttons, int from, Direction direction);

}  // namespace engines::menu
