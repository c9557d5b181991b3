#include "platform/display/SdlPresenter.h"

#include <SDL.h>
#include <SDL_shape.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/kernel/Unicode.h"
#include "platform/user/InputSink.h"
#include "platform/user/Monitors.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace platform::display {
namespace {

using platform::detail::InjectKey;
using platform::detail::InjectMouseButton;
using platform::detail::InjectMouseMove;
using platform::detail::InjectMouseWheel;
using platform::detail::InjectText;
using platform::detail::MouseButton;

SdlPresenter* g_active = nullptr;

int VirtualKeyFor(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
  if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + (key - SDLK_F1);
  switch (key) {
    case SDLK_RETURN: case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_HOME: return VK_HOME;
    case SDLK_END: return VK_END;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL: case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT: case SDLK_RALT: return VK_MENU;
    case SDLK_CAPSLOCK: return VK_CAPITAL;
    case SDLK_MINUS: return VK_OEM_MINUS;
    case SDLK_EQUALS: return VK_OEM_PLUS;
    case SDLK_COMMA: return VK_OEM_COMMA;
    case SDLK_PERIOD: return VK_OEM_PERIOD;
    case SDLK_SLASH: return VK_OEM_2;
    case SDLK_SEMICOLON: return VK_OEM_1;
    default: return 0;
  }
}

LRESULT WakeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) { return DefWindowProcW(hwnd, msg, wParam, lParam); }

}  // namespace

SdlPresenter::~SdlPresenter() { Stop(); }

bool SdlPresenter::Start(int* screenWidth, int* screenHeight, std::string* error) {
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    if (error) *error = std::string("no display: set DISPLAY or use the headless display (SDL: ") + SDL_GetError() + ")";
    return false;
  }
  const char* driver = SDL_GetCurrentVideoDriver();
  m_driver = driver ? driver : "";
  if (m_driver.empty() || m_driver == "offscreen" || m_driver == "dummy" || m_driver == "evdev") {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (error) *error = "no display: set DISPLAY or use the headless display (SDL picked '" + m_driver + "')";
    return false;
  }
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0) *screenWidth = mode.w, *screenHeight = mode.h;
  else *screenWidth = 1280, *screenHeight = 800;
  ReadMonitors();
  SDL_StartTextInput();
  m_started = true;
  g_active = this;
  platform::detail::SetPresentHook(&SdlPresenter::PumpEvents);
  // The loop sleeps in GetMessage; a message-only window lets a ticker wake it to read events.
  WNDCLASSW wc{};
  wc.lpfnWndProc = WakeProc;
  wc.lpszClassName = u"BrantwellDisplayWake";
  RegisterClassW(&wc);
  m_waker = CreateWindowExW(0, u"BrantwellDisplayWake", u"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  m_stop = false;
  HWND waker = m_waker;
  // FIXME: wake on the display connection instead of polling.
  m_ticker = std::thread([this, waker] {
    while (!m_stop) {
      std::this_thread::sleep_for(std::chrono::milliseconds(15));
      PostMessageW(waker, WM_NULL, 0, 0);
    }
  });
  return true;
}

void SdlPresenter::Stop() {
  if (!m_started) return;
  m_stop = true;
  if (m_ticker.joinable()) m_ticker.join();
  if (m_waker) DestroyWindow(m_waker);
  m_waker = nullptr;
  platform::detail::SetPresentHook(nullptr);
  for (auto& [hwnd, shown] : m_windows) SDL_DestroyWindow(shown.window);
  m_windows.clear();
  SDL_StopTextInput();
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  platform::detail::SetMonitorAreas({});
  m_started = false;
  if (g_active == this) g_active = nullptr;
}

