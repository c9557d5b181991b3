#pragma once

// The one page renderer of the menu (cairo, pango): the designer window, the previewer and
// authoring all draw pages with it, so a page looks the same everywhere.
//
// A page is drawn in canvas coordinates (720 x 540): the background scaled to cover the
// canvas, each title's thumbnail fitted into its slot's frame window under the frame picture,
// the previous and next buttons only where such a page exists, the play button, and the text
// items. Any thread; pictures are loaded through a shared cache (PictureCache.h).

#include <cairo.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engines/menu/Menu.h"
#include "engines/menu/MenuGeometry.h"

namespace engines::menu {

// Where each element of the page sits on the canvas, in drawing order: frames (only those
// with a title), previous (when a previous page exists), play, next (when a next page
// exists), then the text items. The background is not listed (it is everywhere).
std::vector<PageElement> LayoutPage(const PageView& view);

// The topmost element at canvas point (x, y): the background when nothing else is there.
PageElement HitTest(const PageView& view, double x, double y);

// The first element of `kind` in layout order (for the background: the background itself);
// nothing when the page has none of that kind.
std::optional<PageElement> FirstElement(const PageView& view, ElementKind kind);

// Where the thumbnail of slot `slot` shows: the frame picture's window mapped into the slot
// (the whole slot inset a little when the page has no frame picture).
Rect ThumbnailRect(const PageContent& content, int slot);

// The box a text item needs for its text at its font (canvas pixels, centred on `centreX`,
// `centreY`).
Rect MeasureTextBox(const TextItem& item, int centreX, int centreY);

// Draws the page on `cr` in canvas coordinates (the caller sets the transform and clip).
// Pictures that do not load are left out; `missing` (when not null) gets their paths.
void DrawPage(cairo_t* cr, const PageView& view, std::vector<std::u16string>* missing = nullptr);

// Draws everything but the background (frames, captions, buttons, text items) on `cr` in
// canvas coordinates.
void DrawElements(cairo_t* cr, const PageView& view, std::vector<std::u16string>* missing = nullptr);

// Draws only the background, scaled to cover the rectangle (x, y, width, height) of `cr`.
void DrawBackground(cairo_t* cr, const PageContent& content, double x, double y, double width, double height);

// Draws button `button` of the page (its picture, or a plain round glyph button when it has
// none or the picture does not load) scaled into `rect` of `cr`'s user space.
void DrawButton(cairo_t* cr, const PageContent& content, PageButton button, double x, double y, double width,
                double height);

// Renders the page into a new image surface of `width` x `height` (ARGB32, opaque): the canvas
// stretched to it. The caller destroys the surface.
cairo_surface_t* RenderPage(const PageView& view, int width, int height);

// Saves a rendered page as a PNG (for tools and tests); false when writing fails.
bool SavePagePng(const PageView& view, int width, int height, const std::string& path);

}  // namespace engines::menu
