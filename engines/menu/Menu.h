#pragma once

// The DVD menu: its pages, the titles they show, the designer's selection and the menu XML.
//
// Titles fill the pages in order, each page as many as its template has slots; a page added
// for more titles takes the last page's template; there is always at least one page. The
// titles come from a TitleSource (the menu manager reads its title list through one);
// SyncToTitles adds and removes pages as titles come and go.
//
// Threads: the designer and the C entry points change the menu on the GUI thread; renderers
// on other threads (authoring) read copies made under the menu's lock (View, Snapshot). Every
// public member takes the lock itself. The change listener and notifications run on the
// thread that made the change.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engines/common/EngineHandles.h"
#include "engines/menu/MenuGeometry.h"
#include "engines/menu/MenuPage.h"
#include "engines/menu/MenuTemplate.h"

namespace engines::menu {

// A title as the menu shows it: its thumbnail path and pixels (top-down BGRA, may be empty).
struct TitleThumbnail {
  std::u16string path;
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bgra;
};

// Where the titles come from. Implementations are called with the menu's lock held and from
// any thread, so they must be thread-safe and must not call back into the menu.
class TitleSource {
 public:
  virtual ~TitleSource() = default;
  virtual int Count() const = 0;
  virtual TitleThumbnail Title(int index) const = 0;  // pixels included
  virtual std::u16string ThumbnailPath(int index) const = 0;
};

// A page with everything needed to draw it.
struct PageView {
  PageContent content;
  int index = 0;          // page index
  int firstTitle = 0;     // total index of the title in slot 0
  int titleCount = 0;     // titles on this page (at most the slots)
  bool hasPrevious = false;
  bool hasNext = false;
  std::vector<TitleThumbnail> titles;  // titleCount entries, in slot order
};

// The built-in layout of a page before any template is chosen: four slots, three buttons,
// no pictures.
MenuTemplate DefaultLayout();

// Adds pages (taking the last page's template) or removes trailing pages so that `pages`
// holds `titleCount` titles; keeps at least one page.
void FitPagesToTitles(std::vector<PageContent>& pages, int titleCount);

class Menu : public std::enable_shared_from_this<Menu> {
 public:
  // Pages are engine objects with handles, so a menu is always made shared.
  static std::shared_ptr<Menu> Create();
  ~Menu();
  Menu(const Menu&) = delete;
  Menu& operator=(const Menu&) = delete;

  // --- titles ---
  void SetTitleSource(std::shared_ptr<TitleSource> source);  // null: no titles
  int TitleCount() const;
  // Adds or removes pages for the current title count; true when the pages changed.
  bool SyncToTitles();

  // --- pages ---
  int PageCount() const;
  int CurrentPageIndex() const;
  bool NextPage();                   // false at the last page
  bool PreviousPage();               // false at the first page
  bool SetCurrentPage(int index);
  std::shared_ptr<MenuPage> PageAt(int index) const;  // null when out of range
  EngineHandle PageHandle(int index) const;           // 0 when out of range
  int IndexOfPage(const MenuPage& page) const;        // -1 when the page is gone
  int FirstTitleOfPage(int index) const;
  int TitlesOnPage(int index) const;
  PageContent Content(int index) const;
  // Changes a page's content under the lock, then tells the change listener. False when the
  // page is gone or `edit` answers false (nothing changed).
  bool EditPage(const MenuPage& page, const std::function<bool(PageContent&)>& edit);

  // Moves or resizes an element of a page (a frame's slot, a button, a text item's box), kept
  // inside the canvas. False for the background, an element the page lacks or an empty rect.
  bool SetElementRect(const MenuPage& page, ElementKind kind, int index, Rect rect);

  // --- what is drawn ---
  PageView View(int index) const;        // with the titles' thumbnails
  std::vector<PageView> Snapshot() const;
  // The pages as a disc of `titleCount` titles shows them: pages added (taking the last page's
  // template) or left out as those titles need, frames only for titles below `titleCount`.
  std::vector<PageView> ViewsForTitles(int titleCount) const;

  // --- the designer's selection on the current page ---
  Selection GetSelection() const;
  void Select(Selection selection);      // kept on the current page; no notification
  int SelectedTitle() const;             // total title index of a selected frame, -1 otherwise
  // The selected text item of `page` (it must be the current page); nothing when none is.
  std::optional<TextItem> SelectedText(const MenuPage& page) const;
  // Changes the selected text item of `page` (it must be the current page and a text item
  // must be selected). False when there is none or `edit` answers false.
  bool EditSelectedText(const MenuPage& page, const std::function<bool(TextItem&)>& edit);
  // Adds a centred "Text" item to the page and selects it; its index, -1 when the page is gone.
  int AddTextItem(const MenuPage& page);

  // --- notifications ---
  void SetNotifyWindow(uintptr_t window);
  uintptr_t NotifyWindow() const;
  // Posts the designer notification for a chosen element to the registered window.
  void NotifyElementChosen(ElementKind kind) const;
  // Called after every change of pages, content, titles or selection (the designer window
  // repaints from it). One listener; null removes it.
  void SetChangeListener(std::function<void()> listener);

  // --- XML ---
  std::u16string ToXml() const;
  // Replaces the whole menu by the XML's; false with `error` for damaged XML, and then the
  // menu is left as it was.
  bool FromXml(std::u16string_view xml, std::string& error);

 private:
  Menu();
  struct PageSlot {
    std::shared_ptr<MenuPage> page;
    PageContent content;
  };
  void Changed() const;
  std::shared_ptr<MenuPage> NewPageLocked();
  bool SyncLocked(int titleCount);
  int FirstTitleLocked(int index) const;
  PageView ViewLocked(int index, int titleCount) const;
  int IndexLocked(const MenuPage& page) const;

  mutable std::recursive_mutex m_lock;  // guards every member below
  std::vector<PageSlot> m_pages;
  int m_current = 0;
  int m_nextId = 1;
  Selection m_selection;
  std::shared_ptr<TitleSource> m_titles;
  uintptr_t m_notifyWindow = 0;
  std::function<void()> m_listener;
};

}  // namespace engines::menu
