// A small window of the kind the program is made of, driven by synthetic input: a caption
// frame, a line of text, two push buttons and a scrolling list of chapters.

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/display/Display.h"
#include "platform/gdi/WinGdi.h"
#include "platform/testing/Synthetic.h"
#include "platform/user/ScrollBars.h"
#include "platform/user/WinUser.h"

extern char** environ;

namespace pt = platform::testing;

namespace {

constexpr int kAddId = 101, kClearId = 102;
constexpr int kLineHeight = 20;
constexpr COLORREF kFace = RGB(212, 208, 200);

void Fill(HDC dc, RECT r, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

// A classic two-line edge: raised, or sunken while pressed.
void Edge(HDC dc, RECT r, bool sunken) {
  const COLORREF white = RGB(255, 255, 255), light = kFace, shadow = RGB(128, 128, 128), dark = RGB(64, 64, 64);
  const COLORREF outer[2] = {sunken ? dark : white, sunken ? white : dark};
  const COLORREF inner[2] = {sunken ? shadow : light, sunken ? light : shadow};
  for (const COLORREF* pair : {outer, inner}) {
    Fill(dc, RECT{r.left, r.top, r.right - 1, r.top + 1}, pair[0]);
    Fill(dc, RECT{r.left, r.top, r.left + 1, r.bottom - 1}, pair[0]);
    Fill(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, pair[1]);
    Fill(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, pair[1]);
    InflateRect(&r, -1, -1);
  }
}

HFONT UiFont() {
  static HFONT font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Tahoma");
  return font;
}

void Text(HDC dc, const std::u16string& text, RECT r, UINT format, COLORREF color) {
  HGDIOBJ old = SelectObject(dc, UiFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, color);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
}

std::u16string TextOf(HWND hwnd) {
  char16_t buffer[256];
  const int n = GetWindowTextW(hwnd, buffer, 256);
  return std::u16string(buffer, n);
}

LRESULT ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT r;
      GetClientRect(hwnd, &r);
      const bool pressed = GetPropW(hwnd, u"pressed") != nullptr;
      Fill(dc, r, kFace);
      Edge(dc, r, pressed);
      if (pressed) OffsetRect(&r, 1, 1);
      Text(dc, TextOf(hwnd), r, DT_CENTER | DT_VCENTER, RGB(0, 0, 0));
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
      SetCapture(hwnd);
      SetPropW(hwnd, u"pressed", reinterpret_cast<HANDLE>(1));
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_LBUTTONUP: {
      if (GetCapture() != hwnd) return 0;
      ReleaseCapture();
      RemovePropW(hwnd, u"pressed");
      InvalidateRect(hwnd, nullptr, FALSE);
      RECT r;
      GetClientRect(hwnd, &r);
      const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (PtInRect(&r, p))
        SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetWindowLongPtrW(hwnd, GWLP_ID), 0),
                     reinterpret_cast<LPARAM>(hwnd));
      return 0;
    }
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

LRESULT LabelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_PAINT) return DefWindowProcW(hwnd, msg, wParam, lParam);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT r;
  GetClientRect(hwnd, &r);
  Text(dc, TextOf(hwnd), r, DT_LEFT | DT_VCENTER, RGB(0, 0, 0));
  EndPaint(hwnd, &ps);
  return 0;
}

// The list keeps its line count in GWLP_USERDATA and scrolls by pixels.
int LineCount(HWND list) { return static_cast<int>(GetWindowLongPtrW(list, GWLP_USERDATA)); }

void UpdateListScrollBar(HWND list) {
  RECT r;
  GetClientRect(list, &r);
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE, 0, std::max(0, LineCount(list) * kLineHeight - 1),
                  static_cast<UINT>(r.bottom), 0, 0};
  SetScrollInfo(list, SB_VERT, &info, TRUE);
}

