// Fonts and text through pango: logical fonts matched by fontconfig, TextOut, ExtTextOut,
// DrawText and measurement. Glyphs are rendered with grayscale coverage into a mask that is
// blended onto the surface in the text colour; the alpha byte is written 0.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

#include "platform/gdi/GdiInternal.h"
#include "platform/kernel/Unicode.h"

// After our headers: glib defines TRUE and FALSE as macros.
#include "platform/gdi/PangoHandles.h"

namespace platform::detail {

namespace {

// fontconfig and pango's font maps are not safe to use from several threads at once, so
// every text call holds this lock; GUI painting and the odd worker thread take turns.
std::recursive_mutex g_textMutex;

using LayoutPtr = PangoLayoutRef;
using SurfacePtr = CairoSurface;
using CairoPtr = CairoContext;

void ApplySmoothing(PangoContext* context, bool smooth) {
  const CairoFontOptions options(cairo_font_options_create());
  cairo_font_options_set_antialias(options.get(), smooth ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
  cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_SLIGHT);
  cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_ON);
  pango_cairo_context_set_font_options(context, options.get());
}

// One pango context per thread: pango objects are not shared between threads.
PangoContext* ThreadContext() {
  struct Holder {
    GObjectRef<PangoFontMap> map;
    GObjectRef<PangoContext> context;
    ~Holder() {
      std::lock_guard lock(g_textMutex);
      context.reset();
      map.reset();
    }
  };
  thread_local Holder holder;
  if (!holder.context) {
    holder.map.reset(pango_cairo_font_map_new());
    pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(holder.map.get()), 96);
    holder.context.reset(pango_font_map_create_context(holder.map.get()));
    ApplySmoothing(holder.context.get(), true);
  }
  return holder.context.get();
}

// Grayscale glyph coverage, or none; metrics stay hinted to whole pixels either way.
void SetSmoothing(bool smooth) { ApplySmoothing(ThreadContext(), smooth); }

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The installed family that stands in for a face name the program asks for.
std::string MatchFamily(const std::string& face, BYTE pitchAndFamily) {
  const std::string name = Lower(face);
  static const std::pair<const char*, const char*> kMap[] = {
      {"ms sans serif", "Liberation Sans"},   {"ms shell dlg", "Liberation Sans"},
      {"ms shell dlg 2", "Liberation Sans"},  {"microsoft sans serif", "Liberation Sans"},
      {"arial", "Liberation Sans"},           {"helvetica", "Liberation Sans"},
      {"segoe ui", "Liberation Sans"},        {"system", "Liberation Sans"},
      {"tahoma", "DejaVu Sans"},              {"verdana", "DejaVu Sans"},
      {"courier new", "Liberation Mono"},     {"courier", "Liberation Mono"},
      {"lucida console", "Liberation Mono"},  {"consolas", "Liberation Mono"},
      {"fixedsys", "Liberation Mono"},        {"terminal", "Liberation Mono"},
      {"times new roman", "Liberation Serif"}, {"times", "Liberation Serif"},
      {"georgia", "DejaVu Serif"},
  };
  for (const auto& [from, to] : kMap) {
    if (name == from) return to;
  }
  if (!name.empty()) return face;
  if ((pitchAndFamily & 3) == FIXED_PITCH || (pitchAndFamily & 0xF0) == FF_MODERN) return "Liberation Mono";
  if ((pitchAndFamily & 0xF0) == FF_ROMAN) return "Liberation Serif";
  return "Liberation Sans";
}

