#include "engines/media/FrameConvert.h"

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
  into.left &= ~1;
  into.top &= ~1;
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
  const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(AVPixelFormat(target->format));
  uint8_t* planes[4] = {};
  for (int plane = 0; plane < 4 && target->data[plane]; ++plane) {
    int x = into.left, y = into.top;
    if (plane == 1 || plane == 2) {
      x >>= descriptor->log2_chroma_w;
      y >>= descriptor->log2_chroma_h;
    }
    const int step = descriptor->flags & AV_PIX_FMT_FLAG_PLANAR ? 1 : av_get_bits_per_pixel(descriptor) / 8;
    planes[plane] = target->data[plane] + ptrdiff_t(y) * target->linesize[plane] + x * step;
  }
  int result = sws_scale(m_context, source->data, source->linesize, 0, source->height, planes, target->linesize);
  if (result < 0) {
    LogAvError("sws_scale", result, "a picture");
    return false;
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
