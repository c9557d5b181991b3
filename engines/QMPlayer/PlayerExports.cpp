// Entry points of the player engine. Each looks its handles up (0 or stale: nothing happens
// and the neutral value is answered) and runs guarded, so no exception leaves the library.

#include "engines/QMPlayer/FrameView.h"
#include "engines/QMPlayer/Player.h"
#include "engines/QMPlayer/PlayerApi.h"
#include "engines/QMPlayer/PlayerDiagnostics.h"
#include "engines/common/EngineGuard.h"

using player::FrameView;
using player::Player;

namespace {

template <typename Body>
void WithPlayer(const char* entry, EngineHandle handle, Body&& body) {
  engines::Guarded(entry, [&] {
    if (auto found = engines::Lookup<Player>(handle)) body(*found);
  });
}

template <typename Result, typename Body>
Result AskPlayer(const char* entry, EngineHandle handle, Result neutral, Body&& body) {
  return engines::Guarded(entry, neutral, [&]() -> Result {
    auto found = engines::Lookup<Player>(handle);
    return found ? body(*found) : neutral;
  });
}

template <typename Result, typename Body>
Result AskView(const char* entry, EngineHandle playerHandle, EngineHandle viewHandle, Result neutral, Body&& body) {
  return engines::Guarded(entry, neutral, [&]() -> Result {
    auto found = engines::Lookup<Player>(playerHandle);
    auto view = found ? found->FindView(viewHandle) : nullptr;
    return view ? body(*view) : neutral;
  });
}

EngineHandle CreateView(const char* entry, EngineHandle player, HWND parent, const RECT* rect, bool customSize,
                        const TPlayerViewSize* size) {
  return AskPlayer(entry, player, EngineHandle(0), [&](Player& found) -> EngineHandle {
    if (!parent || !rect) {
      engines::LogLine(std::string(entry) + ": no parent window or rectangle");
      return 0;
    }
    return found.CreateView(parent, *rect, customSize, size);
  });
}

}  // namespace

ENGINE_API EngineHandle VPCreate() {
  return engines::Guarded("VPCreate", EngineHandle(0), [] { return engines::RegisterObject(std::make_shared<Player>()); });
}

ENGINE_API void VPDestroy(EngineHandle player) {
  engines::Guarded("VPDestroy", [&] {
    auto found = engines::Lookup<Player>(player);
    if (!found) return;
    engines::UnregisterObject(player);
    found->Destroy();
  });
}

ENGINE_API void ordinal_3(EngineHandle player, EngineHandle videoSource, EngineHandle audioSource) {
  WithPlayer("VPSetSources", player, [&](Player& p) { p.SetSources(videoSource, audioSource); });
}

ENGINE_API void VPSetPlayTime(EngineHandle player, double begin, double length) {
  WithPlayer(__func__, player, [&](Player& p) { p.SetPlayTime(begin, length); });
}
ENGINE_API void VPPlay(EngineHandle player) { WithPlayer(__func__, player, [](Player& p) { p.Play(); }); }
ENGINE_API void VPStop(EngineHandle player) { WithPlayer(__func__, player, [](Player& p) { p.Stop(); }); }
ENGINE_API void VPPause(EngineHandle player) { WithPlayer(__func__, player, [](Player& p) { p.Pause(); }); }
ENGINE_API void VPResume(EngineHandle player) { WithPlayer(__func__, player, [](Player& p) { p.Resume(); }); }
ENGINE_API void VPSeek(EngineHandle player, double time, int32_t flag) {
  WithPlayer(__func__, player, [&](Player& p) { p.Seek(time, flag == kPlayerSeekExact); });
}
ENGINE_API void VPForward(EngineHandle player) { WithPlayer(__func__, player, [](Player& p) { p.Forward(); }); }
ENGINE_API void VPUpdate(EngineHandle player) { WithPlayer(__func__, player, [](Player& p) { p.Update(); }); }
ENGINE_API void VPSetCallBack(EngineHandle player, HWND window) {
  WithPlayer(__func__, player, [&](Player& p) { p.SetCallback(window); });
}
ENGINE_API double VPGetPlayedTime(EngineHandle player) {
  return AskPlayer(__func__, player, 0.0, [](Player& p) { return p.PlayedTime(); });
}
ENGINE_API double VPGetMovieLength(EngineHandle player) {
  return AskPlayer(__func__, player, 0.0, [](Player& p) { return p.MovieLength(); });
}
ENGINE_API int32_t VPSetVolume(EngineHandle player, int32_t percent) {
  return AskPlayer(__func__, player, int32_t(0), [&](Player& p) -> int32_t {
    if (percent < 0 || percent > 200) return 0;
    p.SetVolume(percent);
    return 1;
  });
}

