#include "tools/skingen/PhasePictures.h"

#include <cairo.h>

#include <cmath>
#include <filesystem>
#include <stdexcept>

#include "tools/skingen/CairoImage.h"
#include "tools/skingen/Recipes.h"

namespace skingen {

namespace {

constexpr double kPi = 3.14159265358979323846;

void SetColor(cairo_t* cr, const Rgba& c, double opacity = 1) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a * opacity); }

// The disc's centre: a white label ring and the grey spindle hole.
void DiscHub(cairo_t* cr, const Manifest& m, double cx, double cy, double r) {
  cairo_new_path(cr);
  cairo_arc(cr, cx, cy, r * 0.3, 0, 2 * kPi);
  SetColor(cr, m.Color("white"));
  cairo_fill_preserve(cr);
  cairo_set_line_width(cr, 1.5);
  SetColor(cr, m.Color("border"));
  cairo_stroke(cr);
  cairo_new_path(cr);
  cairo_arc(cr, cx, cy, r * 0.1, 0, 2 * kPi);
  SetColor(cr, m.Color("window"));
  cairo_fill_preserve(cr);
  SetColor(cr, m.Color("border-strong"));
  cairo_stroke(cr);
}

// A disc seen from the front: a light face with a faint sheen across it, the data area's rings,
// the clear hub and its hole.
void Disc(cairo_t* cr, const Manifest& m, double cx, double cy, double r) {
  cairo_new_path(cr);
  cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
  SetColor(cr, m.Color("subtle"));
  cairo_fill_preserve(cr);
  cairo_set_line_width(cr, 2);
  SetColor(cr, m.Color("border-strong"));
  cairo_stroke(cr);
  // The sheen: a wedge of the accent's soft tint from the centre.
  cairo_new_path(cr);
  cairo_move_to(cr, cx, cy);
  cairo_arc(cr, cx, cy, r - 4, -kPi * 0.42, -kPi * 0.18);
  cairo_close_path(cr);
  SetColor(cr, m.Color("accent-soft"));
  cairo_fill(cr);
  cairo_new_path(cr);
  cairo_move_to(cr, cx, cy);
  cairo_arc(cr, cx, cy, r - 4, kPi * 0.58, kPi * 0.82);
  cairo_close_path(cr);
  SetColor(cr, m.Color("accent-soft"));
  cairo_fill(cr);
  cairo_set_line_width(cr, 1);
  for (double ring = r * 0.55; ring < r - 6; ring += r * 0.12) {
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, ring, 0, 2 * kPi);
    SetColor(cr, m.Color("divider"));
    cairo_stroke(cr);
  }
  DiscHub(cr, m, cx, cy, r);
}

// A strip of film running right, bent down towards the disc: grey edges with sprocket holes and
// three frames in the accent's tints.
void FilmStrip(cairo_t* cr, const Manifest& m, double x, double y, double frameWidth, double height) {
  const double edge = height * 0.17;
  const int frames = 3;
  const double width = frames * frameWidth;
  RoundedRectPath(cr, x, y, width, height, 4);
  SetColor(cr, m.Color("border-strong"));
  cairo_fill(cr);
  for (int i = 0; i < frames; ++i) {
    const double fx = x + i * frameWidth + 5, fy = y + edge + 3;
    RoundedRectPath(cr, fx, fy, frameWidth - 10, height - 2 * edge - 6, 3);
    SetColor(cr, i == 1 ? m.Color("accent-hot") : m.Color("accent-soft"));
    cairo_fill(cr);
    // A mountain and a sun in each frame: a picture, not a page of text.
    const double bw = frameWidth - 10, bh = height - 2 * edge - 6;
    cairo_new_path(cr);
    cairo_move_to(cr, fx + 4, fy + bh - 3);
    cairo_line_to(cr, fx + bw * 0.4, fy + bh * 0.45);
    cairo_line_to(cr, fx + bw * 0.6, fy + bh * 0.7);
    cairo_line_to(cr, fx + bw * 0.75, fy + bh * 0.55);
    cairo_line_to(cr, fx + bw - 4, fy + bh - 3);
    cairo_close_path(cr);
    SetColor(cr, i == 1 ? m.Color("white") : m.Color("accent"), i == 1 ? 0.9 : 0.55);
    cairo_fill(cr);
    cairo_new_path(cr);
    cairo_arc(cr, fx + bw * 0.75, fy + bh * 0.3, bh * 0.1, 0, 2 * kPi);
    SetColor(cr, m.Color("white"), 0.9);
    cairo_fill(cr);
  }
  for (double hx = x + 6; hx + 6 < x + width; hx += 12) {
    for (double hy : {y + edge / 2 - 2, y + height - edge / 2 - 2}) {
      RoundedRectPath(cr, hx, hy, 6, 4, 1);
      SetColor(cr, m.Color("white"));
      cairo_fill(cr);
    }
  }
}

