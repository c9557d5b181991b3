#include "tools/templategen/Artwork.h"

#include <cmath>
#include <vector>

#include "tools/templategen/Drawing.h"

namespace templategen {

namespace {

constexpr double kWidth = kCanvasWidth, kHeight = kCanvasHeight;
constexpr double kTau = 2 * M_PI;

// Owns a cairo pattern; passes for the pattern where one is asked for.
struct Pattern {
  cairo_pattern_t* pattern;
  ~Pattern() { cairo_pattern_destroy(pattern); }
  operator cairo_pattern_t*() const { return pattern; }
};

// A vertical gradient over the whole canvas through (offset, colour) stops.
void VerticalGradient(cairo_t* cr, std::initializer_list<std::pair<double, uint32_t>> stops, double top = 0,
                      double bottom = kHeight) {
  Pattern gradient{cairo_pattern_create_linear(0, top, 0, bottom)};
  for (const auto& [offset, rgb] : stops) AddStop(gradient, offset, rgb);
  cairo_set_source(cr, gradient);
  cairo_rectangle(cr, 0, top, kWidth, bottom - top);
  cairo_fill(cr);
}

// A round glow: `rgb` at `alpha` in the centre fading out at `radius`.
void Glow(cairo_t* cr, double x, double y, double radius, uint32_t rgb, double alpha) {
  Pattern glow{cairo_pattern_create_radial(x, y, 0, x, y, radius)};
  AddStop(glow, 0, rgb, alpha);
  AddStop(glow, 0.4, rgb, alpha * 0.55);
  AddStop(glow, 1, rgb, 0);
  cairo_set_source(cr, glow);
  cairo_arc(cr, x, y, radius, 0, kTau);
  cairo_fill(cr);
}

// A soft horizontal ellipse: a thin cloud.
void SoftEllipse(cairo_t* cr, double x, double y, double rx, double ry, uint32_t rgb, double alpha) {
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, rx / ry, 1);
  Glow(cr, 0, 0, ry, rgb, alpha);
  cairo_restore(cr);
}

// Smooth noise along x (0..1): random heights every `step` pixels, eased between.
class Ridge {
 public:
  Ridge(uint64_t seed, double step, int count) : m_step(step) {
    Random random(seed);
    for (int n = 0; n < count; ++n) m_heights.push_back(random.Uniform(0, 1));
  }
  double At(double x) const {
    const double position = x / m_step;
    const int n = int(std::floor(position));
    const double t = position - n, eased = (1 - std::cos(t * M_PI)) / 2;
    const int count = int(m_heights.size());  // the heights repeat along x
    auto height = [&](int i) { return m_heights[size_t((i % count + count) % count)]; };
    return height(n) + (height(n + 1) - height(n)) * eased;
  }

 private:
  double m_step;
  std::vector<double> m_heights;
};

// ---- Day at sea ----------------------------------------------------------------------------

void PaintSea(cairo_t* cr) {
  constexpr double kHorizon = 176;
  // A deep clear sky, hazy only just above the horizon, so light text and outlines read on it.
  VerticalGradient(cr, {{0, 0x1B4F8C}, {0.6, 0x2F6EAD}, {0.88, 0x5E98C8}, {1, 0x9CC6DF}}, 0, kHorizon);
  // The sun stands right of the frames, its glow clear of them.
  Glow(cr, 652, 118, 150, 0xFFF3D6, 0.36);
  Glow(cr, 652, 118, 28, 0xFFFBEF, 0.95);
  const struct {
    double x, y, rx, ry, alpha;
  } clouds[] = {
      {120, 112, 150, 14, 0.26}, {250, 134, 120, 10, 0.22}, {470, 14, 170, 10, 0.16},
      {660, 150, 120, 9, 0.24},  {40, 156, 110, 8, 0.22},   {340, 162, 160, 7, 0.24},
  };
  for (const auto& cloud : clouds) SoftEllipse(cr, cloud.x, cloud.y, cloud.rx, cloud.ry, 0xFFFFFF, cloud.alpha);

  // The sea darkens quickly below the horizon, so captions on it stay readable.
  VerticalGradient(cr, {{0, 0x4F8BB3}, {0.12, 0x2A6893}, {1, 0x0C3153}}, kHorizon, kHeight);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.35);
  cairo_rectangle(cr, 0, kHorizon, kWidth, 1);
  cairo_fill(cr);

