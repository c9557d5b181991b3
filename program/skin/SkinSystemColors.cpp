#include "program/skin/SkinSystemColors.h"

#include <cctype>
#include <cstdio>
#include <string_view>
#include <vector>

#include "platform/kernel/Profile.h"
#include "platform/user/SystemParams.h"
#include "platform/kernel/FileApi.h"
#include "rtl/FileNames.h"

namespace {

// The named system colours (index 25 has no name and is never set).
constexpr std::pair<const char*, int> kNames[] = {
    {"SCROLLBAR", COLOR_SCROLLBAR},
    {"BACKGROUND", COLOR_BACKGROUND},
    {"ACTIVECAPTION", COLOR_ACTIVECAPTION},
    {"INACTIVECAPTION", COLOR_INACTIVECAPTION},
    {"MENU", COLOR_MENU},
    {"WINDOW", COLOR_WINDOW},
    {"WINDOWFRAME", COLOR_WINDOWFRAME},
    {"MENUTEXT", COLOR_MENUTEXT},
    {"WINDOWTEXT", COLOR_WINDOWTEXT},
    {"CAPTIONTEXT", COLOR_CAPTIONTEXT},
    {"ACTIVEBORDER", COLOR_ACTIVEBORDER},
    {"INACTIVEBORDER", COLOR_INACTIVEBORDER},
    {"APPWORKSPACE", COLOR_APPWORKSPACE},
    {"HIGHLIGHT", COLOR_HIGHLIGHT},
    {"HIGHLIGHTTEXT", COLOR_HIGHLIGHTTEXT},
    {"BTNFACE", COLOR_BTNFACE},
    {"BTNSHADOW", COLOR_BTNSHADOW},
    {"GRAYTEXT", COLOR_GRAYTEXT},
    {"BTNTEXT", COLOR_BTNTEXT},
    {"INACTIVECAPTIONTEXT", COLOR_INACTIVECAPTIONTEXT},
    {"BTNHIGHLIGHT", COLOR_BTNHIGHLIGHT},
    {"3DDKSHADOW", COLOR_3DDKSHADOW},
    {"3DLIGHT", COLOR_3DLIGHT},
    {"INFOTEXT", COLOR_INFOTEXT},
    {"INFOBK", COLOR_INFOBK},
    {"HOTLIGHT", COLOR_HOTLIGHT},
    {"GRADIENTACTIVECAPTION", COLOR_GRADIENTACTIVECAPTION},
    {"GRADIENTINACTIVECAPTION", COLOR_GRADIENTINACTIVECAPTION},
    {"MENUHILIGHT", COLOR_MENUHILIGHT},
    {"MENUBAR", COLOR_MENUBAR},
};

// "#RRGGBB" as a COLORREF; false for anything else.
bool ReadColor(std::string_view text, COLORREF& color) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  if (text.size() != 7 || text[0] != '#') return false;
  unsigned value = 0;
  for (char c : text.substr(1)) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    value = value * 16 + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (std::toupper(c) - 'A' + 10));
  }
  color = RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
  return true;
}

}  // namespace

bool ApplySkinSystemColors(const std::string& skinFolder) {
  const std::string path = IncludeTrailingPathDelimiter(skinFolder) + "SystemColors.ini";
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  std::vector<INT> indexes;
  std::vector<COLORREF> colors;
  for (const auto& [name, index] : kNames) {
    char value[64] = {};
    GetPrivateProfileStringA("SystemColors", name, "", value, sizeof value, path.c_str());
    COLORREF color = 0;
    if (!ReadColor(value, color)) continue;
    indexes.push_back(index);
    colors.push_back(color);
  }
  if (!indexes.empty()) SetSysColors(static_cast<int>(indexes.size()), indexes.data(), colors.data());
  return true;
}
