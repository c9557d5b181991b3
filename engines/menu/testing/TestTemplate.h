#pragma once

// Test fixtures of the menu engines: a temporary folder, and small menu templates drawn with
// cairo into it (a background, a frame picture with a transparent window, round buttons), so
// that tests do not depend on the shipped templates. Header-only; for tests.

#include <cairo.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace engines::menu::fixtures {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "menu-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    m_path = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& Path() const { return m_path; }

 private:
  std::filesystem::path m_path;
};

inline std::u16string U16(const std::filesystem::path& path) {
  const std::string text = path.string();
  return std::u16string(text.begin(), text.end());  // test paths are ASCII
}

// Writes a w x h PNG; `draw` paints it.
template <typename Draw>
void WritePng(const std::filesystem::path& path, int w, int h, Draw draw) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* cr = cairo_create(surface);
  draw(cr);
  cairo_destroy(cr);
  cairo_surface_write_to_png(surface, path.c_str());
  cairo_surface_destroy(surface);
}

// Colours the fixtures are drawn in, for tests that look for them.
constexpr uint32_t kBackgroundTop = 0x204060;     // 0xRRGGBB
constexpr uint32_t kBackgroundBottom = 0x60A0C0;

struct TemplateOptions {
  int slots = 4;
  std::string highlight = "#FFD24A";
  std::string select = "#FF7A1A";
  std::string heading = "Main Menu";
  bool withBackground = true;
};

// Writes a template folder `folder` (made if missing) and answers its path with a trailing "/".
// Slots are 200 x 150 in a grid of two columns, the frame picture is 160 x 120 with a
// transparent window at 12,12,148,108, the buttons are 64 x 64 discs at y 450.
inline std::filesystem::path WriteTemplate(const std::filesystem::path& folder, const TemplateOptions& options = {}) {
  std::filesystem::create_directories(folder);
  if (options.withBackground) {
    WritePng(folder / "midbackgnd.png", 720, 540, [](cairo_t* cr) {
      cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 0, 540);
      cairo_pattern_add_color_stop_rgb(gradient, 0, 0x20 / 255.0, 0x40 / 255.0, 0x60 / 255.0);
      cairo_pattern_add_color_stop_rgb(gradient, 1, 0x60 / 255.0, 0xA0 / 255.0, 0xC0 / 255.0);
      cairo_set_source(cr, gradient);
      cairo_paint(cr);
      cairo_pattern_destroy(gradient);
    });
  }
  WritePng(folder / "frame.png", 160, 120, [](cairo_t* cr) {
    cairo_set_source_rgb(cr, 0.95, 0.9, 0.8);
    cairo_rectangle(cr, 0, 0, 160, 120);
    cairo_rectangle(cr, 12, 12, 136, 96);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_fill(cr);
  });
  const char* names[] = {"prev.png", "play.png", "next.png"};
  for (int i = 0; i < 3; ++i) {
    WritePng(folder / names[i], 64, 64, [i](cairo_t* cr) {
      cairo_arc(cr, 32, 32, 30, 0, 2 * M_PI);
      cairo_set_source_rgb(cr, 0.9, 0.9, 0.9);
      cairo_fill(cr);
      cairo_set_source_rgb(cr, 0.1 * i, 0.2, 0.3);
      cairo_move_to(cr, 24, 18);
      cairo_line_to(cr, 46, 32);
      cairo_line_to(cr, 24, 46);
      cairo_fill(cr);
    });
  }
  WritePng(folder / "preview.png", 190, 190, [](cairo_t* cr) {
    cairo_set_source_rgb(cr, 0.3, 0.5, 0.7);
    cairo_paint(cr);
  });
  std::ofstream ini(folder / (folder.filename().string() + ".ini"));
  ini << "[main]\nname=" << folder.filename().string() << "\ncategory=Test\npreview=preview.png\n";
  if (options.withBackground) ini << "background=midbackgnd.png\n";
  ini << "frame0_image=frame.png\nframe_window=12,12,148,108\nslots=" << options.slots << "   ; frames a page\n";
  for (int i = 0; i < options.slots; ++i) {
    const int column = i % 2, row = i / 2;
    const int left = 100 + column * 320, top = 110 + row * 170;
    ini << "slot" << i << "=" << left << "," << top << "," << left + 200 << "," << top + 150 << "\n";
  }
  ini << "heading=" << options.heading << "\nheading_rect=60,30,660,100\nheading_font=DejaVu Sans\n"
      << "heading_size=36\nheading_color=#FFFFFF\ntitle_font=DejaVu Sans\ntitle_size=14\ntitle_color=#F0F0F0\n"
      << "[buttons]\nprevbtn=prev.png\nplaybtn=play.png\nnextbtn=next.png\n"
      << "prev_rect=80,450,144,514\nplay_rect=328,450,392,514\nnext_rect=576,450,640,514\n"
      << "[highlight]\nhighlight_color=" << options.highlight << "\nselect_color=" << options.select << "\n";
  return folder.string() + "/";
}

// Top-down BGRA pixels of one colour (0xRRGGBB), a title's thumbnail.
inline std::vector<uint8_t> SolidBgra(int w, int h, uint32_t rgb) {
  std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 4);
  for (size_t i = 0; i < pixels.size(); i += 4) {
    pixels[i] = rgb & 0xFF;
    pixels[i + 1] = (rgb >> 8) & 0xFF;
    pixels[i + 2] = (rgb >> 16) & 0xFF;
    pixels[i + 3] = 255;
  }
  return pixels;
}

}  // namespace engines::menu::fixtures
