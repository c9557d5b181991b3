#include "platform/kernel/Debugger.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

TEST(Debugger, TracerPidOfTheStatusText) {
  struct Case {
    const char* text;
    bool traced;
  };
  const Case cases[] = {
      {"Name:\tbrantwell\nState:\tS (sleeping)\nTracerPid:\t0\nUid:\t0\n", false},
      {"Name:\tbrantwell\nTracerPid:\t4711\nUid:\t0\n", true},
      {"TracerPid:\t12", true},          // last line without a line end
      {"Name:\tx\nUid:\t0\n", false},    // no such field
      {"TracerPid:\tabc\n", false},      // not a number
      {"XTracerPid:\t5\nTracerPid:\t0\n", false},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::detail::StatusNamesTracer(c.text), c.traced) << c.text;
}

TEST(Debugger, ReadsTheStatusFileItIsPointedAt) {
  const auto path = std::filesystem::temp_directory_path() / ("debugger-status-" + std::to_string(::getpid()));
  std::ofstream(path) << "Name:\ttest\nTracerPid:\t321\n";
  platform::detail::SetDebuggerStatusFile(path.string());
  EXPECT_TRUE(IsDebuggerPresent());
  // A status file that cannot be read names no tracer.
  platform::detail::SetDebuggerStatusFile((path.string() + ".missing"));
  EXPECT_FALSE(IsDebuggerPresent());
  platform::detail::SetDebuggerStatusFile("");
  std::filesystem::remove(path);
  // The tests do not run under a debugger.
  if (std::getenv("BRANTWELL_UNDER_DEBUGGER") == nullptr) EXPECT_FALSE(IsDebuggerPresent());
}

}  // namespace
