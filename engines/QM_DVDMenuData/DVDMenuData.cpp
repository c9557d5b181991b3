#include <memory>

#include "engines/QM_DVDMenuData/DVDMenuDataApi.h"
#include "engines/common/EngineGuard.h"
#include "engines/menu/Menu.h"
#include "engines/menu/MenuData.h"

ENGINE_API EngineHandle MTCreateMenuData() {
  return engines::Guarded("MTCreateMenuData", EngineHandle(0),
                          [] { return engines::RegisterObject(std::make_shared<engines::menu::MenuData>()); });
}

ENGINE_API void MTDestroyMenuData(EngineHandle data) {
  engines::Guarded("MTDestroyMenuData", [&] {
    if (engines::Lookup<engines::menu::MenuData>(data)) engines::UnregisterObject(data);
  });
}

ENGINE_API int32_t MTGetMenuPageCount(EngineHandle handle) {
  return engines::Guarded("MTGetMenuPageCount", int32_t(0), [&]() -> int32_t {
    const auto data = engines::Lookup<engines::menu::MenuData>(handle);
    const auto menu = data ? data->GetMenu() : nullptr;
    return menu ? menu->PageCount() : 0;
  });
}

ENGINE_API EngineHandle MTGetMenuPage(EngineHandle handle, int32_t index) {
  return engines::Guarded("MTGetMenuPage", EngineHandle(0), [&]() -> EngineHandle {
    const auto data = engines::Lookup<engines::menu::MenuData>(handle);
    const auto menu = data ? data->GetMenu() : nullptr;
    return menu ? menu->PageHandle(index) : 0;
  });
}

ENGINE_API int32_t MTGetMenuPageAudio(EngineHandle handle, char16_t* buffer, int32_t capacity) {
  return engines::Guarded("MTGetMenuPageAudio", int32_t(0), [&]() -> int32_t {
    const auto page = engines::Lookup<engines::menu::MenuPage>(handle);
    const auto menu = page ? page->GetMenu() : nullptr;
    const int index = menu ? menu->IndexOfPage(*page) : -1;
    // An unknown page answers empty text, so a caller's zeroed buffer stays a valid text.
    const std::u16string audio = index >= 0 ? menu->Content(index).audio : std::u16string();
    return engines::CopyText(audio, buffer, capacity);
  });
}
