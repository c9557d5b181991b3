#include "engines/QMPlayer/PictureGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engines/media/MediaLog.h"
#include "platform/gdi/WinGdi.h"

extern "C" {
#include <libavutil/imgutils.h>
}

namespace player {

namespace {

// Pixels libswscale writes at once along a row (more than any of its output paths uses).
constexpr int kScalerBlock = 16;

// Pascal's Round: halves to even (the default rounding mode).
int RoundEven(double value) { return static_cast<int>(std::nearbyint(value)); }

}  // namespace

RECT VideoRect(int clientWidth, int clientHeight, int32_t mode, const PictureShape& shape) {
  const int cw = clientWidth, ch = clientHeight;
  if (shape.width <= 0 || shape.height <= 0) return RECT{0, 0, cw, ch};
  const double clientAspect = cw / (ch + 0.000001);
  double aspect;
  if (mode == kModeStretch) aspect = clientAspect;
  else if (mode == kModeWide) aspect = 16.0 / 9.0;
  else if (mode == kModeStandard) aspect = 4.0 / 3.0;
  else if (shape.ratioY != 0) aspect = shape.ratioX / (shape.ratioY + 0.000001);
  else aspect = shape.width / (shape.height + 0.000001);
  if (clientAspect < aspect && mode != kModeFillHeight) {
    const int h = RoundEven(cw / aspect);
    const int top = (ch - h) / 2;
    return RECT{0, top, cw, top + h};
  }
  const int w = RoundEven(ch * aspect);
  const int left = (cw - w) / 2;
  return RECT{left, 0, left + w, ch};
}

void BgraBuffer::Resize(int w, int h) {
  width = std::max(0, w);
  height = std::max(0, h);
  pixels.assign(size_t(width) * height, 0xFF000000u);
}

void BgraBuffer::Clear() { std::fill(pixels.begin(), pixels.end(), 0xFF000000u); }

void BgraBuffer::ClearAround(const RECT& keep) {
  const int left = std::clamp<int>(keep.left, 0, width), right = std::clamp<int>(keep.right, left, width);
  const int top = std::clamp<int>(keep.top, 0, height), bottom = std::clamp<int>(keep.bottom, top, height);
  for (int y = 0; y < height; ++y) {
    uint32_t* row = &pixels[size_t(y) * width];
    if (y < top || y >= bottom || left >= right) {
      std::fill(row, row + width, 0xFF000000u);
      continue;
    }
    std::fill(row, row + left, 0xFF000000u);
    std::fill(row + right, row + width, 0xFF000000u);
  }
}

void BgraBuffer::PaintTo(HDC dc) const {
  if (width <= 0 || height <= 0) return;
  const BITMAPINFO info = platform::TopDownBitmapInfo32(width, height);
  SetDIBitsToDevice(dc, 0, 0, width, height, 0, 0, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
}

Scaler::~Scaler() { sws_freeContext(m_context); }

bool Scaler::ScaleDirect(const AVFrame* source, int cutLeft, int cutTop, int cutWidth, int cutHeight,
                         uint8_t* target, int stride, int width, int height) {
  const auto format = static_cast<AVPixelFormat>(source->format);
  const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
  if (!descriptor || cutWidth <= 0 || cutHeight <= 0 || width <= 0 || height <= 0) return false;
  // A cut of a subsampled format starts on a whole chroma sample.
  if (cutLeft || cutTop) {
    const int maskX = (1 << descriptor->log2_chroma_w) - 1, maskY = (1 << descriptor->log2_chroma_h) - 1;
    cutLeft &= ~maskX;
    cutTop &= ~maskY;
  }
  const uint8_t* planes[4] = {};
  int strides[4] = {};
  for (int plane = 0; plane < 4 && source->data[plane]; ++plane) {
    // Bytes per pixel in this plane: the step of a component stored in it.
    int bytes = 1;
    for (int c = 0; c < descriptor->nb_components; ++c)
      if (descriptor->comp[c].plane == plane) {
        bytes = std::max(1, descriptor->comp[c].step);
        break;
      }
    const bool chroma = plane == 1 || plane == 2;
    const int shiftX = chroma ? descriptor->log2_chroma_w : 0, shiftY = chroma ? descriptor->log2_chroma_h : 0;
    planes[plane] = source->data[plane] + ptrdiff_t(cutTop >> shiftY) * source->linesize[plane] +
                    ptrdiff_t(cutLeft >> shiftX) * bytes;
    strides[plane] = source->linesize[plane];
  }
  // YUV is turned to RGB with full chroma interpolation: the default path spoils the last
  // few pixels of a row whose width is not a multiple of 8.
  const int flags = (descriptor->flags & AV_PIX_FMT_FLAG_RGB) ? SWS_FAST_BILINEAR : SWS_BILINEAR | SWS_FULL_CHR_H_INT;
  m_context = sws_getCachedContext(m_context, cutWidth, cutHeight, format, width, height, AV_PIX_FMT_BGRA, flags,
                                   nullptr, nullptr, nullptr);
  if (!m_context) {
    engines::media::LogLine("cannot scale a picture of " + std::to_string(cutWidth) + "x" + std::to_string(cutHeight) +
                            " to " + std::to_string(width) + "x" + std::to_string(height));
    return false;
  }
  uint8_t* out[4] = {target, nullptr, nullptr, nullptr};
  int outStrides[4] = {stride, 0, 0, 0};
  sws_scale(m_context, planes, strides, 0, cutHeight, out, outStrides);
  return true;
}

bool Scaler::Scale(const AVFrame* source, int cutLeft, int cutTop, int cutWidth, int cutHeight, BgraBuffer& target,
                   const RECT& into) {
  const int width = into.right - into.left, height = into.bottom - into.top;
  if (!source || width <= 0 || height <= 0) return true;
  // libswscale writes rows in blocks of pixels: a row whose width is not a multiple of the block
  // gets a few pixels more than asked. Such a row is scaled into a padded picture of its own and
  // copied, so the extra pixels never spoil the picture's edge or run past the target's end.
  const bool inside = into.left >= 0 && into.top >= 0 && into.right <= target.width && into.bottom <= target.height;
  if (inside && width % kScalerBlock == 0) {
    uint8_t* origin = reinterpret_cast<uint8_t*>(target.pixels.data()) +
                      (ptrdiff_t(into.top) * target.width + into.left) * 4;
    return ScaleDirect(source, cutLeft, cutTop, cutWidth, cutHeight, origin, target.width * 4, width, height);
  }
  const int padded = (width + kScalerBlock - 1) / kScalerBlock * kScalerBlock + kScalerBlock;
  if (m_clip.width != padded || m_clip.height != height) m_clip.Resize(padded, height);
  if (!ScaleDirect(source, cutLeft, cutTop, cutWidth, cutHeight, reinterpret_cast<uint8_t*>(m_clip.pixels.data()),
                   padded * 4, width, height))
    return false;
  const int left = std::max<int>(0, into.left), right = std::min<int>(target.width, into.right);
  const int top = std::max<int>(0, into.top), bottom = std::min<int>(target.height, into.bottom);
  for (int y = top; y < bottom && left < right; ++y) {
    std::memcpy(&target.pixels[size_t(y) * target.width + left],
                &m_clip.pixels[size_t(y - into.top) * padded + (left - into.left)], size_t(right - left) * 4);
  }
  return true;
}

engines::media::FramePtr PlaceInFrame(const engines::media::VideoFrame& picture, int width, int height,
                                      Scaler& scaler) {
  using engines::media::ResizeStyle;
  const AVFrame* source = picture.frame.get();
  BgraBuffer canvas;
  canvas.Resize(width, height);
  int cutLeft = 0, cutTop = 0, cutWidth = source->width, cutHeight = source->height;
  RECT into{0, 0, width, height};
  double aspect = picture.Aspect();
  if (picture.style == ResizeStyle::Wide) aspect = 16.0 / 9.0;
  if (picture.style == ResizeStyle::Standard) aspect = 4.0 / 3.0;
  const double ratio = aspect / (double(width) / height);  // > 1: the picture is wider than the frame
  switch (picture.style) {
    case ResizeStyle::Stretch:
      break;
    case ResizeStyle::Fill:
    case ResizeStyle::FillHeight:
      if (ratio > 1.0) {
        cutWidth = std::max(1, int(std::lround(source->width / ratio)));
        cutLeft = (source->width - cutWidth) / 2;
        break;
      }
      if (picture.style == ResizeStyle::Fill) {
        cutHeight = std::max(1, int(std::lround(source->height * ratio)));
        cutTop = (source->height - cutHeight) / 2;
        break;
      }
      [[fallthrough]];
    default:
      if (ratio > 1.0) {
        const int h = std::min(height, std::max(1, int(std::lround(height / ratio))));
        into.top = (height - h) / 2;
        into.bottom = into.top + h;
      } else {
        const int w = std::min(width, std::max(1, int(std::lround(width * ratio))));
        into.left = (width - w) / 2;
        into.right = into.left + w;
      }
  }
  scaler.Scale(source, cutLeft, cutTop, cutWidth, cutHeight, canvas, into);
  engines::media::FramePtr frame = engines::media::MakeFrame();
  if (!frame) return {};
  frame->format = AV_PIX_FMT_BGRA;
  frame->width = width;
  frame->height = height;
  if (av_frame_get_buffer(frame.get(), 0) < 0) return {};
  for (int y = 0; y < height; ++y)
    std::memcpy(frame->data[0] + ptrdiff_t(y) * frame->linesize[0], &canvas.pixels[size_t(y) * width], size_t(width) * 4);
  return frame;
}

}  // namespace player
