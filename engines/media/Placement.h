#pragma once

// Where a picture goes in an output frame by its resize style: one routine for every engine
// that puts pictures into frames (the converter, the title compositor), so that a clip looks
// the same encoded alone and inside a title.

#include "engines/media/FrameConvert.h"
#include "engines/media/MediaSource.h"

namespace engines::media {

// The rectangle of the frame the picture fills and the fractions of the source cut from each
// side (left and right alike, top and bottom alike).
struct Placement {
  PixelRect into;
  double cutX = 0.0, cutY = 0.0;
};

// A picture of display aspect `picture` in a frame of `width` x `height` pixels displayed at
// aspect `display`. The rectangle's sides are even.
__attribute__((visibility("default"))) Placement Place(ResizeStyle style, double picture, double display,
                                                       int width, int height);

// Scales `source` into the writable frame `target` as Place says; the parts of the frame the
// picture leaves keep what they hold (black in a frame from MakeBlackFrame). False on failure.
__attribute__((visibility("default"))) bool PlaceInto(FrameConverter& converter, const AVFrame* source,
                                                      ResizeStyle style, double picture, double display,
                                                      AVFrame* target);

}  // namespace engines::media
