#pragma once

// MenuSource: what a menu data object in the engine handle space implements, so that the output
// control engine can author a menu that another engine designed (engines::Lookup<MenuSource>).
// The output control asks once, on its own thread, when a job starts; the source renders its
// pages at the disc's format and hands them over as plain pictures and buttons.

#include <cstdint>
#include <string>
#include <vector>

#include "engines/common/EngineHandles.h"

namespace engines {

// The disc's menu format.
struct MenuFormat {
  int width = 720;
  int height = 480;      // 480 (NTSC) or 576 (PAL)
  bool wide = false;     // 16:9: the background covers the frame, the elements stay in the centre 4:3 area
  int titleCount = 0;    // the job's titles; frames of titles beyond it are left out
};

enum class MenuAction : int32_t {
  PlayTitle = 1,  // plays `target` (0-based title index), then returns to the button's page
  GoToPage = 2,   // shows page `target`
  PlayAll = 3,    // plays every title in order, then returns to the button's page
};

struct MenuButtonInfo {
  int left = 0, top = 0, right = 0, bottom = 0;  // pixels of the rendered page, right and bottom exclusive
  MenuAction action = MenuAction::PlayTitle;
  int target = 0;
};

// Pictures are top-down BGRA, 4 bytes a pixel, width * height * 4 bytes, at the format's size
// (square pixels of the stored frame: the disc stretches them to the display aspect).
struct MenuPagePictures {
  std::vector<uint8_t> background;  // opaque
  // Button overlays: at most 3 colours plus transparency, no partly transparent pixel.
  std::vector<uint8_t> highlight;
  std::vector<uint8_t> select;
  std::string audioFile;  // UTF-8 path of the page's music (looped), empty: silence
  std::vector<MenuButtonInfo> buttons;
};

class MenuSource : public EngineObject {
 public:
  // Renders every page at `format`. False with `error` set when the menu cannot be made (for
  // example a background that no longer loads); the output control then fails the job with it.
  virtual bool Describe(const MenuFormat& format, std::vector<MenuPagePictures>& pages,
                        std::string& error) = 0;
};

}  // namespace engines
