#pragma once

// The menu previewer's window: a child window that plays a menu data object's pages as a DVD
// player shows them. Each page is the menu data's own description of it (the picture and the
// highlight and select overlays authoring puts on the disc, at 720 x 480), shown at 4:3 with its
// proportions kept, black around it. One button is highlighted at a time, as on a player: the
// first when a page shows, then the one under the pointer or the one the arrow keys move to
// (MenuNavigation's neighbour, as on the disc). A click or Enter activates a button: it shows in the
// select colour for kActivationMs, then acts: a frame or play posts the title to play, previous
// and next show their page.
//
// Posts kPreviewNotify to the registered window: wParam kPreviewPageShown with the page's index
// whenever a page shows (the first on SetMenuData too), wParam kPreviewTitleChosen with the
// title's index when a frame is activated (play: title 0).
//
// A page that cannot be rendered (its background no longer loads, say) shows the reason in its
// place and goes to the engines' log.
//
// GUI thread only: the object, its window and its timer belong to the thread that made them.
// The window keeps a plain pointer to the object (a window property), removed when either goes.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engines/common/MenuSource.h"
#include "engines/menu/MenuData.h"
#include "engines/menu/MenuNavigation.h"
#include "platform/user/UserTypes.h"

namespace engines::menu {

constexpr UINT kPreviewNotify = 0x0400 + 1504;
constexpr uintptr_t kPreviewTitleChosen = 0;
constexpr uintptr_t kPreviewPageShown = 1;
constexpr unsigned kActivationMs = 150;

class PreviewWindow {
 public:
  // Throws engines::EngineError when the window cannot be made.
  static std::unique_ptr<PreviewWindow> Create(HWND parent, int x, int y, int width, int height);
  ~PreviewWindow();  // destroys the window
  PreviewWindow(const PreviewWindow&) = delete;
  PreviewWindow& operator=(const PreviewWindow&) = delete;

  // Shows the first page of `data` (null: nothing, black).
  void SetMenuData(std::shared_ptr<MenuData> data);
  void SetNotifyWindow(uintptr_t window) { m_notify = window; }

  HWND Window() const { return m_window; }
  int PageIndex() const { return m_page; }
  int PageCount() const { return m_pageCount; }
  // The buttons of the page shown, in stored pixels of the 720 x 480 page.
  const std::vector<MenuButtonInfo>& Buttons() const { return m_pictures.buttons; }
  int Highlighted() const { return m_highlight; }  // -1 when the page has no button
  bool Activating() const { return m_activating; }

  // What the remote's keys do: move the highlight, activate the highlighted button.
  void MoveHighlight(Direction direction);
  void ActivateHighlighted();

  // From the window procedure.
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  PreviewWindow() = default;

  void ShowPage(int index);
  void Activate(int button);
  void Act(const MenuButtonInfo& button);
  void Post(uintptr_t what, intptr_t value) const;
  // The page's picture on the client area, black around it.
  RECT Place() const;
  // The button under a client point, -1 when none.
  int ButtonAt(int x, int y) const;
  void Paint();

  HWND m_window = nullptr;
  uintptr_t m_notify = 0;
  std::weak_ptr<MenuData> m_data;
  MenuFormat m_format;
  int m_page = 0;
  int m_pageCount = 0;
  MenuPagePictures m_pictures;  // the page shown
  std::string m_error;          // why the page could not be shown, shown instead of it
  int m_highlight = -1;
  bool m_activating = false;    // the highlighted button shows its select colour until the timer
};

}  // namespace engines::menu
