#include "tools/skingen/Manifest.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

namespace skingen {

namespace {

std::vector<std::string> Split(const std::string& text, char delimiter) {
  std::vector<std::string> pieces;
  std::string piece;
  std::istringstream in(text);
  while (std::getline(in, piece, delimiter)) pieces.push_back(piece);
  if (!text.empty() && text.back() == delimiter) pieces.emplace_back();
  return pieces;
}

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  std::string word;
  while (in >> word) words.push_back(word);
  return words;
}

class Reader {
 public:
  Reader(std::string origin) : m_origin(std::move(origin)) {}

  [[noreturn]] void Fail(const std::string& message) const {
    throw ManifestError(m_origin + ":" + std::to_string(m_line) + ": " + message);
  }

  void SetLine(int line) { m_line = line; }

  int Integer(const std::string& text, const std::string& what) const {
    try {
      size_t used = 0;
      const int value = std::stoi(text, &used);
      if (used == text.size()) return value;
    } catch (const std::exception&) {
    }
    Fail(what + " is not a whole number: \"" + text + "\"");
  }

  double Number(const std::string& text, const std::string& what) const {
    try {
      size_t used = 0;
      const double value = std::stod(text, &used);
      if (used == text.size() && std::isfinite(value)) return value;
    } catch (const std::exception&) {
    }
    Fail(what + " is not a number: \"" + text + "\"");
  }

  std::vector<int> Integers(const std::string& text, size_t count, const std::string& what) const {
    const std::vector<std::string> pieces = Split(text, ',');
    if (pieces.size() != count) Fail(what + " needs " + std::to_string(count) + " comma-separated values: \"" + text + "\"");
    std::vector<int> values;
    for (const std::string& piece : pieces) values.push_back(Integer(piece, what));
    return values;
  }

  Margins MarginValues(const std::string& text, const std::string& what) const {
    const std::vector<int> v = Integers(text, 4, what);
    for (int value : v) {
      if (value < 0) Fail(what + " may not be negative: \"" + text + "\"");
    }
    return {v[0], v[1], v[2], v[3]};
  }

  Rgba ColorValue(const std::string& text, const std::map<std::string, Rgba>& palette) const {
    if (!text.empty() && text[0] == '#') {
      if (text.size() != 7 && text.size() != 9) Fail("colour \"" + text + "\" is not #RRGGBB or #RRGGBBAA");
      unsigned channels[4] = {0, 0, 0, 255};
      for (size_t i = 0; i + 1 < text.size(); i += 2) {
        const std::string pair = text.substr(i + 1, 2);
        char* end = nullptr;
        const unsigned long value = std::strtoul(pair.c_str(), &end, 16);
        if (end != pair.c_str() + 2) Fail("colour \"" + text + "\" has a digit that is not hexadecimal");
        channels[i / 2] = static_cast<unsigned>(value);
      }
      return {channels[0] / 255.0, channels[1] / 255.0, channels[2] / 255.0, channels[3] / 255.0};
    }
    // OTHER@PERCENT/BACKGROUND: OTHER at that opacity over BACKGROUND, as one opaque colour.
    const size_t at = text.find('@');
    const size_t slash = text.find('/');
    if (at == std::string::npos || slash == std::string::npos || slash < at) {
      Fail("colour \"" + text + "\" is neither #RRGGBB nor NAME@PERCENT/NAME");
    }
    const Rgba& over = Named(text.substr(0, at), palette);
    const double share = Number(text.substr(at + 1, slash - at - 1), "opacity") / 100.0;
    if (share < 0 || share > 1) Fail("opacity of \"" + text + "\" lies outside 0 to 100");
    const Rgba& under = Named(text.substr(slash + 1), palette);
    auto mix = [&](double a, double b) { return std::round((a * share + b * (1 - share)) * 255) / 255; };
    return {mix(over.r, under.r), mix(over.g, under.g), mix(over.b, under.b), 1};
  }

  const Rgba& Named(const std::string& name, const std::map<std::string, Rgba>& palette) const {
    const auto found = palette.find(name);
    if (found == palette.end()) Fail("no colour named \"" + name + "\" above this line");
    return found->second;
  }

