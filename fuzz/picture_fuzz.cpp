// Reads arbitrary bytes with the platform's picture reader as a BMP file, a bare DIB, an icon or
// cursor file (every entry) and a PNG in both layouts. Whatever reads is converted to ARGB and
// its sizes are checked against what was allocated; bad input must end in a status, never in a
// crash or an out-of-bounds access.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/gdi/PictureReader.h"

using namespace platform::picture;

namespace {

// Small limits keep one run quick; the checks are the same at any size.
const PictureLimits kLimits{4096, int64_t{1} << 20};

void Check(bool condition) {
  if (!condition) std::abort();
}

void Use(const Dib& dib) {
  Check(dib.rows.size() == static_cast<size_t>(dib.stride) * dib.height);
  Check(dib.palette.size() <= (dib.bitsPerPixel <= 8 ? size_t{1} << dib.bitsPerPixel : 0));
  Check(DibToArgb(dib).size() == static_cast<size_t>(dib.width) * dib.height);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ByteView bytes(data, size);
  Dib dib;
  if (ReadBmp(bytes, &dib, kLimits)) Use(dib);
  if (ReadDib(bytes, &dib, kLimits)) Use(dib);

  IconDirectory directory;
  if (ReadIconDirectory(bytes, &directory)) {
    for (const IconEntry& entry : directory.entries) {
      IconImage image;
      if (!ReadIconImage(bytes, entry, &image, kLimits)) continue;
      Check(image.argb.size() == static_cast<size_t>(image.width) * image.height);
      if (!image.png) Use(image.dib);
    }
  }

  for (PngLayout layout : {PngLayout::Argb, PngLayout::Native}) {
    Png png;
    if (ReadPng(bytes, &png, layout, kLimits))
      Check(png.pixels.size() == static_cast<size_t>(png.stride) * png.height);
  }
  return 0;
}
