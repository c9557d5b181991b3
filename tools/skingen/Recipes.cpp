#include "tools/skingen/Recipes.h"

#include "tools/skingen/DialogRecipes.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <functional>
#include <memory>

namespace skingen {

namespace {

constexpr double kPi = 3.14159265358979323846;

// What a state shows, from its name in the manifest.
enum class Look { Normal, Hot, Pressed, Disabled, Focused };

class Painter {
 public:
  Painter(cairo_t* cr, const Manifest& manifest, const PartSpec& part, size_t state)
      : cr(cr), m(manifest), part(part), stateName(part.states.at(state)), w(part.width), h(part.height) {}

  cairo_t* cr;
  const Manifest& m;
  const PartSpec& part;
  const std::string& stateName;
  const double w, h;

  [[noreturn]] void Fail(const std::string& message) const {
    throw ManifestError("line " + std::to_string(part.line) + ": " + message);
  }

  Look StateLook() const {
    static const std::pair<const char*, Look> kLooks[] = {
        {"normal", Look::Normal}, {"hot", Look::Hot}, {"pressed", Look::Pressed},
        {"disabled", Look::Disabled}, {"focused", Look::Focused}};
    for (const auto& [name, look] : kLooks) {
      if (stateName == name) return look;
    }
    Fail("recipe " + part.draw + " has no state \"" + stateName + "\"");
  }

  double Metric(const char* name) const { return m.Metric(name); }
  double Stroke() const { return Metric("stroke"); }

  void Source(const std::string& name, double opacity = 1) const {
    const Rgba& c = m.Color(name);
    cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a * opacity);
  }

  // A rectangle with rounded corners (radii top-left, top-right, bottom-right, bottom-left).
  void Rounded(double x, double y, double rw, double rh, double tl, double tr, double br, double bl) const {
    RoundedRectPath(cr, x, y, rw, rh, tl, tr, br, bl);
  }
  void Rounded(double x, double y, double rw, double rh, double r) const { RoundedRectPath(cr, x, y, rw, rh, r); }

