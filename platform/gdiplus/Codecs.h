#pragma once

// The image codecs behind the flat functions. Decoders take the whole encoded file in memory
// and fill a DecodedImage; malformed or truncated input gives a status, never a crash.
// Encoders write one frame. Any thread; codecs keep no state between calls.

#include <cstdint>
#include <span>
#include <vector>

#include "platform/gdi/PictureReader.h"
#include "platform/gdiplus/ImageModel.h"

namespace platform::detail {

using Bytes = std::vector<uint8_t>;
using ByteSpan = std::span<const uint8_t>;

// Picks the decoder from the file's signature; UnknownImageFormat when none matches.
GpStatus DecodeImage(ByteSpan bytes, DecodedImage* image);

GpStatus DecodeBmp(ByteSpan bytes, DecodedImage* image);
GpStatus DecodePng(ByteSpan bytes, DecodedImage* image);
GpStatus DecodeJpeg(ByteSpan bytes, DecodedImage* image);
// A JPEG in two steps: everything but the pixels (one frame of the right size, format and
// stride, with no pixel bytes), then the pixels at `eighths`/8 of the full size (1 to 8).
GpStatus ReadJpegHeader(ByteSpan bytes, DecodedImage* image);
GpStatus DecodeJpegPixels(ByteSpan bytes, int eighths, Frame* frame);
// The smallest scale (in eighths) whose picture still covers a target of that size.
int JpegScaleFor(int width, int height, int targetWidth, int targetHeight);
GpStatus DecodeGif(ByteSpan bytes, DecodedImage* image);
GpStatus DecodeTiff(ByteSpan bytes, DecodedImage* image);
GpStatus DecodeIcon(ByteSpan bytes, DecodedImage* image);

// BMP, icons and PNG are read by the platform's picture reader: its status as a GDI+ status, the
// limits every decoder applies, and a resolution from pixels per metre.
GpStatus StatusOf(const picture::PictureResult& result);
picture::PictureLimits DecoderLimits();
REAL DpiOf(int64_t pixelsPerMetre);

// EXIF properties from the payload of a JPEG APP1 segment ("Exif\0\0" and the TIFF block).
void ReadExifProperties(ByteSpan app1, std::vector<Property>* properties);

struct EncodeOptions {
  int quality = 75;        // JPEG, 0..100
  int transformation = 0;  // EncoderValueTransform*, 0 for none
};

GpStatus EncodeBmp(const Frame& frame, REAL dpiX, REAL dpiY, Bytes* out);
GpStatus EncodePng(const Frame& frame, Bytes* out);
GpStatus EncodeJpeg(const Frame& frame, REAL dpiX, REAL dpiY, const EncodeOptions& options, Bytes* out);
GpStatus EncodeGif(const Frame& frame, Bytes* out);
GpStatus EncodeTiff(const Frame& frame, REAL dpiX, REAL dpiY, Bytes* out);

// Little-endian reads that check their bounds.
struct ByteReader {
  ByteSpan bytes;
  bool Has(size_t offset, size_t count) const { return offset <= bytes.size() && count <= bytes.size() - offset; }
  uint16_t U16(size_t offset) const { return static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8); }
  uint32_t U32(size_t offset) const {
    return uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 | uint32_t(bytes[offset + 2]) << 16 |
           uint32_t(bytes[offset + 3]) << 24;
  }
  int32_t I32(size_t offset) const { return static_cast<int32_t>(U32(offset)); }
};

inline void PutU16(Bytes& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void PutU32(Bytes& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

}  // namespace platform::detail