void Converting(cairo_t* cr, const Manifest& m, double w, double h) {
  const double discX = w * 0.7, discY = h * 0.52, discR = 78;
  // The stream from the strip into the disc, under both.
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (int i = 0; i < 3; ++i) {
    const double offset = (i - 1) * 14;
    cairo_new_path(cr);
    cairo_move_to(cr, w * 0.18, h * 0.5 + offset);
    cairo_curve_to(cr, w * 0.38, h * 0.5 + offset, w * 0.44, discY + offset * 0.6, discX - discR * 0.3, discY + offset * 0.4);
    cairo_set_line_width(cr, i == 1 ? 5 : 3);
    SetColor(cr, m.Color("accent"), i == 1 ? 0.85 : 0.35);
    cairo_stroke(cr);
  }
  Disc(cr, m, discX, discY, discR);
  FilmStrip(cr, m, w * 0.06, h * 0.5 - 34, 46, 68);
  // The arrowhead where the stream meets the disc's edge.
  const double ax = discX - discR - 6, ay = discY;
  cairo_new_path(cr);
  cairo_move_to(cr, ax + 10, ay);
  cairo_line_to(cr, ax - 6, ay - 10);
  cairo_line_to(cr, ax - 6, ay + 10);
  cairo_close_path(cr);
  SetColor(cr, m.Color("accent"));
  cairo_fill(cr);
}

void Erasing(cairo_t* cr, const Manifest& m, double w, double h) {
  const double cx = w / 2, cy = h * 0.56, r = 92;
  Disc(cr, m, cx, cy, r);
  // The sweep: an arc over the disc, its tail fading out, its head an arrow.
  const double sweep = r + 22;
  // Butt-ended pieces, so that the fading pieces do not overlap into beads.
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  const int steps = 48;
  const double from = -kPi * 0.95, to = -kPi * 0.12;
  for (int i = 0; i < steps; ++i) {
    const double a0 = from + (to - from) * i / steps, a1 = from + (to - from) * (i + 1) / steps;
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, sweep, a0, a1);
    cairo_set_line_width(cr, 7);
    SetColor(cr, m.Color("accent"), 0.12 + 0.88 * (i + 1) / steps);
    cairo_stroke(cr);
  }
  const double hx = cx + sweep * std::cos(to), hy = cy + sweep * std::sin(to);
  const double tangent = to + kPi / 2;
  cairo_new_path(cr);
  cairo_move_to(cr, hx + 16 * std::cos(tangent), hy + 16 * std::sin(tangent));
  cairo_line_to(cr, hx + 11 * std::cos(to), hy + 11 * std::sin(to));
  cairo_line_to(cr, hx - 11 * std::cos(to), hy - 11 * std::sin(to));
  cairo_close_path(cr);
  SetColor(cr, m.Color("accent"));
  cairo_fill(cr);
  // The part already swept shows wiped clean: a white wedge with the accent's soft edge.
  cairo_new_path(cr);
  cairo_move_to(cr, cx, cy);
  cairo_arc(cr, cx, cy, r - 3, from, from + (to - from) * 0.35);
  cairo_close_path(cr);
  SetColor(cr, m.Color("white"), 0.85);
  cairo_fill(cr);
  DiscHub(cr, m, cx, cy, r);
}