PangoFontDescription* Describe(const FontObject& font, double emPixels) {
  PangoFontDescription* description = pango_font_description_new();
  pango_font_description_set_family(description, font.family.c_str());
  pango_font_description_set_absolute_size(description, emPixels * PANGO_SCALE);
  const int weight = font.logFont.lfWeight == FW_DONTCARE ? FW_NORMAL : font.logFont.lfWeight;
  pango_font_description_set_weight(description, static_cast<PangoWeight>(std::clamp(weight, 100, 1000)));
  pango_font_description_set_style(description, font.logFont.lfItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  return description;
}

void CellMetrics(PangoFontDescription* description, double* ascent, double* descent) {
  const PangoFontMetricsRef metrics(pango_context_get_metrics(ThreadContext(), description, nullptr));
  *ascent = pango_font_metrics_get_ascent(metrics.get()) / double(PANGO_SCALE);
  *descent = pango_font_metrics_get_descent(metrics.get()) / double(PANGO_SCALE);
}

LayoutPtr MakeLayout(FontObject& font, const std::string& text, const std::vector<std::pair<int, int>>& underlines = {}) {
  MeasuredFont(font);
  LayoutPtr layout(pango_layout_new(ThreadContext()));
  pango_layout_set_font_description(layout.get(), static_cast<PangoFontDescription*>(font.description));
  pango_layout_set_single_paragraph_mode(layout.get(), TRUE);
  pango_layout_set_text(layout.get(), text.data(), static_cast<int>(text.size()));
  const PangoAttrListRef attributes(pango_attr_list_new());
  if (font.logFont.lfUnderline) pango_attr_list_insert(attributes.get(), pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
  if (font.logFont.lfStrikeOut) pango_attr_list_insert(attributes.get(), pango_attr_strikethrough_new(TRUE));
  for (const auto& [start, end] : underlines) {
    PangoAttribute* underline = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
    underline->start_index = static_cast<guint>(start);
    underline->end_index = static_cast<guint>(end);
    pango_attr_list_insert(attributes.get(), underline);
  }
  pango_layout_set_attributes(layout.get(), attributes.get());
  return layout;
}

int LayoutWidth(PangoLayout* layout) {
  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout, nullptr, &logical);
  return logical.width;
}

int TextWidth(FontObject& font, const std::string& text) {
  if (text.empty()) return 0;
  LayoutPtr layout = MakeLayout(font, text);
  return LayoutWidth(layout.get());
}

size_t NextChar(const std::string& text, size_t index) {
  ++index;
  while (index < text.size() && (static_cast<unsigned char>(text[index]) & 0xC0) == 0x80) ++index;
  return index;
}

size_t PreviousChar(const std::string& text, size_t index) {
  if (index == 0) return 0;
  --index;
  while (index > 0 && (static_cast<unsigned char>(text[index]) & 0xC0) == 0x80) --index;
  return index;
}

// Draws one line of text. (x, y) is the logical reference point that the alignment flags
// refer to; the font's escapement turns the line around it.
struct LineOptions {
  UINT align = TA_TOP | TA_LEFT;
  bool opaque = false;
  const RECT* opaqueRect = nullptr;  // logical; filled with the background colour
  const RECT* clipRect = nullptr;    // logical
  std::vector<std::pair<int, int>> underlines;
};

void DrawLine(DcObject& dc, DrawTarget& target, const std::string& text, int x, int y, const LineOptions& options) {
  DcState& state = dc.state;
  FontObject& font = MeasuredFont(*state.font);
  LayoutPtr layout = MakeLayout(font, text, options.underlines);
  const int width = text.empty() ? 0 : LayoutWidth(layout.get());
  const int height = font.ascent + font.descent;
  double dx = 0, dy = 0;
  if ((options.align & TA_CENTER) == TA_CENTER) dx = -width / 2;
  else if (options.align & TA_RIGHT) dx = -width;
  if ((options.align & TA_BASELINE) == TA_BASELINE) dy = -font.ascent;
  else if (options.align & TA_BOTTOM) dy = -height;

  // Logical -> device, with the escapement turning text counter-clockwise on screen.
  const XFORM device = DeviceMatrix(state);
  cairo_matrix_t matrix;
  cairo_matrix_init(&matrix, device.eM11, device.eM12, device.eM21, device.eM22, device.eDx, device.eDy);
  cairo_matrix_translate(&matrix, x, y);
  const double angle = -font.logFont.lfEscapement / 10.0 * M_PI / 180.0;
  if (font.logFont.lfEscapement % 3600 != 0) cairo_matrix_rotate(&matrix, angle);
  const bool axisAligned = matrix.xy == 0 && matrix.yx == 0 && matrix.xx == 1 && matrix.yy == 1;

  auto cellPolygon = [&](double left, double top, double right, double bottom) {
    std::vector<PointF> corners;
    for (auto [px, py] : {std::pair{left, top}, std::pair{right, top}, std::pair{right, bottom}, std::pair{left, bottom}}) {
      double tx = px, ty = py;
      cairo_matrix_transform_point(&matrix, &tx, &ty);
      corners.push_back(PointF{tx, ty});
    }
    return corners;
  };
  Region clip = target.Clip();
  if (options.clipRect) {
    const RECT& r = *options.clipRect;
    std::vector<PointF> corners;
    for (const POINT p : {POINT{r.left, r.top}, POINT{r.right, r.top}, POINT{r.right, r.bottom}, POINT{r.left, r.bottom}}) {
      corners.push_back(ToDeviceF(state, p.x, p.y));
    }
    clip.Intersect(SimpleMapping(state) ? Region(ToDeviceRect(state, r)) : PolygonRegion({corners}, WINDING));
  }
  if (options.opaque) {
    Region cell;
    if (options.opaqueRect) {
      cell = SimpleMapping(state) ? Region(ToDeviceRect(state, *options.opaqueRect)) : Region();
    } else if (axisAligned) {
      cell = Region(RECT{static_cast<LONG>(std::lround(matrix.x0 + dx)), static_cast<LONG>(std::lround(matrix.y0 + dy)),
                         static_cast<LONG>(std::lround(matrix.x0 + dx + width)),
                         static_cast<LONG>(std::lround(matrix.y0 + dy + height))});
    } else {
      cell = PolygonRegion({cellPolygon(dx, dy, dx + width, dy + height)}, WINDING);
    }
    cell.Intersect(clip);
    Paint background = ColorPaint(state.bkColor);
    for (const auto& box : cell.Boxes()) {
      for (int py = box.y1; py < box.y2; ++py) std::fill_n(target.Pixel(box.x1, py), box.x2 - box.x1, background.color);
    }
  }
  if (text.empty()) return;

  // The device box the glyphs can reach (ink may stray outside the logical cell).
  PangoRectangle ink, logical;
  pango_layout_get_pixel_extents(layout.get(), &ink, &logical);
  const double left = dx + std::min(ink.x, logical.x) - 2, top = dy + std::min(ink.y, logical.y) - 2;
  const double right = dx + std::max(ink.x + ink.width, logical.x + logical.width) + 2;
  const double bottom = dy + std::max(ink.y + ink.height, logical.y + logical.height) + 2;
  double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
  for (const PointF& p : cellPolygon(left, top, right, bottom)) {
    minX = std::min(minX, p.x);
    minY = std::min(minY, p.y);
    maxX = std::max(maxX, p.x);
    maxY = std::max(maxY, p.y);
  }
  RECT box{static_cast<LONG>(std::floor(minX)), static_cast<LONG>(std::floor(minY)), static_cast<LONG>(std::ceil(maxX)),
           static_cast<LONG>(std::ceil(maxY))};
  Region area(box);
  area.Intersect(clip);
  if (area.Empty()) return;
  box = area.Bounds();
  const int boxWidth = box.right - box.left, boxHeight = box.bottom - box.top;
  SurfacePtr mask(cairo_image_surface_create(CAIRO_FORMAT_A8, boxWidth, boxHeight));
  CairoPtr cr(cairo_create(mask.get()));
  // Fonts that ask for no smoothing get hard-edged glyphs.
  const bool aliased = font.logFont.lfQuality == NONANTIALIASED_QUALITY;
  if (aliased) SetSmoothing(false);
  cairo_translate(cr.get(), -box.left, -box.top);
  cairo_transform(cr.get(), &matrix);
  pango_cairo_update_layout(cr.get(), layout.get());
  cairo_move_to(cr.get(), dx, dy + font.ascent - pango_layout_get_baseline(layout.get()) / double(PANGO_SCALE));
  pango_cairo_show_layout(cr.get(), layout.get());
  if (aliased) SetSmoothing(true);
  cairo_surface_flush(mask.get());
  const uint8_t* coverage = cairo_image_surface_get_data(mask.get());
  const int stride = cairo_image_surface_get_stride(mask.get());
  const uint32_t color = ToPixel(state.textColor);
  for (const auto& part : area.Boxes()) {
    for (int py = part.y1; py < part.y2; ++py) {
      const uint8_t* row = coverage + static_cast<ptrdiff_t>(py - box.top) * stride;
      uint32_t* pixels = target.Pixel(part.x1, py);
      for (int px = part.x1; px < part.x2; ++px, ++pixels) {
        const uint32_t a = row[px - box.left];
        if (!a) continue;
        uint32_t result = 0;
        for (int c = 0; c < 24; c += 8) {
          const uint32_t t = (color >> c) & 0xFF, d = (*pixels >> c) & 0xFF;
          result |= ((t * a + d * (255 - a) + 127) / 255) << c;
        }
        *pixels = result;
      }
    }
  }
}

// DrawText's work on UTF-8 text.
struct PreparedLine {
  std::string text;
  std::vector<std::pair<int, int>> underlines;
  int width = 0;
};

std::string EndEllipsis(FontObject& font, std::string text, int width) {
  while (!text.empty() && TextWidth(font, text + "...") > width) text.erase(PreviousChar(text, text.size()));
  return text + "...";
}

std::string PathEllipsis(FontObject& font, const std::string& text, int width) {
  const size_t slash = text.find_last_of("\\/");
  if (slash == std::string::npos) return EndEllipsis(font, text, width);
  std::string head = text.substr(0, slash);
  const std::string tail = text.substr(slash);
  while (!head.empty() && TextWidth(font, head + "..." + tail) > width) head.erase(PreviousChar(head, head.size()));
  std::string result = head + "..." + tail;
  if (TextWidth(font, result) > width) return EndEllipsis(font, "..." + tail, width);
  return result;
}

// Breaks a paragraph into lines no wider than `width` at spaces; a word wider than the
// line stays whole unless `breakWords`.
std::vector<std::string> WrapParagraph(FontObject& font, const std::string& paragraph, int width, bool breakWords) {
  std::vector<std::string> lines;
  std::string line;
  size_t i = 0;
  while (i < paragraph.size()) {
    size_t end = paragraph.find(' ', i);
    end = end == std::string::npos ? paragraph.size() : end + 1;
    const std::string word = paragraph.substr(i, end - i);
    std::string candidate = line + word;
    std::string trimmed = candidate;
    while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
    if (line.empty() || TextWidth(font, trimmed) <= width) {
      line = candidate;
    } else {
      while (!line.empty() && line.back() == ' ') line.pop_back();
      lines.push_back(line);
      line = word;
    }
    if (breakWords) {
      std::string stripped = line;
      while (!stripped.empty() && stripped.back() == ' ') stripped.pop_back();
      while (TextWidth(font, stripped) > width && stripped.size() > 1) {
        size_t cut = stripped.size();
        while (cut > 0 && TextWidth(font, stripped.substr(0, cut)) > width) cut = PreviousChar(stripped, cut);
        if (cut == 0) cut = NextChar(stripped, 0);
        lines.push_back(stripped.substr(0, cut));
        stripped = stripped.substr(cut);
        line = line.substr(cut);
      }
    }
    i = end;
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  lines.push_back(line);
  return lines;
}

// Removes '&' prefixes: "&&" gives "&", "&x" gives an underlined x (unless hidden).
std::string StripPrefixes(const std::string& text, bool show, std::vector<std::pair<int, int>>* underlines) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) {
      ++i;
      if (text[i] != '&' && show) {
        const size_t end = NextChar(text, i);
        underlines->emplace_back(static_cast<int>(out.size()), static_cast<int>(out.size() + end - i));
      }
    }
    out += text[i];
  }
  return out;
}

