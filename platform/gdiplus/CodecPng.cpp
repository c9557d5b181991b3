// PNG, read by the platform's picture reader: palette images stay indexed (with their
// transparency in the palette), others become 24-bit RGB or 32-bit ARGB; 16-bit channels are
// reduced to 8. The physical size chunk gives the resolution. Written through libpng's
// simplified interface.

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

}  // namespace

GpStatus DecodePng(ByteSpan bytes, DecodedImage* image) {
  picture::Png png;
  if (GpStatus status = StatusOf(picture::ReadPng(bytes, &png, picture::PngLayout::Native, DecoderLimits()));
      status != Ok)
    return status;
  const PixelFormat format = png.format == picture::Png::Format::Indexed8 ? PixelFormat8bppIndexed
                             : png.format == picture::Png::Format::Bgr24  ? PixelFormat24bppRGB
                                                                          : PixelFormat32bppARGB;
  Frame frame = MakeFrame(png.width, png.height, format);
  for (int y = 0; y < png.height; ++y)
    std::memcpy(frame.Row(y), png.pixels.data() + size_t(y) * png.stride, size_t(png.stride));
  if (format == PixelFormat8bppIndexed) {
    frame.palette = png.palette;
    if (FrameHasAlpha(frame)) frame.paletteFlags |= PaletteFlagsHasAlpha;
  }
  image->rawFormat = ImageFormatPNG;
  image->frames.push_back(std::move(frame));
  if (png.pixelsPerMetreX && png.pixelsPerMetreY) {
    image->dpiX = DpiOf(png.pixelsPerMetreX);
    image->dpiY = DpiOf(png.pixelsPerMetreY);
    image->hasRealDpi = true;
  }
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
