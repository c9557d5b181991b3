#include "platform/display/SdlDrops.h"

#include <SDL.h>

#include "platform/user/DropFiles.h"

namespace platform::display::detail {

bool DropTranslator::Take(const SDL_Event& event, POINT screen) {
  switch (event.type) {
    case SDL_DROPBEGIN:
      m_open = true;
      m_paths.clear();
      return true;
    case SDL_DROPFILE:
      if (event.drop.file && *event.drop.file) m_paths.emplace_back(event.drop.file);
      if (m_open) return true;
      break;  // a lone file is a whole drop
    case SDL_DROPCOMPLETE:
      if (!m_open) return true;
      break;
    default: return false;
  }
  m_open = false;
  std::vector<std::string> paths;
  paths.swap(m_paths);
  // No window there accepting files is no error: the desktop just sees the drop refused.
  if (!paths.empty()) platform::detail::DropFiles(screen, paths);
  return true;
}

POINT DropPoint(const RECT& windowOnScreen, POINT pointer) {
  if (pointer.x >= windowOnScreen.left && pointer.x < windowOnScreen.right && pointer.y >= windowOnScreen.top &&
      pointer.y < windowOnScreen.bottom)
    return pointer;
  return POINT{(windowOnScreen.left + windowOnScreen.right) / 2, (windowOnScreen.top + windowOnScreen.bottom) / 2};
}

}  // namespace platform::display::detail
