#include "engines/TransPreview/DibPicture.h"

#include <cstdlib>
#include <cstring>

namespace transpreview {

namespace {

// Larger pictures are not previews: refuse them rather than allocate gigabytes.
constexpr int kLargestSide = 16384;

}  // namespace

bool CopyDib(const BITMAPINFO* info, const void* bits, BgraPicture* picture, std::string* why) {
  if (!info || !bits) {
    *why = "no picture";
    return false;
  }
  const BITMAPINFOHEADER& header = info->bmiHeader;
  const int bitCount = header.biBitCount;
  const int width = header.biWidth;
  const bool topDown = header.biHeight < 0;
  const int64_t height = std::llabs(int64_t(header.biHeight));
  if (header.biSize < sizeof(BITMAPINFOHEADER)) {
    *why = "the picture's header is too short";
    return false;
  }
  if (width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide) {
    *why = "the picture is " + std::to_string(width) + "x" + std::to_string(height) + " pixels";
    return false;
  }
  bool supported = (bitCount == 24 || bitCount == 32) && header.biCompression == BI_RGB;
  if (bitCount == 32 && header.biCompression == BI_BITFIELDS) {
    // The masks follow a plain 40-byte header; a larger header holds them itself at the same
    // place.
    uint32_t masks[3];
    std::memcpy(masks, reinterpret_cast<const uint8_t*>(info) + sizeof(BITMAPINFOHEADER), sizeof(masks));
    supported = masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF;
  }
  if (!supported) {
    *why = "the picture has " + std::to_string(bitCount) + " bits per pixel with compression " +
           std::to_string(header.biCompression) + "; 24 or 32 uncompressed bits are needed";
    return false;
  }
  const int bytesPerPixel = bitCount / 8;
  const size_t stride = (size_t(width) * bitCount + 31) / 32 * 4;
  BgraPicture copy;
  copy.width = width;
  copy.height = static_cast<int>(height);
  copy.bits.resize(size_t(width) * 4 * copy.height);
  const auto* in = static_cast<const uint8_t*>(bits);
  for (int y = 0; y < copy.height; ++y) {
    const uint8_t* row = in + stride * size_t(topDown ? y : copy.height - 1 - y);
    uint8_t* out = copy.bits.data() + size_t(y) * width * 4;
    for (int x = 0; x < width; ++x) {
      out[4 * x] = row[bytesPerPixel * x];
      out[4 * x + 1] = row[bytesPerPixel * x + 1];
      out[4 * x + 2] = row[bytesPerPixel * x + 2];
      out[4 * x + 3] = 255;
    }
  }
  *picture = std::move(copy);
  return true;
}

}  // namespace transpreview
