// BMP: every header version (core, info, V2-V5), 1/4/8/16/24/32 bits, RLE4/RLE8, bit fields,
// bottom-up and top-down rows. The encoder writes an info header, bottom-up, like Windows.

#include <bit>
#include <cmath>
#include <cstring>

#include "platform/gdiplus/Codecs.h"

namespace platform::detail {
namespace {

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;

struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;
  explicit Channel(uint32_t m = 0) : mask(m) {
    if (mask) {
      shift = std::countr_zero(mask);
      max = mask >> shift;
    }
  }
  uint32_t Get(uint32_t pixel, uint32_t fallback) const {
    if (!mask) return fallback;
    return (((pixel & mask) >> shift) * 255 + max / 2) / max;
  }
};

// Decodes RLE8/RLE4 runs into index rows (bottom-up as stored). Missing data leaves index 0.
bool DecodeRle(ByteSpan data, int width, int height, bool four, std::vector<uint8_t>* indices) {
  indices->assign(static_cast<size_t>(width) * height, 0);
  int x = 0, y = 0;
  size_t p = 0;
  auto put = [&](uint8_t v) {
    if (x < width && y < height) (*indices)[size_t(y) * width + x] = v;
    ++x;
  };
  while (p + 1 < data.size() && y < height) {
    uint8_t count = data[p], value = data[p + 1];
    p += 2;
    if (count) {
      for (int i = 0; i < count; ++i) put(four ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value);
    } else if (value == 0) {
      x = 0, ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (p + 1 >= data.size()) break;
      x += data[p], y += data[p + 1];
      p += 2;
    } else {
      size_t bytes = four ? (value + 1) / 2 : value;
      if (p + bytes > data.size()) return false;
      for (int i = 0; i < value; ++i) {
        uint8_t b = data[p + (four ? i / 2 : i)];
        put(four ? ((i & 1) ? (b & 0x0F) : (b >> 4)) : b);
      }
      p += (bytes + 1) & ~size_t{1};
    }
  }
  return true;
}

}  // namespace

