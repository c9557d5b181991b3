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

SurfacePtr NewSurface(int width, int height) {
  return SurfacePtr(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height), cairo_surface_destroy);
}

// The standard arrow pointer with its tip at (1, 1): black outline, white body.
void Arrow(cairo_t* cr) {
  cairo_move_to(cr, 1.5, 1.5);
  cairo_line_to(cr, 1.5, 17.5);
  cairo_line_to(cr, 5.5, 13.5);
  cairo_line_to(cr, 8.5, 20.0);
  cairo_line_to(cr, 11.0, 19.0);
  cairo_line_to(cr, 8.2, 12.5);
  cairo_line_to(cr, 13.5, 12.5);
  cairo_close_path(cr);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_line_width(cr, 1.0);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
}

// A sheet of paper with a folded corner and three lines of text.
void Page(cairo_t* cr, double left, double top, double width, double height) {
  const double fold = width * 0.3;
  cairo_move_to(cr, left, top);
  cairo_line_to(cr, left + width - fold, top);
  cairo_line_to(cr, left + width, top + fold);
  cairo_line_to(cr, left + width, top + height);
  cairo_line_to(cr, left, top + height);
  cairo_close_path(cr);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_fill_preserve(cr);
  SetHex(cr, 0x475467);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
  SetHex(cr, 0x98A2B3);
  for (int i = 0; i < 3; ++i) Stroke(cr, 1.0, left + 2.5, top + fold + 2.5 + i * 2.5, left + width - 2.5, top + fold + 2.5 + i * 2.5);
}

// Dragging: the arrow with one page, or a stack of three pages, below and to its right.
Picture DragPages(int pages) {
  SurfacePtr surface = NewSurface(32, 32);
  ContextPtr cr(cairo_create(surface.get()), cairo_destroy);
  for (int i = pages - 1; i >= 0; --i) Page(cr.get(), 13.5 + i * 3, 13.5 + i * 3, 11, 13);
  Arrow(cr.get());
  return ToPicture(surface.get());
}

// Auto-scroll pointers: a solid arrow head pointing at a bar, turned for the direction
// (0 up, 1 right, 2 down, 3 left); the hot spot is the middle.
Picture AutoScroll(int quarterTurns) {
  SurfacePtr surface = NewSurface(32, 32);
  ContextPtr owner(cairo_create(surface.get()), cairo_destroy);
  cairo_t* cr = owner.get();
  cairo_translate(cr, 16, 16);
  cairo_rotate(cr, quarterTurns * M_PI / 2);
  for (int pass = 0; pass < 2; ++pass) {
    const double grow = pass == 0 ? 1.5 : 0.0;
    pass == 0 ? cairo_set_source_rgb(cr, 1, 1, 1) : cairo_set_source_rgb(cr, 0, 0, 0);
    // The bar across the top.
    cairo_rectangle(cr, -9 - grow, -13 - grow, 18 + 2 * grow, 3 + 2 * grow);
    cairo_fill(cr);
    // The head and its stem.
    cairo_move_to(cr, 0, -8 - grow * 1.4);
    cairo_line_to(cr, 8 + grow * 1.4, 1 + grow * 0.7);
    cairo_line_to(cr, -8 - grow * 1.4, 1 + grow * 0.7);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_rectangle(cr, -2.5 - grow, 0, 5 + 2 * grow, 9 + grow);
    cairo_fill(cr);
  }
  return ToPicture(surface.get());
}

// Generic file-type icons, drawn for one size: a folder, a page, and pages marked as video,
// audio and picture.
enum class Generic { Folder, File, Video, Audio, Picture };