int DrawTextUtf8(HDC dc, const std::string& input, RECT* rect, UINT format, DRAWTEXTPARAMS* params) {
  std::lock_guard lock(g_textMutex);
  auto object = GetDc(dc);
  if (!object) return 0;
  if (!rect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  FontObject& font = MeasuredFont(*object->state.font);
  const int leftMargin = params ? params->iLeftMargin : 0, rightMargin = params ? params->iRightMargin : 0;
  RECT area{rect->left + leftMargin, rect->top, rect->right - rightMargin, rect->bottom};
  const int areaWidth = std::max<int>(area.right - area.left, 0);
  const bool singleLine = format & DT_SINGLELINE;
  const int lineHeight = font.ascent + font.descent;

  // Paragraphs, each with its own prefix underlines.
  std::vector<std::string> paragraphs;
  if (singleLine) {
    std::string line = input;
    for (char& c : line) {
      if (c == '\r' || c == '\n') c = ' ';
    }
    paragraphs.push_back(line);
  } else {
    std::string current;
    for (size_t i = 0; i < input.size(); ++i) {
      if (input[i] == '\r' || input[i] == '\n') {
        paragraphs.push_back(current);
        current.clear();
        if (input[i] == '\r' && i + 1 < input.size() && input[i + 1] == '\n') ++i;
      } else {
        current += input[i];
      }
    }
    paragraphs.push_back(current);
  }
  std::vector<PreparedLine> lines;
  for (const std::string& paragraph : paragraphs) {
    std::vector<std::string> pieces = {paragraph};
    if ((format & DT_WORDBREAK) && !singleLine) {
      pieces = WrapParagraph(font, paragraph, areaWidth, (format & DT_EDITCONTROL) != 0);
    }
    for (const std::string& piece : pieces) {
      PreparedLine line;
      if (format & DT_NOPREFIX) {
        line.text = piece;
      } else {
        line.text = StripPrefixes(piece, !(format & DT_HIDEPREFIX), &line.underlines);
      }
      line.width = TextWidth(font, line.text);
      if (line.width > areaWidth && (format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS))) {
        line.text = (format & DT_PATH_ELLIPSIS) ? PathEllipsis(font, line.text, areaWidth) : EndEllipsis(font, line.text, areaWidth);
        line.underlines.clear();
        line.width = TextWidth(font, line.text);
      }
      lines.push_back(std::move(line));
    }
  }
  // Wrapped text taller than the rectangle ends with an ellipsis on its last whole line.
  const bool ellipsis = format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS);
  const int fitting = std::max(1, static_cast<int>(area.bottom - area.top) / std::max(lineHeight, 1));
  if (ellipsis && (format & DT_WORDBREAK) && !singleLine && !(format & DT_CALCRECT) &&
      static_cast<int>(lines.size()) > fitting) {
    lines.resize(static_cast<size_t>(fitting));
    PreparedLine& last = lines.back();
    last.text = EndEllipsis(font, last.text + " ", areaWidth);
    if (last.text.size() >= 4 && last.text.compare(last.text.size() - 4, 4, " ...") == 0) last.text.erase(last.text.size() - 4, 1);
    last.underlines.clear();
    last.width = TextWidth(font, last.text);
  }
  int widest = 0;
  for (const auto& line : lines) widest = std::max(widest, line.width);
  const int textHeight = lineHeight * static_cast<int>(lines.size());
  if (params) params->uiLengthDrawn = static_cast<UINT>(input.size());

  if (format & DT_CALCRECT) {
    rect->right = rect->left + leftMargin + widest + rightMargin;
    rect->bottom = rect->top + textHeight;
    return textHeight;
  }
  int y = area.top;
  if (singleLine && (format & DT_VCENTER)) y = area.top + (area.bottom - area.top - textHeight) / 2;
  else if (singleLine && (format & DT_BOTTOM)) y = area.bottom - textHeight;
  DrawTarget target(*object);
  if (!target.Valid()) return 0;
  LineOptions options;
  options.opaque = object->state.bkMode == OPAQUE;
  const RECT clip = *rect;
  if (!(format & DT_NOCLIP)) options.clipRect = &clip;
  for (const auto& line : lines) {
    int x = area.left;
    if (format & DT_CENTER) x = area.left + (areaWidth - line.width) / 2;
    else if (format & DT_RIGHT) x = area.right - line.width;
    options.underlines = line.underlines;
    DrawLine(*object, target, line.text, x, y, options);
    y += lineHeight;
  }
  return y - rect->top;
}

}  // namespace

