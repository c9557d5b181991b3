#include "tools/skingen/SkinGenerator.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "tools/skingen/CairoImage.h"
#include "tools/skingen/Png.h"
#include "tools/skingen/Recipes.h"

namespace skingen {

namespace {

namespace fs = std::filesystem;

// Where a part's states lie: the sheet and the top of its row.
struct Placement {
  std::string sheet;
  int top = 0;
};

struct Sheet {
  std::string name;
  int width = 0, height = 0;
  std::vector<const PartSpec*> rows;
};

std::string Key(const std::string& item, int id) { return item + "\n" + std::to_string(id); }

// Lays the parts that draw images into rows of their sheets, in manifest order.
void Layout(const Manifest& manifest, std::vector<Sheet>& sheets, std::map<std::string, Placement>& placements) {
  for (const FileSpec& file : manifest.files) {
    for (const ItemSpec& item : file.items) {
      for (const PartSpec& part : item.parts) {
        if (!part.HasImage() || !part.sameItem.empty()) continue;
        auto sheet = std::find_if(sheets.begin(), sheets.end(), [&](const Sheet& s) { return s.name == part.sheet; });
        if (sheet == sheets.end()) sheet = sheets.insert(sheets.end(), Sheet{part.sheet, 0, 0, {}});
        placements[Key(item.name, part.id)] = Placement{part.sheet, sheet->height};
        sheet->rows.push_back(&part);
        sheet->width = std::max(sheet->width, part.width * static_cast<int>(part.states.size()));
        sheet->height += part.height;
      }
    }
  }
  for (const FileSpec& file : manifest.files) {
    for (const ItemSpec& item : file.items) {
      for (const PartSpec& part : item.parts) {
        if (!part.sameItem.empty()) placements[Key(item.name, part.id)] = placements.at(Key(part.sameItem, part.sameId));
      }
    }
  }
}

RgbaImage DrawSheet(const Manifest& manifest, const Sheet& sheet) {
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, sheet.width, sheet.height), cairo_surface_destroy);
  ContextPtr cr(cairo_create(surface.get()), cairo_destroy);
  int top = 0;
  for (const PartSpec* part : sheet.rows) {
    for (size_t state = 0; state < part->states.size(); ++state) {
      cairo_save(cr.get());
      cairo_translate(cr.get(), double(state) * part->width, top);
      cairo_rectangle(cr.get(), 0, 0, part->width, part->height);
      cairo_clip(cr.get());
      DrawState(cr.get(), manifest, *part, state);
      cairo_restore(cr.get());
    }
    top += part->height;
  }
  if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error("cannot draw the sheet \"" + sheet.name + "\": " + cairo_status_to_string(cairo_status(cr.get())));
  }
  return SurfaceToRgba(surface.get());
}


// Copies the source rectangle of a sheet into a target rectangle, stretched.
void Blit(cairo_t* cr, cairo_surface_t* sheet, double sx, double sy, double sw, double sh, double dx, double dy,
          double dw, double dh) {
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
  cairo_save(cr);
  cairo_rectangle(cr, dx, dy, dw, dh);
  cairo_clip(cr);
  cairo_translate(cr, dx, dy);
  cairo_scale(cr, dw / sw, dh / sh);
  cairo_set_source_surface(cr, sheet, -sx, -sy);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_paint(cr);
  cairo_restore(cr);
}

// A state drawn into a target rectangle with its nine-grid margins, as the skin draws it.
void DrawNineGrid(cairo_t* cr, cairo_surface_t* sheet, const PartSpec& part, int top, size_t state, double dx, double dy,
                  double dw, double dh) {
  const Margins g = part.grid.value_or(Margins{});
  const double sx = double(state) * part.width, sy = top, sw = part.width, sh = part.height;
  const double xs[4] = {0, double(g.left), sw - g.right, sw}, ys[4] = {0, double(g.top), sh - g.bottom, sh};
  const double xd[4] = {0, double(g.left), dw - g.right, dw}, yd[4] = {0, double(g.top), dh - g.bottom, dh};
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      Blit(cr, sheet, sx + xs[column], sy + ys[row], xs[column + 1] - xs[column], ys[row + 1] - ys[row], dx + xd[column],
           dy + yd[row], xd[column + 1] - xd[column], yd[row + 1] - yd[row]);
    }
  }
}

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string MarginAttributes(const Margins& m) {
  return "Left=\"" + std::to_string(m.left) + "\" Top=\"" + std::to_string(m.top) + "\" Right=\"" +
         std::to_string(m.right) + "\" Bottom=\"" + std::to_string(m.bottom) + "\"";
}

std::string FontElement(const Manifest& manifest, const std::string& color, bool bold) {
  return "<Font Color=\"" + manifest.Color(color).ToSkinColor() + "\"" + (bold ? " Style=\"bold\"" : "") + "/>";
}