  // Layered waves, nearer ones larger, darker and further apart.
  constexpr int kLayers = 8;
  for (int layer = 0; layer < kLayers; ++layer) {
    const double t = double(layer) / (kLayers - 1);
    const double base = kHorizon + 30 + std::pow(t, 1.5) * 300;
    const double amplitude = 2 + t * 9, wavelength = 90 + t * 260, phase = layer * 1.7;
    cairo_move_to(cr, 0, kHeight);
    for (double x = 0; x <= kWidth; x += 3) {
      const double y = base + amplitude * std::sin(kTau * x / wavelength + phase) +
                       amplitude * 0.45 * std::sin(kTau * x / (wavelength * 0.43) + phase * 2.3);
      cairo_line_to(cr, x, y);
    }
    cairo_line_to(cr, kWidth, kHeight);
    cairo_close_path(cr);
    // Each wave lighter at its crest and darker in its trough, so the layers read apart.
    Pattern water{cairo_pattern_create_linear(0, base - amplitude * 1.5, 0, base + 24 + 50 * t)};
    AddStop(water, 0, Mix(0x4C90BA, 0x2A6E9B, t), 0.9);
    AddStop(water, 1, Mix(0x23608B, 0x0C2E4E, t), 0.9);
    cairo_set_source(cr, water);
    cairo_fill(cr);
    // The crest: a light line along the top of the wave.
    for (double x = 0; x <= kWidth; x += 3) {
      const double y = base + amplitude * std::sin(kTau * x / wavelength + phase) +
                       amplitude * 0.45 * std::sin(kTau * x / (wavelength * 0.43) + phase * 2.3);
      cairo_line_to(cr, x, y);
    }
    cairo_set_source_rgba(cr, 0.85, 0.95, 1, 0.16 + 0.10 * t);
    cairo_set_line_width(cr, 1 + 1.4 * t);
    cairo_stroke(cr);
  }

  // The sun's path on the water: short glints thinning out towards the viewer.
  Random glints(7);
  for (int n = 0; n < 220; ++n) {
    const double y = kHorizon + 3 + std::pow(glints.Uniform(0, 1), 1.6) * 160;
    const double spread = 14 + (y - kHorizon) * 0.55;
    const double x = 652 + glints.Uniform(-spread, spread);
    const double length = glints.Uniform(4, 16) * (1 + (y - kHorizon) / 120);
    cairo_set_source_rgba(cr, 1, 0.98, 0.9, glints.Uniform(0.15, 0.55) * (1 - (y - kHorizon) / 180));
    cairo_rectangle(cr, x - length / 2, y, length, 1.2);
    cairo_fill(cr);
  }
}

// ---- Mountains at dusk ---------------------------------------------------------------------

