// skin-demo run as a child process: the pictures it saves from synthetic input on the
// headless display, with none of the classic frame's colours; and, under Xvfb with the sdl
// display, one window with its title and a task-bar button, its hint without one.

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/testing/Pictures.h"
#include "platform/testing/Processes.h"
#include "platform/testing/Watchdog.h"
#include "platform/user/WinUser.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kDemo = std::string(BRANTWELL_BIN_DIR) + "/skin-demo";

// Starts a program with extra environment entries; its process id, or -1.
pid_t Start(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {}) {
  std::vector<char*> argv;
  for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<std::string> env = environment;
  for (char** e = environ; *e; ++e) {
    const std::string entry(*e);
    bool replaced = false;
    for (const auto& own : environment)
      if (entry.substr(0, entry.find('=') + 1) == own.substr(0, own.find('=') + 1)) replaced = true;
    if (!replaced) env.push_back(entry);
  }
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) return -1;
  return pid;
}

int Wait(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int RunProgram(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {}) {
  const pid_t pid = Start(arguments, environment);
  return pid < 0 ? -1 : Wait(pid);
}

// The standard output of a command line run through popen (only our own fixed commands).
std::string Output(const std::string& command) {
  std::string text;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    while (size_t n = fread(buffer, 1, sizeof(buffer), pipe)) text.append(buffer, n);
    pclose(pipe);
  }
  return text;
}

uint32_t Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

TEST(SkinDemo, SavesEveryLookWithoutTheClassicFrameColours) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(120));
  const fs::path folder = fs::path(BRANTWELL_TEST_BIN_DIR) / ("skin-demo-" + std::to_string(getpid()));
  fs::remove_all(folder);
  ASSERT_EQ(RunProgram({kDemo, "--screenshot", folder.string()}, {"BRANTWELL_DISPLAY=headless"}), 0);
  const uint32_t classic[] = {Rgb(GetSysColor(COLOR_ACTIVECAPTION)), Rgb(GetSysColor(COLOR_INACTIVECAPTION)),
                              Rgb(GetSysColor(COLOR_BTNFACE))};
  std::map<std::string, platform::testing::Image> pictures;
  for (const char* name : {"active.png", "inactive.png", "close-hot.png", "scrolled.png", "maximized.png", "hint.png"}) {
    platform::testing::Image image;
    ASSERT_TRUE(platform::testing::LoadPng((folder / name).string(), &image)) << name;
    pictures[name] = image;
    int found = 0;
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x) {
        // The system-menu icon is the stock application icon.
        if (x < 26 && y < 24) continue;
        for (uint32_t colour : classic) found += (image.At(x, y) & 0xFFFFFF) == colour;
      }
    EXPECT_EQ(found, 0) << name << " shows classic frame colours";
  }
  EXPECT_EQ(pictures["active.png"].width, 640);
  EXPECT_EQ(pictures["active.png"].height, 440);
  EXPECT_GT(pictures["maximized.png"].width, 640);
  const auto& active = pictures["active.png"];
  const auto& hot = pictures["close-hot.png"];
  EXPECT_NE(active.At(active.width - 16, 12), hot.At(hot.width - 16, 12)) << "the close button lights up";
  EXPECT_NE(platform::testing::CompareImages(active, pictures["inactive.png"]).same, true) << "the caption dims";
  EXPECT_NE(platform::testing::CompareImages(active, pictures["scrolled.png"]).same, true) << "the view scrolled";
  fs::remove_all(folder);
  EXPECT_EQ(RunProgram({kDemo, "--screenshot"}), 2);
  EXPECT_EQ(RunProgram({kDemo, "--size"}), 2);
}

TEST(SkinDemo, UnderXvfbItIsOneTaskBarWindowAndItsHintIsNot) {
  if (access("/usr/bin/Xvfb", X_OK) != 0 || access("/usr/bin/xprop", X_OK) != 0)
    GTEST_SKIP() << "Xvfb or xprop is not installed: the check under X is skipped";
  platform::testing::Watchdog watchdog(std::chrono::seconds(150));
  platform::testing::ScopedXvfb server;
  const std::string display = server.Display();
  ASSERT_FALSE(display.empty()) << "Xvfb did not come up";
  const pid_t demo = Start({kDemo, "--show-hint"}, {"DISPLAY=" + display, "BRANTWELL_DISPLAY=sdl"});
  ASSERT_GT(demo, 0);
  auto properties = [&](const std::string& name) {
    return Output("/usr/bin/xprop -display " + display + " -name '" + name + "' WM_NAME _NET_WM_STATE 2>&1");
  };
  std::string form, hint;
  // A loaded machine (or a sanitized build) may take many seconds to show the two windows.
  for (int i = 0; i < 500; ++i) {
    form = properties("Brantwell skin demo");
    hint = properties("Close");
    if (form.find("WM_NAME") != std::string::npos && form.find("No window") == std::string::npos &&
        hint.find("SKIP_TASKBAR") != std::string::npos)
      break;
    std::this_thread::sleep_for(100ms);
  }
  // The display layer turns SIGTERM into a quit request the demo may not be reading yet.
  kill(demo, SIGKILL);
  Wait(demo);
  EXPECT_NE(form.find("\"Brantwell skin demo\""), std::string::npos) << form;
  EXPECT_EQ(form.find("SKIP_TASKBAR"), std::string::npos) << "the form has a task-bar button: " << form;
  EXPECT_NE(hint.find("_NET_WM_STATE_SKIP_TASKBAR"), std::string::npos) << "the hint has none: " << hint;
}

}  // namespace
