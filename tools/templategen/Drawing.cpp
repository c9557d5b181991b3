#include "tools/templategen/Drawing.h"

#include <cmath>
#include <vector>

namespace templategen {

namespace {

double Channel(uint32_t rgb, int shift) { return ((rgb >> shift) & 0xFF) / 255.0; }

// One box pass over `count` values `step` apart, reading from and writing to `line`.
void BoxPass(uint8_t* line, int count, int step, int radius, std::vector<uint32_t>& scratch) {
  scratch.resize(size_t(count));
  for (int n = 0; n < count; ++n) scratch[size_t(n)] = line[size_t(n) * step];
  const int window = 2 * radius + 1;
  uint32_t sum = 0;
  auto at = [&](int n) { return n < 0 || n >= count ? 0u : scratch[size_t(n)]; };
  for (int n = -radius; n <= radius; ++n) sum += at(n);
  for (int n = 0; n < count; ++n) {
    line[size_t(n) * step] = uint8_t((sum + uint32_t(window) / 2) / uint32_t(window));
    sum += at(n + radius + 1);
    sum -= at(n - radius);
  }
}

}  // namespace

void SetColour(cairo_t* cr, uint32_t rgb, double alpha) {
  cairo_set_source_rgba(cr, Channel(rgb, 16), Channel(rgb, 8), Channel(rgb, 0), alpha);
}

void AddStop(cairo_pattern_t* pattern, double offset, uint32_t rgb, double alpha) {
  cairo_pattern_add_color_stop_rgba(pattern, offset, Channel(rgb, 16), Channel(rgb, 8), Channel(rgb, 0), alpha);
}

uint32_t Mix(uint32_t from, uint32_t to, double t) {
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const double a = (from >> shift) & 0xFF, b = (to >> shift) & 0xFF;
    out |= uint32_t(std::lround(a + (b - a) * t)) << shift;
  }
  return out;
}

void RoundedRectangle(cairo_t* cr, double x, double y, double width, double height, double radius) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + width - radius, y + radius, radius, -M_PI / 2, 0);
  cairo_arc(cr, x + width - radius, y + height - radius, radius, 0, M_PI / 2);
  cairo_arc(cr, x + radius, y + height - radius, radius, M_PI / 2, M_PI);
  cairo_arc(cr, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

uint64_t Random::Next() {
  uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double Random::Uniform(double low, double high) { return low + (high - low) * double(Next() >> 11) * 0x1.0p-53; }

int Random::Below(int count) { return int(Next() % uint64_t(count)); }

void Blur(cairo_surface_t* surface, int radius) {
  cairo_surface_flush(surface);
  const int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  uint8_t* data = cairo_image_surface_get_data(surface);
  std::vector<uint32_t> scratch;
  for (int pass = 0; pass < 3; ++pass) {
    for (int channel = 0; channel < 4; ++channel) {
      for (int y = 0; y < height; ++y) BoxPass(data + size_t(y) * stride + channel, width, 4, radius, scratch);
      for (int x = 0; x < width; ++x) BoxPass(data + size_t(x) * 4 + channel, height, stride, radius, scratch);
    }
  }
  cairo_surface_mark_dirty(surface);
}

}  // namespace templategen