void PaintMountains(cairo_t* cr) {
  VerticalGradient(cr, {{0, 0x1C1A48}, {0.5, 0x45336F}, {0.8, 0xA25C84}, {1, 0xF0AA86}}, 0, 400);
  VerticalGradient(cr, {{0, 0xF0AA86}, {1, 0xF0AA86}}, 400, kHeight);
  Random stars(11);
  for (int n = 0; n < 60; ++n) {
    const double x = stars.Uniform(0, kWidth), y = std::pow(stars.Uniform(0, 1), 1.5) * 170;
    cairo_set_source_rgba(cr, 1, 0.96, 0.92, stars.Uniform(0.15, 0.6) * (1 - y / 200));
    cairo_arc(cr, x, y, stars.Uniform(0.5, 1.2), 0, kTau);
    cairo_fill(cr);
  }
  Glow(cr, 470, 318, 220, 0xFFC49A, 0.42);
  Glow(cr, 470, 318, 36, 0xFFE6BC, 0.95);

  // Five ranges from the far, hazy one to the near, dark one, mist at the foot of each.
  const struct {
    double base, amplitude, step;
    uint32_t colour;
  } ranges[] = {
      {292, 74, 64, 0x9A6E92}, {334, 62, 56, 0x7E5886}, {378, 54, 50, 0x573F70},
      {424, 46, 44, 0x35284F}, {474, 38, 40, 0x1B1530},
  };
  int index = 0;
  for (const auto& range : ranges) {
    const Ridge broad(100 + index, range.step, 32), middle(150 + index, range.step / 2.3, 61),
        fine(200 + index, range.step / 6, 173);
    cairo_move_to(cr, 0, kHeight);
    for (double x = 0; x <= kWidth; x += 2) {
      // Squaring the broad shape makes peaks out of its highs and valleys out of its lows.
      const double high = broad.At(x + index * 37);
      const double shape = 0.62 * high * high + 0.26 * middle.At(x) + 0.12 * fine.At(x);
      cairo_line_to(cr, x, range.base - range.amplitude * shape);
    }
    cairo_line_to(cr, kWidth, kHeight);
    cairo_close_path(cr);
    Pattern rock{cairo_pattern_create_linear(0, range.base - range.amplitude, 0, range.base + 60)};
    AddStop(rock, 0, Mix(range.colour, 0xFFFFFF, 0.06));
    AddStop(rock, 1, Mix(range.colour, 0x000000, 0.10));
    cairo_set_source(cr, rock);
    cairo_fill(cr);
    if (index < 4) {
      // Haze thickening towards the foot of the range; the next range covers what lies below.
      Pattern mist{cairo_pattern_create_linear(0, range.base - 30, 0, range.base + 24)};
      AddStop(mist, 0, 0xF6C6B0, 0);
      AddStop(mist, 1, 0xF6C6B0, 0.30);
      cairo_set_source(cr, mist);
      cairo_rectangle(cr, 0, range.base - 30, kWidth, kHeight - range.base + 30);
      cairo_fill(cr);
    }
    ++index;
  }
}

// ---- Dark slate in soft light --------------------------------------------------------------

void PaintSlate(cairo_t* cr) {
  Pattern base{cairo_pattern_create_linear(0, 0, kWidth, kHeight)};
  AddStop(base, 0, 0x27313C);
  AddStop(base, 0.5, 0x1C232C);
  AddStop(base, 1, 0x141A21);
  cairo_set_source(cr, base);
  cairo_paint(cr);
  // Broad facets of faint light, as if on a softly folded surface.
  const struct {
    double points[8];
    double alpha;
  } facets[] = {
      {{-40, 0, 420, 0, 120, 540, -40, 540}, 0.030},
      {{420, 0, 760, 0, 760, 220, 260, 540}, 0.022},
      {{520, 540, 760, 260, 760, 540, 520, 540}, 0.035},
  };
  for (const auto& facet : facets) {
    cairo_move_to(cr, facet.points[0], facet.points[1]);
    for (int n = 2; n < 8; n += 2) cairo_line_to(cr, facet.points[n], facet.points[n + 1]);
    cairo_close_path(cr);
    cairo_set_source_rgba(cr, 0.85, 0.9, 1, facet.alpha);
    cairo_fill(cr);
  }
  Glow(cr, 120, 40, 560, 0xA9BED3, 0.26);
  Glow(cr, 680, 540, 440, 0xC99A6B, 0.14);
  // Two hairlines of light sweeping across below the frames.
  for (int n = 0; n < 2; ++n) {
    cairo_move_to(cr, -20, 430 + n * 18);
    cairo_curve_to(cr, 220, 400 + n * 14, 500, 470 - n * 6, 740, 396 + n * 22);
    cairo_set_source_rgba(cr, 0.82, 0.87, 0.93, 0.13 - n * 0.05);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
  }
}

// ---- Aurora over pines ---------------------------------------------------------------------

