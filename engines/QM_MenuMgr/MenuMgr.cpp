#include <memory>

#include "engines/QM_DVDTitleList/DVDTitleList.h"
#include "engines/QM_MenuMgr/MenuMgrApi.h"
#include "engines/common/EngineGuard.h"
#include "engines/common/EngineLog.h"
#include "engines/menu/DesignerWindow.h"
#include "engines/menu/Menu.h"
#include "engines/menu/MenuData.h"
#include "engines/menu/PageRenderer.h"

namespace {

using engines::menu::ElementKind;

// The titles of a title list as the menu reads them. The title list has its own lock, so the
// menu may read it from any thread.
class TitleListSource : public engines::menu::TitleSource {
 public:
  explicit TitleListSource(EngineHandle list) : m_list(list) {}

  int Count() const override { return TLGetTitleCount(m_list); }

  std::u16string ThumbnailPath(int index) const override {
    const int length = TLGetTitleThumbnailPath(m_list, index, nullptr, 0);
    std::u16string path(static_cast<size_t>(length) + 1, u'\0');
    TLGetTitleThumbnailPath(m_list, index, path.data(), length + 1);
    path.resize(static_cast<size_t>(length));
    return path;
  }

  engines::menu::TitleThumbnail Title(int index) const override {
    engines::menu::TitleThumbnail title;
    title.path = ThumbnailPath(index);
    int32_t width = 0, height = 0;
    const int32_t bytes = TLGetTitleThumbnail(m_list, index, &width, &height, nullptr, 0);
    if (bytes > 0 && bytes == width * height * 4) {
      title.bgra.resize(static_cast<size_t>(bytes));
      // The thumbnail may change between the two calls; a size that no longer fits copies nothing.
      if (TLGetTitleThumbnail(m_list, index, &width, &height, title.bgra.data(), bytes) == bytes &&
          bytes == width * height * 4) {
        title.width = width;
        title.height = height;
      } else {
        title.bgra.clear();
      }
    }
    return title;
  }

 private:
  EngineHandle m_list;
};

// One menu manager: its menu, the title list it follows, the menu data it keeps current and
// its designer window. GUI thread.
class MenuManager : public engines::EngineObject {
 public:
  std::shared_ptr<engines::menu::Menu> menu = engines::menu::Menu::Create();
  EngineHandle titleList = 0;
  std::weak_ptr<engines::menu::MenuData> data;
  engines::menu::DesignerWindowPtr designer;
};

template <typename Result, typename Action>
Result WithManager(const char* entry, EngineHandle handle, Result missing, Action action) {
  return engines::Guarded(entry, missing, [&]() -> Result {
    const auto manager = engines::Lookup<MenuManager>(handle);
    if (!manager) return missing;
    return action(*manager);
  });
}

template <typename Action>
void WithManager(const char* entry, EngineHandle handle, Action action) {
  engines::Guarded(entry, [&] {
    if (const auto manager = engines::Lookup<MenuManager>(handle)) action(*manager);
  });
}

}  // namespace

ENGINE_API EngineHandle MGCreateMenuMgr() {
  return engines::Guarded("MGCreateMenuMgr", EngineHandle(0),
                          [] { return engines::RegisterObject(std::make_shared<MenuManager>()); });
}

ENGINE_API void MGDestroyMenuMgr(EngineHandle handle) {
  engines::Guarded("MGDestroyMenuMgr", [&] {
    const auto manager = engines::Lookup<MenuManager>(handle);
    if (!manager) return;
    manager->designer.reset();
    manager->menu->SetChangeListener(nullptr);
    if (const auto data = manager->data.lock()) data->Attach(nullptr);
    engines::UnregisterObject(handle);
  });
}

ENGINE_API void MGSetTitleList(EngineHandle handle, EngineHandle list) {
  WithManager("MGSetTitleList", handle, [&](MenuManager& manager) {
    manager.titleList = list;
    manager.menu->SetTitleSource(list ? std::make_shared<TitleListSource>(list) : nullptr);
  });
}

ENGINE_API void MGSetMenuData(EngineHandle handle, EngineHandle dataHandle) {
  WithManager("MGSetMenuData", handle, [&](MenuManager& manager) {
    if (const auto old = manager.data.lock()) old->Attach(nullptr);
    const auto data = engines::Lookup<engines::menu::MenuData>(dataHandle);
    manager.data = data;
    if (data) data->Attach(manager.menu);
  });
}

ENGINE_API void MGRegisterMsgHwnd(EngineHandle handle, HWND window) {
  WithManager("MGRegisterMsgHwnd", handle,
              [&](MenuManager& manager) { manager.menu->SetNotifyWindow(reinterpret_cast<uintptr_t>(window)); });
}

