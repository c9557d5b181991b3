#include "engines/QM_DataProcess/PictureSettings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "engines/media/FrameConvert.h"

namespace dataprocess {
namespace {

uint8_t Clamp(int value) { return uint8_t(std::clamp(value, 0, 255)); }

uint8_t* Row(AVFrame* frame, int y) { return frame->data[0] + ptrdiff_t(y) * frame->linesize[0]; }

void Deinterlace(int mode, AVFrame* frame) {
  if (mode < 1 || mode > 4 || frame->height < 2) return;
  const int kept = (mode == 1 || mode == 3) ? 1 : 0;  // the field whose lines stay
  const size_t bytes = size_t(frame->width) * 4;
  for (int y = 1 - kept; y < frame->height; y += 2) {
    const int above = y - 1, below = y + 1;
    if (mode <= 2 || below >= frame->height || above < 0) {
      // Each pair of lines (0 and 1, 2 and 3 ...) shows the line of the kept field.
      int source = kept ? below : above;
      if (source < 0 || source >= frame->height) source = kept ? above : below;
      std::memcpy(Row(frame, y), Row(frame, source), bytes);
    } else {
      uint8_t* out = Row(frame, y);
      const uint8_t* a = Row(frame, above);
      const uint8_t* b = Row(frame, below);
      for (size_t i = 0; i < bytes; ++i) out[i] = uint8_t((a[i] + b[i] + 1) / 2);
    }
  }
}

void Flip(int bits, AVFrame* frame) {
  if (bits & 1) {
    for (int y = 0; y < frame->height; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(Row(frame, y));
      std::reverse(row, row + frame->width);
    }
  }
  if (bits & 2) {
    std::vector<uint8_t> line(size_t(frame->width) * 4);
    for (int y = 0; y < frame->height / 2; ++y) {
      uint8_t* a = Row(frame, y);
      uint8_t* b = Row(frame, frame->height - 1 - y);
      std::memcpy(line.data(), a, line.size());
      std::memcpy(a, b, line.size());
      std::memcpy(b, line.data(), line.size());
    }
  }
}

// Brightness shifts by up to 128 levels; contrast scales around mid-grey from 0 (flat, at
// -100) to 3 times (at +100).
std::array<uint8_t, 256> LevelTable(int brightness, int contrast) {
  std::array<uint8_t, 256> table{};
  const double shift = brightness * 1.28;
  const double gain = contrast >= 0 ? 1.0 + contrast / 50.0 : 1.0 + contrast / 100.0;
  for (int v = 0; v < 256; ++v) table[v] = Clamp(int(std::lround((v - 128) * gain + 128 + shift)));
  return table;
}

int Luma(const uint8_t* p) { return (p[2] * 77 + p[1] * 150 + p[0] * 29 + 128) >> 8; }

void Emboss(AVFrame* frame) {
  const int w = frame->width, h = frame->height;
  std::vector<uint8_t> luma(size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) luma[size_t(y) * w + x] = uint8_t(Luma(Row(frame, y) + x * 4));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int x0 = std::max(0, x - 1), y0 = std::max(0, y - 1);
      const int x1 = std::min(w - 1, x + 1), y1 = std::min(h - 1, y + 1);
      const int v = Clamp(128 + luma[size_t(y1) * w + x1] - luma[size_t(y0) * w + x0]);
      uint8_t* p = Row(frame, y) + x * 4;
      p[0] = p[1] = p[2] = uint8_t(v);
    }
  }
}

void BlendWatermark(const Watermark& mark, AVFrame* frame) {
  if (mark.width <= 0 || mark.height <= 0 || mark.opacity <= 0) return;
  const int left = int(std::lround(mark.left * frame->width));
  const int top = int(std::lround(mark.top * frame->height));
  const int width = int(std::lround((mark.right - mark.left) * frame->width));
  const int height = int(std::lround((mark.bottom - mark.top) * frame->height));
  if (width <= 0 || height <= 0) return;
  const int opacity = std::min(mark.opacity, 100);
  for (int y = std::max(0, top); y < std::min(frame->height, top + height); ++y) {
    const int sy = (y - top) * mark.height / height;
    for (int x = std::max(0, left); x < std::min(frame->width, left + width); ++x) {
      const int sx = (x - left) * mark.width / width;
      const uint8_t* s = &mark.pixels[(size_t(sy) * mark.width + sx) * 4];
      const int alpha = s[3] * opacity / 100;  // 0..255
      uint8_t* d = Row(frame, y) + x * 4;
      for (int c = 0; c < 3; ++c) d[c] = uint8_t((s[c] * alpha + d[c] * (255 - alpha) + 127) / 255);
    }
  }
}

}  // namespace

engines::media::FramePtr CropPicture(const Crop& crop, engines::media::FramePtr bgra) {
  int left = std::clamp(crop.left, 0, bgra->width), top = std::clamp(crop.top, 0, bgra->height);
  int right = crop.right > 0 ? std::min(crop.right, bgra->width) : bgra->width;
  int bottom = crop.bottom > 0 ? std::min(crop.bottom, bgra->height) : bgra->height;
  if (right - left < 2 || bottom - top < 2) left = top = 0, right = bgra->width, bottom = bgra->height;
  // Most clips are not cropped: the picture is used as it is, without a copy.
  if (left == 0 && top == 0 && right == bgra->width && bottom == bgra->height) return bgra;
  engines::media::FramePtr out = engines::media::MakeFrame();
  out->format = AV_PIX_FMT_BGRA;
  out->width = right - left;
  out->height = bottom - top;
  if (av_frame_get_buffer(out.get(), 0) < 0) return nullptr;
  for (int y = 0; y < out->height; ++y) {
    std::memcpy(Row(out.get(), y), bgra->data[0] + ptrdiff_t(y + top) * bgra->linesize[0] + left * 4,
                size_t(out->width) * 4);
  }
  return out;
}

void ApplyPicture(const PictureSettings& s, AVFrame* frame) {
  Deinterlace(s.deinterlace, frame);
  Flip(s.flip, frame);
  const bool levels = s.brightness != 0 || s.contrast != 0;
  const auto table = LevelTable(s.brightness, s.contrast);
  const double saturation = 1.0 + std::clamp(s.saturation, -100, 100) / 100.0;
  const bool gray = s.effects & kEffectGray, negative = s.effects & kEffectNegative;
  const bool oldFilm = s.effects & kEffectOldFilm;
  if (levels || s.saturation != 0 || gray || negative || oldFilm) {
    for (int y = 0; y < frame->height; ++y) {
      uint8_t* p = Row(frame, y);
      for (int x = 0; x < frame->width; ++x, p += 4) {
        if (levels) p[0] = table[p[0]], p[1] = table[p[1]], p[2] = table[p[2]];
        if (s.saturation != 0) {
          const int l = Luma(p);
          for (int c = 0; c < 3; ++c) p[c] = Clamp(int(std::lround(l + (p[c] - l) * saturation)));
        }
        if (gray) p[0] = p[1] = p[2] = uint8_t(Luma(p));
        if (oldFilm) {
          // Sepia tone.
          const int l = Luma(p);
          p[2] = Clamp(l + 40);
          p[1] = Clamp(l + 20);
          p[0] = Clamp(l - 20);
        }
        if (negative) p[0] = 255 - p[0], p[1] = 255 - p[1], p[2] = 255 - p[2];
      }
    }
  }
  if (s.effects & kEffectEmboss) Emboss(frame);
  BlendWatermark(s.watermark, frame);
}

}  // namespace dataprocess