void SdlPresenter::Present(const std::vector<platform::detail::PresentedWindow>& list) {
  std::map<HWND, Shown> next;
  for (const auto& p : list) {
    const int width = p.screenRect.right - p.screenRect.left, height = p.screenRect.bottom - p.screenRect.top;
    if (width <= 0 || height <= 0) continue;
    auto it = m_windows.find(p.hwnd);
    Shown shown;
    bool fresh = false;
    if (it != m_windows.end()) {
      shown = it->second;
      m_windows.erase(it);
      // Only a window made shapeable can take a region, and SDL2 fixes the task-bar flag when
      // it makes a window: either change makes the window again.
      if ((!p.shape.empty() && !shown.shapeable) || shown.taskbar != p.taskbar || shown.role != p.role) {
        SDL_DestroyWindow(shown.window);
        Shown again;
        again.iconWidth = shown.iconWidth, again.iconHeight = shown.iconHeight;
        again.icon = std::move(shown.icon);
        shown = std::move(again);
      }
    }
    if (p.iconChanged) {
      shown.iconWidth = p.iconWidth, shown.iconHeight = p.iconHeight;
      shown.icon = p.iconPixels;
    }
    const std::string title = platform::Utf16ToUtf8(p.title);
    // A minimised window keeps its SDL window, iconified: nothing of it is drawn or placed
    // until it is restored (its place and size then count as changed).
    if (p.minimized && shown.window) {
      if (!shown.minimized) SDL_MinimizeWindow(shown.window);
      shown.minimized = true;
      if (shown.title != p.title) {
        SDL_SetWindowTitle(shown.window, title.c_str());
        shown.title = p.title;
      }
      if (p.iconChanged) ApplyIcon(shown);
      next[p.hwnd] = shown;
      continue;
    }
    if (!shown.window && p.minimized) {
      // First shown minimised: made iconified at the size it will come back with.
      const RECT& back = p.restoredRect;
      const int backWidth = std::max<int>(1, back.right - back.left), backHeight = std::max<int>(1, back.bottom - back.top);
      Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_MINIMIZED | (p.taskbar ? 0 : SDL_WINDOW_SKIP_TASKBAR);
      shown.window = SDL_CreateWindow(title.c_str(), back.left, back.top, backWidth, backHeight, flags);
      if (!shown.window) continue;
      NotePlace(shown, back.left, back.top);
      shown.minimized = true;
      shown.rect = back;
      shown.taskbar = p.taskbar;
      shown.role = p.role;
      shown.title = p.title;
      ApplyIcon(shown);
      next[p.hwnd] = shown;
      continue;
    }
    bool restored = false;
    if (shown.window && shown.minimized) {
      SDL_RestoreWindow(shown.window);
      shown.minimized = false;
      restored = true;
      // Whatever place the desktop gave it meanwhile, the window's own is put back below.
      shown.rect = RECT{};
    }
    if (!shown.window) {
      Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_SHOWN | (p.taskbar ? 0 : SDL_WINDOW_SKIP_TASKBAR);
      // X11 shows these override-redirect: the desktop leaves them alone and never focuses them.
      if (p.role == platform::detail::WindowRole::PopupMenu) flags |= SDL_WINDOW_POPUP_MENU | SDL_WINDOW_SKIP_TASKBAR;
      if (p.role == platform::detail::WindowRole::Tooltip) flags |= SDL_WINDOW_TOOLTIP | SDL_WINDOW_SKIP_TASKBAR;
      if (!p.shape.empty()) {
        shown.window = SDL_CreateShapedWindow(title.c_str(), p.screenRect.left, p.screenRect.top, width, height, flags);
        shown.shapeable = shown.window != nullptr;
      }
      // Without shaping (a desktop that cannot do it) the window is shown whole.
      if (!shown.window) shown.window = SDL_CreateWindow(title.c_str(), p.screenRect.left, p.screenRect.top, width, height, flags);
      if (!shown.window) continue;
      fresh = true;
      NotePlace(shown, p.screenRect.left, p.screenRect.top);
      shown.taskbar = p.taskbar;
      shown.role = p.role;
      shown.title = p.title;
      ApplyIcon(shown);
    } else {
      if (p.moved || IsRectEmpty(&shown.rect)) {
        if (p.screenRect.left != shown.rect.left || p.screenRect.top != shown.rect.top)
          NotePlace(shown, p.screenRect.left, p.screenRect.top);
        SDL_SetWindowPosition(shown.window, p.screenRect.left, p.screenRect.top);
        SDL_SetWindowSize(shown.window, width, height);
      }
      if (shown.title != p.title) {
        SDL_SetWindowTitle(shown.window, title.c_str());
        shown.title = p.title;
      }
      if (p.iconChanged) ApplyIcon(shown);
    }
    if (shown.fullScreen != p.fullScreen) {
      SDL_SetWindowFullscreen(shown.window, p.fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
      shown.fullScreen = p.fullScreen;
      if (!p.fullScreen) SDL_SetWindowPosition(shown.window, p.screenRect.left, p.screenRect.top);
    }
    if (shown.shapeable && (fresh || p.moved)) ApplyShape(shown, p.shape, width, height);
    // Shaping may place the window itself; ours is the place that counts.
    if (shown.shapeable && fresh) SDL_SetWindowPosition(shown.window, p.screenRect.left, p.screenRect.top);
    shown.rect = p.screenRect;
    // A changed alpha comes with `moved`; setting it on every pass costs a trip to the X server.
    if (fresh || p.moved) SDL_SetWindowOpacity(shown.window, p.alpha / 255.0f);
    SDL_Surface* surface = SDL_GetWindowSurface(shown.window);
    if (surface && surface->format->BytesPerPixel == 4) {
      std::vector<SDL_Rect> rects;
      std::vector<RECT> areas = p.dirty;
      if (fresh || p.moved || restored || surface->w != p.pixels.width || surface->h != p.pixels.height)
        areas = {RECT{0, 0, p.pixels.width, p.pixels.height}};
      SDL_LockSurface(surface);
      for (const RECT& r : areas) {
        const int left = std::max<int>(0, r.left), top = std::max<int>(0, r.top);
        const int right = std::min({static_cast<int>(r.right), surface->w, p.pixels.width});
        const int bottom = std::min({static_cast<int>(r.bottom), surface->h, p.pixels.height});
        if (right <= left || bottom <= top) continue;
        // Our buffers are B,G,R,x bytes: the same as SDL's 32-bit RGB formats on this machine.
        for (int y = top; y < bottom; ++y)
          std::memcpy(static_cast<uint8_t*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch + left * 4,
                      p.pixels.pixels + static_cast<size_t>(y) * p.pixels.stride + left * 4, static_cast<size_t>(right - left) * 4);
        rects.push_back(SDL_Rect{left, top, right - left, bottom - top});
      }
      SDL_UnlockSurface(surface);
      if (!rects.empty()) SDL_UpdateWindowSurfaceRects(shown.window, rects.data(), static_cast<int>(rects.size()));
    }
    next[p.hwnd] = shown;
  }
  for (auto& [hwnd, shown] : m_windows) SDL_DestroyWindow(shown.window);
  m_windows = std::move(next);
}

void SdlPresenter::NotePlace(Shown& shown, int x, int y) {
  if (shown.placed.size() >= kPlacesKept) shown.placed.erase(shown.placed.begin());
  shown.placed.push_back(POINT{x, y});
  shown.placedAt = SDL_GetTicks();
}

void SdlPresenter::ApplyShape(Shown& shown, const std::vector<RECT>& shape, int width, int height) {
  auto same = [](const std::vector<RECT>& a, const std::vector<RECT>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const RECT& x, const RECT& y) { return EqualRect(&x, &y) != FALSE; });
  };
  // A region in window coordinates stays valid through moves and sizes; the whole-window
  // shape is stored as one rectangle of the old size, so it is made again on a resize.
  if (!shown.shape.empty() && same(shown.shape, shape)) return;
  // The mask: opaque inside the region's rectangles (the whole window when it has none).
  SDL_Surface* mask = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGBA32);
  if (!mask) return;
  SDL_FillRect(mask, nullptr, SDL_MapRGBA(mask->format, 0, 0, 0, 0));
  const Uint32 opaque = SDL_MapRGBA(mask->format, 255, 255, 255, 255);
  if (shape.empty()) SDL_FillRect(mask, nullptr, opaque);
  for (const RECT& r : shape) {
    SDL_Rect area{static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right - r.left),
                  static_cast<int>(r.bottom - r.top)};
    SDL_FillRect(mask, &area, opaque);
  }
  SDL_WindowShapeMode mode{};
  mode.mode = ShapeModeBinarizeAlpha;
  mode.parameters.binarizationCutoff = 1;
  if (SDL_SetWindowShape(shown.window, mask, &mode) == 0) shown.shape = shape.empty() ? std::vector<RECT>{RECT{0, 0, width, height}} : shape;
  SDL_FreeSurface(mask);
}