void Burning(cairo_t* cr, const Manifest& m, double w, double h) {
  const double cx = w / 2, cy = h * 0.6, r = 80;
  // The progress ring around the disc: a grey track, two thirds of it in the accent.
  const double ring = r + 16;
  cairo_set_line_width(cr, 8);
  cairo_new_path(cr);
  cairo_arc(cr, cx, cy, ring, 0, 2 * kPi);
  SetColor(cr, m.Color("track"));
  cairo_stroke(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_new_path(cr);
  cairo_arc(cr, cx, cy, ring, -kPi / 2, -kPi / 2 + 2 * kPi * 0.66);
  SetColor(cr, m.Color("accent"));
  cairo_stroke(cr);
  Disc(cr, m, cx, cy, r);
  // The beam: from the laser head at the top down onto the disc's data area.
  const double headY = 18, spotX = cx + r * 0.62 * std::cos(-kPi * 0.3), spotY = cy + r * 0.62 * std::sin(-kPi * 0.3);
  cairo_pattern_t* beam = cairo_pattern_create_linear(0, headY, 0, spotY);
  const Rgba& accent = m.Color("accent");
  cairo_pattern_add_color_stop_rgba(beam, 0, accent.r, accent.g, accent.b, 0.15);
  cairo_pattern_add_color_stop_rgba(beam, 1, accent.r, accent.g, accent.b, 0.7);
  cairo_new_path(cr);
  cairo_move_to(cr, spotX - 18, headY + 14);
  cairo_line_to(cr, spotX + 18, headY + 14);
  cairo_line_to(cr, spotX + 2, spotY);
  cairo_line_to(cr, spotX - 2, spotY);
  cairo_close_path(cr);
  cairo_set_source(cr, beam);
  cairo_fill(cr);
  cairo_pattern_destroy(beam);
  // The head, and the bright spot where the beam meets the disc.
  RoundedRectPath(cr, spotX - 28, headY, 56, 16, 4);
  SetColor(cr, m.Color("border-strong"));
  cairo_fill(cr);
  RoundedRectPath(cr, spotX - 8, headY + 10, 16, 6, 2);
  SetColor(cr, m.Color("accent-pressed"));
  cairo_fill(cr);
  cairo_new_path(cr);
  cairo_arc(cr, spotX, spotY, 7, 0, 2 * kPi);
  SetColor(cr, m.Color("accent-hot"), 0.5);
  cairo_fill(cr);
  cairo_new_path(cr);
  cairo_arc(cr, spotX, spotY, 3.5, 0, 2 * kPi);
  SetColor(cr, m.Color("white"));
  cairo_fill(cr);
}

}  // namespace

std::string PhasePictureName(JobPhase phase) {
  switch (phase) {
    case JobPhase::Converting: return "converting.png";
    case JobPhase::Erasing: return "erasing.png";
    case JobPhase::Burning: return "burning.png";
  }
  return {};
}

RgbaImage PhasePicture(const Manifest& m, JobPhase phase) {
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kPhasePictureWidth, kPhasePictureHeight),
                     cairo_surface_destroy);
  ContextPtr owner(cairo_create(surface.get()), cairo_destroy);
  cairo_t* cr = owner.get();
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);
  cairo_rectangle(cr, 0, 0, kPhasePictureWidth, kPhasePictureHeight);
  SetColor(cr, m.Color("white"));
  cairo_fill(cr);
  const double w = kPhasePictureWidth, h = kPhasePictureHeight;
  switch (phase) {
    case JobPhase::Converting: Converting(cr, m, w, h); break;
    case JobPhase::Erasing: Erasing(cr, m, w, h); break;
    case JobPhase::Burning: Burning(cr, m, w, h); break;
  }
  if (cairo_status(cr) != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error("cannot draw " + PhasePictureName(phase) + ": " + cairo_status_to_string(cairo_status(cr)));
  return SurfaceToRgba(surface.get());
}

std::vector<std::string> WritePhasePictures(const Manifest& manifest, const std::string& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) throw std::runtime_error("cannot make the folder '" + folder + "': " + error.message());
  std::vector<std::string> written;
  for (JobPhase phase : {JobPhase::Converting, JobPhase::Erasing, JobPhase::Burning}) {
    const std::string path = (std::filesystem::path(folder) / PhasePictureName(phase)).string();
    WritePng(path, PhasePicture(manifest, phase));
    written.push_back(path);
  }
  return written;
}

}  // namespace skingen
