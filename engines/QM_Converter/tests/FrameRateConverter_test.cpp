#include "engines/QM_Converter/FrameRateConverter.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

struct RateCase {
  const char* name;
  double outputRate;
  std::function<double(int)> time;  // time of source frame i
  int frames;
  int expectedTotal;
  int maxRepeat;
};

TEST(FrameRateConverter, MapsSourcesOntoTheOutputGrid) {
  const double ntsc = 30000.0 / 1001.0;
  const std::vector<RateCase> cases = {
      {"25 to 29.97", ntsc, [](int i) { return i / 25.0; }, 250, 300, 2},
      {"jitter of 0.4 frame", ntsc, [&](int i) { return i / ntsc + (i % 2 ? 0.4 : -0.4) / ntsc; }, 300, 300, 1},
      {"random-looking jitter", ntsc, [&](int i) { return i / ntsc + ((i * 7919) % 17 - 8) * 0.05 / ntsc; }, 300, 300, 1},
      {"59.94 to 29.97", ntsc, [&](int i) { return i / (2 * ntsc); }, 600, 300, 1},
      {"29.97 to 25", 25.0, [&](int i) { return i / ntsc; }, 300, 250, 1},
  };
  for (const RateCase& c : cases) {
    SCOPED_TRACE(c.name);
    FrameRateConverter grid(c.outputRate);
    int maxRepeat = 0, total = 0;
    for (int i = 0; i < c.frames; ++i) {
      const double nominal = (c.time(c.frames - 1) - c.time(0)) / (c.frames - 1);
      const double next = i + 1 < c.frames ? c.time(i + 1) : c.time(i) + nominal;
      const int repeats = grid.Repeats(c.time(i), next);
      maxRepeat = std::max(maxRepeat, repeats);
      total += repeats;
    }
    EXPECT_NEAR(total, c.expectedTotal, 2);  // the grid may run up to about a frame ahead
    EXPECT_EQ(maxRepeat, c.maxRepeat);
  }
}

TEST(FrameRateConverter, AGapHoldsThePictureBeforeIt) {
  FrameRateConverter grid(25.0);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(grid.Repeats(i / 25.0, (i + 1) / 25.0), 1);
  EXPECT_EQ(grid.Repeats(10 / 25.0, 1.4), 25);  // the next frame comes one second later
  EXPECT_EQ(grid.Repeats(1.4, 1.44), 1);
}

}  // namespace
