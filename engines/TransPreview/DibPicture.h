#pragma once

// Copies of the caller's DIBs as top-down BGRA pictures the renderers can draw from.

#include <cstdint>
#include <string>
#include <vector>

#include "engines/TransMgr/TransitionRenderer.h"
#include "platform/gdi/GdiTypes.h"

namespace transpreview {

struct BgraPicture {
  int width = 0, height = 0;
  std::vector<uint8_t> bits;  // rows of width * 4 bytes from the top

  bool Empty() const { return width <= 0 || height <= 0; }
  engines::transitions::ConstPicture In() const { return {bits.data(), width, height, width * 4}; }
  engines::transitions::Picture Out() { return {bits.data(), width, height, width * 4}; }
};

// Reads a 24- or 32-bit uncompressed DIB (see TPSetImage). False with the reason in `why`.
bool CopyDib(const BITMAPINFO* info, const void* bits, BgraPicture* picture, std::string* why);

}  // namespace transpreview
