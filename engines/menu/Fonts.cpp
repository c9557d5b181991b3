#include "engines/menu/Fonts.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>

#include "platform/kernel/Unicode.h"

namespace engines::menu {

namespace {

std::vector<std::u16string> ReadFamilies() {
  std::vector<std::u16string> families;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
  if (fonts) {
    for (int i = 0; i < fonts->nfont; ++i) {
      FcChar8* family = nullptr;
      // A font may name its family in several languages; the first name is the one it goes by.
      if (FcPatternGetString(fonts->fonts[i], FC_FAMILY, 0, &family) != FcResultMatch || !family) continue;
      std::u16string name = platform::Utf8ToUtf16(reinterpret_cast<const char*>(family));
      if (!name.empty() && name.size() <= static_cast<size_t>(kFontNameUnitsMax)) families.push_back(std::move(name));
    }
    FcFontSetDestroy(fonts);
  }
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  std::sort(families.begin(), families.end());
  families.erase(std::unique(families.begin(), families.end()), families.end());
  return families;
}

}  // namespace

const std::vector<std::u16string>& SupportedFontFamilies() {
  static const std::vector<std::u16string> families = ReadFamilies();
  return families;
}

}  // namespace engines::menu
