// The encoder manager: started once at program start, stopped at exit. Starting routes
// FFmpeg's log into the engine log and hands out the manager's handle; the converter does the
// encoding itself.

#include <mutex>

#include "engines/common/EngineApi.h"
#include "engines/common/EngineGuard.h"
#include "engines/common/EngineHandles.h"
#include "engines/media/MediaLog.h"

namespace {

class EncoderManager final : public engines::EngineObject {};

std::mutex g_mutex;
engines::EngineHandle g_handle = 0;

}  // namespace

// Returns the manager's handle (the same one until stopped); 0 on failure.
ENGINE_API engines::EngineHandle QEMStart() {
  return engines::Guarded("QEMStart", engines::EngineHandle(0), [] {
    std::lock_guard lock(g_mutex);
    if (!engines::LookupObject(g_handle)) {
      engines::media::RouteAvLog();
      g_handle = engines::RegisterObject(std::make_shared<EncoderManager>());
    }
    return g_handle;
  });
}

ENGINE_API void QEMStop() {
  engines::Guarded("QEMStop", [] {
    std::lock_guard lock(g_mutex);
    if (g_handle) engines::UnregisterObject(g_handle);
    g_handle = 0;
  });
}

ENGINE_API engines::EngineHandle ordinal_5() { return QEMStart(); }
ENGINE_API void ordinal_6() { QEMStop(); }
ENGINE_API void MediaSetLogHook(engines::media::LogHook hook) { engines::media::SetLogHook(hook); }
