// Entry points of the title compositor.

#include <cmath>

#include "engines/TracksDecoder/TrackSources.h"
#include "engines/TracksDecoder/TracksDecoderApi.h"
#include "engines/common/EngineGuard.h"
#include "engines/media/MediaLog.h"

using engines::media::LogLine;

ENGINE_API EngineHandle MTDVideoCreate(EngineHandle doc, int32_t width, int32_t height, double fps, int32_t flag) {
  return engines::Guarded(__func__, EngineHandle(0), [&]() -> EngineHandle {
    if (width < 2 || height < 2 || width > 4096 || height > 4096) {
      LogLine("cannot make a title's video decoder: the frame size " + std::to_string(width) + "x" +
              std::to_string(height) + " is out of range");
      return 0;
    }
    if (!std::isfinite(fps) || fps < 1.0 || fps > 120.0) {
      LogLine("cannot make a title's video decoder: the frame rate " + std::to_string(fps) + " is out of range");
      return 0;
    }
    tracks::TitlePlan plan = tracks::TakeSnapshot(doc);
    if (plan.clips.empty() || plan.length <= 0.0) return 0;
    return engines::RegisterObject(
        std::make_shared<tracks::VideoTrack>(std::move(plan), width, height, fps, flag == kMTDOutputFrame));
  });
}

ENGINE_API EngineHandle MTDAudioCreate(EngineHandle doc, int32_t rate, int32_t channels) {
  return engines::Guarded(__func__, EngineHandle(0), [&]() -> EngineHandle {
    if (rate != engines::media::kAudioRate || channels != engines::media::kAudioChannels) {
      LogLine("cannot make a title's audio decoder: only 48000 Hz stereo is mixed, not " + std::to_string(rate) +
              " Hz with " + std::to_string(channels) + " channels");
      return 0;
    }
    tracks::TitlePlan plan = tracks::TakeSnapshot(doc);
    if (plan.clips.empty() || plan.length <= 0.0) return 0;
    return engines::RegisterObject(std::make_shared<tracks::AudioTrack>(std::move(plan)));
  });
}

ENGINE_API void MTDVideoDestroy(EngineHandle decoder) {
  engines::Guarded(__func__, [&] {
    if (engines::Lookup<tracks::VideoTrack>(decoder)) engines::UnregisterObject(decoder);
  });
}

ENGINE_API void MTDAudioDestroy(EngineHandle decoder) {
  engines::Guarded(__func__, [&] {
    if (engines::Lookup<tracks::AudioTrack>(decoder)) engines::UnregisterObject(decoder);
  });
}