FontObject::~FontObject() {
  if (description) pango_font_description_free(static_cast<PangoFontDescription*>(description));
}

FontObject& MeasuredFont(FontObject& font) {
  std::lock_guard lock(g_textMutex);
  if (font.measured) return font;
  font.family = MatchFamily(platform::Utf16ToUtf8(font.logFont.lfFaceName), font.logFont.lfPitchAndFamily);
  // Negative heights give the character (em) height; positive ones the cell height.
  const LONG requested = font.logFont.lfHeight == 0 ? -12 : font.logFont.lfHeight;
  double em = std::abs(requested);
  if (requested > 0) {
    const PangoFontDescriptionPtr probe(Describe(font, 100));
    double ascent, descent;
    CellMetrics(probe.get(), &ascent, &descent);
    em = requested * 100.0 / std::max(ascent + descent, 1.0);
  }
  auto* description = Describe(font, em);
  double ascent, descent;
  CellMetrics(description, &ascent, &descent);
  font.description = description;
  font.emHeight = static_cast<int>(std::lround(em));
  font.ascent = static_cast<int>(std::ceil(ascent - 0.01));
  font.descent = static_cast<int>(std::ceil(descent - 0.01));
  if (requested > 0) font.descent = std::max(0, static_cast<int>(requested) - font.ascent);
  const PangoFontMetricsRef metrics(pango_context_get_metrics(ThreadContext(), description, nullptr));
  font.averageWidth = std::max(1, static_cast<int>(std::lround(pango_font_metrics_get_approximate_char_width(metrics.get()) / double(PANGO_SCALE))));
  font.measured = true;
  return font;
}

}  // namespace platform::detail