void ScrollListTo(HWND list, int pos) {
  const int old = GetScrollPos(list, SB_VERT);
  SetScrollPos(list, SB_VERT, pos, TRUE);
  const int now = GetScrollPos(list, SB_VERT);
  if (now != old) ScrollWindowEx(list, 0, old - now, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
}

LRESULT ListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      const int top = GetScrollPos(hwnd, SB_VERT);
      RECT client;
      GetClientRect(hwnd, &client);
      for (int i = 0; i < LineCount(hwnd); ++i) {
        RECT line{0, i * kLineHeight - top, client.right, (i + 1) * kLineHeight - top};
        if (line.bottom < ps.rcPaint.top || line.top > ps.rcPaint.bottom) continue;
        if (i % 2) Fill(dc, line, RGB(236, 240, 248));
        line.left += 6;
        const std::string label = "Chapter " + std::to_string(i + 1);
        Text(dc, std::u16string(label.begin(), label.end()), line, DT_LEFT | DT_VCENTER, RGB(0, 0, 0));
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_VSCROLL: {
      RECT r;
      GetClientRect(hwnd, &r);
      int pos = GetScrollPos(hwnd, SB_VERT);
      switch (LOWORD(wParam)) {
        case SB_LINEUP: pos -= kLineHeight; break;
        case SB_LINEDOWN: pos += kLineHeight; break;
        case SB_PAGEUP: pos -= r.bottom; break;
        case SB_PAGEDOWN: pos += r.bottom; break;
        case SB_THUMBTRACK: case SB_THUMBPOSITION: pos = static_cast<SHORT>(HIWORD(wParam)); break;
        default: return 0;
      }
      ScrollListTo(hwnd, pos);
      return 0;
    }
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

LRESULT FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COMMAND) {
    HWND list = FindWindowExW(hwnd, nullptr, u"DemoList", nullptr);
    if (LOWORD(wParam) == kAddId) SetWindowLongPtrW(list, GWLP_USERDATA, LineCount(list) + 1);
    if (LOWORD(wParam) == kClearId) SetWindowLongPtrW(list, GWLP_USERDATA, 0);
    UpdateListScrollBar(list);
    InvalidateRect(list, nullptr, TRUE);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

struct Demo {
  HWND frame = nullptr, label = nullptr, add = nullptr, clear = nullptr, list = nullptr;
};

void RegisterDemoClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  struct Entry {
    const char16_t* name;
    WNDPROC proc;
    HBRUSH brush;
  };
  for (const Entry& e : {Entry{u"DemoFrame", FrameProc, reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(15 + 1))},
                         Entry{u"DemoButton", ButtonProc, nullptr},
                         Entry{u"DemoLabel", LabelProc, reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(15 + 1))},
                         Entry{u"DemoList", ListProc, reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(5 + 1))}}) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = e.proc;
    wc.lpszClassName = e.name;
    wc.hbrBackground = e.brush;
    ASSERT_NE(RegisterClassW(&wc), 0);
  }
}

Demo MakeDemo() {
  RegisterDemoClasses();
  Demo d;
  d.frame = CreateWindowExW(0, u"DemoFrame", u"Brantwell demo", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 60, 60, 420, 300,
                            nullptr, nullptr, nullptr, nullptr);
  d.label = CreateWindowExW(0, u"DemoLabel", u"Chapters of the disc", WS_CHILD | WS_VISIBLE, 10, 8, 280, 22, d.frame,
                            nullptr, nullptr, nullptr);
  d.add = CreateWindowExW(0, u"DemoButton", u"Add chapter", WS_CHILD | WS_VISIBLE, 300, 34, 100, 26, d.frame,
                          reinterpret_cast<HMENU>(kAddId), nullptr, nullptr);
  d.clear = CreateWindowExW(0, u"DemoButton", u"Clear", WS_CHILD | WS_VISIBLE, 300, 66, 100, 26, d.frame,
                            reinterpret_cast<HMENU>(kClearId), nullptr, nullptr);
  d.list = CreateWindowExW(WS_EX_CLIENTEDGE, u"DemoList", u"", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 10, 34, 280, 226,
                           d.frame, reinterpret_cast<HMENU>(103), nullptr, nullptr);
  ShowWindow(d.frame, SW_SHOW);
  UpdateListScrollBar(d.list);
  return d;
}

