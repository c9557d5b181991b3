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
  int coveredBegin = 0, coveredEnd = 0;  // the output positions with some coverage
};

Axis MapAxis(int size, double scale, double offset) {
  Axis axis;
  // Bilinear sampling alone holds up to a shrink of about four fifths.
  axis.taps = scale < 1 ? std::clamp(static_cast<int>(std::ceil(1 / scale - 0.25)), 1, kMaxTaps) : 1;
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
  while (axis.coveredBegin < size && axis.coverage[axis.coveredBegin] == 0) ++axis.coveredBegin;
  axis.coveredEnd = size;
  while (axis.coveredEnd > axis.coveredBegin && axis.coverage[axis.coveredEnd - 1] == 0) --axis.coveredEnd;
  return axis;
}

struct MappedLayer {
  const ConstPicture* picture;
  int opacity;
  Axis x, y;
  bool inPlace;  // neither scaled nor moved: output pixels are the picture's own
};

// The colours (three per pixel) of `layer` along output row `row`, columns [begin, end): the
// mean of its taps, each bilinear. Plain pointers in the loops: stores through bytes may alias anything, so the
// compiler would reload a vector's data at every pixel.
void SampleRow(const MappedLayer& layer, int row, int begin, int end, int* colours) {
  const uint8_t* bits = layer.picture->bits;
  const std::ptrdiff_t stride = layer.picture->stride;
  if (layer.inPlace) {
    const uint8_t* p = bits + row * stride + 4 * begin;
    colours += 3 * begin;
    for (int column = begin; column < end; ++column, p += 4, colours += 3)
      colours[0] = p[0], colours[1] = p[1], colours[2] = p[2];
    return;
  }
  const int tapsX = layer.x.taps, tapsY = layer.y.taps;
  const int* firsts = layer.x.first.data();
  const int* seconds = layer.x.second.data();
  const int* weights = layer.x.weight.data();
  if (tapsX == 1 && tapsY == 1) {
    // One bilinear sample: the sums stay within 32 bits (255 * 256 * 256).
    const uint8_t* top = bits + layer.y.first[row] * stride;
    const uint8_t* bottom = bits + layer.y.second[row] * stride;
    const int wy = layer.y.weight[row];
    colours += 3 * begin;
    for (int column = begin; column < end; ++column, colours += 3) {
      const int left = 4 * firsts[column], right = 4 * seconds[column], wx = weights[column];
      for (int c = 0; c < 3; ++c) {
        const int upper = top[left + c] * (256 - wx) + top[right + c] * wx;
        const int lower = bottom[left + c] * (256 - wx) + bottom[right + c] * wx;
        colours[c] = (upper * (256 - wy) + lower * wy + 32768) >> 16;
      }
    }
    return;
  }
  const int64_t divisor = int64_t(65536) * tapsX * tapsY;
  colours += 3 * begin;
  for (int column = begin; column < end; ++column, colours += 3) {
    int64_t sum[3] = {0, 0, 0};
    for (int ty = 0; ty < tapsY; ++ty) {
      const size_t yi = size_t(row) * tapsY + ty;
      const uint8_t* top = bits + layer.y.first[yi] * stride;
      const uint8_t* bottom = bits + layer.y.second[yi] * stride;
      const int wy = layer.y.weight[yi];
      for (int tx = 0; tx < tapsX; ++tx) {
        const size_t xi = size_t(column) * tapsX + tx;
        const int left = 4 * firsts[xi], right = 4 * seconds[xi], wx = weights[xi];
        for (int c = 0; c < 3; ++c) {
          const int upper = top[left + c] * (256 - wx) + top[right + c] * wx;
          const int lower = bottom[left + c] * (256 - wx) + bottom[right + c] * wx;
          sum[c] += int64_t(upper) * (256 - wy) + int64_t(lower) * wy;
        }
      }
    }
    for (int c = 0; c < 3; ++c) colours[c] = static_cast<int>((sum[c] + divisor / 2) / divisor);
  }
}

// Draws `background` filling the frame and `layers` over it in order.
void DrawLayers(const Frame& frame, const Layer& background, std::initializer_list<Layer> layers) {
  const int width = frame.Width();
  std::vector<MappedLayer> mapped;
  auto map = [&](const Layer& layer) {
    mapped.push_back({layer.picture, layer.opacity, MapAxis(width, layer.scale, layer.offsetX),
                      MapAxis(frame.Height(), layer.scale, layer.offsetY),
                      layer.scale == 1 && layer.offsetX == 0 && layer.offsetY == 0});
  };
  map(background);
  for (const Layer& layer : layers)
    if (layer.scale > kSmallest && layer.opacity > 0) map(layer);
  std::vector<int> colours(size_t(width) * 3), over(size_t(width) * 3);
  for (int row = 0; row < frame.Height(); ++row) {
    int* colour = colours.data();
    SampleRow(mapped[0], row, 0, width, colour);
    for (size_t n = 1; n < mapped.size(); ++n) {
      const MappedLayer& layer = mapped[n];
      const int rowCover = layer.y.coverage[row] * layer.opacity / 256;
      if (rowCover == 0) continue;
      int* sample = over.data();
      SampleRow(layer, row, layer.x.coveredBegin, layer.x.coveredEnd, sample);
      const int* columnCover = layer.x.coverage.data();
      for (int column = layer.x.coveredBegin; column < layer.x.coveredEnd; ++column) {
        const int cover = columnCover[column] * rowCover / 256;
        for (int c = 0; c < 3; ++c) {
          int& value = colour[3 * column + c];
          value += ((sample[3 * column + c] - value) * cover + 128) >> 8;
        }
      }
    }
    uint8_t* out = frame.OutRow(row);
    for (int column = 0; column < width; ++column, out += 4) {
      out[0] = static_cast<uint8_t>(colour[3 * column]);
      out[1] = static_cast<uint8_t>(colour[3 * column + 1]);
      out[2] = static_cast<uint8_t>(colour[3 * column + 2]);
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
