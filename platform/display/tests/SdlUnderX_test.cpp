// The sdl backend inside Xvfb, checked from outside with xprop: each window's title, icon and
// task-bar flag as the desktop sees them, a changed task-bar button, and the work area the
// desktop's panels leave; and a window dragged by its body with the X server's own pointer
// (the XTEST extension, opened at run time), checked with xwininfo; and a minimised window
// iconified on the desktop and restored, and a maximised topmost pop-up made full screen and
// back, as the requests to the desktop's window manager on
// the root window show. Skipped with a message where Xvfb or xprop is missing.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
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

// A visible popup of one colour at (100, 100), 300 x 200, of a class of its own.
HWND PlainPopup(WNDPROC proc, const char16_t* className, COLORREF color, const char16_t* title) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = proc;
  wc.lpszClassName = className;
  wc.hbrBackground = CreateSolidBrush(color);
  RegisterClassW(&wc);
  return CreateWindowExW(0, className, title, WS_POPUP | WS_VISIBLE, 100, 100, 300, 200, nullptr, nullptr, nullptr,
                         nullptr);
}

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

  HWND main = PlainPopup(Proc, u"SdlUnderX", RGB(0, 128, 0), u"Brantwell main \u00e9");
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

// The X pointer driven through the XTEST extension on a connection of its own (libX11 and
// libXtst opened at run time, so the tests need neither at build time).
class XPointer {
 public:
  XPointer() {
    m_x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    m_xtst = m_x11 ? dlopen("libXtst.so.6", RTLD_NOW | RTLD_LOCAL) : nullptr;
    if (!m_xtst) return;
    m_open = reinterpret_cast<void* (*)(const char*)>(dlsym(m_x11, "XOpenDisplay"));
    m_close = reinterpret_cast<int (*)(void*)>(dlsym(m_x11, "XCloseDisplay"));
    m_sync = reinterpret_cast<int (*)(void*, int)>(dlsym(m_x11, "XSync"));
    m_motion = reinterpret_cast<int (*)(void*, int, int, int, unsigned long)>(dlsym(m_xtst, "XTestFakeMotionEvent"));
    m_button = reinterpret_cast<int (*)(void*, unsigned, int, unsigned long)>(dlsym(m_xtst, "XTestFakeButtonEvent"));
    if (m_open && m_close && m_sync && m_motion && m_button) m_display = m_open(nullptr);
  }
  ~XPointer() {
    if (m_display) m_close(m_display);
    if (m_xtst) dlclose(m_xtst);
    if (m_x11) dlclose(m_x11);
  }
  bool Usable() const { return m_display != nullptr; }
  void MoveTo(int x, int y) {
    m_motion(m_display, -1, x, y, 0);
    m_sync(m_display, 0);
  }
  void Button(bool down) {
    m_button(m_display, 1, down ? 1 : 0, 0);
    m_sync(m_display, 0);
  }

 private:
  void* m_x11 = nullptr;
  void* m_xtst = nullptr;
  void* m_display = nullptr;
  void* (*m_open)(const char*) = nullptr;
  int (*m_close)(void*) = nullptr;
  int (*m_sync)(void*, int) = nullptr;
  int (*m_motion)(void*, int, int, int, unsigned long) = nullptr;
  int (*m_button)(void*, unsigned, int, unsigned long) = nullptr;
};

// Where the X server has the window whose name is `title` ("Absolute upper-left" of xwininfo).
POINT XWindowPlace(const std::string& title) {
  std::string out;
  RunProgram({"xwininfo", "-name", title}, {}, &out);
  POINT p{-1, -1};
  const size_t x = out.find("Absolute upper-left X:"), y = out.find("Absolute upper-left Y:");
  if (x != std::string::npos) p.x = std::atoi(out.c_str() + x + 22);
  if (y != std::string::npos) p.y = std::atoi(out.c_str() + y + 22);
  return p;
}

// A window dragged by its body: a press on the client area answered as a caption press
// (capture released, WM_NCLBUTTONDOWN with HTCAPTION and no point).
std::vector<POINT> g_places;

LRESULT DragByBodyProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_LBUTTONDOWN) {
    ReleaseCapture();
    SendMessageW(h, WM_NCLBUTTONDOWN, HTCAPTION, 0);
    return 0;
  }
  if (m == WM_MOVE) {
    RECT r{};
    GetWindowRect(h, &r);
    g_places.push_back(POINT{r.left, r.top});
  }
  return DefWindowProcW(h, m, w, l);
}

