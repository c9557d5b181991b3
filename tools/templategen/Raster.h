#pragma once

// The pictures of a template and the files they are written to: cairo surfaces held by small
// owners, straight-alpha RGBA pixels, JPEG (libjpeg, fixed settings) and PNG (libpng, no time
// or text chunks) writers, so that the same drawing always gives the same bytes; and readers
// for the tests.

#include <cairo.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace templategen {

struct SurfaceDeleter {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextDeleter {
  void operator()(cairo_t* context) const { cairo_destroy(context); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

// A cleared ARGB32 surface of that size, and a context drawing on it.
Surface NewSurface(int width, int height);
inline Context NewContext(const Surface& surface) { return Context(cairo_create(surface.get())); }

// Straight (not premultiplied) R, G, B, A bytes, rows from the top.
struct RgbaImage {
  int width = 0, height = 0;
  std::vector<uint8_t> pixels;

  const uint8_t* At(int x, int y) const { return pixels.data() + (size_t(y) * width + x) * 4; }
};

RgbaImage ToRgba(cairo_surface_t* surface);

// Each answers false with a description in `error` on failure. JPEG drops the alpha channel
// (the picture must be opaque); PNG keeps it.
bool WriteJpeg(const RgbaImage& picture, const std::filesystem::path& path, int quality, std::string* error);
bool WritePng(const RgbaImage& picture, const std::filesystem::path& path, std::string* error);
bool ReadJpeg(const std::filesystem::path& path, RgbaImage* picture, std::string* error);
bool ReadPng(const std::filesystem::path& path, RgbaImage* picture, std::string* error);

}  // namespace templategen
