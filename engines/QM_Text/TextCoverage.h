#pragma once

// A text laid out by Pango and drawn by cairo as coverage: how much ink covers each pixel,
// cut to the pixels the ink touched plus a transparent border. Any thread (Pango gives each
// thread its own font map).

#include <cstdint>
#include <string>
#include <vector>

namespace textart {

// Top row first; empty when nothing was inked.
struct Coverage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> alpha;
};

struct TextLook {
  std::string face;  // UTF-8; empty: the default sans-serif face
  double pixels = 0;  // the em, in device pixels
  bool bold = false, italic = false, underline = false, strikeOut = false;
};

// Throws engines::EngineError when the text cannot be drawn or its picture would be too large.
Coverage DrawCoverage(const std::string& text, const TextLook& look, int border);

}  // namespace textart