TEST(SdlUnderXChild, APressOnTheBodyDragsTheWindow) {
  if (!getenv("BRANTWELL_SDL_X_CHILD")) GTEST_SKIP() << "the X half of SdlUnderX";
  XPointer pointer;
  if (!pointer.Usable()) GTEST_SKIP() << "the XTEST extension or libXtst is missing: the drag under X is skipped";
  std::string error;
  ASSERT_TRUE(platform::display::StartDisplay(&error)) << error;
  HWND hwnd = PlainPopup(DragByBodyProc, u"SdlDragByBody", RGB(0, 0, 200), u"Brantwell dragged");
  ASSERT_TRUE(pt::RunUntilIdle());
  pt::RunUntil([] { return false; }, 300);
  ASSERT_EQ(XWindowPlace("Brantwell dragged").x, 100);
  g_places.clear();

  // The pointer's gesture runs beside the message loop, as a user's hand would: the press
  // starts the move loop inside its dispatch, and the loop reads the rest.
  std::atomic<bool> released{false};
  std::thread hand([&] {
    const auto pause = std::chrono::milliseconds(12);
    pointer.MoveTo(250, 200);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    pointer.Button(true);
    for (int step = 1; step <= 30; ++step) {
      std::this_thread::sleep_for(pause);
      pointer.MoveTo(250 + step * 5, 200 + step * 3);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    pointer.Button(false);
    released = true;
  });
  pt::RunUntil([&] { return released.load() && GetCapture() == nullptr; }, 10000);
  hand.join();
  pt::RunUntil([] { return false; }, 300);

  RECT r{};
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 250);
  EXPECT_EQ(r.top, 190);
  const POINT shown = XWindowPlace("Brantwell dragged");
  EXPECT_EQ(shown.x, 250) << "where the X server shows it";
  EXPECT_EQ(shown.y, 190);
  // It follows the pointer without overshooting or stepping back.
  ASSERT_FALSE(g_places.empty());
  for (size_t i = 1; i < g_places.size(); ++i) {
    EXPECT_GE(g_places[i].x, g_places[i - 1].x) << "move " << i;
    EXPECT_GE(g_places[i].y, g_places[i - 1].y) << "move " << i;
    EXPECT_LE(g_places[i].x, 250) << "move " << i;
    EXPECT_LE(g_places[i].y, 190) << "move " << i;
  }
  DestroyWindow(hwnd);
  pt::RunUntilIdle();
  platform::display::StopDisplay();
}

// The requests clients send to the desktop's window manager (client messages to the root
// window), read on a connection of its own; libX11 is opened at run time, and the few shapes
// of its interface used here are declared as the protocol lays them out (Xlib's header would
// bring its macros into the program's own names).
class RootRequests {
 public:
  using XWindowId = unsigned long;
  struct ClientMessageEvent {
    int type;
    unsigned long serial;
    int sendEvent;
    void* display;
    XWindowId window;
    unsigned long messageType;
    int format;
    long data[5];
  };
  union Event {
    int type;
    ClientMessageEvent client;
    long pad[24];
  };
  static constexpr int kClientMessage = 33;
  static constexpr long kSubstructureNotifyMask = 1L << 19;
  static constexpr long kIconicState = 3;

  RootRequests() {
    m_x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (!m_x11) return;
    auto open = reinterpret_cast<void* (*)(const char*)>(dlsym(m_x11, "XOpenDisplay"));
    m_close = reinterpret_cast<int (*)(void*)>(dlsym(m_x11, "XCloseDisplay"));
    auto select = reinterpret_cast<int (*)(void*, XWindowId, long)>(dlsym(m_x11, "XSelectInput"));
    auto root = reinterpret_cast<XWindowId (*)(void*)>(dlsym(m_x11, "XDefaultRootWindow"));
    m_sync = reinterpret_cast<int (*)(void*, int)>(dlsym(m_x11, "XSync"));
    m_pending = reinterpret_cast<int (*)(void*)>(dlsym(m_x11, "XPending"));
    m_next = reinterpret_cast<int (*)(void*, Event*)>(dlsym(m_x11, "XNextEvent"));
    m_fetchName = reinterpret_cast<int (*)(void*, XWindowId, char**)>(dlsym(m_x11, "XFetchName"));
    m_atomName = reinterpret_cast<char* (*)(void*, unsigned long)>(dlsym(m_x11, "XGetAtomName"));
    m_free = reinterpret_cast<int (*)(void*)>(dlsym(m_x11, "XFree"));
    m_map = reinterpret_cast<int (*)(void*, XWindowId)>(dlsym(m_x11, "XMapWindow"));
    m_unmap = reinterpret_cast<int (*)(void*, XWindowId)>(dlsym(m_x11, "XUnmapWindow"));
    m_internAtom = reinterpret_cast<unsigned long (*)(void*, const char*, int)>(dlsym(m_x11, "XInternAtom"));
    m_changeProperty = reinterpret_cast<int (*)(void*, XWindowId, unsigned long, unsigned long, int, int,
                                                const unsigned char*, int)>(dlsym(m_x11, "XChangeProperty"));
    if (!open || !m_close || !select || !root || !m_sync || !m_pending || !m_next || !m_fetchName || !m_atomName ||
        !m_free || !m_map || !m_unmap || !m_internAtom || !m_changeProperty)
      return;
    m_display = open(nullptr);
    if (m_display) {
      select(m_display, root(m_display), kSubstructureNotifyMask);
      m_sync(m_display, 0);
    }
  }
  ~RootRequests() {
    if (m_display) m_close(m_display);
    if (m_x11) dlclose(m_x11);
  }
  bool Usable() const { return m_display != nullptr; }

