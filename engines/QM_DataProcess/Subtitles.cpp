#include "engines/QM_DataProcess/Subtitles.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "engines/media/MediaLog.h"
#include "platform/kernel/UniqueHandle.h"

namespace dataprocess {
namespace {

using CuePtr = std::shared_ptr<const engines::media::SubtitleCue>;

void UnrefLayout(PangoLayout* layout) { g_object_unref(layout); }
using CairoContext = platform::UniqueHandle<cairo_t*, cairo_destroy>;
using CairoSurface = platform::UniqueHandle<cairo_surface_t*, cairo_surface_destroy>;
using LayoutPtr = platform::UniqueHandle<PangoLayout*, UnrefLayout>;
using FontPtr = platform::UniqueHandle<PangoFontDescription*, pango_font_description_free>;

void DrawText(cairo_t* cairo, const SubtitleStyle& style, const std::string& text, int width, int height,
              double scaleX, double scaleY) {
  LayoutPtr layout(pango_cairo_create_layout(cairo));
  FontPtr font(pango_font_description_new());
  const bool own = style.ownStyle;
  pango_font_description_set_family(font.get(), own || style.font.empty() ? "Sans" : style.font.c_str());
  pango_font_description_set_weight(font.get(), own || (style.flags & 1) ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(font.get(), !own && (style.flags & 2) ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  // Own style: a size that reads on a television; the user's: points at 96 dots an inch of
  // the source frame.
  const double pixels = own ? std::max(12.0, height / 14.0) : std::max(4.0, style.size * 96.0 / 72.0 * scaleY);
  pango_font_description_set_absolute_size(font.get(), pixels * PANGO_SCALE);
  pango_layout_set_font_description(layout.get(), font.get());
  if (!own && (style.flags & (4 | 8))) {
    PangoAttrList* attributes = pango_attr_list_new();
    if (style.flags & 4) pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    if (style.flags & 8) pango_attr_list_insert(attributes, pango_attr_strikethrough_new(TRUE));
    pango_layout_set_attributes(layout.get(), attributes);
    pango_attr_list_unref(attributes);
  }
  pango_layout_set_text(layout.get(), text.c_str(), -1);
  pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);

  const int margin = std::max(4, width / 40);
  double x, y;
  if (own) {
    const int wrap = width - 2 * margin;
    pango_layout_set_width(layout.get(), std::max(1, wrap) * PANGO_SCALE);
    pango_layout_set_alignment(layout.get(), PANGO_ALIGN_CENTER);
    int textWidth = 0, textHeight = 0;
    pango_layout_get_pixel_size(layout.get(), &textWidth, &textHeight);
    x = margin;
    y = height - std::max(margin, height / 16) - textHeight;
  } else {
    x = std::round(style.left * scaleX);
    y = std::round(style.top * scaleY);
    pango_layout_set_width(layout.get(), std::max(1, int(width - x) - margin) * PANGO_SCALE);
  }
  const uint32_t colour = own ? 0xFFFFFF : style.colour;
  cairo_move_to(cairo, x, y);
  pango_cairo_layout_path(cairo, layout.get());
  cairo_set_line_join(cairo, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_width(cairo, std::max(2.0, pixels / 8.0));
  cairo_set_source_rgb(cairo, 0.0, 0.0, 0.0);
  cairo_stroke_preserve(cairo);
  cairo_set_source_rgb(cairo, (colour & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0, ((colour >> 16) & 0xFF) / 255.0);
  cairo_fill(cairo);
}

void DrawPicture(cairo_t* cairo, const SubtitleStyle& style, const engines::media::SubtitleCue& cue, int width,
                 int height, int sourceWidth, int sourceHeight) {
  // cairo wants premultiplied pixels.
  const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, cue.width);
  std::vector<uint8_t> pixels(size_t(stride) * cue.height);
  for (int y = 0; y < cue.height; ++y)
    for (int x = 0; x < cue.width; ++x) {
      const uint8_t* in = &cue.bgra[(size_t(y) * cue.width + x) * 4];
      uint8_t* out = &pixels[size_t(y) * stride + x * 4];
      for (int c = 0; c < 3; ++c) out[c] = uint8_t((in[c] * in[3] + 127) / 255);
      out[3] = in[3];
    }
  CairoSurface picture(
      cairo_image_surface_create_for_data(pixels.data(), CAIRO_FORMAT_ARGB32, cue.width, cue.height, stride));
  // The picture's canvas is the stream's frame, or the source's when it names none.
  const double canvasWidth = cue.canvasWidth > 0 ? cue.canvasWidth : sourceWidth;
  const double canvasHeight = cue.canvasHeight > 0 ? cue.canvasHeight : sourceHeight;
  const double scaleX = width / canvasWidth, scaleY = height / canvasHeight;
  double x = cue.left * scaleX, y = cue.top * scaleY;
  if (!style.ownStyle) {
    x = style.left * double(width) / sourceWidth;
    y = style.top * double(height) / sourceHeight;
  }
  cairo_save(cairo);
  cairo_translate(cairo, x, y);
  cairo_scale(cairo, scaleX, scaleY);
  cairo_set_source_surface(cairo, picture.get(), 0, 0);
  cairo_paint(cairo);
  cairo_restore(cairo);
}

}  // namespace

void DrawSubtitles(const SubtitleStyle& style, const std::vector<CuePtr>& cues, AVFrame* bgra, int sourceWidth,
                   int sourceHeight) {
  if (!style.shown || cues.empty() || style.opacity <= 0 || !bgra || bgra->format != AV_PIX_FMT_BGRA) return;
  const int width = bgra->width, height = bgra->height;
  if (sourceWidth <= 0 || sourceHeight <= 0) sourceWidth = width, sourceHeight = height;
  CairoSurface surface(
      cairo_image_surface_create_for_data(bgra->data[0], CAIRO_FORMAT_ARGB32, width, height, bgra->linesize[0]));
  CairoContext cairo(cairo_create(surface.get()));
  if (cairo_status(cairo.get()) != CAIRO_STATUS_SUCCESS) {
    engines::media::LogLine(std::string("cannot draw subtitles: ") + cairo_status_to_string(cairo_status(cairo.get())));
    return;
  }
  // Everything is drawn into a group first so that the opacity applies to the whole, outline
  // and fill together.
  cairo_push_group(cairo.get());
  std::string text;
  for (const CuePtr& cue : cues) {
    if (!cue->bgra.empty()) {
      if (cue->width <= 0 || cue->height <= 0 || cue->bgra.size() < size_t(cue->width) * cue->height * 4) continue;
      DrawPicture(cairo.get(), style, *cue, width, height, sourceWidth, sourceHeight);
    } else if (!cue->text.empty()) {
      if (!text.empty()) text += '\n';
      text += cue->text;
    }
  }
  if (!text.empty()) {
    DrawText(cairo.get(), style, text, width, height, double(width) / sourceWidth, double(height) / sourceHeight);
  }
  cairo_pop_group_to_source(cairo.get());
  cairo_paint_with_alpha(cairo.get(), style.opacity / 100.0);
  cairo_surface_flush(surface.get());
}

}  // namespace dataprocess
