#include "tools/skingen/Embedded.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace skingen {
namespace {

using SurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using ContextPtr = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

// One picture of an icon or cursor file: straight-alpha BGRA rows, top to bottom.
struct Picture {
  int size = 0;
  std::vector<uint8_t> bgra;
};

Picture ToPicture(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  Picture picture;
  picture.size = cairo_image_surface_get_width(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  picture.bgra.resize(size_t(picture.size) * picture.size * 4);
  for (int y = 0; y < picture.size; ++y) {
    const uint32_t* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * stride);
    for (int x = 0; x < picture.size; ++x) {
      const uint32_t pixel = row[x];
      const unsigned a = pixel >> 24;
      const unsigned channels[3] = {pixel & 0xFF, (pixel >> 8) & 0xFF, (pixel >> 16) & 0xFF};  // B, G, R
      uint8_t* out = &picture.bgra[(size_t(y) * picture.size + x) * 4];
      for (int c = 0; c < 3; ++c) out[c] = a == 0 ? 0 : static_cast<uint8_t>(std::min(255u, (channels[c] * 255 + a / 2) / a));
      out[3] = static_cast<uint8_t>(a);
    }
  }
  return picture;
}

void Put16(std::vector<uint8_t>& out, unsigned value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// An .ico (cursor false) or .cur file: the directory, then per picture a 32-bit DIB (colour
// rows bottom-up, then the 1-bit AND mask set where the picture is fully transparent).
std::vector<uint8_t> IconFile(const std::vector<Picture>& pictures, bool cursor, int hotX = 0, int hotY = 0) {
  std::vector<std::vector<uint8_t>> images;
  for (const Picture& p : pictures) {
    std::vector<uint8_t> dib;
    const int maskStride = ((p.size + 31) / 32) * 4;
    Put32(dib, 40);
    Put32(dib, static_cast<uint32_t>(p.size));
    Put32(dib, static_cast<uint32_t>(p.size * 2));  // colour rows and mask rows
    Put16(dib, 1);
    Put16(dib, 32);
    Put32(dib, 0);  // BI_RGB
    Put32(dib, static_cast<uint32_t>(p.size * p.size * 4 + maskStride * p.size));
    for (int i = 0; i < 4; ++i) Put32(dib, 0);
    for (int y = p.size - 1; y >= 0; --y)
      dib.insert(dib.end(), p.bgra.begin() + size_t(y) * p.size * 4, p.bgra.begin() + size_t(y + 1) * p.size * 4);
    for (int y = p.size - 1; y >= 0; --y) {
      std::vector<uint8_t> row(size_t(maskStride), 0);
      for (int x = 0; x < p.size; ++x)
        if (p.bgra[(size_t(y) * p.size + x) * 4 + 3] == 0) row[size_t(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
      dib.insert(dib.end(), row.begin(), row.end());
    }
    images.push_back(std::move(dib));
  }
  std::vector<uint8_t> file;
  Put16(file, 0);
  Put16(file, cursor ? 2 : 1);
  Put16(file, static_cast<unsigned>(pictures.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(pictures.size());
  for (size_t i = 0; i < pictures.size(); ++i) {
    const int size = pictures[i].size;
    file.push_back(static_cast<uint8_t>(size >= 256 ? 0 : size));
    file.push_back(static_cast<uint8_t>(size >= 256 ? 0 : size));
    file.push_back(0);  // no palette
    file.push_back(0);
    Put16(file, cursor ? static_cast<unsigned>(hotX) : 1);   // planes, or the hot spot of a cursor
    Put16(file, cursor ? static_cast<unsigned>(hotY) : 32);  // bits per pixel, or the hot spot
    Put32(file, static_cast<uint32_t>(images[i].size()));
    Put32(file, offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const auto& image : images) file.insert(file.end(), image.begin(), image.end());
  return file;
}

void Stroke(cairo_t* cr, double width, double x1, double y1, double x2, double y2) {
  cairo_set_line_width(cr, width);
  cairo_move_to(cr, x1, y1);
  cairo_line_to(cr, x2, y2);
  cairo_stroke(cr);
}

void RoundedRect(cairo_t* cr, double left, double top, double right, double bottom, double radius) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, right - radius, top + radius, radius, -M_PI / 2, 0);
  cairo_arc(cr, right - radius, bottom - radius, radius, 0, M_PI / 2);
  cairo_arc(cr, left + radius, bottom - radius, radius, M_PI / 2, M_PI);
  cairo_arc(cr, left + radius, top + radius, radius, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

// The hand's silhouette, every stroke and the palm widened by `grow` (the outline pass draws
// it grown in black, the fill pass in white).
void HandShape(cairo_t* cr, bool closed, double grow) {
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  const double fingerTops[2][4] = {{8.5, 5.5, 5.5, 8.0}, {13.0, 12.0, 12.0, 13.0}};
  for (int i = 0; i < 4; ++i) {
    const double x = 11.5 + i * 3.2;
    Stroke(cr, 2.6 + grow, x, fingerTops[closed ? 1 : 0][i], x, 17.0);
  }
  if (closed) Stroke(cr, 2.8 + grow, 9.0, 17.0, 11.5, 20.5);  // the thumb tucked in
  else Stroke(cr, 2.8 + grow, 6.5, 13.5, 10.5, 20.0);       // the thumb spread out
  RoundedRect(cr, 10.0 - grow / 2, 14.0 - grow / 2, 22.8 + grow / 2, 26.0 + grow / 2, 3.5 + grow / 2);
  cairo_fill(cr);
}

Picture Hand(bool closed) {
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 32, 32), cairo_surface_destroy);
  ContextPtr cr(cairo_create(surface.get()), cairo_destroy);
  cairo_translate(cr.get(), -0.4, -0.3);  // the palm's middle on the centre pixel
  cairo_set_source_rgb(cr.get(), 0, 0, 0);
  HandShape(cr.get(), closed, 2.0);
  cairo_set_source_rgb(cr.get(), 1, 1, 1);
  HandShape(cr.get(), closed, 0.0);
  // The creases between the fingers, so they read as fingers at this size.
  cairo_set_source_rgba(cr.get(), 0, 0, 0, 0.55);
  cairo_set_line_width(cr.get(), 0.8);
  for (int i = 1; i < 4; ++i) {
    const double x = 11.5 + i * 3.2 - 1.6;
    cairo_move_to(cr.get(), x, closed ? 13.5 : 10.0);
    cairo_line_to(cr.get(), x, closed ? 16.0 : 16.5);
    cairo_stroke(cr.get());
  }
  return ToPicture(surface.get());
}

void SetHex(cairo_t* cr, uint32_t rgb, double alpha = 1.0) {
  cairo_set_source_rgba(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha);
}

// The program's icon: a disc with the accent's sheen and a clear hole, drawn for one size.
Picture Disc(int size) {
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size), cairo_surface_destroy);
  ContextPtr owner(cairo_create(surface.get()), cairo_destroy);
  cairo_t* cr = owner.get();
  const double c = size / 2.0, r = size / 2.0 - 0.75;
  cairo_pattern_t* silver = cairo_pattern_create_linear(0, 0, size, size);
  cairo_pattern_add_color_stop_rgb(silver, 0.0, 0.95, 0.96, 0.98);
  cairo_pattern_add_color_stop_rgb(silver, 0.55, 0.80, 0.84, 0.90);
  cairo_pattern_add_color_stop_rgb(silver, 1.0, 0.62, 0.68, 0.77);
  cairo_arc(cr, c, c, r, 0, 2 * M_PI);
  cairo_set_source(cr, silver);
  cairo_fill(cr);
  cairo_pattern_destroy(silver);
  // Two sectors of the accent catch the light across the disc.
  for (double start : {-M_PI / 2.8, M_PI - M_PI / 2.8}) {
    cairo_move_to(cr, c, c);
    cairo_arc(cr, c, c, r, start, start + M_PI / 3.2);
    cairo_close_path(cr);
    SetHex(cr, 0x2563EB, 0.55);
    cairo_fill(cr);
  }
  cairo_arc(cr, c, c, r * 0.36, 0, 2 * M_PI);
  SetHex(cr, 0xE4E7EC);
  cairo_fill_preserve(cr);
  SetHex(cr, 0x98A2B3);
  cairo_set_line_width(cr, std::max(1.0, size / 32.0));
  cairo_stroke(cr);
  cairo_arc(cr, c, c, r, 0, 2 * M_PI);
  SetHex(cr, 0x1D4ED8);
  cairo_set_line_width(cr, std::max(1.0, size / 24.0));
  cairo_stroke(cr);
  // The hole lets the desktop through.
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_arc(cr, c, c, std::max(1.2, r * 0.14), 0, 2 * M_PI);
  cairo_fill(cr);
  return ToPicture(surface.get());
}

// The live update's icon: a circular arrow in the accent, drawn for one size.
Picture CircularArrow(int size) {
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size), cairo_surface_destroy);
  ContextPtr owner(cairo_create(surface.get()), cairo_destroy);
  cairo_t* cr = owner.get();
  const double c = size / 2.0;
  const double width = std::max(2.0, size / 7.0);
  const double r = size / 2.0 - width / 2.0 - size / 10.0;
  // Three quarters of a ring, open at the top right.
  const double start = -M_PI / 2.0 + 0.35, end = start + 1.62 * M_PI;
  cairo_set_line_width(cr, width);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  cairo_arc(cr, c, c, r, start, end);
  SetHex(cr, 0x2563EB);
  cairo_stroke(cr);
  // The head at the ring's end, pointing along it.
  const double ex = c + r * std::cos(end), ey = c + r * std::sin(end);
  const double tx = -std::sin(end), ty = std::cos(end);  // the direction of travel
  const double nx = std::cos(end), ny = std::sin(end);   // outwards
  const double head = width * 1.35;
  cairo_move_to(cr, ex + nx * head, ey + ny * head);
  cairo_line_to(cr, ex - nx * head, ey - ny * head);
  cairo_line_to(cr, ex + tx * head * 1.3, ey + ty * head * 1.3);
  cairo_close_path(cr);
  SetHex(cr, 0x2563EB);
  cairo_fill(cr);
  return ToPicture(surface.get());
}

}  // namespace

std::vector<std::pair<std::string, std::vector<uint8_t>>> EmbeddedFiles() {
  return {
      {"ImageHandleDown.cur", IconFile({Hand(true)}, true, 16, 16)},
      {"ImageHandleUp.cur", IconFile({Hand(false)}, true, 16, 16)},
      {"MAINICON.ico", IconFile({Disc(16), Disc(32), Disc(48)}, false)},
      {"QMLiveUpdate.ico", IconFile({CircularArrow(16), CircularArrow(32)}, false)},
  };
}

std::vector<std::string> GenerateEmbedded(const std::string& folder) {
  std::filesystem::create_directories(folder);
  std::vector<std::string> names;
  for (const auto& [name, bytes] : EmbeddedFiles()) {
    const std::string path = folder + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
    names.push_back(name);
  }
  return names;
}

}  // namespace skingen
