// The sdl backend inside Xvfb, checked from outside with xprop: each window's title, icon and
// task-bar flag as the desktop sees them, a changed task-bar button, and the work area the
// desktop's panels leave. Skipped with a message where Xvfb or xprop is missing.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/display/Display.h"
#include "platform/gdi/WinGdi.h"
#include "platform/testing/Synthetic.h"
#include "platform/testing/Watchdog.h"
#include "platform/user/Monitors.h"
#include "platform/user/Taskbar.h"
#include "platform/user/WinUser.h"

extern char** environ;

namespace {

namespace pt = platform::testing;

bool OnPath(const char* program) {
  const char* path = getenv("PATH");
  std::string all = path ? path : "";
  size_t start = 0;
  while (start <= all.size()) {
    const size_t end = all.find(':', start);
    const std::string dir = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return false;
}

// Runs a program by its argument vector; its standard output goes to `output` when given.
bool RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv,
                std::string* output = nullptr) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  for (const std::string& e : extraEnv) env.push_back(e);
  std::vector<char*> envp;
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  const std::string outFile = std::string(BRANTWELL_TEST_BIN_DIR) + "/sdl-under-x-" + std::to_string(getpid()) + ".txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (output) posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  if (output) {
    std::ifstream in(outFile);
    std::ostringstream text;
    text << in.rdbuf();
    *output = text.str();
    std::remove(outFile.c_str());
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The properties of the X window whose name is `title`.
std::string WindowProperties(const std::string& title) {
  std::string out;
  RunProgram({"xprop", "-name", title}, {}, &out);
  return out;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(SdlUnderX, TitleIconTaskbarAndWorkArea) {
  if (getenv("BRANTWELL_SDL_X_CHILD")) GTEST_SKIP() << "runs the child half only";
  if (!OnPath("xvfb-run") || !OnPath("Xvfb")) GTEST_SKIP() << "Xvfb is missing: the sdl checks under X are skipped";
  if (!OnPath("xprop")) GTEST_SKIP() << "xprop (x11-utils) is missing: the sdl checks under X are skipped";
  pt::Watchdog watchdog(std::chrono::seconds(120));
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(n, 0);
  self[n] = 0;
  EXPECT_TRUE(RunProgram({"xvfb-run", "-a", "-s", "-screen 0 1280x800x24", self,
                          "--gtest_filter=SdlUnderXChild.*"},
                         {"BRANTWELL_DISPLAY=sdl", "BRANTWELL_SDL_X_CHILD=1"}))
      << "the checks under Xvfb failed (their output is above)";
}

LRESULT Proc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

TEST(SdlUnderXChild, Checks) {
  if (!getenv("BRANTWELL_SDL_X_CHILD")) GTEST_SKIP() << "the X half of SdlUnderX";
  std::string error;
  ASSERT_TRUE(platform::display::StartDisplay(&error)) << error;
  ASSERT_EQ(platform::display::ActiveBackend(), platform::display::Backend::Sdl);
  // A panel along the top of the screen, as a desktop would announce it. (Set while our
  // connection is open: Xvfb forgets the root's properties when its last client leaves.)
  ASSERT_TRUE(RunProgram({"xprop", "-root", "-f", "_NET_WORKAREA", "32c", "-set", "_NET_WORKAREA", "0, 30, 1280, 770"},
                         {}));
  RECT work{};
  pt::RunUntil([&] { return SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) && work.top == 30; }, 5000);
  EXPECT_EQ(work.top, 30) << "the work area comes from the display's usable bounds";
  EXPECT_EQ(work.bottom, 800);

  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.lpszClassName = u"SdlUnderX";
  wc.hbrBackground = CreateSolidBrush(RGB(0, 128, 0));
  RegisterClassW(&wc);
  HWND main = CreateWindowExW(0, u"SdlUnderX", u"Brantwell main \u00e9", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200,
                              nullptr, nullptr, nullptr, nullptr);
  SetWindowRgn(main, CreateRoundRectRgn(0, 0, 301, 201, 20, 20), TRUE);
  SendMessageW(main, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(LoadIconW(nullptr, IDI_APPLICATION)));
  HWND hint = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, u"SdlUnderX", u"Brantwell hint", WS_POPUP | WS_VISIBLE,
                              150, 150, 80, 20, main, nullptr, nullptr, nullptr);
  ASSERT_TRUE(pt::RunUntilIdle());
  pt::RunUntil([] { return false; }, 300);

  const std::string mainProps = WindowProperties("Brantwell main \u00e9");
  EXPECT_TRUE(Has(mainProps, "_NET_WM_NAME(UTF8_STRING) = \"Brantwell main \u00e9\"")) << mainProps;
  EXPECT_TRUE(Has(mainProps, "_NET_WM_ICON(CARDINAL)")) << "the icon of WM_SETICON\n" << mainProps;
  EXPECT_FALSE(Has(mainProps, "_NET_WM_STATE_SKIP_TASKBAR")) << mainProps;
  const std::string hintProps = WindowProperties("Brantwell hint");
  EXPECT_TRUE(Has(hintProps, "_NET_WM_STATE_SKIP_TASKBAR")) << hintProps;

  // The task-bar button goes: the SDL window is made again with the flag, title and icon.
  platform::SetTaskbarButton(main, false);
  SetWindowTextW(main, u"Brantwell renamed");
  ASSERT_TRUE(pt::RunUntilIdle());
  pt::RunUntil([] { return false; }, 300);
  const std::string renamed = WindowProperties("Brantwell renamed");
  EXPECT_TRUE(Has(renamed, "_NET_WM_STATE_SKIP_TASKBAR")) << renamed;
  EXPECT_TRUE(Has(renamed, "_NET_WM_ICON(CARDINAL)")) << renamed;

  DestroyWindow(hint);
  DestroyWindow(main);
  pt::RunUntilIdle();
  platform::display::StopDisplay();
}

}  // namespace
