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

// A new frame of the format and size, allocated and black.
FramePtr MakeBlackFrame(AVPixelFormat format, int width, int height);

}  // namespace engines::media
