#include "engines/menu/MenuNavigation.h"

#include <cstdlib>
#include <limits>

namespace engines::menu {

int NeighbourButton(const std::vector<MenuButtonInfo>& buttons, int from, Direction direction) {
  if (from < 0 || from >= static_cast<int>(buttons.size())) return -1;
  // Twice the centres, to stay in whole numbers.
  auto centreX = [](const MenuButtonInfo& b) { return b.left + b.right; };
  auto centreY = [](const MenuButtonInfo& b) { return b.top + b.bottom; };
  const auto& start = buttons[static_cast<size_t>(from)];
  int best = -1;
  long bestScore = std::numeric_limits<long>::max();
  for (int i = 0; i < static_cast<int>(buttons.size()); ++i) {
    if (i == from) continue;
    const long dx = centreX(buttons[static_cast<size_t>(i)]) - centreX(start);
    const long dy = centreY(buttons[static_cast<size_t>(i)]) - centreY(start);
    long along = 0, across = 0;
    switch (direction) {
      case Direction::Up: along = -dy, across = dx; break;
      case Direction::Down: along = dy, across = dx; break;
      case Direction::Left: along = -dx, across = dy; break;
      case Direction::Right: along = dx, across = dy; break;
    }
    // Only buttons that lie more that way than sideways count.
    if (along <= 0 || std::labs(across) > along * 2) continue;
    const long score = along + 2 * std::labs(across);
    if (score < bestScore) {
      bestScore = score;
      best = i;
    }
  }
  return best;
}

}  // namespace engines::menu
