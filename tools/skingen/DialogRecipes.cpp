#include "tools/skingen/DialogRecipes.h"

#include "tools/skingen/Recipes.h"

#include <cmath>
#include <initializer_list>
#include <utility>

namespace skingen {

namespace {

constexpr double kPi = 3.14159265358979323846;


class DialogPainter {
 public:
  DialogPainter(cairo_t* cr, const Manifest& m, const PartSpec& part) : cr(cr), m(m), part(part), w(part.width), h(part.height) {}

  void Draw() const {
    const std::string kind = part.Arg("kind");
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    if (kind == "information") Information();
    else if (kind == "question") Question();
    else if (kind == "warning") Warning();
    else if (kind == "error") Error();
    else if (kind == "home") Home();
    else if (kind == "desktop") Monitor(false);
    else if (kind == "computer") Monitor(true);
    else if (kind == "documents") Document();
    else if (kind == "downloads") Downloads();
    else if (kind == "music") Music();
    else if (kind == "pictures") Pictures();
    else if (kind == "videos") Videos();
    else if (kind == "drive") Drive();
    else if (kind == "up") Up();
    else if (kind == "new-folder") NewFolder();
    else throw ManifestError("line " + std::to_string(part.line) + ": unknown dialog glyph \"" + kind + "\"");
  }

 private:
  cairo_t* cr;
  const Manifest& m;
  const PartSpec& part;
  const double w, h;

  void Source(const std::string& name) const {
    const Rgba& c = m.Color(name);
    cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
  }
  void Stroke(const std::string& color, double width = 1.5) const {
    cairo_set_line_width(cr, width);
    Source(color);
    cairo_stroke(cr);
  }
  void Lines(std::initializer_list<std::pair<double, double>> points, const std::string& color, double width = 1.5) const {
    cairo_new_path(cr);
    bool first = true;
    for (const auto& [x, y] : points) {
      first ? cairo_move_to(cr, x, y) : cairo_line_to(cr, x, y);
      first = false;
    }
    Stroke(color, width);
  }
  void RoundedRect(double x, double y, double rw, double rh, double r) const { RoundedRectPath(cr, x, y, rw, rh, r); }
  void Disc(const std::string& color) const {
    cairo_new_path(cr);
    cairo_arc(cr, w / 2, h / 2, w / 2 - 1, 0, 2 * kPi);
    Source(color);
    cairo_fill(cr);
  }

  // ---- the message icons (32 x 32)
  void Information() const { DrawInformationMark(cr, m, w, h); }
  void Question() const {
    Disc("accent");
    cairo_new_path(cr);
    cairo_arc(cr, w / 2, h * 0.39, w * 0.16, kPi * 1.05, kPi * 2.35);
    cairo_line_to(cr, w / 2, h * 0.6);
    Stroke("white", 3.5);
    cairo_new_path(cr);
    cairo_arc(cr, w / 2, h * 0.76, 2.25, 0, 2 * kPi);
    Source("white");
    cairo_fill(cr);
  }
  void Warning() const {
    cairo_new_path(cr);
    const double top = 2.5, bottom = h - 3.5, left = 1.5, right = w - 1.5;
    cairo_move_to(cr, w / 2, top);
    cairo_line_to(cr, right, bottom);
    cairo_line_to(cr, left, bottom);
    cairo_close_path(cr);
    cairo_set_line_width(cr, 3);
    Source("warning");
    cairo_fill_preserve(cr);
    cairo_stroke(cr);
    Lines({{w / 2, h * 0.36}, {w / 2, h * 0.62}}, "text", 3.5);
    cairo_new_path(cr);
    cairo_arc(cr, w / 2, h * 0.76, 2.1, 0, 2 * kPi);
    Source("text");
    cairo_fill(cr);
  }
  void Error() const {
    Disc("close-hot");
    const double d = w * 0.19;
    Lines({{w / 2 - d, h / 2 - d}, {w / 2 + d, h / 2 + d}}, "white", 3.5);
    Lines({{w / 2 + d, h / 2 - d}, {w / 2 - d, h / 2 + d}}, "white", 3.5);
  }

