#pragma once

// The classic popup menu's layout and painting, shared by the tracking window and tests.

#include <vector>

#include "platform/user/Menus.h"

namespace platform::detail {

struct PopupLayout {
  SIZE size{};                 // the whole popup window
  std::vector<RECT> itemRects;  // per item, in window coordinates
};

PopupLayout LayoutPopupMenu(const std::vector<MenuItemView>& items);
// Paints the popup (frame, items, the `selected` one highlighted) at the DC's origin.
void PaintPopupMenu(HDC dc, const std::vector<MenuItemView>& items, const PopupLayout& layout, int selected);

// The menu being tracked on the calling thread, or null.
HMENU TrackedMenu();

}  // namespace platform::detail
