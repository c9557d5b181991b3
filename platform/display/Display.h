#pragma once

// Choosing and running a display backend. Call StartDisplay once on the GUI thread before
// windows are shown; StopDisplay before exit. GUI thread only.

#include <cstdint>
#include <string>
#include <vector>

namespace platform::display {

enum class Backend { None, Headless, Sdl };

// Picks the backend (BRANTWELL_DISPLAY=headless|sdl forces one; otherwise sdl when a display
// is set, else an error), installs it as the window manager's presenter and sets the screen
// size. On failure returns false with a message in `error` and installs nothing.
bool StartDisplay(std::string* error);
// The same with the backend given.
bool StartDisplay(Backend backend, std::string* error);
void StopDisplay();
Backend ActiveBackend();
// The SDL video driver in use ("x11", "wayland"), or empty.
std::string VideoDriver();

// The headless desktop: every shown top-level window composed over the desktop colour,
// bottom to top, with layered alpha, colour keys and window shapes applied. Top-down
// 0x00RRGGBB pixels; empty when the headless backend is not running.
struct DesktopImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};
DesktopImage HeadlessDesktop();

}  // namespace platform::display
