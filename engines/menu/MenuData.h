#pragma once

// The menu data object (QM_DVDMenuData): the menu as authoring and the previewer consume it.
// The menu manager attaches its menu (MGSetMenuData) and keeps it current; the object renders
// the pages at a disc's format as an engines::MenuSource.
//
// Disc pages: 720 x 480 (NTSC) or 576 (PAL) stored pixels. At 4:3 the design canvas fills the
// frame; at 16:9 the background covers the whole frame and the elements keep their places in
// the centre 4:3 area. Buttons: frame -> PlayTitle(title), play -> PlayAll, previous / next ->
// GoToPage. The highlight and select overlays are the buttons' outlines (a frame: a 3-pixel
// rounded ring around its slot; a button: the rim of its picture's shape) in the template's
// two colours, drawn without anti-aliasing: every pixel is one colour or transparent.
//
// Any thread; the object has its own lock for the attached menu.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engines/common/MenuSource.h"
#include "engines/menu/Menu.h"

namespace engines::menu {

// The width of a frame button's outline ring, in stored pixels.
constexpr int kFrameRingWidth = 3;

// Renders one page view at `format`: pictures, buttons (previous / next go to the view's
// neighbours) and overlays in the colours of the page's template. False with `error` when the
// page's background does not load.
bool RenderDiscPage(const PageView& view, const MenuFormat& format, MenuPagePictures& page, std::string& error);

// The page views of `menu` as a disc of `format` shows them: pages past the format's titles
// left out (at least one page stays), frames of titles beyond it left out.
std::vector<PageView> DiscPageViews(const Menu& menu, const MenuFormat& format);

class MenuData : public MenuSource {
 public:
  void Attach(std::shared_ptr<Menu> menu);  // null detaches
  std::shared_ptr<Menu> GetMenu() const;

  bool Describe(const MenuFormat& format, std::vector<MenuPagePictures>& pages, std::string& error) override;
  // One page of the description (the previewer shows one page at a time); false with `error`
  // when there is no such page or it cannot be rendered.
  bool DescribePage(const MenuFormat& format, int index, MenuPagePictures& page, std::string& error);
  // Pages of the description at `format` (at least 1 while a menu is attached, else 0).
  int DiscPageCount(const MenuFormat& format) const;

 private:
  mutable std::mutex m_lock;  // guards m_menu
  std::weak_ptr<Menu> m_menu;
};

}  // namespace engines::menu
