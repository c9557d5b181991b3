#include "engines/menu/Menu.h"

#include <algorithm>

#include "engines/common/WindowPoster.h"
#include "engines/menu/MenuXml.h"
#include "engines/menu/PageRenderer.h"

namespace engines::menu {

namespace {

constexpr uint32_t kDesignerNotify = 0x0400 + 1501;
constexpr uintptr_t kElementChosen = 2;

int SlotCount(const PageContent& content) { return static_cast<int>(content.slots.size()); }

}  // namespace

MenuTemplate DefaultLayout() {
  MenuTemplate layout;
  layout.name = u"default";
  layout.slots = {{100, 125, 340, 275}, {380, 125, 620, 275}, {100, 290, 340, 440}, {380, 290, 620, 440}};
  layout.buttonRects = {Rect{80, 450, 144, 514}, Rect{328, 450, 392, 514}, Rect{576, 450, 640, 514}};
  layout.headingRect = {60, 40, 660, 110};
  return layout;
}

PageContent ContentFromTemplate(const MenuTemplate& layout) {
  PageContent content;
  content.layout = layout;
  content.background = layout.background;
  content.frame = layout.frame;
  content.buttons = layout.buttons;
  content.buttonRects = layout.buttonRects;
  content.slots = layout.slots;
  if (!layout.heading.empty()) {
    TextItem heading;
    heading.text = layout.heading.substr(0, kTextUnitsMax);
    heading.font = layout.headingFont;
    heading.size = layout.headingSize;
    heading.color = layout.headingColor;
    heading.box = layout.headingRect;
    content.texts.push_back(std::move(heading));
  }
  return content;
}

void FitPagesToTitles(std::vector<PageContent>& pages, int titleCount) {
  if (pages.empty()) pages.push_back(ContentFromTemplate(DefaultLayout()));
  int capacity = 0;
  for (const auto& page : pages) capacity += SlotCount(page);
  while (capacity < titleCount) {
    pages.push_back(ContentFromTemplate(pages.back().layout));
    const int slots = SlotCount(pages.back());
    if (slots <= 0) break;  // a template always has slots; never loop on one that has none
    capacity += slots;
  }
  // Trailing pages whose first title does not exist go, down to one page.
  while (pages.size() > 1 && capacity - SlotCount(pages.back()) >= titleCount) {
    capacity -= SlotCount(pages.back());
    pages.pop_back();
  }
}

Menu::Menu() = default;

std::shared_ptr<Menu> Menu::Create() {
  std::shared_ptr<Menu> menu(new Menu());
  std::lock_guard guard(menu->m_lock);
  menu->m_pages.push_back({menu->NewPageLocked(), ContentFromTemplate(DefaultLayout())});
  return menu;
}

Menu::~Menu() {
  for (auto& slot : m_pages) engines::UnregisterObject(slot.page->handle);
}

std::shared_ptr<MenuPage> Menu::NewPageLocked() {
  auto page = std::make_shared<MenuPage>(weak_from_this(), m_nextId++);
  page->handle = engines::RegisterObject(page);
  return page;
}

void Menu::Changed() const {
  std::function<void()> listener;
  {
    std::lock_guard guard(m_lock);
    listener = m_listener;
  }
  if (listener) listener();
}

// --- titles ---

void Menu::SetTitleSource(std::shared_ptr<TitleSource> source) {
  {
    std::lock_guard guard(m_lock);
    m_titles = std::move(source);
    SyncLocked(m_titles ? m_titles->Count() : 0);
  }
  Changed();
}

int Menu::TitleCount() const {
  std::lock_guard guard(m_lock);
  return m_titles ? m_titles->Count() : 0;
}

bool Menu::SyncToTitles() {
  bool changed;
  {
    std::lock_guard guard(m_lock);
    changed = SyncLocked(m_titles ? m_titles->Count() : 0);
  }
  if (changed) Changed();
  return changed;
}

bool Menu::SyncLocked(int titleCount) {
  std::vector<PageContent> contents;
  for (const auto& slot : m_pages) contents.push_back(slot.content);
  const size_t before = contents.size();
  FitPagesToTitles(contents, titleCount);
  if (contents.size() == before) return false;
  while (m_pages.size() > contents.size()) {
    engines::UnregisterObject(m_pages.back().page->handle);
    m_pages.pop_back();
  }
  for (size_t i = m_pages.size(); i < contents.size(); ++i) m_pages.push_back({NewPageLocked(), contents[i]});
  if (m_current >= static_cast<int>(m_pages.size())) {
    m_current = static_cast<int>(m_pages.size()) - 1;
    m_selection = {};
  }
  return true;
}

// --- pages ---

int Menu::PageCount() const {
  std::lock_guard guard(m_lock);
  return static_cast<int>(m_pages.size());
}

int Menu::CurrentPageIndex() const {
  std::lock_guard guard(m_lock);
  return m_current;
}

bool Menu::SetCurrentPage(int index) {
  {
    std::lock_guard guard(m_lock);
    if (index < 0 || index >= static_cast<int>(m_pages.size())) return false;
    if (index == m_current) return true;
    m_current = index;
    m_selection = {};
  }
  Changed();
  return true;
}

bool Menu::NextPage() { return SetCurrentPage(CurrentPageIndex() + 1); }
bool Menu::PreviousPage() { return CurrentPageIndex() > 0 && SetCurrentPage(CurrentPageIndex() - 1); }

std::shared_ptr<MenuPage> Menu::PageAt(int index) const {
  std::lock_guard guard(m_lock);
  if (index < 0 || index >= static_cast<int>(m_pages.size())) return nullptr;
  return m_pages[static_cast<size_t>(index)].page;
}

EngineHandle Menu::PageHandle(int index) const {
  const auto page = PageAt(index);
  return page ? page->handle : 0;
}

int Menu::IndexLocked(const MenuPage& page) const {
  for (size_t i = 0; i < m_pages.size(); ++i)
    if (m_pages[i].page.get() == &page) return static_cast<int>(i);
  return -1;
}

int Menu::IndexOfPage(const MenuPage& page) const {
  std::lock_guard guard(m_lock);
  return IndexLocked(page);
}

int Menu::FirstTitleLocked(int index) const {
  int first = 0;
  for (int i = 0; i < index && i < static_cast<int>(m_pages.size()); ++i)
    first += SlotCount(m_pages[static_cast<size_t>(i)].content);
  return first;
}

int Menu::FirstTitleOfPage(int index) const {
  std::lock_guard guard(m_lock);
  return FirstTitleLocked(index);
}

int Menu::TitlesOnPage(int index) const {
  std::lock_guard guard(m_lock);
  if (index < 0 || index >= static_cast<int>(m_pages.size())) return 0;
  const int count = m_titles ? m_titles->Count() : 0;
  return std::clamp(count - FirstTitleLocked(index), 0, SlotCount(m_pages[static_cast<size_t>(index)].content));
}

PageContent Menu::Content(int index) const {
  std::lock_guard guard(m_lock);
  if (index < 0 || index >= static_cast<int>(m_pages.size())) return {};
  return m_pages[static_cast<size_t>(index)].content;
}

bool Menu::EditPage(const MenuPage& page, const std::function<bool(PageContent&)>& edit) {
  {
    std::lock_guard guard(m_lock);
    const int index = IndexLocked(page);
    if (index < 0) return false;
    PageContent& content = m_pages[static_cast<size_t>(index)].content;
    PageContent changed = content;
    if (!edit(changed)) return false;
    const bool slotsChanged = changed.slots.size() != content.slots.size();
    content = std::move(changed);
    if (index == m_current) {
      // A selection that no longer exists falls back to the background.
      if ((m_selection.kind == ElementKind::Text && m_selection.index >= static_cast<int>(content.texts.size())) ||
          (m_selection.kind == ElementKind::Frame && m_selection.index >= SlotCount(content)))
        m_selection = {};
    }
    // A template with another number of slots moves titles between pages.
    if (slotsChanged) SyncLocked(m_titles ? m_titles->Count() : 0);
  }
  Changed();
  return true;
}

bool Menu::SetElementRect(const MenuPage& page, ElementKind kind, int index, Rect rect) {
  if (rect.Empty()) return false;
  rect = KeepInsideCanvas(rect);
  return EditPage(page, [&](PageContent& content) {
    Rect* target = nullptr;
    switch (kind) {
      case ElementKind::Frame:
        if (index >= 0 && index < SlotCount(content)) target = &content.slots[static_cast<size_t>(index)];
        break;
      case ElementKind::Previous:
      case ElementKind::Play:
      case ElementKind::Next:
        target = &content.buttonRects[static_cast<size_t>(static_cast<int>(kind) - static_cast<int>(ElementKind::Previous))];
        break;
      case ElementKind::Text:
        if (index >= 0 && index < static_cast<int>(content.texts.size())) target = &content.texts[static_cast<size_t>(index)].box;
        break;
      case ElementKind::Background:
        break;
    }
    if (!target || *target == rect) return false;
    *target = rect;
    return true;
  });
}

// --- what is drawn ---

PageView Menu::ViewLocked(int index, int titleCount) const {
  PageView view;
  if (index < 0 || index >= static_cast<int>(m_pages.size())) return view;
  view.index = index;
  view.content = m_pages[static_cast<size_t>(index)].content;
  view.firstTitle = FirstTitleLocked(index);
  view.titleCount = std::clamp(titleCount - view.firstTitle, 0, SlotCount(view.content));
  view.hasPrevious = index > 0;
  view.hasNext = index + 1 < static_cast<int>(m_pages.size());
  for (int i = 0; i < view.titleCount; ++i) view.titles.push_back(m_titles->Title(view.firstTitle + i));
  return view;
}

PageView Menu::View(int index) const {
  std::lock_guard guard(m_lock);
  return ViewLocked(index, m_titles ? m_titles->Count() : 0);
}

std::vector<PageView> Menu::Snapshot() const {
  std::lock_guard guard(m_lock);
  const int count = m_titles ? m_titles->Count() : 0;
  std::vector<PageView> views;
  for (int i = 0; i < static_cast<int>(m_pages.size()); ++i) views.push_back(ViewLocked(i, count));
  return views;
}

std::vector<PageView> Menu::ViewsForTitles(int titleCount) const {
  titleCount = std::max(0, titleCount);
  std::lock_guard guard(m_lock);
  std::vector<PageContent> contents;
  for (const auto& slot : m_pages) contents.push_back(slot.content);
  FitPagesToTitles(contents, titleCount);
  const int known = m_titles ? m_titles->Count() : 0;
  std::vector<PageView> views;
  int first = 0;
  for (size_t i = 0; i < contents.size(); ++i) {
    PageView view;
    view.index = static_cast<int>(i);
    view.firstTitle = first;
    view.titleCount = std::clamp(titleCount - first, 0, SlotCount(contents[i]));
    view.hasPrevious = i > 0;
    view.hasNext = i + 1 < contents.size();
    for (int t = 0; t < view.titleCount; ++t)
      view.titles.push_back(first + t < known ? m_titles->Title(first + t) : TitleThumbnail{});
    first += SlotCount(contents[i]);
    view.content = std::move(contents[i]);
    views.push_back(std::move(view));
  }
  return views;
}

// --- selection ---

Selection Menu::GetSelection() const {
  std::lock_guard guard(m_lock);
  return m_selection;
}

void Menu::Select(Selection selection) {
  {
    std::lock_guard guard(m_lock);
    if (selection == m_selection) return;
    m_selection = selection;
  }
  Changed();
}

int Menu::SelectedTitle() const {
  std::lock_guard guard(m_lock);
  if (m_selection.kind != ElementKind::Frame) return -1;
  const int title = FirstTitleLocked(m_current) + m_selection.index;
  const int count = m_titles ? m_titles->Count() : 0;
  return title < count ? title : -1;
}

std::optional<TextItem> Menu::SelectedText(const MenuPage& page) const {
  std::lock_guard guard(m_lock);
  const int index = IndexLocked(page);
  if (index < 0 || index != m_current || m_selection.kind != ElementKind::Text) return std::nullopt;
  const auto& texts = m_pages[static_cast<size_t>(index)].content.texts;
  if (m_selection.index < 0 || m_selection.index >= static_cast<int>(texts.size())) return std::nullopt;
  return texts[static_cast<size_t>(m_selection.index)];
}

bool Menu::EditSelectedText(const MenuPage& page, const std::function<bool(TextItem&)>& edit) {
  {
    std::lock_guard guard(m_lock);
    const int index = IndexLocked(page);
    if (index < 0 || index != m_current || m_selection.kind != ElementKind::Text) return false;
    auto& texts = m_pages[static_cast<size_t>(index)].content.texts;
    if (m_selection.index < 0 || m_selection.index >= static_cast<int>(texts.size())) return false;
    TextItem item = texts[static_cast<size_t>(m_selection.index)];
    if (!edit(item)) return false;
    texts[static_cast<size_t>(m_selection.index)] = std::move(item);
  }
  Changed();
  return true;
}

int Menu::AddTextItem(const MenuPage& page) {
  int added;
  bool selected = false;
  {
    std::lock_guard guard(m_lock);
    const int index = IndexLocked(page);
    if (index < 0) return -1;
    TextItem item;
    item.box = MeasureTextBox(item, kCanvasWidth / 2, kCanvasHeight / 2);
    auto& texts = m_pages[static_cast<size_t>(index)].content.texts;
    texts.push_back(std::move(item));
    added = static_cast<int>(texts.size()) - 1;
    if (index == m_current) {
      m_selection = {ElementKind::Text, added};
      selected = true;
    }
  }
  Changed();
  if (selected) NotifyElementChosen(ElementKind::Text);
  return added;
}

// --- notifications ---

void Menu::SetNotifyWindow(uintptr_t window) {
  std::lock_guard guard(m_lock);
  m_notifyWindow = window;
}

uintptr_t Menu::NotifyWindow() const {
  std::lock_guard guard(m_lock);
  return m_notifyWindow;
}

void Menu::NotifyElementChosen(ElementKind kind) const {
  const uintptr_t window = NotifyWindow();
  if (window) engines::PostToWindow(window, kDesignerNotify, kElementChosen, static_cast<intptr_t>(kind));
}

void Menu::SetChangeListener(std::function<void()> listener) {
  std::lock_guard guard(m_lock);
  m_listener = std::move(listener);
}

// --- XML ---

std::u16string Menu::ToXml() const {
  MenuDocument document;
  {
    std::lock_guard guard(m_lock);
    for (const auto& slot : m_pages) document.pages.push_back(slot.content);
    const int count = m_titles ? m_titles->Count() : 0;
    for (int i = 0; i < count; ++i) document.thumbnails.push_back(m_titles->ThumbnailPath(i));
  }
  return WriteMenuXml(document);
}

bool Menu::FromXml(std::u16string_view xml, std::string& error) {
  MenuDocument document;
  if (!ReadMenuXml(xml, document, error)) return false;
  {
    std::lock_guard guard(m_lock);
    // The pages are replaced one for one, so page handles stay valid where a page remains.
    while (m_pages.size() > document.pages.size()) {
      engines::UnregisterObject(m_pages.back().page->handle);
      m_pages.pop_back();
    }
    for (size_t i = 0; i < document.pages.size(); ++i) {
      if (i < m_pages.size())
        m_pages[i].content = std::move(document.pages[i]);
      else
        m_pages.push_back({NewPageLocked(), std::move(document.pages[i])});
    }
    m_current = 0;  // a restored menu is walked from its first page
    m_selection = {};
    SyncLocked(m_titles ? m_titles->Count() : 0);
  }
  Changed();
  return true;
}

}  // namespace engines::menu
