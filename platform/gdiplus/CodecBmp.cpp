// BMP: read by the platform's picture reader and kept in the nearest GDI+ pixel format. The
// encoder writes an info header, bottom-up, like Windows.

#include <cmath>
#include <cstring>

#include "platform/gdiplus/Codecs.h"

namespace platform::detail {

GpStatus StatusOf(const picture::PictureResult& result) {
  switch (result.status) {
    case picture::PictureStatus::Ok: return Ok;
    case picture::PictureStatus::TooLarge: return OutOfMemory;
    case picture::PictureStatus::Unsupported: return NotImplemented;  // JPEG or PNG inside a BMP is not read
    default: return GenericError;
  }
}

picture::PictureLimits DecoderLimits() { return picture::PictureLimits{kMaxImageSide, kMaxImagePixels}; }

REAL DpiOf(int64_t pixelsPerMetre) { return static_cast<REAL>(std::round(pixelsPerMetre * 0.0254 * 100) / 100); }

// The frame keeps the DIB's own layout where GDI+ has one: indexed (run-length data as 8 bits),
// 24-bit, 5-5-5, 5-6-5, 32-bit with or without alpha; other bit fields become 32-bit pixels.
Frame FrameFromDib(const picture::Dib& dib) {
  const int w = dib.width, h = dib.height, bits = dib.bitsPerPixel;
  const bool rle = dib.compression == picture::kDibRle8 || dib.compression == picture::kDibRle4;
  Frame frame;
  if (bits <= 8) {
    const int frameBits = rle ? 8 : bits;
    frame = MakeFrame(w, h, frameBits == 1 ? PixelFormat1bppIndexed
                            : frameBits == 4 ? PixelFormat4bppIndexed
                                             : PixelFormat8bppIndexed);
    frame.palette.clear();
    for (uint32_t color : dib.palette) frame.palette.push_back(0xFF000000u | color);
    frame.palette.resize(size_t{1} << frameBits, 0xFF000000u);
    for (int y = 0; y < h; ++y) {
      if (frameBits == bits) {
        std::memcpy(frame.Row(y), dib.Row(y), (size_t(w) * bits + 7) / 8);
      } else {
        for (int x = 0; x < w; ++x) frame.Row(y)[x] = (dib.Row(y)[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
      }
    }
    return frame;
  }
  if (bits == 24) {
    frame = MakeFrame(w, h, PixelFormat24bppRGB);
    for (int y = 0; y < h; ++y) std::memcpy(frame.Row(y), dib.Row(y), size_t(w) * 3);
    return frame;
  }
  const uint32_t* masks = dib.masks;
  PixelFormat direct = 0;
  if (bits == 16 && masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x1F && !masks[3])
    direct = PixelFormat16bppRGB555;
  else if (bits == 16 && masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x1F && !masks[3])
    direct = PixelFormat16bppRGB565;
  else if (bits == 32 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF)
    direct = masks[3] == 0xFF000000u ? PixelFormat32bppARGB : masks[3] == 0 ? PixelFormat32bppRGB : 0;
  if (direct) {
    frame = MakeFrame(w, h, direct);
    for (int y = 0; y < h; ++y) std::memcpy(frame.Row(y), dib.Row(y), size_t(w) * (bits / 8));
    return frame;
  }
  frame = MakeFrame(w, h, masks[3] ? PixelFormat32bppARGB : PixelFormat32bppRGB);
  const std::vector<ARGB> argb = picture::DibToArgb(dib);
  for (int y = 0; y < h; ++y) RowFromArgb(frame.format, frame.Row(y), 0, w, frame.palette, &argb[size_t(y) * w]);
  return frame;
}

GpStatus DecodeBmp(ByteSpan bytes, DecodedImage* image) {
  picture::Dib dib;
  if (GpStatus status = StatusOf(picture::ReadBmp(bytes, &dib, DecoderLimits())); status != Ok) return status;
  image->rawFormat = ImageFormatBMP;
  image->frames.push_back(FrameFromDib(dib));
  if (dib.pixelsPerMetreX > 0 && dib.pixelsPerMetreY > 0) {
    image->dpiX = DpiOf(dib.pixelsPerMetreX);
    image->dpiY = DpiOf(dib.pixelsPerMetreY);
    image->hasRealDpi = true;
  }
  return Ok;
}

GpStatus EncodeBmp(const Frame& frame, REAL dpiX, REAL dpiY, Bytes* out) {
  int bits;
  PixelFormat target;
  switch (frame.format) {
    case PixelFormat1bppIndexed: bits = 1, target = frame.format; break;
    case PixelFormat4bppIndexed: bits = 4, target = frame.format; break;
    case PixelFormat8bppIndexed: bits = 8, target = frame.format; break;
    case PixelFormat32bppRGB: bits = 32, target = PixelFormat32bppRGB; break;
    case PixelFormat32bppARGB:
    case PixelFormat32bppPARGB:
    case PixelFormat64bppARGB:
    case PixelFormat64bppPARGB:
      bits = 32, target = PixelFormat32bppARGB;  // alpha kept in the fourth byte
      break;
    default: bits = 24, target = PixelFormat24bppRGB;
  }
  int w = frame.width, h = frame.height;
  size_t stride = ((size_t(w) * bits + 31) / 32) * 4;
  uint32_t paletteCount = bits <= 8 ? static_cast<uint32_t>(std::min<size_t>(frame.palette.size(), 1u << bits)) : 0;
  uint32_t offset = 14 + 40 + paletteCount * 4;
  uint64_t fileSize = offset + uint64_t(stride) * h;
  if (fileSize > 0xFFFFFFFFu) return ValueOverflow;
  out->clear();
  out->reserve(fileSize);
  out->push_back('B'), out->push_back('M');
  PutU32(*out, static_cast<uint32_t>(fileSize));
  PutU32(*out, 0);
  PutU32(*out, offset);
  PutU32(*out, 40);
  PutU32(*out, static_cast<uint32_t>(w));
  PutU32(*out, static_cast<uint32_t>(h));
  PutU16(*out, 1);
  PutU16(*out, static_cast<uint16_t>(bits));
  PutU32(*out, picture::kDibRgb);
  PutU32(*out, static_cast<uint32_t>(stride * h));
  PutU32(*out, static_cast<uint32_t>(std::lround(dpiX / 0.0254)));
  PutU32(*out, static_cast<uint32_t>(std::lround(dpiY / 0.0254)));
  PutU32(*out, paletteCount);
  PutU32(*out, 0);
  for (uint32_t i = 0; i < paletteCount; ++i) {
    ARGB c = frame.palette[i];
    out->push_back(static_cast<uint8_t>(c)), out->push_back(static_cast<uint8_t>(c >> 8));
    out->push_back(static_cast<uint8_t>(c >> 16)), out->push_back(0);
  }
  std::vector<uint8_t> row(stride, 0);
  std::vector<ARGB> argb(w);
  for (int y = h - 1; y >= 0; --y) {
    if (target == frame.format) {
      std::memcpy(row.data(), frame.Row(y), std::min<size_t>(stride, frame.stride));
    } else {
      RowToArgb(frame.format, frame.Row(y), 0, w, frame.palette, argb.data());
      RowFromArgb(target, row.data(), 0, w, {}, argb.data());
    }
    out->insert(out->end(), row.begin(), row.end());
  }
  return Ok;
}

}  // namespace platform::detail
