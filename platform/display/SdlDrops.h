#pragma once

// Files dropped on an SDL window from the desktop, handed to the window manager's dropped-files
// path (WM_DROPFILES for the window under the drop that accepts files). SDL announces a drop
// with SDL_DROPBEGIN, sends one SDL_DROPFILE per file and ends it with SDL_DROPCOMPLETE; a
// SDL_DROPFILE outside such a pair is a drop of its own. Text drops are not files and are
// left alone. GUI thread.

#include <string>
#include <vector>

#include "platform/kernel/WinTypes.h"

union SDL_Event;

namespace platform::display::detail {

class DropTranslator {
 public:
  // Takes one event; `screen` is where the files come down. True when the event was part of
  // a file drop. The caller still owns (and frees) the event's file name.
  bool Take(const SDL_Event& event, POINT screen);

 private:
  bool m_open = false;
  std::vector<std::string> m_paths;
};

// SDL does not say where a drop landed: the pointer, when it is over the drop's window, else
// the window's centre.
POINT DropPoint(const RECT& windowOnScreen, POINT pointer);

}  // namespace platform::display::detail
