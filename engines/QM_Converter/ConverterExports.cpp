// Entry points of the converter engine.

#include <sys/statvfs.h>

#include <filesystem>

#include "engines/QM_Converter/ConverterApi.h"
#include "engines/QM_Converter/Converter.h"
#include "engines/common/EngineGuard.h"
#include "engines/media/MediaLog.h"
#include "platform/kernel/Unicode.h"

using engines::media::LogLine;
using engines::media::MediaSource;

namespace {

std::shared_ptr<Converter> Find(EngineHandle handle) { return engines::Lookup<Converter>(handle); }

}  // namespace

ENGINE_API EngineHandle QECreate(EngineHandle videoSource, EngineHandle audioSource) {
  return engines::Guarded("creating a converter", EngineHandle(0), [&]() -> EngineHandle {
    std::shared_ptr<MediaSource> video, audio;
    if (videoSource) {
      video = engines::Lookup<MediaSource>(videoSource);
      if (!video || !video->HasVideo()) {
        LogLine("cannot create a converter: the video source handle is not a video source");
        return 0;
      }
    }
    if (audioSource) {
      audio = engines::Lookup<MediaSource>(audioSource);
      if (!audio || !audio->HasAudio()) {
        LogLine("cannot create a converter: the audio source handle is not an audio source");
        return 0;
      }
    }
    if (!video && !audio) {
      LogLine("cannot create a converter without a video or an audio source");
      return 0;
    }
    return engines::RegisterObject(std::make_shared<Converter>(std::move(video), std::move(audio)));
  });
}

ENGINE_API void QEDestroy(EngineHandle converter) {
  engines::Guarded("destroying a converter", 0, [&] {
    if (Find(converter)) engines::UnregisterObject(converter);  // the destructor aborts and joins
    return 0;
  });
}

ENGINE_API EngineHandle ordinal_1(EngineHandle videoSource, EngineHandle audioSource) {
  return QECreate(videoSource, audioSource);
}
ENGINE_API void ordinal_2(EngineHandle converter) { QEDestroy(converter); }

ENGINE_API int32_t QESetOutputFile(EngineHandle converter, const char16_t* fileName) {
  return engines::Guarded("setting the output file", 0, [&] {
    auto found = Find(converter);
    return found && found->SetOutputFile(platform::Utf16ToUtf8(engines::ReadText(fileName))) ? 1 : 0;
  });
}

ENGINE_API int32_t QESetEncodeParam(EngineHandle converter, const QEEncodeParam* param) {
  return engines::Guarded("setting encoding parameters", 0, [&] {
    auto found = Find(converter);
    return found && param && found->SetParam(*param) ? 1 : 0;
  });
}

ENGINE_API int32_t QEGetEncodeParam(EngineHandle converter, QEEncodeParam* param) {
  return engines::Guarded("reading encoding parameters", 0, [&] {
    auto found = Find(converter);
    if (!found || !param) return 0;
    *param = found->Param();
    return 1;
  });
}

ENGINE_API void QEInitEncodeParam(QEEncodeParam* param) {
  if (!param) return;
  engines::Guarded("QEInitEncodeParam", [&] {
    QEEncodeParam zero{};
    std::string unused;
    Converter::Normalize(zero, *param, unused);
  });
}

ENGINE_API int32_t QEStart(EngineHandle converter, double begin, double length, int32_t, QECallback callback,
                           void* userData) {
  return engines::Guarded("starting an encoding", -1, [&] {
    auto found = Find(converter);
    if (!found) {
      LogLine("cannot start an encoding: unknown converter handle");
      return -1;
    }
    return found->Start(begin, length, callback, userData);
  });
}

ENGINE_API int32_t QEPause(EngineHandle converter) {
  return engines::Guarded("pausing", 0, [&] {
    auto found = Find(converter);
    if (!found) return 0;
    found->Pause(true);
    return 1;
  });
}

ENGINE_API int32_t QEResume(EngineHandle converter) {
  return engines::Guarded("resuming", 0, [&] {
    auto found = Find(converter);
    if (!found) return 0;
    found->Pause(false);
    return 1;
  });
}

ENGINE_API int32_t QEAbort(EngineHandle converter, int32_t, int32_t) {
  return engines::Guarded("aborting", 0, [&] {
    auto found = Find(converter);
    if (!found) return 0;
    found->Abort();
    return 1;
  });
}

ENGINE_API int32_t QEEnablePreview(EngineHandle converter, int32_t on) {
  return engines::Guarded("switching the preview", 0, [&] {
    auto found = Find(converter);
    if (!found) return 0;
    found->EnablePreview(on != 0);
    return 1;
  });
}

ENGINE_API int32_t QEGetLastError(EngineHandle converter, char16_t* buffer, int32_t capacity) {
  return engines::Guarded("reading the last error", 0, [&] {
    auto found = Find(converter);
    return engines::CopyText(found ? platform::Utf8ToUtf16(found->LastError()) : std::u16string(), buffer, capacity);
  });
}

ENGINE_API int64_t QEGetDiskFreeSpace(const char16_t* path) {
  return engines::Guarded("reading free disk space", int64_t(0), [&]() -> int64_t {
    std::filesystem::path folder = platform::Utf16ToUtf8(engines::ReadText(path));
    if (folder.empty()) return 0;
    std::error_code error;
    while (!folder.empty() && !std::filesystem::exists(folder, error)) {
      if (folder == folder.parent_path()) break;
      folder = folder.parent_path();
    }
    struct statvfs stats {};
    if (folder.empty() || statvfs(folder.c_str(), &stats) != 0) return 0;
    return int64_t(stats.f_bavail) * int64_t(stats.f_frsize);
  });
}

ENGINE_API void MediaSetLogHook(engines::media::LogHook hook) { engines::media::SetLogHook(hook); }
