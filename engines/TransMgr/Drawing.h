#pragma once

// What the renderers share: the frame being drawn, easing and soft edges, and pixel mixing.
// Everything here is pure: no state, so renderers stay safe on any thread.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engines/TransMgr/TransitionRenderer.h"

namespace engines::transitions {

// One frame to draw: both pictures and the output have the same size; 0 < progress < 1 (the
// ends are plain copies and never reach a renderer).
struct Frame {
  ConstPicture from, to;
  Picture out;
  double progress = 0;

  int Width() const { return out.width; }
  int Height() const { return out.height; }
  const uint8_t* FromRow(int y) const { return from.bits + std::ptrdiff_t(y) * from.stride; }
  const uint8_t* ToRow(int y) const { return to.bits + std::ptrdiff_t(y) * to.stride; }
  uint8_t* OutRow(int y) const { return out.bits + std::ptrdiff_t(y) * out.stride; }
};

using RenderFunction = void (*)(const Frame& frame);

inline double Clamp01(double value) { return value < 0 ? 0 : (value > 1 ? 1 : value); }

// Slow in, slow out: motion starts and lands gently.
inline double Ease(double t) {
  t = Clamp01(t);
  return t * t * (3 - 2 * t);
}

// Width in pixels of a soft edge, in proportion to the picture so a thumbnail and a DVD frame
// look alike.
inline double EdgeSoftness(const Frame& frame) {
  return std::max(1.5, 0.035 * std::min(frame.Width(), frame.Height()));
}

// How much of the second picture shows at a point `distance` pixels inside the revealed region
// (negative: outside) of an edge `softness` wide: 0 beyond half the width outside, 1 beyond
// half the width inside, smooth between.
inline double SoftEdge(double distance, double softness) { return Ease(0.5 + distance / softness); }

// Mixing weight 0..256 (256 = all of `b`).
inline int Weight(double amount) { return static_cast<int>(Clamp01(amount) * 256 + 0.5); }

// Writes the mix of two BGRA pixels; the output is opaque.
inline void MixPixel(const uint8_t* a, const uint8_t* b, int weight, uint8_t* out) {
  const int keep = 256 - weight;
  out[0] = static_cast<uint8_t>((a[0] * keep + b[0] * weight + 128) >> 8);
  out[1] = static_cast<uint8_t>((a[1] * keep + b[1] * weight + 128) >> 8);
  out[2] = static_cast<uint8_t>((a[2] * keep + b[2] * weight + 128) >> 8);
  out[3] = 255;
}

// Draws from → to through a mask: `amount(x, y)` (pixel centres) is how much of `to` shows.
template <typename Amount>
void DrawMasked(const Frame& frame, Amount&& amount) {
  for (int y = 0; y < frame.Height(); ++y) {
    const uint8_t* from = frame.FromRow(y);
    const uint8_t* to = frame.ToRow(y);
    uint8_t* out = frame.OutRow(y);
    const double centreY = y + 0.5;
    for (int x = 0; x < frame.Width(); ++x)
      MixPixel(from + 4 * x, to + 4 * x, Weight(amount(x + 0.5, centreY)), out + 4 * x);
  }
}

}  // namespace engines::transitions
