#pragma once

// The designer window of a menu: a child window showing the menu's current page at the
// largest 4:3 size that fits, in which the user picks, moves and resizes the page's elements.
// The menu manager creates it (MGCreateMDWindow), refreshes it (MGUpdateMDWindow) and moves
// its selection (MGSetMDFocus). GUI thread only.

#include <memory>

#include "engines/menu/Menu.h"
#include "engines/menu/MenuGeometry.h"
#include "platform/user/UserTypes.h"

namespace engines::menu {

class DesignerWindow;

struct DesignerWindowDeleter {
  void operator()(DesignerWindow* window) const;  // destroys the window
};
using DesignerWindowPtr = std::unique_ptr<DesignerWindow, DesignerWindowDeleter>;

// Creates the designer window of `menu` as a child of `parent` at the rectangle; null when
// the window cannot be made.
DesignerWindowPtr CreateDesignerWindow(const std::shared_ptr<Menu>& menu, HWND parent, int x, int y, int width,
                                       int height);

// Re-reads the menu and repaints.
void UpdateDesignerWindow(DesignerWindow& window);

// Selects the first element of `kind` on the current page (the background when there is
// none), repaints and posts the designer notification.
void FocusDesignerElement(DesignerWindow& window, ElementKind kind);

// The window's handle (for tests and the manager).
HWND DesignerWindowHandle(const DesignerWindow& window);

}  // namespace engines::menu