  // A body with a one-pixel border: the border colour fills the shape, the fill its inside.
  void Body(double x, double y, double bw, double bh, double r, const std::string& fill, const std::string& border) const {
    cairo_save(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_new_path(cr);
    Rounded(x, y, bw, bh, r);
    Rounded(x + 1, y + 1, bw - 2, bh - 2, std::max(0.0, r - 1));
    Source(border);
    cairo_fill(cr);
    cairo_restore(cr);
    if (!fill.empty()) {
      cairo_new_path(cr);
      Rounded(x + 1, y + 1, bw - 2, bh - 2, std::max(0.0, r - 1));
      Source(fill);
      cairo_fill(cr);
    }
  }

  // The focus ring: a band of the focus colour along the edge, the body drawn inside it.
  void FocusRing(double r) const {
    const double ring = Metric("focus-ring");
    cairo_save(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_new_path(cr);
    Rounded(0, 0, w, h, r + ring / 2);
    Rounded(ring, ring, w - 2 * ring, h - 2 * ring, r);
    Source("focus");
    cairo_fill(cr);
    cairo_restore(cr);
  }

  // Draws `draw` at the disabled opacity.
  void Faded(const std::function<void()>& draw) const {
    cairo_push_group(cr);
    draw();
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, Metric("disabled-opacity") / 100.0);
  }

  // A stroked polyline in the glyph stroke.
  void Lines(std::initializer_list<std::pair<double, double>> points, const std::string& color, double opacity = 1) const {
    cairo_new_path(cr);
    bool first = true;
    for (const auto& [x, y] : points) {
      first ? cairo_move_to(cr, x, y) : cairo_line_to(cr, x, y);
      first = false;
    }
    cairo_set_line_width(cr, Stroke());
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    Source(color, opacity);
    cairo_stroke(cr);
  }

  // A vector glyph centred in (x, y, gw, gh).
  void Glyph(const std::string& shape, double x, double y, double gw, double gh, const std::string& color) const {
    const double cx = x + gw / 2, cy = y + gh / 2;
    if (shape == "chevron-down" || shape == "chevron-up") {
      const double hw = std::min(gw, gh * 2) / 2 - Stroke() / 2 - 0.5, hh = hw / 2;
      const double s = shape == "chevron-down" ? 1 : -1;
      Lines({{cx - hw, cy - s * hh}, {cx, cy + s * hh}, {cx + hw, cy - s * hh}}, color);
    } else if (shape == "chevron-left" || shape == "chevron-right") {
      const double hh = std::min(gh, gw * 2) / 2 - Stroke() / 2 - 0.5, hw = hh / 2;
      const double s = shape == "chevron-right" ? 1 : -1;
      Lines({{cx - s * hw, cy - hh}, {cx + s * hw, cy}, {cx - s * hw, cy + hh}}, color);
    } else if (shape == "ellipsis") {
      for (int i = -1; i <= 1; ++i) {
        cairo_new_path(cr);
        cairo_arc(cr, cx + i * 4.0, cy, 1.25, 0, 2 * kPi);
        Source(color);
        cairo_fill(cr);
      }
    } else if (shape == "folder") {
      const double l = x + 1.75, t = y + 2.75, r = x + gw - 1.75, b = y + gh - 2.75;
      Lines({{l, b}, {l, t}, {l + 4, t}, {l + 5.5, t + 1.5}, {r, t + 1.5}, {r, b}, {l, b}}, color);
    } else if (shape == "plus") {
      const double a = std::min(gw, gh) / 2 - 3;
      Lines({{cx - a, cy}, {cx + a, cy}}, color);
      Lines({{cx, cy - a}, {cx, cy + a}}, color);
    } else if (shape == "play") {
      const double a = std::min(gw, gh) / 2 - 2.5;
      cairo_new_path(cr);
      cairo_move_to(cr, cx - a * 0.7, cy - a);
      cairo_line_to(cr, cx + a, cy);
      cairo_line_to(cr, cx - a * 0.7, cy + a);
      cairo_close_path(cr);
      Source(color);
      cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
      cairo_set_line_width(cr, Stroke());
      cairo_fill_preserve(cr);
      cairo_stroke(cr);
    } else if (shape == "pause") {
      const double a = std::min(gw, gh) / 2 - 2.5;
      for (double bx : {cx - a * 0.75, cx + a * 0.25}) {
        cairo_new_path(cr);
        Rounded(bx, cy - a, a * 0.5, 2 * a, 0.75);
        Source(color);
        cairo_fill(cr);
      }
    } else if (shape == "minimize") {
      Lines({{cx - 4.5, cy + 0.25}, {cx + 4.5, cy + 0.25}}, color);
    } else if (shape == "maximize") {
      cairo_new_path(cr);
      Rounded(cx - 4.25, cy - 4.25, 8.5, 8.5, 1);
      cairo_set_line_width(cr, Stroke());
      Source(color);
      cairo_stroke(cr);
    } else if (shape == "restore") {
      cairo_new_path(cr);
      Rounded(cx - 4.25, cy - 2.25, 6.5, 6.5, 1);
      cairo_set_line_width(cr, Stroke());
      Source(color);
      cairo_stroke(cr);
      Lines({{cx - 2.25, cy - 4.25}, {cx + 3.25, cy - 4.25}, {cx + 4.25, cy - 3.25}, {cx + 4.25, cy + 2.25}}, color);
    } else if (shape == "close") {
      Lines({{cx - 4, cy - 4}, {cx + 4, cy + 4}}, color);
      Lines({{cx + 4, cy - 4}, {cx - 4, cy + 4}}, color);
    } else if (shape == "sizegrip") {
      for (double d : {3.0, 7.0}) Lines({{x + gw - 1.5, y + gh - 1.5 - d}, {x + gw - 1.5 - d, y + gh - 1.5}}, color);
    } else if (shape == "grip-h" || shape == "grip-v") {
      for (int i = -1; i <= 1; ++i) {
        if (shape == "grip-v") {
          Lines({{cx - 1.5, cy + i * 2.0}, {cx + 1.5, cy + i * 2.0}}, color);
        } else {
          Lines({{cx + i * 2.0, cy - 1.5}, {cx + i * 2.0, cy + 1.5}}, color);
        }
      }
    } else if (shape == "check") {
      Lines({{x + gw * 0.25, cy + 0.25}, {x + gw * 0.43, cy + gh * 0.2}, {x + gw * 0.76, cy - gh * 0.2}}, color);
    } else if (!CommandGlyph(shape, x + (gw - 16) / 2, y + (gh - 16) / 2, color)) {
      Fail("unknown glyph shape \"" + shape + "\"");
    }
  }

  // A closed polygon, filled.
  void Filled(std::initializer_list<std::pair<double, double>> points, const std::string& color) const {
    cairo_new_path(cr);
    for (const auto& [px, py] : points) cairo_line_to(cr, px, py);
    cairo_close_path(cr);
    Source(color);
    cairo_set_line_width(cr, 1);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_fill_preserve(cr);
    cairo_stroke(cr);
  }

  void StrokedRect(double x, double y, double rw, double rh, double r, const std::string& color) const {
    cairo_new_path(cr);
    Rounded(x, y, rw, rh, r);
    cairo_set_line_width(cr, Stroke());
    Source(color);
    cairo_stroke(cr);
  }

  // A letter of the text-style buttons in the wordmark's bold face, centred on (cx, cy);
  // `slant` leans it as italics do.
  void Letter(const char* text, double cx, double cy, double size, double slant, const std::string& color) const {
    cairo_save(cr);
    UseWordmarkFont(cr, size);
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, size, 0, -slant * size, size, 0, 0);
    cairo_set_font_matrix(cr, &matrix);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text, &extents);
    cairo_move_to(cr, cx - extents.x_bearing - extents.width / 2, cy - extents.y_bearing - extents.height / 2);
    Source(color);
    cairo_show_text(cr, text);
    cairo_restore(cr);
  }

