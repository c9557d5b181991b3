// control-gallery run as a child process: the sheet and window pictures it writes on the
// headless display, its refusals, the resources compiled into it, and, under Xvfb with the
// sdl display, a window on the X screen equal to its headless picture.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/testing/Pictures.h"
#include "platform/testing/Processes.h"
#include "platform/testing/Watchdog.h"
#include "platform/user/Icons.h"
#include "platform/user/WinUser.h"
#include "vcl/Application.h"
#include "vcl/Icon.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kGallery = std::string(BRANTWELL_BIN_DIR) + "/control-gallery";

// Starts a program (no shell) with extra environment entries; its process id, or -1.
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
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) return -1;
  return pid;
}

int Wait(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int RunTool(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {}) {
  const pid_t pid = Start(arguments, environment);
  return pid < 0 ? -1 : Wait(pid);
}

struct Scratch {
  fs::path path;
  explicit Scratch(const std::string& name)
      : path(fs::path(BRANTWELL_TEST_BIN_DIR) / (name + "-" + std::to_string(getpid()))) {
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~Scratch() { fs::remove_all(path); }
};

TEST(ControlGallery, WritesTheButtonsSheetAndItsWindow) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(240));
  Scratch folder("control-gallery");
  const fs::path sheet = folder.path / "buttons.png", window = folder.path / "window.png";
  ASSERT_EQ(RunTool({kGallery, "--page", "buttons", "--out", sheet.string(), "--window-out", window.string()}), 0);
  platform::testing::Image image;
  ASSERT_TRUE(platform::testing::LoadPng(sheet.string(), &image));
  EXPECT_EQ(image.width, 1000);
  EXPECT_GT(image.height, 100);
  ASSERT_TRUE(platform::testing::LoadPng(window.string(), &image));
  EXPECT_EQ(image.width, 580);
  EXPECT_EQ(image.height, 720);

  const fs::path plain = folder.path / "plain.png";
  ASSERT_EQ(RunTool({kGallery, "--page", "buttons", "--no-skin", "--out", plain.string()}), 0);
  EXPECT_TRUE(platform::testing::LoadPng(plain.string(), &image));
}

// The colour page with and without the skin: the skin's system colours give the sheet the
// skin's light face colour, the classic run the classic grey.
TEST(ControlGallery, WritesTheColoursSheetWithAndWithoutTheSkin) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(300));
  Scratch folder("control-gallery-colours");
  struct Case {
    const char* name;
    bool skinned;
    uint32_t face;
  };
  for (const Case& c : {Case{"colours.png", true, 0xF3F4F6}, Case{"colours-plain.png", false, 0xD4D0C8}}) {
    SCOPED_TRACE(c.name);
    const fs::path sheet = folder.path / c.name;
    std::vector<std::string> arguments{kGallery, "--page", "colours", "--out", sheet.string()};
    if (!c.skinned) arguments.push_back("--no-skin");
    ASSERT_EQ(RunTool(arguments), 0);
    platform::testing::Image image;
    ASSERT_TRUE(platform::testing::LoadPng(sheet.string(), &image));
    EXPECT_GT(image.height, 600) << "every section made its captures";
    int face = 0;
    for (uint32_t p : image.pixels) face += (p & 0xFFFFFF) == c.face;
    EXPECT_GT(face, 2000) << "the face colour fills the frames and samples";
  }
  EXPECT_EQ(RunTool({kGallery, "--page", "colours", "--open-dropdown", "--out", (folder.path / "x.png").string()}), 2);
}

TEST(ControlGallery, RefusesWhatItCannotDo) {
  Scratch folder("control-gallery-refusals");
  const std::string out = (folder.path / "x.png").string();
  EXPECT_EQ(RunTool({kGallery, "--page", "no-such-page", "--out", out}), 2);
  EXPECT_EQ(RunTool({kGallery, "--out"}), 2);
  EXPECT_EQ(RunTool({kGallery, "--window-out", out}), 2);
  EXPECT_EQ(RunTool({kGallery, "--colour"}), 2);
  EXPECT_FALSE(fs::exists(out));
  EXPECT_EQ(RunTool({kGallery, "--page", "buttons", "--out", (folder.path / "missing" / "x.png").string()}), 1);
}

