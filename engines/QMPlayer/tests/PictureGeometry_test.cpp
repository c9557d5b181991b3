#include <gtest/gtest.h>

#include "engines/QMPlayer/PictureGeometry.h"

using player::PictureShape;
using player::VideoRect;

namespace {

struct RectCase {
  const char* name;
  int clientWidth, clientHeight, mode;
  PictureShape shape;
  RECT expected;
};

}  // namespace

TEST(VideoRect, FollowsTheViewsRuleForEveryMode) {
  const RectCase cases[] = {
      // A 720x576 source shown at 4:3 fills a 4:3 view exactly.
      {"source aspect, same as the view", 400, 300, 1, {720, 576, 4, 3}, {0, 0, 400, 300}},
      // 16:9 in 400x300: 225 high, 75 left over, 37 above (halved toward zero).
      {"16:9 letterboxed", 400, 300, 2, {720, 576, 4, 3}, {0, 37, 400, 262}},
      {"4:3 pillarboxed in a wide view", 640, 360, 3, {320, 240, 0, 0}, {80, 0, 560, 360}},
      {"stretch fills the view", 333, 111, 0, {720, 576, 4, 3}, {0, 0, 333, 111}},
      // Fill the height: never letterboxed, a wide picture reaches past the sides.
      {"fill height with a wide picture", 300, 300, 5, {470, 200, 0, 0}, {-202, 0, 503, 300}},
      {"fill height with a narrow picture", 640, 360, 5, {320, 240, 0, 0}, {80, 0, 560, 360}},
      // Without aspect numbers the size decides; with them the numbers win over the size.
      {"size decides without numbers", 400, 400, 1, {470, 200, 0, 0}, {0, 115, 400, 285}},
      {"numbers win over the size", 400, 400, 1, {720, 480, 16, 9}, {0, 87, 400, 312}},
      // 250 x 4/3 = 333.33 rounds to 333; (500 - 333) / 2 = 83.
      {"rounding", 500, 250, 3, {320, 240, 0, 0}, {83, 0, 416, 250}},
      {"no picture: the whole client area", 200, 100, 2, {0, 0, 0, 0}, {0, 0, 200, 100}},
  };
  for (const RectCase& c : cases) {
    const RECT r = VideoRect(c.clientWidth, c.clientHeight, c.mode, c.shape);
    EXPECT_EQ(r.left, c.expected.left) << c.name;
    EXPECT_EQ(r.top, c.expected.top) << c.name;
    EXPECT_EQ(r.right, c.expected.right) << c.name;
    EXPECT_EQ(r.bottom, c.expected.bottom) << c.name;
  }
}