void WritePart(std::ostream& out, const Manifest& manifest, const PartSpec& part, const Placement* placement) {
  out << "    <Part id=\"" << part.id << "\"";
  if (!part.name.empty()) out << " Name=\"" << Escape(part.name) << "\"";
  if (part.HasImage()) out << " FillMode=\"" << part.fill << "\" TransparentMode=\"Alpha\"";
  out << ">\n";
  if (part.font) out << "      " << FontElement(manifest, *part.font, part.bold) << "\n";
  if (part.position) {
    const PartPosition& p = *part.position;
    out << "      <Position RelPos=\"" << p.relPos << "\" X=\"" << p.x << "\" Y=\"" << p.y << "\" X2=\"" << p.x2
        << "\" Y2=\"" << p.y2 << "\" Width=\"" << p.width << "\" Height=\"" << p.height << "\"/>\n";
  }
  if (part.margins) out << "      <Margins " << MarginAttributes(*part.margins) << "/>\n";
  if (part.shape) {
    out << "      <Shape type=\"" << Escape(part.shape->type) << "\" width=\"" << part.shape->width << "\" height=\""
        << part.shape->height << "\"/>\n";
  }
  if (placement) out << "      <Graphic Name=\"" << Escape(placement->sheet) << ".png\"/>\n";
  for (size_t i = 0; i < part.states.size(); ++i) {
    std::vector<std::string> children;
    if (part.grid && !part.grid->IsEmpty()) children.push_back("<Margins " + MarginAttributes(*part.grid) + "/>");
    if (!part.fonts.empty()) children.push_back(FontElement(manifest, part.fonts[i], part.bold));
    if (part.color) children.push_back("<Color>" + manifest.Color(*part.color).ToSkinColor() + "</Color>");
    if (part.align) children.push_back("<Alignment>" + std::to_string(*part.align) + "</Alignment>");
    out << "      <State";
    if (placement) {
      out << " Left=\"" << i * part.width << "\" Top=\"" << placement->top << "\" Width=\"" << part.width
          << "\" Height=\"" << part.height << "\"";
    }
    if (children.empty()) {
      out << "/>\n";
      continue;
    }
    out << ">\n";
    for (const std::string& child : children) out << "        " << child << "\n";
    out << "      </State>\n";
  }
  out << "    </Part>\n";
}

std::string SkinFileText(const Manifest& manifest, const FileSpec& file, const std::map<std::string, Placement>& placements) {
  std::ostringstream out;
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out << "<!-- Drawn by tools/skingen from its manifest: change the manifest and run the generator again. -->\n";
  out << "<Skin>\n";
  for (const ItemSpec& item : file.items) {
    out << "  <Item name=\"" << Escape(item.name) << "\">\n";
    for (const PartSpec& part : item.parts) {
      const auto found = placements.find(Key(item.name, part.id));
      WritePart(out, manifest, part, found == placements.end() ? nullptr : &found->second);
    }
    out << "  </Item>\n";
  }
  out << "</Skin>\n";
  return out.str();
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  out.close();
  if (!out) throw std::runtime_error("cannot write \"" + path.string() + "\"");
}

}  // namespace

namespace {

std::string HexColor(const Rgba& c) {
  auto channel = [](double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", channel(c.r), channel(c.g), channel(c.b));
  return text;
}

}  // namespace

// The desktop's system colours in the skin's palette: faces and menus the window colour,
// shadows the border, the dark shadow darker, highlights the accent with white text, text the
// text colour, grey text the secondary one, windows and tooltips white.
std::string SystemColorsText(const Manifest& m) {
  const std::pair<const char*, const char*> keys[] = {
      {"SCROLLBAR", "window"},
      {"BACKGROUND", "window"},
      {"ACTIVECAPTION", "accent"},
      {"INACTIVECAPTION", "border"},
      {"MENU", "window"},
      {"WINDOW", "white"},
      {"WINDOWFRAME", "border-strong"},
      {"MENUTEXT", "text"},
      {"WINDOWTEXT", "text"},
      {"CAPTIONTEXT", "white"},
      {"ACTIVEBORDER", "border"},
      {"INACTIVEBORDER", "border"},
      {"APPWORKSPACE", "window"},
      {"HIGHLIGHT", "accent"},
      {"HIGHLIGHTTEXT", "white"},
      {"BTNFACE", "window"},
      {"BTNSHADOW", "border"},
      {"GRAYTEXT", "text-secondary"},
      {"BTNTEXT", "text"},
      {"INACTIVECAPTIONTEXT", "text-secondary"},
      {"BTNHIGHLIGHT", "white"},
      {"3DDKSHADOW", "border-strong"},
      {"3DLIGHT", "subtle"},
      {"INFOTEXT", "text"},
      {"INFOBK", "white"},
      {"HOTLIGHT", "accent"},
      {"GRADIENTACTIVECAPTION", "accent-hot"},
      {"GRADIENTINACTIVECAPTION", "divider"},
      {"MENUHILIGHT", "accent"},
      {"MENUBAR", "window"},
  };
  std::string text =
      "; The desktop's system colours while this skin is loaded, one key per colour (written by skingen\n"
      "; from the palette of skin-manifest.txt).\n[SystemColors]\n";
  for (const auto& [key, color] : keys) text += std::string(key) + "=" + HexColor(m.Color(color)) + "\n";
  return text;
}

std::vector<std::string> GenerateSkin(const Manifest& manifest, const std::string& folder) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) throw std::runtime_error("cannot create the folder \"" + folder + "\": " + error.message());
  std::vector<Sheet> sheets;
  std::map<std::string, Placement> placements;
  Layout(manifest, sheets, placements);
  std::vector<std::string> written;
  for (const FileSpec& file : manifest.files) {
    const std::string name = file.name + ".xml";
    WriteText(fs::path(folder) / name, SkinFileText(manifest, file, placements));
    written.push_back(name);
  }
  for (const Sheet& sheet : sheets) {
    const std::string name = sheet.name + ".png";
    WritePng((fs::path(folder) / name).string(), DrawSheet(manifest, sheet));
    written.push_back(name);
  }
  WriteText(fs::path(folder) / "SystemColors.ini", SystemColorsText(manifest));
  written.push_back("SystemColors.ini");
  return written;
}

