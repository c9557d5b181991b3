#pragma once

// The per-clip picture settings of a video processor and the pixel code that applies them to
// a BGRA picture. Values as the clip editor offers them: brightness, contrast and saturation
// -100..100 (0 = unchanged); effect bits 1 gray, 2 emboss, 4 negative, 32 old film; flip bits
// 1 horizontal, 2 vertical; deinterlace 0 none, 1 repeat odd lines, 2 repeat even lines,
// 3 odd lines interpolated, 4 even lines interpolated (lines counted from 0).

#include <cstdint>
#include <string>
#include <vector>

#include "engines/media/AvPtr.h"
#include "engines/media/MediaSource.h"

namespace dataprocess {

constexpr int32_t kEffectGray = 1;
constexpr int32_t kEffectEmboss = 2;
constexpr int32_t kEffectNegative = 4;
constexpr int32_t kEffectOldFilm = 32;

struct Crop {
  int32_t left = 0, top = 0, right = 0, bottom = 0;  // source pixels; all 0 = none
};

struct Watermark {
  int width = 0, height = 0;
  std::vector<uint8_t> pixels;  // BGRA, top-down, straight alpha
  float left = 0, top = 0, right = 0, bottom = 0;  // fractions of the frame
  int opacity = 100;
};

// The subtitles drawn over the picture: the stream's own look (white, centred near the
// bottom) or the user's font, colour and place.
struct SubtitleStyle {
  bool shown = false;
  int32_t streamId = 0;
  bool ownStyle = true;
  std::string font;            // UTF-8 family name; empty: the default sans-serif
  int32_t size = 36;           // points
  int32_t flags = 0;           // bold 1, italic 2, underline 4, strike-out 8
  uint32_t colour = 0xFFFFFF;  // COLORREF
  int32_t left = 0, top = 0;   // source pixels
  int opacity = 100;
};

struct PictureSettings {
  Crop crop;
  engines::media::ResizeStyle style = engines::media::ResizeStyle::KeepAspect;
  int32_t brightness = 0, contrast = 0, saturation = 0;
  int32_t effects = 0, flip = 0, deinterlace = 0;
  Watermark watermark;  // width 0: none
  SubtitleStyle subtitles;
};

// Applies everything but the crop to a writable BGRA frame.
void ApplyPicture(const PictureSettings& settings, AVFrame* bgra);
// The crop rectangle of `bgra` (clipped to it) in a new BGRA frame; `bgra` itself when the
// rectangle is empty or covers the whole frame.
engines::media::FramePtr CropPicture(const Crop& crop, engines::media::FramePtr bgra);

}  // namespace dataprocess
