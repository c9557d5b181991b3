// A second process of the program for the window registry tests: it publishes one
// top-level window titled argv[1] and reports on stdout what reaches it. It leaves by itself
// after 30 seconds, so a failed test never leaves it behind.

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/user/ProcessRegistry.h"
#include "platform/user/WinUser.h"

namespace {

std::string g_parentTitle;
bool g_ready = false;

void Report(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

LRESULT PeerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_USER + 1780:
      Report("posted " + std::to_string(wParam) + " " + std::to_string(lParam));
      return 0;
    case WM_USER + 1781: return static_cast<LRESULT>(wParam + 1);
    case WM_USER + 1782: {
      // Find the first process's window in turn and answer it.
      HWND first = FindWindowA(nullptr, g_parentTitle.c_str());
      Report(std::string("found parent ") + (first ? "yes" : "no"));
      if (first) PostMessageW(first, WM_USER + 1790, 77, 0);
      return 0;
    }
    case WM_COPYDATA: {
      const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      const std::string text(static_cast<const char*>(copy->lpData), copy->cbData);
      Report("copydata " + std::to_string(copy->dwData) + " " + text + " sender=" + (wParam ? "1" : "0"));
      return 1234;
    }
    case WM_SHOWWINDOW:
      if (g_ready) Report("show " + std::to_string(wParam));
      break;
    case WM_TIMER: DestroyWindow(hwnd); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  g_parentTitle = argv[2];
  WNDCLASSW wc{};
  wc.lpfnWndProc = PeerProc;
  wc.lpszClassName = u"BrantwellRegistryPeer";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExA(0, "BrantwellRegistryPeer", argv[1], WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                              nullptr, nullptr, nullptr, nullptr);
  if (!hwnd || !platform::PublishTopLevelWindows()) return 3;
  SetTimer(hwnd, 1, 30000, nullptr);
  g_ready = true;
  Report("ready");
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  platform::StopPublishingWindows();
  Report("bye");
  return 0;
}
