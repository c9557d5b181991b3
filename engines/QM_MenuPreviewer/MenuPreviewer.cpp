// Entry points of the menu previewer. Each looks its handle up (0 or stale: nothing happens)
// and runs guarded, so no exception leaves the library. The window is engines/menu's
// PreviewWindow.

#include "engines/QM_MenuPreviewer/MenuPreviewerApi.h"

#include <memory>

#include "engines/common/EngineGuard.h"
#include "engines/common/EngineLog.h"
#include "engines/menu/MenuData.h"
#include "engines/menu/PreviewWindow.h"

static_assert(kMenuPreviewAction == engines::menu::kPreviewNotify);
static_assert(kMenuPreviewTitleChosen == engines::menu::kPreviewTitleChosen);
static_assert(kMenuPreviewPageShown == engines::menu::kPreviewPageShown);

namespace {

// One previewer: its window. GUI thread.
class MenuPreviewer : public engines::EngineObject {
 public:
  std::unique_ptr<engines::menu::PreviewWindow> window;
};

template <typename Body>
void WithPreviewer(const char* entry, EngineHandle handle, Body&& body) {
  engines::Guarded(entry, [&] {
    if (const auto previewer = engines::Lookup<MenuPreviewer>(handle); previewer && previewer->window)
      body(*previewer->window);
  });
}

}  // namespace

ENGINE_API EngineHandle MPCreate(HWND parent, int32_t x, int32_t y, int32_t width, int32_t height) {
  return engines::Guarded("MPCreate", EngineHandle(0), [&]() -> EngineHandle {
    if (!parent) {
      engines::LogLine("MPCreate: no parent window");
      return 0;
    }
    auto previewer = std::make_shared<MenuPreviewer>();
    previewer->window = engines::menu::PreviewWindow::Create(parent, x, y, width, height);
    return engines::RegisterObject(previewer);
  });
}

ENGINE_API void MPSetMenuData(EngineHandle previewer, EngineHandle data) {
  WithPreviewer("MPSetMenuData", previewer, [&](engines::menu::PreviewWindow& window) {
    auto menuData = engines::Lookup<engines::menu::MenuData>(data);
    if (!menuData && data) engines::LogLine("MPSetMenuData: the handle is not a menu data object");
    window.SetMenuData(std::move(menuData));
  });
}

ENGINE_API void MPRegisterMsgHwnd(EngineHandle previewer, HWND window) {
  WithPreviewer("MPRegisterMsgHwnd", previewer, [&](engines::menu::PreviewWindow& preview) {
    preview.SetNotifyWindow(reinterpret_cast<uintptr_t>(window));
  });
}

ENGINE_API void MPDestroy(EngineHandle previewer) {
  engines::Guarded("MPDestroy", [&] {
    const auto found = engines::Lookup<MenuPreviewer>(previewer);
    if (!found) return;
    engines::UnregisterObject(previewer);
    found->window.reset();
  });
}
