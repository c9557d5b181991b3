#pragma once

// The player's binding ("QMPlayer.dll"): players, views and the encoder preview view. Only
// the time wrappers live here so far; the player's other wrappers come with the player.
// A load failure is always reported as "QMPlayer.dll", whatever file was asked for.

#include "program/engine/EngineLibrary.h"

class TPlayerLibrary : public TEngineLibrary {
 public:
  explicit TPlayerLibrary(AnsiString libraryName = "QMPlayer.dll");
  ~TPlayerLibrary() override = default;

  using TEngineLibrary::Load;
  bool Load(const char* libraryName);

  // Seconds; 0.0 when the entry is missing.
  double VPGetMovieLength(TEngineHandle player) const;
  double VPGetPlayedTime(TEngineHandle player) const;

  enum Entry : size_t {
    kVPCreate, kVPDestroy, kSetSources, kVPSetPlayTime, kVPPlay, kVPStop, kVPPause, kVPResume, kVPSeek,
    kVPSyncSeek, kVPForward, kVPSyncForward, kVPUpdate, kVPSetCallBack, kVPGetPlayerHwnd, kVPGetPlayedTime,
    kVPSetVolume, kVPGetMovieLength, kVPCreateView, kVPCreateViewEx, kVPDestroyView, kVPGetDisplayResizeMode,
    kVPSetDisplayResizeMode, kVPSetCropEditStyle, kVPSetCropMaskMode, kVPSetCropRect, kVPGetCropRect,
    kVPIsActivate, kVPSendCommand, kVPGetVideoDataProcessHandle, kEVCreate, kEVDestroy, kEVShowDib,
    kEVShowImage, kEVShowYUVImage, kEVGetHwnd, kEntryCount
  };
};
