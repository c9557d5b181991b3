// PNG through libpng's simplified interface: palette images stay indexed (with their
// transparency in the palette), others become 24-bit RGB or 32-bit ARGB; 16-bit channels are
// reduced to 8. The physical size chunk gives the resolution.

#include <png.h>

#include <cmath>
#include <cstring>

#include "platform/gdiplus/Codecs.h"

namespace platform::detail {
namespace {

struct PngImage {
  png_image image;
  PngImage() {
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
  }
  ~PngImage() { png_image_free(&image); }
};

// Reads pHYs ourselves: the simplified interface does not report it.
bool ReadPhysicalSize(ByteSpan bytes, REAL* dpiX, REAL* dpiY) {
  size_t p = 8;
  while (p + 12 <= bytes.size()) {
    uint32_t length = uint32_t(bytes[p]) << 24 | uint32_t(bytes[p + 1]) << 16 | uint32_t(bytes[p + 2]) << 8 | bytes[p + 3];
    if (length > bytes.size() - p - 12) return false;
    const uint8_t* type = bytes.data() + p + 4;
    if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) return false;
    if (std::memcmp(type, "pHYs", 4) == 0 && length == 9) {
      const uint8_t* d = type + 4;
      uint32_t x = uint32_t(d[0]) << 24 | uint32_t(d[1]) << 16 | uint32_t(d[2]) << 8 | d[3];
      uint32_t y = uint32_t(d[4]) << 24 | uint32_t(d[5]) << 16 | uint32_t(d[6]) << 8 | d[7];
      if (d[8] != 1 || x == 0 || y == 0) return false;  // unit must be the metre
      *dpiX = static_cast<REAL>(std::round(x * 0.0254 * 100) / 100);
      *dpiY = static_cast<REAL>(std::round(y * 0.0254 * 100) / 100);
      return true;
    }
    p += 12 + length;
  }
  return false;
}

}  // namespace

GpStatus DecodePng(ByteSpan bytes, DecodedImage* image) {
  PngImage png;
  if (!png_image_begin_read_from_memory(&png.image, bytes.data(), bytes.size())) return GenericError;
  int64_t w = png.image.width, h = png.image.height;
  if (!ImageSizeAcceptable(w, h)) return OutOfMemory;
  Frame frame;
  if (png.image.format & PNG_FORMAT_FLAG_COLORMAP) {
    png.image.format = PNG_FORMAT_BGRA_COLORMAP;
    frame = MakeFrame(static_cast<int>(w), static_cast<int>(h), PixelFormat8bppIndexed);
    std::vector<uint8_t> colormap(PNG_IMAGE_COLORMAP_SIZE(png.image));
    if (!png_image_finish_read(&png.image, nullptr, frame.pixels.data(), frame.stride, colormap.data()))
      return GenericError;
    frame.palette.assign(png.image.colormap_entries, 0);
    for (size_t i = 0; i < frame.palette.size(); ++i) {
      const uint8_t* c = colormap.data() + 4 * i;
      frame.palette[i] = uint32_t(c[3]) << 24 | uint32_t(c[2]) << 16 | uint32_t(c[1]) << 8 | c[0];
    }
    if (FrameHasAlpha(frame)) frame.paletteFlags |= PaletteFlagsHasAlpha;
  } else {
    bool alpha = png.image.format & PNG_FORMAT_FLAG_ALPHA;
    png.image.format = alpha ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
    frame = MakeFrame(static_cast<int>(w), static_cast<int>(h), alpha ? PixelFormat32bppARGB : PixelFormat24bppRGB);
    if (!png_image_finish_read(&png.image, nullptr, frame.pixels.data(), frame.stride, nullptr))
      return GenericError;
  }
  image->rawFormat = ImageFormatPNG;
  image->frames.push_back(std::move(frame));
  REAL dpiX, dpiY;
  if (ReadPhysicalSize(bytes, &dpiX, &dpiY)) image->dpiX = dpiX, image->dpiY = dpiY, image->hasRealDpi = true;
  return Ok;
}

GpStatus EncodePng(const Frame& frame, Bytes* out) {
  PngImage png;
  png.image.width = static_cast<png_uint_32>(frame.width);
  png.image.height = static_cast<png_uint_32>(frame.height);
  const void* buffer;
  int stride;
  std::vector<uint8_t> colormap, indices, converted;
  if (IsIndexedPixelFormat(frame.format)) {
    png.image.format = PNG_FORMAT_BGRA_COLORMAP;
    png.image.colormap_entries = static_cast<png_uint_32>(std::min<size_t>(256, frame.palette.size()));
    for (size_t i = 0; i < png.image.colormap_entries; ++i) {
      ARGB c = frame.palette[i];
      colormap.insert(colormap.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), uint8_t(c >> 24)});
    }
    indices.resize(size_t(frame.width) * frame.height);
    for (int y = 0; y < frame.height; ++y)
      for (int x = 0; x < frame.width; ++x) indices[size_t(y) * frame.width + x] = ReadIndex(frame.format, frame.Row(y), x);
    buffer = indices.data();
    stride = frame.width;
  } else if (frame.format == PixelFormat24bppRGB) {
    png.image.format = PNG_FORMAT_BGR;
    buffer = frame.pixels.data();
    stride = frame.stride / 3 * 3 == frame.stride ? frame.stride / 3 : 0;
    if (!stride) {
      // libpng counts the stride in components; a padded 24-bit row is repacked.
      converted.resize(size_t(frame.width) * 3 * frame.height);
      for (int y = 0; y < frame.height; ++y)
        std::memcpy(&converted[size_t(y) * frame.width * 3], frame.Row(y), size_t(frame.width) * 3);
      buffer = converted.data();
      stride = frame.width * 3;
    }
  } else {
    bool alpha = FrameHasAlpha(frame);
    png.image.format = alpha ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
    int channels = alpha ? 4 : 3;
    converted.resize(size_t(frame.width) * channels * frame.height);
    std::vector<ARGB> row(frame.width);
    for (int y = 0; y < frame.height; ++y) {
      RowToArgb(frame.format, frame.Row(y), 0, frame.width, frame.palette, row.data());
      uint8_t* d = &converted[size_t(y) * frame.width * channels];
      for (int x = 0; x < frame.width; ++x) {
        ARGB c = row[x];
        d[0] = uint8_t(c), d[1] = uint8_t(c >> 8), d[2] = uint8_t(c >> 16);
        if (alpha) d[3] = uint8_t(c >> 24);
        d += channels;
      }
    }
    buffer = converted.data();
    stride = frame.width * channels;
  }
  png_alloc_size_t size = 0;
  if (!png_image_write_get_memory_size(png.image, size, 0, buffer, stride, colormap.empty() ? nullptr : colormap.data()))
    return GenericError;
  out->resize(size);
  if (!png_image_write_to_memory(&png.image, out->data(), &size, 0, buffer, stride,
                                 colormap.empty() ? nullptr : colormap.data()))
    return GenericError;
  out->resize(size);
  return Ok;
}

}  // namespace platform::detail
