// The tool writes a picture of each small window, at its size, and refuses a bad command line.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/testing/Pictures.h"
#include "platform/testing/Processes.h"

namespace {

namespace fs = std::filesystem;

const std::string kTool = std::string(BRANTWELL_BIN_DIR) + "/small-windows";

TEST(SmallWindowsTool, WritesEveryWindow) {
  platform::testing::ScratchFolder out(fs::path(BRANTWELL_TEST_BIN_DIR) / ("small-windows-" + std::to_string(getpid())));
  ASSERT_EQ(platform::testing::RunProgram({kTool, "--out", out.path.string()}), 0);
  struct Expected {
    const char* name;
    int minWidth, minHeight;
    bool exact;
  } expected[] = {{"splash", 404, 286, true},  {"wait", 420, 48, true}, {"errors", 388, 366, false},
                  {"properties", 344, 380, false}, {"about", 434, 276, false},
                  {"options", 463, 331, false}, {"reset-path", 403, 260, false},
                  {"message-question", 280, 100, false}, {"folder", 640, 400, false}, {"open", 640, 440, false},
                  {"save", 640, 440, false}, {"font", 468, 386, false}};
  for (const Expected& e : expected) {
    platform::testing::Image image;
    std::string error;
    ASSERT_TRUE(platform::testing::LoadPng((out.path / (std::string(e.name) + ".png")).string(), &image, &error))
        << e.name << ": " << error;
    if (e.exact) {
      EXPECT_EQ(image.width, e.minWidth) << e.name;
      EXPECT_EQ(image.height, e.minHeight) << e.name;
    } else {
      // The client area inside the skin's frame.
      EXPECT_GT(image.width, e.minWidth) << e.name;
      EXPECT_GT(image.height, e.minHeight) << e.name;
    }
  }
}

TEST(SmallWindowsTool, RefusesABadCommandLine) {
  EXPECT_EQ(platform::testing::RunProgram({kTool}), 2);
  EXPECT_EQ(platform::testing::RunProgram({kTool, "--out"}), 2);
  EXPECT_EQ(platform::testing::RunProgram({kTool, "--page", "x"}), 2);
}

}  // namespace
