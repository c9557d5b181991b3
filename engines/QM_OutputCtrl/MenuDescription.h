#pragma once

// The menu description as the output control engine keeps it: pages with their pictures
// copied in, and their buttons. Built through the OCMenu* entry points; read by authoring.
// The object is handed between threads by handle: `lock` guards `pages`.

#include <mutex>
#include <string>
#include <vector>

#include "engines/QM_OutputCtrl/OutputCtrl.h"
#include "engines/common/EngineHandles.h"

namespace outputctrl {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bgra;  // top-down, 4 bytes a pixel, no padding
  bool empty() const { return bgra.empty(); }
  const uint8_t* Pixel(int x, int y) const { return bgra.data() + (static_cast<size_t>(y) * width + x) * 4; }
};

struct MenuPage {
  Picture background;
  Picture highlight;  // empty: plain frames
  Picture select;
  std::string audioFile;  // UTF-8, empty: silence
  std::vector<OCMenuButton> buttons;
};

class MenuDescription : public engines::EngineObject {
 public:
  std::mutex lock;
  std::vector<MenuPage> pages;
};

}  // namespace outputctrl
