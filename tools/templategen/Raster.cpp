#include "tools/templategen/Raster.h"

// libjpeg's header needs FILE and size_t declared first.
#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <png.h>

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

// libjpeg reports errors through a callback that must not return: it jumps back to the caller.
struct JpegErrors {
  jpeg_error_mgr manager;
  jmp_buf back;
  char message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr info) {
  auto* errors = reinterpret_cast<JpegErrors*>(info->err);
  info->err->format_message(info, errors->message);
  longjmp(errors->back, 1);
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
  File file = Open(path, "wb", "create", error);
  if (!file) return false;
  jpeg_compress_struct info{};
  JpegErrors errors{};
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = OnJpegError;
  std::vector<uint8_t> row(size_t(picture.width) * 3);
  if (setjmp(errors.back)) {
    jpeg_destroy_compress(&info);
    *error = "cannot write '" + path.string() + "': " + errors.message;
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file.get());
  info.image_width = JDIMENSION(picture.width);
  info.image_height = JDIMENSION(picture.height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  info.optimize_coding = TRUE;
  info.dct_method = JDCT_ISLOW;  // the exact integer transform: the same bytes on every machine
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    const uint8_t* in = picture.At(0, int(info.next_scanline));
    for (int x = 0; x < picture.width; ++x) std::memcpy(&row[3 * size_t(x)], in + 4 * size_t(x), 3);
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return Flush(file.get(), path, error);
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
  File file = Open(path, "rb", "open", error);
  if (!file) return false;
  jpeg_decompress_struct info{};
  JpegErrors errors{};
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = OnJpegError;
  std::vector<uint8_t> row;
  if (setjmp(errors.back)) {
    jpeg_destroy_decompress(&info);
    *error = "cannot read '" + path.string() + "': " + errors.message;
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file.get());
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  picture->width = int(info.output_width);
  picture->height = int(info.output_height);
  picture->pixels.assign(size_t(picture->width) * picture->height * 4, 255);
  row.resize(size_t(info.output_width) * 3);
  while (info.output_scanline < info.output_height) {
    uint8_t* out = picture->pixels.data() + size_t(info.output_scanline) * picture->width * 4;
    JSAMPROW rows[] = {row.data()};
    jpeg_read_scanlines(&info, rows, 1);
    for (int x = 0; x < picture->width; ++x) std::memcpy(out + 4 * size_t(x), &row[3 * size_t(x)], 3);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
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
