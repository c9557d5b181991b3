#include "tools/transgen/Generator.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <system_error>
#include <vector>

#include "engines/TransMgr/TransMgrApi.h"
#include "engines/TransMgr/TransitionRenderer.h"
#include "tools/transgen/Scenes.h"

namespace transgen {

namespace {

constexpr uint32_t kBorder = 0xD0D5DD;
constexpr uint32_t kAccent = 0x2563EB;
constexpr int kJpegQuality = 92;

void SetPixel(Bitmap& picture, int x, int y, uint32_t rgb) {
  uint8_t* p = picture.At(x, y);
  p[0] = uint8_t(rgb), p[1] = uint8_t(rgb >> 8), p[2] = uint8_t(rgb >> 16), p[3] = 255;
}

void DrawBorder(Bitmap& picture) {
  for (int x = 0; x < picture.width; ++x) {
    SetPixel(picture, x, 0, kBorder);
    SetPixel(picture, x, picture.height - 1, kBorder);
  }
  for (int y = 0; y < picture.height; ++y) {
    SetPixel(picture, 0, y, kBorder);
    SetPixel(picture, picture.width - 1, y, kBorder);
  }
}

// For each output position along one axis: the source positions it covers and their weights
// (the covered length of each), summing to 1.
struct Footprint {
  int first = 0;
  std::vector<double> weights;
};

std::vector<Footprint> Footprints(int from, int to) {
  std::vector<Footprint> footprints(to);
  const double scale = double(from) / to;
  for (int at = 0; at < to; ++at) {
    const double begin = at * scale, end = (at + 1) * scale;
    Footprint& footprint = footprints[at];
    footprint.first = static_cast<int>(begin);
    for (int source = footprint.first; source < from && source < end; ++source)
      footprint.weights.push_back((std::min<double>(source + 1, end) - std::max<double>(source, begin)) / scale);
  }
  return footprints;
}

struct SurfaceDeleter {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextDeleter {
  void operator()(cairo_t* context) const { cairo_destroy(context); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

void SetColour(cairo_t* cr, uint32_t rgb, double alpha = 1) {
  cairo_set_source_rgba(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha);
}

void RoundedSquare(cairo_t* cr, double x, double y, double size, double radius) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + size - radius, y + radius, radius, -M_PI / 2, 0);
  cairo_arc(cr, x + size - radius, y + size - radius, radius, 0, M_PI / 2);
  cairo_arc(cr, x + radius, y + size - radius, radius, M_PI / 2, M_PI);
  cairo_arc(cr, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

Bitmap FromSurface(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  const int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  Bitmap picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::copy_n(data + size_t(y) * stride + 4 * x, 3, picture.At(x, y));
      picture.At(x, y)[3] = 255;
    }
  return picture;
}

// The identifiers of the catalogue, in order.
std::vector<std::string> CatalogueIds() {
  std::vector<std::string> ids;
  TMInitTransMgr();
  for (int type = 0; type < TMGetTransTypeCount(); ++type)
    for (int index = 0; index < TMGetTransCount(type); ++index) ids.push_back(TMGetTransID(type, index));
  TMUninitTransMgr();
  return ids;
}

// An identifier becomes a file name: it must stay one.
bool SafeFileName(const std::string& id) {
  if (id.empty() || id == "." || id == "..") return false;
  for (char c : id)
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < ' ') return false;
  return true;
}

}  // namespace

Bitmap Shrink(const Bitmap& picture, int width, int height) {
  const std::vector<Footprint> columns = Footprints(picture.width, width), rows = Footprints(picture.height, height);
  Bitmap out(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      double sum[3] = {0, 0, 0};
      for (size_t j = 0; j < rows[y].weights.size(); ++j)
        for (size_t i = 0; i < columns[x].weights.size(); ++i) {
          const double weight = rows[y].weights[j] * columns[x].weights[i];
          const uint8_t* p = picture.At(columns[x].first + int(i), rows[y].first + int(j));
          for (int c = 0; c < 3; ++c) sum[c] += p[c] * weight;
        }
      uint8_t* p = out.At(x, y);
      for (int c = 0; c < 3; ++c) p[c] = uint8_t(std::clamp(std::lround(sum[c]), 0L, 255L));
      p[3] = 255;
    }
  return out;
}

Bitmap MakeThumbnail(const std::string& id, const Bitmap& from, const Bitmap& to) {
  Bitmap frame(from.width, from.height);
  engines::transitions::RenderTransition(id, from.In(), to.In(), 0.5, frame.Out());
  Bitmap thumbnail = Shrink(frame, kThumbnailWidth, kThumbnailHeight);
  DrawBorder(thumbnail);
  return thumbnail;
}

Bitmap MakePlaceholder() {
  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, kThumbnailWidth, kThumbnailHeight));
  {
    Context context(cairo_create(surface.get()));
    cairo_t* cr = context.get();
    SetColour(cr, 0xFFFFFF);
    cairo_paint(cr);
    // The square behind: a light tint of the accent with an accent outline.
    RoundedSquare(cr, 24, 12, 36, 7);
    SetColour(cr, kAccent, 0.22);
    cairo_fill_preserve(cr);
    SetColour(cr, kAccent);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    // The square in front, solid, overlapping it.
    RoundedSquare(cr, 41, 27, 36, 7);
    SetColour(cr, kAccent);
    cairo_fill(cr);
  }
  Bitmap placeholder = FromSurface(surface.get());
  DrawBorder(placeholder);
  return placeholder;
}

