#include "engines/media/FrameConvert.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engines/media/MediaLog.h"

extern "C" {
#include <libavutil/display.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

namespace engines::media {

FramePtr MakeBlackFrame(AVPixelFormat format, int width, int height) {
  FramePtr frame = MakeFrame();
  frame->format = format;
  frame->width = width;
  frame->height = height;
  int result = av_frame_get_buffer(frame.get(), 0);
  if (result < 0) {
    LogAvError("av_frame_get_buffer", result, "a " + std::to_string(width) + "x" + std::to_string(height) + " frame");
    return nullptr;
  }
  ptrdiff_t linesizes[4] = {frame->linesize[0], frame->linesize[1], frame->linesize[2], frame->linesize[3]};
  av_image_fill_black(frame->data, linesizes, format, AVCOL_RANGE_MPEG, width, height);
  if (format == AV_PIX_FMT_BGRA) {
    // Opaque black: the alpha byte is 255.
    for (int y = 0; y < height; ++y) {
      uint8_t* row = frame->data[0] + ptrdiff_t(y) * frame->linesize[0];
      for (int x = 0; x < width; ++x) row[x * 4 + 3] = 255;
    }
  }
  return frame;
}

bool FrameConverter::ScaleInto(const AVFrame* source, AVFrame* target, PixelRect into) {
  into.left = std::clamp(into.left & ~1, 0, std::max(0, (target->width - 2) & ~1));
  into.top = std::clamp(into.top & ~1, 0, std::max(0, (target->height - 2) & ~1));
  into.width = std::max(2, std::min(into.width, target->width - into.left));
  into.height = std::max(2, std::min(into.height, target->height - into.top));
  m_context = sws_getCachedContext(m_context, source->width, source->height, AVPixelFormat(source->format),
                                   into.width, into.height, AVPixelFormat(target->format), SWS_BICUBIC,
                                   nullptr, nullptr, nullptr);
  // The cached context may be the one held or a new one (the old one then freed by FFmpeg).
  (void)m_holder.release();
  m_holder.reset(m_context);
  if (!m_context) {
    LogLine("sws_getCachedContext failed on a " + std::to_string(source->width) + "x" +
            std::to_string(source->height) + " " + (av_get_pix_fmt_name(AVPixelFormat(source->format)) ?: "?") +
            " picture");
    return false;
  }
  const bool whole = into.left == 0 && into.top == 0 && into.width == target->width && into.height == target->height;
  if (whole) {
    const int result = sws_scale(m_context, source->data, source->linesize, 0, source->height, target->data,
                                 target->linesize);
    if (result < 0) LogAvError("sws_scale", result, "a picture");
    return result >= 0;
  }
  // The scaler's fast paths write whole vectors, past the width they were asked for, so a
  // picture scaled straight into the middle of the frame left a grey stripe over the bar to
  // its right. It is scaled into a frame of its own size and its pixels alone are copied.
  FramePtr scratch = MakeFrame();
  scratch->format = target->format;
  scratch->width = into.width;
  scratch->height = into.height;
  int result = av_frame_get_buffer(scratch.get(), 0);
  if (result < 0) {
    LogAvError("av_frame_get_buffer", result, "a picture");
    return false;
  }
  result = sws_scale(m_context, source->data, source->linesize, 0, source->height, scratch->data, scratch->linesize);
  if (result < 0) {
    LogAvError("sws_scale", result, "a picture");
    return false;
  }
  const AVPixelFormat format = AVPixelFormat(target->format);
  const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
  int steps[4] = {};
  av_image_fill_max_pixsteps(steps, nullptr, descriptor);
  const int planes = av_pix_fmt_count_planes(format);
  for (int plane = 0; plane < planes; ++plane) {
    const bool chroma = (plane == 1 || plane == 2) && !(descriptor->flags & AV_PIX_FMT_FLAG_RGB);
    const int shiftX = chroma ? descriptor->log2_chroma_w : 0;
    const int shiftY = chroma ? descriptor->log2_chroma_h : 0;
    const int x = into.left >> shiftX, y = into.top >> shiftY;
    const int bytes = av_image_get_linesize(format, into.width, plane);
    const int rows = AV_CEIL_RSHIFT(into.height, shiftY);
    if (bytes <= 0) continue;
    av_image_copy_plane(target->data[plane] + ptrdiff_t(y) * target->linesize[plane] + ptrdiff_t(x) * steps[plane],
                        target->linesize[plane], scratch->data[plane], scratch->linesize[plane], bytes, rows);
  }
  return true;
}

Orientation OrientationFromDegrees(double clockwise) {
  if (!std::isfinite(clockwise)) return {};
  const long quarters = std::lround(clockwise / 90.0);
  return {int(((quarters % 4) + 4) % 4), false};
}

Orientation OrientationFromMatrix(const int32_t matrix[9]) {
  // av_display_rotation_get gives the counter-clockwise angle the picture is shown at.
  const double counterClockwise = av_display_rotation_get(matrix);
  if (std::isnan(counterClockwise)) return {};
  return OrientationFromDegrees(-counterClockwise);
}

Orientation OrientationFromExif(int value) {
  switch (value) {
    case 2: return {0, true};
    case 3: return {2, false};
    case 4: return {2, true};
    case 5: return {3, true};
    case 6: return {1, false};
    case 7: return {1, true};
    case 8: return {3, false};
    default: return {};
  }
}

namespace {

// Whether each plane of the format can be turned on its own, a pixel being a fixed number of
// bytes: no palettes or bit packing, and chroma subsampled alike in both directions (a turn
// swaps them) or not at all in packed formats.
bool TurnsPlaneByPlane(const AVPixFmtDescriptor* descriptor) {
  if (!descriptor) return false;
  if (descriptor->flags & (AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_BITSTREAM | AV_PIX_FMT_FLAG_HWACCEL)) return false;
  if (descriptor->log2_chroma_w != descriptor->log2_chroma_h) return false;
  return (descriptor->flags & AV_PIX_FMT_FLAG_PLANAR) || descriptor->log2_chroma_w == 0;
}

void TurnPlane(const uint8_t* source, int sourceStride, int width, int height, uint8_t* target, int targetStride,
               int step, Orientation orientation) {
  const bool swaps = orientation.Swaps();
  const int outWidth = swaps ? height : width, outHeight = swaps ? width : height;
  // The byte of the source pixel that a clockwise turn of the mirrored picture brings to
  // (ox, oy); along an output row it moves by a fixed number of bytes.
  auto at = [&](int ox, int oy) {
    int x = 0, y = 0;
    switch (orientation.quarterTurns) {
      case 0: x = ox, y = oy; break;
      case 1: x = oy, y = height - 1 - ox; break;
      case 2: x = width - 1 - ox, y = height - 1 - oy; break;
      default: x = width - 1 - oy, y = ox; break;
    }
    if (orientation.mirror) x = width - 1 - x;
    return ptrdiff_t(y) * sourceStride + ptrdiff_t(x) * step;
  };
  const ptrdiff_t advance = outWidth > 1 ? at(1, 0) - at(0, 0) : 0;
  for (int oy = 0; oy < outHeight; ++oy) {
    ptrdiff_t offset = at(0, oy);
    uint8_t* out = target + ptrdiff_t(oy) * targetStride;
    if (step == 1) {
      for (int ox = 0; ox < outWidth; ++ox, offset += advance) out[ox] = source[offset];
    } else {
      for (int ox = 0; ox < outWidth; ++ox, offset += advance)
        std::memcpy(out + ptrdiff_t(ox) * step, source + offset, size_t(step));
    }
  }
}

}  // namespace

FramePtr Reorient(const AVFrame* source, Orientation orientation) {
  AVPixelFormat format = AVPixelFormat(source->format);
  const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
  FramePtr converted;
  if (!TurnsPlaneByPlane(descriptor)) {
    // Anything else (4:2:2, packed YUV, palettes ...) is turned as 4:2:0, or as BGRA when it
    // has transparency to keep.
    const bool alpha = descriptor && (descriptor->flags & AV_PIX_FMT_FLAG_ALPHA);
    FrameConverter converter;
    converted = converter.Convert(source, alpha ? AV_PIX_FMT_BGRA : AV_PIX_FMT_YUV420P, source->width,
                                  source->height);
    if (!converted) return nullptr;
    source = converted.get();
    format = AVPixelFormat(source->format);
    descriptor = av_pix_fmt_desc_get(format);
  }
  const bool swaps = orientation.Swaps();
  FramePtr frame = MakeFrame();
  frame->format = format;
  frame->width = swaps ? source->height : source->width;
  frame->height = swaps ? source->width : source->height;
  int result = av_frame_get_buffer(frame.get(), 0);
  if (result < 0) {
    LogAvError("av_frame_get_buffer", result, "a picture to turn upright");
    return nullptr;
  }
  av_frame_copy_props(frame.get(), source);
  av_frame_remove_side_data(frame.get(), AV_FRAME_DATA_DISPLAYMATRIX);
  if (swaps && source->sample_aspect_ratio.num > 0 && source->sample_aspect_ratio.den > 0) {
    frame->sample_aspect_ratio = av_inv_q(source->sample_aspect_ratio);
  }
  int steps[4] = {};
  av_image_fill_max_pixsteps(steps, nullptr, descriptor);
  const int planes = av_pix_fmt_count_planes(format);
  for (int plane = 0; plane < planes; ++plane) {
    const bool chroma = (plane == 1 || plane == 2) && !(descriptor->flags & AV_PIX_FMT_FLAG_RGB);
    const int shift = chroma ? descriptor->log2_chroma_w : 0;  // the same both ways here
    TurnPlane(source->data[plane], source->linesize[plane], AV_CEIL_RSHIFT(source->width, shift),
              AV_CEIL_RSHIFT(source->height, shift), frame->data[plane], frame->linesize[plane], steps[plane],
              orientation);
  }
  return frame;
}

FramePtr FrameConverter::Convert(const AVFrame* source, AVPixelFormat format, int width, int height) {
  FramePtr frame = MakeFrame();
  frame->format = format;
  frame->width = width;
  frame->height = height;
  int result = av_frame_get_buffer(frame.get(), 0);
  if (result < 0) {
    LogAvError("av_frame_get_buffer", result, "a picture");
    return nullptr;
  }
  if (!ScaleInto(source, frame.get(), {0, 0, width, height})) return nullptr;
  av_frame_copy_props(frame.get(), source);
  return frame;
}

}  // namespace engines::media
