// Icons: every entry of the directory is a frame of the resolution dimension, as a 32-bit ARGB
// image (classic DIB entries with their AND mask, or PNG-compressed entries). The largest size
// with the deepest colour is the active frame. Also the signature dispatch of all decoders.

#include <cstring>

#include "platform/gdiplus/Codecs.h"

namespace platform::detail {

GpStatus DecodeIcon(ByteSpan bytes, DecodedImage* image) {
  ByteReader r{bytes};
  if (!r.Has(0, 6) || r.U16(0) != 0 || r.U16(2) != 1) return GenericError;
  int count = r.U16(4);
  if (count == 0 || !r.Has(6, size_t(count) * 16)) return GenericError;
  int best = -1;
  int64_t bestScore = -1;
  for (int i = 0; i < count; ++i) {
    size_t entry = 6 + size_t(i) * 16;
    uint32_t size = r.U32(entry + 8), offset = r.U32(entry + 12);
    if (!r.Has(offset, size) || size < 8) continue;  // a damaged entry is skipped
    ByteSpan data = bytes.subspan(offset, size);
    Frame frame;
    if (std::memcmp(data.data(), "\x89PNG", 4) == 0) {
      DecodedImage png;
      if (DecodePng(data, &png) != Ok) continue;
      frame = FrameFromArgb(FrameToArgb(png.frames[0]), png.frames[0].width, png.frames[0].height, PixelFormat32bppARGB);
    } else if (DecodeDib(data, 0, true, &frame, nullptr, nullptr) != Ok) {
      continue;
    }
    int bits = r.U16(entry + 6);
    int64_t score = int64_t(frame.width) * frame.height * 64 + bits;
    if (score > bestScore) bestScore = score, best = static_cast<int>(image->frames.size());
    image->frames.push_back(std::move(frame));
  }
  if (image->frames.empty()) return GenericError;
  image->rawFormat = ImageFormatIcon;
  image->dimension = FrameDimensionResolution;
  image->activeFrame = static_cast<size_t>(best);
  return Ok;
}

GpStatus DecodeImage(ByteSpan bytes, DecodedImage* image) {
  auto starts = [&](const char* signature, size_t length) {
    return bytes.size() >= length && std::memcmp(bytes.data(), signature, length) == 0;
  };
  *image = DecodedImage{};
  GpStatus status;
  if (starts("BM", 2)) status = DecodeBmp(bytes, image);
  else if (starts("\x89PNG\r\n\x1A\n", 8)) status = DecodePng(bytes, image);
  else if (starts("\xFF\xD8\xFF", 3)) status = DecodeJpeg(bytes, image);
  else if (starts("GIF87a", 6) || starts("GIF89a", 6)) status = DecodeGif(bytes, image);
  else if (starts("II*\0", 4) || starts("MM\0*", 4)) status = DecodeTiff(bytes, image);
  else if (starts("\0\0\1\0", 4)) status = DecodeIcon(bytes, image);
  else return UnknownImageFormat;
  if (status != Ok) *image = DecodedImage{};
  return status;
}

}  // namespace platform::detail