Picture GenericIcon(Generic kind, int size) {
  SurfacePtr surface = NewSurface(size, size);
  ContextPtr owner(cairo_create(surface.get()), cairo_destroy);
  cairo_t* cr = owner.get();
  const double s = size / 32.0;
  cairo_scale(cr, s, s);
  const double line = std::max(1.0, 1.0 / s);
  if (kind == Generic::Folder) {
    // The tab, the back and the open front.
    cairo_move_to(cr, 2.5, 8.5);
    cairo_line_to(cr, 2.5, 5.5);
    cairo_line_to(cr, 12.0, 5.5);
    cairo_line_to(cr, 14.5, 8.5);
    cairo_line_to(cr, 29.5, 8.5);
    cairo_line_to(cr, 29.5, 26.5);
    cairo_line_to(cr, 2.5, 26.5);
    cairo_close_path(cr);
    SetHex(cr, 0xE0A526);
    cairo_fill_preserve(cr);
    SetHex(cr, 0x8A5A06);
    cairo_set_line_width(cr, line);
    cairo_stroke(cr);
    cairo_rectangle(cr, 2.5, 11.5, 27, 15);
    SetHex(cr, 0xF6C343);
    cairo_fill_preserve(cr);
    SetHex(cr, 0x8A5A06);
    cairo_stroke(cr);
    return ToPicture(surface.get());
  }
  // A page with a folded corner.
  cairo_move_to(cr, 6.5, 2.5);
  cairo_line_to(cr, 19.5, 2.5);
  cairo_line_to(cr, 26.5, 9.5);
  cairo_line_to(cr, 26.5, 29.5);
  cairo_line_to(cr, 6.5, 29.5);
  cairo_close_path(cr);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_fill_preserve(cr);
  SetHex(cr, 0x667085);
  cairo_set_line_width(cr, line);
  cairo_stroke(cr);
  cairo_move_to(cr, 19.5, 2.5);
  cairo_line_to(cr, 19.5, 9.5);
  cairo_line_to(cr, 26.5, 9.5);
  cairo_stroke(cr);
  switch (kind) {
    case Generic::File:
      SetHex(cr, 0x98A2B3);
      for (int i = 0; i < 4; ++i) Stroke(cr, 1.5, 10, 14 + i * 3.5, 23, 14 + i * 3.5);
      break;
    case Generic::Video:
      // A strip of film with a play mark.
      cairo_rectangle(cr, 9, 13, 15, 12);
      SetHex(cr, 0x344054);
      cairo_fill(cr);
      cairo_move_to(cr, 14, 15.5);
      cairo_line_to(cr, 20.5, 19);
      cairo_line_to(cr, 14, 22.5);
      cairo_close_path(cr);
      SetHex(cr, 0x2563EB);
      cairo_fill(cr);
      break;
    case Generic::Audio:
      // A pair of notes.
      SetHex(cr, 0x2563EB);
      cairo_arc(cr, 12.5, 24, 2.5, 0, 2 * M_PI);
      cairo_fill(cr);
      cairo_arc(cr, 20.5, 22, 2.5, 0, 2 * M_PI);
      cairo_fill(cr);
      cairo_set_line_width(cr, 1.6);
      cairo_move_to(cr, 14.5, 24);
      cairo_line_to(cr, 14.5, 13);
      cairo_line_to(cr, 22.5, 11);
      cairo_line_to(cr, 22.5, 22);
      cairo_stroke(cr);
      break;
    case Generic::Picture:
      // A sky with a sun over two hills.
      cairo_rectangle(cr, 9, 13, 15, 12);
      SetHex(cr, 0xB2CCFF);
      cairo_fill(cr);
      cairo_arc(cr, 19.5, 16.5, 1.8, 0, 2 * M_PI);
      SetHex(cr, 0xF6C343);
      cairo_fill(cr);
      cairo_move_to(cr, 9, 25);
      cairo_line_to(cr, 14, 18);
      cairo_line_to(cr, 18, 22);
      cairo_line_to(cr, 20, 20);
      cairo_line_to(cr, 24, 25);
      cairo_close_path(cr);
      SetHex(cr, 0x2563EB);
      cairo_fill(cr);
      break;
    case Generic::Folder:
      break;
  }
  return ToPicture(surface.get());
}

// ---- PNG files written with stored (uncompressed) deflate blocks, so the bytes do not
// depend on the zlib in use.

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBig32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void Chunk(std::vector<uint8_t>& file, const char type[4], const std::vector<uint8_t>& data) {
  PutBig32(file, static_cast<uint32_t>(data.size()));
  const size_t start = file.size();
  file.insert(file.end(), type, type + 4);
  file.insert(file.end(), data.begin(), data.end());
  PutBig32(file, Crc32(file.data() + start, file.size() - start));
}