  // ---- the file dialog's glyphs (16 x 16)
  void Home() const {
    Lines({{2, 8}, {8, 2.5}, {14, 8}}, "accent");
    Lines({{4, 7}, {4, 13.5}, {12, 13.5}, {12, 7}}, "text-secondary");
    Lines({{7, 13.5}, {7, 10}, {9, 10}, {9, 13.5}}, "text-secondary");
  }
  void Monitor(bool stand) const {
    cairo_new_path(cr);
    RoundedRect(1.75, 2.75, 12.5, 8.5, 1.5);
    Stroke("text-secondary");
    if (stand) {
      Lines({{8, 11.5}, {8, 13.5}}, "text-secondary");
      Lines({{5, 13.75}, {11, 13.75}}, "text-secondary");
    } else {
      cairo_new_path(cr);
      cairo_rectangle(cr, 3.5, 4.5, 9, 5);
      Source("accent");
      cairo_fill(cr);
      Lines({{5, 13.75}, {11, 13.75}}, "text-secondary");
    }
  }
  void Document() const {
    Lines({{3.5, 1.75}, {9.5, 1.75}, {12.5, 4.75}, {12.5, 14.25}, {3.5, 14.25}, {3.5, 1.75}}, "text-secondary");
    Lines({{9.5, 1.75}, {9.5, 4.75}, {12.5, 4.75}}, "text-secondary");
    for (double y : {7.5, 10.0, 12.0}) Lines({{5.75, y}, {10.25, y}}, "accent", 1.25);
  }
  void Downloads() const {
    Lines({{8, 2}, {8, 10}}, "accent");
    Lines({{4.5, 6.75}, {8, 10.25}, {11.5, 6.75}}, "accent");
    Lines({{2, 10.5}, {2, 14}, {14, 14}, {14, 10.5}}, "text-secondary");
  }
  void Music() const {
    Lines({{6.5, 12}, {6.5, 3}, {13, 1.75}, {13, 10.5}}, "text-secondary");
    for (auto [x, y] : {std::pair{4.75, 12.25}, std::pair{11.25, 10.75}}) {
      cairo_new_path(cr);
      cairo_arc(cr, x, y, 2.1, 0, 2 * kPi);
      Source("accent");
      cairo_fill(cr);
    }
  }
  void Pictures() const {
    cairo_new_path(cr);
    RoundedRect(1.75, 2.75, 12.5, 10.5, 1.5);
    Stroke("text-secondary");
    Lines({{3.5, 11.5}, {6.5, 7.5}, {8.75, 10}, {10.25, 8.5}, {12.5, 11.5}}, "accent", 1.25);
    cairo_new_path(cr);
    cairo_arc(cr, 10.5, 5.75, 1.25, 0, 2 * kPi);
    Source("accent");
    cairo_fill(cr);
  }
  void Videos() const {
    cairo_new_path(cr);
    RoundedRect(1.75, 3.25, 12.5, 9.5, 1.5);
    Stroke("text-secondary");
    cairo_new_path(cr);
    cairo_move_to(cr, 6.5, 5.5);
    cairo_line_to(cr, 11, 8);
    cairo_line_to(cr, 6.5, 10.5);
    cairo_close_path(cr);
    Source("accent");
    cairo_fill(cr);
  }
  void Drive() const {
    cairo_new_path(cr);
    RoundedRect(1.75, 4.75, 12.5, 6.5, 1.5);
    Stroke("text-secondary");
    cairo_new_path(cr);
    cairo_arc(cr, 11.5, 8, 1.1, 0, 2 * kPi);
    Source("accent");
    cairo_fill(cr);
    Lines({{4, 8}, {8, 8}}, "text-secondary", 1.25);
  }
  void Up() const {
    Lines({{8, 13.5}, {8, 3}}, "text");
    Lines({{3.75, 7.25}, {8, 3}, {12.25, 7.25}}, "text");
  }
  void NewFolder() const {
    Lines({{1.75, 12.75}, {1.75, 3.25}, {6, 3.25}, {7.5, 4.75}, {14.25, 4.75}, {14.25, 8}}, "text-secondary");
    Lines({{1.75, 12.75}, {8.5, 12.75}}, "text-secondary");
    Lines({{12, 9.5}, {12, 15}}, "accent");
    Lines({{9.25, 12.25}, {14.75, 12.25}}, "accent");
  }
};

}  // namespace

void DrawInformationMark(cairo_t* cr, const Manifest& m, double w, double h) {
  const Rgba& accent = m.Color("accent");
  const Rgba& white = m.Color("white");
  cairo_new_path(cr);
  cairo_arc(cr, w / 2, h / 2, w / 2 - 1, 0, 2 * kPi);
  cairo_set_source_rgba(cr, accent.r, accent.g, accent.b, accent.a);
  cairo_fill(cr);
  cairo_set_source_rgba(cr, white.r, white.g, white.b, white.a);
  cairo_new_path(cr);
  cairo_arc(cr, w / 2, h * 0.3, 2.25, 0, 2 * kPi);
  cairo_fill(cr);
  cairo_new_path(cr);
  RoundedRectPath(cr, w / 2 - 1.75, h * 0.42, 3.5, h * 0.36, 1.5);
  cairo_fill(cr);
}

void DrawDialogGlyph(cairo_t* cr, const Manifest& manifest, const PartSpec& part, size_t state) {
  // A disabled state is the normal one, faded.
  const bool disabled = part.states.at(state) == "disabled";
  if (disabled) cairo_push_group(cr);
  DialogPainter(cr, manifest, part).Draw();
  if (disabled) {
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, manifest.Metric("disabled-opacity") / 100.0);
  }
}

}  // namespace skingen
