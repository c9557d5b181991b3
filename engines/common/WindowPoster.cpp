#include "engines/common/WindowPoster.h"

#include <atomic>

namespace engines {
namespace {
std::atomic<WindowPoster> installedPoster{nullptr};
}

void SetWindowPoster(WindowPoster poster) { installedPoster.store(poster); }

bool PostToWindow(uintptr_t window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  const WindowPoster poster = installedPoster.load();
  return poster && window != 0 && poster(window, message, wParam, lParam);
}

}  // namespace engines
