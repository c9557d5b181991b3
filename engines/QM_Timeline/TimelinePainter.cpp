#include "engines/QM_Timeline/TimelinePainter.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/gdi/PangoHandles.h"
#include "platform/kernel/Unicode.h"

namespace qmtimeline {

namespace {

constexpr const char* kFontFamily = "DejaVu Sans";
constexpr double kTileRadius = 4.0;
constexpr double kTransitionRadius = 3.0;

void SetColor(cairo_t* cr, int index, double alpha = 1.0) {
  const uint32_t c = PaletteColor(index);
  cairo_set_source_rgba(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0, alpha);
}

void RoundedRect(cairo_t* cr, const Box& b, double r) {
  r = std::min({r, b.width / 2, b.height / 2});
  cairo_new_sub_path(cr);
  cairo_arc(cr, b.x + b.width - r, b.y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, b.x + b.width - r, b.y + b.height - r, r, 0, M_PI / 2);
  cairo_arc(cr, b.x + r, b.y + b.height - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, b.x + r, b.y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

// A soft shadow: a few widening translucent outlines under the tile.
void Shadow(cairo_t* cr, const Box& b, double radius, int size) {
  for (int i = size; i >= 1; --i) {
    Box s{b.x - i + 1, b.y - i + 2, b.width + 2 * i - 2, b.height + 2 * i - 2};
    RoundedRect(cr, s, radius + i);
    SetColor(cr, kTimelineColorShadow, 0.05);
    cairo_fill(cr);
  }
}

// Draws text in the UI font at (x, y) (top-left), cut with an ellipsis to `width`; answers
// the width drawn.
double Text(cairo_t* cr, const std::string& text, double x, double y, double width, double pixels, int color,
            bool bold = false, PangoAlignment align = PANGO_ALIGN_LEFT) {
  if (width <= 4 || text.empty()) return 0;
  platform::PangoLayoutRef layout(pango_cairo_create_layout(cr));
  platform::PangoFontDescriptionPtr font(pango_font_description_new());
  pango_font_description_set_family(font.get(), kFontFamily);
  pango_font_description_set_absolute_size(font.get(), pixels * PANGO_SCALE);
  if (bold) pango_font_description_set_weight(font.get(), PANGO_WEIGHT_SEMIBOLD);
  pango_layout_set_font_description(layout.get(), font.get());
  pango_layout_set_text(layout.get(), text.c_str(), int(text.size()));
  pango_layout_set_width(layout.get(), int(width * PANGO_SCALE));
  pango_layout_set_ellipsize(layout.get(), PANGO_ELLIPSIZE_END);
  pango_layout_set_alignment(layout.get(), align);
  pango_layout_set_single_paragraph_mode(layout.get(), TRUE);
  SetColor(cr, color);
  cairo_move_to(cr, x, y);
  pango_cairo_show_layout(cr, layout.get());
  int w = 0, h = 0;
  pango_layout_get_pixel_size(layout.get(), &w, &h);
  return w;
}

double TextWidth(cairo_t* cr, const std::string& text, double pixels) {
  platform::PangoLayoutRef layout(pango_cairo_create_layout(cr));
  platform::PangoFontDescriptionPtr font(pango_font_description_new());
  pango_font_description_set_family(font.get(), kFontFamily);
  pango_font_description_set_absolute_size(font.get(), pixels * PANGO_SCALE);
  pango_layout_set_font_description(layout.get(), font.get());
  pango_layout_set_text(layout.get(), text.c_str(), int(text.size()));
  int w = 0, h = 0;
  pango_layout_get_pixel_size(layout.get(), &w, &h);
  return w;
}

// The picture scaled into `box` with its aspect kept, centred, clipped to the box.
void DrawPicture(cairo_t* cr, const Picture& picture, const Box& box) {
  if (picture.width <= 0 || picture.height <= 0 || box.width < 1 || box.height < 1) return;
  platform::CairoSurface image(cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(picture.pixels.data())), CAIRO_FORMAT_ARGB32,
      picture.width, picture.height, picture.width * 4));
  const double scale = std::min(box.width / picture.width, box.height / picture.height);
  const double w = picture.width * scale, h = picture.height * scale;
  cairo_save(cr);
  RoundedRect(cr, box, 2);
  cairo_clip(cr);
  cairo_translate(cr, box.x + (box.width - w) / 2, box.y + (box.height - h) / 2);
  cairo_scale(cr, scale, scale);
  cairo_set_source_surface(cr, image.get(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_paint(cr);
  cairo_restore(cr);
}

// A film frame: a rounded frame with sprocket holes along its top and bottom.
void FilmGlyph(cairo_t* cr, const Box& area) {
  const double h = std::min(area.height * 0.6, 40.0), w = std::min(area.width * 0.8, h * 1.4);
  if (w < 6 || h < 6) return;
  const Box frame{area.x + (area.width - w) / 2, area.y + (area.height - h) / 2, w, h};
  SetColor(cr, kTimelineColorGlyph);
  cairo_set_line_width(cr, 1.5);
  RoundedRect(cr, frame, 3);
  cairo_stroke(cr);
  const double hole = std::max(2.0, h / 8);
  for (double x = frame.x + hole; x + hole < frame.Right() - hole / 2; x += hole * 2) {
    cairo_rectangle(cr, x, frame.y + hole * 0.6, hole, hole);
    cairo_rectangle(cr, x, frame.Bottom() - hole * 1.6, hole, hole);
  }
  cairo_fill(cr);
  cairo_rectangle(cr, frame.x + w * 0.2, frame.y + h * 0.32, w * 0.6, h * 0.36);
  cairo_stroke(cr);
}

// Two overlapping squares: a transition without a picture.
void TransitionGlyph(cairo_t* cr, const Box& area) {
  const double s = area.width * 0.42;
  SetColor(cr, kTimelineColorGlyph);
  cairo_set_line_width(cr, 1.5);
  RoundedRect(cr, {area.x + area.width * 0.18, area.y + area.height * 0.18, s, s}, 2);
  cairo_stroke(cr);
  RoundedRect(cr, {area.x + area.width * 0.40, area.y + area.height * 0.40, s, s}, 2);
  SetColor(cr, kTimelineColorSurface);
  cairo_fill_preserve(cr);
  SetColor(cr, kTimelineColorGlyph);
  cairo_stroke(cr);
}

void Outline(cairo_t* cr, const Box& b, double radius, int color, double width) {
  Box o{b.x - width / 2, b.y - width / 2, b.width + width, b.height + width};
  RoundedRect(cr, o, radius + width / 2);
  SetColor(cr, color);
  cairo_set_line_width(cr, width);
  cairo_stroke(cr);
}

void PaintRuler(cairo_t* cr, const TimelineLayout& layout, const Metrics& metrics, const PaintState& state) {
  const Box& r = layout.ruler;
  cairo_rectangle(cr, r.x, r.y, r.width, r.height);
  SetColor(cr, kTimelineColorRuler);
  cairo_fill(cr);
  cairo_rectangle(cr, r.x, r.Bottom() - 1, r.width, 1);
  SetColor(cr, kTimelineColorBorder);
  cairo_fill(cr);

  const RulerSteps steps = ChooseRulerSteps(metrics.PixelsPerSecond(), metrics.minTickSpacing);
  const double minor = steps.major / steps.minorPerMajor;
  const double first = std::max(0.0, std::floor(layout.XToTime(0) / minor) * minor);
  const double last = layout.XToTime(state.width) + minor;
  const double label = std::clamp(r.height * 0.42, 8.0, 13.0);
  cairo_set_line_width(cr, 1);
  for (long i = std::lround(first / minor);; ++i) {
    const double t = i * minor;
    if (t > last) break;
    const double x = std::floor(layout.TimeToX(t)) + 0.5;
    const bool major = i % steps.minorPerMajor == 0;
    const double tick = major ? r.height * 0.45 : r.height * 0.2;
    SetColor(cr, major ? kTimelineColorSecondaryText : kTimelineColorBorder);
    cairo_move_to(cr, x, r.Bottom() - 1);
    cairo_line_to(cr, x, r.Bottom() - 1 - tick);
    cairo_stroke(cr);
    if (major) Text(cr, FormatSeconds(t), x + 3, r.y + 2, 80, label, kTimelineColorSecondaryText);
  }
}

void PaintClip(cairo_t* cr, const TimelineLayout& layout, const Metrics& metrics, const Tile& tile,
               const PaintState& state, std::vector<std::shared_ptr<Element>>* missing) {
  const Element& clip = *tile.element;
  const Box& b = tile.box;
  const bool moving = state.dragged == &clip;
  Shadow(cr, b, kTileRadius, metrics.shadowSize);
  RoundedRect(cr, b, kTileRadius);
  SetColor(cr, kTimelineColorSurface, moving ? 0.6 : 1.0);
  cairo_fill_preserve(cr);
  SetColor(cr, kTimelineColorBorder);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);

  const Box picture = layout.PictureBox(tile);
  if (clip.picture) {
    DrawPicture(cr, *clip.picture, picture);
  } else {
    FilmGlyph(cr, picture);
    if (missing) missing->push_back(tile.element);
  }
  // Label strip: the name on the left, the duration on the right.
  const double textSize = std::clamp(metrics.labelHeight * 0.62, 8.0, 13.0);
  const double y = b.Bottom() - 4 - metrics.labelHeight + (metrics.labelHeight - textSize * 1.25) / 2;
  const std::string duration = FormatSeconds(clip.Length());
  const double durationWidth = TextWidth(cr, duration, textSize) + 6;
  if (durationWidth + 12 < b.width)
    Text(cr, duration, b.Right() - 6 - durationWidth + 6, y, durationWidth, textSize, kTimelineColorSecondaryText);
  Text(cr, platform::Utf16ToUtf8(clip.label), b.x + 6, y, b.width - 12 - durationWidth, textSize,
       kTimelineColorText, true);

  if (clip.selected) Outline(cr, b, kTileRadius, kTimelineColorAccent, metrics.selectionWidth);
  else if (state.hover == &clip) Outline(cr, b, kTileRadius, kTimelineColorHover, 1.5);
}

void PaintTransition(cairo_t* cr, const Metrics& metrics, const Tile& tile, const PaintState& state,
                     std::vector<std::shared_ptr<Element>>* missing) {
  const Element& transition = *tile.element;
  const Box& b = tile.box;
  Shadow(cr, b, kTransitionRadius, std::max(1, metrics.shadowSize - 1));
  RoundedRect(cr, b, kTransitionRadius);
  SetColor(cr, kTimelineColorSurface);
  cairo_fill_preserve(cr);
  SetColor(cr, kTimelineColorBorder);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  const Box inner{b.x + 3, b.y + 3, b.width - 6, b.height - 6};
  if (transition.picture) {
    DrawPicture(cr, *transition.picture, inner);
  } else {
    TransitionGlyph(cr, inner);
    if (missing) missing->push_back(tile.element);
  }
  if (transition.selected) Outline(cr, b, kTransitionRadius, kTimelineColorAccent, metrics.selectionWidth);
  else if (state.hover == &transition) Outline(cr, b, kTransitionRadius, kTimelineColorHover, 1.5);
}

void PaintMarker(cairo_t* cr, const TimelineLayout& layout, int join) {
  if (join < 0 || join >= int(layout.joins.size())) return;
  const double x = std::round(layout.joins[join]);
  const Box& t = layout.track;
  SetColor(cr, kTimelineColorAccent);
  cairo_rectangle(cr, x - 1, t.y + 2, 2, t.height - 4);
  cairo_fill(cr);
  for (double y : {t.y + 2, t.Bottom() - 2}) {
    const double dir = y < t.y + t.height / 2 ? 1 : -1;
    cairo_move_to(cr, x - 5, y);
    cairo_line_to(cr, x + 5, y);
    cairo_line_to(cr, x, y + dir * 6);
    cairo_close_path(cr);
    cairo_fill(cr);
  }
}

}  // namespace

RulerSteps ChooseRulerSteps(double pixelsPerSecond, int minSpacing) {
  static const double ladder[] = {0.5, 1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600};
  RulerSteps steps;
  steps.major = ladder[std::size(ladder) - 1];
  for (double step : ladder) {
    if (step * pixelsPerSecond >= minSpacing * 4.0) {
      steps.major = step;
      break;
    }
  }
  // As many minor ticks as fit, among divisions that give round times.
  steps.minorPerMajor = 1;
  for (int parts : {10, 6, 5, 4, 2}) {
    const double minor = steps.major / parts;
    if (minor * pixelsPerSecond >= minSpacing && std::abs(minor * 2 - std::round(minor * 2)) < 1e-9) {
      steps.minorPerMajor = parts;
      break;
    }
  }
  return steps;
}

std::string FormatSeconds(double seconds) {
  const long total = std::max(0L, std::lround(std::floor(seconds + 0.5)));
  const long h = total / 3600, m = (total / 60) % 60, s = total % 60;
  char text[32];
  if (h > 0) std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", h, m, s);
  else std::snprintf(text, sizeof text, "%ld:%02ld", m, s);
  return text;
}

void PaintTimeline(cairo_t* cr, const TimelineLayout& layout, const Metrics& metrics, const PaintState& state,
                   std::vector<std::shared_ptr<Element>>* missing) {
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_GOOD);
  SetColor(cr, kTimelineColorWindow);
  cairo_paint(cr);
  PaintRuler(cr, layout, metrics, state);

  const Box& t = layout.track;
  RoundedRect(cr, {t.x + 4, t.y, t.width - 8, t.height}, kTileRadius);
  SetColor(cr, kTimelineColorTrack);
  cairo_fill(cr);

  if (layout.clips.empty()) {
    const double size = metrics.hintTextSize;
    Text(cr, platform::Utf16ToUtf8(EmptyHint()), t.x + 16, t.y + (t.height - size * 1.3) / 2, t.width - 32, size,
         kTimelineColorSecondaryText, false, PANGO_ALIGN_CENTER);
  }
  cairo_save(cr);
  cairo_rectangle(cr, t.x, t.y, t.width, t.height);
  cairo_clip(cr);
  for (const Tile& tile : layout.clips) {
    if (tile.box.Right() < -8 || tile.box.x > state.width + 8) continue;
    PaintClip(cr, layout, metrics, tile, state, missing);
  }
  for (const Tile& tile : layout.transitions) {
    if (tile.box.Right() < -8 || tile.box.x > state.width + 8) continue;
    PaintTransition(cr, metrics, tile, state, missing);
  }
  PaintMarker(cr, layout, state.insertMarker);
  cairo_restore(cr);
}

}  // namespace qmtimeline