// Adds chapters with the button, scrolls the list by dragging its thumb, presses and
// releases the second button away from it (nothing happens), and leaves "Add chapter" held.
void DriveDemo(const Demo& d) {
  for (int i = 0; i < 14; ++i) {
    pt::Click(pt::ScreenPoint(d.add, 50, 13));
    ASSERT_TRUE(pt::RunUntilIdle());
  }
  // The list's scroll bar: its thumb starts just below the top arrow.
  RECT bar;
  GetWindowRect(d.list, &bar);
  const POINT thumb{bar.right - 2 - 8, bar.top + 2 + 17 + 10};
  pt::Drag(thumb, POINT{thumb.x, thumb.y + 40});
  ASSERT_TRUE(pt::RunUntilIdle());
  pt::MouseDown(pt::ScreenPoint(d.clear, 50, 13));
  ASSERT_TRUE(pt::RunUntilIdle());  // the button takes the mouse before it moves away
  pt::MouseMove(pt::ScreenPoint(d.frame, 150, 5));
  pt::MouseUp(pt::ScreenPoint(d.frame, 150, 5));
  ASSERT_TRUE(pt::RunUntilIdle());
  pt::MouseDown(pt::ScreenPoint(d.add, 50, 13));
  ASSERT_TRUE(pt::RunUntilIdle());
}

std::string OutputDir() { return BRANTWELL_TEST_BIN_DIR; }

class WindowDemo : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(platform::display::StartDisplay(platform::display::Backend::Headless, &error)) << error;
  }
  void TearDown() override {
    pt::MouseUp(POINT{0, 0});
    pt::RunUntilIdle();
    platform::display::StopDisplay();
  }
};

TEST_F(WindowDemo, DrivenBySyntheticInput) {
  const Demo d = MakeDemo();
  ASSERT_NE(d.list, nullptr);
  ASSERT_TRUE(pt::RunUntilIdle());
  DriveDemo(d);
  EXPECT_EQ(LineCount(d.list), 14) << "every click on the button added a chapter";
  EXPECT_GT(GetScrollPos(d.list, SB_VERT), 0) << "the thumb drag scrolled the list";
  EXPECT_EQ(GetCapture(), d.add) << "the held button has the mouse";
  const pt::Image frame = pt::ReadWindow(d.frame, true);
  ASSERT_EQ(frame.width, 420);
  std::string error;
  ASSERT_TRUE(pt::SaveWindowPng(d.frame, OutputDir() + "/demo-headless.png", &error)) << error;

  // The held button is drawn sunken: dark top-left corner; the other one raised: white.
  const pt::Image add = pt::ReadWindow(d.add), clear = pt::ReadWindow(d.clear);
  EXPECT_EQ(add.At(0, 0), 0x404040u);
  EXPECT_EQ(clear.At(0, 0), 0xFFFFFFu);
  DestroyWindow(d.frame);
}

// The same demo shown by the sdl backend inside Xvfb; the screenshot of the X window must
// match the headless picture.
bool RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  for (const std::string& e : extraEnv) env.push_back(e);
  std::vector<char*> envp;
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  pid_t pid;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

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

// Reads an X window dump (ZPixmap, 24 or 32 bits per pixel, either byte order).
bool ReadXwd(const std::string& path, pt::Image* image) {
  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (data.size() < 100) return false;
  auto field = [&](int i) {
    const unsigned char* p = &data[static_cast<size_t>(i) * 4];
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
  };
  const uint32_t headerSize = field(0), format = field(2), width = field(4), height = field(5), byteOrder = field(7);
  const uint32_t bitsPerPixel = field(11), bytesPerLine = field(12), colors = field(19);
  if (format != 2 || (bitsPerPixel != 32 && bitsPerPixel != 24)) return false;
  const size_t start = headerSize + static_cast<size_t>(colors) * 12;
  if (data.size() < start + static_cast<size_t>(bytesPerLine) * height) return false;
  image->width = static_cast<int>(width);
  image->height = static_cast<int>(height);
  image->pixels.assign(static_cast<size_t>(width) * height, 0);
  const int bytes = static_cast<int>(bitsPerPixel / 8);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      const unsigned char* p = &data[start + static_cast<size_t>(y) * bytesPerLine + static_cast<size_t>(x) * bytes];
      uint32_t v = 0;
      for (int b = 0; b < bytes; ++b) v |= uint32_t(p[byteOrder == 0 ? b : bytes - 1 - b]) << (8 * b);
      image->pixels[static_cast<size_t>(y) * width + x] = v & 0xFFFFFF;
    }
  return true;
}

