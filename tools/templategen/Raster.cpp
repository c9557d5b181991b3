#include "tools/templategen/Raster.h"

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <png.h>

#include "tools/common/JpegFiles.h"

namespace templategen {

namespace {

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

File Open(const std::filesystem::path& path, const char* mode, const char* verb, std::string* error) {
  File file(std::fopen(path.c_str(), mode));
  if (!file) *error = std::string("cannot ") + verb + " '" + path.string() + "': " + std::strerror(errno);
  return file;
}

bool Flush(FILE* file, const std::filesystem::path& path, std::string* error) {
  if (std::fflush(file) == 0 && !std::ferror(file)) return true;
  *error = "cannot write '" + path.string() + "': " + std::strerror(errno);
  return false;
}

}  // namespace

Surface NewSurface(int width, int height) {
  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
  return surface;
}

RgbaImage ToRgba(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  RgbaImage image;
  image.width = cairo_image_surface_get_width(surface);
  image.height = cairo_image_surface_get_height(surface);
  image.pixels.resize(size_t(image.width) * image.height * 4);
  const int stride = cairo_image_surface_get_stride(surface);
  const uint8_t* data = cairo_image_surface_get_data(surface);
  for (int y = 0; y < image.height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * stride);
    uint8_t* out = image.pixels.data() + size_t(y) * image.width * 4;
    for (int x = 0; x < image.width; ++x, out += 4) {
      const uint32_t pixel = row[x];
      const uint32_t alpha = pixel >> 24;
      const uint32_t premultiplied[3] = {(pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF};
      for (int c = 0; c < 3; ++c)
        out[c] = alpha == 0 ? 0 : uint8_t(std::min<uint32_t>(255, (premultiplied[c] * 255 + alpha / 2) / alpha));
      out[3] = uint8_t(alpha);
    }
  }
  return image;
}

bool WriteJpeg(const RgbaImage& picture, const std::filesystem::path& path, int quality, std::string* error) {
  return toolfiles::WriteJpeg(picture.pixels.data(), picture.width, picture.height, toolfiles::kRgba, path, quality,
                              error);
}

bool WritePng(const RgbaImage& picture, const std::filesystem::path& path, std::string* error) {
  File file = Open(path, "wb", "create", error);
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    *error = "cannot write '" + path.string() + "': out of memory";
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    *error = "cannot write '" + path.string() + "'";
    return false;
  }
  png_init_io(png, file.get());
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, png_uint_32(picture.width), png_uint_32(picture.height), 8, PNG_COLOR_TYPE_RGB_ALPHA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < picture.height; ++y) png_write_row(png, const_cast<png_bytep>(picture.At(0, y)));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return Flush(file.get(), path, error);
}

bool ReadJpeg(const std::filesystem::path& path, RgbaImage* picture, std::string* error) {
  return toolfiles::ReadJpeg(path, toolfiles::kRgba, &picture->pixels, &picture->width, &picture->height, error);
}

bool ReadPng(const std::filesystem::path& path, RgbaImage* picture, std::string* error) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) {
    *error = "cannot read '" + path.string() + "': " + png.message;
    return false;
  }
  png.format = PNG_FORMAT_RGBA;
  picture->width = int(png.width);
  picture->height = int(png.height);
  picture->pixels.resize(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, picture->pixels.data(), 0, nullptr)) {
    *error = "cannot decode '" + path.string() + "': " + png.message;
    png_image_free(&png);
    return false;
  }
  return true;
}

}  // namespace templategen