using namespace platform::detail;

// ---- fonts -----------------------------------------------------------------------------------

HFONT CreateFontIndirectW(const LOGFONTW* logFont) {
  if (!logFont) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto font = std::make_shared<FontObject>();
  font->logFont = *logFont;
  font->logFont.lfFaceName[LF_FACESIZE - 1] = 0;
  return reinterpret_cast<HFONT>(AddGdiObject(std::move(font)));
}

HFONT CreateFontIndirectA(const LOGFONTA* logFont) {
  if (!logFont) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  LOGFONTW wide{};
  std::memcpy(&wide, logFont, offsetof(LOGFONTA, lfFaceName));
  const std::string face(logFont->lfFaceName, strnlen(logFont->lfFaceName, LF_FACESIZE));
  std::u16string name = platform::Utf8ToUtf16(face);
  if (name.size() >= LF_FACESIZE) name.resize(LF_FACESIZE - 1);
  std::memcpy(wide.lfFaceName, name.c_str(), (name.size() + 1) * sizeof(char16_t));
  return CreateFontIndirectW(&wide);
}

static LOGFONTW MakeLogFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                            DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                            DWORD quality, DWORD pitchAndFamily) {
  LOGFONTW font{};
  font.lfHeight = height;
  font.lfWidth = width;
  font.lfEscapement = escapement;
  font.lfOrientation = orientation;
  font.lfWeight = weight;
  font.lfItalic = static_cast<BYTE>(italic != 0);
  font.lfUnderline = static_cast<BYTE>(underline != 0);
  font.lfStrikeOut = static_cast<BYTE>(strikeOut != 0);
  font.lfCharSet = static_cast<BYTE>(charSet);
  font.lfOutPrecision = static_cast<BYTE>(outPrecision);
  font.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  font.lfQuality = static_cast<BYTE>(quality);
  font.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  return font;
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCWSTR face) {
  LOGFONTW font = MakeLogFont(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                              outPrecision, clipPrecision, quality, pitchAndFamily);
  std::u16string name = face ? std::u16string(face) : std::u16string();
  if (name.size() >= LF_FACESIZE) name.resize(LF_FACESIZE - 1);
  std::memcpy(font.lfFaceName, name.c_str(), (name.size() + 1) * sizeof(char16_t));
  return CreateFontIndirectW(&font);
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCSTR face) {
  const std::u16string name = platform::Utf8ToUtf16(face ? face : "");
  return CreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet, outPrecision,
                     clipPrecision, quality, pitchAndFamily, name.c_str());
}

