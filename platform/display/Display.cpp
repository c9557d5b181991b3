// Backend choice and the headless desktop.

#include "platform/display/Display.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "platform/display/SdlPresenter.h"
#include "platform/gdi/BufferDC.h"
#include "platform/user/Monitors.h"
#include "platform/user/Present.h"

namespace platform::detail {
void SetScreenSizeForUser(int width, int height);  // the window manager's screen metrics
}

namespace platform::display {
namespace {

using platform::detail::PresentedWindow;

constexpr uint32_t kDesktopColor = 0x3A6EA5;  // the classic desktop blue

// Keeps a copy of every shown window, enough to compose the desktop on request.
class HeadlessPresenter : public platform::detail::Presenter {
 public:
  struct Copy {
    HWND hwnd;
    RECT rect;
    BYTE alpha;
    bool keyed;
    COLORREF key;
    std::vector<RECT> shape;
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
  };

  void Present(const std::vector<PresentedWindow>& list) override {
    std::lock_guard lock(m_mutex);
    std::vector<Copy> next;
    for (const PresentedWindow& p : list) {
      Copy c{p.hwnd, p.screenRect, p.alpha, p.colorKeyed, p.colorKey, p.shape, 0, 0, {}};
      auto old = std::find_if(m_windows.begin(), m_windows.end(), [&](const Copy& o) { return o.hwnd == p.hwnd; });
      c.width = p.pixels.width;
      c.height = p.pixels.height;
      if (old != m_windows.end() && old->width == c.width && old->height == c.height) {
        c.pixels = std::move(old->pixels);
        for (const RECT& r : p.dirty) CopyRect(p, r, &c);
      } else {
        c.pixels.assign(static_cast<size_t>(c.width) * c.height, 0);
        CopyRect(p, RECT{0, 0, c.width, c.height}, &c);
      }
      next.push_back(std::move(c));
    }
    m_windows = std::move(next);
  }

  DesktopImage Compose(int width, int height) {
    std::lock_guard lock(m_mutex);
    DesktopImage image{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, kDesktopColor)};
    for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it) {
      const Copy& c = *it;
      const uint32_t key = ((c.key & 0xFF) << 16) | (c.key & 0xFF00) | ((c.key >> 16) & 0xFF);
      for (int y = 0; y < c.height; ++y) {
        const int sy = c.rect.top + y;
        if (sy < 0 || sy >= height) continue;
        for (int x = 0; x < c.width; ++x) {
          const int sx = c.rect.left + x;
          if (sx < 0 || sx >= width) continue;
          if (!c.shape.empty() && !InShape(c.shape, x, y)) continue;
          const uint32_t source = c.pixels[static_cast<size_t>(y) * c.width + x] & 0xFFFFFF;
          if (c.keyed && source == key) continue;
          uint32_t& dest = image.pixels[static_cast<size_t>(sy) * width + sx];
          dest = c.alpha == 255 ? source : Blend(dest, source, c.alpha);
        }
      }
    }
    return image;
  }

 private:
  // Copies the part of `r` that lies inside the window; nothing when it lies outside.
  static void CopyRect(const PresentedWindow& p, const RECT& r, Copy* c) {
    const int left = std::max<int>(0, r.left), right = std::min(c->width, static_cast<int>(r.right));
    if (left >= right) return;
    for (int y = std::max<int>(0, r.top); y < std::min(c->height, static_cast<int>(r.bottom)); ++y)
      std::memcpy(&c->pixels[static_cast<size_t>(y) * c->width + left],
                  p.pixels.pixels + static_cast<size_t>(y) * p.pixels.stride + static_cast<size_t>(left) * 4,
                  static_cast<size_t>(right - left) * 4);
  }
  static bool InShape(const std::vector<RECT>& shape, int x, int y) {
    for (const RECT& r : shape)
      if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    return false;
  }
  static uint32_t Blend(uint32_t below, uint32_t above, int alpha) {
    uint32_t out = 0;
    for (int shift : {0, 8, 16}) {
      const int b = (below >> shift) & 0xFF, a = (above >> shift) & 0xFF;
      out |= static_cast<uint32_t>((a * alpha + b * (255 - alpha) + 127) / 255) << shift;
    }
    return out;
  }

  std::mutex m_mutex;
  std::vector<Copy> m_windows;  // topmost first
};

struct State {
  Backend backend = Backend::None;
  std::unique_ptr<HeadlessPresenter> headless;
  std::unique_ptr<SdlPresenter> sdl;
  int width = 1280, height = 800;
};

State& Current() {
  static State state;
  return state;
}

void HeadlessSize(int* width, int* height) {
  *width = 1280, *height = 800;
  if (const char* size = std::getenv("BRANTWELL_HEADLESS_SIZE")) {
    int w = 0, h = 0;
    if (std::sscanf(size, "%dx%d", &w, &h) == 2 && w > 0 && h > 0 && w <= 16384 && h <= 16384) *width = w, *height = h;
  }
}

}  // namespace

bool StartDisplay(Backend backend, std::string* error) {
  State& s = Current();
  if (s.backend != Backend::None) StopDisplay();
  if (backend == Backend::Headless) {
    HeadlessSize(&s.width, &s.height);
    s.headless = std::make_unique<HeadlessPresenter>();
    // One monitor of the headless size; tests name others (platform/user/Monitors.h).
    platform::detail::SetMonitorAreas({});
    platform::detail::SetScreenSize(s.width, s.height);
    platform::detail::SetScreenSizeForUser(s.width, s.height);
    platform::detail::SetPresenter(s.headless.get());
    s.backend = Backend::Headless;
    return true;
  }
  if (backend == Backend::Sdl) {
    auto sdl = std::make_unique<SdlPresenter>();
    int width = 0, height = 0;
    if (!sdl->Start(&width, &height, error)) return false;
    s.width = width, s.height = height;
    platform::detail::SetScreenSize(width, height);
    platform::detail::SetScreenSizeForUser(width, height);
    s.sdl = std::move(sdl);
    platform::detail::SetPresenter(s.sdl.get());
    s.backend = Backend::Sdl;
    return true;
  }
  if (error) *error = "no display backend was chosen";
  return false;
}

bool StartDisplay(std::string* error) {
  const char* forced = std::getenv("BRANTWELL_DISPLAY");
  if (forced && *forced) {
    if (std::strcmp(forced, "headless") == 0) return StartDisplay(Backend::Headless, error);
    if (std::strcmp(forced, "sdl") == 0) return StartDisplay(Backend::Sdl, error);
    if (error) *error = std::string("unknown display '") + forced + "' in BRANTWELL_DISPLAY: use headless or sdl";
    return false;
  }
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((x11 && *x11) || (wayland && *wayland)) return StartDisplay(Backend::Sdl, error);
  if (error) *error = "no display: set DISPLAY or use the headless display";
  return false;
}

void StopDisplay() {
  State& s = Current();
  platform::detail::SetPresenter(nullptr);
  if (s.sdl) s.sdl->Stop();
  s.sdl.reset();
  s.headless.reset();
  s.backend = Backend::None;
}

Backend ActiveBackend() { return Current().backend; }

std::string VideoDriver() { return Current().sdl ? Current().sdl->Driver() : std::string(); }

DesktopImage HeadlessDesktop() {
  State& s = Current();
  if (!s.headless) return {};
  platform::detail::PresentChanges();
  return s.headless->Compose(s.width, s.height);
}

}  // namespace platform::display
