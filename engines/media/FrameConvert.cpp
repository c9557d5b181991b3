#include "engines/media/FrameConvert.h"

#include <algorithm>

#include "engines/media/MediaLog.h"

extern "C" {
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
  m_holder.release();
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