  // The main window's command glyphs, drawn in a 16-pixel box at (x, y). False for a shape
  // that is not one of them.
  bool CommandGlyph(const std::string& shape, double x, double y, const std::string& color) const {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    bool known = true;
    if (shape == "stop") {
      cairo_new_path(cr);
      Rounded(3.5, 3.5, 9, 9, 1.5);
      Source(color);
      cairo_fill(cr);
    } else if (shape == "camera") {
      StrokedRect(1.75, 4.75, 12.5, 9, 2, color);
      Lines({{5, 4.75}, {6.25, 2.75}, {9.75, 2.75}, {11, 4.75}}, color);
      cairo_new_path(cr);
      cairo_arc(cr, 8, 9.25, 2.5, 0, 2 * kPi);
      cairo_set_line_width(cr, Stroke());
      cairo_stroke(cr);
    } else if (shape == "folder-open") {
      Lines({{1.75, 13.25}, {1.75, 2.75}, {5.75, 2.75}, {7.25, 4.25}, {12.25, 4.25}, {12.25, 6.75}}, color);
      Lines({{1.75, 13.25}, {4, 6.75}, {14.5, 6.75}, {12.25, 13.25}, {1.75, 13.25}}, color);
    } else if (shape == "full-screen") {
      Lines({{1.75, 5.75}, {1.75, 1.75}, {5.75, 1.75}}, color);
      Lines({{10.25, 1.75}, {14.25, 1.75}, {14.25, 5.75}}, color);
      Lines({{14.25, 10.25}, {14.25, 14.25}, {10.25, 14.25}}, color);
      Lines({{5.75, 14.25}, {1.75, 14.25}, {1.75, 10.25}}, color);
    } else if (shape == "title-add" || shape == "clip-remove") {
      StrokedRect(1.75, 1.75, 9, 7, 1.5, color);
      Lines({{8.5, 11.5}, {14.5, 11.5}}, color);
      if (shape == "title-add") Lines({{11.5, 8.5}, {11.5, 14.5}}, color);
    } else if (shape == "trash") {
      Lines({{2.25, 4}, {13.75, 4}}, color);
      Lines({{6, 4}, {6.5, 1.75}, {9.5, 1.75}, {10, 4}}, color);
      Lines({{3.75, 4}, {4.75, 14.25}, {11.25, 14.25}, {12.25, 4}}, color);
      Lines({{6.75, 7}, {6.75, 11.25}}, color);
      Lines({{9.25, 7}, {9.25, 11.25}}, color);
    } else if (shape == "title-play") {
      StrokedRect(1.75, 2.75, 12.5, 10.5, 2, color);
      Filled({{6.5, 5.5}, {11, 8}, {6.5, 10.5}}, color);
    } else if (shape == "clip-clear") {
      Lines({{3.75, 3.75}, {3.75, 1.75}, {11.75, 1.75}, {11.75, 7.75}, {9.75, 7.75}}, color);
      StrokedRect(1.75, 3.75, 8, 7, 1.5, color);
      Lines({{10.5, 10.5}, {14.5, 14.5}}, color);
      Lines({{14.5, 10.5}, {10.5, 14.5}}, color);
    } else if (shape == "pencil") {
      Lines({{2.25, 13.75}, {2.75, 10.75}, {10.75, 2.75}, {13.25, 5.25}, {5.25, 13.25}, {2.25, 13.75}}, color);
      Lines({{9, 4.5}, {11.5, 7}}, color);
    } else if (shape == "timeline") {
      Lines({{1.75, 4.25}, {14.25, 4.25}}, color);
      for (double t : {1.75, 5.9, 10.1, 14.25}) Lines({{t, 1.75}, {t, 4.25}}, color);
      StrokedRect(1.75, 7.75, 5.5, 6.5, 1.5, color);
      StrokedRect(8.75, 7.75, 5.5, 6.5, 1.5, color);
    } else if (shape == "bold" || shape == "italic") {
      Letter(shape == "bold" ? "B" : "I", 8, 8, 13, shape == "italic" ? 0.25 : 0, color);
    } else if (shape == "underline") {
      Letter("U", 8, 7, 12, 0, color);
      Lines({{3.5, 14.25}, {12.5, 14.25}}, color);
    } else if (shape == "strikeout") {
      Letter("S", 8, 8, 13, 0, color);
      Lines({{2.5, 8.5}, {13.5, 8.5}}, color);
    } else if (shape == "music") {
      cairo_new_path(cr);
      cairo_arc(cr, 5.5, 11.75, 2.5, 0, 2 * kPi);
      Source(color);
      cairo_fill(cr);
      Lines({{7.75, 11.75}, {7.75, 2}, {12.75, 4.5}, {12.75, 7}, {7.75, 5}}, color);
    } else if (shape == "skip-back" || shape == "skip-forward") {
      const bool back = shape == "skip-back";
      const double bar = back ? 3.5 : 12.5, tip = back ? 5.5 : 10.5, base = back ? 12.5 : 3.5;
      Lines({{bar, 3.5}, {bar, 12.5}}, color);
      Filled({{base, 3.5}, {tip, 8}, {base, 12.5}}, color);
    } else if (shape == "back") {
      Lines({{5.5, 2.75}, {2.5, 5.75}, {5.5, 8.75}}, color);
      cairo_new_path(cr);
      cairo_move_to(cr, 2.5, 5.75);
      cairo_line_to(cr, 9.75, 5.75);
      cairo_arc(cr, 9.75, 9.5, 3.75, -kPi / 2, kPi / 2);
      cairo_line_to(cr, 5, 13.25);
      cairo_set_line_width(cr, Stroke());
      cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
      Source(color);
      cairo_stroke(cr);
    } else {
      known = false;
    }
    cairo_restore(cr);
    return known;
  }

  // The state's glyph colour: normal in the tone, hot darker, pressed in the accent.
  std::string GlyphColor(Look look, const std::string& tone) const {
    if (tone == "white" || tone == "band-text") return look == Look::Normal && tone == "band-text" ? tone : "white";
    if (look == Look::Hot) return tone == "accent" ? "accent-hot" : "text";
    if (look == Look::Pressed) return tone == "accent" ? "accent-pressed" : "accent";
    return tone;
  }

  // Draws `body` for the look; disabled fades the normal look, focused rings it.
  void ByLook(double radius, const std::function<void(Look, double inset)>& body) const {
    const Look look = StateLook();
    if (look == Look::Disabled) {
      Faded([&] { body(Look::Normal, 0); });
    } else if (look == Look::Focused) {
      FocusRing(radius);
      body(Look::Focused, Metric("focus-ring"));
    } else {
      body(look, 0);
    }
  }

