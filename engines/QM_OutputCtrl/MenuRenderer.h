#pragma once

// Makes the pieces of a still menu page: the background as a short MPEG-2 menu VOB with
// AC-3 sound (silence, or the page's music), written by the media engines' still writer, and
// the sub-picture overlays as PNG files for spumux. Called on the authoring thread.

#include <atomic>
#include <string>

#include "engines/QM_OutputCtrl/MenuDescription.h"

namespace outputctrl {

struct MenuVideoFormat {
  bool pal = false;
  bool wide = false;
  double stillSeconds = 1;  // length of a page without music
};

// Empty on success; a cancel answers "cancelled".
std::string EncodeMenuPage(const MenuPage& page, const MenuVideoFormat& format, const std::string& outputFile,
                           const std::atomic<bool>& cancel);

std::string WritePng(const Picture& picture, const std::string& file);

// A frame of `thickness` pixels around each button, in one opaque colour (0xRRGGBB).
Picture ButtonFrames(const MenuPage& page, uint32_t rgb, int thickness);

}  // namespace outputctrl
