#pragma once

// The pictures the generator makes and the files it writes them to: top-down BGRA bitmaps,
// JPEG files (libjpeg) and 24-bit BMP files, with readers for the tests that compare them.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engines/TransMgr/TransitionRenderer.h"

namespace transgen {

struct Bitmap {
  int width = 0, height = 0;
  std::vector<uint8_t> bgra;  // rows of width * 4 bytes from the top; alpha unused

  Bitmap() = default;
  Bitmap(int w, int h) : width(w), height(h), bgra(size_t(w) * h * 4) {}
  int Stride() const { return width * 4; }
  uint8_t* At(int x, int y) { return bgra.data() + (size_t(y) * width + x) * 4; }
  const uint8_t* At(int x, int y) const { return bgra.data() + (size_t(y) * width + x) * 4; }
  engines::transitions::ConstPicture In() const { return {bgra.data(), width, height, Stride()}; }
  engines::transitions::Picture Out() { return {bgra.data(), width, height, Stride()}; }
};

// Each answers false with a description in `error` on failure.
bool WriteJpeg(const Bitmap& picture, const std::filesystem::path& path, int quality, std::string* error);
bool ReadJpeg(const std::filesystem::path& path, Bitmap* picture, std::string* error);
// A 24-bit bottom-up BMP without a colour table, pixels straight after the headers.
bool WriteBmp24(const Bitmap& picture, const std::filesystem::path& path, std::string* error);
bool ReadBmp24(const std::filesystem::path& path, Bitmap* picture, std::string* error);

}  // namespace transgen