  struct Request {
    std::string type;  // the message's atom: "WM_CHANGE_STATE", "_NET_ACTIVE_WINDOW" ...
    long first = 0;    // its first datum
    XWindowId window = 0;
  };
  // What a window manager does to iconify a window (mark it hidden, unmap it) and to bring it
  // back (clear the mark; map it unless its client mapped it already).
  void Iconify(XWindowId window) {
    SetHidden(window, true);
    m_unmap(m_display, window);
    m_sync(m_display, 0);
  }
  void Deiconify(XWindowId window, bool map) {
    SetHidden(window, false);
    if (map) m_map(m_display, window);
    m_sync(m_display, 0);
  }
  // The requests about the window named `title` that arrived since the last call.
  std::vector<Request> Take(const std::string& title) {
    std::vector<Request> found;
    m_sync(m_display, 0);
    while (m_pending(m_display) > 0) {
      Event event{};
      m_next(m_display, &event);
      if (event.type != kClientMessage) continue;
      char* name = nullptr;
      const bool ours = m_fetchName(m_display, event.client.window, &name) && name && title == name;
      if (name) m_free(name);
      if (!ours) continue;
      char* type = m_atomName(m_display, event.client.messageType);
      found.push_back({type ? type : "", event.client.data[0], event.client.window});
      if (type) m_free(type);
    }
    return found;
  }

 private:
  void* m_x11 = nullptr;
  void* m_display = nullptr;
  int (*m_close)(void*) = nullptr;
  int (*m_sync)(void*, int) = nullptr;
  int (*m_pending)(void*) = nullptr;
  int (*m_next)(void*, Event*) = nullptr;
  int (*m_fetchName)(void*, XWindowId, char**) = nullptr;
  char* (*m_atomName)(void*, unsigned long) = nullptr;
  int (*m_free)(void*) = nullptr;
  int (*m_map)(void*, XWindowId) = nullptr;
  int (*m_unmap)(void*, XWindowId) = nullptr;
  unsigned long (*m_internAtom)(void*, const char*, int) = nullptr;
  int (*m_changeProperty)(void*, XWindowId, unsigned long, unsigned long, int, int, const unsigned char*, int) = nullptr;

  void SetHidden(XWindowId window, bool hidden) {
    constexpr unsigned long kAtomType = 4;  // XA_ATOM
    constexpr int kReplace = 0;
    const unsigned long state = m_internAtom(m_display, "_NET_WM_STATE", 0);
    const long hiddenAtom = static_cast<long>(m_internAtom(m_display, "_NET_WM_STATE_HIDDEN", 0));
    m_changeProperty(m_display, window, state, kAtomType, 32, kReplace, reinterpret_cast<const unsigned char*>(&hiddenAtom),
                     hidden ? 1 : 0);
  }
};

bool Asked(const std::vector<RootRequests::Request>& requests, const std::string& type, long first = -1) {
  return std::any_of(requests.begin(), requests.end(),
                     [&](const auto& r) { return r.type == type && (first == -1 || r.first == first); });
}

// Whether the X server shows the window named `title` ("Map State" of xwininfo).
bool XWindowViewable(const std::string& title) {
  std::string out;
  RunProgram({"xwininfo", "-name", title}, {}, &out);
  return Has(out, "Map State: IsViewable");
}

