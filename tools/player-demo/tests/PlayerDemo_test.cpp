// player-demo run as a child process, as a developer runs it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "engines/media/testing/MediaFixtures.h"
#include "platform/testing/Pictures.h"
#include "platform/testing/Watchdog.h"

namespace {

namespace fs = std::filesystem;
using engines::media::testing::Fixture;
using engines::media::testing::RunProgram;

int RunDemo(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), std::string(BRANTWELL_BIN_DIR) + "/player-demo");
  return RunProgram(arguments);
}

fs::path Shot(const std::string& name) {
  return fs::path(BRANTWELL_TEST_BIN_DIR) / ("player-demo-" + std::to_string(getpid()) + "-" + name);
}

bool IsBlack(uint32_t pixel) { return (pixel & 0xFFFFFF) == 0; }

TEST(PlayerDemo, SavesTheViewAtItsSizeWithTheSourceAspect) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(90));
  const std::string clip = Fixture("long_h264.mp4");  // 3 s, 16:9
  ASSERT_FALSE(clip.empty());

  // The default view: the whole picture, nothing black at the edges.
  const fs::path wide = Shot("wide.png");
  ASSERT_EQ(RunDemo({"--shot", wide.string(), clip}), 0);
  platform::testing::Image image;
  ASSERT_TRUE(platform::testing::LoadPng(wide.string(), &image));
  EXPECT_EQ(image.width, 640);
  EXPECT_EQ(image.height, 360);
  EXPECT_FALSE(IsBlack(image.At(320, 2)));
  EXPECT_FALSE(IsBlack(image.At(320, 357)));

  // A square view: 320x180 of picture in the middle, black above and below.
  const fs::path square = Shot("square.png");
  ASSERT_EQ(RunDemo({"--size", "320x320", "--at", "2", "--shot", square.string(), clip}), 0);
  ASSERT_TRUE(platform::testing::LoadPng(square.string(), &image));
  EXPECT_EQ(image.width, 320);
  EXPECT_EQ(image.height, 320);
  for (int x : {5, 160, 315}) {
    EXPECT_TRUE(IsBlack(image.At(x, 60))) << x;
    EXPECT_FALSE(IsBlack(image.At(x, 160))) << x;
    EXPECT_TRUE(IsBlack(image.At(x, 260))) << x;
  }
  fs::remove(wide);
  fs::remove(square);
}

TEST(PlayerDemo, RefusesBadCommandLinesAndFilesItCannotPlay) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(60));
  const fs::path out = Shot("refused.png");
  const std::string clip = Fixture("long_h264.mp4");
  struct Case {
    std::vector<std::string> arguments;
    int status;
  };
  const std::vector<Case> cases = {
      {{clip}, 2},                                                   // no --shot
      {{"--shot", out.string()}, 2},                                 // no file
      {{"--size", "640", "--shot", out.string(), clip}, 2},          // no height
      {{"--at", "-1", "--shot", out.string(), clip}, 2},             // a time before the start
      {{"--shot", out.string(), "/nonexistent/clip.mp4"}, 1},        // nothing to play
      {{"--at", "10", "--shot", out.string(), clip}, 1},             // past the end
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RunDemo(c.arguments), c.status) << ::testing::PrintToString(c.arguments);
    EXPECT_FALSE(fs::exists(out));
  }
}

}  // namespace
