#include "tools/skingen/CairoImage.h"

#include <algorithm>
#include <cstdint>

namespace skingen {

RgbaImage SurfaceToRgba(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  RgbaImage image;
  image.width = cairo_image_surface_get_width(surface);
  image.height = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  image.pixels.resize(size_t(image.width) * image.height * 4);
  for (int y = 0; y < image.height; ++y) {
    const uint32_t* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * stride);
    for (int x = 0; x < image.width; ++x) {
      const uint32_t pixel = row[x];
      const unsigned a = pixel >> 24;
      uint8_t* out = &image.pixels[(size_t(y) * image.width + x) * 4];
      const unsigned channels[3] = {(pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF};
      for (int c = 0; c < 3; ++c) out[c] = a == 0 ? 0 : static_cast<uint8_t>(std::min(255u, (channels[c] * 255 + a / 2) / a));
      out[3] = static_cast<uint8_t>(a);
    }
  }
  return image;
}

SurfacePtr RgbaToSurface(const RgbaImage& image) {
  SurfacePtr picture(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height), cairo_surface_destroy);
  unsigned char* data = cairo_image_surface_get_data(picture.get());
  const int stride = cairo_image_surface_get_stride(picture.get());
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = &image.pixels[(size_t(y) * image.width + x) * 4];
      const unsigned a = p[3];
      auto pre = [&](unsigned c) { return (c * a + 127) / 255; };
      reinterpret_cast<uint32_t*>(data + size_t(y) * stride)[x] = (a << 24) | (pre(p[0]) << 16) | (pre(p[1]) << 8) | pre(p[2]);
    }
  }
  cairo_surface_mark_dirty(picture.get());
  return picture;
}

}  // namespace skingen