  void Button() const {
    const std::string lookName = part.Arg("look", "neutral");
    // "pill" rounds the short sides fully; the nine-grid keeps them round at the drawn height.
    const std::string corners = part.Arg("radius");
    const double r = corners == "pill" ? std::min(w, h) / 2 : corners.empty() ? Metric("radius") : std::stod(corners);
    struct Colors { const char* fill[3]; const char* border[3]; };  // normal, hot, pressed
    Colors colors;
    if (lookName == "neutral") {
      colors = {{"surface", "hover", "pressed-fill"}, {"border", "border-strong", "border-strong"}};
    } else if (lookName == "accent") {
      colors = {{"accent", "accent-hot", "accent-pressed"}, {"accent", "accent-hot", "accent-pressed"}};
    } else if (lookName == "band") {
      // On the dark header band: nothing at rest, a lighter and a darker fill under the pointer.
      colors = {{"", "band-hot", "band-pressed"}, {"", "band-hot", "band-pressed"}};
    } else if (lookName == "flat") {
      // The hover fill is barely darker than the window colour flat buttons sit on: a hot flat
      // button shows itself by its border.
      colors = {{"", "hover", "pressed-fill"}, {"", "border", "pressed-fill"}};
    } else {
      Fail("unknown button look \"" + lookName + "\"");
    }
    ByLook(r, [&](Look look, double inset) {
      const int i = look == Look::Hot ? 1 : look == Look::Pressed ? 2 : 0;
      std::string border = colors.border[i];
      if (look == Look::Focused && lookName != "accent") border = "accent";
      if (border.empty()) return;
      Body(inset, inset, w - 2 * inset, h - 2 * inset, corners == "pill" ? r - inset : r, colors.fill[i], border);
    });
  }

  void Field() const {
    const double r = Metric("radius");
    ByLook(r, [&](Look look, double inset) {
      // The pointer over a field lights its border in the accent, as focus does.
      const char* border = look == Look::Hot ? "accent-hot" : look == Look::Normal ? "border" : "accent";
      Body(inset, inset, w - 2 * inset, h - 2 * inset, r, "surface", border);
    });
  }

  // The face of a button inside a field: a divider on its left, a fill when hot or pressed,
  // rounded where it meets the field's rounded corners.
  void FieldButton() const {
    const std::string corner = part.Arg("corner", "right");
    const double r = Metric("radius") - 1;
    const double tr = corner == "right" || corner == "top-right" ? r : 0;
    const double br = corner == "right" || corner == "bottom-right" ? r : 0;
    const Look look = StateLook();
    auto draw = [&](Look shown) {
      if (shown == Look::Hot || shown == Look::Pressed) {
        cairo_new_path(cr);
        Rounded(1, 0, w - 1, h, 0, tr, br, 0);
        Source(shown == Look::Hot ? "hover" : "pressed-fill");
        cairo_fill(cr);
      }
      cairo_rectangle(cr, 0, 2, 1, h - 4);
      Source("border");
      cairo_fill(cr);
    };
    if (look == Look::Disabled) {
      Faded([&] { draw(Look::Normal); });
    } else {
      draw(look == Look::Focused ? Look::Normal : look);
    }
  }

  void GlyphRecipe() const {
    const std::string tone = part.Arg("tone", "text-secondary");
    const std::string shape = part.Arg("glyph");
    const Look look = StateLook();
    if (look == Look::Disabled) {
      Faded([&] { Glyph(shape, 0, 0, w, h, GlyphColor(Look::Normal, tone)); });
    } else {
      Glyph(shape, 0, 0, w, h, GlyphColor(look == Look::Focused ? Look::Normal : look, tone));
    }
  }

  void CaptionButton() const {
    const bool close = part.Arg("look") == "close";
    const std::string glyph = part.Arg("glyph");
    const double corner = close ? Metric("window-radius") - 1 : 0;
    const Look look = StateLook();
    auto draw = [&](Look shown) {
      std::string fill, color = "text";
      if (shown == Look::Hot) fill = close ? "close-hot" : "hover";
      if (shown == Look::Pressed) fill = close ? "close-pressed" : "pressed-fill";
      if (!fill.empty()) {
        cairo_new_path(cr);
        Rounded(0, 0, w, h, 0, corner, 0, 0);
        Source(fill);
        cairo_fill(cr);
        if (close) color = "white";
      }
      Glyph(glyph, 0, 0, w, h, color);
    };
    look == Look::Disabled ? Faded([&] { draw(Look::Normal); }) : draw(look == Look::Focused ? Look::Normal : look);
  }

  void CheckOrRadio(bool radio) const {
    const bool checked = part.Arg("checked") == "1";
    const double r = radio ? w / 2 : Metric("radius") - 1;
    auto draw = [&](Look look) {
      if (checked) {
        const char* fill = look == Look::Hot ? "accent-hot" : look == Look::Pressed ? "accent-pressed" : "accent";
        cairo_new_path(cr);
        Rounded(0, 0, w, h, r);
        Source(fill);
        cairo_fill(cr);
        if (radio) {
          cairo_new_path(cr);
          cairo_arc(cr, w / 2, h / 2, w * 0.19, 0, 2 * kPi);
          Source("white");
          cairo_fill(cr);
        } else {
          Glyph("check", 0, 0, w, h, "white");
        }
      } else {
        const char* border = look == Look::Hot ? "accent-hot" : look == Look::Pressed ? "accent" : "border-strong";
        Body(0, 0, w, h, r, look == Look::Pressed ? "hover" : "surface", border);
      }
    };
    Plain(draw);
  }

