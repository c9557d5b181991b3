#include "engines/menu/MenuData.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engines/menu/PageRenderer.h"
#include "engines/menu/PictureCache.h"
#include "platform/kernel/PathResolve.h"
#include "platform/kernel/Unicode.h"

namespace engines::menu {

namespace {

constexpr int kFrameRingRadius = 8;  // stored pixels

struct SurfaceFree {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceFree>;
struct ContextFree {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
using CairoPtr = std::unique_ptr<cairo_t, ContextFree>;

// How the design canvas maps into the stored frame. The display is 4:3 or 16:9 at the canvas's
// height (720 x 540 or 960 x 540 display units); the canvas sits in the middle of it, and the
// stored frame squeezes the display into width x height pixels.
struct DiscGeometry {
  int width = 0, height = 0;
  double displayWidth = kCanvasWidth;
  double offsetX = 0;  // of the canvas in display units
  double scaleX = 1, scaleY = 1;

  explicit DiscGeometry(const MenuFormat& format)
      : width(format.width), height(format.height), displayWidth(format.wide ? kCanvasHeight * 16.0 / 9.0 : kCanvasWidth),
        offsetX((displayWidth - kCanvasWidth) / 2), scaleX(format.width / displayWidth),
        scaleY(static_cast<double>(format.height) / kCanvasHeight) {}

  // A canvas rectangle in stored pixels, inside the frame.
  Rect ToStored(const Rect& r) const {
    auto x = [&](int v) { return std::clamp(static_cast<int>(std::lround((offsetX + v) * scaleX)), 0, width); };
    auto y = [&](int v) { return std::clamp(static_cast<int>(std::lround(v * scaleY)), 0, height); };
    return {x(r.left), y(r.top), x(r.right), y(r.bottom)};
  }
};

// A one-bit picture of the frame: which pixels belong to a button's outline.
struct OutlineMask {
  int width, height;
  std::vector<uint8_t> bits;
  OutlineMask(int w, int h) : width(w), height(h), bits(static_cast<size_t>(w) * h, 0) {}
  void Set(int x, int y) {
    if (x >= 0 && y >= 0 && x < width && y < height) bits[static_cast<size_t>(y) * width + x] = 1;
  }
};

void RoundedRectPath(cairo_t* cr, double x, double y, double w, double h, double radius) {
  constexpr double kPi = 3.14159265358979323846;
  radius = std::max(0.0, std::min({radius, w / 2, h / 2}));
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - radius, y + radius, radius, -kPi / 2, 0);
  cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, kPi / 2);
  cairo_arc(cr, x + radius, y + h - radius, radius, kPi / 2, kPi);
  cairo_arc(cr, x + radius, y + radius, radius, kPi, 3 * kPi / 2);
  cairo_close_path(cr);
}

// A frame's outline: a ring kFrameRingWidth pixels wide just inside its rectangle, with
// rounded corners, drawn without anti-aliasing.
void AddFrameRing(OutlineMask& mask, const Rect& r) {
  if (r.Width() <= 2 * kFrameRingWidth || r.Height() <= 2 * kFrameRingWidth) return;
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_A8, r.Width(), r.Height()));
  CairoPtr cr(cairo_create(surface.get()));
  cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_NONE);
  cairo_set_fill_rule(cr.get(), CAIRO_FILL_RULE_EVEN_ODD);
  RoundedRectPath(cr.get(), 0, 0, r.Width(), r.Height(), kFrameRingRadius);
  RoundedRectPath(cr.get(), kFrameRingWidth, kFrameRingWidth, r.Width() - 2 * kFrameRingWidth,
                  r.Height() - 2 * kFrameRingWidth, kFrameRingRadius - kFrameRingWidth);
  cairo_fill(cr.get());
  cairo_surface_flush(surface.get());
  const uint8_t* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  for (int y = 0; y < r.Height(); ++y)
    for (int x = 0; x < r.Width(); ++x)
      if (data[y * stride + x] >= 128) mask.Set(r.left + x, r.top + y);
}

