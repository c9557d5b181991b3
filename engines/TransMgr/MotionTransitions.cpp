// The transitions that move or scale the pictures: slides, pushes and zooms. A frame is a stack
// of layers, each a picture scaled about the frame's centre and moved; the first layer is the
// background and fills the frame (its edges repeat where it does not reach), every further
// layer is drawn over it with its edges antialiased by the area it covers. Sampling is bilinear,
// with several samples per pixel where a picture is shrunk, so nothing shimmers.

#include <cmath>
#include <vector>

#include "engines/TransMgr/Renderers.h"

namespace engines::transitions::render {

namespace {

constexpr int kMaxTaps = 4;
constexpr double kSmallest = 1e-3;

struct Layer {
  const ConstPicture* picture = nullptr;
  double scale = 1;
  double offsetX = 0, offsetY = 0;  // pixels, after scaling
  int opacity = 256;                // 0..256
};

// How one axis of a layer maps onto the frame: for each output position, `taps` source
// positions, each a pair of neighbours (first, first + 1 clamped) with the second's weight
// 0..256; and how much of the output position the layer covers, 0..256.
struct Axis {
  int taps = 1;
  std::vector<int> first, second, weight;
  std::vector<int> coverage;
};

Axis MapAxis(int size, double scale, double offset) {
  Axis axis;
  axis.taps = scale < 1 ? std::clamp(static_cast<int>(std::ceil(1 / scale)), 1, kMaxTaps) : 1;
  const size_t samples = size_t(size) * axis.taps;
  axis.first.resize(samples);
  axis.second.resize(samples);
  axis.weight.resize(samples);
  axis.coverage.resize(size);
  const double centre = size / 2.0;
  const double begin = centre + offset - centre * scale, end = begin + size * scale;
  for (int at = 0; at < size; ++at) {
    for (int tap = 0; tap < axis.taps; ++tap) {
      const double outputPosition = at + (tap + 0.5) / axis.taps;
      const double position = std::clamp(centre + (outputPosition - centre - offset) / scale - 0.5, 0.0, size - 1.0);
      const int first = static_cast<int>(position);
      const size_t index = size_t(at) * axis.taps + tap;
      axis.first[index] = first;
      axis.second[index] = std::min(first + 1, size - 1);
      axis.weight[index] = static_cast<int>((position - first) * 256 + 0.5);
    }
    const double covered = std::min<double>(at + 1, end) - std::max<double>(at, begin);
    axis.coverage[at] = static_cast<int>(Clamp01(covered) * 256 + 0.5);
  }
  return axis;
}

struct MappedLayer {
  const ConstPicture* picture;
  int opacity;
  Axis x, y;
};

// The colour of `layer` at output (column, row): the mean of its taps, each bilinear.
void Sample(const MappedLayer& layer, int column, int row, int colour[3]) {
  const int tapsX = layer.x.taps, tapsY = layer.y.taps;
  int64_t sum[3] = {0, 0, 0};
  for (int ty = 0; ty < tapsY; ++ty) {
    const size_t yi = size_t(row) * tapsY + ty;
    const uint8_t* top = layer.picture->bits + std::ptrdiff_t(layer.y.first[yi]) * layer.picture->stride;
    const uint8_t* bottom = layer.picture->bits + std::ptrdiff_t(layer.y.second[yi]) * layer.picture->stride;
    const int wy = layer.y.weight[yi];
    for (int tx = 0; tx < tapsX; ++tx) {
      const size_t xi = size_t(column) * tapsX + tx;
      const int left = 4 * layer.x.first[xi], right = 4 * layer.x.second[xi], wx = layer.x.weight[xi];
      for (int c = 0; c < 3; ++c) {
        const int upper = top[left + c] * (256 - wx) + top[right + c] * wx;
        const int lower = bottom[left + c] * (256 - wx) + bottom[right + c] * wx;
        sum[c] += int64_t(upper) * (256 - wy) + int64_t(lower) * wy;
      }
    }
  }
  const int64_t divisor = int64_t(65536) * tapsX * tapsY;
  for (int c = 0; c < 3; ++c) colour[c] = static_cast<int>((sum[c] + divisor / 2) / divisor);
}

// Draws `background` filling the frame and `layers` over it in order.
void DrawLayers(const Frame& frame, const Layer& background, std::initializer_list<Layer> layers) {
  std::vector<MappedLayer> mapped;
  auto map = [&](const Layer& layer) {
    mapped.push_back({layer.picture, layer.opacity, MapAxis(frame.Width(), layer.scale, layer.offsetX),
                      MapAxis(frame.Height(), layer.scale, layer.offsetY)});
  };
  map(background);
  for (const Layer& layer : layers)
    if (layer.scale > kSmallest && layer.opacity > 0) map(layer);
  for (int row = 0; row < frame.Height(); ++row) {
    uint8_t* out = frame.OutRow(row);
    for (int column = 0; column < frame.Width(); ++column, out += 4) {
      int colour[3];
      Sample(mapped[0], column, row, colour);
      for (size_t n = 1; n < mapped.size(); ++n) {
        const MappedLayer& layer = mapped[n];
        const int cover = (layer.x.coverage[column] * layer.y.coverage[row] / 256) * layer.opacity / 256;
        if (cover == 0) continue;
        int over[3];
        Sample(layer, column, row, over);
        for (int c = 0; c < 3; ++c) colour[c] += ((over[c] - colour[c]) * cover + 128) >> 8;
      }
      out[0] = static_cast<uint8_t>(colour[0]);
      out[1] = static_cast<uint8_t>(colour[1]);
      out[2] = static_cast<uint8_t>(colour[2]);
      out[3] = 255;
    }
  }
}

// The second picture slides in from the side (dx, dy) over the first, which stays.
void Slide(const Frame& frame, int dx, int dy) {
  const double rest = 1 - Ease(frame.progress);
  DrawLayers(frame, {&frame.from}, {{&frame.to, 1, dx * rest * frame.Width(), dy * rest * frame.Height()}});
}

// The second picture comes in from the side (dx, dy) and pushes the first out of the other.
void Push(const Frame& frame, int dx, int dy) {
  const double moved = Ease(frame.progress), rest = 1 - moved;
  DrawLayers(frame, {&frame.from, 1, -dx * moved * frame.Width(), -dy * moved * frame.Height()},
             {{&frame.to, 1, dx * rest * frame.Width(), dy * rest * frame.Height()}});
}

}  // namespace

void SlideFromLeft(const Frame& frame) { Slide(frame, -1, 0); }
void SlideFromRight(const Frame& frame) { Slide(frame, 1, 0); }
void SlideFromTop(const Frame& frame) { Slide(frame, 0, -1); }
void SlideFromBottom(const Frame& frame) { Slide(frame, 0, 1); }

void PushFromLeft(const Frame& frame) { Push(frame, -1, 0); }
void PushFromRight(const Frame& frame) { Push(frame, 1, 0); }
void PushFromTop(const Frame& frame) { Push(frame, 0, -1); }
void PushFromBottom(const Frame& frame) { Push(frame, 0, 1); }

// The second picture grows from the centre over the first.
void ZoomIn(const Frame& frame) { DrawLayers(frame, {&frame.from}, {{&frame.to, Ease(frame.progress)}}); }

// The first picture shrinks into the centre, uncovering the second.
void ZoomOut(const Frame& frame) { DrawLayers(frame, {&frame.to}, {{&frame.from, 1 - Ease(frame.progress)}}); }

// The camera rushes into the first picture and out of the second: the first grows ever faster
// while the second, already large, settles to its size, and they blend around the middle.
void CrossZoom(const Frame& frame) {
  const double p = frame.progress;
  const double grow = 1 + 3 * p * p, settle = 1 + 3 * (1 - p) * (1 - p);
  DrawLayers(frame, {&frame.from, grow}, {{&frame.to, settle, 0, 0, Weight(Ease((p - 0.25) / 0.5))}});
}

}  // namespace engines::transitions::render
