#include "tools/skingen/SmallWindowPictures.h"

#include <cairo.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "tools/skingen/CairoImage.h"
#include "tools/skingen/Recipes.h"

namespace skingen {

namespace {

constexpr double kPi = 3.14159265358979323846;

void SetColor(cairo_t* cr, const Rgba& c, double opacity = 1) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a * opacity); }


// The about box's banner: the accent gradient, a disc's rings fading out at the right, and
// the wordmark in white.
void AboutBanner(cairo_t* cr, const Manifest& m, double w, double h) {
  cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, w, h);
  const Rgba& from = m.Color("accent-hot");
  const Rgba& to = m.Color("accent-pressed");
  cairo_pattern_add_color_stop_rgb(gradient, 0, from.r, from.g, from.b);
  cairo_pattern_add_color_stop_rgb(gradient, 1, to.r, to.g, to.b);
  cairo_rectangle(cr, 0, 0, w, h);
  cairo_set_source(cr, gradient);
  cairo_fill(cr);
  cairo_pattern_destroy(gradient);
  const Rgba& white = m.Color("white");
  cairo_set_line_width(cr, m.Metric("stroke"));
  for (double radius : {28.0, 46.0, 64.0, 82.0}) {
    cairo_new_path(cr);
    cairo_arc(cr, w - 36, h / 2, radius, 0, 2 * kPi);
    SetColor(cr, white, 0.16 - radius / 1000);
    cairo_stroke(cr);
  }
  cairo_new_path(cr);
  cairo_arc(cr, w - 36, h / 2, 9, 0, 2 * kPi);
  SetColor(cr, white, 0.3);
  cairo_fill(cr);
  DrawWordmark(cr, w / 2, h / 2 + 12, 34, white);
}

constexpr const char* kPictureClass = "TPNGImage";
constexpr const char* kHexDigits = "0123456789ABCDEF";

}  // namespace

bool DrawSmallWindowState(cairo_t* cr, const Manifest& manifest, const PartSpec& part, size_t) {
  if (part.draw == "about-banner") {
    AboutBanner(cr, manifest, part.width, part.height);
    return true;
  }
  return false;
}

RgbaImage WaitPanelPicture(const Manifest& m) {
  const double w = kWaitPanelWidth, h = kWaitPanelHeight;
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWaitPanelWidth, kWaitPanelHeight),
                     cairo_surface_destroy);
  ContextPtr owner(cairo_create(surface.get()), cairo_destroy);
  cairo_t* cr = owner.get();
  const double r = m.Metric("window-radius");
  // The border, then the white body one pixel inside it.
  RoundedRectPath(cr, 0, 0, w, h, r);
  SetColor(cr, m.Color("border"));
  cairo_fill(cr);
  RoundedRectPath(cr, 1, 1, w - 2, h - 2, r - 1);
  SetColor(cr, m.Color("white"));
  cairo_fill(cr);
  // The activity ring: a faint track with three quarters of it in the accent.
  const double cx = 24, cy = h / 2, radius = 10, width = 3;
  cairo_set_line_width(cr, width);
  cairo_new_path(cr);
  cairo_arc(cr, cx, cy, radius, 0, 2 * kPi);
  SetColor(cr, m.Color("track"));
  cairo_stroke(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_new_path(cr);
  cairo_arc(cr, cx, cy, radius, -kPi / 2, kPi);
  SetColor(cr, m.Color("accent"));
  cairo_stroke(cr);
  if (cairo_status(cr) != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error(std::string("cannot draw the wait panel: ") + cairo_status_to_string(cairo_status(cr)));
  return SurfaceToRgba(surface.get());
}

std::vector<uint8_t> EncodePng(const RgbaImage& image) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&png, nullptr, &size, 0, image.pixels.data(), 0, nullptr))
    throw std::runtime_error(std::string("cannot encode a PNG picture: ") + png.message);
  std::vector<uint8_t> bytes(size);
  if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, image.pixels.data(), 0, nullptr))
    throw std::runtime_error(std::string("cannot encode a PNG picture: ") + png.message);
  bytes.resize(size);
  return bytes;
}

RgbaImage DecodePng(const std::vector<uint8_t>& bytes) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()))
    throw std::runtime_error(std::string("cannot read a PNG picture: ") + png.message);
  png.format = PNG_FORMAT_RGBA;
  RgbaImage image;
  image.width = static_cast<int>(png.width);
  image.height = static_cast<int>(png.height);
  image.pixels.resize(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr)) {
    const std::string message = png.message;
    png_image_free(&png);
    throw std::runtime_error("cannot decode a PNG picture: " + message);
  }
  return image;
}