  // Draws by look without a focus ring (the box has no room for one): focused looks normal.
  void Plain(const std::function<void(Look)>& draw) const {
    const Look look = StateLook();
    if (look == Look::Disabled) {
      Faded([&] { draw(Look::Normal); });
    } else {
      draw(look == Look::Focused ? Look::Normal : look);
    }
  }

  void Panel() const {
    const std::string fill = part.Arg("body", "surface");
    const std::string radius = part.Arg("radius");
    Body(0, 0, w, h, radius.empty() ? Metric("radius") : std::stod(radius), fill, "border");
  }

  // A plain area of one colour, edge to edge.
  void Fill() const {
    cairo_rectangle(cr, 0, 0, w, h);
    Source(part.Arg("body", "surface"));
    cairo_fill(cr);
  }

  void GroupBox() const {
    ByLook(Metric("radius"), [&](Look, double inset) {
      Body(inset, inset, w - 2 * inset, h - 2 * inset, Metric("radius"), "", "border");
    });
  }

  // A pill or rounded bar: the track states ("track"/"empty") in the track colour, the
  // filled ones ("bar"/"filled") in the accent.
  void Bar() const {
    const bool filled = stateName == "bar" || stateName == "filled";
    if (!filled && stateName != "track" && stateName != "empty") Fail("recipe bar has no state \"" + stateName + "\"");
    const double r = std::min(Metric("radius"), h / 2);
    cairo_new_path(cr);
    Rounded(0, 0, w, h, r);
    Source(filled ? "accent" : "track");
    cairo_fill(cr);
  }

  // A round thumb: a surface disc in an accent ring, the ring wider and lighter while hot and
  // the disc filled while pressed. A disabled thumb stays opaque (the filled track must not
  // show through it) with its ring faded.
  void SliderThumb() const {
    auto disc = [&](Look look, double inset) {
      const double ring = look == Look::Hot ? 3 : 2;
      const char* border = look == Look::Hot ? "accent-hot" : look == Look::Pressed ? "accent-pressed" : "accent";
      cairo_new_path(cr);
      cairo_arc(cr, w / 2, h / 2, w / 2 - inset, 0, 2 * kPi);
      Source(border);
      cairo_fill(cr);
      cairo_new_path(cr);
      cairo_arc(cr, w / 2, h / 2, w / 2 - inset - ring, 0, 2 * kPi);
      Source(look == Look::Pressed ? "accent-pressed" : "surface");
      cairo_fill(cr);
    };
    if (StateLook() == Look::Disabled) {
      cairo_new_path(cr);
      cairo_arc(cr, w / 2, h / 2, w / 2, 0, 2 * kPi);
      Source("surface");
      cairo_fill(cr);
    }
    ByLook(w / 2, disc);
  }

  // A cut marker: an accent bracket, "[" for the start and "]" for the end, its upright on
  // the cut point's side (left for the start, right for the end) and its arms reaching into
  // the range that is kept.
  void CutMarker() const {
    const bool start = part.Arg("side") == "start";
    Plain([&](Look look) {
      const char* fill = look == Look::Hot ? "accent-hot" : look == Look::Pressed ? "accent-pressed" : "accent";
      const double stem = 2, arm = 2;
      const double stemX = start ? 0 : w - stem;
      cairo_new_path(cr);
      cairo_rectangle(cr, stemX, 0, stem, h);
      cairo_rectangle(cr, 0, 0, w, arm);
      cairo_rectangle(cr, 0, h - arm, w, arm);
      Source(fill);
      cairo_fill(cr);
    });
  }

  void HeaderSection() const {
    const Look look = StateLook();
    auto draw = [&](Look shown) {
      cairo_rectangle(cr, 0, 0, w, h - 1);
      Source(shown == Look::Hot ? "hover" : shown == Look::Pressed ? "pressed-fill" : "subtle");
      cairo_fill(cr);
      cairo_rectangle(cr, 0, h - 1, w, 1);
      Source(shown == Look::Focused ? "accent" : "border");
      cairo_fill(cr);
    };
    look == Look::Disabled ? Faded([&] { draw(Look::Normal); }) : draw(look);
  }

  void Divider() const {
    const double inset = std::stod(part.Arg("inset", "0"));
    cairo_rectangle(cr, 0, inset, w, h - 2 * inset);
    Source("border");
    cairo_fill(cr);
  }

  // A tab: rounded at the top, open at the foot where it meets its page. The control draws
  // each face 2 pixels into the page's frame; only the active face covers the frame there, so
  // the others keep a 2-pixel clear edge. Every tab has a one-pixel border; a normal tab is
  // filled in the window colour, a hot one in the hover colour, the active one like the page it
  // joins; hot and active tabs add an accent line along the top.
  void TabFace() const {
    const double r = Metric("radius");
    // Resting tabs keep their outline so that the back rows of a multi-line strip read as tabs.
    const bool normal = stateName == "normal";
    const bool active = stateName == "active";
    if (!active && !normal && stateName != "hot") Fail("recipe tab has no state \"" + stateName + "\"");
    cairo_save(cr);
    if (!active) {
      cairo_rectangle(cr, 0, 0, w, h - 2);
      cairo_clip(cr);
    }
    cairo_new_path(cr);
    Rounded(0, 0, w, h + r, r, r, 0, 0);
    Source("border");
    cairo_fill(cr);
    cairo_new_path(cr);
    Rounded(1, 1, w - 2, h + r, r - 1, r - 1, 0, 0);
    Source(active ? "surface" : normal ? "window" : "hover");
    cairo_fill(cr);
    if (normal) {
      cairo_restore(cr);
      return;
    }
    cairo_save(cr);
    cairo_new_path(cr);
    Rounded(0, 0, w, h + r, r, r, 0, 0);
    cairo_clip(cr);
    cairo_rectangle(cr, 0, 0, w, 2);
    Source(active ? "accent" : "accent-hot");
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_restore(cr);
  }

