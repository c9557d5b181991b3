#pragma once

// A menu template: the folder of one INI file and its pictures (tools/templategen/README.md
// documents the keys). A page takes its background, frame and button pictures, its slots,
// button places, default heading and highlight colours from the template it was given.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engines/menu/MenuGeometry.h"

namespace engines::menu {

// The most frame slots a page may have: with its three buttons a page stays within the 18
// buttons a wide DVD menu page can hold.
constexpr int kMaxSlots = 15;

// Buttons of a page, in the order of MDSetButtonImage's index.
enum class PageButton : int { Previous = 0, Play = 1, Next = 2 };
constexpr int kPageButtonCount = 3;

struct MenuTemplate {
  std::u16string folder;      // the folder as given, with its trailing delimiter
  std::u16string name;
  std::u16string category;
  std::u16string preview;     // full paths of the pictures (empty: none)
  std::u16string background;
  std::u16string frame;
  Rect frameWindow;           // where the thumbnail shows inside the frame picture (its pixels)
  std::vector<Rect> slots;    // 1 to kMaxSlots
  std::u16string heading;     // empty: no default heading
  Rect headingRect{60, 40, 660, 110};
  std::u16string headingFont = u"DejaVu Sans";
  int headingSize = 36;
  uint32_t headingColor = 0xFFFFFF;  // COLORREF 0x00BBGGRR
  std::u16string titleFont = u"DejaVu Sans";
  int titleSize = 16;
  uint32_t titleColor = 0xFFFFFF;
  std::array<std::u16string, kPageButtonCount> buttons;
  std::array<Rect, kPageButtonCount> buttonRects{Rect{80, 450, 144, 514}, Rect{328, 450, 392, 514},
                                                 Rect{576, 450, 640, 514}};
  uint32_t highlightColor = 0x4AD2FF;  // COLORREF
  uint32_t selectColor = 0x1A7AFF;

  bool operator==(const MenuTemplate&) const = default;
};

// Reads the template of `folder` (the folder's one "*.ini" file). False with `error` saying
// what is wrong when the folder has no INI, the INI has no slots or a value is malformed.
bool LoadMenuTemplate(const std::u16string& folder, MenuTemplate& result, std::string& error);

// Reads "#RRGGBB" into a COLORREF; false when malformed.
bool ParseColour(const std::string& text, uint32_t& colorref);

// The path of `name` inside `folder` (folder with or without a trailing delimiter).
std::u16string JoinPath(const std::u16string& folder, const std::u16string& name);

}  // namespace engines::menu