// Minimising asks the desktop to iconify the window, which keeps its place meanwhile (the
// window manager's parking place is ours alone); restoring brings it back and activates it.
// The desktop iconifying and restoring the window (from its task bar, say) minimises and
// restores it. This desktop has no window manager: the test does its part, unmapping and
// mapping the window.
TEST(SdlUnderXChild, AMinimisedWindowIsIconifiedAndRestored) {
  if (!getenv("BRANTWELL_SDL_X_CHILD")) GTEST_SKIP() << "the X half of SdlUnderX";
  pt::Watchdog watchdog(std::chrono::seconds(60));
  RootRequests requests;
  if (!requests.Usable()) GTEST_SKIP() << "libX11 cannot be opened: the iconify checks under X are skipped";
  std::string error;
  ASSERT_TRUE(platform::display::StartDisplay(&error)) << error;
  const std::string title = "Brantwell iconified";
  HWND hwnd = PlainPopup(Proc, u"SdlIconified", RGB(200, 0, 0), u"Brantwell iconified");
  ASSERT_TRUE(pt::RunUntilIdle());
  pt::RunUntil([] { return false; }, 300);
  requests.Take(title);
  auto settle = [] {
    pt::RunUntilIdle();
    pt::RunUntil([] { return false; }, 300);
  };

  ShowWindow(hwnd, SW_MINIMIZE);
  settle();
  EXPECT_TRUE(IsIconic(hwnd));
  const auto minimised = requests.Take(title);
  ASSERT_TRUE(Asked(minimised, "WM_CHANGE_STATE", RootRequests::kIconicState)) << minimised.size() << " requests";
  const RootRequests::XWindowId window = minimised.front().window;
  const POINT parked = XWindowPlace(title);
  EXPECT_EQ(parked.x, 100) << "the desktop's window stays where it was, not at the parking place";
  EXPECT_EQ(parked.y, 100);
  requests.Iconify(window);  // the window manager does as asked
  settle();
  EXPECT_TRUE(IsIconic(hwnd)) << "the desktop's report of our own iconifying changes nothing";

  ShowWindow(hwnd, SW_RESTORE);
  settle();
  EXPECT_FALSE(IsIconic(hwnd));
  EXPECT_TRUE(XWindowViewable(title));
  requests.Deiconify(window, false);  // the window manager sees it mapped again
  settle();
  EXPECT_FALSE(IsIconic(hwnd));
  const auto restored = requests.Take(title);
  EXPECT_TRUE(Asked(restored, "_NET_ACTIVE_WINDOW")) << restored.size() << " requests";
  EXPECT_FALSE(Asked(restored, "WM_CHANGE_STATE", RootRequests::kIconicState));
  const POINT back = XWindowPlace(title);
  EXPECT_EQ(back.x, 100);
  EXPECT_EQ(back.y, 100);

  // From the desktop's side.
  requests.Iconify(window);
  EXPECT_TRUE(pt::RunUntil([&] { return IsIconic(hwnd) != FALSE; }, 5000)) << "the desktop iconified it";
  requests.Deiconify(window, true);
  EXPECT_TRUE(pt::RunUntil([&] { return !IsIconic(hwnd); }, 5000)) << "the desktop restored it";
  settle();
  EXPECT_TRUE(XWindowViewable(title));
  const POINT again = XWindowPlace(title);
  EXPECT_EQ(again.x, 100);
  EXPECT_EQ(again.y, 100);

  DestroyWindow(hwnd);
  pt::RunUntilIdle();
  platform::display::StopDisplay();
}

// A maximised topmost pop-up without a frame (a player shown full screen) asks the desktop for
// its full-screen state, and gives it up when restored.
TEST(SdlUnderXChild, AMaximisedTopmostPopupIsFullScreen) {
  if (!getenv("BRANTWELL_SDL_X_CHILD")) GTEST_SKIP() << "the X half of SdlUnderX";
  pt::Watchdog watchdog(std::chrono::seconds(60));
  RootRequests requests;
  if (!requests.Usable()) GTEST_SKIP() << "libX11 cannot be opened: the full-screen checks under X are skipped";
  std::string error;
  ASSERT_TRUE(platform::display::StartDisplay(&error)) << error;
  const std::string title = "Brantwell full screen";
  HWND hwnd = PlainPopup(Proc, u"SdlFullScreen", RGB(0, 0, 200), u"Brantwell full screen");
  auto settle = [] {
    pt::RunUntilIdle();
    pt::RunUntil([] { return false; }, 300);
  };
  settle();
  requests.Take(title);

  ShowWindow(hwnd, SW_MAXIMIZE);
  SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 1280, 800, SWP_NOACTIVATE);
  settle();
  const auto entered = requests.Take(title);
  EXPECT_TRUE(Asked(entered, "_NET_WM_STATE", 1)) << entered.size() << " requests";

  ShowWindow(hwnd, SW_RESTORE);
  SetWindowPos(hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  settle();
  const auto left = requests.Take(title);
  EXPECT_TRUE(Asked(left, "_NET_WM_STATE", 0)) << left.size() << " requests";
  const POINT back = XWindowPlace(title);
  EXPECT_EQ(back.x, 100);
  EXPECT_EQ(back.y, 100);

  DestroyWindow(hwnd);
  pt::RunUntilIdle();
  platform::display::StopDisplay();
}

}  // namespace