// The cursors and the icon come compiled in: found by name, at their sizes and hot spots,
// and the application takes the icon as its own.
TEST(ControlGallery, CarriesTheProgramsCursorsAndIcon) {
  for (const char16_t* name : {u"ImageHandleUp", u"ImageHandleDown"}) {
    HCURSOR cursor = LoadCursorW(nullptr, name);
    ASSERT_NE(cursor, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 16u);
    EXPECT_EQ(info.yHotspot, 16u);
    BITMAP bitmap{};
    GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, 32);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
  }
  for (int size : {16, 32, 48}) {
    HANDLE icon = LoadImageW(nullptr, u"MAINICON", IMAGE_ICON, size, size, 0);
    ASSERT_NE(icon, nullptr) << size;
    DestroyIcon(static_cast<HICON>(icon));
  }
  EXPECT_FALSE(Application->Icon()->Empty());
  DoneApplication();
}

// An XWD picture of a window (24-bit depth, 32 bits a pixel) as 0x00RRGGBB pixels.
bool ReadXwd(const fs::path& path, platform::testing::Image* image) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (bytes.size() < 100) return false;
  auto field = [&](int index) {
    const size_t at = size_t(index) * 4;
    return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 | uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
  };
  const uint32_t headerSize = field(0), width = field(4), height = field(5), byteOrder = field(7),
                 bitsPerPixel = field(11), bytesPerLine = field(12), colours = field(19);
  if (bitsPerPixel != 32) return false;
  const size_t start = headerSize + size_t(colours) * 12;
  if (bytes.size() < start + size_t(bytesPerLine) * height) return false;
  image->width = static_cast<int>(width);
  image->height = static_cast<int>(height);
  image->pixels.clear();
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      const uint8_t* p = &bytes[start + size_t(y) * bytesPerLine + size_t(x) * 4];
      const uint32_t value = byteOrder == 0 ? uint32_t(p[0]) | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24
                                            : uint32_t(p[3]) | p[2] << 8 | p[1] << 16 | uint32_t(p[0]) << 24;
      image->pixels.push_back(value & 0xFFFFFF);
    }
  return true;
}

TEST(ControlGallery, UnderXvfbTheWindowEqualsItsHeadlessPicture) {
  if (access("/usr/bin/Xvfb", X_OK) != 0 || access("/usr/bin/xwd", X_OK) != 0)
    GTEST_SKIP() << "Xvfb or xwd is not installed: the check under X is skipped";
  platform::testing::Watchdog watchdog(std::chrono::seconds(360));
  Scratch folder("control-gallery-x");
  const fs::path sheet = folder.path / "sheet.png", headless = folder.path / "window.png", shown = folder.path / "x.xwd";
  ASSERT_EQ(RunTool({kGallery, "--page", "buttons", "--out", sheet.string(), "--window-out", headless.string()}), 0);

  platform::testing::ScopedXvfb server;
  const std::string display = server.Display();
  ASSERT_FALSE(display.empty()) << "Xvfb did not come up";
  const pid_t gallery = Start({kGallery, "--page", "buttons"}, {"DISPLAY=" + display, "BRANTWELL_DISPLAY=sdl"});
  ASSERT_GT(gallery, 0);
  // The window shows the sheet once every section has run; a loaded machine may take long.
  platform::testing::Image expected, actual;
  ASSERT_TRUE(platform::testing::LoadPng(headless.string(), &expected));
  bool same = false;
  std::string difference = "no window";
  for (int i = 0; i < 600 && !same; ++i) {
    std::this_thread::sleep_for(300ms);
    fs::remove(shown);
    if (RunTool({"/usr/bin/xwd", "-display", display, "-silent", "-name", "Brantwell control gallery - buttons", "-out",
             shown.string()}) != 0)
      continue;
    if (!ReadXwd(shown, &actual)) continue;
    for (uint32_t& p : expected.pixels) p &= 0xFFFFFF;
    const auto comparison = platform::testing::CompareImages(expected, actual);
    same = comparison.same;
    difference = comparison.message;
  }
  kill(gallery, SIGKILL);
  Wait(gallery);
  EXPECT_TRUE(same) << difference;
}

