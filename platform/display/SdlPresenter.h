#pragma once

// The SDL2 backend: each shown top-level window is a borderless SDL window at the window's
// screen place, updated from the backing buffer by dirty rectangles, and shaped by its window
// region when it has one, with the window's title and icon, and on the desktop's task bar
// only when the window has a task-bar button (SDL2 fixes that when it makes a window, so a
// change makes the SDL window again). Each display's usable area becomes its monitor's work
// area. SDL's mouse, keyboard, text, wheel, focus and file-drop events are fed to the window
// manager (while a window moves, as in a drag by its caption, with the pointer's place on the
// desktop: events queued before a move give it relative to the window's old place). A
// minimised window is iconified on the desktop and restored with it; the desktop iconifying or
// restoring one (from its task bar, say) minimises or restores the window. Runs on
// the GUI thread: events
// are read whenever the message loop runs dry, and a ticker wakes the loop while it waits.

#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/display/SdlDrops.h"
#include "platform/user/Present.h"

struct SDL_Window;

namespace platform::display {

class SdlPresenter : public platform::detail::Presenter {
 public:
  ~SdlPresenter() override;
  // Starts SDL video; fails with "no display" when SDL has no real video driver.
  bool Start(int* screenWidth, int* screenHeight, std::string* error);
  void Stop();
  std::string Driver() const { return m_driver; }
  void Present(const std::vector<platform::detail::PresentedWindow>& list) override;

 private:
  static void PumpEvents();
  void HandleEvents();

  struct Shown {
    SDL_Window* window = nullptr;
    RECT rect{};
    bool shapeable = false;       // made by SDL_CreateShapedWindow
    std::vector<RECT> shape;      // the region last applied; empty: the whole window
    bool taskbar = false;         // made without SDL_WINDOW_SKIP_TASKBAR
    platform::detail::WindowRole role = platform::detail::WindowRole::Normal;
    bool minimized = false;       // iconified by us or by the desktop
    bool fullScreen = false;      // SDL full-screen (desktop mode)
    std::u16string title;
    int iconWidth = 0, iconHeight = 0;
    std::vector<uint32_t> icon;   // 0xAARRGGBB; empty: none
    // The places we last put it (newest last) and when: the desktop's reports of those places
    // arrive late, and events queued before a move give the pointer relative to the old place.
    std::vector<POINT> placed;
    uint32_t placedAt = 0;        // SDL ticks
  };
  // Remembers that `shown` was put at (x, y) now.
  static void NotePlace(Shown& shown, int x, int y);
  void ApplyShape(Shown& shown, const std::vector<RECT>& shape, int width, int height);
  static void ApplyIcon(const Shown& shown);
  // Hands the displays' bounds and usable areas to the window manager as its monitors.
  static void ReadMonitors();
  std::map<HWND, Shown> m_windows;
  detail::DropTranslator m_drops;
  std::string m_driver;
  bool m_started = false;
  HWND m_waker = nullptr;
  static constexpr uint32_t kMonitorRereadMs = 1000;
  // How long after a window was moved its mouse events take the pointer from the desktop
  // instead of from the window, and how many of its places are remembered.
  static constexpr uint32_t kMovedRecentlyMs = 500;
  static constexpr size_t kPlacesKept = 16;
  uint32_t m_monitorsReadAt = 0;  // SDL ticks
  std::atomic<bool> m_stop{false};
  std::thread m_ticker;
};

}  // namespace platform::display
