#include "tools/templategen/Generator.h"

#include <cstdio>
#include <fstream>
#include <system_error>

#include "tools/templategen/Artwork.h"

namespace templategen {

namespace {

std::string Colour(uint32_t rgb) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06X", rgb & 0xFFFFFF);
  return text;
}

std::string Rectangle(const Rect& rect) {
  return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
         std::to_string(rect.bottom);
}

// Draws `picture` scaled into `place` on `cr`.
void DrawScaled(cairo_t* cr, cairo_surface_t* picture, const Rect& place) {
  const double scaleX = double(place.Width()) / cairo_image_surface_get_width(picture);
  const double scaleY = double(place.Height()) / cairo_image_surface_get_height(picture);
  cairo_save(cr);
  cairo_translate(cr, place.left, place.top);
  cairo_scale(cr, scaleX, scaleY);
  cairo_set_source_surface(cr, picture, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_paint(cr);
  cairo_restore(cr);
}

Surface Background(const TemplateDesign& design) {
  Surface surface = NewSurface(kCanvasWidth, kCanvasHeight);
  Context cr = NewContext(surface);
  PaintBackground(cr.get(), design);
  return surface;
}

Surface Page(const TemplateDesign& design) {
  Surface page = Background(design);
  Context cr = NewContext(page);
  const Surface frame = DrawFrame(design);
  int variant = 0;
  for (const Rect& slot : design.slots) {
    const Rect& window = design.frameWindow;
    cairo_save(cr.get());
    cairo_translate(cr.get(), slot.left + window.left, slot.top + window.top);
    PaintSamplePicture(cr.get(), design, variant++, window.Width(), window.Height());
    cairo_restore(cr.get());
    DrawScaled(cr.get(), frame.get(), slot);
  }
  DrawScaled(cr.get(), DrawButton(design, ButtonKind::Previous).get(), design.prev);
  DrawScaled(cr.get(), DrawButton(design, ButtonKind::Play).get(), design.play);
  DrawScaled(cr.get(), DrawButton(design, ButtonKind::Next).get(), design.next);
  return page;
}

bool WriteText(const std::string& text, const std::filesystem::path& path, std::string* error) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  file.close();
  if (file) return true;
  *error = "cannot write '" + path.string() + "'";
  return false;
}

}  // namespace

std::string IniText(const TemplateDesign& design) {
  std::string text;
  auto line = [&](const std::string& key, const std::string& value) { text += key + "=" + value + "\n"; };
  const Palette& colours = design.palette;
  text += "[main]\n";
  line("name", design.name);
  line("category", design.category);
  line("preview", kPreviewFile);
  line("background", kBackgroundFile);
  line("frame0_image", kFrameFile);
  line("frame_window", Rectangle(design.frameWindow));
  line("slots", std::to_string(design.slots.size()));
  for (size_t n = 0; n < design.slots.size(); ++n) line("slot" + std::to_string(n), Rectangle(design.slots[n]));
  line("heading", "Main Menu");
  line("heading_rect", Rectangle(design.heading));
  line("heading_font", design.headingFont);
  line("heading_size", std::to_string(design.headingSize));
  line("heading_color", Colour(colours.heading));
  line("title_font", design.titleFont);
  line("title_size", std::to_string(design.titleSize));
  line("title_color", Colour(colours.caption));
  text += "\n[buttons]\n";
  line("prevbtn", kPrevFile);
  line("playbtn", kPlayFile);
  line("nextbtn", kNextFile);
  line("prev_rect", Rectangle(design.prev));
  line("play_rect", Rectangle(design.play));
  line("next_rect", Rectangle(design.next));
  text += "\n[highlight]\n";
  line("highlight_color", Colour(colours.highlight));
  line("select_color", Colour(colours.select));
  return text;
}

RgbaImage ComposePage(const TemplateDesign& design) { return ToRgba(Page(design).get()); }

bool WriteTemplate(const TemplateDesign& design, const std::filesystem::path& outputFolder, std::string* error) {
  const std::filesystem::path folder = outputFolder / design.category / design.name;
  std::error_code failure;
  std::filesystem::create_directories(folder, failure);
  if (failure) {
    *error = "cannot create '" + folder.string() + "': " + failure.message();
    return false;
  }
  if (!WriteText(IniText(design), folder / (design.name + ".ini"), error)) return false;
  if (!WriteJpeg(ToRgba(Background(design).get()), folder / kBackgroundFile, kJpegQuality, error)) return false;

  // The preview: the composed page shrunk to the template list's picture.
  const Surface page = Page(design);
  Surface preview = NewSurface(kPreviewWidth, kPreviewHeight);
  {
    Context cr = NewContext(preview);
    DrawScaled(cr.get(), page.get(), {0, 0, kPreviewWidth, kPreviewHeight});
  }
  if (!WriteJpeg(ToRgba(preview.get()), folder / kPreviewFile, kJpegQuality, error)) return false;

  return WritePng(ToRgba(DrawFrame(design).get()), folder / kFrameFile, error) &&
         WritePng(ToRgba(DrawButton(design, ButtonKind::Previous).get()), folder / kPrevFile, error) &&
         WritePng(ToRgba(DrawButton(design, ButtonKind::Play).get()), folder / kPlayFile, error) &&
         WritePng(ToRgba(DrawButton(design, ButtonKind::Next).get()), folder / kNextFile, error);
}

bool Generate(const std::filesystem::path& outputFolder, std::string* error) {
  for (const TemplateDesign& design : Catalogue())
    if (!WriteTemplate(design, outputFolder, error)) return false;
  return true;
}

bool WriteSheet(const std::filesystem::path& file, std::string* error) {
  const std::vector<TemplateDesign> all = Catalogue();
  constexpr int kColumns = 2, kGap = 8;
  const int rows = int(all.size() + kColumns - 1) / kColumns;
  Surface sheet = NewSurface(kColumns * kCanvasWidth + (kColumns + 1) * kGap, rows * kCanvasHeight + (rows + 1) * kGap);
  Context cr = NewContext(sheet);
  cairo_set_source_rgb(cr.get(), 0.5, 0.5, 0.5);
  cairo_paint(cr.get());
  for (size_t n = 0; n < all.size(); ++n) {
    const int x = kGap + int(n % kColumns) * (kCanvasWidth + kGap),
              y = kGap + int(n / kColumns) * (kCanvasHeight + kGap);
    cairo_set_source_surface(cr.get(), Page(all[n]).get(), x, y);
    cairo_paint(cr.get());
  }
  return WritePng(ToRgba(sheet.get()), file, error);
}

}  // namespace templategen
