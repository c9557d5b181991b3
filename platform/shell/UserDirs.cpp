#include "platform/shell/UserDirs.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace platform {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
  return "/";
}

namespace {

std::string TrimRight(std::string text, char c) {
  while (text.size() > 1 && text.back() == c) text.pop_back();
  return text;
}

// The value of one line 'XDG_NAME_DIR="..."', unquoted and unescaped; false when malformed.
bool ParseValue(const std::string& quoted, std::string& value) {
  if (quoted.size() < 2 || quoted.front() != '"') return false;
  value.clear();
  for (size_t i = 1; i < quoted.size(); ++i) {
    const char c = quoted[i];
    if (c == '\\') {
      if (++i >= quoted.size()) return false;
      value += quoted[i];
    } else if (c == '"') {
      // Only blanks or a comment may follow.
      for (size_t j = i + 1; j < quoted.size(); ++j) {
        if (quoted[j] == '#') break;
        if (quoted[j] != ' ' && quoted[j] != '\t' && quoted[j] != '\r') return false;
      }
      return true;
    } else {
      value += c;
    }
  }
  return false;
}

}  // namespace

std::string ReadUserDir(const std::string& name) {
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  const std::string home = HomeFolder();
  const std::string file =
      (configHome && *configHome == '/' ? std::string(configHome) : home + "/.config") + "/user-dirs.dirs";
  std::ifstream in(file);
  if (!in) return {};
  const std::string key = "XDG_" + name + "_DIR=";
  std::string result;
  std::string line;
  while (std::getline(in, line)) {
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#' || line.compare(start, key.size(), key) != 0) continue;
    std::string value;
    if (!ParseValue(line.substr(start + key.size()), value)) continue;
    if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/')) {
      value = home + value.substr(5);
    } else if (value.empty() || value[0] != '/') {
      continue;
    }
    result = value;  // the last entry of a name counts
  }
  if (result.empty() || TrimRight(result, '/') == TrimRight(home, '/')) return {};
  return TrimRight(result, '/');
}

}  // namespace platform
