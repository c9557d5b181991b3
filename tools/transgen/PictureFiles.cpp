#include "tools/transgen/PictureFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

#include "tools/common/JpegFiles.h"

namespace transgen {

namespace {

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

void PutLittleEndian(uint8_t* at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = uint8_t(value >> (8 * i));
}

uint32_t GetLittleEndian(const uint8_t* at, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | at[i];
  return value;
}

constexpr int kBmpHeaders = 14 + 40;

}  // namespace

bool WriteJpeg(const Bitmap& picture, const std::filesystem::path& path, int quality, std::string* error) {
  return toolfiles::WriteJpeg(picture.bgra.data(), picture.width, picture.height, toolfiles::kBgra, path, quality,
                              error);
}

bool ReadJpeg(const std::filesystem::path& path, Bitmap* picture, std::string* error) {
  return toolfiles::ReadJpeg(path, toolfiles::kBgra, &picture->bgra, &picture->width, &picture->height, error);
}

bool WriteBmp24(const Bitmap& picture, const std::filesystem::path& path, std::string* error) {
  const uint32_t stride = (uint32_t(picture.width) * 3 + 3) & ~3u;
  const uint32_t imageSize = stride * uint32_t(picture.height);
  std::vector<uint8_t> data(kBmpHeaders + imageSize, 0);
  data[0] = 'B';
  data[1] = 'M';
  PutLittleEndian(&data[2], uint32_t(data.size()), 4);
  PutLittleEndian(&data[10], kBmpHeaders, 4);
  uint8_t* header = &data[14];
  PutLittleEndian(header, 40, 4);
  PutLittleEndian(header + 4, uint32_t(picture.width), 4);
  PutLittleEndian(header + 8, uint32_t(picture.height), 4);  // positive: bottom-up
  PutLittleEndian(header + 12, 1, 2);
  PutLittleEndian(header + 14, 24, 2);
  PutLittleEndian(header + 20, imageSize, 4);
  PutLittleEndian(header + 24, 2835, 4);  // 72 dots per inch
  PutLittleEndian(header + 28, 2835, 4);
  for (int y = 0; y < picture.height; ++y) {
    uint8_t* out = &data[kBmpHeaders + size_t(picture.height - 1 - y) * stride];
    for (int x = 0; x < picture.width; ++x) std::memcpy(out + 3 * x, picture.At(x, y), 3);
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
  file.close();
  if (!file) {
    *error = "cannot write '" + path.string() + "'";
    return false;
  }
  return true;
}

bool ReadBmp24(const std::filesystem::path& path, Bitmap* picture, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  std::vector<uint8_t> data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (!file.good() && !file.eof()) {
    *error = "cannot read '" + path.string() + "'";
    return false;
  }
  if (data.size() < kBmpHeaders || data[0] != 'B' || data[1] != 'M') {
    *error = "'" + path.string() + "' is not a BMP file";
    return false;
  }
  const uint8_t* header = &data[14];
  const int width = int(GetLittleEndian(header + 4, 4)), height = int(GetLittleEndian(header + 8, 4));
  const uint32_t offset = GetLittleEndian(&data[10], 4);
  if (GetLittleEndian(header + 14, 2) != 24 || GetLittleEndian(header + 16, 4) != 0 || width <= 0 || height <= 0 ||
      width > 16384 || height > 16384) {
    *error = "'" + path.string() + "' is not an uncompressed bottom-up 24-bit BMP";
    return false;
  }
  const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
  if (offset < kBmpHeaders || data.size() < offset + stride * height) {
    *error = "'" + path.string() + "' is cut short";
    return false;
  }
  *picture = Bitmap(width, height);
  for (int y = 0; y < height; ++y) {
    const uint8_t* in = &data[offset + size_t(height - 1 - y) * stride];
    for (int x = 0; x < width; ++x) {
      uint8_t* out = picture->At(x, y);
      std::memcpy(out, in + 3 * x, 3);
      out[3] = 255;
    }
  }
  return true;
}

}  // namespace transgen
