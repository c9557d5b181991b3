// Icons: every entry of the directory is a frame of the resolution dimension, as a 32-bit ARGB
// image (classic DIB entries with their AND mask, or PNG-compressed entries). The largest size
// with the deepest colour is the active frame. Also the signature dispatch of all decoders.

#include <cstring>

#include "platform/gdiplus/Codecs.h"

namespace platform::detail {

GpStatus DecodeIcon(ByteSpan bytes, DecodedImage* image) {
  picture::IconDirectory directory;
  if (GpStatus status = StatusOf(picture::ReadIconDirectory(bytes, &directory)); status != Ok) return status;
  if (directory.cursor) return GenericError;
  int best = -1;
  int64_t bestScore = -1;
  for (const picture::IconEntry& entry : directory.entries) {
    picture::IconImage icon;
    if (!picture::ReadIconImage(bytes, entry, &icon, DecoderLimits())) continue;  // a damaged entry is skipped
    const int64_t score = int64_t(icon.width) * icon.height * 64 + entry.bitCount;
    if (score > bestScore) bestScore = score, best = static_cast<int>(image->frames.size());
    image->frames.push_back(FrameFromArgb(icon.argb, icon.width, icon.height, PixelFormat32bppARGB));
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
