#pragma once

// A menu page as the user designs it, and its handle object. The content lives in
// PageContent, a plain value: the menu (Menu.h) owns the pages, guards their content with its
// lock and hands out copies (snapshots) for rendering on other threads.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engines/common/EngineHandles.h"
#include "engines/menu/MenuGeometry.h"
#include "engines/menu/MenuTemplate.h"

namespace engines::menu {

class Menu;

constexpr int kTextUnitsMax = 255;  // a text item's text and font name, without terminator

enum TextStyleBit : uint32_t { kTextBold = 1, kTextItalic = 2, kTextUnderline = 4, kTextStrikeOut = 8 };

struct TextItem {
  std::u16string text = u"Text";
  std::u16string font = u"DejaVu Sans";
  int size = 24;              // points on the canvas (1 point = 1 canvas pixel)
  uint32_t color = 0xFFFFFF;  // COLORREF
  uint32_t style = 0;         // TextStyleBit
  Rect box;                   // the text is centred in it

  bool operator==(const TextItem&) const = default;
};

struct PageContent {
  MenuTemplate layout;                     // the template it was made from
  std::u16string background;               // picture paths; empty: none
  std::u16string audio;                    // the page's music; empty: silence
  std::u16string frame;                    // the frame of every title of the page
  std::map<int, std::u16string> titleFrames;  // frames chosen for single titles (total index)
  std::array<std::u16string, kPageButtonCount> buttons;
  std::array<Rect, kPageButtonCount> buttonRects;
  std::vector<Rect> slots;                 // where the frames sit
  std::vector<TextItem> texts;

  bool operator==(const PageContent&) const = default;
};

// Makes a page's content from a template: its pictures, slots, buttons and heading.
PageContent ContentFromTemplate(const MenuTemplate& layout);

// The handle object of a page (MGGetCurrentPage, MTGetMenuPage). It keeps its menu alive
// while a caller works through the handle; the content itself is the menu's.
class MenuPage : public EngineObject {
 public:
  MenuPage(std::weak_ptr<Menu> menu, int id) : m_menu(std::move(menu)), m_id(id) {}

  std::shared_ptr<Menu> GetMenu() const { return m_menu.lock(); }
  int Id() const { return m_id; }  // stable while the page exists
  EngineHandle handle = 0;         // set once registered

 private:
  std::weak_ptr<Menu> m_menu;
  int m_id;
};

}  // namespace engines::menu