// The output of a program (no shell), or "" when it fails.
std::string Output(const std::vector<std::string>& arguments, const fs::path& scratch) {
  const fs::path out = scratch / "output.txt";
  std::vector<std::string> withRedirect = arguments;
  const pid_t pid = [&] {
    std::vector<char*> argv;
    for (auto& a : withRedirect) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t child = -1;
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0) child = -1;
    posix_spawn_file_actions_destroy(&actions);
    return child;
  }();
  if (pid < 0 || Wait(pid) != 0) return "";
  std::ifstream in(out);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Under X the open drop-down is an override-redirect window: the desktop neither decorates,
// places nor focuses it.
TEST(ControlGallery, UnderXvfbTheDropDownIsOverrideRedirect) {
  if (access("/usr/bin/Xvfb", X_OK) != 0 || access("/usr/bin/xwininfo", X_OK) != 0)
    GTEST_SKIP() << "Xvfb or xwininfo is not installed: the check under X is skipped";
  platform::testing::Watchdog watchdog(std::chrono::seconds(360));
  Scratch folder("control-gallery-dropdown");
  platform::testing::ScopedXvfb server;
  const std::string display = server.Display();
  ASSERT_FALSE(display.empty()) << "Xvfb did not come up";
  const pid_t gallery =
      Start({kGallery, "--page", "colours", "--open-dropdown"}, {"DISPLAY=" + display, "BRANTWELL_DISPLAY=sdl"});
  ASSERT_GT(gallery, 0);
  // A mapped override-redirect window that is not the gallery's own appears once the sheet
  // shows and the drop-down opens.
  bool found = false;
  for (int i = 0; i < 600 && !found; ++i) {
    std::this_thread::sleep_for(300ms);
    const std::string tree = Output({"/usr/bin/xwininfo", "-display", display, "-root", "-children"}, folder.path);
    size_t at = 0;
    while (!found && (at = tree.find("0x", at)) != std::string::npos) {
      const std::string id = tree.substr(at, tree.find_first_of(" \n", at) - at);
      at += id.size();
      // The root's parent is 0x0, which would make xwininfo wait for a window to be clicked.
      if (id == "0x0") continue;
      const std::string info = Output({"/usr/bin/xwininfo", "-display", display, "-id", id}, folder.path);
      found = info.find("Override Redirect State: yes") != std::string::npos &&
              info.find("Map State: IsViewable") != std::string::npos;
    }
  }
  kill(gallery, SIGKILL);
  Wait(gallery);
  EXPECT_TRUE(found) << "no override-redirect window showed";
}

}  // namespace

// --photos shows that folder's pictures in the lists page's photo view; a path that is no
// folder is refused.
TEST(ControlGallery, ListsPageShowsTheFolderGivenWithPhotos) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(240));
  Scratch folder("control-gallery-photos");
  const fs::path photos = folder.path / "photos";
  fs::create_directories(photos);
  platform::testing::Image picture;
  picture.width = 200;
  picture.height = 150;
  picture.pixels.assign(size_t(200) * 150, 0xFF3366CC);
  std::string error;
  ASSERT_TRUE(platform::testing::SavePng(picture, (photos / "blue.png").string(), &error)) << error;
  const fs::path sheet = folder.path / "lists.png";
  ASSERT_EQ(RunTool({kGallery, "--page", "lists", "--out", sheet.string(), "--photos", photos.string()}), 0);
  platform::testing::Image image;
  ASSERT_TRUE(platform::testing::LoadPng(sheet.string(), &image));
  int blue = 0;
  for (uint32_t p : image.pixels) blue += (p & 0xFFFFFF) == 0x3366CC;
  EXPECT_GE(blue, 120 * 90) << "the picture's 120 x 90 thumbnail in the photo view";
  EXPECT_EQ(RunTool({kGallery, "--page", "lists", "--out", sheet.string(), "--photos", (folder.path / "none").string()}), 2);
}