void PaintAurora(cairo_t* cr) {
  VerticalGradient(cr, {{0, 0x040A18}, {0.5, 0x0A1D31}, {1, 0x0D303C}});
  Random stars(23);
  for (int n = 0; n < 190; ++n) {
    const double x = stars.Uniform(0, kWidth), y = stars.Uniform(0, 470);
    const double radius = stars.Uniform(0.35, 1.25);
    cairo_set_source_rgba(cr, 0.9, 0.95, 1, stars.Uniform(0.25, 0.85));
    cairo_arc(cr, x, y, radius, 0, kTau);
    cairo_fill(cr);
    if (radius > 1.1) Glow(cr, x, y, 5, 0xDDEEFF, 0.25);
  }

  // Curtains: thin vertical strokes along a wavy lower edge, bright at the edge and fading
  // upwards, added onto each other like light.
  cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
  const struct {
    double base, sweep, wavelength, phase, height;
    uint32_t colour;
    double alpha;
  } curtains[] = {
      {118, 46, 980, 0.4, 120, 0x8B5CF6, 0.09},
      {164, 58, 860, 2.2, 170, 0x2FD3C6, 0.11},
      {196, 44, 760, 3.6, 190, 0x3CF0A0, 0.14},
  };
  Random rays(29);
  for (const auto& curtain : curtains) {
    for (double x = -10; x <= kWidth + 10; x += 2) {
      const double edge = curtain.base + curtain.sweep * std::sin(kTau * x / curtain.wavelength + curtain.phase) +
                          7 * std::sin(kTau * x / 131 + curtain.phase * 3);
      const double height =
          curtain.height * (0.7 + 0.3 * std::sin(kTau * x / 211 + curtain.phase)) * rays.Uniform(0.85, 1.15);
      const double strength =
          curtain.alpha * (0.75 + 0.25 * std::sin(kTau * x / 67 + curtain.phase * 5)) * rays.Uniform(0.8, 1.2);
      Pattern ray{cairo_pattern_create_linear(0, edge - height, 0, edge + 10)};
      AddStop(ray, 0, curtain.colour, 0);
      AddStop(ray, 0.55, curtain.colour, strength * 0.6);
      AddStop(ray, 0.88, Mix(curtain.colour, 0xFFFFFF, 0.25), strength * 1.6);
      AddStop(ray, 1, curtain.colour, 0);
      cairo_set_source(cr, ray);
      cairo_rectangle(cr, x, edge - height, 2.6, height + 10);
      cairo_fill(cr);
    }
  }
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  Glow(cr, 360, 220, 380, 0x2FD3A0, 0.07);

  // Hills and pines in the foreground.
  const Ridge hill(31, 160, 9);
  auto ground = [&](double x) { return 478 + 26 * hill.At(x); };
  cairo_move_to(cr, 0, kHeight);
  for (double x = 0; x <= kWidth; x += 4) cairo_line_to(cr, x, ground(x));
  cairo_line_to(cr, kWidth, kHeight);
  cairo_close_path(cr);
  SetColour(cr, 0x03111A);
  cairo_fill(cr);
  Random pines(37);
  for (int n = 0; n < 70; ++n) {
    const double x = pines.Uniform(-10, kWidth + 10);
    // Taller towards the sides, low in the middle under the buttons.
    const double side = std::abs(x - kWidth / 2) / (kWidth / 2);
    const double height = pines.Uniform(12, 30) * (0.8 + 1.1 * side), width = height * pines.Uniform(0.32, 0.42);
    const double foot = ground(x) + 4;
    for (int tier = 0; tier < 3; ++tier) {
      const double top = foot - height + tier * height * 0.22, bottom = foot - height * (0.45 - tier * 0.2);
      const double half = width * (0.5 + tier * 0.25) / 2;
      cairo_move_to(cr, x, top);
      cairo_line_to(cr, x + half, bottom);
      cairo_line_to(cr, x - half, bottom);
      cairo_close_path(cr);
    }
    cairo_rectangle(cr, x - 1, foot - height * 0.3, 2, height * 0.3);
    SetColour(cr, 0x02101A);
    cairo_fill(cr);
  }
}

// ---- Confetti ------------------------------------------------------------------------------

// How likely a piece of confetti may land at (x, y): rarely where the frames, their captions
// and the heading sit, freely around the edges.
double ConfettiChance(double x, double y) {
  if (x > 64 && x < 656 && y > 88 && y < 440) return 0.06;
  if (x > 64 && x < 656 && y > 22 && y < 90) return 0.25;
  return 1;
}

