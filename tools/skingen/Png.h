#pragma once

// 32-bit PNG files of the skin: written from straight RGBA pixels and read back the same way
// (the tests compare decoded pixels, not file bytes, which depend on the zlib in use).

#include <cstdint>
#include <string>
#include <vector>

namespace skingen {

struct RgbaImage {
  int width = 0, height = 0;
  std::vector<uint8_t> pixels;  // R, G, B, A per pixel, rows top to bottom, straight alpha
};

// Throws std::runtime_error naming the file when it cannot be written or read.
void WritePng(const std::string& path, const RgbaImage& image);
RgbaImage ReadPng(const std::string& path);

}  // namespace skingen