// An RGBA PNG of a cairo surface (straight alpha, 8 bits a channel), with text chunks of
// keyword and value.
std::vector<uint8_t> PngFile(cairo_surface_t* surface, const std::vector<std::pair<std::string, std::string>>& texts = {}) {
  cairo_surface_flush(surface);
  const int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  std::vector<uint8_t> raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // no filter
    const uint32_t* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * stride);
    for (int x = 0; x < width; ++x) {
      const uint32_t pixel = row[x];
      const unsigned a = pixel >> 24;
      for (int shift : {16, 8, 0}) {
        const unsigned c = (pixel >> shift) & 0xFF;
        raw.push_back(a == 0 ? 0 : static_cast<uint8_t>(std::min(255u, (c * 255 + a / 2) / a)));
      }
      raw.push_back(static_cast<uint8_t>(a));
    }
  }
  std::vector<uint8_t> zlib = {0x78, 0x01};
  size_t at = 0;
  do {
    const size_t block = std::min<size_t>(65535, raw.size() - at);
    zlib.push_back(at + block == raw.size() ? 1 : 0);
    Put16(zlib, static_cast<unsigned>(block));
    Put16(zlib, static_cast<unsigned>(~block & 0xFFFF));
    zlib.insert(zlib.end(), raw.begin() + static_cast<ptrdiff_t>(at), raw.begin() + static_cast<ptrdiff_t>(at + block));
    at += block;
  } while (at < raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBig32(zlib, (b << 16) | a);

  std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBig32(header, static_cast<uint32_t>(width));
  PutBig32(header, static_cast<uint32_t>(height));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter, no interlace
  Chunk(file, "IHDR", header);
  for (const auto& [keyword, value] : texts) {
    std::vector<uint8_t> text(keyword.begin(), keyword.end());
    text.push_back(0);
    text.insert(text.end(), value.begin(), value.end());
    Chunk(file, "tEXt", text);
  }
  Chunk(file, "IDAT", zlib);
  Chunk(file, "IEND", {});
  return file;
}

// The failed-thumbnail picture: a grey picture frame broken across by a jagged crack in the
// accent colour.
std::vector<uint8_t> PhotoError() {
  SurfacePtr surface = NewSurface(40, 40);
  ContextPtr owner(cairo_create(surface.get()), cairo_destroy);
  cairo_t* cr = owner.get();
  // The two halves of the frame, drawn a little apart along the crack.
  const double crack[][2] = {{4, 17}, {13, 23}, {19, 16}, {26, 24}, {36, 18}};
  for (int half = 0; half < 2; ++half) {
    cairo_save(cr);
    cairo_translate(cr, half ? 1.0 : -1.0, half ? 1.5 : -1.5);
    cairo_new_path(cr);
    if (half == 0) cairo_move_to(cr, 4, 4); else cairo_move_to(cr, 4, 36);
    for (const auto& p : crack) cairo_line_to(cr, p[0], p[1]);
    cairo_line_to(cr, 36, half ? 36 : 4);
    cairo_close_path(cr);
    cairo_clip(cr);
    // The frame and a grey picture of a hill inside it.
    cairo_rectangle(cr, 4.5, 4.5, 31, 31);
    SetHex(cr, 0xD0D5DD);
    cairo_fill_preserve(cr);
    SetHex(cr, 0x667085);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    cairo_rectangle(cr, 9, 9, 22, 22);
    SetHex(cr, 0xF2F4F7);
    cairo_fill(cr);
    cairo_move_to(cr, 9, 31);
    cairo_line_to(cr, 17, 21);
    cairo_line_to(cr, 22, 26);
    cairo_line_to(cr, 25, 23);
    cairo_line_to(cr, 31, 31);
    cairo_close_path(cr);
    SetHex(cr, 0x98A2B3);
    cairo_fill(cr);
    cairo_restore(cr);
  }
  // The crack itself.
  cairo_move_to(cr, crack[0][0], crack[0][1]);
  for (const auto& p : crack) cairo_line_to(cr, p[0], p[1]);
  SetHex(cr, 0x2563EB);
  cairo_set_line_width(cr, 1.5);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
  return PngFile(surface.get());
}