void SdlPresenter::ApplyIcon(const Shown& shown) {
  if (shown.icon.empty() || shown.iconWidth <= 0 || shown.iconHeight <= 0) return;
  // SDL copies the pixels; the surface only borrows ours for the call.
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(shown.icon.data()), shown.iconWidth,
                                                            shown.iconHeight, 32, shown.iconWidth * 4,
                                                            SDL_PIXELFORMAT_ARGB8888);
  if (!surface) return;
  SDL_SetWindowIcon(shown.window, surface);
  SDL_FreeSurface(surface);
}

void SdlPresenter::ReadMonitors() {
  std::vector<platform::detail::MonitorArea> monitors;
  const int count = SDL_GetNumVideoDisplays();
  for (int i = 0; i < count; ++i) {
    SDL_Rect bounds, usable;
    if (SDL_GetDisplayBounds(i, &bounds) != 0) continue;
    if (SDL_GetDisplayUsableBounds(i, &usable) != 0) usable = bounds;
    monitors.push_back({RECT{bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h},
                        RECT{usable.x, usable.y, usable.x + usable.w, usable.y + usable.h}});
  }
  platform::detail::SetMonitorAreas(monitors);
}

void SdlPresenter::PumpEvents() {
  if (g_active) g_active->HandleEvents();
}

