#pragma once

// Small drawing helpers shared by the backgrounds and the page elements: colours, a seeded
// random sequence (the same numbers on every run), rounded rectangles and a blur for shadows.

#include <cairo.h>

#include <cstdint>

namespace templategen {

void SetColour(cairo_t* cr, uint32_t rgb, double alpha = 1);
// A colour stop of a gradient.
void AddStop(cairo_pattern_t* pattern, double offset, uint32_t rgb, double alpha = 1);
// `from` moved towards `to` by t (0..1).
uint32_t Mix(uint32_t from, uint32_t to, double t);

void RoundedRectangle(cairo_t* cr, double x, double y, double width, double height, double radius);

// A fixed sequence from a seed (splitmix64): the pictures never depend on the time or the run.
class Random {
 public:
  explicit Random(uint64_t seed) : m_state(seed) {}
  uint64_t Next();
  double Uniform(double low, double high);  // [low, high)
  int Below(int count);                     // [0, count)

 private:
  uint64_t m_state;
};

// Blurs an ARGB32 image surface in place: three box passes of `radius` across and down,
// close to a Gaussian, in integer arithmetic.
void Blur(cairo_surface_t* surface, int radius);

}  // namespace templategen
