#pragma once

// JPEG files of 4-byte pixels (rows from the top, no padding) through libjpeg with fixed
// settings, so that the same picture always gives the same bytes.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace toolfiles {

// Where red, green and blue lie in each 4-byte pixel; the fourth byte is alpha or unused.
struct PixelOrder {
  int red, green, blue, alpha;
};
constexpr PixelOrder kRgba{0, 1, 2, 3};
constexpr PixelOrder kBgra{2, 1, 0, 3};

// Each answers false with a description in `error` on failure. Writing drops the alpha byte;
// reading sets it to 255.
bool WriteJpeg(const uint8_t* pixels, int width, int height, PixelOrder order, const std::filesystem::path& path,
               int quality, std::string* error);
bool ReadJpeg(const std::filesystem::path& path, PixelOrder order, std::vector<uint8_t>* pixels, int* width,
              int* height, std::string* error);

}  // namespace toolfiles
