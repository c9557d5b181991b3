#include "engines/menu/PageRenderer.h"

namespace engines::menu {

std::vector<PageElement> LayoutPage(const PageView& /*view*/) { return {}; }

PageElement HitTest(const PageView& /*view*/, double /*x*/, double /*y*/) { return {}; }

Rect ThumbnailRect(const PageContent& content, int slot) { return content.slots.at(static_cast<size_t>(slot)); }

Rect MeasureTextBox(const TextItem& /*item*/, int centreX, int centreY) {
  return {centreX - 50, centreY - 20, centreX + 50, centreY + 20};
}

void DrawPage(cairo_t* /*cr*/, const PageView& /*view*/, std::vector<std::u16string>* /*missing*/) {}

void DrawBackground(cairo_t* /*cr*/, const PageContent& /*content*/, double /*x*/, double /*y*/, double /*width*/,
                    double /*height*/) {}

cairo_surface_t* RenderPage(const PageView& view, int width, int height) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, static_cast<double>(width) / kCanvasWidth, static_cast<double>(height) / kCanvasHeight);
  DrawPage(cr, view);
  cairo_destroy(cr);
  return surface;
}

bool SavePagePng(const PageView& view, int width, int height, const std::string& path) {
  cairo_surface_t* surface = RenderPage(view, width, height);
  const bool saved = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  return saved;
}

}  // namespace engines::menu

namespace engines::menu {

std::optional<PageElement> FirstElement(const PageView& view, ElementKind kind) {
  if (kind == ElementKind::Background) return PageElement{};
  for (const auto& element : LayoutPage(view))
    if (element.kind == kind) return element;
  return std::nullopt;
}

}  // namespace engines::menu
