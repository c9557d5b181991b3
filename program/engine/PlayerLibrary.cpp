#include "program/engine/PlayerLibrary.h"

namespace {
using PlayerProcedure = void (*)(TEngineHandle);
using ViewFunction = int32_t (*)(TEngineHandle, TEngineHandle);
}  // namespace

TPlayerLibrary::TPlayerLibrary(AnsiString libraryName)
    : TEngineLibrary(
          std::move(libraryName),
          {ByName("VPCreate"), ByName("VPDestroy"), ByOrdinal(3), ByName("VPSetPlayTime"), ByName("VPPlay"),
           ByName("VPStop"), ByName("VPPause"), ByName("VPResume"), ByName("VPSeek"), ByName("VPSyncSeek"),
           ByName("VPForward"), ByName("VPSyncForward"), ByName("VPUpdate"), ByName("VPSetCallBack"),
           ByName("VPGetPlayerHwnd"), ByName("VPGetPlayedTime"), ByName("VPSetVolume"), ByName("VPGetMovieLength"),
           ByName("VPCreateView"), ByName("VPCreateViewEx"), ByName("VPDestroyView"),
           ByName("VPGetDisplayResizeMode"), ByName("VPSetDisplayResizeMode"), ByName("VPSetCropEditStyle"),
           ByName("VPSetCropMaskMode"), ByName("VPSetCropRect"), ByName("VPGetCropRect"), ByName("VPIsActivate"),
           ByName("VPSendCommand"), ByName("VPGetVideoDataProcessHandle"), ByName("EVCreate"), ByName("EVDestroy"),
           ByName("EVShowDib"), ByName("EVShowImage"), ByName("EVShowYUVImage"), ByName("EVGetHwnd")}) {}

bool TPlayerLibrary::Load(const char* libraryName) {
  return LoadNamed(libraryName ? AnsiString(libraryName) : LibraryName(), "QMPlayer.dll");
}

void TPlayerLibrary::CallPlayerProcedure(size_t entry, TEngineHandle player) const {
  if (auto call = EntryAs<PlayerProcedure>(entry)) call(player);
}

TEngineHandle TPlayerLibrary::VPCreate() const {
  auto entry = EntryAs<TEngineHandle (*)()>(kVPCreate);
  return entry ? entry() : 0;
}

void TPlayerLibrary::VPDestroy(TEngineHandle player) const { CallPlayerProcedure(kVPDestroy, player); }

void TPlayerLibrary::SetSources(TEngineHandle player, TEngineHandle videoSource, TEngineHandle audioSource) const {
  if (auto entry = EntryAs<void (*)(TEngineHandle, TEngineHandle, TEngineHandle)>(kSetSources))
    entry(player, videoSource, audioSource);
}

void TPlayerLibrary::VPSetPlayTime(TEngineHandle player, double begin, double length) const {
  if (auto entry = EntryAs<void (*)(TEngineHandle, double, double)>(kVPSetPlayTime)) entry(player, begin, length);
}

void TPlayerLibrary::VPPlay(TEngineHandle player) const { CallPlayerProcedure(kVPPlay, player); }
void TPlayerLibrary::VPStop(TEngineHandle player) const { CallPlayerProcedure(kVPStop, player); }
void TPlayerLibrary::VPPause(TEngineHandle player) const { CallPlayerProcedure(kVPPause, player); }
void TPlayerLibrary::VPResume(TEngineHandle player) const { CallPlayerProcedure(kVPResume, player); }

void TPlayerLibrary::VPSeek(TEngineHandle player, double time, int32_t flag) const {
  if (auto entry = EntryAs<void (*)(TEngineHandle, double, int32_t)>(kVPSeek)) entry(player, time, flag);
}

void TPlayerLibrary::VPForward(TEngineHandle player) const { CallPlayerProcedure(kVPForward, player); }
void TPlayerLibrary::VPUpdate(TEngineHandle player) const { CallPlayerProcedure(kVPUpdate, player); }

void TPlayerLibrary::VPSetCallBack(TEngineHandle player, HWND window) const {
  if (auto entry = EntryAs<void (*)(TEngineHandle, HWND)>(kVPSetCallBack)) entry(player, window);
}

