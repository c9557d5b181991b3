// timeline-demo run as a child process, as a developer runs it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engines/media/testing/MediaFixtures.h"
#include "platform/testing/Pictures.h"
#include "platform/testing/Watchdog.h"

namespace {

namespace fs = std::filesystem;
using engines::media::testing::Fixture;

struct Result {
  int status = -1;
  std::string output;
};

// Runs the tool with its standard output captured (its arguments are the tests' own paths).
Result RunDemo(const std::vector<std::string>& arguments) {
  std::string command = "'" + std::string(BRANTWELL_BIN_DIR) + "/timeline-demo'";
  for (const std::string& argument : arguments) command += " '" + argument + "'";
  command += " 2>/dev/null";
  Result result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe)) result.output += buffer;
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

fs::path Shot(const std::string& name) {
  return fs::path(BRANTWELL_TEST_BIN_DIR) / ("timeline-demo-" + std::to_string(getpid()) + "-" + name);
}

TEST(TimelineDemo, ShowsAClipPerFileWithItsTransitionAndSavesTheWindow) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(120));
  const std::string a = Fixture("h264_aac.mp4"), b = Fixture("mpeg4_mp3.avi"), c = Fixture("long_h264.mp4");
  ASSERT_FALSE(a.empty() || b.empty() || c.empty());
  const fs::path shot = Shot("three.png");
  const Result result = RunDemo({"--transition", "Wipe", "--shot", shot.string(), a, b, c});
  ASSERT_EQ(result.status, 0) << result.output;
  // 2 + 2 + 3 s, the two joins overlapped by 1 s each (half the 2-s clips).
  double length = 0;
  int clips = 0, transitions = 0;
  ASSERT_EQ(std::sscanf(result.output.c_str(), "length=%lf clips=%d transitions=%d", &length, &clips, &transitions), 3)
      << result.output;
  EXPECT_NEAR(length, 5.0, 0.1);
  EXPECT_EQ(clips, 3);
  EXPECT_EQ(transitions, 3);

  platform::testing::Image image;
  ASSERT_TRUE(platform::testing::LoadPng(shot.string(), &image));
  EXPECT_GE(image.width, 480);
  EXPECT_EQ(image.height, 150);
  // The first clip's thumbnail is the test picture, full of colour, not a blank tile.
  int coloured = 0;
  for (int y = 30; y < 110; ++y)
    for (int x = 10; x < 60; ++x) {
      const uint32_t p = image.At(x, y);
      const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, bl = p & 0xFF;
      coloured += std::max({r, g, bl}) - std::min({r, g, bl}) > 60;
    }
  EXPECT_GT(coloured, 200);
  fs::remove(shot);
}

TEST(TimelineDemo, RefusesBadCommandLinesAndLeavesOutFilesItCannotRead) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(90));
  const std::string clip = Fixture("h264_aac.mp4");
  const fs::path out = Shot("refused.png");
  const struct {
    std::vector<std::string> arguments;
    int status;
    const char* output;
  } cases[] = {
      {{}, 2, ""},
      {{"--shot", out.string()}, 2, ""},
      {{"--colour", "red", clip}, 2, ""},
      {{"--transition", std::string(300, 'x'), clip}, 2, ""},
      {{"/nonexistent/clip.mp4", clip}, 1, "clips=1 transitions=1"},
  };
  for (const auto& c : cases) {
    const Result result = RunDemo(c.arguments);
    EXPECT_EQ(result.status, c.status) << ::testing::PrintToString(c.arguments);
    EXPECT_NE(result.output.find(c.output), std::string::npos) << result.output;
    EXPECT_FALSE(fs::exists(out));
  }
}

}  // namespace
