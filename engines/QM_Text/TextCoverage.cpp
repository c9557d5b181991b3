#include "engines/QM_Text/TextCoverage.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "engines/common/EngineGuard.h"
#include "platform/kernel/UniqueHandle.h"

namespace textart {
namespace {

using engines::EngineError;

// cairo draws into image surfaces of at most this many pixels a side; the pixel count keeps a
// picture of a long text in a huge size from taking gigabytes.
constexpr int kMaxSide = 32767;
constexpr int64_t kMaxPixels = int64_t{64} << 20;

void UnrefObject(gpointer object) { g_object_unref(object); }
using ContextPtr = platform::UniqueHandle<PangoContext*, UnrefObject>;
using LayoutPtr = platform::UniqueHandle<PangoLayout*, UnrefObject>;
using FontPtr = platform::UniqueHandle<PangoFontDescription*, pango_font_description_free>;
using AttributesPtr = platform::UniqueHandle<PangoAttrList*, pango_attr_list_unref>;
using FontOptionsPtr = platform::UniqueHandle<cairo_font_options_t*, cairo_font_options_destroy>;
using CairoSurface = platform::UniqueHandle<cairo_surface_t*, cairo_surface_destroy>;
using CairoContext = platform::UniqueHandle<cairo_t*, cairo_destroy>;

LayoutPtr MakeLayout(PangoContext* context, const std::string& text, const TextLook& look) {
  LayoutPtr layout(pango_layout_new(context));
  if (!layout) throw EngineError("Pango made no layout");
  FontPtr font(pango_font_description_new());
  pango_font_description_set_family(font.get(), look.face.empty() ? "Sans" : look.face.c_str());
  pango_font_description_set_weight(font.get(), look.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(font.get(), look.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  pango_font_description_set_absolute_size(font.get(), std::round(look.pixels * PANGO_SCALE));
  pango_layout_set_font_description(layout.get(), font.get());
  if (look.underline || look.strikeOut) {
    AttributesPtr attributes(pango_attr_list_new());
    if (look.underline) pango_attr_list_insert(attributes.get(), pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    if (look.strikeOut) pango_attr_list_insert(attributes.get(), pango_attr_strikethrough_new(TRUE));
    pango_layout_set_attributes(layout.get(), attributes.get());
  }
  // Pango ends a line at CR, LF and CR LF alike.
  pango_layout_set_text(layout.get(), text.data(), static_cast<int>(text.size()));
  return layout;
}

// Pango places glyphs in 32-bit fixed-point units (1/1024 pixel), which a long line in a huge
// size overflows. Any text that comes near that would make a picture far beyond kMaxSide, even
// in the narrowest letters, so it is refused before it is laid out.
void CheckLayoutRange(const std::string& text, double pixels) {
  // Characters of a line, or lines of a text, times the em in pixels: at up to four ems a
  // character or line, a quarter of Pango's range.
  constexpr double kMaxReach = 262144.0;
  size_t longestLine = 0, line = 0, lines = 1;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n' || c == '\r') {
      if (!(c == '\n' && i > 0 && text[i - 1] == '\r')) ++lines;
      line = 0;
    } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
      longestLine = std::max(longestLine, ++line);
    }
  }
  if (static_cast<double>(longestLine) * pixels > kMaxReach || static_cast<double>(lines) * pixels > kMaxReach)
    throw EngineError("the text is too large to draw");
}

}  // namespace

Coverage DrawCoverage(const std::string& text, const TextLook& look, int border) {
  CheckLayoutRange(text, look.pixels);
  // The calling thread's own font map (Pango gives each thread one); the context is ours.
  ContextPtr context(pango_font_map_create_context(pango_cairo_font_map_get_default()));
  if (!context) throw EngineError("Pango made no font context");
  FontOptionsPtr options(cairo_font_options_create());
  cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_SLIGHT);
  // Whole-pixel advances and line positions, as text on the screen has them.
  cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_ON);
  pango_cairo_context_set_font_options(context.get(), options.get());
  const LayoutPtr layout = MakeLayout(context.get(), text, look);

  PangoRectangle ink{};
  pango_layout_get_pixel_extents(layout.get(), &ink, nullptr);
  if (ink.width <= 0 || ink.height <= 0) return {};
  // Pango's ink rectangle is close but not exact (antialiasing, synthetic slant): draw with room
  // to spare and measure the ink from the pixels.
  const int64_t slack = 4 + static_cast<int64_t>(look.pixels / 4);
  const int64_t canvasWidth = ink.width + 2 * slack, canvasHeight = ink.height + 2 * slack;
  if (canvasWidth > kMaxSide || canvasHeight > kMaxSide || canvasWidth * canvasHeight > kMaxPixels) {
    throw EngineError("the text is too large to draw (" + std::to_string(ink.width) + " x " +
                      std::to_string(ink.height) + " pixels of ink)");
  }

  CairoSurface surface(
      cairo_image_surface_create(CAIRO_FORMAT_A8, static_cast<int>(canvasWidth), static_cast<int>(canvasHeight)));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
    throw EngineError(std::string("no drawing surface: ") + cairo_status_to_string(cairo_surface_status(surface.get())));
  {
    CairoContext cairo(cairo_create(surface.get()));
    cairo_move_to(cairo.get(), static_cast<double>(slack - ink.x), static_cast<double>(slack - ink.y));
    pango_cairo_show_layout(cairo.get(), layout.get());
    if (cairo_status(cairo.get()) != CAIRO_STATUS_SUCCESS)
      throw EngineError(std::string("the text could not be drawn: ") + cairo_status_to_string(cairo_status(cairo.get())));
  }
  cairo_surface_flush(surface.get());

  const uint8_t* data = cairo_image_surface_get_data(surface.get());
  const size_t stride = static_cast<size_t>(cairo_image_surface_get_stride(surface.get()));
  const int width = static_cast<int>(canvasWidth), height = static_cast<int>(canvasHeight);
  int left = width, right = -1, top = height, bottom = -1;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = data + y * stride;
    for (int x = 0; x < width; ++x) {
      if (!row[x]) continue;
      left = std::min(left, x), right = std::max(right, x);
      top = std::min(top, y), bottom = std::max(bottom, y);
    }
  }
  if (right < 0) return {};

  Coverage coverage;
  coverage.width = right - left + 1 + 2 * border;
  coverage.height = bottom - top + 1 + 2 * border;
  coverage.alpha.assign(static_cast<size_t>(coverage.width) * coverage.height, 0);
  for (int y = top; y <= bottom; ++y) {
    std::copy(data + y * stride + left, data + y * stride + right + 1,
              coverage.alpha.begin() + static_cast<ptrdiff_t>(y - top + border) * coverage.width + border);
  }
  return coverage;
}

}  // namespace textart
