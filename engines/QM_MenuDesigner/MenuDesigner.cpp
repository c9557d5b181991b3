#include <algorithm>
#include <memory>

#include "engines/QM_MenuDesigner/MenuDesignerApi.h"
#include "engines/common/EngineGuard.h"
#include "engines/common/EngineLog.h"
#include "engines/menu/Fonts.h"
#include "engines/menu/Menu.h"
#include "engines/menu/PictureCache.h"

namespace {

using engines::menu::Menu;
using engines::menu::MenuPage;
using engines::menu::PageContent;
using engines::menu::TextItem;

// Runs `action` with the page and its menu; `missing` for a stale page or one whose menu is gone.
template <typename Result, typename Action>
Result WithPage(const char* entry, EngineHandle handle, Result missing, Action action) {
  return engines::Guarded(entry, missing, [&]() -> Result {
    const auto page = engines::Lookup<MenuPage>(handle);
    if (!page) return missing;
    const auto menu = page->GetMenu();
    if (!menu || menu->IndexOfPage(*page) < 0) return missing;
    return action(*menu, *page);
  });
}

// The page's content (a copy); the page must exist.
PageContent ContentOf(const Menu& menu, const MenuPage& page) { return menu.Content(menu.IndexOfPage(page)); }

// A text of a text item, cut to what the record holds; characters XML cannot carry are left out.
std::u16string ItemText(const char16_t* text) {
  std::u16string result;
  for (const char16_t* c = text; c && *c && result.size() < static_cast<size_t>(engines::menu::kTextUnitsMax); ++c) {
    if (*c < 0x20 && *c != u'\t' && *c != u'\n' && *c != u'\r') continue;
    if (*c == 0xFFFE || *c == 0xFFFF) continue;
    result += *c;
  }
  // A cut must not leave half of a surrogate pair at the end.
  if (!result.empty() && result.back() >= 0xD800 && result.back() <= 0xDBFF) result.pop_back();
  return result;
}

// Checks that a picture loads before a page takes it, so that a page never names a picture it
// cannot draw.
bool PictureLoads(const std::u16string& path, const char* entry) {
  std::string error;
  if (engines::menu::LoadPicture(path, error)) return true;
  engines::LogLine(std::string(entry) + ": " + error);
  return false;
}

}  // namespace

ENGINE_API int32_t MDSetTemplatePath(EngineHandle handle, const char16_t* folder) {
  return WithPage(__func__, handle, int32_t(0), [&](Menu& menu, MenuPage& page) -> int32_t {
    engines::menu::MenuTemplate layout;
    std::string error;
    if (!engines::menu::LoadMenuTemplate(engines::ReadText(folder), layout, error)) {
      engines::LogLine(std::string("MDSetTemplatePath: ") + error);
      return 0;
    }
    return menu.EditPage(page, [&](PageContent& content) {
      PageContent fresh = engines::menu::ContentFromTemplate(layout);
      // The page's music and the user's text items stay. A heading the user rewrote keeps its
      // words in the new template's heading style; an untouched one becomes the new heading.
      fresh.audio = content.audio;
      size_t firstOwn = 0;
      if (!content.layout.heading.empty() && !content.texts.empty()) {
        firstOwn = 1;
        const auto& oldHeading = content.texts[0];
        if (oldHeading.text != content.layout.heading) {
          if (!fresh.texts.empty() && !layout.heading.empty())
            fresh.texts[0].text = oldHeading.text;
          else
            fresh.texts.push_back(oldHeading);
        }
      }
      for (size_t i = firstOwn; i < content.texts.size(); ++i) fresh.texts.push_back(content.texts[i]);
      content = std::move(fresh);
      return true;
    }) ? 1 : 0;
  });
}

ENGINE_API int32_t MDSetBackgndPicture(EngineHandle handle, const char16_t* path) {
  return WithPage(__func__, handle, int32_t(0), [&](Menu& menu, MenuPage& page) -> int32_t {
    const std::u16string picture = engines::ReadText(path);
    if (!PictureLoads(picture, "MDSetBackgndPicture")) return 0;
    return menu.EditPage(page, [&](PageContent& content) {
      content.background = picture;
      return true;
    }) ? 1 : 0;
  });
}

ENGINE_API int32_t MDGetXmlBkgdPic(EngineHandle handle, char16_t* buffer, int32_t capacity) {
  return WithPage(__func__, handle, int32_t(0), [&](Menu& menu, MenuPage& page) {
    return int32_t(engines::CopyText(ContentOf(menu, page).background, buffer, capacity));
  });
}

ENGINE_API int32_t MDSetBackgndAudio(EngineHandle handle, const char16_t* path) {
  return WithPage(__func__, handle, int32_t(0), [&](Menu& menu, MenuPage& page) -> int32_t {
    const std::u16string audio = engines::ReadText(path);
    return menu.EditPage(page, [&](PageContent& content) {
      content.audio = audio;
      return true;
    }) ? 1 : 0;
  });
}