  void ScrollTrack() const {
    cairo_rectangle(cr, 0, 0, w, h);
    Source("scroll-track");
    cairo_fill(cr);
  }

  void ScrollButton() const {
    const Look look = StateLook();
    if (look != Look::Hot && look != Look::Pressed) return;
    cairo_new_path(cr);
    Rounded(1, 1, w - 2, h - 2, Metric("radius") - 1);
    Source(look == Look::Hot ? "pressed-fill" : "border");
    cairo_fill(cr);
  }

  void ScrollThumb() const {
    const bool vertical = part.Arg("dir") == "v";
    const double thick = Metric("scroll-thumb");
    const Look look = StateLook();
    auto draw = [&](Look shown) {
      const char* color = shown == Look::Hot ? "border-strong" : shown == Look::Pressed ? "text-secondary" : "scroll-thumb";
      cairo_new_path(cr);
      if (vertical) {
        Rounded((w - thick) / 2, 2, thick, h - 4, thick / 2);
      } else {
        Rounded(2, (h - thick) / 2, w - 4, thick, thick / 2);
      }
      Source(color);
      cairo_fill(cr);
    };
    look == Look::Disabled ? Faded([&] { draw(Look::Normal); }) : draw(look == Look::Focused ? Look::Normal : look);
  }

  void SizeBox() const {
    cairo_rectangle(cr, 0, 0, w, h);
    Source(StateLook() == Look::Hot ? "hover" : "scroll-track");
    cairo_fill(cr);
  }

