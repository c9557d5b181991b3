#include "tools/common/JpegFiles.h"

// libjpeg's header needs FILE and size_t declared first.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <jpeglib.h>
#include <setjmp.h>

namespace toolfiles {

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

bool WriteJpeg(const uint8_t* pixels, int width, int height, PixelOrder order, const std::filesystem::path& path,
               int quality, std::string* error) {
  File file = Open(path, "wb", "create", error);
  if (!file) return false;
  jpeg_compress_struct info{};
  JpegErrors errors{};
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = OnJpegError;
  std::vector<uint8_t> row(size_t(width) * 3);
  if (setjmp(errors.back)) {
    jpeg_destroy_compress(&info);
    *error = "cannot write '" + path.string() + "': " + errors.message;
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file.get());
  info.image_width = JDIMENSION(width);
  info.image_height = JDIMENSION(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  info.optimize_coding = TRUE;
  info.dct_method = JDCT_ISLOW;  // the exact integer transform: the same bytes on every machine
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    const uint8_t* in = pixels + size_t(info.next_scanline) * width * 4;
    for (int x = 0; x < width; ++x, in += 4) {
      row[3 * size_t(x)] = in[order.red];
      row[3 * size_t(x) + 1] = in[order.green];
      row[3 * size_t(x) + 2] = in[order.blue];
    }
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  if (std::fflush(file.get()) == 0 && !std::ferror(file.get())) return true;
  *error = "cannot write '" + path.string() + "': " + std::strerror(errno);
  return false;
}

bool ReadJpeg(const std::filesystem::path& path, PixelOrder order, std::vector<uint8_t>* pixels, int* width,
              int* height, std::string* error) {
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
  *width = int(info.output_width);
  *height = int(info.output_height);
  pixels->assign(size_t(*width) * *height * 4, 255);
  row.resize(size_t(info.output_width) * 3);
  while (info.output_scanline < info.output_height) {
    uint8_t* out = pixels->data() + size_t(info.output_scanline) * *width * 4;
    JSAMPROW rows[] = {row.data()};
    jpeg_read_scanlines(&info, rows, 1);
    for (int x = 0; x < *width; ++x, out += 4) {
      out[order.red] = row[3 * size_t(x)];
      out[order.green] = row[3 * size_t(x) + 1];
      out[order.blue] = row[3 * size_t(x) + 2];
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace toolfiles