std::string PngPictureDataText(const std::vector<uint8_t>& png, int indent) {
  std::vector<uint8_t> data;
  const std::string name = kPictureClass;
  data.push_back(static_cast<uint8_t>(name.size()));
  data.insert(data.end(), name.begin(), name.end());
  const auto length = static_cast<uint32_t>(png.size());
  for (int shift = 0; shift < 32; shift += 8) data.push_back(static_cast<uint8_t>(length >> shift));
  data.insert(data.end(), png.begin(), png.end());
  std::string text;
  const std::string margin(static_cast<size_t>(indent), ' ');
  for (size_t i = 0; i < data.size(); ++i) {
    if (i % 32 == 0) text += "\n" + margin;
    text += kHexDigits[data[i] >> 4];
    text += kHexDigits[data[i] & 15];
  }
  return text + "\n" + std::string(static_cast<size_t>(std::max(0, indent - 2)), ' ');
}

std::vector<uint8_t> PngFromPictureDataText(const std::string& text) {
  std::vector<uint8_t> data;
  int high = -1;
  for (char c : text) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c == ' ' || c == '\n' || c == '\r' || c == '\t') continue;
    else throw std::runtime_error(std::string("picture data holds '") + c + "'");
    if (high < 0) {
      high = digit;
    } else {
      data.push_back(static_cast<uint8_t>(high * 16 + digit));
      high = -1;
    }
  }
  const std::string name = kPictureClass;
  if (data.size() < 1 + name.size() + 4 || data[0] != name.size() ||
      std::string(data.begin() + 1, data.begin() + 1 + static_cast<long>(name.size())) != name)
    throw std::runtime_error("the picture data is not a " + name);
  size_t at = 1 + name.size();
  uint32_t length = 0;
  for (int shift = 0; shift < 32; shift += 8) length |= uint32_t(data[at++]) << shift;
  if (length != data.size() - at) throw std::runtime_error("the picture data's length does not match its bytes");
  return std::vector<uint8_t>(data.begin() + static_cast<long>(at), data.end());
}

namespace {

// Where Image1's picture data lies in a form file's text: [begin, end) between the tags.
std::pair<size_t, size_t> Image1DataRange(const std::string& text, const std::string& origin) {
  const size_t image = text.find("Name=\"Image1\"");
  const size_t picture = image == std::string::npos ? image : text.find("<Picture", image);
  const size_t open = picture == std::string::npos ? picture : text.find("<Data>", picture);
  const size_t close = open == std::string::npos ? open : text.find("</Data>", open);
  if (close == std::string::npos) throw std::runtime_error(origin + ": no <Data> element in Image1's <Picture>");
  return {open + 6, close};
}

}  // namespace

std::string Image1PictureData(const std::string& formText, const std::string& origin) {
  const auto [begin, end] = Image1DataRange(formText, origin);
  return formText.substr(begin, end - begin);
}

std::string UpdateWaitFormPicture(const Manifest& manifest, const std::string& formsFolder) {
  const std::string path = (std::filesystem::path(formsFolder) / "TProcessForm.xfm").string();
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read \"" + path + "\"");
  std::ostringstream read;
  read << in.rdbuf();
  std::string text = read.str();
  in.close();
  const auto [begin, end] = Image1DataRange(text, path);
  // The data's indent follows the line of its <Data> tag.
  const size_t lineStart = text.rfind('\n', begin) + 1;
  const int indent = static_cast<int>(text.find_first_not_of(' ', lineStart) - lineStart) + 2;
  const RgbaImage picture = WaitPanelPicture(manifest);
  // The same pixels keep the file as it is, whatever bytes this zlib would make of them.
  try {
    const RgbaImage kept = DecodePng(PngFromPictureDataText(text.substr(begin, end - begin)));
    if (kept.width == picture.width && kept.height == picture.height && kept.pixels == picture.pixels) return path;
  } catch (const std::runtime_error&) {
    // No picture yet, or a broken one: it is replaced.
  }
  const std::string data = PngPictureDataText(EncodePng(picture), indent);
  text.replace(begin, end - begin, data);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out.flush()) throw std::runtime_error("cannot write \"" + path + "\"");
  return path;
}

}  // namespace skingen
