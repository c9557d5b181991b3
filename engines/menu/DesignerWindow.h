#pragma once

// The designer window of a menu: a child window showing the menu's current page at the largest
// 4:3 size that fits, centred, in which the user picks, moves and resizes the page's elements.
// The menu manager creates it (MGCreateMDWindow), refreshes it (MGUpdateMDWindow) and moves its
// selection (MGSetMDFocus). GUI thread only: the window and its object belong to the thread
// that created them.
//
// A press on an element selects it and posts the designer notification with the element's kind
// (Menu::NotifyElementChosen); the selection shows as an accent outline, with eight handles on
// the elements that can move. Dragging an element (a frame, a button or a text item) moves it
// inside the page on an 8-pixel canvas grid (Shift: freely); dragging a handle resizes it. The
// window repaints whenever the menu reports a change (its change listener, which the window
// owns while it exists) and on UpdateDesignerWindow, which also re-reads the titles' pictures.

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
// none), repaints and posts the designer notification for `kind`.
void FocusDesignerElement(DesignerWindow& window, ElementKind kind);

// The window's handle (for tests and the manager); null once the window is gone.
HWND DesignerWindowHandle(const DesignerWindow& window);

// Where the page lies in a client area of `width` x `height`: the largest 4:3 rectangle that
// fits, centred.
RECT DesignerPagePlace(int width, int height);

}  // namespace engines::menu
