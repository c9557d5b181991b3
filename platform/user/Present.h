#pragma once

// Where the window manager meets the display. Every top-level window draws into its own
// backing buffer (window coordinates, BGRA, the size of the window); after each pass of the
// message loop the windows whose pixels, place, stacking or visibility changed are handed to
// the installed presenter once, with the areas that changed. Display backends install a
// presenter; tests read back a window's pixels from here.

#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/BufferDC.h"
#include "platform/user/UserTypes.h"

namespace platform::detail {

// How the desktop should treat a window. Windows that never take the activation
// (WS_EX_NOACTIVATE) are shown as popup menus, or as tooltips when they also stay on top and
// are not the menu class's: the desktop neither decorates, places, focuses nor lists them.
enum class WindowRole { Normal, PopupMenu, Tooltip };

struct PresentedWindow {
  HWND hwnd = nullptr;
  RECT screenRect{};           // where the window is on the screen
  BYTE alpha = 255;            // constant alpha of a layered window
  bool colorKeyed = false;     // pixels of `colorKey` are transparent (layered windows)
  COLORREF colorKey = 0;
  std::vector<RECT> shape;     // the window region, window coordinates; empty: rectangular
  PixelBuffer pixels;          // the backing buffer; valid only during the call
  std::vector<RECT> dirty;     // changed areas, window coordinates (may be empty)
  bool moved = false;          // place, size, shape or alpha changed since the last hand-over
  bool taskbar = false;        // the window has a task-bar button (Taskbar.h)
  WindowRole role = WindowRole::Normal;
  // Minimised (WS_MINIMIZE): the desktop shows it iconified, and screenRect is the window
  // manager's parking place for it; restoredRect is where it comes back to.
  bool minimized = false;
  RECT restoredRect{};
  std::u16string title;        // the window text
  // A maximised topmost pop-up without caption or border: the desktop shows it full screen.
  bool fullScreen = false;
  // The window's icon (WM_SETICON: the big one, else the small one, else the class's):
  // straight 0xAARRGGBB pixels, top-down; empty without one. `iconChanged` tells a new icon
  // (or the first hand-over of the window).
  int iconWidth = 0;
  int iconHeight = 0;
  std::vector<uint32_t> iconPixels;
  bool iconChanged = false;
};

// A display backend. `Present` gets every visible top-level window, topmost first, whenever
// anything changed; a window missing from the list is hidden or gone. Called on the GUI
// thread with the window manager's lock held: copy what you need and do not call back.
class Presenter {
 public:
  virtual ~Presenter() = default;
  virtual void Present(const std::vector<PresentedWindow>& windowsTopFirst) = 0;
};

// Installs the presenter (null: none); the previous one is returned. The presenter must
// outlive its installation.
Presenter* SetPresenter(Presenter* presenter);
// Hands the changes since the last call to the presenter. The message loop calls this
// whenever it runs out of messages; tests may call it directly.
void PresentChanges();

// A copy of a window's pixels from its top-level window's backing buffer: the client area,
// or with `withFrame` the whole window. Empty for a stale handle or a hidden window's
// unpainted buffer. Top-down 0x00RRGGBB values (GDI leaves alpha 0).
struct WindowPixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};
bool ReadWindowPixels(HWND hwnd, bool withFrame, WindowPixels* out);

}  // namespace platform::detail