// ---- output ----------------------------------------------------------------------------------

static std::string FromWide(LPCWSTR text, int length) {
  if (!text) return {};
  const size_t count = length < 0 ? std::char_traits<char16_t>::length(text) : static_cast<size_t>(length);
  return platform::Utf16ToUtf8(std::u16string_view(text, count));
}

static std::string FromAnsi(LPCSTR text, int length) {
  if (!text) return {};
  return length < 0 ? std::string(text) : std::string(text, static_cast<size_t>(length));
}

static BOOL TextOutUtf8(HDC dc, int x, int y, UINT options, const RECT* rect, const std::string& text) {
  std::lock_guard lock(g_textMutex);
  auto object = GetDc(dc);
  if (!object) return FALSE;
  DrawTarget target(*object);
  if (!target.Valid()) return FALSE;
  DcState& state = object->state;
  if (state.textAlign & TA_UPDATECP) {
    x = state.position.x;
    y = state.position.y;
  }
  LineOptions line;
  line.align = state.textAlign;
  if (rect && (options & ETO_OPAQUE)) {
    // ETO_OPAQUE fills the rectangle whatever the background mode.
    PaintRegion(target, Region(ToDeviceRect(state, *rect)), ColorPaint(state.bkColor), R2_COPYPEN);
  } else {
    line.opaque = state.bkMode == OPAQUE;
  }
  if (rect && (options & ETO_CLIPPED)) line.clipRect = rect;
  DrawLine(*object, target, text, x, y, line);
  if (state.textAlign & TA_UPDATECP) state.position.x += TextWidth(MeasuredFont(*state.font), text);
  return TRUE;
}

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
  if (!text && length > 0) return FALSE;
  return TextOutUtf8(dc, x, y, 0, nullptr, FromAnsi(text, std::max(length, 0)));
}

