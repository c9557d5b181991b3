#include "tools/transgen/Scenes.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <tuple>
#include <memory>

namespace transgen {

namespace {

struct SurfaceDeleter {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextDeleter {
  void operator()(cairo_t* context) const { cairo_destroy(context); }
};
struct PatternDeleter {
  void operator()(cairo_pattern_t* pattern) const { cairo_pattern_destroy(pattern); }
};
using Pattern = std::unique_ptr<cairo_pattern_t, PatternDeleter>;

void SetColour(cairo_t* cr, uint32_t rgb, double alpha = 1) {
  cairo_set_source_rgba(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha);
}

void AddStop(cairo_pattern_t* pattern, double offset, uint32_t rgb, double alpha = 1) {
  cairo_pattern_add_color_stop_rgba(pattern, offset, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0,
                                    (rgb & 0xFF) / 255.0, alpha);
}

// Draws with `paint` on an opaque scene-sized surface and returns its pixels.
Bitmap Draw(const std::function<void(cairo_t*)>& paint) {
  std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, kSceneWidth, kSceneHeight));
  {
    std::unique_ptr<cairo_t, ContextDeleter> cr(cairo_create(surface.get()));
    paint(cr.get());
  }
  cairo_surface_flush(surface.get());
  Bitmap picture(kSceneWidth, kSceneHeight);
  const unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  for (int y = 0; y < kSceneHeight; ++y) {
    // RGB24 pixels are native-endian 32-bit xRGB: B, G, R, x in memory on this platform.
    std::memcpy(picture.At(0, y), data + size_t(y) * stride, size_t(kSceneWidth) * 4);
    for (int x = 0; x < kSceneWidth; ++x) picture.At(x, y)[3] = 255;
  }
  return picture;
}

// A ridge across the picture through the given heights (evenly spaced, smooth between), filled
// down to the bottom.
void Ridge(cairo_t* cr, std::initializer_list<double> heights) {
  const int count = static_cast<int>(heights.size());
  const double step = double(kSceneWidth) / (count - 1);
  const double* h = heights.begin();
  cairo_move_to(cr, 0, kSceneHeight);
  cairo_line_to(cr, 0, h[0]);
  for (int i = 1; i < count; ++i) {
    const double x0 = (i - 1) * step, x1 = i * step;
    cairo_curve_to(cr, x0 + step / 2, h[i - 1], x1 - step / 2, h[i], x1, h[i]);
  }
  cairo_line_to(cr, kSceneWidth, kSceneHeight);
  cairo_close_path(cr);
  cairo_fill(cr);
}

void Bird(cairo_t* cr, double x, double y, double size) {
  cairo_move_to(cr, x - size, y - size * 0.35);
  cairo_curve_to(cr, x - size * 0.6, y - size * 0.6, x - size * 0.2, y - size * 0.3, x, y);
  cairo_curve_to(cr, x + size * 0.2, y - size * 0.3, x + size * 0.6, y - size * 0.6, x + size, y - size * 0.35);
  cairo_stroke(cr);
}

void Pine(cairo_t* cr, double x, double base, double height) {
  const double width = height * 0.42;
  for (int tier = 0; tier < 3; ++tier) {
    const double top = base - height + tier * height * 0.22, bottom = base - height * 0.12 - (2 - tier) * height * 0.18;
    const double half = width * (0.55 + 0.22 * tier) / 2;
    cairo_move_to(cr, x, top);
    cairo_line_to(cr, x + half, bottom);
    cairo_line_to(cr, x - half, bottom);
    cairo_close_path(cr);
  }
  cairo_rectangle(cr, x - height * 0.03, base - height * 0.14, height * 0.06, height * 0.14);
  cairo_fill(cr);
}

void PaintDusk(cairo_t* cr) {
  const double horizon = 250;
  Pattern sky(cairo_pattern_create_linear(0, 0, 0, horizon));
  AddStop(sky.get(), 0.0, 0x2B1B4A);
  AddStop(sky.get(), 0.42, 0x8E3B6B);
  AddStop(sky.get(), 0.72, 0xF08A4B);
  AddStop(sky.get(), 1.0, 0xFFD27A);
  cairo_set_source(cr, sky.get());
  cairo_paint(cr);

  // The sun low on the right, with its glow.
  const double sunX = 330, sunY = 222;
  Pattern glow(cairo_pattern_create_radial(sunX, sunY, 30, sunX, sunY, 150));
  AddStop(glow.get(), 0, 0xFFE7A3, 0.75);
  AddStop(glow.get(), 1, 0xFFB060, 0.0);
  cairo_set_source(cr, glow.get());
  cairo_paint(cr);
  Pattern sun(cairo_pattern_create_radial(sunX - 8, sunY - 8, 4, sunX, sunY, 40));
  AddStop(sun.get(), 0, 0xFFF8DC);
  AddStop(sun.get(), 1, 0xFFC15A);
  cairo_set_source(cr, sun.get());
  cairo_arc(cr, sunX, sunY, 40, 0, 2 * M_PI);
  cairo_fill(cr);

  // Thin clouds across the sun.
  SetColour(cr, 0xB4557A, 0.55);
  for (const auto& [x, y, w] : {std::tuple{250.0, 196.0, 150.0}, {300.0, 212.0, 120.0}, {70.0, 120.0, 130.0}}) {
    cairo_save(cr);
    cairo_translate(cr, x + w / 2, y);
    cairo_scale(cr, w / 2, 4);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_fill(cr);
  }

  // Hills, farthest first, darker as they come near.
  SetColour(cr, 0x9A4A66);
  Ridge(cr, {232, 214, 236, 222, 244, 230, 238});
  SetColour(cr, 0x5E2A4E);
  Ridge(cr, {262, 246, 268, 276, 252, 266, 258});
  SetColour(cr, 0x2A1330);
  Ridge(cr, {300, 284, 312, 322, 306, 318, 330});

  // A lone tree on the near hill, left.
  SetColour(cr, 0x1A0B1F);
  cairo_rectangle(cr, 96, 236, 7, 60);
  cairo_fill(cr);
  for (const auto& [x, y, r] : {std::tuple{99.0, 226.0, 24.0}, {82.0, 238.0, 16.0}, {117.0, 238.0, 17.0}}) {
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    cairo_fill(cr);
  }

  // Birds heading home.
  SetColour(cr, 0x2B1B4A, 0.85);
  cairo_set_line_width(cr, 2.2);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  Bird(cr, 190, 90, 10);
  Bird(cr, 214, 104, 7);
  Bird(cr, 170, 112, 6);
}

void PaintLake(cairo_t* cr) {
  const double shore = 178;
  Pattern sky(cairo_pattern_create_linear(0, 0, 0, shore));
  AddStop(sky.get(), 0.0, 0x1E5AA8);
  AddStop(sky.get(), 0.6, 0x7FBCE6);
  AddStop(sky.get(), 1.0, 0xD8EEF8);
  cairo_set_source(cr, sky.get());
  cairo_paint(cr);

  // Mountains on the left: a far range and two near peaks with snow.
  auto peaks = [cr](double dy, double flip) {
    // flip -1 draws the reflection in the water below the shore line.
    auto y = [&](double v) { return flip > 0 ? v : 2 * 178 - v; };
    SetColour(cr, 0x9DB4CB, flip > 0 ? 1 : 0.35);
    cairo_move_to(cr, 0, y(178));
    cairo_line_to(cr, 0, y(120 + dy));
    cairo_line_to(cr, 60, y(96 + dy));
    cairo_line_to(cr, 130, y(128 + dy));
    cairo_line_to(cr, 210, y(92 + dy));
    cairo_line_to(cr, 300, y(150 + dy));
    cairo_line_to(cr, 330, y(178));
    cairo_close_path(cr);
    cairo_fill(cr);
    SetColour(cr, 0x4F6F8F, flip > 0 ? 1 : 0.4);
    cairo_move_to(cr, 10, y(178));
    cairo_line_to(cr, 110, y(62 + dy));
    cairo_line_to(cr, 165, y(126 + dy));
    cairo_line_to(cr, 205, y(98 + dy));
    cairo_line_to(cr, 270, y(178));
    cairo_close_path(cr);
    cairo_fill(cr);
    SetColour(cr, 0xF4F8FC, flip > 0 ? 1 : 0.35);
    cairo_move_to(cr, 110, y(62 + dy));
    cairo_line_to(cr, 130, y(85 + dy));
    cairo_line_to(cr, 119, y(81 + dy));
    cairo_line_to(cr, 109, y(90 + dy));
    cairo_line_to(cr, 99, y(80 + dy));
    cairo_line_to(cr, 89, y(86 + dy));
    cairo_close_path(cr);
    cairo_fill(cr);
  };
  peaks(0, 1);

  // The lake, darker towards the viewer, with the mountains mirrored in it.
  Pattern water(cairo_pattern_create_linear(0, shore, 0, kSceneHeight));
  AddStop(water.get(), 0.0, 0x5C9CC8);
  AddStop(water.get(), 1.0, 0x143E66);
  cairo_set_source(cr, water.get());
  cairo_rectangle(cr, 0, shore, kSceneWidth, kSceneHeight - shore);
  cairo_fill(cr);
  cairo_save(cr);
  cairo_rectangle(cr, 0, shore, kSceneWidth, kSceneHeight - shore);
  cairo_clip(cr);
  peaks(0, -1);
  cairo_restore(cr);

  // Ripples.
  SetColour(cr, 0xFFFFFF, 0.45);
  cairo_set_line_width(cr, 1.5);
  for (const auto& [x, y, w] : {std::tuple{60.0, 226.0, 70.0}, {180.0, 250.0, 90.0}, {40.0, 284.0, 110.0},
                                {230.0, 300.0, 60.0}, {120.0, 204.0, 50.0}}) {
    cairo_move_to(cr, x, y);
    cairo_line_to(cr, x + w, y);
    cairo_stroke(cr);
  }

  // A sail on the water.
  SetColour(cr, 0x7A4A2A);
  cairo_move_to(cr, 286, 246);
  cairo_line_to(cr, 330, 246);
  cairo_line_to(cr, 322, 256);
  cairo_line_to(cr, 292, 256);
  cairo_close_path(cr);
  cairo_fill(cr);
  SetColour(cr, 0xFBFBF5);
  cairo_move_to(cr, 309, 196);
  cairo_line_to(cr, 309, 243);
  cairo_line_to(cr, 280, 243);
  cairo_close_path(cr);
  cairo_fill(cr);
  SetColour(cr, 0xE6533C);
  cairo_move_to(cr, 312, 206);
  cairo_line_to(cr, 312, 243);
  cairo_line_to(cr, 332, 243);
  cairo_close_path(cr);
  cairo_fill(cr);

  // The near shore on the right with pines.
  SetColour(cr, 0x1F4D3A);
  cairo_move_to(cr, kSceneWidth, 150);
  cairo_curve_to(cr, 430, 170, 400, 230, 350, kSceneHeight);
  cairo_line_to(cr, kSceneWidth, kSceneHeight);
  cairo_close_path(cr);
  cairo_fill(cr);
  SetColour(cr, 0x0F2E22);
  Pine(cr, 452, 196, 96);
  Pine(cr, 416, 246, 84);
  Pine(cr, 468, 300, 120);
  Pine(cr, 392, 318, 70);
}

}  // namespace

Bitmap DrawDuskLandscape() { return Draw(PaintDusk); }
Bitmap DrawMountainLake() { return Draw(PaintLake); }

}  // namespace transgen
