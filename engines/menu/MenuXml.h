#pragma once

// The menu XML: every page's content and each title's thumbnail path. The program keeps the
// text in its project file and hands it back to restore the menu (MGSetXmlText) and the
// titles' thumbnails (TLSetMenuXml). UTF-16 text without an XML declaration.

#include <string>
#include <string_view>
#include <vector>

#include "engines/menu/MenuPage.h"

namespace engines::menu {

struct MenuDocument {
  std::vector<PageContent> pages;          // at least one
  std::vector<std::u16string> thumbnails;  // per title, in title order

  bool operator==(const MenuDocument&) const = default;
};

std::u16string WriteMenuXml(const MenuDocument& document);

// False with `error` saying what is wrong for text that is not a menu document: not well
// formed, another root, no page, a page without slots, a malformed number, rectangle or
// colour. `document` is only written on success.
bool ReadMenuXml(std::u16string_view xml, MenuDocument& document, std::string& error);

}  // namespace engines::menu
