// Entry points of the decoder manager. The same file builds QM_DecMgr.so and
// QM_SWFDecoder.so.

#include <atomic>
#include <cstring>

#include "engines/common/EngineGuard.h"
#include "engines/media/DecoderApi.h"
#include "engines/media/FileInfo.h"
#include "engines/media/FileSource.h"
#include "platform/kernel/Unicode.h"

namespace {

using namespace engines::media;

std::atomic<bool> g_started{false};

std::string PathOf(const char16_t* fileName) {
  return platform::Utf16ToUtf8(engines::ReadText(fileName));
}

EngineHandle CreateDecoder(const char* entry, const char16_t* fileName, const void* params, int32_t* status,
                           StreamKind kind) {
  if (status) *status = -1;
  return engines::Guarded(entry, EngineHandle(0), [&]() -> EngineHandle {
    const std::string path = PathOf(fileName);
    if (path.empty()) {
      LogLine("cannot open a decoder: no file name given");
      return 0;
    }
    DecoderOptions options;
    if (params) {
      TDecodeParams block;
      std::memcpy(&block, params, sizeof(block));
      options.subtitleStreamId = block.subtitleStreamId;
    }
    std::string error;
    std::shared_ptr<FileSource> source = FileSource::Open(path, kind, options, error);
    if (!source) return 0;
    EngineHandle handle = engines::RegisterObject(std::move(source));
    if (handle && status) *status = 0;
    return handle;
  });
}

void DestroyDecoder(const char* entry, EngineHandle handle) {
  engines::Guarded(entry, [&] {
    // Only file decoders are destroyed here; another engine's object is left alone.
    if (engines::Lookup<FileSource>(handle)) engines::UnregisterObject(handle);
  });
}

}  // namespace

ENGINE_API int32_t QDMStart() {
  RouteAvLog();
  g_started = true;
  return 1;
}

ENGINE_API void QDMStop() { g_started = false; }
ENGINE_API int32_t ordinal_30() { return QDMStart(); }
ENGINE_API void ordinal_31() { QDMStop(); }

ENGINE_API TMediaFileInfo* QDMGetFileInfo(const char16_t* fileName, int32_t /*mode*/) {
  return engines::Guarded("QDMGetFileInfo", static_cast<TMediaFileInfo*>(nullptr), [&]() -> TMediaFileInfo* {
    const std::string path = PathOf(fileName);
    if (path.empty()) return nullptr;
    std::string error;
    return CreateFileInfo(path, error);
  });
}

ENGINE_API void QDMFreeFileInfo(TMediaFileInfo* info) {
  engines::Guarded("QDMFreeFileInfo", [&] { FreeFileInfo(info); });
}

ENGINE_API TMediaFileInfo* ordinal_1(const char16_t* fileName, int32_t mode) { return QDMGetFileInfo(fileName, mode); }
ENGINE_API void ordinal_2(TMediaFileInfo* info) { QDMFreeFileInfo(info); }

ENGINE_API EngineHandle QVDCreate(const char16_t* fileName, const void* params, int32_t* status, int32_t) {
  return CreateDecoder("QVDCreate", fileName, params, status, StreamKind::Video);
}

ENGINE_API EngineHandle QADCreate(const char16_t* fileName, const void* params, int32_t* status, int32_t) {
  return CreateDecoder("QADCreate", fileName, params, status, StreamKind::Audio);
}

ENGINE_API void QVDDestroy(EngineHandle decoder) { DestroyDecoder("QVDDestroy", decoder); }
ENGINE_API void QADDestroy(EngineHandle decoder) { DestroyDecoder("QADDestroy", decoder); }

ENGINE_API const TVideoInfo* QVDGetVideoInfo(EngineHandle source) {
  return engines::Guarded("QVDGetVideoInfo", static_cast<const TVideoInfo*>(nullptr), [&]() -> const TVideoInfo* {
    auto found = engines::Lookup<MediaSource>(source);
    return found && found->HasVideo() ? found->VideoInfo() : nullptr;
  });
}

ENGINE_API const TAudioInfo* QADGetAudioInfo(EngineHandle source) {
  return engines::Guarded("QADGetAudioInfo", static_cast<const TAudioInfo*>(nullptr), [&]() -> const TAudioInfo* {
    auto found = engines::Lookup<MediaSource>(source);
    return found && found->HasAudio() ? found->AudioInfo() : nullptr;
  });
}

ENGINE_API void MediaSetLogHook(LogHook hook) { SetLogHook(hook); }