void WriteContactSheet(const Manifest& manifest, const std::string& skinFolder, const std::string& path) {
  std::vector<Sheet> sheets;
  std::map<std::string, Placement> placements;
  Layout(manifest, sheets, placements);
  std::map<std::string, SurfacePtr> pictures;
  for (const Sheet& sheet : sheets) {
    pictures.emplace(sheet.name, RgbaToSurface(ReadPng((fs::path(skinFolder) / (sheet.name + ".png")).string())));
  }
  // Below the sheets, every window frame as a small window, inactive and active, with its
  // caption buttons in their places.
  std::vector<const ItemSpec*> windows;
  for (const FileSpec& file : manifest.files) {
    for (const ItemSpec& item : file.items) {
      if (!item.parts.empty() && item.parts[0].margins && item.parts[0].HasImage() && item.parts[0].grid) windows.push_back(&item);
    }
  }
  constexpr int kScale = 2, kGap = 12, kWindowWidth = 300, kWindowHeight = 110;
  int width = 2 * kWindowWidth * kScale + 3 * kGap, height = kGap;
  for (const Sheet& sheet : sheets) {
    width = std::max(width, 2 * sheet.width * kScale + 3 * kGap);
    height += sheet.height * kScale + kGap;
  }
  height += int(windows.size()) * (kWindowHeight * kScale + kGap);
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height), cairo_surface_destroy);
  ContextPtr owner(cairo_create(surface.get()), cairo_destroy);
  cairo_t* cr = owner.get();
  cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
  cairo_paint(cr);
  int top = kGap;
  for (const Sheet& sheet : sheets) {
    const char* backgrounds[2] = {"window", "surface"};
    for (int i = 0; i < 2; ++i) {
      const double left = kGap + i * (sheet.width * kScale + kGap);
      const Rgba& back = manifest.Color(backgrounds[i]);
      cairo_rectangle(cr, left, top, sheet.width * kScale, sheet.height * kScale);
      cairo_set_source_rgb(cr, back.r, back.g, back.b);
      cairo_fill(cr);
      Blit(cr, pictures.at(sheet.name).get(), 0, 0, sheet.width, sheet.height, left, top, sheet.width * kScale,
           sheet.height * kScale);
    }
    top += sheet.height * kScale + kGap;
  }
  for (const ItemSpec* item : windows) {
    for (size_t state = 0; state < 2 && state < item->parts[0].states.size(); ++state) {
      cairo_save(cr);
      cairo_translate(cr, kGap + state * (kWindowWidth * kScale + kGap), top);
      cairo_scale(cr, kScale, kScale);
      const auto draw = [&](const PartSpec& part, size_t index, double x, double y, double w, double h) {
        const Placement& at = placements.at(Key(item->name, part.id));
        DrawNineGrid(cr, pictures.at(at.sheet).get(), part, at.top, index, x, y, w, h);
      };
      draw(item->parts[0], state, 0, 0, kWindowWidth, kWindowHeight);
      for (const PartSpec& part : item->parts) {
        if (part.id < 3 || part.id > 6 || !part.position || part.position->relPos != 1 || !part.HasImage()) continue;
        if (part.id == 3) continue;  // restore shares the maximize button's place
        const PartPosition& p = *part.position;
        draw(part, part.id == 6 && state == 1 ? 1 : 0, kWindowWidth - p.x - p.width, p.y, p.width, p.height);
      }
      cairo_restore(cr);
    }
    top += kWindowHeight * kScale + kGap;
  }
  WritePng(path, SurfaceToRgba(surface.get()));
}

}  // namespace skingen