  // The window frame: opaque to its corners (the window region rounds them), a border, the
  // caption band (white while active) with a divider, and the window colour below.
  void WindowFrame() const {
    const bool active = stateName == "active";
    if (!active && stateName != "inactive") Fail("recipe window-frame has no state \"" + stateName + "\"");
    const double r = Metric("window-radius"), caption = Metric("caption");
    cairo_rectangle(cr, 0, 0, w, h);
    Source("border");
    cairo_fill(cr);
    cairo_new_path(cr);
    Rounded(1, 1, w - 2, h - 2, r - 1);
    Source("window");
    cairo_fill(cr);
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, w, caption - 1);
    cairo_clip(cr);
    cairo_new_path(cr);
    Rounded(1, 1, w - 2, h - 2, r - 1);
    Source(active ? "surface" : "window");
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_rectangle(cr, 1, caption - 1, w - 2, 1);
    Source("divider");
    cairo_fill(cr);
  }

  void Disc(double cx, double cy, double radius) const {
    cairo_pattern_t* gradient = cairo_pattern_create_linear(cx - radius, cy - radius, cx + radius, cy + radius);
    const Rgba& a = m.Color("accent-hot");
    const Rgba& b = m.Color("accent-pressed");
    cairo_pattern_add_color_stop_rgb(gradient, 0, a.r, a.g, a.b);
    cairo_pattern_add_color_stop_rgb(gradient, 1, b.r, b.g, b.b);
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, radius, 0, 2 * kPi);
    cairo_set_source(cr, gradient);
    cairo_fill(cr);
    cairo_pattern_destroy(gradient);
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, radius * 0.62, 0, 2 * kPi);
    cairo_set_line_width(cr, Stroke());
    Source("white", 0.35);
    cairo_stroke(cr);
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, radius * 0.22, 0, 2 * kPi);
    Source("white");
    cairo_fill(cr);
  }

  void Splash() const {
    const double r = Metric("window-radius");
    cairo_rectangle(cr, 0, 0, w, h);
    Source("border");
    cairo_fill(cr);
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 0, h);
    const Rgba& top = m.Color("surface");
    const Rgba& bottom = m.Color("window");
    cairo_pattern_add_color_stop_rgb(gradient, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(gradient, 1, bottom.r, bottom.g, bottom.b);
    cairo_new_path(cr);
    Rounded(1, 1, w - 2, h - 2, r - 1);
    cairo_set_source(cr, gradient);
    cairo_fill(cr);
    cairo_pattern_destroy(gradient);
    Disc(w / 2, 88, 44);
    Wordmark(w / 2, 176, 36);
    cairo_rectangle(cr, 24, h - 52, w - 48, 1);
    Source("divider");
    cairo_fill(cr);
  }

  void Wordmark(double cx, double baseline, double size) const { DrawWordmark(cr, cx, baseline, size, m.Color("text")); }

  // A thick white line of the header images.
  void WideLines(std::initializer_list<std::pair<double, double>> points, double width = 2.5) const {
    cairo_new_path(cr);
    for (const auto& [px, py] : points) cairo_line_to(cr, px, py);
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    Source("white");
    cairo_stroke(cr);
  }

  void WhiteFrame(double x, double y, double rw, double rh, double r) const {
    cairo_new_path(cr);
    Rounded(x, y, rw, rh, r);
    cairo_set_line_width(cr, 2.5);
    Source("white");
    cairo_stroke(cr);
  }

  // The edit page's header images: a white line picture of the kind on a rounded tile in the
  // accent gradient.
  void HeaderImage() const {
    const std::string kind = part.Arg("kind");
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, w, h);
    const Rgba& a = m.Color("accent-hot");
    const Rgba& b = m.Color("accent-pressed");
    cairo_pattern_add_color_stop_rgb(gradient, 0, a.r, a.g, a.b);
    cairo_pattern_add_color_stop_rgb(gradient, 1, b.r, b.g, b.b);
    cairo_new_path(cr);
    Rounded(0, 0, w, h, 10);
    cairo_set_source(cr, gradient);
    cairo_fill(cr);
    cairo_pattern_destroy(gradient);
    cairo_save(cr);
    cairo_translate(cr, (w - 48) / 2, (h - 48) / 2);
    if (kind == "title") {
      // A clapperboard.
      WhiteFrame(12, 20, 24, 16, 2.5);
      cairo_save(cr);
      cairo_translate(cr, 12, 18.5);
      cairo_rotate(cr, -0.28);
      cairo_new_path(cr);
      Rounded(0, -6, 24, 6, 1.5);
      Source("white");
      cairo_fill(cr);
      for (double sx : {5.0, 12.0, 19.0}) {
        cairo_new_path(cr);
        cairo_move_to(cr, sx, -6);
        cairo_line_to(cr, sx + 3.5, -6);
        cairo_line_to(cr, sx + 1, 0);
        cairo_line_to(cr, sx - 2.5, 0);
        cairo_close_path(cr);
        Source("accent");
        cairo_fill(cr);
      }
      cairo_restore(cr);
      WideLines({{17, 26}, {31, 26}}, 2);
      WideLines({{17, 30.5}, {26, 30.5}}, 2);
    } else if (kind == "transition") {
      // Two pictures, one giving way to the other.
      WhiteFrame(11, 12, 17, 17, 2.5);
      cairo_new_path(cr);
      Rounded(20, 19, 17, 17, 2.5);
      Source("white", 0.9);
      cairo_fill(cr);
      Lines({{24, 27.5}, {32, 27.5}}, "accent");
      Lines({{29, 24.5}, {32, 27.5}, {29, 30.5}}, "accent");
    } else if (kind == "video") {
      // A film camera.
      WhiteFrame(9, 17, 21, 15, 3);
      Filled({{30, 22}, {38, 17.5}, {38, 31.5}, {30, 27}}, "white");
      cairo_new_path(cr);
      cairo_arc(cr, 15, 12, 3, 0, 2 * kPi);
      cairo_arc(cr, 24, 12, 3, 0, 2 * kPi);
      cairo_set_line_width(cr, 2);
      cairo_stroke(cr);
    } else if (kind == "clip") {
      // Scissors.
      for (double cy : {16.0, 32.0}) {
        cairo_new_path(cr);
        cairo_arc(cr, 14.5, cy, 4, 0, 2 * kPi);
        cairo_set_line_width(cr, 2.5);
        Source("white");
        cairo_stroke(cr);
      }
      WideLines({{18, 18.5}, {37, 31}});
      WideLines({{18, 29.5}, {37, 17}});
      cairo_new_path(cr);
      cairo_arc(cr, 26.5, 24, 1.5, 0, 2 * kPi);
      Source("accent");
      cairo_fill(cr);
    } else {
      Fail("unknown header image \"" + kind + "\"");
    }
    cairo_restore(cr);
  }

  // The empty library: a film strip with an arrow coming down into it (the label beside it
  // says what to do).
  void GettingStart() const {
    const double stripTop = 62, stripHeight = 46, left = 14, stripWidth = w - 28;
    cairo_new_path(cr);
    Rounded(left, stripTop, stripWidth, stripHeight, Metric("window-radius"));
    Source("band");
    cairo_fill(cr);
    for (double hx = left + 6; hx + 6 <= left + stripWidth - 4; hx += 11) {
      for (double hy : {stripTop + 4, stripTop + stripHeight - 8}) {
        cairo_new_path(cr);
        Rounded(hx, hy, 6, 4, 1);
        Source("window");
        cairo_fill(cr);
      }
    }
    const double frameWidth = (stripWidth - 8 - 2 * 6) / 3, frameTop = stripTop + 12, frameHeight = stripHeight - 24;
    for (int i = 0; i < 3; ++i) {
      cairo_new_path(cr);
      Rounded(left + 4 + i * (frameWidth + 6), frameTop, frameWidth, frameHeight, 2);
      Source(i == 1 ? "accent-soft" : "band-hot");
      cairo_fill(cr);
    }
    const double cx = w / 2, cy = frameTop + frameHeight / 2;
    Filled({{cx - 4, cy - 5.5}, {cx + 5.5, cy}, {cx - 4, cy + 5.5}}, "accent");
    // The arrow: a thick accent shaft with a round-cornered head, ending just above the strip.
    cairo_new_path(cr);
    cairo_move_to(cr, cx, 10);
    cairo_line_to(cr, cx, 44);
    cairo_set_line_width(cr, 7);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    Source("accent");
    cairo_stroke(cr);
    cairo_new_path(cr);
    cairo_move_to(cr, cx - 13, 38);
    cairo_line_to(cr, cx, 53);
    cairo_line_to(cr, cx + 13, 38);
    cairo_close_path(cr);
    cairo_set_line_width(cr, 3);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_fill_preserve(cr);
    cairo_stroke(cr);
  }

  void Picture() const {
    const std::string kind = part.Arg("kind");
    if (kind == "information") {
      DrawInformationMark(cr, m, w, h);
    } else if (kind == "note") {
      const double l = 5.5, t = 2.5, r = w - 5.5, b = h - 2.5, fold = 8;
      cairo_new_path(cr);
      cairo_move_to(cr, l, t);
      cairo_line_to(cr, r - fold, t);
      cairo_line_to(cr, r, t + fold);
      cairo_line_to(cr, r, b);
      cairo_line_to(cr, l, b);
      cairo_close_path(cr);
      Source("surface");
      cairo_fill_preserve(cr);
      cairo_set_line_width(cr, Stroke());
      cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
      Source("accent");
      cairo_stroke(cr);
      Lines({{r - fold, t}, {r - fold, t + fold}, {r, t + fold}}, "accent");
      for (double y : {13.0, 18.0, 23.0}) Lines({{l + 4, y}, {r - 4 - (y == 23.0 ? 5 : 0), y}}, "text-secondary");
    } else if (kind == "getting-start") {
      GettingStart();
    } else {
      Fail("unknown picture \"" + kind + "\"");
    }
  }
};

}  // namespace