GpStatus DecodeDib(ByteSpan dib, size_t pixelOffset, bool iconMask, Frame* frame, REAL* dpiX, REAL* dpiY) {
  ByteReader r{dib};
  if (!r.Has(0, 4)) return GenericError;
  uint32_t headerSize = r.U32(0);
  if (headerSize < 12 || !r.Has(0, headerSize)) return GenericError;
  int64_t width, height;
  int bits;
  uint32_t compression = kBiRgb, colorsUsed = 0;
  uint32_t masks[4] = {0, 0, 0, 0};
  size_t paletteEntrySize = 4;
  size_t offset = headerSize;
  if (headerSize == 12) {
    width = r.U16(4);
    height = static_cast<int16_t>(r.U16(6));
    bits = r.U16(10);
    paletteEntrySize = 3;
  } else {
    if (headerSize < 40) return GenericError;
    width = r.I32(4);
    height = r.I32(8);
    bits = r.U16(14);
    compression = r.U32(16);
    int32_t xppm = r.I32(24), yppm = r.I32(28);
    if (xppm > 0 && yppm > 0 && dpiX && dpiY) {
      *dpiX = static_cast<REAL>(std::round(xppm * 0.0254 * 100) / 100);
      *dpiY = static_cast<REAL>(std::round(yppm * 0.0254 * 100) / 100);
    }
    colorsUsed = r.U32(32);
    if (compression == kBiBitfields || compression == kBiAlphaBitfields) {
      size_t count = compression == kBiAlphaBitfields ? 4 : 3;
      if (headerSize >= 52) {
        count = headerSize >= 56 ? 4 : 3;
        for (size_t i = 0; i < count; ++i) masks[i] = r.U32(40 + 4 * i);
      } else {
        if (!r.Has(offset, 4 * count)) return GenericError;
        for (size_t i = 0; i < count; ++i) masks[i] = r.U32(offset + 4 * i);
        offset += 4 * count;
      }
    } else if (headerSize >= 56) {
      // A V3+ header carries an alpha mask even for plain RGB data; it only counts with fields.
    }
  }
  bool topDown = height < 0;
  if (topDown) {
    if (compression == kBiRle4 || compression == kBiRle8) return GenericError;
    height = -height;
  }
  if (iconMask) height /= 2;
  if (!ImageSizeAcceptable(width, height)) return height == 0 || width <= 0 ? GenericError : OutOfMemory;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return GenericError;
  if (compression == kBiRle8 && bits != 8) return GenericError;
  if (compression == kBiRle4 && bits != 4) return GenericError;
  if (compression != kBiRgb && compression != kBiRle8 && compression != kBiRle4 &&
      compression != kBiBitfields && compression != kBiAlphaBitfields)
    return NotImplemented;  // embedded JPEG/PNG in a BMP is not read

  std::vector<ARGB> palette;
  if (bits <= 8) {
    size_t count = colorsUsed && colorsUsed <= (1u << bits) ? colorsUsed : (1u << bits);
    if (!r.Has(offset, count * paletteEntrySize)) return GenericError;
    for (size_t i = 0; i < count; ++i) {
      const uint8_t* p = dib.data() + offset + i * paletteEntrySize;
      palette.push_back(0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]);
    }
    offset += count * paletteEntrySize;
    palette.resize(size_t{1} << bits, 0xFF000000u);
  } else if (bits != 24 && headerSize > 40 && headerSize >= 52 && compression == kBiRgb) {
    // Plain 16/32-bit data with a large header: the masks are the defaults below.
  }
  if (pixelOffset) offset = pixelOffset;
  if (offset > dib.size()) return GenericError;
  ByteSpan pixels = dib.subspan(offset);
  int w = static_cast<int>(width), h = static_cast<int>(height);
  size_t stride = ((size_t(w) * bits + 31) / 32) * 4;

  auto sourceRow = [&](int y) { return pixels.data() + (topDown ? y : h - 1 - y) * stride; };

  if (compression == kBiRle4 || compression == kBiRle8) {
    std::vector<uint8_t> indices;
    if (!DecodeRle(pixels, w, h, compression == kBiRle4, &indices)) return GenericError;
    *frame = MakeFrame(w, h, PixelFormat8bppIndexed);
    frame->palette = palette;
    frame->palette.resize(256, 0xFF000000u);
    for (int y = 0; y < h; ++y) std::memcpy(frame->Row(y), &indices[size_t(h - 1 - y) * w], w);
    return Ok;
  }
  if (pixels.size() < stride * h) return GenericError;

  if (bits <= 8) {
    PixelFormat format = bits == 1 ? PixelFormat1bppIndexed : bits == 4 ? PixelFormat4bppIndexed : PixelFormat8bppIndexed;
    *frame = MakeFrame(w, h, format);
    frame->palette = palette;
    for (int y = 0; y < h; ++y) std::memcpy(frame->Row(y), sourceRow(y), (size_t(w) * bits + 7) / 8);
  } else if (bits == 24) {
    *frame = MakeFrame(w, h, PixelFormat24bppRGB);
    for (int y = 0; y < h; ++y) std::memcpy(frame->Row(y), sourceRow(y), size_t(w) * 3);
  } else {
    bool fields = compression == kBiBitfields || compression == kBiAlphaBitfields;
    if (!fields) {
      if (bits == 16) masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
      else masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF, masks[3] = 0;
    }
    PixelFormat direct = 0;
    if (bits == 16 && masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x1F && !masks[3])
      direct = PixelFormat16bppRGB555;
    else if (bits == 16 && masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x1F && !masks[3])
      direct = PixelFormat16bppRGB565;
    else if (bits == 32 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF)
      direct = masks[3] == 0xFF000000u ? PixelFormat32bppARGB : masks[3] == 0 ? PixelFormat32bppRGB : 0;
    if (direct) {
      *frame = MakeFrame(w, h, direct);
      for (int y = 0; y < h; ++y) std::memcpy(frame->Row(y), sourceRow(y), size_t(w) * (bits / 8));
    } else {
      Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
      *frame = MakeFrame(w, h, masks[3] ? PixelFormat32bppARGB : PixelFormat32bppRGB);
      std::vector<ARGB> row(w);
      for (int y = 0; y < h; ++y) {
        const uint8_t* s = sourceRow(y);
        for (int x = 0; x < w; ++x) {
          uint32_t v = bits == 16 ? uint32_t(s[2 * x] | s[2 * x + 1] << 8)
                                  : uint32_t(s[4 * x]) | uint32_t(s[4 * x + 1]) << 8 |
                                        uint32_t(s[4 * x + 2]) << 16 | uint32_t(s[4 * x + 3]) << 24;
          row[x] = alpha.Get(v, 255) << 24 | red.Get(v, 0) << 16 | green.Get(v, 0) << 8 | blue.Get(v, 0);
        }
        RowFromArgb(frame->format, frame->Row(y), 0, w, frame->palette, row.data());
      }
    }
  }

  if (iconMask) {
    // The AND mask follows the colour rows: bit 1 is transparent. A 32-bit icon carries its
    // own alpha and only uses the mask when every alpha byte is zero.
    std::vector<ARGB> argb = FrameToArgb(*frame);
    bool ownAlpha = false;
    if (bits == 32)
      for (int y = 0; y < h && !ownAlpha; ++y)
        for (int x = 0; x < w; ++x)
          if (sourceRow(y)[4 * x + 3]) {
            ownAlpha = true;
            break;
          }
    size_t maskStride = ((size_t(w) + 31) / 32) * 4;
    ByteSpan mask = pixels.subspan(std::min(pixels.size(), stride * h));
    bool haveMask = mask.size() >= maskStride * h;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        ARGB& c = argb[size_t(y) * w + x];
        if (bits == 32 && ownAlpha) {
          c = uint32_t(sourceRow(y)[4 * x + 3]) << 24 | (c & 0xFFFFFF);
          continue;
        }
        c |= 0xFF000000u;
        if (haveMask && (mask[(h - 1 - y) * maskStride + x / 8] >> (7 - x % 8)) & 1) c = 0;
      }
    *frame = FrameFromArgb(argb, w, h, PixelFormat32bppARGB);
  }
  return Ok;
}

GpStatus DecodeBmp(ByteSpan bytes, DecodedImage* image) {
  ByteReader r{bytes};
  if (!r.Has(0, 18) || bytes[0] != 'B' || bytes[1] != 'M') return GenericError;
  uint32_t pixelOffset = r.U32(10);
  ByteSpan dib = bytes.subspan(14);
  size_t offsetInDib = pixelOffset >= 14 + 12 && pixelOffset < bytes.size() ? pixelOffset - 14 : 0;
  Frame frame;
  REAL dpiX = 0, dpiY = 0;
  GpStatus status = DecodeDib(dib, offsetInDib, false, &frame, &dpiX, &dpiY);
  if (status != Ok) return status;
  image->rawFormat = ImageFormatBMP;
  image->frames.push_back(std::move(frame));
  if (dpiX > 0 && dpiY > 0) image->dpiX = dpiX, image->dpiY = dpiY, image->hasRealDpi = true;
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
  PutU32(*out, kBiRgb);
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
