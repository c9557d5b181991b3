#pragma once

// The player's binding ("QMPlayer.dll"): players, their views and the encoder preview views.
// Every player entry takes the player first; a player handle of 0 is passed on unchanged (the
// engine ignores it). Wrappers return the neutral value of their family when the entry is
// missing: 0 for handles, counts and statuses, 0.0 for times, False for EVShowYUVImage;
// procedures do nothing. A load failure is always reported as "QMPlayer.dll", whatever file
// was asked for.
//
// Players and views are GUI-thread objects; EVShowYUVImage may be called from any thread.

#include "platform/kernel/WinTypes.h"
#include "platform/user/UserTypes.h"
#include "program/engine/EngineLibrary.h"

// The size record of a view: with UseCustomSize the view's processor outputs Width x Height
// pictures. The view of the clip editor fills it as {width, height, 0, 1}.
struct TPlayerSizeRecord {
  int32_t Width;
  int32_t Height;
  int32_t Reserved0;
  int32_t Reserved1;
};
static_assert(sizeof(TPlayerSizeRecord) == 16);

class TPlayerLibrary : public TEngineLibrary {
 public:
  explicit TPlayerLibrary(AnsiString libraryName = "QMPlayer.dll");
  ~TPlayerLibrary() override = default;

  using TEngineLibrary::Load;
  // Null loads the record's own library.
  bool Load(const char* libraryName);

  TEngineHandle VPCreate() const;
  void VPDestroy(TEngineHandle player) const;
  // The sources to play (ordinal 3); 0 = none.
  void SetSources(TEngineHandle player, TEngineHandle videoSource, TEngineHandle audioSource) const;
  // Seconds; a length of 0 plays to the end.
  void VPSetPlayTime(TEngineHandle player, double begin, double length) const;
  void VPPlay(TEngineHandle player) const;
  void VPStop(TEngineHandle player) const;
  void VPPause(TEngineHandle player) const;
  void VPResume(TEngineHandle player) const;
  // Flag -1 seeks to the exact frame.
  void VPSeek(TEngineHandle player, double time, int32_t flag) const;
  void VPForward(TEngineHandle player) const;
  void VPUpdate(TEngineHandle player) const;
  // The window that gets the player's notification messages.
  void VPSetCallBack(TEngineHandle player, HWND window) const;
  HWND VPGetPlayerHwnd(TEngineHandle player, TEngineHandle view) const;
  // Seconds; 0.0 when the entry is missing.
  double VPGetPlayedTime(TEngineHandle player) const;
  double VPGetMovieLength(TEngineHandle player) const;
  int32_t VPSetVolume(TEngineHandle player, int32_t percent) const;
  // VPCreateViewEx when the library has it, else VPCreateView (which has no UseCustomSize).
  TEngineHandle CreateView(TEngineHandle player, HWND parent, const RECT* rect, bool useCustomSize,
                           const TPlayerSizeRecord* size) const;
  void VPDestroyView(TEngineHandle player, TEngineHandle view) const;
  int32_t VPGetDisplayResizeMode(TEngineHandle player, TEngineHandle view) const;
  int32_t VPSetDisplayResizeMode(TEngineHandle player, TEngineHandle view, int32_t mode) const;
  // The crop rectangle of the view's processor in source pixels; not 0 on success.
  int32_t VPGetCropRect(TEngineHandle player, TEngineHandle view, RECT* rect) const;
  // The view's own video processor (owned by the view).
  TEngineHandle VPGetVideoDataProcessHandle(TEngineHandle player, TEngineHandle view) const;

  // Frame views: a child window of `parent` at `rect` showing the frames handed to it.
  TEngineHandle EVCreate(HWND parent, const RECT* rect) const;
  void EVDestroy(TEngineHandle view) const;
  // `frame` is a preview frame of the converter's callback; null shows black.
  bool EVShowYUVImage(TEngineHandle view, const void* frame) const;
  HWND EVGetHwnd(TEngineHandle view) const;

  enum Entry : size_t {
    kVPCreate, kVPDestroy, kSetSources, kVPSetPlayTime, kVPPlay, kVPStop, kVPPause, kVPResume, kVPSeek,
    kVPSyncSeek, kVPForward, kVPSyncForward, kVPUpdate, kVPSetCallBack, kVPGetPlayerHwnd, kVPGetPlayedTime,
    kVPSetVolume, kVPGetMovieLength, kVPCreateView, kVPCreateViewEx, kVPDestroyView, kVPGetDisplayResizeMode,
    kVPSetDisplayResizeMode, kVPSetCropEditStyle, kVPSetCropMaskMode, kVPSetCropRect, kVPGetCropRect,
    kVPIsActivate, kVPSendCommand, kVPGetVideoDataProcessHandle, kEVCreate, kEVDestroy, kEVShowDib,
    kEVShowImage, kEVShowYUVImage, kEVGetHwnd, kEntryCount
  };

 private:
  // A procedure of the player alone (play, stop, pause ...).
  void CallPlayerProcedure(size_t entry, TEngineHandle player) const;
};
