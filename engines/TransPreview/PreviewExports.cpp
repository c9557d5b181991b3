// Entry points of the transition preview. Each looks its handle up (0 or stale: nothing
// happens) and runs guarded, so no exception leaves the library.

#include "engines/TransPreview/TransPreviewApi.h"
#include "engines/TransPreview/TransitionPreview.h"
#include "engines/common/EngineGuard.h"
#include "engines/common/EngineLog.h"

using transpreview::TransitionPreview;

namespace {

template <typename Body>
void WithPreview(const char* entry, EngineHandle handle, Body&& body) {
  engines::Guarded(entry, [&] {
    if (auto found = engines::Lookup<TransitionPreview>(handle)) body(*found);
  });
}

}  // namespace

ENGINE_API EngineHandle TPCreate(HWND parent, const RECT* rect) {
  return engines::Guarded("TPCreate", EngineHandle(0), [&]() -> EngineHandle {
    if (!parent || !rect) {
      engines::LogLine("TPCreate: no parent window or rectangle");
      return 0;
    }
    return engines::RegisterObject(TransitionPreview::Create(parent, *rect));
  });
}

ENGINE_API void TPSetTransID(EngineHandle preview, const char* id, double duration) {
  WithPreview(__func__, preview, [&](TransitionPreview& p) { p.SetTransition(id ? id : "", duration); });
}

ENGINE_API int32_t TPSetImage(EngineHandle preview, const BITMAPINFO* info1, const void* bits1,
                              const BITMAPINFO* info2, const void* bits2) {
  return engines::Guarded(__func__, int32_t(0), [&]() -> int32_t {
    auto found = engines::Lookup<TransitionPreview>(preview);
    if (!found) return 0;
    std::string why;
    if (found->SetPictures(info1, bits1, info2, bits2, &why)) return 1;
    engines::LogLine("TPSetImage: " + why);
    return 0;
  });
}

ENGINE_API void TPPlay(EngineHandle preview) { WithPreview(__func__, preview, [](TransitionPreview& p) { p.Play(); }); }
ENGINE_API void TPStop(EngineHandle preview) { WithPreview(__func__, preview, [](TransitionPreview& p) { p.Stop(); }); }

ENGINE_API void TPDestroy(EngineHandle preview) {
  engines::Guarded(__func__, [&] {
    auto found = engines::Lookup<TransitionPreview>(preview);
    if (!found) return;
    engines::UnregisterObject(preview);
    found->Close();
  });
}
