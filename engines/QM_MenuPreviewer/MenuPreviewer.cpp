#include "engines/QM_MenuPreviewer/MenuPreviewerApi.h"

#include "engines/common/EngineGuard.h"

// Stand-ins until the previewer window is built: a previewer is a handle that does nothing.
namespace {

class MenuPreviewer : public engines::EngineObject {};

}  // namespace

ENGINE_API EngineHandle MPCreate(HWND /*parent*/, int32_t /*x*/, int32_t /*y*/, int32_t /*width*/, int32_t /*height*/) {
  return engines::Guarded("MPCreate", EngineHandle(0),
                          [] { return engines::RegisterObject(std::make_shared<MenuPreviewer>()); });
}

ENGINE_API void MPSetMenuData(EngineHandle /*previewer*/, EngineHandle /*data*/) {}

ENGINE_API void MPRegisterMsgHwnd(EngineHandle /*previewer*/, HWND /*window*/) {}

ENGINE_API void MPDestroy(EngineHandle previewer) {
  if (engines::Lookup<MenuPreviewer>(previewer)) engines::UnregisterObject(previewer);
}
