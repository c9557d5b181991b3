#pragma once

// Pixel format conversion and scaling of frames (libswscale), with the scaler kept between
// calls. One object per consumer thread; not thread-safe.

#include "engines/media/AvPtr.h"

namespace engines::media {

struct PixelRect {
  int left = 0, top = 0, width = 0, height = 0;
};

class FrameConverter {
 public:
  // A new frame of `format` and size holding `source` scaled; nullptr on failure (logged).
  FramePtr Convert(const AVFrame* source, AVPixelFormat format, int width, int height);
  // Scales `source` into the rectangle `into` of the writable frame `target` (planar YUV
  // 4:2:0 or a packed format); the rectangle's position is rounded down to even numbers.
  bool ScaleInto(const AVFrame* source, AVFrame* target, PixelRect into);

 private:
  SwsContext* m_context = nullptr;
  SwsPtr m_holder;
};

// How a stored picture is turned to stand upright: mirrored left to right first (when
// `mirror`), then turned clockwise by `quarterTurns` quarters.
struct Orientation {
  int quarterTurns = 0;  // 0..3
  bool mirror = false;

  bool IsUpright() const { return quarterTurns == 0 && !mirror; }
  // Width and height trade places.
  bool Swaps() const { return quarterTurns % 2 != 0; }
  bool operator==(const Orientation&) const = default;
};

// From a display matrix (the transform FFmpeg says a picture is shown with); mirrored
// matrices are read for their rotation only.
Orientation OrientationFromMatrix(const int32_t matrix[9]);
// From a clockwise angle in degrees (the "rotate" tag), rounded to quarter turns.
Orientation OrientationFromDegrees(double clockwise);
// From an EXIF orientation value (1..8); anything else is upright.
Orientation OrientationFromExif(int value);

// A new frame holding `source` turned upright (its properties copied, a display matrix it
// carries dropped, its sample aspect inverted when width and height trade places); nullptr on
// failure (logged). Formats the turn cannot handle plane by plane are converted first.
FramePtr Reorient(const AVFrame* source, Orientation orientation);

// A new frame of the format and size, allocated and black.
FramePtr MakeBlackFrame(AVPixelFormat format, int width, int height);

}  // namespace engines::media