// A button's outline: the rim of its picture's shape (the opaque part of the picture as it
// is drawn into the stored rectangle), kFrameRingWidth pixels deep.
void AddButtonRim(OutlineMask& mask, const PageContent& content, PageButton button, const Rect& r) {
  if (r.Empty()) return;
  const int w = r.Width(), h = r.Height();
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
  CairoPtr cr(cairo_create(surface.get()));
  DrawButton(cr.get(), content, button, 0, 0, w, h);
  cairo_surface_flush(surface.get());
  const uint8_t* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  std::vector<uint8_t> shape(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t pixel;
      std::memcpy(&pixel, data + y * stride + x * 4, 4);
      shape[static_cast<size_t>(y) * w + x] = (pixel >> 24) >= 128;
    }
  auto inside = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h && shape[static_cast<size_t>(y) * w + x]; };
  const int d = kFrameRingWidth;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (!inside(x, y)) continue;
      bool rim = false;
      for (int dy = -d; dy <= d && !rim; ++dy)
        for (int dx = -d; dx <= d && !rim; ++dx)
          rim = dx * dx + dy * dy <= d * d && !inside(x + dx, y + dy);
      if (rim) mask.Set(r.left + x, r.top + y);
    }
}

std::vector<uint8_t> Overlay(const OutlineMask& mask, uint32_t colorref) {
  std::vector<uint8_t> pixels(mask.bits.size() * 4, 0);
  for (size_t i = 0; i < mask.bits.size(); ++i) {
    if (!mask.bits[i]) continue;
    pixels[i * 4 + 0] = static_cast<uint8_t>((colorref >> 16) & 0xFF);
    pixels[i * 4 + 1] = static_cast<uint8_t>((colorref >> 8) & 0xFF);
    pixels[i * 4 + 2] = static_cast<uint8_t>(colorref & 0xFF);
    pixels[i * 4 + 3] = 255;
  }
  return pixels;
}

bool IsBlank(const std::u16string& text) { return text.find_first_not_of(u" \t") == std::u16string::npos; }

}  // namespace

