#pragma once

// A title as the compositor reads it: a copy of the document's clips (with their settings and
// watermark pictures) and transitions, taken on the GUI thread and then owned by one decoder.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engines/common/EngineHandles.h"
#include "engines/media/MediaSource.h"

namespace tracks {

// A watermark ready to hand to a video processor: a 32-bit top-down picture with straight
// alpha, its place as fractions of the source frame and its opacity.
struct WatermarkPicture {
  int width = 0, height = 0;
  std::vector<uint8_t> bgra;
  // Source pixels, turned into fractions once the source's size is known.
  int left = 0, top = 0, boxWidth = 0, boxHeight = 0;
  int opacity = 100;
};

struct ClipPlan {
  std::string path;  // UTF-8
  double begin = 0.0;          // title time of its first picture
  double length = 0.0;         // seconds shown
  double physicalBegin = 0.0;  // source time of its first picture
  // Sound.
  int32_t volume = 100;
  bool mute = false;
  double fadeIn = 0.0, fadeOut = 0.0;
  // Picture.
  int32_t brightness = 0, contrast = 0, saturation = 0, effects = 0, flip = 0, deinterlace = 0;
  int32_t style = 1;  // engines::media::ResizeStyle
  bool hasCrop = false;
  int32_t crop[4] = {0, 0, 0, 0};  // left, top, right, bottom in source pixels
  std::optional<WatermarkPicture> watermark;
  // The 320-byte subtitle style record (shown subtitles only) and its opacity.
  std::vector<uint8_t> subtitleStyle;
  int32_t subtitleStream = 0;
  int subtitleOpacity = 100;

  double End() const { return begin + length; }
  // Nothing to apply to the decoded pictures: they go straight into the output frame.
  bool NeutralPicture() const;
};

// A transition from clip `from` to clip `from + 1`, or into black after the last clip.
struct TransitionPlan {
  std::string id;
  double begin = 0.0, length = 0.0;
  size_t from = 0;
  bool intoBlack = false;

  double End() const { return begin + length; }
};

struct TitlePlan {
  std::vector<ClipPlan> clips;
  std::vector<TransitionPlan> transitions;  // in time order
  double length = 0.0;
};

// Copies the document's title. Empty (no clips) for an empty title or a handle that is no
// document. Runs on the thread that owns the document.
TitlePlan TakeSnapshot(engines::EngineHandle doc);

}  // namespace tracks