 private:
  std::string m_origin;
  int m_line = 0;
};

const std::set<std::string> kFillKeywords = {"stretch", "none", "center", "tile", "HCenterTile", "VCenterTile"};

PartSpec ReadPart(const Reader& reader, const std::vector<std::string>& words, const Manifest& manifest,
                  const ItemSpec& item, int line) {
  PartSpec part;
  part.line = line;
  if (words.size() < 2) reader.Fail("a part needs an id");
  part.id = reader.Integer(words[1], "part id");
  part.sheet = item.name;
  part.states = {"normal"};
  std::set<std::string> seen;
  for (size_t i = 2; i < words.size(); ++i) {
    const size_t equals = words[i].find('=');
    if (equals == std::string::npos || equals == 0) reader.Fail("\"" + words[i] + "\" is not key=value");
    const std::string key = words[i].substr(0, equals);
    const std::string value = words[i].substr(equals + 1);
    if (!seen.insert(key).second) reader.Fail("key \"" + key + "\" given twice");
    if (key == "name") {
      part.name = value;
    } else if (key == "draw") {
      part.draw = value;
    } else if (key == "sheet") {
      part.sheet = value;
    } else if (key == "size") {
      const size_t x = value.find('x');
      if (x == std::string::npos) reader.Fail("size \"" + value + "\" is not WIDTHxHEIGHT");
      part.width = reader.Integer(value.substr(0, x), "width");
      part.height = reader.Integer(value.substr(x + 1), "height");
      if (part.width <= 0 || part.height <= 0) reader.Fail("size \"" + value + "\" is empty");
    } else if (key == "states") {
      part.states = value == "none" ? std::vector<std::string>{} : Split(value, ',');
    } else if (key == "grid") {
      part.grid = reader.MarginValues(value, "grid");
    } else if (key == "margins") {
      part.margins = reader.MarginValues(value, "margins");
    } else if (key == "fill") {
      if (!kFillKeywords.count(value)) reader.Fail("unknown fill \"" + value + "\"");
      part.fill = value;
    } else if (key == "font") {
      reader.Named(value, manifest.palette);
      part.font = value;
    } else if (key == "bold") {
      part.bold = reader.Integer(value, "bold") != 0;
    } else if (key == "fonts") {
      part.fonts = Split(value, ',');
      for (const std::string& name : part.fonts) reader.Named(name, manifest.palette);
    } else if (key == "color") {
      reader.Named(value, manifest.palette);
      part.color = value;
    } else if (key == "align") {
      part.align = reader.Integer(value, "align");
    } else if (key == "pos") {
      const std::vector<int> v = reader.Integers(value, 7, "pos");
      part.position = PartPosition{v[0], v[1], v[2], v[3], v[4], v[5], v[6]};
    } else if (key == "shape") {
      const std::vector<std::string> pieces = Split(value, ',');
      if (pieces.size() != 3) reader.Fail("shape needs type,width,height: \"" + value + "\"");
      part.shape = PartShape{pieces[0], reader.Integer(pieces[1], "shape width"), reader.Integer(pieces[2], "shape height")};
    } else if (key == "same") {
      const size_t colon = value.find(':');
      if (colon == std::string::npos) reader.Fail("same \"" + value + "\" is not ITEM:ID");
      part.sameItem = value.substr(0, colon);
      part.sameId = reader.Integer(value.substr(colon + 1), "same id");
    } else {
      part.args[key] = value;
    }
  }
  if (!part.sameItem.empty()) {
    const PartSpec* source = manifest.FindPart(part.sameItem, part.sameId);
    if (!source) reader.Fail("same names " + part.sameItem + ":" + std::to_string(part.sameId) + ", which is not above this line");
    if (!source->HasImage()) reader.Fail("same names a part without images");
    if (!part.draw.empty()) reader.Fail("a part with same= draws nothing of its own (draw=)");
    // The copy shows the source's images: its sheet, size, states, grid and recipe.
    part.draw = source->draw;
    part.sheet = source->sheet;
    part.width = source->width;
    part.height = source->height;
    if (!seen.count("states")) part.states = source->states;
    if (part.states.size() != source->states.size()) reader.Fail("same needs as many states as its source");
    if (!part.grid) part.grid = source->grid;
    for (const auto& [key, value] : source->args) part.args.emplace(key, value);
  } else if (part.draw.empty()) {
    reader.Fail("part " + std::to_string(part.id) + " names no recipe (draw=) and no part to show (same=)");
  } else if (part.HasImage() && (part.width <= 0 || part.states.empty())) {
    reader.Fail("part " + std::to_string(part.id) + " draws images but has no size or no states");
  }
  if (!part.fonts.empty() && part.fonts.size() != part.states.size()) {
    reader.Fail("fonts gives " + std::to_string(part.fonts.size()) + " colours for " +
                std::to_string(part.states.size()) + " states");
  }
  // The middle of a nine-grid is what stretches: a grid that covers a whole side of the state
  // would leave the stretched control with a gap there.
  if (part.HasImage() && part.grid && !part.grid->IsEmpty() &&
      (part.grid->left + part.grid->right >= part.width || part.grid->top + part.grid->bottom >= part.height)) {
    reader.Fail("grid leaves nothing of the " + std::to_string(part.width) + "x" + std::to_string(part.height) +
                " state to stretch");
  }
  if (part.HasImage() && part.fill.empty()) part.fill = "stretch";
  return part;
}

}  // namespace

