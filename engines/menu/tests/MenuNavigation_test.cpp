#include "engines/menu/MenuNavigation.h"

#include <gtest/gtest.h>

namespace {

using engines::MenuButtonInfo;
using engines::menu::Direction;
using engines::menu::NeighbourButton;

TEST(MenuNavigation, ArrowsMoveToTheNearestButtonThatWay) {
  // A 2 x 2 grid of frames, and below it previous, play and next.
  const std::vector<MenuButtonInfo> buttons = {
      {100, 100, 300, 230}, {420, 100, 620, 230}, {100, 250, 300, 380}, {420, 250, 620, 380},
      {80, 400, 144, 457},  {328, 400, 392, 457}, {576, 400, 640, 457}};
  struct Case {
    int from;
    Direction direction;
    int to;
  };
  using D = Direction;
  const Case cases[] = {
      {0, D::Right, 1}, {1, D::Left, 0}, {0, D::Down, 2}, {2, D::Up, 0}, {3, D::Left, 2},
      {0, D::Up, -1},   {1, D::Right, -1},                       // edges
      {2, D::Down, 4},  {3, D::Down, 6},                         // to the button below, not across
      {5, D::Up, 2},    {4, D::Right, 5}, {5, D::Right, 6}, {6, D::Left, 5},
      {9, D::Up, -1},   {-1, D::Down, -1},                       // no such button
  };
  for (const auto& c : cases)
    EXPECT_EQ(NeighbourButton(buttons, c.from, c.direction), c.to)
        << "from " << c.from << " direction " << static_cast<int>(c.direction);
}

}  // namespace
