// Capturing, saving, loading and comparing pictures for tests.

#include "platform/testing/Pictures.h"

#include "platform/gdi/CairoHandles.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace platform::testing {

Image FromBuffer(const platform::detail::PixelBuffer& buffer) {
  Image image;
  if (!buffer.pixels) return image;
  image.width = buffer.width;
  image.height = buffer.height;
  image.pixels.resize(static_cast<size_t>(buffer.width) * buffer.height);
  for (int y = 0; y < buffer.height; ++y) {
    std::memcpy(&image.pixels[static_cast<size_t>(y) * buffer.width], buffer.pixels + static_cast<ptrdiff_t>(y) * buffer.stride,
                static_cast<size_t>(buffer.width) * 4);
  }
  return image;
}

Image CaptureDc(HDC dc) {
  platform::detail::DcPixels pixels;
  if (!platform::detail::ReadDcPixels(dc, &pixels)) return {};
  return FromBuffer(pixels.buffer);
}

Image CaptureBitmap(HBITMAP bitmap) {
  BITMAP info{};
  if (!GetObjectA(bitmap, sizeof(info), &info)) return {};
  Image image;
  image.width = info.bmWidth;
  image.height = info.bmHeight;
  image.pixels.resize(static_cast<size_t>(image.width) * image.height);
  BITMAPINFO header = platform::TopDownBitmapInfo32(image.width, image.height);
  HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  const int lines = GetDIBits(screen, bitmap, 0, static_cast<UINT>(image.height), image.pixels.data(), &header, DIB_RGB_COLORS);
  DeleteDC(screen);
  if (lines != image.height) return {};
  return image;
}

bool SavePng(const Image& image, const std::string& path, std::string* error, Alpha alpha) {
  if (image.width <= 0 || image.height <= 0) {
    if (error) *error = "cannot save '" + path + "': the picture is empty";
    return false;
  }
  if (image.pixels.size() < static_cast<size_t>(image.width) * image.height) {
    if (error) *error = "cannot save '" + path + "': the picture has fewer pixels than its size";
    return false;
  }
  const platform::CairoSurface surface(
      cairo_image_surface_create(alpha == Alpha::Keep ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, image.width, image.height));
  // cairo hands back an error surface without pixels for sizes it cannot hold.
  if (const cairo_status_t status = cairo_surface_status(surface.get()); status != CAIRO_STATUS_SUCCESS) {
    if (error) *error = "cannot save '" + path + "': " + cairo_status_to_string(status);
    return false;
  }
  cairo_surface_flush(surface.get());
  unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  for (int y = 0; y < image.height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
    for (int x = 0; x < image.width; ++x) {
      uint32_t pixel = image.At(x, y);
      if (alpha == Alpha::Keep) {
        // cairo wants premultiplied pixels; GDI pictures with alpha already are.
        const uint32_t a = pixel >> 24;
        uint32_t result = a << 24;
        for (int c = 0; c < 24; c += 8) result |= std::min<uint32_t>((pixel >> c) & 0xFF, a) << c;
        pixel = result;
      } else {
        pixel |= 0xFF000000;
      }
      row[x] = pixel;
    }
  }
  cairo_surface_mark_dirty(surface.get());
  const cairo_status_t status = cairo_surface_write_to_png(surface.get(), path.c_str());
  if (status != CAIRO_STATUS_SUCCESS) {
    if (error) *error = "cannot save '" + path + "': " + cairo_status_to_string(status);
    return false;
  }
  return true;
}

bool SaveDcPng(HDC dc, const std::string& path, std::string* error) {
  const Image image = CaptureDc(dc);
  if (image.pixels.empty()) {
    if (error) *error = "cannot save '" + path + "': not a device context";
    return false;
  }
  return SavePng(image, path, error);
}

bool LoadPng(const std::string& path, Image* image, std::string* error) {
  const platform::CairoSurface surface(cairo_image_surface_create_from_png(path.c_str()));
  const cairo_status_t status = cairo_surface_status(surface.get());
  if (status != CAIRO_STATUS_SUCCESS) {
    if (error) *error = "cannot load '" + path + "': " + cairo_status_to_string(status);
    return false;
  }
  cairo_surface_flush(surface.get());
  image->width = cairo_image_surface_get_width(surface.get());
  image->height = cairo_image_surface_get_height(surface.get());
  image->pixels.resize(static_cast<size_t>(image->width) * image->height);
  const unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  const bool opaque = cairo_image_surface_get_format(surface.get()) == CAIRO_FORMAT_RGB24;
  for (int y = 0; y < image->height; ++y) {
    std::memcpy(&image->pixels[static_cast<size_t>(y) * image->width], data + static_cast<ptrdiff_t>(y) * stride,
                static_cast<size_t>(image->width) * 4);
    if (opaque) {
      for (int x = 0; x < image->width; ++x) image->pixels[static_cast<size_t>(y) * image->width + x] &= 0x00FFFFFF;
    }
  }
  return true;
}

Comparison CompareImages(const Image& expected, const Image& actual, int tolerance, Alpha alpha) {
  Comparison result;
  if (expected.width != actual.width || expected.height != actual.height) {
    result.same = false;
    result.message = "size differs: expected " + std::to_string(expected.width) + "x" + std::to_string(expected.height) +
                     ", got " + std::to_string(actual.width) + "x" + std::to_string(actual.height);
    return result;
  }
  const int channels = alpha == Alpha::Keep ? 4 : 3;
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      const uint32_t a = expected.At(x, y), b = actual.At(x, y);
      for (int c = 0; c < channels; ++c) {
        const int difference = std::abs(static_cast<int>((a >> (8 * c)) & 0xFF) - static_cast<int>((b >> (8 * c)) & 0xFF));
        if (difference > tolerance) {
          char text[128];
          std::snprintf(text, sizeof(text), "first difference at (%d, %d): expected 0x%08X, got 0x%08X", x, y, a, b);
          result.same = false;
          result.message = text;
          return result;
        }
      }
    }
  }
  return result;
}

}  // namespace platform::testing