// The "searching" clip: a magnifier sweeping to and fro over an open folder, one frame after
// another from left to right in a strip; text chunks give the animation control the number of
// frames ("Frames") and the time each is shown ("FrameTime", milliseconds).
std::vector<uint8_t> FindFolderClip() {
  constexpr int kWidth = kFindFolderFrameWidth, kHeight = kFindFolderFrameHeight;
  SurfacePtr surface = NewSurface(kWidth * kFindFolderFrames, kHeight);
  ContextPtr owner(cairo_create(surface.get()), cairo_destroy);
  cairo_t* cr = owner.get();
  for (int frame = 0; frame < kFindFolderFrames; ++frame) {
    cairo_save(cr);
    cairo_rectangle(cr, frame * kWidth, 0, kWidth, kHeight);
    cairo_clip(cr);
    cairo_translate(cr, frame * kWidth, 0);
    // The folder, lying open.
    cairo_move_to(cr, 8.5, 14.5);
    cairo_line_to(cr, 8.5, 10.5);
    cairo_line_to(cr, 18.5, 10.5);
    cairo_line_to(cr, 21.5, 14.5);
    cairo_line_to(cr, 39.5, 14.5);
    cairo_line_to(cr, 39.5, 35.5);
    cairo_line_to(cr, 8.5, 35.5);
    cairo_close_path(cr);
    SetHex(cr, 0xE0A526);
    cairo_fill_preserve(cr);
    SetHex(cr, 0x8A5A06);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_rectangle(cr, 11.5, 12.5, 25, 16);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_fill(cr);
    cairo_move_to(cr, 8.5, 35.5);
    cairo_line_to(cr, 11.5, 19.5);
    cairo_line_to(cr, 42.5, 19.5);
    cairo_line_to(cr, 39.5, 35.5);
    cairo_close_path(cr);
    SetHex(cr, 0xF6C343);
    cairo_fill_preserve(cr);
    SetHex(cr, 0x8A5A06);
    cairo_stroke(cr);
    // The magnifier sweeps along an arc, there and back over the sixteen frames.
    const double phase = std::sin(frame * 2 * M_PI / kFindFolderFrames);
    const double x = 26 + phase * 12, y = 18 - std::cos(frame * 2 * M_PI / kFindFolderFrames) * 3;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    SetHex(cr, 0x344054);
    Stroke(cr, 3.5, x + 5, y + 5, x + 11, y + 11);
    cairo_arc(cr, x, y, 7, 0, 2 * M_PI);
    SetHex(cr, 0xDBEAFE, 0.75);
    cairo_fill_preserve(cr);
    SetHex(cr, 0x2563EB);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    cairo_restore(cr);
  }
  return PngFile(surface.get(), {{"Frames", std::to_string(kFindFolderFrames)}, {"FrameTime", std::to_string(kFindFolderFrameTimeMs)}});
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
  auto generic = [](Generic kind) { return IconFile({GenericIcon(kind, 16), GenericIcon(kind, 32)}, false); };
  return {
      {"AutoScrollDown.cur", IconFile({AutoScroll(2)}, true, 16, 16)},
      {"AutoScrollLeft.cur", IconFile({AutoScroll(3)}, true, 16, 16)},
      {"AutoScrollRight.cur", IconFile({AutoScroll(1)}, true, 16, 16)},
      {"AutoScrollUp.cur", IconFile({AutoScroll(0)}, true, 16, 16)},
      {"Drag.cur", IconFile({DragPages(1)}, true, 1, 1)},
      {"DragMultiIcon.cur", IconFile({DragPages(3)}, true, 1, 1)},
      {"FindFolder.png", FindFolderClip()},
      {"GenericAudio.ico", generic(Generic::Audio)},
      {"GenericFile.ico", generic(Generic::File)},
      {"GenericFolder.ico", generic(Generic::Folder)},
      {"GenericPicture.ico", generic(Generic::Picture)},
      {"GenericVideo.ico", generic(Generic::Video)},
      {"ImageHandleDown.cur", IconFile({Hand(true)}, true, 16, 16)},
      {"ImageHandleUp.cur", IconFile({Hand(false)}, true, 16, 16)},
      {"MAINICON.ico", IconFile({Disc(16), Disc(32), Disc(48)}, false)},
      {"PhotoError.png", PhotoError()},
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