ENGINE_API EngineHandle VPCreateView(EngineHandle player, HWND parent, const RECT* rect, const TPlayerViewSize* size) {
  // The older entry: a size record with a width and a height asks for that size.
  const bool custom = size && size->width > 0 && size->height > 0;
  return CreateView(__func__, player, parent, rect, custom, size);
}
ENGINE_API EngineHandle VPCreateViewEx(EngineHandle player, HWND parent, const RECT* rect, int32_t useCustomSize,
                                       const TPlayerViewSize* size) {
  return CreateView(__func__, player, parent, rect, useCustomSize != 0, size);
}
ENGINE_API void VPDestroyView(EngineHandle player, EngineHandle view) {
  WithPlayer(__func__, player, [&](Player& p) { p.DestroyView(view); });
}
ENGINE_API HWND VPGetPlayerHwnd(EngineHandle player, EngineHandle view) {
  return AskView(__func__, player, view, HWND(nullptr), [](player::PlayerView& v) { return v.PlayerWindow(); });
}
ENGINE_API int32_t VPGetDisplayResizeMode(EngineHandle player, EngineHandle view) {
  return AskView(__func__, player, view, int32_t(0), [](player::PlayerView& v) { return v.Mode(); });
}
ENGINE_API int32_t VPSetDisplayResizeMode(EngineHandle player, EngineHandle view, int32_t mode) {
  return AskView(__func__, player, view, int32_t(0), [&](player::PlayerView& v) -> int32_t {
    v.SetMode(mode);
    return 1;
  });
}
ENGINE_API int32_t VPGetCropRect(EngineHandle player, EngineHandle view, RECT* rect) {
  return AskView(__func__, player, view, int32_t(0), [&](player::PlayerView& v) -> int32_t {
    return rect && v.CropRect(*rect) ? 1 : 0;
  });
}
ENGINE_API EngineHandle VPGetVideoDataProcessHandle(EngineHandle player, EngineHandle view) {
  return AskView(__func__, player, view, EngineHandle(0), [](player::PlayerView& v) { return v.ProcessorHandle(); });
}

ENGINE_API EngineHandle EVCreate(HWND parent, const RECT* rect) {
  return engines::Guarded("EVCreate", EngineHandle(0), [&]() -> EngineHandle {
    if (!parent || !rect) return 0;
    return engines::RegisterObject(FrameView::Create(parent, *rect));
  });
}
ENGINE_API void EVDestroy(EngineHandle view) {
  engines::Guarded("EVDestroy", [&] {
    auto found = engines::Lookup<FrameView>(view);
    if (!found) return;
    engines::UnregisterObject(view);
    found->Close();
  });
}
ENGINE_API int32_t EVShowYUVImage(EngineHandle view, const QEPreviewFrame* frame) {
  return engines::Guarded("EVShowYUVImage", int32_t(0), [&]() -> int32_t {
    auto found = engines::Lookup<FrameView>(view);
    return found && found->Show(frame) ? 1 : 0;
  });
}
ENGINE_API HWND EVGetHwnd(EngineHandle view) {
  return engines::Guarded("EVGetHwnd", HWND(nullptr), [&]() -> HWND {
    auto found = engines::Lookup<FrameView>(view);
    return found ? found->Window() : nullptr;
  });
}

ENGINE_API int32_t QMPlayerGetFrameCounts(EngineHandle player, int64_t* shown, int64_t* dropped) {
  return AskPlayer(__func__, player, int32_t(0), [&](Player& p) -> int32_t {
    const player::PlaybackStatistics statistics = p.Statistics();
    if (shown) *shown = statistics.shown;
    if (dropped) *dropped = statistics.dropped;
    return 1;
  });
}
