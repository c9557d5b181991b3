#include "engines/menu/DesignerWindow.h"

namespace engines::menu {

// Stand-in until the window is built: the manager can already create, refresh and focus it.
class DesignerWindow {
 public:
  explicit DesignerWindow(std::shared_ptr<Menu> menu) : m_menu(std::move(menu)) {}
  std::shared_ptr<Menu> m_menu;
};

void DesignerWindowDeleter::operator()(DesignerWindow* window) const { delete window; }

DesignerWindowPtr CreateDesignerWindow(const std::shared_ptr<Menu>& menu, HWND /*parent*/, int /*x*/, int /*y*/,
                                       int /*width*/, int /*height*/) {
  if (!menu) return nullptr;
  return DesignerWindowPtr(new DesignerWindow(menu));
}

void UpdateDesignerWindow(DesignerWindow& /*window*/) {}

void FocusDesignerElement(DesignerWindow& window, ElementKind kind) {
  window.m_menu->Select(Selection{kind, 0});
  window.m_menu->NotifyElementChosen(kind);
}

HWND DesignerWindowHandle(const DesignerWindow& /*window*/) { return nullptr; }

}  // namespace engines::menu