std::string Rgba::ToSkinColor() const {
  auto byte = [](double v) { return static_cast<unsigned>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
  char text[16];
  std::snprintf(text, sizeof text, "$%02X%02X%02X", byte(b), byte(g), byte(r));
  return text;
}

std::string PartSpec::Arg(const std::string& key, const std::string& fallback) const {
  const auto found = args.find(key);
  return found == args.end() ? fallback : found->second;
}

const Rgba& Manifest::Color(const std::string& name) const {
  const auto found = palette.find(name);
  if (found == palette.end()) throw ManifestError("the manifest has no colour named \"" + name + "\"");
  return found->second;
}

double Manifest::Metric(const std::string& name) const {
  const auto found = metrics.find(name);
  if (found == metrics.end()) throw ManifestError("the manifest has no metric named \"" + name + "\"");
  return found->second;
}

const ItemSpec* Manifest::FindItem(const std::string& name) const {
  for (const FileSpec& file : files) {
    for (const ItemSpec& item : file.items) {
      if (item.name == name) return &item;
    }
  }
  return nullptr;
}

const PartSpec* Manifest::FindPart(const std::string& item, int id) const {
  const ItemSpec* found = FindItem(item);
  if (!found) return nullptr;
  for (const PartSpec& part : found->parts) {
    if (part.id == id) return &part;
  }
  return nullptr;
}

Manifest ParseManifest(const std::string& text, const std::string& origin) {
  Manifest manifest;
  Reader reader(origin);
  std::istringstream in(text);
  std::string line;
  int number = 0;
  std::set<std::string> fileNames;
  while (std::getline(in, line)) {
    ++number;
    reader.SetLine(number);
    // A '#' starts a comment only where no colour value can begin: at a word's start.
    std::vector<std::string> words;
    for (const std::string& word : Words(line)) {
      if (word[0] == '#' && !(words.size() == 2 && words[0] == "color")) break;
      words.push_back(word);
    }
    if (words.empty()) continue;
    const std::string& keyword = words[0];
    if (keyword == "color") {
      if (words.size() != 3) reader.Fail("color needs a name and a value");
      if (manifest.palette.count(words[1])) reader.Fail("colour \"" + words[1] + "\" defined twice");
      manifest.palette[words[1]] = reader.ColorValue(words[2], manifest.palette);
    } else if (keyword == "metric") {
      if (words.size() != 3) reader.Fail("metric needs a name and a value");
      if (manifest.metrics.count(words[1])) reader.Fail("metric \"" + words[1] + "\" defined twice");
      manifest.metrics[words[1]] = reader.Number(words[2], "metric " + words[1]);
    } else if (keyword == "file") {
      if (words.size() != 2) reader.Fail("file needs one name");
      if (!fileNames.insert(words[1]).second) reader.Fail("file \"" + words[1] + "\" given twice");
      manifest.files.push_back({number, words[1], {}});
    } else if (keyword == "item") {
      if (words.size() != 2) reader.Fail("item needs one name");
      if (manifest.files.empty()) reader.Fail("item \"" + words[1] + "\" comes before any file");
      if (manifest.FindItem(words[1])) reader.Fail("item \"" + words[1] + "\" given twice");
      manifest.files.back().items.push_back({number, words[1], {}});
    } else if (keyword == "part") {
      if (manifest.files.empty() || manifest.files.back().items.empty()) reader.Fail("part comes before any item");
      ItemSpec& item = manifest.files.back().items.back();
      PartSpec part = ReadPart(reader, words, manifest, item, number);
      for (const PartSpec& other : item.parts) {
        if (other.id == part.id) reader.Fail("part " + std::to_string(part.id) + " given twice in " + item.name);
      }
      item.parts.push_back(std::move(part));
    } else {
      reader.Fail("unknown line \"" + keyword + "\"");
    }
  }
  if (manifest.files.empty()) throw ManifestError(origin + ": names no skin file");
  return manifest;
}

Manifest LoadManifest(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ManifestError("cannot open the manifest \"" + path + "\"");
  std::ostringstream text;
  text << in.rdbuf();
  return ParseManifest(text.str(), path);
}

}  // namespace skingen
