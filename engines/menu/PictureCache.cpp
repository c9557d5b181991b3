#include "engines/menu/PictureCache.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "engines/QM_ImageProc/QM_ImageProc.h"
#include "platform/kernel/PathResolve.h"
#include "platform/kernel/Unicode.h"

namespace engines::menu {

Picture::~Picture() { cairo_surface_destroy(m_surface); }

int Picture::Width() const { return cairo_image_surface_get_width(m_surface); }
int Picture::Height() const { return cairo_image_surface_get_height(m_surface); }

uint8_t Picture::AlphaAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return 0;
  const uint8_t* row = cairo_image_surface_get_data(m_surface) + static_cast<size_t>(y) * cairo_image_surface_get_stride(m_surface);
  uint32_t pixel;
  std::memcpy(&pixel, row + x * 4, 4);
  return static_cast<uint8_t>(pixel >> 24);
}

namespace {

// Copies rows of straight-alpha BGRA into a premultiplied cairo surface.
cairo_surface_t* SurfaceFromRows(int width, int height, const uint8_t* first, ptrdiff_t stride) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  cairo_surface_flush(surface);
  uint8_t* data = cairo_image_surface_get_data(surface);
  const int outStride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < height; ++y) {
    const uint8_t* in = first + stride * y;
    auto* out = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * outStride);
    for (int x = 0; x < width; ++x) {
      const uint32_t a = in[x * 4 + 3];
      const uint32_t r = (in[x * 4 + 2] * a + 127) / 255;
      const uint32_t g = (in[x * 4 + 1] * a + 127) / 255;
      const uint32_t b = (in[x * 4 + 0] * a + 127) / 255;
      out[x] = (a << 24) | (r << 16) | (g << 8) | b;
    }
  }
  cairo_surface_mark_dirty(surface);
  return surface;
}

struct CacheEntry {
  int64_t modified = 0;  // nanoseconds
  off_t size = 0;
  std::shared_ptr<const Picture> picture;
};

int64_t ModifiedOf(const struct stat& info) {
  return static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

std::mutex g_lock;  // guards g_cache and g_cacheBytes
std::map<std::u16string, CacheEntry> g_cache;
size_t g_cacheBytes = 0;
constexpr size_t kCacheBytes = 192u << 20;
// The longest side kept of a picture: twice the canvas covers any page at twice its size.
constexpr int kLargestSide = 2048;

size_t BytesOf(const Picture& picture) { return static_cast<size_t>(picture.Width()) * picture.Height() * 4; }

// A picture reduced to fit kLargestSide (cairo's good filter averages when it shrinks).
std::shared_ptr<const Picture> Reduced(cairo_surface_t* surface, int width, int height) {
  const double scale = static_cast<double>(kLargestSide) / std::max(width, height);
  const int w = std::max(1, static_cast<int>(width * scale + 0.5));
  const int h = std::max(1, static_cast<int>(height * scale + 0.5));
  cairo_surface_t* reduced = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* cr = cairo_create(reduced);
  cairo_scale(cr, static_cast<double>(w) / width, static_cast<double>(h) / height);
  cairo_set_source_surface(cr, surface, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  cairo_surface_flush(reduced);
  return std::make_shared<Picture>(reduced, static_cast<double>(w) / width);
}

std::shared_ptr<const Picture> Decode(const std::u16string& path, std::string& error) {
  const EngineHandle image = DICreate();
  if (!image) {
    error = "cannot create an image";
    return nullptr;
  }
  std::shared_ptr<const Picture> picture;
  if (DILoadImage32B(image, path.c_str())) {
    const int width = DIGetWidth(image);
    const int height = DIGetHeight(image);
    const auto* bits = static_cast<const uint8_t*>(DIGetBits(image));
    if (bits && width > 0 && height > 0) {
      // The image engine's DIB is bottom-up: start at the last row and walk backwards.
      const ptrdiff_t stride = static_cast<ptrdiff_t>(width) * 4;
      if (cairo_surface_t* surface = SurfaceFromRows(width, height, bits + stride * (height - 1), -stride))
        picture = std::max(width, height) > kLargestSide ? Reduced(surface, width, height)
                                                         : std::make_shared<Picture>(surface);
    }
  }
  DIDestroy(image);
  if (!picture) error = "cannot load the picture '" + platform::Utf16ToUtf8(path) + "'";
  return picture;
}

}  // namespace

std::shared_ptr<const Picture> LoadPicture(const std::u16string& path, std::string& error) {
  if (path.empty()) {
    error = "no picture named";
    return nullptr;
  }
  struct stat info {};
  const std::string fsPath = platform::FileSystemPath(platform::Utf16ToUtf8(path));
  if (stat(fsPath.c_str(), &info) != 0) {
    error = "the picture '" + platform::Utf16ToUtf8(path) + "' does not exist";
    return nullptr;
  }
  {
    std::lock_guard guard(g_lock);
    const auto found = g_cache.find(path);
    if (found != g_cache.end() && found->second.modified == ModifiedOf(info) && found->second.size == info.st_size)
      return found->second.picture;
  }
  auto picture = Decode(path, error);
  if (!picture) return nullptr;
  std::lock_guard guard(g_lock);
  // A simple bound: when the cache would grow past its budget it starts again empty (pictures
  // in use stay alive with their users).
  if (g_cacheBytes + BytesOf(*picture) > kCacheBytes) {
    g_cache.clear();
    g_cacheBytes = 0;
  }
  auto& entry = g_cache[path];
  if (entry.picture) g_cacheBytes -= BytesOf(*entry.picture);
  entry = {ModifiedOf(info), info.st_size, picture};
  g_cacheBytes += BytesOf(*picture);
  return picture;
}

std::shared_ptr<const Picture> LoadPicture(const std::u16string& path) {
  std::string ignored;
  return LoadPicture(path, ignored);
}

std::shared_ptr<const Picture> PictureFromBgra(const uint8_t* bgra, int width, int height) {
  if (!bgra || width <= 0 || height <= 0) return nullptr;
  cairo_surface_t* surface = SurfaceFromRows(width, height, bgra, static_cast<ptrdiff_t>(width) * 4);
  return surface ? std::make_shared<Picture>(surface) : nullptr;
}

}  // namespace engines::menu
