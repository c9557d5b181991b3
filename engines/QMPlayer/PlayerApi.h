#pragma once

// The C API of the player engine (QMPlayer.so): plays one video source and one audio source of
// the engine handle space (decoders, processors, track decoders; 0 = none) into views inside
// the program's windows, and reports to the window registered with VPSetCallBack.
//
// Entry points are called on the program's GUI thread. Every handle argument may be 0 or stale:
// the entry then does nothing and answers 0 (0.0 for times). No entry point throws.
//
// Messages posted to the callback window:
// - kPlayerNotifyMessage (WM_USER+2001) wParam kPlayerNotifyTick about every 200 ms while
//   playing and after each seek or step; wParam kPlayerNotifyEnd at the end of the play range,
//   followed once by kPlayerCompleteMessage (WM_USER+4326). Nothing is posted after VPStop or
//   VPDestroy has returned.
//
// Times are seconds from the begin of the play range (VPSetPlayTime; length 0 = to the end).

#include <cstdint>

#include "engines/QM_Converter/ConverterApi.h"
#include "engines/common/EngineApi.h"
#include "engines/common/EngineHandles.h"
#include "platform/kernel/WinTypes.h"
#include "platform/user/UserTypes.h"

using engines::EngineHandle;

constexpr UINT kPlayerNotifyMessage = 0x0400 + 2001;    // 3025
constexpr UINT kPlayerCompleteMessage = 0x0400 + 4326;  // 5350
constexpr WPARAM kPlayerNotifyTick = 1;
constexpr WPARAM kPlayerNotifyEnd = 2;

// VPSeek flag: -1 seeks to the exact frame; any other value to the preceding key frame.
constexpr int32_t kPlayerSeekExact = -1;

// The size record of VPCreateView(Ex): with UseCustomSize set the view's processor outputs
// width x height pictures.
struct TPlayerViewSize {
  int32_t width;
  int32_t height;
  int32_t reserved0;  // 0
  int32_t reserved1;  // 1
};
static_assert(sizeof(TPlayerViewSize) == 16);

// Players.
ENGINE_API EngineHandle VPCreate();
ENGINE_API void VPDestroy(EngineHandle player);
// Ordinal 3: the sources to play (0 = none). Stops a running playback first.
ENGINE_API void ordinal_3(EngineHandle player, EngineHandle videoSource, EngineHandle audioSource);
ENGINE_API void VPSetPlayTime(EngineHandle player, double begin, double length);
ENGINE_API void VPPlay(EngineHandle player);
ENGINE_API void VPStop(EngineHandle player);  // back to the begin, sources kept
ENGINE_API void VPPause(EngineHandle player);
ENGINE_API void VPResume(EngineHandle player);
ENGINE_API void VPSeek(EngineHandle player, double time, int32_t flag);
ENGINE_API void VPForward(EngineHandle player);  // one frame while paused
ENGINE_API void VPUpdate(EngineHandle player);   // re-processes and redraws the current frame
ENGINE_API void VPSetCallBack(EngineHandle player, HWND window);
ENGINE_API double VPGetPlayedTime(EngineHandle player);
ENGINE_API double VPGetMovieLength(EngineHandle player);  // the longer source; 0.0 unknown
ENGINE_API int32_t VPSetVolume(EngineHandle player, int32_t percent);  // 0..200; not 0 on success

// Views: a frame window (child of `parent`, at `rect`) holding the player's own window.
ENGINE_API EngineHandle VPCreateView(EngineHandle player, HWND parent, const RECT* rect, const TPlayerViewSize* size);
ENGINE_API EngineHandle VPCreateViewEx(EngineHandle player, HWND parent, const RECT* rect, int32_t useCustomSize,
                                       const TPlayerViewSize* size);
ENGINE_API void VPDestroyView(EngineHandle player, EngineHandle view);
ENGINE_API HWND VPGetPlayerHwnd(EngineHandle player, EngineHandle view);
// Display resize modes: 0 stretch, 2 16:9, 3 4:3, 5 fill the height, others the source aspect.
ENGINE_API int32_t VPGetDisplayResizeMode(EngineHandle player, EngineHandle view);
ENGINE_API int32_t VPSetDisplayResizeMode(EngineHandle player, EngineHandle view, int32_t mode);
// The crop rectangle of the view's processor, source pixels. Not 0 on success.
ENGINE_API int32_t VPGetCropRect(EngineHandle player, EngineHandle view, RECT* rect);
// The view's own video processor of the data process engine (owned by the view).
ENGINE_API EngineHandle VPGetVideoDataProcessHandle(EngineHandle player, EngineHandle view);

// Frame views: show pictures handed over by the caller (the converter's previews).
ENGINE_API EngineHandle EVCreate(HWND parent, const RECT* rect);
ENGINE_API void EVDestroy(EngineHandle view);
// Copies the frame (nil shows black) and repaints; may be called from any thread. Not 0 on
// success.
ENGINE_API int32_t EVShowYUVImage(EngineHandle view, const QEPreviewFrame* frame);
ENGINE_API HWND EVGetHwnd(EngineHandle view);