void PaintConfetti(cairo_t* cr) {
  Pattern base{cairo_pattern_create_radial(360, 250, 0, 360, 250, 560)};
  AddStop(base, 0, 0x5E2559);
  AddStop(base, 0.55, 0x3A1744);
  AddStop(base, 1, 0x1E0D29);
  cairo_set_source(cr, base);
  cairo_paint(cr);
  Glow(cr, 110, 60, 260, 0xF6C453, 0.08);
  Glow(cr, 640, 500, 300, 0xFF6F91, 0.08);

  const uint32_t colours[] = {0xF6C453, 0xFF6F91, 0x4FD1C5, 0xFFF3E0, 0xB69CFF, 0xFF9F5A};
  Random random(41);
  // Streamers curling out of the top corners.
  for (int n = 0; n < 5; ++n) {
    const bool left = n % 2 == 0;
    const double x = left ? random.Uniform(-10, 60) : random.Uniform(660, 730), y = random.Uniform(-10, 120);
    cairo_move_to(cr, x, y);
    const double direction = left ? 1 : -1;
    cairo_curve_to(cr, x + direction * 40, y + 30, x - direction * 10, y + 60, x + direction * 30, y + 90);
    cairo_curve_to(cr, x + direction * 60, y + 110, x + direction * 10, y + 140, x + direction * 40, y + 170);
    SetColour(cr, colours[random.Below(6)], 0.7);
    cairo_set_line_width(cr, 2.6);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
  }
  int placed = 0;
  while (placed < 240) {
    const double x = random.Uniform(-10, kWidth + 10), y = random.Uniform(-10, kHeight + 10);
    const double chance = random.Uniform(0, 1), angle = random.Uniform(0, M_PI);
    const int kind = random.Below(6), colour = random.Below(6);
    const double size = random.Uniform(0.7, 1.25), alpha = random.Uniform(0.55, 0.95);
    if (chance > ConfettiChance(x, y)) continue;
    ++placed;
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, angle);
    SetColour(cr, colours[colour], alpha);
    if (kind < 3) {
      cairo_rectangle(cr, -3 * size, -6 * size, 6 * size, 12 * size);
      cairo_fill(cr);
    } else if (kind < 5) {
      cairo_arc(cr, 0, 0, 3.2 * size, 0, kTau);
      cairo_fill(cr);
    } else {
      cairo_move_to(cr, -9 * size, 0);
      cairo_curve_to(cr, -4 * size, -6 * size, 0, 6 * size, 4 * size, 0);
      cairo_curve_to(cr, 6 * size, -3 * size, 8 * size, -3 * size, 9 * size, 0);
      cairo_set_line_width(cr, 2 * size);
      cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
      cairo_stroke(cr);
    }
    cairo_restore(cr);
  }
}

// ---- Evening lights ------------------------------------------------------------------------

void PaintLanterns(cairo_t* cr) {
  VerticalGradient(cr, {{0, 0x131A3B}, {0.6, 0x291D48}, {1, 0x3C2145}});
  Glow(cr, 360, 640, 520, 0xF0A35A, 0.26);

  // Out-of-focus lights: flat discs with a slightly brighter rim, added like light.
  cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
  const uint32_t colours[] = {0xFFC46B, 0xFFE0A0, 0xFF9A8A, 0xFFB870, 0x9FB8FF};
  Random random(53);
  int placed = 0;
  while (placed < 80) {
    const double x = random.Uniform(-20, kWidth + 20), y = random.Uniform(40, kHeight + 20);
    const double radius = random.Uniform(6, 36), alpha = random.Uniform(0.05, 0.22);
    const int colour = random.Below(5);
    const bool clear = x > 60 && x < 660 && y > 130 && y < 400;
    if (clear && random.Uniform(0, 1) > 0.2) continue;
    ++placed;
    Pattern disc{cairo_pattern_create_radial(x, y, 0, x, y, radius)};
    AddStop(disc, 0, colours[colour], alpha * 0.65);
    AddStop(disc, 0.82, colours[colour], alpha * 0.8);
    AddStop(disc, 0.95, colours[colour], alpha);
    AddStop(disc, 1, colours[colour], 0);
    cairo_set_source(cr, disc);
    cairo_arc(cr, x, y, radius, 0, kTau);
    cairo_fill(cr);
  }
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);

  // A string of bulbs in three swags across the top.
  for (int swag = 0; swag < 3; ++swag) {
    const double left = swag * 240, right = left + 240;
    auto wire = [&](double t) { return std::pair{left + (right - left) * t, 2 + 24 * 4 * t * (1 - t)}; };
    cairo_move_to(cr, left, 2);
    for (double t = 0.02; t <= 1.0001; t += 0.02) cairo_line_to(cr, wire(t).first, wire(t).second);
    cairo_set_source_rgba(cr, 0.08, 0.06, 0.1, 0.9);
    cairo_set_line_width(cr, 1.4);
    cairo_stroke(cr);
    for (int bulb = 1; bulb < 6; ++bulb) {
      const auto [x, y] = wire(bulb / 6.0);
      Glow(cr, x, y + 7, 18, 0xFFC878, 0.45);
      cairo_arc(cr, x, y + 7, 3.6, 0, kTau);
      SetColour(cr, 0xFFF1D2);
      cairo_fill(cr);
    }
  }
}

}  // namespace

