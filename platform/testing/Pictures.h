#pragma once

// Pictures for tests: capture what a DC or bitmap shows, save it as a PNG to look at, load a
// PNG back, and compare two pictures with a tolerance. For tests and development only.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/BufferDC.h"
#include "platform/gdi/WinGdi.h"

namespace platform::testing {

// Top-down BGRA pixels (0xAARRGGBB as 32-bit values).
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// What a DC draws into (its selected bitmap, or its window buffer); empty on a bad DC.
Image CaptureDc(HDC dc);
// A bitmap's pixels, whatever its depth; empty on a bad handle.
Image CaptureBitmap(HBITMAP bitmap);
Image FromBuffer(const platform::detail::PixelBuffer& buffer);

enum class Alpha { Ignore, Keep };

// GDI drawing leaves the alpha byte 0, so by default pictures are saved opaque.
// Returns false and fills `error` when the file cannot be written.
bool SavePng(const Image& image, const std::string& path, std::string* error = nullptr, Alpha alpha = Alpha::Ignore);
bool SaveDcPng(HDC dc, const std::string& path, std::string* error = nullptr);
bool LoadPng(const std::string& path, Image* image, std::string* error = nullptr);

struct Comparison {
  bool same = true;
  std::string message;  // the size mismatch or the first differing pixel
};

// Pictures match when they have the same size and no channel of any pixel differs by more
// than `tolerance`; alpha is compared only with Alpha::Keep.
Comparison CompareImages(const Image& expected, const Image& actual, int tolerance = 0, Alpha alpha = Alpha::Ignore);

}  // namespace platform::testing
