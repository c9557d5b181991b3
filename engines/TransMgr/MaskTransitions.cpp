// The transitions that keep both pictures in place and show the second through a mask: fades,
// wipes, shapes and patterns. Every mask is 0 everywhere just after progress 0 and 1 everywhere
// just before progress 1, so the frames join the plain pictures at both ends.

#include <cmath>
#include <numbers>

#include "engines/TransMgr/Renderers.h"

namespace engines::transitions::render {

namespace {

constexpr double kPi = std::numbers::pi;

// A fade from `from` into `colour` over the first half and from `colour` into `to` over the
// second.
void FadeThrough(const Frame& frame, uint8_t colour) {
  const uint8_t plain[4] = {colour, colour, colour, 255};
  const bool firstHalf = frame.progress < 0.5;
  const int weight = firstHalf ? Weight(frame.progress * 2) : 256 - Weight(frame.progress * 2 - 1);
  for (int y = 0; y < frame.Height(); ++y) {
    const uint8_t* picture = firstHalf ? frame.FromRow(y) : frame.ToRow(y);
    uint8_t* out = frame.OutRow(y);
    for (int x = 0; x < frame.Width(); ++x) MixPixel(picture + 4 * x, plain, weight, out + 4 * x);
  }
}

// A straight soft edge travelling along (directionX, directionY): the second picture shows
// behind it.
void StraightWipe(const Frame& frame, double directionX, double directionY) {
  const double length = std::hypot(directionX, directionY);
  directionX /= length;
  directionY /= length;
  const double w = frame.Width(), h = frame.Height();
  const double corners[] = {0, w * directionX, h * directionY, w * directionX + h * directionY};
  const double first = *std::min_element(std::begin(corners), std::end(corners));
  const double last = *std::max_element(std::begin(corners), std::end(corners));
  const double softness = EdgeSoftness(frame);
  const double edge = first - softness / 2 + Ease(frame.progress) * (last - first + softness);
  DrawMasked(frame, [&](double x, double y) { return SoftEdge(edge - (x * directionX + y * directionY), softness); });
}

// An opening from the centre line outwards: along x (a vertical gap) or along y.
void BarnDoors(const Frame& frame, bool vertical) {
  const double half = (vertical ? frame.Width() : frame.Height()) / 2.0;
  const double softness = EdgeSoftness(frame);
  const double edge = -softness / 2 + Ease(frame.progress) * (half + softness);
  DrawMasked(frame, [&](double x, double y) {
    return SoftEdge(edge - std::abs((vertical ? x : y) - half), softness);
  });
}

// Distance from (x, y) to the ray from the origin at `angle` (clockwise from straight up).
double DistanceToRay(double x, double y, double angle) {
  const double rayX = std::sin(angle), rayY = -std::cos(angle);
  if (x * rayX + y * rayY <= 0) return std::hypot(x, y);
  return std::abs(x * rayY - y * rayX);
}

// A shape growing from the centre: `distanceInside(x, y, size)` is the signed distance in
// pixels of a point inside the shape of that size (negative outside); the size runs from
// `smallest` to `largest`.
template <typename DistanceInside>
void GrowingShape(const Frame& frame, double smallest, double largest, DistanceInside&& distanceInside) {
  const double softness = EdgeSoftness(frame);
  const double size = smallest + Ease(frame.progress) * (largest - smallest);
  const double centreX = frame.Width() / 2.0, centreY = frame.Height() / 2.0;
  DrawMasked(frame, [&](double x, double y) {
    return SoftEdge(distanceInside(x - centreX, y - centreY, size), softness);
  });
}

uint32_t Hash(uint32_t x, uint32_t y) {
  uint32_t value = x * 0x8DA6B343u ^ y * 0xD8163841u ^ 0x5BD1E995u;  // fixed seed
  value ^= value >> 16;
  value *= 0x7FEB352Du;
  value ^= value >> 15;
  value *= 0x846CA68Bu;
  value ^= value >> 16;
  return value;
}

// Smooth noise in [0, 1) on a grid of `cell` pixels: a fixed random value at each grid point,
// blended smoothly between them.
double ValueNoise(double x, double y, double cell, uint32_t layer) {
  const double gridX = x / cell, gridY = y / cell;
  const double floorX = std::floor(gridX), floorY = std::floor(gridY);
  const uint32_t i = static_cast<uint32_t>(floorX), j = static_cast<uint32_t>(floorY) + layer * 7919u;
  const double u = Ease(gridX - floorX), v = Ease(gridY - floorY);
  auto at = [](uint32_t a, uint32_t b) { return (Hash(a, b) >> 8) * (1.0 / 16777216.0); };
  const double top = at(i, j) + (at(i + 1, j) - at(i, j)) * u;
  const double bottom = at(i, j + 1) + (at(i + 1, j + 1) - at(i, j + 1)) * u;
  return top + (bottom - top) * v;
}

}  // namespace

void CrossFade(const Frame& frame) {
  const int weight = Weight(frame.progress);
  for (int y = 0; y < frame.Height(); ++y) {
    const uint8_t* from = frame.FromRow(y);
    const uint8_t* to = frame.ToRow(y);
    uint8_t* out = frame.OutRow(y);
    for (int x = 0; x < frame.Width(); ++x) MixPixel(from + 4 * x, to + 4 * x, weight, out + 4 * x);
  }
}

void FadeThroughBlack(const Frame& frame) { FadeThrough(frame, 0); }
void FadeThroughWhite(const Frame& frame) { FadeThrough(frame, 255); }

void WipeFromLeft(const Frame& frame) { StraightWipe(frame, 1, 0); }
void WipeFromRight(const Frame& frame) { StraightWipe(frame, -1, 0); }
void WipeFromTop(const Frame& frame) { StraightWipe(frame, 0, 1); }
void WipeFromBottom(const Frame& frame) { StraightWipe(frame, 0, -1); }
// Diagonal edges lie parallel to the picture's other diagonal, so they cross the middle at half
// time whatever the picture's shape.
void WipeFromTopLeft(const Frame& frame) { StraightWipe(frame, frame.Height(), frame.Width()); }
void WipeFromTopRight(const Frame& frame) { StraightWipe(frame, -frame.Height(), frame.Width()); }
void WipeFromBottomLeft(const Frame& frame) { StraightWipe(frame, frame.Height(), -frame.Width()); }
void WipeFromBottomRight(const Frame& frame) { StraightWipe(frame, -frame.Height(), -frame.Width()); }

void BarnDoorsVertical(const Frame& frame) { BarnDoors(frame, true); }
void BarnDoorsHorizontal(const Frame& frame) { BarnDoors(frame, false); }

// A hand sweeping clockwise from twelve o'clock; the second picture shows in the swept sector.
void ClockWipe(const Frame& frame) {
  const double sweep = Ease(frame.progress) * 2 * kPi;
  // The edges soften as the sector opens and sharpen as it closes, so the first and the last
  // frames show no half-revealed line at twelve o'clock.
  const double softness = EdgeSoftness(frame) * Clamp01(std::min(sweep, 2 * kPi - sweep) / 0.5);
  const double centreX = frame.Width() / 2.0, centreY = frame.Height() / 2.0;
  DrawMasked(frame, [&](double x, double y) {
    const double dx = x - centreX, dy = y - centreY;
    double angle = std::atan2(dx, -dy);
    if (angle < 0) angle += 2 * kPi;
    const double distance = std::min(DistanceToRay(dx, dy, 0), DistanceToRay(dx, dy, sweep));
    if (softness <= 0) return angle <= sweep ? 1.0 : 0.0;
    return SoftEdge(angle <= sweep ? distance : -distance, softness);
  });
}

void CircleOpen(const Frame& frame) {
  const double softness = EdgeSoftness(frame);
  const double farthest = std::hypot(frame.Width(), frame.Height()) / 2;
  GrowingShape(frame, -softness / 2, farthest + softness / 2,
               [](double dx, double dy, double radius) { return radius - std::hypot(dx, dy); });
}

// The first picture shrinks inside a closing circle.
void CircleClose(const Frame& frame) {
  const double softness = EdgeSoftness(frame);
  const double farthest = std::hypot(frame.Width(), frame.Height()) / 2;
  GrowingShape(frame, -softness / 2, farthest + softness / 2,
               [farthest](double dx, double dy, double grown) { return std::hypot(dx, dy) - (farthest - grown); });
}

// A diamond with the picture's proportions, reaching the corners last.
void DiamondOpen(const Frame& frame) {
  const double aspect = double(frame.Width()) / frame.Height();
  const double norm = std::hypot(1.0, aspect);
  const double softness = EdgeSoftness(frame);
  GrowingShape(frame, -softness * norm / 2, frame.Width() + softness * norm / 2,
               [aspect, norm](double dx, double dy, double size) {
                 return (size - (std::abs(dx) + aspect * std::abs(dy))) / norm;
               });
}

// A rectangle with the picture's proportions opening from the centre.
void IrisBox(const Frame& frame) {
  const double aspect = double(frame.Width()) / frame.Height();
  const double softness = EdgeSoftness(frame);
  GrowingShape(frame, -softness / 2, frame.Width() / 2.0 + std::max(1.0, aspect) * softness / 2,
               [aspect](double dx, double dy, double halfWidth) {
                 return std::min(halfWidth - std::abs(dx), halfWidth / aspect - std::abs(dy));
               });
}

// Eight slats, each revealing the second picture from its top (or left) edge.
void BlindsHorizontal(const Frame& frame) {
  const double slat = frame.Height() / 8.0;
  const double softness = std::min(EdgeSoftness(frame), slat / 3);
  const double edge = -softness / 2 + Ease(frame.progress) * (slat + softness);
  DrawMasked(frame, [&](double, double y) { return SoftEdge(edge - std::fmod(y, slat), softness); });
}

void BlindsVertical(const Frame& frame) {
  const double slat = frame.Width() / 8.0;
  const double softness = std::min(EdgeSoftness(frame), slat / 3);
  const double edge = -softness / 2 + Ease(frame.progress) * (slat + softness);
  DrawMasked(frame, [&](double x, double) { return SoftEdge(edge - std::fmod(x, slat), softness); });
}

// Eight columns of cells; the cells of one colour wipe open first, the others follow.
void Checkerboard(const Frame& frame) {
  const int columns = 8;
  const int rows = std::max(1, static_cast<int>(std::lround(columns * double(frame.Height()) / frame.Width())));
  const double cellWidth = double(frame.Width()) / columns, cellHeight = double(frame.Height()) / rows;
  const double softness = std::min(EdgeSoftness(frame), cellWidth / 3);
  const double edges[2] = {
      -softness / 2 + Ease(frame.progress / 0.6) * (cellWidth + softness),
      -softness / 2 + Ease((frame.progress - 0.4) / 0.6) * (cellWidth + softness),
  };
  DrawMasked(frame, [&](double x, double y) {
    const int column = std::min(columns - 1, static_cast<int>(x / cellWidth));
    const int row = std::min(rows - 1, static_cast<int>(y / cellHeight));
    return SoftEdge(edges[(column + row) % 2] - (x - column * cellWidth), softness);
  });
}

// The second picture comes through in specks that swell and merge, from a fixed noise pattern
// (the same every time), each point fading over a short part of the whole.
void Dissolve(const Frame& frame) {
  constexpr double kBand = 0.25;
  const double cell = std::max(2.0, frame.Height() / 40.0);
  const double threshold = frame.progress * (1 + kBand);
  DrawMasked(frame, [&](double x, double y) {
    const double noise = 0.6 * ValueNoise(x, y, cell, 0) + 0.4 * ValueNoise(x, y, cell / 3, 1);
    return (threshold - noise) / kBand;
  });
}

}  // namespace engines::transitions::render