bool RenderDiscPage(const PageView& view, const MenuFormat& format, MenuPagePictures& page, std::string& error) {
  const std::string pageName = "menu page " + std::to_string(view.index + 1);
  if (format.width <= 0 || format.height <= 0 || format.width > 4096 || format.height > 4096) {
    error = "cannot render " + pageName + " at " + std::to_string(format.width) + " x " + std::to_string(format.height);
    return false;
  }
  const auto& content = view.content;
  if (!IsBlank(content.background)) {
    std::string why;
    if (!LoadPicture(content.background, why)) {
      error = "cannot render the background of " + pageName + ": " + why;
      return false;
    }
  }
  MenuPagePictures result;
  if (!IsBlank(content.audio)) {
    result.audioFile = platform::FileSystemPath(platform::Utf16ToUtf8(content.audio));
    struct stat info {};
    if (stat(result.audioFile.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
      error = "the music of " + pageName + " ('" + platform::Utf16ToUtf8(content.audio) + "') does not exist";
      return false;
    }
  }

  const DiscGeometry geometry(format);
  {
    // The page is drawn with square pixels at the display's size first and then squeezed into
    // the stored frame: text laid out under an uneven scale spaces its letters unevenly.
    const int displayWidth = static_cast<int>(std::lround(geometry.displayWidth));
    SurfacePtr display(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, displayWidth, kCanvasHeight));
    {
      CairoPtr cr(cairo_create(display.get()));
      cairo_set_source_rgb(cr.get(), 0, 0, 0);
      cairo_paint(cr.get());
      DrawBackground(cr.get(), content, 0, 0, displayWidth, kCanvasHeight);
      cairo_translate(cr.get(), geometry.offsetX, 0);
      DrawElements(cr.get(), view);
    }
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, format.width, format.height));
    {
      CairoPtr cr(cairo_create(surface.get()));
      cairo_scale(cr.get(), static_cast<double>(format.width) / displayWidth,
                  static_cast<double>(format.height) / kCanvasHeight);
      cairo_set_source_surface(cr.get(), display.get(), 0, 0);
      cairo_pattern_set_filter(cairo_get_source(cr.get()), CAIRO_FILTER_GOOD);
      cairo_pattern_set_extend(cairo_get_source(cr.get()), CAIRO_EXTEND_PAD);
      cairo_paint(cr.get());
    }
    cairo_surface_flush(surface.get());
    const uint8_t* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    const size_t row = static_cast<size_t>(format.width) * 4;
    result.background.resize(row * format.height);
    for (int y = 0; y < format.height; ++y) std::memcpy(result.background.data() + row * y, data + stride * y, row);
    for (size_t i = 3; i < result.background.size(); i += 4) result.background[i] = 255;
  }

  OutlineMask mask(format.width, format.height);
  for (const auto& element : LayoutPage(view)) {
    MenuButtonInfo button;
    const Rect stored = geometry.ToStored(element.rect);
    if (stored.Empty()) continue;
    button.left = stored.left;
    button.top = stored.top;
    button.right = stored.right;
    button.bottom = stored.bottom;
    switch (element.kind) {
      case ElementKind::Frame:
        button.action = MenuAction::PlayTitle;
        button.target = element.title;
        AddFrameRing(mask, stored);
        break;
      case ElementKind::Play:
        button.action = MenuAction::PlayAll;
        button.target = 0;
        AddButtonRim(mask, content, PageButton::Play, stored);
        break;
      case ElementKind::Previous:
        button.action = MenuAction::GoToPage;
        button.target = view.index - 1;
        AddButtonRim(mask, content, PageButton::Previous, stored);
        break;
      case ElementKind::Next:
        button.action = MenuAction::GoToPage;
        button.target = view.index + 1;
        AddButtonRim(mask, content, PageButton::Next, stored);
        break;
      default:
        continue;  // text items and the background are not buttons
    }
    result.buttons.push_back(button);
  }
  result.highlight = Overlay(mask, content.layout.highlightColor);
  result.select = Overlay(mask, content.layout.selectColor);
  page = std::move(result);
  return true;
}

std::vector<PageView> DiscPageViews(const Menu& menu, const MenuFormat& format) {
  return menu.ViewsForTitles(format.titleCount);
}

void MenuData::Attach(std::shared_ptr<Menu> menu) {
  std::lock_guard guard(m_lock);
  m_menu = menu;
}

std::shared_ptr<Menu> MenuData::GetMenu() const {
  std::lock_guard guard(m_lock);
  return m_menu.lock();
}

bool MenuData::Describe(const MenuFormat& format, std::vector<MenuPagePictures>& pages, std::string& error) {
  const auto menu = GetMenu();
  if (!menu) {
    error = "the menu data belongs to no menu";
    return false;
  }
  std::vector<MenuPagePictures> described;
  for (const auto& view : DiscPageViews(*menu, format)) {
    MenuPagePictures page;
    if (!RenderDiscPage(view, format, page, error)) return false;
    described.push_back(std::move(page));
  }
  pages = std::move(described);
  return true;
}

bool MenuData::DescribePage(const MenuFormat& format, int index, MenuPagePictures& page, std::string& error) {
  const auto menu = GetMenu();
  if (!menu) {
    error = "the menu data belongs to no menu";
    return false;
  }
  const auto views = DiscPageViews(*menu, format);
  if (index < 0 || index >= static_cast<int>(views.size())) {
    error = "the menu has no page " + std::to_string(index + 1);
    return false;
  }
  return RenderDiscPage(views[static_cast<size_t>(index)], format, page, error);
}

int MenuData::DiscPageCount(const MenuFormat& format) const {
  const auto menu = GetMenu();
  return menu ? static_cast<int>(DiscPageViews(*menu, format).size()) : 0;
}

}  // namespace engines::menu