void SdlPresenter::HandleEvents() {
  // SDL tells of displays coming and going, not of the desktop's panels changing the usable
  // area: that is read again now and then.
  const Uint32 now = SDL_GetTicks();
  if (now - m_monitorsReadAt >= kMonitorRereadMs) {
    m_monitorsReadAt = now;
    ReadMonitors();
  }
  // The shown window an event names, or m_windows.end() for one we did not make.
  auto shownFor = [&](Uint32 windowId) {
    SDL_Window* window = SDL_GetWindowFromID(windowId);
    return std::find_if(m_windows.begin(), m_windows.end(), [&](const auto& entry) { return entry.second.window == window; });
  };
  // The pointer on the desktop, asked once per pass.
  bool haveGlobal = false;
  POINT global{};
  auto globalPoint = [&] {
    if (!haveGlobal) {
      int gx = 0, gy = 0;
      SDL_GetGlobalMouseState(&gx, &gy);
      global = POINT{gx, gy};
      haveGlobal = true;
    }
    return global;
  };
  // A mouse event's place on the screen. SDL gives it relative to its window; a window moved
  // lately (dragged by its caption, say) may have been elsewhere when the event happened, and
  // adding its new place would throw the pointer ahead by the move, and the drag after it:
  // such a window's events, and every motion (only the latest place counts), take the
  // pointer's place on the desktop.
  auto screenPoint = [&](Uint32 windowId, int x, int y, bool motion) {
    auto it = shownFor(windowId);
    if (it == m_windows.end()) return globalPoint();
    // Only X tells the pointer's place on the desktop; elsewhere SDL would answer with a place
    // in some window.
    if (m_driver == "x11" && (motion || now - it->second.placedAt < kMovedRecentlyMs)) return globalPoint();
    return POINT{it->second.rect.left + x, it->second.rect.top + y};
  };
  auto buttonOf = [](Uint8 b) {
    return b == SDL_BUTTON_RIGHT ? MouseButton::Right : b == SDL_BUTTON_MIDDLE ? MouseButton::Middle : MouseButton::Left;
  };
  // The desktop's focus moving between two of our windows comes as a loss and a gain in the
  // same pass; a loss alone means it left the program.
  bool focusLost = false, focusGained = false;
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    switch (e.type) {
      case SDL_MOUSEMOTION: InjectMouseMove(screenPoint(e.motion.windowID, e.motion.x, e.motion.y, true)); break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        InjectMouseButton(buttonOf(e.button.button), e.type == SDL_MOUSEBUTTONDOWN,
                          screenPoint(e.button.windowID, e.button.x, e.button.y, false));
        break;
      case SDL_MOUSEWHEEL: {
        POINT p;
        GetCursorPos(&p);
        if (e.wheel.y) InjectMouseWheel(e.wheel.y * 120, p, false);
        if (e.wheel.x) InjectMouseWheel(e.wheel.x * 120, p, true);
        break;
      }
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        const int vk = VirtualKeyFor(e.key.keysym.sym);
        if (!vk) break;
        // Printable keys without Ctrl or Alt come back as text input.
        const bool text = (vk == VK_SPACE || (vk >= '0' && vk <= 'Z') || (vk >= VK_OEM_1 && vk <= VK_OEM_7)) &&
                          !(e.key.keysym.mod & (KMOD_CTRL | KMOD_ALT));
        InjectKey(vk, e.type == SDL_KEYDOWN, text);
        break;
      }
      case SDL_TEXTINPUT: {
        std::u16string text = platform::Utf8ToUtf16(e.text.text);
        if (!text.empty()) InjectText(text);
        break;
      }
      case SDL_DROPBEGIN:
      case SDL_DROPFILE:
      case SDL_DROPCOMPLETE: {
        int x = 0, y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        const POINT pointer{x, y};
        auto it = shownFor(e.drop.windowID);
        const RECT target = it != m_windows.end() ? it->second.rect : RECT{x, y, x + 1, y + 1};
        m_drops.Take(e, detail::DropPoint(target, pointer));
        SDL_free(e.drop.file);
        break;
      }
      case SDL_DROPTEXT: SDL_free(e.drop.file); break;
      case SDL_DISPLAYEVENT: ReadMonitors(); break;
      case SDL_WINDOWEVENT: {
        auto it = shownFor(e.window.windowID);
        if (it == m_windows.end()) break;
        const HWND hwnd = it->first;
        Shown& shown = it->second;
        if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
          // A window that never takes the activation (a drop-down, a menu) keeps it where it is.
          if (shown.role == platform::detail::WindowRole::Normal) {
            focusGained = true;
            platform::detail::SetDesktopActivation(true, hwnd);
          }
        } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
          focusLost = true;
        } else if (e.window.event == SDL_WINDOWEVENT_MOVED && !shown.minimized &&
                   (e.window.data1 != shown.rect.left || e.window.data2 != shown.rect.top) &&
                   std::none_of(shown.placed.begin(), shown.placed.end(), [&](const POINT& at) {
                     return at.x == e.window.data1 && at.y == e.window.data2;
                   })) {
          // The desktop's window manager placed it elsewhere: follow it. (A report of a place
          // we put it at earlier is late news of our own move, and a step back.)
          shown.rect = RECT{e.window.data1, e.window.data2, e.window.data1 + (shown.rect.right - shown.rect.left),
                            e.window.data2 + (shown.rect.bottom - shown.rect.top)};
          SetWindowPos(hwnd, nullptr, e.window.data1, e.window.data2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        } else if (e.window.event == SDL_WINDOWEVENT_MINIMIZED) {
          // The desktop iconified it: the window follows. (Our own iconifying finds the window
          // minimised already; the next presentation finds the SDL window iconified.)
          if (!IsIconic(hwnd)) PostMessageW(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        } else if (e.window.event == SDL_WINDOWEVENT_RESTORED) {
          // The desktop brought it back (from its task bar, say); restoring the window presents
          // it placed and drawn whole.
          if (IsIconic(hwnd)) PostMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
        } else if (e.window.event == SDL_WINDOWEVENT_EXPOSED) {
          SDL_UpdateWindowSurface(shown.window);
        } else if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
          PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        break;
      }
      default: break;
    }
  }
  if (focusLost && !focusGained) platform::detail::SetDesktopActivation(false);
}

}  // namespace platform::display