void PaintBackground(cairo_t* cr, const TemplateDesign& design) {
  cairo_save(cr);
  switch (design.scene) {
    case Scene::Sea: PaintSea(cr); break;
    case Scene::Mountains: PaintMountains(cr); break;
    case Scene::Slate: PaintSlate(cr); break;
    case Scene::Aurora: PaintAurora(cr); break;
    case Scene::Confetti: PaintConfetti(cr); break;
    case Scene::Lanterns: PaintLanterns(cr); break;
  }
  cairo_restore(cr);
}

Surface DrawFrame(const TemplateDesign& design) {
  const Rect& slot = design.slots.front();
  const Rect& window = design.frameWindow;
  const double width = slot.Width(), height = slot.Height();
  // The body: a rounded ring 7 pixels wide around the window, on a soft shadow that falls a
  // little below it.
  const double ring = 7, left = window.left - ring, top = window.top - ring;
  const double bodyWidth = window.Width() + 2 * ring, bodyHeight = window.Height() + 2 * ring;
  Surface surface = NewSurface(int(width), int(height));
  {
    Surface shadow = NewSurface(int(width), int(height));
    Context cr = NewContext(shadow);
    RoundedRectangle(cr.get(), left, top + 3, bodyWidth, bodyHeight, 10);
    cairo_set_source_rgba(cr.get(), 0, 0, 0.03, 0.55);
    cairo_fill(cr.get());
    cr.reset();
    Blur(shadow.get(), 2);
    Context out = NewContext(surface);
    cairo_set_source_surface(out.get(), shadow.get(), 0, 0);
    cairo_paint(out.get());
    // Nothing of the shadow under the thumbnail.
    cairo_set_operator(out.get(), CAIRO_OPERATOR_CLEAR);
    cairo_rectangle(out.get(), window.left, window.top, window.Width(), window.Height());
    cairo_fill(out.get());
  }
  Context cr = NewContext(surface);
  cairo_set_fill_rule(cr.get(), CAIRO_FILL_RULE_EVEN_ODD);
  RoundedRectangle(cr.get(), left, top, bodyWidth, bodyHeight, 10);
  RoundedRectangle(cr.get(), window.left, window.top, window.Width(), window.Height(), 4);
  Pattern body{cairo_pattern_create_linear(0, top, 0, top + bodyHeight)};
  AddStop(body, 0, Mix(design.palette.frame, 0xFFFFFF, 0.35));
  AddStop(body, 1, Mix(design.palette.frame, 0x000000, 0.10));
  cairo_set_source(cr.get(), body);
  cairo_fill(cr.get());
  // A fine line around the window and a light edge along the top of the body.
  RoundedRectangle(cr.get(), window.left - 0.75, window.top - 0.75, window.Width() + 1.5, window.Height() + 1.5, 4.5);
  SetColour(cr.get(), design.palette.frameEdge, 0.9);
  cairo_set_line_width(cr.get(), 1.5);
  cairo_stroke(cr.get());
  RoundedRectangle(cr.get(), left + 0.5, top + 0.5, bodyWidth - 1, bodyHeight - 1, 9.5);
  cairo_set_source_rgba(cr.get(), 1, 1, 1, 0.45);
  cairo_set_line_width(cr.get(), 1);
  cairo_stroke(cr.get());
  return surface;
}

