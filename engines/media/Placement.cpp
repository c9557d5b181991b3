#include "engines/media/Placement.h"

#include <algorithm>
#include <cmath>

namespace engines::media {

Placement Place(ResizeStyle style, double picture, double display, int width, int height) {
  Placement p;
  p.into = {0, 0, width, height};
  if (style == ResizeStyle::Stretch) return p;
  if (style == ResizeStyle::Wide) picture = 16.0 / 9.0;
  if (style == ResizeStyle::Standard) picture = 4.0 / 3.0;
  const double ratio = picture / display;  // > 1: the picture is wider than the frame
  auto even = [](double v) { return std::max(2, int(std::lround(v / 2.0)) * 2); };
  if (style == ResizeStyle::Fill) {
    if (ratio > 1.0) p.cutX = (1.0 - 1.0 / ratio) / 2.0;
    else p.cutY = (1.0 - ratio) / 2.0;
    return p;
  }
  if (style == ResizeStyle::FillHeight && ratio > 1.0) {
    p.cutX = (1.0 - 1.0 / ratio) / 2.0;
    return p;
  }
  if (ratio > 1.0) {
    p.into.height = std::min(height, even(height / ratio));
    p.into.top = (height - p.into.height) / 2;
  } else {
    p.into.width = std::min(width, even(width * ratio));
    p.into.left = (width - p.into.width) / 2;
  }
  return p;
}

bool PlaceInto(FrameConverter& converter, const AVFrame* source, ResizeStyle style, double picture,
               double display, AVFrame* target) {
  const Placement place = Place(style, picture, display, target->width, target->height);
  FramePtr cut = RefFrame(source);
  if (!cut) return false;
  if (place.cutX > 0.0 || place.cutY > 0.0) {
    cut->crop_left = cut->crop_right = size_t(cut->width * place.cutX);
    cut->crop_top = cut->crop_bottom = size_t(cut->height * place.cutY);
    av_frame_apply_cropping(cut.get(), AV_FRAME_CROP_UNALIGNED);
  }
  return converter.ScaleInto(cut.get(), target, place.into);
}

}  // namespace engines::media