BOOL TextOutW(HDC dc, int x, int y, LPCWSTR text, int length) {
  if (!text && length > 0) return FALSE;
  return TextOutUtf8(dc, x, y, 0, nullptr, FromWide(text, std::max(length, 0)));
}

BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT length, const INT*) {
  return TextOutUtf8(dc, x, y, options, rect, FromAnsi(text, static_cast<int>(length)));
}

BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT length, const INT*) {
  return TextOutUtf8(dc, x, y, options, rect, FromWide(text, static_cast<int>(length)));
}

int DrawTextA(HDC dc, LPCSTR text, int length, RECT* rect, UINT format) {
  return DrawTextUtf8(dc, FromAnsi(text, length), rect, format, nullptr);
}

int DrawTextW(HDC dc, LPCWSTR text, int length, RECT* rect, UINT format) {
  return DrawTextUtf8(dc, FromWide(text, length), rect, format, nullptr);
}

int DrawTextExA(HDC dc, LPSTR text, int length, RECT* rect, UINT format, DRAWTEXTPARAMS* params) {
  return DrawTextUtf8(dc, FromAnsi(text, length), rect, format & ~DT_MODIFYSTRING, params);
}

int DrawTextExW(HDC dc, LPWSTR text, int length, RECT* rect, UINT format, DRAWTEXTPARAMS* params) {
  return DrawTextUtf8(dc, FromWide(text, length), rect, format & ~DT_MODIFYSTRING, params);
}

// ---- measurement -----------------------------------------------------------------------------

static BOOL ExtentUtf8(HDC dc, const std::string& text, SIZE* size) {
  std::lock_guard lock(g_textMutex);
  auto object = GetDc(dc);
  if (!object || !size) return FALSE;
  FontObject& font = MeasuredFont(*object->state.font);
  size->cx = TextWidth(font, text);
  size->cy = font.ascent + font.descent;
  return TRUE;
}

BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, SIZE* size) {
  if (!text && length > 0) return FALSE;
  return ExtentUtf8(dc, FromAnsi(text, std::max(length, 0)), size);
}

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int length, SIZE* size) {
  if (!text && length > 0) return FALSE;
  return ExtentUtf8(dc, FromWide(text, std::max(length, 0)), size);
}

// Extents after each unit of `text` (bytes for UTF-8, code units for UTF-16).
static BOOL ExtentEx(HDC dc, const std::string& text, const std::vector<size_t>& unitEnds, int maxExtent, INT* fit, INT* dx,
                     SIZE* size) {
  std::lock_guard lock(g_textMutex);
  auto object = GetDc(dc);
  if (!object) return FALSE;
  FontObject& font = MeasuredFont(*object->state.font);
  LayoutPtr layout = MakeLayout(font, text);
  int fitted = 0;
  for (size_t i = 0; i < unitEnds.size(); ++i) {
    // The extent after a unit is the leading edge of the next character.
    int extent;
    if (unitEnds[i] >= text.size()) {
      extent = LayoutWidth(layout.get());
    } else {
      PangoRectangle position;
      pango_layout_index_to_pos(layout.get(), static_cast<int>(unitEnds[i]), &position);
      extent = PANGO_PIXELS(position.x);
    }
    if (dx) dx[i] = extent;
    if (extent <= maxExtent && fitted == static_cast<int>(i)) ++fitted;
  }
  if (fit) *fit = fitted;
  if (size) {
    size->cx = text.empty() ? 0 : LayoutWidth(layout.get());
    size->cy = font.ascent + font.descent;
  }
  return TRUE;
}

BOOL GetTextExtentExPointA(HDC dc, LPCSTR text, int length, int maxExtent, INT* fit, INT* dx, SIZE* size) {
  if ((!text && length > 0) || length < 0) return FALSE;
  const std::string utf8 = FromAnsi(text, length);
  std::vector<size_t> ends;
  for (size_t i = 0; i < utf8.size(); ++i) {
    // Every byte of a character ends where its character ends.
    size_t start = i;
    while (start > 0 && (static_cast<unsigned char>(utf8[start]) & 0xC0) == 0x80) --start;
    ends.push_back(NextChar(utf8, start));
  }
  return ExtentEx(dc, utf8, ends, maxExtent, fit, dx, size);
}

