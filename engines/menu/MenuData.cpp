#include "engines/menu/MenuData.h"

namespace engines::menu {

bool RenderDiscPage(const PageView& /*view*/, const MenuFormat& /*format*/, MenuPagePictures& /*page*/,
                    std::string& error) {
  error = "menu pages are not rendered yet";
  return false;
}

std::vector<PageView> DiscPageViews(const Menu& menu, const MenuFormat& /*format*/) { return menu.Snapshot(); }

void MenuData::Attach(std::shared_ptr<Menu> menu) {
  std::lock_guard guard(m_lock);
  m_menu = menu;
}

std::shared_ptr<Menu> MenuData::GetMenu() const {
  std::lock_guard guard(m_lock);
  return m_menu.lock();
}

bool MenuData::Describe(const MenuFormat& format, std::vector<MenuPagePictures>& pages, std::string& error) {
  const auto menu = GetMenu();
  if (!menu) {
    error = "the menu data has no menu";
    return false;
  }
  pages.clear();
  for (const auto& view : DiscPageViews(*menu, format)) {
    MenuPagePictures page;
    if (!RenderDiscPage(view, format, page, error)) return false;
    pages.push_back(std::move(page));
  }
  return true;
}

bool MenuData::DescribePage(const MenuFormat& format, int index, MenuPagePictures& page, std::string& error) {
  const auto menu = GetMenu();
  if (!menu) {
    error = "the menu data has no menu";
    return false;
  }
  const auto views = DiscPageViews(*menu, format);
  if (index < 0 || index >= static_cast<int>(views.size())) {
    error = "the menu has no page " + std::to_string(index);
    return false;
  }
  return RenderDiscPage(views[static_cast<size_t>(index)], format, page, error);
}

int MenuData::DiscPageCount(const MenuFormat& format) const {
  const auto menu = GetMenu();
  return menu ? static_cast<int>(DiscPageViews(*menu, format).size()) : 0;
}

}  // namespace engines::menu
