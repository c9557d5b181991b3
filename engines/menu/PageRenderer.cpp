#include "engines/menu/PageRenderer.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "engines/menu/PictureCache.h"
#include "platform/kernel/Unicode.h"

namespace engines::menu {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct LayoutFree {
  void operator()(PangoLayout* layout) const { g_object_unref(layout); }
};
using LayoutPtr = std::unique_ptr<PangoLayout, LayoutFree>;

struct ContextFree {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
using CairoPtr = std::unique_ptr<cairo_t, ContextFree>;

struct SurfaceFree {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceFree>;

// Saves the cairo state and restores it at the end of the scope.
class SavedState {
 public:
  explicit SavedState(cairo_t* cr) : m_cr(cr) { cairo_save(cr); }
  ~SavedState() { cairo_restore(m_cr); }
  SavedState(const SavedState&) = delete;
  SavedState& operator=(const SavedState&) = delete;

 private:
  cairo_t* m_cr;
};

void SetColour(cairo_t* cr, uint32_t colorref, double alpha = 1.0) {
  cairo_set_source_rgba(cr, (colorref & 0xFF) / 255.0, ((colorref >> 8) & 0xFF) / 255.0,
                        ((colorref >> 16) & 0xFF) / 255.0, alpha);
}

void RoundedRect(cairo_t* cr, double x, double y, double width, double height, double radius) {
  radius = std::min({radius, width / 2, height / 2});
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + width - radius, y + radius, radius, -kPi / 2, 0);
  cairo_arc(cr, x + width - radius, y + height - radius, radius, 0, kPi / 2);
  cairo_arc(cr, x + radius, y + height - radius, radius, kPi / 2, kPi);
  cairo_arc(cr, x + radius, y + radius, radius, kPi, 3 * kPi / 2);
  cairo_close_path(cr);
}

// Draws `picture` stretched over the rectangle.
void DrawStretched(cairo_t* cr, const Picture& picture, double x, double y, double width, double height) {
  if (width <= 0 || height <= 0) return;
  SavedState state(cr);
  cairo_rectangle(cr, x, y, width, height);
  cairo_clip(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, width / picture.Width(), height / picture.Height());
  cairo_set_source_surface(cr, picture.Surface(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_paint(cr);
}

// Draws `picture` scaled to cover the rectangle (kept in proportion, centred, cut to it).
void DrawCover(cairo_t* cr, const Picture& picture, double x, double y, double width, double height) {
  if (width <= 0 || height <= 0) return;
  const double scale = std::max(width / picture.Width(), height / picture.Height());
  const double drawnWidth = picture.Width() * scale;
  const double drawnHeight = picture.Height() * scale;
  SavedState state(cr);
  cairo_rectangle(cr, x, y, width, height);
  cairo_clip(cr);
  cairo_translate(cr, x + (width - drawnWidth) / 2, y + (height - drawnHeight) / 2);
  cairo_scale(cr, scale, scale);
  cairo_set_source_surface(cr, picture.Surface(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_paint(cr);
}

std::shared_ptr<const Picture> Load(const std::u16string& path, std::vector<std::u16string>* missing) {
  if (path.empty()) return nullptr;
  auto picture = LoadPicture(path);
  if (!picture && missing) missing->push_back(path);
  return picture;
}

const std::u16string& FrameOf(const PageContent& content, int title) {
  const auto found = content.titleFrames.find(title);
  return found == content.titleFrames.end() ? content.frame : found->second;
}

// The transparent window of a frame picture: from its centre outwards to the first opaque
// pixel in each direction. Empty when the centre itself is opaque.
Rect WindowOfFrame(const Picture& frame) {
  const int cx = frame.Width() / 2;
  const int cy = frame.Height() / 2;
  constexpr uint8_t kOpaque = 128;
  if (frame.AlphaAt(cx, cy) >= kOpaque) return {};
  Rect window{cx, cy, cx + 1, cy + 1};
  while (window.left > 0 && frame.AlphaAt(window.left - 1, cy) < kOpaque) --window.left;
  while (window.right < frame.Width() && frame.AlphaAt(window.right, cy) < kOpaque) ++window.right;
  while (window.top > 0 && frame.AlphaAt(cx, window.top - 1) < kOpaque) --window.top;
  while (window.bottom < frame.Height() && frame.AlphaAt(cx, window.bottom) < kOpaque) ++window.bottom;
  // A window that reaches the picture's edge is no window: the frame is open there.
  if (window.left == 0 || window.top == 0 || window.right == frame.Width() || window.bottom == frame.Height())
    return {};
  return window;
}

// The border width of the frame drawn for a page without a frame picture.
int PlainFrameBorder(const Rect& box) { return std::max(2, box.Width() / 40); }

Rect Inset(const Rect& rect, int dx, int dy) { return {rect.left + dx, rect.top + dy, rect.right - dx, rect.bottom - dy}; }

Rect ThumbnailRectWith(const PageContent& content, int slot, int title) {
  if (slot < 0 || slot >= static_cast<int>(content.slots.size())) return {};
  const Rect& box = content.slots[static_cast<size_t>(slot)];
  const std::u16string& framePath = FrameOf(content, title);
  const auto frame = framePath.empty() ? nullptr : LoadPicture(framePath);
  Rect window;
  if (frame) {
    // The template names its own frame's window; any other frame picture shows its own.
    if (framePath == content.layout.frame && !content.layout.frameWindow.Empty()) {
      const Rect& w = content.layout.frameWindow;  // in pixels of the file
      const double s = frame->Scale();
      window = {static_cast<int>(std::lround(w.left * s)), static_cast<int>(std::lround(w.top * s)),
                static_cast<int>(std::lround(w.right * s)), static_cast<int>(std::lround(w.bottom * s))};
    } else {
      window = WindowOfFrame(*frame);
    }
  }
  if (!frame || window.Empty()) {
    const int border = PlainFrameBorder(box);
    return Inset(box, border, border);
  }
  const double sx = static_cast<double>(box.Width()) / frame->Width();
  const double sy = static_cast<double>(box.Height()) / frame->Height();
  return {box.left + static_cast<int>(std::lround(window.left * sx)), box.top + static_cast<int>(std::lround(window.top * sy)),
          box.left + static_cast<int>(std::lround(window.right * sx)),
          box.top + static_cast<int>(std::lround(window.bottom * sy))};
}

LayoutPtr TextLayout(cairo_t* cr, const std::u16string& text, const std::u16string& font, int size, uint32_t style,
                     int width) {
  LayoutPtr layout(pango_cairo_create_layout(cr));
  // Pages are drawn scaled, and unevenly for wide discs: metrics hinted at the canvas's size
  // would space the letters unevenly once scaled.
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  pango_cairo_context_set_font_options(pango_layout_get_context(layout.get()), options);
  cairo_font_options_destroy(options);
  pango_layout_context_changed(layout.get());
  PangoFontDescription* description = pango_font_description_new();
  pango_font_description_set_family(description, platform::Utf16ToUtf8(font).c_str());
  pango_font_description_set_absolute_size(description, std::max(1, size) * PANGO_SCALE);
  pango_font_description_set_weight(description, style & kTextBold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(description, style & kTextItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  pango_layout_set_font_description(layout.get(), description);
  pango_font_description_free(description);
  PangoAttrList* attributes = pango_attr_list_new();
  if (style & kTextUnderline) pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
  if (style & kTextStrikeOut) pango_attr_list_insert(attributes, pango_attr_strikethrough_new(TRUE));
  pango_layout_set_attributes(layout.get(), attributes);
  pango_attr_list_unref(attributes);
  pango_layout_set_alignment(layout.get(), PANGO_ALIGN_CENTER);
  if (width > 0) {
    pango_layout_set_width(layout.get(), width * PANGO_SCALE);
    pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
  }
  pango_layout_set_text(layout.get(), platform::Utf16ToUtf8(text).c_str(), -1);
  return layout;
}

// Draws `text` centred in the rectangle (wrapped to its width), with a faint shadow so that it
// reads on any background.
void DrawText(cairo_t* cr, const std::u16string& text, const std::u16string& font, int size, uint32_t color,
              uint32_t style, const Rect& box) {
  if (text.empty() || box.Empty()) return;
  const LayoutPtr layout = TextLayout(cr, text, font, size, style, box.Width());
  int width = 0, height = 0;
  pango_layout_get_pixel_size(layout.get(), &width, &height);
  const double y = box.top + (box.Height() - height) / 2.0;
  SavedState state(cr);
  const double shadow = std::max(1.0, size / 18.0);
  cairo_move_to(cr, box.left + shadow, y + shadow);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
  pango_cairo_show_layout(cr, layout.get());
  cairo_move_to(cr, box.left, y);
  SetColour(cr, color);
  pango_cairo_show_layout(cr, layout.get());
}

// A plain round button with a glyph, for a page without button pictures.
void DrawGlyphButton(cairo_t* cr, PageButton button, double x, double y, double width, double height) {
  SavedState state(cr);
  const double cx = x + width / 2, cy = y + height / 2;
  const double radius = std::min(width, height) / 2 - 1;
  if (radius <= 2) return;
  cairo_arc(cr, cx, cy, radius, 0, 2 * kPi);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.88);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 0.16, 0.2, 0.26);
  const double g = radius * 0.45;
  switch (button) {
    case PageButton::Previous:
      cairo_move_to(cr, cx + g * 0.55, cy - g);
      cairo_line_to(cr, cx - g * 0.75, cy);
      cairo_line_to(cr, cx + g * 0.55, cy + g);
      break;
    case PageButton::Next:
      cairo_move_to(cr, cx - g * 0.55, cy - g);
      cairo_line_to(cr, cx + g * 0.75, cy);
      cairo_line_to(cr, cx - g * 0.55, cy + g);
      break;
    case PageButton::Play:
      cairo_move_to(cr, cx - g * 0.6, cy - g);
      cairo_line_to(cr, cx + g, cy);
      cairo_line_to(cr, cx - g * 0.6, cy + g);
      cairo_close_path(cr);
      cairo_fill(cr);
      return;
  }
  cairo_set_line_width(cr, std::max(2.0, radius * 0.18));
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
}

// An empty frame for a page without a frame picture: a light rounded border.
void DrawPlainFrame(cairo_t* cr, const Rect& box) {
  SavedState state(cr);
  const double width = PlainFrameBorder(box);
  RoundedRect(cr, box.left + width / 2, box.top + width / 2, box.Width() - width, box.Height() - width, width * 2.5);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.92);
  cairo_set_line_width(cr, width);
  cairo_stroke(cr);
}

}  // namespace

std::vector<PageElement> LayoutPage(const PageView& view) {
  std::vector<PageElement> elements;
  const auto& content = view.content;
  const int frames = std::min<int>(view.titleCount, static_cast<int>(content.slots.size()));
  for (int slot = 0; slot < frames; ++slot)
    elements.push_back({ElementKind::Frame, slot, view.firstTitle + slot, content.slots[static_cast<size_t>(slot)]});
  if (view.hasPrevious) elements.push_back({ElementKind::Previous, 0, -1, content.buttonRects[0]});
  elements.push_back({ElementKind::Play, 0, -1, content.buttonRects[1]});
  if (view.hasNext) elements.push_back({ElementKind::Next, 0, -1, content.buttonRects[2]});
  for (size_t i = 0; i < content.texts.size(); ++i)
    elements.push_back({ElementKind::Text, static_cast<int>(i), -1, content.texts[i].box});
  return elements;
}

PageElement HitTest(const PageView& view, double x, double y) {
  const auto elements = LayoutPage(view);
  const int px = static_cast<int>(std::floor(x));
  const int py = static_cast<int>(std::floor(y));
  for (auto it = elements.rbegin(); it != elements.rend(); ++it)
    if (it->rect.Contains(px, py)) return *it;
  return {ElementKind::Background, 0, -1, {0, 0, kCanvasWidth, kCanvasHeight}};
}

std::optional<PageElement> FirstElement(const PageView& view, ElementKind kind) {
  if (kind == ElementKind::Background) return PageElement{ElementKind::Background, 0, -1, {0, 0, kCanvasWidth, kCanvasHeight}};
  for (const auto& element : LayoutPage(view))
    if (element.kind == kind) return element;
  return std::nullopt;
}

Rect ThumbnailRect(const PageContent& content, int slot) { return ThumbnailRectWith(content, slot, -1); }

Rect MeasureTextBox(const TextItem& item, int centreX, int centreY) {
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
  CairoPtr cr(cairo_create(surface.get()));
  const LayoutPtr layout = TextLayout(cr.get(), item.text.empty() ? u" " : item.text, item.font, item.size, item.style, 0);
  int width = 0, height = 0;
  pango_layout_get_pixel_size(layout.get(), &width, &height);
  // Room around the text, so that a handle can be grabbed and a bold change still fits.
  const int boxWidth = std::min(kCanvasWidth, width + item.size + 16);
  const int boxHeight = std::min(kCanvasHeight, height + 8);
  return KeepInsideCanvas({centreX - boxWidth / 2, centreY - boxHeight / 2, centreX - boxWidth / 2 + boxWidth,
                           centreY - boxHeight / 2 + boxHeight});
}

void DrawBackground(cairo_t* cr, const PageContent& content, double x, double y, double width, double height) {
  if (const auto picture = content.background.empty() ? nullptr : LoadPicture(content.background)) {
    DrawCover(cr, *picture, x, y, width, height);
    return;
  }
  // No picture: a calm dark gradient.
  SavedState state(cr);
  cairo_pattern_t* gradient = cairo_pattern_create_linear(x, y, x, y + height);
  cairo_pattern_add_color_stop_rgb(gradient, 0, 0.13, 0.19, 0.29);
  cairo_pattern_add_color_stop_rgb(gradient, 1, 0.05, 0.07, 0.12);
  cairo_rectangle(cr, x, y, width, height);
  cairo_set_source(cr, gradient);
  cairo_fill(cr);
  cairo_pattern_destroy(gradient);
}

void DrawButton(cairo_t* cr, const PageContent& content, PageButton button, double x, double y, double width,
                double height) {
  const auto& path = content.buttons[static_cast<size_t>(button)];
  if (const auto picture = path.empty() ? nullptr : LoadPicture(path))
    DrawStretched(cr, *picture, x, y, width, height);
  else
    DrawGlyphButton(cr, button, x, y, width, height);
}

void DrawElements(cairo_t* cr, const PageView& view, std::vector<std::u16string>* missing) {
  const auto& content = view.content;
  const auto& layout = content.layout;
  for (const auto& element : LayoutPage(view)) {
    const Rect& r = element.rect;
    switch (element.kind) {
      case ElementKind::Frame: {
        const Rect window = ThumbnailRectWith(content, element.index, element.title);
        const size_t slot = static_cast<size_t>(element.index);
        const TitleThumbnail* title = slot < view.titles.size() ? &view.titles[slot] : nullptr;
        const auto thumbnail = title ? PictureFromBgra(title->bgra.data(), title->width, title->height) : nullptr;
        const auto frame = Load(FrameOf(content, element.title), missing);
        {
          SavedState state(cr);
          // Without a frame picture the thumbnail takes the rounded inside of the plain frame.
          if (!frame) {
            RoundedRect(cr, window.left, window.top, window.Width(), window.Height(), 2.0 * PlainFrameBorder(r));
            cairo_clip(cr);
          }
          if (thumbnail) {
            DrawCover(cr, *thumbnail, window.left, window.top, window.Width(), window.Height());
          } else {
            cairo_rectangle(cr, window.left, window.top, window.Width(), window.Height());
            cairo_set_source_rgb(cr, 0.1, 0.1, 0.12);
            cairo_fill(cr);
          }
        }
        if (frame)
          DrawStretched(cr, *frame, r.left, r.top, r.Width(), r.Height());
        else
          DrawPlainFrame(cr, r);
        const int captionHeight = layout.titleSize * 3 / 2 + 4;
        DrawText(cr, u"Title " + platform::Utf8ToUtf16(std::to_string(element.title + 1)), layout.titleFont,
                 layout.titleSize, layout.titleColor, 0, {r.left, r.bottom + 2, r.right, r.bottom + 2 + captionHeight});
        break;
      }
      case ElementKind::Previous:
      case ElementKind::Play:
      case ElementKind::Next: {
        const auto button = static_cast<PageButton>(static_cast<int>(element.kind) - static_cast<int>(ElementKind::Previous));
        const auto& path = content.buttons[static_cast<size_t>(button)];
        if (!path.empty()) Load(path, missing);
        DrawButton(cr, content, button, r.left, r.top, r.Width(), r.Height());
        break;
      }
      case ElementKind::Text: {
        const auto& item = content.texts[static_cast<size_t>(element.index)];
        DrawText(cr, item.text, item.font, item.size, item.color, item.style, item.box);
        break;
      }
      case ElementKind::Background:
        break;
    }
  }
}

void DrawPage(cairo_t* cr, const PageView& view, std::vector<std::u16string>* missing) {
  if (missing && !view.content.background.empty()) Load(view.content.background, missing);
  DrawBackground(cr, view.content, 0, 0, kCanvasWidth, kCanvasHeight);
  DrawElements(cr, view, missing);
}

cairo_surface_t* RenderPage(const PageView& view, int width, int height) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(1, width), std::max(1, height));
  CairoPtr cr(cairo_create(surface));
  cairo_set_source_rgb(cr.get(), 0, 0, 0);
  cairo_paint(cr.get());
  cairo_scale(cr.get(), static_cast<double>(width) / kCanvasWidth, static_cast<double>(height) / kCanvasHeight);
  DrawPage(cr.get(), view);
  cairo_surface_flush(surface);
  return surface;
}

bool SavePagePng(const PageView& view, int width, int height, const std::string& path) {
  SurfacePtr surface(RenderPage(view, width, height));
  return cairo_surface_write_to_png(surface.get(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace engines::menu