ENGINE_API int32_t MDGetBackgndAudio(EngineHandle handle, char16_t* buffer, int32_t capacity) {
  return WithPage(__func__, handle, int32_t(0), [&](Menu& menu, MenuPage& page) {
    return int32_t(engines::CopyText(ContentOf(menu, page).audio, buffer, capacity));
  });
}

ENGINE_API int32_t MDSetFrameImage(EngineHandle handle, int32_t title, const char16_t* path) {
  return WithPage(__func__, handle, int32_t(0), [&](Menu& menu, MenuPage& page) -> int32_t {
    const std::u16string picture = engines::ReadText(path);
    if (title < -1 || !PictureLoads(picture, "MDSetFrameImage")) return 0;
    return menu.EditPage(page, [&](PageContent& content) {
      if (title == -1) {
        content.frame = picture;
        content.titleFrames.clear();
      } else {
        content.titleFrames[title] = picture;
      }
      return true;
    }) ? 1 : 0;
  });
}

ENGINE_API int32_t MDSetButtonImage(EngineHandle handle, int32_t button, const char16_t* path) {
  return WithPage(__func__, handle, int32_t(0), [&](Menu& menu, MenuPage& page) -> int32_t {
    const std::u16string picture = engines::ReadText(path);
    if (button < 0 || button >= engines::menu::kPageButtonCount || !PictureLoads(picture, "MDSetButtonImage"))
      return 0;
    return menu.EditPage(page, [&](PageContent& content) {
      content.buttons[static_cast<size_t>(button)] = picture;
      return true;
    }) ? 1 : 0;
  });
}

ENGINE_API int32_t MDAddTextItem(EngineHandle handle) {
  return WithPage(__func__, handle, int32_t(-1),
                  [&](Menu& menu, MenuPage& page) { return int32_t(menu.AddTextItem(page)); });
}

ENGINE_API int32_t MDGetCurrentTextItem(EngineHandle handle, MDTextItem* record) {
  return WithPage(__func__, handle, int32_t(0), [&](Menu& menu, MenuPage& page) -> int32_t {
    if (!record) return 0;
    const auto item = menu.SelectedText(page);
    if (!item) return 0;
    *record = MDTextItem{};
    engines::CopyText(item->text, record->text, kMenuTextUnits);
    engines::CopyText(item->font, record->fontName, kMenuTextUnits);
    record->fontSize = item->size;
    record->color = item->color;
    record->style = item->style;
    return 1;
  });
}

namespace {

template <typename Change>
int32_t ChangeText(const char* entry, EngineHandle handle, Change change) {
  return WithPage(entry, handle, int32_t(0), [&](Menu& menu, MenuPage& page) -> int32_t {
    return menu.EditSelectedText(page, change) ? 1 : 0;
  });
}

}  // namespace

ENGINE_API int32_t MDSetTextContent(EngineHandle handle, const char16_t* text) {
  const std::u16string content = ItemText(text);
  return ChangeText(__func__, handle, [&](TextItem& item) {
    item.text = content;
    return true;
  });
}

ENGINE_API int32_t MDSetTextFont(EngineHandle handle, const char16_t* family) {
  const std::u16string font = ItemText(family);
  if (font.empty()) return 0;
  return ChangeText(__func__, handle, [&](TextItem& item) {
    item.font = font;
    return true;
  });
}

ENGINE_API int32_t MDSetTextFontSize(EngineHandle handle, int32_t points) {
  if (points <= 0 || points > 200) return 0;
  return ChangeText(__func__, handle, [&](TextItem& item) {
    item.size = points;
    return true;
  });
}

ENGINE_API int32_t MDSetTextColor(EngineHandle handle, uint32_t color) {
  return ChangeText(__func__, handle, [&](TextItem& item) {
    item.color = color & 0xFFFFFF;
    return true;
  });
}

ENGINE_API int32_t MDSetTextStyle(EngineHandle handle, int32_t style, int32_t on) {
  if (style < kMenuTextBold || style > kMenuTextStrikeOut) return 0;
  const uint32_t bit = 1u << style;
  return ChangeText(__func__, handle, [&](TextItem& item) {
    item.style = on ? (item.style | bit) : (item.style & ~bit);
    return true;
  });
}

ENGINE_API int32_t MDGetSupportFontCount() {
  return engines::Guarded("MDGetSupportFontCount", int32_t(0),
                          [] { return int32_t(engines::menu::SupportedFontFamilies().size()); });
}

ENGINE_API int32_t MDGetSupportFontName(int32_t index, char16_t* buffer) {
  return engines::Guarded("MDGetSupportFontName", int32_t(0), [&]() -> int32_t {
    const auto& families = engines::menu::SupportedFontFamilies();
    if (index < 0 || index >= static_cast<int32_t>(families.size())) {
      if (buffer) buffer[0] = 0;
      return 0;
    }
    return engines::CopyText(families[static_cast<size_t>(index)], buffer, kMenuFontNameUnits);
  });
}