Surface DrawButton(const TemplateDesign& design, ButtonKind kind) {
  constexpr double kCentre = kButtonSize / 2.0, kRadius = 27;
  Surface surface = NewSurface(kButtonSize, kButtonSize);
  {
    // A faint shadow: it stays well below half opacity, so the button's shape (what the disc
    // outlines) is the round face alone.
    Context shadow = NewContext(surface);
    cairo_arc(shadow.get(), kCentre, kCentre + 2, kRadius, 0, kTau);
    cairo_set_source_rgba(shadow.get(), 0, 0, 0.03, 0.38);
    cairo_fill(shadow.get());
  }
  Blur(surface.get(), 1);
  Context cr = NewContext(surface);
  const double centreY = kCentre - 1;
  cairo_arc(cr.get(), kCentre, centreY, kRadius, 0, kTau);
  Pattern face{cairo_pattern_create_linear(0, centreY - kRadius, 0, centreY + kRadius)};
  AddStop(face, 0, Mix(design.palette.buttonFill, 0xFFFFFF, 0.18));
  AddStop(face, 1, Mix(design.palette.buttonFill, 0x000000, 0.12));
  cairo_set_source(cr.get(), face);
  cairo_fill(cr.get());
  cairo_arc(cr.get(), kCentre, centreY, kRadius - 0.75, 0, kTau);
  SetColour(cr.get(), design.palette.buttonRim, 0.9);
  cairo_set_line_width(cr.get(), 1.5);
  cairo_stroke(cr.get());

  SetColour(cr.get(), design.palette.glyph);
  cairo_set_line_join(cr.get(), CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr.get(), CAIRO_LINE_CAP_ROUND);
  switch (kind) {
    case ButtonKind::Play:
      // Set a little right of the centre, where a triangle looks centred.
      cairo_move_to(cr.get(), kCentre - 6, centreY - 11);
      cairo_line_to(cr.get(), kCentre + 11, centreY);
      cairo_line_to(cr.get(), kCentre - 6, centreY + 11);
      cairo_close_path(cr.get());
      cairo_fill_preserve(cr.get());
      cairo_set_line_width(cr.get(), 4);
      cairo_stroke(cr.get());
      break;
    case ButtonKind::Previous:
    case ButtonKind::Next: {
      const double direction = kind == ButtonKind::Next ? 1 : -1;
      cairo_move_to(cr.get(), kCentre - direction * 5, centreY - 11);
      cairo_line_to(cr.get(), kCentre + direction * 6, centreY);
      cairo_line_to(cr.get(), kCentre - direction * 5, centreY + 11);
      cairo_set_line_width(cr.get(), 5.5);
      cairo_stroke(cr.get());
      break;
    }
  }
  return surface;
}

void PaintSamplePicture(cairo_t* cr, const TemplateDesign& design, int variant, double width, double height) {
  const uint32_t sky = design.palette.sample[variant % 2], land = design.palette.sample[(variant + 1) % 2];
  cairo_save(cr);
  cairo_rectangle(cr, 0, 0, width, height);
  cairo_clip(cr);
  Pattern air{cairo_pattern_create_linear(0, 0, 0, height)};
  AddStop(air, 0, Mix(sky, 0x000000, 0.15));
  AddStop(air, 1, Mix(sky, 0xFFFFFF, 0.45));
  cairo_set_source(cr, air);
  cairo_paint(cr);
  Glow(cr, width * (0.25 + 0.18 * variant), height * 0.35, height * 0.3, 0xFFFFFF, 0.6);
  cairo_move_to(cr, 0, height);
  for (double x = 0; x <= width; x += width / 40)
    cairo_line_to(cr, x, height * (0.66 + 0.1 * std::sin(kTau * x / width * 1.3 + variant * 1.9)));
  cairo_line_to(cr, width, height);
  cairo_close_path(cr);
  SetColour(cr, Mix(land, 0x000000, 0.25));
  cairo_fill(cr);
  cairo_restore(cr);
}

}  // namespace templategen
