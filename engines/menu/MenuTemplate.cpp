#include "engines/menu/MenuTemplate.h"

#include <dirent.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/kernel/PathResolve.h"
#include "platform/kernel/Unicode.h"

namespace engines::menu {

namespace {

using Section = std::map<std::string, std::string>;
using IniFile = std::map<std::string, Section>;

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return std::string(text.substr(first, last - first + 1));
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// Sections and keys are case-insensitive, as in the program's INI files. A ";" after blank
// space starts a comment that runs to the end of the line.
IniFile ParseIni(std::istream& in) {
  IniFile ini;
  std::string line;
  std::string section;
  bool first = true;
  while (std::getline(in, line)) {
    if (first && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    first = false;
    for (size_t at = line.find(';'); at != std::string::npos; at = line.find(';', at + 1)) {
      if (at == 0 || line[at - 1] == ' ' || line[at - 1] == '\t') {
        line.erase(at);
        break;
      }
    }
    const std::string text = Trim(line);
    if (text.empty() || text[0] == '#') continue;
    if (text.front() == '[') {
      const auto close = text.find(']');
      section = Lower(Trim(text.substr(1, close == std::string::npos ? std::string::npos : close - 1)));
      continue;
    }
    const auto equals = text.find('=');
    if (equals == std::string::npos) continue;
    ini[section][Lower(Trim(text.substr(0, equals)))] = Trim(text.substr(equals + 1));
  }
  return ini;
}

std::string Value(const IniFile& ini, const std::string& section, const std::string& key) {
  const auto s = ini.find(section);
  if (s == ini.end()) return {};
  const auto k = s->second.find(key);
  return k == s->second.end() ? std::string() : k->second;
}

bool ParseInt(std::string_view text, int& value) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

bool ParseRect(const std::string& text, Rect& rect) {
  int values[4];
  size_t start = 0;
  for (int i = 0; i < 4; ++i) {
    const size_t comma = text.find(',', start);
    if ((comma == std::string::npos) != (i == 3)) return false;
    if (!ParseInt(std::string_view(text).substr(start, comma == std::string::npos ? std::string::npos : comma - start),
                  values[i]))
      return false;
    start = comma + 1;
  }
  rect = {values[0], values[1], values[2], values[3]};
  return !rect.Empty();
}

bool IsDelimiter(char16_t c) { return c == u'/' || c == u'\\'; }

}  // namespace

std::u16string JoinPath(const std::u16string& folder, const std::u16string& name) {
  if (folder.empty()) return name;
  if (IsDelimiter(folder.back())) return folder + name;
  return folder + u"/" + name;
}

bool ParseColour(const std::string& text, uint32_t& colorref) {
  if (text.size() != 7 || text[0] != '#') return false;
  uint32_t rgb = 0;
  const auto [end, ec] = std::from_chars(text.data() + 1, text.data() + 7, rgb, 16);
  if (ec != std::errc() || end != text.data() + 7) return false;
  colorref = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
  return true;
}

bool LoadMenuTemplate(const std::u16string& folder, MenuTemplate& result, std::string& error) {
  const std::string folderUtf8 = platform::Utf16ToUtf8(folder);
  const std::string fsFolder = platform::FileSystemPath(folderUtf8);
  // The folder's INI: the one file whose name ends in ".ini" (the first in name order if
  // there are several).
  std::vector<std::string> inis;
  if (DIR* dir = opendir(fsFolder.c_str())) {
    while (const dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".ini") == 0) inis.push_back(name);
    }
    closedir(dir);
  } else {
    error = "cannot open the template folder '" + folderUtf8 + "'";
    return false;
  }
  if (inis.empty()) {
    error = "the template folder '" + folderUtf8 + "' holds no .ini file";
    return false;
  }
  std::sort(inis.begin(), inis.end());
  const std::string iniPath = fsFolder + "/" + inis.front();
  std::ifstream in(iniPath, std::ios::binary);
  if (!in) {
    error = "cannot read '" + iniPath + "'";
    return false;
  }
  const IniFile ini = ParseIni(in);

  MenuTemplate t;
  t.folder = folder;
  if (!folder.empty() && !IsDelimiter(folder.back())) t.folder += u'/';
  auto text = [&](const char* section, const char* key) { return platform::Utf8ToUtf16(Value(ini, section, key)); };
  auto picture = [&](const char* section, const char* key) {
    const std::u16string name = text(section, key);
    return name.empty() ? std::u16string() : JoinPath(t.folder, name);
  };
  auto fail = [&](const std::string& what) {
    error = "template '" + iniPath + "': " + what;
    return false;
  };
  auto rect = [&](const char* section, const char* key, Rect& out, bool required) {
    const std::string value = Value(ini, section, key);
    if (value.empty()) return !required;
    return ParseRect(value, out);
  };
  auto colour = [&](const char* section, const char* key, uint32_t& out) {
    const std::string value = Value(ini, section, key);
    return value.empty() || ParseColour(value, out);
  };
  auto number = [&](const char* section, const char* key, int& out) {
    const std::string value = Value(ini, section, key);
    return value.empty() || (ParseInt(value, out) && out > 0 && out <= 200);
  };

  t.name = text("main", "name");
  if (t.name.empty()) {
    // Unnamed: the folder's own name.
    std::u16string trimmed = t.folder.substr(0, t.folder.size() - 1);
    const auto slash = trimmed.find_last_of(u"/\\");
    t.name = slash == std::u16string::npos ? trimmed : trimmed.substr(slash + 1);
  }
  t.category = text("main", "category");
  t.preview = picture("main", "preview");
  t.background = picture("main", "background");
  t.frame = picture("main", "frame0_image");
  if (!rect("main", "frame_window", t.frameWindow, false)) return fail("frame_window is not left,top,right,bottom");
  int slots = 0;
  if (!ParseInt(Value(ini, "main", "slots"), slots) || slots < 1 || slots > kMaxSlots)
    return fail("slots must be a number from 1 to " + std::to_string(kMaxSlots));
  for (int i = 0; i < slots; ++i) {
    const std::string key = "slot" + std::to_string(i);
    Rect slot;
    if (!rect("main", key.c_str(), slot, true)) return fail(key + " is missing or not left,top,right,bottom");
    t.slots.push_back(slot);
  }
  t.heading = text("main", "heading");
  if (!rect("main", "heading_rect", t.headingRect, false)) return fail("heading_rect is not left,top,right,bottom");
  if (t.headingRect.Empty()) t.headingRect = {60, 40, 660, 110};
  if (const auto font = text("main", "heading_font"); !font.empty()) t.headingFont = font;
  if (const auto font = text("main", "title_font"); !font.empty()) t.titleFont = font;
  if (!number("main", "heading_size", t.headingSize) || !number("main", "title_size", t.titleSize))
    return fail("a font size is not a number from 1 to 200");
  if (!colour("main", "heading_color", t.headingColor) || !colour("main", "title_color", t.titleColor) ||
      !colour("highlight", "highlight_color", t.highlightColor) ||
      !colour("highlight", "select_color", t.selectColor))
    return fail("a colour is not #RRGGBB");
  t.buttons = {picture("buttons", "prevbtn"), picture("buttons", "playbtn"), picture("buttons", "nextbtn")};
  const char* rectKeys[kPageButtonCount] = {"prev_rect", "play_rect", "next_rect"};
  for (int i = 0; i < kPageButtonCount; ++i) {
    if (!rect("buttons", rectKeys[i], t.buttonRects[i], false))
      return fail(std::string(rectKeys[i]) + " is not left,top,right,bottom");
  }
  result = std::move(t);
  return true;
}

}  // namespace engines::menu