bool Generate(const std::filesystem::path& folder, std::string* error) {
  const std::filesystem::path thumbnails = folder / "Thumbnail";
  std::error_code code;
  std::filesystem::create_directories(thumbnails, code);
  if (code) {
    *error = "cannot create '" + thumbnails.string() + "': " + code.message();
    return false;
  }
  const Bitmap from = DrawDuskLandscape(), to = DrawMountainLake();
  if (!WriteJpeg(from, folder / "TrFrom.jpg", kJpegQuality, error)) return false;
  if (!WriteJpeg(to, folder / "TrTo.jpg", kJpegQuality, error)) return false;
  const std::vector<std::string> ids = CatalogueIds();
  if (ids.empty()) {
    *error = "the transition catalogue is empty";
    return false;
  }
  for (const std::string& id : ids) {
    if (!SafeFileName(id) || id == "trans") {
      *error = "the transition identifier '" + id + "' cannot name a thumbnail file";
      return false;
    }
    if (!WriteBmp24(MakeThumbnail(id, from, to), thumbnails / (id + ".bmp"), error)) return false;
  }
  return WriteBmp24(MakePlaceholder(), thumbnails / "trans.bmp", error);
}

bool WriteContactSheet(const std::filesystem::path& folder, const std::filesystem::path& sheet, std::string* error) {
  std::vector<std::string> names = CatalogueIds();
  names.push_back("trans");
  constexpr int kColumns = 6, kCellWidth = 124, kCellHeight = 100, kMargin = 12;
  const int rows = (static_cast<int>(names.size()) + kColumns - 1) / kColumns;
  Surface surface(
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, kColumns * kCellWidth + 2 * kMargin, rows * kCellHeight + 2 * kMargin));
  Context context(cairo_create(surface.get()));
  cairo_t* cr = context.get();
  SetColour(cr, 0xF3F4F6);
  cairo_paint(cr);
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 10);
  for (size_t n = 0; n < names.size(); ++n) {
    Bitmap thumbnail;
    if (!ReadBmp24(folder / "Thumbnail" / (names[n] + ".bmp"), &thumbnail, error)) return false;
    const int left = kMargin + int(n % kColumns) * kCellWidth, top = kMargin + int(n / kColumns) * kCellHeight;
    const int x0 = left + (kCellWidth - thumbnail.width) / 2;
    Surface picture(cairo_image_surface_create(CAIRO_FORMAT_RGB24, thumbnail.width, thumbnail.height));
    cairo_surface_flush(picture.get());
    unsigned char* data = cairo_image_surface_get_data(picture.get());
    const int stride = cairo_image_surface_get_stride(picture.get());
    for (int y = 0; y < thumbnail.height; ++y) std::copy_n(thumbnail.At(0, y), thumbnail.width * 4, data + size_t(y) * stride);
    cairo_surface_mark_dirty(picture.get());
    cairo_set_source_surface(cr, picture.get(), x0, top);
    cairo_paint(cr);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, names[n].c_str(), &extents);
    SetColour(cr, 0x1F2937);
    cairo_move_to(cr, left + (kCellWidth - extents.x_advance) / 2, top + thumbnail.height + 14);
    cairo_show_text(cr, names[n].c_str());
  }
  if (cairo_surface_write_to_png(surface.get(), sheet.c_str()) != CAIRO_STATUS_SUCCESS) {
    *error = "cannot write '" + sheet.string() + "'";
    return false;
  }
  return true;
}

}  // namespace transgen