BOOL GetTextExtentExPointW(HDC dc, LPCWSTR text, int length, int maxExtent, INT* fit, INT* dx, SIZE* size) {
  if ((!text && length > 0) || length < 0) return FALSE;
  std::vector<size_t> ends;
  std::string utf8;
  for (int i = 0; i < length; ++i) {
    const bool pair = text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < length;
    utf8 += platform::Utf16ToUtf8(std::u16string_view(text + i, pair ? 2 : 1));
    ends.push_back(utf8.size());
    if (pair) {
      ends.push_back(utf8.size());
      ++i;
    }
  }
  return ExtentEx(dc, utf8, ends, maxExtent, fit, dx, size);
}

template <typename Metrics>
static BOOL FillMetrics(HDC dc, Metrics* metrics) {
  std::lock_guard lock(g_textMutex);
  auto object = GetDc(dc);
  if (!object || !metrics) return FALSE;
  FontObject& font = MeasuredFont(*object->state.font);
  *metrics = Metrics{};
  metrics->tmAscent = font.ascent;
  metrics->tmDescent = font.descent;
  metrics->tmHeight = font.ascent + font.descent;
  metrics->tmInternalLeading = std::max(0, metrics->tmHeight - font.emHeight);
  metrics->tmExternalLeading = 0;
  metrics->tmAveCharWidth = font.averageWidth;
  const int wide = TextWidth(font, "W");
  const int narrow = TextWidth(font, "i");
  metrics->tmMaxCharWidth = std::max(wide, TextWidth(font, "M"));
  metrics->tmWeight = font.logFont.lfWeight == FW_DONTCARE ? FW_NORMAL : font.logFont.lfWeight;
  metrics->tmDigitizedAspectX = 96;
  metrics->tmDigitizedAspectY = 96;
  metrics->tmFirstChar = 32;
  metrics->tmLastChar = 255;
  metrics->tmDefaultChar = '?';
  metrics->tmBreakChar = ' ';
  metrics->tmItalic = font.logFont.lfItalic;
  metrics->tmUnderlined = font.logFont.lfUnderline;
  metrics->tmStruckOut = font.logFont.lfStrikeOut;
  // The "fixed pitch" bit is set for variable-pitch fonts, as documented.
  metrics->tmPitchAndFamily = static_cast<BYTE>(TMPF_TRUETYPE | (wide != narrow ? TMPF_FIXED_PITCH : 0) |
                                                (wide != narrow ? FF_SWISS : FF_MODERN));
  metrics->tmCharSet = font.logFont.lfCharSet;
  return TRUE;
}

BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics) { return FillMetrics(dc, metrics); }
BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics) { return FillMetrics(dc, metrics); }

BOOL GetCharWidth32W(HDC dc, UINT first, UINT last, INT* widths) {
  std::lock_guard lock(g_textMutex);
  auto object = GetDc(dc);
  if (!object || !widths || last < first || last > 0x10FFFF) {
    if (object) SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  FontObject& font = MeasuredFont(*object->state.font);
  for (UINT c = first; c <= last; ++c) {
      std::string utf8;
    if (c < 0x80) utf8 = std::string(1, static_cast<char>(c));
    else if (c < 0x800) utf8 = {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
    else if (c < 0x10000)
      utf8 = {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
    else
      utf8 = {static_cast<char>(0xF0 | (c >> 18)), static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
              static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
    widths[c - first] = TextWidth(font, utf8);
  }
  return TRUE;
}

// ANSI character codes are those of the code page, Latin-1 compatible up to 255.
BOOL GetCharWidth32A(HDC dc, UINT first, UINT last, INT* widths) { return GetCharWidth32W(dc, first, last, widths); }

int GetTextFaceW(HDC dc, int count, LPWSTR face) {
  auto object = GetDc(dc);
  if (!object) return 0;
  const std::u16string name = object->state.font->logFont.lfFaceName;
  if (!face) return static_cast<int>(name.size() + 1);
  if (count <= 0) return 0;
  const size_t copied = std::min<size_t>(name.size(), static_cast<size_t>(count - 1));
  std::memcpy(face, name.data(), copied * sizeof(char16_t));
  face[copied] = 0;
  return static_cast<int>(copied);
}

int GetTextFaceA(HDC dc, int count, LPSTR face) {
  auto object = GetDc(dc);
  if (!object) return 0;
  const std::string name = platform::Utf16ToUtf8(object->state.font->logFont.lfFaceName);
  if (!face) return static_cast<int>(name.size() + 1);
  if (count <= 0) return 0;
  const size_t copied = std::min<size_t>(name.size(), static_cast<size_t>(count - 1));
  std::memcpy(face, name.data(), copied);
  face[copied] = 0;
  return static_cast<int>(copied);
}