ENGINE_API int32_t MGCreateMDWindow(EngineHandle handle, HWND parent, int32_t x, int32_t y, int32_t width,
                                    int32_t height) {
  return WithManager("MGCreateMDWindow", handle, int32_t(0), [&](MenuManager& manager) -> int32_t {
    manager.menu->SyncToTitles();
    manager.designer.reset();
    manager.designer = engines::menu::CreateDesignerWindow(manager.menu, parent, x, y, width, height);
    return manager.designer ? 1 : 0;
  });
}

ENGINE_API void MGUpdateMDWindow(EngineHandle handle) {
  WithManager("MGUpdateMDWindow", handle, [&](MenuManager& manager) {
    manager.menu->SyncToTitles();
    if (manager.designer) engines::menu::UpdateDesignerWindow(*manager.designer);
  });
}

// The calls below first bring the pages in line with the title list: the program inserts
// titles without telling the manager.

ENGINE_API EngineHandle MGGetCurrentPage(EngineHandle handle) {
  return WithManager("MGGetCurrentPage", handle, EngineHandle(0), [&](MenuManager& manager) {
    manager.menu->SyncToTitles();
    return manager.menu->PageHandle(manager.menu->CurrentPageIndex());
  });
}

ENGINE_API int32_t MGGetPageCount(EngineHandle handle) {
  return WithManager("MGGetPageCount", handle, int32_t(0), [&](MenuManager& manager) {
    manager.menu->SyncToTitles();
    return int32_t(manager.menu->PageCount());
  });
}

ENGINE_API int32_t MGGetCurrentPageIndex(EngineHandle handle) {
  return WithManager("MGGetCurrentPageIndex", handle, int32_t(-1), [&](MenuManager& manager) {
    manager.menu->SyncToTitles();
    return int32_t(manager.menu->CurrentPageIndex());
  });
}

ENGINE_API int32_t MGNextMenuPage(EngineHandle handle) {
  return WithManager("MGNextMenuPage", handle, int32_t(0), [&](MenuManager& manager) {
    manager.menu->SyncToTitles();
    return manager.menu->NextPage() ? 1 : 0;
  });
}

ENGINE_API int32_t MGPrevMenuPage(EngineHandle handle) {
  return WithManager("MGPrevMenuPage", handle, int32_t(0), [&](MenuManager& manager) {
    manager.menu->SyncToTitles();
    return manager.menu->PreviousPage() ? 1 : 0;
  });
}

ENGINE_API void MGGetButtonState(EngineHandle handle, int32_t* state) {
  if (!state) return;
  state[0] = state[1] = state[2] = 0;
  WithManager("MGGetButtonState", handle, [&](MenuManager& manager) {
    manager.menu->SyncToTitles();
    const int current = manager.menu->CurrentPageIndex();
    state[0] = current > 0 ? 1 : 0;
    state[2] = current + 1 < manager.menu->PageCount() ? 1 : 0;
  });
}

ENGINE_API int32_t MGGetCurFrameTotalIndex(EngineHandle handle) {
  return WithManager("MGGetCurFrameTotalIndex", handle, int32_t(-1),
                     [&](MenuManager& manager) { return int32_t(manager.menu->SelectedTitle()); });
}

ENGINE_API void MGSetMDFocus(EngineHandle handle, int32_t item, int32_t /*reserved*/) {
  WithManager("MGSetMDFocus", handle, [&](MenuManager& manager) {
    if (item < 0 || item > 6) return;
    const auto kind = item == 0 ? ElementKind::Background : static_cast<ElementKind>(item);
    manager.menu->SyncToTitles();
    if (manager.designer) {
      engines::menu::FocusDesignerElement(*manager.designer, kind);
      return;
    }
    // Without a window the selection still moves, so that the program's lists act on it; the
    // kind asked for is what is told (as the window does), so the program stays on its list
    // even when the page has no element of that kind.
    const auto view = manager.menu->View(manager.menu->CurrentPageIndex());
    const auto element = engines::menu::FirstElement(view, kind);
    manager.menu->Select(element ? engines::menu::Selection{element->kind, element->index}
                                 : engines::menu::Selection{});
    manager.menu->NotifyElementChosen(kind);
  });
}

ENGINE_API int32_t MGGetXmlText(EngineHandle handle, char16_t* buffer, int32_t capacity) {
  return WithManager("MGGetXmlText", handle, int32_t(0), [&](MenuManager& manager) {
    manager.menu->SyncToTitles();
    return int32_t(engines::CopyText(manager.menu->ToXml(), buffer, capacity));
  });
}

ENGINE_API int32_t MGSetXmlText(EngineHandle handle, const char16_t* text) {
  return WithManager("MGSetXmlText", handle, int32_t(0), [&](MenuManager& manager) -> int32_t {
    std::string error;
    if (!text || !manager.menu->FromXml(engines::ReadText(text), error)) {
      engines::LogLine("MGSetXmlText: the menu is kept: " + (text ? error : std::string("no text")));
      return 0;
    }
    if (manager.designer) engines::menu::UpdateDesignerWindow(*manager.designer);
    return 1;
  });
}