HWND TPlayerLibrary::VPGetPlayerHwnd(TEngineHandle player, TEngineHandle view) const {
  auto entry = EntryAs<HWND (*)(TEngineHandle, TEngineHandle)>(kVPGetPlayerHwnd);
  return entry ? entry(player, view) : nullptr;
}

double TPlayerLibrary::VPGetPlayedTime(TEngineHandle player) const {
  auto entry = EntryAs<double (*)(TEngineHandle)>(kVPGetPlayedTime);
  return entry ? entry(player) : 0.0;
}

double TPlayerLibrary::VPGetMovieLength(TEngineHandle player) const {
  auto entry = EntryAs<double (*)(TEngineHandle)>(kVPGetMovieLength);
  return entry ? entry(player) : 0.0;
}

int32_t TPlayerLibrary::VPSetVolume(TEngineHandle player, int32_t percent) const {
  auto entry = EntryAs<int32_t (*)(TEngineHandle, int32_t)>(kVPSetVolume);
  return entry ? entry(player, percent) : 0;
}

TEngineHandle TPlayerLibrary::CreateView(TEngineHandle player, HWND parent, const RECT* rect, bool useCustomSize,
                                         const TPlayerSizeRecord* size) const {
  if (auto entry = EntryAs<TEngineHandle (*)(TEngineHandle, HWND, const RECT*, int32_t, const TPlayerSizeRecord*)>(
          kVPCreateViewEx))
    return entry(player, parent, rect, EngineBool(useCustomSize), size);
  auto entry = EntryAs<TEngineHandle (*)(TEngineHandle, HWND, const RECT*, const TPlayerSizeRecord*)>(kVPCreateView);
  return entry ? entry(player, parent, rect, size) : 0;
}

void TPlayerLibrary::VPDestroyView(TEngineHandle player, TEngineHandle view) const {
  if (auto entry = EntryAs<void (*)(TEngineHandle, TEngineHandle)>(kVPDestroyView)) entry(player, view);
}

int32_t TPlayerLibrary::VPGetDisplayResizeMode(TEngineHandle player, TEngineHandle view) const {
  auto entry = EntryAs<ViewFunction>(kVPGetDisplayResizeMode);
  return entry ? entry(player, view) : 0;
}

int32_t TPlayerLibrary::VPSetDisplayResizeMode(TEngineHandle player, TEngineHandle view, int32_t mode) const {
  auto entry = EntryAs<int32_t (*)(TEngineHandle, TEngineHandle, int32_t)>(kVPSetDisplayResizeMode);
  return entry ? entry(player, view, mode) : 0;
}

int32_t TPlayerLibrary::VPGetCropRect(TEngineHandle player, TEngineHandle view, RECT* rect) const {
  auto entry = EntryAs<int32_t (*)(TEngineHandle, TEngineHandle, RECT*)>(kVPGetCropRect);
  return entry ? entry(player, view, rect) : 0;
}

TEngineHandle TPlayerLibrary::VPGetVideoDataProcessHandle(TEngineHandle player, TEngineHandle view) const {
  auto entry = EntryAs<TEngineHandle (*)(TEngineHandle, TEngineHandle)>(kVPGetVideoDataProcessHandle);
  return entry ? entry(player, view) : 0;
}

TEngineHandle TPlayerLibrary::EVCreate(HWND parent, const RECT* rect) const {
  auto entry = EntryAs<TEngineHandle (*)(HWND, const RECT*)>(kEVCreate);
  return entry ? entry(parent, rect) : 0;
}

void TPlayerLibrary::EVDestroy(TEngineHandle view) const { CallPlayerProcedure(kEVDestroy, view); }

bool TPlayerLibrary::EVShowYUVImage(TEngineHandle view, const void* frame) const {
  auto entry = EntryAs<int32_t (*)(TEngineHandle, const void*)>(kEVShowYUVImage);
  return entry && entry(view, frame) != 0;
}

HWND TPlayerLibrary::EVGetHwnd(TEngineHandle view) const {
  auto entry = EntryAs<HWND (*)(TEngineHandle)>(kEVGetHwnd);
  return entry ? entry(view) : nullptr;
}