cairo_font_face_t* OpenWordmarkFace(const std::string& family) {
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>((family + ":style=Bold").c_str()));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  std::string path;
  FcChar8* file = nullptr;
  FcChar8* found = nullptr;
  int weight = 0;
  if (match && FcPatternGetString(match, FC_FAMILY, 0, &found) == FcResultMatch &&
      family == reinterpret_cast<char*>(found) && FcPatternGetInteger(match, FC_WEIGHT, 0, &weight) == FcResultMatch &&
      weight >= FC_WEIGHT_BOLD && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
    path = reinterpret_cast<char*>(file);
  }
  if (match) FcPatternDestroy(match);
  if (path.empty()) throw std::runtime_error("the font \"" + family + " Bold\" is not installed");
  static FT_Library library = [] {
    FT_Library made = nullptr;
    return FT_Init_FreeType(&made) == 0 ? made : nullptr;
  }();
  FT_Face face = nullptr;
  if (!library || FT_New_Face(library, path.c_str(), 0, &face) != 0) {
    throw std::runtime_error("cannot open the font file \"" + path + "\"");
  }
  cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_ft_face(face, 0);
  static const cairo_user_data_key_t kFaceKey{};
  if (cairo_font_face_set_user_data(cairoFace, &kFaceKey, face, [](void* data) { FT_Done_Face(static_cast<FT_Face>(data)); }) !=
      CAIRO_STATUS_SUCCESS) {
    cairo_font_face_destroy(cairoFace);
    FT_Done_Face(face);
    throw std::runtime_error("cannot use the font file \"" + path + "\"");
  }
  return cairoFace;
}

void UseWordmarkFont(cairo_t* cr, double size) {
  std::unique_ptr<cairo_font_face_t, decltype(&cairo_font_face_destroy)> face(OpenWordmarkFace("DejaVu Sans"),
                                                                              cairo_font_face_destroy);
  cairo_set_font_face(cr, face.get());
  cairo_set_font_size(cr, size);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
}

void RoundedRectPath(cairo_t* cr, double x, double y, double w, double h, double tl, double tr, double br, double bl) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - tr, y + tr, tr, -kPi / 2, 0);
  cairo_arc(cr, x + w - br, y + h - br, br, 0, kPi / 2);
  cairo_arc(cr, x + bl, y + h - bl, bl, kPi / 2, kPi);
  cairo_arc(cr, x + tl, y + tl, tl, kPi, 3 * kPi / 2);
  cairo_close_path(cr);
}

void DrawWordmark(cairo_t* cr, double cx, double baseline, double size, const Rgba& color) {
  cairo_save(cr);
  UseWordmarkFont(cr, size);
  const char* text = "Brantwell";
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text, &extents);
  cairo_move_to(cr, std::round(cx - extents.x_advance / 2), baseline);
  cairo_set_source_rgba(cr, color.r, color.g, color.b, color.a);
  cairo_show_text(cr, text);
  cairo_restore(cr);
}

void DrawState(cairo_t* cr, const Manifest& manifest, const PartSpec& part, size_t state) {
  const Painter p(cr, manifest, part, state);
  const std::string& draw = part.draw;
  if (draw == "button") {
    p.Button();
  } else if (draw == "field") {
    p.Field();
  } else if (draw == "field-button") {
    p.FieldButton();
  } else if (draw == "glyph") {
    p.GlyphRecipe();
  } else if (draw == "caption-button") {
    p.CaptionButton();
  } else if (draw == "check") {
    p.CheckOrRadio(false);
  } else if (draw == "radio") {
    p.CheckOrRadio(true);
  } else if (draw == "panel") {
    p.Panel();
  } else if (draw == "fill") {
    p.Fill();
  } else if (draw == "header-image") {
    p.HeaderImage();
  } else if (draw == "groupbox") {
    p.GroupBox();
  } else if (draw == "bar") {
    p.Bar();
  } else if (draw == "slider-thumb") {
    p.SliderThumb();
  } else if (draw == "cut-marker") {
    p.CutMarker();
  } else if (draw == "header-section") {
    p.HeaderSection();
  } else if (draw == "divider") {
    p.Divider();
  } else if (draw == "tab") {
    p.TabFace();
  } else if (draw == "scroll-track") {
    p.ScrollTrack();
  } else if (draw == "scroll-button") {
    p.ScrollButton();
  } else if (draw == "scroll-thumb") {
    p.ScrollThumb();
  } else if (draw == "size-box") {
    p.SizeBox();
  } else if (draw == "window-frame") {
    p.WindowFrame();
  } else if (draw == "splash") {
    p.Splash();
  } else if (draw == "picture") {
    p.Picture();
  } else if (draw == "dialog-glyph") {
    DrawDialogGlyph(cr, manifest, part, state);
  } else if (DrawSmallWindowState(cr, manifest, part, state)) {
  } else {
    p.Fail("unknown recipe \"" + draw + "\"");
  }
}

}  // namespace skingen