TEST(WindowDemoUnderX, SdlScreenshotMatchesHeadless) {
  if (getenv("BRANTWELL_DEMO_CHILD")) GTEST_SKIP() << "runs the child half only";
  if (!OnPath("xvfb-run") || !OnPath("Xvfb")) GTEST_SKIP() << "Xvfb is missing: the sdl demo run under X is skipped";
  if (!OnPath("xwd")) GTEST_SKIP() << "xwd (x11-apps) is missing: the sdl demo run under X is skipped";
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(n, 0);
  self[n] = 0;
  const std::string shot = OutputDir() + "/demo-sdl.png";
  std::remove(shot.c_str());
  ASSERT_TRUE(RunProgram({"xvfb-run", "-a", "-s", "-screen 0 1280x800x24", self,
                   "--gtest_filter=WindowDemoChild.UnderSdl", "--gtest_also_run_disabled_tests"},
                  {"BRANTWELL_DISPLAY=sdl", "BRANTWELL_DEMO_CHILD=1"}))
      << "the demo failed under Xvfb";
  // The same demo on the headless display, in this process.
  std::string error;
  ASSERT_TRUE(platform::display::StartDisplay(platform::display::Backend::Headless, &error)) << error;
  const Demo d = MakeDemo();
  ASSERT_TRUE(pt::RunUntilIdle());
  DriveDemo(d);
  const pt::Image headless = pt::ReadWindow(d.frame, true);
  pt::MouseUp(POINT{0, 0});
  pt::RunUntilIdle();
  DestroyWindow(d.frame);
  platform::display::StopDisplay();
  pt::Image sdl;
  ASSERT_TRUE(pt::LoadPng(shot, &sdl, &error)) << error;
  const pt::Comparison c = pt::CompareImages(headless, sdl, 0);
  EXPECT_TRUE(c.same) << c.message;
}

TEST(WindowDemoChild, UnderSdl) {
  if (!getenv("BRANTWELL_DEMO_CHILD")) GTEST_SKIP() << "the X half of WindowDemoUnderX";
  std::string error;
  ASSERT_TRUE(platform::display::StartDisplay(&error)) << error;
  ASSERT_EQ(platform::display::ActiveBackend(), platform::display::Backend::Sdl);
  EXPECT_EQ(platform::display::VideoDriver(), "x11");
  const Demo d = MakeDemo();
  ASSERT_TRUE(pt::RunUntilIdle());
  DriveDemo(d);
  // Let the X server take the pictures in.
  pt::RunUntil([] { return false; }, 500);
  // The raw screen dump is only a step on the way to the PNG: it does not stay.
  const std::string dump = OutputDir() + "/demo-sdl.xwd";
  const bool dumped = RunProgram({"xwd", "-root", "-silent", "-out", dump}, {});
  pt::Image screen;
  const bool read = dumped && ReadXwd(dump, &screen);
  std::remove(dump.c_str());
  ASSERT_TRUE(dumped);
  ASSERT_TRUE(read);
  RECT r;
  GetWindowRect(d.frame, &r);
  pt::Image window{r.right - r.left, r.bottom - r.top, {}};
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) window.pixels.push_back(screen.At(x, y));
  ASSERT_TRUE(pt::SavePng(window, OutputDir() + "/demo-sdl.png", &error)) << error;
  const pt::Comparison c = pt::CompareImages(pt::ReadWindow(d.frame, true), window, 0);
  EXPECT_TRUE(c.same) << "the X window shows what the window drew: " << c.message;
  pt::MouseUp(POINT{0, 0});
  pt::RunUntilIdle();
  DestroyWindow(d.frame);
  platform::display::StopDisplay();
}

}  // namespace
