#pragma once

// StillWriter: writes a still picture, with silence or a piece of music, as a DVD MPEG-2
// program stream through DvdWriter: the background of a still menu page, ready for spumux and
// dvdauthor. Every engine that renders still menus writes through it. Called on the caller's
// job thread; the cancel flag belongs to the caller and is also wired to FFmpeg's interrupt
// callback.

#include <atomic>
#include <cstdint>
#include <string>

namespace engines::media {

struct StillPicture {
  int width = 0;
  int height = 0;
  int stride = 0;                 // bytes from one row to the next
  const uint8_t* bgra = nullptr;  // top-down; scaled to the DVD frame if its size differs
};

struct StillSettings {
  bool pal = false;
  bool wide = false;        // 16:9 display (else 4:3)
  double seconds = 1;       // length without music
  std::string musicFile;    // UTF-8; empty: silence. With music the still lasts as long as the
                            // music, at least half a second and at most two minutes.
};

// Empty on success; a cancel answers "cancelled".
__attribute__((visibility("default"))) std::string WriteStill(const StillPicture& picture,
                                                              const StillSettings& settings,
                                                              const std::string& outputFile,
                                                              const std::atomic<bool>& cancel);

}  // namespace engines::media
