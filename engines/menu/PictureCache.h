#pragma once

// The pictures of menu pages (backgrounds, frames, buttons), decoded once and shared: a page
// is painted often and its pictures rarely change. Any thread; the cache has its own lock.

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>

namespace engines::menu {

// A decoded picture as a cairo image surface (ARGB32, premultiplied). Owns the surface.
// Pictures far larger than a page needs are kept reduced: Scale() is the kept picture's pixels
// per pixel of the file (1 for all but very large files).
class Picture {
 public:
  explicit Picture(cairo_surface_t* surface, double scale = 1.0) : m_surface(surface), m_scale(scale) {}
  ~Picture();
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;
  cairo_surface_t* Surface() const { return m_surface; }
  int Width() const;
  int Height() const;
  double Scale() const { return m_scale; }
  // Straight alpha of the pixel at (x, y), 0 outside.
  uint8_t AlphaAt(int x, int y) const;

 private:
  cairo_surface_t* m_surface;
  double m_scale;
};

// The picture of `path` (a program path, UTF-16), decoded through the image engine; null with
// `error` when it does not load. A file changed on disk since it was cached is read again.
std::shared_ptr<const Picture> LoadPicture(const std::u16string& path, std::string& error);
std::shared_ptr<const Picture> LoadPicture(const std::u16string& path);

// A picture made from top-down BGRA pixels with straight alpha (a title's thumbnail).
std::shared_ptr<const Picture> PictureFromBgra(const uint8_t* bgra, int width, int height);

}  // namespace engines::menu
